#include "game/world/gimmicks.h"

#include "game/actors/actors.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "game/frame/status_window.h"
#include "game/world/camera.h"
#include "game/world/event_script.h"
#include "game/world/map_grid.h"

namespace {

constexpr float kFallStep = 2.2f;
constexpr float kGravity = 0.2f;
constexpr float kOffScreen = -32;

int DefaultStep(const Script *script, ScriptContext *context)
{
    return context ? RunScriptStep(script, *context) : 0;
}

bool FlagSet(StatusWindow *status, int flag) { return status && TestStoryFlag(flag, *status) == 1; }

// Truncation toward zero of a pixel coordinate; the values come from cells inside a grid, the
// clamp only keeps a stray value inside int.
int Trunc(float v)
{
    if (!(v > -1e8f)) return -100000000;
    if (v > 1e8f) return 100000000;
    return (int)v;
}

bool Solid(int attribute) { return attribute == 1 || attribute == 10 || attribute == 12; }

// The surface of slope cells 2..5: its height at the cell's left and right edge, from the top.
struct SlopeEnds {
    int left, right;
};
bool SlopeOf(int attribute, SlopeEnds *ends)
{
    static const SlopeEnds kEnds[4] = {{16, 8}, {8, -2}, {8, 16}, {-2, 8}};
    if (attribute < 2 || attribute > 5) return false;
    *ends = kEnds[attribute - 2];
    return true;
}

} // namespace

Gimmicks::Gimmicks() : scriptStep(DefaultStep) {}

void Gimmicks::InitGimmicks()
{
    exitScripts[0] = nullptr;
    for (int n = 1; n <= kExitScriptCount; n++) exitScripts[n] = MapExitScript(n);
}

void Gimmicks::LoadGimmickSheet() { sheet = GameGraphics().openImageAsGraph("DataForWork\\npc.bmp", 0); }

void Gimmicks::CreateGimmick(int x, int y, int kind)
{
    if (kind < 0 || kind >= kGimmickKindCount) kind = 0;
    if (kGimmickKinds[kind].showFlag != 0 && !FlagSet(status, kGimmickKinds[kind].showFlag)) kind = 0;
    if (kGimmickKinds[kind].hideFlag != 0 && FlagSet(status, kGimmickKinds[kind].hideFlag)) kind = 0;
    const GimmickKind &k = kGimmickKinds[kind];
    GimmickNode n;
    n.halfWidth = k.halfWidth;
    n.halfHeight = k.halfHeight;
    n.x = (float)(x + k.halfWidth);
    n.y = (float)(y + k.halfHeight);
    n.screenX = n.screenY = kOffScreen;
    n.scriptNumber = k.scriptNumber;
    n.sheetX = (float)k.sheetX;
    n.sheetY = (float)k.sheetY;
    n.frameCount = k.frameCount;
    n.frameInterval = k.frameInterval;
    n.motion = k.motion;
    n.hideFlag = k.hideFlag;
    n.showFlag = k.showFlag;
    n.touch = k.touch;
    nodes.push_back(n);
}

void Gimmicks::FreeGimmickList()
{
    nodes.clear();
    exitNode = nullptr;
    scriptNodes.fill(nullptr);
}

