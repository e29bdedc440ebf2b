// Font handles and the glyph cache over synthetic glyphs, and a few glyphs of the real face.
#include "library/graphics/font.h"
#include "platform/gdi32/gdi32.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformTestUseSyntheticFonts(true);
        g_fontTextureHooks = FONTTEXTUREHOOKS{};
        StartFontSystem();
        PlatformTestTakeFontCalls();
    }
    void TearDown() override {
        for (int i = 0; i < kMaxFontHandles; ++i)
            if (g_fontSystem.fonts[i]) g_fontSystem.fonts[i]->deleteFlag = nullptr;
        StopFontSystem();
        g_fontSystem.cacheCapacitySetting = 0;
        g_fontTextureHooks = kGraphFontTextures;
        PlatformTestFailCreateFont(0);
        PlatformTestFailGlyphCode(0);
        PlatformTestUseSyntheticFonts(false);
    }
    // A double-byte character record from a code the glyph call takes (lead x 256 + trail).
    static std::vector<unsigned char> Wide(unsigned code) {
        return {(unsigned char)(code >> 8), (unsigned char)code, 0};
    }
    static int MemPixel(const FONTREC *f, int cell, int x, int y) {
        const uint8_t *row = f->memCache + (size_t)(FontCellY(f, cell) + y) * f->memCachePitch;
        return f->memCacheBits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1 : row[x];
    }
};

TEST_F(FontTest, CreationNormalisesSettingsAndSizesCells) {
    int h = CreateFontToHandle(nullptr, -1, -1, 0, -1, 2, 0);
    ASSERT_NE(h, -1);
    FONTREC *f = LookupFontRec(h);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->fontType, FONTTYPE_EDGE);  // edge size 2 sets the edge bit
    EXPECT_EQ(f->size, 16);
    EXPECT_EQ(f->thickness, 6);
    EXPECT_EQ(f->charSet, 1);
    EXPECT_STREQ(f->faceName, "");
    // Synthetic 16: widest 16 + 2 + 4 -> 24; height 16 + 4 = 20.
    EXPECT_EQ(f->cellWidth, 24);
    EXPECT_EQ(f->cellHeight, 20);
    EXPECT_EQ(f->memCacheBits, 8);
    EXPECT_EQ(f->capacity, 327680 / (24 * 24));
    EXPECT_EQ(f->cellsPerColumn, f->capacity);
    EXPECT_EQ(f->glyphs[f->capacity].cell, -1);
    EXPECT_EQ(FontHandleSize(h), 16);
    EXPECT_EQ((h >> 27) & 0xF, HTYPE_FONT);
    EXPECT_EQ(FreeFontHandle(h), 0);
    EXPECT_EQ(FreeFontHandle(h), -1);
    EXPECT_EQ(IsValidFontHandle(h), 0);
    EXPECT_EQ(LookupFontRec(-1), nullptr);
    EXPECT_EQ(LookupFontRec(h & ~(0xF << 27)), nullptr);
}

TEST_F(FontTest, FallBacksKeepItalicOnlyForANamedFace) {
    PlatformTestFailCreateFont(2);
    int h = CreateFontToHandle(nullptr, 20, 4, 0, 1, 1, 1);
    ASSERT_NE(h, -1);
    std::vector<PlatformFontCall> calls = PlatformTestTakeFontCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].face, "ＭＳ ゴシック");
    EXPECT_EQ(calls[0].charSet, (DWORD)SHIFTJIS_CHARSET);
    EXPECT_EQ(calls[0].italic, 1u);
    EXPECT_EQ(calls[0].weight, 400);
    EXPECT_EQ(calls[0].height, 20);
    EXPECT_EQ(calls[1].face, "ＭＳ ゴシック");
    EXPECT_EQ(calls[1].charSet, (DWORD)DEFAULT_CHARSET);
    EXPECT_EQ(calls[1].italic, 0u);
    EXPECT_EQ(calls[2].face, "");
    EXPECT_EQ(calls[2].italic, 0u);
    EXPECT_STREQ(LookupFontRec(h)->faceName, "");

    PlatformTestFailCreateFont(2);
    h = CreateFontToHandle("Some Face", 20, 4, 0, 2, 1, 1);
    ASSERT_NE(h, -1);
    calls = PlatformTestTakeFontCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].charSet, (DWORD)HANGEUL_CHARSET);
    EXPECT_EQ(calls[1].charSet, (DWORD)DEFAULT_CHARSET);
    EXPECT_EQ(calls[2].charSet, (DWORD)SHIFTJIS_CHARSET);
    for (const PlatformFontCall &c : calls) {
        EXPECT_EQ(c.italic, 1u);
        EXPECT_EQ(c.face, "Some Face");
    }
    EXPECT_STREQ(LookupFontRec(h)->faceName, "Some Face");

    int before = PlatformTestGdiObjectCount();
    PlatformTestFailCreateFont(3);
    EXPECT_EQ(CreateFontToHandle("Some Face", 20, 4, 0, 1, 1, 0), -1);
    PlatformTestFailCreateFont(3);
    EXPECT_EQ(CreateFontToHandle(nullptr, 20, 4, 0, 1, 1, 0), -1);
    PlatformTestFailCreateDC(1);
    EXPECT_EQ(CreateFontToHandle(nullptr, 20, 4, 0, 1, 1, 0), -1);
    EXPECT_EQ(PlatformTestGdiObjectCount(), before);
}

