// The message pump.
#include "library/base/pump.h"
#include "library/base/input.h"
#include "library/base/component_links.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "platform/kernel32/kernel32.h"

namespace {

// The next message: any message of this thread first, else thread messages, else the
// main window's.
bool TakeMessage(MSG *msg) {
    if (PeekMessageA(msg, nullptr, 0, 0, PM_NOREMOVE)) return PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
    if (PeekMessageA(msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) return true;
    return PeekMessageA(msg, g_window.window, 0, 0, PM_REMOVE) != FALSE;
}

void RefillStreams() {
    if (g_soundLink.refillStreams) g_soundLink.refillStreams();
}

}  // namespace

int PumpWindowMessages() {
    if (!g_window.window) return g_window.quit ? -1 : 0;
    bool mainThread = GetCurrentThreadId() == g_window.mainThreadId;
    int dispatched = 0;
    bool drained = false;
    for (;;) {
        if ((g_window.closePosted || g_window.active) && (drained || g_window.quit)) break;
        // One short wait per pass while inactive, so the window procedure gets the chance
        // to see the activation again.
        if (!g_window.active) Sleep(1);

        bool quitSeen = false;
        drained = true;
        for (;;) {
            MSG msg;
            if (!TakeMessage(&msg)) break;
            if (msg.message == WM_ACTIVATEAPP && g_window.settings.windowMode) g_window.active = LOWORD(msg.wParam) != 0;
            if (g_window.quit) {
                quitSeen = true;
                break;
            }
            if (msg.message == WM_QUIT) g_window.quit = 1;
            if (!TranslateAcceleratorA(g_window.window, nullptr, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (++dispatched == 5) {
                dispatched = 0;
                drained = true;
                break;
            }
            drained = false;
        }
        if (quitSeen) break;

        if (!g_window.active) {
            // Stream sounds keep playing while the window waits in the background.
            RefillStreams();
            Sleep(1);
        }
        if (g_window.quit || !mainThread) break;
    }

    if (mainThread && !g_window.settings.windowMode) {
        int x, y;
        GetMousePosition(&x, &y);
        if (!g_screenSetup.direct3D || y > 60) SetMouseDisplay(-1);
    }
    RefillStreams();
    JoypadEffectProcess();
    return g_window.quit ? -1 : 0;
}

void WaitWhileInactive() {
    // Without a window (before start-up) there is no activation to wait for.
    while (g_window.window && !g_window.active && !g_window.painting)
        if (PumpWindowMessages() != 0) break;
}
