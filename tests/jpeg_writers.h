// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The same JPEG encode by two writers, for the tests and the fuzzer that hold
// the program's encoder to Debian's bytes. Each returns no bytes when its
// writer fails; rows are read bottom up when flip is set.
#include <cstdint>
#include <vector>

// The program's encoder: the patched library with its vector kernels.
std::vector<std::uint8_t> program_jpeg(const std::uint8_t* pixels, int width, int height, int comp, int quality,
                                       bool flip);

// Debian's stb_image_write.h as installed, without the program's patches and
// kernels.
std::vector<std::uint8_t> plain_jpeg(const std::uint8_t* pixels, int width, int height, int comp, int quality,
                                     bool flip);

// A write callback that appends to the std::vector<std::uint8_t> context.
void append_to_vector(void* context, void* data, int size);
