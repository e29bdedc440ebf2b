// Creation and destruction of the main window, window mode and full screen, the getters.
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/screen.h"

#include "library/base/clock_state.h"
#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/pump.h"
#include "library/base/system_info.h"
#include "library/base/timer.h"
#include "platform/gdi32/gdi32.h"
#include "platform/imm32/imm32.h"
#include "platform/kernel32/kernel32.h"

#include <cstdio>
#include <cstring>

WINDOWSTATE g_window = [] {
    WINDOWSTATE w{};
    w.settings.windowScale = 1.0;
    w.settings.backgroundColour = 0x000000;   // black
    return w;
}();

namespace {

const DWORD kWindowModeStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;   // 0x80CA0000
const DWORD kWindowModeExStyle = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;                  // 0x300
const DWORD kFullScreenStyle = WS_POPUP;
const DWORD kFullScreenExStyle = WS_EX_TOPMOST;
const char kDefaultClassName[] = "K731054M";
const DWORD kDisplayChangeWaitMs = 1000;

DWORD WindowModeStyle() { return kWindowModeStyle | (g_window.settings.styleApplied ? WS_VISIBLE : 0); }

void ClientSize(int *width, int *height) {
    int w, h;
    GetWindowScreenSize(&w, &h);
    double scale = GetWindowScale();
    *width = static_cast<int>(w * scale);
    *height = static_cast<int>(h * scale);
}

// The outer rectangle for a client area of the screen size, centred on the desktop.
RECT CentredWindowRect(DWORD style, DWORD exStyle) {
    int cw, ch;
    ClientSize(&cw, &ch);
    RECT r{0, 0, cw, ch};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (g_window.desktopWidth - w) / 2, y = (g_window.desktopHeight - h) / 2;
    return RECT{x, y, x + w, y + h};
}

void ReadClientScreenRect(RECT *out) {
    RECT c;
    GetClientRect(g_window.window, &c);
    POINT p{0, 0};
    ClientToScreen(g_window.window, &p);
    *out = RECT{p.x, p.y, p.x + c.right, p.y + c.bottom};
}

void StoreWindowModeFlag(int flag) {
    g_window.settings.windowMode = flag;
    WriteLog(flag ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
}

int DesktopDepth() {
    HDC dc = GetDC(nullptr);
    int depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return depth;
}

// Pumps for ms milliseconds of the 31-bit millisecond timer.
void PumpFor(DWORD ms) {
    int start = GetMillisecondCount();
    while (ElapsedMs(start, GetMillisecondCount()) < ms) PumpWindowMessages();
}

// Which clock keeps the library's time: the one that changes more often wins.
void TestTimers() {
    WriteLog("タイマーの精度を検査します\n");
    int mmChanges = 0, pcChanges = 0;
    DWORD start = timeGetTime(), lastMm = start;
    LARGE_INTEGER lastPc;
    QueryPerformanceCounter(&lastPc);
    while (mmChanges < 60 && pcChanges < 60) {
        if (PumpWindowMessages() != 0) break;
        DWORD mm = timeGetTime();
        LARGE_INTEGER pc;
        QueryPerformanceCounter(&pc);
        if (mm != lastMm) ++mmChanges, lastMm = mm;
        if (pc.QuadPart != lastPc.QuadPart) ++pcChanges, lastPc = pc;
        if (mm - start >= 1000) break;
    }
    WriteLogFmt("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", mmChanges, pcChanges);
    if (mmChanges > pcChanges) {
        TIMECAPS caps;
        timeGetDevCaps(&caps, sizeof caps);
        WriteLogFmt("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ", static_cast<int>(caps.wPeriodMin));
        SetPerformanceCounterSource(0, GetClockState()->performanceFrequency);
    } else {
        WriteLogFmt("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
                    static_cast<double>(GetClockState()->performanceFrequency) / 1000.0);
    }
}

}  // namespace

void GetWindowScreenSize(int *width, int *height) {
    *width = g_screenSetup.width > 0 ? g_screenSetup.width : 640;
    *height = g_screenSetup.height > 0 ? g_screenSetup.height : 480;
}

int CreateMainWindow() {
    WINDOWSETTINGS settings = g_window.settings;
    std::memset(&g_window, 0, sizeof g_window);
    g_window.settings = settings;
    WINDOWSETTINGS &s = g_window.settings;
    if (!s.classNameFixed) {
        std::snprintf(s.className, sizeof s.className, "%s", s.title[0] ? s.title : kDefaultClassName);
        s.classNameFixed = 1;
    }

    g_window.instance = GetModuleHandleA(nullptr);
    g_window.mainThreadId = GetCurrentThreadId();

    MEMORYSTATUS memory;
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    double totalMb = static_cast<double>(memory.dwTotalPhys) / 1048576.0;
    double freeMb = static_cast<double>(memory.dwAvailPhys) / 1048576.0;
    WriteLogFmt("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", totalMb, freeMb);
    char line[64];
    std::snprintf(line, sizeof line, "%.2fMB\n", freeMb);
    OutputDebugStringA(line);

    g_window.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    g_window.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    g_window.desktopDepth = DesktopDepth();

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    SetPerformanceCounterSource(frequency.QuadPart != 0, static_cast<ULONGLONG>(frequency.QuadPart));
    TIMECAPS caps;
    if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR && timeBeginPeriod(caps.wPeriodMin) == TIMERR_NOERROR)
        g_window.timePeriod = static_cast<int>(caps.wPeriodMin);

