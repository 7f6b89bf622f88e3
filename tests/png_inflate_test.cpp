// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The PNG reader's inflate call against stb_image's own inflater on
// hand-made zlib streams: each is accepted or refused by both alike, with the
// same bytes, and takes libdeflate's path only where that path is meant to.
#include "png_inflate.h"

#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// DEFLATE's bit order: fields from the lowest bit, Huffman codes from their
// highest.
struct Bits {
    std::vector<std::uint8_t> bytes;
    std::uint32_t pending = 0;
    int count = 0;

    Bits()
    {
        bytes.push_back(0x78); // zlib header
        bytes.push_back(0x9c);
    }

    void put(std::uint32_t value, int n)
    {
        for (int i = 0; i < n; ++i) {
            pending |= ((value >> i) & 1u) << count;
            if (++count == 8) flush();
        }
    }
    void code(std::uint32_t value, int length)
    {
        for (int i = length - 1; i >= 0; --i) put(value >> i, 1);
    }
    void flush()
    {
        if (count == 0) return;
        bytes.push_back(static_cast<std::uint8_t>(pending));
        pending = 0;
        count = 0;
    }
    // The final byte and `tail` more (the unchecked Adler-32 is 4).
    std::vector<std::uint8_t> end(int tail = 4)
    {
        flush();
        bytes.insert(bytes.end(), static_cast<std::size_t>(tail), 0);
        return bytes;
    }
};

// A canonical Huffman code from its code lengths.
struct Code {
    std::vector<int> lengths;
    std::vector<std::uint32_t> codes;
};

Code canonical(const std::vector<int>& lengths)
{
    int counts[16] = {};
    for (int l : lengths) ++counts[l];
    counts[0] = 0;
    std::uint32_t next[16] = {};
    std::uint32_t c = 0;
    for (int l = 1; l < 16; ++l) {
        c = (c + static_cast<std::uint32_t>(counts[l - 1])) << 1;
        next[l] = c;
    }
    Code code{lengths, std::vector<std::uint32_t>(lengths.size())};
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] != 0) code.codes[s] = next[lengths[s]]++;
    }
    return code;
}

void symbol(Bits& bits, const Code& code, int s)
{
    bits.code(code.codes[static_cast<std::size_t>(s)], code.lengths[static_cast<std::size_t>(s)]);
}

std::vector<int> fixed_litlen()
{
    std::vector<int> l(288, 8);
    for (int s = 144; s < 256; ++s) l[static_cast<std::size_t>(s)] = 9;
    for (int s = 256; s < 280; ++s) l[static_cast<std::size_t>(s)] = 7;
    return l;
}

const Code FIXED_LITLEN = canonical(fixed_litlen());
const Code FIXED_DISTANCE = canonical(std::vector<int>(32, 5));

void fixed_header(Bits& bits, bool final)
{
    bits.put(final, 1);
    bits.put(1, 2);
}

// A complete precode: lengths 0-15 in 5 bits, repeats 16 in 2, 17 and 18 in 3.
const Code PRECODE = canonical({5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3, 3});

