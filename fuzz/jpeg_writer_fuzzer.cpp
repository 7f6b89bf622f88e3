// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// libFuzzer target: the program's JPEG encoder against Debian's unpatched
// writer on small fuzzer-chosen images. The first five bytes choose width and
// height (1 to 64), quality (1 to 100), channels (1 to 4, mostly 3) and
// whether rows are stored bottom up; the rest, repeated, are the pixels. Any
// differing byte aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "jpeg_writers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5) return 0;
    const int width = 1 + data[0] % 64;
    const int height = 1 + data[1] % 64;
    const int quality = 1 + data[2] % 100;
    const int comp = data[3] < 192 ? 3 : 1 + data[3] % 4;
    const bool flip = (data[4] & 1) != 0;
    data += 5;
    size -= 5;

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * comp);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = size > 0 ? data[i % size] : 0;

    const std::vector<std::uint8_t> actual = program_jpeg(pixels.data(), width, height, comp, quality, flip);
    const std::vector<std::uint8_t> expected = plain_jpeg(pixels.data(), width, height, comp, quality, flip);
    if (actual.empty() || actual != expected) {
        std::fprintf(stderr, "jpeg_writer_fuzzer: %dx%d comp %d q%d%s: %zu bytes against %zu\n", width, height, comp,
                     quality, flip ? " flipped" : "", actual.size(), expected.size());
        std::abort();
    }
    return 0;
}
