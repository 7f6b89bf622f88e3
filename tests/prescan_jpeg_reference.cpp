#include "prescan_jpeg_reference.h"

#include <cstdlib>
#include <cstring>

namespace {

// Zeroed blocks, as the program's decoder heap gives them, so that what a cut
// scan leaves undecoded is the same in both decoders.
void* zeroed_realloc(void* block, std::size_t old_size, std::size_t new_size)
{
    void* grown = std::realloc(block, new_size);
    if (grown != nullptr && new_size > old_size) std::memset(static_cast<char*>(grown) + old_size, 0, new_size - old_size);
    return grown;
}

} // namespace

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS 32768
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC_SIZED(block, old_size, new_size) zeroed_realloc(block, old_size, new_size)
#define STBI_FREE(block) std::free(block)
#include <stb-prescan/stb_image.h>

bool prescan_jpeg_load(std::FILE* stream, std::vector<std::uint8_t>* rgba, int* width, int* height)
{
    int channels = 0;
    if (stbi_info_from_file(stream, width, height, &channels) == 0) return false;
    std::rewind(stream);
    stbi_uc* pixels = stbi_load_from_file(stream, width, height, &channels, 4);
    if (pixels == nullptr) return false;
    rgba->assign(pixels, pixels + static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height) * 4);
    stbi_image_free(pixels);
    return true;
}
