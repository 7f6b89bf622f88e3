#pragma once
// The heap the image decoder allocates from. Every block starts zeroed, so a
// file that makes the decoder read state it never wrote reads zeros instead of
// whatever the heap held before; the decoded pixels depend on the file alone.
#include <cstddef>

void* decoder_malloc(std::size_t size);
void* decoder_realloc(void* block, std::size_t old_size, std::size_t new_size);
void decoder_free(void* block);
