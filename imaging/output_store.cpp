// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "output_store.h"

#include <cstring>

OutputStore output_store;

void store_reset()
{
    output_store.count = 0;
}

void store_write(void* context, void* data, int size)
{
    // The encoder hands over most of its output one byte a call, and keeps
    // calling to the end of its row of blocks after an overflow, so the
    // overflowed call returns first and a single byte is stored without a
    // library call.
    OutputStore* store = static_cast<OutputStore*>(context);
    const std::uint64_t count = store->count;
    if (count > MAX_JPEG_BYTES) return;
    // Read as 32 bits unsigned, a negative size exceeds any room; the sum
    // cannot wrap.
    const std::uint64_t end = count + static_cast<std::uint32_t>(size);
    if (end > MAX_JPEG_BYTES) {
        store->count = STORE_CAPACITY;
        return;
    }
    // The count is set first so that the copy is the last thing done: a
    // tail call, with nothing to save around it.
    store->count = end;
    if (size == 1) {
        store->bytes[count] = *static_cast<const std::uint8_t*>(data);
    } else {
        std::memcpy(store->bytes + count, data, end - count);
    }
}

bool store_refuses(const void* context, std::size_t least_bytes_to_come)
{
    // Tests and tools encode into buffers and files of their own through the
    // same library: those contexts are compared, never read.
    if (context != &output_store) return false;
    if (output_store.count > MAX_JPEG_BYTES) return true;
    // An attempt ending exactly at MAX_JPEG_BYTES still fits; the room left
    // is taken first, so nothing can wrap.
    if (least_bytes_to_come <= MAX_JPEG_BYTES - output_store.count) return false;
    output_store.count = STORE_CAPACITY;
    return true;
}
