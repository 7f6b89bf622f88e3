// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Its own translation unit, with every function of the library static, so
// that it shares no name with the program's patched copy.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb-plain/stb_image_write.h>

#include "jpeg_writers.h"

std::vector<std::uint8_t> plain_jpeg(const std::uint8_t* pixels, int width, int height, int comp, int quality,
                                     bool flip)
{
    std::vector<std::uint8_t> out;
    stbi_flip_vertically_on_write(flip ? 1 : 0);
    if (stbi_write_jpg_to_func(append_to_vector, &out, width, height, comp, pixels, quality) == 0) out.clear();
    stbi_flip_vertically_on_write(0);
    return out;
}
