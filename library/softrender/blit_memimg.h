// The software renderer's 1:1 copy kernel: one MEMIMG drawn onto another under the current
// blend mode, blend parameter, bright colour and draw area.
#pragma once

#include "library/graphics/memimg.h"

// Draws the whole source with its top-left at (x, y), clipped to the draw area. transparent 0
// draws every pixel; any other value skips key-coloured (or alpha 0) pixels, and 1 also lets a
// valid run-length table be used. blend: the blend graph's image or null. Nothing is reported.
void BlitMemImg(MEMIMG *dst, MEMIMG *src, int x, int y, int transparent, MEMIMG *blend);
