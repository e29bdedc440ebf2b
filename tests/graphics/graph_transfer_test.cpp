// Image files as graphs: pixels in the textures with the key colour transparent, graphs over
// several tiles, the restore after a lost device, and mip levels copied row by row.
#include "graph_fixture.h"

#include <cstring>

#include "library/base/memory.h"

namespace {

class GraphTransferTest : public GraphTest {};

constexpr uint32_t kKey = 0x7BFA03;

uint32_t Pattern(int x, int y) { return (uint32_t)((x * 7) & 0xFF) << 16 | (uint32_t)((y * 13) & 0xFF) << 8 | 0x40; }

// The sprite: a pattern with a key-coloured frame and a key pixel in the middle.
uint32_t Sprite(int x, int y) {
    if (x == 0 || y == 0 || (x == 5 && y == 4)) return kKey;
    return Pattern(x, y);
}

TEST_F(GraphTransferTest, FileLoadsWithItsPixelsAndTheKeyColourTransparent) {
    WriteFile("sprite.bmp", Bmp24(12, 10, Sprite));
    int g = LoadGraphFile("sprite.bmp", 0, 0, 0);
    ASSERT_NE(g, -1);
    GRAPHENTRY *e = GetGraphEntry(g);
    // An image without alpha gets one-bit alpha so the key can be tested away.
    EXPECT_EQ(e->source->formatCode, GRAPHFMT_ALPHATEST32);
    EXPECT_EQ(e->texPartCount, 1);
    EXPECT_EQ(GraphTiles(e->source)[0].textureWidth, 16);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            uint32_t want = Sprite(x, y) == kKey ? kKey : 0xFF000000u | Pattern(x, y);
            ASSERT_EQ(GraphPixel(g, x, y), want) << x << "," << y;
        }
    }
    ASSERT_NE(e->restoreFile, nullptr);
    EXPECT_NE(std::string(e->restoreFile->path).find("sprite.bmp"), std::string::npos);
}

TEST_F(GraphTransferTest, SixteenBitScreenConvertsIntoOneBitAlpha) {
    g_graphBridge.screenBits = 16;
    WriteFile("sprite.bmp", Bmp24(12, 10, Sprite));
    int g = LoadGraphFile("sprite.bmp", 0, 0, 0);
    ASSERT_NE(g, -1);
    EXPECT_EQ(GetGraphEntry(g)->source->formatCode, GRAPHFMT_ALPHATEST16);
    EXPECT_EQ(GraphPixel(g, 0, 0) >> 24, 0u);
    uint32_t p = GraphPixel(g, 3, 2);
    EXPECT_EQ(p >> 24, 0xFFu);
    // Five bits a channel: the top bits of the pattern survive.
    EXPECT_EQ((p >> 16 & 0xF8), (Pattern(3, 2) >> 16 & 0xF8));
    EXPECT_EQ((p >> 8 & 0xF8), (Pattern(3, 2) >> 8 & 0xF8));
}

