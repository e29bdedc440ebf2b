#include "game/frame/game_graphics.h"

#include "library/graphics/draw2d.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/text_draw.h"

namespace {
// Screen entries not in the library yet: the target and clears succeed, the capture does
// nothing.
int Zero0() { return 0; }
int Zero1(int) { return 0; }
int NoCapture(int, int, int, int, int) { return -1; }

void DrawLoadingText() { DrawFormattedText(560, 440, MakeScreenColour(255, 255, 255), "%s", "ロード中"); }

GameGraphicsCalls g_gameGraphics = {
    Zero1,            // setDrawTarget
    Zero0,            // clearDrawTarget
    Zero0,            // clearScreen
    Zero0,            // presentBackScreen
    SetTransparentKey,
    OpenImageAsGraph,
    DestroyGraph,
    CreateBlankGraph,
    NoCapture,        // getDrawScreenGraph
    DrawGraphStretched,
    DrawGraphPart,
    DrawLoadingText,
};
} // namespace

GameGraphicsCalls &GameGraphics() { return g_gameGraphics; }
