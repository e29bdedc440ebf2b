// A fixture for tests that read "Log.txt": a fresh start directory under the temp folder, the
// log started there on the fake clock, and debugger output captured.
#pragma once

#include "fixtures/start_dir.h"

class LogDirTest : public LogStartTest {
public:
    static constexpr ULONGLONG kClockStartMs = 5000000;

    void SetUp() override {
        PlatformTestUseFakeClock(true);
        PlatformTestSetFakeClockMs(kClockStartMs);
        logStartMs_ = PlatformTestFakeClockMs();
        LogStartTest::SetUp();
    }

    void TearDown() override {
        PlatformTestFailAllocations(0);
        LogStartTest::TearDown();
        PlatformTestResetTime();
    }

    // StartLogFile, remembering the fake clock's time for At.
    void StartLog() {
        logStartMs_ = PlatformTestFakeClockMs();
        StartLogFile();
    }

    // Sets the fake clock to ms after the last StartLog.
    void At(ULONGLONG ms) { PlatformTestSetFakeClockMs(logStartMs_ + ms); }

    ULONGLONG logStartMs_ = 0;
};
