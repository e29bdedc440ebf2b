// Millisecond timer, performance counter, local time and FILETIME conversions.
#include "platform/kernel32/clock.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <atomic>
#include <ctime>
#include <mutex>

namespace platform {
namespace {

struct TimeState {
    std::atomic<bool> fakeOn{false};
    std::atomic<uint64_t> fakeNs{0};
    std::atomic<uint64_t> autoStepNs{0};
    std::atomic<int> periodBalance{0};
    std::mutex localLock;
    bool fixedLocalTime = false;
    SYSTEMTIME localTime{};
    bool fixedUtcOffset = false;
    LONG utcOffsetMinutes = 0;
};

TimeState g_time;

constexpr uint64_t kNsPerMs = 1000000;
constexpr int64_t kTicksPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;

uint64_t HostMonotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t *y, unsigned *m, unsigned *d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

LONG HostUtcOffsetMinutes()
{
    time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    return static_cast<LONG>(local.tm_gmtoff / 60);
}

}  // namespace

uint64_t ClockNanoseconds()
{
    if (g_time.fakeOn.load())
        return g_time.fakeNs.load();
    return HostMonotonicNs();
}

bool FakeClockOn() { return g_time.fakeOn.load(); }

void AdvanceFakeClock(uint64_t ns) { g_time.fakeNs.fetch_add(ns); }

void FakeClockNap()
{
    // 0.1 ms: polling loops stay fast, yet a worker they wait for gets the processor
    // even on a loaded machine, where a bare yield may return at once.
    timespec nap{0, 100000};
    nanosleep(&nap, nullptr);
}

}  // namespace platform

using namespace platform;

DWORD timeGetTime()
{
    if (g_time.fakeOn.load()) {
        uint64_t step = g_time.autoStepNs.load();
        uint64_t now = step ? g_time.fakeNs.fetch_add(step) : g_time.fakeNs.load();
        return static_cast<DWORD>(now / kNsPerMs);
    }
    return static_cast<DWORD>(HostMonotonicNs() / kNsPerMs);
}

