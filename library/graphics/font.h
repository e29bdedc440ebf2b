// Fonts: GDI fonts behind font handles, each with a glyph cache that GetGlyphOutlineA fills
// once per character (a graph texture on Direct3D, a plain memory column of cells otherwise).
#pragma once

#include <cstdint>

#include "library/graphics/base_image.h"
#include "platform/windef.h"

constexpr int HTYPE_FONT = 4;
constexpr int kMaxFontHandles = 40;
constexpr int kMaxFontGlyphs = 2024;     // glyph entries in use at most
constexpr int kFontCodeMapSize = 65536;

struct FONTCODEMAP;

// One cached glyph. For an edged font advance, width and height include 2 x edge size.
struct FONTGLYPH {
    int16_t inUse;
    int16_t xOffset;   // the glyph origin's x
    int16_t yOffset;   // text ascent minus the glyph origin's y
    int16_t advance;   // cell increment in x
    int32_t cell;      // the cache cell this entry owns for good (-1: end marker)
    int16_t width, height;  // bitmap size
    FONTCODEMAP *codeMap;   // the code-map entry pointing here
};

struct FONTCODEMAP {
    int32_t used;
    FONTGLYPH *glyph;
};

struct FONTREC {
    int32_t checkId;
    int32_t *deleteFlag;                     // set to 1 when the font is deleted
    FONTGLYPH glyphs[kMaxFontGlyphs + 1];    // capacity entries plus an end marker
    FONTCODEMAP codeMap[kFontCodeMapSize];   // indexed by FontCharCode
    int32_t nextEntry;                       // entry to fill next (cyclic)
    int32_t capacity;                        // glyph entries in use
    uint8_t *memCache;                       // software cache: one column of cells
    int32_t memCachePitch;                   // bytes per row
    int32_t memCacheBits;                    // 1 or 8
    char faceName[256];                      // empty for the built-in face
    int32_t thickness;
    int32_t size;
    int32_t cellHeight;                      // one text line in pixels
    int32_t italic;
    int32_t charGap;
    int32_t cellWidth;                       // side of one square cache cell
    HFONT gdiFont;
    int32_t fontType;                        // FONTTYPE_* bits
    int32_t charSet;                         // character-set index 0-2
    int32_t edgeSize;
    int32_t cacheWidth, cacheHeight;         // the edge plane lies to the right of this area
    int32_t cellsPerColumn;
    int32_t cacheGraph;                      // texture cache graph or -1
    int32_t edgeCacheGraph;                  // right half of the cache graph or -1
    int32_t needsTexture;                    // 1: the cache graph must be (re)made before drawing
    BASEIMAGE cacheImage;                    // staging image of a texture cache
    int32_t textureCache;                    // 1: cache in a graph texture, 0: memory cache
    int32_t textAscent;                      // tmAscent of the GDI font
};

enum : int32_t {
    FONTTYPE_EDGE = 1,
    FONTTYPE_ANTIALIAS = 2,
};

struct FONTSYSTEM {
    FONTREC *fonts[kMaxFontHandles];  // null = free slot
    int32_t nextCheckId;               // 0-2047
    int32_t unused;
    int32_t cacheCapacitySetting;      // 0 = automatic
    int32_t defaultFont;
    char defaultFace[128];
    int32_t defaultSize;
    int32_t defaultThickness;
    int32_t defaultType;
    int32_t defaultCharSet;
    int32_t defaultEdgeSize;
    int32_t defaultItalic;
    int32_t defaultCharGap;
};

extern FONTSYSTEM g_fontSystem;

// The character's bytes as a little-endian number: c, or trail x 256 + lead.
inline int FontCharCode(const unsigned char *ch) { return ch[0] | (ch[1] << 8); }
// Cache cells run column by column.
inline int FontCellX(const FONTREC *font, int cell) { return (cell / font->cellsPerColumn) * font->cellWidth; }
inline int FontCellY(const FONTREC *font, int cell) { return (cell % font->cellsPerColumn) * font->cellWidth; }

int CreateFontToHandle(const char *face, int size, int thickness, int fontType, int charSet, int edgeSize,
                       int italic, int slot = -1, int checkId = -1);
int FreeFontHandle(int handle);
int AttachFontDeleteFlag(int handle, int32_t *flag);
int SetFontCharGap(int gap, int handle);
int QueryFontHandle(char *face, int *size, int *thickness, int handle);
int FontHandleSize(int handle);
int IsValidFontHandle(int value);
FONTREC *LookupFontRec(int handle);
int FetchDefaultFont();
int IsLeadByte(const char *p, int charSet);
int ResetFontCache(int handle);
int SetupFontCacheTexture(int handle);
// Splits the text into 3-byte records (into `chars` when not null, room for every character)
// and renders the characters not yet cached in one batch.
int CacheTextGlyphs(int byteCount, const char *text, int handle, unsigned char *chars, int *charCount);
FONTGLYPH *RenderGlyphsToCache(int handle, int count, const unsigned char *chars);
// The cached glyph of a 3-byte record, rendering it alone when missing; null on failure.
FONTGLYPH *FetchFontGlyph(FONTREC *font, int handle, const unsigned char *ch);
int StartFontSystem();
int StopFontSystem();
int ResetFontSystem();
int SyncDefaultFont();
int StoreDefaultFontSize(int ignored, int size, int thickness);
int RecreateAllFonts();

// The texture side of the glyph cache, reached through these slots so that tests can stand in
// for graphs. Null slots mean: no texture cache (memory cache).
struct FONTTEXTUREHOOKS {
    int (*drawsOnDirect3D)();                     // 1 when drawing runs on Direct3D
    int (*screenColourBits)();                    // 8, 16 or 32
    // Makes the cache graph (width x height; antialias picks the alpha format), and for edged
    // fonts the sub-graph of its right half; attaches `deletedFlag`; fills white, alpha 0.
    int (*createCacheGraph)(int width, int height, int antialias, int edged, int32_t *deletedFlag,
                            int *edgeGraph);
    // Copies a rectangle of the staging image into the graph at the same place.
    int (*transferCacheRect)(int graph, const BASEIMAGE *image, int x, int y, int w, int h);
    int (*destroyGraph)(int graph);
    // The cache image's colour format (16 bits, alpha or one-bit alpha).
    int (*cacheImageFormat)(int antialias, COLOURFORMAT *format);
};
extern FONTTEXTUREHOOKS g_fontTextureHooks;
// The hooks over graph handles: what g_fontTextureHooks holds unless a caller swaps them.
extern const FONTTEXTUREHOOKS kGraphFontTextures;
