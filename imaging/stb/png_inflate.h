// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The PNG reader's one inflate call (STBI_PNG_INFLATE in stb_libraries.cpp):
// libdeflate where it gives exactly what stb_image's inflater gives, that
// inflater everywhere else.

// Same contract as stbi_zlib_decode_malloc_guesssize_headerflag: the inflated
// bytes in a block of the decoder heap, their count in *outlen, or nullptr
// with the library's failure reason set. initial_size is the size the
// image's rows take, as the library computes it for its first buffer.
char* png_inflate(const char* buffer, int len, int initial_size, int* outlen, int parse_header, int interlaced);

// libdeflate alone, into exactly `size` bytes of the decoder heap: the block,
// or nullptr wherever stb_image's inflater could decide otherwise (then
// png_inflate asks that inflater). Exposed for the tests.
unsigned char* png_inflate_exact(const unsigned char* stream, int len, int size, int parse_header);
