// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// While set, the JPEG decoder hands each batch of output rows it has just
// upsampled and colour-converted (rows first_row to end_row - 1 of a block of
// width pixels, n bytes each) to this function, which may rewrite them in
// place. The rows of a pass come in order; a pass the decoder repeats starts
// at row 0 and rewrites every row. Unset (the default), nothing is called.
#include <cstdint>

using JpegRowsConverted = void (*)(std::uint8_t* output, int n, int width, int first_row, int end_row);
extern JpegRowsConverted jpeg_rows_converted;
