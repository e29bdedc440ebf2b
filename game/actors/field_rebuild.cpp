// The field rebuild after a map change: the one place where the old area's field is torn down and
// the new area's built, in the draw step of the frame after the area code loaded the new grid.
#include "game/actors/actors.h"
#include "game/world/map_grid.h"
#include "game/world/world_services.h"

namespace {

// Link bytes from here on hold a gimmick kind + 15.
constexpr int kFirstGimmickLink = 16;

// What one cell of the new grid places, at its top-left pixel.
void PlaceFromCell(MapChange &change, int column, int row, uint32_t cell)
{
    const int link = CellLink(cell);
    if (link >= kFirstGimmickLink)
        WorldServices().createGimmick(change.gimmicks, column * kMapTileSize, row * kMapTileSize,
                                      link - (kFirstGimmickLink - 1));
    SpawnCellEnemy(*change.enemies, column, row, cell);
}

} // namespace

void RebuildFieldForMap(MapChange &change)
{
    if (change.pending == 0) return;
    const WorldServiceCalls &w = WorldServices();

    ClearEnemiesForNewMap(*change.enemies);
    w.freeEffects(change.effects);
    w.freeGimmickList(change.gimmicks);
    FreeShotList(*change.arms);

    // The objects go to the old area's block; the list goes with them, so that no node keeps a
    // body id the new world hands out again.
    if (change.oldArea != kNoArea) w.storeMapObjects(change.fieldObjects, change.oldArea);
    w.freeFieldObjects(change.fieldObjects);

    w.destroyAllBodies(change.physics);
    w.createPhysicsWorld(change.physics);
    w.buildMapStaticBodies(change.physics);
    w.restoreMapObjects(change.fieldObjects, change.newArea);

    if (change.grid) {
        const MapGrid &grid = *change.grid;
        for (int row = 0; row < grid.height; row++)
            for (int column = 0; column < grid.width; column++)
                PlaceFromCell(change, column, row, CellAt(grid, column, row));
    }
    change.pending = 0;
}
