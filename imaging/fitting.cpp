#include "fitting.h"

#include <cstring>

#include <stb/stb_image_write.h>

OutputStore output_store;

void store_reset()
{
    output_store.count = 0;
}

void store_write(void* context, void* data, int size)
{
    OutputStore* store = static_cast<OutputStore*>(context);
    if (store->count > MAX_JPEG_BYTES) return;
    // Widened with its sign and read unsigned, a negative size exceeds any room.
    const std::uint64_t length = static_cast<std::uint64_t>(static_cast<std::int64_t>(size));
    if (length > MAX_JPEG_BYTES - store->count) {
        store->count = STORE_CAPACITY;
        return;
    }
    if (length != 0) std::memcpy(store->bytes + store->count, data, length);
    store->count += length;
}

namespace {

// One output row from source rows top and bottom (bottom == top when the
// image has an odd height and this is its last row).
void halve_row(std::uint8_t* out, const std::uint8_t* top, const std::uint8_t* bottom,
               std::int32_t w, std::uint32_t rows)
{
    const std::int32_t pairs = w / 2;
    for (std::int32_t x = 0; x < pairs; ++x, out += 3, top += 6, bottom += 6) {
        for (int c = 0; c < 3; ++c) {
            if (rows == 2) {
                out[c] = static_cast<std::uint8_t>((top[c] + top[c + 3] + bottom[c] + bottom[c + 3] + 2u) / 4u);
            } else {
                out[c] = static_cast<std::uint8_t>((top[c] + top[c + 3] + 1u) / 2u);
            }
        }
    }
    if (w % 2 == 0) return;
    for (int c = 0; c < 3; ++c) {
        out[c] = rows == 2 ? static_cast<std::uint8_t>((top[c] + bottom[c] + 1u) / 2u) : top[c];
    }
}

} // namespace

void halve_in_place(std::uint8_t* pixels, std::int32_t* width, std::int32_t* height)
{
    const std::int32_t w = *width;
    const std::int32_t h = *height;
    const std::int32_t half_w = (w + 1) / 2;
    const std::int32_t half_h = (h + 1) / 2;
    const std::size_t row_bytes = static_cast<std::size_t>(w) * 3;
    const std::size_t half_row_bytes = static_cast<std::size_t>(half_w) * 3;
    // Output row y' starts at y' * half_row_bytes, never after source row 2y',
    // and within the row each output pixel lies at or before its block's first
    // pixel, so writing as we go never destroys a byte still to be read.
    for (std::int32_t y = 0; y < half_h; ++y) {
        const std::uint8_t* top = pixels + static_cast<std::size_t>(2 * y) * row_bytes;
        const bool has_bottom = 2 * y + 1 < h;
        const std::uint8_t* bottom = has_bottom ? top + row_bytes : top;
        halve_row(pixels + static_cast<std::size_t>(y) * half_row_bytes, top, bottom, w, has_bottom ? 2 : 1);
    }
    *width = half_w;
    *height = half_h;
}

bool fit_jpeg(std::uint8_t* pixels, std::int32_t width, std::int32_t height)
{
    for (;;) {
        for (const int quality : QUALITY_LADDER) {
            store_reset();
            const int ok = stbi_write_jpg_to_func(store_write, &output_store, width, height, 3, pixels, quality);
            if (ok != 0 && output_store.count >= 1 && output_store.count <= MAX_JPEG_BYTES) return true;
        }
        if (width == 1 && height == 1) return false;
        halve_in_place(pixels, &width, &height);
    }
}
