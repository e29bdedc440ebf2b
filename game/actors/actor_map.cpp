#include "game/actors/actor_map.h"

#include "game/actors/companion.h"

namespace {
const MapGrid &GridOrEmpty(const MapGrid *grid)
{
    static const MapGrid kEmpty;
    return grid ? *grid : kEmpty;
}
} // namespace

MapPoint MapPointAt(const MapGrid *grid, float x, float y)
{
    const MapGrid &g = GridOrEmpty(grid);
    MapPoint m;
    m.column = PixelToCell(x);
    m.row = PixelToCell(y);
    m.inside = m.column >= 0 && m.row >= 0 && m.column < g.width && m.row < g.height;
    m.cell = CellAt(g, m.column, m.row);
    return m;
}

CameraPoint ActorCamera(const Companion &companion)
{
    return ClampCamera(GridOrEmpty(companion.grid), companion.x, companion.y);
}
