// A library run in a temporary start directory, on the headless host, with a fake clock
// that steps on every read (so the start-up's timed waits end at once) and fixed system
// facts (so the log is the same on every machine).
#pragma once

#include "fixtures/start_dir.h"
#include "library/base/ime.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

class LibraryRun : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        // As in a new process: full screen, no title, nothing started.
        g_library = LIBSTATE{};
        g_window = WINDOWSTATE{};
        g_window.settings.windowScale = 1.0;
        ClearImeState();
        PlatformTestResetWindowManager();
        PlatformTestSetDesktop(1280, 1024, 32);
        PlatformTestResetTime();
        PlatformTestUseFakeClock(true);
        PlatformTestSetFakeClockMs(1000000);
        PlatformTestSetFakeClockAutoStepMs(1);
        PlatformTestCaptureDebugOutput(true);

        PlatformSystemFeed feed;
        PlatformTestGetHostSystemFeed(&feed);
        feed.version = OSVERSIONINFOA{};
        feed.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        feed.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
        feed.version.dwMajorVersion = 5;
        feed.version.dwMinorVersion = 1;
        feed.version.dwBuildNumber = 2600;
        std::snprintf(feed.version.szCSDVersion, sizeof feed.version.szCSDVersion, "Service Pack 3");
        feed.totalPhys = 512u * 1048576u;
        feed.availPhys = 256u * 1048576u + 1048576u / 4;
        feed.oemCodePage = 932;
        // MMX, SSE, SSE2 and the time-stamp counter.
        PlatformTestFeedCpu(&feed, "GenuineIntel", (1u << 4) | (1u << 23) | (1u << 25) | (1u << 26),
                            "Test CPU 2.00GHz");
        feed.timeStampHz = 2000000000ull;
        PlatformTestSetSystemFeed(&feed);
    }

    void TearDown() override {
        TempDirTest::TearDown();
        PlatformTestSetSystemFeed(nullptr);
        PlatformTestCaptureDebugOutput(false);
        PlatformTestResetTime();
    }

    bool LogHas(const std::string &text) const { return LogBytes().find(text) != std::string::npos; }
};
