// The 2D vertex batch: vertices of one kind and primitive type queued in fixed buffers and
// sent with one DrawPrimitiveUP when the kind, the type or a state changes, or when full.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>

enum : int32_t {
    VERTEXKIND_COLOUR = 0,    // XYZRHW, DIFFUSE
    VERTEXKIND_TEX1 = 1,      // + one texture-coordinate pair
    VERTEXKIND_TEX2 = 2,      // + specular + two pairs
    VERTEXKIND_COUNT = 3,
};

struct VERTEX2D {
    float x, y, z, rhw;
    uint32_t colour;
};
struct VERTEX2DTEX {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
struct VERTEX2DTEX2 {
    float x, y, z, rhw;
    uint32_t colour;
    uint32_t specular;
    float u1, v1, u2, v2;
};

constexpr DWORD kVertexKindFvf[VERTEXKIND_COUNT] = {0x44, 0x144, 0x2C4};
constexpr int kVertexKindSize[VERTEXKIND_COUNT] = {20, 28, 40};
constexpr int kVertexKindCapacity[VERTEXKIND_COUNT] = {3225, 2340, 1638};

struct VERTEXBATCH {
    VERTEX2D colourVertices[3225];
    VERTEX2DTEX texVertices[2340];
    VERTEX2DTEX2 tex2Vertices[1638];
    int32_t count;           // 0 = empty
    int32_t kind;
    DWORD primitiveType;     // D3DPT_*
    uint32_t colour;         // packed ARGB of the draws
    uint8_t *writePointer;   // next free vertex of the current kind's buffer
    float sourceWidth, sourceHeight;        // blend-graph texture scale
    float sourceWidthInv, sourceHeightInv;
};

extern VERTEXBATCH g_vertexBatch;

int FlushVertexBatch();
// Room for `count` vertices of `kind` and `type`: flushes when the batch holds another kind or
// type or would reach the kind's capacity. Returns where to write them (null when count is
// above the capacity). The caller writes and calls CommitBatchVertices.
void *ReserveBatchVertices(int kind, DWORD type, int count);
void CommitBatchVertices(int count);
// Presets z 0, rhw 1 and the kind-2 specular colour in every buffer and empties the batch.
void PresetVertexBatch();
// Primitive count of `vertices` vertices of `type`.
UINT PrimitiveCountOf(DWORD type, int vertices);

// A filled rectangle in the current brightness and blend mode, clipped to the draw area.
int FillRectBatched(int x1, int y1, int x2, int y2, uint32_t colour, int flag);
// A grid of kind-1 vertices (columns x rows, row-major) as indexed strips.
int DrawVertexGrid(int columns, int rows, const VERTEX2DTEX *vertices);
