#include "game/world/world_services.h"

#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/gimmicks.h"

namespace {

const WorldServiceCalls kDefaults = {
    [](int button) {
        if (button < 0 || button >= BUTTON_COUNT) return 0;
        const GameInput &in = GetGameInput();
        // SHOT without a pad button is read from its own key, not from the RESET key that a pad
        // assignment of -1 stands for.
        if (button == BUTTON_SHOT && in.padAssign[button] == -1) return in.KeyCounter(in.keyAssign[button]);
        return in.Button(button);
    },
    [](int n) { PlayEffectSound(n); },
    [](int track) { return SwitchMusicTrack(track); },
    [](TextOverlay *overlay, int x, int y, const char *text) {
        if (overlay) AddOverlayText(*overlay, x, y, text);
    },
    [](TextOverlay *overlay, int x, int y, int value) {
        if (overlay) AddOverlayNumber(*overlay, x, y, value);
    },
    GetItemKind,
    [](Inventory *inventory, int item) { return inventory ? ItemIdentifiedCount(*inventory, item) : 0; },
    [](Inventory *inventory, int item) { return inventory ? AddCarriedItem(item, *inventory) : -1; },
    [](Inventory *inventory, int slot) {
        if (inventory) RemoveCarriedItem(slot, *inventory);
    },
    [](StatusWindow *status, int amount) { return status ? AddPlayerMp(*status, amount) : -1; },
    [](Inventory *inventory, int amount) {
        if (inventory) AddMoney(*inventory, amount);
    },
    [](Hud *hud, const char *text) { return hud ? ShowMessageAndWait(*hud, text) : 1; },
    [](Hud *hud, const char *text) {
        if (hud) AddNotification(*hud, text);
    },
    [](Effects *effects, float x, float y, int kind) {
        if (effects) SpawnEffect(*effects, x, y, kind);
    },
    [](Effects *effects, float x, float y, int n) {
        if (effects) AddPopupNumber(*effects, x, y, n);
    },
    [](Effects *effects, float x, float y, int n) {
        if (effects) AddPlayerPopupNumber(*effects, x, y, n);
    },
    [](FullScreenEffect *effect, int mode) {
        if (effect) StartScreenEffect(*effect, mode);
    },
    CreateFieldObject,
    [](FieldObjects *objects, int row, float x, float y) {
        if (objects) SpawnItemDrop(*objects, row, x, y);
    },
    [](FieldObjects *objects, int id) { return objects ? IsBodyTouchingObject(*objects, id) : false; },
    [](int kind, FieldObjects *objects, int id, float *x, float *y) {
        return objects ? TakeObjectTouchingBody(kind < 0 ? -1 : kind + 2, *objects, id, x, y) : false;
    },
    [](FieldObjects *objects, int slot) {
        if (objects) StoreMapObjects(*objects, slot);
    },
    [](FieldObjects *objects, int slot) {
        if (objects) RestoreMapObjects(*objects, slot);
    },
    [](Gimmicks *gimmicks, int x, int y, int kind) {
        if (gimmicks) CreateGimmick(*gimmicks, x, y, kind);
    },
    [](Effects *effects) {
        if (effects) effects->FreeEffects();
    },
    [](Gimmicks *gimmicks) {
        if (gimmicks) FreeGimmickList(*gimmicks);
    },
    [](FieldObjects *objects) {
        if (objects) objects->FreeFieldObjects();
    },
    [](PhysicsManager *physics) {
        if (physics) DestroyAllBodies(*physics);
    },
    [](PhysicsManager *physics) {
        if (physics) CreatePhysicsWorld(*physics);
    },
    [](PhysicsManager *physics) {
        if (physics) BuildMapStaticBodies(*physics);
    },
    [](int id) { DestroyBodyById(id); },
    [](PhysicsManager *physics, int column, int row) {
        if (physics) DestroyCellBody(*physics, column, row);
    },
    FindBodyAtPoint,
    [](int id) { ToggleGrabBody(id); },
    GetBodyAngleById,
    SetBodyAngleById,
    [](int id, float vx, float vy, PhysicsManager *physics) {
        return physics ? SetBodyVelocityById(id, vx, vy, *physics) : -1;
    },
    GetBodyPositionById,
    GetBodyContact,
    GetBodyPlayerContact,
    MakeAllBodiesDynamic,
};

WorldServiceCalls g_calls = kDefaults;

} // namespace

WorldServiceCalls &WorldServices() { return g_calls; }

const WorldServiceCalls &DefaultWorldServices() { return kDefaults; }
