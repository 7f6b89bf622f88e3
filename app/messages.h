// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The message catalogue: every text the program shows in a message box.
#include <cstdint>

constexpr int MESSAGE_CHARS = 220;

// A box's type value is its icon alone, with the single OK button (MB_OK, 0).
enum IconKind : unsigned {
    ICON_NONE = 0x00,    // MB_OK
    ICON_ERROR = 0x10,   // MB_ICONERROR
    ICON_WARNING = 0x30, // MB_ICONWARNING
};

struct Message {
    const wchar_t* text;
    const wchar_t* caption;
    IconKind icon;
};

constexpr const wchar_t* PRODUCT_CAPTION = L"Pixelzaun";
constexpr const wchar_t* SUCCESS_CAPTION = L"TALVERO Pixelzaun";

constexpr Message MSG_PICK_READABLE_PHOTO = {
    L"Bitte eine lesbare JPEG- oder PNG-Datei mit höchstens 36 Megapixeln wählen.", PRODUCT_CAPTION,
    ICON_WARNING};
constexpr Message MSG_PICK_FREE_NAME = {
    L"Bitte einen freien Dateinamen und einen beschreibbaren Ordner auswählen.", PRODUCT_CAPTION, ICON_WARNING};
constexpr Message MSG_SAVE_FAILED = {L"Speichern fehlgeschlagen.", PRODUCT_CAPTION, ICON_ERROR};
// The text is a format for format_saved, never shown as it stands.
constexpr Message MSG_SAVED = {L"JPEG-Kopie gespeichert: %lu Bytes. Das Original bleibt erhalten.",
                               SUCCESS_CAPTION, ICON_NONE};

// Writes MSG_SAVED with the byte count (1 to 999,999) in plain decimal digits
// into text; the longest result is 67 units and its terminating zero.
void format_saved(wchar_t (&text)[MESSAGE_CHARS], std::uint32_t count);

// Shows a box with no owner and waits until it is closed; its answer is ignored.
void show_message(const wchar_t* text, const wchar_t* caption, IconKind icon);
void show_message(const Message& message);
