// What the game frame and world use of the actors (the hero, the companion, weapons and shots,
// enemies): the records CurGame holds as members and the passes it calls. The actors' own
// module fills these records out and defines the passes.
#pragma once

#include <cstdint>

#include "game/actors/arms.h"
#include "game/actors/companion.h"
#include "game/actors/enemies.h"
#include "game/actors/player.h"

class Hud;
class Gimmicks;
class Effects;
class FieldObjects;
class PhysicsManager;
class Inventory;
struct MapGrid;
struct StatusWindow;

// The combat passes' view of the game: the player against enemies, shots, deadly cells and the
// things lying in the field.
struct PlayerContact {
    Arms *arms = nullptr;
    Enemies *enemies = nullptr;
    Player *player = nullptr;
    Effects *effects = nullptr;
    StatusWindow *status = nullptr;
    MapGrid *grid = nullptr;
    FieldObjects *fieldObjects = nullptr;
    Hud *hud = nullptr;             // notifications of items taken
    Inventory *inventory = nullptr; // money and carried items
    int32_t countdown = 0;          // frames the player is safe after a hit (contact, shots, cells)
    int32_t kills = 0;              // enemies dropping their loot in this hit pass
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
// and arms.h, the enemies' in enemies.h).
void UpdatePlayerEnemyContact(PlayerContact &contact);
// SHOT fires the weapon in hand; then every shot moves (UpdateShots).
void FireWeapon(Arms &arms);
void UpdateShots(Arms &arms);
void PickUpItems(PlayerContact &contact);
void PushFieldObjects(PlayerContact &contact);
void ApplyShotHits(PlayerContact &contact);
void CheckDeadlyCells(PlayerContact &contact);
// Field rebuild on a pending map change (called every play frame from the draw step): the old
// area's field is cleared and its objects stored, the new area's world, objects and gimmicks made.
void RebuildFieldForMap(MapChange &change);
// A shot of a kind within its half of the shot table (an enemy's when fromEnemy is 1); null, with
// a log line, for a kind outside it.
ShotNode *CreateShot(Arms &arms, int x, int y, int kind, int damage, uint8_t fromEnemy, int bodyId, int overrideWidth,
                     int overrideHeight, EnemyNode *owner);