TEST_F(GraphTransferTest, WideGraphSpansTilesWithTheirOwnParts) {
    WriteFile("wide.bmp", Bmp24(700, 6, Pattern));
    int g = LoadGraphFile("wide.bmp", 0, 0, 0);
    ASSERT_NE(g, -1);
    GRAPHENTRY *e = GetGraphEntry(g);
    ASSERT_EQ(e->texPartCount, 3);
    TEXPART *p = GraphTexParts(e);
    EXPECT_EQ(p[0].width, 512);
    EXPECT_EQ(p[1].graphX, 512);
    EXPECT_EQ(p[1].width, 128);
    EXPECT_EQ(p[2].graphX, 640);
    EXPECT_EQ(p[2].width, 60);
    EXPECT_EQ(p[2].tile->textureWidth, 64);
    EXPECT_FLOAT_EQ(p[2].corners[1].u, 60.0f / 64.0f);
    EXPECT_FLOAT_EQ(p[2].corners[3].v, 6.0f / 8.0f);
    for (int x : {0, 511, 512, 639, 640, 699})
        for (int y : {0, 5}) EXPECT_EQ(GraphPixel(g, x, y), 0xFF000000u | Pattern(x, y)) << x;

    // A sub-graph across the seam: two parts, positions relative to the sub-graph.
    int sub = CreateSubGraph(500, 1, 30, 4, g);
    ASSERT_NE(sub, -1);
    GRAPHENTRY *s = GetGraphEntry(sub);
    ASSERT_EQ(s->texPartCount, 2);
    TEXPART *sp = GraphTexParts(s);
    EXPECT_EQ(sp[0].tileX, 500);
    EXPECT_EQ(sp[0].width, 12);
    EXPECT_EQ(sp[1].graphX, 12);
    EXPECT_EQ(sp[1].tileX, 0);
    EXPECT_EQ(sp[1].width, 18);
    EXPECT_EQ(GraphPixel(sub, 12, 0), 0xFF000000u | Pattern(512, 1));
    // Corner flags: on or above the falling diagonal of the 30 x 4 sub-graph.
    EXPECT_EQ(sp[0].cornerFlags[0], 1);  // (0, 0)
    EXPECT_EQ(sp[1].cornerFlags[3], 0);  // (30, 4)
    EXPECT_EQ(sp[0].cornerFlags[2], 1);  // (0, 4) lies on it
}

TEST_F(GraphTransferTest, GraphsRestoreFromTheirFilesAfterTheTexturesAreLost) {
    WriteFile("a.bmp", Bmp24(20, 12, Pattern));
    WriteFile("b.bmp", Bmp24(8, 8, Sprite));
    int cells[2];
    ASSERT_EQ(LoadDivGraphFile("a.bmp", 2, 2, 1, 10, 12, cells, 0, 0), 0);
    int b = LoadGraphFile("b.bmp", 0, 0, 0);
    int blank = CreateBlankGraph(8, 8);
    ASSERT_NE(b, -1);
    ASSERT_NE(blank, -1);
    int objects = D3D9TestLiveObjects();
    ReleaseAllGraphTextures();
    EXPECT_LT(D3D9TestLiveObjects(), objects);
    RecreateAllGraphTextures();
    EXPECT_EQ(D3D9TestLiveObjects(), objects);
    EXPECT_EQ(GraphPixel(cells[1], 3, 3), 0u);  // recreated cleared
    Log();
    RestoreGraphsFromFiles();
    EXPECT_NE(Log().find("グラフィックを復帰します"), std::string::npos);
    EXPECT_EQ(GraphPixel(cells[0], 3, 3), 0xFF000000u | Pattern(3, 3));
    EXPECT_EQ(GraphPixel(cells[1], 3, 3), 0xFF000000u | Pattern(13, 3));
    EXPECT_EQ(GraphPixel(b, 0, 0), kKey);
    EXPECT_EQ(GraphPixel(b, 2, 2), 0xFF000000u | Pattern(2, 2));
    EXPECT_EQ(GraphPixel(blank, 2, 2), 0xFF000000u);  // plain, cleared black
    // A file gone since is skipped; the others still come back.
    std::filesystem::remove(dir_ / "b.bmp");
    ReleaseAllGraphTextures();
    RecreateAllGraphTextures();
    RestoreGraphsFromFiles();
    EXPECT_EQ(GraphPixel(cells[1], 3, 3), 0xFF000000u | Pattern(13, 3));
    EXPECT_EQ(GraphPixel(b, 2, 2), 0u);
}

TEST_F(GraphTransferTest, DrawableGraphsTakeImagesThroughAStagingSurfaceAndFill) {
    SetDrawableGraphMode(1);
    WriteFile("a.bmp", Bmp24(20, 12, Pattern));
    int g = LoadGraphFile("a.bmp", 0, 0, 0);
    SetDrawableGraphMode(0);
    ASSERT_NE(g, -1);
    EXPECT_EQ(GetGraphEntry(g)->source->desc.drawable, 1);
    EXPECT_EQ(GraphPixel(g, 19, 11) & 0xFFFFFF, Pattern(19, 11));
    EXPECT_EQ(FillGraphColour(g, 300, 20, -4, 255), 0);
    EXPECT_EQ(GraphPixel(g, 5, 5) & 0xFFFFFF, 0xFF1400u);
    int plain = CreateBlankGraph(8, 8);
    EXPECT_EQ(FillGraphColour(plain, 1, 2, 3, 4), -1);
}

