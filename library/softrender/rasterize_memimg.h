// The software renderer's triangle and quad kernels: a source MEMIMG mapped onto a triangle or
// a four-cornered area of a destination, or a triangle in one colour, under the current blend
// mode, blend parameter, bright colour and draw area. Nothing is reported.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"

// Vertices: three times x, y (destination pixels) and u, v (source texels, (width, height)
// being the source's bottom-right corner). src null draws `colour`, a pixel value of the
// destination's format; otherwise `transparent` non-zero skips key-coloured or alpha-0 texels
// and `blend` (or null) is the blend graph's image, read at the texel. A triangle draws the
// pixels whose centres lie inside it, on rows from its top vertex's row to the row before its
// bottom vertex's, each row from its left edge up to, not including, its right edge. Refused:
// mismatched pixel types, a palette or alpha destination, collinear vertices, any coordinate or
// extent of 8,192 or more in magnitude, blend modes 5 to 9 and outside 0..11.
void RasterizeMemImgTriangle(MEMIMG *dst, MEMIMG *src, const int32_t vertices[12], int transparent, MEMIMG *blend,
                             uint32_t colour);

// The whole source onto four corners (x, y each, destination pixels) in the order top-left,
// top-right, bottom-left, bottom-right of the source, as two triangles; nothing when the
// corners' box, widened by 2 before and 4 after, misses the draw area.
void RasterizeMemImgQuad(MEMIMG *dst, MEMIMG *src, const int32_t corners[8], int transparent, MEMIMG *blend);
