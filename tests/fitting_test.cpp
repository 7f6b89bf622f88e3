// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "fitting.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(StoreWrite, CountsPiecesAndSetsTheOverflowMark)
{
    struct Case {
        const char* name;
        std::vector<int> pieces;
        std::uint64_t count;
    } cases[] = {
        {"nothing", {}, 0},
        {"empty piece", {0}, 0},
        {"exactly full in one piece", {999999}, 999999},
        {"exactly full in two", {500000, 499999}, 999999},
        {"one byte too many", {1000000}, 1000000},
        {"full, then one byte", {999999, 1}, 1000000},
        {"full, then an empty piece", {999999, 0}, 999999},
        {"overflow, then a byte", {500000, 500000, 1}, 1000000},
        {"negative size", {10, -1}, 1000000},
        {"most negative size", {-2147483647 - 1}, 1000000},
        {"single bytes", {1, 1, 1}, 3},
        {"a single byte fills the last place", {999998, 1}, 999999},
        {"a single byte after the last place", {999998, 1, 1}, 1000000},
    };
    static std::uint8_t source[1000000];
    for (const Case& c : cases) {
        store_reset();
        for (int size : c.pieces) store_write(&output_store, source, size);
        EXPECT_EQ(output_store.count, c.count) << c.name;
    }
}

TEST(StoreRefuses, WhenWhatItHoldsPlusTheLeastStillToComePassesTheLimit)
{
    struct Case {
        const char* name;
        std::uint64_t count;
        std::size_t least;
        bool refused;
        std::uint64_t count_after;
    } cases[] = {
        {"empty, the rest could fill it exactly", 0, 999999, false, 0},
        {"empty, the rest is one byte too long", 0, 1000000, true, STORE_CAPACITY},
        {"ends exactly at the limit", 999997, 2, false, 999997},
        {"ends one byte past it", 999998, 2, true, STORE_CAPACITY},
        {"full, nothing to come", 999999, 0, false, 999999},
        {"overflowed already", STORE_CAPACITY, 0, true, STORE_CAPACITY},
        {"a bound near the type's end does not wrap", 10, SIZE_MAX, true, STORE_CAPACITY},
    };
    for (const Case& c : cases) {
        output_store.count = c.count;
        EXPECT_EQ(store_refuses(&output_store, c.least), c.refused) << c.name;
        EXPECT_EQ(output_store.count, c.count_after) << c.name;
        // Another context is never the store's business.
        output_store.count = c.count;
        Bytes other;
        EXPECT_FALSE(store_refuses(&other, c.least)) << c.name;
        EXPECT_EQ(output_store.count, c.count) << c.name;
    }
}

TEST(StoreWrite, KeepsThePiecesInOrderAndNeverTouchesTheLastByte)
{
    store_reset();
    output_store.bytes[STORE_CAPACITY - 1] = 0x77;
    std::uint8_t a[] = {1, 2, 3};
    std::uint8_t b[] = {4, 5};
    store_write(&output_store, a, 3);
    store_write(&output_store, b, 2);
    std::uint8_t c = 6;
    store_write(&output_store, &c, 1);
    ASSERT_EQ(output_store.count, 6u);
    EXPECT_EQ(Bytes(output_store.bytes, output_store.bytes + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    static std::uint8_t big[STORE_CAPACITY];
    std::memset(big, 0xEE, sizeof big);
    store_write(&output_store, big, static_cast<int>(STORE_CAPACITY - 6));
    EXPECT_EQ(output_store.count, STORE_CAPACITY);
    EXPECT_EQ(output_store.bytes[STORE_CAPACITY - 1], 0x77);
    store_reset();
    EXPECT_EQ(output_store.count, 0u);
}

// Straightforward halving into a second buffer, to compare the in-place one with.
Bytes reference_halve(const Bytes& src, int w, int h)
{
    const int hw = (w + 1) / 2;
    const int hh = (h + 1) / 2;
    Bytes out(static_cast<std::size_t>(hw) * hh * 3);
    for (int y = 0; y < hh; ++y) {
        for (int x = 0; x < hw; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                int n = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const int sx = 2 * x + dx;
                        const int sy = 2 * y + dy;
                        if (sx >= w || sy >= h) continue;
                        sum += src[(static_cast<std::size_t>(sy) * w + sx) * 3 + c];
                        ++n;
                    }
                }
                out[(static_cast<std::size_t>(y) * hw + x) * 3 + c] = static_cast<std::uint8_t>((sum + n / 2) / n);
            }
        }
    }
    return out;
}

Bytes halve(Bytes pixels, int* w, int* h)
{
    halve_in_place(pixels.data(), w, h);
    pixels.resize(static_cast<std::size_t>(*w) * *h * 3);
    return pixels;
}

