#include "game/world/field_objects.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "game/actors/actors.h"
#include "game/actors/arms.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_random.h"
#include "game/frame/sound_lists.h"
#include "game/world/camera.h"
#include "game/world/effects.h"
#include "game/world/item_drop_table.h"
#include "game/world/map_grid.h"
#include "game/world/physics_manager.h"
#include "game/world/world_services.h" // the entries the actors call, as they declare them
#include "library/base/log.h"

namespace {

FieldObjects *g_gameObjects = nullptr;

FieldObjectActorCalls g_actorCalls = {
    [](Arms &arms, float x, float y, int type, int value, int flag, int owner, int a, int b) {
        CreateShot(arms, (int)x, (int)y, type, value, (uint8_t)flag, owner, a, b, nullptr);
    },
    [](Enemies &enemies, int n, float x, float y, int flag, int body) { SpawnEnemy(n, enemies, x, y, flag, body); },
    [](Enemies &enemies, float radius, float x, float y) { MarkEnemiesNear(enemies, radius, x, y); },
};
// A shot a row makes at its object, bound to the object's body (type 47, value 0, flag 1 and no
// extra values unless the row says otherwise).
struct RowShot {
    int type, value, flag, a, b;
};

void PutWord(uint8_t *at, uint32_t v)
{
    for (int k = 0; k < 4; k++) at[k] = (uint8_t)(v >> (8 * k));
}
uint32_t GetWord(const uint8_t *at)
{
    uint32_t v = 0;
    for (int k = 0; k < 4; k++) v |= (uint32_t)at[k] << (8 * k);
    return v;
}
uint8_t *Entry(uint8_t *block, int i) { return block + 4 + 16 * i; }
const uint8_t *Entry(const uint8_t *block, int i) { return block + 4 + 16 * i; }
int EntryKind(const uint8_t *block, int i) { return (int32_t)GetWord(Entry(block, i) + 8); }

bool ValidBlock(int block, const char *who)
{
    if (block >= 0 && block < kWorldBlockCount) return true;
    WriteLogFmt("ワールド状態のブロック番号 %d が範囲外です in %s", block, who);
    return false;
}

} // namespace

FieldObjectActorCalls &FieldObjectActors() { return g_actorCalls; }

FieldObjects::FieldObjects() : store((size_t)kWorldBlockCount * kWorldBlockBytes) { InitFieldObjects(); }

void FieldObjects::InitFieldObjects()
{
    nodes.clear();
    release = 0;
    frameCounter = 0;
    std::fill(store.begin(), store.end(), 0);
    for (int n = 0; n < kWorldBlockCount; n++) Block(n)[0] = 1;
}

void FieldObjects::LoadObjectSheets()
{
    GameGraphicsCalls &g = GameGraphics();
    int at = 0;
    for (const ObjectSheet &s : kObjectSheets) {
        if (g.openImageAsDivGraphs(s.path, s.total, s.columns, s.rows, s.cellWidth, s.cellHeight, &images[at], 0) !=
            0)
            std::fill(images.begin() + at, images.begin() + at + s.total, -1);
        at += s.total;
    }
}

