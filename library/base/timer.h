// The library's clocks: a 31-bit millisecond count for frame timing, a 64-bit microsecond count
// from the best source start-up chose (see clock_state.h), and the local date and time.
#pragma once

#include "platform/kernel32/kernel32.h"

// year, month (1-12), day, hour, minute, second.
struct DATEREC {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};

// timeGetTime without its top bit: never negative, wraps after about 24.8 days.
int GetMillisecondCount();
// Milliseconds from one GetMillisecondCount read to a later one, also across the wrap.
inline uint32_t ElapsedMs(int from, int to) { return ((uint32_t)to - (uint32_t)from) & 0x7FFFFFFFu; }
// With useTimeStampCounter 1, while the library is initialised and a time-stamp counter with a
// known rate is present: counter x 1,000,000 / rate. Else, with the performance counter:
// counter x 1,000,000 / frequency. Else timeGetTime x 1,000. Products are formed in 128 bits.
ULONGLONG GetMicrosecondCount(int useTimeStampCounter);
// The local date and time; 0.
int GetLocalDateTime(DATEREC *out);
// A file time (UTC) as local date and time; 0, or -1 (out untouched) when it cannot be converted.
int FileTimeToDateRec(const FILETIME *fileTime, DATEREC *out);
