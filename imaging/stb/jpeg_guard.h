// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// A walk over a JPEG's markers before the decoder sees the file: it follows the
// segments the way the decoder reads them, skips each scan's entropy-coded data
// to the next marker, and refuses what the decoder would mishandle.
#include <cstdio>

// Scans a file may hold. The usual progressive scripts make 10 scans for
// colour, 6 for grey and 18 for four components; a baseline file has at most
// one scan a component. Every scan makes the decoder pass over the whole image
// again, about 20 to 35 ms at 36 million pixels, so 50 scans add under 2 s,
// where a 10 KB file of 1,000 empty scans held the program for 25 to 34 s.
constexpr int MAX_JPEG_SCANS = 50;

// Codes one Huffman table may define: the decoder keeps 256 symbols a table
// and writes past them when the 16 code counts add up to more.
constexpr int MAX_HUFFMAN_CODES = 256;

// False when the stream is a JPEG with a Huffman table of more than
// MAX_HUFFMAN_CODES codes or more than MAX_JPEG_SCANS scans before its end.
// True for everything else, including files that are no JPEG at all and JPEGs
// too damaged to walk, which the decoder refuses on its own. Reads from the
// current position; the position afterwards means nothing.
bool jpeg_markers_safe(std::FILE* stream);

// The same walk; *scans is then the number of scans it met before the file's
// end or its refusal (0 for a file that is no JPEG).
bool jpeg_markers_safe(std::FILE* stream, int* scans);
