// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The exact bytes of fitted JPEGs. They depend on how the decoder and encoder
// are compiled (compiler, version, flags); a change that alters a single
// output byte fails here instead of drifting unnoticed. The hashes are those
// of the g++ -O3 build's outputs, natively and for Windows alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#include "fitting.h"
#include "intake.h"
#include "sha256.h"
#include "test_images.h"

namespace {

std::string stored_sha256()
{
    return sha256_hex(output_store.bytes, static_cast<std::size_t>(output_store.count));
}

TEST(FittedBytes, RealPhotosAndPngsAsEveryEarlierBuild)
{
    // Baseline and progressive JPEG, CMYK, a 16-bit PNG with alpha, an
    // interlaced one: each decoder path the photos take, then the encoder.
    struct Case {
        const char* file;
        const char* sha256;
    } cases[] = {
        {"jpeg/Landscape_1.jpg",
         "496d2bb2e2a3677534df20e9b691619b8f7b46d77f04efe40b6035ddf14810dc"},
        {"jpeg/golang-video-001.progressive.jpeg",
         "4cbfde33857ebb0ac62edaabbe055cd534d0ced4f99e4dc9ea0aac96a4ef4606"},
        {"jpeg/tree-cmyk.jpg",
         "a7c9df91842f19da8f8a9739b511bf8425f8b577e408a320cfede6292e5830a7"},
        {"pngsuite/basn6a16.png",
         "f312b2ae563c5728dbb1f7f93ed8200d37098833b31c5ed6830b8d4b8fbb9a2e"},
        {"pngsuite/basi2c08.png",
         "b7b4df03d1c1b55b154e5bf5d773f423d85442c2c58bd9590ae7eefb5766a31c"},
    };
    for (const Case& c : cases) {
        std::FILE* in = std::fopen(data_path(c.file).c_str(), "rb");
        ASSERT_NE(in, nullptr) << c.file;
        std::uint8_t* pixels = nullptr;
        std::int32_t width = 0;
        std::int32_t height = 0;
        const bool loaded = load_source(in, &pixels, &width, &height);
        std::fclose(in);
        ASSERT_TRUE(loaded) << c.file;
        EXPECT_TRUE(fit_jpeg(pixels, width, height)) << c.file;
        stbi_image_free(pixels);
        EXPECT_EQ(stored_sha256(), c.sha256) << c.file;
    }
}

TEST(FittedBytes, HalvedNoiseAsEveryEarlierBuild)
{
    // Too long at every quality at 2000 x 1600, so the ladder runs out,
    // the image is halved and the ladder starts again.
    const int w = 2000;
    const int h = 1600;
    std::mt19937 random(11);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
    for (auto& b : pixels) b = static_cast<std::uint8_t>(random());
    ASSERT_TRUE(fit_jpeg(pixels.data(), w, h));
    int out_w = 0;
    int out_h = 0;
    int channels = 0;
    ASSERT_TRUE(stbi_info_from_memory(output_store.bytes, static_cast<int>(output_store.count), &out_w, &out_h,
                                      &channels));
    EXPECT_EQ(out_w, w / 2);
    EXPECT_EQ(stored_sha256(), "ee9a1c6dbf3e9555333eb00423e3ca059dac4a023a5d27378e44a6b864e0ef23");
}

} // namespace
