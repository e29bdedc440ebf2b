// Stand-ins for the world functions the actors call (world_services.h) whose modules are not
// built yet, so that the game links. Each answers as the world would with nothing there. A world
// module's own definition replaces its entry: delete the entry here when you define one.
#include "game/world/world_services.h"

// Items and inventory.
const ItemKind *GetItemKind(int id) {
    static const ItemKind kEmpty{};
    return (id >= 0 && id < kItemKindCount) ? &kEmpty : nullptr;
}
int ItemIdentifiedCount(const Inventory &, int) { return 0; }
int AddCarriedItem(int, Inventory &) { return -1; }
void RemoveCarriedItem(int, Inventory &) {}
int AddPlayerMp(StatusWindow &, int) { return -1; }

// Gimmicks.
void CreateGimmick(Gimmicks &, int, int, int) {}
