// What the actors call and read of the game frame and world. The input and sound entries are
// defined by the frame; the rest by the world's modules as they arrive.
#pragma once

#include <cstdint>

#include "game/frame/game_input.h"
#include "game/frame/sound_lists.h"
#include "game/frame/text_overlay.h"
#include "game/world/map_grid.h"

struct MapGrid;
struct StatusWindow;
class Hud;
class FieldObjects;
class Effects;
class PhysicsManager;
class Gimmicks;
class Inventory;
class ScreenEffect;
struct FieldObjectNode;
struct ItemKind;


int AddCarriedItem(int item, Inventory &inventory);
void RemoveCarriedItem(int slot, Inventory &inventory);
inline void AddOverlayText(TextOverlay &overlay, int x, int y, const char *text) { overlay.AddText(x, y, text); }
inline void AddOverlayNumber(TextOverlay &overlay, int x, int y, int value) { overlay.AddNumber(x, y, value); }
int AddPlayerMp(StatusWindow &status, int amount);
void AddPopupNumber(Effects &effects, float x, float y, int n);
void AddPlayerPopupNumber(Effects &effects, float x, float y, int n);
int CreateFieldObject(float x, float y, int kind, int zero, float vx, float vy, int flag1, int flag2, int value,
                      float angle);
void CreateGimmick(Gimmicks &gimmicks, int x, int y, int kind);
void DestroyAllBodies(PhysicsManager &physics);
void CreatePhysicsWorld(PhysicsManager &physics);
void BuildMapStaticBodies(PhysicsManager &physics);
void DestroyBodyById(int id);
int FindBodyAtPoint(float x, float y);
void ToggleGrabBody(int id);
int GetBodyAngleById(int id, float *angle);
int SetBodyAngleById(int id, float angle);
int GetBodyContact(int id);
int GetBodyPlayerContact(int id);
int GetBodyPositionById(int id, float *x, float *y);
bool IsBodyTouchingObject(FieldObjects &objects, int id);
void MakeAllBodiesDynamic();
int SetBodyVelocityById(int id, float vx, float vy, PhysicsManager &physics);
// -1 on the frame JUMP is pressed, else 1.
int ShowMessageAndWait(Hud &window, const char *text);
void SpawnEffect(Effects &effects, float x, float y, int kind);
void SpawnItemDrop(FieldObjects &objects, int row, float x, float y);
void StartScreenEffect(ScreenEffect &effect, int mode);
void StoreMapObjects(FieldObjects &objects, int slot);
void RestoreMapObjects(FieldObjects &objects, int slot);
bool TakeObjectTouchingBody(int kind, FieldObjects &objects, int id, float *x, float *y);
