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

// Effects.
void SpawnEffect(Effects &, float, float, int) {}
void AddPopupNumber(Effects &, float, float, int) {}
void AddPlayerPopupNumber(Effects &, float, float, int) {}

// Field objects and gimmicks.
int CreateFieldObject(float, float, int, int, float, float, int, int, int, float) { return -1; }
void SpawnItemDrop(FieldObjects &, int, float, float) {}
bool IsBodyTouchingObject(FieldObjects &, int) { return false; }
bool TakeObjectTouchingBody(int, FieldObjects &, int, float *, float *) { return false; }
void StoreMapObjects(FieldObjects &, int) {}
void RestoreMapObjects(FieldObjects &, int) {}
void CreateGimmick(Gimmicks &, int, int, int) {}

// Physics.
void DestroyAllBodies(PhysicsManager &) {}
void CreatePhysicsWorld(PhysicsManager &) {}
void BuildMapStaticBodies(PhysicsManager &) {}
void DestroyBodyById(int) {}
int FindBodyAtPoint(float, float) { return -1; }
void ToggleGrabBody(int) {}
int GetBodyAngleById(int, float *) { return -1; }
int SetBodyAngleById(int, float) { return -1; }
int SetBodyVelocityById(int, float, float, PhysicsManager &) { return -1; }
int GetBodyPositionById(int, float *, float *) { return -1; }
int GetBodyContact(int) { return -1; }
int GetBodyPlayerContact(int) { return -1; }
void MakeAllBodiesDynamic() {}
