// The hero's equipment (the weapon with its count, two armour slots) and the owner of every shot
// in flight. One per game, a member of CurGame.
#pragma once

#include <cstdint>

#include "game/actors/shot.h"

struct MapGrid;
struct StatusWindow;
struct Player;
struct Companion;
struct Enemies;
struct FullScreenEffect;
class Effects;
class FieldObjects;
class Inventory;
class PhysicsManager;
class TextOverlay;

struct Arms {
    FullScreenEffect *screenEffect = nullptr;
    MapGrid *grid = nullptr;
    Effects *effects = nullptr;
    Enemies *enemies = nullptr;
    TextOverlay *overlay = nullptr;
    StatusWindow *status = nullptr;
    Inventory *inventory = nullptr;
    FieldObjects *fieldObjects = nullptr;
    Companion *companion = nullptr; // also the camera's focus
    PhysicsManager *physics = nullptr;
    Player *player = nullptr;
    ShotNode *shotHead = nullptr, *shotTail = nullptr;
    int shotSheet = -1, iconSheet = -1, handSheet = -1;
    int drawOffsetX = -16, drawOffsetY = -14, drawScratch = 0; // HUD icon and weapon-in-hand scratch
    int iconSlide = 0;          // frames of the HUD icon's slide-in (set to 10 on a weapon change)
    float weaponScreenX = 0, weaponScreenY = 0;
    int32_t fireCounter = 0, chargeCounter = 0;
    int weapon = 3;             // item id; 0 = none
    int weaponCount = 99;       // ammunition of a counted weapon
    int armour1 = 0;
    int armourReserved = 0;
    int armour2 = 0;
    uint8_t detonation = 0;     // remote bombs go off while it is set
    uint8_t armed = 0;
    int appliedArmour1 = 0, appliedArmour2 = 0;
    int32_t velocityHold = 0;   // while above 0 shot bodies keep their velocity
    int heldShot = 0;
};

// Start values; the pointers and sheets are left as they are. The shot list must be empty.
void InitArms(Arms &arms);
// The shot sheet "DataForWork\\eq\\tama.dds", the icons "DataForWork\\eq\\ArmsImage.bmp" and the
// weapon in hand "DataForWork\\eq\\arms.bmp".
void LoadArmsImages(Arms &arms);
void FreeShotList(Arms &arms);
void AppendShotNode(Arms &arms, ShotNode *node);
// Unlinks and frees the node; returns the node after it.
ShotNode *RemoveShotNode(ShotNode *node, Arms &arms);
// Each returns the id that was in the slot, or -1 (nothing changes) when the item does not fit it.
int EquipWeapon(int item, Arms &arms);
int EquipArmorSlot1(int item, Arms &arms);
int EquipArmorSlot2(int item, Arms &arms);
// An item picked up: the weapon slot when it is empty and the item a plain weapon, else the first
// empty armour slot; 0 for a weapon placed, the equip call's answer, or -1 when nothing fits.
int AutoEquipItem(int item, Arms &arms);
// Re-derives the player's modifiers from both armour slots.
void ApplyArmorEffects(Arms &arms);
// The item's name, or its unidentified name until the player has identified one.
const char *GetItemDisplayName(int item, Inventory *inventory);
// While the velocity hold runs it counts down (the new value is returned) and the body is left
// alone; otherwise the body gets the velocity truncated to whole units.
int SetShotBodyVelocity(Arms &arms, int bodyId, float vx, float vy);
// A velocity of the given speed from (x, y) straight at the player.
void ComputeAimAtPlayer(const Arms &arms, float x, float y, float speed, float *vx, float *vy);
// Shot positions on the work screen from the camera.
void UpdateShotScreenPositions(Arms &arms);
// Removes shots outside the grid; marks wall-stopped shots in a solid cell as hit.
void RemoveShotsOffMap(Arms &arms);
void DrawWeaponInHand(Arms &arms);
void DrawArmsHud(Arms &arms);
void DrawShots(Arms &arms);
