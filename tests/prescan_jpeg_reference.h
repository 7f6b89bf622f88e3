#pragma once
// The JPEG decoder as the patch series builds it without its scan reader
// patch: the reference the scan reader is held to.
#include <cstdint>
#include <cstdio>
#include <vector>

// Probes and decodes the stream as load_source does (stbi_info_from_file, a
// rewind, stbi_load_from_file to 4 channels). False when either refuses.
bool prescan_jpeg_load(std::FILE* stream, std::vector<std::uint8_t>* rgba, int* width, int* height);
