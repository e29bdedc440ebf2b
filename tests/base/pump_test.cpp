// The message pump and the window procedure's reactions, on a started library.
#include "library/base/ime.h"
#include "library/base/library.h"
#include "library/base/pump.h"
#include "library/base/window.h"
#include "library/graphics/screen.h"
#include "library_fixture.h"

#include <atomic>
#include <thread>

namespace {

class Pump : public LibraryRun {
protected:
    void SetUp() override {
        LibraryRun::SetUp();
        ChangeWindowMode(1);
        ASSERT_EQ(InitLibrary(), 0);
        // The back screen as the game sets it: the front screen's timer would queue its own messages.
        ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
        ProcessWindowMessages();
        hwnd_ = GetMainWindow();
        me_ = GetCurrentThreadId();
        ASSERT_EQ(PlatformTestQueuedMessageCount(me_), 0);
    }
    void TearDown() override {
        EndLibrary();
        LibraryRun::TearDown();
    }
    HWND hwnd_ = nullptr;
    DWORD me_ = 0;
};

TEST_F(Pump, AtMostFiveQueuedMessagesPerCall) {
    for (int i = 0; i < 12; ++i) PostMessageA(hwnd_, WM_USER + i, 0, 0);
    EXPECT_EQ(ProcessWindowMessages(), 0);
    EXPECT_EQ(PlatformTestQueuedMessageCount(me_), 7);
    EXPECT_EQ(ProcessWindowMessages(), 0);
    EXPECT_EQ(PlatformTestQueuedMessageCount(me_), 2);
    EXPECT_EQ(ProcessWindowMessages(), 0);
    EXPECT_EQ(PlatformTestQueuedMessageCount(me_), 0);
    EXPECT_EQ(ProcessWindowMessages(), 0);
}

TEST_F(Pump, MinusOneOnceTheQuitWasSeenAndNothingMoreIsDispatched) {
    PlatformTestInjectClose(hwnd_);
    EXPECT_EQ(ProcessWindowMessages(), -1);
    EXPECT_TRUE(GetQuitFlag());
    EXPECT_EQ(g_window.endState, 4);
    EXPECT_TRUE(LogHas("ウインドウを閉じようとしています\r\n"));
    EXPECT_TRUE(LogHas("ソフトを終了する準備が整いました\r\n"));
    // The window is gone: every later call is -1.
    EXPECT_EQ(ProcessWindowMessages(), -1);
    EXPECT_EQ(PumpWindowMessages(), -1);
}

TEST_F(Pump, QuitFlagStopsDispatchWhileTheWindowLives) {
    g_window.quit = 1;
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ProcessWindowMessages(), -1);
    // Nothing is dispatched once the flag is set.
    EXPECT_TRUE(IsWindow(hwnd_));
    EXPECT_EQ(PlatformTestQueuedMessageCount(me_), 1);
    g_window.quit = 0;
}

TEST_F(Pump, AnInactiveWindowHoldsThePumpUntilItIsActivated) {
    PlatformTestInjectActivation(hwnd_, false);
    EXPECT_FALSE(IsWindowActive());
    std::atomic<bool> activated{false};
    std::thread helper([&] {
        // The fake clock does not move by itself; give the pump some real passes first.
        for (int i = 0; i < 20000 && g_window.active == 0; ++i) std::this_thread::yield();
        activated = true;
        PlatformTestInjectActivation(hwnd_, true);
    });
    EXPECT_EQ(ProcessWindowMessages(), 0);
    helper.join();
    EXPECT_TRUE(activated);
    EXPECT_TRUE(IsWindowActive());
}

TEST_F(Pump, AnotherThreadMakesASinglePass) {
    PlatformTestInjectActivation(hwnd_, false);
    int result = 1;
    std::thread other([&] { result = PumpWindowMessages(); });
    other.join();   // returns although the window stays inactive
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindowActive());
    PlatformTestInjectActivation(hwnd_, true);
    EXPECT_EQ(ProcessWindowMessages(), 0);
    EXPECT_TRUE(IsWindowActive());
}

