// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The program's configuration of the decoder, on the reference copy of the
// headers; the library's functions stay private to this unit.
#include "reference_decoder.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include "stb_decoder_config.h"
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
