// The game's one random generator: the classic 15-bit runtime sequence, never seeded by the
// game itself, so every run draws the same numbers on every machine.
#pragma once

#include <cstdint>

class GameRandom {
public:
    // 0..32767.
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return (int)((state_ >> 16) & 0x7FFF);
    }
    void Seed(uint32_t seed) { state_ = seed; }

private:
    uint32_t state_ = 1;
};

// The process-wide generator (tests seed it through SetGameRandSeed). Every random draw of the
// game goes through GameRand, so a test can put a scripted source in its place.
int GameRand();
void SetGameRandSeed(uint32_t seed);
using GameRandSource = int (*)();
// Null restores the generator.
void SetGameRandSource(GameRandSource source);
