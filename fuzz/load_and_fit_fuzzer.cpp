// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// libFuzzer target: the input becomes a regular file, as a picked photo is, and
// goes through load_source and, when accepted, fit_jpeg.
#include <unistd.h>

#include <stb/stb_image.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fitting.h"
#include "intake.h"

namespace {

std::string temp_path()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr ? dir : "/tmp") + "/pixelzaun-fuzz-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) std::abort();
    close(fd);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = temp_path();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);

    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) std::abort();
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
