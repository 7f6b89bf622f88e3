// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// libFuzzer target: the PNG reader's inflate call against stb_image's own
// inflater. The input is a zlib stream after four bytes that say how many
// bytes the image's rows take (the first three, up to 1 MiB) and whether the
// stream has a zlib header (the fourth's lowest bit; iPhone PNGs have none).
// Wherever libdeflate's path decodes a stream, the library's inflater must
// decode it to the same bytes, and the call must give what that inflater gives.
// Since that path takes only a stream of exactly the rows' size, it is also
// asked with the size libdeflate alone gives the stream, whatever the input's.
//   build/fuzz/fuzz/png_inflate_fuzzer -dict=... build/fuzz-inflate-corpus fuzz/inflate_seeds
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <libdeflate.h>
#include <stb/stb_image.h>

#include "decoder_heap.h"
#include "png_inflate.h"

namespace {

constexpr std::size_t LARGEST = 1 << 20;

// What libdeflate alone inflates the stream to (up to LARGEST), or 0.
int libdeflate_size(const std::uint8_t* stream, int len, int parse_header)
{
    const std::size_t skip = parse_header ? 2 : 0;
    if (len < static_cast<int>(skip)) return 0;
    static unsigned char out[LARGEST];
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    if (d == nullptr) return 0;
    std::size_t n = 0;
    const bool ok = libdeflate_deflate_decompress(d, stream + skip, static_cast<std::size_t>(len) - skip, out,
                                                  LARGEST, &n) == LIBDEFLATE_SUCCESS;
    libdeflate_free_decompressor(d);
    return ok ? static_cast<int>(n) : 0;
}

bool same(const char* a, int a_len, const char* b, int b_len)
{
    if ((a == nullptr) != (b == nullptr)) return false;
    return a == nullptr || (a_len == b_len && std::memcmp(a, b, static_cast<std::size_t>(a_len)) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    const int rows = 1 + static_cast<int>((data[0] | (data[1] << 8) | (data[2] << 16)) & 0xFFFFF);
    const int parse_header = (data[3] & 1) == 0;
    const char* stream = reinterpret_cast<const char*>(data + 4);
    const int len = static_cast<int>(size - 4);
    // The budget of a 1024 x 1024 image keeps the library's growing buffer
    // within the fuzzer's memory limit, as the budget keeps it in the program.
    const std::size_t previous = decoder_budget_begin(1024, 1024);

    unsigned char* fast = png_inflate_exact(data + 4, len, rows, parse_header);
    int plain_len = 0;
    char* plain = stbi_zlib_decode_malloc_guesssize_headerflag(stream, len, rows, &plain_len, parse_header);
    if (fast != nullptr && !same(reinterpret_cast<char*>(fast), rows, plain, plain_len)) std::abort();
    const int natural = libdeflate_size(data + 4, len, parse_header);
    if (natural > 0) {
        unsigned char* exact = png_inflate_exact(data + 4, len, natural, parse_header);
        if (exact != nullptr && !same(reinterpret_cast<char*>(exact), natural, plain, plain_len)) std::abort();
        decoder_free(exact);
    }
    int ours_len = 0;
    char* ours = png_inflate(stream, len, rows, &ours_len, parse_header, 0);
    if (!same(ours, ours_len, plain, plain_len)) std::abort();

    decoder_free(fast);
    decoder_free(plain);
    decoder_free(ours);
    decoder_budget_end(previous);
    return 0;
}
