// What the programs and the shots ask about the enemies and the player: marks near a point, the
// nearest enemy's angle, the line of sight, aiming and nearness.
#include <cmath>

#include "game/actors/actor_map.h"
#include "game/actors/enemies.h"
#include "game/actors/player.h"

namespace {

constexpr float kFarSide = 160;
constexpr float kNoneYet = 8388608;
constexpr float kNear = 5;

} // namespace

void MarkEnemiesNear(Enemies &enemies, float radius, float x, float y)
{
    for (EnemyNode *n = enemies.head; n; n = n->next) {
        const float dx = n->x - x, dy = n->y - y;
        if (std::sqrt(dx * dx + dy * dy) < radius) n->alerted = 1;
    }
}

bool FindNearestEnemyAngle(const Enemies &enemies, int side, float x, float y, float *angle)
{
    float best = kNoneYet;
    const EnemyNode *found = nullptr;
    for (const EnemyNode *n = enemies.head; n; n = n->next) {
        float sum = std::fabs(x - n->x) + std::fabs(y - n->y);
        const bool farSide = side == 0 ? n->x > x : n->x < x;
        if (farSide) sum += kFarSide;
        if (sum < best) {
            best = sum;
            found = n;
        }
    }
    if (!found || best == 0) return false;
    *angle = std::atan2(found->y - y, found->x - x);
    return true;
}

int CheckLineToPlayer(const Enemies &enemies, float x, float y, int n)
{
    const Player *p = enemies.player;
    if (!p) return 0;
    const float a = std::atan2(p->y - y, p->x - x);
    const float sx = std::cos(a), sy = std::sin(a);
    const float hw = (float)p->halfWidth, hh = (float)p->halfHeight;
    float rx = x, ry = y;
    for (int i = 0; i < n; i++) {
        rx += sx;
        ry += sy;
        const int attribute = AttributeAt(enemies.grid, rx, ry);
        if (attribute == 1 || attribute == 10) return 0;
        if (rx > p->x - hw && rx < p->x + hw && ry > p->y - hh && ry < p->y + hh) return 1;
    }
    return 0;
}

void ComputeAimAtPlayerOffset(const Enemies &enemies, float x, float y, float ox, float oy, float speed, float *vx,
                              float *vy)
{
    const float px = enemies.player ? enemies.player->x : 0, py = enemies.player ? enemies.player->y : 0;
    const float a = std::atan2(py + oy - y, px + ox - x);
    *vx = speed * std::cos(a);
    *vy = speed * std::sin(a);
}

bool IsNearPlayerPoint(const Enemies &enemies, float x, float y, float ox, float oy)
{
    if (!enemies.player) return false;
    const float dx = enemies.player->x + ox - x, dy = enemies.player->y + oy - y;
    return std::sqrt(dx * dx + dy * dy) < kNear;
}
