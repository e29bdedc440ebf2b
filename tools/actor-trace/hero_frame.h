// The hero alone over a map, frame by frame, as the play update runs it: the tests, the
// benchmarks and tools/actor-trace step the hero through this one function.
#pragma once

#include <string>

#include "game/actors/companion.h"
#include "game/actors/player.h"

// One play frame of the hero's own steps in the play update's order: the movement and the look
// offset (while the companion follows), the map collision, the companion, then the camera's
// screen positions of the companion and the player. The buttons are read through the world seam.
void RunHeroFrame(Player &player, Companion &companion);

// One line of the hero's state after a frame: position, speeds, ground and air, pose, facing,
// direction, the companion, the camera and the player's screen position.
std::string HeroTraceLine(int frame, const Player &player, const Companion &companion);
