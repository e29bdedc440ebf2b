// The field rebuild after a map change: its steps in order through a recording world table, and
// over the real field records the round trip of two areas' objects through their store blocks,
// the gimmicks and enemies made from the cells in scan order, and the same field on a second entry.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/start_dir.h"
#include "game/actors/actors.h"
#include "game/actors/enemy_kinds.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_random.h"
#include "game/frame/status_window.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/gimmicks.h"
#include "game/world/physics_manager.h"
#include "game/world/world_services.h"
#include "tests/game/actors/scripted_rand.h"
#include "tests/game/world/grid_fixture.h"

namespace {

std::vector<std::string> g_calls;

TEST(FieldRebuild, StepsInOrder)
{
    WorldServiceCalls &w = WorldServices();
    w.freeEffects = [](Effects *) { g_calls.push_back("effects"); };
    w.freeGimmickList = [](Gimmicks *) { g_calls.push_back("gimmicks"); };
    w.storeMapObjects = [](FieldObjects *, int slot) { g_calls.push_back("store " + std::to_string(slot)); };
    w.freeFieldObjects = [](FieldObjects *) { g_calls.push_back("objects"); };
    w.destroyAllBodies = [](PhysicsManager *) { g_calls.push_back("bodies"); };
    w.createPhysicsWorld = [](PhysicsManager *) { g_calls.push_back("world"); };
    w.buildMapStaticBodies = [](PhysicsManager *) { g_calls.push_back("static"); };
    w.restoreMapObjects = [](FieldObjects *, int slot) { g_calls.push_back("restore " + std::to_string(slot)); };
    w.createGimmick = [](Gimmicks *, int x, int y, int kind) {
        g_calls.push_back("gimmick " + std::to_string(kind) + " at " + std::to_string(x) + "," + std::to_string(y));
    };
    // Link bytes 16 and above are gimmicks (kind byte - 15); spawn slots, water and warps are not.
    MapGrid grid = SizedGrid(4, 3);
    SetCellAt(grid, 2, 0, 16u << 24);
    SetCellAt(grid, 1, 1, 0x8000u | 15u << 24 | 0x100);
    SetCellAt(grid, 0, 2, 191u << 24 | 0x3000);
    SetCellAt(grid, 3, 2, 255u << 24);
    SetCellAt(grid, 1, 2, 12u << 24);
    Player player;
    Companion companion;
    Arms arms;
    Enemies enemies;
    LinkEnemyRecords(enemies, grid, player, arms, companion);
    MapChange change;
    change.grid = &grid;
    change.enemies = &enemies;
    change.arms = &arms;

    change.pending = 0;
    RebuildFieldForMap(change);
    EXPECT_TRUE(g_calls.empty());

    // The enemies of the spawn cells come in the same scan: slot 8 always, slot 3 on a draw not
    // divisible by 5. The next rebuild clears them and the shots.
    player.enemySet = 4;
    AppendShotNode(arms, new ShotNode);
    ScriptedRand rand({1});
    change.pending = 1;
    change.oldArea = 89;
    change.newArea = 53;
    RebuildFieldForMap(change);
    ASSERT_NE(enemies.head, nullptr);
    EXPECT_EQ(enemies.head->program, kEnemyKinds[KIND_WALKER].program);
    ASSERT_NE(enemies.head->next, nullptr);
    EXPECT_EQ(enemies.head->next->program, kEnemyKinds[KIND_JUMPER].program);
    EXPECT_EQ(arms.shotHead, nullptr);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"effects", "gimmicks", "store 89", "objects", "bodies", "world", "static",
                                                  "restore 53", "gimmick 1 at 32,0", "gimmick 176 at 0,32",
                                                  "gimmick 240 at 48,32"}));
    EXPECT_EQ(change.pending, 0);
    // A new or loaded game stores nothing.
    g_calls.clear();
    change.pending = 1;
    change.oldArea = kNoArea;
    change.grid = nullptr;
    RebuildFieldForMap(change);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"effects", "gimmicks", "objects", "bodies", "world", "static", "restore 53"}));
    EXPECT_EQ(enemies.head, nullptr);
    WorldServices() = DefaultWorldServices();
    g_calls.clear();
}

class FieldRebuildTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        savedGraphics_ = GameGraphics();
        GameGraphics().drawGraphRotatedAt = [](int, int, double, double, int, int, int) { return 0; };
        SetGameRandSeed(1);
        LinkFieldRecords(objects, physics, effects, grid, companion);
        objects.arms = &arms;
        objects.enemies = &enemies;
        LinkEnemyRecords(enemies, grid, player, arms, companion);
        enemies.status = &status;
        gimmicks.grid = &grid;
        gimmicks.status = &status;
        change.grid = &grid;
        change.enemies = &enemies;
        change.gimmicks = &gimmicks;
        change.effects = &effects;
        change.arms = &arms;
        change.fieldObjects = &objects;
        change.physics = &physics;
    }
    void TearDown() override {
        FreeEnemyList(enemies);
        FreeShotList(arms);
        GameGraphics() = savedGraphics_;
        SetGameRandSeed(1);
        LogStartTest::TearDown();
    }
    // The map change the area code posts, then the rebuild.
    void Enter(const MapGrid &g, int oldArea, int newArea) {
        grid = g;
        change.pending = 1;
        change.oldArea = oldArea;
        change.newArea = newArea;
        RebuildFieldForMap(change);
    }
    // The field as text: each enemy's program and place, each gimmick's place and script, each
    // object's row and place.
    std::string Field() const {
        std::ostringstream s;
        for (const EnemyNode *e = enemies.head; e; e = e->next) s << "e" << e->program << "@" << e->x << "," << e->y << " ";
        for (const GimmickNode &n : gimmicks.nodes) s << "g" << n.scriptNumber << "@" << n.x << "," << n.y << " ";
        for (const FieldObjectNode &n : objects.nodes) s << "o" << n.row << "@" << n.x << "," << n.y << " ";
        return s.str();
    }
    // A stored entry written straight into a block: {x, y, kind, angle}.
    void PutStored(int block, int index, float x, float y, int kind) {
        uint8_t *e = objects.Block(block) + 4 + 16 * index;
        const uint32_t words[4] = {std::bit_cast<uint32_t>(x), std::bit_cast<uint32_t>(y), (uint32_t)kind, 0};
        for (int w = 0; w < 4; w++)
            for (int k = 0; k < 4; k++) e[4 * w + k] = (uint8_t)(words[w] >> (8 * k));
    }

    MapGrid grid;
    PhysicsManager physics;
    Effects effects;
    FieldObjects objects;
    Gimmicks gimmicks;
    StatusWindow status;
    Arms arms;
    Enemies enemies;
    Player player;
    Companion companion;
    MapChange change;
    GameGraphicsCalls savedGraphics_;
};