TEST_F(FontTest, SlotsCheckIdsAndTheLimit) {
    g_fontSystem.nextCheckId = 2047;
    int a = CreateFontToHandle(nullptr, 16, 6, 0, 1, 1, 0);
    int b = CreateFontToHandle(nullptr, 16, 6, 0, 1, 1, 0);
    EXPECT_EQ((a >> 16) & 0x7FF, 2047);
    EXPECT_EQ((b >> 16) & 0x7FF, 0);
    EXPECT_EQ(CreateFontToHandle(nullptr, 16, 6, 0, 1, 1, 0, a & 0xFFFF), -1);  // slot taken
    std::vector<int> made;
    int h;
    while ((h = CreateFontToHandle(nullptr, 8, 6, 0, 1, 1, 0)) != -1) made.push_back(h);
    int live = 0;
    for (int i = 0; i < kMaxFontHandles; ++i) live += g_fontSystem.fonts[i] != nullptr;
    EXPECT_EQ(live, kMaxFontHandles);
    FreeFontHandle(a);
    EXPECT_EQ(LookupFontRec(a), nullptr);
    int again = CreateFontToHandle(nullptr, 8, 6, 0, 1, 1, 0);
    EXPECT_EQ(again & 0xFFFF, a & 0xFFFF);
    EXPECT_NE(again, a);  // a stale handle to the reused slot stays refused
    EXPECT_EQ(LookupFontRec(a), nullptr);
}

TEST_F(FontTest, TextureCacheSizes) {
    g_fontTextureHooks.drawsOnDirect3D = [] { return 1; };
    g_fontTextureHooks.createCacheGraph = [](int, int, int, int, int32_t *, int *edge) {
        *edge = (1 << 27) | 2;
        return (1 << 27) | 1;
    };
    g_fontTextureHooks.cacheImageFormat = [](int, COLOURFORMAT *f) {
        return MakeColourFormatFromMasks(f, 16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    };
    struct Case {
        int size, cell, width, height, capacity;
    } cases[] = {
        {16, 24, 512, 512, 441},   // 16 + 2 -> 24
        {198, 200, 1024, 512, 10}, // 4 cells at 512: the width doubles once
        {6, 8, 512, 512, 2024},    // 4,096 cells cut to the entry limit
    };
    for (const Case &c : cases) {
        int h = CreateFontToHandle(nullptr, c.size, 6, 0, 1, 1, 0);
        ASSERT_NE(h, -1);
        FONTREC *f = LookupFontRec(h);
        EXPECT_EQ(f->textureCache, 1);
        EXPECT_EQ(f->cellWidth, c.cell);
        EXPECT_EQ(f->cacheWidth, c.width) << c.size;
        EXPECT_EQ(f->cacheHeight, c.height) << c.size;
        EXPECT_EQ(f->capacity, c.capacity) << c.size;
        EXPECT_EQ(f->cellsPerColumn, c.height / c.cell);
        EXPECT_EQ(f->cacheImage.width, c.width);
        FreeFontHandle(h);
    }
    g_fontSystem.cacheCapacitySetting = 30;  // (5 + 1) x 24 = 144 -> 256: 10 x 10 cells
    int h = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_EDGE, 1, 1, 0);
    FONTREC *f = LookupFontRec(h);
    EXPECT_EQ(f->cacheWidth, 256);
    EXPECT_EQ(f->capacity, 100);
    EXPECT_EQ(f->cacheImage.width, 512);  // the edge plane on the right
    EXPECT_NE(f->edgeCacheGraph, -1);

    // A texture cache that cannot be made falls back to the memory cache.
    g_fontTextureHooks.createCacheGraph = [](int, int, int, int, int32_t *, int *) { return -1; };
    h = CreateFontToHandle(nullptr, 16, 6, 0, 1, 1, 0);
    ASSERT_NE(h, -1);
    EXPECT_EQ(LookupFontRec(h)->textureCache, 0);
    EXPECT_NE(LookupFontRec(h)->memCache, nullptr);
}

