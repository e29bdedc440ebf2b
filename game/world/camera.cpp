#include "game/world/camera.h"

CameraPoint ClampCamera(const MapGrid &grid, float focusX, float focusY)
{
    CameraPoint c{focusX, focusY};
    // Written as "not at least" so that a NaN focus lands on the lower bound too.
    if (!(c.x >= kScreenWidth / 2)) c.x = kScreenWidth / 2;
    const float right = (float)((grid.width - 10) * kMapTileSize);
    if (c.x > right) c.x = right;
    if (!(c.y >= kScreenHeight / 2)) c.y = kScreenHeight / 2;
    const float bottom = (float)(grid.height * kMapTileSize - kScreenHeight / 2);
    if (c.y > bottom) c.y = bottom;
    return c;
}
