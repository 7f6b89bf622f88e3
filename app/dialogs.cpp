// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include "platform.h"

// The linker's symbol for the start of this program's own image: its module
// handle, had without a call.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// Each filter list holds one display text and one pattern, each ending in a
// zero, and one more zero that ends the list.
constexpr wchar_t OPEN_FILTER[] = L"JPEG und PNG\0*.jpg;*.jpeg;*.png\0";
constexpr wchar_t SAVE_FILTER[] = L"JPEG-Bild\0*.jpg\0";
constexpr const wchar_t* OPEN_TITLE = L"Pixelzaun · Foto auswählen";
constexpr const wchar_t* SAVE_TITLE = L"Pixelzaun · Neue JPEG-Kopie speichern";
constexpr const wchar_t* SAVE_DEFAULT_EXTENSION = L"jpg";

constexpr DWORD OPEN_FLAGS = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
// No OFN_OVERWRITEPROMPT: a taken name is refused by the exclusive creation.
constexpr DWORD SAVE_FLAGS = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;

// The one dialog record of the run. Each save dialog after the first gets it
// exactly as the one before left it.
OPENFILENAMEW dialog_record;
bool save_fields_set = false;

} // namespace

bool choose_source(wchar_t (&path)[PATH_CHARS])
{
    dialog_record = OPENFILENAMEW{};
    save_fields_set = false;
    dialog_record.lStructSize = sizeof(OPENFILENAMEW);
    dialog_record.hwndOwner = nullptr;
    dialog_record.hInstance = reinterpret_cast<HINSTANCE>(&__ImageBase);
    dialog_record.lpstrFilter = OPEN_FILTER;
    dialog_record.lpstrFile = path;
    dialog_record.nMaxFile = PATH_CHARS;
    dialog_record.lpstrTitle = OPEN_TITLE;
    dialog_record.Flags = OPEN_FLAGS;
    dialog_record.lpstrDefExt = nullptr;
    return platform_get_open_file_name(&dialog_record) != 0;
}

bool choose_target(wchar_t (&path)[PATH_CHARS])
{
    if (!save_fields_set) {
        dialog_record.lpstrTitle = SAVE_TITLE;
        dialog_record.lpstrFile = path;
        dialog_record.lpstrFilter = SAVE_FILTER;
        dialog_record.lpstrDefExt = SAVE_DEFAULT_EXTENSION;
        dialog_record.Flags = SAVE_FLAGS;
        save_fields_set = true;
    }
    return platform_get_save_file_name(&dialog_record) != 0;
}