TEST(HalveInPlace, MatchesASeparateBufferOnOddAndEvenSizes)
{
    std::mt19937 random(7);
    const int sizes[][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 3}, {5, 1}, {1, 5}, {7, 4}, {6, 5}, {10, 2}, {11, 3}, {19, 4}, {26, 5}, {33, 17}, {64, 63}};
    for (const auto& size : sizes) {
        Bytes pixels(static_cast<std::size_t>(size[0]) * size[1] * 3);
        for (auto& b : pixels) b = static_cast<std::uint8_t>(random());
        int w = size[0];
        int h = size[1];
        const Bytes got = halve(pixels, &w, &h);
        EXPECT_EQ(w, (size[0] + 1) / 2);
        EXPECT_EQ(h, (size[1] + 1) / 2);
        EXPECT_EQ(got, reference_halve(pixels, size[0], size[1])) << size[0] << "x" << size[1];
    }
}

TEST(HalveInPlace, ThreeByThreeBlocks)
{
    // Each pixel's red is its index; green and blue are constant.
    Bytes pixels;
    for (int i = 0; i < 9; ++i) pixels.insert(pixels.end(), {static_cast<std::uint8_t>(10 * i), 50, 200});
    int w = 3;
    int h = 3;
    const Bytes got = halve(pixels, &w, &h);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 2);
    EXPECT_EQ(got, (Bytes{20, 50, 200,  // (0+10+30+40)/4
                          35, 50, 200,  // (20+50)/2
                          65, 50, 200,  // (60+70)/2
                          80, 50, 200})); // 80 alone
}

TEST(HalveInPlace, RoundsHalfwayMeansUp)
{
    struct Case {
        Bytes reds;
        int w, h;
        std::uint8_t expected;
    } cases[] = {
        {{0, 0, 1, 1}, 2, 2, 1}, {{0, 0, 0, 1}, 2, 2, 0}, {{1, 2, 2, 2}, 2, 2, 2},
        {{10, 11}, 2, 1, 11},    {{0, 1}, 1, 2, 1},
    };
    for (const Case& c : cases) {
        Bytes pixels;
        for (std::uint8_t r : c.reds) pixels.insert(pixels.end(), {r, 0, 0});
        int w = c.w;
        int h = c.h;
        EXPECT_EQ(halve(pixels, &w, &h)[0], c.expected);
    }
}

TEST(HalveInPlace, AveragesChannelsSeparatelyAndTouchesOnlyTheFirstPixel)
{
    Bytes pixels = {255, 0, 0, 0, 0, 255, 9, 9, 9, 9, 9, 9};
    int w = 2;
    int h = 1;
    halve_in_place(pixels.data(), &w, &h);
    EXPECT_EQ(pixels, (Bytes{128, 0, 128, 0, 0, 255, 9, 9, 9, 9, 9, 9}));
}

TEST(HalveInPlace, ThinImagesShrinkOnlyAlongTheirLength)
{
    int w = 1;
    int h = 5;
    Bytes pixels(15, 1);
    const int heights[] = {3, 2, 1};
    for (int expected : heights) {
        halve_in_place(pixels.data(), &w, &h);
        EXPECT_EQ(w, 1);
        EXPECT_EQ(h, expected);
    }
    w = 5;
    h = 1;
    halve_in_place(pixels.data(), &w, &h);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 1);
}

