// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The handful of Windows and C runtime calls the program makes, each with the
// arguments and result of the call it stands for. The program links
// platform_win32.cpp, which passes every call straight on; the unit tests link
// a fake that records the calls and plays back scripted answers.
#include <cstdio>

#include <windows.h>
#include <commdlg.h>

// The record the file dialogs share; 152 bytes in the 64-bit layout.
static_assert(sizeof(OPENFILENAMEW) == 152, "64-bit OPENFILENAMEW expected");

// comdlg32: non-zero when the user confirmed a name.
BOOL platform_get_open_file_name(OPENFILENAMEW* record);
BOOL platform_get_save_file_name(OPENFILENAMEW* record);

// user32
int platform_message_box(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// kernel32, for the target file only
HANDLE platform_create_file(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                            DWORD disposition, DWORD flags, HANDLE template_file);
BOOL platform_write_file(HANDLE file, const void* bytes, DWORD count, DWORD* written, OVERLAPPED* overlapped);
BOOL platform_flush_file_buffers(HANDLE file);
BOOL platform_close_handle(HANDLE handle);
BOOL platform_delete_file(const wchar_t* path);

// C runtime, for the source stream only
std::FILE* platform_wfopen(const wchar_t* path, const wchar_t* mode);
int platform_fclose(std::FILE* stream);
