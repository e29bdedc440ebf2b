// The graph table: check counts, stale handles, the used range, sub-graphs and divisions,
// deletion without leaks, the file record and the missing-file log.
#include "graph_fixture.h"

#include "library/graphics/mask.h"

namespace {

class GraphHandleTest : public GraphTest {};

TEST_F(GraphHandleTest, CheckCountsWrapAfter2048AndStaleHandlesFail) {
    int first = AllocGraphHandle();
    EXPECT_EQ((first >> 16) & 0x7FF, 0);
    EXPECT_EQ((first >> 27) & 0xF, HTYPE_GRAPH);
    EXPECT_EQ(DestroyGraph(first), 0);
    int handle = -1;
    for (int i = 1; i < 2048; ++i) {
        handle = AllocGraphHandle();
        if (i < 2047) DestroyGraph(handle);
    }
    EXPECT_EQ((handle >> 16) & 0x7FF, 2047);
    DestroyGraph(handle);
    int again = AllocGraphHandle();
    EXPECT_EQ((again >> 16) & 0x7FF, 0);
    // Same slot and the same count as the first: only a handle whose count differs is stale.
    int stale = (first & ~(0x7FF << 16)) | (5 << 16);
    EXPECT_EQ(GetGraphEntry(stale), nullptr);
    EXPECT_EQ(DestroyGraph(stale), -1);
    EXPECT_EQ(IsGraphHandleValid(again), 1);
    EXPECT_EQ(IsGraphHandleValid(-1), 0);
    EXPECT_EQ(IsGraphHandleValid(again | (3 << 27)), 0);  // another type
    DestroyGraph(again);
    EXPECT_EQ(IsGraphHandleValid(again), 0);
}

TEST_F(GraphHandleTest, UsedRangeShrinksPastFreeSlots) {
    int a = AllocGraphHandle(), b = AllocGraphHandle(), c = AllocGraphHandle();
    EXPECT_EQ(g_graphs.usedEnd, 3);
    DestroyGraph(b);
    EXPECT_EQ(g_graphs.usedEnd, 3);
    DestroyGraph(c);
    EXPECT_EQ(g_graphs.usedEnd, 1);
    DestroyGraph(a);
    EXPECT_EQ(g_graphs.usedEnd, 0);
    EXPECT_EQ(AllocGraphHandle() & 0xFFFF, 0);
}

TEST_F(GraphHandleTest, DeletedFlagIsSetOnDeletion) {
    int flag = 7;
    int g = CreateBlankGraph(16, 16);
    ASSERT_NE(g, -1);
    EXPECT_EQ(SetGraphDeletedFlag(g, &flag), 0);
    EXPECT_EQ(flag, 0);
    DestroyGraph(g);
    EXPECT_EQ(flag, 1);
}

TEST_F(GraphHandleTest, SubGraphBoundsAndCutting) {
    int parent = CreateBlankGraph(40, 30);
    ASSERT_NE(parent, -1);
    EXPECT_EQ(CreateSubGraph(40, 0, 5, 5, parent), -1);
    EXPECT_EQ(CreateSubGraph(0, 30, 5, 5, parent), -1);
    EXPECT_EQ(CreateSubGraph(-1, 0, 5, 5, parent), -1);
    EXPECT_EQ(CreateSubGraph(0, 0, 5, 5, -1), -1);
    int sub = CreateSubGraph(30, 20, 50, 50, parent);
    ASSERT_NE(sub, -1);
    int w, h;
    GetGraphSize(sub, &w, &h);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 10);
    GRAPHENTRY *e = GetGraphEntry(sub);
    EXPECT_EQ(e->sourceX, 30);
    EXPECT_EQ(e->sourceY, 20);
    EXPECT_EQ(e->source, GetGraphEntry(parent)->source);
    EXPECT_EQ(e->source->refCount, 2);
}

TEST_F(GraphHandleTest, DivisionOrderTurnAndSharedSourceLife) {
    WriteFile("cells.bmp", Bmp24(32, 16, [](int x, int y) { return (uint32_t)(x / 8 * 40) << 16 | (uint32_t)(y * 10); }));
    int cells[5];
    // Five cells of a 4 x 2 grid, rows filled from the right.
    ASSERT_EQ(LoadDivGraphFile("cells.bmp", 5, 4, 2, 8, 8, cells, 0, 1), 0);
    EXPECT_EQ(g_graphs.count, 5);  // the whole graph is gone, its cells keep the source
    const int expectX[5] = {24, 16, 8, 0, 24};
    const int expectY[5] = {0, 0, 0, 0, 8};
    for (int i = 0; i < 5; ++i) {
        GRAPHENTRY *e = GetGraphEntry(cells[i]);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->sourceX, expectX[i]) << i;
        EXPECT_EQ(e->sourceY, expectY[i]) << i;
        EXPECT_EQ(e->fileX, expectX[i]) << i;
        ASSERT_NE(e->restoreFile, nullptr);
    }
    GRAPHSOURCE *source = GetGraphEntry(cells[0])->source;
    EXPECT_EQ(source->refCount, 5);
    int before = D3D9TestLiveObjects();
    for (int i = 0; i < 4; ++i) DestroyGraph(cells[i]);
    EXPECT_EQ(D3D9TestLiveObjects(), before);  // the last cell still holds the textures
    DestroyGraph(cells[4]);
    EXPECT_LT(D3D9TestLiveObjects(), before);
}

TEST_F(GraphHandleTest, SidesOutOfRangeAreRefusedWithoutAGraph) {
    for (auto [w, h] : {std::pair{0, 4}, {4, -1}, {65537, 1}, {1, 1 << 30}}) {
        EXPECT_EQ(CreateBlankGraph(w, h), -1) << w << "x" << h;
    }
    EXPECT_EQ(g_graphs.count, 0);
    // The longest side still splits, on a small device maximum too.
    g_graphBridge.maxTextureSize = 256;
    int g = CreateBlankGraph(65536, 8);
    ASSERT_NE(g, -1);
    EXPECT_EQ(GetGraphEntry(g)->source->tileCount, 256);
}

