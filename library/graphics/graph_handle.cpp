// The graph table: handles, sub-graphs, the file records, deletion and the settings family.
#include "library/graphics/graph.h"

#include <cstring>

#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/graphics/draw_params.h"

GRAPHSYS g_graphs;
GRAPHBRIDGE g_graphBridge;

namespace {

int MakeGraphHandle(int slot, int check) { return (HTYPE_GRAPH << 27) | (check << 16) | slot; }

void DropRestoreFile(GRAPHENTRY *entry) {
    GRAPHFILEREC *rec = entry->restoreFile;
    entry->restoreFile = nullptr;
    if (rec && --rec->count <= 0) MEM_FREE(rec);
}

void DropSource(GRAPHENTRY *entry) {
    GRAPHSOURCE *source = entry->source;
    entry->source = nullptr;
    if (!source || --source->refCount > 0) return;
    ReleaseGraphWorkSurfaces(source);
    if (source->desc.hardware)
        ReleaseGraphTextures(source);
    else
        ReleaseMemImg(&GraphSoftSource(source)->image);
    MEM_FREE(source);
}

}  // namespace

int AllocGraphHandle() {
    GRAPHSYS &G = g_graphs;
    if (G.count >= kMaxGraphs) ExitWithError("グラフィックの数が許容量を越えました終了します\n");
    int slot = G.usedEnd;
    if (slot >= kMaxGraphs) {
        for (slot = 0; slot < kMaxGraphs && G.slots[slot]; ++slot) {
        }
    }
    auto *entry = (GRAPHENTRY *)MEM_ALLOC_ZERO(sizeof(GRAPHENTRY) + 4 * sizeof(TEXPART));
    if (!entry) ExitWithError("メモリの確保に失敗しました\n");
    entry->checkCount = G.nextCheck;
    G.nextCheck = (G.nextCheck + 1) & kHandleCheckMask;
    entry->handle = MakeGraphHandle(slot, entry->checkCount);
    entry->boundMovie = -1;
    G.slots[slot] = entry;
    ++G.count;
    if (slot == G.usedEnd) ++G.usedEnd;
    return entry->handle;
}

GRAPHENTRY *GetGraphEntry(int handle) {
    if (handle < 0 || ((handle >> 27) & 0xF) != HTYPE_GRAPH) return nullptr;
    int slot = handle & 0xFFFF;
    if (slot >= kMaxGraphs) return nullptr;
    GRAPHENTRY *entry = g_graphs.slots[slot];
    if (!entry || entry->checkCount != ((handle >> 16) & kHandleCheckMask)) return nullptr;
    return entry;
}

int IsGraphHandleValid(int handle) { return GetGraphEntry(handle) ? 1 : 0; }

int GetGraphSize(int handle, int *width, int *height) {
    GRAPHENTRY *entry = GetGraphEntry(handle);
    if (!entry) return -1;
    if (width) *width = entry->width;
    if (height) *height = entry->height;
    return 0;
}

int SetGraphDeletedFlag(int handle, int32_t *flag) {
    GRAPHENTRY *entry = GetGraphEntry(handle);
    if (!entry) return -1;
    entry->deletedFlag = flag;
    if (flag) *flag = 0;
    return 0;
}

int SetGraphRestoreFile(int handle, const char *fileName, int otherGraph) {
    GRAPHENTRY *entry = GetGraphEntry(handle);
    if (!entry) return -1;
    if (fileName) {
        char full[PATH_BUFFER_SIZE];
        // A name that does not make a full path is kept as given.
        const char *path = BuildFullPath(fileName, full, nullptr) == 0 ? full : fileName;
        size_t length = std::strlen(path);
        auto *rec = (GRAPHFILEREC *)MEM_ALLOC(sizeof(GRAPHFILEREC) + length);
        if (!rec) return WriteLog("転送する画像ファイルのファイル名を保存するメモリ領域の確保に失敗しました\n");
        rec->count = 1;
        std::memcpy(rec->path, path, length + 1);
        DropRestoreFile(entry);
        entry->restoreFile = rec;
        return 0;
    }
    GRAPHENTRY *other = otherGraph == -1 ? nullptr : GetGraphEntry(otherGraph);
    GRAPHFILEREC *shared = other ? other->restoreFile : nullptr;
    if (shared) ++shared->count;
    DropRestoreFile(entry);
    entry->restoreFile = shared;
    return 0;
}

