// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// While true, the JPEG decoder may keep only two rows of MCUs of each
// component plane instead of whole planes (STBI_JPEG_PLANE_RING). A file that
// turns out to need them whole then fails with stbi_failure_reason()
// JPEG_PLANES_NEEDED_WHOLE and gives its pixels when loaded again with this
// false. Off (the default), the decoder keeps whole planes.
extern bool jpeg_plane_ring;

constexpr const char* JPEG_PLANES_NEEDED_WHOLE = "planes needed whole";
