// Small map grids written as text: one character per cell. '.' is a free cell, '0'-'9' and
// 'a'-'f' the attribute in hex, 'w', 'x', 'y' free cells with link byte 13, 14, 15 (water).
#pragma once

#include <string>
#include <vector>

#include "game/world/map_grid.h"

inline uint32_t AsciiCell(char ch)
{
    switch (ch) {
    case 'w': return 13u << 24;
    case 'x': return 14u << 24;
    case 'y': return 15u << 24;
    case '.': return 0;
    default: break;
    }
    int a = ch <= '9' ? ch - '0' : ch - 'a' + 10;
    return (uint32_t)a << 8 | 0x21; // a tile number that must not matter
}

inline MapGrid AsciiGrid(const std::vector<std::string> &rows)
{
    MapGrid g;
    g.height = (int)rows.size();
    g.width = rows.empty() ? 0 : (int)rows[0].size();
    for (const std::string &r : rows)
        for (int c = 0; c < g.width; c++) g.cells.push_back(c < (int)r.size() ? AsciiCell(r[c]) : 0);
    g.failed = g.cells.empty() ? 1 : 0;
    return g;
}

// A grid of the given size, free but for a solid floor row at the bottom.
inline MapGrid FloorGrid(int width, int height)
{
    std::vector<std::string> rows((size_t)height, std::string((size_t)width, '.'));
    rows.back() = std::string((size_t)width, '1');
    return AsciiGrid(rows);
}
