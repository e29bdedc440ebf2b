#include "platform/kernel32/fileinfo.h"
#include "platform/kernel32/kernel32.h"

#include <sys/stat.h>

namespace platform {

DWORD FileAttributesFromMode(unsigned mode)
{
    DWORD attributes = 0;
    if (S_ISDIR(mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

FILETIME FileTimeFromHost(const timespec &time)
{
    // 100 ns ticks since 1601-01-01 UTC; 11644473600 s lie between 1601 and 1970.
    int64_t ticks = (static_cast<int64_t>(time.tv_sec) + 11644473600LL) * 10000000LL + time.tv_nsec / 100;
    if (ticks < 0)
        ticks = 0;
    FILETIME out;
    out.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
    out.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return out;
}

}  // namespace platform
