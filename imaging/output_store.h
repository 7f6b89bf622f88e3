// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The output store: the one static buffer the encoder writes each attempt into
// and the save step writes the accepted JPEG from.
#include <cstddef>
#include <cstdint>

constexpr std::uint64_t MAX_JPEG_BYTES = 999999;
constexpr std::uint64_t STORE_CAPACITY = 1000000;

// The encoder's output of the current attempt. count is 0 when empty, the
// stored length from 1 to MAX_JPEG_BYTES, or STORE_CAPACITY once the attempt
// has produced more than MAX_JPEG_BYTES bytes (the overflow mark).
struct OutputStore {
    std::uint8_t bytes[STORE_CAPACITY];
    std::uint64_t count;
};

// The one store of the process: filled by fit_jpeg, read by the save step.
extern OutputStore output_store;

void store_reset();

// The encoder's write callback (stbi_write_func). Keeps each piece whole or
// sets the overflow mark, which stays until the next store_reset.
void store_write(void* context, void* data, int size);

// Asked by the encoder at each row of blocks, with the least number of bytes
// the rest of the image must still add. True only when context is
// output_store and the attempt is lost: its overflow mark is set, or what it
// holds plus that bound passes MAX_JPEG_BYTES, and then the mark is set, so
// the encoder may stop. Any other context is never read.
bool store_refuses(const void* context, std::size_t least_bytes_to_come);
