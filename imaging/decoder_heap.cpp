#include "decoder_heap.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<std::size_t> largest_request{0};
std::atomic<std::size_t> block_limit{DECODER_MAX_BLOCK};

void note_request(std::size_t size)
{
    std::size_t seen = largest_request.load(std::memory_order_relaxed);
    while (size > seen && !largest_request.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

} // namespace

DecoderBudget::DecoderBudget(int width, int height)
    : previous_(block_limit.exchange(std::min(DECODER_MAX_BLOCK, largest_block(width, height))))
{
}

DecoderBudget::~DecoderBudget()
{
    block_limit.store(previous_);
}

std::size_t DecoderBudget::largest_block(int width, int height)
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
    if (size > block_limit.load(std::memory_order_relaxed)) return nullptr;
    return std::calloc(1, size == 0 ? 1 : size);
}

void* decoder_realloc(void* block, std::size_t old_size, std::size_t new_size)
{
    if (block == nullptr) return decoder_malloc(new_size);
    note_request(new_size);
    // The old block stays the caller's, who frees it after a refusal.
    if (new_size > block_limit.load(std::memory_order_relaxed)) return nullptr;
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
    return largest_request.load(std::memory_order_relaxed);
}

void decoder_reset_largest_request()
{
    largest_request.store(0, std::memory_order_relaxed);
}
