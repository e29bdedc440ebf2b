// A fight in the whole play frame on the demo field map, over the real physics: the hero with a
// knife meets a mushroom, slashes it (its damage numbers rise), takes its charges under the
// contact countdown, kills it and sees its drop fall; a second run of the same frames gives the
// same trace, frame by frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "game/frame/cur_game.h"
#include "game/frame/game_random.h"
#include "game/world/world_services.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/game_fixture.h"

namespace {

constexpr int kKnife = 5;
constexpr int kKnifePower = 2;
constexpr int kShotPad = 4;

const ItemKind *KnifeRows(int id)
{
    static ItemKind knife = [] {
        ItemKind k;
        k.use = 8;
        k.kind = ITEM_WEAPON;
        k.power = kKnifePower;
        k.handClass = 5;
        return k;
    }();
    static const ItemKind empty{};
    if (id < 0 || id >= kItemKindCount) return nullptr;
    return id == kKnife ? &knife : &empty;
}

class CombatSceneTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        saved_ = InstallDrawRecorder();
        const std::string cmd = std::string(KELMOR_DEMO_DATA_GEN) + " --short-music . > /dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        WorldServices().itemKind = KnifeRows;
    }
    void TearDown() override {
        WorldServices() = DefaultWorldServices();
        SetGameRandSource(nullptr);
        RemoveDrawRecorder(saved_);
        GameFolderTest::TearDown();
    }

    struct Fight {
        std::string trace;
        int slashes = 0;      // frames the mushroom lost a slash's HP
        bool popup = false;   // a knife damage number rose
        int heroHits = 0;     // frames the hero lost HP
        bool killed = false;
        int dropsAfter = 0;   // loose coins and items once the mushroom is gone
    };

    // 360 frames: the hero faces the mushroom of cell (42, 19) and presses SHOT every 12 frames.
    Fight RunFight() {
        SetGameRandSeed(1);
        Fight f;
        CurGame game;
        SetMapGridPath(game.grid, "MAP/mori/mori0.bin");
        EXPECT_EQ(LoadMapGrid(game.grid), 0);
        game.topState = TOP_PLAY;
        game.physics.CreatePhysicsWorld();
        game.physics.BuildMapStaticBodies();
        game.player.enemySet = 4;
        EnemyNode *mushroom = SpawnEnemy(8, game.enemies, 42 * 16, 19 * 16, 0, -1);
        EXPECT_NE(mushroom, nullptr);
        if (!mushroom) return f;
        const uint32_t serial = mushroom->serial;
        game.player.x = game.companion.x = mushroom->x - 40;
        game.player.y = game.companion.y = mushroom->y - 8;
        game.player.facing = game.player.direction = 1;
        game.arms.weapon = kKnife;
        game.status.hp = game.status.hpMax = 200;
        GameInput &input = GetGameInput();
        input.padAssign[BUTTON_SHOT] = kShotPad;
        int lastHp = game.status.hp, lastEnemyHp = mushroom->hp;
        for (int frame = 0; frame < 360; frame++) {
            input.padCounters[kShotPad] = frame % 12 == 0 ? 1 : 0;
            game.OnFrame();
            const bool alive = IsEnemyListed(game.enemies, mushroom, serial);
            if (!alive) f.killed = true;
            else if (mushroom->hp == lastEnemyHp - kKnifePower) f.slashes++;
            if (alive) lastEnemyHp = mushroom->hp;
            for (const EffectNode &e : game.effects.nodes)
                if (e.number == kKnifePower) f.popup = true;
            if (game.status.hp < lastHp) f.heroHits++;
            lastHp = game.status.hp;
            int shots = 0;
            for (ShotNode *s = game.arms.shotHead; s; s = s->next) shots++;
            std::ostringstream line;
            line << frame << " hero " << game.player.x << "," << game.player.y << " hp " << game.status.hp << " enemy "
                 << (alive ? mushroom->hp : -1) << " " << (alive ? mushroom->x : 0) << " shots " << shots
                 << " objects " << game.fieldObjects.nodes.size() << " effects " << game.effects.nodes.size()
                 << "\n";
            f.trace += line.str();
        }
        for (const FieldObjectNode &n : game.fieldObjects.nodes)
            if (n.row <= 2) f.dropsAfter++;
        return f;
    }

    GameGraphicsCalls saved_;
};

TEST_F(CombatSceneTest, TheHeroKillsAMushroomWithTheKnifeAndTheSameFramesComeAgain)
{
    const Fight first = RunFight();
    EXPECT_GE(first.slashes, 2) << "6 HP take three slashes of 2, the last one kills";
    EXPECT_TRUE(first.popup);
    EXPECT_TRUE(first.killed);
    EXPECT_GE(first.dropsAfter, 1) << "a coin or an item where it died";
    if (std::getenv("KELMOR_FIGHT_TRACE")) std::fputs(first.trace.c_str(), stdout);
    const Fight second = RunFight();
    EXPECT_EQ(first.trace, second.trace);
    EXPECT_EQ(first.heroHits, second.heroHits);
}

} // namespace
