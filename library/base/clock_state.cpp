#include "library/base/clock_state.h"

namespace {

CLOCKSTATE g_clock;

}  // namespace

const CLOCKSTATE *GetClockState() { return &g_clock; }

void SetPerformanceCounterSource(int present, ULONGLONG frequency) {
    g_clock.performanceCounterPresent = present ? 1 : 0;
    g_clock.performanceFrequency = frequency;
}

void SetTimeStampCounterSource(int present, ULONGLONG ticksPerSecond) {
    g_clock.timeStampCounterPresent = present ? 1 : 0;
    g_clock.timeStampRate = ticksPerSecond;
}

void SetClockLibraryInitialised(int initialised) { g_clock.libraryInitialised = initialised ? 1 : 0; }

void ResetClockState() { g_clock = CLOCKSTATE{}; }
