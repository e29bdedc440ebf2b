// The game object's road through the save: NEW GAME from the initial world state, a save at the
// save point, back to the title, CONTINUE into area 99 with everything saved; CONTINUE with
// nothing to resume stays on the title. And the STATUS button's menu over the play state.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/frame/cur_game.h"
#include "game/world/save_image.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/game_fixture.h"

namespace {

int Noon() { return 12; }

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
        // Some play: money, an item, a flag, a sale; then the save point's save.
        game.inventory.money = 321;
        game.inventory.ids[1] = 11;
        game.inventory.stock[11] = 3;
        SetStoryFlag(10, game.status);
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
    EXPECT_EQ(game.transition.currentArea, kContinueArea);
    EXPECT_EQ(game.grid.path, "MAP/kyoto/enkai.bin");
    EXPECT_EQ(game.player.x, 248.0f);
    EXPECT_EQ(game.player.y, 328.0f);
    EXPECT_EQ(game.inventory.money, 321);
    EXPECT_EQ(game.inventory.ids[1], 11);
    EXPECT_EQ(game.inventory.stock[11], 3);
    EXPECT_EQ(game.inventory.stock[75], 6);
    EXPECT_EQ(TestStoryFlag(10, game.status), 1);
    EXPECT_EQ(game.status.hp, 4);
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
} // namespace
