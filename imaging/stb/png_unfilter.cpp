#include "png_unfilter.h"

#include <cstring>

// SSE2 only: it is the x86-64 baseline, and the one pixel a step the Sub,
// Average and Paeth filters allow (each needs the pixel to its left) fits in
// a quarter of an SSE2 register, so wider registers would gain nothing here.
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

void store4(std::uint8_t* p, __m128i v)
{
    const std::int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, 4);
}

// (a + b) >> 1 per byte: pavgb rounds up, so take the odd sums' 1 back.
__m128i average(__m128i a, __m128i b)
{
    const __m128i odd = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
    return _mm_sub_epi8(_mm_avg_epu8(a, b), odd);
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
        const __m128i x = IMG_N == 3 ? load3(raw + 3 * i, i + 1 == width) : load4(raw + 4 * i);
        const __m128i b = _mm_unpacklo_epi8(load4(prior + 4 * i), zero);
        a = _mm_and_si128(_mm_add_epi16(_mm_unpacklo_epi8(x, zero), paeth16(a, b, c)), low_byte);
        c = b;
        store4(out + 4 * i, _mm_or_si128(_mm_packus_epi16(a, a), alpha));
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
        const __m128i x = IMG_N == 3 ? load3(raw + 3 * i, i + 1 == width) : load4(raw + 4 * i);
        // On the first row the library reads the row above as zeros.
        const __m128i b = prior != nullptr ? load4(prior + 4 * i) : _mm_setzero_si128();
        __m128i p = x;
        if (FILTER == SUB) p = _mm_add_epi8(x, a);
        if (FILTER == UP) p = _mm_add_epi8(x, b);
        if (FILTER == AVERAGE) p = _mm_add_epi8(x, average(a, b));
        a = _mm_or_si128(p, alpha);
        store4(out + 4 * i, a);
    }
}

template <int IMG_N>
void unfilter_row(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width,
                  int filter)
{
    switch (filter) {
    case SUB: unfilter<IMG_N, SUB>(out, prior, raw, width); break;
    case UP: unfilter<IMG_N, UP>(out, prior, raw, width); break;
    case AVERAGE: unfilter<IMG_N, AVERAGE>(out, prior, raw, width); break;
    case PAETH:
        // paeth(left, 0, 0) is the left pixel: on the first row it is Sub.
        if (prior == nullptr) unfilter<IMG_N, SUB>(out, prior, raw, width);
        else unfilter_paeth<IMG_N>(out, prior, raw, width);
        break;
    default: unfilter<IMG_N, NONE>(out, prior, raw, width); break;
    }
}

} // namespace

int png_unfilter_row(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width,
                     int img_n, int out_n, int filter)
{
    if (out_n != 4 || filter < 0 || filter > 4) return 0;
    if (img_n == 3) {
        unfilter_row<3>(out, prior, raw, width, filter);
        return 1;
    }
    if (img_n == 4) {
        unfilter_row<4>(out, prior, raw, width, filter);
        return 1;
    }
    return 0;
}
