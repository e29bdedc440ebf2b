// The glyph cache: characters are rendered once with GetGlyphOutlineA into cells that are
// recycled in turn, a code map finds a character's entry in one step.
#include "library/graphics/font.h"

#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/strings.h"
#include "platform/gdi32/gdi32.h"

namespace {

constexpr int kFixedChars = 256;

bool InEdgeMask(int size, int dx, int dy)
{
    int ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    switch (size) {
    case 1: return ax + ay <= 1;
    case 2: return ax <= 2 && ay <= 2 && !(ax == 2 && ay == 2);
    case 3: return (ax <= 2 && ay <= 2) || (ax == 0 && ay == 3) || (ay == 0 && ax == 3);
    case 4: return ax <= 4 && ay <= 4 && !(ax + ay >= 7);
    default: return ax <= size && ay <= size;
    }
}

bool IsSpace(const unsigned char *ch) { return (ch[0] == 0x20 && ch[1] == 0) || (ch[0] == 0x81 && ch[1] == 0x40); }

// The code the narrow glyph call takes: lead x 256 + trail for a double-byte character.
UINT GlyphCallCode(const unsigned char *ch) { return ch[1] ? (UINT)(ch[0] << 8 | ch[1]) : ch[0]; }

// Body and edge planes of one cell, levels 0-16.
struct CellPlanes {
    int side;
    uint8_t *body;
    uint8_t *edge;
};

void MarkEdges(const FONTREC *font, CellPlanes &p)
{
    int e = font->edgeSize;
    int antialias = (font->fontType & FONTTYPE_ANTIALIAS) != 0;
    int side = p.side;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int v = p.body[y * side + x];
            if (!v) continue;
            for (int dy = -e; dy <= e; ++dy) {
                int yy = y + dy;
                if (yy < 0 || yy >= side) continue;
                for (int dx = -e; dx <= e; ++dx) {
                    int xx = x + dx;
                    if (xx < 0 || xx >= side || !InEdgeMask(e, dx, dy)) continue;
                    uint8_t &level = p.edge[yy * side + xx];
                    if (!antialias) level = 16;
                    else if (font->textureCache) level = (uint8_t)((256 - (16 - level) * (16 - v)) / 16);
                    else if (v > level) level = (uint8_t)v;
                }
            }
        }
}

void StoreMemoryCell(FONTREC *font, int cell, const CellPlanes &p)
{
    int side = p.side;
    uint8_t *rows = font->memCache + (size_t)FontCellY(font, cell) * font->memCachePitch;
    FillBytes(rows, 0, (size_t)side * font->memCachePitch);
    int type = font->fontType & 3;
    for (int y = 0; y < side; ++y) {
        uint8_t *row = rows + (size_t)y * font->memCachePitch;
        for (int x = 0; x < side; ++x) {
            int b = p.body[y * side + x], e = p.edge[y * side + x];
            switch (type) {
            case 0: if (b) row[x >> 3] |= (uint8_t)(0x80 >> (x & 7)); break;
            case 1: row[x] = (uint8_t)(b ? 1 : e ? 2 : 0); break;
            case 2: row[x] = (uint8_t)(b ? b - 1 : 0); break;
            default: row[x] = (uint8_t)((b ? b - 1 : 0) | (e ? (e - 1) << 4 : 0)); break;
            }
        }
    }
}

int LevelAlpha(int level, int antialias)
{
    if (!level) return 0;
    return antialias ? (level >= 16 ? 255 : level * 16) : 255;
}

