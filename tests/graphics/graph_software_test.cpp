// Graphs on the software renderer: sources are memory images of the screen's kind, graphs are
// views into them, and palette images find their transparent index in their palette.
#include "graph_fixture.h"

#include "library/base/memory.h"
#include "library/graphics/memimg.h"

namespace {

constexpr uint32_t kKey = 0x7BFA03;

uint32_t Pattern(int x, int y) { return (uint32_t)((x * 9) & 0xFF) << 16 | (uint32_t)((y * 17) & 0xFF) << 8 | 0x21; }

uint32_t Sprite(int x, int y) { return x == 0 || (x == 3 && y == 2) ? kKey : Pattern(x, y); }

uint32_t To565(uint32_t c) { return (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F); }

class GraphSoftwareTest : public GraphTest {
protected:
    void SetUp() override {
        GraphTest::SetUp();
        g_graphBridge.direct3D = 0;
        g_graphBridge.device = nullptr;
    }

    // The colour of pixel (x, y) of a 32-bit graph without alpha.
    static uint32_t Colour(int graph, int x, int y) { return ViewPixel(graph, x, y) & 0xFFFFFF; }

    // The pixel value (x, y) of a graph's view.
    static uint32_t ViewPixel(int graph, int x, int y) {
        MEMIMG *view = GraphMemImg(GetGraphEntry(graph));
        int bytes = MemImgBytesPerPixel(view->base);
        return LoadPixelValue(view->pixels + (size_t)y * view->base->pitch + (size_t)x * bytes, bytes);
    }
};

TEST_F(GraphSoftwareTest, FilesLoadIntoMemoryImagesOfTheScreenKind) {
    WriteFile("sprite.bmp", Bmp24(7, 5, Sprite));
    struct Case {
        int screenBits;
        int format;
        int bytes;
        uint32_t (*pixel)(uint32_t);
    };
    const Case cases[] = {
        {32, GRAPHFMT_SOFT32, 4, [](uint32_t c) { return c; }},
        {16, GRAPHFMT_SOFT16, 2, To565},
    };
    for (const Case &c : cases) {
        g_graphBridge.screenBits = c.screenBits;
        int g = LoadGraphFile("sprite.bmp", 0, 0, 0);
        ASSERT_NE(g, -1) << c.screenBits;
        GRAPHENTRY *e = GetGraphEntry(g);
        GRAPHSOURCE *s = e->source;
        EXPECT_EQ(s->formatCode, c.format);
        EXPECT_EQ(s->desc.hardware, 0);
        EXPECT_EQ(s->desc.software, 1);
        EXPECT_EQ(s->desc.drawable, 1);
        MEMIMG *view = GraphMemImg(e);
        ASSERT_TRUE(IsMemImgValid(view));
        EXPECT_EQ(view->base, GraphSoftSource(s)->image.base);
        EXPECT_EQ(MemImgBytesPerPixel(view->base), c.bytes);
        // The key colour lands on the image's transparent code, the rest keeps its colour.
        uint32_t colourBits = c.bytes == 4 ? 0xFFFFFFu : 0xFFFFu;
        EXPECT_EQ(view->base->transparentCode & colourBits, c.pixel(kKey));
        EXPECT_EQ(ViewPixel(g, 3, 2), view->base->transparentCode);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(ViewPixel(g, x, y) & colourBits, c.pixel(Sprite(x, y)))
                    << c.screenBits << ": " << x << "," << y;
        EXPECT_NE(e->restoreFile, nullptr);
        DestroyGraph(g);
    }
    EXPECT_EQ(g_graphs.count, 0);
}

TEST_F(GraphSoftwareTest, DivisionsAreViewsThatKeepTheImageAlive) {
    WriteFile("cells.bmp", Bmp24(8, 4, Pattern));
    int cells[4];
    ASSERT_EQ(LoadDivGraphFile("cells.bmp", 4, 2, 2, 4, 2, cells, 0, 0), 0);
    MEMIMGBASE *body = GraphMemImg(GetGraphEntry(cells[0]))->base;
    // Four views and the source's own image.
    EXPECT_EQ(body->refCount, 5);
    for (int i = 0; i < 4; ++i) {
        int cx = (i % 2) * 4, cy = (i / 2) * 2;
        MEMIMG *view = GraphMemImg(GetGraphEntry(cells[i]));
        EXPECT_EQ(view->width, 4);
        EXPECT_EQ(view->height, 2);
        EXPECT_EQ(Colour(cells[i], 1, 1), Pattern(cx + 1, cy + 1)) << i;
    }
    // Filling one cell leaves its neighbours alone.
    EXPECT_EQ(FillGraphColour(cells[1], 300, 0, -4, 255), 0);
    EXPECT_EQ(Colour(cells[1], 3, 1), 0xFF0000u);
    EXPECT_EQ(Colour(cells[0], 3, 1), Pattern(3, 1));
    EXPECT_EQ(Colour(cells[3], 0, 0), Pattern(4, 2));
    for (int i = 0; i < 3; ++i) DestroyGraph(cells[i]);
    EXPECT_EQ(body->refCount, 2);
    EXPECT_EQ(Colour(cells[3], 3, 1), Pattern(7, 3));
    // The last cell frees the body (the sanitizer build sees a leak otherwise).
    DestroyGraph(cells[3]);
    EXPECT_EQ(g_graphs.count, 0);
}

TEST_F(GraphSoftwareTest, BlankGraphsWithAlphaAndDrawImagesAreReleased) {
    SetBlankGraphAlpha(1);
    int g = CreateBlankGraph(5, 3);
    ASSERT_NE(g, -1);
    GRAPHSOURCE *s = GetGraphEntry(g)->source;
    EXPECT_EQ(s->formatCode, GRAPHFMT_SOFT32_ALPHA);
    EXPECT_EQ(GraphSoftSource(s)->image.base->alphaFlag, 1);
    EXPECT_EQ(FillGraphColour(g, 1, 2, 3, 4), 0);
    EXPECT_EQ(ViewPixel(g, 4, 2), 0x04010203u);
    // The image made when the graph is drawn to goes with the source.
    auto *drawImage = (MEMIMG *)MEM_ALLOC_ZERO(sizeof(MEMIMG));
    ASSERT_EQ(MakeScreenMemImg(drawImage, 5, 3, 1), 0);
    GraphSoftSource(s)->drawImage = drawImage;
    // A lost device has nothing to take from software graphs.
    ReleaseAllGraphTextures();
    RecreateAllGraphTextures();
    EXPECT_EQ(GraphSoftSource(s)->drawImage, drawImage);
    EXPECT_EQ(DestroyGraph(g), 0);
    SetBlankGraphAlpha(0);
    g_graphs.colourBits = 16;
    g = CreateBlankGraph(5, 3);
    EXPECT_EQ(GetGraphEntry(g)->source->formatCode, GRAPHFMT_SOFT16);
}

TEST_F(GraphSoftwareTest, PaletteImagesTakeTheKeyIndexOrIndexZero) {
    struct Case {
        int screenBits;
        std::vector<uint32_t> palette;
        uint32_t index;
    };
    const Case cases[] = {
        {32, {0x102030, 0x405060, kKey, kKey, 0x708090}, 2},
        {16, {0x102030, 0x405060, 0x708090, kKey}, 3},
        // The 16-bit comparison is on the 565 form: a near colour of the same form matches.
        {16, {0x102030, kKey ^ 0x010101}, 1},
        {32, {0x102030, kKey ^ 0x010101}, 0},
        {32, {0x102030, 0x405060}, 0},
    };
    for (const Case &c : cases) {
        g_graphBridge.screenBits = c.screenBits;
        Bytes data(4 * 2);
        for (size_t i = 0; i < data.size(); ++i) data[i] = (uint8_t)(i % c.palette.size());
        WriteFile("pal.bmp", MakeBmp(3, 2, 8, 0, c.palette, {}, data));
        int g = LoadGraphFile("pal.bmp", 0, 0, 0);
        ASSERT_NE(g, -1);
        GRAPHSOURCE *s = GetGraphEntry(g)->source;
        EXPECT_EQ(s->desc.palette, 1);
        MEMIMGBASE *body = GraphSoftSource(s)->image.base;
        EXPECT_EQ(body->paletteFlag, 1);
        EXPECT_EQ(body->transparentCode, c.index) << c.screenBits << " " << c.palette.size();
        // Indices are kept as the file gives them (bottom row first in the file).
        EXPECT_EQ(ViewPixel(g, 1, 1), 1u % c.palette.size());
        DestroyGraph(g);
    }
}

TEST_F(GraphSoftwareTest, AlphaCompanionGivesAnAlphaImage) {
    WriteFile("lit.bmp", Bmp24(4, 2, Pattern));
    WriteFile("lit_a.bmp", Bmp24(4, 2, [](int x, int) { return (uint32_t)(x * 80) * 0x010101u; }));
    int g = LoadGraphFile("lit.bmp", 0, 0, 0);
    ASSERT_NE(g, -1);
    EXPECT_EQ(GetGraphEntry(g)->source->formatCode, GRAPHFMT_SOFT32_ALPHA);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(ViewPixel(g, x, 1), (uint32_t)(x * 80) << 24 | Pattern(x, 1)) << x;
}

}  // namespace
