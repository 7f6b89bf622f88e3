// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// stb_image as the program builds it but with neither of the PNG hooks
// defined: the library's own inflater and unfilter loop, to compare with.
#include <cstdint>

// RGBA pixels of a PNG in memory, or nullptr; free with plain_png_free.
std::uint8_t* plain_png_decode(const std::uint8_t* data, int len, int* width, int* height);
void plain_png_free(void* pixels);
