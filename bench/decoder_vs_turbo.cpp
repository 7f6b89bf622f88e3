// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// One complete read of a JPEG photo by the program (load_source: probe,
// decode to RGBA, flatten onto white, what bench_core's load_ms measures)
// and by Debian's libjpeg-turbo (decode to RGB into memory allocated for the
// round and freed after it), which only the benchmarks link. ROUNDS times
// each, alternately; prints the best time of each in ms and their ratio.
//
//   decoder_vs_turbo PHOTO.jpg [ROUNDS]   (default 7)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <stb/stb_image.h>

#include "intake.h"

namespace {

using Clock = std::chrono::steady_clock;

double program_ms(const char* path)
{
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) std::exit(1);
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const auto start = Clock::now();
    const bool loaded = load_source(in, &pixels, &width, &height);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::fclose(in);
    if (!loaded) std::exit(1);
    stbi_image_free(pixels);
    return ms;
}

double turbo_ms(const char* path, int* width, int* height)
{
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) std::exit(1);
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    const auto start = Clock::now();
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, in);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 3;
    auto* pixels = static_cast<std::uint8_t*>(std::malloc(stride * cinfo.output_height));
    if (pixels == nullptr) std::exit(1);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels + cinfo.output_scanline * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    jpeg_destroy_decompress(&cinfo);
    std::free(pixels);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::fclose(in);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: decoder_vs_turbo PHOTO.jpg [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    int width = 0;
    int height = 0;
    double best_program = 1e30;
    double best_turbo = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const double p = program_ms(argv[1]);
        const double t = turbo_ms(argv[1], &width, &height);
        best_program = p < best_program ? p : best_program;
        best_turbo = t < best_turbo ? t : best_turbo;
    }
    std::printf("pixels=%dx%d rounds=%d program_ms=%.1f turbo_ms=%.1f program_over_turbo=%.2f\n", width, height,
                rounds, best_program, best_turbo, best_program / best_turbo);
    return 0;
}
