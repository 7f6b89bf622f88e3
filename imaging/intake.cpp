#include "intake.h"

#include <stb/stb_image.h>

#include "decoder_heap.h"
#include "jpeg_guard.h"

bool load_source(std::FILE* stream, std::uint8_t** pixels, std::int32_t* width, std::int32_t* height)
{
    int w = 0;
    int h = 0;
    int channels = 0;
    // The decoder mishandles some JPEG table and scan structures even in its
    // probe, so the markers are walked first.
    if (!jpeg_markers_safe(stream)) return false;
    std::rewind(stream);
    // The probe reads only the header, so an oversized file is refused before
    // any pixel memory exists.
    if (stbi_info_from_file(stream, &w, &h, &channels) == 0) return false;
    if (w <= 0 || h <= 0) return false;
    if (static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > MAX_SOURCE_PIXELS) return false;

    std::rewind(stream);
    stbi_uc* decoded = nullptr;
    {
        const DecoderBudget budget(w, h);
        decoded = stbi_load_from_file(stream, &w, &h, &channels, 4);
    }
    if (decoded == nullptr) return false;

    flatten_onto_white(decoded, w, h);
    *pixels = decoded;
    *width = w;
    *height = h;
    return true;
}

void flatten_onto_white(std::uint8_t* pixels, std::int32_t width, std::int32_t height)
{
    const std::uint64_t n = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint8_t* src = pixels;
    std::uint8_t* dst = pixels;
    // Pixel i is read from bytes 4i..4i+3 before bytes 3i..3i+2 are written,
    // and no later pixel's bytes lie below 3i+3, so one ascending pass is safe.
    for (std::uint64_t i = 0; i < n; ++i, src += 4, dst += 3) {
        const std::uint32_t r = src[0];
        const std::uint32_t g = src[1];
        const std::uint32_t b = src[2];
        const std::uint32_t a = src[3];
        const std::uint32_t white = (255 - a) * 255 + 127;
        dst[0] = static_cast<std::uint8_t>((r * a + white) / 255);
        dst[1] = static_cast<std::uint8_t>((g * a + white) / 255);
        dst[2] = static_cast<std::uint8_t>((b * a + white) / 255);
    }
}
