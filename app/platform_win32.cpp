// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The seam's real side: every function is the Windows or C runtime call of
// the same name, nothing added.
#include "platform.h"

BOOL platform_get_open_file_name(OPENFILENAMEW* record)
{
    return GetOpenFileNameW(record);
}

BOOL platform_get_save_file_name(OPENFILENAMEW* record)
{
    return GetSaveFileNameW(record);
}

int platform_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return MessageBoxW(owner, text, caption, type);
}

HANDLE platform_create_file(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                            DWORD disposition, DWORD flags, HANDLE template_file)
{
    return CreateFileW(path, access, share, security, disposition, flags, template_file);
}

BOOL platform_write_file(HANDLE file, const void* bytes, DWORD count, DWORD* written, OVERLAPPED* overlapped)
{
    return WriteFile(file, bytes, count, written, overlapped);
}

BOOL platform_flush_file_buffers(HANDLE file)
{
    return FlushFileBuffers(file);
}

BOOL platform_close_handle(HANDLE handle)
{
    return CloseHandle(handle);
}

BOOL platform_delete_file(const wchar_t* path)
{
    return DeleteFileW(path);
}

std::FILE* platform_wfopen(const wchar_t* path, const wchar_t* mode)
{
    return _wfopen(path, mode);
}

int platform_fclose(std::FILE* stream)
{
    return std::fclose(stream);
}