    if (GetClockState()->performanceCounterPresent) TestTimers();

    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, SPIF_SENDWININICHANGE);

    WriteLog("ソフトの二重起動検査... ");
    if (FindWindowA(s.className, nullptr)) {
        WriteLog("二重起動されています、ソフトを終了します\n");
        g_window.quit = 1;
        return -1;
    }
    WriteLog("二重起動はされていませんでした\n");

    g_window.creating = 1;
    WriteLog("ウインドウクラスを登録します... ");
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = g_window.instance;
    wc.hIcon = LoadIconA(g_window.instance, MAKEINTRESOURCEA(s.iconId ? s.iconId : 32512));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = s.className;
    if (!RegisterClassExA(&wc)) {
        g_window.quit = 1;
        g_window.creating = 0;
        WriteLog("ウインドウクラスの登録に失敗しました\n");
        return -1;
    }
    WriteLog("登録に成功しました\n");

    if (!s.title[0]) std::snprintf(s.title, sizeof s.title, "Kelmor");

    int cw, ch;
    ClientSize(&cw, &ch);
    DWORD style, exStyle;
    RECT r;
    if (s.windowMode) {
        WriteLog("ウインドウモード起動用のウインドウを作成します\n");
        style = WindowModeStyle();
        exStyle = kWindowModeExStyle;
        r = CentredWindowRect(style, exStyle);
        g_window.cursorWanted = 1;
    } else {
        WriteLog("フルスクリーンモード用のウインドウを作成します\n");
        style = kFullScreenStyle;
        exStyle = kFullScreenExStyle;
        r = RECT{0, 0, cw, ch};
        g_window.cursorWanted = 0;
    }
    g_window.window = CreateWindowExA(exStyle, s.className, s.title, style, r.left, r.top, r.right - r.left,
                                      r.bottom - r.top, nullptr, nullptr, g_window.instance, nullptr);
    if (!g_window.window) {
        g_window.quit = 1;
        g_window.creating = 0;
        WriteLog("ウインドウの作成に失敗しました\n");
        // The class would refuse the next start-up's registration.
        UnregisterClassA(s.className, g_window.instance);
        return -1;
    }
    WriteLog("ウインドウの作成に成功しました\n");
    ShowWindow(g_window.window, SW_SHOW);
    UpdateWindow(g_window.window);

    g_window.closePosted = 0;
    g_window.destroyed = 0;
    g_window.active = 1;

    if (!s.windowMode) {
        WriteLog("カーソルを不可視にしました\n");
        SetCursor(nullptr);
    }
    WriteLog("ＩＭＥを無効にしました\n");
    WINNLSEnableIME(g_window.window, FALSE);
    if (s.windowMode) ReadClientScreenRect(&g_window.clientScreenRect);
    g_window.doubleByteKind = GetOEMCP() == 949 ? 2 : 1;
    SetMouseDisplay(g_window.cursorWanted);
    g_window.endState = 0;

    BringWindowToTop(g_window.window);
    PumpFor(200);
    FitWindowToScreen();
    g_window.creating = 0;
    return 0;
}

