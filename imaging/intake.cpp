// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "intake.h"

#include <stb/stb_image.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>

#include "decoder_heap.h"
#include "jpeg_guard.h"
#include "jpeg_plane_ring.h"

namespace {

// The decoder takes a file for a JPEG when its first byte is 0xFF (the start
// marker, after any fill bytes); no PNG starts so. Rewinds the stream.
bool starts_as_jpeg(std::FILE* stream)
{
    const int first = std::fgetc(stream);
    std::rewind(stream);
    return first == 0xFF;
}

// Decodes a JPEG of one scan with its planes kept in two rows of MCUs; one
// that turns out to need them whole (a colour transform named after the scan)
// is decoded again from its start with whole planes. A file of more scans
// would need that every time, so it has whole planes from the start.
stbi_uc* decode(std::FILE* stream, int* w, int* h, int wanted, int scans)
{
    int channels = 0;
    jpeg_plane_ring = scans == 1;
    stbi_uc* decoded = stbi_load_from_file(stream, w, h, &channels, wanted);
    jpeg_plane_ring = false;
    const char* reason = stbi_failure_reason();
    if (decoded != nullptr || reason == nullptr || std::strcmp(reason, JPEG_PLANES_NEEDED_WHOLE) != 0) return decoded;
    std::rewind(stream);
    return stbi_load_from_file(stream, w, h, &channels, wanted);
}

} // namespace

bool load_source(std::FILE* stream, std::uint8_t** pixels, std::int32_t* width, std::int32_t* height)
{
    int w = 0;
    int h = 0;
    int channels = 0;
    // The decoder mishandles some JPEG table and scan structures even in its
    // probe, so the markers are walked first.
    int scans = 0;
    if (!jpeg_markers_safe(stream, &scans)) return false;
    std::rewind(stream);
    // The probe reads only the header, so an oversized file is refused before
    // any pixel memory exists.
    if (stbi_info_from_file(stream, &w, &h, &channels) == 0) return false;
    if (w <= 0 || h <= 0) return false;
    if (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > MAX_SOURCE_PIXELS) return false;

    std::rewind(stream);
    // A JPEG has no alpha, so it is decoded straight to RGB, the same colours
    // as in RGBA and a quarter less memory; a PNG to RGBA, flattened below.
    const int wanted = starts_as_jpeg(stream) ? 3 : 4;
    const std::size_t previous_limit = decoder_budget_begin(w, h);
    stbi_uc* decoded = decode(stream, &w, &h, wanted, scans);
    decoder_budget_end(previous_limit);
    if (decoded == nullptr) return false;

    if (wanted == 4) flatten_onto_white(decoded, w, h);
    *pixels = decoded;
    *width = w;
    *height = h;
    return true;
}

namespace {

// c / 255 for every c from 127 to 255 * 255 + 127, the range flattening
// produces, by one multiplication and shift; checked below for each of them.
constexpr std::uint32_t divide_by_255(std::uint32_t c)
{
    return (c * 0x8081u) >> 23;
}

constexpr bool divide_by_255_exact()
{
    for (std::uint32_t c = 127; c <= 255u * 255u + 127u; ++c) {
        if (divide_by_255(c) != c / 255u) return false;
    }
    return true;
}
static_assert(divide_by_255_exact(), "multiply-shift differs from c / 255");

void flatten_pixel(const std::uint8_t* src, std::uint8_t* dst)
{
    const std::uint32_t a = src[3];
    const std::uint32_t white = (255 - a) * 255 + 127;
    const std::uint32_t r = src[0];
    const std::uint32_t g = src[1];
    const std::uint32_t b = src[2];
    dst[0] = static_cast<std::uint8_t>(divide_by_255(r * a + white));
    dst[1] = static_cast<std::uint8_t>(divide_by_255(g * a + white));
    dst[2] = static_cast<std::uint8_t>(divide_by_255(b * a + white));
}

#if defined(__SSE2__)
// flatten_pixel on four pixels at once in 16-bit lanes: c * a + (255 - a) *
// 255 + 127 is at most 255 * 255 + 127, so it fits, and divide_by_255's
// multiply-shift is the high half of the 16 x 16-bit product shifted by 7.
// The alpha lanes come out as something, which the packing drops.
__m128i flatten_half(__m128i c)
{
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xFF), 0xFF);
    const __m128i max = _mm_set1_epi16(255);
    const __m128i white = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(max, a), max), _mm_set1_epi16(127));
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(c, a), white);
    return _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(static_cast<short>(0x8081))), 7);
}

__m128i flatten_4(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    return _mm_packus_epi16(flatten_half(_mm_unpacklo_epi8(v, zero)), flatten_half(_mm_unpackhi_epi8(v, zero)));
}
#endif

} // namespace

void flatten_onto_white(std::uint8_t* pixels, std::int32_t width, std::int32_t height)
{
    const std::uint64_t n = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    std::uint64_t i = 0;
    // Pixel i is read from bytes 4i..4i+3 before bytes 3i..3i+2 are written,
    // and no later pixel's bytes lie below 3i+3, so one ascending pass is safe.
#if defined(__SSE2__)
    // Opaque pixels need no arithmetic, only packing, done 16 at a time when
    // all 16 are opaque; other groups are flattened 4 at a time first. Each
    // group of 4 is read as 16 bytes at 4k and written as 16 bytes at 3k, of
    // which the last 4 are rewritten by the next group.
    // All 64 bytes are read before any is written, the writes end below the
    // next unread byte (3k + 15 < 4k + 16), and the loop stops while
    // 3(i + 16) + 4 <= 3n, so no byte past pixel n's packed bytes changes.
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i low3 = _mm_set1_epi64x(0x0000000000FFFFFFll);
    const __m128i high3 = _mm_set1_epi64x(0x0000FFFFFF000000ll);
    // Each 8-byte half becomes its two pixels' 6 colour bytes, then the upper
    // half moves down 2 bytes to follow the lower one.
    auto pack = [&](__m128i v) {
        const __m128i halves = _mm_or_si128(_mm_and_si128(v, low3), _mm_and_si128(_mm_srli_epi64(v, 8), high3));
        return _mm_or_si128(_mm_move_epi64(halves), _mm_slli_si128(_mm_srli_si128(halves, 8), 6));
    };
    for (; i + 18 <= n; i += 16) {
        const __m128i* src = reinterpret_cast<const __m128i*>(pixels + 4 * i);
        __m128i v0 = _mm_loadu_si128(src);
        __m128i v1 = _mm_loadu_si128(src + 1);
        __m128i v2 = _mm_loadu_si128(src + 2);
        __m128i v3 = _mm_loadu_si128(src + 3);
        const __m128i all = _mm_and_si128(_mm_and_si128(v0, v1), _mm_and_si128(v2, v3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(all, alpha), alpha)) != 0xFFFF) {
            v0 = flatten_4(v0);
            v1 = flatten_4(v1);
            v2 = flatten_4(v2);
            v3 = flatten_4(v3);
        }
        std::uint8_t* dst = pixels + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), pack(v0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 12), pack(v1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 24), pack(v2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 36), pack(v3));
    }
#endif
    for (; i < n; ++i) flatten_pixel(pixels + 4 * i, pixels + 3 * i);
}
