// The companion: a small flyer that trails the hero's path (or is steered by some weapons, or
// flown by event scripts), and on which the camera of the whole field centres.
#pragma once

#include <cstdint>

struct MapGrid;
struct StatusWindow;
struct Player;

enum CompanionMode {
    COMPANION_FOLLOW = 0,
    COMPANION_STEERED = 1,          // still frame; the sight ray runs 1000 steps
    COMPANION_STEERED_ANIMATED = 2, // three frames; the sight ray runs 200 steps
};

struct Companion {
    int sheet = -1; // 32 x 32 cells
    int sourceRect[4] = {0, 0, 32, 32};
    float x = 0, y = 0;             // top-left of the sprite, map pixels; its centre is (x + 15, y + 16)
    float screenX = 0, screenY = 0; // top-left on the work screen
    int anchorX = 8, anchorY = 8;
    MapGrid *grid = nullptr;
    StatusWindow *status = nullptr;
    Player *player = nullptr;
    // The area transition's busy byte: while it is set the look offset only drifts. Null: never.
    const uint8_t *transitionBusy = nullptr;
    int trailIndex = 1;
    float offsetX = 0; // mode 0: the sway; modes 1 and 2: the speed x
    float offsetY = 0; // mode 0: the look offset; modes 1 and 2: the speed y
    int animationCounter = 0;
    float lookSpeed = 0;
    float swaySpeed = 0;
    int lookHold = 0; // frames UP or DOWN has been held
    int mode = COMPANION_FOLLOW;
    int kickRange = 0;
    int sightSteps = 0;
    int relativeX = 0, relativeY = 0; // companion minus player, in the steered modes
    uint8_t sight = 0;
};

// "DataForWork\\sp.bmp".
void LoadCompanionImage(Companion &companion);
// One frame of following or steered flight, then the clamp to the map.
void UpdateCompanion(Companion &companion);
// One frame of the look offset that UP and DOWN give (only while the companion follows).
void UpdateLookOffset(Companion &companion);
// 1 when within 10 px of (x, y) (nothing moves), else 5 px toward it and 0.
int MoveCompanionToward(Companion &companion, float x, float y);
// Casts the sight ray from the player and sets the sight flag.
void CheckCompanionSight(Companion &companion);
// 0..5 from the signed sum of the companion's offsets from the player.
int GetCompanionDistanceLevel(const Companion &companion);
// Back to following: mode 0 with the sway, the look and both offsets at rest.
void StopCompanion(Companion &companion);
// The camera: the companion's place on the work screen.
void UpdateCompanionScreenPosition(Companion &companion);
void DrawCompanion(Companion &companion);
