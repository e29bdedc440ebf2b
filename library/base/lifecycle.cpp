// The library's start-up and shut-down, in their fixed orders, and the three entries.
#include "library/base/api_lock.h"
#include "library/base/arcfile.h"
#include "library/base/clock_state.h"
#include "library/base/ime.h"
#include "library/base/library.h"
#include "library/base/input.h"
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/pump.h"
#include "library/base/sine_table.h"
#include "library/base/component_links.h"
#include "library/base/stream.h"
#include "library/base/system_info.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/screen.h"
#include "library/graphics/screen_log.h"
#include "platform/com/com.h"
#include "platform/gdi32/gdi32.h"
#include "platform/kernel32/kernel32.h"

#include <cstdarg>
#include <cstdio>

LIBSTATE g_library;
SOUNDLINK g_soundLink;
MOVIELINK g_movieLink;
MODELLINK g_modelLink;

namespace {

int DesktopDepth() {
    HDC dc = GetDC(nullptr);
    int depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return depth;
}

// A display mode of the requested screen size (colour depth and rate not compared).
bool DisplayHasScreenSize() {
    int width = g_screenSetup.width > 0 ? g_screenSetup.width : 640;
    int height = g_screenSetup.height > 0 ? g_screenSetup.height : 480;
    bool found = false;
    for (int i = 0, n = CountDisplayModes(); i < n && !found; ++i) {
        DISPLAYMODE mode;
        QueryDisplayMode(&mode, i);
        found = mode.width == width && mode.height == height;
    }
    // Built again when graphics asks; nothing is left behind should start-up stop early.
    FreeDisplayModeList();
    return found;
}

// A failed start-up shuts down what it had started.
int FailStartUp() {
    EndLibrarySystems();
    g_library.initialising = 0;
    return -1;
}

}  // namespace

int StartLibrarySystems() {
    if (g_library.initialised) return 0;
    g_library.initialising = 1;

    if (!IsWindowMode() && !DisplayHasScreenSize()) ChangeWindowMode(1);
    if (g_movieLink.start) g_movieLink.start();
    InitArchiveManager();
    SelectFileFunctions(nullptr);

    // The start directory, where the log file lives.
    char startDir[FILE_DIR_BUFFER];
    if (GetFileFunctions()->GetDir(startDir) != 0) startDir[0] = 0;
    SetLogStartDirectory(startDir);
    StartLogFile();
    g_library.logStarted = 1;

    if ((DesktopDepth() == 24 && IsWindowMode()) || g_screenSetup.bits == 24) {
        WriteLog("Ｋｅｌｍｏｒは２４ビットカラーモードに対応していません\n");
        g_library.initialising = 0;
        return -1;
    }

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    SetPerformanceCounterSource(frequency.QuadPart != 0, static_cast<ULONGLONG>(frequency.QuadPart));

    LogSystemInfo();

    // The two stream-function tables (file streams, memory streams) are constant tables of
    // the file module: nothing to fill here.
    SetRestoreCallback(nullptr);

    if (!g_library.comInitialised) {
        WriteLog("ＣＯＭの初期化... ");
        if (FAILED(CoInitialize(nullptr))) {
            WriteLog("ＣＯＭの初期化に失敗しました\n");
        } else {
            WriteLog("成功しました\n");
            g_library.comInitialised = 1;
        }
    }

    g_library.windowStarted = 1;
    if (CreateMainWindow() == -1) return FailStartUp();

    g_library.inputStarted = 1;
    if (StartDirectInput() == -1) return FailStartUp();
    // A machine without sound still starts.
    if (g_soundLink.start) {
        g_library.soundStarted = 1;
        g_soundLink.start();
    }
    if (StartGraphics() < 0) return FailStartUp();

    WriteLog("文字コードバッファの初期化を行います... ");
    ClearImeState();
    WriteLog("完了しました\n");

    g_library.initialised = 1;
    SetClockLibraryInitialised(1);
    if (!IsWindowMode()) BringWindowToFront(GetMainWindow(), 1);
    SetupScreenLog();
    SetDrawTarget(BACK_PAGE);
    SetDrawTarget(FRONT_PAGE);
    // Filled on every drawing path: the 3x4 rotation makers read it on the software path too.
    InitSineTable();
    g_library.initialising = 0;
    return 0;
}

int EndLibrarySystems() {
    // Also during start-up: then it ends what start-up had begun.
    if (!g_library.initialised && !g_library.initialising) return 0;
    if (g_library.ending) return 0;
    g_library.ending = 1;
    MarkWindowEnding();

    EndScreenLog();
    if (g_modelLink.end) g_modelLink.end();
    ShutdownGraphics();
    if (g_library.inputStarted) {
        g_library.inputStarted = 0;
        ShutdownDirectInput();
    }
    if (g_library.soundStarted) {
        g_library.soundStarted = 0;
        g_soundLink.end();
    }

    bool hadWindow = g_library.windowStarted;
    if (g_library.windowStarted) {
        g_library.windowStarted = 0;
        DestroyMainWindow();
    }
    if (g_library.comInitialised) {
        CoUninitialize();
        WriteLog("ＣＯＭを終了... 完了\n");
        g_library.comInitialised = 0;
    }
    EndSystemTimePeriod();
    g_library.initialised = 0;
    SetClockLibraryInitialised(0);

    if (hadWindow)
        while (PumpWindowMessages() == 0 && !g_window.destroyed) {
        }

    GetFileFunctions()->ChangeDir(GetLogStartDirectory());
    ShutdownArchives();
    DumpMemBlocks();
    g_library.logStarted = 0;
    g_library.ending = 0;
    return 0;
}

int InitLibrary() {
    if (g_library.initialised) return 0;
    LockLibrary();
    int result = StartLibrarySystems();
    UnlockLibrary();
    return result;
}

int EndLibrary() {
    if (!g_library.initialised) return 0;
    LockLibrary();
    int result = EndLibrarySystems();
    UnlockLibrary();
    DeleteLibraryLock();
    return result;
}

int ProcessWindowMessages() {
    LockLibrary();
    int result = PumpWindowMessages();
    UnlockLibrary();
    return result;
}

void ExitWithError(const char *text) {
    WriteLog(text);
    WriteLog("\n");
    EndLibrarySystems();
    DeleteLibraryLock();
    ExitProcess(0xFFFFFFFFu);
}

void ExitWithErrorFmt(const char *format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ExitWithError(text);
}
