// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Writes a photo-like test image: smooth light and colour over the whole
// frame, edges and texture of several sizes, and sensor grain, so that it
// compresses about as a camera photo does. Deterministic for a given seed.
//
//   make_photo OUT.jpg WIDTH HEIGHT            baseline JPEG, quality 90, chroma
//                                               subsampled 2 x 2 as cameras do
//   make_photo OUT.png WIDTH HEIGHT --alpha    8-bit RGBA PNG with soft
//                                               transparent corners and holes
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

namespace {

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// Smooth value noise in [0, 1] with cells of the given size.
float value_noise(float x, float y, float cell, std::uint32_t seed)
{
    const float fx = x / cell;
    const float fy = y / cell;
    const auto ix = static_cast<std::uint32_t>(fx);
    const auto iy = static_cast<std::uint32_t>(fy);
    float tx = fx - static_cast<float>(ix);
    float ty = fy - static_cast<float>(iy);
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto v = [&](std::uint32_t a, std::uint32_t b) { return static_cast<float>(hash(a, b, seed) >> 8) / 16777216.0f; };
    const float top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
    const float bottom = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

std::uint8_t clamp_byte(float v)
{
    if (v < 0) return 0;
    if (v > 255) return 255;
    return static_cast<std::uint8_t>(v + 0.5f);
}

void write_to_file(void* context, void* data, int size)
{
    std::fwrite(data, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(context));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_photo OUT WIDTH HEIGHT [--alpha]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const bool alpha = argc > 4 && std::strcmp(argv[4], "--alpha") == 0;
    if (width <= 0 || height <= 0) return 2;
    const int channels = alpha ? 4 : 3;
    const float scale = static_cast<float>(width) / 4000.0f; // features grow with the frame
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);

    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width * channels;
        const float fy = static_cast<float>(y);
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x);
            // Sky-to-ground light, large soft shapes, mid-size structure with
            // hard edges (leaves, bricks), fine texture and grain.
            const float light = 0.35f + 0.5f * static_cast<float>(y) / static_cast<float>(height);
            const float shapes = value_noise(fx, fy, 700 * scale, 1);
            const float structure = value_noise(fx, fy, 90 * scale, 2);
            const float edge = structure > 0.55f ? 1.0f : 0.0f;
            const float texture = value_noise(fx, fy, 6 * scale, 3) + 0.5f * value_noise(fx, fy, 2.5f, 4);
            const float grain = static_cast<float>(hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 5) & 15u) - 7.5f;
            const float base = 255 * light * (0.55f + 0.45f * shapes) - 40 * edge + 28 * texture + grain;
            const float hue = value_noise(fx, fy, 1200 * scale, 6);
            std::uint8_t* p = row + static_cast<std::size_t>(x) * channels;
            p[0] = clamp_byte(base * (0.8f + 0.4f * hue) + 10 * edge);
            p[1] = clamp_byte(base * (0.9f + 0.2f * shapes) - 15 * edge);
            p[2] = clamp_byte(base * (1.2f - 0.4f * hue) - 20 * edge);
            if (alpha) {
                // Opaque almost everywhere; soft transparent corners and a few
                // holes, so both the opaque and the blending paths run.
                const float dx = (fx - static_cast<float>(width) / 2) / static_cast<float>(width);
                const float dy = (fy - static_cast<float>(height) / 2) / static_cast<float>(height);
                const float r = std::sqrt(dx * dx + dy * dy);
                float a = r < 0.55f ? 255.0f : 255.0f * (0.7f - r) / 0.15f;
                if (value_noise(fx, fy, 300 * scale, 7) > 0.85f) a = 128;
                p[3] = clamp_byte(a);
            }
        }
    }

    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (file == nullptr) {
        std::perror(out.c_str());
        return 1;
    }
    int ok = 0;
    if (alpha) {
        stbi_write_png_compression_level = 6;
        ok = stbi_write_png_to_func(write_to_file, file, width, height, 4, pixels.data(), width * 4);
    } else {
        // The encoder subsamples chroma at quality 90 and below only.
        ok = stbi_write_jpg_to_func(write_to_file, file, width, height, 3, pixels.data(), 90);
    }
    if (std::fclose(file) != 0 || ok == 0) {
        std::fprintf(stderr, "make_photo: writing %s failed\n", out.c_str());
        return 1;
    }
    return 0;
}