void append(void* context, void* data, int size)
{
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

Bytes encode(const Bytes& rgb, int w, int h, int quality)
{
    Bytes out;
    stbi_write_jpg_to_func(append, &out, w, h, 3, rgb.data(), quality);
    return out;
}

// Random pixels of a fixed seed.
Bytes noise(int w, int h, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes pixels(static_cast<std::size_t>(w) * h * 3);
    for (auto& b : pixels) b = static_cast<std::uint8_t>(random());
    return pixels;
}

Bytes stored()
{
    return Bytes(output_store.bytes, output_store.bytes + output_store.count);
}

TEST(FitJpeg, OnePixelIsAcceptedAtTheTopQuality)
{
    Bytes pixel = {200, 100, 50};
    ASSERT_TRUE(fit_jpeg(pixel.data(), 1, 1));
    EXPECT_EQ(stored(), encode(pixel, 1, 1, 90));
    EXPECT_EQ(pixel, (Bytes{200, 100, 50}));
}

TEST(FitJpeg, NoiseIsHalvedUntilItFitsAndDecodesAtTheHalvedSize)
{
    // Random noise compresses badly: at 2000 x 1600 even quality 54 is too
    // long, so the image must be halved and the ladder start again.
    const int w = 2000;
    const int h = 1600;
    Bytes pixels = noise(w, h, 3);
    ASSERT_GT(encode(pixels, w, h, 54).size(), MAX_JPEG_BYTES);

    // What the ladder must find, worked out with a growing buffer.
    Bytes expected;
    Bytes image = pixels;
    int ew = w;
    int eh = h;
    while (expected.empty()) {
        for (int q : QUALITY_LADDER) {
            Bytes attempt = encode(image, ew, eh, q);
            if (attempt.size() <= MAX_JPEG_BYTES) {
                expected = attempt;
                break;
            }
        }
        if (expected.empty()) image = halve(image, &ew, &eh);
    }
    ASSERT_LT(ew, w);

    ASSERT_TRUE(fit_jpeg(pixels.data(), w, h));
    EXPECT_EQ(stored(), expected);

    int dw = 0;
    int dh = 0;
    int channels = 0;
    stbi_uc* decoded = stbi_load_from_memory(output_store.bytes, static_cast<int>(output_store.count), &dw, &dh, &channels, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(dw, ew);
    EXPECT_EQ(dh, eh);
    stbi_image_free(decoded);
}

// What the encoder offers the store once the overflow mark is set.
std::uint64_t offered_after_mark = 0;

void counting_store_write(void* context, void* data, int size)
{
    if (output_store.count > MAX_JPEG_BYTES) offered_after_mark += static_cast<std::uint64_t>(size);
    store_write(context, data, size);
}

TEST(FitJpeg, AnEncodeIntoTheStoreStopsWithinARowOfBlocksOfTheMark)
{
    // Noise is about equally long in every row of blocks, several times the
    // store at both qualities: 90 encodes rows of 16 pixels (chroma halved),
    // 95 rows of 8.
    const int w = 2000;
    const int h = 1600;
    const Bytes pixels = noise(w, h, 5);
    const struct {
        int quality;
        int block_rows;
    } cases[] = {{90, h / 16}, {95, h / 8}};
    for (const auto& c : cases) {
        const std::uint64_t full = encode(pixels, w, h, c.quality).size();
        ASSERT_GT(full, 2 * STORE_CAPACITY) << c.quality;
        store_reset();
        offered_after_mark = 0;
        EXPECT_EQ(stbi_write_jpg_to_func(counting_store_write, &output_store, w, h, 3, pixels.data(), c.quality), 0)
            << c.quality;
        EXPECT_EQ(output_store.count, STORE_CAPACITY) << c.quality;
        EXPECT_LE(offered_after_mark, 2 * full / static_cast<std::uint64_t>(c.block_rows)) << c.quality;

        // Any other context is left alone, whatever the store holds.
        ASSERT_EQ(output_store.count, STORE_CAPACITY);
        EXPECT_EQ(encode(pixels, w, h, c.quality).size(), full) << c.quality;
    }
}

// Everything the encoder hands the store, kept.
Bytes offered;

void recording_store_write(void* context, void* data, int size)
{
    append(&offered, data, size);
    store_write(context, data, size);
}

// Bytes of an encoded JPEG up to the end of its scan header.
std::size_t header_length(const Bytes& jpeg)
{
    for (std::size_t i = 0; i + 3 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) return i + 2 + (jpeg[i + 2] << 8 | jpeg[i + 3]);
    }
    return 0;
}

TEST(FitJpeg, TheEncoderStopsAsSoonAsTheRestCannotFitAndNotBefore)
{
    // Mid-grey has nothing but zero coefficients, so each block costs exactly
    // the least a block can: its 2-bit DC code and its end of block. The bound
    // the encoder gives the store is then exact at every row, and an attempt
    // that the store's earlier bytes push to exactly MAX_JPEG_BYTES must still
    // be written whole. 90 encodes 16 x 16 blocks, 95 8 x 8 ones (a multiple
    // of 8 of them, so no bits are left over).
    const int w = 2048;
    const int h = 1024;
    const Bytes grey(static_cast<std::size_t>(w) * h * 3, 128);
    const struct {
        int quality;
        int mcu;
        std::uint64_t least_mcu_bits;
    } cases[] = {{90, 16, 32}, {95, 8, 14}};
    static std::uint8_t padding[STORE_CAPACITY];
    for (const auto& c : cases) {
        const Bytes full = encode(grey, w, h, c.quality);
        const std::uint64_t header = header_length(full);
        const std::uint64_t mcus = static_cast<std::uint64_t>(w / c.mcu) * static_cast<std::uint64_t>(h / c.mcu);
        ASSERT_EQ(full.size(), header + mcus * c.least_mcu_bits / 8 + 2) << c.quality;
        const std::uint64_t fits = MAX_JPEG_BYTES - full.size();
        for (const std::uint64_t pad : {fits, fits + 1}) {
            store_reset();
            store_write(&output_store, padding, static_cast<int>(pad));
            offered.clear();
            const int ok = stbi_write_jpg_to_func(recording_store_write, &output_store, w, h, 3, grey.data(), c.quality);
            if (pad == fits) {
                EXPECT_EQ(ok, 1) << c.quality;
                EXPECT_EQ(output_store.count, MAX_JPEG_BYTES) << c.quality;
                EXPECT_EQ(offered, full) << c.quality;
            } else {
                // One byte more, and the first row already cannot fit: the
                // encoder stops before its first block.
                EXPECT_EQ(ok, 0) << c.quality;
                EXPECT_EQ(output_store.count, STORE_CAPACITY) << c.quality;
                EXPECT_EQ(offered, Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(header)))
                    << c.quality;
            }
        }
    }
}

} // namespace
