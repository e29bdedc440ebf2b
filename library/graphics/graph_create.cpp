// Making graphs: the source of a new graph, graphs from images, files and memory, divisions,
// reloads of an existing graph, and filling a drawable graph with a colour.
#include "library/graphics/graph.h"

#include <algorithm>
#include <cstring>

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/pump.h"
#include "library/base/stream.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/image_load.h"
#include "library/softrender/fill_memimg_rectangle.h"

namespace {

constexpr int kMaxSplit = 512;

int FullMipChain(int w, int h) {
    int levels = 1;
    while (w > 1 || h > 1) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        ++levels;
    }
    return levels;
}

struct TILEPLAN {
    int count;
    GRAPHTILE tiles[kMaxSplit * 4];
};

// Tiles laid out row by row; on square-only devices each oblong tile becomes squares of its
// shorter side, the extra squares appended after the others.
int PlanTiles(int W, int H, int one, TILEPLAN *plan) {
    // Every piece is at least 8 long, so a side in range never has more pieces than this.
    static int widths[kMaxImageSide / 8 + 2], heights[kMaxImageSide / 8 + 2];
    int columns = SplitTextureLength(W, widths, one);
    int rows = SplitTextureLength(H, heights, one);
    if ((int64_t)columns * rows > kMaxSplit) return -1;
    plan->count = 0;
    int y = 0;
    for (int r = 0; r < rows; ++r) {
        int x = 0;
        for (int c = 0; c < columns; ++c) {
            GRAPHTILE &t = plan->tiles[plan->count++];
            t = GRAPHTILE{};
            t.x = x;
            t.y = y;
            t.textureWidth = widths[c];
            t.textureHeight = heights[r];
            x += widths[c];
        }
        y += heights[r];
    }
    if (g_graphBridge.squareOnly) {
        int original = plan->count;
        for (int i = 0; i < original; ++i) {
            GRAPHTILE &t = plan->tiles[i];
            if (t.textureWidth == t.textureHeight) continue;
            int side = std::min(t.textureWidth, t.textureHeight);
            int pieces = std::max(t.textureWidth, t.textureHeight) / side;
            bool across = t.textureWidth > t.textureHeight;
            for (int p = 1; p < pieces; ++p) {
                if (plan->count >= kMaxSplit * 4) return -1;
                GRAPHTILE &extra = plan->tiles[plan->count++];
                extra = GRAPHTILE{};
                extra.x = t.x + (across ? p * side : 0);
                extra.y = t.y + (across ? 0 : p * side);
                extra.textureWidth = extra.textureHeight = side;
            }
            t.textureWidth = t.textureHeight = side;
        }
    }
    for (int i = 0; i < plan->count; ++i) {
        GRAPHTILE &t = plan->tiles[i];
        t.usedWidth = std::max(0, std::min(W - t.x, t.textureWidth));
        t.usedHeight = std::max(0, std::min(H - t.y, t.textureHeight));
    }
    return 0;
}

// Software path: the source is one MEMIMG of the screen's kind (or the colour-bits setting).
int SetupSoftSource(int handle, int W, int H, int alpha, int palette) {
    GRAPHENTRY *entry = GetGraphEntry(handle);
    GRAPHDESC desc{};
    desc.alpha = (uint8_t)(alpha != 0);
    desc.drawable = 1;
    desc.software = 1;
    desc.palette = (uint8_t)(palette != 0);
    desc.colourBits = (uint8_t)(g_graphs.colourBits != 0 ? g_graphs.colourBits : g_graphBridge.screenBits);
    auto *source = (GRAPHSOURCE *)MEM_ALLOC_ZERO(sizeof(GRAPHSOURCE) + sizeof(GRAPHSOFTSOURCE));
    if (!source) {
        WriteLog("グラフィックのオリジナル画像データ保存用メモリの確保に失敗しました\n");
        DestroyGraph(handle);
        return -1;
    }
    int wide = desc.colourBits != 16 ? 1 : 0;
    source->desc = desc;
    source->transparentKey = g_drawState.transparentKey;
    source->width = W;
    source->height = H;
    source->refCount = 1;
    source->formatCode = GRAPHFMT_SOFT16 + desc.alpha + 2 * wide;
    entry->source = source;
    entry->sourceX = entry->sourceY = 0;
    entry->width = W;
    entry->height = H;
    uint32_t key = source->transparentKey, code = 0xFFFF;
    if (!desc.palette)
        code = MakeColourCode(GetMemImgColourFormat(wide, desc.alpha, 0), (int)(key >> 16 & 0xFF),
                              (int)(key >> 8 & 0xFF), (int)(key & 0xFF), 255);
    if (SetupMemImg(&GraphSoftSource(source)->image, W, H, -1, code, wide, desc.palette, desc.alpha, 0, nullptr) != 0) {
        WriteLog("メモリイメージの作成に失敗しました\n");
        DestroyGraph(handle);
        return -1;
    }
    if (BuildTexParts(handle) != 0) {
        DestroyGraph(handle);
        return -1;
    }
    return 0;
}

