// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// One complete JPEG encode of the same pixels by the program's writer
// (stb_image_write with the patches and kernels the program builds) and by
// Debian's libjpeg-turbo, which only this benchmark links. The photo is read
// and flattened as the program does, halved HALVINGS times, and encoded at
// QUALITY with 2 x 2 chroma subsampling (the writer's choice up to quality
// 90) by both, ROUNDS times each, alternately; prints the best time of each
// in ms and MP/s and their ratio.
//
//   writer_vs_turbo PHOTO [QUALITY [HALVINGS [ROUNDS]]]   (defaults 78 1 7)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "fitting.h"
#include "intake.h"

namespace {

using Clock = std::chrono::steady_clock;

// A growing buffer, so that no encode is stopped or refused for its size.
void append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

double writer_ms(const std::uint8_t* pixels, int width, int height, int quality, std::vector<std::uint8_t>* out)
{
    out->clear();
    const auto start = Clock::now();
    if (stbi_write_jpg_to_func(append, out, width, height, 3, pixels, quality) == 0) std::exit(1);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double turbo_ms(const std::uint8_t* pixels, int width, int height, int quality, unsigned long* size)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    unsigned char* buffer = nullptr;
    const auto start = Clock::now();
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo); // 2 x 2 chroma subsampling, standard tables
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::free(buffer);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: writer_vs_turbo PHOTO [QUALITY [HALVINGS [ROUNDS]]]\n");
        return 2;
    }
    const int quality = argc > 2 ? std::atoi(argv[2]) : 78;
    const int halvings = argc > 3 ? std::atoi(argv[3]) : 1;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 7;
    std::FILE* in = std::fopen(argv[1], "rb");
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (in == nullptr || !load_source(in, &pixels, &width, &height)) {
        std::fprintf(stderr, "writer_vs_turbo: %s not read\n", argv[1]);
        return 1;
    }
    std::fclose(in);
    for (int i = 0; i < halvings; ++i) halve_in_place(pixels, &width, &height);

    std::vector<std::uint8_t> written;
    unsigned long turbo_size = 0;
    double best_writer = 1e30;
    double best_turbo = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const double w = writer_ms(pixels, width, height, quality, &written);
        const double t = turbo_ms(pixels, width, height, quality, &turbo_size);
        best_writer = w < best_writer ? w : best_writer;
        best_turbo = t < best_turbo ? t : best_turbo;
    }
    stbi_image_free(pixels);
    const double mp = static_cast<double>(width) * height / 1e6;
    std::printf("pixels=%dx%d quality=%d rounds=%d writer_ms=%.1f writer_mp_s=%.1f writer_bytes=%zu "
                "turbo_ms=%.1f turbo_mp_s=%.1f turbo_bytes=%lu writer_over_turbo=%.2f\n",
                width, height, quality, rounds, best_writer, mp / best_writer * 1000, written.size(), best_turbo,
                mp / best_turbo * 1000, turbo_size, best_writer / best_turbo);
    return 0;
}
