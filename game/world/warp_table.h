// The warp table: where each warp cell of each area leads. Warp number n (1..12, a map cell's
// link byte) of area a is entry [a][n - 1]; an entry never filled is all zero and so leads to
// area 0 at (0, 0).
#pragma once

#include <cstdint>

struct WarpEntry {
    int32_t area; // 0..126
    int32_t x, y; // the player's new position in pixels, a tile centre of the target map
};

constexpr int kWarpAreaCount = 127;
constexpr int kWarpsPerArea = 255;
// Link bytes 1..12 are warps; 13..15 are water, 16 and above gimmicks.
constexpr int kLastWarpNumber = 12;

// Entry [area][index]; the zero entry outside the table.
const WarpEntry &GetWarp(int area, int index);
