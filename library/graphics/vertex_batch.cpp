// The 2D vertex batch and the two draws that use it directly: filled rectangles and grids.
#include "library/graphics/vertex_batch.h"

#include "library/base/window.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"

#include <algorithm>
#include <vector>

VERTEXBATCH g_vertexBatch;

namespace {

VERTEXBATCH &B = g_vertexBatch;

uint8_t *BufferOf(int kind) {
    switch (kind) {
    case VERTEXKIND_COLOUR: return reinterpret_cast<uint8_t *>(B.colourVertices);
    case VERTEXKIND_TEX1: return reinterpret_cast<uint8_t *>(B.texVertices);
    default: return reinterpret_cast<uint8_t *>(B.tex2Vertices);
    }
}

}  // namespace

UINT PrimitiveCountOf(DWORD type, int n) {
    switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return n / 2;
    case D3DPT_LINESTRIP: return n > 0 ? n - 1 : 0;
    case D3DPT_TRIANGLELIST: return n / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n > 1 ? n - 2 : 0;
    default: return 0;
    }
}

int FlushVertexBatch() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    if (B.kind < 0 || B.kind >= VERTEXKIND_COUNT) B.kind = VERTEXKIND_TEX1;
    if (B.count > 0 && !g_window.quit) {
        EnterDeviceScene();
        UINT primitives = PrimitiveCountOf(B.primitiveType, B.count);
        if (!g_renderState.skipDrawing && primitives > 0) {
            SetVertexFormat(kVertexKindFvf[B.kind]);
            d->DrawPrimitiveUP(B.primitiveType, primitives, BufferOf(B.kind), kVertexKindSize[B.kind]);
        }
    }
    B.count = 0;
    B.writePointer = BufferOf(B.kind);
    return 0;
}

void *ReserveBatchVertices(int kind, DWORD type, int count) {
    if (kind < 0 || kind >= VERTEXKIND_COUNT || count < 0 || count > kVertexKindCapacity[kind]) return nullptr;
    if (kind != B.kind || type != B.primitiveType || B.count + count > kVertexKindCapacity[kind]) {
        if (B.count > 0) FlushVertexBatch();
        B.kind = kind;
        B.primitiveType = type;
        B.count = 0;
        B.writePointer = BufferOf(kind);
    }
    if (!B.writePointer) B.writePointer = BufferOf(kind) + (size_t)B.count * kVertexKindSize[kind];
    return B.writePointer;
}

void CommitBatchVertices(int count) {
    B.writePointer += (size_t)count * kVertexKindSize[B.kind];
    B.count += count;
}

void PresetVertexBatch() {
    for (VERTEX2D &v : B.colourVertices) v.z = 0.0f, v.rhw = 1.0f;
    for (VERTEX2DTEX &v : B.texVertices) v.z = 0.0f, v.rhw = 1.0f;
    for (VERTEX2DTEX2 &v : B.tex2Vertices) v.z = 0.0f, v.rhw = 1.0f, v.specular = 0xFFFFFFFFu;
    B.kind = VERTEXKIND_TEX1;
    B.primitiveType = D3DPT_TRIANGLELIST;
    B.count = 0;
    B.writePointer = BufferOf(B.kind);
}

int FillRectBatched(int x1, int y1, int x2, int y2, uint32_t colour, int) {
    if (!GetRenderDevice()) return -1;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const DRAWAREA &a = g_drawArea;
    x1 = std::max(x1, a.left);
    y1 = std::max(y1, a.top);
    x2 = std::min(x2, a.right);
    y2 = std::min(y2, a.bottom);
    if (x1 >= x2 || y1 >= y2) return 0;

    EnterDeviceScene();
    SetDrawStateForDraw(nullptr, ALPHAKIND_NONE, DRAWFLAG_MODULATE);
    uint32_t bright = g_drawState.brightness;
    uint32_t packed = PackBatchColour();
    uint32_t c = packed & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t v = (colour >> shift & 0xFF) * (bright >> shift & 0xFF) / 255;
        c |= v << shift;
    }
    VERTEX2D *v = static_cast<VERTEX2D *>(ReserveBatchVertices(VERTEXKIND_COLOUR, D3DPT_TRIANGLELIST, 6));
    float l = (float)x1 - 0.5f, t = (float)y1 - 0.5f, r = (float)x2 - 0.5f, b = (float)y2 - 0.5f;
    float z = g_drawState.depth2D;
    const float corners[6][2] = {{l, t}, {r, t}, {l, b}, {r, t}, {r, b}, {l, b}};
    for (int i = 0; i < 6; ++i) v[i] = VERTEX2D{corners[i][0], corners[i][1], z, 1.0f, c};
    CommitBatchVertices(6);
    return 0;
}

int DrawVertexGrid(int columns, int rows, const VERTEX2DTEX *vertices) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (columns < 2 || rows < 2 || !vertices) return -1;
    if (!d) return -1;
    FlushVertexBatch();
    EnterDeviceScene();
    SetVertexFormat(kVertexKindFvf[VERTEXKIND_TEX1]);
    constexpr size_t kChunk = 1000;
    std::vector<uint16_t> indices;
    indices.reserve(kChunk + 2 * (size_t)columns + 2);
    int firstRow = 0;  // first vertex row of the chunk
    auto draw = [&](int lastRow) {
        if (indices.size() >= 3 && !g_renderState.skipDrawing)
            d->DrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, (UINT)((lastRow - firstRow + 1) * columns),
                                      (UINT)(indices.size() - 2), indices.data(), D3DFMT_INDEX16,
                                      vertices + (size_t)firstRow * columns, sizeof(VERTEX2DTEX));
        indices.clear();
    };
    for (int r = 0; r + 1 < rows; ++r) {
        size_t join = indices.empty() ? 0 : 2;
        if (!indices.empty() && indices.size() + join + 2 * (size_t)columns > kChunk) {
            draw(r);
            firstRow = r;
            join = 0;
        }
        int base = (r - firstRow) * columns;
        if (join) {
            indices.push_back(indices.back());
            indices.push_back((uint16_t)(base + columns));
        }
        // Each strip runs down-then-right so its triangles keep one winding.
        for (int c = 0; c < columns; ++c) {
            indices.push_back((uint16_t)(base + columns + c));
            indices.push_back((uint16_t)(base + c));
        }
    }
    draw(rows - 1);
    return 0;
}
