// The software renderer's stretched copy kernel: one MEMIMG drawn scaled into a rectangle of
// another, mirrored along an axis given reversed, under the current blend mode, blend
// parameter, bright colour and draw area.
#pragma once

#include "library/graphics/memimg.h"

// rect: x1, y1, x2, y2 as the caller gave them (left, top, right, bottom); x1 > x2 mirrors left
// to right, y1 > y2 top to bottom. A rectangle of the source's own size, not mirrored, is a 1:1
// copy. transparent and blend as for BlitMemImg. Nothing is reported.
void StretchBlitMemImg(MEMIMG *dst, MEMIMG *src, const RECT *rect, int transparent, MEMIMG *blend);
