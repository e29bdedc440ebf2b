// PENDING: do-nothing stand-ins for the actor entries field objects call, until the actors
// define them (their definitions take over; remove each one here when it lands).
#include "game/actors/actors.h"

__attribute__((weak)) void CreateShot(Arms &, float, float, int, int, int, int, int, int, void *) {}
__attribute__((weak)) EnemyNode *SpawnEnemy(Enemies &, int, float, float, int, int) { return nullptr; }
__attribute__((weak)) void MarkEnemiesNear(Enemies &, float, float, float) {}
