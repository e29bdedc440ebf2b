// The demo's doors against its data set: every warp cell of the six demo areas leads, through the
// warp and area tables, to a map the data holds and lands on a free tile centre inside it that is
// a warp back; every filled entry of those areas has a cell; gimmick cells name kinds in the table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "fixtures/start_dir.h"
#include "game/world/area_table.h"
#include "game/world/gimmick_kinds.h"
#include "game/world/map_grid.h"
#include "game/world/warp_table.h"
#include "tests/game/demo_data.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDemoAreas[] = {111, 99, 89, 53, 15, 19};

class DemoDoorsTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        ASSERT_TRUE(WriteDemoData(dir_));
    }
    // The area's map as the game loads it; false when it does not load.
    static bool Load(MapGrid &grid, const char *path) {
        InitMapGrid(grid);
        SetMapGridPath(grid, path);
        return LoadMapGrid(grid) == 0;
    }
};

TEST_F(DemoDoorsTest, EveryWarpCellLandsOnTheDoorBack)
{
    std::set<std::pair<int, int>> used; // (area, warp number)
    for (int area : kDemoAreas) {
        MapGrid grid;
        ASSERT_TRUE(Load(grid, TransitionArea(area)->path)) << "area " << area;
        int doors = 0;
        for (int row = 0; row < grid.height; row++)
            for (int column = 0; column < grid.width; column++) {
                const int link = CellLink(CellAt(grid, column, row));
                const std::string at = "area " + std::to_string(area) + " cell " + std::to_string(column) + "," +
                                       std::to_string(row);
                if (link >= 16) {
                    EXPECT_LE(link - 15, kGimmickKindCount - 1) << at;
                    continue;
                }
                if (link < 1 || link > kLastWarpNumber) continue;
                doors++;
                used.insert({area, link});
                const WarpEntry &e = GetWarp(area, link - 1);
                const AreaRecord *target = TransitionArea(e.area);
                ASSERT_NE(target, nullptr) << at;
                MapGrid to;
                ASSERT_TRUE(Load(to, target->path)) << at << ": " << target->path << " is not in the data";
                EXPECT_TRUE(e.x % 16 == 8 && e.y % 16 == 8) << at << " lands off a tile centre";
                EXPECT_TRUE(e.x > 0 && e.y > 0 && e.x / 16 < to.width && e.y / 16 < to.height) << at << " lands outside";
                const uint32_t landing = CellAt(to, e.x / 16, e.y / 16);
                EXPECT_EQ(CellAttribute(landing), 0) << at << " lands in a wall";
                const int back = CellLink(landing);
                ASSERT_TRUE(back >= 1 && back <= kLastWarpNumber) << at << " lands on no door";
                EXPECT_EQ(GetWarp(e.area, back - 1).area, area) << at << ": the door it lands on leads elsewhere";
            }
        EXPECT_GT(doors, 0) << "area " << area;
    }
    // Every entry the table fills for a demo area has its door.
    for (int area : kDemoAreas)
        for (int n = 1; n <= kLastWarpNumber; n++) {
            const WarpEntry &e = GetWarp(area, n - 1);
            if (e.area == 0 && e.x == 0 && e.y == 0) continue;
            EXPECT_TRUE(used.count({area, n})) << "area " << area << " warp " << n << " has no cell";
        }
    // A new game starts on the room's door, in the load table's file of the room.
    MapGrid room;
    ASSERT_TRUE(Load(room, LoadAreaRow(111)->path));
    EXPECT_EQ(CellLink(CellAt(room, 104 / 16, 168 / 16)), 1);
}

} // namespace
