// Weapon firing: a press of SHOT turns into the shots of the weapon in hand, by the weapon's use
// code and the player's direction, under its cooldown and MP cost; then every shot moves.
#include <cmath>

#include "game/actors/actors.h"
#include "game/actors/combat.h"
#include "game/frame/game_random.h"
#include "game/frame/status_window.h"
#include "game/world/field_object_kinds.h"
#include "game/world/inventory.h"
#include "game/world/world_services.h"

namespace {

constexpr int kAuraWeapon = 124;
constexpr int kManaArmour = 65;   // every shot costs 5 MP more, taken directly
constexpr int kRisingArmour = 189;
constexpr int kSweepArmour = 72;
constexpr int kCompanionShotCost = 3;

struct Fire {
    Arms &arms;
    Player &p;
    const ItemKind &row;
    WorldServiceCalls &w;
    const int d; // player direction

    bool Left() const { return d % 2 == 0; }
    bool Up() const { return d == 2 || d == 3; }
    bool Down() const { return d == 4 || d == 5; }
    // 0 left, 1 right, 2 up, 3 down.
    int Quarter() const { return Up() ? 2 : Down() ? 3 : d; }
    bool Wearing(int item) const { return arms.armour1 == item || arms.armour2 == item; }
    void Sound(int n) { w.playEffectSound(n); }

