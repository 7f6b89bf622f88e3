// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The configuration of imaging/stb/stb_libraries.cpp, on the reference copy of
// the headers; the library's functions stay private to this unit.
#include "reference_decoder.h"

#include "decoder_heap.h"
#include "png_inflate.h"
#include "png_unfilter.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_MAX_DIMENSIONS 32768
#define STBI_MALLOC(size) decoder_malloc(size)
#define STBI_REALLOC_SIZED(block, old_size, new_size) decoder_realloc(block, old_size, new_size)
#define STBI_FREE(block) decoder_free(block)
#define STBI_PNG_INFLATE(buffer, len, initial_size, outlen, parse_header, interlaced) \
    png_inflate(buffer, len, initial_size, outlen, parse_header, interlaced)
#define STBI_PNG_UNFILTER_ROWS(out, prior, raw, width, img_n, out_n, filter, next_row_follows) \
    png_unfilter_rows(out, prior, raw, width, img_n, out_n, filter, next_row_follows)
#include <stb-reference/stb_image.h>

int reference_info_from_file(std::FILE* stream, int* width, int* height, int* channels)
{
    return stbi_info_from_file(stream, width, height, channels);
}

unsigned char* reference_load_from_file(std::FILE* stream, int* width, int* height, int* channels)
{
    return stbi_load_from_file(stream, width, height, channels, 4);
}

void reference_image_free(void* pixels)
{
    stbi_image_free(pixels);
}
