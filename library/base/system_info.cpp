// The system report: library banner, platform, processor features and speed.
#include "library/base/system_info.h"

#include "library/base/clock_state.h"
#include "library/base/log.h"
#include "library/base/timer.h"
#include "platform/kernel32/kernel32.h"

#include <cstdio>
#include <cstring>

SYSTEMINFO g_systemInfo;

namespace {

struct OsRow {
    const char *text;
    int code;
};

// The platform's name and code from its version report.
OsRow OsName(const OSVERSIONINFOA &v, char *text, size_t size) {
    OsRow row{"", 0};
    char sp = v.szCSDVersion[0];
    switch (v.dwPlatformId) {
    case VER_PLATFORM_WIN32s: row = {"3.1", 0}; break;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (v.dwMinorVersion == 0) row = {sp == 'C' ? "95OSR2" : "95", 1};
        else if (v.dwMinorVersion == 10) row = {sp == 'A' ? "98SE" : "98", 2};
        else if (v.dwMinorVersion == 90) row = {"Me", 3};
        break;
    case VER_PLATFORM_WIN32_NT:
        if (v.dwMajorVersion == 3) row = {"NT 3.51", 0x104};
        else if (v.dwMajorVersion == 4) row = {"4.0", 0x105};
        else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) row = {"2000", 0x106};
        else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) row = {"XP", 0x107};
        else if (v.dwMajorVersion == 6 && v.dwMinorVersion == 0) row = {"Vista", 0x108};
        else if (v.dwMajorVersion == 6 && v.dwMinorVersion == 1) row = {"7", 0x109};
        break;
    default: break;
    }
    std::snprintf(text, size, "Windows%s", row.text);
    return row;
}

void CopyRegister(char *out, DWORD value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void ProbeProcessor(SYSTEMINFO &info) {
    if (!PlatformHasCpuid()) {
        info.cpuLevel = 0;
        return;
    }
    info.cpuLevel = 1;
    CPUID_RESULT r;
    PlatformCpuid(0, &r);
    CopyRegister(info.vendor, r.ebx);
    CopyRegister(info.vendor + 4, r.edx);
    CopyRegister(info.vendor + 8, r.ecx);
    info.vendor[12] = 0;
    PlatformCpuid(1, &r);
    DWORD features = r.edx;
    info.timeStampCounter = (features >> 4) & 1;
    PlatformCpuid(0x80000000u, &r);
    if (r.eax >= 0x80000004u) {
        for (DWORD leaf = 0; leaf < 3; ++leaf) {
            CPUID_RESULT b;
            PlatformCpuid(0x80000002u + leaf, &b);
            CopyRegister(info.brand + leaf * 16, b.eax);
            CopyRegister(info.brand + leaf * 16 + 4, b.ebx);
            CopyRegister(info.brand + leaf * 16 + 8, b.ecx);
            CopyRegister(info.brand + leaf * 16 + 12, b.edx);
        }
        info.brand[48] = 0;
    }
    if (features & (1u << 23)) {
        info.cpuLevel = 3;
        if (features & (1u << 25)) {
            info.cpuLevel = 4;
            if (features & (1u << 26)) info.cpuLevel = 5;
        }
    }
}

}  // namespace

int LogSystemInfo() {
    SYSTEMINFO &info = g_systemInfo;
    int period = info.timePeriod;
    std::memset(&info, 0, sizeof info);
    info.timePeriod = period;

    WriteLog("システムの情報を出力します\n");
    RaiseLogIndent();
    WriteLogFmt("Ｋｅｌｍｏｒ Ver%s", "3.01");

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    char osText[64];
    OsRow row = OsName(version, osText, sizeof osText);
    info.osCode = row.code;
    WriteLog("ＯＳ  ");
    WriteLogFmt("%s ( Build %d %s )", osText, static_cast<int>(version.dwBuildNumber), version.szCSDVersion);

    TIMECAPS caps;
    if (!info.timePeriod && timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR &&
        timeBeginPeriod(caps.wPeriodMin) == TIMERR_NOERROR)
        info.timePeriod = static_cast<int>(caps.wPeriodMin);

    ProbeProcessor(info);

    if (info.timeStampCounter) {
        ULONGLONG first = PlatformReadTimeStamp();
        int start = GetMillisecondCount();
        while (ElapsedMs(start, GetMillisecondCount()) < 100) {
        }
        ULONGLONG ticks = PlatformReadTimeStamp() - first;
        double mhz = static_cast<double>(static_cast<long long>(static_cast<double>(ticks) / 100000.0));
        info.counterRate = ticks * 10;
        SetTimeStampCounterSource(1, info.counterRate);
        WriteLogFmt("ＣＰＵ動作速度：大体%.2fGHz", mhz / 1000.0);
    }

    switch (info.cpuLevel) {
    case 0: WriteLog("ＣＰＵＩＤ命令は使えません\n"); break;
    case 1: WriteLog("ＭＭＸは使えません\n"); break;
    default:
        WriteLog("ＭＭＸ命令を使用します\n");
        info.mmx = 1;
        if (info.cpuLevel >= 4) {
            WriteLog("ＳＳＥ命令が使用可能です\n");
            info.sse = 1;
        }
        if (info.cpuLevel >= 5) {
            WriteLog("ＳＳＥ２命令が使用可能です\n");
            info.sse2 = 1;
        }
        break;
    }

    if (info.cpuLevel >= 1) {
        WriteLog("ＣＰＵベンダ：");
        char piece[5] = {0};
        for (int i = 0; i < 3; ++i) {
            std::memcpy(piece, info.vendor + 4 * i, 4);
            WriteLog(piece);
        }
        WriteLog("\n");
        if (info.brand[0]) WriteLogFmt("ＣＰＵ名：%s", info.brand);
    }
    LowerLogIndent();
    return 0;
}

int IsMmxAvailable() { return g_systemInfo.mmx; }

void EndSystemTimePeriod() {
    if (!g_systemInfo.timePeriod) return;
    timeEndPeriod(static_cast<UINT>(g_systemInfo.timePeriod));
    g_systemInfo.timePeriod = 0;
}
