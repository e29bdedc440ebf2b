// An area's map grid: one 32-bit cell per 16 x 16-pixel tile, read from a little-endian file
// (u32 width, u32 height, then the cells row by row). Every cell read goes through CellAt, which
// answers 0 outside the grid, so an empty grid reads as all-free cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Cell fields.
inline int CellTile1(uint32_t cell) { return (int)(cell & 0xFF); }
inline int CellAttribute(uint32_t cell) { return (int)((cell >> 8) & 0xF); }
inline int CellSpawnSlot(uint32_t cell) { return (int)((cell >> 12) & 0xF); }
inline int CellTile2(uint32_t cell) { return (int)((cell >> 16) & 0xFF); }
inline int CellLink(uint32_t cell) { return (int)(cell >> 24); }

// The largest grid a file may hold: the physics world's static bodies cover no more.
constexpr int kMapMaxWidth = 200;
constexpr int kMapMaxHeight = 150;
constexpr int kMapPathMax = 255;
constexpr int kMapTileSize = 16;

struct MapGrid {
    std::vector<uint32_t> cells; // row-major, width x height
    int width = 0, height = 0;   // in cells
    std::string path;            // at most 255 bytes
    uint8_t failed = 1;          // 1 while the grid is empty (nothing loaded, or the last load failed)
};

// No cells, the default file name.
void InitMapGrid(MapGrid &grid);
// Sets the file the next load reads (cut to 255 bytes, never inside a two-byte character).
void SetMapGridPath(MapGrid &grid, const char *path);
// Releases the cells and reads the grid's file. 0 when a grid was read (cells the file does not
// hold read 0 and get a log line); -1 with a log line naming the file, and an empty grid, when
// the file does not open or its header is cut short or names a size of 0 or above 200 x 150.
int LoadMapGrid(MapGrid &grid);
void FreeMapGrid(MapGrid &grid);

// The cell column (or row) of a world pixel coordinate: / 16 truncated toward zero, so -8
// lies in cell 0. Values past any grid saturate, NaN gives 0.
int PixelToCell(float pixels);

// The cell at (column, row); 0 outside the grid.
uint32_t CellAt(const MapGrid &grid, int column, int row);
// The cell under a point in world pixels (each coordinate / 16 truncated toward zero); 0 outside.
uint32_t CellAtPoint(const MapGrid &grid, float x, float y);
// Writes a cell; a place outside the grid is ignored.
void SetCellAt(MapGrid &grid, int column, int row, uint32_t cell);