namespace {
void EndTimePeriod() {
    if (!g_window.timePeriod) return;
    timeEndPeriod(static_cast<UINT>(g_window.timePeriod));
    g_window.timePeriod = 0;
}
}  // namespace

int DestroyMainWindow() {
    if (!g_window.window) {
        // A failed creation may have begun the timer period.
        EndTimePeriod();
        return 0;
    }
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_SENDWININICHANGE);
    WINNLSEnableIME(g_window.window, TRUE);

    g_window.cursorWanted = 1;
    if (!g_window.cursorShown) {
        while (ShowCursor(TRUE) < 0) {
        }
        PostMessageA(g_window.window, WM_SETCURSOR, 0, 0);
        g_window.cursorShown = 1;
    }

    if (!g_window.closePosted) {
        g_window.closePosted = 1;
        PostMessageA(g_window.window, WM_CLOSE, 0, 0);
    }
    while (PumpWindowMessages() == 0 && !g_window.destroyed) {
    }
    UnregisterClassA(g_window.settings.className, g_window.instance);

    EndTimePeriod();
    g_window.window = nullptr;
    return 0;
}

int ChangeWindowMode(int windowMode) {
    WriteLog("ChangeWindowMode実行 \n");
    if (windowMode == g_window.settings.windowMode) return 0;
    g_window.settings.styleApplied = 1;
    g_window.displayChanged = 0;
    StoreWindowModeFlag(windowMode);
    if (!g_window.window) return 0;

    g_window.modeChanging = 1;
    ApplyWindowStyle();
    const int result = ChangeScreenMode(-1, -1, -1, 1, -1);
    // The pump runs until the display reports the new mode. A change that leaves the display
    // as it was reports nothing, so the wait ends after a second in any case.
    const DWORD start = timeGetTime();
    while (PumpWindowMessages() == 0 && !g_window.displayChanged && timeGetTime() - start < kDisplayChangeWaitMs)
        Sleep(1);
    g_window.modeChanging = 0;
    return result;
}

int SetMainWindowTitle(const char *title) {
    std::snprintf(g_window.settings.title, sizeof g_window.settings.title, "%s", title ? title : "");
    if (g_window.window) SetWindowTextA(g_window.window, g_window.settings.title);
    return 0;
}

int ChangeWindowIcon(int id) {
    g_window.settings.iconId = id;
    if (g_window.window) {
        HICON icon = LoadIconA(g_window.instance, MAKEINTRESOURCEA(id ? id : 32512));
        SetClassLongA(g_window.window, GCL_HICON, reinterpret_cast<LONG_PTR>(icon));
    }
    return 0;
}

HWND GetMainWindow() { return g_window.window; }
int IsWindowMode() { return g_window.settings.windowMode ? 1 : 0; }
int IsWindowActive() { return g_window.active; }
int GetQuitFlag() { return g_window.quit; }
int IsCloseRequested() { return g_window.closePosted; }
int GetWindowBackgroundColour() { return g_window.settings.backgroundColour; }
int IsWindowBottomAligned() { return g_window.settings.bottomAligned; }
void MarkWindowEnding() { g_window.endState = 1; }

int GetDesktopSize(int *width, int *height, int *colourBits) {
    if (g_library.initialised) {
        if (width) *width = g_window.desktopWidth;
        if (height) *height = g_window.desktopHeight;
        if (colourBits) *colourBits = g_window.desktopDepth;
        return 0;
    }
    if (width) *width = GetSystemMetrics(SM_CXSCREEN);
    if (height) *height = GetSystemMetrics(SM_CYSCREEN);
    if (colourBits) *colourBits = DesktopDepth();
    return 0;
}

