// Scenes on the demo's field map (written by the demo data generator): the mushroom in the pit
// turns at both walls, the bat's first shot starts toward the hero and it rests between its
// pellets, the vine's bulb keeps its radius round the seed over a whole turn with its links strung
// between, ガルド at 0 HP dies through its explosions and takes its crystals with it, and the giant
// of 35000 dies through its special death.
#include <cmath>
#include <filesystem>
#include <random>

#include "game/frame/game_random.h"
#include "tests/game/actors/enemy_fixture.h"

namespace fs = std::filesystem;

namespace {

fs::path g_data;

class EnemySceneTest : public EnemyTest {
protected:
    static void SetUpTestSuite() {
        std::random_device rd;
        g_data = fs::temp_directory_path() / ("kelmor-scene-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(g_data);
        const std::string cmd = std::string(KELMOR_DEMO_DATA_GEN) + " --short-music " + g_data.string() + " > /dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(g_data, ec);
    }
    void SetUp() override {
        EnemyTest::SetUp();
        SetMapGridPath(grid, (g_data / "MAP/mori/mori0.bin").c_str());
        ASSERT_EQ(LoadMapGrid(grid), 0);
        player.grid = companion.grid = arms.grid = &grid;
        player.enemySet = 4;             // the field's set
        player.x = 100, player.y = 100;  // out of everyone's way unless a scene moves it
        SetGameRandSource(nullptr);      // the game's own generator, from a fixed start
        SetGameRandSeed(7);
    }
    void TearDown() override {
        FreeMapGrid(grid);
        EnemyTest::TearDown();
    }
    // The enemy of a spawn cell of the map, checked to carry the slot the demo list gives.
    EnemyNode *FromCell(int column, int row, int slot) {
        const uint32_t cell = CellAt(grid, column, row);
        EXPECT_EQ(CellSpawnSlot(cell), slot) << "cell " << column << ", " << row;
        return SpawnEnemy(slot, enemies, (float)(column * 16), (float)(row * 16), 0, -1);
    }
};

TEST_F(EnemySceneTest, TheMushroomInThePitTurnsAtBothWalls) {
    EnemyNode *walker = FromCell(52, 24, 8);
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->x, 52 * 16 + 8) << "the cell's centre";
    float least = walker->x, most = walker->x;
    int turns = 0;
    float lastVx = 0;
    for (int frame = 0; frame < 400; frame++) {
        EnemyFrame();
        least = std::min(least, walker->x);
        most = std::max(most, walker->x);
        if (lastVx != 0 && walker->vx != 0 && (lastVx > 0) != (walker->vx > 0)) turns++;
        if (walker->vx != 0) lastVx = walker->vx;
    }
    // The pit runs from the wall at column 50 to the one at column 55 (pixels 816 to 880).
    EXPECT_FLOAT_EQ(least, 816 + 6) << "against the left wall";
    EXPECT_FLOAT_EQ(most, 880 - 6 - 0.1f) << "against the right wall";
    EXPECT_GE(turns, 2);
    EXPECT_FLOAT_EQ(walker->y, 400 - 7 - 0.1f) << "on the pit's floor";
    EXPECT_EQ(walker->alerted, 0);
}

TEST_F(EnemySceneTest, TheBatsFirstShotStartsTowardTheHero) {
    EnemyNode *bat = FromCell(28, 12, 9);
    ASSERT_NE(bat, nullptr);
    player.x = 520, player.y = 260;
    ShotNode *shot = nullptr;
    float fromX = 0, fromY = 0;
    for (int frame = 0; frame < 200 && !shot; frame++) {
        EnemyFrame();
        if (arms.shotHead) {
            shot = arms.shotHead;
            fromX = (float)(int)bat->x, fromY = (float)(int)(bat->y + 4);
        }
    }
    ASSERT_NE(shot, nullptr) << "the bat never fired";
    EXPECT_EQ(shot->x, fromX);
    EXPECT_EQ(shot->y, fromY);
    const float angle = std::atan2(player.y - fromY, player.x - fromX);
    EXPECT_FLOAT_EQ(shot->vx, 2 * std::cos(angle));
    EXPECT_FLOAT_EQ(shot->vy, 2 * std::sin(angle));
    EXPECT_EQ(shot->fromEnemy, 1);
    EXPECT_EQ(shot->damage, kEnemyKinds[KIND_BAT].damage) << "the pellet carries the bat's own damage";
}

// A hero standing within its sight is not pelted without rest: after a pellet the bat hovers
// above it for 160 frames and flutters off for 90 before it looks again.
TEST_F(EnemySceneTest, TheBatRestsBetweenItsPellets) {
    EnemyNode *bat = FromCell(28, 12, 9);
    ASSERT_NE(bat, nullptr);
    player.x = bat->x + 40, player.y = bat->y + 60;
    std::vector<int> fired;
    size_t shots = 0;
    float farthest = 0;
    for (int frame = 0; frame < 900; frame++) {
        EnemyFrame();
        if (Shots().size() > shots) fired.push_back(frame);
        shots = Shots().size();
        if (!fired.empty()) farthest = std::max(farthest, std::hypot(bat->x - player.x, bat->y - 36 - player.y));
    }
    ASSERT_GE(fired.size(), 2u) << "the bat fires again once it has rested";
    for (size_t i = 1; i < fired.size(); i++) EXPECT_GE(fired[i] - fired[i - 1], 250) << "pellet " << i;
    EXPECT_GT(farthest, 20) << "it leaves its place above the hero";
}

TEST_F(EnemySceneTest, TheVinesBulbKeepsItsRadiusRoundTheSeedOverATurn) {
    EnemyNode *seed = FromCell(56, 12, 4);
    ASSERT_NE(seed, nullptr);
    EnemyFrame();
    ASSERT_EQ(Count(), 4) << "seed, two links and the bulb";
    EnemyNode *link1 = seed->next, *link2 = link1->next, *bulb = link2->next;
    EXPECT_EQ(bulb->program, PROGRAM_CHAIN_TIP);
    float turned = 0, lastAngle = bulb->angle;
    for (int frame = 0; frame < 215; frame++) {
        EnemyFrame();
        // The seed moves after the bulb has aimed at it: 0.3 pixels of lag at most.
        EXPECT_NEAR(Distance(*bulb, *seed), 48, 0.31f) << "frame " << frame;
        float step = bulb->angle - lastAngle;
        if (step < 0) step += 2 * 3.14159265f;
        turned += step;
        lastAngle = bulb->angle;
    }
    EXPECT_GT(turned, 2 * 3.14159265f);
    // The links hang evenly along the line from the seed to the bulb.
    EXPECT_NEAR(link1->x, seed->x + (bulb->x - seed->x) / 3, 1.5f);
    EXPECT_NEAR(link2->y, seed->y + 2 * (bulb->y - seed->y) / 3, 1.5f);
}

TEST_F(EnemySceneTest, GarudoAtZeroHpDiesThroughItsExplosionsAndTheGiantThroughItsSpecialDeath) {
    player.enemySet = 2; // ガルド's crystals come from the boss room's set
    EnemyNode *boss = SpawnEnemy(KIND_BOSS + 1, enemies, 30 * 16, 14 * 16, 0, -1);
    ASSERT_NE(boss, nullptr);
    enemies.bossMode = 1;
    EnemyFrames(10);
    ASSERT_EQ(Count(), 4) << "ガルド and its three crystals";
    // A shot's killing hit: HP 0, the hit byte, a shake of 200.
    boss->hp = 0, boss->hit = 1, boss->hitShake = 200;
    const EnemyRef bossRef = RefTo(boss); // taken while it lives: the node is freed in the loop
    int frames = 0;
    while (IsEnemyListed(enemies, bossRef) && frames < 400) {
        EnemyFrame();
        frames++;
        if (IsEnemyListed(enemies, bossRef)) {
            EXPECT_EQ(boss->operation, OP_DYING);
            EXPECT_EQ(boss->vx, 0);
        }
    }
    EXPECT_EQ(frames, 200) << "the shake runs down from 200 (16 skips to 14), then the step at 0";
    EXPECT_EQ(Count(), 0) << "its crystals go with it";
    EXPECT_EQ(enemies.bossKills, 1);
    EXPECT_EQ(enemies.bossFightWon, 1);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 11), 11 + 1) << "an explosion every 20, and death";

    enemies.bossFightWon = 0;
    world.ClearRecords();
    EnemyNode *giant = SpawnEnemy(KIND_GIANT + 1, enemies, 20 * 16, 2 * 16, 0, -1);
    ASSERT_NE(giant, nullptr);
    EXPECT_EQ(giant->maxHp, 35000);
    EnemyFrames(5);
    giant->hp = -10, giant->hit = 1, giant->hitShake = 200;
    while (Count() && frames++ < 1000) EnemyFrame();
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(enemies.bossFightWon, 1);
    int blasts = 0;
    for (ShotNode *s = arms.shotHead; s; s = s->next) blasts += s->behaviour == 64;
    EXPECT_EQ(blasts, 1) << "the screen-wide blast at hit shake 1";
    EXPECT_EQ(world.objects.size(), 11u * 4) << "four pieces of debris every 20 frames";
}

} // namespace
