// The rectangle of the draw target that bounds all drawing (right and bottom exclusive).
#pragma once

#include <cstdint>

struct DRAWAREA {
    int32_t left, top, right, bottom;
};

extern DRAWAREA g_drawArea;
