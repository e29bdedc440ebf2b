// Field objects: the loose things lying in an area (crates, barrels, coins, items, hanging
// lamps), each a physics body plus a node that remembers its row, image and counters. The
// persistent ones are kept per area in the world-state store: 200 blocks, one per area number,
// that the save file holds whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

#include "game/world/field_object_kinds.h"
#include "game/world/object_sheets.h"

struct MapGrid;
struct Arms;
struct Companion;
struct Enemies;
class Effects;
class PhysicsManager;

constexpr int kLifetimeUnlimited = -666;
constexpr int kCountedRows = 200;  // rows CountObjectsInRect counts

// The world-state store: per block a header word (first byte 1), then 256 entries of
// {f32 x, f32 y, i32 kind, f32 angle}, little-endian; a kind of 0 ends the list.
constexpr int kWorldBlockCount = 200;
constexpr int kWorldBlockEntries = 256;
constexpr int kWorldBlockBytes = 4 + kWorldBlockEntries * 16;

struct FieldObjectNode {
    float x = 0, y = 0;            // pixels, the body's position
    float savedX = 0, savedY = 0;  // where the store takes it from, when not (0, 0)
    float savedAngle = 0;
    float angle = 0;
    float screenX = 0, screenY = 0;
    int width = 0, height = 0;     // half-sizes, from the row
    int bodyId = -1;
    int image = 0;                 // -1: removed at the next update
    uint8_t persistent = 0;
    uint8_t itemFlag = 0;
    int value = 0;                 // the row's value, or for row 2 the item id
    int row = 0;
    int lifetime = kLifetimeUnlimited;
    int weight = 0;
    uint8_t pendingVelocity = 0;   // 1: vx, vy go to the body at the next update
    int vx = 0, vy = 0;
    uint8_t dark = 0;              // drawn black
    int hitSound = 0;
    int contactCounter = 10;
    int hitCounter = 0;
    // Set by the shots: flung by a blast (cannot be picked up), held still, settled after a
    // blast, and turned into a shot once.
    uint8_t thrown = 0, frozen = 0, settled = 0, converted = 0;
};

// What field objects ask of the actors; tests put recorders in place.
struct FieldObjectActorCalls {
    void (*createShot)(Arms &arms, float x, float y, int shotType, int value, int flag, int ownerBody, int a, int b);
    void (*spawnEnemy)(Enemies &enemies, int n, float x, float y, int flag, int bodyId);
    void (*markEnemiesNear)(Enemies &enemies, float radius, float x, float y);
};
FieldObjectActorCalls &FieldObjectActors();

class FieldObjects {
public:
    FieldObjects();

    // Empty list, counters 0; every store block empty with its header byte 1.
    void InitFieldObjects();
    // The 17 sheet loads, cut into the 346 images.
    void LoadObjectSheets();

    // Body id, or -1 when the kind is refused (above 262, below -2) or no body can be made.
    // kind k gives row k + 2; -1 row 2; -2 row 0; 0 row 0 or 1 at random.
    int CreateFieldObject(float x, float y, int kind, int value, float vx, float vy, int persistent, int itemFlag,
                          int lifetime, float angle);
    void UpdateFieldObjects();
    void UpdateObjectScreenPositions();
    void SyncObjectsFromBodies();
    void DrawFieldObjects();
    // Frees every node (their bodies go with the world).
    void FreeFieldObjects();

    // 0, or -1 with a log line for a block outside 0..199.
    int StoreMapObjects(int block);
    int RestoreMapObjects(int block);
    int CountStoredObjects(int block, int kind) const;
    // Per-row counts (rows below 200) of the objects whose integer position lies inside.
    const std::array<int, kCountedRows> &CountObjectsInRect(int x1, int y1, int x2, int y2);
    void RemoveObjectsInRect(int count, int x1, int y1, int x2, int y2, int row);
    // The first object (of that row, or any for -1) touching the body: marked for removal.
    bool TakeObjectTouchingBody(int row, int bodyId, float *x, float *y);
    bool IsBodyTouchingObject(int bodyId) const;
    // A random item of drop row 0..61 at (x, y), with its sparkle.
    void SpawnItemDrop(int row, float x, float y);

    uint8_t *Block(int n) { return store.data() + (size_t)n * kWorldBlockBytes; }
    const uint8_t *Block(int n) const { return store.data() + (size_t)n * kWorldBlockBytes; }

    // Sibling records, set once by the game object.
    const MapGrid *grid = nullptr;
    PhysicsManager *physics = nullptr;
    Enemies *enemies = nullptr;
    Effects *effects = nullptr;
    Arms *arms = nullptr;
    const Companion *focus = nullptr;  // the camera follows it

    std::list<FieldObjectNode> nodes;
    std::array<int, kObjectImageCount> images{};
    int frameCounter = 0;
    uint8_t release = 0;  // 1: static objects of negative weight start to move at the next update
    std::array<int, kCountedRows> kindCounts{};
    std::vector<uint8_t> store;

private:
    void DrawNode(const FieldObjectNode &node, int image);
    void Sparkle(int type, float x, float y, int every);
};

// Points the field's three records at the map grid, the camera's focus and each other (the
// player, enemies and arms are the game object's to set).
void LinkFieldRecords(FieldObjects &objects, PhysicsManager &physics, Effects &effects, const MapGrid &grid,
                      const Companion &focus);

// The game's field objects, bound by the game object, for the entries without a record.
void SetGameFieldObjects(FieldObjects *objects);
FieldObjects *GameFieldObjects();

int CreateFieldObject(float x, float y, int kind, int value, float vx, float vy, int persistent, int itemFlag,
                      int lifetime, float angle);
void SpawnItemDrop(FieldObjects &objects, int row, float x, float y);
void StoreMapObjects(FieldObjects &objects, int slot);
void RestoreMapObjects(FieldObjects &objects, int slot);
bool TakeObjectTouchingBody(int row, FieldObjects &objects, int id, float *x, float *y);
bool IsBodyTouchingObject(FieldObjects &objects, int id);
