// The equipment record: start values, the shot list, the equip calls and the armour's effects on
// the player.
#include "game/actors/arms.h"

#include <cmath>

#include "game/actors/player.h"
#include "game/world/world_services.h"

void InitArms(Arms &arms)
{
    Arms fresh;
    fresh.screenEffect = arms.screenEffect;
    fresh.grid = arms.grid;
    fresh.effects = arms.effects;
    fresh.enemies = arms.enemies;
    fresh.overlay = arms.overlay;
    fresh.status = arms.status;
    fresh.inventory = arms.inventory;
    fresh.fieldObjects = arms.fieldObjects;
    fresh.companion = arms.companion;
    fresh.physics = arms.physics;
    fresh.player = arms.player;
    fresh.shotSheet = arms.shotSheet;
    fresh.iconSheet = arms.iconSheet;
    fresh.handSheet = arms.handSheet;
    arms = fresh;
}

// ---- the shot list ----

void FreeShotList(Arms &arms)
{
    ShotNode *node = arms.shotHead;
    while (node) {
        ShotNode *next = node->next;
        delete node;
        node = next;
    }
    arms.shotHead = arms.shotTail = nullptr;
}

void AppendShotNode(Arms &arms, ShotNode *node)
{
    node->prev = arms.shotTail;
    node->next = nullptr;
    if (arms.shotTail) arms.shotTail->next = node;
    else arms.shotHead = node;
    arms.shotTail = node;
}

ShotNode *RemoveShotNode(ShotNode *node, Arms &arms)
{
    ShotNode *next = node->next;
    if (node->prev) node->prev->next = next;
    else arms.shotHead = next;
    if (next) next->prev = node->prev;
    else arms.shotTail = node->prev;
    delete node;
    return next;
}

// ---- equipment ----

namespace {

// Armour effect codes.
enum ArmourCode {
    ARMOUR_COSTUME = 1,
    ARMOUR_AIR_JUMPS = 2,
    ARMOUR_LIFE_BARS = 3,
    ARMOUR_MAP_MARKS = 4,
    ARMOUR_DEFENCE_AT_LEAST = 5,
    ARMOUR_DEFENCE = 6, // also cursed: it cannot be taken off
    ARMOUR_DAMAGE_FACTOR = 7,
    ARMOUR_DASH = 8,
};

int ItemKindOf(int item)
{
    const ItemKind *row = WorldServices().itemKind(item);
    return row ? row->kind : -1;
}

int EquipArmorSlot(int item, int &slot, Arms &arms)
{
    const WorldServiceCalls &w = WorldServices();
    const ItemKind *row = w.itemKind(item);
    if (!row || row->kind != ITEM_ARMOUR) return -1;
    const ItemKind *worn = w.itemKind(slot);
    if (worn && worn->use == ARMOUR_DEFENCE) return -1;
    int previous = slot;
    slot = item;
    ApplyArmorEffects(arms);
    return previous;
}

void ApplyArmour(int item, Player &p)
{
    const ItemKind *row = WorldServices().itemKind(item);
    if (!row) return;
    int v = row->power;
    switch (row->use) {
    case ARMOUR_COSTUME:
        p.costume = v;
        break;
    case ARMOUR_AIR_JUMPS:
        p.extraAirJumps = v;
        p.airJumpsLeft = 0;
        break;
    case ARMOUR_LIFE_BARS:
        p.abilityFlags |= 0x01;
        break;
    case ARMOUR_MAP_MARKS:
        p.abilityFlags |= 0x10;
        break;
    case ARMOUR_DEFENCE_AT_LEAST:
        if (p.defence < v && p.defence >= 0) p.defence = v;
        break;
    case ARMOUR_DEFENCE:
        p.defence = v;
        break;
    case ARMOUR_DAMAGE_FACTOR:
        p.damageFactor = p.damageFactor == 0 ? v : p.damageFactor * v;
        break;
    case ARMOUR_DASH:
        p.dashSpeed += v;
        break;
    default:
        break;
    }
}

} // namespace

int EquipWeapon(int item, Arms &arms)
{
    int kind = ItemKindOf(item);
    if (kind != ITEM_WEAPON && kind != ITEM_COUNTED_WEAPON) return -1;
    int previous = arms.weapon;
    arms.weapon = item;
    return previous;
}

int EquipArmorSlot1(int item, Arms &arms) { return EquipArmorSlot(item, arms.armour1, arms); }

int EquipArmorSlot2(int item, Arms &arms) { return EquipArmorSlot(item, arms.armour2, arms); }

int AutoEquipItem(int item, Arms &arms)
{
    if (arms.weapon == 0 && ItemKindOf(item) == ITEM_WEAPON) {
        EquipWeapon(item, arms);
        return 0;
    }
    if (arms.armour1 == 0) return EquipArmorSlot1(item, arms);
    if (arms.armour2 == 0) return EquipArmorSlot2(item, arms);
    return -1;
}

void ApplyArmorEffects(Arms &arms)
{
    arms.appliedArmour1 = arms.armour1;
    arms.appliedArmour2 = arms.armour2;
    if (!arms.player) return;
    Player &p = *arms.player;
    p.costume = 0;
    p.abilityFlags = 0;
    p.extraAirJumps = 0;
    p.airJumpsLeft = 0;
    p.defence = 0;
    p.damageFactor = 0;
    p.dashSpeed = 0;
    ApplyArmour(arms.armour1, p);
    ApplyArmour(arms.armour2, p);
}

const char *GetItemDisplayName(int item, Inventory *inventory)
{
    const WorldServiceCalls &w = WorldServices();
    const ItemKind *row = w.itemKind(item);
    if (!row) return "";
    return w.identifiedCount(inventory, item) >= 1 ? row->name : row->unidentifiedName;
}

int SetShotBodyVelocity(Arms &arms, int bodyId, float vx, float vy)
{
    if (arms.velocityHold > 0) return --arms.velocityHold;
    return WorldServices().setBodyVelocityById(bodyId, (float)(int)vx, (float)(int)vy, arms.physics);
}

void ComputeAimAtPlayer(const Arms &arms, float x, float y, float speed, float *vx, float *vy)
{
    float px = arms.player ? arms.player->x : 0, py = arms.player ? arms.player->y : 0;
    float a = std::atan2(py - y, px - x);
    *vx = speed * std::cos(a);
    *vy = speed * std::sin(a);
}
