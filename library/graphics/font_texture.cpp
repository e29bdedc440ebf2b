// The glyph cache's texture side over graph handles: the cache graph with its edge half, the
// transfer of rendered cells and the staging image's format.
#include "library/graphics/font.h"
#include "library/graphics/graph.h"

namespace {

int GraphDrawsOnDirect3D() { return g_graphBridge.started && g_graphBridge.direct3D ? 1 : 0; }

int GraphScreenBits() { return g_graphBridge.screenBits; }

int GraphCreateCacheGraph(int width, int height, int antialias, int edged, int32_t *deletedFlag, int *edgeGraph)
{
    int savedAlpha = GetBlankGraphAlpha(), savedAlphaTest = GetAlphaTestGraphMode();
    int savedBits = GetGraphColourBits();
    if (antialias) SetBlankGraphAlpha(1);
    else SetAlphaTestGraphMode(1);
    SetGraphColourBits(16);
    int graph = CreateBlankGraph(width, height);
    int edge = -1;
    if (graph != -1 && edged) {
        edge = CreateSubGraph(width / 2, 0, width / 2, height, graph);
        if (edge == -1) {
            DestroyGraph(graph);
            graph = -1;
        }
    }
    SetBlankGraphAlpha(savedAlpha);
    SetAlphaTestGraphMode(savedAlphaTest);
    SetGraphColourBits(savedBits);
    if (graph == -1) return -1;
    SetGraphDeletedFlag(graph, deletedFlag);
    FillGraphColour(graph, 255, 255, 255, 0);
    if (edgeGraph) *edgeGraph = edge;
    return graph;
}

int GraphTransferCacheRect(int graph, const BASEIMAGE *image, int x, int y, int w, int h)
{
    RECT rect{x, y, x + w, y + h};
    return TransferImageToGraphTextures(graph, &rect, x, y, const_cast<BASEIMAGE *>(image), nullptr, 0);
}

int GraphCacheImageFormat(int antialias, COLOURFORMAT *format)
{
    const COLOURFORMAT *f = ColourFormatForGraphKind(antialias ? 1 : 0, antialias ? 0 : 1, 0, 0);
    if (!f || !format) return -1;
    *format = *f;
    return 0;
}

}  // namespace

const FONTTEXTUREHOOKS kGraphFontTextures = {
    GraphDrawsOnDirect3D, GraphScreenBits, GraphCreateCacheGraph, GraphTransferCacheRect, DestroyGraph,
    GraphCacheImageFormat,
};

FONTTEXTUREHOOKS g_fontTextureHooks = kGraphFontTextures;

