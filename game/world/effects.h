// Short-lived effects over the field (sparks, smoke, explosions, flashes, item sparkles) and
// rising damage numbers, in one list: each frame moves, animates and ages every node, and the
// draw step draws each from one of four sheets. The record also holds the screen wipes and the
// full-screen picture flag that event commands set.
#pragma once

#include <array>
#include <cstdint>
#include <list>

#include "game/world/effect_kinds.h"
#include "game/world/wipe.h"

struct MapGrid;
struct Companion;

constexpr int kEffectSheetCount = 4;
constexpr int kPopupDigitRow = 0;
constexpr int kPlayerPopupDigitRow = 192;

struct EffectNode {
    float x = 0, y = 0;              // world pixels
    float screenX = 0, screenY = 0;
    float vx = 0, vy = 0;
    int life = 0;
    int type = 0;
    int number = 0;                  // the pop-up's value
    int sheet = 0;
    int interval = 0, frames = 0;
    int width = 0, height = 0;
    int sheetX = 0, sheetY = 0;
    uint8_t stepX = 0;
    int sound = 0;                   // cleared once played
    int bounces = 0;
    int left = 0, top = 0, right = 0, bottom = 0;  // the image rectangle on the sheet
    int offsetX = 0, offsetY = 0;
};

class Effects {
public:
    // Appends a node of the type's row at (x, y); types outside 0..50 make nothing.
    void SpawnEffect(float x, float y, int type);
    // A number rising 40 px over 40 frames, from digit row 0 (or 192: damage to the player).
    void AddPopupNumber(float x, float y, int value, int digitRow = kPopupDigitRow);
    void UpdateEffects();
    void PlaceEffects();
    void DrawEffects();
    void FreeEffects();
    // The four effect sheets, then the wipe's block sheet and its cover picture.
    void LoadEffectSheets();
    // The cover picture stretched over the work screen, while the flag is set.
    void DrawFullScreenPicture() const;

    std::list<EffectNode> nodes;
    std::array<int, kEffectSheetCount> sheets{-1, -1, -1, -1};
    const MapGrid *grid = nullptr;
    const Companion *focus = nullptr;  // the camera follows it
    Wipe wipe;                         // its cover is the full-screen picture too
    uint8_t fullScreenPicture = 0;     // 1: the frame draws the cover over the whole screen

private:
    uint32_t CellUnder(const EffectNode &n) const;
};

void SpawnEffect(Effects &effects, float x, float y, int type);
void AddPopupNumber(Effects &effects, float x, float y, int n);
void AddPlayerPopupNumber(Effects &effects, float x, float y, int n);
