// The player against solid enemies and deadly cells: contact damage under the shared countdown,
// and where the player stands when it lands on an enemy, bumps one from below or runs into one.
#include "game/actors/actors.h"
#include "game/actors/actor_map.h"
#include "game/actors/combat.h"

namespace {

constexpr int kDeadlyAttribute = 11;
constexpr int kDeadlyDamage = 9999;
constexpr int kEdgeMargin = 8;

void PlaceOnEnemy(Player &p, const EnemyNode &e)
{
    const float px = p.x, py = p.y, phw = (float)p.halfWidth, phh = (float)p.halfHeight;
    if (py < e.y - e.halfHeight && p.vy > 0) {
        p.support = 1;
        if (e.state == ENEMY_HURT) {
            p.carriedX = px;
            p.carriedY = e.y - phh - e.halfHeight;
        } else {
            p.carriedX = px + e.vx;
            p.carriedY = e.y - phh - e.halfHeight + e.vy;
        }
    } else if (py > e.y + e.halfHeight && p.vy <= 0) {
        p.support = 2;
        p.carriedX = px;
        p.carriedY = e.y + e.halfHeight + phh;
    } else {
        p.carriedY = 0;
        if (px < e.x - e.halfWidth) p.carriedX = e.x - e.halfWidth - phw;
        else if (px > e.x + e.halfWidth) p.carriedX = e.x + e.halfWidth + phw;
        else p.carriedX = 0;
    }
}

} // namespace

void UpdatePlayerEnemyContact(PlayerContact &c)
{
    if (!c.player) return;
    Player &p = *c.player;
    p.carriedX = p.carriedY = 0.0f;
    p.support = 0;
    if (c.enemies) {
        for (EnemyNode *e = c.enemies->head; e; e = e->next) {
            if (e->solid != 1) continue;
            if (!BoxesOverlap(e->x, e->y, e->halfWidth, e->halfHeight, p.x, p.y, (float)p.halfWidth,
                              (float)p.halfHeight)) {
                e->touching = 0;
                continue;
            }
            e->touching = 1;
            if (c.countdown == 0 && e->damage != 0 && e->state != ENEMY_HURT) {
                int d = e->damage - p.defence;
                if (d < 1) d = 1;
                if (c.arms) TakeWornArmour150(*c.arms);
                HurtPlayer(c, d);
            }
            PlaceOnEnemy(p, *e);
        }
    }
    if (c.countdown > 0) c.countdown--;
}

void CheckDeadlyCells(PlayerContact &c)
{
    // A map that did not load has no edges to fall off.
    if (!c.player || !c.grid || c.grid->width <= 0 || c.grid->height <= 0) return;
    const Player &p = *c.player;
    const int x = (int)p.x, y = (int)p.y, hw = p.halfWidth, hh = p.halfHeight;
    const int corners[4][2] = {{x + hw, y - hh}, {x - hw, y - hh}, {x + hw, y + hh}, {x - hw, y + hh}};
    bool caught = false;
    for (const auto &k : corners) {
        MapPoint at = MapPointAt(c.grid, (float)k[0], (float)k[1]);
        if (at.inside && CellAttribute(at.cell) == kDeadlyAttribute) caught = true;
    }
    const int w = c.grid->width * 16, h = c.grid->height * 16;
    if (x > w - kEdgeMargin || y > h - kEdgeMargin || x < kEdgeMargin || y < kEdgeMargin) caught = true;
    if (caught && c.countdown == 0) HurtPlayer(c, kDeadlyDamage);
}
