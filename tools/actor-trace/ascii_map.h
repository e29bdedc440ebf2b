// Map grids drawn as text, one character a cell, for the actors' tests, benchmarks and
// tools/actor-trace:
//   .  (or a space) empty        #  solid (1)            X  breakable solid (10)
//   <  conveyor to the left (14)  >  conveyor to the right (15)
//   2..5 floor slopes, 6..9 ceiling slopes (the attribute itself)
//   !  deadly (11)   ?  attribute 12   %  no spawn (13)
//   )  water with a current to the right (byte 3 = 13)   (  to the left (14)   ~  still water (15)
//   A..O  spawn slot 1..15 on an empty cell
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/map_grid.h"

// The cell a character stands for; false for a character outside the legend.
bool AsciiCell(char c, uint32_t *cell);
// Rows from the top, all of one width. False (and the grid left empty) with a message for rows of
// different widths, no rows or a character outside the legend.
bool BuildAsciiMap(const std::vector<std::string> &rows, MapGrid &grid, std::string *error = nullptr);
// The same from a text file of rows; lines starting with ';' are comments.
bool LoadAsciiMap(const char *path, MapGrid &grid, std::string *error = nullptr);
