// Font handles: creation with the GDI fall-backs, cell and cache sizes, deletion, the default
// font and the re-creation after a lost device.
#include "library/graphics/font.h"

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/strings.h"
#include "library/base/window.h"
#include "platform/gdi32/gdi32.h"
#include "platform/kernel32/kernel32.h"

FONTSYSTEM g_fontSystem;

namespace {

constexpr int kCheckIdLimit = 2048;

int MakeFontHandle(int slot, int checkId) { return (HTYPE_FONT << 27) | (checkId << 16) | slot; }

int SlotOf(int handle) { return handle & 0xFFFF; }

int GdiCharSet(int index)
{
    switch (index) {
    case 0: return DEFAULT_CHARSET;
    case 2: return HANGEUL_CHARSET;
    default: return SHIFTJIS_CHARSET;
    }
}

HFONT MakeGdiFont(int size, int thickness, int italic, int charSet, const char *face)
{
    return CreateFontA(size, 0, 0, 0, thickness * 100, italic ? TRUE : FALSE, FALSE, FALSE, (DWORD)charSet,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH, face);
}

int NextPowerOfTwo(int v)
{
    int p = 8;
    while (p < v) p <<= 1;
    return p;
}

int IntSqrt(int n)
{
    int r = 0;
    while ((r + 1) * (r + 1) <= n) ++r;
    return r;
}

// Frees what a font holds and its record, and clears the slot.
void DestroyFont(int slot)
{
    FONTREC *font = g_fontSystem.fonts[slot];
    if (!font) return;
    if (font->gdiFont) DeleteObject(font->gdiFont);
    MEM_FREE(font->memCache);
    if (g_fontTextureHooks.destroyGraph) {
        if (font->edgeCacheGraph != -1 && font->edgeCacheGraph != 0) g_fontTextureHooks.destroyGraph(font->edgeCacheGraph);
        if (font->cacheGraph != -1 && font->cacheGraph != 0) g_fontTextureHooks.destroyGraph(font->cacheGraph);
    }
    FreeBaseImage(&font->cacheImage);
    if (font->deleteFlag) *font->deleteFlag = 1;
    MEM_FREE(font);
    g_fontSystem.fonts[slot] = nullptr;
}

int SetupTextureCache(FONTREC *font)
{
    int cell = font->cellWidth;
    int w, h;
    if (g_fontSystem.cacheCapacitySetting > 0) {
        w = h = NextPowerOfTwo((IntSqrt(g_fontSystem.cacheCapacitySetting) + 1) * cell);
        font->capacity = (w / cell) * (w / cell);
    } else {
        w = h = 512;
        font->capacity = (512 / cell) * (512 / cell);
        while (font->capacity < 10) {
            if (w <= h) w *= 2;
            else h *= 2;
            font->capacity = (w / cell) * (h / cell);
        }
    }
    if (font->capacity > kMaxFontGlyphs) font->capacity = kMaxFontGlyphs;
    font->cacheWidth = w;
    font->cacheHeight = h;
    font->cellsPerColumn = h / cell;
    font->needsTexture = 1;
    return 0;
}

int SetupMemoryCache(FONTREC *font)
{
    int cell = font->cellWidth;
    font->memCacheBits = (font->fontType & 3) == 0 ? 1 : 8;
    int capacity = g_fontSystem.cacheCapacitySetting > 0 ? g_fontSystem.cacheCapacitySetting : 327680 / (cell * cell);
    if (capacity < 20) capacity = 20;
    if (capacity > kMaxFontGlyphs) capacity = kMaxFontGlyphs;
    font->capacity = capacity;
    font->cacheWidth = cell;
    font->cacheHeight = capacity * cell;
    font->cellsPerColumn = capacity;
    font->memCachePitch = (cell * font->memCacheBits + 7) / 8;
    font->memCache = (uint8_t *)MEM_ALLOC_ZERO((size_t)font->memCachePitch * font->cacheHeight);
    if (!font->memCache) return WriteLog("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
    return 0;
}

}  // namespace

int IsLeadByte(const char *p, int charSet)
{
    unsigned char c = (unsigned char)*p;
    if (charSet == 2) return c >= 0x80 ? 1 : 0;
    return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 1 : 0;
}

FONTREC *LookupFontRec(int handle)
{
    if (handle < 0 || ((handle >> 27) & 0xF) != HTYPE_FONT) return nullptr;
    int slot = SlotOf(handle);
    if (slot >= kMaxFontHandles) return nullptr;
    FONTREC *font = g_fontSystem.fonts[slot];
    if (!font || font->checkId != ((handle >> 16) & 0x7FF)) return nullptr;
    return font;
}

int IsValidFontHandle(int value) { return LookupFontRec(value) ? 1 : 0; }

int CreateFontToHandle(const char *face, int size, int thickness, int fontType, int charSet, int edgeSize,
                       int italic, int slot, int checkId)
{
    if (g_window.destroyed) return -1;
    if (fontType == -1) fontType = 0;
    fontType &= FONTTYPE_EDGE | FONTTYPE_ANTIALIAS;  // higher bits have no meaning
    if (edgeSize > 1) fontType |= FONTTYPE_EDGE;
    if (size == -1) size = 16;
    if (thickness == -1) thickness = 6;
    if (edgeSize == -1) edgeSize = 1;
    if (edgeSize < 0) edgeSize = 0;
    if (charSet == -1) charSet = GetOEMCP() == 949 ? 2 : 1;
    if (charSet < 0 || charSet > 2) charSet = 1;

    if (slot == -1) {
        for (slot = 0; slot < kMaxFontHandles && g_fontSystem.fonts[slot]; ++slot) {
        }
        if (slot == kMaxFontHandles) return WriteLogFmt("作成できるフォントハンドル数 %d の限界を超えました", kMaxFontHandles);
    } else if (slot < 0 || slot >= kMaxFontHandles || g_fontSystem.fonts[slot]) {
        return -1;
    }

    FONTREC *font = (FONTREC *)MEM_ALLOC_ZERO(sizeof(FONTREC));
    if (!font) return WriteLog("フォント管理用メモリ領域の確保に失敗しました\n");
    g_fontSystem.fonts[slot] = font;
    font->cacheGraph = font->edgeCacheGraph = -1;
    if (g_fontTextureHooks.screenColourBits && g_fontTextureHooks.screenColourBits() == 8)
        fontType &= ~FONTTYPE_ANTIALIAS;
    font->size = size;
    font->fontType = fontType;
    font->thickness = thickness;
    font->edgeSize = edgeSize;
    font->italic = italic;
    font->charGap = 0;
    font->charSet = charSet;
    if (checkId == -1) {
        checkId = g_fontSystem.nextCheckId;
        g_fontSystem.nextCheckId = (g_fontSystem.nextCheckId + 1) % kCheckIdLimit;
    }
    font->checkId = checkId & 0x7FF;
    int handle = MakeFontHandle(slot, font->checkId);
    font->textureCache = g_fontTextureHooks.drawsOnDirect3D && g_fontTextureHooks.drawsOnDirect3D() ? 1 : 0;

    int gdiCharSet = GdiCharSet(charSet);
    if (face && face[0]) {
        CopyStringN(font->faceName, face, 255);
        font->gdiFont = MakeGdiFont(size, thickness, italic, gdiCharSet, face);
        if (!font->gdiFont) font->gdiFont = MakeGdiFont(size, thickness, italic, DEFAULT_CHARSET, face);
        if (!font->gdiFont) font->gdiFont = MakeGdiFont(size, thickness, italic, SHIFTJIS_CHARSET, face);
        if (!font->gdiFont) {
            DestroyFont(slot);
            return WriteLog("指定のフォントの作成に失敗しました\n");
        }
    } else {
        font->gdiFont = MakeGdiFont(size, thickness, italic, gdiCharSet, "ＭＳ ゴシック");
        if (!font->gdiFont) font->gdiFont = MakeGdiFont(size, thickness, 0, DEFAULT_CHARSET, "ＭＳ ゴシック");
        if (!font->gdiFont) font->gdiFont = MakeGdiFont(size, thickness, 0, DEFAULT_CHARSET, nullptr);
        if (!font->gdiFont) {
            DestroyFont(slot);
            return WriteLog("フォントの作成に失敗しました\n");
        }
    }

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DestroyFont(slot);
        return WriteLog("ＤＣの取得に失敗しました\n");
    }
    HGDIOBJ old = SelectObject(dc, font->gdiFont);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    int edged = (fontType & FONTTYPE_EDGE) != 0;
    int cellWidth = tm.tmMaxCharWidth + 2 + (edged ? 2 * edgeSize : 0);
    cellWidth = (cellWidth + 7) / 8 * 8;
    int cellHeight = tm.tmHeight + (edged ? 2 * edgeSize : 0);
    cellHeight = (cellHeight + 1) / 2 * 2;
    if (cellWidth < cellHeight) cellWidth = cellHeight;
    font->cellWidth = cellWidth;
    font->cellHeight = cellHeight;
    font->textAscent = tm.tmAscent;

