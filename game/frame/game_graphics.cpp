#include "game/frame/game_graphics.h"

#include "library/graphics/draw2d.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/screen.h"
#include "library/graphics/text_draw.h"

namespace {
void DrawLoadingText() { DrawFormattedText(560, 440, MakeScreenColour(255, 255, 255), "%s", "ロード中"); }

GameGraphicsCalls g_gameGraphics = {
    SetDrawTarget,
    ClearDrawTarget,
    ClearScreen,
    PresentBackScreen,
    SetTransparentKey,
    OpenImageAsGraph,
    OpenImageAsDivGraphs,
    DestroyGraph,
    CreateBlankGraph,
    GetDrawScreenGraph,
    DrawGraphStretched,
    DrawGraphAt,
    DrawGraphPart,
    CreateSubGraph,
    SetBrightnessRGB,
    DrawGraphRotatedAt,
    DrawLoadingText,
};
} // namespace

GameGraphicsCalls &GameGraphics() { return g_gameGraphics; }
