// The system report with fed processor and platform facts.
#include "library/base/clock_state.h"
#include "library/base/log.h"
#include "library/base/system_info.h"
#include "library_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace {

class SystemReport : public LibraryRun {
protected:
    void SetUp() override {
        LibraryRun::SetUp();
        SetLogStartDirectory(dir_.string().c_str());
        StartLogFile();
    }
    void TearDown() override {
        EndSystemTimePeriod();
        SetLogStartDirectory(nullptr);
        LibraryRun::TearDown();
    }
    void Feed(BOOL cpuid, DWORD edx, const char *brand) {
        PlatformSystemFeed feed;
        PlatformTestGetHostSystemFeed(&feed);
        feed.version = OSVERSIONINFOA{};
        feed.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        feed.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
        feed.version.dwMajorVersion = 6;
        feed.version.dwMinorVersion = 1;
        feed.version.dwBuildNumber = 7601;
        PlatformTestFeedCpu(&feed, "AuthenticAMD", edx, brand);
        feed.hasCpuid = cpuid;
        feed.timeStampHz = 1000000000ull;
        PlatformTestSetSystemFeed(&feed);
    }
};

TEST_F(SystemReport, FeatureLevelsGiveTheirLinesAndFlags) {
    const DWORD tsc = 1u << 4, mmx = 1u << 23, sse = 1u << 25, sse2 = 1u << 26;
    struct Case {
        BOOL cpuid;
        DWORD edx;
        int level, mmx, sse, sse2;
        std::vector<std::string> lines;
    } cases[] = {
        {FALSE, 0, 0, 0, 0, 0, {"ＣＰＵＩＤ命令は使えません"}},
        {TRUE, tsc, 1, 0, 0, 0, {"ＭＭＸは使えません"}},
        {TRUE, tsc | mmx, 3, 1, 0, 0, {"ＭＭＸ命令を使用します"}},
        // MMX and SSE without SSE2: exactly two feature lines.
        {TRUE, tsc | mmx | sse, 4, 1, 1, 0, {"ＭＭＸ命令を使用します", "ＳＳＥ命令が使用可能です"}},
        {TRUE, tsc | mmx | sse | sse2, 5, 1, 1, 1,
         {"ＭＭＸ命令を使用します", "ＳＳＥ命令が使用可能です", "ＳＳＥ２命令が使用可能です"}},
        // SSE2 without MMX counts for nothing.
        {TRUE, sse | sse2, 1, 0, 0, 0, {"ＭＭＸは使えません"}},
    };
    for (const Case &c : cases) {
        StartLogFile();
        Feed(c.cpuid, c.edx, "Fed CPU");
        LogSystemInfo();
        EXPECT_EQ(g_systemInfo.cpuLevel, c.level);
        EXPECT_EQ(IsMmxAvailable(), c.mmx);
        EXPECT_EQ(g_systemInfo.sse, c.sse);
        EXPECT_EQ(g_systemInfo.sse2, c.sse2);
        std::string log = LogBytes();
        int featureLines = 0;
        for (const char *line : {"ＣＰＵＩＤ命令は使えません", "ＭＭＸは使えません", "ＭＭＸ命令を使用します",
                                 "ＳＳＥ命令が使用可能です", "ＳＳＥ２命令が使用可能です"})
            if (log.find(line) != std::string::npos) ++featureLines;
        EXPECT_EQ(featureLines, static_cast<int>(c.lines.size())) << c.edx;
        for (const std::string &line : c.lines) EXPECT_NE(log.find("\t" + line + "\r\n"), std::string::npos) << line;
        EXPECT_EQ(log.find("ＣＰＵベンダ：AuthenticAMD\r\n") != std::string::npos, c.level >= 1);
        EXPECT_EQ(log.find("ＣＰＵ名：Fed CPU\r\n") != std::string::npos, c.level >= 1);
    }
}

TEST_F(SystemReport, PlatformLineCounterRateAndTimerPeriod) {
    Feed(TRUE, (1u << 4) | (1u << 23), "");
    LogSystemInfo();
    std::string log = LogBytes();
    EXPECT_NE(log.find("\tＯＳ  Windows7 ( Build 7601  )\r\n"), std::string::npos);
    EXPECT_EQ(g_systemInfo.osCode, 0x109);
    EXPECT_EQ(log.find("ＣＰＵ名"), std::string::npos);   // no brand leaves
    // 100 ms of the fed 1 GHz counter, about: the clock steps as the wait reads it.
    EXPECT_NEAR(static_cast<double>(g_systemInfo.counterRate), 1e9, 2e7);
    EXPECT_TRUE(GetClockState()->timeStampCounterPresent);
    EXPECT_EQ(GetClockState()->timeStampRate, g_systemInfo.counterRate);
    EXPECT_NE(log.find("ＣＰＵ動作速度：大体1.0"), std::string::npos);
    EXPECT_EQ(PlatformTestTimePeriodBalance(), 1);
    EndSystemTimePeriod();
    EXPECT_EQ(PlatformTestTimePeriodBalance(), 0);
}

// The counter-rate wait straddles the 31-bit wrap of the millisecond count: it still ends
// after 100 ms (a child process, so that a hang fails after ten real seconds).
TEST_F(SystemReport, CounterRateWaitEndsAcrossTheMillisecondWrap) {
    Feed(TRUE, (1u << 4) | (1u << 23), "");
    PlatformTestSetFakeClockMs(0x80000000ull - 50);
    EXPECT_EXIT(
        {
            std::thread([] {
                sleep(10);
                std::_Exit(3);
            }).detach();
            LogSystemInfo();
            const double rate = static_cast<double>(g_systemInfo.counterRate);
            std::_Exit(rate > 0.98e9 && rate < 1.02e9 ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
