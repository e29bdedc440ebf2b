// What the hit pass, the contact pass and the deadly cells share: the player's hurt and the
// armour that may break when it is hit.
#pragma once

struct Arms;
struct PlayerContact;

constexpr int kContactCountdown = 100; // frames the player is safe after a hit
constexpr int kBreakingArmour = 150;   // may break on a hit ...
constexpr int kBrokenArmour = 21;      // ... into this

// HP - d, the player's damage number, the invulnerable blink while HP is left, the countdown.
void HurtPlayer(PlayerContact &contact, int d);
// Armour 150 in slot 1, else in slot 2, breaks on a third of hits (one draw a slot tried).
void TakeWornArmour150(Arms &arms);

// Strict overlap of two boxes given by centre and half sizes.
inline bool BoxesOverlap(float ax, float ay, float aw, float ah, float bx, float by, float bw, float bh)
{
    return bx - bw < ax + aw && by - bh < ay + ah && ax - aw < bx + bw && ay - ah < by + bh;
}

struct WorldServiceCalls;
// A field object the shots make: value is its lifetime in frames (-666 for good; 0 keeps its
// row's own). Its body id, or -1 when refused.
int CarrierObject(WorldServiceCalls &w, float x, float y, int kind, int value, float vx, float vy);