// Mip chains: each level from the halving of the one before, written into the lock row by row.
TEST_F(GraphTransferTest, MipChainLevelsAreHalvedWithTheirOwnSizeAndPitch) {
    g_drawState.mipLevels = -1;
    // 16 x 4: levels 16x4, 8x2, 4x1, 2x1, 1x1.
    auto colour = [](int x, int y) { return (uint32_t)(x * 16) << 16 | (uint32_t)(y * 64) << 8 | 0x80; };
    WriteFile("m.bmp", Bmp24(16, 4, colour));
    int g = LoadGraphFile("m.bmp", 0, 0, 0);
    ASSERT_NE(g, -1);
    GRAPHTILE &tile = GraphTiles(GetGraphEntry(g)->source)[0];
    ASSERT_EQ(tile.textureWidth, 16);
    ASSERT_EQ(tile.textureHeight, 8);  // the shortest piece is 8
    ASSERT_EQ((int)tile.texture->GetLevelCount(), 5);
    std::vector<uint32_t> l0 = LevelPixels(tile.texture, 0);
    EXPECT_EQ(l0[3 * 16 + 15] & 0xFFFFFF, colour(15, 3));
    std::vector<uint32_t> l1 = LevelPixels(tile.texture, 1);
    ASSERT_EQ(l1.size(), 8u * 4u);
    // (x 2..3, y 0..1) averages to red (32 + 48) / 2 = 40, green (0 + 64) / 2 = 32.
    EXPECT_EQ(l1[1] & 0xFFFFFF, 0x282080u);
    std::vector<uint32_t> l3 = LevelPixels(tile.texture, 3);
    ASSERT_EQ(l3.size(), 2u * 1u);
    std::vector<uint32_t> l4 = LevelPixels(tile.texture, 4);
    ASSERT_EQ(l4.size(), 1u);
}

// A DXT1 image of 9 levels (16 x 16 down to 1 x 1): every 4 x 4 block one solid colour, copied raw.
Bytes SolidDxt1Levels(int size, int levels, uint16_t colour) {
    Bytes data;
    for (int i = 0; i < levels; ++i) {
        int side = std::max(1, size >> i);
        int blocks = ((side + 3) / 4) * ((side + 3) / 4);
        for (int b = 0; b < blocks; ++b) {
            PutU16(data, colour);
            PutU16(data, 0);
            PutU32(data, 0);  // every index 0: colour 0
        }
    }
    return data;
}

TEST_F(GraphTransferTest, DxtLevelsAreCopiedRawBlockRowByBlockRow) {
    const uint32_t masks[4] = {0, 0, 0, 0};
    Bytes file = MakeDds(16, 16, 0x1007 | 0x20000, 0, 5, 0x4, FourCCOf("DXT1"), 0, masks, 0x401008,
                         SolidDxt1Levels(16, 5, 0xF800));
    WriteFile("d.dds", file);
    int g = LoadGraphFile("d.dds", 0, 0, 0);
    ASSERT_NE(g, -1);
    GRAPHSOURCE *source = GetGraphEntry(g)->source;
    EXPECT_EQ(source->formatCode, GRAPHFMT_DXT1);
    GRAPHTILE &tile = GraphTiles(source)[0];
    ASSERT_EQ((int)tile.texture->GetLevelCount(), 5);
    for (int level = 0; level < 5; ++level) {
        std::vector<uint32_t> px = LevelPixels(tile.texture, level);
        ASSERT_FALSE(px.empty());
        EXPECT_EQ(px.back() & 0xFFFFFF, 0xFF0000u) << level;
        EXPECT_EQ(px.front() & 0xFFFFFF, 0xFF0000u) << level;
    }
    // A partial reload cannot convert into DXT: logged, the tile keeps its contents.
    BASEIMAGE plain;
    ASSERT_EQ(AllocBaseImageXRGB8(8, 8, &plain), 0);
    std::memset(plain.pixels, 0, (size_t)plain.pitch * 8);
    Log();
    RECT part{0, 0, 8, 8};
    EXPECT_EQ(TransferImageToGraphTextures(g, &part, 0, 0, &plain, nullptr, 0), 0);
    EXPECT_NE(Log().find("DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません"),
              std::string::npos);
    EXPECT_EQ(LevelPixels(tile.texture, 0)[0] & 0xFFFFFF, 0xFF0000u);
    FreeBaseImage(&plain);
}

