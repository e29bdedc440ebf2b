// What the text tests share: the draw settings they start from.
#pragma once

#include "library/graphics/draw_params.h"

// Full brightness, no blend, drawing on, a drawable area, the back screen.
inline void ResetTextDrawState() {
    g_drawState.brightness = 0xFFFFFF;
    g_drawState.blendMode = BLENDMODE_NONE;
    g_drawState.blendParam = 255;
    g_drawState.drawingSuppressed = 0;
    g_drawState.emptyArea = 0;
    g_drawState.drawTarget = -2;
}
