// A reference model of the triangle kernel, written from the rules alone: the vertices in 14.18
// with a half-pixel bias, floored to pixels; the two exchange sorts; exact 64-bit gradients;
// the edge steps; one half-open span per row clipped to the draw area and the destination; U
// and V evaluated from the plane at every pixel and tested as unsigned; and each pixel's rule
// written out per source kind and blend mode with 64-bit products divided by 255 directly and
// the packed add and subtract as what they do to each channel.
#pragma once

#include <cstdint>
#include <vector>

#include "library/graphics/memimg.h"

namespace softtest {

// The draw settings of a call: mode, parameter and bright colour (read from the globals), the
// transparency flag, the blend graph (or null) and its weights for a border and range.
struct TRIANGLESETTINGS {
    int mode, p;
    uint32_t bright;
    int transparent;
    const MEMIMG *graph;
    int weights[256];
};
TRIANGLESETTINGS TriangleSettings(int transparent, const MEMIMG *graph, int border, int range);

// The destination's whole body after the triangle (src null: the flat colour), from a copy of
// its bytes; the draw area is g_drawArea.
std::vector<uint8_t> ReferenceTriangle(const MEMIMG &dst, const MEMIMG *src, const int32_t v[12],
                                       const TRIANGLESETTINGS &s, uint32_t colour);

// The destination pixel d after texel (col, row) of src lands on it (d itself when skipped).
uint32_t ReferenceTexel(const TRIANGLESETTINGS &s, const MEMIMG &src, int col, int row, uint32_t d);
// The destination pixel d under a flat colour of its format.
uint32_t ReferenceFlat(const TRIANGLESETTINGS &s, bool wide, uint32_t colour, uint32_t d);

}  // namespace softtest
