// The rectangle of the draw target that bounds all drawing (right and bottom exclusive),
// as ints and as the same four floats.
#pragma once

#include <cstdint>

struct DRAWAREA {
    int32_t left, top, right, bottom;
    float fleft, ftop, fright, fbottom;
};

extern DRAWAREA g_drawArea;

// The area with both halves set from the four ints.
DRAWAREA MakeDrawArea(int left, int top, int right, int bottom);
