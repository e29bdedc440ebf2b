// Moving pixels between blocks of different colour formats, and the scaling blits.
#pragma once

#include <cstdint>

#include "library/graphics/base_image.h"
#include "platform/windef.h"

enum : int {
    DITHER_NONE = 0,
    DITHER_ORDERED = 1,  // 4 x 4 ordered dithering where a channel is narrowed
    DITHER_CARRY = 2,    // running sum of the dropped bits
};

// The conversion blit. The alpha image (optional: null format = none) is aligned with the source
// and gives the alpha by its red channel. 0, or -1 for an empty source rectangle.
int ConvertPixelBlock(void *dst, int dstPitch, const COLOURFORMAT *dstFormat,
                      const void *src, int srcPitch, const COLOURFORMAT *srcFormat,
                      const void *alpha, int alphaPitch, const COLOURFORMAT *alphaFormat,
                      int dstX, int dstY, const RECT *srcRect,
                      int mirror, int transparentFlag, uint32_t transparentColour, int ditherMode,
                      int colourOff, int redAsAlpha, int skipFlag, int paletteRemap);

int CopyBaseImageRect(int srcX, int srcY, int width, int height, int dstX, int dstY, BASEIMAGE *src,
                      BASEIMAGE *dst);
int StretchBaseImage(int sx1, int sy1, int sx2, int sy2, BASEIMAGE *src, int dx1, int dy1, int dx2, int dy2,
                     BASEIMAGE *dst, int bilinear);
int HalveBaseImageBlt(const COLOURFORMAT *format, void *dst, int dstPitch, const void *src, int srcPitch,
                      int width, int height);
