// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The fuzzer's input as a regular file, opened for reading as a picked photo
// is. One temporary file per process, rewritten for each input; the caller
// closes the stream.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::FILE* open_input_as_file(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string name = std::string(dir != nullptr ? dir : "/tmp") + "/pixelzaun-fuzz-XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd < 0) std::abort();
        close(fd);
        return name;
    }();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) std::abort();
    return stream;
}
