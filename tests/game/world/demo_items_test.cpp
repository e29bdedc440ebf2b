// The demo's items that a new game's shop does not stock, against its data set: each lies in the
// initial world state of an area on the road, on its own field-object row whose value (what the
// pick-up takes) is the item, in an open cell with a floor under it that does not hurt.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "fixtures/start_dir.h"
#include "game/world/area_table.h"
#include "game/world/field_object_kinds.h"
#include "game/world/field_objects.h"
#include "game/world/map_grid.h"
#include "tests/game/demo_data.h"

namespace {

struct Lying {
    int item;
    int area;
};
// 2 blade, 6 P99, 52 detonator, 74 letter, 76 apple in the field; 20 tunic, 58 shield,
// 126 feather, 145 bow, 189 drawers in the cave.
constexpr Lying kLying[] = {{2, 53},  {6, 53},  {52, 53},  {74, 53},  {76, 53},
                            {20, 15}, {58, 15}, {126, 15}, {145, 15}, {189, 15}};

struct Spot {
    float x, y;
};

class DemoItemsTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        ASSERT_TRUE(WriteDemoData(dir_));
        std::ifstream in(dir_ / "META_MUSIC_BUFFER_DATA.INT", std::ios::binary);
        state_.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_EQ(state_.size(), (size_t)kWorldBlockCount * kWorldBlockBytes);
    }
    // Where the area's block places objects of the row (stored as row - 2).
    std::vector<Spot> Placed(int area, int row) const {
        std::vector<Spot> out;
        const char *block = state_.data() + (size_t)area * kWorldBlockBytes;
        for (int i = 0; i < kWorldBlockEntries; i++) {
            const char *e = block + 4 + 16 * i;
            int32_t kind;
            Spot s;
            std::memcpy(&s.x, e, 4);
            std::memcpy(&s.y, e + 4, 4);
            std::memcpy(&kind, e + 8, 4);
            if (kind == 0) break;
            if (kind == row - 2) out.push_back(s);
        }
        return out;
    }
    std::vector<char> state_;
};

TEST_F(DemoItemsTest, EachItemTheShopLacksLiesWhereItCanBeTaken)
{
    for (const Lying &l : kLying) {
        SCOPED_TRACE(testing::Message() << "item " << l.item << " in area " << l.area);
        const int row = l.item + 2;
        EXPECT_EQ(kFieldObjectKinds[row].value, l.item) << "the pick-up takes the row's value";
        const std::vector<Spot> spots = Placed(l.area, row);
        ASSERT_EQ(spots.size(), 1u);
        MapGrid grid;
        InitMapGrid(grid);
        SetMapGridPath(grid, TransitionArea(l.area)->path);
        ASSERT_EQ(LoadMapGrid(grid), 0);
        const int column = PixelToCell(spots[0].x), top = PixelToCell(spots[0].y);
        ASSERT_TRUE(column >= 0 && column < grid.width && top >= 0 && top < grid.height);
        EXPECT_EQ(CellAttribute(CellAt(grid, column, top)), 0) << "not in a wall";
        // It settles on a floor of the map that does not hurt.
        int floor = top;
        while (floor < grid.height && CellAttribute(CellAt(grid, column, floor)) == 0) floor++;
        ASSERT_LT(floor, grid.height) << "falls out of the map";
        EXPECT_NE(CellAttribute(CellAt(grid, column, floor)), 11) << "lies on spikes";
        EXPECT_LE(floor - top, 2) << "placed in the air";
    }
}

} // namespace
