// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "intake.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "test_images.h"

namespace {

// Packed RGB after a successful load, or an empty vector on refusal.
struct Loaded {
    bool ok = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;
};

Loaded load(std::FILE* stream)
{
    Loaded out;
    std::uint8_t* pixels = nullptr;
    out.ok = load_source(stream, &pixels, &out.width, &out.height);
    if (out.ok) {
        out.rgb.assign(pixels, pixels + static_cast<std::size_t>(out.width) * out.height * 3);
        stbi_image_free(pixels);
    }
    return out;
}

Loaded load_bytes(const std::vector<std::uint8_t>& bytes)
{
    TempFile file(bytes);
    return load(file.stream());
}

std::uint8_t flatten_one(std::uint8_t c, std::uint8_t a)
{
    std::uint8_t px[4] = {c, c, c, a};
    flatten_onto_white(px, 1, 1);
    return px[0];
}

TEST(Flatten, KnownValues)
{
    struct Case {
        std::uint8_t c, a, expected;
    } cases[] = {
        {0, 255, 0}, {77, 255, 77}, {255, 255, 255}, // opaque keeps its colour
        {0, 0, 255}, {123, 0, 255},                  // transparent becomes white
        {0, 128, 127}, {100, 128, 177}, {0, 1, 254}, {0, 254, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(flatten_one(c.c, c.a), c.expected) << "c=" << int(c.c) << " a=" << int(c.a);
    }
}

TEST(Flatten, EveryColourAndAlphaIsTheNearestInteger)
{
    // Nearest integer to c*a/255 + 255 - a, worked out in doubled units so the
    // check shares no arithmetic with the code under test.
    for (int a = 0; a < 256; ++a) {
        for (int c = 0; c < 256; ++c) {
            const int twice = 2 * (c * a + (255 - a) * 255);
            const int nearest = (twice + 255) / 510;
            ASSERT_EQ(flatten_one(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(a)), nearest)
                << "c=" << c << " a=" << a;
        }
    }
}

TEST(Flatten, PacksInPlaceAndLeavesTheTail)
{
    std::uint8_t px[] = {1, 2, 3, 255, 4, 5, 6, 255, 0, 0, 0, 128};
    flatten_onto_white(px, 3, 1);
    const std::uint8_t expected[] = {1, 2, 3, 4, 5, 6, 127, 127, 127, 0, 0, 128};
    EXPECT_EQ(std::vector<std::uint8_t>(px, px + 12), std::vector<std::uint8_t>(expected, expected + 12));
}

TEST(Flatten, OpaqueRunsAndMixedGroupsMatchPixelByPixel)
{
    // Opaque pixels take a packing path in groups; every group position of a
    // translucent pixel, and every tail length, must give the single-pixel
    // result and leave the bytes past the packed image alone.
    std::mt19937 random(11);
    for (int n = 1; n <= 52; ++n) {
        for (int translucent_at = -1; translucent_at < n; ++translucent_at) {
            std::vector<std::uint8_t> px(static_cast<std::size_t>(n) * 4);
            for (auto& b : px) b = static_cast<std::uint8_t>(random());
            for (int i = 0; i < n; ++i) px[4 * i + 3] = 255;
            if (translucent_at >= 0) px[4 * translucent_at + 3] = static_cast<std::uint8_t>(random() % 255);
            if (n > 20) px[4 * 17 + 3] = 0;
            std::vector<std::uint8_t> expected = px;
            for (int i = 0; i < n; ++i) {
                std::uint8_t one[4] = {px[4 * i], px[4 * i + 1], px[4 * i + 2], px[4 * i + 3]};
                flatten_onto_white(one, 1, 1);
                std::copy(one, one + 3, expected.begin() + 3 * i);
            }
            flatten_onto_white(px.data(), n, 1);
            ASSERT_EQ(px, expected) << "n=" << n << " translucent at " << translucent_at;
        }
    }
}

TEST(Flatten, EveryColourAndAlphaInGroupsMatchesPixelByPixel)
{
    // Groups with a translucent pixel are flattened four at a time: every
    // colour under every alpha there, each channel differently.
    std::vector<std::uint8_t> px(65536 * 4);
    for (std::size_t k = 0; k < 65536; ++k) {
        px[4 * k] = static_cast<std::uint8_t>(k);
        px[4 * k + 1] = static_cast<std::uint8_t>(255 - (k & 255));
        px[4 * k + 2] = static_cast<std::uint8_t>(k * 7);
        px[4 * k + 3] = static_cast<std::uint8_t>(k >> 8);
    }
    std::vector<std::uint8_t> expected(65536 * 3);
    for (std::size_t k = 0; k < 65536; ++k) {
        std::uint8_t one[4] = {px[4 * k], px[4 * k + 1], px[4 * k + 2], px[4 * k + 3]};
        flatten_onto_white(one, 1, 1);
        std::copy(one, one + 3, expected.begin() + static_cast<std::ptrdiff_t>(3 * k));
    }
    flatten_onto_white(px.data(), 65536, 1);
    px.resize(65536 * 3);
    EXPECT_EQ(px, expected);
}

TEST(LoadSource, FImageComesBackFlattenedPixelForPixel)
{
    const std::vector<Rgba> f = f_image();
    const Loaded got = load_bytes(png_bytes(f, F_WIDTH, F_HEIGHT));
    ASSERT_TRUE(got.ok);
    ASSERT_EQ(got.width, F_WIDTH);
    ASSERT_EQ(got.height, F_HEIGHT);
    for (std::size_t i = 0; i < f.size(); ++i) {
        std::uint8_t px[4] = {f[i].r, f[i].g, f[i].b, f[i].a};
        flatten_onto_white(px, 1, 1);
        EXPECT_EQ(got.rgb[3 * i], px[0]) << "pixel " << i;
        EXPECT_EQ(got.rgb[3 * i + 1], px[1]) << "pixel " << i;
        EXPECT_EQ(got.rgb[3 * i + 2], px[2]) << "pixel " << i;
    }
    EXPECT_EQ(got.rgb[3 * 5], 255); // transparent top right is white
    EXPECT_EQ(got.rgb[3 * 29], 127); // black at alpha 128, bottom right
    EXPECT_EQ(got.rgb[0], 255);     // top left is an opaque red stroke
    EXPECT_EQ(got.rgb[2], 0);
}

TEST(LoadSource, GreyPngArrivesAsEqualChannels)
{
    const std::vector<std::uint8_t> grey = {0, 40, 80, 120, 160, 200, 240, 255, 7};
    const Loaded got = load_bytes(grey_png_bytes(grey, 3, 3));
    ASSERT_TRUE(got.ok);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        EXPECT_EQ(got.rgb[3 * i], grey[i]);
        EXPECT_EQ(got.rgb[3 * i + 1], grey[i]);
        EXPECT_EQ(got.rgb[3 * i + 2], grey[i]);
    }
}

TEST(LoadSource, RefusesWhatIsNotAReadablePhotoWithinTheLimits)
{
    const std::vector<std::uint8_t> f_png = png_bytes(f_image(), F_WIDTH, F_HEIGHT);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty file", {}},
        {"PNG cut inside its header", std::vector<std::uint8_t>(f_png.begin(), f_png.begin() + 20)},
        {"GIF", {'G', 'I', 'F', '8', '9', 'a', 6, 0, 5, 0, 0, 0, 0}},
        {"BMP", {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0}},
        {"width 32,769", png_header_only(32769, 1)},
        {"height 32,769", png_header_only(1, 32769)},
        {"width 0", png_header_only(0, 10)},
        {"36,000,001 pixels", png_header_only(6001, 6000)},
        {"32,768 wide, one row too many", png_header_only(32768, 1099)},
        {"header without pixel data", png_header_only(6, 5)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(load_bytes(c.bytes).ok) << c.name;
    }
}

TEST(LoadSource, AcceptsTheLongestSide)
{
    std::vector<Rgba> wide(32768, Rgba{9, 8, 7, 255});
    wide[0] = {200, 100, 50, 255};
    const Loaded got = load_bytes(png_bytes(wide, 32768, 1));
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.width, 32768);
    EXPECT_EQ(got.rgb[0], 200);
    EXPECT_EQ(got.rgb[3 * 32767], 9);
    const Loaded tall = load_bytes(png_bytes(wide, 1, 32768));
    ASSERT_TRUE(tall.ok);
    EXPECT_EQ(tall.height, 32768);
}

