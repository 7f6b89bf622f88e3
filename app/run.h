// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The run from the open dialog to the exit status, once per process.
#include <cstdint>

// Returns the exit status: 0 when the copy was saved or a dialog cancelled,
// 1 when the photo was refused or could not be fitted, or writing failed.
std::int32_t run_program();
