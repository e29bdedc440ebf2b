// The one factory of shots: a node filled from its kind's row, aimed at the player for an enemy's
// aimed behaviours, tied to its firing enemy for the behaviours that follow it, and appended to
// the arms' shot list.
#include <cmath>

#include "game/actors/actors.h"
#include "game/actors/shot_kinds.h"
#include "library/base/log.h"

namespace {

constexpr int kDamageCap = 9999;
constexpr int kFixedVelocityBehaviour = 43;

bool IsAimed(int behaviour)
{
    switch (behaviour) {
    case 1: case 6: case 11: case 14: case 16: case 36: case 37: case 47: case 56: return true;
    default: return false;
    }
}

bool FollowsOwner(int behaviour)
{
    switch (behaviour) {
    case 4: case 8: case 29: case 41: case 42: case 50: case 51: case 58: return true;
    default: return false;
    }
}

} // namespace

ShotNode *CreateShot(Arms &arms, int x, int y, int kind, int damage, uint8_t fromEnemy, int bodyId, int overrideWidth,
                     int overrideHeight, EnemyNode *owner)
{
    const bool enemy = fromEnemy != 0;
    if (kind < 0 || kind >= (enemy ? kEnemyShotKindCount : kPlayerShotKindCount)) {
        WriteLogFmt("弾の種類 %d は%sの弾の表にありません in CreateShot", kind, enemy ? "敵" : "プレイヤー");
        return nullptr;
    }
    if (damage > kDamageCap) damage = kDamageCap;
    const ShotKind &row = kShotKinds[ShotKindRow(kind, enemy)];

    float vx = row.vx, vy = row.vy;
    if (enemy && IsAimed(row.behaviour) && arms.player) {
        // The row's velocity stays as a bias under the aimed part.
        const float angle = std::atan2(arms.player->y - (float)y, arms.player->x - (float)x);
        vx += std::cos(angle) * (float)row.paramA;
        vy += std::sin(angle) * (float)row.paramA;
    }
    if (row.behaviour == kFixedVelocityBehaviour) {
        vx = (float)overrideWidth;
        vy = (float)overrideHeight;
    }

    ShotNode *s = new ShotNode;
    if (enemy && FollowsOwner(row.behaviour) && owner) s->owner = RefTo(owner);
    s->x = (float)x;
    s->y = (float)y;
    s->damage = damage;
    s->breaksBlocks = row.breaksBlocks;
    s->stopsAtWalls = row.stopsAtWalls;
    s->age = 0;
    s->behaviour = row.behaviour;
    s->hit = 0;
    s->halfWidth = row.halfWidth;
    s->halfHeight = row.halfHeight;
    s->direction = (float)row.direction;
    s->bodyId = bodyId;
    s->burstCode = row.burstCode;
    s->pushesObjects = row.pushesObjects;
    s->cellX = row.cellX;
    s->cellY = row.cellY;
    s->vy = vy;
    s->vx = vx;
    s->ready = 1;
    s->harmful = row.harmful;
    s->hitHalfWidth = overrideWidth != 0 ? (float)(overrideWidth + 1) : row.hitHalfWidth;
    s->hitHalfHeight = overrideHeight != 0 ? (float)(overrideHeight + 1) : row.hitHalfHeight;
    s->fromEnemy = enemy ? 1 : 0;
    s->paramA = row.paramA;
    s->paramB = row.paramB;
    s->paramC = row.paramC;
    s->hitsBoth = row.hitsBoth;
    s->knockBack = row.knockBack;
    s->takesWeapon = row.takesWeapon;
    s->takesArmour = row.takesArmour;
    AppendShotNode(arms, s);
    return s;
}
