// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The PNG reader's unfilter for 8-bit RGB and RGBA rows into RGBA output
// (STBI_PNG_UNFILTER_ROW in stb_libraries.cpp), byte for byte what
// stb_image's own loop in stbi__create_png_image_raw writes.
#include <cstdint>

// Unfilters the row at raw (its filtered bytes after its filter byte 0..4,
// img_n bytes a pixel) into width * 4 bytes at out, alpha 255 where the
// source has none; prior is the row above as written (4 bytes a pixel), or
// nullptr on the first row. When next_row_follows, the next row (its filter
// byte right after this row's bytes) may be unfiltered too, as far below out
// as out lies below prior. out may also lie one byte below raw (a row
// unfiltered over its own filter byte): each pixel is read before any byte
// of it is written over. Returns the rows done: 0 for other layouts (out_n
// not 4, img_n not 3 or 4), which are left to the library, else 1 or 2.
int png_unfilter_rows(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width,
                      int img_n, int out_n, int filter, int next_row_follows);
