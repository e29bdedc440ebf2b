// A fixture for the sound component's tests: a fresh start directory with its "Log.txt", the
// fake clock, the sound stand-in reset (manual sink clock), files written by the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/start_dir.h"
#include "library/base/stream.h"
#include "library/sound/sound.h"
#include "library/sound/sound_state.h"
#include "platform/testing/sound.h"
#include "fixtures/sound_fixtures.h"
#include "platform/testing.h"

class SoundTest : public LogStartTest {
public:
    void SetUp() override {
        PlatformTestUseFakeClock(true);
        LogStartTest::SetUp();
        SelectFileFunctions(nullptr);
        SoundTestReset();
        SetSoundCreateType(0);
    }

    void TearDown() override {
        TerminateSoundSystem();
        EXPECT_EQ(SoundTestLiveBuffers(), 0);
        EXPECT_EQ(SoundTestLiveDevices(), 0);
        SoundTestReset();
        LogStartTest::TearDown();
        PlatformTestResetTime();
    }

    // The log file ends its lines with CR LF.
    bool LogHas(const char *text) const {
        std::string want;
        for (const char *p = text; *p; p++) {
            if (*p == '\n') want += '\r';
            want += *p;
        }
        return LogBytes().find(want) != std::string::npos;
    }

    static std::vector<int16_t> Captured() {
        size_t n = 0;
        const int16_t *p = SoundTestCaptured(&n);
        return std::vector<int16_t>(p, p + 2 * n);
    }

    // The sink follows the fake clock (Sleep advances it).
    static ULONGLONG FakeMicroseconds() { return PlatformTestFakeClockMs() * 1000; }
};
