// The hardware back ends of the graph draws.
#include "library/graphics/draw2d_hardware.h"

#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph.h"
#include "library/graphics/render_device.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/vertex_batch.h"

#include <cmath>

namespace {

QUADPART ToQuadPart(const TEXPART &t) {
    QUADPART q;
    for (int i = 0; i < 4; ++i) {
        q.corner[i] = QUADCORNER{t.corners[i].x, t.corners[i].y, t.corners[i].u, t.corners[i].v};
        q.diagonal[i] = t.cornerFlags[i];
    }
    q.textureWidth = static_cast<float>(t.tile->textureWidth);
    q.textureHeight = static_cast<float>(t.tile->textureHeight);
    return q;
}

int AlphaKindOf(const GRAPHSOURCE *s) {
    if (s->desc.alpha) return ALPHAKIND_BLEND;
    if (s->desc.alphaTest) return ALPHAKIND_TEST;
    return ALPHAKIND_NONE;
}

// The shared head of every hardware draw: a device that is not lost, an open scene and the
// per-draw state for the graph's format.
bool BeginHardwareDraw(GRAPHENTRY *e, int transparent, bool unfiltered) {
    if (!GetRenderDevice() || g_screenState.deviceLost) return false;
    EnterDeviceScene();
    int flags = 0;
    if (transparent) flags |= DRAWFLAG_TEXALPHA;
    if (unfiltered) flags |= DRAWFLAG_POINT;
    IDirect3DBaseTexture9 *first = e->texPartCount > 0 ? GraphTexParts(e)[0].tile->texture : nullptr;
    SetDrawStateForDraw(first, AlphaKindOf(e->source), flags);
    return true;
}

// Six vertices of one part into the batch, in the batch's current kind (with the blend
// graph's coordinates for kind 2); `graphPos` are the graph-space corners behind them.
void WritePart(const TEXPART &part, const SCREENVERTEX v[6], const QUADCORNER *graphPos) {
    if (g_renderState.drawTexture != part.tile->texture) SetDrawTexture(part.tile->texture);
    const uint32_t colour = PackBatchColour();
    const float z = g_drawState.depth2D;
    if (g_renderState.blendTexture) {
        auto *out = static_cast<VERTEX2DTEX2 *>(ReserveBatchVertices(VERTEXKIND_TEX2, D3DPT_TRIANGLELIST, 6));
        static const int kCorner[6] = {QUAD_TL, QUAD_TR, QUAD_BL, QUAD_BR, QUAD_BL, QUAD_TR};
        const VERTEXBATCH &b = g_vertexBatch;
        for (int i = 0; i < 6; ++i) {
            const QUADCORNER &g = graphPos[kCorner[i]];
            out[i] = VERTEX2DTEX2{v[i].x, v[i].y, z, 1.0f, colour, 0xFFFFFFFFu, v[i].u, v[i].v,
                                  g.x * b.sourceWidthInv, g.y * b.sourceHeightInv};
        }
    } else {
        auto *out = static_cast<VERTEX2DTEX *>(ReserveBatchVertices(VERTEXKIND_TEX1, D3DPT_TRIANGLELIST, 6));
        for (int i = 0; i < 6; ++i) out[i] = VERTEX2DTEX{v[i].x, v[i].y, z, 1.0f, colour, v[i].u, v[i].v};
    }
    CommitBatchVertices(6);
}

void WriteQuad(const TEXPART &part, const SCREENVERTEX corners[4]) {
    SCREENVERTEX six[6];
    QuadToTriangles(corners, six);
    QUADCORNER g[4];
    for (int i = 0; i < 4; ++i) g[i] = QUADCORNER{part.corners[i].x, part.corners[i].y, 0, 0};
    WritePart(part, six, g);
}

}  // namespace

int DrawQuadParts(GRAPHENTRY *e, int x, int y, int transparent) {
    if (!BeginHardwareDraw(e, transparent, true)) return -1;
    const bool inside = GraphInsideArea(x, y, x + e->width, y + e->height, g_drawArea);
    TEXPART *parts = GraphTexParts(e);
    for (int i = 0; i < e->texPartCount; ++i) {
        SCREENVERTEX c[4];
        PlaceQuadPart(ToQuadPart(parts[i]), x, y, inside, g_drawArea, c);
        WriteQuad(parts[i], c);
    }
    return 0;
}

int DrawStretchedParts(GRAPHENTRY *e, int x1, int y1, int x2, int y2, int transparent) {
    if (x2 == x1 || y2 == y1) return -1;
    if (!BeginHardwareDraw(e, transparent, g_drawState.filterMode != 1)) return -1;
    const bool inside = GraphInsideArea(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2),
                                        g_drawArea);
    TEXPART *parts = GraphTexParts(e);
    for (int i = 0; i < e->texPartCount; ++i) {
        SCREENVERTEX c[4];
        PlaceStretchedPart(ToQuadPart(parts[i]), x1, y1, x2, y2, e->width, e->height, inside, g_drawArea, c);
        WriteQuad(parts[i], c);
    }
    return 0;
}

