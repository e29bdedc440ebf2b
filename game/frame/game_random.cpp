#include "game/frame/game_random.h"

namespace {
GameRandom g_gameRandom;
}

int GameRand() { return g_gameRandom.Next(); }

void SetGameRandSeed(uint32_t seed) { g_gameRandom.Seed(seed); }
