#include "tests/game/actors/fake_world.h"

#include <gtest/gtest.h>

#include "game/world/inventory.h"

FakeWorld *FakeWorld::current_ = nullptr;

struct FakeWorldCalls {
    static FakeWorld &W() { return *FakeWorld::current_; }

    static const ItemKind *ItemRow(int id) {
        static const ItemKind kEmpty{};
        if (id < 0 || id >= kItemKindCount) return nullptr;
        auto it = W().items_.find(id);
        return it == W().items_.end() ? &kEmpty : &it->second;
    }

    static FakeBody *Body(int id) {
        auto it = W().bodies.find(id);
        return it == W().bodies.end() ? nullptr : &it->second;
    }

    static WorldServiceCalls Table() {
        WorldServiceCalls t = DefaultWorldServices();
        t.buttonCount = [](int b) { return b >= 0 && b < BUTTON_COUNT ? W().counts_[b] : 0; };
        t.playEffectSound = [](int n) { W().sounds.push_back(n); };
        t.switchMusicTrack = [](int n) {
            W().music.push_back(n);
            return 0;
        };
        t.addOverlayText = [](TextOverlay *, int x, int y, const char *text) { W().texts.push_back({x, y, text, 0}); };
        t.addOverlayNumber = [](TextOverlay *, int x, int y, int n) { W().texts.push_back({x, y, "", n}); };
        t.itemKind = ItemRow;
        t.identifiedCount = [](Inventory *, int item) {
            auto it = W().identified.find(item);
            return it == W().identified.end() ? 0 : it->second;
        };
        t.addCarriedItem = [](Inventory *, int item) {
            if (W().carriedAnswer >= 0) W().carried.push_back(item);
            return W().carriedAnswer;
        };
        t.removeCarriedItem = [](Inventory *inventory, int slot) {
            W().removedSlots.push_back(slot);
            if (inventory) RemoveCarriedItem(slot, *inventory);
        };
        t.addPlayerMp = [](StatusWindow *, int amount) {
            W().mpAsked.push_back(amount);
            return W().mpAnswer;
        };
        t.addMoney = [](Inventory *, int amount) { W().money += amount; };
        t.showMessageAndWait = [](Hud *, const char *text) {
            W().messages.push_back(text ? text : "");
            return 1;
        };
        t.addNotification = [](Hud *, const char *text) { W().notifications.push_back(text); };
        t.spawnEffect = [](Effects *, float x, float y, int kind) { W().effects.push_back({x, y, kind}); };
        t.addPopupNumber = [](Effects *, float x, float y, int n) { W().popups.push_back({x, y, n}); };
        t.addPlayerPopupNumber = [](Effects *, float x, float y, int n) { W().popups.push_back({x, y, n}); };
        t.startScreenEffect = [](FullScreenEffect *, int) {};
        t.createFieldObject = [](float x, float y, int kind, int value, float vx, float vy, int persistent,
                                 int itemFlag, int lifetime, float angle) {
            W().objects.push_back({x, y, kind, value, vx, vy, persistent, itemFlag, lifetime, angle});
            int id = W().nextObjectBody;
            if (id < 0) return -1;
            W().nextObjectBody++;
            W().bodies[id] = FakeBody{x / 10, y / 10, angle, vx, vy};
            return id;
        };
        t.spawnItemDrop = [](FieldObjects *, int, float, float) { W().drops++; };
        t.isBodyTouchingObject = [](FieldObjects *, int) { return W().touchingObject; };
        t.takeObjectTouchingBody = [](int kind, FieldObjects *, int, float *x, float *y) {
            auto it = kind == -1 ? W().touching.begin() : W().touching.find(kind);
            if (it == W().touching.end()) return false;
            *x = it->second.first;
            *y = it->second.second;
            W().touching.erase(it);
            return true;
        };
        t.storeMapObjects = [](FieldObjects *, int) {};
        t.restoreMapObjects = [](FieldObjects *, int) {};
        t.createGimmick = [](Gimmicks *, int, int, int) {};
        t.destroyAllBodies = [](PhysicsManager *) { W().bodies.clear(); };
        t.createPhysicsWorld = [](PhysicsManager *) {};
        t.buildMapStaticBodies = [](PhysicsManager *) {};
        t.destroyBodyById = [](int id) { W().bodies.erase(id); };
        t.destroyCellBody = [](PhysicsManager *, int column, int row) { W().cellBodies.push_back({column, row}); };
        t.findBodyAtPoint = [](float, float) { return -1; };
        t.toggleGrabBody = [](int) {};
        t.getBodyAngleById = [](int id, float *a) {
            FakeBody *b = Body(id);
            if (!b) return -1;
            *a = b->angle;
            return 0;
        };
        t.setBodyAngleById = [](int id, float a) {
            FakeBody *b = Body(id);
            if (!b) return -1;
            b->angle = a;
            return 0;
        };
        t.setBodyVelocityById = [](int id, float vx, float vy, PhysicsManager *) {
            FakeBody *b = Body(id);
            if (!b) return -1;
            b->vx = vx;
            b->vy = vy;
            b->velocitySets++;
            return 0;
        };
        t.getBodyPositionById = [](int id, float *x, float *y) {
            FakeBody *b = Body(id);
            if (!b) return -1;
            *x = b->x;
            *y = b->y;
            return 0;
        };
        t.getBodyContact = [](int id) {
            FakeBody *b = Body(id);
            return b ? b->contact : -1;
        };
        t.getBodyPlayerContact = [](int id) {
            FakeBody *b = Body(id);
            return b ? b->playerContact : -1;
        };
        t.makeAllBodiesDynamic = []() { W().dynamicCalls++; };
        return t;
    }
};

FakeWorld::FakeWorld()
{
    EXPECT_EQ(current_, nullptr) << "one fake world at a time";
    current_ = this;
    WorldServices() = FakeWorldCalls::Table();
}

FakeWorld::~FakeWorld()
{
    WorldServices() = DefaultWorldServices();
    current_ = nullptr;
}

void FakeWorld::NextFrame()
{
    for (int b = 0; b < BUTTON_COUNT; b++) counts_[b] = held_[b] ? counts_[b] + 1 : 0;
}

void FakeWorld::ClearRecords()
{
    sounds.clear();
    music.clear();
    effects.clear();
    popups.clear();
    texts.clear();
    notifications.clear();
    messages.clear();
    objects.clear();
    removedSlots.clear();
}
