// The enemy kinds: one static row per kind (the row number is the kind), copied into a node at its
// spawn. Header-only, so that the demo data's sheets are drawn from the same rows.
//
// Rows 0, 3, 39, 90, 93, 98-100, 120, 121 and 123 carry the values the game gives them (kind 0
// the filler of empty set slots, 3 the hidden marker); the demo world's creatures are authored
// (docs/demo-world.md); every other row is empty.
#pragma once

#include <cstdint>

#include "game/actors/enemy_programs.h"

constexpr int kEnemyKindCount = 146;

struct EnemyKind {
    int32_t firstOperation = 0; // until the program's first step runs, and for good without one
    uint8_t boss = 0;           // 1: bar at the screen's right, hits do not interrupt the program
    uint8_t noDeath = 0;        // 1: shots do not hit it and it survives 0 HP
    int32_t hp = 0, maxHp = 0;  // a max HP of 35000 marks the special death
    int32_t dropRow = 0, dropChance = 0; // item-drop row, 1-in-n (0 none)
    float vx = 0, vy = 0;
    uint8_t solid = 0;          // 1: the player collides with it and takes contact damage
    int32_t halfWidth = 0, halfHeight = 0;
    int32_t anchorX = 0, anchorY = 0;   // half the sprite size; also added to the spawn cell's corner
    int32_t program = 0;        // 1..93, 0 none
    int32_t tileCollision = 0;  // 1: resolved against the map cells
    int32_t sourceX = 0, sourceY = 0;   // the sprite's base cell on its sheet
    int32_t damage = 0;         // contact damage
    int32_t sheet = 0;          // 0..6, the enemy sheets in load order
};

// The seven sheets, in load order (the seventh holds the life bars).
enum EnemySheet {
    SHEET_FIELD = 0,
    SHEET_BOSS = 1,
    SHEET_CAVE = 2,
    SHEET_RIDERS = 3,
    SHEET_LAST = 4,
    SHEET_GIANT = 5,
    SHEET_LIFE_BARS = 6,
    kEnemySheetCount = 7,
};
inline constexpr const char *kEnemySheetFiles[kEnemySheetCount] = {
    "DataForWork\\Obj\\NpcWeed.bmp", "DataForWork\\Obj\\boss2.bmp",   "DataForWork\\Obj\\NpcCave.bmp",
    "DataForWork\\Obj\\NpcRide.bmp", "DataForWork\\Obj\\NpcLast.bmp", "DataForWork\\Obj\\9double.bmp",
    "DataForWork\\Obj\\BossLife.bmp",
};

// Operations a kind starts with (the step interpreter's codes that move or act without a program).
enum EnemyFirstOperation {
    FIRST_WALK = 0,
    FIRST_FLY = 1,
    FIRST_HIDDEN = 3,   // not drawn; drips now and then
    FIRST_SPARKLE = 4,  // no size; sparkles now and then
    FIRST_STAND = 8,
    FIRST_STILL = 10,
    FIRST_CHAIN_LINK = 67,
    FIRST_ORBIT = 69,
    FIRST_RIDE = 85,
    FIRST_CEILING_WALK = 87,
    FIRST_FOLLOW_BODY = 97,
};

// The demo world's kinds (docs/demo-world.md).
enum DemoEnemyKind {
    KIND_WALKER = 12,         // キノコ
    KIND_BAT = 14,            // コウモリ
    KIND_JUMPER = 15,         // いしころ
    KIND_CEILING_WALKER = 16, // the cave's hanging mushroom
    KIND_CHAIN_ROOT = 17,     // the vine's seed
    KIND_CHAIN_LINK = 18,
    KIND_CHAIN_TIP = 19,
    KIND_BOSS_SPINE_1 = 98,   // the crystals on ガルド's back
    KIND_BOSS_SPINE_2 = 99,
    KIND_BOSS_SPINE_3 = 100,
    KIND_BOSS = 104,          // ガルド, the cave's master
    KIND_GIANT = 123,
};

#define ENEMY_ROW(first, boss, noDeath, hp, maxHp, dropRow, dropChance, vx, vy, solid, hw, hh, ax, ay, program, tiles, \
                  sx, sy, damage, sheet)                                                                            \
    EnemyKind { first, boss, noDeath, hp, maxHp, dropRow, dropChance, vx, vy, solid, hw, hh, ax, ay, program, tiles, \
                sx, sy, damage, sheet }