bool TilesFilled(const TILEPLAN &plan) {
    for (int i = 0; i < plan.count; ++i) {
        const GRAPHTILE &t = plan.tiles[i];
        if (t.usedWidth != t.textureWidth || t.usedHeight != t.textureHeight) return false;
    }
    return true;
}

// keyAlphaTest: an image without alpha gets one-bit alpha, so that its key colour can be
// left out by the alpha test of transparent draws.
int SetupSource(int handle, int W, int H, int alpha, int palette, int compressedKind, int mipLevels,
                int keyAlphaTest) {
    GRAPHENTRY *entry = GetGraphEntry(handle);
    if (!entry || W <= 0 || H <= 0 || W > kMaxImageSide || H > kMaxImageSide) {
        DestroyGraph(handle);
        return -1;
    }
    GRAPHSYS &G = g_graphs;
    int M = mipLevels;
    if (M == -1) {
        int setting = g_drawState.mipLevels;
        M = setting == -1 ? FullMipChain(W, H) : setting == 0 ? 1 : setting;
    }
    GRAPHDESC desc{};
    if (G.drawableMode) {
        desc.drawable = 1;
        desc.defaultPool = 1;
    } else {
        desc.defaultPool = (uint8_t)(G.defaultPool != 0);
        desc.compressedKind = (uint8_t)compressedKind;
        desc.alphaTest = (uint8_t)(G.alphaTestMode != 0 || keyAlphaTest);
        desc.mipLevels = (uint8_t)std::min(M, 255);
        desc.alpha = (uint8_t)(alpha != 0);
    }
    if (!g_graphBridge.direct3D) return SetupSoftSource(handle, W, H, desc.alpha, palette);
    desc.hardware = 1;
    desc.colourBits = (uint8_t)(G.colourBits != 0 ? G.colourBits : alpha == 1 ? 32 : g_graphBridge.screenBits);
    if (desc.alpha) desc.alphaTest = 0;
    (void)palette;

    static TILEPLAN plan;
    if (PlanTiles(W, H, desc.drawable, &plan) != 0) {
        DestroyGraph(handle);
        return -1;
    }
    // Blocks go raw only into textures they fill; sides that are no power of two leave part of
    // a texture uncovered, so the picture is expanded into a plain texture format instead.
    if (desc.compressedKind != 0 && !TilesFilled(plan)) desc.compressedKind = 0;
    auto *source = (GRAPHSOURCE *)MEM_ALLOC_ZERO(sizeof(GRAPHSOURCE) + (size_t)plan.count * sizeof(GRAPHTILE));
    if (!source) {
        WriteLog("グラフィックのオリジナル画像データ保存用メモリの確保に失敗しました\n");
        DestroyGraph(handle);
        return -1;
    }
    source->desc = desc;
    source->transparentKey = g_drawState.transparentKey;
    source->width = W;
    source->height = H;
    source->refCount = 1;
    source->formatCode = GraphFormatCode(&desc);
    source->mipLevelCount = desc.drawable ? 1 : std::max(1, (int)desc.mipLevels);
    source->tileCount = plan.count;
    std::memcpy(GraphTiles(source), plan.tiles, (size_t)plan.count * sizeof(GRAPHTILE));
    entry->source = source;
    entry->sourceX = entry->sourceY = 0;
    entry->width = W;
    entry->height = H;
    if (CreateGraphTextures(source) != 0 || BuildTexParts(handle) != 0) {
        DestroyGraph(handle);
        return -1;
    }
    return 0;
}

