// Map grid files: the cell fields of a hand-made file, refused headers (empty grid, -1, a log
// line naming the file), files cut short inside the cells, and the bounded cell reads.
#include "game/world/map_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "fixtures/start_dir.h"

namespace {

std::vector<uint8_t> Le32(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> b;
    for (uint32_t w : words)
        for (int k = 0; k < 4; k++) b.push_back((uint8_t)(w >> (8 * k)));
    return b;
}

class MapGridTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        std::filesystem::create_directories(dir_ / "MAP" / "t");
        InitMapGrid(grid);
    }
    void TearDown() override {
        FreeMapGrid(grid);
        LogStartTest::TearDown();
    }
    int Load(const char *path) {
        PlatformTestTakeDebugOutput();
        SetMapGridPath(grid, path);
        return LoadMapGrid(grid);
    }
    MapGrid grid;
};

TEST_F(MapGridTest, TwoByOneExampleReadsItsFields) {
    EXPECT_EQ(grid.path, "DataForWork\\doust.bin");
    EXPECT_EQ(grid.width, 0);
    EXPECT_EQ(grid.failed, 1);
    WriteFile("MAP/t/two.bin", {2, 0, 0, 0, 1, 0, 0, 0, 0x01, 0x03, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x10});
    ASSERT_EQ(Load("MAP/t/two.bin"), 0);
    EXPECT_EQ(grid.width, 2);
    EXPECT_EQ(grid.height, 1);
    EXPECT_EQ(grid.failed, 0);
    const uint32_t a = CellAt(grid, 0, 0), b = CellAt(grid, 1, 0);
    EXPECT_EQ(CellTile1(a), 1);
    EXPECT_EQ(CellAttribute(a), 3);
    EXPECT_EQ(CellTile1(b), 0);
    EXPECT_EQ(CellAttribute(b), 0);
    EXPECT_EQ(CellSpawnSlot(b), 0);
    EXPECT_EQ(CellTile2(b), 160);
    EXPECT_EQ(CellLink(b), 16);
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "");
}

TEST_F(MapGridTest, RefusedFilesLeaveAnEmptyGridAndNameTheFile) {
    const struct {
        const char *name;
        std::vector<uint8_t> bytes; // empty: no file
    } cases[] = {
        {"MAP/t/missing.bin", {}},
        {"MAP/t/short.bin", {4, 0, 0, 0, 4}},
        {"MAP/t/zero.bin", Le32({0, 5, 7, 7})},
        {"MAP/t/wide.bin", Le32({201, 10})},
        {"MAP/t/tall.bin", Le32({10, 151})},
        {"MAP/t/negative.bin", Le32({0xFFFFFFFF, 1, 9, 9, 9})},
    };
    WriteFile("MAP/t/good.bin", Le32({3, 2, 1, 2, 3, 4, 5, 6}));
    for (const auto &c : cases) {
        ASSERT_EQ(Load("MAP/t/good.bin"), 0);
        ASSERT_EQ(grid.width, 3);
        if (!c.bytes.empty()) WriteFile(c.name, c.bytes);
        EXPECT_EQ(Load(c.name), -1) << c.name;
        EXPECT_EQ(grid.width, 0) << c.name;
        EXPECT_EQ(grid.height, 0) << c.name;
        EXPECT_TRUE(grid.cells.empty()) << c.name;
        EXPECT_EQ(grid.failed, 1) << c.name;
        EXPECT_EQ(CellAt(grid, 0, 0), 0u) << c.name;
        EXPECT_NE(PlatformTestTakeDebugOutput().find(c.name), std::string::npos) << c.name;
    }
    EXPECT_NE(LogBytes().find("MAP/t/negative.bin"), std::string::npos);
}

TEST_F(MapGridTest, CellsCutShortReadZeroWithALogLine) {
    // 3 x 2 cells with only one and a half cells present.
    WriteFile("MAP/t/cut.bin", {3, 0, 0, 0, 2, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
    ASSERT_EQ(Load("MAP/t/cut.bin"), 0);
    EXPECT_EQ(grid.width, 3);
    EXPECT_EQ(grid.height, 2);
    EXPECT_EQ(CellAt(grid, 0, 0), 0x44332211u);
    EXPECT_EQ(CellAt(grid, 1, 0), 0x6655u);
    for (int i = 2; i < 6; i++) EXPECT_EQ(CellAt(grid, i % 3, i / 3), 0u) << i;
    EXPECT_NE(PlatformTestTakeDebugOutput().find("MAP/t/cut.bin"), std::string::npos);
    // The largest size there is loads whole.
    std::vector<uint8_t> big = Le32({200, 150});
    big.resize(8 + 200 * 150 * 4, 0);
    big.back() = 0x7F;
    WriteFile("MAP/t/big.bin", big);
    ASSERT_EQ(Load("MAP/t/big.bin"), 0);
    EXPECT_EQ(CellAt(grid, 199, 149), 0x7F000000u);
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "");
}

TEST_F(MapGridTest, LongPathsAreCutBetweenCharacters) {
    const std::string head(254, 'a');
    SetMapGridPath(grid, (head + "ほ.bin").c_str()); // the two-byte character would end at byte 256
    EXPECT_EQ(grid.path, head);
    SetMapGridPath(grid, (head + "a" + "ほ").c_str());
    EXPECT_EQ(grid.path, head + "a");
    SetMapGridPath(grid, (head.substr(1) + "ほ").c_str());
    EXPECT_EQ(grid.path, head.substr(1) + "ほ");
    SetMapGridPath(grid, nullptr);
    EXPECT_EQ(grid.path, "");
}

TEST_F(MapGridTest, CellReadsStayInsideTheGrid) {
    // 2 x 3 cells numbered 1..6: past the right edge is 0, not the next row's first cell.
    WriteFile("MAP/t/narrow.bin", Le32({2, 3, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(Load("MAP/t/narrow.bin"), 0);
    const struct {
        int column, row;
        uint32_t cell;
    } reads[] = {{0, 0, 1}, {1, 2, 6}, {2, 0, 0}, {-1, 1, 0}, {0, 3, 0}, {0, -1, 0}, {1000000, 0, 0}};
    for (const auto &r : reads) EXPECT_EQ(CellAt(grid, r.column, r.row), r.cell) << r.column << "," << r.row;
    const struct {
        float x, y;
        uint32_t cell;
    } points[] = {{8, 8, 1},    {31.9f, 40, 6},     {-8, 8, 1}, // -0.5 truncates to column 0
                  {-16, 8, 0}, {32, 8, 0},          {8, 48, 0},  {NAN, 20, 3},
                  {1e30f, 0, 0}, {-1e30f, -1e30f, 0}};
    for (const auto &p : points) EXPECT_EQ(CellAtPoint(grid, p.x, p.y), p.cell) << p.x << "," << p.y;
    SetCellAt(grid, 1, 1, 40);
    SetCellAt(grid, 2, 1, 99);
    SetCellAt(grid, -1, 0, 99);
    EXPECT_EQ(grid.cells, (std::vector<uint32_t>{1, 2, 3, 40, 5, 6}));
}

} // namespace
