// How the actors read the map: the cell under a point (its column and row are the coordinates /
// 16 truncated toward zero, tested against the grid's width and height apart; outside the grid
// the cell reads 0) and the camera, which centres on the companion through the world's one clamp.
#pragma once

#include <cstdint>

#include "game/world/camera.h"
#include "game/world/map_grid.h"

struct Companion;

struct MapPoint {
    int column = 0, row = 0;
    bool inside = false;
    uint32_t cell = 0; // 0 outside
};

MapPoint MapPointAt(const MapGrid *grid, float x, float y);
inline int AttributeAt(const MapGrid *grid, float x, float y) { return CellAttribute(MapPointAt(grid, x, y).cell); }
// n truncated toward zero to a multiple of 16.
inline int Floor16(int n) { return n / 16 * 16; }

// The camera centre: the companion's position clamped to its map.
CameraPoint ActorCamera(const Companion &companion);
