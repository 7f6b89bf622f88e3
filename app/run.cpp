// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "run.h"

#include <stb/stb_image.h>

#include "dialogs.h"
#include "fitting.h"
#include "intake.h"
#include "messages.h"
#include "platform.h"
#include "save.h"

namespace {

constexpr wchar_t DEFAULT_TARGET_NAME[] = L"Foto-unter-1-MB.jpg";

// Ends a run whose photo could not be used. Everything it held is released
// by then, so the box is the last thing the run shows.
std::int32_t refuse_photo()
{
    show_message(MSG_PICK_READABLE_PHOTO);
    return 1;
}

} // namespace

std::int32_t run_program()
{
    wchar_t source_path[PATH_CHARS] = {};
    wchar_t target_path[PATH_CHARS] = {};
    static_assert(sizeof DEFAULT_TARGET_NAME <= sizeof target_path);
    for (int i = 0; DEFAULT_TARGET_NAME[i] != 0; ++i) {
        target_path[i] = DEFAULT_TARGET_NAME[i];
    }

    if (!choose_source(source_path)) {
        return 0;
    }
    std::FILE* source = platform_wfopen(source_path, L"rb");
    if (source == nullptr) {
        return refuse_photo();
    }
    std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!load_source(source, &pixels, &width, &height)) {
        platform_fclose(source);
        return refuse_photo();
    }
    // The pixels go first, then the stream, on both paths; the source is
    // closed before any box or the save dialog appears.
    bool fitted = fit_jpeg(pixels, width, height);
    stbi_image_free(pixels);
    platform_fclose(source);
    if (!fitted) {
        return refuse_photo();
    }
    return save_result(target_path);
}
