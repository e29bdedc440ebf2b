// What a file search reports for each match, from the disk or from an archive.
#pragma once

#include "library/base/timer.h"

#include <cstdint>

struct FILEFINDINFO {
    char name[260];
    int directory;  // 1 for a folder
    uint32_t sizeLow;
    uint32_t sizeHigh;
    DATEREC creationTime;  // local time
    DATEREC writeTime;
};
