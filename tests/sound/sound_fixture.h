// A fixture for the sound component's tests: a fresh start directory with its "Log.txt", the
// fake clock, the sound stand-in reset (manual sink clock), files written by the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "library/base/log.h"
#include "library/base/stream.h"
#include "library/sound/sound.h"
#include "library/sound/sound_state.h"
#include "platform/sound_testing.h"
#include "fixtures/sound_fixtures.h"
#include "platform/testing.h"

class SoundTest : public ::testing::Test {
public:
    void SetUp() override {
        savedCwd_ = std::filesystem::current_path();
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("kelmor-sound-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        char start[MAX_PATH] = {};
        ASSERT_GT(GetCurrentDirectoryA(sizeof start, start), 0u);
        PlatformTestUseFakeClock(true);
        PlatformTestCaptureDebugOutput(true);
        SetLogStartDirectory(start);
        StartLogFile();
        SelectFileFunctions(nullptr);
        SoundTestReset();
        SetSoundCreateType(0);
    }

    void TearDown() override {
        TerminateSoundSystem();
        EXPECT_EQ(SoundTestLiveBuffers(), 0);
        EXPECT_EQ(SoundTestLiveDevices(), 0);
        SoundTestReset();
        SetLogStartDirectory(nullptr);
        PlatformTestCaptureDebugOutput(false);
        PlatformTestResetTime();
        std::filesystem::current_path(savedCwd_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Log() const {
        std::ifstream in(dir_ / "Log.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The log file ends its lines with CR LF.
    bool LogHas(const char *text) const {
        std::string want;
        for (const char *p = text; *p; p++) {
            if (*p == '\n') want += '\r';
            want += *p;
        }
        return Log().find(want) != std::string::npos;
    }

    // Writes bytes to a file of the start directory; its name for LoadSound.
    std::string WriteFile(const std::string &name, const std::vector<uint8_t> &bytes) {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char *>(bytes.data()), (std::streamsize)bytes.size());
        return name;
    }

    static std::vector<int16_t> Captured() {
        size_t n = 0;
        const int16_t *p = SoundTestCaptured(&n);
        return std::vector<int16_t>(p, p + 2 * n);
    }

    // The sink follows the fake clock (Sleep advances it).
    static ULONGLONG FakeMicroseconds() { return PlatformTestFakeClockMs() * 1000; }

    std::filesystem::path dir_;
    std::filesystem::path savedCwd_;
};
