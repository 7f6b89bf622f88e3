// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Every hostile and PngSuite file through load_source: each must be refused or
// decoded as the table says, with the same pixels whatever the freed heap and
// the unused stack held; valid files decode to the plain library's pixels.
// Built with the linux-asan preset these also run under AddressSanitizer
// and UndefinedBehaviorSanitizer, which stop the test at the first report.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fitting.h"
#include "intake.h"
#include "jpeg_guard.h"
#include "test_images.h"

namespace {

struct Outcome {
    bool ok = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint64_t hash = 0; // FNV-1a of the flattened pixels
    bool operator==(const Outcome&) const = default;
};

Outcome load_after_poisoning(const std::vector<std::uint8_t>& bytes, std::uint8_t pattern)
{
    TempFile file(bytes);
    poison_freed_heap(pattern);
    poison_stack(pattern);
    Outcome out;
    std::uint8_t* pixels = nullptr;
    out.ok = load_source(file.stream(), &pixels, &out.width, &out.height);
    if (out.ok) {
        out.hash = 14695981039346656037ull;
        const std::size_t n = static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 3;
        for (std::size_t i = 0; i < n; ++i) out.hash = (out.hash ^ pixels[i]) * 1099511628211ull;
        stbi_image_free(pixels);
    }
    poison_freed_heap(0);
    return out;
}

std::vector<std::string> files_under(const std::string& folder)
{
    std::vector<std::string> out;
    const std::string root = data_path(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name.find("LICENSE") != std::string::npos || name.find("README") != std::string::npos) continue;
        out.push_back(std::filesystem::relative(entry.path(), root).generic_string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Hostile files the program accepts; every other file in hostile/ must be
// refused. A new file there needs its outcome decided here.
const char* const HOSTILE_ACCEPTED[] = {
    "crashtest/missing-sos.jpg",
    "crashtest/multiple-0xff-before-eoi.jpg",
    "jpeg_base_32768x1098_1scans.jpg",
    "jpeg_base_32768x1098_10scans.jpg",
    "jpeg_prog_32768x1098_1scans.jpg",
    "jpeg_prog_32768x1098_10scans.jpg",
    "jpeg_colour_undefined_dqt_table3.jpg",
    "jpeg_colour_undefined_quant_table_stale_heap_leaks_into_pixels.jpg",
    "jpeg_undefined_dqt_table2.jpg",
    "jpeg_undefined_quant_table_stale_heap_leaks_into_pixels.jpg",
    "fuzz_grey_1098x32768_one_empty_scan_slow_under_sanitizers.jpg",
    "fuzz_32768x1098_mostly_tables_slow_under_sanitizers.jpg",
    // Data cut inside a value: the missing bits are read as zeros.
    "jpeg_cut_inside_ac_value_shift_exponent_ubsan.jpg",
    "jpeg_cut_inside_dc_value_shift_exponent_ubsan.jpg",
    "jpeg_cut_inside_prog_dc_value_shift_exponent_ubsan.jpg",
    // Valid files whose rows an early conversion could take from a scan or
    // colour transform the file later replaces, or from planes kept two rows
    // of MCUs high (pixels in the plain table).
    "jpeg_rows_two_full_scans_420.jpg",
    "jpeg_rows_second_scan_cut_short_422.jpg",
    "jpeg_rows_grey_second_scan_restart_missing.jpg",
    "jpeg_rows_adobe_rgb_after_scan.jpg",
    "jpeg_rows_sampling_11.jpg",
    "jpeg_rows_sampling_12.jpg",
    "jpeg_rows_sampling_14.jpg",
    "jpeg_rows_sampling_21.jpg",
    "jpeg_rows_sampling_22.jpg",
    "jpeg_rows_sampling_31.jpg",
    "jpeg_rows_sampling_41.jpg",
    "jpeg_rows_sampling_42.jpg",
    "jpeg_rows_one_scan_restart_missing_420.jpg",
    "jpeg_rows_grey_one_scan_restart_missing.jpg",
    "jpeg_rows_restart_ends_at_last_mcu_420.jpg",
    "jpeg_rows_tall_sampling_14.jpg",
    // Controls beside the palette cases: every index inside the palette.
    "png_palette_16_entries_indices_to_15_valid.png",
    "png_palette_2bit_interlaced_4_entries_valid.png",
};

bool hostile_accepted(const std::string& name)
{
    return std::find(std::begin(HOSTILE_ACCEPTED), std::end(HOSTILE_ACCEPTED), name) != std::end(HOSTILE_ACCEPTED);
}

// PngSuite's x* files are corrupt; two of them differ from a good file only in
// a CRC, which the decoder does not check.
bool pngsuite_accepted(const std::string& name)
{
    return name[0] != 'x' || name == "xcsn0g01.png" || name == "xhdn0g08.png";
}

void expect_stable_outcome(const std::string& path, bool accepted)
{
    const std::vector<std::uint8_t> bytes = read_file(data_path(path));
    const Outcome first = load_after_poisoning(bytes, 0xA5);
    const Outcome second = load_after_poisoning(bytes, 0x5A);
    EXPECT_EQ(first.ok, accepted) << path;
    EXPECT_TRUE(first == second) << path << ": outcome or pixels depend on the freed heap or the stack";
}

TEST(Hostile, EveryHostileFileHasItsOutcomeWhateverMemoryHeld)
{
    const std::vector<std::string> names = files_under("hostile");
    ASSERT_GE(names.size(), 48u);
    for (const char* name : HOSTILE_ACCEPTED) {
        EXPECT_TRUE(std::find(names.begin(), names.end(), name) != names.end()) << name << " is missing";
    }
    for (const std::string& name : names) expect_stable_outcome("hostile/" + name, hostile_accepted(name));
}

TEST(Hostile, EveryPngSuiteFileHasItsOutcomeWhateverMemoryHeld)
{
    std::vector<std::string> names = files_under("pngsuite");
    ASSERT_GE(names.size(), 175u);
    for (const std::string& name : names) expect_stable_outcome("pngsuite/" + name, pngsuite_accepted(name));
}

// Camera and editor files keep the outcome they had before the marker walk;
// the refused ones are 12-bit, arithmetic-coded or use a DNL marker.
TEST(Hostile, RealJpegsKeepTheirOutcome)
{
    const std::map<std::string, bool> refused = {
        {"marker-ffdc.jpg", true}, {"monkey12.jpg", true}, {"testimgari.jpg", true}, {"testorig12.jpg", true}};
    std::vector<std::string> names = files_under("jpeg");
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return n.find(".jp") == std::string::npos; }),
                names.end());
    ASSERT_GE(names.size(), 25u);
    for (const std::string& name : names) {
        TempFile file(read_file(data_path("jpeg/" + name)));
        std::uint8_t* pixels = nullptr;
        std::int32_t w = 0;
        std::int32_t h = 0;
        const bool ok = load_source(file.stream(), &pixels, &w, &h);
        EXPECT_EQ(ok, refused.count(name) == 0) << name;
        if (ok) stbi_image_free(pixels);
    }
}

