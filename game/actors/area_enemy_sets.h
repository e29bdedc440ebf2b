// The enemy sets: per set (the player's current enemy-set number) the kinds the spawn slots 1..15
// of a map's cells make, the story flag that closes the gated slots 9..15, and the boss mode and
// boss number a gated spawn starts. Header-only, so that the demo data can check its maps' slots.
//
// Sets 1 and 12 are the game's given rows; sets 2 (the boss room) and 4 (the field) are the demo
// world's, set 28 the giant's (no demo map uses it; docs/demo-world.md); the others are empty and
// ungated.
#pragma once

#include <cstdint>

#include "game/actors/enemy_kinds.h"

constexpr int kAreaEnemySetCount = 43;
constexpr int kSpawnSlotCount = 15;
constexpr int kFirstGatedSlot = 9;
constexpr int kFirstSureSlot = 8; // slots from here on always spawn; below, 4 times in 5

// Word 15: no gate.
constexpr int32_t kNoEnemyGate = 255;
// The story flag that closes the boss room's gated slot once the boss is beaten.
constexpr int32_t kBossBeatenFlag = 50;

struct AreaEnemySet {
    int32_t kinds[kSpawnSlotCount]; // slot s takes word s - 1
    int32_t gateFlag;               // story flag; 255 none; -1 never set but still applies the next two
    int32_t bossMode;               // boss deaths that end the fight, 0 none
    int32_t bossNumber;             // handed to the event side with it
};

// clang-format off
inline constexpr AreaEnemySet kAreaEnemySets[kAreaEnemySetCount] = {
    /* 0 */  {{}, kNoEnemyGate, 0, 0},
    /* 1 */  {{3, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 14, 26, 27}, -1, 0, 0}, // given (the cave)
    /* 2 */  {{KIND_BAT, 0, 0, 0, 0, 0, 0, 0, KIND_BOSS, KIND_BOSS_SPINE_1, KIND_BOSS_SPINE_2, KIND_BOSS_SPINE_3},
              kBossBeatenFlag, 1, 1}, // the boss room
    /* 3 */  {{}, kNoEnemyGate, 0, 0},
    /* 4 */  {{KIND_WALKER, KIND_BAT, KIND_JUMPER, KIND_CHAIN_ROOT, KIND_CHAIN_LINK, KIND_CHAIN_TIP, 0, KIND_WALKER,
               KIND_BAT}, kNoEnemyGate, 0, 0}, // the field
    /* 5 */  {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
    /* 10 */ {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
    /* 12 */ {{12, 14, 15, 16, 17, 18, 19, 20, 0, 0, 0, 0, 0, 0, 104}, 201, 1, 3}, // given
    /* 13 */ {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0},
    /* 20 */ {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
    /* 28 */ {{0, 0, 0, 0, 0, 0, 0, 0, KIND_GIANT}, -1, 1, 2}, // the giant: never closed, its own music
             {{}, kNoEnemyGate, 0, 0},
    /* 30 */ {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
             {{}, kNoEnemyGate, 0, 0},
    /* 40 */ {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0}, {{}, kNoEnemyGate, 0, 0},
};
// clang-format on