int InitSubGraph(GRAPHENTRY *parent, GRAPHENTRY *child, int x, int y, int width, int height) {
    child->source = parent->source;
    ++child->source->refCount;
    child->restoreFile = parent->restoreFile;
    if (child->restoreFile) ++child->restoreFile->count;
    child->fileX = parent->fileX + x;
    child->fileY = parent->fileY + y;
    child->loadFlag = parent->loadFlag;
    child->sourceX = parent->sourceX + x;
    child->sourceY = parent->sourceY + y;
    child->width = width;
    child->height = height;
    return BuildTexParts(child->handle);
}

int CreateSubGraph(int x, int y, int width, int height, int parent) {
    GRAPHENTRY *p = GetGraphEntry(parent);
    if (!p || x < 0 || y < 0 || x >= p->width || y >= p->height || width <= 0 || height <= 0) return -1;
    if (x + width > p->width) width = p->width - x;
    if (y + height > p->height) height = p->height - y;
    int handle = AllocGraphHandle();
    // The allocation may not move the parent: entries are separate blocks.
    if (InitSubGraph(p, GetGraphEntry(handle), x, y, width, height) != 0) {
        DestroyGraph(handle);
        return -1;
    }
    return handle;
}

int DestroyGraph(int handle) {
    GRAPHENTRY *entry = GetGraphEntry(handle);
    if (!entry) return -1;
    GRAPHSYS &G = g_graphs;
    if (entry->boundMovie != -1 && g_graphBridge.closeMovie) g_graphBridge.closeMovie(entry->boundMovie);
    entry->boundMovie = -1;
    ForgetBlendGraph(handle);
    if (entry->source && !entry->source->desc.hardware) ReleaseMemImg(GraphMemImg(entry));
    DropSource(entry);
    for (void *&buffer : entry->auxBuffers) {
        if (buffer) MEM_FREE(buffer);
        buffer = nullptr;
    }
    DropRestoreFile(entry);
    int slot = handle & 0xFFFF;
    --G.count;
    if (entry->deletedFlag) *entry->deletedFlag = 1;
    MEM_FREE(entry);
    G.slots[slot] = nullptr;
    if (slot == G.usedEnd - 1) {
        while (G.usedEnd > 0 && !G.slots[G.usedEnd - 1]) --G.usedEnd;
    }
    return 0;
}

void DeleteAllGraphs() {
    if (!g_graphBridge.started) return;
    for (int slot = 0; slot < g_graphs.usedEnd; ++slot) {
        if (g_graphs.slots[slot]) DestroyGraph(g_graphs.slots[slot]->handle);
    }
}

int GraphFormatCode(const GRAPHDESC *desc) {
    int w = desc->colourBits != 16 ? 1 : 0;
    if (desc->compressedKind >= 1 && desc->compressedKind <= 5) return GRAPHFMT_DXT1 + desc->compressedKind - 1;
    if (desc->drawable) return desc->alpha || desc->alphaTest ? GRAPHFMT_DRAWABLE_ALPHA : GRAPHFMT_DRAWABLE16 + w;
    if (desc->alpha) return GRAPHFMT_ALPHA16 + w;
    if (desc->alphaTest) return GRAPHFMT_ALPHATEST16 + w;
    return GRAPHFMT_PLAIN16 + w;
}

// ---- settings ---------------------------------------------------------------------

int SetGraphColourBits(int bits) {
    g_graphs.colourBits = bits;
    return 0;
}
int GetGraphColourBits() { return g_graphs.colourBits; }
int SetDrawableGraphMode(int flag) {
    g_graphs.drawableMode = flag;
    return 0;
}
int GetDrawableGraphMode() { return g_graphs.drawableMode; }
int SetAlphaTestGraphMode(int flag) {
    g_graphs.alphaTestMode = flag;
    return 0;
}
int GetAlphaTestGraphMode() { return g_graphs.alphaTestMode; }
int SetBlankGraphAlpha(int flag) {
    g_graphs.blankAlpha = flag;
    return 0;
}
int GetBlankGraphAlpha() { return g_graphs.blankAlpha; }
int SetDefaultPoolGraphs(int flag) {
    g_graphs.defaultPool = flag;
    return 0;
}
int GetDefaultPoolGraphs() { return g_graphs.defaultPool; }

int SetTransparentKey(int r, int g, int b) {
    if (g_graphBridge.started && g_graphBridge.screenBits == 8) return 0;
    g_drawState.transparentKey = (uint32_t)(r & 0xFF) << 16 | (uint32_t)(g & 0xFF) << 8 | (uint32_t)(b & 0xFF);
    return 0;
}