TEST_F(Pump, DisplayChanges) {
    // Same size and depth as the screen: only the flag.
    g_window.displayChanged = 0;
    PlatformTestInjectDisplayChange(16, 640, 480);
    EXPECT_TRUE(g_window.displayChanged);
    EXPECT_FALSE(IsCloseRequested());
    // A larger desktop at another depth: followed.
    g_window.displayChanged = 0;
    PlatformTestInjectDisplayChange(32, 1024, 768);
    EXPECT_TRUE(g_window.displayChanged);
    EXPECT_FALSE(IsCloseRequested());
    // 24-bit, then a smaller screen: the two lines each time, WM_CLOSE posted once.
    PlatformTestInjectDisplayChange(24, 1024, 768);
    PlatformTestInjectDisplayChange(32, 320, 240);
    EXPECT_TRUE(IsCloseRequested());
    EXPECT_EQ(PlatformTestQueuedMessageCount(me_), 1);
    std::string log = LogBytes();
    const std::string line = "またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\r\n";
    size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(log.find(line, first + 1), std::string::npos);
    EXPECT_EQ(ProcessWindowMessages(), -1);
    EXPECT_FALSE(IsWindow(hwnd_));
}

TEST_F(Pump, WindowProcedureAnswers) {
    EXPECT_EQ(SendMessageA(hwnd_, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
    EXPECT_EQ(SendMessageA(hwnd_, WM_SYSCOMMAND, SC_MONITORPOWER | 2, 0), 1);
    EXPECT_EQ(SendMessageA(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
    EXPECT_TRUE(IsIconic(hwnd_));
    EXPECT_FALSE(IsWindowActive());
    ShowWindow(hwnd_, SW_RESTORE);
    EXPECT_TRUE(IsWindowActive());

    SendMessageA(hwnd_, 0x046F, 1, 0);
    SendMessageA(hwnd_, 0x0470, 1, 0);
    EXPECT_EQ(g_window.hookFlags[0], 1);
    SendMessageA(hwnd_, 0x046F, 2, 0);
    EXPECT_EQ(g_window.hookFlags[0], 0);
    EXPECT_EQ(g_window.hookFlags[1], 1);

    // A move of the window is tracked in the client rectangle.
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    MoveWindow(hwnd_, outer.left + 10, outer.top + 20, outer.right - outer.left, outer.bottom - outer.top, TRUE);
    PlatformTestWindowInfo info = PlatformTestGetWindow(hwnd_);
    RECT client;
    GetClientScreenRect(&client);
    EXPECT_EQ(client.left, info.client.left);
    EXPECT_EQ(client.top, info.client.top);
    int x, y;
    PlatformTestInjectMouse(hwnd_, WM_MOUSEMOVE, 33, 44);
    GetMousePosition(&x, &y);
    EXPECT_EQ(x, 33);
    EXPECT_EQ(y, 44);
}

TEST_F(Pump, InputMethodMessages) {
    PlatformTestInstallIme({"かんじ", "漢字", 4, {0, 6}, {"漢字", "感じ"}, TRUE});
    EXPECT_EQ(SendMessageA(hwnd_, WM_IME_STARTCOMPOSITION, 0, 0), 0);
    EXPECT_TRUE(g_ime.composing);
    SendMessageA(hwnd_, WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_RESULTSTR | GCS_CURSORPOS | GCS_COMPCLAUSE);
    EXPECT_STREQ(g_ime.composition, "かんじ");
    EXPECT_STREQ(g_ime.result, "漢字");
    EXPECT_EQ(g_ime.cursorChar, 2);   // byte 4 is the third character
    EXPECT_EQ(g_ime.clauseBytes, 8);
    SendMessageA(hwnd_, WM_IME_NOTIFY, IMN_OPENCANDIDATE, 0);
    ASSERT_NE(g_ime.candidates, nullptr);
    EXPECT_EQ(g_ime.candidates->dwCount, 2u);
    SendMessageA(hwnd_, WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 0);
    EXPECT_EQ(g_ime.candidates, nullptr);
    SendMessageA(hwnd_, WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0);
    EXPECT_EQ(g_ime.openStatus, 1);
    SendMessageA(hwnd_, WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_FALSE(g_ime.composing);
    EXPECT_STREQ(g_ime.composition, "");
}

}  // namespace
