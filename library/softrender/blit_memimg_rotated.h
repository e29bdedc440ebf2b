// The software renderer's rotated blit: one MEMIMG turned about its centre and scaled onto
// another, under the current blend mode, blend parameter, bright colour and draw area.
#pragma once

#include "library/graphics/memimg.h"

// (x, y): where the source's centre pixel (width >> 1, height >> 1) lands. angle in radians,
// positive turning clockwise on the screen; scale 1 draws at the source's size. turn non-zero
// draws the image mirrored left to right, through the quad kernel. transparent and blend as for
// BlitMemImg. Draws nothing for a scale of 0 or not finite, an angle not finite, or steps that
// leave the 32-bit range. Nothing is reported.
void BlitMemImgRotated(MEMIMG *dst, MEMIMG *src, int x, int y, float angle, float scale, int transparent, int turn,
                       MEMIMG *blend);
