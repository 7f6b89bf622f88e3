// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// SSE2 only, the x86-64 baseline: a lane of an SSE2 register adds and
// multiplies floats exactly as the scalar SSE code of the library does, so
// the results agree to the bit. Nothing wider, not even behind a run-time
// check: mingw-w64's GCC may spill 256-bit registers to stack slots that the
// Windows ABI aligns to 16 bytes only (GCC bug 54412), which crashes on
// Windows and never under Wine. No fused multiply-add either: it rounds once
// where the library rounds twice.
#include "jpeg_kernels.h"

#include <cstddef>
#include <cstring>

#include <emmintrin.h>

namespace {

// The helpers below run once or more per block; GCC would call some of them
// and pass their vectors through memory.
#define KERNEL_HELPER __attribute__((always_inline)) inline

// Natural order to zigzag position, as the library numbers it.
constexpr std::uint8_t ZIGZAG[64] = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
                                     3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
                                     10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
                                     21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};

// Zigzag position to natural order.
struct NaturalOrder {
    std::uint8_t of[64];
    constexpr NaturalOrder() : of()
    {
        for (int j = 0; j < 64; ++j) of[ZIGZAG[j]] = static_cast<std::uint8_t>(j);
    }
};
constexpr NaturalOrder NATURAL;

// A mask of natural positions moved to zigzag positions a row at a time:
// of[r][v] has bit ZIGZAG[8r + c] set for each bit c of v.
struct ZigzagBits {
    std::uint64_t of[8][256];
    constexpr ZigzagBits() : of()
    {
        for (int r = 0; r < 8; ++r) {
            for (int v = 0; v < 256; ++v) {
                for (int c = 0; c < 8; ++c) {
                    if ((v >> c) & 1) of[r][v] |= std::uint64_t{1} << ZIGZAG[8 * r + c];
                }
            }
        }
    }
};
constexpr ZigzagBits ZIGZAG_BITS;

// Level-shifted Y, U and V of four pixels, term by term as the library
// writes them: +0.299f*r + 0.587f*g + 0.114f*b - 128, and so on. g comes as
// g * 256 and b as b * 65536 (the bytes where a packed pixel holds them) and
// their factors scaled down as much: a power of two scales a float exactly,
// so each product, and so its rounding, is the library's.
KERNEL_HELPER void ycc_of_four(__m128i r, __m128i g_256, __m128i b_65536, float* Y, float* U, float* V)
{
    const float g_scale = 1.0f / 256;
    const float b_scale = 1.0f / 65536;
    const __m128 rf = _mm_cvtepi32_ps(r);
    const __m128 gf = _mm_cvtepi32_ps(g_256);
    const __m128 bf = _mm_cvtepi32_ps(b_65536);
    const __m128 y = _mm_sub_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(0.29900f), rf),
                                                      _mm_mul_ps(_mm_set1_ps(0.58700f * g_scale), gf)),
                                           _mm_mul_ps(_mm_set1_ps(0.11400f * b_scale), bf)),
                                _mm_set1_ps(128.0f));
    const __m128 u = _mm_add_ps(_mm_sub_ps(_mm_mul_ps(_mm_set1_ps(-0.16874f), rf),
                                           _mm_mul_ps(_mm_set1_ps(0.33126f * g_scale), gf)),
                                _mm_mul_ps(_mm_set1_ps(0.50000f * b_scale), bf));
    const __m128 v = _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(_mm_set1_ps(0.50000f), rf),
                                           _mm_mul_ps(_mm_set1_ps(0.41869f * g_scale), gf)),
                                _mm_mul_ps(_mm_set1_ps(0.08131f * b_scale), bf));
    _mm_storeu_ps(Y, y);
    _mm_storeu_ps(U, u);
    _mm_storeu_ps(V, v);
}

