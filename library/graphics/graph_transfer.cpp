// Moving image pixels into a graph's textures: converted per tile into the locked texture, through
// a staging surface for drawable textures, and level by level for mip chains; movie frames.
#include "library/graphics/graph.h"

#include <algorithm>
#include <cstring>

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/graphics/pixel_convert.h"
#include "library/graphics/vertex_batch.h"

namespace {

int BlockBytes(int kind) { return kind == 1 ? 8 : 16; }

int LevelSide(int side, int level) { return std::max(1, side >> level); }

// Level `level` of an image: its pixels, size and row pitch (block-row pitch for DXT).
const uint8_t *ImageLevel(const BASEIMAGE *image, int level, int *width, int *height, int *pitch) {
    const uint8_t *p = image->pixels;
    int kind = image->colourFormat.formatCode;
    int bytes = image->colourFormat.bytesPerPixel;
    for (int i = 0;; ++i) {
        int w = LevelSide(image->width, i), h = LevelSide(image->height, i);
        int rowPitch = kind ? (w + 3) / 4 * BlockBytes(kind) : i == 0 ? image->pitch : w * bytes;
        int rows = kind ? (h + 3) / 4 : h;
        if (i == level) {
            *width = w;
            *height = h;
            *pitch = rowPitch;
            return p;
        }
        p += (size_t)rowPitch * rows;
    }
}

D3DFORMAT DxtFormat(int kind) {
    static const D3DFORMAT kFormats[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
    return kind >= 1 && kind <= 5 ? kFormats[kind - 1] : 0;
}

int DxtKindOf(D3DFORMAT format) {
    for (int kind = 1; kind <= 5; ++kind)
        if (DxtFormat(kind) == format) return kind;
    return 0;
}

struct TRANSFER {
    BASEIMAGE *colour;
    BASEIMAGE *alpha;
    int transparent;
    uint32_t key;
    COLOURFORMAT format;  // the device format's layout
    D3DFORMAT d3dFormat;
};

// Converts the image rectangle (sx, sy, w, h) to (dx, dy) of a block in the device format.
int ConvertInto(const TRANSFER &t, void *dst, int dstPitch, int dx, int dy, int sx, int sy, int w, int h) {
    RECT rect{sx, sy, sx + w, sy + h};
    const BASEIMAGE *a = t.alpha;
    return ConvertPixelBlock(dst, dstPitch, &t.format, t.colour->pixels, t.colour->pitch, &t.colour->colourFormat,
                             a ? a->pixels : nullptr, a ? a->pitch : 0, a ? &a->colourFormat : nullptr, dx, dy,
                             &rect, 0, t.transparent, t.key, DITHER_NONE, 0, 0, 0, 0);
}

// Block rows of every level of a DXT image straight into the texture levels, each with its own
// size and the lock's pitch.
int RawCopyLevels(IDirect3DTexture9 *texture, int levels, const BASEIMAGE *image, int sx, int sy, int tw, int th) {
    int blockBytes = BlockBytes(image->colourFormat.formatCode);
    for (int level = 0; level < levels; ++level) {
        int iw, ih, ipitch;
        const uint8_t *src = ImageLevel(image, level, &iw, &ih, &ipitch);
        int lw = LevelSide(tw, level), lh = LevelSide(th, level);
        int bx = (sx >> level) / 4, by = (sy >> level) / 4;
        int rowBytes = (lw + 3) / 4 * blockBytes, blockRows = (lh + 3) / 4;
        D3DLOCKED_RECT locked;
        if (texture->LockRect(level, &locked, nullptr, 0) != D3D_OK)
            return WriteLog("ミップマップテクスチャのロックに失敗しました\n");
        for (int r = 0; r < blockRows; ++r)
            std::memcpy((uint8_t *)locked.pBits + (size_t)r * locked.Pitch,
                        src + (size_t)(by + r) * ipitch + (size_t)bx * blockBytes, rowBytes);
        texture->UnlockRect(level);
    }
    return 0;
}

// A raw copy needs the image's blocks to line up with every texture level and to reach over it.
bool RawCopyFits(const BASEIMAGE *image, int levels, int sx, int sy, int tw, int th) {
    for (int level = 0; level < levels; ++level) {
        int iw, ih, ipitch;
        ImageLevel(image, level, &iw, &ih, &ipitch);
        int lx = sx >> level, ly = sy >> level, lw = LevelSide(tw, level), lh = LevelSide(th, level);
        if ((lx & 3) || (ly & 3)) return false;
        if ((lx + lw + 3) / 4 > (iw + 3) / 4 || (ly + lh + 3) / 4 > (ih + 3) / 4) return false;
    }
    return true;
}

// Level 0 converted into a work image of the whole tile, then each level from the halving of the
// one before; both work images round the texture's sides up to the tile size.
int ConvertMipChain(const TRANSFER &t, GRAPHTILE &tile, int levels, int sx, int sy, int ox, int oy, int w, int h) {
    int tw = tile.textureWidth, th = tile.textureHeight;
    int bytes = t.format.bytesPerPixel;
    int pitch = tw * bytes;
    auto *work = (uint8_t *)MEM_ALLOC_ZERO((size_t)pitch * th * 2);
    if (!work) return WriteLog("テクスチャへ転送する画像を一時的に格納するメモリ領域の確保に失敗しました\n");
    uint8_t *current = work, *next = work + (size_t)pitch * th;
    ConvertInto(t, current, pitch, ox, oy, sx, sy, w, h);
    int result = 0;
    int x1 = ox, y1 = oy, x2 = ox + w, y2 = oy + h;
    for (int level = 0; level < levels; ++level) {
        int lw = LevelSide(tw, level), lh = LevelSide(th, level);
        D3DLOCKED_RECT locked;
        if (tile.texture->LockRect(level, &locked, nullptr, 0) != D3D_OK) {
            result = WriteLog("ミップマップテクスチャのロックに失敗しました\n");
            break;
        }
        // Only the part the rectangle covers changes, rounded outwards on the smaller levels.
        int rx1 = std::min(x1, lw - 1), ry1 = std::min(y1, lh - 1);
        int rx2 = std::clamp(x2, rx1 + 1, lw), ry2 = std::clamp(y2, ry1 + 1, lh);
        for (int y = ry1; y < ry2; ++y)
            std::memcpy((uint8_t *)locked.pBits + (size_t)y * locked.Pitch + (size_t)rx1 * bytes,
                        current + (size_t)y * pitch + (size_t)rx1 * bytes, (size_t)(rx2 - rx1) * bytes);
        tile.texture->UnlockRect(level);
        if (level + 1 < levels) {
            HalveBaseImageBlt(&t.format, next, pitch, current, pitch, lw, lh);
            std::swap(current, next);
            x1 >>= 1;
            y1 >>= 1;
            x2 = (x2 + 1) >> 1;
            y2 = (y2 + 1) >> 1;
        }
    }
    MEM_FREE(work);
    return result;
}

// Each level converted from the image's own level of the same place.
int ConvertImageLevels(const TRANSFER &t, GRAPHTILE &tile, int levels, int sx, int sy) {
    for (int level = 0; level < levels; ++level) {
        int iw, ih, ipitch;
        const uint8_t *src = ImageLevel(t.colour, level, &iw, &ih, &ipitch);
        int lx = sx >> level, ly = sy >> level;
        int lw = std::min(LevelSide(tile.textureWidth, level), iw - lx);
        int lh = std::min(LevelSide(tile.textureHeight, level), ih - ly);
        if (lw <= 0 || lh <= 0) continue;
        D3DLOCKED_RECT locked;
        if (tile.texture->LockRect(level, &locked, nullptr, 0) != D3D_OK)
            return WriteLog("ミップマップテクスチャのロックに失敗しました\n");
        RECT rect{lx, ly, lx + lw, ly + lh};
        ConvertPixelBlock(locked.pBits, locked.Pitch, &t.format, src, ipitch, &t.colour->colourFormat, nullptr, 0,
                          nullptr, 0, 0, &rect, 0, t.transparent, t.key, DITHER_NONE, 0, 0, 0, 0);
        tile.texture->UnlockRect(level);
    }
    return 0;
}

// Software source: the rectangle into the source image; a palette image takes as its
// transparent index the first palette entry of the key colour (0 when none is).
int TransferToMemImg(GRAPHSOURCE *source, BASEIMAGE *colour, BASEIMAGE *alpha, int x, int y, int w, int h, int sx,
                     int sy) {
    MEMIMG *image = &GraphSoftSource(source)->image;
    if (CopyBaseImageToMemImg(colour, alpha, image, x, y, w, h, sx, sy, 0) < 0) return -1;
    MEMIMGBASE *base = image->base;
    if (base->paletteFlag && base->palette) {
        uint32_t key = source->transparentKey;
        bool wide = base->pixelType == MEMIMG_TYPE_RGB32;
        uint32_t want = wide ? key & 0xFFFFFF : (key >> 19 & 0x1F) << 11 | (key >> 10 & 0x3F) << 5 | (key >> 3 & 0x1F);
        base->transparentCode = 0;
        for (int i = 0; i < 256; ++i) {
            uint32_t entry = wide ? LoadPixelValue(base->palette + i * 4, 4) & 0xFFFFFF
                                  : LoadPixelValue(base->palette + i * 2, 2);
            if (entry == want) {
                base->transparentCode = (uint32_t)i;
                break;
            }
        }
    }
    return 0;
}

}  // namespace

int TransferImageToGraphTextures(int graph, const RECT *srcRect, int x, int y, BASEIMAGE *colour, BASEIMAGE *alpha,
                                 int transparentFlag) {
    if (!g_graphBridge.started || !colour || !srcRect) return -1;
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry) return -1;
    FlushVertexBatch();
    RECT r = *srcRect;
    if (r.right <= r.left || r.bottom <= r.top) return 0;
    // Cut to the image, then to the graph from (x, y).
    if (r.left < 0) x -= r.left, r.left = 0;
    if (r.top < 0) y -= r.top, r.top = 0;
    if (x < 0) r.left -= x, x = 0;
    if (y < 0) r.top -= y, y = 0;
    r.right = std::min<LONG>(r.right, colour->width);
    r.bottom = std::min<LONG>(r.bottom, colour->height);
    int w = std::min<int>(r.right - r.left, entry->width - x);
    int h = std::min<int>(r.bottom - r.top, entry->height - y);
    if (w <= 0 || h <= 0) return -1;
    if (alpha && (alpha->width != colour->width || alpha->height != colour->height)) alpha = nullptr;
    x += entry->sourceX;
    y += entry->sourceY;

