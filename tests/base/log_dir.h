// A fixture for tests that read "Log.txt": a fresh start directory under the temp folder, the
// log started there on the fake clock, and debugger output captured.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "library/base/log.h"
#include "platform/testing.h"

class LogDirTest : public ::testing::Test {
public:
    static constexpr ULONGLONG kClockStartMs = 5000000;

    void SetUp() override {
        savedCwd_ = std::filesystem::current_path();
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("kelmor-log-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        char start[MAX_PATH] = {};
        ASSERT_GT(GetCurrentDirectoryA(sizeof start, start), 0u);
        startDirectory_ = start;
        PlatformTestUseFakeClock(true);
        PlatformTestSetFakeClockMs(kClockStartMs);
        PlatformTestCaptureDebugOutput(true);
        SetLogStartDirectory(start);
        StartLog();
    }

    void TearDown() override {
        PlatformTestFailAllocations(0);
        SetLogStartDirectory(nullptr);
        PlatformTestCaptureDebugOutput(false);
        PlatformTestResetTime();
        std::filesystem::current_path(savedCwd_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // StartLogFile, remembering the fake clock's time for At.
    void StartLog() {
        logStartMs_ = PlatformTestFakeClockMs();
        StartLogFile();
    }

    // Sets the fake clock to ms after the last StartLog.
    void At(ULONGLONG ms) { PlatformTestSetFakeClockMs(logStartMs_ + ms); }

    std::string LogBytes() const {
        std::ifstream in(dir_ / "Log.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool LogExists() const { return std::filesystem::exists(dir_ / "Log.txt"); }

    std::filesystem::path dir_;
    std::filesystem::path savedCwd_;
    std::string startDirectory_;
    ULONGLONG logStartMs_ = 0;
};
