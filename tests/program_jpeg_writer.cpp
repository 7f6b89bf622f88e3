// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include <stb/stb_image_write.h>

#include "jpeg_writers.h"

void append_to_vector(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

std::vector<std::uint8_t> program_jpeg(const std::uint8_t* pixels, int width, int height, int comp, int quality,
                                       bool flip)
{
    std::vector<std::uint8_t> out;
    stbi_flip_vertically_on_write(flip ? 1 : 0);
    if (stbi_write_jpg_to_func(append_to_vector, &out, width, height, comp, pixels, quality) == 0) out.clear();
    stbi_flip_vertically_on_write(0);
    return out;
}