int DrawRotatedParts(GRAPHENTRY *e, float x, float y, double scale, double angle, int turn, int transparent) {
    ROTATEDDRAW d;
    if (!SetupRotatedDraw(x, y, scale, angle, turn != 0, e->width, e->height, e->texPartCount, &d)) return -1;
    if (!BeginHardwareDraw(e, transparent, false)) return -1;
    TEXPART *parts = GraphTexParts(e);
    for (int i = 0; i < e->texPartCount; ++i) {
        const QUADPART q = ToQuadPart(parts[i]);
        SCREENVERTEX v[6];
        PlaceRotatedPart(q, d, v);
        WritePart(parts[i], v, q.corner);
    }
    return 0;
}

namespace {

// One part on four screen corners (TL, TR, BL, BR): a quad when the shape is a
// parallelogram, else the vertex grid.
void DrawCornerQuad(const TEXPART &part, const float x[4], const float y[4]) {
    const QUADPART q = ToQuadPart(part);
    if (CornersFormParallelogram(x, y)) {
        SCREENVERTEX c[4];
        for (int i = 0; i < 4; ++i) c[i] = SCREENVERTEX{x[i] - 0.5f, y[i] - 0.5f, q.corner[i].u, q.corner[i].v};
        WriteQuad(part, c);
        return;
    }
    float hx[4], hy[4];
    for (int i = 0; i < 4; ++i) hx[i] = x[i] - 0.5f, hy[i] = y[i] - 0.5f;
    SCREENVERTEX grid[kCornerGridSide * kCornerGridSide];
    BuildCornerGrid(hx, hy, q, grid);
    if (g_renderState.drawTexture != part.tile->texture) SetDrawTexture(part.tile->texture);
    VERTEX2DTEX out[kCornerGridSide * kCornerGridSide];
    const uint32_t colour = PackBatchColour();
    for (int i = 0; i < kCornerGridSide * kCornerGridSide; ++i)
        out[i] = VERTEX2DTEX{grid[i].x, grid[i].y, g_drawState.depth2D, 1.0f, colour, grid[i].u, grid[i].v};
    DrawVertexGrid(kCornerGridSide, kCornerGridSide, out);
}

}  // namespace

int DrawCornerParts(GRAPHENTRY *e, const FREECORNERS &c, int transparent) {
    if (!BeginHardwareDraw(e, transparent, false)) return -1;
    TEXPART *parts = GraphTexParts(e);
    if (!g_renderState.blendTexture) {
        for (int i = 0; i < e->texPartCount; ++i) {
            float x[4], y[4];
            if (e->texPartCount == 1) {
                // FREECORNERS runs TL, TR, BR, BL; the quads run TL, TR, BL, BR.
                x[QUAD_TL] = c.x[0], x[QUAD_TR] = c.x[1], x[QUAD_BR] = c.x[2], x[QUAD_BL] = c.x[3];
                y[QUAD_TL] = c.y[0], y[QUAD_TR] = c.y[1], y[QUAD_BR] = c.y[2], y[QUAD_BL] = c.y[3];
            } else {
                for (int k = 0; k < 4; ++k)
                    MapBilinear(c, parts[i].corners[k].x, parts[i].corners[k].y, e->width, e->height, &x[k], &y[k]);
            }
            DrawCornerQuad(parts[i], x, y);
        }
        return 0;
    }
    // With a blend graph: whole pixels, and a rectangle draws stretched.
    const int ix[4] = {(int)c.x[0], (int)c.x[1], (int)c.x[2], (int)c.x[3]};
    const int iy[4] = {(int)c.y[0], (int)c.y[1], (int)c.y[2], (int)c.y[3]};
    if (CornersAxisAligned(ix, iy)) return DrawStretchedParts(e, ix[0], iy[0], ix[2], iy[2], transparent);
    const FREECORNERS ic{{(float)ix[0], (float)ix[1], (float)ix[2], (float)ix[3]},
                         {(float)iy[0], (float)iy[1], (float)iy[2], (float)iy[3]}};
    for (int i = 0; i < e->texPartCount; ++i) {
        const QUADPART q = ToQuadPart(parts[i]);
        SCREENVERTEX corners[4];
        for (int k = 0; k < 4; ++k) {
            float sx, sy;
            MapCornerAffine(ic, q.corner[k].x, q.corner[k].y, e->width, e->height, q.diagonal[k] != 0, &sx, &sy);
            corners[k] = SCREENVERTEX{sx, sy, q.corner[k].u, q.corner[k].v};
        }
        WriteQuad(parts[i], corners);
    }
    return 0;
}
