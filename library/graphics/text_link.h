// What text drawing and the on-screen log take from the font system, the draw entries and the
// software screen. Each owner fills its entries when it starts; while an entry is null the
// text calls that need it fail (-1) or skip that step.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"
#include "library/graphics/text_glyph.h"
#include "platform/windef.h"

// A font as the text code reads it.
struct TEXTFONTINFO {
    int32_t size;          // character height given at creation
    int32_t fontType;      // bit 0 edge, bit 1 antialiasing
    int32_t edgeSize;
    int32_t cellHeight;    // height of one text line
    int32_t charGap;       // pixels added to every advance
    int32_t charSet;       // character-set index, for the lead-byte rule
    int32_t textureCache;  // 1: glyphs in the cache graphs, 0: memory cache
    int32_t cacheGraph, edgeCacheGraph;
    int32_t cacheWidth, cacheHeight;  // the cache area (an edged font's graph is twice as wide)
};

// One cached glyph (sizes include the edge of edged fonts).
struct TEXTGLYPH {
    int32_t xOffset, yOffset, advance;
    int32_t width, height;
    int32_t cacheX, cacheY;  // the glyph's rectangle in the cache graph (texture cache)
    GLYPHBITS bits;          // the glyph in the memory cache
};

struct TEXTLINK {
    // Font system.
    int (*fontInfo)(int font, TEXTFONTINFO *out);  // 0, or -1 for a bad handle
    // Renders the not yet cached characters of the first bytes (-1: all) in one batch. 0 / -1.
    int (*cacheGlyphs)(int font, const char *text, int byteCount);
    // The cached glyph of one character (1 or 2 bytes), rendered alone when missing. 0 / -1.
    int (*glyph)(int font, const unsigned char *character, int length, TEXTGLYPH *out);
    int (*prepareTextureCache)(int font);  // makes the cache graph when it was lost
    int (*defaultFont)();                  // brought in line with the default settings
    int (*createFont)(const char *face, int size, int thickness, int fontType, int charSet, int edgeSize,
                      int italic);
    int (*attachDeleteFlag)(int font, int32_t *flag);
    int (*freeFont)(int font);
    int (*isLeadByte)(const unsigned char *p, int charSet);
    // Draw entries (texture cache): a part of a cache graph at (x, y) with transparency, and a
    // whole graph by its four corners (top-left, top-right, bottom-right, bottom-left).
    int (*drawGraphPart)(int x, int y, int srcX, int srcY, int width, int height, int graph);
    int (*drawGraphCorners)(const float x[4], const float y[4], int graph);
    int (*setBlendGraph)(int graph, int border, int range);
    // Software screen.
    MEMIMG *(*screenImage)();        // the draw target's image, or null
    MEMIMG *(*workImage)(int alpha); // the screen-sized work image (alpha 1: with alpha), or null
    MEMIMG *(*blendImage)();         // the selected blend image, or null
    void (*blitMemImg)(MEMIMG *dst, MEMIMG *src, int x, int y, int transparent, MEMIMG *blend);
};

extern TEXTLINK g_textLink;
