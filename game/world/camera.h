// The field camera: the world point shown at the centre of the 320 x 240 screen. Everything that
// turns world pixels into screen pixels (tiles, actors, field objects, effects) uses this clamp
// and these conversions, so they all agree on where the map's edges stop the view.
#pragma once

#include "game/world/map_grid.h"

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

struct CameraPoint {
    float x = 0, y = 0;
};

// The camera for a focus point: raised to (160, 120) first, then lowered to the far edges
// ((width - 10) x 16, height x 16 - 120). On a map smaller than the screen the far edge wins.
CameraPoint ClampCamera(const MapGrid &grid, float focusX, float focusY);

// Screen position of a world point under the camera.
inline float ScreenX(const CameraPoint &camera, float worldX) { return worldX - camera.x + kScreenWidth / 2; }
inline float ScreenY(const CameraPoint &camera, float worldY) { return worldY - camera.y + kScreenHeight / 2; }