// A dynamic block's header: the code lengths one by one, then `extra`
// precode symbols (symbol, repeat bits, their count) to append.
struct Repeat {
    int symbol, value, bits;
};
void dynamic_header(Bits& bits, bool final, const std::vector<int>& litlen, const std::vector<int>& distance,
                    const std::vector<Repeat>& lengths_as = {})
{
    static const int ORDER[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    bits.put(final, 1);
    bits.put(2, 2);
    bits.put(static_cast<std::uint32_t>(litlen.size() - 257), 5);
    bits.put(static_cast<std::uint32_t>(distance.size() - 1), 5);
    bits.put(19 - 4, 4);
    for (int s : ORDER) bits.put(static_cast<std::uint32_t>(PRECODE.lengths[static_cast<std::size_t>(s)]), 3);
    if (!lengths_as.empty()) {
        for (const Repeat& r : lengths_as) {
            symbol(bits, PRECODE, r.symbol);
            bits.put(static_cast<std::uint32_t>(r.value), r.bits);
        }
        return;
    }
    for (int l : litlen) symbol(bits, PRECODE, l);
    for (int l : distance) symbol(bits, PRECODE, l);
}

// Literal/length 0-285 in 9 bits (286 of 512): incomplete but usable.
const std::vector<int> LITLEN_NINE_BITS(286, 9);

// Literals 0-253 in 8 bits, 254-255, the end of block and length 3 (257) in
// 9 bits: a complete code.
std::vector<int> litlen_complete()
{
    std::vector<int> l(258, 8);
    for (int s = 254; s < 258; ++s) l[static_cast<std::size_t>(s)] = 9;
    return l;
}

// Every literal 8 bits (256 of 256 is full), so the end of block needs a
// longer code: 0-254 in 8 bits, 255 and 256 in 9 bits: complete.
std::vector<int> litlen_literals_and_end()
{
    std::vector<int> l(257, 8);
    l[255] = 9;
    l[256] = 9;
    return l;
}

struct Case {
    const char* name;
    std::vector<std::uint8_t> stream;
    int size;        // what the image's rows take
    bool accepted;   // by stb_image's inflater
    bool libdeflate; // decoded on libdeflate's path
};

std::vector<std::uint8_t> fixed_literals(const std::string& text, int tail = 4)
{
    Bits bits;
    fixed_header(bits, true);
    for (unsigned char ch : text) symbol(bits, FIXED_LITLEN, ch);
    symbol(bits, FIXED_LITLEN, 256);
    return bits.end(tail);
}

// "ab" then a match of litlen symbol `length` (its extra bits given) at
// distance symbol `distance`.
std::vector<std::uint8_t> fixed_match(int length, std::uint32_t length_extra, int length_bits, int distance)
{
    Bits bits;
    fixed_header(bits, true);
    symbol(bits, FIXED_LITLEN, 'a');
    symbol(bits, FIXED_LITLEN, 'b');
    symbol(bits, FIXED_LITLEN, length);
    bits.put(length_extra, length_bits);
    symbol(bits, FIXED_DISTANCE, distance);
    symbol(bits, FIXED_LITLEN, 256);
    return bits.end();
}

// 25,801 bytes of 'a', then a match of 3 at distance symbol 30 (extra bits
// 0: 24,577 back, inside the output).
std::vector<std::uint8_t> reserved_distance_far_back()
{
    Bits bits;
    fixed_header(bits, true);
    symbol(bits, FIXED_LITLEN, 'a');
    for (int i = 0; i < 100; ++i) {
        symbol(bits, FIXED_LITLEN, 285);
        symbol(bits, FIXED_DISTANCE, 0);
    }
    symbol(bits, FIXED_LITLEN, 257);
    symbol(bits, FIXED_DISTANCE, 30);
    bits.put(0, 13);
    symbol(bits, FIXED_LITLEN, 256);
    return bits.end();
}

std::vector<std::uint8_t> stored(const std::string& text, bool damaged_nlen)
{
    Bits bits;
    bits.put(1, 1);
    bits.put(0, 2);
    bits.flush();
    const std::size_t n = text.size();
    bits.bytes.insert(bits.bytes.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                         static_cast<std::uint8_t>(~n ^ (damaged_nlen ? 1 : 0)),
                                         static_cast<std::uint8_t>(~n >> 8)});
    for (char ch : text) bits.bytes.push_back(static_cast<std::uint8_t>(ch));
    return bits.end();
}

// "xyz" with a distance code of one symbol (0, distance 1) in 1 bit, then a
// match of 3 using codeword `codeword`.
std::vector<std::uint8_t> single_distance_codeword(int codeword)
{
    Bits bits;
    const Code litlen = canonical(litlen_complete());
    dynamic_header(bits, true, litlen.lengths, {1});
    for (char ch : std::string("xyz")) symbol(bits, litlen, ch);
    symbol(bits, litlen, 257);
    bits.code(static_cast<std::uint32_t>(codeword), 1);
    symbol(bits, litlen, 256);
    return bits.end();
}

// Literals only, with no distance code at all; with_match adds a match.
std::vector<std::uint8_t> empty_distance_code(bool with_match)
{
    Bits bits;
    const Code litlen = canonical(litlen_complete());
    dynamic_header(bits, true, litlen.lengths, {0});
    for (char ch : std::string("pq")) symbol(bits, litlen, ch);
    if (with_match) {
        symbol(bits, litlen, 257);
        bits.put(0, 1);
    }
    symbol(bits, litlen, 256);
    return bits.end();
}

// An end-of-block-only litlen code of one codeword, length 1, ended by
// codeword `codeword`.
std::vector<std::uint8_t> single_litlen_codeword(int codeword)
{
    Bits bits;
    std::vector<int> litlen(257, 0);
    litlen[256] = 1;
    dynamic_header(bits, true, litlen, {0});
    bits.code(static_cast<std::uint32_t>(codeword), 1);
    return bits.end();
}

// Code lengths written with repeats: `first` says how the header starts.
std::vector<std::uint8_t> lengths_with_repeats(bool repeat_first, bool past_the_end)
{
    Bits bits;
    const Code litlen = canonical(litlen_literals_and_end());
    std::vector<Repeat> ops;
    if (repeat_first) ops.push_back({16, 0, 2});
    // 255 lengths of 8: one explicit, then repeats of 6 and a last one.
    ops.push_back({8, 0, 0});
    for (int i = 0; i < 42; ++i) ops.push_back({16, 3, 2});
    ops.push_back({8, 0, 0});
    ops.push_back({8, 0, 0});
    ops.push_back({9, 0, 0});
    ops.push_back({9, 0, 0});
    // The one distance length; past the end, a repeat of 3 zeros instead.
    ops.push_back(past_the_end ? Repeat{17, 0, 3} : Repeat{0, 0, 0});
    dynamic_header(bits, true, litlen.lengths, {0}, ops);
    symbol(bits, litlen, 'k');
    symbol(bits, litlen, 256);
    return bits.end();
}

