// The companion's flight (following the hero's path with a sway and a look offset, or steered),
// its sight ray, its distance level, and the camera that centres on it.
#include "game/actors/companion.h"

#include <algorithm>
#include <cmath>

#include "game/actors/actor_map.h"
#include "game/actors/player.h"
#include "game/frame/game_random.h"
#include "game/frame/game_graphics.h"
#include "game/frame/status_window.h"
#include "game/world/world_services.h"

namespace {

bool Held(int button) { return WorldServices().buttonCount(button) > 0; }

constexpr float kSwayReach = 34.0f;
constexpr float kLookReach = 48.0f;
constexpr int kLookDelay = 50;
constexpr float kSteerTop = 5.0f;

void Follow(Companion &c)
{
    Player &p = *c.player;
    c.trailIndex = p.historyIndex - 5;
    if (c.trailIndex < 0) c.trailIndex += kPlayerHistoryLength;
    const PlayerHistoryEntry &target = p.history[c.trailIndex];
    if (p.direction % 2 == 0) {
        if (c.offsetX > -kSwayReach) c.swaySpeed = 1;
        else c.swaySpeed *= 0.95f;
        c.offsetX -= c.swaySpeed;
    } else {
        if (c.offsetX < kSwayReach) c.swaySpeed = 1;
        else c.swaySpeed *= 0.95f;
        c.offsetX += c.swaySpeed;
    }
    c.x = target.x + c.offsetX;
    c.y = target.y + c.offsetY;
}

// One rand() % range, the draw kept even when the range is empty.
int Kick(int range)
{
    int r = GameRand();
    return range > 0 ? r % range : 0;
}

void Steer(Companion &c)
{
    Player &p = *c.player;
    c.relativeX = (int)(c.x - p.x);
    c.relativeY = (int)(c.y - p.y);
    if (Held(BUTTON_DOWN)) {
        c.relativeY++;
        c.offsetY = std::min(c.offsetY + 0.1f, kSteerTop);
    } else if (Held(BUTTON_UP)) {
        c.relativeY--;
        c.offsetY = std::max(c.offsetY - 0.1f, -kSteerTop);
    } else {
        c.offsetY *= 0.9f;
    }
    if (Held(BUTTON_RIGHT)) c.offsetX = std::min(c.offsetX + 0.1f, kSteerTop);
    else if (Held(BUTTON_LEFT)) c.offsetX = std::max(c.offsetX - 0.1f, -kSteerTop);
    else c.offsetX *= 0.9f;

    // No kicks while the first timed effect runs.
    bool calm = c.status && c.status->timers[0] != 0;
    if (!calm && GameRand() % 100 == 0) {
        int kx = Kick(c.kickRange);
        int ky = Kick(c.kickRange);
        c.offsetX += GameRand() % 2 == 0 ? (float)-kx : (float)kx;
        c.offsetY += GameRand() % 2 == 0 ? (float)-ky : (float)ky;
    }
    CheckCompanionSight(c);
    c.x += c.offsetX;
    c.y += c.offsetY;
}

// Toward a reach with a speed that builds by 0.05 a frame (at most 1), then decays past it.
void LookToward(Companion &c, float sign)
{
    if (++c.lookHold <= kLookDelay) return;
    if (c.offsetY * sign < kLookReach) c.lookSpeed = sign > 0 ? std::min(c.lookSpeed + 0.05f, 1.0f)
                                                                : std::max(c.lookSpeed - 0.05f, -1.0f);
    else c.lookSpeed *= 0.95f;
    c.offsetY += c.lookSpeed;
}

} // namespace

void LoadCompanionImage(Companion &c) { c.sheet = GameGraphics().openImageAsGraph("DataForWork\\sp.bmp", 0); }

void UpdateCompanion(Companion &c)
{
    c.animationCounter++;
    if (!c.player) return;
    if (c.mode == COMPANION_FOLLOW) Follow(c);
    else Steer(c);
    if (!c.grid) return;
    c.x = std::min(std::max(c.x, 0.0f), (float)((c.grid->width - 2) * kMapTileSize));
    c.y = std::min(std::max(c.y, 0.0f), (float)((c.grid->height - 2) * kMapTileSize));
}

void UpdateLookOffset(Companion &c)
{
    if (c.transitionBusy && *c.transitionBusy) {
        c.swaySpeed *= 0.95f;
        c.offsetX += c.swaySpeed;
        c.lookSpeed *= 0.95f;
        c.offsetY += c.lookSpeed;
        return;
    }
    if (Held(BUTTON_UP)) {
        LookToward(c, -1);
    } else if (Held(BUTTON_DOWN)) {
        LookToward(c, 1);
    } else {
        c.lookHold = 0;
        c.lookSpeed = 0;
        if (c.offsetY > 0) c.offsetY = std::max(c.offsetY - 1.0f, 0.0f);
        else if (c.offsetY < 0) c.offsetY = std::min(c.offsetY + 1.0f, 0.0f);
    }
}

int MoveCompanionToward(Companion &c, float x, float y)
{
    float dx = x - c.x, dy = y - c.y;
    if (std::sqrt(dx * dx + dy * dy) <= 10.0f) return 1;
    float a = std::atan2(dy, dx);
    c.x += 5.0f * std::cos(a);
    c.y += 5.0f * std::sin(a);
    return 0;
}

void CheckCompanionSight(Companion &c)
{
    c.sight = 0;
    if (!c.player) return;
    float cx = c.x + 15, cy = c.y + 16;
    float px = c.player->x, py = c.player->y;
    float a = std::atan2(cy - py, cx - px);
    float stepX = std::cos(a), stepY = std::sin(a);
    for (int i = 0; i < c.sightSteps; i++) {
        px += stepX;
        py += stepY;
        if (AttributeAt(c.grid, px, py) != 0) return;
        if (std::fabs(px - cx) <= 1.0f && std::fabs(py - cy) <= 1.0f) {
            c.sight = 1;
            return;
        }
    }
}

int GetCompanionDistanceLevel(const Companion &c)
{
    if (!c.player) return 0;
    int s = (int)((float)(int)c.y - c.player->y) + (int)((float)(int)c.x - c.player->x);
    if (s <= 200) return 0;
    if (s <= 400) return 1;
    if (s <= 600) return 2;
    if (s <= 800) return 3;
    if (s <= 1000) return 4;
    return 5;
}

void StopCompanion(Companion &c)
{
    c.mode = COMPANION_FOLLOW;
    c.swaySpeed = 0;
    c.lookSpeed = 0;
    c.offsetX = 0;
    c.offsetY = 0;
}

void UpdateCompanionScreenPosition(Companion &c)
{
    CameraPoint camera = ActorCamera(c);
    c.screenX = (float)(int)ScreenX(camera, c.x);
    c.screenY = (float)(int)ScreenY(camera, c.y);
}

void DrawCompanion(Companion &c)
{
    int srcX = 0, srcY = 0;
    if (c.mode == COMPANION_STEERED) {
        srcX = c.sight ? 0 : 32;
    } else if (c.mode == COMPANION_STEERED_ANIMATED) {
        srcY = ((c.animationCounter / 10) % 3 + 1) * 32;
    } else {
        return;
    }
    c.sourceRect[0] = srcX;
    c.sourceRect[1] = srcY;
    c.sourceRect[2] = srcX + 32;
    c.sourceRect[3] = srcY + 32;
    GameGraphics().drawGraphPart((int)c.screenX, (int)c.screenY, srcX, srcY, 32, 32, c.sheet, 1, 0);
}
