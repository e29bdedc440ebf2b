// Start-up, the per-frame pump and shut-down of the library, against the headless host.
#include "library/base/api_lock.h"
#include "library/base/library.h"
#include "library/base/pump.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/screen.h"
#include "library_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Stamps ("1234:") vary with the clock; the golden file has "#:" in their place.
std::string MaskStamps(const std::string &log) {
    std::string out;
    size_t i = 0;
    while (i < log.size()) {
        size_t digits = i;
        while (digits < log.size() && log[digits] >= '0' && log[digits] <= '9') ++digits;
        if (digits > i && digits < log.size() && log[digits] == ':') {
            out += '#';
            i = digits;
        }
        size_t end = log.find('\n', i);
        end = end == std::string::npos ? log.size() : end + 1;
        out.append(log, i, end - i);
        i = end;
    }
    return out;
}

std::string ReadFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::filesystem::path kGolden = std::filesystem::path(KELMOR_TESTS_DIR) / "base" / "golden";

LRESULT PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Lifecycle : public LibraryRun {
protected:
    // Pumps as a game's main loop does, until the pump reports the quit.
    int PumpUntilQuit() {
        for (int frame = 0; frame < 100; ++frame)
            if (ProcessWindowMessages() == -1) return frame;
        return -1;
    }
};

TEST_F(Lifecycle, StartPumpCloseEndWritesTheSpecifiedLog) {
    ChangeWindowMode(1);
    SetMainWindowTitle("Brisgal");
    ASSERT_EQ(InitLibrary(), 0);

    HWND hwnd = GetMainWindow();
    ASSERT_NE(hwnd, nullptr);
    PlatformTestWindowInfo info = PlatformTestGetWindow(hwnd);
    EXPECT_EQ(info.title, "Brisgal");
    EXPECT_EQ(info.className, "Brisgal");
    EXPECT_EQ(info.style, 0x80CA0000u | WS_VISIBLE);
    EXPECT_EQ(info.exStyle, 0x300u);
    EXPECT_EQ(info.client.right - info.client.left, 640);
    EXPECT_EQ(info.client.bottom - info.client.top, 480);
    // Centred on the 1280 x 1024 desktop: 650 x 509 with the caption and borders.
    EXPECT_EQ(info.window.left, (1280 - 650) / 2);
    EXPECT_EQ(info.window.top, (1024 - 509) / 2);
    EXPECT_EQ(info.window.right - info.window.left, 650);
    EXPECT_EQ(info.window.bottom - info.window.top, 509);
    EXPECT_TRUE(info.visible);
    EXPECT_TRUE(info.active);
    EXPECT_FALSE(info.imeEnabled);
    EXPECT_FALSE(PlatformTestScreenSaverActive());
    EXPECT_EQ(PlatformTestCursorCount(), 1);
    RECT client;
    GetClientScreenRect(&client);
    EXPECT_EQ(client.left, info.client.left);
    EXPECT_EQ(client.bottom, info.client.bottom);

    EXPECT_EQ(ProcessWindowMessages(), 0);
    PlatformTestInjectClose(hwnd);
    EXPECT_EQ(PumpUntilQuit(), 0);
    EXPECT_EQ(g_window.endState, 4);
    EXPECT_TRUE(g_window.destroyed);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(EndLibrary(), 0);

    EXPECT_TRUE(PlatformTestScreenSaverActive());
    EXPECT_EQ(PlatformTestTimePeriodBalance(), 0);
    std::vector<std::string> calls = PlatformTestWindowCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "UnregisterClassA Brisgal"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "WINNLSEnableIME 1"), calls.end());
    EXPECT_FALSE(g_library.initialised);
    EXPECT_FALSE(g_apiLock.created);

    std::string log = MaskStamps(LogBytes());
    std::string golden = ReadFile(kGolden / "start_pump_close_end.txt");
    if (log != golden) {
        std::ofstream(savedCwd_ / "start_pump_close_end.actual.txt", std::ios::binary) << log;
    }
    EXPECT_EQ(log, golden);
}

TEST_F(Lifecycle, SecondStartDoesNothingAndEndBeforeStartIsHarmless) {
    EXPECT_EQ(EndLibrary(), 0);
    ChangeWindowMode(1);
    ASSERT_EQ(InitLibrary(), 0);
    HWND first = GetMainWindow();
    std::string log = LogBytes();
    EXPECT_EQ(InitLibrary(), 0);
    EXPECT_EQ(GetMainWindow(), first);
    EXPECT_EQ(LogBytes(), log);
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_EQ(PlatformTestTimePeriodBalance(), 0);
}