TEST_F(FieldRebuildTest, ObjectsStayWithTheirAreaAndGimmicksComeFromTheCells)
{
    MapGrid field = FloorGrid(30, 20), cave = FloorGrid(30, 20);
    // The field's gimmicks, with a warp between them and a sure spawn slot (11 of the empty set 0,
    // which makes kind 0 and draws nothing) before them, in row-major order.
    SetCellAt(field, 9, 4, (uint32_t)(170 + 15) << 24);
    SetCellAt(field, 2, 4, 0xB000u);
    SetCellAt(field, 3, 6, (uint32_t)(11 + 15) << 24);
    SetCellAt(field, 1, 7, 3u << 24);
    SetCellAt(cave, 5, 5, (uint32_t)(10 + 15) << 24);
    PutStored(15, 0, 200, 100, 3); // the cave holds a grenade (row 5)

    Enter(field, kNoArea, 53);
    const std::string firstEntry = Field();
    EXPECT_EQ(firstEntry, "e0@32,64 g42@152,80 g0@56,104 ");
    ASSERT_EQ(GameRand(), [] { GameRandom r; r.Seed(1); return r.Next(); }()) << "the scan drew random numbers";
    SetGameRandSeed(1);

    // Two crates and a loose effect in the field.
    ASSERT_GE(objects.CreateFieldObject(100, 100, 1, 0, 0, 0, 1, 0, 0, 0), 0);
    ASSERT_GE(objects.CreateFieldObject(140, 100, 1, 0, 0, 0, 1, 0, 0, 0), 0);
    effects.SpawnEffect(100, 100, 1);
    ASSERT_FALSE(effects.nodes.empty());

    // To the cave: the crates go to the field's block, the grenade comes back.
    Enter(cave, 53, 15);
    EXPECT_EQ(objects.CountStoredObjects(53, 1), 2);
    EXPECT_TRUE(effects.nodes.empty());
    EXPECT_EQ(Field(), "g0@88,88 o5@200,100 ");
    EXPECT_EQ(physics.BodyCount(), 1);

    // Back to the field: the grenade to the cave's block, the crates back where they were, and the
    // gimmicks as on the first entry.
    Enter(field, 15, 53);
    EXPECT_EQ(objects.CountStoredObjects(15, 3), 1);
    EXPECT_EQ(Field(), firstEntry + "o3@100,100 o3@140,100 ");
    EXPECT_EQ(physics.BodyCount(), 2);

    // Into an area whose map did not load (an empty grid): the field's objects are kept in its
    // block all the same and come back with it.
    Enter(MapGrid{}, 53, 19);
    EXPECT_EQ(Field(), "");
    EXPECT_EQ(objects.CountStoredObjects(53, 1), 2);
    Enter(field, 19, 53);
    EXPECT_EQ(Field(), firstEntry + "o3@100,100 o3@140,100 ");
}

TEST_F(FieldRebuildTest, EnemiesComeFromTheSpawnCellsOnEveryEntry)
{
    player.enemySet = 4; // the field's set: 8 the mushroom, 2 the bat, 3 the stone
    MapGrid field = FloorGrid(30, 20);
    SetCellAt(field, 4, 5, 8u << 12);
    SetCellAt(field, 6, 5, 3u << 12);
    SetCellAt(field, 8, 5, 8u << 12 | 10u << 8);  // never on attribute 10
    SetCellAt(field, 10, 5, 3u << 12 | 13u << 8); // nor 13, and no draw for it
    SetCellAt(field, 12, 5, 2u << 12);
    const EnemyKind &walker = kEnemyKinds[KIND_WALKER], &stone = kEnemyKinds[KIND_JUMPER];
    std::ostringstream expected;
    expected << "e" << walker.program << "@" << 64 + walker.anchorX << "," << 80 + walker.anchorY << " e" << stone.program
             << "@" << 96 + stone.anchorX << "," << 80 + stone.anchorY << " ";

    ScriptedRand rand({1, 5}); // the stone spawns, the bat's draw (5) skips it
    Enter(field, kNoArea, 53);
    EXPECT_EQ(Field(), expected.str());

    // A fight under way, a shot in the air and the mushroom beaten, then off to the cave.
    enemies.bossMode = 1, enemies.bossKills = 1, enemies.ending = 1, enemies.alertAll = 1;
    AppendShotNode(arms, new ShotNode);
    FreeEnemyNode(enemies, enemies.head);
    Enter(FloorGrid(30, 20), 53, 15);
    EXPECT_EQ(enemies.head, nullptr);
    EXPECT_EQ(arms.shotHead, nullptr);
    EXPECT_EQ(enemies.bossMode, 0);
    EXPECT_EQ(enemies.bossKills, 0);
    EXPECT_EQ(enemies.ending, 0);
    EXPECT_EQ(enemies.alertAll, 0);

    // Back in the field the beaten mushroom is there again.
    rand.Add({3, 0});
    Enter(field, 15, 53);
    EXPECT_EQ(Field(), expected.str());
}

} // namespace
