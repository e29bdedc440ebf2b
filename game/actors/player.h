// The hero: its position and speeds in map pixels, its box, its pose, the modifiers armour gives
// it and the short-lived states other modules set on it. One per game, a member of CurGame.
#pragma once

#include <cstdint>

struct MapGrid;
struct Companion;
class Effects;

constexpr int kPlayerHistoryLength = 64;

// Player::direction: facing (0 left, 1 right) plus one of these.
constexpr int kDirectionUp = 2;
constexpr int kDirectionDown = 4;

// Player::pose: sprite rows.
enum PlayerPose { POSE_STAND = 0, POSE_JUMP = 2, POSE_AIR_DOWN = 6, POSE_CROUCH = 7 };

// A push value that lifts the player instead of pushing it sideways.
constexpr int kPushRise = 666;

struct PlayerHistoryEntry {
    float x = 0, y = 0;
};

struct Player {
    int sheet = -1;       // sprite sheet, 16 x 16 cells
    int lightMask = -1;   // 1024 x 1024 darkness mask
    int secondSheet = -1; // the second sprite set, loaded with the others and drawn by nothing
    int sourceRect[4] = {0, 0, 16, 16}; // left, top, right, bottom of the cell last drawn
    float x = 40, y = 24;               // centre of the box, map pixels
    float carriedX = 0, carriedY = 0;   // handed in by the contact pass; 0 = none
    int support = 0;                    // contact pass: 0 none, 1 on an enemy, 2 an enemy overhead
    PlayerHistoryEntry history[kPlayerHistoryLength];
    int historyIndex = 0;               // newest entry
    int drawAnchorX = 8, drawAnchorY = 9;
    int halfWidth = 3, halfHeight = 6;
    float walkAcceleration = 0.1f, topWalkSpeed = 1.5f;
    MapGrid *grid = nullptr;
    Companion *companion = nullptr;
    Effects *effects = nullptr;
    int headBump = 0;
    int lastVerticalStep = 0, lastHorizontalStep = 0;
    int verticalAttribute = 0;
    int lastProbeCell = 0;
    float screenX = 160, screenY = 120;
    float previousX = 0, previousY = 0;
    float vx = 0, vy = 0;
    float airborne = 0; // 0.0 or 1.0
    int onGround = 0;
    uint8_t inWater = 0;
    int wasInWater = 0;
    float gravity = 55.0f / 630.0f;
    int invulnerable = 0; // frames; 100 after a hit, counted down by DrawPlayer
    int pose = POSE_STAND;
    int facing = 1;       // 0 left, 1 right
    int direction = 1;    // facing + kDirectionUp or kDirectionDown
    int frameCounter = 0;
    float jumpHeight = 55.0f, jumpDuration = 35.0f;
    int poseOverrideRow = 0, poseOverrideColumn = 0, poseOverrideOn = 0; // set by event scripts
    int blocked = 0;
    int costume = 0;      // shifts the sprite column by two cells a step
    int damageFactor = 0; // 0 = none
    int dashSpeed = 0;
    uint8_t movementLock = 0; // set during area transitions: cancels push and nudge
    int abilityFlags = 0;     // bit 0 enemy life bars, bit 4 (0x10) map marks
    uint8_t bumpLatched = 0;
    int enemySet = 1;         // the current area's enemy set
    int extraAirJumps = 0, airJumpsLeft = 0;
    int defence = 0;
    int pushRequest = 0, pushValue = 0, pushFrames = 0;
    int nudge = 0;            // < 0 rises 10 px a frame, > 0 sinks 5 px a frame, counting toward 0
    uint8_t darkness = 0;     // 1 draws the light mask
    uint8_t icy = 0;          // the area's ice: braking keeps 0.98 instead of 0.8
    uint8_t noise = 0;        // a splash or head bump this frame: nearby enemies notice
};

// Start values; the pointers and sheets are left as they are.
void InitPlayer(Player &player);
// "DataForWork\\MyChar.bmp", "DataForWork\\mychar2.bmp" and "DataForWork\\sasshadow.bmp".
void LoadPlayerImages(Player &player);
// One frame of walking, looking, jumping and integration from the buttons.
void UpdatePlayerMovement(Player &player);
// The water byte (13, 14 or 15) under one of the box's corners, or 0; sets inWater, and on
// entering water plays the splash.
int ProbeWaterCells(Player &player);
// Resolves this frame's movement against the map cells and records the position history.
void CollidePlayerWithMap(Player &player);
// The camera: the player's place on the work screen, (-32, -32) when far off it.
void UpdatePlayerScreenPosition(Player &player);
void DrawPlayer(Player &player);
void DrawLightMask(Player &player);
