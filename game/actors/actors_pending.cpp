// Stand-ins for the actor functions the world calls (actors.h) whose modules are not built yet,
// so that the game links. Each answers as the actors would with nothing there. An actor
// module's own definition replaces its entry: delete the entry here when you define one.
#include "game/actors/actors.h"

ShotNode *CreateShot(Arms &, int, int, int, int, uint8_t, int, int, int, EnemyNode *) { return nullptr; }
EnemyNode *SpawnEnemy(int, Enemies &, float, float, int, int) { return nullptr; }
void MarkEnemiesNear(Enemies &, float, float, float) {}
void FreeEnemyList(Enemies &) {}
