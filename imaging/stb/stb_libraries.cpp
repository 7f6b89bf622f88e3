// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The one translation unit that holds the decoder's and the encoder's code.
// Only JPEG and PNG are recognised, and no side may exceed 32,768 pixels.
#include "decoder_heap.h"
#include "jpeg_kernels.h"
#include "jpeg_rows.h"
#include "output_store.h"
#include "png_inflate.h"
#include "png_unfilter.h"

#define STB_IMAGE_IMPLEMENTATION
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
// JPEG rows go to the caller's function, if any, as soon as they are converted.
#define STBI_JPEG_ROWS_CONVERTED(output, n, width, first_row, end_row) \
    (jpeg_rows_converted != nullptr ? jpeg_rows_converted(output, n, width, first_row, end_row) : (void) 0)
#include <stb/stb_image.h>

JpegRowsConverted jpeg_rows_converted = nullptr;

// An encode into the output store stops at the first row of blocks at which
// it can no longer fit; every other encode runs to its end.
#define STBIW_JPG_STOP(context, least_bytes_to_come) store_refuses(context, least_bytes_to_come)
// The encoder's arithmetic on vector registers, to the same bytes. The three
// pass blocks in a layout of their own (jpeg_kernels.h), so they go together.
#define STBIW_JPG_BLOCK_TO_YCC jpeg_block_to_ycc
#define STBIW_JPG_SUBSAMPLE jpeg_subsample_chroma
#define STBIW_JPG_PROCESS_DU jpeg_process_block
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
