// Glyph caches in graph textures on the Direct3D stand-in, over synthetic glyphs: the cache
// graph and its edge half, cell pixels as coverage in alpha, and a lost cache graph remade.
#include "graph_fixture.h"
#include "library/graphics/font.h"
#include "platform/gdi32/gdi32.h"

namespace {

class FontTextureTest : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        PlatformTestUseSyntheticFonts(true);
        g_fontTextureHooks = kGraphFontTextures;
        StartFontSystem();
    }
    void TearDown() override {
        StopFontSystem();
        PlatformTestUseSyntheticFonts(false);
        GraphTest::TearDown();
    }
    static int Level(unsigned code, int x, int y) { return PlatformTestSyntheticGlyphLevel(code, x, y); }
};

// 中 (0x92 0x86): the glyph call takes 0x9286; at size 16 its box is 15 x (14 - 0x9286 % 3) = 15 x 13.
constexpr unsigned kNaka = 0x9286;
constexpr int kBoxW = 15, kBoxH = 13;

}  // namespace

TEST_F(FontTextureTest, EdgedCacheGraphHoldsBodyAndEdgePlanes) {
    int font = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_EDGE, 1, 1, 0);
    ASSERT_NE(font, -1);
    const FONTREC *f = LookupFontRec(font);
    ASSERT_EQ(f->textureCache, 1);
    EXPECT_EQ(f->cellWidth, 24);
    EXPECT_EQ(f->capacity, 441);
    int w = 0, h = 0;
    ASSERT_EQ(GetGraphSize(f->cacheGraph, &w, &h), 0);
    EXPECT_EQ(w, 1024);  // the edge plane to the right of the 512 x 512 cache
    EXPECT_EQ(h, 512);
    ASSERT_EQ(GetGraphSize(f->edgeCacheGraph, &w, &h), 0);
    EXPECT_EQ(w, 512);
    EXPECT_EQ(f->needsTexture, 0);
    EXPECT_EQ(f->cacheImage.width, 1024);

    int count = 0;
    ASSERT_EQ(CacheTextGlyphs(-1, "中", font, nullptr, &count), 0);
    // Cell 0 at (0, 0); the box sits at (edge, edge). Set pixels are opaque, others clear.
    auto body = [](int x, int y) {
        return x >= 1 && y >= 1 && x <= kBoxW && y <= kBoxH && Level(kNaka, x - 1, y - 1) >= 8;
    };
    int bodyPixels = 0, edgeOnly = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            bool b = body(x, y);
            bool e = b || body(x - 1, y) || body(x + 1, y) || body(x, y - 1) || body(x, y + 1);
            uint32_t bodyTexel = GraphPixel(f->cacheGraph, x, y);
            uint32_t edgeTexel = GraphPixel(f->cacheGraph, 512 + x, y);
            ASSERT_EQ(bodyTexel >> 24, b ? 0xFFu : 0u);
            ASSERT_EQ(edgeTexel >> 24, e ? 0xFFu : 0u);
            if (b) {
                ASSERT_EQ(bodyTexel, 0xFFFFFFFFu);  // white
            }
            ASSERT_EQ(GraphPixel(f->edgeCacheGraph, x, y), edgeTexel);
            bodyPixels += b;
            edgeOnly += e && !b;
        }
    EXPECT_GT(bodyPixels, 20);
    EXPECT_GT(edgeOnly, 20);

    int graph = f->cacheGraph, edgeGraph = f->edgeCacheGraph;
    EXPECT_EQ(FreeFontHandle(font), 0);
    EXPECT_FALSE(IsGraphHandleValid(graph));
    EXPECT_FALSE(IsGraphHandleValid(edgeGraph));
}

TEST_F(FontTextureTest, AntialiasedCellsCarryTheGreyLevelInAlpha) {
    int font = CreateFontToHandle(nullptr, 16, 6, FONTTYPE_ANTIALIAS, 1, -1, 0);
    ASSERT_NE(font, -1);
    const FONTREC *f = LookupFontRec(font);
    ASSERT_EQ(f->textureCache, 1);
    EXPECT_EQ(f->edgeCacheGraph, -1);
    ASSERT_EQ(CacheTextGlyphs(-1, "A中", font, nullptr, nullptr), 0);
    // 中 is the second glyph: cell 1, one cell down the first column.
    int top = f->cellWidth;
    for (int y = 0; y < kBoxH; ++y)
        for (int x = 0; x < kBoxW; ++x) {
            int level = Level(kNaka, x, y);
            // 16ths of coverage in a 4-bit alpha: level, or 15 for a full pixel.
            ASSERT_EQ(GraphPixel(f->cacheGraph, x, top + y) >> 28, (uint32_t)(level > 15 ? 15 : level))
                << x << "," << y;
        }
}

TEST_F(FontTextureTest, ALostCacheGraphIsRemadeAndRefilled) {
    int font = CreateFontToHandle(nullptr, 16, 6, 0, 1, -1, 0);
    ASSERT_NE(font, -1);
    FONTREC *f = LookupFontRec(font);
    ASSERT_EQ(CacheTextGlyphs(-1, "中", font, nullptr, nullptr), 0);
    int first = f->cacheGraph;
    // Asking again while the graph lives changes nothing.
    ASSERT_EQ(SetupFontCacheTexture(font), 0);
    EXPECT_EQ(f->cacheGraph, first);
    EXPECT_EQ(f->needsTexture, 0);

    DestroyGraph(first);  // as when every graph goes with the device
    EXPECT_EQ(f->needsTexture, 1);
    ASSERT_EQ(SetupFontCacheTexture(font), 0);
    EXPECT_EQ(f->needsTexture, 0);
    ASSERT_TRUE(IsGraphHandleValid(f->cacheGraph));
    EXPECT_EQ(f->codeMap[0x8692].used, 0);  // the cache starts empty
    ASSERT_EQ(CacheTextGlyphs(-1, "中", font, nullptr, nullptr), 0);
    int x = 0;
    while (x < kBoxW && Level(kNaka, x, 0) < 8) ++x;
    ASSERT_LT(x, kBoxW);
    EXPECT_EQ(GraphPixel(f->cacheGraph, x, 0) >> 24, 0xFFu);
    EXPECT_EQ(GraphPixel(f->cacheGraph, kBoxW + 1, 0) >> 24, 0u);
}
