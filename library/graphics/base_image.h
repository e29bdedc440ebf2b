// A picture in plain memory: a colour format, a size, a row pitch and one block of pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/colour_format.h"

struct BASEIMAGE {
    COLOURFORMAT colourFormat;
    int32_t width, height;
    int32_t pitch;     // bytes from one row to the next; 0 for block-compressed data
    uint8_t *pixels;   // owned, from the library allocator
    int32_t mipCount;  // 0 = one image, else the levels follow each other in the block
};

// Largest pixel block any image may have: sizes stay within an int everywhere.
constexpr int64_t kMaxImageBlockBytes = 0x7FFFFFFF;
// Longest side any reader accepts.
constexpr int32_t kMaxImageSide = 65536;
// Most pixels any image may have (8,192 x 8,192). Formats whose data cannot bound the size (run
// lengths, deflate, JPEG scans) would otherwise let a damaged header of a few bytes ask for
// gigabytes.
constexpr int64_t kMaxImagePixels = (int64_t)1 << 26;

// Both sides from 1 to kMaxImageSide and their product within kMaxImagePixels.
inline bool ImageSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

// a x b (x c) in bytes when positive and within kMaxImageBlockBytes, else -1.
int64_t ImageBlockBytes(int64_t a, int64_t b, int64_t c = 1);

int AllocBaseImage(int width, int height, const COLOURFORMAT *format, BASEIMAGE *out);
int AllocBaseImageARGB8(int width, int height, BASEIMAGE *out);
int AllocBaseImageXRGB8(int width, int height, BASEIMAGE *out);
void FreeBaseImage(BASEIMAGE *image);

int WriteBaseImagePixel(BASEIMAGE *image, int x, int y, int r, int g, int b, int a);
int ReadBaseImagePixel(BASEIMAGE *image, int x, int y, int *r, int *g, int *b, int *a);
// The pixel as 0xAARRGGBB, each channel's top bit on bit 7 of its byte; 0 when there is none.
uint32_t ReadPixelARGB(BASEIMAGE *image, int x, int y);

int ExpandCompressedImage(BASEIMAGE *image);
int MirrorBaseImage(BASEIMAGE *image);
int ClearBaseImageRect(BASEIMAGE *image, int x, int y, int w, int h);
