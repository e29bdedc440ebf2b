// The game object's road through the save: NEW GAME from the initial world state, a save at the
// save point, back to the title, CONTINUE into area 99 with everything saved; CONTINUE with
// nothing to resume stays on the title. And the STATUS button's menu over the play state. Over
// the demo data: the save point's own script answered YES writes the save, RESET's talk goes to
// the title and CONTINUE brings back what it saved.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/frame/cur_game.h"
#include "game/world/save_image.h"
#include "tests/game/demo_data.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/game_fixture.h"
#include "tests/game/world/button_press.h"

namespace {

int Noon() { return 12; }

// Some play before a save: money, an item, a sale and a story flag.
void Play(CurGame &game, int flag)
{
    game.inventory.money = 321;
    game.inventory.ids[1] = 11;
    game.inventory.stock[11] = 3;
    SetStoryFlag(flag, game.status);
}

// Resumed at the save point with that play.
void ExpectResumedWithThePlay(CurGame &game, int flag)
{
    EXPECT_EQ(game.topState, TOP_PLAY);
    EXPECT_EQ(game.transition.currentArea, kContinueArea);
    EXPECT_EQ(game.grid.path, "MAP/kyoto/enkai.bin");
    EXPECT_EQ(game.player.x, (float)kContinueX);
    EXPECT_EQ(game.player.y, (float)kContinueY);
    EXPECT_EQ(game.inventory.money, 321);
    EXPECT_EQ(game.inventory.ids[1], 11);
    EXPECT_EQ(game.inventory.stock[11], 3);
    EXPECT_EQ(TestStoryFlag(flag, game.status), 1);
    EXPECT_EQ(game.status.hp, 4);
}

class SaveRoadTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        saved_ = InstallDrawRecorder();
        SetLocalHourSource(Noon);
        std::filesystem::create_directories(dir_ / "DataForWork");
        std::filesystem::create_directories(dir_ / "MAP" / "kyoto");
        for (const char *map : {"DataForWork/doust.bin", "MAP/kyoto/ride.bin", "MAP/kyoto/enkai.bin"})
            WriteFile(map, Grid());
        std::vector<uint8_t> world(kWorldTemplateBytes, 0);
        for (int k = 0; k < kWorldBlockCount; k++) world[(size_t)k * kWorldBlockBytes] = 1;
        world[(size_t)99 * kWorldBlockBytes + 4] = 0x5A; // something of the save point's block
        WriteFile(kWorldTemplateFileName, world);
    }
    void TearDown() override {
        SetLocalHourSource(nullptr);
        RemoveDrawRecorder(saved_);
        GameFolderTest::TearDown();
    }
    static std::vector<uint8_t> Grid() {
        std::vector<uint8_t> b = {40, 0, 0, 0, 30, 0, 0, 0};
        b.resize(8 + 40 * 30 * 4, 0);
        return b;
    }
    // One frame with these keys down this frame (DirectInput codes).
    void Frame(CurGame &game, std::initializer_list<int> keys = {}) {
        char states[kKeyCounterCount] = {};
        for (int k : keys) states[k] = 1;
        GetGameInput().UpdateKeyCountersFrom(states);
        GetGameInput().UpdatePadCountersFrom(0);
        game.OnFrame();
    }

    GameGraphicsCalls saved_;
};

TEST_F(SaveRoadTest, ContinueWithoutASaveStaysOnTheTitle) {
    CurGame game;
    game.OnLoad();
    Frame(game, {GAMEKEY_DOWN});
    Frame(game);
    Frame(game, {GAMEKEY_X});
    EXPECT_EQ(game.topState, TOP_TITLE);
    EXPECT_EQ(game.status.hp, 4);
}

TEST_F(SaveRoadTest, NewGameSaveTitleAndContinueResumeAtTheSavePoint) {
    {
        CurGame game;
        game.OnLoad();
        Frame(game, {GAMEKEY_X}); // NEW GAME
        ASSERT_EQ(game.topState, TOP_PLAY);
        EXPECT_EQ(game.transition.currentArea, kNewGameArea);
        EXPECT_EQ(game.inventory.ids[0], 5);
        EXPECT_EQ(game.inventory.money, 50);
        EXPECT_EQ(game.fieldObjects.Block(99)[4], 0x5A);
        // Some play; then the save point's save.
        Play(game, 10);
        game.fieldObjects.StoreMapObjects(game.transition.currentArea);
        ASSERT_EQ(SaveGame(game.save, 0), 0);
        game.topState = TOP_TITLE;
        Frame(game);
        Frame(game, {GAMEKEY_DOWN});
        Frame(game);
        Frame(game, {GAMEKEY_X}); // CONTINUE in the same run
        EXPECT_EQ(game.topState, TOP_PLAY);
        EXPECT_EQ(game.transition.currentArea, kContinueArea);
    }
    // A new run of the game finds the save on disk.
    CurGame game;
    game.OnLoad();
    Frame(game, {GAMEKEY_DOWN});
    Frame(game);
    Frame(game, {GAMEKEY_X});
    ASSERT_EQ(game.topState, TOP_PLAY);
    ExpectResumedWithThePlay(game, 10);
    EXPECT_EQ(game.inventory.stock[75], 6);
    EXPECT_EQ(game.status.mpMax, 20);
}