TEST_F(GraphHandleTest, MissingFileIsLoggedAndFails) {
    Log();
    EXPECT_EQ(LoadGraphFile("nothing.bmp", 0, 0, 0), -1);
    EXPECT_NE(Log().find("グラフィックファイル nothing.bmp がありません"), std::string::npos);
    EXPECT_EQ(g_graphs.count, 0);
}

TEST_F(GraphHandleTest, UnreadableFileWithoutMovieLayerFails) {
    WriteFile("movie.ogv", Bytes(64, 0x11));
    Log();
    EXPECT_EQ(LoadGraphFile("movie.ogv", 0, 0, 0), -1);
    EXPECT_NE(Log().find("右記のグラフィックファイルのロードに失敗しました：movie.ogv"), std::string::npos);
    EXPECT_EQ(g_graphs.count, 0);
}

// A stand-in movie layer: the file opens as a 100 x 50 movie.
int g_closedMovie = -1;
int g_callbackValue = -1;
int OpenStubMovie(const char *, int *w, int *h, int) {
    *w = 100;
    *h = 50;
    return 42;
}
int CloseStubMovie(int movie) {
    g_closedMovie = movie;
    return 0;
}
int SetStubCallback(int, void (*)(int, int), int value) {
    g_callbackValue = value;
    return 0;
}

TEST_F(GraphHandleTest, MovieFallBackMakesDrawableOnePieceGraphAndRestoresSettings) {
    g_graphBridge.openMovie = OpenStubMovie;
    g_graphBridge.closeMovie = CloseStubMovie;
    g_graphBridge.setMovieFrameCallback = SetStubCallback;
    WriteFile("movie.ogv", Bytes(64, 0x11));
    SetGraphColourBits(16);
    int g = LoadGraphFile("movie.ogv", 0, 0, 0);
    ASSERT_NE(g, -1);
    GRAPHENTRY *e = GetGraphEntry(g);
    EXPECT_EQ(e->boundMovie, 42);
    EXPECT_EQ(g_callbackValue, g);
    EXPECT_EQ(e->source->desc.drawable, 1);
    EXPECT_EQ(e->source->desc.colourBits, 32);
    EXPECT_EQ(e->source->tileCount, 1);
    EXPECT_EQ(GraphTiles(e->source)[0].textureWidth, 128);
    // Every setting is back, the one-piece split included.
    EXPECT_EQ(GetGraphColourBits(), 16);
    EXPECT_EQ(GetDrawableGraphMode(), 0);
    EXPECT_EQ(GetDefaultPoolGraphs(), 0);
    EXPECT_EQ(g_graphs.oneTexturePerSide, 0);
    DestroyGraph(g);
    EXPECT_EQ(g_closedMovie, 42);
}

TEST(GraphFormatCodeTest, FollowsTheDescriptor) {
    struct Case {
        int compressed, drawable, alpha, alphaTest, bits, code;
    } cases[] = {
        {0, 0, 0, 0, 16, 0}, {0, 0, 0, 0, 32, 1}, {0, 0, 1, 0, 16, 2}, {0, 0, 1, 0, 32, 3},
        {0, 0, 0, 1, 16, 4}, {0, 0, 0, 1, 32, 5}, {1, 0, 0, 0, 16, 6}, {5, 0, 1, 0, 32, 10},
        {0, 1, 0, 0, 16, 11}, {0, 1, 0, 0, 32, 12}, {0, 1, 1, 0, 16, 13}, {0, 1, 0, 1, 32, 13},
    };
    for (const Case &c : cases) {
        GRAPHDESC d{};
        d.compressedKind = (uint8_t)c.compressed;
        d.drawable = (uint8_t)c.drawable;
        d.alpha = (uint8_t)c.alpha;
        d.alphaTest = (uint8_t)c.alphaTest;
        d.colourBits = (uint8_t)c.bits;
        EXPECT_EQ(GraphFormatCode(&d), c.code);
    }
}

TEST(MaskScreenTest, EmptyLayerRefusesMaskDrawingAndReleasesNothing) {
    g_mask = MASKSCREEN{};
    EXPECT_EQ(SetMaskDraw(1), -1);
    EXPECT_EQ(IsMaskDrawOn(), 0);
    EXPECT_EQ(ReleaseMaskResources(), 0);
    EXPECT_EQ(RestoreMaskScreen(), 0);
    EXPECT_EQ(IsMaskDrawOn(), 0);
    EXPECT_EQ(EndMaskScreen(), 0);
    EXPECT_EQ(FreeAllMaskHandles(), 0);
    EXPECT_EQ(FreeMaskHandle((HTYPE_MASK << 27) | 3), -1);  // slot not in use
    EXPECT_EQ(FreeMaskHandle(-1), -1);
    EXPECT_EQ(FreeMaskHandle((HTYPE_MASK << 27) | 512), -1);
}

TEST(MaskScreenTest, UsedHandleIsFreedWhenItsCountMatches) {
    g_mask = MASKSCREEN{};
    g_mask.masks[7].inUse = 1;
    g_mask.masks[7].checkCount = 9;
    EXPECT_EQ(FreeMaskHandle((HTYPE_MASK << 27) | (8 << 16) | 7), -1);
    EXPECT_EQ(FreeMaskHandle((HTYPE_MASK << 27) | (9 << 16) | 7), 0);
    EXPECT_EQ(g_mask.masks[7].inUse, 0);
}

}  // namespace