void FreeImages(BASEIMAGE *image, BASEIMAGE *alpha) {
    FreeBaseImage(image);
    if (alpha) FreeBaseImage(alpha);
}

void MirrorImages(BASEIMAGE *image, BASEIMAGE *alpha) {
    MirrorBaseImage(image);
    if (alpha) MirrorBaseImage(alpha);
}

// An image file in memory with its alpha companion, mirrored for turn 1. -1 when it cannot be
// read; else 0 with *alphaOut the alpha image, or null when there is none.
int ReadMemoryImages(const void *image, int size, const void *alphaImage, int alphaSize, int turn, BASEIMAGE *colour,
                     BASEIMAGE *alpha, BASEIMAGE **alphaOut) {
    int read = LoadImageWithAlphaFile(nullptr, image, size, 1, alphaImage, alphaSize, 1, colour, alpha, 0);
    if (read < 0) return -1;
    *alphaOut = read == 0 ? alpha : nullptr;
    if (turn == 1) MirrorImages(colour, *alphaOut);
    return 0;
}

bool SameSize(const BASEIMAGE *a, const BASEIMAGE *b) { return a->width == b->width && a->height == b->height; }

}  // namespace

int SetupGraphSource(int handle, int width, int height, int alpha, int palette, int compressedKind, int mipLevels) {
    return SetupSource(handle, width, height, alpha, palette, compressedKind, mipLevels, 0);
}

int TransferImageToGraph(int graph, const char *fileName, BASEIMAGE *colour, BASEIMAGE *alpha, const RECT *srcRect,
                         int x, int y, int loadFlag) {
    if (!g_graphBridge.started) return -1;
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry) return -1;
    if (SetGraphRestoreFile(graph, fileName, -1) != 0) return -1;
    entry = GetGraphEntry(graph);
    entry->fileX = srcRect->left - x;
    entry->fileY = srcRect->top - y;
    entry->loadFlag = loadFlag;
    return TransferImageToGraphTextures(graph, srcRect, x, y, colour, alpha, 1);
}

int TransferBaseImageToGraph(BASEIMAGE *colour, BASEIMAGE *alpha, const char *fileName, int imageX, int imageY,
                             int graph, int loadFlag) {
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry) return -1;
    RECT rect{imageX, imageY, imageX + entry->width, imageY + entry->height};
    return TransferImageToGraph(graph, fileName, colour, alpha, &rect, 0, 0, loadFlag);
}

int MakeGraphForBaseImage(BASEIMAGE *image, BASEIMAGE *alpha) {
    if (!g_graphBridge.started) return -1;
    WaitWhileInactive();
    if (alpha && !SameSize(image, alpha)) return -1;
    const COLOURFORMAT &f = image->colourFormat;
    int hasAlpha = alpha != nullptr || f.alphaWidth > 0;
    int palette = f.bytesPerPixel == 1 && f.alphaWidth == 0 && !alpha;
    int handle = AllocGraphHandle();
    if (SetupSource(handle, image->width, image->height, hasAlpha, palette, f.formatCode,
                    image->mipCount ? image->mipCount : -1, !hasAlpha) != 0)
        return -1;
    return handle;
}

int CreateBlankGraph(int width, int height) {
    WaitWhileInactive();
    if (!g_graphBridge.started) return -1;
    int handle = AllocGraphHandle();
    if (SetupGraphSource(handle, width, height, g_graphs.blankAlpha, 0, 0, -1) != 0) return -1;
    return handle;
}

int MakeGraphFromBaseImage(BASEIMAGE *image, BASEIMAGE *alpha, int, int turn, int turnNow) {
    UpdateColourFormatFreeMask(&image->colourFormat);
    if (alpha) UpdateColourFormatFreeMask(&alpha->colourFormat);
    bool mirror = turnNow == 1 && turn == 1;
    if (mirror) MirrorImages(image, alpha);
    int handle = MakeGraphForBaseImage(image, alpha);
    // A graph whose pixels could not be moved in is not handed out.
    if (handle != -1 && TransferBaseImageToGraph(image, alpha, nullptr, 0, 0, handle, 0) != 0) {
        DestroyGraph(handle);
        handle = -1;
    }
    if (mirror) MirrorImages(image, alpha);
    return handle;
}

