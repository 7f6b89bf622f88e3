// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The heap the image decoder allocates from. Every block starts zeroed, so a
// file that makes the decoder read state it never wrote reads zeros instead of
// whatever the heap held before; the decoded pixels depend on the file alone.
// No single block may exceed DECODER_MAX_BLOCK: a request past it fails, and
// the decoder then refuses the file as out of memory.
#include <cstddef>

// Largest single block a legitimate source needs. The worst accepted file is an
// interlaced 16-bit RGBA PNG of 36,000,000 pixels: its inflated scanlines take
// 8 bytes a pixel plus one filter byte a row in each of the seven passes, more
// than the decoder's first guess of 8 bytes a pixel plus one byte a row, so its
// inflate buffer doubles once. Measured with hostile_bench on such files
// (6000 x 6000 and 1125 x 32000, stored without compression in 8 KiB IDAT
// chunks): largest block 576,012,000 and 576,064,000 bytes; in theory at most
// 2 x (8 x 36,000,000 + 32,768). The cap leaves about 4 % above that.
constexpr std::size_t DECODER_MAX_BLOCK = 600000000;

// While a budget is set, blocks are further limited to what an image of the given
// size can need: the inflate and IDAT buffers of an interlaced 16-bit RGBA PNG
// (twice 8 bytes a pixel and one filter byte a row, as the buffers double),
// or a JPEG's component planes padded to whole blocks of up to 32 x 32 pixels,
// with 1 MiB to spare for tables and small images. A one-pixel PNG whose data
// inflates to gigabytes is then refused at about 1 MiB instead of 600 MB.
// The largest block allowed for a width x height image.
std::size_t decoder_budget_for(int width, int height);

// Limits blocks to the budget of a width x height image until
// decoder_budget_end is given the limit this returns.
std::size_t decoder_budget_begin(int width, int height);
void decoder_budget_end(std::size_t previous_limit);

void* decoder_malloc(std::size_t size);
void* decoder_realloc(void* block, std::size_t old_size, std::size_t new_size);
void decoder_free(void* block);

// The largest size requested since the last reset, refused requests included;
// for measurements.
std::size_t decoder_largest_request();
void decoder_reset_largest_request();
