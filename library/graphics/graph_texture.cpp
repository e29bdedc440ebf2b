// Graph textures: the colour formats of the texture codes, the power-of-two split of a side,
// creating, clearing, releasing and recreating a source's tiles, and each graph's TEXPARTs.
#include "library/graphics/graph.h"

#include <cstring>

#include "library/base/log.h"
#include "library/base/memory.h"

namespace {

struct GRAPHFORMATS {
    int built;
    COLOURFORMAT formats[GRAPHFMT_COUNT];
};
GRAPHFORMATS g_graphFormats;

void BuildGraphFormats() {
    COLOURFORMAT *f = g_graphFormats.formats;
    MakeColourFormatFromMasks(&f[0], 16, 0xF800, 0x07E0, 0x001F, 0);
    MakeColourFormatFromMasks(&f[1], 32, 0xFF0000, 0xFF00, 0xFF, 0);
    MakeColourFormatFromMasks(&f[2], 16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    MakeColourFormatFromMasks(&f[3], 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    MakeColourFormatFromMasks(&f[4], 16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    MakeColourFormatFromMasks(&f[5], 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    for (int kind = 1; kind <= 5; ++kind) {
        COLOURFORMAT &dxt = f[GRAPHFMT_DXT1 + kind - 1];
        MakeColourFormatARGB8(&dxt);
        dxt.bitsPerPixel = kind == 1 ? 4 : 8;
        dxt.formatCode = kind;
    }
    f[11] = f[0];
    f[12] = f[1];
    f[13] = f[3];
    g_graphFormats.built = 1;
}

int MipLevelRows(int height, int level) {
    int h = height >> level;
    return h < 1 ? 1 : h;
}

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

}  // namespace

const COLOURFORMAT *GetGraphColourFormat(int code) {
    if (code < 0 || code >= GRAPHFMT_COUNT) return nullptr;
    if (!g_graphFormats.built) BuildGraphFormats();
    return &g_graphFormats.formats[code];
}

const COLOURFORMAT *GetSourceColourFormat(const GRAPHDESC *desc) { return GetGraphColourFormat(GraphFormatCode(desc)); }

const COLOURFORMAT *ColourFormatForGraphKind(int alpha, int alphaTest, int bits32, int drawable) {
    GRAPHDESC desc{};
    desc.alpha = (uint8_t)(alpha != 0);
    desc.alphaTest = (uint8_t)(alphaTest != 0);
    desc.drawable = (uint8_t)(drawable != 0);
    desc.colourBits = bits32 ? 32 : 16;
    return GetSourceColourFormat(&desc);
}

int ColourFormatOfD3DFormat(D3DFORMAT format, COLOURFORMAT *out) {
    switch (format) {
    case D3DFMT_R5G6B5: return MakeColourFormatFromMasks(out, 16, 0xF800, 0x07E0, 0x001F, 0);
    case D3DFMT_X1R5G5B5: return MakeColourFormatFromMasks(out, 16, 0x7C00, 0x03E0, 0x001F, 0);
    case D3DFMT_A1R5G5B5: return MakeColourFormatFromMasks(out, 16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    case D3DFMT_A4R4G4B4: return MakeColourFormatFromMasks(out, 16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    case D3DFMT_X4R4G4B4: return MakeColourFormatFromMasks(out, 16, 0x0F00, 0x00F0, 0x000F, 0);
    case D3DFMT_R8G8B8: return MakeColourFormatFromMasks(out, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    case D3DFMT_X8R8G8B8: return MakeColourFormatFromMasks(out, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    case D3DFMT_A8R8G8B8: return MakeColourFormatFromMasks(out, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    case D3DFMT_X8B8G8R8: return MakeColourFormatFromMasks(out, 32, 0xFF, 0xFF00, 0xFF0000, 0);
    case D3DFMT_A8B8G8R8: return MakeColourFormatFromMasks(out, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    default: return -1;
    }
}

int SplitTextureLength(int length, int *out, int one) {
    if (length <= 8) {
        out[0] = 8;
        return 1;
    }
    int deviceMax = g_graphBridge.maxTextureSize > 0 ? g_graphBridge.maxTextureSize : 256;
    int maxSide = g_graphs.userMaxTexture > 0 ? g_graphs.userMaxTexture : deviceMax;
    int e = maxSide;
    while (e > 8 && e > length) e >>= 1;
    if (g_graphs.oneTexturePerSide || one == 1 ||
        (g_graphs.userMaxTexture <= 0 && length < g_graphBridge.screenWidth)) {
        if (2 * e <= maxSide) {
            out[0] = e < length ? 2 * e : e;
            return 1;
        }
    }
    int i = 0;
    int rest = length;
    for (;;) {
        out[i] = e;
        rest -= e;
        if (rest <= 0) break;
        if (rest > e * 3 / 4 && e < maxSide) {
            out[i] = 2 * e;
            break;
        }
        while (rest < e && e > 8) e >>= 1;
        ++i;
    }
    if (i > 0 && out[i - 1] == out[i] && 2 * out[i - 1] <= maxSide) {
        out[i - 1] *= 2;
        --i;
    }
    return i + 1;
}

int CreateGraphTextures(GRAPHSOURCE *source) {
    if (!source->desc.hardware) return 0;
    IDirect3DDevice9 *device = g_graphBridge.device;
    if (!device) return -1;
    D3DFORMAT format = g_graphBridge.textureFormats[source->formatCode];
    if (format == 0) return WriteLog("指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
    int levels = source->mipLevelCount > 0 ? source->mipLevelCount : 1;
    GRAPHTILE *tiles = GraphTiles(source);
    for (int t = 0; t < source->tileCount; ++t) {
        GRAPHTILE &tile = tiles[t];
        if (tile.texture) continue;
        DWORD usage = source->desc.drawable ? D3DUSAGE_RENDERTARGET : 0;
        D3DPOOL pool = source->desc.defaultPool ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
        if (device->CreateTexture(tile.textureWidth, tile.textureHeight, levels, usage, format, pool, &tile.texture,
                                  nullptr) != D3D_OK) {
            tile.texture = nullptr;
            return WriteLog("テクスチャの作成に失敗しました\n");
        }
        if (tile.texture->GetSurfaceLevel(0, &tile.surface) != D3D_OK) {
            tile.surface = nullptr;
            return WriteLog("テクスチャのサーフェスアドレスの取得に失敗しました\n");
        }
        if (source->desc.drawable) {
            device->ColorFill(tile.surface, nullptr, 0);
        } else if (!source->desc.defaultPool && !IsBlockFormat(format)) {
            for (int level = 0; level < levels; ++level) {
                D3DLOCKED_RECT locked;
                if (tile.texture->LockRect(level, &locked, nullptr, 0) != D3D_OK) continue;
                std::memset(locked.pBits, 0, (size_t)locked.Pitch * MipLevelRows(tile.textureHeight, level));
                tile.texture->UnlockRect(level);
            }
        }
    }
    return 0;
}

void ReleaseGraphTextures(GRAPHSOURCE *source) {
    if (!source->desc.hardware) return;
    GRAPHTILE *tiles = GraphTiles(source);
    for (int t = 0; t < source->tileCount; ++t) {
        if (tiles[t].surface) tiles[t].surface->Release();
        if (tiles[t].texture) tiles[t].texture->Release();
        tiles[t].surface = nullptr;
        tiles[t].texture = nullptr;
    }
}

void ReleaseGraphWorkSurfaces(GRAPHSOURCE *source) {
    if (!source->desc.drawable) return;
    if (!source->desc.hardware) {
        GRAPHSOFTSOURCE *soft = GraphSoftSource(source);
        if (soft->drawImage) {
            ReleaseMemImg(soft->drawImage);
            MEM_FREE(soft->drawImage);
            soft->drawImage = nullptr;
        }
        return;
    }
    GRAPHTILE *tiles = GraphTiles(source);
    for (int t = 0; t < source->tileCount; ++t) {
        if (tiles[t].workSurface) tiles[t].workSurface->Release();
        tiles[t].workSurface = nullptr;
    }
}

void ReleaseAllGraphTextures() {
    for (int slot = 0; slot < g_graphs.usedEnd; ++slot) {
        GRAPHENTRY *entry = g_graphs.slots[slot];
        // Software images do not live on the device.
        if (!entry || !entry->source || !entry->source->desc.hardware) continue;
        ReleaseGraphWorkSurfaces(entry->source);
        ReleaseGraphTextures(entry->source);
    }
}

void RecreateAllGraphTextures() {
    for (int slot = 0; slot < g_graphs.usedEnd; ++slot) {
        GRAPHENTRY *entry = g_graphs.slots[slot];
        if (entry && entry->source) CreateGraphTextures(entry->source);
    }
}

namespace {

// One axis of a part: where it starts in the graph and in the tile, and its length.
void PartSpan(int g, int size, int t, int used, int32_t *graphPos, int32_t *tilePos, int32_t *length) {
    if (g < t) {
        *graphPos = t - g;
        *tilePos = 0;
        *length = g + size < t + used ? g + size - t : used;
    } else {
        *graphPos = 0;
        *tilePos = g - t;
        *length = g + size < t + used ? size : t + used - g;
    }
}

}  // namespace

int BuildTexParts(int graph) {
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry || !entry->source) return -1;
    GRAPHSOURCE *source = entry->source;
    if (!source->desc.hardware) {
        // The view is what the software draws read; a rebuilt graph drops its old one first.
        MEMIMG *view = GraphMemImg(entry);
        if (IsMemImgValid(view)) ReleaseMemImg(view);
        MakeSubMemImg(view, &GraphSoftSource(source)->image, entry->sourceX, entry->sourceY, entry->width,
                      entry->height);
        entry->texPartCount = 0;
        return IsMemImgValid(view) ? 0 : -1;
    }
    int gx = entry->sourceX, gy = entry->sourceY, W = entry->width, H = entry->height;
    GRAPHTILE *tiles = GraphTiles(source);
    auto overlaps = [&](const GRAPHTILE &t) {
        return gx < t.x + t.usedWidth && t.x < gx + W && gy < t.y + t.usedHeight && t.y < gy + H;
    };
    int count = 0;
    for (int t = 0; t < source->tileCount; ++t) count += overlaps(tiles[t]) ? 1 : 0;
    if (count == 0) return WriteLog("テクスチャ描画情報の作成に失敗しました\n");
    auto *resized = (GRAPHENTRY *)MEM_REALLOC(entry, sizeof(GRAPHENTRY) + (size_t)count * sizeof(TEXPART));
    if (!resized) return WriteLog("画像描画情報格納用メモリの確保に失敗しました\n");
    entry = resized;
    g_graphs.slots[graph & 0xFFFF] = entry;
    entry->texPartCount = count;
    TEXPART *part = GraphTexParts(entry);
    for (int t = 0; t < source->tileCount; ++t) {
        GRAPHTILE &tile = tiles[t];
        if (!overlaps(tile)) continue;
        PartSpan(gx, W, tile.x, tile.usedWidth, &part->graphX, &part->tileX, &part->width);
        PartSpan(gy, H, tile.y, tile.usedHeight, &part->graphY, &part->tileY, &part->height);
        for (int c = 0; c < 4; ++c) {
            bool right = c & 1, bottom = c & 2;
            TEXCORNER &corner = part->corners[c];
            corner.x = (float)(part->graphX + (right ? part->width : 0));
            corner.y = (float)(part->graphY + (bottom ? part->height : 0));
            corner.u = (float)(part->tileX + (right ? part->width : 0)) / (float)tile.textureWidth;
            corner.v = (float)(part->tileY + (bottom ? part->height : 0)) / (float)tile.textureHeight;
            double diagonal = (double)H - (double)corner.x * ((double)H / (double)W);
            part->cornerFlags[c] = (double)corner.y <= diagonal ? 1 : 0;
        }
        part->tile = &tile;
        ++part;
    }
    return 0;
}
