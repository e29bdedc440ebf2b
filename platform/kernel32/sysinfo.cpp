// System facts (version, memory, code page, processor) behind a feed tests can replace.
#include "platform/kernel32/clock.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <sys/sysinfo.h>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define PLATFORM_HAS_X86 1
#else
#define PLATFORM_HAS_X86 0
#endif

namespace {

struct SystemState {
    std::mutex lock;
    bool fed = false;
    PlatformSystemFeed feed{};
};
SystemState g_system;
char g_moduleHandle;

// The version we report: Windows 7 SP1, the newest row the library knows.
void HostVersion(OSVERSIONINFOA *info)
{
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 7601;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strcpy(info->szCSDVersion, "Service Pack 1");
}

void HostCpuid(DWORD leaf, CPUID_RESULT *out)
{
#if PLATFORM_HAS_X86
    unsigned a, b, c, d;
    __cpuid_count(leaf, 0, a, b, c, d);
    *out = {a, b, c, d};
#else
    (void)leaf;
    *out = {};
#endif
}

bool Fed(PlatformSystemFeed *copy)
{
    std::lock_guard<std::mutex> guard(g_system.lock);
    if (g_system.fed)
        *copy = g_system.feed;
    return g_system.fed;
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA *info)
{
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA))
        return FALSE;
    PlatformSystemFeed feed;
    if (Fed(&feed)) {
        DWORD size = info->dwOSVersionInfoSize;
        *info = feed.version;
        info->dwOSVersionInfoSize = size;
    } else {
        HostVersion(info);
    }
    return TRUE;
}

void GlobalMemoryStatus(MEMORYSTATUS *status)
{
    if (!status)
        return;
    PlatformSystemFeed feed;
    size_t total, avail, swapTotal = 0, swapFree = 0;
    if (Fed(&feed)) {
        total = feed.totalPhys;
        avail = feed.availPhys;
    } else {
        struct sysinfo si;
        if (sysinfo(&si) != 0)
            std::memset(&si, 0, sizeof si);
        total = static_cast<size_t>(si.totalram) * si.mem_unit;
        avail = static_cast<size_t>(si.freeram + si.bufferram) * si.mem_unit;
        swapTotal = static_cast<size_t>(si.totalswap) * si.mem_unit;
        swapFree = static_cast<size_t>(si.freeswap) * si.mem_unit;
    }
    status->dwLength = sizeof(MEMORYSTATUS);
    status->dwMemoryLoad = total ? static_cast<DWORD>(100 - avail * 100.0 / total) : 0;
    status->dwTotalPhys = total;
    status->dwAvailPhys = avail;
    status->dwTotalPageFile = total + swapTotal;
    status->dwAvailPageFile = avail + swapFree;
    // The user half of a 32-bit address space, as the library was sized for.
    status->dwTotalVirtual = 0x7FFE0000u;
    status->dwAvailVirtual = 0x7FFE0000u;
}

UINT GetOEMCP()
{
    PlatformSystemFeed feed;
    return Fed(&feed) ? feed.oemCodePage : 932u;
}

HMODULE GetModuleHandleA(LPCSTR name)
{
    // Only the program itself is a module here.
    return name ? nullptr : reinterpret_cast<HMODULE>(&g_moduleHandle);
}

BOOL PlatformHasCpuid()
{
    PlatformSystemFeed feed;
    if (Fed(&feed))
        return feed.hasCpuid;
    return PLATFORM_HAS_X86 ? TRUE : FALSE;
}

void PlatformCpuid(DWORD leaf, CPUID_RESULT *out)
{
    if (!out)
        return;
    PlatformSystemFeed feed;
    if (!Fed(&feed)) {
        HostCpuid(leaf, out);
        return;
    }
    *out = {};
    for (int i = 0; i < feed.cpuidLeafCount && i < PlatformSystemFeed::kMaxLeaves; ++i)
        if (feed.cpuidLeaves[i].leaf == leaf)
            *out = feed.cpuidLeaves[i].regs;
}

ULONGLONG PlatformReadTimeStamp()
{
    PlatformSystemFeed feed;
    if (Fed(&feed) && feed.timeStampHz) {
        // Derived from the stand-in's clock, so that it follows the fake clock.
        unsigned __int128 ticks = static_cast<unsigned __int128>(platform::ClockNanoseconds()) * feed.timeStampHz;
        return static_cast<ULONGLONG>(ticks / 1000000000u);
    }
#if PLATFORM_HAS_X86
    return __rdtsc();
#else
    return platform::ClockNanoseconds();
#endif
}

// ---- test controls ----

void PlatformTestGetHostSystemFeed(PlatformSystemFeed *feed)
{
    if (!feed)
        return;
    *feed = PlatformSystemFeed{};
    feed->version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    HostVersion(&feed->version);
    struct sysinfo si;
    if (sysinfo(&si) == 0) {
        feed->totalPhys = static_cast<size_t>(si.totalram) * si.mem_unit;
        feed->availPhys = static_cast<size_t>(si.freeram + si.bufferram) * si.mem_unit;
    }
    feed->oemCodePage = 932;
    feed->hasCpuid = PLATFORM_HAS_X86 ? TRUE : FALSE;
    static const DWORD leaves[] = {0, 1, 0x80000000u, 0x80000002u, 0x80000003u, 0x80000004u};
    for (DWORD leaf : leaves) {
        feed->cpuidLeaves[feed->cpuidLeafCount].leaf = leaf;
        HostCpuid(leaf, &feed->cpuidLeaves[feed->cpuidLeafCount].regs);
        ++feed->cpuidLeafCount;
    }
    feed->timeStampHz = 0;
}

void PlatformTestSetSystemFeed(const PlatformSystemFeed *feed)
{
    std::lock_guard<std::mutex> guard(g_system.lock);
    g_system.fed = feed != nullptr;
    if (feed)
        g_system.feed = *feed;
}

void PlatformTestFeedCpu(PlatformSystemFeed *feed, const char *vendor, DWORD leaf1Edx, const char *brand)
{
    if (!feed)
        return;
    feed->hasCpuid = TRUE;
    feed->cpuidLeafCount = 0;
    auto add = [feed](DWORD leaf, CPUID_RESULT regs) {
        feed->cpuidLeaves[feed->cpuidLeafCount++] = {leaf, regs};
    };
    char v[12] = {};
    if (vendor)
        std::memcpy(v, vendor, std::min<size_t>(std::strlen(vendor), 12));
    CPUID_RESULT leaf0{1, 0, 0, 0};
    std::memcpy(&leaf0.ebx, v, 4);  // vendor order: EBX, EDX, ECX
    std::memcpy(&leaf0.edx, v + 4, 4);
    std::memcpy(&leaf0.ecx, v + 8, 4);
    add(0, leaf0);
    add(1, CPUID_RESULT{0, 0, 0, leaf1Edx});
    if (brand && *brand) {
        add(0x80000000u, CPUID_RESULT{0x80000004u, 0, 0, 0});
        char b[48] = {};
        std::memcpy(b, brand, std::min<size_t>(std::strlen(brand), 47));
        for (int i = 0; i < 3; ++i) {
            CPUID_RESULT r;
            std::memcpy(&r, b + 16 * i, 16);
            add(0x80000002u + i, r);
        }
    } else {
        add(0x80000000u, CPUID_RESULT{0x80000000u, 0, 0, 0});
    }
}
