// A map grid of a given size, every cell 0, made in memory.
#pragma once

#include "game/world/map_grid.h"

inline MapGrid SizedGrid(int width, int height) {
    MapGrid g;
    g.width = width;
    g.height = height;
    g.cells.assign((size_t)width * height, 0);
    g.failed = 0;
    return g;
}
