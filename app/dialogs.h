// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The open and save dialogs. Both use one dialog record for the whole run:
// choose_source fills it anew, choose_target changes only what saving needs.

constexpr int PATH_CHARS = 260;

// Shows the open dialog on path, which starts empty. True when the user
// confirmed a file, whose full path is then in path; false on cancel and when
// the dialog failed, which are not told apart.
bool choose_source(wchar_t (&path)[PATH_CHARS]);

// Shows the save dialog on path, which holds the name to offer: the default
// name the first time, the previous choice after that. Results as for
// choose_source. Call it only after choose_source, as many times as needed.
bool choose_target(wchar_t (&path)[PATH_CHARS]);