TEST_F(FontTest, CacheKeysByTrailLeadAndRendersLeadTrail) {
    int h = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_ANTIALIAS, 1, 1, 0);
    FONTREC *f = LookupFontRec(h);
    const char text[] = "\x82\xa0" "A \x81\x40";
    unsigned char chars[16 * 3];
    int count = 0;
    ASSERT_EQ(CacheTextGlyphs(-1, text, h, chars, &count), 0);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(chars[0], 0x82);
    EXPECT_EQ(chars[1], 0xA0);
    EXPECT_EQ(chars[2], 0);
    FONTCODEMAP &m = f->codeMap[0xA082];
    ASSERT_TRUE(m.used);
    ASSERT_NE(m.glyph, nullptr);
    EXPECT_FALSE(f->codeMap[0x82A0].used);
    const FONTGLYPH *g = m.glyph;
    GLYPHMETRICS gm;
    PlatformTestSyntheticGlyphMetrics(16, 0x82A0, &gm);
    EXPECT_EQ(g->width, (int)gm.gmBlackBoxX);
    EXPECT_EQ(g->height, (int)gm.gmBlackBoxY);
    EXPECT_EQ(g->advance, gm.gmCellIncX);
    EXPECT_EQ(g->xOffset, gm.gmptGlyphOrigin.x);
    EXPECT_EQ(g->yOffset, 14 - gm.gmptGlyphOrigin.y);
    for (int y = 0; y < g->height; ++y)
        for (int x = 0; x < g->width; ++x) {
            int level = PlatformTestSyntheticGlyphLevel(0x82A0, x, y);
            ASSERT_EQ(MemPixel(f, g->cell, x, y), level ? level - 1 : 0) << x << "," << y;
        }
    // Spaces keep their advance and cost no pixels; every character has an entry.
    const FONTGLYPH *space = f->codeMap[' '].glyph;
    const FONTGLYPH *wideSpace = f->codeMap[0x4081].glyph;
    ASSERT_NE(space, nullptr);
    ASSERT_NE(wideSpace, nullptr);
    EXPECT_EQ(space->width, 0);
    EXPECT_EQ(space->advance, 8);
    EXPECT_EQ(wideSpace->height, 0);
    EXPECT_EQ(wideSpace->advance, 16);
    EXPECT_EQ(f->nextEntry, 4);
    // Cached characters are not rendered again.
    ASSERT_EQ(CacheTextGlyphs(-1, "A\x82\xa0", h, nullptr, &count), 0);
    EXPECT_EQ(f->nextEntry, 4);
    EXPECT_EQ(count, 2);
    // The byte count takes a two-byte character whole.
    ASSERT_EQ(CacheTextGlyphs(1, "\x82\xa2", h, nullptr, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(f->codeMap[0xA282].used);
}

TEST_F(FontTest, TheGlyphAfterTheLastEntryEvictsTheFirst) {
    g_fontSystem.cacheCapacitySetting = 5000;  // cut to the entry limit
    int h = CreateFontToHandle(nullptr, 8, 6, 0, 1, 1, 0);
    FONTREC *f = LookupFontRec(h);
    ASSERT_EQ(f->capacity, kMaxFontGlyphs);
    std::string text;
    std::vector<unsigned> codes;
    for (unsigned lead = 0x88; codes.size() < (size_t)kMaxFontGlyphs + 1; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFC && codes.size() < (size_t)kMaxFontGlyphs + 1; ++trail) {
            if (trail == 0x7F) continue;
            codes.push_back(lead << 8 | trail);
            text += (char)lead;
            text += (char)trail;
        }
    int count = 0;
    ASSERT_EQ(CacheTextGlyphs(-1, text.c_str(), h, nullptr, &count), 0);
    EXPECT_EQ(count, kMaxFontGlyphs + 1);
    // One batch fills the cache; the last character still misses.
    auto key = [](unsigned code) { return (int)((code & 0xFF) << 8 | code >> 8); };
    EXPECT_TRUE(f->codeMap[key(codes[0])].used);
    EXPECT_FALSE(f->codeMap[key(codes.back())].used);
    std::vector<unsigned char> last = Wide(codes.back());
    FONTGLYPH *g = FetchFontGlyph(f, h, last.data());
    ASSERT_EQ(g, &f->glyphs[0]);
    EXPECT_EQ(g->cell, 0);
    EXPECT_FALSE(f->codeMap[key(codes[0])].used);
    EXPECT_EQ(f->codeMap[key(codes[0])].glyph, nullptr);
    EXPECT_EQ(f->codeMap[key(codes.back())].glyph, g);
    EXPECT_TRUE(f->codeMap[key(codes[1])].used);
    EXPECT_EQ(f->nextEntry, 1);
    EXPECT_EQ(ResetFontCache(h), 0);
    EXPECT_FALSE(f->codeMap[key(codes.back())].used);
    EXPECT_EQ(f->nextEntry, 0);
}

TEST_F(FontTest, FailedAndEmptyGlyphsAreEmptyWithTheirAdvance) {
    int h = CreateFontToHandle(nullptr, 16, 6, 0, 1, 1, 0);
    FONTREC *f = LookupFontRec(h);
    PlatformTestFailGlyphCode('B');
    int count;
    ASSERT_EQ(CacheTextGlyphs(-1, "B\tC", h, nullptr, &count), 0);
    const FONTGLYPH *b = f->codeMap['B'].glyph;
    const FONTGLYPH *tab = f->codeMap['\t'].glyph;
    const FONTGLYPH *c = f->codeMap['C'].glyph;
    ASSERT_TRUE(b && tab && c);
    EXPECT_EQ(b->width, 0);
    EXPECT_EQ(tab->width, 0);
    EXPECT_EQ(tab->advance, 8);
    EXPECT_GT(c->width, 0);
}

// The edge plane of a type-1 font: body 1, edge 2 where the mask of a body pixel reaches.
TEST_F(FontTest, EdgeMasksBySize) {
    auto inMask = [](int size, int dx, int dy) {
        int ax = std::abs(dx), ay = std::abs(dy);
        if (ax > size || ay > size) return false;
        if (size == 1) return !(ax == 1 && ay == 1);
        if (size == 2) return !(ax == 2 && ay == 2);
        if (size == 3) return (ax <= 2 && ay <= 2) || (ax + ay == 3 && (ax == 0 || ay == 0));
        if (size == 4) return !((ax == 4 && ay >= 3) || (ay == 4 && ax >= 3));
        return true;
    };
    for (int size = 1; size <= 5; ++size) {
        int h = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_EDGE, 1, size, 0);
        FONTREC *f = LookupFontRec(h);
        ASSERT_NE(f, nullptr);
        const unsigned char ch[3] = {'K', 0, 0};
        FONTGLYPH *g = FetchFontGlyph(f, h, ch);
        ASSERT_NE(g, nullptr);
        GLYPHMETRICS gm;
        PlatformTestSyntheticGlyphMetrics(16, 'K', &gm);
        EXPECT_EQ(g->width, (int)gm.gmBlackBoxX + 2 * size);
        EXPECT_EQ(g->advance, gm.gmCellIncX + 2 * size);
        int side = f->cellWidth;
        auto body = [&](int x, int y) {
            x -= size;
            y -= size;
            return x >= 0 && y >= 0 && x < (int)gm.gmBlackBoxX && y < (int)gm.gmBlackBoxY &&
                   PlatformTestSyntheticGlyphLevel('K', x, y) >= 8;
        };
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                int want = 0;
                if (body(x, y)) want = 1;
                else
                    for (int dy = -size; dy <= size && !want; ++dy)
                        for (int dx = -size; dx <= size && !want; ++dx)
                            if (inMask(size, dx, dy) && body(x + dx, y + dy)) want = 2;
                ASSERT_EQ(MemPixel(f, g->cell, x, y), want) << "size " << size << " at " << x << "," << y;
            }
        FreeFontHandle(h);
    }
}

