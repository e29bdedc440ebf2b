// The play state's frame through recorded draws: the world drawn back to front, the switches
// that hide the world, the HUD or the hero, the HUD's one-frame latch, the status timers, the
// hero moving over the start grid loaded by the game object, and the new game's room with its
// gimmicks.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/actors/actor_map.h"
#include "game/actors/enemy_kinds.h"
#include "game/frame/cur_game.h"
#include "game/world/world_services.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/game_fixture.h"

namespace {

int Noon() { return 12; }

class PlayFrameTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        saved_ = InstallDrawRecorder();
        SetLocalHourSource(Noon);
        std::filesystem::create_directories(dir_ / "DataForWork");
        WriteFile("DataForWork/doust.bin", StartGrid(0));
    }
    // A 30 x 20 grid: a floor of tile 1 with tile 2 in front of it along row 10, and the given
    // link byte in cell (3, 8).
    static std::vector<uint8_t> StartGrid(uint32_t link) {
        std::vector<uint8_t> b = {30, 0, 0, 0, 20, 0, 0, 0};
        for (int i = 0; i < 30 * 20; i++) {
            uint32_t cell = i / 30 == 10 ? (1u | 0x100u | 2u << 16) : 0u;
            if (i == 8 * 30 + 3) cell = link << 24;
            for (int k = 0; k < 4; k++) b.push_back((uint8_t)(cell >> (8 * k)));
        }
        return b;
    }
    void TearDown() override {
        SetLocalHourSource(nullptr);
        RemoveDrawRecorder(saved_);
        GameFolderTest::TearDown();
    }
    // The frame's draws named by what they come from, runs of one source folded into one name.
    std::vector<std::string> Frame(CurGame &game) {
        TakeRecordedCalls();
        game.OnFrame();
        std::vector<std::string> names;
        for (const DrawCall &c : TakeRecordedCalls()) {
            std::string n = c.kind == DrawCall::BRIGHT ? (c.x == 0 ? "dark" : "light") : Name(game, c.graph);
            if (names.empty() || names.back() != n) names.push_back(n);
        }
        return names;
    }
    static std::string Name(const CurGame &game, int graph) {
        if (graph == game.backdrop.pattern) return "pattern";
        if (graph == game.backdrop.cloud) return "cloud";
        if (graph == game.tileView.sheets[7]) return "layer1";
        if (graph == game.tileView.sheets[5]) return "layer2";
        if (graph == game.tileView.sheets[8]) return "room";
        if (graph == game.gimmicks.sheet) return "gimmicks";
        if (graph == game.tileView.sheets[2]) return "minimap";
        if (graph == game.status.windowFill || graph == game.status.barImage) return "bars";
        if (graph == game.hud.windowFill) return "notes";
        if (graph == game.fullScreen.fades[5] || graph == game.fullScreen.fades[0]) return "fade";
        if (graph == game.screenEffect.image) return "haze";
        if (graph == game.player.sheet) return "hero";
        if (graph == game.player.lightMask) return "mask";
        if (graph == game.arms.handSheet) return "weapon";
        if (graph == game.arms.iconSheet) return "icon";
        if (graph == game.arms.shotSheet) return "shots";
        if (graph == game.companion.sheet) return "companion";
        if (graph == game.captureGraph) return "present";
        if (graph == game.effects.sheets[0]) return "effects";
        if (graph == game.effects.wipe.cover) return "picture";
        if (graph == game.enemies.sheets[SHEET_LIFE_BARS]) return "lifebars";
        for (int i = 0; i < SHEET_LIFE_BARS; i++)
            if (graph == game.enemies.sheets[i]) return "enemies";
        for (int image : game.fieldObjects.images)
            if (graph == image) return "objects";
        for (int i = 0; i < kGlyphCount; i++)
            if (graph == game.overlay.Glyph(i)) return "text";
        return "graph " + std::to_string(graph);
    }
    void Play(CurGame &game) {
        game.OnLoad();
        game.topState = TOP_PLAY;
        game.transition.currentArea = 53;
        game.tileView.layer1Sheet = 7;
        game.tileView.layer2Sheet = 5;
        game.player.abilityFlags = 0x10;
        AddNotification(game.hud, "A");
    }
    GameGraphicsCalls saved_;
};

TEST_F(PlayFrameTest, WorldBackToFrontAndItsSwitches) {
    CurGame game;
    ASSERT_EQ(game.grid.width, 30);
    ASSERT_EQ(game.transition.localHour, 12);
    Play(game);
    // The hero's grenade (its icon in the arms box) sits between the bars and the minimap.
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"pattern", "layer1", "hero", "layer2", "bars", "icon", "minimap",
                                                      "notes", "text", "present"}));
    EXPECT_FLOAT_EQ(game.tileView.camera.x, 160);
    // A running fade: its picture over layer 1, layer 2 black; the wave over everything.
    StartScreenEffect(game.fullScreen, 1);
    game.screenEffect.wave = 1;
    game.transition.currentArea = 89;
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"cloud", "layer1", "fade", "hero", "dark", "layer2", "light",
                                                      "haze", "bars", "icon", "minimap", "notes", "text", "present"}));
    game.screenEffect.wave = 0;
    game.fullScreen.active = 0;
    game.control.hudOff = 1;
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"cloud", "layer1", "hero", "layer2", "notes", "text", "present"}));
    game.control.worldDrawingOff = 1;
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"present"}));
}

