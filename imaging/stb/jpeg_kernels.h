// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The JPEG writer's inner steps on vector registers. Each kernel does what
// one loop of stb_image_write's encoder does, with the same float operations
// in the same order, so its results are the library's to the bit; the patch
// jpeg-writer-vector-kernels routes the library's loops here.
#include <cstdint>

// The encoder's write callback (stbi_write_func).
using JpegWriteFunc = void(void* context, void* data, int size);

// The kernels pass blocks in a layout of their own, which spares the DCT one
// of its two transposes: the 8 x 8 quadrants of a size x size block (size 8
// or 16) lie where the library addresses them (quadrant row R, column C from
// float 8 * R * size + 8 * C, rows size floats apart), but each is stored
// transposed, pixel (r, c) of a quadrant at c * size + r. The library only
// hands these arrays from one hook to the next, so the three hooks of the
// patch must be defined together.

// One block of size x size pixels (8 or 16) from the top-left pixel (x, y) of
// width x height pixels of comp channels, rows from the top unless flip is
// set; columns and rows past the image repeat its last ones. Writes the
// encoder's level-shifted Y and its U and V in the block layout.
void jpeg_block_to_ycc(const std::uint8_t* data, int width, int height, int comp, int flip, int x, int y,
                       int size, float* Y, float* U, float* V);

// The 8 x 8 averages of the 2 x 2 groups of a 16 x 16 chroma block, both in
// the block layout.
void jpeg_subsample_chroma(const float* block16, float* block8);

// Forward DCT of the 8 x 8 quadrant at block (in the block layout: pixel
// (r, c) at c * du_stride + r), quantised by fdtbl (the encoder's scaled
// reciprocal table, row by row), into natural (row by row, 16-byte aligned).
// Returns the mask of the non-zero coefficients in zigzag order: bit i for
// the library's zigzag position i. Leaves block unchanged.
std::uint64_t jpeg_dct_quantize(const float* block, int du_stride, const float* fdtbl, std::int32_t* natural);

// Huffman-codes one quantised block (natural order, nonzero as
// jpeg_dct_quantize returns it) after the previous block's DC value dc,
// continuing the library's bit state (bit_buf, bit_count), and hands the bytes,
// 0xFF-stuffed, to func in one piece. Returns the block's DC value.
int jpeg_encode_block(JpegWriteFunc* func, void* context, int* bit_buf, int* bit_count, const std::int32_t* natural,
                      std::uint64_t nonzero, int dc, const unsigned short dc_table[256][2],
                      const unsigned short ac_table[256][2]);

// stbiw__jpg_processDU: the transform and the coding of one block.
int jpeg_process_block(JpegWriteFunc* func, void* context, int* bit_buf, int* bit_count, const float* block,
                       int du_stride, const float* fdtbl, int dc, const unsigned short dc_table[256][2],
                       const unsigned short ac_table[256][2]);