// The marker walk keeps these from load_source's probe; the decoder's own
// probe must refuse them as well, without writing past its Huffman tables.
TEST(Hostile, DecodersOwnProbeRefusesHuffmanTablesOfMoreThan256Codes)
{
    for (const char* name : {"jpeg_dht_257_codes_before_frame_probe_writes_past_table.jpg",
                             "fuzz_dht_counts_cut_by_end_of_file_ubsan_index_257.jpg"}) {
        TempFile file(read_file(data_path(std::string("hostile/") + name)));
        int w = 0;
        int h = 0;
        int channels = 0;
        EXPECT_EQ(stbi_info_from_file(file.stream(), &w, &h, &channels), 0) << name;
    }
}

// data/plain_decoder_pixels.txt holds, for every valid PngSuite and JPEG test
// file, the size and pixel hash that Debian's unpatched library gives
// (plain_decoder_hashes.cpp); the patches and guards must not change them.
TEST(Hostile, ValidFilesKeepThePlainLibrarysPixels)
{
    std::ifstream table(data_path("plain_decoder_pixels.txt"));
    std::string line;
    int files = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string hash;
        Outcome want;
        std::string path;
        fields >> hash >> want.width >> want.height >> path;
        want.ok = true;
        want.hash = std::stoull(hash, nullptr, 16);
        const Outcome got = load_after_poisoning(read_file(data_path(path)), 0);
        EXPECT_TRUE(got == want) << path << ": " << got.width << " x " << got.height << " " << std::hex << got.hash;
        ++files;
    }
    EXPECT_GE(files, 180);
}

// The encoder harness's input: six raw bytes taken as a 2 x 1 RGB image. In a
// translation unit built as C++17 its encoding shifts a negative int left,
// which UBSan reports; built as C++20, where that shift is defined, it runs
// clean and the image still fits.
TEST(Hostile, WriterInputEncodesWithoutUndefinedShift)
{
    std::vector<std::uint8_t> rgb =
        read_file(data_path("hostile/writer_ubsan_left_shift_negative_stbiw__jpg_writeBits.fuzzinput"));
    ASSERT_EQ(rgb.size(), 6u);
    ASSERT_TRUE(fit_jpeg(rgb.data(), 2, 1));
    EXPECT_GT(output_store.count, 0u);
    EXPECT_LE(output_store.count, MAX_JPEG_BYTES);
}

// --- The marker walk on hand-made structures -------------------------------