double GetWindowScale() {
    if (!g_window.settings.windowMode) return 1.0;
    if (g_window.settings.windowScale <= 0.0) g_window.settings.windowScale = 1.0;
    return g_window.settings.windowScale;
}

int GetClientScreenRect(RECT *rect) {
    if (rect) *rect = g_window.clientScreenRect;
    return 0;
}

int GetMousePosition(int *x, int *y) {
    POINT p{0, 0};
    GetCursorPos(&p);
    if (g_window.settings.windowMode) {
        double scale = GetWindowScale();
        p.x = static_cast<LONG>((p.x - g_window.clientScreenRect.left) / scale);
        p.y = static_cast<LONG>((p.y - g_window.clientScreenRect.top) / scale);
    }
    if (x) *x = p.x;
    if (y) *y = p.y;
    return 0;
}

int SetMouseDisplay(int flag) {
    if (flag != -1) {
        g_window.cursorWanted = flag ? 1 : 0;
        if (g_window.cursorWanted == g_window.cursorShown) return 0;
    }
    if (g_window.cursorWanted) {
        while (ShowCursor(TRUE) < 0) {
        }
    } else {
        while (ShowCursor(FALSE) >= 0) {
        }
    }
    if (g_window.window) PostMessageA(g_window.window, WM_SETCURSOR, 0, 0);
    g_window.cursorShown = g_window.cursorWanted;
    return 0;
}

int BringWindowToFront(HWND window, int topmost) {
    DWORD me = GetCurrentThreadId();
    DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    AttachThreadInput(me, front, TRUE);
    DWORD timeout = 0;
    SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(window);
    SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<LPVOID>(static_cast<uintptr_t>(timeout)), 0);
    AttachThreadInput(me, front, FALSE);
    if (topmost)
        SetWindowPos(g_window.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
    return 0;
}

int FitWindowToScreen() {
    if (!g_window.window) return 0;
    RECT outer;
    GetWindowRect(g_window.window, &outer);
    int cw, ch;
    ClientSize(&cw, &ch);
    RECT r{0, 0, cw, ch};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(g_window.window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(g_window.window, GWL_EXSTYLE)));
    MoveWindow(g_window.window, outer.left, outer.top, r.right - r.left, r.bottom - r.top, TRUE);
    if (g_window.settings.windowMode && !g_window.settings.styleApplied) {
        g_window.settings.styleApplied = 1;
        ApplyWindowStyle();
    }
    return 0;
}

int ApplyWindowStyle() {
    if (!g_window.window) return 0;
    HWND hwnd = g_window.window;
    if (g_window.settings.windowMode) {
        WriteLog("ウインドウスタイルをウインドウモード用に変更します... ");
        SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(kWindowModeExStyle));
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(WindowModeStyle()));
        RECT r = CentredWindowRect(WindowModeStyle(), kWindowModeExStyle);
        SetWindowPos(hwnd, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
        SetWindowPos(hwnd, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
        RECT client;
        ReadClientScreenRect(&client);
        if (client.left < 0 || client.top < 0) {
            int dx = client.left < 0 ? -client.left : 0, dy = client.top < 0 ? -client.top : 0;
            RECT outer;
            GetWindowRect(hwnd, &outer);
            MoveWindow(hwnd, outer.left + dx, outer.top + dy, outer.right - outer.left, outer.bottom - outer.top, TRUE);
            ReadClientScreenRect(&client);
        }
        g_window.clientScreenRect = client;
        SetMouseDisplay(1);
    } else {
        WriteLog("ウインドウスタイルをフルスクリーンモード用に変更します... ");
        int w, h;
        GetWindowScreenSize(&w, &h);
        SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(kFullScreenExStyle));
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(kFullScreenStyle));
        g_window.clientScreenRect = RECT{0, 0, w, h};
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, w, h, SWP_NOREDRAW);
        SetMouseDisplay(0);
    }
    WriteLog("完了\n");
    SetActiveWindow(hwnd);
    PostMessageA(hwnd, WM_SETCURSOR, 0, 0);
    return 0;
}
