// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// A hand-written stand-in for app/platform.h and for the imaging calls of the
// run: every call is recorded in order with copies of what it was given, and
// answered from a script. Tests reset it with fake_reset() first.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform.h"

enum CallKind {
    CALL_OPEN_DIALOG,
    CALL_SAVE_DIALOG,
    CALL_MESSAGE_BOX,
    CALL_CREATE_FILE,
    CALL_WRITE_FILE,
    CALL_FLUSH_FILE,
    CALL_CLOSE_HANDLE,
    CALL_DELETE_FILE,
    CALL_WFOPEN,
    CALL_FCLOSE,
    CALL_LOAD_SOURCE,
    CALL_FIT_JPEG,
    CALL_IMAGE_FREE,
};

struct RecordedCall {
    CallKind kind = CALL_OPEN_DIALOG;
    // Dialogs: the record as it was handed in, and copies of the texts it
    // pointed to (the filter with its inner zeros, up to the closing one).
    OPENFILENAMEW record{};
    OPENFILENAMEW record_after{}; // as the call left it
    std::wstring file_buffer;     // all nMaxFile units of the file buffer
    std::wstring filter;
    std::wstring title;
    std::wstring default_extension;
    // Dialogs: the file buffer as handed in; files: the path; wfopen: the path.
    std::wstring path;
    // Message boxes.
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
    // File calls.
    DWORD access = 0, share = 0, disposition = 0, flags = 0;
    const SECURITY_ATTRIBUTES* security = nullptr;
    HANDLE template_file = nullptr;
    HANDLE handle = nullptr;
    const void* bytes = nullptr;
    DWORD count = 0;
    DWORD written_before = 0xFFFFFFFF; // *written when WriteFile was entered
    bool written_given = false;
    const OVERLAPPED* overlapped = nullptr;
    // Streams and pixels.
    std::wstring mode;
    std::FILE* stream = nullptr;
    void* pixels = nullptr;
    std::int32_t width = 0, height = 0;
};

// A dialog's answer: confirmed writes chosen_path into the record's file
// buffer and sets the offsets as the real dialog would; otherwise cancel.
struct DialogAnswer {
    bool confirmed;
    std::wstring chosen_path;
    DWORD flags_added = 0; // flags the dialog reports back, e.g. OFN_EXTENSIONDIFFERENT
};

struct WriteAnswer {
    BOOL result;
    DWORD written; // reported count
};

struct LoadAnswer {
    bool result;
    std::int32_t width, height;
};

// Answers are taken from the front of each queue; an empty queue gives the
// default: dialogs cancel, creation succeeds, writes are whole, flushes
// succeed, streams open, loading and fitting succeed.
struct FakeScript {
    std::deque<DialogAnswer> open_answers;
    std::deque<DialogAnswer> save_answers;
    std::deque<HANDLE> create_answers;
    std::deque<WriteAnswer> write_answers;
    std::deque<BOOL> flush_answers;
    std::deque<bool> wfopen_answers; // false: _wfopen yields null
    std::deque<LoadAnswer> load_answers;
    std::deque<bool> fit_answers;
};

extern std::vector<RecordedCall> fake_calls;
extern FakeScript fake_script;

// The values the fake hands out.
extern std::FILE* const FAKE_STREAM;
extern HANDLE const FAKE_HANDLE;
extern std::uint8_t* const FAKE_PIXELS;

void fake_reset();

// The next scripted answer, or fallback when none is left.
template <typename T>
T fake_take(std::deque<T>& answers, T fallback)
{
    if (answers.empty()) {
        return fallback;
    }
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

std::vector<CallKind> fake_call_kinds();
std::size_t fake_count(CallKind kind);