TEST_F(FontTest, RecreateAllFontsKeepsHandlesGapsAndFlags) {
    int a = CreateFontToHandle(nullptr, 20, 3, FONTTYPE_EDGE, 1, 2, 1);
    int b = CreateFontToHandle("Face", 12, 6, 0, 1, 1, 0);
    SetFontCharGap(3, a);
    int32_t flag = 7;
    ASSERT_EQ(AttachFontDeleteFlag(a, &flag), 0);
    EXPECT_EQ(flag, 0);
    ASSERT_EQ(CacheTextGlyphs(-1, "abc", a, nullptr, nullptr), 0);
    ASSERT_EQ(RecreateAllFonts(), 0);
    FONTREC *fa = LookupFontRec(a);
    ASSERT_NE(fa, nullptr);
    ASSERT_NE(LookupFontRec(b), nullptr);
    EXPECT_EQ(fa->charGap, 3);
    EXPECT_EQ(fa->size, 20);
    EXPECT_EQ(fa->edgeSize, 2);
    EXPECT_EQ(fa->italic, 1);
    EXPECT_FALSE(fa->codeMap['a'].used);
    EXPECT_STREQ(LookupFontRec(b)->faceName, "Face");
    EXPECT_EQ(flag, 0);
    FreeFontHandle(a);
    EXPECT_EQ(flag, 1);
}

