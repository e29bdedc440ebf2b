// The camera clamp and the visible cell ranges, and the local hour's replaceable source.
#include <gtest/gtest.h>

#include "game/actors/actors.h"
#include "game/world/area_transition.h"
#include "game/world/tile_view.h"
#include "tests/game/world/grid_fixture.h"

namespace {

TEST(Camera, ClampsToTheMapAndSetsTheVisibleCells) {
    const struct {
        int width, height;
        float x, y;
        float cx, cy;
        int firstColumn, firstRow;
    } cases[] = {
        {30, 20, 100, 100, 160, 120, -10, -9},   // top-left corner
        {30, 20, 240, 200, 240, 200, -5, -4},    // mid-map: the focus itself
        {30, 20, 479, 319, 320, 200, 0, -4},     // far corner: (30 - 10) x 16, 20 x 16 - 120
        {15, 10, 100, 100, 80, 40, -15, -14},    // narrower than the screen: the far edge wins
        {40, 30, 1e9f, -1e9f, 480, 120, 10, -9},
        {0, 0, 50, 50, -160, -120, -30, -23},    // an empty grid
    };
    for (const auto &c : cases) {
        MapGrid grid = SizedGrid(c.width, c.height);
        Companion focus;
        focus.x = c.x;
        focus.y = c.y;
        TileView view;
        view.grid = &grid;
        view.focus = &focus;
        UpdateCamera(view);
        EXPECT_FLOAT_EQ(view.camera.x, c.cx) << c.width << "x" << c.height << " at " << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(view.camera.y, c.cy) << c.width << "x" << c.height << " at " << c.x << "," << c.y;
        EXPECT_EQ(view.firstColumn, c.firstColumn) << c.width << "x" << c.height;
        EXPECT_EQ(view.endColumn, c.firstColumn + 40) << c.width << "x" << c.height;
        EXPECT_EQ(view.firstRow, c.firstRow) << c.width << "x" << c.height;
        EXPECT_EQ(view.endRow, c.firstRow + 32) << c.width << "x" << c.height;
        // The one clamp everybody uses gives the same point.
        CameraPoint p = ClampCamera(grid, c.x, c.y);
        EXPECT_FLOAT_EQ(p.x, view.camera.x);
        EXPECT_FLOAT_EQ(ScreenX(p, c.cx), 160.0f);
        EXPECT_FLOAT_EQ(ScreenY(p, c.cy + 10), 130.0f);
    }
}

int g_hour = 0;
int FixedHour() { return g_hour; }

TEST(LocalHour, ComesFromTheSourceTestsSet) {
    SetLocalHourSource(FixedHour);
    AreaTransition t;
    t.currentArea = 53;
    for (int h : {0, 7, 23}) {
        g_hour = h;
        InitAreaTransition(t);
        EXPECT_EQ(t.currentArea, 0);
        EXPECT_EQ(t.localHour, h);
    }
    g_hour = 25;
    StoreLocalHour(t);
    EXPECT_EQ(t.localHour, 1);
    g_hour = -1;
    StoreLocalHour(t);
    EXPECT_EQ(t.localHour, 23);
    SetLocalHourSource(nullptr);
    StoreLocalHour(t);
    EXPECT_GE(t.localHour, 0);
    EXPECT_LE(t.localHour, 23);
}

} // namespace
