// The HUD and the status window through recorded draws and overlay entries: typed messages
// (timing, sounds, SHOT skips, restarts, odd texts), message results, notifications and the
// banner, the bars, story flags, and the two long presentations.
#include "game/frame/hud.h"

#include <gtest/gtest.h>

#include "game/frame/key_bindings.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "tests/game/draw_recorder.h"

namespace {

class HudTest : public DrawRecorderTest {
protected:
    void SetUp() override {
        DrawRecorderTest::SetUp();
        GetGameInput() = GameInput{};
        SetDefaultKeyBindings();
        hud.overlay = &overlay;
        LoadHudImages(hud);
        status.overlay = &overlay;
        LoadStatusWindowImages(status);
        InitStatusWindow(status);
        TakeCalls();
    }
    void TearDown() override {
        GetGameInput() = GameInput{};
        DrawRecorderTest::TearDown();
    }
    // One frame of input: the pad buttons of SHOT / JUMP pressed this frame or not.
    void Input(bool shot = false, bool jump = false) {
        GameInput &in = GetGameInput();
        in.padCounters.fill(0);
        in.padCounters[in.padAssign[BUTTON_SHOT]] = shot ? 1 : 0;
        in.padCounters[in.padAssign[BUTTON_JUMP]] = jump ? 1 : 0;
    }
    // One frame of the typed message; the overlay's limit must match the result.
    int Type(const char *text, bool shot = false) {
        Input(shot);
        overlay.FreeEntries();
        int r = ShowTypedMessage(hud, text);
        EXPECT_EQ(overlay.Entries().size(), 1u);
        if (!overlay.Entries().empty()) {
            EXPECT_EQ(overlay.Entries()[0].limit, r);
        }
        LatchHud(hud);
        return r;
    }
    int More() const { return Recorded().loaded.empty() ? -1 : hud.windowImage; }

    TextOverlay overlay;
    Hud hud;
    StatusWindow status;
};

TEST_F(HudTest, TypedMessageFiveFramesAndOneSoundPerCharacter) {
    const char *text = "あい\aう";
    std::vector<int> results;
    for (int f = 0; f < 10; f++) results.push_back(Type(text));
    EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 0, 2, 2, 2, 2, 2, 4}));
    EXPECT_EQ(TakeSounds(), (std::vector<int>{51, 51}));
    // At the wait mark: the "more" mark blinks five frames on, five off; nothing types.
    std::vector<DrawCall> mores;
    for (int f = 0; f < 20; f++) {
        TakeCalls();
        EXPECT_EQ(Type(text), 4);
        for (const DrawCall &c : TakeCalls())
            if (c.kind == DrawCall::PART) {
                EXPECT_EQ(c, Part(287, 221, 0, 32, 8, 8, hud.windowImage, 1));
                mores.push_back(c);
            }
    }
    EXPECT_EQ(mores.size(), 10u);
    EXPECT_TRUE(TakeSounds().empty());
    EXPECT_EQ(Type(text, true), 5); // SHOT passes the mark
    for (int f = 0; f < 5; f++) Type(text);
    EXPECT_EQ(hud.messagePos, 7);
    EXPECT_EQ(Type(text), -1);
    EXPECT_EQ(hud.messagePos, 0);
    EXPECT_EQ(TakeSounds(), (std::vector<int>{51}));
    // The message box is drawn every frame.
    Type(text);
    EXPECT_EQ(TakeCalls()[0], Stretch(5, 150, 315, 235, hud.windowFill, 1));
}

TEST_F(HudTest, ShotShowsUpToTheWaitMarkAndAHiddenFrameRestarts) {
    const char *text = "あいう\aえお";
    EXPECT_EQ(Type(text, true), 4);   // あい at once; う types as usual
    EXPECT_TRUE(TakeSounds().empty());
    for (int f = 0; f < 4; f++) EXPECT_EQ(Type(text), 4);
    EXPECT_EQ(Type(text), 6);
    EXPECT_EQ(TakeSounds(), (std::vector<int>{51}));
    EXPECT_EQ(Type(text, true), 7);
    EXPECT_EQ(Type(text, true), 9);   // え at once, お left to type
    // One frame without the box: the next shows the text from its start.
    LatchHud(hud);
    EXPECT_EQ(hud.messagePos, 0);
    EXPECT_EQ(Type(text), 0);
}