std::int32_t load32(const std::uint8_t* p)
{
    std::int32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

// The pixels at byte offset from of four rows, one per lane. Packed pixels
// (3 or 4 bytes, red first) are read as 32 bits, so with 3 bytes one more
// byte must follow; any other layout a byte at a time.
template <bool PACKED>
KERNEL_HELPER void ycc_of_four_rows(const std::uint8_t* const* rows, int from, int comp, float* Y, float* U, float* V)
{
    if (PACKED) {
        const __m128i px = _mm_setr_epi32(load32(rows[0] + from), load32(rows[1] + from), load32(rows[2] + from),
                                          load32(rows[3] + from));
        ycc_of_four(_mm_and_si128(px, _mm_set1_epi32(0xFF)), _mm_and_si128(px, _mm_set1_epi32(0xFF00)),
                    _mm_and_si128(px, _mm_set1_epi32(0xFF0000)), Y, U, V);
        return;
    }
    const int ofs_g = comp > 2 ? 1 : 0;
    const int ofs_b = comp > 2 ? 2 : 0;
    alignas(16) std::int32_t r[4];
    alignas(16) std::int32_t g[4];
    alignas(16) std::int32_t b[4];
    for (int k = 0; k < 4; ++k) {
        const std::uint8_t* px = rows[k] + from;
        r[k] = px[0];
        g[k] = px[ofs_g] << 8;
        b[k] = px[ofs_b] << 16;
    }
    ycc_of_four(_mm_load_si128(reinterpret_cast<const __m128i*>(r)), _mm_load_si128(reinterpret_cast<const __m128i*>(g)),
                _mm_load_si128(reinterpret_cast<const __m128i*>(b)), Y, U, V);
}

// The block's columns, four rows at a time, into the block layout; columns
// from inside on repeat the last one inside.
template <bool PACKED>
void ycc_of_block(const std::uint8_t* const* rows, int comp, int inside, int size, float* Y, float* U, float* V)
{
    for (int top = 0; top < size; top += 4) {
        const int quadrant_row = (top / 8) * 8 * size + top % 8;
        for (int col = 0; col < size; ++col) {
            const int pos = quadrant_row + (col / 8) * 8 + (col % 8) * size;
            const int from = (col < inside ? col : inside - 1) * comp;
            ycc_of_four_rows<PACKED>(rows + top, from, comp, Y + pos, U + pos, V + pos);
        }
    }
}

// The AAN forward DCT of the library (stbiw__jpg_DCT) on four rows or
// columns at once, one per lane.
KERNEL_HELPER void dct_lanes(__m128* d)
{
    const __m128 tmp0 = _mm_add_ps(d[0], d[7]);
    const __m128 tmp7 = _mm_sub_ps(d[0], d[7]);
    const __m128 tmp1 = _mm_add_ps(d[1], d[6]);
    const __m128 tmp6 = _mm_sub_ps(d[1], d[6]);
    const __m128 tmp2 = _mm_add_ps(d[2], d[5]);
    const __m128 tmp5 = _mm_sub_ps(d[2], d[5]);
    const __m128 tmp3 = _mm_add_ps(d[3], d[4]);
    const __m128 tmp4 = _mm_sub_ps(d[3], d[4]);

    // Even part
    const __m128 tmp10 = _mm_add_ps(tmp0, tmp3);
    const __m128 tmp13 = _mm_sub_ps(tmp0, tmp3);
    const __m128 tmp11 = _mm_add_ps(tmp1, tmp2);
    const __m128 tmp12 = _mm_sub_ps(tmp1, tmp2);
    d[0] = _mm_add_ps(tmp10, tmp11);
    d[4] = _mm_sub_ps(tmp10, tmp11);
    const __m128 z1 = _mm_mul_ps(_mm_add_ps(tmp12, tmp13), _mm_set1_ps(0.707106781f));
    d[2] = _mm_add_ps(tmp13, z1);
    d[6] = _mm_sub_ps(tmp13, z1);

    // Odd part
    const __m128 odd10 = _mm_add_ps(tmp4, tmp5);
    const __m128 odd11 = _mm_add_ps(tmp5, tmp6);
    const __m128 odd12 = _mm_add_ps(tmp6, tmp7);
    const __m128 z5 = _mm_mul_ps(_mm_sub_ps(odd10, odd12), _mm_set1_ps(0.382683433f));
    const __m128 z2 = _mm_add_ps(_mm_mul_ps(odd10, _mm_set1_ps(0.541196100f)), z5);
    const __m128 z4 = _mm_add_ps(_mm_mul_ps(odd12, _mm_set1_ps(1.306562965f)), z5);
    const __m128 z3 = _mm_mul_ps(odd11, _mm_set1_ps(0.707106781f));
    const __m128 z11 = _mm_add_ps(tmp7, z3);
    const __m128 z13 = _mm_sub_ps(tmp7, z3);
    d[5] = _mm_add_ps(z13, z2);
    d[3] = _mm_sub_ps(z13, z2);
    d[1] = _mm_add_ps(z11, z4);
    d[7] = _mm_sub_ps(z11, z4);
}

KERNEL_HELPER void transpose4(__m128* a, __m128* b, __m128* c, __m128* d)
{
    _MM_TRANSPOSE4_PS(*a, *b, *c, *d);
}

// Eight columns of four rows (d[c], rows in the lanes) as the four rows'
// columns 0-3 (d[0..3]) and 4-7 (d[4..7]).
KERNEL_HELPER void transpose4x8(__m128* d)
{
    transpose4(&d[0], &d[1], &d[2], &d[3]);
    transpose4(&d[4], &d[5], &d[6], &d[7]);
}

// Appends JPEG entropy-coded bits, most significant first, and writes each
// finished byte with a 0 after every 0xFF.
struct BitWriter {
    std::uint64_t bits;  // the pending bits in the low `count`
    int count;
    std::uint8_t* out;
};

KERNEL_HELPER void put_byte(BitWriter* w, std::uint32_t byte)
{
    *w->out++ = static_cast<std::uint8_t>(byte);
    if (byte == 0xFF) *w->out++ = 0;
}

// length <= 32, and value has no bits above length.
KERNEL_HELPER void put_bits(BitWriter* w, std::uint32_t value, int length)
{
    w->bits = (w->bits << length) | value;
    w->count += length;
    if (w->count < 32) return;
    w->count -= 32;
    const std::uint32_t word = static_cast<std::uint32_t>(w->bits >> w->count);
    // Without a 0xFF byte the word goes out whole.
    const std::uint32_t inverted = ~word;
    if (((inverted - 0x01010101u) & ~inverted & 0x80808080u) == 0) {
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                                       static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
        std::memcpy(w->out, bytes, 4);
        w->out += 4;
        return;
    }
    for (int shift = 24; shift >= 0; shift -= 8) put_byte(w, (word >> shift) & 0xFF);
}

// A Huffman code (code, length) followed by the value's magnitude category
// bits, as stbiw__jpg_calcBits gives them.
KERNEL_HELPER void put_coded(BitWriter* w, const unsigned short (*table)[2], int table_base, int value)
{
    const std::uint32_t magnitude = static_cast<std::uint32_t>(value < 0 ? -value : value);
    const int size = 32 - __builtin_clz(magnitude);
    const std::uint32_t extra = static_cast<std::uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1);
    const unsigned short* code = table[table_base + size];
    put_bits(w, (static_cast<std::uint32_t>(code[0]) << size) | extra, code[1] + size);
}