int FieldObjects::CreateFieldObject(float x, float y, int kind, int value, float vx, float vy, int persistent,
                                    int itemFlag, int lifetime, float angle)
{
    if (!physics || kind > 262 || kind < -2) return -1;
    int row;
    if (kind == -2) row = 0;
    else if (kind == -1) row = 2;
    else if (kind == 0) row = GameRand() % 4 == 0 ? 0 : 1;
    else row = kind + 2;
    const FieldObjectKind &k = kFieldObjectKinds[row];

    int body = k.variant != 0 ? physics->CreateCompoundBody(x, y, angle, k.variant, k.weight)
                              : physics->CreateObjectBody(x, y, k.width, k.height, k.weight, k.shape, vx, vy, angle);
    if (body < 0) return -1;

    auto shot = [&](RowShot s) {
        if (arms) g_actorCalls.createShot(*arms, x, y, s.type, s.value, s.flag, body, s.a, s.b);
    };
    auto enemy = [&](int n) {
        if (enemies) g_actorCalls.spawnEnemy(*enemies, n, x, y, 0, body);
    };
    switch (row) {
    case 53:
        if (arms) arms->detonation = 0; // a fresh remote bomb must not go off at once
        shot({50, 10, 0, 0, 0});
        break;
    case 194: shot({111, 0, 1, 0, 0}); break;
    case 195: physics->HangBodyFromPoint(x, y, body); break;
    case 196: case 226: case 227: case 228: shot({47, 20, 1, 0, 0}); break;
    case 197: case 199: shot({79, 0, 1, 2, 2}); break;
    case 198:
        shot({80, 0, 1, 2, 2});
        physics->HangBodyFromPoint(x, y, body);
        break;
    case 200: shot({77, 0, 1, 64, 64}); break;
    case 216: shot({84, 1, 1, 0, 0}); break;
    case 219: case 220: enemy(121); break;
    case 223: case 224: case 225: shot({47, 9999, 1, 0, 0}); break;
    case 229: shot({92, 0, 1, 0, 0}); break;
    case 238: case 239: case 240: case 241: case 242: shot({104, 20, 1, 0, 0}); break;
    case 243: enemy(122); break;
    case 263: shot({47, 2, 1, 0, 0}); break;
    case 264: enemy(144); break;
    default: break;
    }

    // The node starts exactly where it was asked for (the body holds it in units), so stored
    // positions survive a restore and a second store unchanged.
    FieldObjectNode n;
    n.x = x;
    n.y = y;
    n.angle = angle;
    if (row >= 196) {
        n.savedX = n.x;
        n.savedY = n.y;
        n.savedAngle = angle;
    }
    n.width = (int)k.width;
    n.height = (int)k.height;
    n.bodyId = body;
    n.image = k.image;
    n.persistent = (uint8_t)(persistent != 0);
    if (itemFlag != 0) {
        n.itemFlag = 1;
        n.lifetime = lifetime;
    } else {
        n.itemFlag = k.itemFlag;
        n.lifetime = kLifetimeUnlimited;
    }
    n.value = row == 2 ? value : k.value;
    n.row = row;
    n.weight = (int)k.weight;
    n.hitSound = k.hitSound;
    nodes.push_back(n);
    return body;
}

void FieldObjects::UpdateFieldObjects()
{
    const float mapW = grid ? (float)(grid->width * kMapTileSize) : 0.0f;
    const float mapH = grid ? (float)(grid->height * kMapTileSize) : 0.0f;
    for (auto it = nodes.begin(); it != nodes.end();) {
        FieldObjectNode &n = *it;
        float ux, uy;
        if (!physics || physics->GetBodyPositionById(n.bodyId, &ux, &uy) != 0) {
            it = nodes.erase(it);
            continue;
        }
        // Taken objects (image -1; the pick-up marks its row -1) and those that left the map.
        if (n.image == -1 || n.row < 0 || !(n.x >= 0 && n.x <= mapW && n.y >= 0 && n.y <= mapH)) {
            physics->DestroyBodyById(n.bodyId);
            it = nodes.erase(it);
            continue;
        }
        n.x = ux * kPixelsPerUnit;
        n.y = uy * kPixelsPerUnit;
        physics->GetBodyAngleById(n.bodyId, &n.angle);

        // Conveyors under the object.
        if (grid) {
            int attribute = CellAttribute(CellAt(*grid, PixelToCell(n.x), PixelToCell(n.y + n.height)));
            if (attribute == 14) physics->SetBodyVelocityById(n.bodyId, -1, 0);
            else if (attribute == 15) physics->SetBodyVelocityById(n.bodyId, 1, 0);
            // Water lifts light objects every other frame.
            if (frameCounter % 2 == 0 && n.weight <= 4) {
                int link = CellLink(CellAt(*grid, PixelToCell(n.x), PixelToCell(n.y - n.height)));
                if (link == 13) physics->SetBodyVelocityById(n.bodyId, 1, -1);
                else if (link == 14) physics->SetBodyVelocityById(n.bodyId, -1, -1);
                else if (link == 15) physics->SetBodyVelocityById(n.bodyId, 0, -1);
            }
        }

        n.contactCounter++;
        if (physics->GetBodyContact(n.bodyId) == CONTACT_ADDED) {
            n.hitCounter++;
            if (n.hitSound != 0 && n.contactCounter >= 31) {
                PlayEffectSound(n.hitSound);
                if (enemies) g_actorCalls.markEnemiesNear(*enemies, 50, n.x, n.y);
                n.contactCounter = 0;
            }
        }

        if (n.lifetime != kLifetimeUnlimited && n.itemFlag) {
            if (n.lifetime < 1) n.image = -1;
            n.lifetime--;
        }

        if (n.pendingVelocity == 1) {
            physics->SetBodyVelocityById(n.bodyId, (float)n.vx, (float)n.vy);
            n.pendingVelocity = 0;
            n.vx = n.vy = 0;
        }
        if (release == 1 && n.weight < 0) physics->SetBodyMassById(n.bodyId);
        ++it;
    }
    release = 0;
}