void StoreTextureCell(FONTREC *font, int cell, const CellPlanes &p)
{
    if (!font->cacheImage.pixels) return;
    int cx = FontCellX(font, cell), cy = FontCellY(font, cell);
    int side = p.side;
    int edged = (font->fontType & FONTTYPE_EDGE) != 0;
    int antialias = (font->fontType & FONTTYPE_ANTIALIAS) != 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            WriteBaseImagePixel(&font->cacheImage, cx + x, cy + y, 255, 255, 255,
                                LevelAlpha(p.body[y * side + x], antialias));
            if (edged)
                WriteBaseImagePixel(&font->cacheImage, font->cacheWidth + cx + x, cy + y, 255, 255, 255,
                                    LevelAlpha(p.edge[y * side + x], antialias));
        }
    if (font->cacheGraph != -1 && g_fontTextureHooks.transferCacheRect) {
        g_fontTextureHooks.transferCacheRect(font->cacheGraph, &font->cacheImage, cx, cy, side, side);
        if (edged)
            g_fontTextureHooks.transferCacheRect(font->cacheGraph, &font->cacheImage, font->cacheWidth + cx, cy, side,
                                                 side);
    }
}

// Fills the planes from the glyph call; false leaves an empty glyph (with the advance in gm).
bool FetchGlyphBitmap(HDC dc, const FONTREC *font, const unsigned char *ch, GLYPHMETRICS *gm, CellPlanes &p)
{
    static const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    UINT format = (font->fontType & FONTTYPE_ANTIALIAS) ? GGO_GRAY4_BITMAP : GGO_BITMAP;
    UINT code = GlyphCallCode(ch);
    DWORD size = GetGlyphOutlineA(dc, code, format, gm, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR) {
        WriteLogFmt("GetGlyphOutline 関数が失敗しました 0x%04x", code);
        *gm = GLYPHMETRICS{};
        if (GetGlyphOutlineA(dc, code, GGO_METRICS, gm, 0, nullptr, &kIdentity) == GDI_ERROR) *gm = GLYPHMETRICS{};
        return false;
    }
    if (IsSpace(ch)) return false;
    if (size == 0) {
        if (ch[0] >= 0x20 || ch[1]) WriteLogFmt("文字 0x%04x のグリフは空です", code);
        return false;
    }
    uint8_t *buffer = (uint8_t *)MEM_ALLOC_ZERO(size);
    if (!buffer) {
        WriteLog("アンチエイリアス文字取得用バッファの確保に失敗しました\n");
        return false;
    }
    GLYPHMETRICS again;
    if (GetGlyphOutlineA(dc, code, format, &again, size, buffer, &kIdentity) == GDI_ERROR) {
        MEM_FREE(buffer);
        WriteLogFmt("GetGlyphOutline 関数が失敗しました 0x%04x", code);
        return false;
    }
    int w = (int)gm->gmBlackBoxX, h = (int)gm->gmBlackBoxY;
    int pitch = format == GGO_BITMAP ? (w + 31) / 32 * 4 : (w + 3) / 4 * 4;
    if ((int64_t)pitch * h > (int64_t)size) h = (int)(size / (DWORD)(pitch ? pitch : 1));
    int offset = (font->fontType & FONTTYPE_EDGE) ? font->edgeSize : 0;
    // A glyph larger than its cell is cut at the cell.
    for (int y = 0; y < h && y + offset < p.side; ++y)
        for (int x = 0; x < w && x + offset < p.side; ++x) {
            int v = format == GGO_BITMAP ? ((buffer[y * pitch + (x >> 3)] >> (7 - (x & 7))) & 1) * 16
                                         : buffer[y * pitch + x];
            p.body[(y + offset) * p.side + x + offset] = (uint8_t)(v > 16 ? 16 : v);
        }
    MEM_FREE(buffer);
    if (font->fontType & FONTTYPE_EDGE) MarkEdges(font, p);
    return true;
}

}  // namespace

