// The draw area of the current draw target.
#include "library/graphics/draw_area.h"
#include "library/graphics/screen.h"

DRAWAREA g_drawArea;
SCREENSTATE g_screenState;

DRAWAREA MakeDrawArea(int left, int top, int right, int bottom) {
    return DRAWAREA{left,
                    top,
                    right,
                    bottom,
                    static_cast<float>(left),
                    static_cast<float>(top),
                    static_cast<float>(right),
                    static_cast<float>(bottom)};
}
