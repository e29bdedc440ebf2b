// The window manager: sent and posted messages, placement, activation, the queue filters.
#include "platform/gdi32/gdi32.h"
#include "platform/imm32/imm32.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"
#include "platform/user32/user32.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> g_seen;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({message, wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<UINT> Messages() {
    std::vector<UINT> out;
    for (const Seen &s : g_seen) out.push_back(s.message);
    return out;
}

class WindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformTestResetWindowManager();
        PlatformTestSetDesktop(1024, 768, 32);
        g_seen.clear();
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "TestClass";
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        ASSERT_NE(RegisterClassExA(&wc), 0);
    }

    HWND Create(DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, DWORD ex = WS_EX_CLIENTEDGE) {
        HWND hwnd = CreateWindowExA(ex, "TestClass", "title", style, 100, 50, 400, 300, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(hwnd, nullptr);
        UpdateWindow(hwnd);   // as a program does: the first paint is done
        return hwnd;
    }

    int Drain(HWND filter = nullptr) {
        MSG msg;
        int n = 0;
        while (PeekMessageA(&msg, filter, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return -n - 1;
            DispatchMessageA(&msg);
            ++n;
        }
        return n;
    }
};

TEST_F(WindowManagerTest, CreationSendsItsMessagesAndTheWindowStartsActive) {
    HWND hwnd = Create();
    std::vector<UINT> expected = {WM_NCCREATE, WM_CREATE,      WM_SIZE,     WM_MOVE,
                                  WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_ACTIVATE, WM_PAINT};
    EXPECT_EQ(Messages(), expected);
    PlatformTestWindowInfo info = PlatformTestGetWindow(hwnd);
    EXPECT_TRUE(info.visible);
    EXPECT_TRUE(info.active);
    EXPECT_EQ(GetActiveWindow(), hwnd);
    // WM_SIZE carries the client size the border leaves.
    RECT border{0, 0, 0, 0};
    AdjustWindowRectEx(&border, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_CLIENTEDGE);
    int cw = 400 - (border.right - border.left), ch = 300 - (border.bottom - border.top);
    EXPECT_EQ(g_seen[2].lParam, MAKELONG(cw, ch));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, cw);
    EXPECT_EQ(client.bottom, ch);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    EXPECT_EQ(origin.x, 100 - border.left);
    EXPECT_EQ(origin.y, 50 - border.top);
}

TEST_F(WindowManagerTest, AdjustWindowRectExGivesTheRecordsBorder) {
    struct Case {
        DWORD style, ex;
        RECT border;   // amounts added on each side
    } cases[] = {
        {WS_POPUP, 0, {0, 0, 0, 0}},
        {WS_POPUP, WS_EX_TOPMOST, {0, 0, 0, 0}},
        {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, {5, 24, 5, 5}},
        {WS_POPUP | WS_BORDER, 0, {1, 1, 1, 1}},
    };
    for (const Case &c : cases) {
        RECT r{10, 20, 650, 500};
        ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, FALSE, c.ex));
        EXPECT_EQ(10 - r.left, c.border.left);
        EXPECT_EQ(20 - r.top, c.border.top);
        EXPECT_EQ(r.right - 650, c.border.right);
        EXPECT_EQ(r.bottom - 500, c.border.bottom);
        HWND hwnd = CreateWindowExA(c.ex, "TestClass", "", c.style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                    nullptr, nullptr, nullptr, nullptr);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(client.right, 640);
        EXPECT_EQ(client.bottom, 480);
        DestroyWindow(hwnd);
    }
}

TEST_F(WindowManagerTest, SentMessagesRunAtOncePostedOnesWaitForTheQueue) {
    HWND hwnd = Create();
    g_seen.clear();
    PostMessageA(hwnd, WM_USER, 1, 2);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_EQ(PlatformTestQueuedMessageCount(GetCurrentThreadId()), 2);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_EQ(PlatformTestQueuedMessageCount(GetCurrentThreadId()), 2);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_USER});
    EXPECT_EQ(g_seen[0].wParam, 1u);

    // WM_CLOSE's default destroys the window: its messages arrive inside that dispatch.
    g_seen.clear();
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    std::vector<UINT> expected = {WM_CLOSE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(Messages(), expected);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
}

