// The text link filled with its owners' entries: font records and cached glyphs in the text
// code's form, cache-graph draws through the public graph draws with transparency, and the
// software screen's images with the copy kernel.
#include "library/graphics/text_link.h"

#include "library/graphics/device.h"
#include "library/graphics/draw2d.h"
#include "library/graphics/font.h"
#include "library/graphics/graph.h"
#include "library/softrender/blit_memimg.h"

namespace {

int FontInfo(int handle, TEXTFONTINFO *out) {
    const FONTREC *f = LookupFontRec(handle);
    if (f == nullptr) return -1;
    *out = TEXTFONTINFO{f->size,           f->fontType,   f->edgeSize,     f->cellHeight,
                        f->charGap,        f->charSet,    f->textureCache, f->cacheGraph,
                        f->edgeCacheGraph, f->cacheWidth, f->cacheHeight};
    return 0;
}

int CacheGlyphs(int handle, const char *text, int byteCount) {
    return CacheTextGlyphs(byteCount, text, handle, nullptr, nullptr);
}

int Glyph(int handle, const unsigned char *character, int length, TEXTGLYPH *out) {
    FONTREC *f = LookupFontRec(handle);
    if (f == nullptr) return -1;
    const unsigned char record[3] = {character[0], length == 2 ? character[1] : (unsigned char)0, 0};
    const FONTGLYPH *g = FetchFontGlyph(f, handle, record);
    if (g == nullptr) return -1;
    int cellX = FontCellX(f, g->cell), cellY = FontCellY(f, g->cell);
    *out = TEXTGLYPH{g->xOffset, g->yOffset, g->advance, g->width, g->height, cellX, cellY, GLYPHBITS{}};
    if (!f->textureCache && f->memCache != nullptr)
        out->bits = GLYPHBITS{f->memCache + (size_t)cellY * f->memCachePitch + (size_t)cellX * f->memCacheBits / 8,
                              f->memCachePitch, f->memCacheBits, g->width, g->height};
    return 0;
}

int PrepareTextureCache(int handle) { return SetupFontCacheTexture(handle); }

int DefaultFont() {
    SyncDefaultFont();
    return FetchDefaultFont();
}

int CreateFont(const char *face, int size, int thickness, int fontType, int charSet, int edgeSize, int italic) {
    return CreateFontToHandle(face, size, thickness, fontType, charSet, edgeSize, italic);
}

int LeadByte(const unsigned char *p, int charSet) { return IsLeadByte((const char *)p, charSet); }

int DrawCachePart(int x, int y, int srcX, int srcY, int width, int height, int graph) {
    return DrawGraphPart(x, y, srcX, srcY, width, height, graph, 1, 0);
}

int DrawCacheCorners(const float x[4], const float y[4], int graph) {
    return DrawGraphCorners(x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3], graph, 1);
}

MEMIMG *ScreenImage() { return g_softScreen.drawTarget; }

MEMIMG *WorkImage(int alpha) { return alpha ? &g_softScreen.workAlpha : &g_softScreen.work; }

MEMIMG *BlendImage() { return g_graphs.softBlendImage; }

}  // namespace

TEXTLINK g_textLink = {
    .fontInfo = FontInfo,
    .cacheGlyphs = CacheGlyphs,
    .glyph = Glyph,
    .prepareTextureCache = PrepareTextureCache,
    .defaultFont = DefaultFont,
    .createFont = CreateFont,
    .attachDeleteFlag = AttachFontDeleteFlag,
    .freeFont = FreeFontHandle,
    .isLeadByte = LeadByte,
    .drawGraphPart = DrawCachePart,
    .drawGraphCorners = DrawCacheCorners,
    .setBlendGraph = SetBlendGraph,
    .screenImage = ScreenImage,
    .workImage = WorkImage,
    .blendImage = BlendImage,
    .blitMemImg = BlitMemImg,
};
