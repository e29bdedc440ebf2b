// Map grids made in memory: of a given size with every cell 0, or written as text.
#pragma once

#include <string>
#include <vector>

#include "game/world/map_grid.h"

inline MapGrid SizedGrid(int width, int height) {
    MapGrid g;
    g.width = width;
    g.height = height;
    g.cells.assign((size_t)width * height, 0);
    g.failed = 0;
    return g;
}

// One character per cell: '.' a free cell, '0'-'9' and 'a'-'f' the attribute in hex, 'w', 'x',
// 'y' free cells with link byte 13, 14, 15 (water).
inline uint32_t AsciiCell(char ch) {
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

inline MapGrid AsciiGrid(const std::vector<std::string> &rows) {
    MapGrid g = SizedGrid(rows.empty() ? 0 : (int)rows[0].size(), (int)rows.size());
    for (int r = 0; r < g.height; r++)
        for (int c = 0; c < g.width && c < (int)rows[(size_t)r].size(); c++)
            g.cells[(size_t)r * g.width + c] = AsciiCell(rows[(size_t)r][(size_t)c]);
    g.failed = g.cells.empty() ? 1 : 0;
    return g;
}

// Free but for a solid floor row at the bottom.
inline MapGrid FloorGrid(int width, int height) {
    std::vector<std::string> rows((size_t)height, std::string((size_t)width, '.'));
    rows.back() = std::string((size_t)width, '1');
    return AsciiGrid(rows);
}