    GRAPHSOURCE *source = entry->source;
    if (!source->desc.hardware) return TransferToMemImg(source, colour, alpha, x, y, w, h, r.left, r.top);
    IDirect3DDevice9 *device = g_graphBridge.device;
    if (!device) return -1;
    TRANSFER t{};
    t.colour = colour;
    t.alpha = alpha;
    t.transparent = transparentFlag;
    t.key = source->transparentKey;
    t.d3dFormat = g_graphBridge.textureFormats[source->formatCode];
    bool dxtTexture = DxtKindOf(t.d3dFormat) != 0;
    bool plainTexture = ColourFormatOfD3DFormat(t.d3dFormat, &t.format) == 0;
    if (!dxtTexture && !plainTexture) return -1;

    TEXPART *parts = GraphTexParts(entry);
    // Overlap of the rectangle (x, y, w, h) in source coordinates with part p, in tile coordinates.
    auto overlap = [&](const TEXPART &p, int *tx, int *ty, int *ow, int *oh) {
        int px = entry->sourceX + p.graphX, py = entry->sourceY + p.graphY;
        int x1 = std::max(x, px), y1 = std::max(y, py);
        int x2 = std::min(x + w, px + p.width), y2 = std::min(y + h, py + p.height);
        if (x2 <= x1 || y2 <= y1) return false;
        *tx = x1 - p.tile->x;
        *ty = y1 - p.tile->y;
        *ow = x2 - x1;
        *oh = y2 - y1;
        return true;
    };

