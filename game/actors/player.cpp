// The hero's record: its start values.
#include "game/actors/player.h"

void InitPlayer(Player &player)
{
    Player fresh;
    fresh.sheet = player.sheet;
    fresh.lightMask = player.lightMask;
    fresh.grid = player.grid;
    fresh.companion = player.companion;
    fresh.effects = player.effects;
    player = fresh;
}
