#include "game/world/map_grid.h"

#include <cstdio>

#include "game/frame/game_file.h"
#include "game/frame/sjis_text.h"
#include "library/base/log.h"

namespace {
constexpr const char *kDefaultMapPath = "DataForWork\\doust.bin";

void EmptyGrid(MapGrid &grid)
{
    std::vector<uint32_t>().swap(grid.cells);
    grid.width = 0;
    grid.height = 0;
    grid.failed = 1;
}

// A little-endian u32 from four bytes.
uint32_t ReadU32(const uint8_t *b)
{
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}
} // namespace

void InitMapGrid(MapGrid &grid)
{
    EmptyGrid(grid);
    grid.path = kDefaultMapPath;
}

void SetMapGridPath(MapGrid &grid, const char *path)
{
    const char *p = path ? path : "";
    grid.path.assign(p, SjisFitLength(p, kMapPathMax));
}

int LoadMapGrid(MapGrid &grid)
{
    EmptyGrid(grid);
    FILE *f = OpenGameFile(grid.path.c_str(), "rb");
    if (!f) return WriteLogFmt("マップファイル %s が開けませんでした in LoadMapGrid", grid.path.c_str());
    uint8_t head[8] = {};
    const size_t got = std::fread(head, 1, sizeof head, f);
    // Sizes are unsigned: a negative one counts as huge and is refused with the rest.
    const uint32_t width = ReadU32(head), height = ReadU32(head + 4);
    if (got < sizeof head || width == 0 || width > (uint32_t)kMapMaxWidth || height == 0 ||
        height > (uint32_t)kMapMaxHeight) {
        std::fclose(f);
        if (got < sizeof head)
            return WriteLogFmt("マップファイル %s のヘッダが途中で終わっています in LoadMapGrid", grid.path.c_str());
        return WriteLogFmt("マップファイル %s の大きさ %u x %u は使えません in LoadMapGrid", grid.path.c_str(), width,
                           height);
    }
    const size_t count = (size_t)width * height;
    std::vector<uint8_t> bytes(count * 4, 0);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    grid.cells.resize(count);
    for (size_t i = 0; i < count; i++) grid.cells[i] = ReadU32(&bytes[i * 4]);
    grid.width = (int)width;
    grid.height = (int)height;
    grid.failed = 0;
    // Cells the file does not hold read 0.
    if (read < bytes.size())
        WriteLogFmt("マップファイル %s のセルが途中で終わっています (%zu / %zu バイト) in LoadMapGrid", grid.path.c_str(),
                    read, bytes.size());
    return 0;
}

void FreeMapGrid(MapGrid &grid) { EmptyGrid(grid); }

uint32_t CellAt(const MapGrid &grid, int column, int row)
{
    if (column < 0 || row < 0 || column >= grid.width || row >= grid.height) return 0;
    return grid.cells[(size_t)row * grid.width + column];
}

int PixelToCell(float pixels)
{
    const double c = pixels * 0.0625;
    if (c != c) return 0;
    // Far past any grid either way, and inside int.
    if (c > 1e6) return 1000000;
    if (c < -1e6) return -1000000;
    return (int)c;
}

uint32_t CellAtPoint(const MapGrid &grid, float x, float y)
{
    return CellAt(grid, PixelToCell(x), PixelToCell(y));
}

void SetCellAt(MapGrid &grid, int column, int row, uint32_t cell)
{
    if (column < 0 || row < 0 || column >= grid.width || row >= grid.height) return;
    grid.cells[(size_t)row * grid.width + column] = cell;
}
