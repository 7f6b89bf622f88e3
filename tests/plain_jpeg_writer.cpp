// Its own translation unit, with every function of the library static, so
// that it shares no name with the program's patched copy.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb-plain/stb_image_write.h>

#include "plain_jpeg_writer.h"

namespace {

void append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

std::vector<std::uint8_t> plain_jpeg(const std::uint8_t* pixels, int width, int height, int comp, int quality,
                                     bool flip)
{
    std::vector<std::uint8_t> out;
    stbi_flip_vertically_on_write(flip ? 1 : 0);
    if (stbi_write_jpg_to_func(append, &out, width, height, comp, pixels, quality) == 0) out.clear();
    stbi_flip_vertically_on_write(0);
    return out;
}
