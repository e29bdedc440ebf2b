// The enemies' motion pass (the hit shake's count-down, the move by the operation's motion class,
// the resolution against the map cells) and their ambient effects.
#include <array>
#include <cmath>

#include "game/actors/actor_map.h"
#include "game/actors/enemies.h"
#include "game/actors/player.h"
#include "game/frame/game_random.h"
#include "game/world/world_services.h"

namespace {

constexpr float kFall = 2.2f;         // the fixed fall and ceiling-walk speed
constexpr float kGravity = 0.13f;     // of the ballistic classes
constexpr int kKnockSound = 50;

enum MotionClass {
    MOTION_WALK = 0,
    MOTION_FLY = 1,
    MOTION_KNOCKABLE = 2,
    MOTION_STAND = 3,
    MOTION_BALLISTIC = 4,
    MOTION_HOLD = 5,
    MOTION_CHAIN = 6,
    MOTION_CEILING = 7,
    MOTION_RISE = 8,
    MOTION_BALLISTIC_UP = 9,
    MOTION_NONE = 10,
};

constexpr std::array<uint8_t, kEnemyOpCount> BuildMotionClasses()
{
    std::array<uint8_t, kEnemyOpCount> t{};
    for (auto &c : t) c = MOTION_NONE;
    t[0] = MOTION_WALK;
    for (int op : {1, 16, 20, 49, 50, 53, 57, 69, 70, 97}) t[op] = MOTION_FLY;
    t[2] = MOTION_KNOCKABLE;
    t[8] = t[39] = MOTION_STAND;
    t[9] = MOTION_BALLISTIC;
    t[17] = t[18] = MOTION_HOLD;
    t[67] = MOTION_CHAIN;
    t[87] = MOTION_CEILING;
    t[105] = MOTION_RISE;
    t[112] = MOTION_BALLISTIC_UP;
    return t;
}
constexpr std::array<uint8_t, kEnemyOpCount> kMotionClasses = BuildMotionClasses();

bool IsSolid(int attribute) { return attribute == 1 || attribute == 10 || attribute == 14 || attribute == 15; }
bool IsHardSolid(int attribute) { return attribute == 1 || attribute == 10; }

// Programs whose lower side probes ride at the centre's height (so they climb slopes onto blocks).
bool RaisesLowerProbes(int program)
{
    switch (program) {
    case 5: case 6: case 11: case 14: case 22: case 23: case 41: case 48: case 49: case 50: case 52: case 71: case 72:
        return true;
    default:
        return false;
    }
}

struct Probes {
    float dx[8], dy[8];
    int count = 4;
};

// The four corners in order, then the side and middle points of a node 8 or more pixels across.
Probes ProbePoints(int w, int h, bool raiseLower)
{
    Probes p;
    const float fw = (float)w, fh = (float)h, low = raiseLower ? 0.0f : fh;
    const float dx[8] = {fw, -fw, fw, -fw, fw, -fw, 0, 0};
    const float dy[8] = {-fh, -fh, low, low, 0, 0, fh, -fh};
    p.count = (w >= 8 || h >= 8) ? 8 : 4;
    for (int i = 0; i < 8; i++) p.dx[i] = dx[i], p.dy[i] = dy[i];
    return p;
}

struct ProbeResult {
    int solid = 0; // the first solid attribute, 0 none
    int last = 0;  // the last probe's attribute
};

ProbeResult Probe(const MapGrid *grid, float x, float y, const Probes &p, bool (*solid)(int))
{
    ProbeResult r;
    for (int i = 0; i < p.count; i++) {
        r.last = AttributeAt(grid, x + p.dx[i], y + p.dy[i]);
        if (solid(r.last)) {
            r.solid = r.last;
            break;
        }
    }
    return r;
}

// The enemies' floor lines, relative to the cell's top at its left and right edges; their
// attributes 3 and 5 end 2 pixels below the cell's top.
bool EnemySlopeLine(int attribute, int *left, int *right)
{
    switch (attribute) {
    case 2: *left = 16, *right = 8; return true;
    case 3: *left = 8, *right = 2; return true;
    case 4: *left = 8, *right = 16; return true;
    case 5: *left = 2, *right = 8; return true;
    default: return false;
    }
}

struct Contact {
    bool floor = false;   // landed on a cell or a slope
    bool ceiling = false;
    bool wall = false;
};

// Resolves the move from (n.x, n.y) to (nx, ny) against the cells, like the player's.
Contact ResolveAgainstCells(const Enemies &e, EnemyNode &n, float &nx, float &ny)
{
    Contact c;
    const int w = (int)n.halfWidth, h = (int)n.halfHeight;
    const bool raise = RaisesLowerProbes(n.program);
    const ProbeResult vertical = Probe(e.grid, n.x, ny, ProbePoints(w, h, false), IsSolid);
    int side = Probe(e.grid, nx, n.y, ProbePoints(w, h, raise), IsSolid).solid;
    if (side == 0 && vertical.solid == 0) side = Probe(e.grid, nx, ny, ProbePoints(w, h, raise), IsHardSolid).solid;

    if (vertical.solid) {
        if (ny - n.y >= 0) {
            ny = (float)(Floor16((int)ny + h) - h) - 0.1f;
            c.floor = true;
        } else {
            ny = (float)(Floor16((int)ny - h) + h + 16);
            c.ceiling = true;
        }
        if (vertical.solid == 14) nx -= 0.15f;
        if (vertical.solid == 15) nx += 0.15f;
    }
    if (side) {
        c.wall = true;
        if (n.operation != OP_JUMP) n.stepState = 1;
        const float moved = nx - n.x;
        if (moved > 0) nx = (float)(Floor16((int)nx + w) - w) - 0.1f;
        else if (moved < 0) nx = (float)(Floor16((int)nx - w) + w + 16);
    }

    const MapPoint foot = MapPointAt(e.grid, nx, ny + (float)h);
    int left = 0, right = 0;
    if (foot.inside && EnemySlopeLine(CellAttribute(foot.cell), &left, &right)) {
        const int cx = Floor16((int)nx), cy = Floor16((int)ny + h);
        const float y1 = (float)(cy + left), y2 = (float)(cy + right);
        float rise = (y2 - y1) * (nx - (float)cx);
        rise = rise / 16.0f;
        const float line = y1 + rise;
        if (ny + (float)h > line) {
            ny = line - (float)h;
            c.floor = true;
        }
    }
    return c;
}

bool InsideMap(const Enemies &e, const EnemyNode &n)
{
    if (!e.grid) return false;
    return n.x >= 0 && n.y >= 0 && n.x < (float)(e.grid->width * 16) && n.y < (float)(e.grid->height * 16);
}

// A hit node of class 2 is knocked back until its bounce settles; its hit shake stays at 1.
bool KnockedBack(const EnemyNode &n) { return n.hit && EnemyMotionClass(n.operation) == MOTION_KNOCKABLE; }

void MoveNode(Enemies &e, EnemyNode &n)
{
    // The hit shake runs down (16 skips to 14), and a shake that has run out ends the hit.
    if (!(KnockedBack(n) && n.hitShake == 1)) {
        if (n.hitShake > 0) n.hitShake -= n.hitShake == 16 ? 2 : 1;
        else n.hit = 0;
    }

    float nx = n.x, ny = n.y;
    switch (EnemyMotionClass(n.operation)) {
    case MOTION_WALK: nx = n.x + n.vx, ny = n.y + kFall; break;
    case MOTION_FLY: nx = n.x + n.vx, ny = n.y + n.vy; break;
    case MOTION_KNOCKABLE:
        if (!n.hit) {
            ny = n.y + kFall;
            break;
        }
        if (n.hitShake != 1) {
            WorldServices().playEffectSound(kKnockSound);
            n.hitShake = 1;
        }
        n.vy += 0.25f;
        nx = n.x + n.vx, ny = n.y + n.vy;
        if (n.stepCounter % 60 == 0) n.vx *= 0.8f;
        break;
    case MOTION_STAND: ny = n.y + kFall; break;
    case MOTION_BALLISTIC:
        n.vy += kGravity;
        nx = n.x + n.vx, ny = n.y + n.vy;
        break;
    case MOTION_CHAIN: {
        const EnemyNode *parent = Linked(n.parent), *child = Linked(n.secondChild);
        if (parent && child) nx = (parent->x + child->x) / 2, ny = (parent->y + child->y) / 2;
        break;
    }
    case MOTION_CEILING: nx = n.x + n.vx, ny = n.y - kFall; break;
    case MOTION_RISE: ny = n.y - kFall; break;
    case MOTION_BALLISTIC_UP:
        n.vy -= kGravity;
        nx = n.x + n.vx, ny = n.y + n.vy;
        break;
    default: break;
    }

    n.supported = 0;
    if (n.tileCollision) {
        const Contact c = ResolveAgainstCells(e, n, nx, ny);
        if (c.floor) n.supported = 1;
        switch (n.operation) {
        case OP_JUMP: case OP_JUMP_112:
            if (c.floor || c.ceiling) {
                n.stepState = 1;
                n.vx = n.vy = 0;
            }
            break;
        case OP_FLY:
            if (!n.supported) n.vy = kFall;
            break;
        case OP_BOUNCE_FLY:
            if (c.floor || c.ceiling) n.vy = -n.vy;
            if (c.wall) n.vx = -n.vx;
            break;
        case OP_KNOCKABLE:
            if (n.hit && c.floor) {
                n.vy = -(n.vy - 2);
                if (n.vy >= -1 && n.vy <= 1) {
                    n.hit = 0;
                    n.vx = GameRand() % 2 == 0 ? 0.2f : -0.2f;
                    n.hitShake = 0;
                    n.vy = -3.0f;
                }
            }
            break;
        default: break;
        }
    }
    n.x = nx;
    n.y = ny;
}

} // namespace

