// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The program's JPEG encoder, with its vector kernels, against Debian's
// unpatched writer: the same bytes for every size of edge block (widths 1 to
// 33, heights around the 8- and 16-row blocks), both chroma modes (quality up
// to 90 subsamples), and content that drives the colour conversion, the DCT
// and the Huffman coder to their ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "jpeg_writers.h"

namespace {

enum Content { NOISE, FLAT, GRADIENT, EXTREMES, SPARSE };
const char* const CONTENT_NAMES[] = {"noise", "flat", "gradient", "0/255", "sparse"};

std::vector<std::uint8_t> pixels_of(Content content, int width, int height, int comp, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * comp);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < comp; ++c) {
                std::uint8_t& p = pixels[(static_cast<std::size_t>(y) * width + x) * comp + c];
                switch (content) {
                case NOISE: p = static_cast<std::uint8_t>(random()); break;
                case FLAT: p = static_cast<std::uint8_t>(37 + 90 * c); break;
                case GRADIENT: p = static_cast<std::uint8_t>((x * 255 / width + y * 97 / height + 60 * c) % 256); break;
                case EXTREMES: p = (random() & 1) != 0 ? 255 : 0; break;
                // One lit pixel in a dark field: long runs of zeros between
                // the few coefficients.
                case SPARSE: p = (x == width / 3 && y == height / 2) ? 255 : static_cast<std::uint8_t>(4 * c); break;
                }
            }
        }
    }
    return pixels;
}

// Where the two encodes first differ, for the failure message.
std::size_t first_difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

struct Shape {
    int width, height, comp, quality;
    bool flip;
    Content content;
};

int check(const Shape& s, std::uint32_t seed)
{
    const std::vector<std::uint8_t> pixels = pixels_of(s.content, s.width, s.height, s.comp, seed);
    const std::vector<std::uint8_t> expected = plain_jpeg(pixels.data(), s.width, s.height, s.comp, s.quality, s.flip);
    const std::vector<std::uint8_t> actual = program_jpeg(pixels.data(), s.width, s.height, s.comp, s.quality, s.flip);
    EXPECT_FALSE(expected.empty());
    if (actual == expected) return 0;
    ADD_FAILURE() << s.width << "x" << s.height << " comp " << s.comp << " q" << s.quality << (s.flip ? " flipped " : " ")
                  << CONTENT_NAMES[s.content] << ": " << actual.size() << " bytes against " << expected.size()
                  << ", first difference at byte " << first_difference(actual, expected);
    return 1;
}

TEST(JpegWriter, SameBytesAsThePlainLibraryForEveryEdgeBlock)
{
    const int heights[] = {1, 2, 7, 8, 9, 15, 16, 17, 31, 33};
    const int qualities[] = {1, 54, 66, 78, 90, 91, 100};
    const Content contents[] = {NOISE, FLAT, GRADIENT, EXTREMES, SPARSE};
    int failures = 0;
    std::uint32_t seed = 1;
    for (int width = 1; width <= 33 && failures < 5; ++width) {
        for (const int height : heights) {
            for (const int quality : qualities) {
                for (const Content content : contents) {
                    failures += check({width, height, 3, quality, false, content}, seed++);
                }
            }
        }
    }
}

TEST(JpegWriter, SameBytesAsThePlainLibraryForOtherLayouts)
{
    // Grey, grey with alpha and RGBA rows, and rows stored bottom up, on a
    // few sizes: the conversion reads them through other offsets.
    const int qualities[] = {54, 90, 91, 100};
    int failures = 0;
    std::uint32_t seed = 1000;
    for (const int comp : {1, 2, 3, 4}) {
        for (const bool flip : {false, true}) {
            for (const int size : {5, 16, 23}) {
                for (const int quality : qualities) {
                    failures += check({size, size + 3, comp, quality, flip, NOISE}, seed++);
                    failures += check({size + 1, size, comp, quality, flip, GRADIENT}, seed++);
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(JpegWriter, SameBytesAsThePlainLibraryForALargeNoisyPhoto)
{
    // Every byte value is written and stuffed many times over, and the coder
    // meets its longest codes.
    for (const int quality : {54, 100}) check({517, 389, 3, quality, false, NOISE}, 7);
}

} // namespace
