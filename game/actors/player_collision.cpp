// The hero against the map cells: the position history, the vertical and horizontal probes with
// their snaps to the tile edges, conveyors, floor and ceiling slopes, and the head bump.
#include "game/actors/actor_map.h"
#include "game/actors/player.h"
#include "game/world/world_services.h"

namespace {

// Cell attributes as the hero meets them.
constexpr int kSolid = 1;
constexpr int kSolidBreakable = 10;
constexpr int kConveyorLeft = 14;
constexpr int kConveyorRight = 15;

bool IsSolid(int attribute)
{
    return attribute == kSolid || attribute == kSolidBreakable || attribute == kConveyorLeft ||
           attribute == kConveyorRight;
}

struct ProbeResult {
    int solid = 0; // first solid attribute, 0 none
    int last = 0;  // attribute of the last probe tested
};

// The box's four corners around (cx, cy), in order, stopping at the first solid cell.
ProbeResult ProbeBox(Player &p, float cx, float cy)
{
    const float w = (float)p.halfWidth, h = (float)p.halfHeight;
    const float ox[4] = {w, -w, w, -w};
    const float oy[4] = {-h, -h, h, h};
    ProbeResult r;
    for (int i = 0; i < 4; i++) {
        MapPoint m = MapPointAt(p.grid, cx + ox[i], cy + oy[i]);
        p.lastProbeCell = m.row * (p.grid ? p.grid->width : 0) + m.column;
        r.last = CellAttribute(m.cell);
        if (IsSolid(r.last)) {
            r.solid = r.last;
            break;
        }
    }
    return r;
}

// The walkable line of a slope cell at its left and right edges, relative to the cell's top.
bool SlopeLine(int slope, int *left, int *right)
{
    switch (slope) {
    case 0: *left = 16, *right = 8; return true;
    case 1: *left = 8, *right = -2; return true;
    case 2: *left = 8, *right = 16; return true;
    case 3: *left = -2, *right = 8; return true;
    default: return false;
    }
}

// The line's height at x; each step a 32-bit float.
float SlopeHeight(int cellLeft, int cellTop, int slope, float x)
{
    int left = 0, right = 0;
    SlopeLine(slope, &left, &right);
    int y1 = cellTop + left, y2 = cellTop + right;
    float run = x - (float)cellLeft;
    float rise = (float)(y2 - y1) * run;
    rise = rise / 16.0f;
    return (float)y1 + rise;
}

void Land(Player &p)
{
    p.onGround = 1;
    p.airJumpsLeft = p.extraAirJumps;
    p.bumpLatched = 0;
    p.airborne = 0;
}

} // namespace

void CollidePlayerWithMap(Player &p)
{
    if (p.carriedX != 0) p.x = p.carriedX;
    if (p.carriedY != 0) p.y = p.carriedY;

    p.historyIndex = (p.historyIndex + 1) % kPlayerHistoryLength;
    p.history[p.historyIndex] = {p.x, p.y};

    ProbeResult vertical = ProbeBox(p, p.previousX, p.y);
    p.verticalAttribute = vertical.solid ? vertical.solid : vertical.last;
    int h = ProbeBox(p, p.x, p.previousY).solid;
    // A corner that neither set touched is met as a wall.
    if (h == 0 && p.verticalAttribute == 0) h = ProbeBox(p, p.x, p.y).solid;

    p.headBump = 0;
    p.blocked = 0;
    p.lastVerticalStep = (int)(p.y - p.previousY);
    p.lastHorizontalStep = (int)(p.x - p.previousX);

    const int hw = p.halfWidth, hh = p.halfHeight;
    if (IsSolid(p.verticalAttribute)) {
        if (p.y - p.previousY >= 0) {
            p.y = (float)(Floor16((int)p.y + hh) - hh) - 0.1f;
            Land(p);
        } else {
            p.y = (float)(Floor16((int)p.y - hh) + hh + 16);
            p.headBump = 1;
        }
        p.blocked = 1;
        if (p.verticalAttribute == kConveyorLeft) p.x -= 0.15f;
        if (p.verticalAttribute == kConveyorRight) p.x += 0.15f;
    } else if (p.support == 0) {
        p.onGround = 0;
    } else if (p.support == 1) {
        Land(p);
    } else if (p.support == 2) {
        p.headBump = 1;
    }

    if (IsSolid(h)) {
        float moved = p.x - p.previousX;
        if (moved > 0) p.x = (float)(Floor16((int)p.x + hw) - hw) - 0.1f;
        else if (moved < 0) p.x = (float)(Floor16((int)p.x - hw) + hw + 16);
        p.blocked = 1;
    }

    int cellLeft = Floor16((int)p.x);
    MapPoint foot = MapPointAt(p.grid, p.x, p.y + hh);
    int footAttribute = CellAttribute(foot.cell);
    if (foot.inside && footAttribute >= 2 && footAttribute <= 5) {
        float line = SlopeHeight(cellLeft, Floor16((int)p.y + hh), footAttribute - 2, p.x);
        if (p.y + hh > line) {
            p.y = line - hh;
            p.onGround = 1;
            p.airJumpsLeft = p.extraAirJumps;
            p.airborne = 0;
        }
        p.bumpLatched = 0;
    } else {
        MapPoint head = MapPointAt(p.grid, p.x, p.y - hh);
        int headAttribute = CellAttribute(head.cell);
        if (head.inside && headAttribute >= 6 && headAttribute <= 9) {
            float line = SlopeHeight(cellLeft, Floor16((int)p.y - hh), headAttribute - 6, p.x);
            if (p.y - hh < line) {
                p.y = line + hh;
                p.headBump = 1;
            }
        }
    }

    if (p.headBump && !p.bumpLatched) {
        const WorldServiceCalls &w = WorldServices();
        w.playEffectSound(53);
        w.spawnEffect(p.effects, p.x, p.y - 8, 3);
        w.spawnEffect(p.effects, p.x, p.y - 8, 3);
        p.noise = 1;
        p.bumpLatched = 1;
    }
}
