// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The decoder against the reference decoder, built without its speed patches,
// on scans that end where the bit buffer is being filled: cut by the end of
// the file, or stopped by a marker, at every seventh byte of the scan's data.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <string>
#include <vector>

#include "reference_decoder.h"
#include "test_images.h"

namespace {

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// As load_source calls the decoder, without the marker walk and flattening:
// the program's decoder, or the reference one.
template <auto info, auto load, auto release>
Decoded decode(std::FILE* stream)
{
    Decoded out;
    int channels = 0;
    if (info(stream, &out.width, &out.height, &channels) == 0) return out;
    std::rewind(stream);
    unsigned char* pixels = load(stream, &out.width, &out.height, &channels);
    if (pixels == nullptr) return out;
    out.ok = true;
    out.rgba.assign(pixels, pixels + static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4);
    release(pixels);
    return out;
}

unsigned char* program_load(std::FILE* stream, int* width, int* height, int* channels)
{
    return stbi_load_from_file(stream, width, height, channels, 4);
}

const auto program_decode = decode<stbi_info_from_file, program_load, stbi_image_free>;
const auto reference_decode = decode<reference_info_from_file, reference_load_from_file, reference_image_free>;

// Where the first scan's entropy-coded data starts, or 0.
std::size_t first_scan_data(const std::vector<std::uint8_t>& bytes)
{
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const std::size_t length = (std::size_t{bytes[at + 2]} << 8) | bytes[at + 3];
        if (bytes[at + 1] == 0xDA) return at + 2 + length;
        at += 2 + length;
    }
    return 0;
}

class ScanReader : public testing::TestWithParam<const char*> {};

TEST_P(ScanReader, DecodesCutAndStoppedScansAsBefore)
{
    const std::vector<std::uint8_t> whole = read_file(data_path(std::string("jpeg/") + GetParam()));
    const std::size_t start = first_scan_data(whole);
    ASSERT_GT(start, 0u);
    int accepted = 0;
    for (std::size_t cut = start; cut < whole.size(); cut += 7) {
        std::vector<std::uint8_t> cut_short(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        std::vector<std::uint8_t> stopped = cut_short;
        stopped.insert(stopped.end(), {0xFF, 0xD9});
        for (const std::vector<std::uint8_t>* bytes : {&cut_short, &stopped}) {
            TempFile file(*bytes);
            const Decoded actual = program_decode(file.stream());
            std::rewind(file.stream());
            const Decoded expected = reference_decode(file.stream());
            const char* how = bytes == &stopped ? " then EOI" : "";
            ASSERT_EQ(actual.ok, expected.ok) << "cut at " << cut << how;
            ASSERT_EQ(actual.width, expected.width) << "cut at " << cut << how;
            ASSERT_EQ(actual.height, expected.height) << "cut at " << cut << how;
            ASSERT_TRUE(actual.rgba == expected.rgba) << "cut at " << cut << how;
            accepted += expected.ok ? 1 : 0;
        }
    }
    // The decoder gives back what it has for a scan that ends early, so most
    // cuts reach the scan code rather than a refusal before it.
    EXPECT_GT(accepted, 0);
}

// Restart markers, baseline 4:2:0, progressive, one non-interleaved component.
INSTANTIATE_TEST_SUITE_P(Files, ScanReader,
    testing::Values("redbox-with-rst.jpg", "testorig.jpg", "testimgp.jpg", "golang-video-005.gray.jpeg"));

} // namespace