TEST_F(WindowManagerTest, QuitComesAfterThePostedMessagesAndOnlyToThreadFilters) {
    HWND hwnd = Create();
    PostQuitMessage(3);
    PostMessageA(hwnd, WM_USER, 0, 0);
    PostMessageA(nullptr, WM_USER + 1, 0, 0);   // a thread message

    MSG msg;
    // The window filter sees its own message only.
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_FALSE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    // (HWND)-1: thread messages, then the quit.
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowManagerTest, PlacementSendsMoveAndSizeOnlyWhenTheyChange) {
    HWND hwnd = Create();
    g_seen.clear();
    SetWindowPos(hwnd, HWND_NOTOPMOST, 100, 50, 400, 300, SWP_NOACTIVATE);
    EXPECT_TRUE(g_seen.empty());
    MoveWindow(hwnd, 120, 50, 400, 300, TRUE);
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_MOVE});
    g_seen.clear();
    MoveWindow(hwnd, 120, 50, 500, 300, TRUE);
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_SIZE});
    g_seen.clear();
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    EXPECT_TRUE(g_seen.empty());
    EXPECT_TRUE(PlatformTestGetWindow(hwnd).topmost);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.right, 620);
}

TEST_F(WindowManagerTest, StylesDecideVisibilityAndBorder) {
    HWND hwnd = Create(WS_POPUP);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(PlatformTestGetWindow(hwnd).active);
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(PlatformTestGetWindow(hwnd).active);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_CAPTION));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.bottom, 300 - 3 - 3 - 2 - 2 - 19);
    g_seen.clear();
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FALSE(PlatformTestGetWindow(hwnd).active);
    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].message, WM_SHOWWINDOW);
    EXPECT_EQ(g_seen[1].message, WM_SIZE);
    EXPECT_EQ(g_seen[1].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
}

TEST_F(WindowManagerTest, FindWindowSeesThisProcessesWindowsByClass) {
    EXPECT_EQ(FindWindowA("TestClass", nullptr), nullptr);
    HWND hwnd = Create();
    EXPECT_EQ(FindWindowA("testclass", nullptr), hwnd);
    EXPECT_EQ(FindWindowA(nullptr, "title"), hwnd);
    EXPECT_EQ(FindWindowA("Other", nullptr), nullptr);
    EXPECT_FALSE(UnregisterClassA("TestClass", nullptr));   // still in use
    DestroyWindow(hwnd);
    EXPECT_EQ(FindWindowA("TestClass", nullptr), nullptr);
    EXPECT_TRUE(UnregisterClassA("TestClass", nullptr));
    EXPECT_EQ(CreateWindowExA(0, "TestClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowManagerTest, ActivationFromAnotherThreadArrivesAtTheNextPeek) {
    HWND hwnd = Create();
    PlatformTestInjectActivation(hwnd, false);
    EXPECT_FALSE(PlatformTestGetWindow(hwnd).active);
    g_seen.clear();
    std::thread other([hwnd] { PlatformTestInjectActivation(hwnd, true); });
    other.join();
    EXPECT_TRUE(g_seen.empty());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));   // sent, not queued
    std::vector<UINT> expected = {WM_ACTIVATEAPP, WM_ACTIVATE};
    EXPECT_EQ(Messages(), expected);
    EXPECT_EQ(g_seen[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(LOWORD(g_seen[1].wParam), WA_ACTIVE);
    EXPECT_TRUE(PlatformTestGetWindow(hwnd).active);
}

TEST_F(WindowManagerTest, PaintIsDueUntilValidatedAndUpdateWindowSendsIt) {
    HWND hwnd = Create();
    g_seen.clear();
    UpdateWindow(hwnd);
    EXPECT_TRUE(g_seen.empty());
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_PAINT});
    g_seen.clear();
    UpdateWindow(hwnd);   // validated by the default handling
    EXPECT_TRUE(g_seen.empty());
    InvalidateRect(hwnd, nullptr, FALSE);
    EXPECT_EQ(Drain(), 1);
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_PAINT});
}