FONTGLYPH *RenderGlyphsToCache(int handle, int count, const unsigned char *chars)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font || count <= 0 || !chars || font->capacity <= 0) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) ExitWithError("テキストキャッシュサーフェスのＤＣの取得に失敗しました");
    HGDIOBJ old = SelectObject(dc, font->gdiFont);
    int side = font->cellWidth;
    uint8_t *planes = (uint8_t *)MEM_ALLOC((size_t)side * side * 2);
    if (!planes) {
        SelectObject(dc, old);
        DeleteDC(dc);
        return nullptr;
    }
    CellPlanes p{side, planes, planes + (size_t)side * side};
    int edge2 = (font->fontType & FONTTYPE_EDGE) ? 2 * font->edgeSize : 0;
    FONTGLYPH *last = nullptr;
    for (int i = 0; i < count; ++i) {
        const unsigned char *ch = chars + i * 3;
        FONTGLYPH *g = &font->glyphs[font->nextEntry];
        if (g->inUse && g->codeMap) {
            g->codeMap->used = 0;
            g->codeMap->glyph = nullptr;
        }
        FONTCODEMAP *map = &font->codeMap[FontCharCode(ch)];
        map->used = 1;
        map->glyph = g;
        g->codeMap = map;
        g->inUse = 1;
        FillBytes(planes, 0, (size_t)side * side * 2);
        GLYPHMETRICS gm{};
        bool ink = FetchGlyphBitmap(dc, font, ch, &gm, p);
        g->advance = (int16_t)(gm.gmCellIncX + edge2);
        g->xOffset = (int16_t)gm.gmptGlyphOrigin.x;
        g->yOffset = (int16_t)(font->textAscent - gm.gmptGlyphOrigin.y);
        g->width = ink ? (int16_t)(gm.gmBlackBoxX + edge2) : 0;
        g->height = ink ? (int16_t)(gm.gmBlackBoxY + edge2) : 0;
        if (!ink) g->xOffset = g->yOffset = 0;
        if (g->width > side) g->width = (int16_t)side;
        if (g->height > side) g->height = (int16_t)side;
        if (font->textureCache) StoreTextureCell(font, g->cell, p);
        else StoreMemoryCell(font, g->cell, p);
        last = g;
        if (++font->nextEntry >= font->capacity) font->nextEntry = 0;
    }
    MEM_FREE(planes);
    SelectObject(dc, old);
    DeleteDC(dc);
    return last;
}

int CacheTextGlyphs(int byteCount, const char *text, int handle, unsigned char *chars, int *charCount)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font || !text) return -1;
    int length = 0;
    while (text[length]) ++length;
    if (byteCount < 0 || byteCount > length) byteCount = length;
    unsigned char fixed[kFixedChars * 3];
    unsigned char *list = fixed;
    if (byteCount > kFixedChars) {
        list = (unsigned char *)MEM_ALLOC((size_t)byteCount * 3);
        if (!list) return -1;
    }
    int total = 0, listed = 0;
    for (int i = 0; i < byteCount;) {
        unsigned char ch[3] = {(unsigned char)text[i], 0, 0};
        if (IsLeadByte(text + i, font->charSet) && text[i + 1]) {
            ch[1] = (unsigned char)text[i + 1];
            i += 2;
        } else {
            i += 1;
        }
        if (chars) CopyBytes(chars + total * 3, ch, 3);
        ++total;
        FONTCODEMAP &map = font->codeMap[FontCharCode(ch)];
        if (map.used || listed >= font->capacity) continue;
        map.used = 2;  // listed in this call
        CopyBytes(list + listed * 3, ch, 3);
        ++listed;
    }
    for (int i = 0; i < listed; ++i) font->codeMap[FontCharCode(list + i * 3)].used = 0;
    if (listed) RenderGlyphsToCache(handle, listed, list);
    if (list != fixed) MEM_FREE(list);
    if (charCount) *charCount = total;
    return 0;
}

FONTGLYPH *FetchFontGlyph(FONTREC *font, int handle, const unsigned char *ch)
{
    if (!font) return nullptr;
    FONTCODEMAP &map = font->codeMap[FontCharCode(ch)];
    if (map.used && map.glyph) return map.glyph;
    return RenderGlyphsToCache(handle, 1, ch);
}
