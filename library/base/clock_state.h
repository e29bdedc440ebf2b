// The clock sources that start-up chooses and the time routines read. The lifecycle and its
// system report own the choice and call the setters:
//   - SetPerformanceCounterSource after QueryPerformanceFrequency (present when the frequency is
//     not 0), and again with 0 when the window's timer test finds the multimedia timer finer;
//   - SetTimeStampCounterSource after measuring the time-stamp counter's rate (ticks per second);
//   - SetClockLibraryInitialised(1) once start-up has finished, (0) at shut-down: the
//     time-stamp counter is used only while the library is initialised.
// ResetClockState clears everything (shut-down, tests).
#pragma once

#include "platform/windef.h"

struct CLOCKSTATE {
    int libraryInitialised;
    int performanceCounterPresent;
    ULONGLONG performanceFrequency;
    int timeStampCounterPresent;
    ULONGLONG timeStampRate;
};

const CLOCKSTATE *GetClockState();
void SetPerformanceCounterSource(int present, ULONGLONG frequency);
void SetTimeStampCounterSource(int present, ULONGLONG ticksPerSecond);
void SetClockLibraryInitialised(int initialised);
void ResetClockState();
