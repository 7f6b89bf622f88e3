// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "fitting.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <stb/stb_image_write.h>

namespace {

#if defined(__SSE2__)
// Channel sums of the 2 x 2 block whose top-left pixel starts at top and at
// bottom, plus 2 for rounding, in 16-bit lanes 0 to 2. Reads 8 bytes of each row.
__m128i block_sums(const std::uint8_t* top, const std::uint8_t* bottom)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i t = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(top)), zero);
    const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bottom)), zero);
    // Each column sum carries 1, so the block's sum carries 2.
    const __m128i v = _mm_add_epi16(_mm_add_epi16(t, b), _mm_set1_epi16(1));
    return _mm_add_epi16(v, _mm_srli_si128(v, 6));
}
#endif

// One output row from two source rows. Output row 0 lies over source row 0;
// there each group of output pixels is written after all its blocks are read,
// and below the next unread byte, so one ascending pass serves every row.
void halve_two_rows(std::uint8_t* out, const std::uint8_t* top, const std::uint8_t* bottom, std::int32_t w)
{
    const std::int32_t pairs = w / 2;
    std::int32_t x = 0;
#if defined(__SSE2__)
    // Four output pixels at a time, while a further pair follows, so that the
    // 8-byte reads never pass the row's end.
    const __m128i low3 = _mm_set1_epi64x(0x0000000000FFFFFFll);
    const __m128i high3 = _mm_set1_epi64x(0x0000FFFFFF000000ll);
    for (; x + 5 <= pairs; x += 4) {
        const std::uint8_t* t = top + 6 * x;
        const std::uint8_t* b = bottom + 6 * x;
        const __m128i s01 = _mm_unpacklo_epi64(block_sums(t, b), block_sums(t + 6, b + 6));
        const __m128i s23 = _mm_unpacklo_epi64(block_sums(t + 12, b + 12), block_sums(t + 18, b + 18));
        // Bytes 4k..4k+2 hold output pixel k; byte 4k+3 is left over.
        const __m128i quads = _mm_packus_epi16(_mm_srli_epi16(s01, 2), _mm_srli_epi16(s23, 2));
        const __m128i halves =
            _mm_or_si128(_mm_and_si128(quads, low3), _mm_and_si128(_mm_srli_epi64(quads, 8), high3));
        const __m128i packed = _mm_or_si128(_mm_move_epi64(halves), _mm_slli_si128(_mm_srli_si128(halves, 8), 6));
        std::uint8_t* o = out + 3 * x;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), packed);
        const std::int32_t last4 = _mm_cvtsi128_si32(_mm_srli_si128(packed, 8));
        std::memcpy(o + 8, &last4, 4);
    }
#endif
    for (; x < pairs; ++x) {
        for (int c = 0; c < 3; ++c) {
            const std::uint32_t sum = top[6 * x + c] + top[6 * x + c + 3] + bottom[6 * x + c] + bottom[6 * x + c + 3] + 2u;
            out[3 * x + c] = static_cast<std::uint8_t>(sum >> 2);
        }
    }
    if (w % 2 == 0) return;
    for (int c = 0; c < 3; ++c) {
        out[3 * pairs + c] = static_cast<std::uint8_t>((top[6 * pairs + c] + bottom[6 * pairs + c] + 1u) >> 1);
    }
}

// The last output row of an image with an odd height: one source row.
void halve_one_row(std::uint8_t* out, const std::uint8_t* top, std::int32_t w)
{
    const std::int32_t pairs = w / 2;
    for (std::int32_t x = 0; x < pairs; ++x, out += 3, top += 6) {
        for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((top[c] + top[c + 3] + 1u) >> 1);
    }
    if (w % 2 != 0) {
        for (int c = 0; c < 3; ++c) out[c] = top[c];
    }
}

} // namespace

void halve_in_place(std::uint8_t* pixels, std::int32_t* width, std::int32_t* height)
{
    const std::int32_t w = *width;
    const std::int32_t h = *height;
    const std::int32_t half_w = (w + 1) / 2;
    const std::int32_t half_h = (h + 1) / 2;
    const std::size_t row_bytes = static_cast<std::size_t>(w) * 3;
    const std::size_t half_row_bytes = static_cast<std::size_t>(half_w) * 3;
    // Output row y' starts at y' * half_row_bytes, never after source row 2y',
    // and within the row each output pixel lies at or before its block's first
    // pixel, so writing as we go never destroys a byte still to be read.
    const std::int32_t full = h / 2;
    for (std::int32_t y = 0; y < full; ++y) {
        std::uint8_t* out = pixels + static_cast<std::size_t>(y) * half_row_bytes;
        const std::uint8_t* top = pixels + static_cast<std::size_t>(2 * y) * row_bytes;
        halve_two_rows(out, top, top + row_bytes, w);
    }
    if (h % 2 != 0) {
        halve_one_row(pixels + static_cast<std::size_t>(full) * half_row_bytes,
                      pixels + static_cast<std::size_t>(2 * full) * row_bytes, w);
    }
    *width = half_w;
    *height = half_h;
}

bool fit_jpeg(std::uint8_t* pixels, std::int32_t width, std::int32_t height)
{
    for (;;) {
        for (const int quality : QUALITY_LADDER) {
            store_reset();
            // The encoder stops and returns 0 at the first row of blocks at
            // which the store refuses the attempt: refused either way.
            const int ok = stbi_write_jpg_to_func(store_write, &output_store, width, height, 3, pixels, quality);
            if (ok != 0 && output_store.count >= 1 && output_store.count <= MAX_JPEG_BYTES) return true;
        }
        if (width == 1 && height == 1) return false;
        halve_in_place(pixels, &width, &height);
    }
}
