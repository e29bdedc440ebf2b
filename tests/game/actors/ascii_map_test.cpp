// The text maps the actors' tests draw: each legend character's cell, and the refusals.
#include "tools/actor-trace/ascii_map.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiMapTest, LegendCells) {
    MapGrid grid;
    ASSERT_TRUE(BuildAsciiMap({".#X<>2", "9!?%)(", "~AO .."}, grid));
    EXPECT_EQ(grid.width, 6);
    EXPECT_EQ(grid.height, 3);
    const struct {
        int column, row, attribute, link, slot;
    } cases[] = {
        {0, 0, 0, 0, 0},  {1, 0, 1, 0, 0},  {2, 0, 10, 0, 0}, {3, 0, 14, 0, 0}, {4, 0, 15, 0, 0},
        {5, 0, 2, 0, 0},  {0, 1, 9, 0, 0},  {1, 1, 11, 0, 0}, {2, 1, 12, 0, 0}, {3, 1, 13, 0, 0},
        {4, 1, 0, 13, 0}, {5, 1, 0, 14, 0}, {0, 2, 0, 15, 0}, {1, 2, 0, 0, 1},  {2, 2, 0, 0, 15},
        {3, 2, 0, 0, 0},
    };
    for (const auto &c : cases) {
        uint32_t cell = CellAt(grid, c.column, c.row);
        EXPECT_EQ(CellAttribute(cell), c.attribute) << c.column << "," << c.row;
        EXPECT_EQ(CellLink(cell), c.link) << c.column << "," << c.row;
        EXPECT_EQ(CellSpawnSlot(cell), c.slot) << c.column << "," << c.row;
    }
}

TEST(AsciiMapTest, RefusesUnevenRowsAndUnknownCharacters) {
    MapGrid grid;
    std::string error;
    EXPECT_FALSE(BuildAsciiMap({"...", ".."}, grid, &error));
    EXPECT_EQ(error, "row 1 is not 3 wide");
    EXPECT_EQ(grid.width, 0);
    EXPECT_FALSE(BuildAsciiMap({"..z"}, grid, &error));
    EXPECT_EQ(error, "row 0 column 2: 'z' is not a cell");
    EXPECT_FALSE(BuildAsciiMap({}, grid, &error));
    EXPECT_FALSE(LoadAsciiMap("/nonexistent/map.txt", grid, &error));
    EXPECT_TRUE(grid.cells.empty());
}

} // namespace
