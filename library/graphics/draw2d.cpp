// The public graph draws: the common preamble, then the hardware or the software back end.
#include "library/graphics/draw2d.h"

#include "library/base/library.h"
#include "library/base/pump.h"
#include "library/base/strings.h"
#include "library/base/window.h"
#include "library/graphics/draw2d_geometry.h"
#include "library/graphics/draw2d_hardware.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/graph_bridge.h"
#include "library/graphics/render_device.h"

#include <algorithm>
#include <cmath>

namespace {

// The screen rectangle a subtractive draw can touch, for the passes that emulate it.
struct PASSRECT {
    int x1, y1, x2, y2;
};

// Steps 2-5 of every draw: drawing on, a live graph, a fitting blend graph, the window
// active. Returns the graph, or null with *result set.
GRAPHENTRY *BeginDraw(int graph, int *result) {
    *result = 0;
    if (g_drawState.drawingSuppressed || g_drawState.emptyArea) return nullptr;
    GRAPHENTRY *e = GetGraphEntry(graph);
    *result = -1;
    if (!e) return nullptr;
    if (g_drawState.blendGraph != -1) {
        GRAPHENTRY *b = GetGraphEntry(g_drawState.blendGraph);
        if (!b || b->width < e->width || b->height < e->height) return nullptr;
    }
    if (!g_window.active) WaitWhileInactive();
    *result = 0;
    return e;
}

bool NeedsSubtractPasses(const GRAPHENTRY *e) {
    return g_drawState.blendMode == BLENDMODE_SUB && e->source->desc.hardware && !RenderDeviceHasBlendOp();
}

// Steps 7-9: the back end between the subtractive passes when they are needed.
template <typename Draw>
int RunBackEnd(GRAPHENTRY *e, const PASSRECT &rect, Draw draw) {
    if (e->boundMovie != -1 && g_graphBridge.advanceMovieFrame) g_graphBridge.advanceMovieFrame(e->boundMovie, 0);
    const bool passes = NeedsSubtractPasses(e);
    if (passes) BlendGraphPrePass(rect.x1, rect.y1, rect.x2, rect.y2);
    const int r = draw();
    if (passes) BlendGraphPostPass(rect.x1, rect.y1, rect.x2, rect.y2);
    return r;
}

// DrawGraphPart and DrawGraphPartStretched narrow the area for one inner draw.
struct SAVEDAREA {
    DRAWAREA area;
    int32_t empty;
};
SAVEDAREA NarrowDrawArea(int x1, int y1, int x2, int y2) {
    SAVEDAREA saved{g_drawArea, g_drawState.emptyArea};
    g_drawArea = IntersectDrawArea(g_drawArea, x1, y1, x2, y2);
    if (g_drawArea.left == g_drawArea.right || g_drawArea.top == g_drawArea.bottom) g_drawState.emptyArea = 1;
    return saved;
}
void RestoreDrawArea(const SAVEDAREA &saved) {
    g_drawArea = saved.area;
    g_drawState.emptyArea = saved.empty;
}

}  // namespace

int DrawGraphAt(int x, int y, int graph, int transparent) {
    if (!g_library.initialised) return -1;
    int result;
    GRAPHENTRY *e = BeginDraw(graph, &result);
    if (!e) return result;
    const PASSRECT rect{x, y, x + e->width, y + e->height};
    return RunBackEnd(e, rect, [&] {
        if (e->source->desc.hardware) return DrawQuadParts(e, x, y, transparent);
        return g_softDrawHooks.blit ? g_softDrawHooks.blit(e, x, y, transparent) : -1;
    });
}

int DrawGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparent) {
    int result;
    GRAPHENTRY *e = BeginDraw(graph, &result);
    if (!e) return result;
    const PASSRECT rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    return RunBackEnd(e, rect, [&] {
        if (e->source->desc.hardware) return DrawStretchedParts(e, x1, y1, x2, y2, transparent);
        return g_softDrawHooks.stretchBlit ? g_softDrawHooks.stretchBlit(e, x1, y1, x2, y2, transparent) : -1;
    });
}