    ShotNode *Shot(int kind, float dx, float dy, int body = -1, int ow = 0, int oh = 0) {
        return ShotWith(kind, dx, dy, row.power, body, ow, oh);
    }
    ShotNode *ShotWith(int kind, float dx, float dy, int damage, int body = -1, int ow = 0, int oh = 0) {
        return CreateShot(arms, (int)(p.x + dx), (int)(p.y + dy), kind, damage, 0, body, ow, oh, nullptr);
    }
    void GiveBack() {
        if (row.kind == ITEM_COUNTED_WEAPON) arms.weaponCount++;
    }
    // A field object at the player's offset that a shot will ride; -1 (the unit given back) when
    // it cannot be made.
    int Carrier(int kind, float dx, float dy, float vx, float vy, int value) {
        int body = CarrierObject(w, p.x + dx, p.y + dy, kind, value, vx, vy);
        if (body < 0) GiveBack();
        return body;
    }
    // The lob of the grenades: offsets and velocities by direction.
    void Lob(int value, int kind, float sdx, float sdy, int ow, int oh, bool shotAtOffset) {
        float dx, dy, vx, vy;
        if (Up()) dx = 0, dy = -10, vx = 0, vy = -8;
        else if (Down()) dx = 0, dy = 10, vx = 0, vy = 8;
        else if (Left()) dx = -10, dy = -5, vx = -6, vy = -8;
        else dx = 10, dy = -5, vx = 6, vy = -8;
        int body = Carrier(arms.weapon, dx, dy, vx, vy, value);
        if (body < 0) return;
        if (shotAtOffset) Shot(kind, sdx, sdy, body, ow, oh);
        else Shot(kind, dx, dy, body, ow, oh);
    }
    bool OnGroundHoldingDown() { return w.buttonCount(BUTTON_DOWN) != 0 && p.onGround != 0; }
    void Companion(int use);
    void Launch27();
    void ThrowAllCarried();
    void ShootArrow();
    void DropCarriedPiece(int slot);
    void Run(int use);
};

void Fire::Companion(int use)
{
    Sound(55);
    if (!arms.companion) return;
    ::Companion &c = *arms.companion;
    if (c.mode == COMPANION_STEERED || c.mode == COMPANION_STEERED_ANIMATED) {
        if (w.buttonCount(BUTTON_DOWN) == 1) {
            StopCompanion(c);
        } else if (use == 15) {
            int r = w.addPlayerMp(arms.status, -kCompanionShotCost);
            Sound(16);
            if (r >= 0) {
                ShotWith(35, c.x + 15 - p.x, c.y + 16 + GetCompanionDistanceLevel(c) - p.y, row.power);
                c.offsetY = (float)(-2 - GameRand() % 5);
            }
        } else {
            int id = w.findBodyAtPoint(c.x + 16, c.y + 16);
            if (id >= 0) w.toggleGrabBody(id);
        }
        return;
    }
    if (c.mode == COMPANION_FOLLOW && p.onGround != 0) {
        c.offsetX = c.offsetY = 0;
        c.lookSpeed = c.swaySpeed = 0;
        c.relativeX = c.relativeY = 0;
        c.mode = use == 15 ? COMPANION_STEERED : COMPANION_STEERED_ANIMATED;
        c.kickRange = use == 15 ? 3 : 1;
        c.sightSteps = use == 15 ? 1000 : 200;
    }
}

void Fire::Launch27()
{
    if (arms.armed == 0) {
        if (w.addPlayerMp(arms.status, -row.secondValue) < 0) {
            Sound(16);
            return;
        }
        if (Up()) {
            arms.armed = 1;
            Sound(16);
        }
        return;
    }
    arms.armed = 0;
    float dx, dy, vx, vy;
    if (Up()) dx = 0, dy = -10, vx = 0, vy = -30;
    else if (Down()) dx = 0, dy = 10, vx = 0, vy = 30;
    else dx = Left() ? -6 : 6, dy = 2, vx = Left() ? -30 : 30, vy = 0;
    Sound(54);
    int body = Carrier(102, dx, dy, vx, vy, 200);
    if (body >= 0) Shot(73, dx, dy, body);
}

// One piece of a thrown carried item: a stack loses one, a last piece leaves its slot.
void Fire::DropCarriedPiece(int slot)
{
    Inventory &inv = *arms.inventory;
    if (inv.counts[(size_t)slot] > 0) inv.counts[(size_t)slot]--;
    else w.removeCarriedItem(&inv, slot);
}

// Every carried item flies out as its own field object, a shot with the object's damage and size
// riding each.
void Fire::ThrowAllCarried()
{
    Sound(54);
    if (!arms.inventory) return;
    float dx, dy, vx, vy;
    if (Up()) dx = 0, dy = -10, vx = 0, vy = -30;
    else if (Down()) dx = 0, dy = 10, vx = 0, vy = 30;
    else dx = Left() ? -10 : 10, dy = 1, vx = Left() ? -30 : 30, vy = -5;
    // A removed slot closes its gap, so the pieces are taken after all are thrown, last slot first.
    const Inventory &inv = *arms.inventory;
    bool thrown[kCarriedSlots] = {};
    bool refused = false;
    for (int i = 0; i < kCarriedSlots; i++) {
        const int item = inv.ids[(size_t)i];
        if (item <= 0) continue;
        if (item + 2 >= kFieldObjectRowCount) { // no field object of its own: it stays
            refused = true;
            continue;
        }
        const FieldObjectKind &k = kFieldObjectKinds[item + 2];
        const int body = CarrierObject(w, p.x + dx, p.y + dy, item, 0, vx, vy);
        if (body < 0) {
            refused = true;
            continue;
        }
        thrown[i] = true;
        ShotWith(1, 0, 10, k.value, body, (int)k.width, (int)k.height);
    }
    for (int i = kCarriedSlots - 1; i >= 0; i--)
        if (thrown[i]) DropCarriedPiece(i);
    if (refused) GiveBack();
}

// The bow: the first carried arrow (use 9, a plain item) flies on its own object.
void Fire::ShootArrow()
{
    Sound(54);
    if (!arms.inventory) return;
    const Inventory &inv = *arms.inventory;
    for (int i = 0; i < kCarriedSlots; i++) {
        const int item = inv.ids[(size_t)i];
        const ItemKind *arrow = item > 0 ? w.itemKind(item) : nullptr;
        if (!arrow || arrow->use != 9 || arrow->kind != ITEM_PLAIN) continue;
        const float dx = Left() ? -10 : 10, vx = Left() ? -20 : 20;
        const float vy = Up() ? -16 : Down() ? 16 : -8;
        const int body = Carrier(item, dx, -2, vx, vy, 100);
        if (body < 0) return;
        ShotWith(73, dx, -2, arrow->power + row.power, body, 8, 1);
        DropCarriedPiece(i);
        return;
    }
}

void Fire::Run(int use)
{
    const int q = Quarter();
    switch (use) {
    case 1:
        Sound(6);
        Lob(300, 0, -6, -2, 0, 0, true);
        break;
    case 2:
    case 13: {
        const int b = use == 2 ? 4 : 29;
        Sound(1);
        static const float kOffsets[6][2] = {{-10, 0}, {10, 0}, {-2, -11}, {2, -11}, {-2, 9}, {2, 9}};
        const int kinds[6] = {b, b + 1, b + 2, b + 2, b + 3, b + 3};
        Shot(kinds[d], kOffsets[d][0], kOffsets[d][1]);
        break;
    }
    case 5:
        Sound(1);
        if (Left()) Shot(14, -15, 0);
        else Shot(15, -97, 0);
        break;
    case 6:
    case 20: {
        Sound(35);
        if (!OnGroundHoldingDown()) {
            GiveBack();
            break;
        }
        if (use == 20) arms.detonation = 0;
        const float dx = Left() ? -8 : 8;
        int body = Carrier(arms.weapon, dx, -4, 0, 0, 99999);
        if (body < 0) break;
        if (use == 6) Shot(16, 0, 4, body);
        else Shot(50, dx, -4, body);
        break;
    }
    case 7: {
        Sound(1);
        if ((Up() || Down()) && (Wearing(kRisingArmour) || Wearing(kSweepArmour))) {
            if (w.addPlayerMp(arms.status, -(row.secondValue > 0 ? row.secondValue : 1)) < 0) {
                Sound(16);
                break;
            }
            if (Wearing(kRisingArmour)) {
                Shot(Up() ? 89 : 88, 0, 0);
                p.nudge = Up() ? -20 : 20;
            } else {
                Shot(90, 0, 0);
            }
            break;
        }
        const float dx = Left() ? -10 : 10;
        Shot(Left() ? 8 : 9, dx, 0);
        if (Wearing(kManaArmour))
            for (int k = Left() ? 55 : 56; k <= 60; k += 2) Shot(k, dx, 0);
        break;
    }
    case 8:
    case 9:
        Sound(1);
        Shot((use == 8 ? 10 : 12) + (Left() ? 0 : 1), 0, 0);
        break;
    case 10:
    case 22: {
        Sound(1);
        float mx = 0, my = 0;
        if (Up()) my = 8;
        else if (Down()) my = -8;
        else if (!Left()) mx = -8;
        for (int i = 0; i < 3; i++) w.spawnEffect(arms.effects, p.x + mx, p.y + my, 6);
        const int base = use == 10 ? 17 : 51;
        if (q < 2) Shot(base + q, 0, 0);
        else Shot(base + q, Left() ? -2 : 2, q == 2 ? -5 : 5);
        break;
    }
    case 11:
        Sound(10);
        if (q == 0) Shot(21, -6, -2);
        else if (q == 1) Shot(22, 6, 1);
        else Shot(q == 2 ? 23 : 24, Left() ? -2 : 2, q == 2 ? -5 : 5);
        break;
    case 12:
        Sound(10);
        if (q == 0) Shot(25, -6, -2);
        else if (q == 1) Shot(26, 6, 1);
        else Shot(q == 2 ? 27 : 28, 0, q == 2 ? -5 : 5);
        break;
    case 14:
        Sound(1);
        Shot(Left() ? 33 : 34, Left() ? -10 : 10, 0);
        break;
    case 15:
    case 23:
        Companion(use);
        break;
    case 16:
    case 19:
        Shot((use == 16 ? 36 : 44) + q, 0, 0);
        break;
    case 17:
        Sound(1);
        Shot(Left() ? 40 : 41, Left() ? -10 : 10, 0);
        break;
    case 18:
        Sound(1);
        Shot(Left() ? 42 : 43, 0, 0);
        break;
    case 21:
        Sound(35);
        arms.detonation = 1;
        w.makeAllBodiesDynamic();
        break;
    case 24:
        Shot(65, 0, 0);
        break;
    case 25:
        Sound(1);
        Shot(Left() ? 67 : 68, 0, 0);
        break;
    case 26: {
        arms.chargeCounter++;
        const int timer = arms.status ? arms.status->timers[1] : 0;
        if (arms.chargeCounter < 31 || timer <= 10000) {
            if (arms.chargeCounter > 100 && timer < 10000) {
                Shot(92 + q, 0, 0);
                arms.chargeCounter = 0;
            } else {
                Shot(69 + q, 0, 0);
            }
        } else {
            ShotWith(99 + q, 0, 0, 20);
            arms.chargeCounter = 0;
        }
        break;
    }
    case 27:
        Launch27();
        break;
    case 28:
        ThrowAllCarried();
        break;
    case 29:
        Sound(1);
        if (d == 0 || d == 4) Shot(75, -10, 0);
        else if (d == 1 || d == 5) Shot(76, 10, 0);
        else {
            Shot(77, -4, -10);
            static const float kAt[5][4] = {
                {-16, 0, -30, 0}, {16, 0, 30, 0}, {0, -16, 0, -30}, {-16, -16, -30, -30}, {16, -16, 30, -30}};
            for (const auto &o : kAt) {
                int body = CarrierObject(w, p.x + o[0], p.y + o[1], 140 + GameRand() % 3, 200, o[2], o[3]);
                if (body >= 0) Shot(73, o[0], o[1], body);
            }
        }
        break;
    case 30: {
        Sound(54);
        float dx, dy, vx, vy;
        if (Up()) dx = 0, dy = -10, vx = 0, vy = -15;
        else if (Down()) dx = 0, dy = 10, vx = 0, vy = 15;
        else if (Left()) dx = -6, dy = -2, vx = -5, vy = -13;
        else dx = 6, dy = -2, vx = 5, vy = -13;
        int body = Carrier(116, dx, dy, vx, vy, 300);
        const bool rightOrDown = Down() || (!Up() && !Left());
        if (body >= 0) Shot(rightOrDown ? 80 : 81, dx, dy, body);
        break;
    }
    case 31:
    case 37: {
        Sound(6);
        float dx, dy, vx, vy;
        if (Up()) dx = 0, dy = -10, vx = 0, vy = -10;
        else if (Down()) dx = 0, dy = 10, vx = 0, vy = 10;
        else if (Left()) dx = -10, dy = -5, vx = -8, vy = -10;
        else dx = 10, dy = -5, vx = 8, vy = -10;
        int body = Carrier(use == 31 ? 143 : 186, dx, dy, vx, vy, 200);
        if (body >= 0) Shot(d == 0 || d == 2 || d == 3 ? 83 : 82, dx, dy, body, 8, 8);
        break;
    }
    case 32:
        ShootArrow();
        break;
    case 33:
        Sound(1);
        if (q == 0) Shot(84, -10, 0);
        else if (q == 1) Shot(85, 10, 0);
        else Shot(q == 2 ? 86 : 87, 0, 0);
        break;
    case 34:
        Sound(6);
        Lob(200, 73, 0, 0, 8, 1, false);
        break;
    case 35:
        Sound(6);
        Lob(300, 36, 0, 0, 0, 0, false);
        break;
    case 36:
        Sound(1);
        w.addPopupNumber(arms.effects, p.x, p.y, 9999);
        if (arms.status) arms.status->hp = 0;
        ShotWith(91, 0, 0, 0);
        break;
    default:
        break; // fires nothing
    }
}

// The MP of one shot; false (sound 16) when the player has too little.
bool PayMp(Arms &arms, const ItemKind &row, WorldServiceCalls &w)
{
    StatusWindow *st = arms.status;
    if (arms.armour1 == kManaArmour || arms.armour2 == kManaArmour) {
        if (!st) return false;
        const int left = st->mp - row.secondValue - 5;
        if (left < 0) return false;
        st->mp = left > st->mpMax ? st->mpMax : left;
        return true;
    }
    return row.secondValue == 0 || w.addPlayerMp(st, -row.secondValue) >= 0;
}

} // namespace

