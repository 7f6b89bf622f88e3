// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "png_inflate.h"

#include <libdeflate.h>

#include <cstddef>

#include <stb/stb_image.h>

#include "decoder_heap.h"

// When libdeflate may stand in for stb_image's inflater (v2.27 with our
// patches up to stb-1230):
//
// - Any failure of libdeflate (damaged data, more or less output than the
//   rows take, an incomplete or over-subscribed code, a stream that stops
//   mid-block, a stored block whose LEN and NLEN disagree or that runs past
//   the input, a distance before the output's start) hands the stream to
//   stb_image's inflater, which accepts or refuses it as it always did. More
//   output than the rows take is the one case stb_image may still accept;
//   less it accepts here and refuses later ("not enough pixels").
// - Where both decode, they decode alike: complete canonical codes, the same
//   length and distance tables (284 with 31 extra bits is 258 in both), the
//   same stored blocks, bytes after the final block ignored by both, the
//   Adler-32 checked by neither.
// - Where libdeflate 1.14 succeeds and stb_image refuses, our patch to
//   libdeflate (imaging/libdeflate/patches) makes it fail: litlen symbols 286
//   and 287, distance symbols 30 and 31, a code-length repeat past HLIT +
//   HDIST, codeword '1' of a single-codeword code, any use of an empty
//   distance code, and every other incomplete code, which stb_image accepts
//   until an unused codeword is read.
// - stb_image refuses a Huffman symbol read while fewer than 16 bits are
//   buffered and no input byte is left, so a stream that ends in the last
//   two bytes of the input may be refused there; it goes to stb_image. Two
//   bytes past the stream's end (a PNG's Adler-32 gives four) rule that out.
// - The zlib header is checked as stb_image checks it; a header it refuses
//   goes to stb_image to be refused with the library's message.
// - An interlaced image's rows take more than initial_size (each pass adds
//   filter bytes), so it keeps stb_image's inflater, which grows its buffer.
namespace {

// stb_image reads a symbol only while 16 bits or input bytes remain.
constexpr std::size_t STB_TAIL_BYTES = 2;

bool zlib_header_ok(const unsigned char* stream, int len)
{
    if (len < 3) return false; // stb_image wants a byte after the header
    const int cmf = stream[0];
    const int flg = stream[1];
    if ((cmf * 256 + flg) % 31 != 0) return false;
    if ((flg & 32) != 0) return false; // preset dictionary
    return (cmf & 15) == 8;            // DEFLATE
}

void* heap_malloc(std::size_t size)
{
    return decoder_malloc(size);
}

void heap_free(void* block)
{
    decoder_free(block);
}

} // namespace

unsigned char* png_inflate_exact(const unsigned char* stream, int len, int size, int parse_header)
{
    if (len <= 0 || size <= 0) return nullptr;
    if (parse_header && !zlib_header_ok(stream, len)) return nullptr;
    const std::size_t skip = parse_header ? 2 : 0;
    const std::size_t in_len = static_cast<std::size_t>(len) - skip;

    // The decompressor's own tables come from the decoder heap too.
    libdeflate_set_memory_allocator(heap_malloc, heap_free);
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (decompressor == nullptr) return nullptr;
    auto* out = static_cast<unsigned char*>(decoder_malloc(static_cast<std::size_t>(size)));
    std::size_t used = 0;
    bool ok = out != nullptr
        && libdeflate_deflate_decompress_ex(decompressor, stream + skip, in_len, out, static_cast<std::size_t>(size),
                                            &used, nullptr) == LIBDEFLATE_SUCCESS
        && in_len - used >= STB_TAIL_BYTES;
    libdeflate_free_decompressor(decompressor);
    if (ok) return out;
    decoder_free(out);
    return nullptr;
}

char* png_inflate(const char* buffer, int len, int initial_size, int* outlen, int parse_header, int interlaced)
{
    if (!interlaced) {
        unsigned char* out =
            png_inflate_exact(reinterpret_cast<const unsigned char*>(buffer), len, initial_size, parse_header);
        if (out != nullptr) {
            *outlen = initial_size;
            return reinterpret_cast<char*>(out);
        }
    }
    return stbi_zlib_decode_malloc_guesssize_headerflag(buffer, len, initial_size, outlen, parse_header);
}
