// Fed system facts and captured debugger output.
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(SystemFacts, HostDefaults)
{
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info));  // the size field must be filled in
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 7601u);
    EXPECT_EQ(GetOEMCP(), 932u);
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    MEMORYSTATUS memory{};
    GlobalMemoryStatus(&memory);
    EXPECT_GT(memory.dwTotalPhys, 0u);
    EXPECT_LE(memory.dwAvailPhys, memory.dwTotalPhys);
}

TEST(SystemFacts, FedProcessorWithoutSse2)
{
    PlatformSystemFeed feed;
    PlatformTestGetHostSystemFeed(&feed);
    const DWORD tsc = 1u << 4, mmx = 1u << 23, sse = 1u << 25;
    PlatformTestFeedCpu(&feed, "GenuineIntel", tsc | mmx | sse, "Test CPU 1.0GHz");
    feed.timeStampHz = 2000000000ull;
    feed.oemCodePage = 949;
    feed.totalPhys = 512u << 20;
    PlatformTestSetSystemFeed(&feed);
    PlatformTestUseFakeClock(true);

    EXPECT_TRUE(PlatformHasCpuid());
    CPUID_RESULT r;
    PlatformCpuid(0, &r);
    char vendor[13] = {};
    std::memcpy(vendor, &r.ebx, 4);
    std::memcpy(vendor + 4, &r.edx, 4);
    std::memcpy(vendor + 8, &r.ecx, 4);
    EXPECT_STREQ(vendor, "GenuineIntel");
    PlatformCpuid(1, &r);
    EXPECT_EQ(r.edx & (1u << 26), 0u);
    EXPECT_NE(r.edx & sse, 0u);
    PlatformCpuid(0x80000000u, &r);
    EXPECT_GE(r.eax, 0x80000004u);
    char brand[49] = {};
    for (DWORD leaf = 0; leaf < 3; ++leaf) {
        PlatformCpuid(0x80000002u + leaf, &r);
        std::memcpy(brand + 16 * leaf, &r, 16);
    }
    EXPECT_STREQ(brand, "Test CPU 1.0GHz");
    // The counter follows the fake clock at the fed rate.
    ULONGLONG t0 = PlatformReadTimeStamp();
    Sleep(100);
    EXPECT_EQ(PlatformReadTimeStamp() - t0, 200000000ull);
    EXPECT_EQ(GetOEMCP(), 949u);
    MEMORYSTATUS memory{};
    GlobalMemoryStatus(&memory);
    EXPECT_EQ(memory.dwTotalPhys, 512u << 20);

    PlatformTestResetTime();
    PlatformTestSetSystemFeed(nullptr);
    EXPECT_EQ(GetOEMCP(), 932u);
}

TEST(DebugOutput, CapturedTextComesBackOnce)
{
    PlatformTestCaptureDebugOutput(true);
    OutputDebugStringA("\tone ");
    OutputDebugStringA("two\n");
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "\tone two\n");
    EXPECT_EQ(PlatformTestTakeDebugOutput(), "");
    PlatformTestCaptureDebugOutput(false);
}

}  // namespace
