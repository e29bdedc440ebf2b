#include "library/base/timer.h"

#include "library/base/clock_state.h"
#include "library/base/strings.h"

namespace {

ULONGLONG ScaleToMicroseconds(ULONGLONG ticks, ULONGLONG ticksPerSecond) {
    UINT128 product;
    MulU64To128(ticks, 1000000u, &product);
    ULONGLONG microseconds = 0;
    DivU128By64(&product, ticksPerSecond, &microseconds);
    return microseconds;
}

void ToDateRec(const SYSTEMTIME &time, DATEREC *out) {
    out->year = time.wYear;
    out->month = time.wMonth;
    out->day = time.wDay;
    out->hour = time.wHour;
    out->minute = time.wMinute;
    out->second = time.wSecond;
}

}  // namespace

// ---- clocks ---------------------------------------------------------------------

int GetMillisecondCount() { return static_cast<int>(timeGetTime() & 0x7FFFFFFFu); }

ULONGLONG GetMicrosecondCount(int useTimeStampCounter) {
    const CLOCKSTATE &clock = *GetClockState();
    // A source without a rate is taken as absent rather than divided by.
    if (useTimeStampCounter == 1 && clock.libraryInitialised && clock.timeStampCounterPresent &&
        clock.timeStampRate != 0) {
        return ScaleToMicroseconds(PlatformReadTimeStamp(), clock.timeStampRate);
    }
    if (clock.performanceCounterPresent && clock.performanceFrequency != 0) {
        LARGE_INTEGER count;
        if (QueryPerformanceCounter(&count)) {
            return ScaleToMicroseconds(static_cast<ULONGLONG>(count.QuadPart), clock.performanceFrequency);
        }
    }
    return static_cast<ULONGLONG>(timeGetTime()) * 1000u;
}

int GetLocalDateTime(DATEREC *out) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    ToDateRec(now, out);
    return 0;
}

int FileTimeToDateRec(const FILETIME *fileTime, DATEREC *out) {
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(fileTime, &local) || !FileTimeToSystemTime(&local, &time)) return -1;
    ToDateRec(time, out);
    return 0;
}
