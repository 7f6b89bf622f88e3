// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The exclusive save: the fitted JPEG goes into a new file only, never over
// an existing one.
#include <cstdint>

#include "dialogs.h"

enum WriteOutcome {
    WRITE_DONE,        // created, every byte written, flushed, closed
    WRITE_NOT_CREATED, // the creation was refused; nothing was touched
    WRITE_FAILED,      // created, but the write or the flush failed: closed and removed again
};

// Creates path only if no file of that name exists, writes length bytes in one
// call, flushes and closes. written receives the count the write reported.
// Shows no message.
WriteOutcome write_new_file(const wchar_t* path, const std::uint8_t* bytes, std::uint64_t length,
                            std::uint32_t* written);

// Asks for the target name until a new file can be created or the user
// cancels, writes output_store into it and reports the outcome. Returns the
// exit status: 0 when saved or cancelled, 1 when writing failed.
std::int32_t save_result(wchar_t (&path)[PATH_CHARS]);