    if (source->desc.drawable) {
        if (colour->colourFormat.formatCode != 0 && ExpandCompressedImage(colour) != 0)
            return WriteLog("標準イメージ用のメモリ確保に失敗しました\n");
        if (alpha && alpha->colourFormat.formatCode != 0 && ExpandCompressedImage(alpha) != 0) t.alpha = nullptr;
        IDirect3DSurface9 *staging = nullptr;
        if (!plainTexture ||
            device->CreateOffscreenPlainSurface(w, h, t.d3dFormat, D3DPOOL_SYSTEMMEM, &staging, nullptr) != D3D_OK)
            return WriteLog("画像転送用のシステムメモリテクスチャの作成に失敗しました\n");
        D3DLOCKED_RECT locked;
        if (staging->LockRect(&locked, nullptr, D3DLOCK_DISCARD) != D3D_OK) {
            staging->Release();
            return WriteLog("画像転送用のシステムメモリテクスチャの作成に失敗しました\n");
        }
        ConvertInto(t, locked.pBits, locked.Pitch, 0, 0, r.left, r.top, w, h);
        staging->UnlockRect();
        for (int i = 0; i < entry->texPartCount; ++i) {
            int tx, ty, ow, oh;
            if (!overlap(parts[i], &tx, &ty, &ow, &oh)) continue;
            GRAPHTILE *tile = parts[i].tile;
            int sx = tile->x + tx - x, sy = tile->y + ty - y;
            RECT from{sx, sy, sx + ow, sy + oh};
            POINT to{tx, ty};
            if (tile->surface) device->UpdateSurface(staging, &from, tile->surface, &to);
        }
        staging->Release();
        return 0;
    }