TEST_F(SaveRoadTest, TheStatusButtonOpensTheMenuUntilJumpClosesIt) {
    CurGame game;
    game.OnLoad();
    Frame(game, {GAMEKEY_DOWN});
    Frame(game);
    std::vector<uint8_t> image(kSaveImageBytes, 0);
    SaveFields f;
    f.hp = f.hpMax = 4;
    EncodeSaveFields(f, image.data());
    for (int k = 0; k < kWorldBlockCount; k++) image[kSaveBlocks + (size_t)k * kWorldBlockBytes] = 1;
    WriteFile(kSaveFileName, image);
    Frame(game, {GAMEKEY_X}); // CONTINUE: no talk runs
    ASSERT_EQ(game.topState, TOP_PLAY);
    Frame(game);
    Frame(game, {GAMEKEY_A}); // STATUS
    for (int i = 0; i < 3; i++) Frame(game);
    EXPECT_EQ(game.menu.page, MENU_STATUS);
    Frame(game, {GAMEKEY_Z}); // JUMP closes it
    Frame(game);
    EXPECT_EQ(game.menu.page, MENU_STATUS_OPEN);
}

// The real game object over the demo data, with recorded draws.
class SavePointRoadTest : public RecordedGameTest {
protected:
    void SetUp() override {
        RecordedGameTest::SetUp();
        ASSERT_TRUE(WriteDemoData(dir_));
    }
    // One frame with these buttons pressed, or with these keys (the title's).
    static void Frame(CurGame &game, std::initializer_list<int> buttons = {}) {
        PressButtons(buttons);
        game.OnFrame();
        ReleaseButtons();
    }
    static void Keys(CurGame &game, std::initializer_list<int> keys) {
        PressButtons({});
        for (int k : keys) GetGameInput().keyCounters[(size_t)k] = 1;
        game.OnFrame();
        ReleaseButtons();
    }
    // SHOT and JUMP every eighth frame while the test holds (typed messages go on with either,
    // waiting ones close with JUMP); the frames taken.
    template <class While> static int ReadWhile(CurGame &game, While still) {
        int frames = 0;
        for (; still() && frames < 2000; frames++)
            Frame(game, frames % 8 == 7 ? std::initializer_list<int>{BUTTON_SHOT, BUTTON_JUMP}
                                        : std::initializer_list<int>{});
        return frames;
    }
    bool SaveOnDisk() const { return std::filesystem::exists(dir_ / kSaveFileName); }
};

TEST_F(SavePointRoadTest, TheSavePointsScriptSavesAndContinueBringsItBack) {
    CurGame game;
    game.OnLoad();
    Keys(game, {GAMEKEY_X}); // NEW GAME
    ASSERT_EQ(game.topState, TOP_PLAY);
    ReadWhile(game, [&] { return game.events.talkActive == 1; });
    ASSERT_EQ(game.transition.currentArea, kNewGameArea);

    // Downstairs through the room's door to the save point.
    game.player.x = 600;
    game.player.y = 344;
    Frame(game, {BUTTON_DOWN});
    for (int i = 0; i < 300 && (game.transition.busy || game.transition.currentArea != kContinueArea); i++) Frame(game);
    ASSERT_EQ(game.transition.currentArea, kContinueArea);
    ASSERT_EQ(game.grid.path, "MAP/kyoto/enkai.bin");

    // Some play; then the hero on the altar under the crystal, DOWN held.
    Play(game, 9);
    game.player.x = 312;
    game.player.y = 298;
    game.player.vx = game.player.vy = 0;
    for (int i = 0; i < 5 && game.gimmicks.exitRunning == 0; i++) Frame(game, {BUTTON_DOWN});
    ASSERT_EQ(game.gimmicks.exitRunning, 1);
    ASSERT_EQ(game.gimmicks.exitScript, 45);

    // It asks and waits for the answer; nothing is saved before it.
    for (int i = 0; i < 20; i++) Frame(game);
    EXPECT_EQ(game.gimmicks.exitRunning, 1);
    EXPECT_EQ(game.control.playFreeze, 1);
    EXPECT_FALSE(SaveOnDisk());
    // SHOT on YES (the cursor's first place): the script saves, tells so and ends.
    Frame(game, {BUTTON_SHOT});
    Frame(game);
    Frame(game);
    EXPECT_TRUE(SaveOnDisk());
    EXPECT_LT(ReadWhile(game, [&] { return game.gimmicks.exitRunning == 1; }), 200);
    EXPECT_EQ(game.control.playFreeze, 0);
    EXPECT_EQ(TestStoryFlag(19, game.status), 1);
    const std::vector<uint8_t> file = ReadBytes(kSaveFileName);
    ASSERT_EQ(file.size(), (size_t)kSaveImageBytes);
    const SaveFields f = DecodeSaveFields(file.data());
    EXPECT_EQ(f.money, 321);
    EXPECT_EQ(f.carriedIds[1], 11);
    EXPECT_EQ(f.resumeArea, kContinueArea);

    // Play after the save is lost by RESET: its talk (668), then the title.
    game.inventory.money = 1;
    game.inventory.ids[1] = 0;
    game.inventory.stock[11] = 0;
    ClearStoryFlag(9, game.status);
    ClearStoryFlag(19, game.status);
    PressReset();
    game.OnFrame();
    ReleaseButtons();
    EXPECT_EQ(game.control.endingRequest, 1);
    EXPECT_LT(ReadWhile(game, [&] { return game.events.talkActive == 1; }), 100);
    Frame(game);
    ASSERT_EQ(game.topState, TOP_TITLE);

    // CONTINUE: the save point again, with what the script saved.
    Keys(game, {GAMEKEY_DOWN});
    Keys(game, {});
    Keys(game, {GAMEKEY_X});
    ASSERT_EQ(game.topState, TOP_PLAY);
    ExpectResumedWithThePlay(game, 9);
    EXPECT_EQ(game.inventory.ids[0], 5);
    EXPECT_EQ(TestStoryFlag(0, game.status), 1);
    EXPECT_EQ(TestStoryFlag(19, game.status), 1) << "the prayer the save point records";
    EXPECT_EQ(game.events.talkActive, 0);
}
} // namespace