    if (font->textureCache) {
        SetupTextureCache(font);
        if (SetupFontCacheTexture(handle) == 0) {
            COLOURFORMAT format{};
            int antialias = (fontType & FONTTYPE_ANTIALIAS) != 0;
            if (!g_fontTextureHooks.cacheImageFormat || g_fontTextureHooks.cacheImageFormat(antialias, &format) != 0 ||
                AllocBaseImage(font->cacheWidth * (edged ? 2 : 1), font->cacheHeight, &format, &font->cacheImage) != 0) {
                DestroyFont(slot);
                return WriteLog("文字キャッシュ基本イメージ用のメモリの確保に失敗しました\n");
            }
        } else {
            WriteLog("テクスチャ文字キャッシュの作成に失敗しました\n");
            font->textureCache = 0;
        }
    }
    if (!font->textureCache && SetupMemoryCache(font) != 0) {
        DestroyFont(slot);
        return -1;
    }
    ResetFontCache(handle);
    font->deleteFlag = nullptr;
    return handle;
}

int FreeFontHandle(int handle)
{
    if (!LookupFontRec(handle)) return -1;
    DestroyFont(SlotOf(handle));
    return 0;
}

int AttachFontDeleteFlag(int handle, int32_t *flag)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font) return -1;
    font->deleteFlag = flag;
    if (flag) *flag = 0;
    return 0;
}

