// What the game frame and world use of the actors (the hero, the companion, weapons and shots,
// enemies): the records CurGame holds as members and the passes it calls. The actors' own
// module fills these records out and defines the passes.
#pragma once

#include <cstdint>

#include "game/actors/arms.h"
#include "game/actors/companion.h"
#include "game/actors/player.h"

class Hud;
class Gimmicks;
class Effects;
class FieldObjects;
class PhysicsManager;
struct MapGrid;
struct StatusWindow;

struct EnemyNode {
    int life = 0;
};

struct Enemies {
    uint8_t hudIndicator = 0;
    uint8_t ending = 0;
    uint8_t areaFlag = 0;
    EnemyNode *boss = nullptr;
    int bossMaxLife = 100;
    EnemyNode *second = nullptr;
};

struct PlayerContact {
    Arms *arms = nullptr;
    Enemies *enemies = nullptr;
    Player *player = nullptr;
};

// The field rebuild reads the records it clears and refills through these sibling pointers.
struct MapChange {
    MapGrid *grid = nullptr;
    Enemies *enemies = nullptr;
    Gimmicks *gimmicks = nullptr;
    Effects *effects = nullptr;
    Arms *arms = nullptr;
    FieldObjects *fieldObjects = nullptr;
    PhysicsManager *physics = nullptr;
    int pending = 0; // 1: rebuild at the next RebuildFieldForMap
    int newArea = 0; // world-state store slots
    int oldArea = 0; // kNoArea: nothing is stored
};
// The old area of a map change that stores nothing (a new game or a loaded game).
constexpr int kNoArea = -1;

// Points the hero's three records at each other (the rest of their pointers are CurGame's).
void LinkHeroRecords(Player &player, Companion &companion, Arms &arms);

// Play update passes, in the play update's order (the hero's own are in player.h, companion.h
// and arms.h).
void UpdatePlayerEnemyContact(PlayerContact &contact);
void MarkEnemiesNear(Enemies &enemies, float radius, float x, float y);
void RunEnemyPrograms(Enemies &enemies);
void UpdateEnemyAmbient(Enemies &enemies);
void MoveEnemies(Enemies &enemies);
void FireWeapon(Arms &arms);
void PickUpItems(PlayerContact &contact);
void PushFieldObjects(PlayerContact &contact);
void ApplyShotHits(PlayerContact &contact);
void CheckDeadlyCells(PlayerContact &contact);
// Screen positions, after the camera.
void UpdateEnemyScreenPositions(Enemies &enemies);
// Draw passes of the field draw.
void DrawEnemies(Enemies &enemies);
void DrawEnemySpeech(Enemies &enemies);
// Field rebuild on a pending map change (called every play frame from the draw step): the old
// area's field is cleared and its objects stored, the new area's world, objects and gimmicks made.
void RebuildFieldForMap(MapChange &change);
void LoadEnemyImages(Enemies &enemies);
ShotNode *CreateShot(Arms &arms, int x, int y, int kind, int damage, uint8_t fromEnemy, int bodyId, int overrideWidth,
                     int overrideHeight, EnemyNode *owner);
EnemyNode *SpawnEnemy(int n, Enemies &enemies, float x, float y, int noDrops, int linkedBody);
void FreeEnemyList(Enemies &enemies);
