// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// libFuzzer target: the input becomes a regular file, as a picked photo is, and
// goes through load_source and, when accepted, fit_jpeg.
#include <stb/stb_image.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fitting.h"
#include "input_file.h"
#include "intake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* stream = open_input_as_file(data, size);
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (load_source(stream, &pixels, &width, &height)) {
        fit_jpeg(pixels, width, height);
        stbi_image_free(pixels);
    }
    std::fclose(stream);
    return 0;
}
