// How the pixels of an image in memory are laid out, and turning colours into pixel values and back.
#pragma once

#include <cstdint>

struct PALETTEENTRY_BGRA {
    uint8_t blue, green, red, alpha;
};

// A plain record, copied by value.
struct COLOURFORMAT {
    uint16_t bitsPerPixel;   // 4 or 8 for the block-compressed codes, else 8, 16, 24 or 32
    uint16_t bytesPerPixel;  // 1, 2, 3 or 4
    uint8_t redWidth, greenWidth, blueWidth, alphaWidth;  // 0 = channel absent
    uint8_t redShift, greenShift, blueShift, alphaShift;
    uint32_t redMask, greenMask, blueMask, alphaMask;
    uint32_t freeMask;  // bits no channel uses, set to 1 when a pixel is made
    PALETTEENTRY_BGRA palette[256];  // 1-byte formats only
    uint8_t freeShift, freeWidth;
    int32_t formatCode;  // 0 = plain pixels; 1..5 = DXT1..DXT5 blocks
};

enum : int32_t {
    COLOURCODE_PLAIN = 0,
    COLOURCODE_DXT1 = 1,
    COLOURCODE_DXT2 = 2,
    COLOURCODE_DXT3 = 3,
    COLOURCODE_DXT4 = 4,
    COLOURCODE_DXT5 = 5,
};

int MakeColourFormatPalette8(COLOURFORMAT *format);
int MakeColourFormatGray8(COLOURFORMAT *format);
int MakeColourFormatRGB24(COLOURFORMAT *format);
int MakeColourFormatXRGB8(COLOURFORMAT *format);
int MakeColourFormatARGB8(COLOURFORMAT *format);
int MakeColourFormatFromMasks(COLOURFORMAT *format, int bits, uint32_t redMask, uint32_t greenMask,
                              uint32_t blueMask, uint32_t alphaMask);
COLOURFORMAT *UpdateColourFormatFreeMask(COLOURFORMAT *format);

// Channel values are 0..255.
uint32_t MakeColourCode(const COLOURFORMAT *format, int r, int g, int b, int a);
int SplitColourCode(const COLOURFORMAT *format, uint32_t value, int *r, int *g, int *b, int *a);

// Helpers shared by the readers and the conversion blit.

// Field of `width` bits widened or narrowed to `toWidth` bits: narrowing drops the low bits,
// widening maps the source maximum onto the destination maximum.
uint32_t FitColourField(uint32_t value, int width, int toWidth);
// The little-endian pixel value of 1 to 4 bytes at p, and its store.
inline uint32_t LoadPixelValue(const uint8_t *p, int bytes) {
    switch (bytes) {
    case 1: return p[0];
    case 2: return p[0] | (uint32_t)p[1] << 8;
    case 3: return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
    default: return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    }
}
inline void StorePixelValue(uint8_t *p, int bytes, uint32_t v) {
    p[0] = (uint8_t)v;
    if (bytes > 1) p[1] = (uint8_t)(v >> 8);
    if (bytes > 2) p[2] = (uint8_t)(v >> 16);
    if (bytes > 3) p[3] = (uint8_t)(v >> 24);
}