int DrawGraphMirrored(int x, int y, int graph, int transparent) {
    int width, height;
    if (GetGraphSize(graph, &width, &height) != 0) return -1;
    return DrawGraphStretched(x + width, y, x, y + height, graph, transparent);
}

int DrawGraphRotated(float x, float y, double scale, double angle, int graph, int transparent, int turn) {
    int result;
    GRAPHENTRY *e = BeginDraw(graph, &result);
    if (!e) return result;
    PASSRECT rect{};
    RotatedDrawBounds(x, y, scale, angle, e->width, e->height, &rect.x1, &rect.y1, &rect.x2, &rect.y2);
    return RunBackEnd(e, rect, [&] {
        if (e->source->desc.hardware) return DrawRotatedParts(e, x, y, scale, angle, turn, transparent);
        // Truncated toward zero; a position beyond the int range (or NaN) gives INT_MIN, as the
        // processor's conversion does, and the kernel's box then misses the screen.
        return g_softDrawHooks.rotated
                   ? g_softDrawHooks.rotated(e, FloatToInt(x), FloatToInt(y), angle, scale, transparent, turn)
                   : -1;
    });
}

int DrawGraphRotatedAt(int x, int y, double scale, double angle, int graph, int transparent, int turn) {
    return DrawGraphRotated(static_cast<float>(x), static_cast<float>(y), scale, angle, graph, transparent, turn);
}

int DrawGraphPart(int x, int y, int sx, int sy, int width, int height, int graph, int transparent, int turn) {
    int graphWidth, graphHeight;
    if (GetGraphSize(graph, &graphWidth, &graphHeight) != 0) return -1;
    const SAVEDAREA saved = NarrowDrawArea(x, y, x + width, y + height);
    int drawX, drawY;
    PartDrawPlacement(x, y, sx, sy, width, height, graphWidth, turn != 0, &drawX, &drawY);
    const int r = turn ? DrawGraphMirrored(drawX, drawY, graph, transparent)
                       : DrawGraphAt(drawX, drawY, graph, transparent);
    RestoreDrawArea(saved);
    return r;
}

int DrawGraphPartStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graph,
                           int transparent) {
    int graphWidth, graphHeight;
    if (GetGraphSize(graph, &graphWidth, &graphHeight) != 0) return -1;
    // An empty source rectangle stretches nothing.
    if (sw <= 0 || sh <= 0) return -1;
    const SAVEDAREA saved =
        NarrowDrawArea(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    int ox1, oy1, ox2, oy2;
    PartStretchedPlacement(x1, y1, x2, y2, sx, sy, sw, sh, graphWidth, graphHeight, &ox1, &oy1, &ox2, &oy2);
    const int r = DrawGraphStretched(ox1, oy1, ox2, oy2, graph, transparent);
    RestoreDrawArea(saved);
    return r;
}

int DrawGraphCorners(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                     int transparent) {
    int result;
    GRAPHENTRY *e = BeginDraw(graph, &result);
    if (!e) return result;
    const FREECORNERS c{{x1, x2, x3, x4}, {y1, y2, y3, y4}};
    // Truncated toward zero; a corner that is no number or past the int range becomes INT_MIN.
    PASSRECT rect{FloatToInt(std::min({x1, x2, x3, x4})), FloatToInt(std::min({y1, y2, y3, y4})),
                  FloatToInt(std::max({x1, x2, x3, x4})), FloatToInt(std::max({y1, y2, y3, y4}))};
    return RunBackEnd(e, rect, [&] {
        if (e->source->desc.hardware) return DrawCornerParts(e, c, transparent);
        if (!g_softDrawHooks.corners) return -1;
        const int ix[4] = {FloatToInt(x1), FloatToInt(x2), FloatToInt(x3), FloatToInt(x4)};
        const int iy[4] = {FloatToInt(y1), FloatToInt(y2), FloatToInt(y3), FloatToInt(y4)};
        return g_softDrawHooks.corners(e, ix, iy, transparent);
    });
}