int SetFontCharGap(int gap, int handle)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font) return -1;
    font->charGap = gap;
    return 0;
}

int QueryFontHandle(char *face, int *size, int *thickness, int handle)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font) return -1;
    if (face) CopyString(face, font->faceName);
    if (size) *size = font->size;
    if (thickness) *thickness = font->thickness;
    return 0;
}

int FontHandleSize(int handle)
{
    FONTREC *font = LookupFontRec(handle);
    return font ? font->size : -1;
}

int FetchDefaultFont() { return g_fontSystem.defaultFont; }

int SetupFontCacheTexture(int handle)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font) return -1;
    if (font->needsTexture != 1) return 0;
    if (!g_fontTextureHooks.createCacheGraph) return -1;
    int edged = (font->fontType & FONTTYPE_EDGE) != 0;
    int antialias = (font->fontType & FONTTYPE_ANTIALIAS) != 0;
    // Deleting the old graphs raises the flag again, so it is cleared after them.
    if (g_fontTextureHooks.destroyGraph) {
        if (font->edgeCacheGraph > 0) g_fontTextureHooks.destroyGraph(font->edgeCacheGraph);
        if (font->cacheGraph > 0) g_fontTextureHooks.destroyGraph(font->cacheGraph);
    }
    font->cacheGraph = font->edgeCacheGraph = -1;
    font->needsTexture = 0;
    int edgeGraph = -1;
    int graph = g_fontTextureHooks.createCacheGraph(font->cacheWidth * (edged ? 2 : 1), font->cacheHeight, antialias,
                                                    edged, &font->needsTexture, &edgeGraph);
    if (graph < 0) return -1;
    font->cacheGraph = graph;
    font->edgeCacheGraph = edged ? edgeGraph : -1;
    ResetFontCache(handle);
    return 0;
}

