// The filled warp entries: the three examples the game gives and a way back to area 10, then the
// demo's doors, each of which lands on the door that leads back (see docs/demo-world.md).
#include "game/world/warp_table.h"

#include <array>

namespace {

struct FilledWarp {
    int area, number; // number 1..12
    WarpEntry entry;
};

constexpr FilledWarp kFilledWarps[] = {
    // Given.
    {0, 1, {1, 392, 184}},
    {1, 1, {89, 56, 72}},
    {1, 2, {2, 56, 152}},
    {10, 2, {112, 184, 136}},
    // The way back from area 112 to area 10 (its place in area 10 is ours: that map is not here).
    {112, 1, {10, 184, 136}},
    // The new-game room: the door at the start, the door downstairs.
    {111, 1, {89, 120, 408}},
    {111, 2, {99, 584, 360}},
    // The save point: the west door to the village's shrine, the east door to the room.
    {99, 1, {89, 808, 408}},
    {99, 2, {111, 600, 344}},
    // The village: the inn, the shrine, the east gate to the field.
    {89, 1, {111, 104, 168}},
    {89, 2, {99, 56, 360}},
    {89, 3, {53, 24, 312}},
    // The field: the west door to the village, the east door to the cave.
    {53, 1, {89, 1000, 376}},
    {53, 2, {15, 56, 120}},
    // The cave: the entrance, the door to the master's lair behind the breakable wall.
    {15, 1, {53, 1000, 264}},
    {15, 2, {19, 88, 264}},
    // The boss room.
    {19, 1, {15, 968, 568}},
};

using WarpTable = std::array<std::array<WarpEntry, kWarpsPerArea>, kWarpAreaCount>;

constexpr WarpTable MakeWarpTable()
{
    WarpTable t{};
    for (const FilledWarp &w : kFilledWarps) t[w.area][w.number - 1] = w.entry;
    return t;
}

constexpr WarpTable kWarpTable = MakeWarpTable();
constexpr WarpEntry kNoWarp{};

} // namespace

const WarpEntry &GetWarp(int area, int index)
{
    if (area < 0 || area >= kWarpAreaCount || index < 0 || index >= kWarpsPerArea) return kNoWarp;
    return kWarpTable[area][index];
}