TEST_F(FontTest, DefaultFontFollowsTheDefaults) {
    int def = FetchDefaultFont();
    ASSERT_NE(LookupFontRec(def), nullptr);
    EXPECT_EQ(SyncDefaultFont(), 0);
    EXPECT_EQ(FetchDefaultFont(), def);
    StoreDefaultFontSize(0, 24, -1);
    EXPECT_NE(FetchDefaultFont(), def);
    EXPECT_EQ(FontHandleSize(FetchDefaultFont()), 24);
    EXPECT_EQ(LookupFontRec(def), nullptr);
    EXPECT_EQ(IsLeadByte("\x81", 1), 1);
    EXPECT_EQ(IsLeadByte("\xA0", 1), 0);
    EXPECT_EQ(IsLeadByte("\xA0", 2), 1);
    EXPECT_EQ(IsLeadByte("\xE0", 0), 1);
}

// ---- the real face ----------------------------------------------------------------

class RealFontTest : public ::testing::Test {
protected:
    void SetUp() override { PlatformTestUseSyntheticFonts(false); }
};

TEST_F(RealFontTest, JapaneseGlyphsHaveInkAndMatchingMetrics) {
    HFONT font = CreateFontA(16, 0, 0, 0, 600, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, NONANTIALIASED_QUALITY,
                             FIXED_PITCH, "ＭＳ ゴシック");
    ASSERT_NE(font, nullptr);
    std::string file = PlatformTestFontFile(font);
    EXPECT_TRUE(file.find("ipag") != std::string::npos || file.find("japanese-gothic") != std::string::npos) << file;
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    SelectObject(dc, font);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc, &tm));
    EXPECT_EQ(tm.tmHeight, 16);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, 16);
    EXPECT_GE(tm.tmMaxCharWidth, 14);
    EXPECT_LE(tm.tmMaxCharWidth, 18);
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    const char *ro = "ロ";  // Shift-JIS 0x83 0x8D
    UINT code = (unsigned char)ro[0] << 8 | (unsigned char)ro[1];
    GLYPHMETRICS gm{}, gray{};
    DWORD size = GetGlyphOutlineA(dc, code, GGO_BITMAP, &gm, 0, nullptr, &identity);
    ASSERT_NE(size, GDI_ERROR);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(size, (gm.gmBlackBoxX + 31) / 32 * 4 * gm.gmBlackBoxY);
    EXPECT_GE(gm.gmBlackBoxX, 8u);
    EXPECT_LE(gm.gmBlackBoxX, 17u);
    EXPECT_GE(gm.gmBlackBoxY, 8u);
    EXPECT_LE((LONG)gm.gmBlackBoxY, tm.tmHeight);
    EXPECT_LE(gm.gmptGlyphOrigin.y, tm.tmAscent);
    EXPECT_GE(gm.gmCellIncX, 15);
    std::vector<uint8_t> bits(size);
    ASSERT_EQ(GetGlyphOutlineA(dc, code, GGO_BITMAP, &gm, size, bits.data(), &identity), size);
    // "ロ" is a box: its top row and its left column are inked.
    int pitch = (gm.gmBlackBoxX + 31) / 32 * 4;
    int inkTop = 0, inkLeft = 0, ink = 0;
    for (UINT y = 0; y < gm.gmBlackBoxY; ++y)
        for (UINT x = 0; x < gm.gmBlackBoxX; ++x) {
            int b = (bits[y * pitch + x / 8] >> (7 - x % 8)) & 1;
            ink += b;
            if (y == 0) inkTop += b;
            if (x == 0) inkLeft += b;
        }
    EXPECT_GT(inkTop, (int)gm.gmBlackBoxX / 2);
    EXPECT_GT(inkLeft, (int)gm.gmBlackBoxY / 2);
    EXPECT_LT(ink, (int)(gm.gmBlackBoxX * gm.gmBlackBoxY) * 3 / 4);  // hollow

    DWORD graySize = GetGlyphOutlineA(dc, code, GGO_GRAY4_BITMAP, &gray, 0, nullptr, &identity);
    ASSERT_NE(graySize, GDI_ERROR);
    EXPECT_EQ(graySize, (gray.gmBlackBoxX + 3) / 4 * 4 * gray.gmBlackBoxY);
    std::vector<uint8_t> levels(graySize);
    ASSERT_EQ(GetGlyphOutlineA(dc, code, GGO_GRAY4_BITMAP, &gray, graySize, levels.data(), &identity), graySize);
    int maxLevel = 0;
    for (uint8_t v : levels) maxLevel = std::max<int>(maxLevel, v);
    EXPECT_EQ(maxLevel, 16);
    EXPECT_EQ(gray.gmCellIncX, gm.gmCellIncX);
    EXPECT_EQ(GetGlyphOutlineA(dc, code, GGO_BITMAP, &gm, 4, bits.data(), &identity), GDI_ERROR);
    // A space has an advance and no bitmap.
    EXPECT_EQ(GetGlyphOutlineA(dc, ' ', GGO_BITMAP, &gm, 0, nullptr, &identity), 0u);
    EXPECT_GT(gm.gmCellIncX, 4);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
}

