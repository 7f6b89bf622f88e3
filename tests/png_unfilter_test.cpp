// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The SSE2 unfilter against the library's own loop: 8-bit RGB and RGBA PNGs
// whose rows carry every filter type, decoded by the program's decoder and by
// stb_image without the hooks, byte for byte.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdint>
#include <random>
#include <vector>

#include "plain_png_reference.h"

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// The decoder skips chunk CRCs, so they are left zero.
void chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, 0);
}

// A PNG whose IDAT holds `rows` (each a filter byte and its filtered bytes)
// as stored DEFLATE blocks; the Adler-32, unchecked, is zero.
std::vector<std::uint8_t> png_from_rows(std::uint32_t width, std::uint32_t height, int channels,
                                        const std::vector<std::uint8_t>& rows)
{
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> ihdr;
    put32(ihdr, width);
    put32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(channels == 4 ? 6 : 2), 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(rows.size() - at, 65535);
        z.push_back(at + n == rows.size() ? 1 : 0);
        z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
        const auto from = rows.begin() + static_cast<std::ptrdiff_t>(at);
        z.insert(z.end(), from, from + static_cast<std::ptrdiff_t>(n));
        at += n;
    } while (at < rows.size());
    z.insert(z.end(), 4, 0);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

enum class Fill { RANDOM, ZEROS, MAXIMA, ZERO_MAX_ALTERNATING };

std::uint8_t fill_byte(Fill fill, std::mt19937& random, std::size_t i)
{
    switch (fill) {
    case Fill::ZEROS: return 0;
    case Fill::MAXIMA: return 255;
    case Fill::ZERO_MAX_ALTERNATING: return i % 2 ? 255 : 0;
    default: return static_cast<std::uint8_t>(random());
    }
}

// Decodes with both decoders and compares every byte.
void expect_same_pixels(const std::vector<std::uint8_t>& png, const std::string& what)
{
    int w = 0, h = 0, c = 0, pw = 0, ph = 0;
    const int len = static_cast<int>(png.size());
    stbi_uc* ours = stbi_load_from_memory(png.data(), len, &w, &h, &c, 4);
    std::uint8_t* plain = plain_png_decode(png.data(), len, &pw, &ph);
    ASSERT_NE(plain, nullptr) << what;
    ASSERT_NE(ours, nullptr) << what;
    ASSERT_EQ(w, pw);
    ASSERT_EQ(h, ph);
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    std::size_t first = n;
    for (std::size_t i = 0; i < n && first == n; ++i) {
        if (ours[i] != plain[i]) first = i;
    }
    EXPECT_EQ(first, n) << what << ": first differing byte " << first << " (pixel " << first / 4 << ")";
    stbi_image_free(ours);
    plain_png_free(plain);
}

TEST(PngUnfilter, EveryFilterWidthAndFillAsTheLibrarysLoop)
{
    // Four rows of one filter: the first row (which reads zeros above),
    // then two Average or Paeth rows go as a pair and the last alone. Then
    // each filter after another, and pairs between single rows.
    const std::vector<std::vector<std::uint8_t>> sequences = {
        {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}, {4, 4, 4, 4},
        {4, 0, 1, 2, 3, 4}, {4, 4, 4, 3, 4, 4, 4}, {3, 3, 3, 4, 3, 3, 3},
    };
    std::mt19937 random(20);
    for (int channels : {3, 4}) {
        for (Fill fill : {Fill::RANDOM, Fill::ZEROS, Fill::MAXIMA, Fill::ZERO_MAX_ALTERNATING}) {
            for (std::uint32_t width = 1; width <= 33; ++width) {
                for (std::size_t sequence = 0; sequence < sequences.size(); ++sequence) {
                    const std::vector<std::uint8_t>& filters = sequences[sequence];
                    const auto height = static_cast<std::uint32_t>(filters.size());
                    std::vector<std::uint8_t> rows;
                    for (std::uint32_t y = 0; y < height; ++y) {
                        rows.push_back(filters[y]);
                        for (std::uint32_t i = 0; i < width * channels; ++i) rows.push_back(fill_byte(fill, random, i));
                    }
                    expect_same_pixels(png_from_rows(width, height, channels, rows),
                                       "channels " + std::to_string(channels) + ", fill " +
                                           std::to_string(static_cast<int>(fill)) + ", width " +
                                           std::to_string(width) + ", filters #" + std::to_string(sequence));
                }
            }
        }
    }
}

TEST(PngUnfilter, RefusesAFilterByteAboveFourAsTheLibrary)
{
    // Also after a Paeth row, which may take the row below with it.
    for (const std::uint8_t first : {std::uint8_t{0}, std::uint8_t{4}}) {
        const std::vector<std::uint8_t> rows = {first, 1, 2, 3, 4, 1, 2, 3, 5, 1, 2, 3};
        const std::vector<std::uint8_t> png = png_from_rows(1, 3, 3, rows);
        int w = 0, h = 0, c = 0;
        EXPECT_EQ(stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &c, 4), nullptr);
        EXPECT_EQ(plain_png_decode(png.data(), static_cast<int>(png.size()), &w, &h), nullptr);
    }
}

} // namespace
