#include "decoder_heap.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

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

struct Outcome {
    bool ok = false;
    std::vector<std::uint8_t> rgb;
    bool operator==(const Outcome&) const = default;
};

Outcome load_after_poisoning(const std::vector<std::uint8_t>& bytes, std::uint8_t pattern)
{
    TempFile file(bytes);
    poison_freed_heap(pattern);
    Outcome out;
    std::uint8_t* pixels = nullptr;
    std::int32_t w = 0;
    std::int32_t h = 0;
    out.ok = load_source(file.stream(), &pixels, &w, &h);
    if (out.ok) {
        out.rgb.assign(pixels, pixels + static_cast<std::size_t>(w) * h * 3);
        stbi_image_free(pixels);
    }
    poison_freed_heap(0);
    return out;
}

// Files whose scans use Huffman or quantisation tables they never define: the
// decoder would otherwise read whatever the heap held before.
TEST(DecoderHeap, UndefinedTablesGiveTheSameResultWhateverTheHeapHeld)
{
    const char* names[] = {
        "jpeg_undefined_dht_table1.jpg",
        "jpeg_undefined_dht_table3.jpg",
        "jpeg_undefined_dqt_table2.jpg",
        "jpeg_undefined_huffman_table_SEGV_O2_NDEBUG_with_stale_heap.jpg",
        "jpeg_undefined_quant_table_stale_heap_leaks_into_pixels.jpg",
        "jpeg_colour_undefined_dqt_table3.jpg",
        "jpeg_colour_undefined_quant_table_stale_heap_leaks_into_pixels.jpg",
        "jpeg_uninit_grow_buffer_shift_exponent_ubsan_fill190.jpg",
        "jpeg_uninit_stbi__jpeg_decode_block_msan.jpg",
        "jpeg_uninit_stbi__jpeg_huff_decode_msan.jpg",
        "jpeg_uninit_stbi__jpeg_prog_ac_fast_ac_msan.jpg",
        "jpeg_uninit_huffman_SEGV_O2_sequence/01_80e8cee0.jpg",
        "jpeg_uninit_huffman_SEGV_O2_sequence/02_811bf61a.jpg",
        "jpeg_uninit_huffman_SEGV_O2_sequence/03_813c07bc.jpg",
        "jpeg_uninit_huffman_SEGV_O2_sequence/04_826710bd.png",
        "jpeg_uninit_huffman_SEGV_O2_sequence/05_827a08ee.jpg",
        "jpeg_uninit_huffman_SEGV_O2_sequence/06_83296375.png",
        "jpeg_uninit_huffman_SEGV_O2_sequence/07_8367c806.jpg",
        "jpeg_uninit_huffman_SEGV_O2_sequence/08_83a7f3b8.jpg",
    };
    for (const char* name : names) {
        const std::vector<std::uint8_t> bytes = read_file(data_path(std::string("hostile/") + name));
        const Outcome first = load_after_poisoning(bytes, 0xA5);
        const Outcome second = load_after_poisoning(bytes, 0x5A);
        const Outcome third = load_after_poisoning(bytes, 0xFF);
        EXPECT_TRUE(first == second && second == third) << name;
    }
}

} // namespace