TEST_F(HudTest, OddAndSingleByteTextsEndAtTheirTerminator) {
    const struct {
        const char *text;
        std::vector<int> positions; // after each character typed
    } cases[] = {
        {"ABC", {1, 2, 3}},
        {"あ\x82", {2, 3}},          // a lead byte with nothing after it is one byte
        {"A\nあ", {1, 2, 4}},        // the line break takes its own frame
    };
    for (const auto &c : cases) {
        hud.messagePos = 0;
        hud.messageCounter = 0;
        std::vector<int> got;
        for (int f = 0; f < 40 && got.size() < 10; f++) {
            int r = Type(c.text);
            if (r == -1) break;
            if (got.empty() || got.back() != r) {
                if (r != 0) got.push_back(r);
            }
        }
        EXPECT_EQ(got, c.positions) << c.text;
        EXPECT_EQ(hud.messagePos, 0) << c.text;
    }
    // SHOT steps by whole characters and stops before the mark even with single bytes.
    hud.messagePos = 0;
    EXPECT_EQ(Type("AB\aC", true), 1);
    hud.messagePos = 0;
    EXPECT_EQ(Type("あ\x82", true), 2);
}

TEST_F(HudTest, MessageResultsAndTheNumberMessage) {
    Input();
    EXPECT_EQ(ShowMessageAndWait(hud, "はい"), 1);
    Input(true, false);
    EXPECT_EQ(ShowMessageAndWait(hud, "はい"), 1); // SHOT does not close it
    Input(false, true);
    EXPECT_EQ(ShowMessageAndWait(hud, "はい"), -1);
    GetGameInput().padCounters[GetGameInput().padAssign[BUTTON_JUMP]] = 2; // held, not pressed
    EXPECT_EQ(ShowMessageAndWait(hud, "はい"), 1);
    overlay.FreeEntries();
    Input();
    EXPECT_EQ(ShowNumberMessage(hud, 120), 1);
    Input(true, false);
    EXPECT_EQ(ShowNumberMessage(hud, 120), -1);
    ASSERT_EQ(overlay.Entries().size(), 6u);
    const OverlayEntry &n = overlay.Entries()[1];
    EXPECT_EQ(n.x, 13);
    EXPECT_EQ(n.y, 174);
    EXPECT_EQ(n.text, "１２０");
    EXPECT_EQ(overlay.Entries()[2].x, 37);
    EXPECT_EQ(hud.hold, 1);
}

