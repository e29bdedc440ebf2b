// What the game frame and world use of the actors (the hero, the companion, weapons and shots,
// enemies): the records CurGame holds as members and the passes it calls. The actors' own
// module fills these records out and defines the passes.
#pragma once

#include <cstdint>

class Hud;
class Gimmicks;
class Effects;
class FieldObjects;
class PhysicsManager;
struct MapGrid;
struct StatusWindow;

struct Player {
    float x = 0, y = 0;          // world pixels
    float speedX = 0, speedY = 0;
    uint8_t hold = 0;            // 1 during an area transition
    int enemySet = 0;
    uint8_t darkness = 0;        // 1 draws the light mask
    uint8_t slide = 0;
    int invulnerability = 0;
    uint8_t markEnemiesRequest = 0;
    int abilityFlags = 0;        // 0x10 shows the minimap
    int poseColumn = 0, poseRow = 0;
    int forcedPoseTimer = 0, forcedPoseColumn = 0, forcedPoseRow = 0;
    int costume = 0;
    int facing = 0;              // 2 and 3 face left
};

struct Companion {
    float x = 0, y = 0;
    int mode = 0;                // 0: the player is controlled
    float motion[4] = {};
};

struct Arms {
    int weapon = 0, weaponCount = 0;
    int armour1 = 0, armour1Count = 0;
    int armour2 = 0;
    int hudSlide = 0;
    uint8_t flag = 0;
};

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
    int oldArea = 0;
};

// Play update passes.
void UpdatePlayerMovement(Player &player);
void UpdateLookOffset(Companion &companion);
void UpdatePlayerEnemyContact(PlayerContact &contact);
void CollidePlayerWithMap(Player &player);
void MarkEnemiesNear(Enemies &enemies, float radius, float x, float y);
void UpdateCompanion(Companion &companion);
void UpdateEnemyBehaviour(Enemies &enemies);
void UpdateEnemiesPass1(Enemies &enemies);
void UpdateEnemiesPass2(Enemies &enemies);
void UpdateArms(Arms &arms);
void RemoveOffMapShots(Arms &arms);
void UpdateItemPickup();
void UpdateEnemyAttacks(PlayerContact &contact);
void UpdateCellAttribute10(PlayerContact &contact);
void UpdateCellAttribute11(PlayerContact &contact);
// Screen positions, after the camera.
void UpdateCompanionScreenPosition(Companion &companion);
void UpdatePlayerScreenPosition(Player &player);
void UpdateEnemyScreenPositions(Enemies &enemies);
void UpdateShotScreenPositions(Arms &arms);
// Draw passes of the field draw.
void DrawEnemies(Enemies &enemies);
void DrawPlayer(Player &player);
void DrawWeaponInHand(Arms &arms);
void DrawShots(Arms &arms);
void DrawCompanion(Companion &companion);
void DrawEnemySpeech(Enemies &enemies);
void DrawLightMask(Player &player);
void DrawArmsHud(Arms &arms);
// Field rebuild on a pending map change (called every play frame from the draw step).
void RebuildFieldForMap(MapChange &change);
void LoadEnemyImages(Enemies &enemies);
void CreateShot(Arms &arms, float x, float y, int shotType, int value, int flag, int ownerBody, int a, int b,
                void *unused);
EnemyNode *SpawnEnemy(Enemies &enemies, int n, float x, float y, int flag, int bodyId);
void FreeEnemyList(Enemies &enemies);
void AddNotification(Hud &hud, const char *text);
int MoveCompanionToward(Companion &companion, float x, float y);
int EquipWeapon(Arms &arms, int item);
int EquipArmorSlot1(Arms &arms, int item);
int EquipArmorSlot2(Arms &arms, int item);
void ApplyArmorEffects(Arms &arms);
