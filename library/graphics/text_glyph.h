// Writing one cached glyph of a memory glyph cache into a software image.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"
#include "platform/windef.h"

// A glyph's rectangle in a memory cache: 1 bit per pixel (MSB first) or 1 byte per pixel.
struct GLYPHBITS {
    const uint8_t *rows;  // top-left of the glyph in the cache
    int32_t pitch;        // bytes per cache row
    int32_t bits;         // 1 or 8
    int32_t width, height;
};

// The pixel a glyph pixel of the font type gives: with alpha 0 nothing is written.
struct GLYPHPIXEL {
    uint32_t rgb;  // 0x00RRGGBB
    int32_t alpha; // 0..255
};
GLYPHPIXEL GlyphPixelColour(int fontType, uint32_t stored, uint32_t textRGB, uint32_t edgeRGB);

// Writes the glyph with its top-left at (left, top) (vertical: turned a quarter clockwise, so
// it covers `height` columns from left and `width` rows from top), clipped to the area and the
// image. Colours are 0x00RRGGBB, written as the image's colour codes; antialiased pixels carry
// their alpha into images with alpha and blend over the pixels of images without.
void WriteGlyphToMemImg(MEMIMG *image, const RECT &area, int left, int top, int vertical, const GLYPHBITS &glyph,
                        int fontType, uint32_t textRGB, uint32_t edgeRGB);