// A weapon of hand class 5 with its icon, in place of the item table.
const ItemKind *Sword(int id)
{
    static const ItemKind kSword = [] {
        ItemKind k;
        k.kind = ITEM_WEAPON;
        k.handClass = 5;
        k.name = "SWORD";
        return k;
    }();
    return id == 5 ? &kSword : DefaultWorldServices().itemKind(id);
}

TEST_F(PlayFrameTest, TheHerosDrawsInTheirPlaces) {
    WorldServices().itemKind = Sword;
    CurGame game;
    Play(game);
    game.arms.weapon = 5;
    game.player.darkness = 1;
    game.companion.mode = COMPANION_STEERED;
    ShotNode *shot = new ShotNode;
    shot->x = shot->y = 50;
    shot->behaviour = 10; // stays as it is: no spark of its own
    AppendShotNode(game.arms, shot);
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"pattern", "layer1", "hero", "weapon", "shots", "layer2",
                                                      "companion", "mask", "bars", "icon", "minimap", "notes", "text",
                                                      "present"}));
    // Hidden: neither the hero nor its weapon, and the blink after a hit does not count down.
    game.control.playerHidden = 1;
    game.player.invulnerable = 40;
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"pattern", "layer1", "shots", "layer2", "companion", "mask",
                                                      "bars", "icon", "minimap", "notes", "text", "present"}));
    EXPECT_EQ(game.player.invulnerable, 40);
    game.control.playerHidden = 0;
    Frame(game);
    EXPECT_EQ(game.player.invulnerable, 39);
    WorldServices() = DefaultWorldServices();
}

TEST_F(PlayFrameTest, EnemiesRunMoveAndDrawInTheirPlaces) {
    CurGame game;
    Play(game);
    game.player.enemySet = 2; // the boss room's set: ガルド with its bar
    EnemyNode *boss = SpawnEnemy(9, game.enemies, 100, 96, 0, -1);
    ASSERT_NE(boss, nullptr);
    // Behind the hero over layer 1; the bar and the speech's message window after the companion
    // (its text goes out with the overlay's); the arms box shows the weapon of the item table.
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"pattern", "layer1", "enemies", "hero", "layer2", "lifebars",
                                                      "notes", "bars", "icon", "minimap", "notes", "text",
                                                      "present"}));
    EXPECT_EQ(game.enemies.speechShown, 1) << "its first steps spoke";
    EXPECT_EQ(game.enemies.head->next->program, PROGRAM_BOSS_SPINE) << "and grew its crystals";
    EXPECT_EQ(boss->screenX, (float)(int)(boss->x - game.tileView.camera.x + 160));
    const float y = boss->y;
    Frame(game);
    EXPECT_GT(boss->y, y) << "it falls toward the floor";
    // A frozen play holds the enemies' programs and motion.
    game.control.playFreeze = 1;
    const int counter = boss->stepCounter;
    Frame(game);
    EXPECT_EQ(boss->stepCounter, counter);
    // Leaving play frees them.
    game.ClearFieldLists();
    EXPECT_EQ(game.enemies.head, nullptr);
}

TEST_F(PlayFrameTest, TheHeroFallsOntoTheStartGridsFloorAndTheCameraFollows) {
    CurGame game;
    Play(game);
    GameInput &input = GetGameInput();
    input.padAssign[BUTTON_RIGHT] = 2;
    for (int i = 0; i < 100; i++) Frame(game);
    EXPECT_EQ(game.player.y, (float)(160 - 6) - 0.1f) << "on the floor of row 10";
    EXPECT_EQ(game.player.x, 40.0f);
    for (int i = 0; i < 200; i++) {
        input.padCounters[2]++;
        Frame(game);
    }
    EXPECT_GT(game.player.x, 300.0f);
    EXPECT_EQ(game.player.facing, 1);
    EXPECT_GT(game.tileView.camera.x, 160.0f) << "the companion passed x 160: the map scrolls";
    EXPECT_EQ(game.tileView.camera.x, ActorCamera(game.companion).x);
    EXPECT_EQ(game.player.screenX, (float)(int)(game.player.x - game.tileView.camera.x + 160));
}

