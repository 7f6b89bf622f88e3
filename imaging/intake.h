// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// Source intake: the chosen photo, already open as a read-only stream, becomes
// packed 8-bit RGB composited onto white.
#include <cstdint>
#include <cstdio>

// Largest accepted width x height; no side may exceed 32,768 either.
constexpr std::uint64_t MAX_SOURCE_PIXELS = 36000000;

// Probes, checks the size limits, decodes and flattens. On true *pixels is the
// flattened block (3 bytes a pixel, released by the caller with
// stbi_image_free) and *width, *height its size. On false nothing is allocated.
// The stream is never closed; its position afterwards means nothing.
bool load_source(std::FILE* stream, std::uint8_t** pixels, std::int32_t* width, std::int32_t* height);

// Rewrites an RGBA block in place as packed RGB composited onto white.
void flatten_onto_white(std::uint8_t* pixels, std::int32_t width, std::int32_t height);
