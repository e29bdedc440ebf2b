// A reference model of the triangle kernel's walk, written from the rules alone: the vertices
// in 14.18 with a half-pixel bias, floored to pixels; the two exchange sorts; exact 64-bit
// gradients; the edge steps; one half-open span per row clipped to the draw area and the
// destination; U and V evaluated from the plane at every pixel and tested as unsigned. Each
// pixel then takes the shape kernels' rule of the kernels' reference model (oracle.h).
#pragma once

#include <cstdint>
#include <vector>

#include "library/graphics/memimg.h"
#include "oracle.h"

namespace softtest {

// The destination's whole body after the triangle (src null: the flat colour), from a copy of
// its bytes; the draw area is g_drawArea.
std::vector<uint8_t> ReferenceTriangle(const MEMIMG &dst, const MEMIMG *src, const int32_t v[12],
                                       const ORACLESETTINGS &s, uint32_t colour);

}  // namespace softtest
