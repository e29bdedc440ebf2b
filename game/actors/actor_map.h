// How the actors read the map under a point: the point's column and row are its coordinates / 16
// truncated toward zero, tested against the grid's width and height apart; a point outside the
// grid reads as the empty cell 0 (through the grid's own bounded read).
#pragma once

#include <cstdint>

struct MapGrid;

struct MapPoint {
    int column = 0, row = 0;
    bool inside = false;
    uint32_t cell = 0; // 0 outside
};

MapPoint MapPointAt(const MapGrid *grid, float x, float y);
inline int AttributeAt(const MapGrid *grid, float x, float y)
{
    return (int)((MapPointAt(grid, x, y).cell >> 8) & 0xF);
}
// Grid size in cells; 0 x 0 without a grid.
int MapWidth(const MapGrid *grid);
int MapHeight(const MapGrid *grid);
// n truncated toward zero to a multiple of 16.
inline int Floor16(int n) { return n / 16 * 16; }
