// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// libFuzzer target: the decoder with its speed patches against the reference
// decoder, built from the same series without them, on the same file. The
// program's side is load_source itself (marker walk, probe, size check,
// decode under the image's heap budget, a JPEG straight to RGB, a PNG to RGBA
// flattened, a JPEG that needs whole planes decoded again); the reference
// side takes the same steps with the reference decoder, always to RGBA, and
// flattens the block. Both must agree on the probe, on
// accepting or refusing the file, and on every byte of the flattened pixels;
// the first difference aborts.
//   FUZZ_TARGET=decoder_patches_fuzzer fuzz/run_campaign.sh SECONDS
#include <stb/stb_image.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decoder_heap.h"
#include "input_file.h"
#include "intake.h"
#include "jpeg_guard.h"
#include "reference_decoder.h"

namespace {

void expect(bool same, const char* what)
{
    if (same) return;
    std::fprintf(stderr, "the decoders differ: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* stream = open_input_as_file(data, size);
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

    std::rewind(stream);
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const bool loaded = load_source(stream, &pixels, &width, &height);

    // The reference side: what load_source does past the marker walk.
    unsigned char* reference = nullptr;
    if (reference_known != 0 && rw > 0 && rh > 0 &&
        static_cast<std::uint64_t>(rw) * static_cast<std::uint64_t>(rh) <= MAX_SOURCE_PIXELS) {
        const std::size_t previous_limit = decoder_budget_begin(rw, rh);
        std::rewind(stream);
        reference = reference_load_from_file(stream, &rw, &rh, &rn);
        decoder_budget_end(previous_limit);
    }
    std::fclose(stream);

    expect(loaded == (reference != nullptr), "one accepts the file, the other refuses it");
    if (loaded) {
        expect(width == rw && height == rh, "the decoded sizes");
        flatten_onto_white(reference, rw, rh);
        const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
        expect(std::memcmp(pixels, reference, bytes) == 0, "the pixels");
    }
    stbi_image_free(pixels);
    reference_image_free(reference);
    return 0;
}