KERNEL_HELPER void put_code(BitWriter* w, const unsigned short* code)
{
    put_bits(w, code[0], code[1]);
}

// Bit i set where natural[i] is not zero.
KERNEL_HELPER std::uint64_t nonzero_mask(const __m128i* natural)
{
    std::uint64_t zeros = 0;
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        const __m128i* p = natural + 4 * i;
        // Saturating packs keep every non-zero value non-zero.
        const __m128i lo = _mm_packs_epi32(_mm_load_si128(p), _mm_load_si128(p + 1));
        const __m128i hi = _mm_packs_epi32(_mm_load_si128(p + 2), _mm_load_si128(p + 3));
        const __m128i bytes = _mm_packs_epi16(lo, hi);
        const auto is_zero = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)));
        zeros |= static_cast<std::uint64_t>(is_zero) << (16 * i);
    }
    return ~zeros;
}

KERNEL_HELPER std::uint64_t in_zigzag_order(std::uint64_t natural_mask)
{
    std::uint64_t mask = 0;
    for (int r = 0; r < 8; ++r) mask |= ZIGZAG_BITS.of[r][(natural_mask >> (8 * r)) & 255];
    return mask;
}

} // namespace

void jpeg_block_to_ycc(const std::uint8_t* data, int width, int height, int comp, int flip, int x, int y,
                       int size, float* Y, float* U, float* V)
{
    const int inside = x + size <= width ? size : width - x;
    const std::uint8_t* rows[16];
    bool holds_last_row = false;
    for (int row = 0; row < size; ++row) {
        // Rows past the image repeat its last row, columns its last column.
        const int clamped = y + row < height ? y + row : height - 1;
        const int source_row = flip ? height - 1 - clamped : clamped;
        rows[row] = data + (static_cast<std::size_t>(source_row) * width + x) * comp;
        holds_last_row = holds_last_row || source_row == height - 1;
    }
    // The image's last pixel in memory is the one without a byte after it.
    const bool ends_image = x + inside == width && holds_last_row;
    if (comp == 4 || (comp == 3 && !ends_image)) {
        ycc_of_block<true>(rows, comp, inside, size, Y, U, V);
    } else {
        ycc_of_block<false>(rows, comp, inside, size, Y, U, V);
    }
}

void jpeg_subsample_chroma(const float* block16, float* block8)
{
    const __m128 quarter = _mm_set1_ps(0.25f);
    // Output rows 0-3 come from the top quadrants, 4-7 from the bottom ones.
    for (int half = 0; half < 2; ++half) {
        for (int col = 0; col < 8; ++col) {
            const float* left = block16 + half * 128 + (col / 4) * 8 + (col % 4) * 32;
            const float* right = left + 16;
            const __m128 l0 = _mm_loadu_ps(left);
            const __m128 l1 = _mm_loadu_ps(left + 4);
            const __m128 r0 = _mm_loadu_ps(right);
            const __m128 r1 = _mm_loadu_ps(right + 4);
            // (left + right + below-left + below-right) * 0.25f, in that order.
            const __m128 sum = _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_shuffle_ps(l0, l1, _MM_SHUFFLE(2, 0, 2, 0)),
                                                                _mm_shuffle_ps(r0, r1, _MM_SHUFFLE(2, 0, 2, 0))),
                                                     _mm_shuffle_ps(l0, l1, _MM_SHUFFLE(3, 1, 3, 1))),
                                          _mm_shuffle_ps(r0, r1, _MM_SHUFFLE(3, 1, 3, 1)));
            _mm_storeu_ps(block8 + col * 8 + half * 4, _mm_mul_ps(sum, quarter));
        }
    }
}