void FieldObjects::UpdateObjectScreenPositions()
{
    if (!grid) return;
    CameraPoint camera = ClampCamera(*grid, focus ? focus->x : 0.0f, focus ? focus->y : 0.0f);
    for (FieldObjectNode &n : nodes) {
        float sx = ScreenX(camera, n.x), sy = ScreenY(camera, n.y);
        if (sx > -64 && sx < 384 && sy > -64 && sy < 304) {
            n.screenX = (float)(int)sx;
            n.screenY = (float)(int)sy;
        } else {
            n.screenX = n.screenY = -32;
        }
    }
}

void FieldObjects::SyncObjectsFromBodies()
{
    if (!physics) return;
    for (FieldObjectNode &n : nodes) {
        float ux, uy;
        if (physics->GetBodyPositionById(n.bodyId, &ux, &uy) != 0) continue;
        n.savedX = ux * kPixelsPerUnit;
        n.savedY = uy * kPixelsPerUnit;
        physics->GetBodyAngleById(n.bodyId, &n.savedAngle);
    }
}

void FieldObjects::DrawNode(const FieldObjectNode &n, int image)
{
    // Past the last cell there is nothing to draw.
    if (image < 0 || image >= kObjectImageCount) return;
    GameGraphics().drawGraphRotatedAt((int)n.screenX, (int)n.screenY, 1.0, n.angle, images[image], 1, 0);
}

void FieldObjects::Sparkle(int type, float x, float y, int every)
{
    if (effects && frameCounter % every == 0) SpawnEffect(*effects, x, y, type);
}

void FieldObjects::DrawFieldObjects()
{
    frameCounter++;
    const int alternate = (frameCounter / 10) % 2;
    for (const FieldObjectNode &n : nodes) {
        if (n.image == -1 || n.itemFlag != 0) continue;
        switch (n.image) {
        case 34: case 121: DrawNode(n, n.image + alternate); continue;
        case 77: Sparkle(45, n.x, n.y - 8, 40); break;
        case 6: case 22: case 36: case 181: case 182: case 183: case 184: Sparkle(41, n.x + 3, n.y - 4, 50); break;
        case 54: case 187: case 199: case 246: Sparkle(35, n.x + 4, n.y - 4, 50); break;
        case 70: case 71: case 92: Sparkle(3, n.x, n.y, 20); break;
        case 93: Sparkle(13, n.x, n.y, 50); break;
        default: break;
        }
        DrawNode(n, n.image);
    }
    // Items on top.
    for (const FieldObjectNode &n : nodes) {
        if (n.image == -1 || n.itemFlag != 1) continue;
        if (n.dark) {
            GameGraphics().setBrightnessRGB(0, 0, 0);
            DrawNode(n, n.image);
            GameGraphics().setBrightnessRGB(254, 254, 254);
            Sparkle(41, n.x, n.y, 50);
            continue;
        }
        switch (n.image) {
        case 144: Sparkle(41, n.x, n.y, 50); break;
        case 346: Sparkle(35, n.x, n.y, 20); break;
        case 202: DrawNode(n, n.image + alternate); continue;
        default: break;
        }
        DrawNode(n, n.image);
    }
}

void FieldObjects::FreeFieldObjects() { nodes.clear(); }

int FieldObjects::StoreMapObjects(int block)
{
    if (!ValidBlock(block, "StoreMapObjects")) return -1;
    uint8_t *b = Block(block);
    std::memset(b + 4, 0, kWorldBlockBytes - 4);
    int count = 0;
    for (const FieldObjectNode &n : nodes) {
        if (count == kWorldBlockEntries) break;
        // Row 1 would come back as a random coin and row 2 (kind 0) would cut the list.
        if (!n.persistent || n.row == 1 || n.row == 2) continue;
        bool saved = n.savedX != 0 || n.savedY != 0;
        uint8_t *e = Entry(b, count++);
        PutWord(e, std::bit_cast<uint32_t>(saved ? n.savedX : n.x));
        PutWord(e + 4, std::bit_cast<uint32_t>(saved ? n.savedY : n.y));
        PutWord(e + 8, (uint32_t)(n.row - 2));
        PutWord(e + 12, std::bit_cast<uint32_t>(saved ? n.savedAngle : n.angle));
    }
    return 0;
}

int FieldObjects::RestoreMapObjects(int block)
{
    if (!ValidBlock(block, "RestoreMapObjects")) return -1;
    const uint8_t *b = Block(block);
    for (int i = 0; i < kWorldBlockEntries; i++) {
        int kind = EntryKind(b, i);
        if (kind == 0) break;
        const uint8_t *e = Entry(b, i);
        CreateFieldObject(std::bit_cast<float>(GetWord(e)), std::bit_cast<float>(GetWord(e + 4)), kind, 0, 0, 0, 1, 0,
                          0, std::bit_cast<float>(GetWord(e + 12)));
    }
    return 0;
}

