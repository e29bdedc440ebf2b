#include "game/frame/game_random.h"

namespace {
GameRandom g_gameRandom;
GameRandSource g_source = nullptr;
} // namespace

int GameRand() { return g_source ? g_source() : g_gameRandom.Next(); }

void SetGameRandSource(GameRandSource source) { g_source = source; }

void SetGameRandSeed(uint32_t seed) { g_gameRandom.Seed(seed); }