std::uint64_t jpeg_dct_quantize(const float* block, int du_stride, const float* fdtbl, std::int32_t* natural)
{
    // The library transforms the rows first, then the columns. Rows four at
    // a time, one per lane, as the block layout holds them; the transposes
    // leave rows[r][c] with coefficient c of row r.
    alignas(16) float rows[8][8];
    for (int top = 0; top < 8; top += 4) {
        __m128 d[8];
        for (int c = 0; c < 8; ++c) d[c] = _mm_loadu_ps(block + c * du_stride + top);
        dct_lanes(d);
        transpose4x8(d);
        for (int r = 0; r < 4; ++r) {
            _mm_store_ps(rows[top + r], d[r]);
            _mm_store_ps(rows[top + r] + 4, d[r + 4]);
        }
    }

    // Columns four at a time, then (int)(v < 0 ? v - 0.5f : v + 0.5f), the
    // conversion truncating: v + 0.5f with 0.5f carrying v's sign, the same
    // sum (-0.0f gives +-0.5f, both 0 once truncated).
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 half = _mm_set1_ps(0.5f);
    auto* out = reinterpret_cast<__m128i*>(natural);
    for (int left = 0; left < 8; left += 4) {
        __m128 d[8];
        for (int r = 0; r < 8; ++r) d[r] = _mm_load_ps(rows[r] + left);
        dct_lanes(d);
        for (int r = 0; r < 8; ++r) {
            const __m128 v = _mm_mul_ps(d[r], _mm_loadu_ps(fdtbl + r * 8 + left));
            const __m128 rounding = _mm_or_ps(_mm_and_ps(v, sign), half);
            _mm_store_si128(out + r * 2 + left / 4, _mm_cvttps_epi32(_mm_add_ps(v, rounding)));
        }
    }
    return in_zigzag_order(nonzero_mask(out));
}

int jpeg_encode_block(JpegWriteFunc* func, void* context, int* bit_buf, int* bit_count, const std::int32_t* natural,
                      std::uint64_t nonzero, int dc, const unsigned short dc_table[256][2],
                      const unsigned short ac_table[256][2])
{
    // At most 68 codes of up to 32 bits and 7 pending bits, every byte possibly stuffed.
    std::uint8_t bytes[1024];
    // The library keeps fewer than 8 pending bits, its first at bit 23.
    BitWriter w{0, *bit_count, bytes};
    w.bits = (static_cast<std::uint32_t>(*bit_buf) >> (24 - w.count)) & ((1u << w.count) - 1);

    const int diff = natural[0] - dc;
    if (diff == 0) {
        put_code(&w, dc_table[0]);
    } else {
        put_coded(&w, dc_table, 0, diff);
    }
    nonzero &= ~std::uint64_t{1};
    int last = 0;
    while (nonzero != 0) {
        const int i = __builtin_ctzll(nonzero);
        nonzero &= nonzero - 1;
        int zeros = i - last - 1;
        last = i;
        for (; zeros >= 16; zeros -= 16) put_code(&w, ac_table[0xF0]);
        put_coded(&w, ac_table, zeros << 4, natural[NATURAL.of[i]]);
    }
    if (last != 63) put_code(&w, ac_table[0x00]);

    for (; w.count >= 8; w.count -= 8) put_byte(&w, static_cast<std::uint32_t>(w.bits >> (w.count - 8)) & 0xFF);
    *bit_count = w.count;
    *bit_buf = static_cast<int>((static_cast<std::uint32_t>(w.bits) & ((1u << w.count) - 1)) << (24 - w.count));
    const int length = static_cast<int>(w.out - bytes);
    if (length > 0) func(context, bytes, length);
    return natural[0];
}

int jpeg_process_block(JpegWriteFunc* func, void* context, int* bit_buf, int* bit_count, const float* block,
                       int du_stride, const float* fdtbl, int dc, const unsigned short dc_table[256][2],
                       const unsigned short ac_table[256][2])
{
    alignas(16) std::int32_t natural[64];
    const std::uint64_t nonzero = jpeg_dct_quantize(block, du_stride, fdtbl, natural);
    return jpeg_encode_block(func, context, bit_buf, bit_count, natural, nonzero, dc, dc_table, ac_table);
}
