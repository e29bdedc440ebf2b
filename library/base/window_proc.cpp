// The main window's procedure: messages become library state.
#include "library/base/component_links.h"
#include "library/base/ime.h"
#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/mask.h"
#include "library/graphics/screen.h"
#include "library/base/input.h"
#include "platform/gdi32/gdi32.h"

namespace {

void PauseMovies() {
    if (g_movieLink.pauseAll) g_movieLink.pauseAll();
}

void ResumeMovies() {
    if (g_movieLink.resumeAll) g_movieLink.resumeAll();
}

const UINT kHookMessageA = 0x046F;
const UINT kHookMessageB = 0x0470;

void TrackWindowMove(LPARAM lParam) {
    RECT c;
    GetClientRect(g_window.window, &c);
    int x = static_cast<SHORT>(LOWORD(lParam)), y = static_cast<SHORT>(HIWORD(lParam));
    g_window.clientScreenRect = RECT{x, y, x + c.right, y + c.bottom};
    if (g_library.initialised && GetDrawTarget() == FRONT_PAGE) {
        const int mask = IsMaskDrawOn();
        if (mask) SetMaskDraw(0);
        if (mask) SetMaskDraw(1);
        const int32_t *r = g_screenState.requested;
        SetDrawClipRect(r[0], r[1], r[2], r[3]);
    }
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (g_window.settings.windowMode) {
        g_window.painting = 1;
        if (g_library.initialised) {
            if (GetDrawTarget() == BACK_PAGE) {
                const int32_t waitOff = g_drawState.vsyncWaitOff;
                g_drawState.vsyncWaitOff = 1;
                PresentBackScreen();
                g_drawState.vsyncWaitOff = waitOff;
            }
        } else {
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        g_window.painting = 0;
    }
    EndPaint(hwnd, &ps);
}

void OnActivation(int active, int minimised) {
    g_window.active = active;
    if (g_window.creating) return;
    if (active) {
        if (g_library.initialised && g_screenSetup.initialised) {
            if (g_window.settings.windowMode) {
                if (PresentBackScreen() == -1) RecoverLostDevice();
            } else if (!minimised) {
                RecoverLostDevice();
            }
        }
        ResumeMovies();
        RefreshInputDeviceAcquireState();
    } else {
        // Full screen without Direct3D changed the display itself: give the desktop back.
        if (!g_window.settings.windowMode && g_screenSetup.initialised && !g_screenSetup.direct3D) {
            ChangeDisplaySettingsA(nullptr, 0);
            ShowWindow(g_window.window, SW_MINIMIZE);
        }
        PauseMovies();
        RefreshInputDeviceAcquireState();
    }
    RefreshEffectPlayState();
}

void OnDisplayChange(WPARAM wParam, LPARAM lParam) {
    if (!g_window.settings.windowMode || g_window.modeChanging) {
        g_window.displayChanged = 1;
        return;
    }
    int depth = static_cast<int>(wParam), width = LOWORD(lParam), height = HIWORD(lParam);
    int screenWidth, screenHeight;
    GetWindowScreenSize(&screenWidth, &screenHeight);
    const int screenDepth = g_screenSetup.bits > 0 ? g_screenSetup.bits : 16;
    if (depth == screenDepth && width == screenWidth && height == screenHeight) {
        g_window.displayChanged = 1;
        return;
    }
    if (depth == 24 || (depth == 8 && screenDepth != 8) || width < screenWidth || height < screenHeight) {
        WriteLog("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
        WriteLog("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
        if (!g_window.closePosted) {
            g_window.closePosted = 1;
            PostMessageA(g_window.window, WM_CLOSE, 0, 0);
        }
        return;
    }
    ResumeMovies();
    g_window.displayChanged = 1;
}

void HideCursorWhileUnwanted() {
    if (g_window.cursorShown) return;
    SetCursor(nullptr);
    while (ShowCursor(FALSE) >= 0) {
    }
}

}  // namespace

LRESULT MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT imeResult;
    if (HandleImeMessage(hwnd, message, wParam, lParam, &imeResult)) return imeResult;

    switch (message) {
    case WM_MOVE:
        if (g_window.settings.windowMode && !g_window.modeChanging && hwnd == g_window.window) TrackWindowMove(lParam);
        break;
    case WM_SIZE:
        if (wParam != SIZE_MAXIMIZED) FitWindowToScreen();
        break;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_CLOSE:
        WriteLog("ウインドウを閉じようとしています\n");
        DestroyWindow(hwnd);
        if (g_window.endState == 0) g_window.endState = 4;
        return 0;
    case WM_DESTROY:
        WriteLog("ウインドウが破棄されようとしています\n");
        g_window.destroyed = 1;
        PostQuitMessage(0);
        g_window.quit = 1;
        WriteLog("ソフトを終了する準備が整いました\n");
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0) OnActivation(0, 0);
        break;
    case WM_ACTIVATE:
        OnActivation(LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0);
        break;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(wParam, lParam);
        break;
    case WM_NCHITTEST:
        if (!g_window.settings.windowMode && g_screenSetup.direct3D) {
            int y = static_cast<SHORT>(HIWORD(lParam));
            if (y >= 0 && y <= 7) return HTMENU;
        }
        break;
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        HideCursorWhileUnwanted();
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0u) == SC_MONITORPOWER || (wParam & 0xFFF0u) == SC_SCREENSAVE) return 1;
        break;
    case WM_MOVING:
        if (!g_window.settings.windowMode && lParam) GetWindowRect(hwnd, reinterpret_cast<RECT *>(lParam));
        break;
    case kHookMessageA:
    case kHookMessageB:
        g_window.hookFlags[message - kHookMessageA] = wParam == 1 ? 1 : 0;
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