int EnemyMotionClass(int operation)
{
    return (operation >= 0 && operation < kEnemyOpCount) ? (int)kMotionClasses[operation] : (int)MOTION_NONE;
}

void MoveEnemies(Enemies &enemies)
{
    for (EnemyNode *n = enemies.head; n; n = n->next)
        if (InsideMap(enemies, *n)) MoveNode(enemies, *n);
}

void UpdateEnemyAmbient(Enemies &enemies)
{
    const WorldServiceCalls &w = WorldServices();
    for (EnemyNode *n = enemies.head; n; n = n->next) {
        switch (n->operation) {
        case OP_HIDDEN:
            if (GameRand() % 200 == 0) w.spawnEffect(enemies.effects, n->x + (float)(GameRand() % 16), n->y, 2);
            break;
        case OP_SPARKLE:
            if (GameRand() % 75 == 0) w.spawnEffect(enemies.effects, n->x + 12, n->y + 6, 13);
            break;
        case OP_NEAR_PLAYER: {
            float d = 1e30f;
            if (enemies.player) {
                const float dx = enemies.player->x - n->x, dy = enemies.player->y - n->y;
                d = std::sqrt(dx * dx + dy * dy);
            }
            n->stepState = d < (float)n->stored ? 1 : 2;
            break;
        }
        default: break;
        }
    }
}
