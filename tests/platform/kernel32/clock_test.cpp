// The fake clock with Sleep and timed waits, counters, local time and FILETIME.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

namespace {

class FakeClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        PlatformTestUseFakeClock(true);
        PlatformTestSetFakeClockMs(5000);
    }
    void TearDown() override { PlatformTestResetTime(); }
};

TEST_F(FakeClock, SleepAdvancesTimeGetTimeAndTheCounterTogether)
{
    LARGE_INTEGER before, after, frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000000LL);
    QueryPerformanceCounter(&before);
    EXPECT_EQ(timeGetTime(), 5000u);
    Sleep(250);
    EXPECT_EQ(timeGetTime(), 5250u);
    QueryPerformanceCounter(&after);
    EXPECT_EQ(after.QuadPart - before.QuadPart, 250000000LL);
    EXPECT_EQ(timeGetTime(), 5250u);  // reading does not move it
}

TEST_F(FakeClock, TimedWaitTimesOutAtOnceAndAdvancesByItsTimeOut)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
    EXPECT_EQ(timeGetTime(), 5100u);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_EQ(timeGetTime(), 5100u);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_OBJECT_0);
    EXPECT_EQ(timeGetTime(), 5100u);
    CloseHandle(event);
}

TEST_F(FakeClock, TopBitAndAutoStep)
{
    PlatformTestSetFakeClockMs(0x80000005ull);
    EXPECT_EQ(timeGetTime(), 0x80000005u);
    // A busy-wait on the millisecond timer ends with the auto-step.
    PlatformTestSetFakeClockAutoStepMs(1);
    DWORD start = timeGetTime();
    int reads = 0;
    while (timeGetTime() - start < 100)
        ++reads;
    EXPECT_EQ(reads, 99);
}

TEST(RealClock, TimedWaitReallyTimesOut)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD start = timeGetTime();
    EXPECT_EQ(WaitForSingleObject(event, 20), WAIT_TIMEOUT);
    EXPECT_GE(timeGetTime() - start, 19u);
    CloseHandle(event);
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    QueryPerformanceCounter(&b);
    EXPECT_GE(b.QuadPart, a.QuadPart);
}

TEST(TimerPeriods, CapsAndBalance)
{
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    int base = PlatformTestTimePeriodBalance();
    timeBeginPeriod(caps.wPeriodMin);
    timeBeginPeriod(caps.wPeriodMin);
    timeEndPeriod(caps.wPeriodMin);
    EXPECT_EQ(PlatformTestTimePeriodBalance(), base + 1);
    timeEndPeriod(caps.wPeriodMin);
}

TEST(FileTimes, KnownDatesBothWays)
{
    struct Case {
        ULONGLONG ticks;
        SYSTEMTIME time;  // year, month, weekday, day, hour, minute, second, ms
    } cases[] = {
        {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {116444736000000000ull, {1970, 1, 4, 1, 0, 0, 0, 0}},
        // 2000-02-29 12:34:56.789, a Tuesday
        {125963012967890000ull, {2000, 2, 2, 29, 12, 34, 56, 789}},
    };
    for (const Case &c : cases) {
        FILETIME ft{static_cast<DWORD>(c.ticks), static_cast<DWORD>(c.ticks >> 32)};
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        EXPECT_EQ(st.wYear, c.time.wYear);
        EXPECT_EQ(st.wMonth, c.time.wMonth);
        EXPECT_EQ(st.wDayOfWeek, c.time.wDayOfWeek);
        EXPECT_EQ(st.wDay, c.time.wDay);
        EXPECT_EQ(st.wHour, c.time.wHour);
        EXPECT_EQ(st.wMinute, c.time.wMinute);
        EXPECT_EQ(st.wSecond, c.time.wSecond);
        EXPECT_EQ(st.wMilliseconds, c.time.wMilliseconds);
        FILETIME back{};
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &back));
        EXPECT_EQ(back.dwLowDateTime, ft.dwLowDateTime);
        EXPECT_EQ(back.dwHighDateTime, ft.dwHighDateTime);
    }
    SYSTEMTIME bad{2001, 2, 0, 29, 0, 0, 0, 0};
    FILETIME out;
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &out));
}

TEST(FileTimes, LocalOffsetAndFixedLocalTime)
{
    PlatformTestSetUtcOffset(true, 9 * 60);
    FILETIME utc{0, 0}, local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    SYSTEMTIME st{};
    FileTimeToSystemTime(&local, &st);
    EXPECT_EQ(st.wHour, 9);
    SYSTEMTIME fixed{2026, 12, 4, 10, 1, 2, 3, 4};
    PlatformTestSetLocalTime(&fixed);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2026);
    EXPECT_EQ(now.wSecond, 3);
    PlatformTestResetTime();
    GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2020);
}

}  // namespace
