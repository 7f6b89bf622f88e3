// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "fake_platform.h"

#include <cstring>
#include <cwchar>

std::vector<RecordedCall> fake_calls;
FakeScript fake_script;

namespace {
std::uint8_t stream_stand_in;
std::uint8_t pixel_stand_in[64];
} // namespace

std::FILE* const FAKE_STREAM = reinterpret_cast<std::FILE*>(&stream_stand_in);
HANDLE const FAKE_HANDLE = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x4d2));
std::uint8_t* const FAKE_PIXELS = pixel_stand_in;

void fake_reset()
{
    fake_calls.clear();
    fake_script = FakeScript{};
}

std::vector<CallKind> fake_call_kinds()
{
    std::vector<CallKind> kinds;
    for (const RecordedCall& call : fake_calls) {
        kinds.push_back(call.kind);
    }
    return kinds;
}

std::size_t fake_count(CallKind kind)
{
    std::size_t n = 0;
    for (const RecordedCall& call : fake_calls) {
        n += call.kind == kind;
    }
    return n;
}

namespace {

std::wstring copy_text(const wchar_t* text)
{
    return text == nullptr ? std::wstring() : std::wstring(text);
}

// A filter list is pairs of zero-terminated texts, ended by an empty text.
std::wstring copy_filter(const wchar_t* filter)
{
    if (filter == nullptr) {
        return {};
    }
    const wchar_t* end = filter;
    while (end[0] != 0 || end[1] != 0) {
        ++end;
    }
    return std::wstring(filter, end + 2);
}

void confirm(OPENFILENAMEW* record, const DialogAnswer& answer)
{
    // Like the real dialog: the name into the buffer, and the offsets of
    // the file name and its extension into the record.
    std::wcsncpy(record->lpstrFile, answer.chosen_path.c_str(), record->nMaxFile);
    std::size_t slash = answer.chosen_path.find_last_of(L"\\/");
    std::size_t dot = answer.chosen_path.find_last_of(L'.');
    record->nFileOffset = static_cast<WORD>(slash == std::wstring::npos ? 0 : slash + 1);
    record->nFileExtension = static_cast<WORD>(dot == std::wstring::npos ? 0 : dot + 1);
    record->Flags |= answer.flags_added;
}

BOOL answer_dialog(CallKind kind, OPENFILENAMEW* record, std::deque<DialogAnswer>& answers)
{
    RecordedCall call;
    call.kind = kind;
    // Copied bytewise, so that records can be compared with memcmp.
    std::memcpy(&call.record, record, sizeof *record);
    call.filter = copy_filter(record->lpstrFilter);
    call.title = copy_text(record->lpstrTitle);
    call.default_extension = copy_text(record->lpstrDefExt);
    call.path = copy_text(record->lpstrFile);
    if (record->lpstrFile != nullptr) {
        call.file_buffer.assign(record->lpstrFile, record->nMaxFile);
    }

    DialogAnswer answer = fake_take(answers, DialogAnswer{false, L""});
    if (answer.confirmed) {
        confirm(record, answer);
    }
    std::memcpy(&call.record_after, record, sizeof *record);
    fake_calls.push_back(call);
    return answer.confirmed ? TRUE : FALSE;
}

} // namespace

BOOL platform_get_open_file_name(OPENFILENAMEW* record)
{
    return answer_dialog(CALL_OPEN_DIALOG, record, fake_script.open_answers);
}

BOOL platform_get_save_file_name(OPENFILENAMEW* record)
{
    return answer_dialog(CALL_SAVE_DIALOG, record, fake_script.save_answers);
}

int platform_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    RecordedCall call;
    call.kind = CALL_MESSAGE_BOX;
    call.owner = owner;
    call.text = copy_text(text);
    call.caption = copy_text(caption);
    call.type = type;
    fake_calls.push_back(call);
    return IDOK;
}

HANDLE platform_create_file(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                            DWORD disposition, DWORD flags, HANDLE template_file)
{
    RecordedCall call;
    call.kind = CALL_CREATE_FILE;
    call.path = copy_text(path);
    call.access = access;
    call.share = share;
    call.security = security;
    call.disposition = disposition;
    call.flags = flags;
    call.template_file = template_file;
    fake_calls.push_back(call);
    return fake_take(fake_script.create_answers, FAKE_HANDLE);
}

BOOL platform_write_file(HANDLE file, const void* bytes, DWORD count, DWORD* written, OVERLAPPED* overlapped)
{
    RecordedCall call;
    call.kind = CALL_WRITE_FILE;
    call.handle = file;
    call.bytes = bytes;
    call.count = count;
    call.written_given = written != nullptr;
    if (written != nullptr) {
        call.written_before = *written;
    }
    call.overlapped = overlapped;
    fake_calls.push_back(call);
    WriteAnswer answer = fake_take(fake_script.write_answers, WriteAnswer{TRUE, count});
    if (written != nullptr) {
        *written = answer.written;
    }
    return answer.result;
}

BOOL platform_flush_file_buffers(HANDLE file)
{
    RecordedCall call;
    call.kind = CALL_FLUSH_FILE;
    call.handle = file;
    fake_calls.push_back(call);
    return fake_take(fake_script.flush_answers, BOOL{TRUE});
}

BOOL platform_close_handle(HANDLE handle)
{
    RecordedCall call;
    call.kind = CALL_CLOSE_HANDLE;
    call.handle = handle;
    fake_calls.push_back(call);
    return TRUE;
}

BOOL platform_delete_file(const wchar_t* path)
{
    RecordedCall call;
    call.kind = CALL_DELETE_FILE;
    call.path = copy_text(path);
    fake_calls.push_back(call);
    return TRUE;
}

std::FILE* platform_wfopen(const wchar_t* path, const wchar_t* mode)
{
    RecordedCall call;
    call.kind = CALL_WFOPEN;
    call.path = copy_text(path);
    call.mode = copy_text(mode);
    fake_calls.push_back(call);
    return fake_take(fake_script.wfopen_answers, true) ? FAKE_STREAM : nullptr;
}

int platform_fclose(std::FILE* stream)
{
    RecordedCall call;
    call.kind = CALL_FCLOSE;
    call.stream = stream;
    fake_calls.push_back(call);
    return 0;
}
