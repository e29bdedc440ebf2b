// The system report written at start-up, and the processor facts other parts read.
#pragma once

#include "platform/windef.h"

struct SYSTEMINFO {
    int osCode;              // OSCODE: see LogSystemInfo
    int cpuLevel;            // 0 no identification, 1, 3 MMX, 4 SSE, 5 SSE2
    int mmx, sse, sse2;
    int timeStampCounter;
    ULONGLONG counterRate;   // time-stamp ticks per second
    char vendor[13];
    char brand[49];
    int timePeriod;          // the timer period the report began, 0 when none
};

extern SYSTEMINFO g_systemInfo;

int LogSystemInfo();
int IsMmxAvailable();
// Ends the timer period the report began (library shut-down).
void EndSystemTimePeriod();
