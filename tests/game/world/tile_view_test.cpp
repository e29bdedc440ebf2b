// Tile layers and the minimap through recorded draws: tile positions under the camera, the
// animated tiles' source cells, the dark byte, narrow maps that do not wrap, the minimap's dots.
#include "game/world/tile_view.h"
#include "tests/game/world/grid_fixture.h"

#include <gtest/gtest.h>

#include "game/actors/actors.h"
#include "tests/game/draw_recorder.h"

namespace {

class TileLayerTest : public DrawRecorderTest {
protected:
    void SetUp() override {
        DrawRecorderTest::SetUp();
        LoadTileSheets(view);
        view.grid = &grid;
        view.focus = &focus;
        view.player = &player;
        view.layer1Sheet = 5;
        view.layer2Sheet = 8;
    }
    void TearDown() override {
        FreeTileSheets(view);
        DrawRecorderTest::TearDown();
    }
    int Sheet(int n) const { return view.sheets[n]; }

    MapGrid grid = SizedGrid(30, 20);
    Companion focus;
    Player player;
    TileView view;
};

TEST_F(TileLayerTest, SheetsLoadInTheirOrder) {
    ASSERT_EQ(Recorded().loaded.size(), 11u);
    EXPECT_EQ(Recorded().loaded[2], "DataForWork\\map\\mmap.bmp");
    EXPECT_EQ(Recorded().loaded[9], "DataForWork\\map\\hakubutu.bmp");
    EXPECT_EQ(Recorded().loaded[10], "DataForWork\\map\\nuka.bmp");
    EXPECT_EQ(Sheet(0), 1000);
    EXPECT_EQ(Sheet(9), 1009);
}

TEST_F(TileLayerTest, TilesUnderTheCameraAndTheAnimation) {
    SetCellAt(grid, 0, 0, 5);
    SetCellAt(grid, 1, 0, 241 | 3 << 16);  // animated in layer 1, plain 3 in layer 2
    SetCellAt(grid, 2, 1, 255);             // its frames reach the sheet's 17th row
    SetCellAt(grid, 29, 19, 7 << 16);
    focus.x = 100;
    focus.y = 100;
    UpdateCamera(view);
    DrawTileLayer(view, 1);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(0, 0, 80, 0, 16, 16, Sheet(5), 1),
                                                  Part(16, 0, 16, 240, 16, 16, Sheet(5), 1),
                                                  Part(32, 16, 240, 240, 16, 16, Sheet(5), 1)}));
    // Frame n shows for 10 layer-1 draws: the 31st draw shows frame 3.
    for (int i = 0; i < 29; i++) DrawTileLayer(view, 1);
    TakeCalls();
    DrawTileLayer(view, 1);
    std::vector<DrawCall> c = TakeCalls();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[1], Part(16, 0, 64, 240, 16, 16, Sheet(5), 1));  // 241 + 3 = 244
    EXPECT_EQ(c[2], Part(32, 16, 32, 256, 16, 16, Sheet(5), 1)); // 255 + 3 = 258
    // Layer 2 from its own sheet, at the far corner once the camera is there; no animation step.
    focus.x = 10000;
    focus.y = 10000;
    UpdateCamera(view);
    DrawTileLayer(view, 2);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(16 - 160, -80, 48, 0, 16, 16, Sheet(8), 1),
                                                  Part(29 * 16 - 160, 19 * 16 - 80, 112, 0, 16, 16, Sheet(8), 1)}));
    EXPECT_EQ(view.animCounter, 31);
}

