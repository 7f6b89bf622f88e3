#include "decoder_heap.h"

#include <cstdlib>
#include <cstring>

void* decoder_malloc(std::size_t size)
{
    return std::calloc(1, size == 0 ? 1 : size);
}

void* decoder_realloc(void* block, std::size_t old_size, std::size_t new_size)
{
    if (block == nullptr) return decoder_malloc(new_size);
    unsigned char* grown = static_cast<unsigned char*>(std::realloc(block, new_size == 0 ? 1 : new_size));
    if (grown == nullptr) return nullptr;
    // realloc keeps the old bytes but leaves the new tail as the heap had it.
    if (new_size > old_size) std::memset(grown + old_size, 0, new_size - old_size);
    return grown;
}

void decoder_free(void* block)
{
    std::free(block);
}