using Bytes = std::vector<std::uint8_t>;

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes SOI = {0xFF, 0xD8};
const Bytes EOI = {0xFF, 0xD9};
const Bytes SOF = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00};
const Bytes SOS = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
// Entropy-coded bytes holding a stuffed 0xFF and a restart marker.
const Bytes DATA = {0x12, 0xFF, 0x00, 0xC4, 0x34, 0xFF, 0xD0, 0x56};

// A DHT segment of one table per entry of counts; each table's symbols follow.
Bytes dht(const std::vector<std::vector<int>>& tables)
{
    Bytes body;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        body.push_back(static_cast<std::uint8_t>(t)); // DC table t
        int codes = 0;
        for (int count : tables[t]) {
            body.push_back(static_cast<std::uint8_t>(count));
            codes += count;
        }
        body.insert(body.end(), static_cast<std::size_t>(codes), 0x01);
    }
    const std::size_t length = body.size() + 2;
    Bytes out = {0xFF, 0xC4, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    return join({out, body});
}

std::vector<int> counts(int total)
{
    std::vector<int> out(16, 0);
    for (int i = 15; i >= 0 && total > 0; --i) {
        out[i] = std::min(total, 255);
        total -= out[i];
    }
    return out;
}

Bytes scans(int n)
{
    Bytes out;
    for (int i = 0; i < n; ++i) out = join({out, SOS, DATA});
    return out;
}

bool walk(const Bytes& bytes)
{
    TempFile file(bytes);
    return jpeg_markers_safe(file.stream());
}

Bytes app1(const Bytes& payload)
{
    const std::size_t length = payload.size() + 2;
    return join({{0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)}, payload});
}

TEST(JpegGuard, WalksSegmentsAndScansTheWayTheDecoderReadsThem)
{
    const Bytes good = dht({counts(12)});
    const Bytes full = dht({counts(256)});
    const Bytes over = dht({counts(257)});
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    struct Case {
        const char* what;
        Bytes bytes;
        bool safe;
    };
    const Case cases[] = {
        {"plain file", join({SOI, good, SOF, SOS, DATA, EOI}), true},
        {"256 codes", join({SOI, full, SOF, SOS, DATA, EOI}), true},
        {"257 codes before the frame", join({SOI, over, SOF, SOS, DATA, EOI}), false},
        {"257 codes after the frame", join({SOI, SOF, over, SOS, DATA, EOI}), false},
        {"257 codes in a segment's second table", join({SOI, dht({counts(12), counts(257)}), SOF, EOI}), false},
        {"257 codes between scans", join({SOI, SOF, good, SOS, DATA, over, SOS, DATA, EOI}), false},
        {"257 codes after fill bytes", join({SOI, SOF, SOS, DATA, {0xFF, 0xFF}, over, EOI}), false},
        {"257 codes after padding before the frame", join({SOI, good, {0x00, 0x17}, over, SOF, EOI}), false},
        {"257 codes inside an APP1 segment", join({SOI, app1(over), SOF, SOS, DATA, EOI}), true},
        {"257 codes after the end", join({SOI, SOF, SOS, DATA, EOI, over}), true},
        {"50 scans", join({SOI, SOF, scans(MAX_JPEG_SCANS), EOI}), true},
        {"51 scans", join({SOI, SOF, scans(MAX_JPEG_SCANS + 1), EOI}), false},
        {"51 scans with the end cut off", join({SOI, SOF, scans(MAX_JPEG_SCANS + 1)}), false},
        {"51 scans after the end", join({SOI, SOF, SOS, DATA, EOI, scans(MAX_JPEG_SCANS + 1)}), true},
        {"SOI after fill bytes", join({{0xFF}, SOI, over, EOI}), false},
        {"a PNG", png, true},
        {"an empty file", {}, true},
        {"cut inside a table's counts", join({SOI, Bytes(over.begin(), over.begin() + 15)}), true},
        {"counts past 256 cut by the end", join({SOI, {0xFF, 0xC4, 0x00, 0x18, 0x11, 0, 2, 3, 0, 0, 0, 0, 0, 0, 0xC0, 0x7F}}), false},
    };
    for (const Case& c : cases) EXPECT_EQ(walk(c.bytes), c.safe) << c.what;
}

// A scan count is a count of SOS markers, so stuffed bytes and restart markers
// in the entropy-coded data must not end a scan.
TEST(JpegGuard, StuffedBytesAndRestartMarkersStayInsideTheScan)
{
    Bytes data;
    for (int i = 0; i < 200; ++i) data = join({data, {0xFF, 0x00}, {static_cast<std::uint8_t>(0xD0 + i % 8)}, {0xFF, static_cast<std::uint8_t>(0xD0 + i % 8)}});
    EXPECT_TRUE(walk(join({SOI, SOF, SOS, data, EOI})));
    EXPECT_FALSE(walk(join({SOI, SOF, SOS, data, dht({counts(300)}), EOI})));
}

} // namespace