TEST_F(Lifecycle, ADoubleStartIsRefusedAndWhatWasStartedIsEnded) {
    // Another window of the class the library would register.
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "Brisgal";
    ASSERT_NE(RegisterClassExA(&wc), 0);
    ASSERT_NE(CreateWindowExA(0, "Brisgal", "Brisgal", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);

    ChangeWindowMode(1);
    SetMainWindowTitle("Brisgal");
    EXPECT_EQ(InitLibrary(), -1);
    EXPECT_EQ(GetMainWindow(), nullptr);
    EXPECT_TRUE(GetQuitFlag());
    EXPECT_FALSE(g_library.initialised);
    EXPECT_FALSE(g_library.initialising);
    EXPECT_TRUE(LogHas("ソフトの二重起動検査... 二重起動されています、ソフトを終了します\r\n"));
    EXPECT_TRUE(LogHas("ＣＯＭを終了... 完了\r\n"));
    EXPECT_TRUE(LogHas("Alloc memory dump"));
    EXPECT_EQ(PlatformTestTimePeriodBalance(), 0);
}

TEST_F(Lifecycle, AFailedWindowStepShutsDownWhatWasStarted) {
    struct Case {
        void (*fail)();
        const char *line;
    } cases[] = {
        {PlatformTestFailNextRegisterClass, "ウインドウクラスの登録に失敗しました\r\n"},
        {PlatformTestFailNextCreateWindow, "ウインドウの作成に失敗しました\r\n"},
    };
    ChangeWindowMode(1);
    for (const Case &c : cases) {
        c.fail();
        EXPECT_EQ(InitLibrary(), -1);
        EXPECT_TRUE(LogHas(c.line));
        EXPECT_TRUE(LogHas("ＣＯＭを終了... 完了\r\n"));
        EXPECT_FALSE(g_library.initialising);
        EXPECT_FALSE(g_library.comInitialised);
        EXPECT_EQ(PlatformTestTimePeriodBalance(), 0);
        EXPECT_EQ(FindWindowA(nullptr, nullptr), nullptr);
    }
    // Nothing was left behind: the next start-up succeeds.
    EXPECT_EQ(InitLibrary(), 0);
    EXPECT_EQ(EndLibrary(), 0);
}

TEST_F(Lifecycle, A24BitDesktopInWindowModeIsRefused) {
    PlatformTestSetDesktopDepth(24);
    ChangeWindowMode(1);
    EXPECT_EQ(InitLibrary(), -1);
    EXPECT_TRUE(LogHas("Ｋｅｌｍｏｒは２４ビットカラーモードに対応していません\r\n"));
    EXPECT_FALSE(g_library.initialising);
    EXPECT_FALSE(g_library.initialised);
    EXPECT_EQ(FindWindowA(nullptr, nullptr), nullptr);
    EXPECT_FALSE(LogHas("ＣＯＭ"));
    // A 32-bit desktop starts again.
    PlatformTestSetDesktopDepth(32);
    EXPECT_EQ(InitLibrary(), 0);
    EXPECT_EQ(EndLibrary(), 0);
}

TEST_F(Lifecycle, ScreenRequestsTheDisplayCannotMeet) {
    // A 24-bit screen is refused before anything starts.
    g_screenSetup = SCREENSETUP{};
    g_screenSetup.bits = 24;
    EXPECT_EQ(InitLibrary(), -1);
    EXPECT_TRUE(LogHas("Ｋｅｌｍｏｒは２４ビットカラーモードに対応していません\r\n"));
    EXPECT_FALSE(g_library.initialised);

    // A full-screen size no display mode has starts in window mode, at that size.
    g_screenSetup = SCREENSETUP{};
    g_screenSetup.width = 700;
    g_screenSetup.height = 500;
    ASSERT_EQ(InitLibrary(), 0);
    EXPECT_TRUE(IsWindowMode());
    EXPECT_EQ(g_screenSetup.direct3D, 1);
    PlatformTestWindowInfo info = PlatformTestGetWindow(GetMainWindow());
    EXPECT_EQ(info.client.right - info.client.left, 700);
    EXPECT_EQ(info.client.bottom - info.client.top, 500);
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_EQ(g_screenSetup.initialised, 0);
    g_screenSetup = SCREENSETUP{};
}

TEST_F(Lifecycle, TheLibraryEndingFirstClosesTheWindowItself) {
    ChangeWindowMode(1);
    ASSERT_EQ(InitLibrary(), 0);
    HWND hwnd = GetMainWindow();
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(g_window.endState, 1);
    EXPECT_TRUE(g_window.closePosted);
    std::string log = LogBytes();
    size_t close = log.find("ウインドウを閉じようとしています");
    size_t destroy = log.find("ウインドウが破棄されようとしています");
    size_t com = log.find("ＣＯＭを終了");
    ASSERT_NE(close, std::string::npos);
    EXPECT_LT(close, destroy);
    EXPECT_LT(destroy, com);
}

TEST_F(Lifecycle, FullScreenWindowCoversTheScreenAndHidesTheCursor) {
    // Away from the top band, where a Direct3D full screen leaves the cursor as it is.
    SetCursorPos(320, 240);
    ASSERT_EQ(InitLibrary(), 0);
    PlatformTestWindowInfo info = PlatformTestGetWindow(GetMainWindow());
    EXPECT_EQ(info.style, 0x80000000u | WS_VISIBLE);
    EXPECT_TRUE(info.topmost);
    EXPECT_EQ(info.window.left, 0);
    EXPECT_EQ(info.window.top, 0);
    EXPECT_EQ(info.window.right, 640);
    EXPECT_EQ(info.window.bottom, 480);
    EXPECT_LT(PlatformTestCursorCount(), 0);
    EXPECT_TRUE(LogHas("フルスクリーンモード用のウインドウを作成します\r\n"));
    EXPECT_TRUE(LogHas("カーソルを不可視にしました\r\n"));
    // The window cannot be moved, and the cursor stays hidden whatever the mouse does.
    HWND hwnd = GetMainWindow();
    RECT proposed{100, 100, 740, 580};
    SendMessageA(hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(proposed.left, 0);
    EXPECT_EQ(proposed.right, 640);
    ShowCursor(TRUE);
    ShowCursor(TRUE);
    PlatformTestInjectMouse(hwnd, WM_MOUSEMOVE, 5, 100);
    EXPECT_EQ(ProcessWindowMessages(), 0);
    EXPECT_LT(PlatformTestCursorCount(), 0);
    EXPECT_FALSE(PlatformTestCursorSet());
    // The top eight rows of a Direct3D full screen answer as a menu bar.
    EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELONG(100, 7)), HTMENU);
    EXPECT_NE(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELONG(100, 8)), HTMENU);
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_GE(PlatformTestCursorCount(), 0);
}