void Gimmicks::MoveNode(GimmickNode &n, int count)
{
    if (n.frameCount != 0 && n.frameInterval > 0 && count % n.frameInterval == 0) {
        n.frame++;
        if (n.frame >= n.frameCount) n.frame = 0;
    }

    float nx = n.x, ny = n.y;
    if (n.motion == 1) {
        nx = n.x - n.speedX;
        ny = n.y + kFallStep;
    } else if (n.motion == 2) {
        n.speedY += kGravity;
        nx = n.x + n.speedX;
        ny = n.y + n.speedY;
    }

    static const MapGrid kEmpty;
    const MapGrid &g = grid ? *grid : kEmpty;
    const int hh = n.halfHeight;

    // Solid tiles above or below: the bottom edge rests 0.1 above the tile under it, or the top
    // edge at the bottom of the tile over it.
    bool hit = Solid(CellAttribute(CellAtPoint(g, n.x, ny + hh))) || Solid(CellAttribute(CellAtPoint(g, n.x, ny - hh)));
    if (hit) {
        if (ny - n.y >= 0) ny = (float)((Trunc(ny) + hh) / 16 * 16) - hh - 0.1f;
        else ny = (float)((Trunc(ny) - hh) / 16 * 16 + hh + 16);
    }

    // A slope under the bottom edge: the bottom edge rests on its surface, and only that counts.
    SlopeEnds ends;
    if (SlopeOf(CellAttribute(CellAtPoint(g, nx, ny + hh)), &ends)) {
        const float left = (float)(Trunc(nx) / 16 * 16);
        const float top = (float)((Trunc(ny) + hh) / 16 * 16);
        const float m = (float)(ends.left - ends.right) / (left - (left + 16));
        const float surface = (top + ends.left) - m * (left - nx);
        hit = surface < ny + hh;
        if (hit) ny = surface - hh;
    }

    if (n.motion == 2 && hit) n.speedX = n.speedY = 0;
    n.x = nx;
    n.y = ny;
}

void Gimmicks::UpdateGimmicks()
{
    for (GimmickNode &n : nodes) MoveNode(n, updateCount);
    updateCount++;
}

void Gimmicks::UpdateGimmickScreenPositions()
{
    static const MapGrid kEmpty;
    const CameraPoint camera =
        ClampCamera(grid ? *grid : kEmpty, companion ? companion->x : 0.0f, companion ? companion->y : 0.0f);
    for (GimmickNode &n : nodes) {
        const float sx = ScreenX(camera, n.x), sy = ScreenY(camera, n.y);
        if (sx > -64 && sx < 384 && sy > -64 && sy < 304) {
            n.screenX = (float)Trunc(sx);
            n.screenY = (float)(Trunc(sy) + 1);
        } else {
            n.screenX = n.screenY = kOffScreen;
        }
    }
}

void Gimmicks::DrawGimmicks() const
{
    GameGraphicsCalls &g = GameGraphics();
    for (const GimmickNode &n : nodes)
        g.drawGraphPart(Trunc(n.screenX - n.halfWidth), Trunc(n.screenY - n.halfHeight),
                        Trunc(n.sheetX + (float)(n.frame * n.halfWidth * 2)), Trunc(n.sheetY), 2 * n.halfWidth,
                        2 * n.halfHeight, sheet, 1, 0);
}

void Gimmicks::RunGimmickExits()
{
    if (companion && companion->mode != 0) return;

    if (exitRunning == 0 && player) {
        const float px = player->x, py = player->y;
        // A bad pad assignment reads -1: not pressed.
        const bool down = GetGameInput().Button(BUTTON_DOWN) > 0;
        for (GimmickNode &n : nodes) {
            const bool inside = n.x - n.halfWidth < px && px < n.x + n.halfWidth && n.y - n.halfHeight < py &&
                                py < n.y + n.halfHeight;
            if (!inside || !(down || n.touch == 1)) continue;
            exitRunning = 1;
            exitScript = n.scriptNumber;
            exitNode = &n;
            break;
        }
    }

    if (exitRunning == 1) {
        // Numbers without a script (0 among them) end the exit at once.
        const Script *commands =
            exitScript >= 1 && exitScript <= kExitScriptCount ? exitScripts[exitScript] : nullptr;
        if (!commands || scriptStep(commands, script) == 0) exitRunning = 0;
    }

    if (removeRequest == 1) {
        removeRequest = 0;
        if (exitNode) {
            for (GimmickNode *&slot : scriptNodes)
                if (slot == exitNode) slot = nullptr;
            nodes.remove_if([this](const GimmickNode &n) { return &n == exitNode; });
            exitNode = nullptr;
        }
    }
}

void CreateGimmick(Gimmicks &gimmicks, int x, int y, int kind) { gimmicks.CreateGimmick(x, y, kind); }

void FreeGimmickList(Gimmicks &gimmicks) { gimmicks.FreeGimmickList(); }
