// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "plain_png_reference.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

std::uint8_t* plain_png_decode(const std::uint8_t* data, int len, int* width, int* height)
{
    int channels = 0;
    return stbi_load_from_memory(data, len, width, height, &channels, 4);
}

void plain_png_free(void* pixels)
{
    stbi_image_free(pixels);
}