std::vector<Case> cases()
{
    return {
        {"valid fixed block with the Adler-32", fixed_literals("hello"), 5, true, true},
        {"extra data after the last block", [] {
             std::vector<std::uint8_t> s = fixed_literals("hello");
             s.insert(s.end(), {'j', 'u', 'n', 'k'});
             return s;
         }(), 5, true, true},
        {"more output than the image takes", fixed_literals("hello, world"), 5, true, false},
        {"less output than the image takes", fixed_literals("hi"), 5, true, false},
        // The library refuses a symbol read with under 16 bits buffered and
        // no input left; whether it does depends on where its refills fell.
        {"the stream's last byte is the input's last, refused", fixed_literals("eeee", 0), 4, false, false},
        {"the stream's last byte is the input's last, accepted", fixed_literals("hello", 0), 5, true, false},
        {"one byte after the stream", fixed_literals("eeee", 1), 4, true, false},
        {"two bytes after the stream", fixed_literals("eeee", 2), 4, true, true},
        {"length code 284 with 31 extra bits is 258", fixed_match(284, 31, 5, 0), 260, true, true},
        {"reserved length code 286", fixed_match(286, 0, 0, 0), 260, false, false},
        {"reserved distance code 30", reserved_distance_far_back(), 25804, false, false},
        {"distance before the output's start", fixed_match(257, 0, 0, 2), 5, false, false},
        {"stored block", stored("stored", false), 6, true, true},
        {"stored block whose NLEN is not ~LEN", stored("stored", true), 6, false, false},
        {"single-codeword distance code, codeword 0", single_distance_codeword(0), 6, true, true},
        {"single-codeword distance code, unused codeword 1", single_distance_codeword(1), 6, false, false},
        {"empty distance code, literals only", empty_distance_code(false), 2, true, true},
        {"empty distance code used by a match", empty_distance_code(true), 5, false, false},
        {"end-of-block-only litlen code, codeword 0", single_litlen_codeword(0), 1, true, false},
        {"end-of-block-only litlen code, unused codeword 1", single_litlen_codeword(1), 1, false, false},
        {"incomplete litlen code, used codewords only", [] {
             Bits bits;
             const Code litlen = canonical(LITLEN_NINE_BITS);
             dynamic_header(bits, true, litlen.lengths, {1, 1});
             symbol(bits, litlen, 'z');
             symbol(bits, litlen, 256);
             return bits.end();
         }(), 1, true, false},
        {"over-subscribed litlen code", [] {
             Bits bits;
             dynamic_header(bits, true, std::vector<int>(257, 8), {1, 1});
             return bits.end();
         }(), 1, false, false},
        {"code lengths with repeats", lengths_with_repeats(false, false), 1, true, true},
        {"repeat of the previous length as the first", lengths_with_repeats(true, false), 1, false, false},
        {"repeat past the last code length", lengths_with_repeats(false, true), 1, false, false},
        {"block type 3", [] {
             Bits bits;
             bits.put(1, 1);
             bits.put(3, 2);
             return bits.end();
         }(), 1, false, false},
        {"stream ends inside the block", [] {
             std::vector<std::uint8_t> s = fixed_literals("a long enough text");
             s.resize(6);
             return s;
         }(), 18, false, false},
        {"preset dictionary flag", [] {
             std::vector<std::uint8_t> s = fixed_literals("hello");
             s[0] = 0x78;
             s[1] = 0xbb;
             return s;
         }(), 5, false, false},
    };
}

TEST(PngInflate, HandMadeStreamsAsTheLibrarysInflater)
{
    for (const Case& c : cases()) {
        const char* in = reinterpret_cast<const char*>(c.stream.data());
        const int len = static_cast<int>(c.stream.size());
        int plain_len = -1;
        char* plain = stbi_zlib_decode_malloc_guesssize_headerflag(in, len, c.size, &plain_len, 1);
        int ours_len = -1;
        char* ours = png_inflate(in, len, c.size, &ours_len, 1, 0);
        unsigned char* fast = png_inflate_exact(c.stream.data(), len, c.size, 1);

        EXPECT_EQ(plain != nullptr, c.accepted) << c.name;
        EXPECT_EQ(fast != nullptr, c.libdeflate) << c.name;
        EXPECT_EQ(ours != nullptr, plain != nullptr) << c.name;
        if (ours != nullptr && plain != nullptr) {
            EXPECT_EQ(ours_len, plain_len) << c.name;
            EXPECT_EQ(std::memcmp(ours, plain, static_cast<std::size_t>(std::min(ours_len, plain_len))), 0) << c.name;
        }
        stbi_image_free(plain);
        stbi_image_free(ours);
        stbi_image_free(fast);
    }
}

} // namespace