TEST(LoadSource, AcceptsExactly36Megapixels)
{
    TempFile file(read_file(data_path("jpeg/black-6000x6000.jpg")));
    const Loaded got = load(file.stream());
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.width, 6000);
    EXPECT_EQ(got.height, 6000);
}

TEST(LoadSource, DecodesEveryPngColourTypeAndDepth)
{
    // PngSuite basic files, all 32 x 32, from 1-bit grey to 16-bit RGBA.
    const char* names[] = {"basn0g01", "basn0g08", "basn0g16", "basn2c08", "basn2c16", "basn3p01",
                           "basn3p08", "basn4a08", "basn4a16", "basn6a08", "basn6a16", "basi6a16"};
    for (const char* name : names) {
        TempFile file(read_file(data_path(std::string("pngsuite/") + name + ".png")));
        const Loaded got = load(file.stream());
        ASSERT_TRUE(got.ok) << name;
        EXPECT_EQ(got.width, 32) << name;
        EXPECT_EQ(got.height, 32) << name;
    }
}

TEST(LoadSource, LeavesTheStreamOpen)
{
    TempFile file({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    EXPECT_FALSE(load(file.stream()).ok);
    std::rewind(file.stream());
    EXPECT_EQ(std::fgetc(file.stream()), 'n');
}

} // namespace
