// The hero's record: its start values, and the hero's records linked to each other.
#include "game/actors/player.h"

#include "game/actors/actors.h"

void InitPlayer(Player &player)
{
    Player fresh;
    fresh.sheet = player.sheet;
    fresh.lightMask = player.lightMask;
    fresh.secondSheet = player.secondSheet;
    fresh.grid = player.grid;
    fresh.companion = player.companion;
    fresh.effects = player.effects;
    player = fresh;
}

void LinkHeroRecords(Player &player, Companion &companion, Arms &arms)
{
    player.companion = &companion;
    companion.player = &player;
    arms.player = &player;
    arms.companion = &companion;
}
