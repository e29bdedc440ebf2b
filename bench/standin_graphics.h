// Graphics started for a benchmark on the Direct3D stand-in: a 1280 x 1024 x 32 desktop, a
// window-mode screen of the given size (0: the library's default), pacing off, the back screen as
// draw target; and the end of it.
#pragma once

#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/screen.h"
#include "platform/testing.h"
#include "platform/testing/d3d9.h"

inline bool StartStandInGraphics(int width = 0, int height = 0) {
    PlatformTestResetWindowManager();
    PlatformTestSetDesktop(1280, 1024, 32);
    D3D9TestReset();
    D3D9TestSetPacing(false);
    D3D9TestSetDesktop(1280, 1024, D3DFMT_X8R8G8B8, 60);
    g_window = WINDOWSTATE{};
    g_window.settings.windowMode = 1;
    g_window.active = 1;
    g_library.initialised = 1;
    g_screenSetup = SCREENSETUP{};
    g_screenSetup.width = width;
    g_screenSetup.height = height;
    return StartGraphics() == 0 && SetDrawTarget(BACK_PAGE) == 0;
}

inline void EndStandInGraphics() {
    ShutdownGraphics();
    g_library.initialised = 0;
    PlatformTestResetWindowManager();
}
