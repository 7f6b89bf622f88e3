// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "decoder_heap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The decoder runs on the program's one thread, so plain variables do.
std::size_t largest_request = 0;
std::size_t block_limit = DECODER_MAX_BLOCK;

void note_request(std::size_t size)
{
    largest_request = std::max(largest_request, size);
}

} // namespace

std::size_t decoder_budget_begin(int width, int height)
{
    const std::size_t previous = block_limit;
    block_limit = std::min(DECODER_MAX_BLOCK, decoder_budget_for(width, height));
    return previous;
}

void decoder_budget_end(std::size_t previous_limit)
{
    block_limit = previous_limit;
}

std::size_t decoder_budget_for(int width, int height)
{
    const std::uint64_t w = width > 0 ? static_cast<std::uint64_t>(width) : 0;
    const std::uint64_t h = height > 0 ? static_cast<std::uint64_t>(height) : 0;
    const std::uint64_t padded = (w + 32) * (h + 32);
    const std::uint64_t need = 2 * (8 * padded + h) + (std::uint64_t{1} << 20);
    return need > DECODER_MAX_BLOCK ? DECODER_MAX_BLOCK : static_cast<std::size_t>(need);
}

void* decoder_malloc(std::size_t size)
{
    note_request(size);
    if (size > block_limit) return nullptr;
    return std::calloc(1, size == 0 ? 1 : size);
}

void* decoder_realloc(void* block, std::size_t old_size, std::size_t new_size)
{
    if (block == nullptr) return decoder_malloc(new_size);
    note_request(new_size);
    // The old block stays the caller's, who frees it after a refusal.
    if (new_size > block_limit) return nullptr;
    unsigned char* grown = static_cast<unsigned char*>(std::realloc(block, new_size == 0 ? 1 : new_size));
    if (grown == nullptr) return nullptr;
    // realloc keeps the old bytes but leaves the new tail as the heap had it.
    if (new_size > old_size) std::memset(grown + old_size, 0, new_size - old_size);
    return grown;
}

void decoder_free(void* block)
{
    std::free(block);
}

std::size_t decoder_largest_request()
{
    return largest_request;
}

void decoder_reset_largest_request()
{
    largest_request = 0;
}
