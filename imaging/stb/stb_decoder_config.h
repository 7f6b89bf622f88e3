// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// How the program configures stb_image, for every unit that includes the
// decoder's implementation (the program's, and the reference decoder the tests
// compare it with). Only JPEG and PNG are recognised, and no side may exceed
// 32,768 pixels.
#include "decoder_heap.h"
#include "jpeg_plane_ring.h"
#include "png_inflate.h"
#include "png_unfilter.h"

#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_MAX_DIMENSIONS 32768
#define STBI_MALLOC(size) decoder_malloc(size)
#define STBI_REALLOC_SIZED(block, old_size, new_size) decoder_realloc(block, old_size, new_size)
#define STBI_FREE(block) decoder_free(block)
// PNG: libdeflate inflates where it gives exactly the library's bytes (see
// png_inflate.cpp), SSE2 kernels unfilter 8-bit RGB and RGBA rows.
#define STBI_PNG_INFLATE(buffer, len, initial_size, outlen, parse_header, interlaced) \
    png_inflate(buffer, len, initial_size, outlen, parse_header, interlaced)
#define STBI_PNG_UNFILTER_ROWS(out, prior, raw, width, img_n, out_n, filter, next_row_follows) \
    png_unfilter_rows(out, prior, raw, width, img_n, out_n, filter, next_row_follows)
// JPEG: two rows of MCUs of each plane where the program allows it.
#define STBI_JPEG_PLANE_RING jpeg_plane_ring
