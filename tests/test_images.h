// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// Small hand-drawn images and file helpers shared by the imaging tests.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct Rgba {
    std::uint8_t r, g, b, a;
};

// A 6 x 5 "F": red strokes on blue, asymmetric in both directions, with one
// pixel each of alpha 0 and 128 so swaps, flips and skipped flattening show.
std::vector<Rgba> f_image();
constexpr int F_WIDTH = 6;
constexpr int F_HEIGHT = 5;

// Encodes RGBA pixels as an 8-bit RGBA PNG, or as 1-channel grey when grey.
std::vector<std::uint8_t> png_bytes(const std::vector<Rgba>& pixels, int width, int height);
std::vector<std::uint8_t> grey_png_bytes(const std::vector<std::uint8_t>& grey, int width, int height);

// A PNG that is only a signature and an IHDR chunk: enough for the probe.
std::vector<std::uint8_t> png_header_only(std::uint32_t width, std::uint32_t height);

std::vector<std::uint8_t> read_file(const std::string& path);
std::string data_path(const std::string& name);

// Writes bytes to a fresh file in the working folder and opens it "rb";
// closes and removes it when it goes out of scope.
class TempFile {
public:
    explicit TempFile(const std::vector<std::uint8_t>& bytes);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    std::FILE* stream() const { return stream_; }

private:
    std::string path_;
    std::FILE* stream_ = nullptr;
};

// Fills freed heap memory with the given byte where the C library allows it,
// and otherwise churns the heap with blocks of that byte, so that code which
// reads memory it never wrote sees the pattern.
void poison_freed_heap(std::uint8_t pattern);

// Fills the next stretch of stack below the caller's frame with the given
// byte, so that a function called next which reads stack memory it never
// wrote sees the pattern.
void poison_stack(std::uint8_t pattern);