UINT timeGetDevCaps(TIMECAPS *caps, UINT size)
{
    if (!caps || size < sizeof(TIMECAPS))
        return TIMERR_NOCANDO;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

// The host timer is already fine-grained: the periods are only counted.
UINT timeBeginPeriod(UINT period)
{
    if (period == 0)
        return TIMERR_NOCANDO;
    g_time.periodBalance.fetch_add(1);
    return TIMERR_NOERROR;
}

UINT timeEndPeriod(UINT period)
{
    if (period == 0)
        return TIMERR_NOCANDO;
    g_time.periodBalance.fetch_sub(1);
    return TIMERR_NOERROR;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER *frequency)
{
    if (!frequency)
        return FALSE;
    frequency->QuadPart = 1000000000LL;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER *count)
{
    if (!count)
        return FALSE;
    count->QuadPart = static_cast<LONGLONG>(ClockNanoseconds());
    return TRUE;
}

void GetLocalTime(SYSTEMTIME *out)
{
    if (!out)
        return;
    {
        std::lock_guard<std::mutex> guard(g_time.localLock);
        if (g_time.fixedLocalTime) {
            *out = g_time.localTime;
            return;
        }
    }
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local;
    localtime_r(&ts.tv_sec, &local);
    out->wYear = static_cast<WORD>(local.tm_year + 1900);
    out->wMonth = static_cast<WORD>(local.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    out->wDay = static_cast<WORD>(local.tm_mday);
    out->wHour = static_cast<WORD>(local.tm_hour);
    out->wMinute = static_cast<WORD>(local.tm_min);
    out->wSecond = static_cast<WORD>(local.tm_sec);
    out->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}

BOOL FileTimeToLocalFileTime(const FILETIME *fileTime, FILETIME *localTime)
{
    if (!fileTime || !localTime)
        return FALSE;
    LONG offset;
    {
        std::lock_guard<std::mutex> guard(g_time.localLock);
        offset = g_time.fixedUtcOffset ? g_time.utcOffsetMinutes : HostUtcOffsetMinutes();
    }
    uint64_t ticks = (static_cast<uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    int64_t shift = static_cast<int64_t>(offset) * 60 * kTicksPerSecond;
    if (shift < 0 && ticks < static_cast<uint64_t>(-shift))
        return FALSE;
    ticks += static_cast<uint64_t>(shift);
    localTime->dwLowDateTime = static_cast<DWORD>(ticks);
    localTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME *fileTime, SYSTEMTIME *systemTime)
{
    if (!fileTime || !systemTime)
        return FALSE;
    uint64_t ticks = (static_cast<uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
    if (ticks > 0x7FFFFFFFFFFFFFFFull)
        return FALSE;
    int64_t seconds = static_cast<int64_t>(ticks / kTicksPerSecond);
    int64_t days = seconds / 86400 - kEpochDifference / 86400;
    int64_t rest = seconds % 86400;
    int64_t year;
    unsigned month, day;
    CivilFromDays(days, &year, &month, &day);
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month);
    systemTime->wDay = static_cast<WORD>(day);
    // 1970-01-01 was a Thursday.
    systemTime->wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);
    systemTime->wHour = static_cast<WORD>(rest / 3600);
    systemTime->wMinute = static_cast<WORD>(rest / 60 % 60);
    systemTime->wSecond = static_cast<WORD>(rest % 60);
    systemTime->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME *st, FILETIME *fileTime)
{
    if (!st || !fileTime)
        return FALSE;
    if (st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
        st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 ||
        st->wSecond > 59 || st->wMilliseconds > 999)
        return FALSE;
    int64_t days = DaysFromCivil(st->wYear, st->wMonth, st->wDay) + kEpochDifference / 86400;
    int64_t seconds = days * 86400 + st->wHour * 3600 + st->wMinute * 60 + st->wSecond;
    uint64_t ticks = static_cast<uint64_t>(seconds) * kTicksPerSecond + st->wMilliseconds * 10000ull;
    fileTime->dwLowDateTime = static_cast<DWORD>(ticks);
    fileTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return TRUE;
}

// ---- test controls ----

void PlatformTestUseFakeClock(bool on)
{
    if (on && !g_time.fakeOn.load())
        g_time.fakeNs.store(HostMonotonicNs());
    g_time.autoStepNs.store(0);
    g_time.fakeOn.store(on);
}

void PlatformTestSetFakeClockMs(ULONGLONG ms) { g_time.fakeNs.store(ms * kNsPerMs); }

void PlatformTestAdvanceFakeClockMs(ULONGLONG ms) { g_time.fakeNs.fetch_add(ms * kNsPerMs); }

ULONGLONG PlatformTestFakeClockMs() { return g_time.fakeNs.load() / kNsPerMs; }

void PlatformTestSetFakeClockAutoStepMs(DWORD ms) { g_time.autoStepNs.store(ms * kNsPerMs); }

void PlatformTestSetLocalTime(const SYSTEMTIME *time)
{
    std::lock_guard<std::mutex> guard(g_time.localLock);
    g_time.fixedLocalTime = time != nullptr;
    if (time)
        g_time.localTime = *time;
}

void PlatformTestSetUtcOffset(bool fixed, LONG minutes)
{
    std::lock_guard<std::mutex> guard(g_time.localLock);
    g_time.fixedUtcOffset = fixed;
    g_time.utcOffsetMinutes = minutes;
}

int PlatformTestTimePeriodBalance() { return g_time.periodBalance.load(); }

void PlatformTestResetTime()
{
    PlatformTestUseFakeClock(false);
    PlatformTestSetLocalTime(nullptr);
    PlatformTestSetUtcOffset(false, 0);
    g_time.periodBalance.store(0);
}
