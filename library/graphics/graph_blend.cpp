// The blend graph of the draw settings, chosen by graph handle, and the texture a graph handle
// stands for in caller draw-state blocks.
#include "library/graphics/graph.h"

#include "library/base/pump.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/memimg.h"

namespace {

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

}  // namespace

IDirect3DBaseTexture9 *GraphFirstTexture(int graph) {
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry || !entry->source->desc.hardware || entry->texPartCount == 0) return nullptr;
    return GraphTexParts(entry)[0].tile->texture;
}

int SetBlendGraph(int graph, int parameter, int range) {
    DRAWSTATE &S = g_drawState;
    if (S.drawingSuppressed) return 0;
    if (graph == S.blendGraph && parameter == S.blendGraphParam && range == S.blendGraphRange) return 0;
    GRAPHENTRY *entry = graph == -1 ? nullptr : GetGraphEntry(graph);
    if (graph != -1 && !entry) return -1;
    WaitWhileInactive();
    parameter = Clamp255(parameter);
    range = Clamp255(range);
    if (!g_graphBridge.direct3D) {
        g_graphs.softBlendImage = entry && !entry->source->desc.hardware ? GraphMemImg(entry) : nullptr;
        SetBlendGraphThreshold(parameter, range);
        S.blendGraphParam = parameter;
        S.blendGraphRange = range;
    } else {
        if (!g_graphBridge.device) return -1;
        IDirect3DBaseTexture9 *texture = nullptr;
        int width = 0, height = 0;
        if (entry) {
            texture = GraphFirstTexture(graph);
            if (!texture) return -1;
            const GRAPHTILE *tile = GraphTexParts(entry)[0].tile;
            width = tile->textureWidth;
            height = tile->textureHeight;
        }
        if (SetBlendGraphTextureParams(texture, width, height, parameter, range) != 0) return -1;
    }
    S.blendGraph = graph;
    return 0;
}

int CheckBlendGraphSize(const GRAPHENTRY *graph) {
    GRAPHENTRY *blend = GetGraphEntry(g_drawState.blendGraph);
    if (!blend || !graph || blend->width < graph->width || blend->height < graph->height) return -1;
    return 0;
}

void ForgetBlendGraph(int graph) {
    DRAWSTATE &S = g_drawState;
    if (graph == -1 || graph != S.blendGraph) return;
    // The textures or the image go with the graph: nothing may keep pointing at them.
    S.blendGraph = -1;
    g_graphs.softBlendImage = nullptr;
    if (g_graphBridge.direct3D && g_graphBridge.device)
        SetBlendGraphTextureParams(nullptr, 0, 0, S.blendGraphParam, S.blendGraphRange);
}
