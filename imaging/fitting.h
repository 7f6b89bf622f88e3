// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// Size fitting: encodes the packed-RGB image as a JPEG of 1 to MAX_JPEG_BYTES
// bytes, trying each quality of the ladder before halving the image.
#include <cstdint>

#include "output_store.h"

constexpr int QUALITY_LADDER[] = {90, 78, 66, 54};

// Rewrites the image in place at half its size, each side rounded up, each
// output pixel the rounded mean of its 2 x 2 block.
void halve_in_place(std::uint8_t* pixels, std::int32_t* width, std::int32_t* height);

// True when output_store holds an accepted JPEG. False only when even the
// 1 x 1 image was refused at every quality. The buffer stays the caller's and
// holds the image at the last size tried.
bool fit_jpeg(std::uint8_t* pixels, std::int32_t width, std::int32_t height);