TEST_F(TileLayerTest, DarkByteOffsetsAndMissingSheets) {
    SetCellAt(grid, 3, 2, 9 << 16);
    focus.x = 200.5f; // 48 - 200.5 + 160 = 7.5: cut to 7 before the offset, then 9.5 to 9
    focus.y = 120;
    UpdateCamera(view);
    view.offsetX = 2.5f;
    view.offsetY = -1;
    view.dark = 1;
    DrawTileLayer(view, 2);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Bright(0, 0, 0), Part(9, 32 - 1, 144, 0, 16, 16, Sheet(8), 1),
                                                  Bright(254, 254, 254)}));
    EXPECT_EQ(view.dark, 0);
    DrawTileLayer(view, 2);
    EXPECT_EQ(TakeCalls().size(), 1u);
    view.layer2Sheet = 11; // no such sheet
    DrawTileLayer(view, 2);
    view.sheets[8] = -1;
    view.layer2Sheet = 8;
    DrawTileLayer(view, 2);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(TileLayerTest, NarrowMapsDoNotWrapIntoTheNextRow) {
    grid = SizedGrid(2, 2);
    for (int i = 0; i < 4; i++) grid.cells[i] = (uint32_t)(i + 1);
    UpdateCamera(view);
    EXPECT_FLOAT_EQ(view.camera.x, (2 - 10) * 16);
    DrawTileLayer(view, 1);
    // Camera (-128, -88): column c lands at c x 16 + 128 + 160, row r at r x 16 + 88 + 120.
    const int left = 128 + 160, top = 88 + 120;
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(left, top, 16, 0, 16, 16, Sheet(5), 1),
                                                  Part(left + 16, top, 32, 0, 16, 16, Sheet(5), 1),
                                                  Part(left, top + 16, 48, 0, 16, 16, Sheet(5), 1),
                                                  Part(left + 16, top + 16, 64, 0, 16, 16, Sheet(5), 1)}));
}

TEST(MiniMap, DotSourcesAndTop) {
    const struct {
        uint32_t cell;
        int x, y;
    } dots[] = {{0x000, 2, 0}, {0x100, 0, 0}, {0xA00, 1, 0}, {0xC00, 1, 0}, {0xB00, 4, 0},
                {0xD00, 5, 0}, {0xF00, 6, 0}, {0x200, 2, 0}, {0x1100, 2, 0}, // spawn bits count too
                {0x0C000100, 0, 0}};
    for (const auto &d : dots) {
        MiniMapDot m = MiniMapDotFor(d.cell);
        EXPECT_EQ(m.x, d.x) << std::hex << d.cell;
        EXPECT_EQ(m.y, d.y) << std::hex << d.cell;
    }
    MapGrid grid = SizedGrid(40, 30);
    const struct {
        int column, row, top;
    } tops[] = {{33, 8, 186}, {33, 7, 14}, {32, 20, 14}, {39, 29, 186}, {0, 0, 14}};
    for (const auto &t : tops) EXPECT_EQ(MiniMapTop(grid, t.column, t.row), t.top) << t.column << "," << t.row;
}

TEST_F(TileLayerTest, MiniMapDrawsCellsInsideTheGridAndTheFrame) {
    DrawMiniMap(view);
    EXPECT_TRUE(TakeCalls().empty()); // no map ability
    grid = SizedGrid(3, 2);
    SetCellAt(grid, 0, 0, 0x100);
    SetCellAt(grid, 2, 0, 0x03000000); // a warp link: a second dot
    player.abilityFlags = 0x10;
    player.x = 24;
    player.y = 20;
    DrawMiniMap(view);
    const int s = Sheet(2);
    // The player's cell (1, 1) sits at (266 + 20, 14 + 20).
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{
                               Part(266 + 19, 14 + 19, 0, 0, 1, 1, s, 0), Part(266 + 20, 14 + 19, 2, 0, 1, 1, s, 0),
                               Part(266 + 21, 14 + 19, 2, 0, 1, 1, s, 0), Part(266 + 21, 14 + 19, 2, 0, 1, 1, s, 0),
                               Part(266 + 19, 14 + 20, 2, 0, 1, 1, s, 0), Part(266 + 20, 14 + 20, 0, 1, 1, 1, s, 0),
                               Part(266 + 21, 14 + 20, 2, 0, 1, 1, s, 0), Part(266, 14, 57, 0, 41, 41, s, 1)}));
}

} // namespace
