// The hero's movement from the buttons: walking and braking, looking up and down, jumps and air
// jumps, water and its currents, pushes and nudges, and the integration of one frame.
#include <algorithm>

#include "game/actors/actor_map.h"
#include "game/actors/player.h"
#include "game/world/world_services.h"

namespace {

bool Held(int button) { return WorldServices().buttonCount(button) > 0; }
bool Pressed(int button) { return WorldServices().buttonCount(button) == 1; }

// Water bytes (byte 3 of a cell).
constexpr int kWaterCurrentRight = 13;
constexpr int kWaterCurrentLeft = 14;
constexpr int kWaterStill = 15;

constexpr float kFallCap = 2.2f;

void Walk(Player &p)
{
    float a = p.walkAcceleration, m = p.topWalkSpeed;
    if (p.inWater) {
        a /= 1.5f;
        m /= 1.5f;
    }
    bool crouching = Held(BUTTON_DOWN) && p.onGround;
    int walkFacing = -1;
    if (Held(BUTTON_LEFT) && !crouching) {
        p.vx = std::max(p.vx - a, -m);
        walkFacing = 0;
    } else if (Held(BUTTON_RIGHT) && !crouching) {
        p.vx = std::min(p.vx + a, m);
        walkFacing = 1;
    } else {
        p.vx *= p.icy ? 0.98f : 0.8f;
        if (p.pose != POSE_CROUCH) p.pose = POSE_STAND;
    }
    // The step cycle and the turn come only every fifth frame, so a tap shorter than that does
    // not turn the hero.
    if (walkFacing >= 0 && p.frameCounter % 5 == 0) {
        if (p.onGround && p.frameCounter % 10 == 0) WorldServices().playEffectSound(51);
        if (++p.pose > 2) p.pose = POSE_STAND;
        p.facing = walkFacing;
        p.direction = walkFacing;
    }
}

void Look(Player &p)
{
    if (Held(BUTTON_DOWN)) {
        if (!p.onGround) {
            p.pose = POSE_AIR_DOWN;
            // Up is dropped first, so the direction stays within 0..5.
            if (p.direction < kDirectionDown) p.direction = (p.direction & 1) + kDirectionDown;
        } else {
            p.pose = POSE_CROUCH;
            if (p.direction >= kDirectionDown) p.direction -= kDirectionDown;
        }
    } else if (Held(BUTTON_UP)) {
        if (p.direction < kDirectionUp) p.direction += kDirectionUp;
    } else {
        if (p.direction >= kDirectionDown) p.direction -= kDirectionDown;
        if (p.direction >= kDirectionUp) p.direction -= kDirectionUp;
    }
}

void Jump(Player &p)
{
    float k = p.jumpHeight / (p.jumpDuration * (p.jumpDuration + 1.0f) * 0.5f);
    float start = p.inWater ? (k * p.jumpDuration) / -1.2f : -(k * p.jumpDuration);
    bool fromGround = p.airborne == 0.0f && p.onGround && Pressed(BUTTON_JUMP);
    bool inAir = !fromGround && p.airJumpsLeft > 0 && Pressed(BUTTON_JUMP);
    if (!fromGround && !inAir) return;
    WorldServices().playEffectSound(40);
    p.vy = start;
    p.airborne = 1.0f;
    p.onGround = 0;
    if (p.pose <= 2) p.pose = POSE_JUMP;
    if (inAir) p.airJumpsLeft--;
}

} // namespace

int ProbeWaterCells(Player &p)
{
    const float ox[4] = {(float)p.halfWidth, (float)-p.halfWidth, (float)p.halfWidth, (float)-p.halfWidth};
    const float oy[4] = {(float)-p.halfHeight, (float)-p.halfHeight, (float)p.halfHeight, (float)p.halfHeight};
    int found = 0;
    for (int i = 0; i < 4; i++) {
        MapPoint m = MapPointAt(p.grid, p.x + ox[i], p.y + oy[i]);
        if (!m.inside) break;
        int b = CellLink(m.cell);
        if (b == kWaterCurrentRight || b == kWaterCurrentLeft || b == kWaterStill) {
            found = b;
            break;
        }
    }
    p.inWater = found != 0;
    if (p.inWater && !p.wasInWater) {
        const WorldServiceCalls &w = WorldServices();
        w.playEffectSound(18);
        p.noise = 1;
        for (int i = 0; i < 6; i++) w.spawnEffect(p.effects, p.x, p.y + 6, 4);
    }
    p.wasInWater = p.inWater;
    return found;
}

void UpdatePlayerMovement(Player &p)
{
    p.frameCounter++;
    p.previousX = p.x;
    p.previousY = p.y;
    float dx = 0, dy = 0;

    int water = ProbeWaterCells(p);
    float current = water == kWaterCurrentRight ? 1.5f : water == kWaterCurrentLeft ? -1.5f : 0.0f;

    if (p.movementLock) {
        p.pushRequest = p.pushValue = p.pushFrames = 0;
        p.nudge = 0;
    }
    if (p.dashSpeed != 0) {
        if (Held(BUTTON_LEFT)) p.pushRequest = -p.dashSpeed;
        else if (Held(BUTTON_RIGHT)) p.pushRequest = p.dashSpeed;
    }
    if (p.pushRequest != 0) {
        p.pushValue = p.pushRequest;
        p.pushFrames = 50;
        p.pushRequest = 0;
    }
    if (p.pushFrames > 0) {
        if (p.pushFrames % 20 == 0) WorldServices().spawnEffect(p.effects, p.previousX, p.previousY, 28);
        p.pushFrames--;
        // The rise fades over the push's 50 frames.
        if (p.pushValue == kPushRise) dy = (float)p.pushFrames / 50.0f * -16.0f;
        else dx = (float)p.pushValue;
    } else {
        p.pushValue = p.pushFrames = 0;
    }

    float ny = 0;
    if (p.nudge < 0) {
        p.nudge++;
        ny = -10;
    } else if (p.nudge > 0) {
        p.nudge--;
        ny = 5;
    }

    Walk(p);
    Look(p);
    Jump(p);

    if (p.airborne != 0.0f) {
        if (p.pose <= 2) p.pose = POSE_JUMP;
        if (!Held(BUTTON_JUMP) && p.vy < 0) p.vy *= 0.4f;
        if (p.headBump && p.vy < 0) p.vy = 0;
        p.vy = std::min(p.vy + p.gravity, kFallCap);
        p.x = p.x + p.vx + current + dx;
        p.y = p.y + p.vy + ny;
        // Never true here: every landing clears airborne in the same frame it sets the ground
        // flag. Kept so the landing stays silent as it always was.
        if (p.onGround) {
            WorldServices().playEffectSound(12);
            p.vy = 0;
        }
    } else {
        if (!p.onGround) p.vy = std::min(p.vy + p.gravity, kFallCap);
        p.x = p.x + p.vx + current + dx;
        p.y = p.y + p.vy + ny + dy;
    }
}
