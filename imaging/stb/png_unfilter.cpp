// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "png_unfilter.h"

#include <cstring>

// SSE2 only: it is the x86-64 baseline, and wide enough. Each step of Sub,
// Average and Paeth waits for the pixel to its left, so a step holds one
// pixel, or one of each of two rows, and wider registers would hold nothing
// more (while AVX code from mingw-w64's GCC risks GCC bug 54412).
#include <emmintrin.h>

namespace {

__m128i load4(const std::uint8_t* p)
{
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}

// A 3-byte pixel, its fourth lane zero; reads 4 bytes where that stays
// inside the row (the last pixel's fourth byte may lie past the buffer).
__m128i load3(const std::uint8_t* p, bool last)
{
    if (!last) return load4(p);
    const std::int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
    return _mm_cvtsi32_si128(v);
}

template <int IMG_N>
__m128i load_pixel(const std::uint8_t* raw, std::uint32_t i, std::uint32_t width)
{
    return IMG_N == 3 ? load3(raw + 3 * i, i + 1 == width) : load4(raw + 4 * i);
}

void store4(std::uint8_t* p, __m128i v)
{
    const std::int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, 4);
}

// (a + b) >> 1 per byte is pavgb(a, b), which rounds up, less this.
__m128i odd_carry(__m128i a, __m128i b)
{
    return _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
}

__m128i select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