int FieldObjects::CountStoredObjects(int block, int kind) const
{
    if (!ValidBlock(block, "CountStoredObjects")) return -1;
    const uint8_t *b = Block(block);
    int count = 0;
    for (int i = 0; i < kWorldBlockEntries; i++) {
        int k = EntryKind(b, i);
        if (k == 0) break;
        if (k == kind) count++;
    }
    return count;
}

const std::array<int, kCountedRows> &FieldObjects::CountObjectsInRect(int x1, int y1, int x2, int y2)
{
    kindCounts.fill(0);
    for (const FieldObjectNode &n : nodes) {
        int x = (int)n.x, y = (int)n.y;
        if (n.row >= 0 && n.row < kCountedRows && x >= x1 && x <= x2 && y >= y1 && y <= y2) kindCounts[n.row]++;
    }
    return kindCounts;
}

void FieldObjects::RemoveObjectsInRect(int count, int x1, int y1, int x2, int y2, int row)
{
    for (FieldObjectNode &n : nodes) {
        if (count <= 0) break;
        int x = (int)n.x, y = (int)n.y;
        if (n.row != row || n.image == -1 || x < x1 || x > x2 || y < y1 || y > y2) continue;
        n.image = -1;
        count--;
    }
}

bool FieldObjects::TakeObjectTouchingBody(int row, int bodyId, float *x, float *y)
{
    if (!physics) return false;
    for (FieldObjectNode &n : nodes) {
        if (n.image == -1 || (row != -1 && n.row != row)) continue;
        if (physics->GetContactBetweenBodies(n.bodyId, bodyId) == -1) continue;
        if (x) *x = n.x;
        if (y) *y = n.y;
        n.image = -1;
        return true;
    }
    return false;
}

bool FieldObjects::IsBodyTouchingObject(int bodyId) const
{
    if (!physics) return false;
    for (const FieldObjectNode &n : nodes) {
        if ((n.row >= 155 && n.row <= 157) || n.bodyId == bodyId) continue;
        if (physics->GetContactBetweenBodies(n.bodyId, bodyId) != -1) return true;
    }
    return false;
}

void FieldObjects::SpawnItemDrop(int row, float x, float y)
{
    if (row < 0 || row >= kDropRowCount) return;
    int d = GameRand() % 1000;
    int entry = d < 100 ? 5 : d < 250 ? 4 : d < 450 ? 3 : d < 700 ? 2 : 1;
    CreateFieldObject(x, y, -1, kItemDropTable[row][entry - 1] - 2, 0, 0, 0, 0, 0, 0);
    x += GameRand() % 8 - 4;
    if (effects) SpawnEffect(*effects, x, y, 45 + entry);
}

// ---- the game's field objects and the free entries -----------------------------------------

void LinkFieldRecords(FieldObjects &objects, PhysicsManager &physics, Effects &effects, const MapGrid &grid,
                      const Companion &focus)
{
    objects.grid = &grid;
    objects.physics = &physics;
    objects.effects = &effects;
    objects.focus = &focus;
    physics.grid = &grid;
    physics.companion = &focus;
    effects.grid = &grid;
    effects.focus = &focus;
}

void SetGameFieldObjects(FieldObjects *objects) { g_gameObjects = objects; }
FieldObjects *GameFieldObjects() { return g_gameObjects; }

int CreateFieldObject(float x, float y, int kind, int value, float vx, float vy, int persistent, int itemFlag,
                      int lifetime, float angle)
{
    return g_gameObjects ? g_gameObjects->CreateFieldObject(x, y, kind, value, vx, vy, persistent, itemFlag, lifetime,
                                                            angle)
                         : -1;
}
void SpawnItemDrop(FieldObjects &objects, int row, float x, float y) { objects.SpawnItemDrop(row, x, y); }
void StoreMapObjects(FieldObjects &objects, int slot) { objects.StoreMapObjects(slot); }
void RestoreMapObjects(FieldObjects &objects, int slot) { objects.RestoreMapObjects(slot); }
bool TakeObjectTouchingBody(int row, FieldObjects &objects, int id, float *x, float *y)
{
    return objects.TakeObjectTouchingBody(row, id, x, y);
}
bool IsBodyTouchingObject(FieldObjects &objects, int id) { return objects.IsBodyTouchingObject(id); }
