// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Prints, for each file named, the pixels the plain library gives: Debian's
// stb_image.h as installed, without the program's patches, heap or marker
// walk, flattened onto white by the formula alone. Its output is the table in
// data/plain_decoder_pixels.txt, which the patched decoder must reproduce:
//   plain_decoder_hashes FILES... > tests/data/plain_decoder_pixels.txt
// (run from tests/data with paths relative to it). Refused files print nothing.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_MAX_DIMENSIONS 32768
#include </usr/include/stb/stb_image.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        int w = 0;
        int h = 0;
        int channels = 0;
        stbi_uc* rgba = stbi_load(argv[i], &w, &h, &channels, 4);
        if (rgba == nullptr) continue;
        std::uint64_t hash = 14695981039346656037ull;
        const std::uint64_t n = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
        for (std::uint64_t p = 0; p < n; ++p) {
            const std::uint32_t a = rgba[4 * p + 3];
            for (int c = 0; c < 3; ++c) {
                const std::uint32_t v = (rgba[4 * p + c] * a + (255 - a) * 255 + 127) / 255;
                hash = (hash ^ v) * 1099511628211ull;
            }
        }
        std::printf("%016" PRIx64 " %d %d %s\n", hash, w, h, argv[i]);
        stbi_image_free(rgba);
    }
    return 0;
}