int ResetFontCache(int handle)
{
    FONTREC *font = LookupFontRec(handle);
    if (!font) return -1;
    FillBytes(font->codeMap, 0, sizeof font->codeMap);
    FillBytes(font->glyphs, 0, sizeof font->glyphs);
    for (int i = 0; i < font->capacity; ++i) font->glyphs[i].cell = i;
    font->glyphs[font->capacity].cell = -1;
    font->nextEntry = 0;
    return 0;
}

int ResetFontSystem()
{
    WriteLog("フォントの初期化を行います\n");
    RaiseLogIndent();
    FONTREC *def = LookupFontRec(g_fontSystem.defaultFont);
    char face[256] = "";
    int size = 16, thickness = 6, type = -1, charSet = -1, edge = -1, italic = 0;
    if (def) {
        CopyString(face, def->faceName);
        size = def->size;
        thickness = def->thickness;
        type = def->fontType;
        charSet = def->charSet;
        edge = def->edgeSize;
        italic = def->italic;
    }
    for (int slot = 0; slot < kMaxFontHandles; ++slot) DestroyFont(slot);
    g_fontSystem.defaultFont = CreateFontToHandle(face, size, thickness, type, charSet, edge, italic);
    LowerLogIndent();
    WriteLog("フォントの初期化は正常に終了しました\n");
    return 0;
}

int StartFontSystem()
{
    FillBytes(&g_fontSystem, 0, sizeof g_fontSystem);
    g_fontSystem.defaultFont = -1;
    g_fontSystem.defaultSize = 16;
    g_fontSystem.defaultThickness = 6;
    g_fontSystem.defaultType = 0;
    g_fontSystem.defaultCharSet = 1;
    g_fontSystem.defaultEdgeSize = 1;
    g_fontSystem.defaultItalic = 0;
    g_fontSystem.defaultCharGap = 0;
    ResetFontSystem();
    return 0;
}

int StopFontSystem()
{
    ResetFontSystem();
    FreeFontHandle(g_fontSystem.defaultFont);
    g_fontSystem.defaultFont = -1;
    return 0;
}

int SyncDefaultFont()
{
    FONTSYSTEM &fs = g_fontSystem;
    FONTREC *def = LookupFontRec(fs.defaultFont);
    if (def && CompareStrings(def->faceName, fs.defaultFace) == 0 && def->fontType == fs.defaultType &&
        def->size == fs.defaultSize && def->thickness == fs.defaultThickness && def->charSet == fs.defaultCharSet &&
        def->edgeSize == fs.defaultEdgeSize && def->italic == fs.defaultItalic)
        return 0;
    FreeFontHandle(fs.defaultFont);
    fs.defaultFont = CreateFontToHandle(fs.defaultFace, fs.defaultSize, fs.defaultThickness, fs.defaultType,
                                        fs.defaultCharSet, (fs.defaultType & FONTTYPE_EDGE) ? fs.defaultEdgeSize : -1,
                                        fs.defaultItalic);
    SetFontCharGap(fs.defaultCharGap, fs.defaultFont);
    return 0;
}

int StoreDefaultFontSize(int, int size, int thickness)
{
    g_fontSystem.defaultSize = size == -1 ? 16 : size;
    g_fontSystem.defaultThickness = thickness == -1 ? 6 : thickness;
    return SyncDefaultFont();
}

int RecreateAllFonts()
{
    for (int slot = 0; slot < kMaxFontHandles; ++slot) {
        FONTREC *font = g_fontSystem.fonts[slot];
        if (!font) continue;
        char face[256];
        CopyString(face, font->faceName);
        int size = font->size, thickness = font->thickness, type = font->fontType, charSet = font->charSet;
        int edge = font->edgeSize, italic = font->italic, gap = font->charGap, checkId = font->checkId;
        // The owner's flag stays as it is: the handle lives on.
        int32_t *flag = font->deleteFlag;
        font->deleteFlag = nullptr;
        DestroyFont(slot);
        int handle = CreateFontToHandle(face, size, thickness, type, charSet, edge, italic, slot, checkId);
        if (handle == -1) {
            if (flag) *flag = 1;
            continue;
        }
        FONTREC *made = LookupFontRec(handle);
        made->charGap = gap;
        made->deleteFlag = flag;
    }
    return 0;
}