TEST_F(WindowManagerTest, InjectedMouseAndDisplayMessages) {
    HWND hwnd = Create();
    g_seen.clear();
    PlatformTestInjectMouse(hwnd, WM_LBUTTONDOWN, 10, 20, MK_LBUTTON);
    EXPECT_EQ(Drain(), 1);
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_LBUTTONDOWN});
    EXPECT_EQ(g_seen[0].lParam, MAKELONG(10, 20));
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);

    g_seen.clear();
    PlatformTestInjectDisplayChange(16, 800, 600);
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_DISPLAYCHANGE});
    EXPECT_EQ(g_seen[0].wParam, 16u);
    EXPECT_EQ(g_seen[0].lParam, MAKELONG(800, 600));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES), 16);
    ReleaseDC(nullptr, dc);
    // Back to the desktop's mode.
    g_seen.clear();
    ChangeDisplaySettingsA(nullptr, 0);
    EXPECT_EQ(Messages(), std::vector<UINT>{WM_DISPLAYCHANGE});
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(WindowManagerTest, CursorCounterAndMessageBoxes) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(PlatformTestCursorCount(), -1);

    PlatformTestAnswerNextMessageBox(IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "質問", "題", MB_YESNO | MB_ICONQUESTION), IDNO);
    // The headless host takes the first button.
    EXPECT_EQ(MessageBoxW(nullptr, L"フルスクリーン", L"設定", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), IDOK);
    std::vector<PlatformTestMessageBox> boxes = PlatformTestMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "質問");
    EXPECT_EQ(boxes[0].answer, IDNO);
    EXPECT_EQ(boxes[1].text, "\xE3\x83\x95\xE3\x83\xAB\xE3\x82\xB9\xE3\x82\xAF\xE3\x83\xAA\xE3\x83\xBC\xE3\x83\xB3");
}

TEST_F(WindowManagerTest, NoInputMethodUnlessOneIsInstalled) {
    HWND hwnd = Create();
    EXPECT_EQ(ImmGetContext(hwnd), nullptr);
    EXPECT_EQ(ImmGetCandidateListA(nullptr, 0, nullptr, 0), 0u);
    PlatformTestInstallIme({"かな", "漢字", 2, {0, 4}, {"一", "二"}, TRUE});
    HIMC imc = ImmGetContext(hwnd);
    ASSERT_NE(imc, nullptr);
    char buf[16] = {};
    EXPECT_EQ(ImmGetCompositionStringA(imc, GCS_RESULTSTR, buf, sizeof buf), 4);
    EXPECT_STREQ(buf, "漢字");
    EXPECT_EQ(ImmGetCompositionStringA(imc, GCS_CURSORPOS, nullptr, 0), 2);
    DWORD size = ImmGetCandidateListA(imc, 0, nullptr, 0);
    std::vector<char> block(size);
    auto *list = reinterpret_cast<CANDIDATELIST *>(block.data());
    ASSERT_EQ(ImmGetCandidateListA(imc, 0, list, size), size);
    EXPECT_EQ(list->dwCount, 2u);
    const DWORD *offsets = reinterpret_cast<const DWORD *>(block.data() + offsetof(CANDIDATELIST, dwOffset));
    EXPECT_STREQ(block.data() + offsets[1], "二");
    EXPECT_TRUE(ImmGetOpenStatus(imc));
    ImmReleaseContext(hwnd, imc);
}

}  // namespace

namespace {

int g_timerCalls = 0;
void CountingTimerProc(HWND, UINT, UINT_PTR, DWORD) { ++g_timerCalls; }

TEST_F(WindowManagerTest, TimersComeThroughTheQueueWhenDue) {
    PlatformTestUseFakeClock(true);
    HWND hwnd = Create();
    g_seen.clear();
    g_timerCalls = 0;
    ASSERT_EQ(SetTimer(hwnd, 7, 100, nullptr), 7u);
    ASSERT_EQ(SetTimer(hwnd, 8, 100, CountingTimerProc), 8u);
    EXPECT_EQ(Drain(), 0);
    PlatformTestAdvanceFakeClockMs(100);
    EXPECT_EQ(Drain(), 2);
    ASSERT_EQ(Messages(), std::vector<UINT>{WM_TIMER});   // the other went to its procedure
    EXPECT_EQ(g_seen[0].wParam, 7u);
    EXPECT_EQ(g_timerCalls, 1);
    // Due many times over: still one message per timer in the queue.
    PlatformTestAdvanceFakeClockMs(1000);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_EQ(PlatformTestQueuedMessageCount(GetCurrentThreadId()), 2);
    EXPECT_TRUE(KillTimer(hwnd, 7));
    EXPECT_TRUE(KillTimer(hwnd, 8));
    EXPECT_EQ(PlatformTestQueuedMessageCount(GetCurrentThreadId()), 0);
    EXPECT_FALSE(KillTimer(hwnd, 7));
    PlatformTestResetTime();
}

}  // namespace