__m128i absolute(__m128i v)
{
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// The Paeth predictor on 16-bit lanes, ties to a, then b, as stbi__paeth.
__m128i paeth16(__m128i a, __m128i b, __m128i c)
{
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i pa = absolute(bc);
    const __m128i pb = absolute(ac);
    const __m128i pc = absolute(_mm_add_epi16(bc, ac));
    const __m128i not_a = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    const __m128i b_or_c = select(_mm_cmpgt_epi16(pb, pc), c, b);
    return select(not_a, b_or_c, a);
}

// Paeth rows stay in 16-bit lanes from pixel to pixel: the left pixel is the
// one operand every step waits for.
template <int IMG_N>
void unfilter_paeth(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low_byte = _mm_set1_epi16(0xFF);
    const __m128i alpha = IMG_N == 3 ? _mm_cvtsi32_si128(static_cast<int>(0xFF000000u)) : zero;
    __m128i a = zero;
    __m128i c = zero;
    for (std::uint32_t i = 0; i < width; ++i) {
        const __m128i x = load_pixel<IMG_N>(raw, i, width);
        const __m128i b = _mm_unpacklo_epi8(load4(prior + 4 * i), zero);
        a = _mm_and_si128(_mm_add_epi16(_mm_unpacklo_epi8(x, zero), paeth16(a, b, c)), low_byte);
        c = b;
        store4(out + 4 * i, _mm_or_si128(_mm_packus_epi16(a, a), alpha));
    }
}

// Two Paeth rows side by side, the second a pixel behind: row 0's pixel i in
// the low half of each register, row 1's pixel i - 1 in the high half, whose
// pixel above is row 0's pixel i - 1, made the step before. Two independent
// chains keep the processor twice as busy as one.
template <int IMG_N>
void unfilter_paeth_pair(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width)
{
    const std::uint8_t* raw1 = raw + IMG_N * width + 1; // after row 1's filter byte
    std::uint8_t* out1 = out + (out - prior); // as far below row 0 as row 0 below prior
    const __m128i zero = _mm_setzero_si128();
    const __m128i low_byte = _mm_set1_epi16(0xFF);
    const __m128i alpha = IMG_N == 3 ? _mm_set_epi32(0, 0, static_cast<int>(0xFF000000u), static_cast<int>(0xFF000000u))
                                     : zero;
    __m128i a = zero;      // left of both
    __m128i c = zero;      // above left of both: the step before's above
    for (std::uint32_t i = 0; i <= width; ++i) {
        const __m128i x0 = i < width ? load_pixel<IMG_N>(raw, i, width) : zero;
        const __m128i x1 = i > 0 ? load_pixel<IMG_N>(raw1, i - 1, width) : zero;
        const __m128i x = _mm_unpacklo_epi64(_mm_unpacklo_epi8(x0, zero), _mm_unpacklo_epi8(x1, zero));
        const __m128i above0 = i < width ? _mm_unpacklo_epi8(load4(prior + 4 * i), zero) : zero;
        const __m128i b = _mm_unpacklo_epi64(above0, a);
        a = _mm_and_si128(_mm_add_epi16(x, paeth16(a, b, c)), low_byte);
        c = b; // after the first step row 1's lanes are zero, as its first pixel's left and above left are
        const __m128i bytes = _mm_or_si128(_mm_packus_epi16(a, a), alpha);
        if (i < width) store4(out + 4 * i, bytes);
        if (i > 0) store4(out1 + 4 * (i - 1), _mm_srli_si128(bytes, 4));
    }
}

// Two Average rows side by side as the Paeth pair, in bytes: row 0's pixel i
// in bytes 0-3, row 1's pixel i - 1 in bytes 4-7.
template <int IMG_N>
void unfilter_average_pair(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw,
                           std::uint32_t width)
{
    const std::uint8_t* raw1 = raw + IMG_N * width + 1; // after row 1's filter byte
    std::uint8_t* out1 = out + (out - prior); // as far below row 0 as row 0 below prior
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = IMG_N == 3 ? _mm_set_epi32(0, 0, static_cast<int>(0xFF000000u), static_cast<int>(0xFF000000u))
                                     : zero;
    __m128i a = zero; // left of both; after the first step row 1's bytes are zero, as its first pixel's left is
    for (std::uint32_t i = 0; i <= width; ++i) {
        const __m128i x0 = i < width ? load_pixel<IMG_N>(raw, i, width) : zero;
        const __m128i x1 = i > 0 ? load_pixel<IMG_N>(raw1, i - 1, width) : zero;
        const __m128i x = _mm_unpacklo_epi32(x0, x1);
        const __m128i b = _mm_unpacklo_epi32(i < width ? load4(prior + 4 * i) : zero, a);
        a = _mm_sub_epi8(_mm_add_epi8(x, _mm_avg_epu8(a, b)), odd_carry(a, b));
        const __m128i bytes = _mm_or_si128(a, alpha);
        if (i < width) store4(out + 4 * i, bytes);
        if (i > 0) store4(out1 + 4 * (i - 1), _mm_srli_si128(bytes, 4));
    }
}

enum Filter { NONE, SUB, UP, AVERAGE, PAETH };

// One pixel a step: x the filtered pixel, a left, b above.
template <int IMG_N, Filter FILTER>
void unfilter(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width)
{
    const __m128i alpha = IMG_N == 3 ? _mm_cvtsi32_si128(static_cast<int>(0xFF000000u)) : _mm_setzero_si128();
    __m128i a = _mm_setzero_si128();
    for (std::uint32_t i = 0; i < width; ++i) {
        const __m128i x = load_pixel<IMG_N>(raw, i, width);
        // On the first row the library reads the row above as zeros.
        const __m128i b = prior != nullptr ? load4(prior + 4 * i) : _mm_setzero_si128();
        // The left pixel is all each step waits for, so it is used as
        // early as can be: the alpha lane (which no other lane reads) is set
        // only in the stored copy, and the average's odd carry comes last.
        if (FILTER == NONE) a = x;
        if (FILTER == SUB) a = _mm_add_epi8(x, a);
        if (FILTER == UP) a = _mm_add_epi8(x, b);
        if (FILTER == AVERAGE) a = _mm_sub_epi8(_mm_add_epi8(x, _mm_avg_epu8(a, b)), odd_carry(a, b));
        store4(out + 4 * i, _mm_or_si128(a, alpha));
    }
}

template <int IMG_N>
int unfilter_rows(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width,
                  int filter, bool next_row_follows)
{
    switch (filter) {
    case SUB: unfilter<IMG_N, SUB>(out, prior, raw, width); return 1;
    case UP: unfilter<IMG_N, UP>(out, prior, raw, width); return 1;
    case AVERAGE:
        if (prior != nullptr && next_row_follows && raw[IMG_N * width] == AVERAGE) {
            unfilter_average_pair<IMG_N>(out, prior, raw, width);
            return 2;
        }
        unfilter<IMG_N, AVERAGE>(out, prior, raw, width);
        return 1;
    case PAETH:
        // paeth(left, 0, 0) is the left pixel: on the first row it is Sub.
        if (prior == nullptr) {
            unfilter<IMG_N, SUB>(out, prior, raw, width);
            return 1;
        }
        if (next_row_follows && raw[IMG_N * width] == PAETH) {
            unfilter_paeth_pair<IMG_N>(out, prior, raw, width);
            return 2;
        }
        unfilter_paeth<IMG_N>(out, prior, raw, width);
        return 1;
    default: unfilter<IMG_N, NONE>(out, prior, raw, width); return 1;
    }
}

} // namespace

int png_unfilter_rows(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width,
                      int img_n, int out_n, int filter, int next_row_follows)
{
    if (out_n != 4 || filter < 0 || filter > 4) return 0;
    if (img_n == 3) return unfilter_rows<3>(out, prior, raw, width, filter, next_row_follows != 0);
    if (img_n == 4) return unfilter_rows<4>(out, prior, raw, width, filter, next_row_follows != 0);
    return 0;
}