TEST_F(Lifecycle, ChangeWindowModeBeforeAndAfterStartUp) {
    // Before start-up only the flags change; the log does not exist yet.
    EXPECT_EQ(ChangeWindowMode(1), 0);
    EXPECT_EQ(IsWindowMode(), 1);
    EXPECT_EQ(g_window.settings.styleApplied, 1);
    ASSERT_EQ(InitLibrary(), 0);
    EXPECT_EQ(ChangeWindowMode(1), 0);   // the current mode: only the first line
    std::string log = LogBytes();
    EXPECT_NE(log.find("ChangeWindowMode実行 \r\n"), std::string::npos);
    EXPECT_EQ(log.find("ウインドウモードフラグ"), std::string::npos);

    EXPECT_EQ(ChangeWindowMode(0), 0);
    PlatformTestWindowInfo info = PlatformTestGetWindow(GetMainWindow());
    EXPECT_EQ(info.style, 0x80000000u | WS_VISIBLE);
    EXPECT_TRUE(info.topmost);
    EXPECT_LT(PlatformTestCursorCount(), 0);
    EXPECT_TRUE(LogHas("ウインドウモードフラグが倒されました\r\n"));
    EXPECT_TRUE(LogHas("ウインドウスタイルをフルスクリーンモード用に変更します... 完了\r\n"));
    // The screen follows: graphics restarted in full screen.
    EXPECT_TRUE(LogHas("画面モード変更処理は正常に終了しました\r\n"));
    EXPECT_EQ(IsFullScreen(), 1);
    EXPECT_EQ(g_screenSetup.initialised, 1);

    EXPECT_EQ(ChangeWindowMode(1), 0);
    info = PlatformTestGetWindow(GetMainWindow());
    EXPECT_EQ(info.style, 0x80CA0000u | WS_VISIBLE);
    EXPECT_FALSE(info.topmost);
    EXPECT_EQ(info.client.right - info.client.left, 640);
    EXPECT_GE(PlatformTestCursorCount(), 0);
    EXPECT_TRUE(LogHas("ウインドウスタイルをウインドウモード用に変更します... 完了\r\n"));
    EXPECT_EQ(EndLibrary(), 0);
}

TEST_F(Lifecycle, ExitWithErrorShutsDownAndEndsWithMinusOne) {
    ChangeWindowMode(1);
    EXPECT_EXIT(
        {
            if (InitLibrary() == 0) ExitWithErrorFmt("致命的なエラー %d", 7);
            std::exit(1);
        },
        ::testing::ExitedWithCode(255), "");
    std::string log = LogBytes();
    size_t text = log.find("致命的なエラー 7\r\n");
    ASSERT_NE(text, std::string::npos);
    EXPECT_LT(text, log.find("ウインドウが破棄されようとしています"));
    EXPECT_NE(log.find("ＣＯＭを終了... 完了\r\n", text), std::string::npos);
    EXPECT_NE(log.find("Alloc memory dump", text), std::string::npos);
}

// The window's creation pumps for 200 ms of the 31-bit millisecond count, also when that count
// wraps on the way.
TEST_F(Lifecycle, WindowCreationPumpsItsTimeAcrossTheMillisecondWrap) {
    const ULONGLONG start = 0x80000000ull - 100;
    PlatformTestSetFakeClockMs(start);
    ASSERT_EQ(CreateMainWindow(), 0);
    EXPECT_GE(PlatformTestFakeClockMs() - start, 200u);
    DestroyMainWindow();
}

}  // namespace