int ReloadGraphFromBaseImage(BASEIMAGE *image, BASEIMAGE *alpha, int graph, int, int turn, int turnNow) {
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry || image->width != entry->width || image->height != entry->height) return -1;
    if (alpha && !SameSize(image, alpha)) return -1;
    bool mirror = turnNow == 1 && turn == 1;
    if (mirror) MirrorImages(image, alpha);
    int result = TransferBaseImageToGraph(image, alpha, nullptr, 0, 0, graph, 0);
    if (mirror) MirrorImages(image, alpha);
    return result == 0 ? 0 : -1;
}

int CreateDivGraphFromGraphImage(BASEIMAGE *image, BASEIMAGE *alpha, int total, int columns, int rows,
                                 int cellWidth, int cellHeight, int *handles, int option, int turn, int turnNow) {
    (void)rows;
    if (total <= 0 || columns <= 0 || cellWidth <= 0 || cellHeight <= 0 || !handles) return -1;
    int whole = MakeGraphFromBaseImage(image, alpha, option, turn, turnNow);
    if (whole == -1) return -1;
    int made = 0;
    for (int r = 0; made < total; ++r) {
        int x = turn == 1 ? cellWidth * (columns - 1) : 0;
        for (int c = 0; c < columns && made < total; ++c) {
            int cell = CreateSubGraph(x, r * cellHeight, cellWidth, cellHeight, whole);
            if (cell == -1) {
                WriteLog("グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
                for (int i = 0; i < made; ++i) DestroyGraph(handles[i]);
                DestroyGraph(whole);
                return -1;
            }
            handles[made++] = cell;
            x += turn == 1 ? -cellWidth : cellWidth;
        }
    }
    DestroyGraph(whole);
    return 0;
}

int LoadGraphFile(const char *fileName, int option, int turn, int movieOption) {
    if (!g_graphBridge.started || !fileName) return -1;
    WaitWhileInactive();
    BASEIMAGE image, alpha;
    int read = LoadImageWithAlphaFile(fileName, nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, 0);
    if (read >= 0) {
        BASEIMAGE *alphaImage = read == 0 ? &alpha : nullptr;
        if (turn == 1) MirrorImages(&image, alphaImage);
        int handle = MakeGraphFromBaseImage(&image, alphaImage, option, turn, 0);
        if (handle != -1 && SetGraphRestoreFile(handle, fileName, -1) != 0) {
            DestroyGraph(handle);
            handle = -1;
        }
        FreeImages(&image, alphaImage);
        return handle;
    }
    uintptr_t probe = OpenDataFile(fileName, 0, 0, 0);
    if (probe == 0) return WriteLogFmt("グラフィックファイル %s がありません", fileName);
    CloseDataFile(probe);
    if (!g_graphBridge.openMovie) return WriteLogFmt("右記のグラフィックファイルのロードに失敗しました：%s ", fileName);

    // The movie's graph: a drawable, one-piece texture per side in the default pool.
    GRAPHSYS &G = g_graphs;
    int savedBits = G.colourBits, savedDrawable = G.drawableMode, savedAlphaTest = G.alphaTestMode;
    int savedPool = G.defaultPool, savedOne = G.oneTexturePerSide;
    int width = 0, height = 0;
    int movie = g_graphBridge.openMovie(fileName, &width, &height, movieOption);
    if (movie == -1) return WriteLogFmt("右記のグラフィックファイルのロードに失敗しました：%s ", fileName);
    G.colourBits = g_graphBridge.screenBits ? g_graphBridge.screenBits : 16;
    G.alphaTestMode = 0;
    G.defaultPool = 1;
    G.drawableMode = 1;
    G.oneTexturePerSide = 1;
    int handle = AllocGraphHandle();
    int result = SetupGraphSource(handle, width, height, 0, 0, 0, -1);
    G.colourBits = savedBits;
    G.drawableMode = savedDrawable;
    G.alphaTestMode = savedAlphaTest;
    G.defaultPool = savedPool;
    G.oneTexturePerSide = savedOne;
    if (result != 0) {
        WriteLogFmt("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s", fileName);
        if (g_graphBridge.closeMovie) g_graphBridge.closeMovie(movie);
        return -1;
    }
    GetGraphEntry(handle)->boundMovie = movie;
    if (g_graphBridge.setMovieFrameCallback) g_graphBridge.setMovieFrameCallback(movie, MovieFrameToGraph, handle);
    // Nothing else starts a movie: the graph's pixels follow it from now on.
    if (g_graphBridge.playMovie) g_graphBridge.playMovie(movie);
    return handle;
}

int LoadDivGraphFile(const char *fileName, int total, int columns, int rows, int cellWidth, int cellHeight,
                     int *handles, int option, int turn) {
    if (!fileName) return -1;
    WaitWhileInactive();
    BASEIMAGE image, alpha;
    int read = LoadImageWithAlphaFile(fileName, nullptr, 0, 0, nullptr, 0, 0, &image, &alpha, 0);
    if (read < 0) return WriteLogFmt("右記のグラフィックファイルのロードに失敗しました：%s", fileName);
    BASEIMAGE *alphaImage = read == 0 ? &alpha : nullptr;
    if (turn == 1) MirrorImages(&image, alphaImage);
    int result = CreateDivGraphFromGraphImage(&image, alphaImage, total, columns, rows, cellWidth, cellHeight,
                                              handles, option, turn, 0);
    if (result == 0) {
        for (int i = 0; i < total; ++i) SetGraphRestoreFile(handles[i], fileName, -1);
    }
    FreeImages(&image, alphaImage);
    return result;
}

int OpenImageAsGraph(const char *fileName, int flag) { return LoadGraphFile(fileName, !flag, 0, 0); }

int OpenImageAsDivGraphs(const char *fileName, int total, int columns, int rows, int cellWidth, int cellHeight,
                         int *handles, int flag) {
    return LoadDivGraphFile(fileName, total, columns, rows, cellWidth, cellHeight, handles, !flag, 0);
}

int MakeGraphFromMemory(const void *image, int size, const void *alphaImage, int alphaSize, int option, int turn) {
    BASEIMAGE colour, alpha, *alphaPtr = nullptr;
    if (ReadMemoryImages(image, size, alphaImage, alphaSize, turn, &colour, &alpha, &alphaPtr) != 0) return -1;
    int handle = MakeGraphFromBaseImage(&colour, alphaPtr, option, turn, 0);
    FreeImages(&colour, alphaPtr);
    return handle;
}

int ReloadGraphFromMemory(const void *image, int size, int graph, const void *alphaImage, int alphaSize, int ignored,
                          int turn) {
    BASEIMAGE colour, alpha, *alphaPtr = nullptr;
    if (ReadMemoryImages(image, size, alphaImage, alphaSize, turn, &colour, &alpha, &alphaPtr) != 0) return -1;
    int result = ReloadGraphFromBaseImage(&colour, alphaPtr, graph, ignored, turn, 0);
    FreeImages(&colour, alphaPtr);
    return result;
}

int FillGraphColour(int graph, int r, int g, int b, int a) {
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry) return -1;
    auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    GRAPHSOURCE *source = entry->source;
    if (!source->desc.hardware) {
        MEMIMG *view = GraphMemImg(entry);
        if (!IsMemImgValid(view)) return -1;
        const uint32_t colour = MakeColourCode(view->base->colourFormat, clamp(r), clamp(g), clamp(b), clamp(a));
        // The fill refuses alpha and palette images; those (the font cache) take the colour as it is.
        if (view->base->alphaFlag || view->base->paletteFlag) {
            FillMemImg(view, nullptr, colour);
            return 0;
        }
        // The whole graph, whatever the screen's draw area is now.
        const DRAWAREA saved = g_drawArea;
        g_drawArea = MakeDrawArea(0, 0, view->width, view->height);
        FillMemImgRectangle(view, nullptr, colour);
        g_drawArea = saved;
        return 0;
    }
    IDirect3DDevice9 *device = g_graphBridge.device;
    if (!device || !source->desc.drawable) return -1;
    D3DCOLOR colour = D3DCOLOR_ARGB(clamp(a), clamp(r), clamp(g), clamp(b));
    TEXPART *parts = GraphTexParts(entry);
    for (int i = 0; i < entry->texPartCount; ++i) {
        const TEXPART &p = parts[i];
        RECT rect{p.tileX, p.tileY, p.tileX + p.width, p.tileY + p.height};
        if (p.tile->surface) device->ColorFill(p.tile->surface, &rect, colour);
    }
    return 0;
}
