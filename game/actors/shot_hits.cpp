// The shot hit pass: shots break breakable blocks, hurt enemies (with their drops and damage
// numbers) and hurt the player, who is then safe for the contact countdown.
#include "game/actors/actors.h"
#include "game/actors/actor_map.h"
#include "game/actors/combat.h"
#include "game/frame/game_random.h"
#include "game/frame/status_window.h"
#include "game/world/world_services.h"

namespace {

constexpr int kBreakableAttribute = 10;
constexpr int kDropCap = 50;
constexpr int kCoinWeapon = 127;

void BreakBlock(PlayerContact &c, ShotNode &s, WorldServiceCalls &w)
{
    const int hw = (int)s.hitHalfWidth, hh = (int)s.hitHalfHeight;
    const int corners[4][2] = {{hw, -hh}, {-hw, -hh}, {hw, hh}, {-hw, hh}};
    for (const auto &d : corners) {
        MapPoint p = MapPointAt(c.grid, s.x + d[0], s.y + d[1]);
        if (!p.inside || CellAttribute(p.cell) != kBreakableAttribute) continue;
        if (s.behaviour != 14) {
            w.playEffectSound(56);
            for (int i = 0; i < 4; i++) w.spawnEffect(c.effects, s.x, s.y, 6);
            w.spawnEffect(c.effects, s.x + 10, s.y + 20, 9);
            SetCellAt(*c.grid, p.column, p.row, p.cell & 0xFF0000FFu);
            w.destroyCellBody(c.arms ? c.arms->physics : nullptr, p.column, p.row);
        }
        if (s.stopsAtWalls == 1) s.hit = 1;
        return;
    }
}

void Drop(PlayerContact &c, const EnemyNode &e, WorldServiceCalls &w)
{
    if (c.arms && c.arms->weapon == kCoinWeapon) {
        const float v[3][2] = {{-2, -2}, {0, -2}, {2, -2}};
        for (int i = 0; i < 3; i++) w.createFieldObject(e.x, e.y, 140 + i, 0, v[i][0], v[i][1], 0, 0, 0, 0);
    } else if (GameRand() % e.dropChance == 0) {
        w.spawnItemDrop(c.fieldObjects, e.dropRow, e.x, e.y);
    } else {
        w.createFieldObject(e.x, e.y, 0, 0, 0, 0, 0, 0, 0, 0);
    }
}

void HitEnemies(PlayerContact &c, ShotNode &s, WorldServiceCalls &w)
{
    const int factor = c.player ? c.player->damageFactor : 0;
    for (EnemyNode *e = c.enemies->head; e && s.harmful != 0; e = e->next) {
        if (!BoxesOverlap(s.x, s.y, s.hitHalfWidth, s.hitHalfHeight, e->x, e->y, e->halfWidth, e->halfHeight)) continue;
        if (!(e->hitShake == 0 || e->hitShake == 15 || (e->hitShake == 200 && e->boss))) continue;
        if (e->noDeath != 0) continue;
        e->hit = 1;
        e->alerted = 1;
        s.hit = 1;
        const int d = factor != 0 ? s.damage * factor : s.damage;
        e->hp -= d;
        if (e->hp > e->maxHp) e->hp = e->maxHp;
        w.playEffectSound(14);
        for (int i = 0; i < 3; i++) w.spawnEffect(c.effects, e->x, e->y, 5);
        e->hitShake = e->boss && e->hp <= 0 ? 200 : 15;
        if (e->dropChance != 0 && e->hp <= 0) {
            if (c.kills < kDropCap) Drop(c, *e, w);
            c.kills++;
        }
        w.addPopupNumber(c.effects, s.x - 4 + GameRand() % 8, s.y, d);
    }
}

// A shot that takes a weapon or armour drops it at the player's feet.
void DropItem(PlayerContact &c, int item, WorldServiceCalls &w)
{
    const Player &p = *c.player;
    const float vx = (float)(GameRand() % 5), vy = (float)-(GameRand() % 5);
    w.createFieldObject(p.x, p.y, -1, item, vx, vy, 0, 0, 0, 0);
}

void HitPlayer(PlayerContact &c, ShotNode &s, WorldServiceCalls &w)
{
    Player &p = *c.player;
    if (!BoxesOverlap(p.x, p.y, (float)p.halfWidth, (float)p.halfHeight, s.x, s.y, s.hitHalfWidth, s.hitHalfHeight)) return;
    if (s.harmful != 1) return;
    if (c.countdown > 0) {
        if (s.behaviour == 14) {
            s.paramA = 9999;
            s.hit = 1;
        }
        return;
    }
    int d = s.damage;
    if (d != 0) {
        d -= p.defence;
        if (d < 1) d = 1;
    }
    if (s.knockBack != 0) p.pushRequest = s.knockBack;
    if (c.arms) {
        Arms &a = *c.arms;
        TakeWornArmour150(a);
        if (s.takesWeapon && a.weapon != 0) {
            w.playEffectSound(38);
            const ItemKind *row = w.itemKind(a.weapon);
            const int units = row && row->kind == ITEM_COUNTED_WEAPON ? (a.weaponCount > 0 ? a.weaponCount : 1) : 1;
            for (int i = 0; i < units; i++) DropItem(c, a.weapon, w);
            a.weapon = 0;
            a.weaponCount = 0;
        }
        if (s.takesArmour && (a.armour1 != 0 || a.armour2 != 0)) {
            int &slot = a.armour1 != 0 ? a.armour1 : a.armour2;
            w.playEffectSound(38);
            DropItem(c, slot, w);
            slot = 0;
            ApplyArmorEffects(a);
        }
    }
    if (d != 0) HurtPlayer(c, d);
    s.hit = 1;
    if (s.behaviour == 14) s.paramA = 9999;
}

} // namespace

void TakeWornArmour150(Arms &arms)
{
    if (arms.armour1 == kBreakingArmour && GameRand() % 3 == 0) EquipArmorSlot1(kBrokenArmour, arms);
    else if (arms.armour2 == kBreakingArmour && GameRand() % 3 == 0) EquipArmorSlot2(kBrokenArmour, arms);
}

void HurtPlayer(PlayerContact &c, int d)
{
    if (c.status) {
        c.status->hp -= d;
        if (c.status->hp > 0 && c.player) c.player->invulnerable = 100;
    }
    if (c.player) WorldServices().addPlayerPopupNumber(c.effects, c.player->x, c.player->y, d);
    c.countdown = kContactCountdown;
}

void ApplyShotHits(PlayerContact &c)
{
    if (!c.arms) return;
    WorldServiceCalls &w = WorldServices();
    c.kills = 0;
    for (ShotNode *s = c.arms->shotHead; s; s = s->next) {
        if (s->breaksBlocks == 1 && c.grid) BreakBlock(c, *s, w);
        if (c.enemies && (!s->fromEnemy || s->hitsBoth > 0)) HitEnemies(c, *s, w);
        if (c.player && (s->fromEnemy || s->hitsBoth > 0)) HitPlayer(c, *s, w);
    }
}
