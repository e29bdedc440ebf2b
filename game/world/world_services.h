// What the actors call of the game frame and world: one table of calls, WorldServices(), whose
// defaults are the frame's and the world's own functions declared below, so that tests put a
// fake world in its place. The actors reach the world only through this table and through the
// records they are given pointers to (the map grid is read with the grid's own bounded read).
//
// Each world module defines its functions declared here; until it does, the function's
// do-nothing stand-in lives in world_pending.cpp.
#pragma once

#include <cstdint>

#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/frame/text_overlay.h"
#include "game/world/full_screen_effect.h"
#include "game/world/item_kind.h"
#include "game/world/map_grid.h"

struct StatusWindow;
class FieldObjects;
class Effects;
class PhysicsManager;
class Gimmicks;
class Inventory;

// ---- the world's functions ----
// The row of an item id, null outside 0..299.
const ItemKind *GetItemKind(int id);
// How many of the item the player has identified (the inventory's shop-stock entry).
int ItemIdentifiedCount(const Inventory &inventory, int item);
int AddCarriedItem(int item, Inventory &inventory);
void RemoveCarriedItem(int slot, Inventory &inventory);
inline void AddOverlayText(TextOverlay &overlay, int x, int y, const char *text) { overlay.AddText(x, y, text); }
inline void AddOverlayNumber(TextOverlay &overlay, int x, int y, int value) { overlay.AddNumber(x, y, value); }
int AddPlayerMp(StatusWindow &status, int amount);
void AddMoney(Inventory &inventory, int amount);
void AddPopupNumber(Effects &effects, float x, float y, int n);
void AddPlayerPopupNumber(Effects &effects, float x, float y, int n);
// value 0 from the actors; lifetime -666 lives until taken. Velocities go to the body unchanged.
int CreateFieldObject(float x, float y, int kind, int value, float vx, float vy, int persistent, int itemFlag,
                      int lifetime, float angle);
void CreateGimmick(Gimmicks &gimmicks, int x, int y, int kind);
void FreeGimmickList(Gimmicks &gimmicks);
void DestroyAllBodies(PhysicsManager &physics);
void CreatePhysicsWorld(PhysicsManager &physics);
void BuildMapStaticBodies(PhysicsManager &physics);
int DestroyBodyById(int id);
// The static body of one map cell (a broken block), 0; -1 when the cell has none of its own.
int DestroyCellBody(PhysicsManager &physics, int column, int row);
int FindBodyAtPoint(float x, float y);
int ToggleGrabBody(int id);
int GetBodyAngleById(int id, float *angle);
int SetBodyAngleById(int id, float angle);
int GetBodyContact(int id);
int GetBodyPlayerContact(int id);
int GetBodyPositionById(int id, float *x, float *y);
bool IsBodyTouchingObject(FieldObjects &objects, int id);
void MakeAllBodiesDynamic();
int SetBodyVelocityById(int id, float vx, float vy, PhysicsManager &physics);
void SpawnEffect(Effects &effects, float x, float y, int kind);
void SpawnItemDrop(FieldObjects &objects, int row, float x, float y);
void StoreMapObjects(FieldObjects &objects, int slot);
void RestoreMapObjects(FieldObjects &objects, int slot);
bool TakeObjectTouchingBody(int kind, FieldObjects &objects, int id, float *x, float *y);

// ---- the call table ----
// Records are passed as pointers: a record the game does not have yet (null) makes the default a
// no-op answering as the world function would with nothing there.
struct WorldServiceCalls {
    // Frame: the hold count of a logical button (LogicalButton) read through its pad assignment,
    // sounds, the text overlay.
    int (*buttonCount)(int button);
    void (*playEffectSound)(int n);
    int (*switchMusicTrack)(int track);
    void (*addOverlayText)(TextOverlay *overlay, int x, int y, const char *text);
    void (*addOverlayNumber)(TextOverlay *overlay, int x, int y, int value);
    // Items, inventory and status.
    const ItemKind *(*itemKind)(int id);
    int (*identifiedCount)(Inventory *inventory, int item);
    int (*addCarriedItem)(Inventory *inventory, int item);
    void (*removeCarriedItem)(Inventory *inventory, int slot);
    int (*addPlayerMp)(StatusWindow *status, int amount);
    void (*addMoney)(Inventory *inventory, int amount);
    // HUD.
    int (*showMessageAndWait)(Hud *hud, const char *text);
    void (*addNotification)(Hud *hud, const char *text);
    // Effects.
    void (*spawnEffect)(Effects *effects, float x, float y, int kind);
    void (*addPopupNumber)(Effects *effects, float x, float y, int n);
    void (*addPlayerPopupNumber)(Effects *effects, float x, float y, int n);
    void (*startScreenEffect)(FullScreenEffect *effect, int mode);
    // Field objects and gimmicks.
    int (*createFieldObject)(float x, float y, int kind, int value, float vx, float vy, int persistent, int itemFlag,
                             int lifetime, float angle);
    void (*spawnItemDrop)(FieldObjects *objects, int row, float x, float y);
    bool (*isBodyTouchingObject)(FieldObjects *objects, int id);
    // kind: a field-object kind (row - 2), -1 any.
    bool (*takeObjectTouchingBody)(int kind, FieldObjects *objects, int id, float *x, float *y);
    void (*storeMapObjects)(FieldObjects *objects, int slot);
    void (*restoreMapObjects)(FieldObjects *objects, int slot);
    void (*createGimmick)(Gimmicks *gimmicks, int x, int y, int kind);
    // The field rebuild's clearing of the lists.
    void (*freeEffects)(Effects *effects);
    void (*freeGimmickList)(Gimmicks *gimmicks);
    void (*freeFieldObjects)(FieldObjects *objects);
    // Physics, by body id.
    void (*destroyAllBodies)(PhysicsManager *physics);
    void (*createPhysicsWorld)(PhysicsManager *physics);
    void (*buildMapStaticBodies)(PhysicsManager *physics);
    void (*destroyBodyById)(int id);
    void (*destroyCellBody)(PhysicsManager *physics, int column, int row);
    int (*findBodyAtPoint)(float x, float y);
    void (*toggleGrabBody)(int id);
    int (*getBodyAngleById)(int id, float *angle);
    int (*setBodyAngleById)(int id, float angle);
    int (*setBodyVelocityById)(int id, float vx, float vy, PhysicsManager *physics);
    int (*getBodyPositionById)(int id, float *x, float *y);
    int (*getBodyContact)(int id);
    int (*getBodyPlayerContact)(int id);
    void (*makeAllBodiesDynamic)();
};

WorldServiceCalls &WorldServices();
// The table as the game fills it (tests restore it from here).
const WorldServiceCalls &DefaultWorldServices();
