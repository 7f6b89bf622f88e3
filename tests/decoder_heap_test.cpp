// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "decoder_heap.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "intake.h"
#include "test_images.h"

namespace {

TEST(DecoderHeap, BlocksAndGrownTailsStartZeroed)
{
    poison_freed_heap(0xA5);
    auto* block = static_cast<unsigned char*>(decoder_malloc(4096));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(block[i], 0) << i;
    std::memset(block, 0x11, 4096);
    block = static_cast<unsigned char*>(decoder_realloc(block, 4096, 300000));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[4095], 0x11);
    for (int i = 4096; i < 300000; ++i) ASSERT_EQ(block[i], 0) << i;
    decoder_free(block);
    poison_freed_heap(0);
}

TEST(DecoderHeap, RefusesBlocksPastTheCapAndKeepsTheOldBlock)
{
    EXPECT_EQ(decoder_malloc(DECODER_MAX_BLOCK + 1), nullptr);
    auto* block = static_cast<unsigned char*>(decoder_malloc(64));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x33, 64);
    EXPECT_EQ(decoder_realloc(block, 64, DECODER_MAX_BLOCK + 1), nullptr);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], 0x33) << i; // still the caller's
    decoder_free(block);
}

TEST(DecoderHeap, RecordsTheLargestRequestRefusedOrNot)
{
    decoder_reset_largest_request();
    decoder_free(decoder_malloc(1000));
    decoder_free(decoder_malloc(10));
    EXPECT_EQ(decoder_largest_request(), 1000u);
    EXPECT_EQ(decoder_malloc(DECODER_MAX_BLOCK + 7), nullptr);
    EXPECT_EQ(decoder_largest_request(), DECODER_MAX_BLOCK + 7);
    decoder_reset_largest_request();
    EXPECT_EQ(decoder_largest_request(), 0u);
}

// The PNG files that claim gigabytes: an IDAT length of 1.6 or 1.9 GB in a file
// of a few hundred bytes, and 2 MB that inflate to 1.9 GiB for one pixel. Each
// asks the decoder's heap for more than the cap and is refused.
TEST(DecoderHeap, GreedyPngsAreRefusedAtTheCap)
{
    const char* names[] = {
        "png_idat_length_1.6GB_realloc_from_501B_oom.png",
        "png_idat_length_1.9GB_realloc_from_668B_oom.png",
        "png_1x1_zlib_bomb_1.9GiB.png",
    };
    for (const char* name : names) {
        TempFile file(read_file(data_path(std::string("hostile/") + name)));
        int declared_w = 0;
        int declared_h = 0;
        int channels = 0;
        ASSERT_EQ(stbi_info_from_file(file.stream(), &declared_w, &declared_h, &channels), 1) << name;
        std::rewind(file.stream());
        decoder_reset_largest_request();
        std::uint8_t* pixels = nullptr;
        std::int32_t w = 0;
        std::int32_t h = 0;
        EXPECT_FALSE(load_source(file.stream(), &pixels, &w, &h)) << name;
        EXPECT_GT(decoder_largest_request(), decoder_budget_for(declared_w, declared_h)) << name;
    }
    // The bomb, last, is refused at its 2 MB of compressed data, long before
    // the inflated gigabytes.
    EXPECT_LT(decoder_largest_request(), std::size_t{4} << 20);
}

TEST(DecoderHeap, BudgetLimitsBlocksToTheImageUntilItEnds)
{
    const std::size_t small = decoder_budget_for(1, 1);
    EXPECT_LT(small, std::size_t{2} << 20);
    const std::size_t previous_limit = decoder_budget_begin(1, 1);
    EXPECT_EQ(decoder_malloc(small + 1), nullptr);
    void* small_block = decoder_malloc(small);
    EXPECT_NE(small_block, nullptr);
    decoder_free(small_block);
    decoder_budget_end(previous_limit);
    void* block = decoder_malloc(small + 1);
    EXPECT_NE(block, nullptr);
    decoder_free(block);
}

// Largest blocks measured with hostile_bench for interlaced 16-bit RGBA PNGs of
// 36,000,000 pixels, stored uncompressed: each image's budget must cover them.
TEST(DecoderHeap, BudgetCoversTheMeasuredLargestLegitimateBlocks)
{
    struct Measured {
        int width;
        int height;
        std::size_t largest;
    };
    const Measured measured[] = {{6000, 6000, 576012000}, {1125, 32000, 576064000}};
    for (const Measured& m : measured) {
        EXPECT_GE(decoder_budget_for(m.width, m.height), m.largest) << m.width << "x" << m.height;
        EXPECT_LE(decoder_budget_for(m.width, m.height), DECODER_MAX_BLOCK);
    }
    // Stored 8-bit RGBA needs 4 bytes a pixel and a row byte, doubled at most.
    EXPECT_GE(decoder_budget_for(1, 32768), 2u * (4u * 32768u + 32768u));
}

} // namespace