void FireWeapon(Arms &arms)
{
    WorldServiceCalls &w = WorldServices();
    arms.fireCounter++;
    Player *player = arms.player;
    if (arms.weapon == kAuraWeapon && arms.status && arms.status->timers[1] != 0 && player) {
        arms.chargeCounter++;
        if (arms.fireCounter % 3 == 0 && arms.chargeCounter > 100) {
            if (arms.status->timers[1] <= 10000)
                CreateShot(arms, (int)player->x, (int)(player->y - 24), 96, 0, 0, -1, 0, 0, nullptr);
            else CreateShot(arms, (int)player->x, (int)player->y, 98, 0, 0, -1, 0, 0, nullptr);
        }
    }
    const ItemKind *row = w.itemKind(arms.weapon);
    if (player && row && arms.weapon != 0 && w.buttonCount(BUTTON_SHOT) == 1) {
        if (player->costume == 6) player->costume = 0;
        if (arms.fireCounter >= row->thirdValue) {
            const bool paid = PayMp(arms, *row, w);
            if (paid) arms.fireCounter = 0;
            else w.playEffectSound(16);
            if (row->kind == ITEM_COUNTED_WEAPON) arms.weaponCount--;
            if (paid) {
                const int d = player->direction >= 0 && player->direction <= 5 ? player->direction : player->facing;
                Fire{arms, *player, *row, w, d}.Run(row->use);
            }
        }
    }
    if (row && row->kind == ITEM_COUNTED_WEAPON && arms.weaponCount < 0) {
        arms.weapon = 0;
        arms.weaponCount = 0;
    }
    UpdateShots(arms);
}