TEST_F(RealFontTest, FontHandleCachesLegibleGlyphs) {
    StartFontSystem();
    int h = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_EDGE | FONTTYPE_ANTIALIAS, 1, 1, 0);
    ASSERT_NE(h, -1);
    FONTREC *f = LookupFontRec(h);
    int count = 0;
    ASSERT_EQ(CacheTextGlyphs(-1, "ロード中", h, nullptr, &count), 0);
    EXPECT_EQ(count, 4);
    const char *naka = "中";
    const unsigned char ch[3] = {(unsigned char)naka[0], (unsigned char)naka[1], 0};
    FONTGLYPH *g = FetchFontGlyph(f, h, ch);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(f->nextEntry, 4);  // already cached by the batch
    EXPECT_GT(g->width, 2);
    EXPECT_LE(g->width, f->cellWidth);
    EXPECT_GE(g->yOffset, 0);
    EXPECT_LE(g->yOffset + g->height, f->cellHeight + 2);
    int body = 0, edge = 0;
    for (int y = 0; y < g->height; ++y)
        for (int x = 0; x < g->width; ++x) {
            uint8_t v = f->memCache[(size_t)(FontCellY(f, g->cell) + y) * f->memCachePitch + x];
            body += (v & 0x0F) != 0;
            edge += (v >> 4) != 0;
        }
    EXPECT_GT(body, 10);
    EXPECT_GT(edge, body);
    StopFontSystem();
}

}  // namespace
