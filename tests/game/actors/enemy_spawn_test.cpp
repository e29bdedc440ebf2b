// Spawning: a kind's row copied into a node at the cell's corner plus its anchor (the cell's
// centre for a 16 x 16 sprite), drops off on request, serials never reused; the gate of slots
// 9..15 (255, -1, a set flag, the boss mode with its music and boss number); the rebuild's
// spawn cells: one draw per low-slot cell, none for cells of attributes 10 and 13; the enemy
// side of a map change.
#include "tests/game/actors/enemy_fixture.h"

namespace {

class SpawnTest : public EnemyTest {
protected:
    void SetFlag(int flag) { status.storyFlags[flag / 8] |= (uint8_t)(1 << (flag % 8)); }
};

TEST_F(SpawnTest, AKindsRowBecomesANodeCentredOnItsCell) {
    player.enemySet = 4;
    world.bodies[3] = FakeBody{};
    EnemyNode *walker = SpawnEnemy(1, enemies, 5 * 16, 7 * 16, 0, 3);
    ASSERT_NE(walker, nullptr);
    const EnemyKind &k = kEnemyKinds[KIND_WALKER];
    EXPECT_EQ(walker->x, 5 * 16 + 8) << "the cell's centre";
    EXPECT_EQ(walker->y, 7 * 16 + 8);
    EXPECT_EQ(walker->operation, k.firstOperation);
    EXPECT_EQ(walker->hp, k.hp);
    EXPECT_EQ(walker->maxHp, k.maxHp);
    EXPECT_EQ(walker->dropChance, k.dropChance);
    EXPECT_EQ(walker->vx, k.vx);
    EXPECT_EQ(walker->halfWidth, (float)k.halfWidth);
    EXPECT_EQ(walker->sourceY, (float)k.sourceY);
    EXPECT_EQ(walker->program, k.program);
    EXPECT_EQ(walker->steps, enemies.programs[k.program]);
    EXPECT_EQ(walker->tileCollision, 1);
    EXPECT_EQ(walker->sheet, k.sheet);
    EXPECT_EQ(walker->linkedBody, 3);
    EXPECT_EQ(walker->alive, 1);
    EXPECT_EQ(Linked(walker->root), walker);
    EXPECT_FALSE(walker->parent);

    // Numbers from 17 on are kinds (n - 1), here without drops; every node a new serial.
    EnemyNode *seed = SpawnEnemy(KIND_CHAIN_ROOT + 1, enemies, 0, 0, 1, -1);
    ASSERT_NE(seed, nullptr);
    EXPECT_EQ(seed->program, PROGRAM_CHAIN_ROOT);
    EXPECT_EQ(seed->dropRow, 0);
    EXPECT_EQ(seed->dropChance, 0);
    EXPECT_GT(seed->serial, walker->serial);
    EXPECT_EQ(enemies.head, walker);
    EXPECT_EQ(enemies.tail, seed);

    // An empty set slot makes kind 0: no size, no program, sparkling now and then.
    EnemyNode *filler = SpawnEnemy(7, enemies, 32, 32, 0, -1);
    ASSERT_NE(filler, nullptr);
    EXPECT_EQ(filler->operation, OP_SPARKLE);
    EXPECT_EQ(filler->x, 32);
    EXPECT_EQ(filler->steps, nullptr);
}

TEST_F(SpawnTest, TheGateOfTheHighSlots) {
    // Set 4: no gate (255): allowed, nothing else changes.
    player.enemySet = 4;
    enemies.bossMode = 7;
    EXPECT_NE(SpawnEnemy(9, enemies, 0, 0, 0, -1), nullptr);
    EXPECT_EQ(enemies.bossMode, 7);
    EXPECT_TRUE(world.music.empty());

    // Set 2 (the boss room), its flag clear: the fight starts with track 11 and its boss number.
    enemies.bossMode = 0;
    player.enemySet = 2;
    EnemyNode *boss = SpawnEnemy(9, enemies, 0, 0, 0, -1);
    ASSERT_NE(boss, nullptr);
    EXPECT_EQ(boss->boss, 1);
    EXPECT_EQ(enemies.bossMode, 1);
    EXPECT_EQ(enemies.bossNumber, 1);
    EXPECT_EQ(world.music, std::vector<int>({11}));
    // The low slots pass no gate.
    world.music.clear();
    EXPECT_NE(SpawnEnemy(1, enemies, 0, 0, 0, -1), nullptr);
    EXPECT_TRUE(world.music.empty());

    // Its flag set: the gated slots are refused and nothing is allocated.
    SetFlag(kBossBeatenFlag);
    const int before = Count();
    enemies.bossMode = 0;
    EXPECT_EQ(SpawnEnemy(9, enemies, 0, 0, 0, -1), nullptr);
    EXPECT_EQ(SpawnEnemy(12, enemies, 0, 0, 0, -1), nullptr);
    EXPECT_EQ(Count(), before);
    EXPECT_EQ(enemies.bossMode, 0);
    EXPECT_NE(SpawnEnemy(1, enemies, 0, 0, 0, -1), nullptr);

    // Gate -1 reads no flag (no negative shift) and still applies the boss words: set 28 plays 13.
    player.enemySet = 28;
    status.storyFlags.fill(0xFF);
    world.music.clear();
    EXPECT_NE(SpawnEnemy(9, enemies, 0, 0, 0, -1), nullptr);
    EXPECT_EQ(enemies.bossMode, 1);
    EXPECT_EQ(enemies.bossNumber, 2);
    EXPECT_EQ(world.music, std::vector<int>({13}));
    // Set 1 (-1, no boss): allowed, boss mode back to 0.
    player.enemySet = 1;
    EXPECT_NE(SpawnEnemy(9, enemies, 0, 0, 0, -1), nullptr);
    EXPECT_EQ(enemies.bossMode, 0);
    EXPECT_TRUE(CheckAreaEnemyGate(4, enemies));
    EXPECT_FALSE(CheckAreaEnemyGate(43, enemies));
}

TEST_F(SpawnTest, SpawnCellsDrawOncePerLowSlotCellAndNeverOnAttributes10And13) {
    player.enemySet = 4;
    const uint32_t walkerSlot = 1u << 12, sureWalkerSlot = 8u << 12;
    // A low slot: a draw of 0 (mod 5) skips it, any other spawns.
    rand.Add({5, 7});
    SpawnCellEnemy(enemies, 2, 3, walkerSlot);
    EXPECT_EQ(Count(), 0);
    SpawnCellEnemy(enemies, 2, 3, walkerSlot);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(enemies.head->x, 2 * 16 + 8);
    EXPECT_EQ(enemies.head->y, 3 * 16 + 8);
    // A sure slot draws nothing; nor do blocked cells or cells without a slot.
    SpawnCellEnemy(enemies, 0, 0, sureWalkerSlot);
    SpawnCellEnemy(enemies, 0, 0, walkerSlot | 10u << 8);
    SpawnCellEnemy(enemies, 0, 0, sureWalkerSlot | 13u << 8);
    SpawnCellEnemy(enemies, 0, 0, 1u << 8);
    EXPECT_EQ(Count(), 2);
    // Other attributes do not block: a spawn on a solid cell.
    SpawnCellEnemy(enemies, 1, 1, sureWalkerSlot | 1u << 8);
    EXPECT_EQ(Count(), 3);
}

TEST_F(SpawnTest, AMapChangeClearsTheEnemySide) {
    player.enemySet = 2;
    SpawnEnemy(9, enemies, 0, 0, 0, -1);
    enemies.ending = 1, enemies.alertAll = 1, enemies.bossKills = 1, enemies.bossFightWon = 1;
    enemies.darkness = 1;
    ClearEnemiesForNewMap(enemies);
    EXPECT_EQ(enemies.head, nullptr);
    EXPECT_EQ(enemies.tail, nullptr);
    EXPECT_EQ(enemies.ending, 0);
    EXPECT_EQ(enemies.alertAll, 0);
    EXPECT_EQ(enemies.bossMode, 0);
    EXPECT_EQ(enemies.bossKills, 0);
    EXPECT_EQ(enemies.bossFightWon, 0);
    EXPECT_EQ(enemies.darkness, 1) << "the programs set the darkness, not the map change";
}

} // namespace