// DXT pictures whose sides are no power of two: the blocks do not cover the texture, so they are
// expanded into a plain texture instead of a DXT one (which would stay black). Every block one
// colour; DXT5 blocks fully opaque.
TEST_F(GraphTransferTest, DxtPicturesOfOtherSidesDrawTheirPixels) {
    auto blockColour = [](int bx, int by) { return (uint16_t)((bx * 6 + 3) << 11 | (by * 12 + 5) << 5 | (bx + by + 9)); };
    auto expand565 = [](uint16_t c) {
        return (uint32_t)(c >> 11 & 31) << 19 | (uint32_t)(c >> 5 & 63) << 10 | (uint32_t)(c & 31) << 3;
    };
    for (const char *kind : {"DXT1", "DXT5"}) {
        for (int side : {12, 20}) {
            SCOPED_TRACE(std::string(kind) + " " + std::to_string(side));
            const bool five = kind[3] == '5';
            Bytes blocks;
            for (int by = 0; by < side / 4; ++by)
                for (int bx = 0; bx < side / 4; ++bx) {
                    if (five) {
                        blocks.push_back(255);  // alpha 0
                        blocks.push_back(0);
                        for (int i = 0; i < 6; ++i) blocks.push_back(0);  // every index 0: alpha 255
                    }
                    PutU16(blocks, blockColour(bx, by));
                    PutU16(blocks, 0);
                    PutU32(blocks, 0);
                }
            const uint32_t masks[4] = {0, 0, 0, 0};
            WriteFile("odd.dds", MakeDds(side, side, 0x1007, 0, 0, 0x4, FourCCOf(kind), 0, masks, 0x1000, blocks));
            int g = LoadGraphFile("odd.dds", 0, 0, 0);
            ASSERT_NE(g, -1);
            GRAPHSOURCE *source = GetGraphEntry(g)->source;
            EXPECT_LT(source->formatCode, GRAPHFMT_DXT1);
            for (int y = 0; y < side; ++y)
                for (int x = 0; x < side; ++x) {
                    const uint32_t p = GraphPixel(g, x, y);
                    ASSERT_EQ(p >> 24, 0xFFu) << x << "," << y;
                    ASSERT_EQ(p & 0xF8FCF8, expand565(blockColour(x / 4, y / 4))) << x << "," << y;
                }
            DestroyGraph(g);
        }
    }
}

TEST_F(GraphTransferTest, ReloadFromBaseImageChecksTheSize) {
    int g = CreateBlankGraph(8, 8);
    BASEIMAGE image;
    ASSERT_EQ(AllocBaseImageXRGB8(8, 8, &image), 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) WriteBaseImagePixel(&image, x, y, x * 30, y * 30, 7, 255);
    EXPECT_EQ(ReloadGraphFromBaseImage(&image, nullptr, g, 0, 1, 1), 0);
    // Mirrored now, and back afterwards in the caller's image.
    EXPECT_EQ(GraphPixel(g, 0, 2) & 0xFFFFFF, (uint32_t)(7 * 30) << 16 | 60 << 8 | 7);
    int r, gg, b, a;
    ReadBaseImagePixel(&image, 0, 0, &r, &gg, &b, &a);
    EXPECT_EQ(r, 0);
    BASEIMAGE small;
    ASSERT_EQ(AllocBaseImageXRGB8(4, 8, &small), 0);
    EXPECT_EQ(ReloadGraphFromBaseImage(&small, nullptr, g, 0, 0, 0), -1);
    FreeBaseImage(&small);
    FreeBaseImage(&image);
}