// clang-format off
inline constexpr EnemyKind kEnemyKinds[kEnemyKindCount] = {
    //        first               boss nod    hp    max drop ch    vx     vy sol  hw  hh   ax   ay  program                 tile   sx   sy dmg sheet
    /* 0 */   ENEMY_ROW(FIRST_SPARKLE,  0, 0,     0,     0, 0, 0,   0.0f,   0.0f, 0,  0,  0,   0,   0, 0,                      0,   0,   0,  0, 0), // given
    /* 1 */   {}, {},
    /* 3 */   ENEMY_ROW(FIRST_HIDDEN,   0, 0,     0,     0, 0, 0,   0.0f,   0.0f, 0,  0,  0,   0,   0, 0,                      0,   0,   0,  0, 0), // given
    /* 4 */   {}, {}, {}, {}, {}, {}, {}, {},
    /* 12 */  ENEMY_ROW(FIRST_WALK,     0, 0,     6,     6, 0, 3,  -0.5f,   0.0f, 1,  6,  7,   8,   8, PROGRAM_WALKER,         1,   0,   0,  1, SHEET_FIELD),
    /* 13 */  {},
    /* 14 */  ENEMY_ROW(FIRST_FLY,      0, 0,    20,    20, 5, 4,   0.0f,   0.0f, 0,  6,  5,   8,   8, PROGRAM_BAT,            1,   0,  32,  1, SHEET_FIELD),
    /* 15 */  ENEMY_ROW(FIRST_STAND,    0, 0,    40,    40, 8, 3,   0.0f,   0.0f, 1,  6,  6,   8,   8, PROGRAM_JUMPER,         1,   0,   0,  2, SHEET_CAVE),
    /* 16 */  ENEMY_ROW(FIRST_CEILING_WALK, 0, 0, 25,   25, 0, 4,  -0.4f,   0.0f, 1,  6,  7,   8,   8, PROGRAM_CEILING_WALKER, 1,   0,  16,  2, SHEET_CAVE),
    /* 17 */  ENEMY_ROW(FIRST_STILL,    0, 0,    60,    60, 12, 2,  0.0f,   0.0f, 0,  7,  7,   8,   8, PROGRAM_CHAIN_ROOT,     0,   0,  64,  2, SHEET_FIELD),
    /* 18 */  ENEMY_ROW(FIRST_CHAIN_LINK, 0, 0,  20,    20, 0, 0,   0.0f,   0.0f, 0,  3,  3,   4,   4, PROGRAM_CHAIN_LINK,     0,  64,  64,  1, SHEET_FIELD),
    /* 19 */  ENEMY_ROW(FIRST_ORBIT,    0, 0,    30,    30, 0, 0,   0.0f,   0.0f, 0,  6,  6,   8,   8, PROGRAM_CHAIN_TIP,      0,  80,  64,  2, SHEET_FIELD),
    /* 20 */  {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 30 */  {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 39 */  ENEMY_ROW(FIRST_STILL,    0, 0,   999,    37, 0, 0,   0.0f,   0.0f, 1,  6,  6,   8,   8, 0,                      0,  32,   0,  4, SHEET_LAST), // given hp, max hp
    /* 40 */  {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 50 */  {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 60 */  {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 70 */  {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 80 */  {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 90 */  ENEMY_ROW(FIRST_STILL,    0, 0, 99999, 99999, 0, 0,   0.0f,   0.0f, 1, 14, 14,  16,  16, 0,                      0,   0,  16, 10, SHEET_LAST), // given hp
    /* 91 */  {}, {},
    /* 93 */  ENEMY_ROW(FIRST_STILL,    0, 0,   299,    99, 0, 0,   0.0f,   0.0f, 1,  6,  6,   8,   8, 0,                      0,  48,   0,  4, SHEET_LAST), // given hp, max hp
    /* 94 */  {}, {}, {}, {},
    /* 98 */  ENEMY_ROW(FIRST_RIDE,     0, 1,  1500,  1500, 0, 0,  27.0f, -43.0f, 0,  6,  6,   8,   8, PROGRAM_BOSS_SPINE,     0, 192,   0,  6, SHEET_BOSS), // given hp, vx, vy
    /* 99 */  ENEMY_ROW(FIRST_RIDE,     0, 1,  1500,  1500, 0, 0,  41.0f, -43.0f, 0,  6,  6,   8,   8, PROGRAM_BOSS_SPINE,     0, 208,   0,  6, SHEET_BOSS), // given hp, vx, vy
    /* 100 */ ENEMY_ROW(FIRST_RIDE,     0, 1,  1500,  1500, 0, 0,  55.0f, -43.0f, 0,  6,  6,   8,   8, PROGRAM_BOSS_SPINE,     0, 224,   0,  6, SHEET_BOSS), // given hp, vx, vy
    /* 101 */ {}, {}, {},
    /* 104 */ ENEMY_ROW(FIRST_STILL,    1, 0,   600,   600, 0, 0,   0.0f,   0.0f, 1, 40, 28,  48,  32, PROGRAM_BOSS,           1,   0,   0, 10, SHEET_BOSS),
    /* 105 */ {}, {}, {}, {}, {},
    /* 110 */ {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 120 */ ENEMY_ROW(FIRST_FOLLOW_BODY, 0, 0, 120,   120, 0, 0,   0.0f,   0.0f, 1,  7,  7,   8,   8, PROGRAM_BODY_RIDER,     0,   0,   0, 15, SHEET_RIDERS),
    /* 121 */ ENEMY_ROW(FIRST_FOLLOW_BODY, 0, 0, 230,   230, 0, 0,   0.0f,  20.0f, 1,  7,  7,   8,   8, PROGRAM_BODY_RIDER,     0,  16,   0, 25, SHEET_RIDERS), // given hp, damage, vy
    /* 122 */ {},
    /* 123 */ ENEMY_ROW(FIRST_STILL,    1, 0, 35000, 35000, 0, 0,   0.0f,   0.0f, 1, 96, 96, 128, 128, PROGRAM_GIANT,          0,   0,   0, 20, SHEET_GIANT), // given max hp, sprite
    /* 124 */ {}, {}, {}, {}, {}, {},
    /* 130 */ {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
    /* 140 */ {}, {}, {},
    /* 143 */ ENEMY_ROW(FIRST_FOLLOW_BODY, 0, 0,  80,    80, 0, 0,   0.0f,   0.0f, 1,  7,  7,   8,   8, PROGRAM_BODY_RIDER,     0,  32,   0, 10, SHEET_RIDERS),
    /* 144 */ {}, {},
};
// clang-format on

#undef ENEMY_ROW
