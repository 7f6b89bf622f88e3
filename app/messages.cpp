// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "messages.h"

#include <cwchar>

#include "platform.h"

void format_saved(wchar_t (&text)[MESSAGE_CHARS], std::uint32_t count)
{
    // unsigned long is 32 bits on Windows, which "%lu" expects.
    std::swprintf(text, MESSAGE_CHARS, MSG_SAVED.text, static_cast<unsigned long>(count));
}

void show_message(const wchar_t* text, const wchar_t* caption, IconKind icon)
{
    platform_message_box(nullptr, text, caption, icon);
}

void show_message(const Message& message)
{
    show_message(message.text, message.caption, message.icon);
}