TEST_F(PlayFrameTest, LatchTimersAndFreeze) {
    CurGame game;
    Play(game);
    game.hud.notifications[0].free = 1;
    // A message position written while a box was drawn survives one frame without a box.
    game.hud.messagePos = 4;
    game.hud.messageCounter = 3;
    game.hud.hold = 1;
    Frame(game);
    EXPECT_EQ(game.hud.messagePos, 4);
    Frame(game);
    EXPECT_EQ(game.hud.messagePos, 0);
    EXPECT_EQ(game.hud.messageCounter, 0);
    game.status.hp = 5;
    game.status.timers = {3, 1};
    Frame(game);
    EXPECT_EQ(game.status.timers, (std::array<int, 2>{2, 0}));
    game.control.playFreeze = 1;
    Frame(game);
    EXPECT_EQ(game.status.timers, (std::array<int, 2>{2, 0}));
    // The title state asks for the new game's opening talk.
    game.topState = TOP_TITLE;
    game.status.requestedTalk = 0;
    Frame(game);
    EXPECT_EQ(game.status.requestedTalk, 2);
}

TEST_F(PlayFrameTest, FieldObjectsAndEffectsStepAndDrawInTheirPlaces) {
    CurGame game;
    Play(game);
    game.physics.CreatePhysicsWorld();
    game.physics.BuildMapStaticBodies();
    int crate = CreateFieldObject(100, 100, 1, 0, 0, 0, 0, 0, 0, 0); // the game's own objects
    ASSERT_GE(crate, 0);
    AddPopupNumber(game.effects, 120, 100, 7);
    const FieldObjectNode &node = game.fieldObjects.nodes.front();
    const EffectNode &popup = game.effects.nodes.front();
    // Objects between the layers, effects over the world and under the texts.
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"pattern", "layer1", "hero", "objects", "layer2", "bars",
                                                      "icon", "minimap", "notes", "effects", "text", "present"}));
    EXPECT_GT(node.y, 100.0f); // stepped and read back
    EXPECT_EQ(popup.y, 99.0f);
    EXPECT_EQ(node.screenX, 100.0f);
    // Frozen effects stay where they are and are still drawn; the full-screen picture goes last.
    game.control.effectsFreeze = 1;
    game.effects.fullScreenPicture = 1;
    EXPECT_EQ(Frame(game), (std::vector<std::string>{"pattern", "layer1", "hero", "objects", "layer2", "bars",
                                                      "icon", "minimap", "notes", "effects", "picture", "text",
                                                      "present"}));
    EXPECT_EQ(popup.y, 99.0f);
    // A frozen play holds the world still.
    game.control.playFreeze = 1;
    float y = node.y;
    Frame(game);
    EXPECT_EQ(node.y, y);
    // Leaving play clears the field's lists and bodies.
    game.ClearFieldLists();
    EXPECT_TRUE(game.fieldObjects.nodes.empty());
    EXPECT_TRUE(game.effects.nodes.empty());
    EXPECT_EQ(game.physics.GetBodyPositionById(crate, nullptr, nullptr), -1);
}

TEST_F(PlayFrameTest, TheTitleTakesThePictureAwayAndNewGameEntersTheRoom) {
    std::filesystem::create_directories(dir_ / "MAP" / "kyoto");
    WriteFile("MAP/kyoto/ride.bin", StartGrid(170 + 15)); // an old man by the start
    CurGame game;
    game.OnLoad();
    game.effects.fullScreenPicture = 1;
    Frame(game);
    EXPECT_EQ(game.effects.fullScreenPicture, 0);
    char keys[kKeyCounterCount] = {};
    keys[GAMEKEY_X] = 1; // confirm on NEW GAME
    GetGameInput().UpdateKeyCountersFrom(keys);
    Frame(game);
    EXPECT_EQ(game.topState, TOP_PLAY);
    // The new-game room at its start, its field built in the same frame's draw step, under the
    // cover that the opening talk 0 (already running) lifts.
    EXPECT_EQ(game.effects.fullScreenPicture, 1);
    EXPECT_EQ(game.events.talkActive, 1);
    EXPECT_EQ(game.status.requestedTalk, 0);
    EXPECT_EQ(game.control.playFreeze, 1);
    EXPECT_EQ(game.transition.currentArea, 111);
    EXPECT_EQ(game.grid.path, "MAP/kyoto/ride.bin");
    EXPECT_EQ(game.grid.width, 30);
    EXPECT_EQ(game.player.x, 104.0f);
    EXPECT_EQ(game.player.y, 168.0f);
    EXPECT_EQ(game.mapChange.pending, 0);
    ASSERT_EQ(game.gimmicks.nodes.size(), 1u);
    EXPECT_EQ(game.gimmicks.nodes.front().x, 3 * 16 + 8.0f);
    // The gimmicks draw over tile layer 1 and under the hero, and update under play freeze too.
    const std::vector<std::string> names = Frame(game);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin() + 1, names.begin() + 4),
              (std::vector<std::string>{"room", "gimmicks", "hero"}));
    game.control.playFreeze = 1;
    const int count = game.gimmicks.updateCount;
    Frame(game);
    EXPECT_EQ(game.gimmicks.updateCount, count + 1);
    game.ClearFieldLists();
    EXPECT_TRUE(game.gimmicks.nodes.empty());
}

} // namespace
