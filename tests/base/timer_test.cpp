#include "library/base/timer.h"

#include <gtest/gtest.h>

#include <string>

#include "library/base/clock_state.h"
#include "platform/testing.h"

namespace {

class Timer : public ::testing::Test {
protected:
    void SetUp() override {
        ResetClockState();
        PlatformTestUseFakeClock(true);
    }
    void TearDown() override {
        PlatformTestSetSystemFeed(nullptr);
        PlatformTestResetTime();
        ResetClockState();
    }
};

TEST_F(Timer, MillisecondCountIsNeverNegative) {
    struct Row {
        ULONGLONG clockMs;
        int count;
    } rows[] = {
        {5, 5}, {0x7FFFFFFFull, 0x7FFFFFFF}, {0x80000005ull, 5}, {0xFFFFFFFFull, 0x7FFFFFFF}, {0x100000003ull, 3},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE("clock " + std::to_string(r.clockMs));
        PlatformTestSetFakeClockMs(r.clockMs);
        EXPECT_EQ(GetMillisecondCount(), r.count);
    }
}

TEST_F(Timer, MicrosecondsFromTheMillisecondTimerStepByAThousand) {
    PlatformTestSetFakeClockMs(1234);
    EXPECT_EQ(GetMicrosecondCount(0), 1234000u);
    EXPECT_EQ(GetMicrosecondCount(1), 1234000u);  // no time-stamp counter chosen
    PlatformTestAdvanceFakeClockMs(1);
    EXPECT_EQ(GetMicrosecondCount(0), 1235000u);
    // A counter flagged present without a frequency is not divided by.
    SetPerformanceCounterSource(1, 0);
    EXPECT_EQ(GetMicrosecondCount(0), 1235000u);
}

TEST_F(Timer, MicrosecondsFromThePerformanceCounter) {
    // The stand-in's counter counts nanoseconds of its clock; the frequency start-up stored
    // decides the scale, so a chosen frequency checks the 128-bit path against the naive one.
    struct Row {
        ULONGLONG clockMs, frequency;
    } rows[] = {
        {1234, 1000000000ull}, {1, 3579545ull}, {86400000ull, 3579545ull},
        // count x 1,000,000 no longer fits in 64 bits here.
        {1000000000000ull, 1000000000ull}, {1000000000000ull, 3579545ull},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE("clock " + std::to_string(r.clockMs) + " ms, frequency " + std::to_string(r.frequency));
        PlatformTestSetFakeClockMs(r.clockMs);
        SetPerformanceCounterSource(1, r.frequency);
        LARGE_INTEGER count;
        QueryPerformanceCounter(&count);
        const unsigned __int128 expected =
            static_cast<unsigned __int128>(static_cast<ULONGLONG>(count.QuadPart)) * 1000000u / r.frequency;
        EXPECT_EQ(GetMicrosecondCount(0), static_cast<ULONGLONG>(expected));
    }
    // The window's timer test can clear the flag again.
    PlatformTestSetFakeClockMs(77);
    SetPerformanceCounterSource(0, 1000000000ull);
    EXPECT_EQ(GetMicrosecondCount(0), 77000u);
}

TEST_F(Timer, TimeStampCounterOnlyWhenAskedAndInitialised) {
    PlatformSystemFeed feed;
    PlatformTestGetHostSystemFeed(&feed);
    feed.timeStampHz = 2500000000ull;
    PlatformTestSetSystemFeed(&feed);
    PlatformTestSetFakeClockMs(5000);
    SetPerformanceCounterSource(0, 0);
    SetTimeStampCounterSource(1, 1250000000ull);  // half the true rate: doubles the count

    struct Row {
        int argument, initialised;
        ULONGLONG expected;
    } rows[] = {{1, 1, 10000000u}, {0, 1, 5000000u}, {1, 0, 5000000u}, {2, 1, 5000000u}};
    for (const Row &r : rows) {
        SCOPED_TRACE("argument " + std::to_string(r.argument) + " initialised " + std::to_string(r.initialised));
        SetClockLibraryInitialised(r.initialised);
        const ULONGLONG stamp = PlatformReadTimeStamp();
        const ULONGLONG us = GetMicrosecondCount(r.argument);
        if (r.argument == 1 && r.initialised) {
            EXPECT_EQ(us, static_cast<ULONGLONG>(static_cast<unsigned __int128>(stamp) * 1000000u / 1250000000ull));
        }
        EXPECT_NEAR(static_cast<double>(us), static_cast<double>(r.expected), 1.0);
    }
    // A rate of 0 leaves the counter unused.
    SetClockLibraryInitialised(1);
    SetTimeStampCounterSource(1, 0);
    EXPECT_EQ(GetMicrosecondCount(1), 5000000u);
}

TEST_F(Timer, FileTimeToLocalDateRec) {
    // 2001-02-03 04:05:06 UTC.
    const ULONGLONG ticks = 126256467060000000ull;
    const FILETIME fileTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    struct Row {
        LONG offsetMinutes;
        DATEREC expected;
    } rows[] = {
        {0, {2001, 2, 3, 4, 5, 6}},
        {540, {2001, 2, 3, 13, 5, 6}},
        {-300, {2001, 2, 2, 23, 5, 6}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE("offset " + std::to_string(r.offsetMinutes));
        PlatformTestSetUtcOffset(true, r.offsetMinutes);
        DATEREC date{};
        EXPECT_EQ(FileTimeToDateRec(&fileTime, &date), 0);
        EXPECT_EQ(date.year, r.expected.year);
        EXPECT_EQ(date.month, r.expected.month);
        EXPECT_EQ(date.day, r.expected.day);
        EXPECT_EQ(date.hour, r.expected.hour);
        EXPECT_EQ(date.minute, r.expected.minute);
        EXPECT_EQ(date.second, r.expected.second);
    }
    // A time the platform cannot convert leaves the record as it was.
    PlatformTestSetUtcOffset(true, 0);
    const FILETIME broken{0xFFFFFFFFu, 0xFFFFFFFFu};
    DATEREC date{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(FileTimeToDateRec(&broken, &date), -1);
    EXPECT_EQ(date.year, 1);
    EXPECT_EQ(date.second, 6);
}

TEST_F(Timer, LocalDateTime) {
    const SYSTEMTIME now{2026, 12, 3, 9, 23, 59, 58, 999};
    PlatformTestSetLocalTime(&now);
    DATEREC date{};
    EXPECT_EQ(GetLocalDateTime(&date), 0);
    EXPECT_EQ(date.year, 2026);
    EXPECT_EQ(date.month, 12);
    EXPECT_EQ(date.day, 9);
    EXPECT_EQ(date.hour, 23);
    EXPECT_EQ(date.minute, 59);
    EXPECT_EQ(date.second, 58);
}

}  // namespace
