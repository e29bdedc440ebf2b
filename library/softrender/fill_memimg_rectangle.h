// The software renderer's rectangle fill: one colour painted over a rectangle of a MEMIMG
// under the current blend mode and blend parameter, after the bright colour.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"

// rect: left, top, right, bottom in any order, or null for the whole view; clipped to the draw
// area and the image. colour: in the image's pixel format (565 in the low 16 bits, or bytes B,
// G, R and a top byte). Palette and alpha images are not filled. Nothing is reported.
void FillMemImgRectangle(MEMIMG *dst, const RECT *rect, uint32_t colour);
