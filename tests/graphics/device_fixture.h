// The library's display device on the Direct3D stand-in from a clean slate: a 1280 x 1024 x 32
// desktop, window mode, the display records cleared and the log in a fresh start directory.
// The test starts graphics itself; the end shuts them down and checks nothing is left behind.
#pragma once

#include "fixtures/start_dir.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "platform/testing/d3d9.h"

#include <gtest/gtest.h>

#include <cstring>

class DeviceTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        PlatformTestResetWindowManager();
        PlatformTestSetDesktop(1280, 1024, 32);
        D3D9TestReset();
        D3D9TestSetPacing(false);
        g_window = WINDOWSTATE{};
        g_window.settings.windowMode = 1;
        g_screenSetup = SCREENSETUP{};
        std::memset(&g_deviceState, 0, sizeof g_deviceState);
        g_deviceFormats = DEVICEFORMATS{};
        std::memset(&g_renderState, 0, sizeof g_renderState);
        g_drawState.emulation320 = 0;
    }

    void TearDown() override {
        ShutdownGraphics();
        EXPECT_EQ(D3D9TestLiveObjects(), 0) << "device objects left behind";
        EXPECT_EQ(g_deviceState.displayModes, nullptr);
        D3D9TestRecordCalls(false);
        D3D9TestReset();
        g_drawState.emulation320 = 0;
        PlatformTestResetWindowManager();
        LogStartTest::TearDown();
    }
};
