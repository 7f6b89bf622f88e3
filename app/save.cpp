// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "save.h"

#include "fitting.h"
#include "messages.h"
#include "platform.h"

WriteOutcome write_new_file(const wchar_t* path, const std::uint8_t* bytes, std::uint64_t length,
                            std::uint32_t* written)
{
    // CREATE_NEW never opens, truncates or replaces an existing file; share
    // mode 0 keeps everyone else out while the handle is open.
    HANDLE file = platform_create_file(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                       nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return WRITE_NOT_CREATED;
    }

    // The stored length is at most 999,999, so its low 32 bits are all of it.
    DWORD reported = 0;
    BOOL wrote = platform_write_file(file, bytes, static_cast<DWORD>(length), &reported, nullptr);
    *written = reported;
    // A short write, as on a full disk, counts as a failed one.
    if (!wrote || static_cast<std::uint64_t>(reported) != length) {
        platform_close_handle(file);
        platform_delete_file(path);
        return WRITE_FAILED;
    }

    // The flush is judged only once the handle is closed, so the removal
    // always acts on a closed file.
    BOOL flushed = platform_flush_file_buffers(file);
    platform_close_handle(file);
    if (!flushed) {
        platform_delete_file(path);
        return WRITE_FAILED;
    }
    return WRITE_DONE;
}

std::int32_t save_result(wchar_t (&path)[PATH_CHARS])
{
    for (;;) {
        if (!choose_target(path)) {
            return 0;
        }
        std::uint32_t written = 0;
        switch (write_new_file(path, output_store.bytes, output_store.count, &written)) {
        case WRITE_NOT_CREATED:
            // The dialog comes back showing the refused name.
            show_message(MSG_PICK_FREE_NAME);
            break;
        case WRITE_FAILED:
            show_message(MSG_SAVE_FAILED);
            return 1;
        case WRITE_DONE: {
            wchar_t text[MESSAGE_CHARS];
            format_saved(text, written);
            show_message(text, MSG_SAVED.caption, MSG_SAVED.icon);
            return 0;
        }
        }
    }
}
