// The game object's talks through whole frames (recorded draws): NEW GAME's opening talk typed
// under the cover, halting at its wait mark with the mark blinking, going on after SHOT, lifting
// the cover and setting its story flag; CHANGE swapping the weapon in hand once the talk is over;
// RESET's talk and the game-over talk going back to the title, each once its message is read.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "game/frame/cur_game.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/game_fixture.h"
#include "tests/game/world/button_press.h"

namespace {

class TalkFrameTest : public RecordedGameTest {
protected:
    // NEW GAME from the title.
    void NewGame(CurGame &game) {
        game.OnLoad();
        PressButtons({});
        GetGameInput().keyCounters[GAMEKEY_X] = 1;
        game.OnFrame();
        ReleaseButtons();
    }
    // One frame with the buttons pressed; whether the wait mark was drawn.
    bool Frame(CurGame &game, std::initializer_list<int> buttons = {}) {
        PressButtons(buttons);
        TakeRecordedCalls();
        game.OnFrame();
        ReleaseButtons();
        for (const DrawCall &c : TakeRecordedCalls())
            if (c.kind == DrawCall::PART && c.x == 287 && c.y == 221 && c.sx == 0 && c.sy == 32) return true;
        return false;
    }
    // Frames with SHOT every eighth until the talk is over; the frames taken.
    int ReadTalk(CurGame &game) {
        int frames = 0;
        for (; game.events.talkActive == 1 && frames < 2000; frames++)
            Frame(game, frames % 8 == 7 ? std::initializer_list<int>{BUTTON_SHOT, BUTTON_JUMP}
                                        : std::initializer_list<int>{});
        return frames;
    }
};

TEST_F(TalkFrameTest, OpeningTalkTypesHaltsAtTheMarkAndGoesOnAfterShot) {
    CurGame game;
    NewGame(game);
    ASSERT_EQ(game.topState, TOP_PLAY);
    EXPECT_EQ(game.effects.fullScreenPicture, 1);
    EXPECT_EQ(game.control.playFreeze, 1);
    EXPECT_EQ(game.control.hudOff, 0); // its first command ran in the NEW GAME frame
    const char *first = TalkScript(0)->commands[2].text;
    const int mark = (int)(std::strchr(first, '\a') - first);
    // Partly typed: a character every five frames.
    for (int i = 0; i < 31; i++) Frame(game);
    EXPECT_GT(game.hud.messagePos, 0);
    EXPECT_LT(game.hud.messagePos, mark);
    // SHOT shows the rest up to the mark; its last character types and the text halts there with
    // the mark blinking, five frames on and five off.
    Frame(game, {BUTTON_SHOT});
    for (int i = 0; i < 6; i++) Frame(game);
    EXPECT_EQ(game.hud.messagePos, mark);
    int shown = 0;
    for (int i = 0; i < 20; i++) shown += Frame(game);
    EXPECT_EQ(shown, 10);
    EXPECT_EQ(game.hud.messagePos, mark);
    EXPECT_EQ(game.effects.fullScreenPicture, 1);
    // After SHOT the cover goes and the wipe opens the room; the second message follows.
    Frame(game, {BUTTON_SHOT});
    Frame(game);
    Frame(game);
    EXPECT_EQ(game.effects.fullScreenPicture, 0);
    EXPECT_GT(ReadTalk(game), 31); // the wipe alone takes 31 frames
    // Its flag set, and talk 1 named for later without running.
    EXPECT_EQ(TestStoryFlag(0, game.status), 1);
    EXPECT_EQ(game.status.requestedTalk, 1);
    EXPECT_EQ(TestStoryFlag(9, game.status), -1);
    EXPECT_EQ(game.control.playFreeze + game.control.hudOff, 0);
    EXPECT_EQ(game.events.finishedResult, 0);

    // CHANGE: the knife carried comes to hand, the grenades in hand go to the slots with their count.
    game.arms.weapon = 3;
    game.arms.weaponCount = 4;
    game.inventory.ids = {5};
    Frame(game, {BUTTON_CHANGE});
    Frame(game);
    Frame(game);
    EXPECT_EQ(game.arms.weapon, 5);
    EXPECT_EQ(game.inventory.ids[0], 3);
    EXPECT_EQ(game.inventory.counts[0], 4);
    EXPECT_EQ(game.buttons.changeRunning, 0);
}

TEST_F(TalkFrameTest, ResetAndGameOverTalksGoBackToTheTitle) {
    CurGame game;
    NewGame(game);
    ReadTalk(game);
    ASSERT_EQ(game.events.talkActive, 0);
    // RESET held: its talk (668) runs; once read, the title.
    PressReset();
    game.OnFrame();
    ReleaseButtons();
    EXPECT_EQ(game.control.endingRequest, 1);
    EXPECT_LT(ReadTalk(game), 100);
    Frame(game);
    EXPECT_EQ(game.topState, TOP_TITLE);

    // HP 0: talk 666 every frame until its message is read, then the title with the lists cleared.
    NewGame(game);
    ReadTalk(game);
    game.status.hp = 0;
    Frame(game);
    EXPECT_EQ(game.events.talkActive, 1);
    EXPECT_EQ(game.status.requestedTalk, 666);
    EXPECT_LT(ReadTalk(game), 100);
    Frame(game);
    EXPECT_EQ(game.topState, TOP_TITLE);
    EXPECT_EQ(game.events.finishedResult, 0);
    EXPECT_TRUE(game.gimmicks.nodes.empty());
}

} // namespace
