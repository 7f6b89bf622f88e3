// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// libFuzzer target: the decoder with its speed patches against the reference
// decoder, built from the same series without them, on the same file. As the
// program does, a file goes to the decoders only past the JPEG marker walk
// and the size check, and is decoded under the image's heap budget. Both must
// then agree on the probe, on accepting or refusing the file, and on every
// byte of its pixels; the first difference aborts.
//   FUZZ_TARGET=decoder_patches_fuzzer fuzz/run_campaign.sh SECONDS
#include <unistd.h>

#include <stb/stb_image.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "decoder_heap.h"
#include "intake.h"
#include "jpeg_guard.h"
#include "reference_decoder.h"

namespace {

std::string temp_path()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr ? dir : "/tmp") + "/pixelzaun-decoders-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) std::abort();
    close(fd);
    return path;
}

void expect(bool same, const char* what)
{
    if (same) return;
    std::fprintf(stderr, "the decoders differ: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = temp_path();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);

    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) std::abort();
    if (!jpeg_markers_safe(stream)) {
        std::fclose(stream);
        return 0;
    }
    int w = 0, h = 0, n = 0;
    int rw = 0, rh = 0, rn = 0;
    std::rewind(stream);
    const int known = stbi_info_from_file(stream, &w, &h, &n);
    std::rewind(stream);
    const int reference_known = reference_info_from_file(stream, &rw, &rh, &rn);
    expect(known == reference_known, "the probe accepts one and refuses the other");
    if (known != 0) expect(w == rw && h == rh && n == rn, "the probe's sizes or channels");
    // Beyond the program's limits neither is asked to decode.
    if (known == 0 || w <= 0 || h <= 0 ||
        static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > MAX_SOURCE_PIXELS) {
        std::fclose(stream);
        return 0;
    }

    const std::size_t previous_limit = decoder_budget_begin(w, h);
    std::rewind(stream);
    unsigned char* pixels = stbi_load_from_file(stream, &w, &h, &n, 4);
    std::rewind(stream);
    unsigned char* reference = reference_load_from_file(stream, &rw, &rh, &rn);
    decoder_budget_end(previous_limit);
    std::fclose(stream);

    expect((pixels == nullptr) == (reference == nullptr), "one accepts the file, the other refuses it");
    if (pixels != nullptr) {
        expect(w == rw && h == rh && n == rn, "the decoded sizes or channels");
        const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
        expect(std::memcmp(pixels, reference, bytes) == 0, "the pixels");
    }
    stbi_image_free(pixels);
    reference_image_free(reference);
    return 0;
}
