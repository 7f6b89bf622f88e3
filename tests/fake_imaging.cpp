// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// Stand-ins for the imaging calls of the run, recorded in the same call list
// as the platform fake so that the order of loading, fitting, releasing and
// closing shows. fit_jpeg leaves a small known JPEG-like content in the store.
#include <stb/stb_image.h>

#include "fake_platform.h"
#include "fitting.h"
#include "intake.h"

OutputStore output_store;

bool load_source(std::FILE* stream, std::uint8_t** pixels, std::int32_t* width, std::int32_t* height)
{
    RecordedCall call;
    call.kind = CALL_LOAD_SOURCE;
    call.stream = stream;
    fake_calls.push_back(call);
    LoadAnswer answer = fake_take(fake_script.load_answers, LoadAnswer{true, 7, 5});
    if (!answer.result) {
        return false;
    }
    *pixels = FAKE_PIXELS;
    *width = answer.width;
    *height = answer.height;
    return true;
}

bool fit_jpeg(std::uint8_t* pixels, std::int32_t width, std::int32_t height)
{
    RecordedCall call;
    call.kind = CALL_FIT_JPEG;
    call.pixels = pixels;
    call.width = width;
    call.height = height;
    fake_calls.push_back(call);
    bool result = fake_take(fake_script.fit_answers, true);
    if (result) {
        for (std::uint64_t i = 0; i < 1234; ++i) {
            output_store.bytes[i] = static_cast<std::uint8_t>(i * 7);
        }
        output_store.count = 1234;
    }
    return result;
}

extern "C" void stbi_image_free(void* block)
{
    RecordedCall call;
    call.kind = CALL_IMAGE_FREE;
    call.pixels = block;
    fake_calls.push_back(call);
}
