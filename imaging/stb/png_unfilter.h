#pragma once
// The PNG reader's unfilter for 8-bit RGB and RGBA rows into RGBA output
// (STBI_PNG_UNFILTER_ROW in stb_libraries.cpp), byte for byte what
// stb_image's own loop in stbi__create_png_image_raw writes.
#include <cstdint>

// Unfilters one row of `width` pixels: raw holds the row's filtered bytes
// after its filter byte (img_n bytes a pixel), prior the row above as written
// (4 bytes a pixel) or nullptr on the first row, filter is 0..4. Writes
// width * 4 bytes to out, alpha 255 where the source has none. Returns 0
// without writing for other layouts (out_n not 4, img_n not 3 or 4).
int png_unfilter_row(std::uint8_t* out, const std::uint8_t* prior, const std::uint8_t* raw, std::uint32_t width,
                     int img_n, int out_n, int filter);