TEST_F(HudTest, NotificationsAndTheBanner) {
    for (int i = 0; i < 9; i++) AddNotification(hud, i < 8 ? "ITEM" : "DROPPED");
    AddNotification(hud, "A LONG NAME OVER ELEVEN");
    for (const Notification &n : hud.notifications) EXPECT_EQ(n.free, 0);
    hud.notifications[3].free = 1; // a slot frees: the next text takes it
    AddNotification(hud, "A LONG NAME OVER ELEVEN");
    EXPECT_STREQ(hud.notifications[3].text, "A LONG NAME");
    ShowAreaName(hud, "ﾑﾗ");
    overlay.FreeEntries();
    DrawNotifications(hud);
    std::vector<DrawCall> c = TakeCalls();
    ASSERT_EQ(c.size(), 9u);
    EXPECT_EQ(c[0], Stretch(5, 220, 90, 235, hud.windowFill, 1));
    EXPECT_EQ(c[7], Stretch(5, 220 - 7 * 17, 90, 220 - 7 * 17 + 15, hud.windowFill, 1));
    EXPECT_EQ(c[8], Stretch(230, 220, 315, 235, hud.windowFill, 1));
    EXPECT_EQ(overlay.Entries()[0].y, 223);
    EXPECT_EQ(overlay.Entries()[8].x, 233);
    EXPECT_EQ(overlay.Entries()[8].text, "ﾑﾗ");
    // 102 frames for a notification, 91 for the banner.
    int lastNote = 1, lastBanner = 1;
    for (int f = 2; f <= 120; f++) {
        DrawNotifications(hud);
        if (!hud.notifications[0].free) lastNote = f;
        if (hud.bannerState == 2) lastBanner = f;
    }
    EXPECT_EQ(lastNote, 101); // still taken after its 101st draw, free after the 102nd
    EXPECT_EQ(lastBanner, 90);
    TakeCalls();
    DrawNotifications(hud);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(HudTest, BannerAndNotificationsNeverCutATwoByteCharacter) {
    // Eleven bytes would end in the lead byte of the sixth two-byte character: five are kept.
    ShowAreaName(hud, "ほらあなのおく");
    EXPECT_STREQ(hud.bannerText, "ほらあなの");
    ShowAreaName(hud, "ｲﾄﾞｳﾌｶ");
    EXPECT_STREQ(hud.bannerText, "ｲﾄﾞｳﾌｶ");
    ShowAreaName(hud, "Aほらあなのおく"); // one single byte first: all eleven bytes are whole characters
    EXPECT_STREQ(hud.bannerText, "Aほらあなの");
    ShowAreaName(hud, nullptr);
    EXPECT_STREQ(hud.bannerText, "");
    AddNotification(hud, "やくそうをてにいれた");
    EXPECT_STREQ(hud.notifications[0].text, "やくそうを");
}

TEST_F(HudTest, BarsFlagsAndTimers) {
    status.hp = 5;
    status.hpMax = 20;
    status.mp = 0;
    status.mpMax = 0;
    DrawStatusBars(status, 0);
    const int bar = status.barImage;
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Stretch(34, 31, 77, 47, status.windowFill, 1),
                                                  Part(61, 31, 16, 0, 4, 8, bar, 1), Part(61, 31, 0, 8, 16, 8, bar, 1),
                                                  Part(61, 39, 0, 8, 16, 8, bar, 1)}));
    ASSERT_EQ(overlay.Entries().size(), 4u);
    EXPECT_EQ(overlay.Entries()[0].kind, 3);
    EXPECT_EQ(overlay.Entries()[0].x, 51);
    EXPECT_EQ(overlay.Entries()[1].text, "HP");
    DrawStatusBars(status, 1);
    EXPECT_EQ(TakeCalls().back(), Part(80, 33, 0, 32, 18, 16, bar, 1));
    const struct {
        int value, maximum, width;
    } widths[] = {{5, 20, 4}, {20, 20, 16}, {1, 20, 0}, {-3, 20, 0}, {7, 0, 0}, {7, -5, 0}, {19, 20, 15},
                  {40, 20, 16}, {2147483647, 1, 16}};
    for (const auto &w : widths) EXPECT_EQ(StatusBarWidth(w.value, w.maximum), w.width) << w.value << "/" << w.maximum;

    SetStoryFlag(9, status);
    EXPECT_EQ(status.storyFlags[1], 2);
    EXPECT_EQ(TestStoryFlag(9, status), 1);
    EXPECT_EQ(TestStoryFlag(8, status), -1);
    ClearStoryFlag(9, status);
    EXPECT_EQ(TestStoryFlag(9, status), -1);
    SetStoryFlag(256, status);
    SetStoryFlag(-1, status);
    EXPECT_EQ(TestStoryFlag(256, status), -1);
    for (uint8_t b : status.storyFlags) EXPECT_EQ(b, 0);

    status.timers = {2, 0};
    StepStatusTimers(status);
    EXPECT_EQ(status.timers, (std::array<int, 2>{1, 0}));
    status.timers = {5, 9};
    status.hp = 0;
    StepStatusTimers(status);
    EXPECT_EQ(status.timers, (std::array<int, 2>{0, 0}));
}

TEST_F(HudTest, CaptionStripAndCastRollRunTheirLength) {
    int frames = 0, r;
    std::vector<size_t> rowsAt;
    do {
        TakeCalls();
        r = ShowCaptionStrip(hud, 2);
        rowsAt.push_back(Recorded().calls.size());
        frames++;
    } while (r == 1 && frames < 1000);
    EXPECT_EQ(frames, 301);
    EXPECT_EQ(TakeSounds(), (std::vector<int>{96}));
    EXPECT_EQ(rowsAt[0], 0u);     // nothing at first, every row but the first by frame 250
    EXPECT_EQ(rowsAt[250], 31u);
    EXPECT_EQ(rowsAt[300], 31u);
    EXPECT_EQ(TakeCalls()[0], Part(16, 45, 0, 65, 320, 1, hud.captionImage, 1));
    EXPECT_EQ(hud.presentationCounter, 0);
    frames = 0;
    do {
        TakeCalls();
        r = ScrollCastRoll(hud);
        frames++;
    } while (r == 1 && frames < 10000);
    EXPECT_EQ(frames, 8001);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(170, 240 - 2000, 0, 0, 128, 1410, hud.castImage, 1)}));
    EXPECT_EQ(hud.presentationCounter, 0);
}

} // namespace
