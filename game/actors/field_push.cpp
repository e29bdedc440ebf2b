// Blasts and pushing shots against the loose field objects: scattered by explosions, pushed
// along, and some turned into shots of their own.
#include <cmath>

#include "game/actors/actors.h"
#include "game/actors/combat.h"
#include "game/frame/game_random.h"
#include "game/world/field_objects.h"
#include "game/world/world_services.h"

namespace {

int RandomSign() { return GameRand() % 2 ? 1 : -1; }

void Push(FieldObjectNode &n, int vx, int vy)
{
    n.pendingVelocity = 1;
    n.vx = vx;
    n.vy = vy;
}

void PushByShot(PlayerContact &c, const ShotNode &s, FieldObjectNode &n)
{
    if (s.burstCode == 1) {
        const int sx = RandomSign(), sy = RandomSign();
        Push(n, 15 * sx, 15 * sy);
        return;
    }
    if (s.burstCode == 5) {
        Push(n, 5 * RandomSign(), -16);
        return;
    }
    if (!s.pushesObjects) return;
    const float a = s.paramA, b = s.paramB;
    const float toShot = std::atan2(s.y - n.y, s.x - n.x);
    float vx, vy;
    switch ((int)s.paramC) {
    case 666: {
        const float px = c.player ? c.player->x : 0, py = c.player ? c.player->y : 0;
        vx = std::cos(std::atan2(py - n.y, px - n.x)) * a;
        vy = b;
        break;
    }
    case 777:
        vx = -std::cos(toShot) * a;
        vy = -std::sin(toShot) * b;
        break;
    case 999:
        vx = std::cos(toShot) * a;
        vy = std::sin(toShot) * b;
        break;
    default:
        vx = a;
        vy = b;
        break;
    }
    int ix = (int)vx, iy = (int)vy;
    if (s.direction != 0) {
        ix = (int)(ix * s.direction);
        iy = (int)(iy * s.direction);
    }
    Push(n, ix, iy);
}

void Convert(PlayerContact &c, const ShotNode &s, FieldObjectNode &n)
{
    Arms &arms = *c.arms;
    const int x = (int)n.x, y = (int)n.y;
    if (!s.fromEnemy) {
        if (s.burstCode != 10) return;
        Push(n, s.paramA, s.paramB);
        CreateShot(arms, x, y, 97, s.damage, 0, n.bodyId, n.width, n.height, nullptr);
        return;
    }
    if (n.converted) return;
    n.converted = 1;
    const int kind = n.row - 2;
    EnemyNode *owner = c.enemies ? Linked(s.owner) : nullptr;
    switch (s.burstCode) {
    case 2: CreateShot(arms, x, y, 89, s.damage, 1, n.bodyId, 0, 0, nullptr); break;
    case 4: CreateShot(arms, x, y, 105, s.damage, 1, n.bodyId, 0, 0, owner); break;
    case 5:
        if (kind >= 256 && kind <= 258) CreateShot(arms, x, y, 119, s.damage, 1, n.bodyId, 0, 0, owner);
        break;
    case 6:
        if (kind >= 256 && kind <= 258) break;
        if (c.enemies) SpawnEnemy(121, *c.enemies, n.x, n.y, 0, n.bodyId);
        WorldServices().spawnEffect(c.effects, n.x, n.y, 27);
        n.thrown = 1;
        n.lifetime = kLifetimeUnlimited;
        break;
    default: break;
    }
    if (s.burstCode != 3) CreateShot(arms, x, y, 45, s.pushesObjects == 0 ? 1 : s.damage, 1, n.bodyId, 0, 0, nullptr);
}

} // namespace

void PushFieldObjects(PlayerContact &c)
{
    if (!c.arms || !c.fieldObjects) return;
    for (ShotNode *s = c.arms->shotHead; s; s = s->next) {
        if (s->burstCode == 0 && !s->pushesObjects && s->hitsBoth == 0) continue;
        for (FieldObjectNode &n : c.fieldObjects->nodes) {
            if (n.image == -1) continue;
            if (!BoxesOverlap(n.x, n.y, (float)n.width, (float)n.height, s->x, s->y, s->hitHalfWidth,
                              s->hitHalfHeight))
                continue;
            if (s->hitsBoth > 0) {
                s->age = 99999;
                n.thrown = 1;
                n.lifetime = 500;
                n.settled = 1;
                n.frozen = 0;
                const int sx = RandomSign(), sy = RandomSign();
                Push(n, 15 * sx, 15 * sy);
            }
            PushByShot(c, *s, n);
            Convert(c, *s, n);
        }
    }
}
