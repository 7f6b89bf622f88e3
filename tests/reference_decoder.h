// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#pragma once
// The decoder built from the patch series without its speed patches, in a
// translation unit of its own, for the tests and the fuzz target that compare
// the program's decoder with it. Same heap,
// same hooks and limits as the program's decoder; only the speed patches
// differ.
#include <cstdio>

int reference_info_from_file(std::FILE* stream, int* width, int* height, int* channels);

// 8-bit RGBA, to be freed with reference_image_free; nullptr when refused.
unsigned char* reference_load_from_file(std::FILE* stream, int* width, int* height, int* channels);
void reference_image_free(void* pixels);
