// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The core pipeline on one photo: load_source (probe, decode, flatten) and
// fit_jpeg (encodes down the ladder, halving when needed), as the program
// runs them. Prints one line of figures; optionally writes the JPEG.
//
//   bench_core IN [OUT.jpg]
#include <chrono>
#include <cstdint>
#include <cstdio>

#include <sys/resource.h>

#include <stb/stb_image.h>

#include "fitting.h"
#include "intake.h"

namespace {

double ms_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_core IN [OUT.jpg]\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const bool loaded = load_source(in, &pixels, &width, &height);
    std::fclose(in);
    if (!loaded) {
        std::fprintf(stderr, "bench_core: %s refused\n", argv[1]);
        return 1;
    }
    const double load_ms = ms_since(start);
    const auto fit_start = std::chrono::steady_clock::now();
    const bool fitted = fit_jpeg(pixels, width, height);
    const double fit_ms = ms_since(fit_start);
    const double total_ms = ms_since(start);
    stbi_image_free(pixels);
    if (!fitted) {
        std::fprintf(stderr, "bench_core: nothing fitted\n");
        return 1;
    }

    int out_w = 0;
    int out_h = 0;
    int comp = 0;
    stbi_info_from_memory(output_store.bytes, static_cast<int>(output_store.count), &out_w, &out_h, &comp);
    if (argc > 2) {
        std::FILE* out = std::fopen(argv[2], "wb");
        if (out == nullptr || std::fwrite(output_store.bytes, 1, output_store.count, out) != output_store.count ||
            std::fclose(out) != 0) {
            std::fprintf(stderr, "bench_core: writing %s failed\n", argv[2]);
            return 1;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("source=%dx%d total_ms=%.1f load_ms=%.1f fit_ms=%.1f out=%dx%d bytes=%llu peak_rss_kb=%ld\n", width,
                height, total_ms, load_ms, fit_ms, out_w, out_h, static_cast<unsigned long long>(output_store.count),
                usage.ru_maxrss);
    return 0;
}
