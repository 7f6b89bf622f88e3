#pragma once
// Debian's stb_image_write.h as installed, without the program's patches and
// kernels: the reference the program's JPEG encoder must match byte for byte.
#include <cstdint>
#include <vector>

// The JPEG stbi_write_jpg_to_func writes, rows flipped when flip is set.
std::vector<std::uint8_t> plain_jpeg(const std::uint8_t* pixels, int width, int height, int comp, int quality,
                                     bool flip);
