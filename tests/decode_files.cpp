// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Loads each file named through load_source, one after another in one
// process, and prints its outcome with a hash of the pixels; an accepted image
// of up to 4 megapixels is fitted too. The test command runs it under
// valgrind's memcheck: printing the hash makes every pixel byte count as used,
// so a pixel made from memory the file never wrote is reported.
#include <stb/stb_image.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "fitting.h"
#include "intake.h"

namespace {

constexpr std::uint64_t MAX_FITTED_PIXELS = 4000000;

std::uint64_t pixel_hash(const std::uint8_t* pixels, std::uint64_t bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint64_t i = 0; i < bytes; ++i) hash = (hash ^ pixels[i]) * 1099511628211ull;
    return hash;
}

void decode(const char* path)
{
    std::FILE* stream = std::fopen(path, "rb");
    if (stream == nullptr) {
        std::printf("missing %s\n", path);
        return;
    }
    std::uint8_t* pixels = nullptr;
    std::int32_t w = 0;
    std::int32_t h = 0;
    if (!load_source(stream, &pixels, &w, &h)) {
        std::printf("refused %s\n", path);
        std::fclose(stream);
        return;
    }
    const std::uint64_t n = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
    std::printf("accepted %s %d x %d %016" PRIx64, path, w, h, pixel_hash(pixels, 3 * n));
    if (n <= MAX_FITTED_PIXELS && fit_jpeg(pixels, w, h)) {
        std::printf(" jpeg %016" PRIx64, pixel_hash(output_store.bytes, output_store.count));
    }
    std::printf("\n");
    stbi_image_free(pixels);
    std::fclose(stream);
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) decode(argv[i]);
    return 0;
}