    int levels = std::max(1, source->mipLevelCount);
    int imageLevels = std::max(1, (int)colour->mipCount);
    int imageKind = colour->colourFormat.formatCode;
    for (int i = 0; i < entry->texPartCount; ++i) {
        int tx, ty, ow, oh;
        if (!overlap(parts[i], &tx, &ty, &ow, &oh)) continue;
        GRAPHTILE &tile = *parts[i].tile;
        if (!tile.texture) continue;
        // Image position of the overlap's top-left.
        int sx = r.left + (tile.x + tx - x), sy = r.top + (tile.y + ty - y);
        bool whole = tx == 0 && ty == 0 && ow == tile.textureWidth && oh == tile.textureHeight;
        bool raw = whole && imageLevels >= levels && imageKind != 0 && imageKind == DxtKindOf(t.d3dFormat) &&
                   RawCopyFits(colour, levels, sx, sy, tile.textureWidth, tile.textureHeight);
        if (raw) {
            if (RawCopyLevels(tile.texture, levels, colour, sx, sy, tile.textureWidth, tile.textureHeight) != 0)
                return -1;
            continue;
        }
        if (dxtTexture) {
            WriteLog("DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません\n");
            continue;
        }
        if (imageKind != 0 && ExpandCompressedImage(colour) != 0)
            return WriteLog("標準イメージ用のメモリ確保に失敗しました\n");
        if (t.alpha && t.alpha->colourFormat.formatCode != 0 && ExpandCompressedImage(t.alpha) != 0) t.alpha = nullptr;
        imageLevels = std::max(1, (int)colour->mipCount);
        if (levels < 2) {
            RECT lockRect{tx, ty, tx + ow, ty + oh};
            D3DLOCKED_RECT locked;
            if (tile.texture->LockRect(0, &locked, whole ? nullptr : &lockRect, 0) != D3D_OK)
                return WriteLog("テクスチャのロックに失敗しました\n");
            ConvertInto(t, locked.pBits, locked.Pitch, 0, 0, sx, sy, ow, oh);
            tile.texture->UnlockRect(0);
        } else if (whole && imageLevels >= levels && !t.alpha) {
            if (ConvertImageLevels(t, tile, levels, sx, sy) != 0) return -1;
        } else {
            if (ConvertMipChain(t, tile, levels, sx, sy, tx, ty, ow, oh) != 0) return -1;
        }
    }
    return 0;
}

void MovieFrameToGraph(int movie, int graph) {
    GRAPHENTRY *entry = GetGraphEntry(graph);
    if (!entry) return;
    GRAPHSOURCE *source = entry->source;
    if (source->desc.hardware && g_graphBridge.movieFrameSurface && g_graphBridge.device) {
        IDirect3DSurface9 *surface = g_graphBridge.movieFrameSurface(movie);
        GRAPHTILE &tile = GraphTiles(source)[0];
        if (surface) {
            RECT used{0, 0, tile.usedWidth, tile.usedHeight};
            if (tile.surface) g_graphBridge.device->StretchRect(surface, nullptr, tile.surface, &used, D3DTEXF_NONE);
            return;
        }
    }
    if (!g_graphBridge.movieFrameImage) return;
    BASEIMAGE *frame = g_graphBridge.movieFrameImage(movie);
    if (!frame) return;
    if (!entry->source->desc.hardware) {
        MEMIMG *image = GraphMemImg(entry);
        const int option = g_graphBridge.movieOption ? g_graphBridge.movieOption(movie) : 0;
        const COLOURFORMAT &from = frame->colourFormat;
        if (option != 2 && IsMemImgValid(image) && from.formatCode == 0 &&
            from.bitsPerPixel == image->base->colourFormat->bitsPerPixel) {
            // Same pixel size: the rows go across as they are.
            const size_t rowBytes = (size_t)std::min(frame->width, image->width) * from.bytesPerPixel;
            const int rows = std::min(frame->height, image->height);
            for (int y = 0; y < rows; y++)
                memcpy(image->pixels + (size_t)y * image->base->pitch, frame->pixels + (size_t)y * frame->pitch, rowBytes);
            image->base->runTableValid = 0;
            image->base->premultipliedValid = 0;
            return;
        }
        CopyBaseImageToMemImg(frame, nullptr, image, 0, 0, frame->width, frame->height, 0, 0, 0);
        return;
    }
    RECT rect{0, 0, entry->width, entry->height};
    TransferImageToGraphTextures(graph, &rect, 0, 0, frame, nullptr, 0);
}
