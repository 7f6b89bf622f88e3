// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "test_images.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <stb/stb_image_write.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

void append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

} // namespace

std::vector<Rgba> f_image()
{
    const char* rows[F_HEIGHT] = {
        "#####.",
        "#.....",
        "####..",
        "#.....",
        "#....o",
    };
    std::vector<Rgba> out;
    for (const char* row : rows) {
        for (int x = 0; x < F_WIDTH; ++x) {
            if (row[x] == '#') out.push_back({255, 0, 0, 255});
            else if (row[x] == 'o') out.push_back({0, 0, 0, 128});
            else out.push_back({0, 0, 255, 255});
        }
    }
    out[F_WIDTH - 1] = {10, 200, 30, 0}; // top right: fully transparent green
    return out;
}

std::vector<std::uint8_t> png_bytes(const std::vector<Rgba>& pixels, int width, int height)
{
    std::vector<std::uint8_t> out;
    if (!stbi_write_png_to_func(append, &out, width, height, 4, pixels.data(), width * 4)) {
        throw std::runtime_error("png encode failed");
    }
    return out;
}

std::vector<std::uint8_t> grey_png_bytes(const std::vector<std::uint8_t>& grey, int width, int height)
{
    std::vector<std::uint8_t> out;
    if (!stbi_write_png_to_func(append, &out, width, height, 1, grey.data(), width)) {
        throw std::runtime_error("png encode failed");
    }
    return out;
}

std::vector<std::uint8_t> png_header_only(std::uint32_t width, std::uint32_t height)
{
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put_u32(out, 13);
    for (char c : {'I', 'H', 'D', 'R'}) out.push_back(static_cast<std::uint8_t>(c));
    put_u32(out, width);
    put_u32(out, height);
    out.insert(out.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, no interlace
    put_u32(out, 0);                        // CRC, not checked by the decoder
    return out;
}

std::vector<std::uint8_t> read_file(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) throw std::runtime_error("cannot open " + path);
    std::vector<std::uint8_t> out;
    std::uint8_t chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.insert(out.end(), chunk, chunk + n);
    std::fclose(f);
    return out;
}

std::string data_path(const std::string& name)
{
    return std::string(PIXELZAUN_TEST_DATA) + "/" + name;
}

TempFile::TempFile(const std::vector<std::uint8_t>& bytes)
{
    static int serial = 0;
    path_ = "pixelzaun-test-" + std::to_string(++serial) + ".bin";
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    if (out == nullptr) throw std::runtime_error("cannot create " + path_);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    stream_ = std::fopen(path_.c_str(), "rb");
    if (stream_ == nullptr) throw std::runtime_error("cannot reopen " + path_);
}

TempFile::~TempFile()
{
    if (stream_ != nullptr) std::fclose(stream_);
    std::remove(path_.c_str());
}

void poison_freed_heap(std::uint8_t pattern)
{
#if defined(__GLIBC__)
    mallopt(M_PERTURB, pattern);
#endif
    // Blocks of many sizes, filled and freed, so the next allocations of
    // similar sizes come back holding the pattern.
    std::vector<void*> blocks;
    for (std::size_t size = 16; size <= (std::size_t{1} << 20); size = size * 5 / 4 + 16) {
        void* block = std::malloc(size);
        if (block == nullptr) continue;
        std::memset(block, pattern, size);
        blocks.push_back(block);
    }
    for (void* block : blocks) std::free(block);
}

// Not inlined, so that its frame lies where the caller's next callee's frames
// will; volatile, so that the stores are not dropped as dead.
__attribute__((noinline)) void poison_stack(std::uint8_t pattern)
{
    volatile std::uint8_t area[256 * 1024];
    for (std::size_t i = 0; i < sizeof area; ++i) area[i] = pattern;
}