TEST_F(GraphTransferTest, MemoryImagesMakeGraphs) {
    Bytes file = Bmp24(6, 5, Pattern);
    int g = MakeGraphFromMemory(file.data(), (int)file.size(), nullptr, 0, 0, 0);
    ASSERT_NE(g, -1);
    EXPECT_EQ(GraphPixel(g, 5, 4), 0xFF000000u | Pattern(5, 4));
    EXPECT_EQ(GetGraphEntry(g)->restoreFile, nullptr);
    EXPECT_EQ(ReloadGraphFromMemory(file.data(), (int)file.size(), g, nullptr, 0, 0, 0), 0);
    Bytes broken(file.begin(), file.begin() + 20);
    EXPECT_EQ(MakeGraphFromMemory(broken.data(), (int)broken.size(), nullptr, 0, 0, 0), -1);
}

}  // namespace

namespace {

// A stand-in movie layer whose frame is either an image or a device surface.
BASEIMAGE g_movieFrame;
IDirect3DSurface9 *g_movieSurface = nullptr;
void (*g_frameCallback)(int, int) = nullptr;
int g_frameValue = -1;

int OpenFrameMovie(const char *, int *w, int *h, int) {
    *w = 20;
    *h = 10;
    return 7;
}
int CloseFrameMovie(int) { return 0; }
int SetFrameCallback(int, void (*callback)(int, int), int value) {
    g_frameCallback = callback;
    g_frameValue = value;
    return 0;
}
BASEIMAGE *FrameImage(int) { return &g_movieFrame; }
IDirect3DSurface9 *FrameSurface(int) { return g_movieSurface; }

TEST_F(GraphTransferTest, MovieFramesReachTheirGraphFromImagesOrSurfaces) {
    GRAPHBRIDGE &b = g_graphBridge;
    b.openMovie = OpenFrameMovie;
    b.closeMovie = CloseFrameMovie;
    b.setMovieFrameCallback = SetFrameCallback;
    b.movieFrameImage = FrameImage;
    b.movieFrameSurface = FrameSurface;
    ASSERT_EQ(AllocBaseImageXRGB8(20, 10, &g_movieFrame), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            uint32_t c = Pattern(x, y);
            std::memcpy(g_movieFrame.pixels + y * g_movieFrame.pitch + x * 4, &c, 4);
        }
    WriteFile("clip.ogv", Bytes(32, 0x55));

    for (int direct : {1, 0}) {
        b.direct3D = direct;
        b.device = direct ? dev_ : nullptr;
        int g = LoadGraphFile("clip.ogv", 0, 0, 0);
        ASSERT_NE(g, -1) << direct;
        ASSERT_EQ(g_frameValue, g);
        g_frameCallback(7, g);
        if (direct) {
            EXPECT_EQ(GraphPixel(g, 19, 9) & 0xFFFFFF, Pattern(19, 9));
            // A frame the decoder keeps on the device is stretched onto the tile.
            ASSERT_EQ(dev_->CreateRenderTarget(20, 10, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                               &g_movieSurface, nullptr),
                      D3D_OK);
            dev_->ColorFill(g_movieSurface, nullptr, 0xFF336699);
            g_frameCallback(7, g);
            EXPECT_EQ(GraphPixel(g, 0, 0) & 0xFFFFFF, 0x336699u);
            EXPECT_EQ(GraphPixel(g, 19, 9) & 0xFFFFFF, 0x336699u);
            g_movieSurface->Release();
            g_movieSurface = nullptr;
        } else {
            MEMIMG *view = GraphMemImg(GetGraphEntry(g));
            uint32_t p = LoadPixelValue(view->pixels + 9 * view->base->pitch + 19 * 4, 4);
            EXPECT_EQ(p & 0xFFFFFF, Pattern(19, 9));
        }
        DestroyGraph(g);
    }
    FreeBaseImage(&g_movieFrame);
}

}  // namespace
