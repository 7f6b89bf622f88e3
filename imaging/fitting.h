#pragma once
// Size fitting: encodes the packed-RGB image as a JPEG of 1 to MAX_JPEG_BYTES
// bytes, trying each quality of the ladder before halving the image.
#include <cstdint>

constexpr int QUALITY_LADDER[] = {90, 78, 66, 54};
constexpr std::uint64_t MAX_JPEG_BYTES = 999999;
constexpr std::uint64_t STORE_CAPACITY = 1000000;

// The encoder's output of the current attempt. count is 0 when empty, the
// stored length from 1 to MAX_JPEG_BYTES, or STORE_CAPACITY once the attempt
// has produced more than MAX_JPEG_BYTES bytes (the overflow mark).
struct OutputStore {
    std::uint8_t bytes[STORE_CAPACITY];
    std::uint64_t count;
};

// The one store of the process: filled by fit_jpeg, read by the save step.
extern OutputStore output_store;

void store_reset();

// The encoder's write callback (stbi_write_func). Keeps each piece whole or
// sets the overflow mark, which stays until the next store_reset.
void store_write(void* context, void* data, int size);

// Rewrites the image in place at half its size, each side rounded up, each
// output pixel the rounded mean of its 2 x 2 block.
void halve_in_place(std::uint8_t* pixels, std::int32_t* width, std::int32_t* height);

// True when output_store holds an accepted JPEG. False only when even the
// 1 x 1 image was refused at every quality. The buffer stays the caller's and
// holds the image at the last size tried.
bool fit_jpeg(std::uint8_t* pixels, std::int32_t width, std::int32_t height);
