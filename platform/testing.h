// The test control surface of the stand-in layer: clocks, scripted failures, fed
// system facts, captured output and counters. Only tests and test tools include this.
// Each group belongs to the platform folder (and file) named in its heading; the larger
// groups of Direct3D 9 and sound live beside this header in platform/testing/.
#pragma once

#include "platform/gdi32/gdi32.h"
#include "platform/kernel32/kernel32.h"

#include <cstdio>
#include <string>
#include <vector>

// ---- kernel: clock (kernel32/: time, threads, sync) ---------------------------
// While the fake clock is on, timeGetTime and QueryPerformanceCounter read it, Sleep
// advances it instead of sleeping, and a timed wait (neither 0 nor INFINITE) that finds
// its object unsignalled returns WAIT_TIMEOUT at once, advancing it by the time-out.
// Both take a 0.1 ms real nap first, so that polling loops let worker threads progress.
// Turning it on starts it at the current host time; turning it off clears the auto-step.
// Every thread moves it this way, so a background thread that loops on timed waits or
// Sleep makes it race ahead: keep such threads out of tests that read the fake clock.
void PlatformTestUseFakeClock(bool on);
void PlatformTestSetFakeClockMs(ULONGLONG ms);
void PlatformTestAdvanceFakeClockMs(ULONGLONG ms);
ULONGLONG PlatformTestFakeClockMs();
// Each timeGetTime read moves the fake clock on by this much afterwards (0: off), so that
// code busy-waiting on the millisecond timer ends.
void PlatformTestSetFakeClockAutoStepMs(DWORD ms);
// GetLocalTime returns this (null: the host's local time again).
void PlatformTestSetLocalTime(const SYSTEMTIME *time);
// FileTimeToLocalFileTime uses this offset east of UTC instead of the host's zone.
void PlatformTestSetUtcOffset(bool fixed, LONG minutes);
// timeBeginPeriod calls minus timeEndPeriod calls.
int PlatformTestTimePeriodBalance();
// Fake clock off, host local time and zone, period balance 0.
void PlatformTestResetTime();

// ---- kernel: threads (kernel32/threads.cpp) and handles -----------------------------------
// Threads made by CreateThread that have not returned yet.
int PlatformTestLiveThreadCount();
// Handles open now (events, threads, files, searches).
int PlatformTestOpenHandleCount();

// ---- kernel: heap (kernel32/heap.cpp) ------------------------------------------------------
// The next `count` HeapAlloc / HeapReAlloc calls fail (0 clears).
void PlatformTestFailAllocations(int count);
// The next `pass` calls succeed, then `count` fail (a sweep over a routine's allocations).
void PlatformTestFailAllocationsAfter(int pass, int count);
// Blocks handed out by HeapAlloc and not freed yet.
int PlatformTestHeapBlockCount();
// The largest size HeapAlloc / HeapReAlloc were asked for (granted or not) since the last take.
size_t PlatformTestTakeLargestHeapRequest();

// ---- kernel: system facts (kernel32/sysinfo.cpp) ------------------------------------------
struct PlatformSystemFeed {
    OSVERSIONINFOA version;
    size_t totalPhys;
    size_t availPhys;
    UINT oemCodePage;
    BOOL hasCpuid;
    static constexpr int kMaxLeaves = 16;
    int cpuidLeafCount;
    struct Leaf {
        DWORD leaf;
        CPUID_RESULT regs;
    } cpuidLeaves[kMaxLeaves];  // leaves not listed read as zeros
    ULONGLONG timeStampHz;      // non-zero: the time-stamp counter runs at this rate on the stand-in's clock
};
// The host's facts, as a starting point to change one thing.
void PlatformTestGetHostSystemFeed(PlatformSystemFeed *feed);
// Null: the host's facts again.
void PlatformTestSetSystemFeed(const PlatformSystemFeed *feed);
// Replaces the processor leaves: vendor (12 characters), leaf 1 EDX feature bits, brand
// (null or empty: no brand leaves).
void PlatformTestFeedCpu(PlatformSystemFeed *feed, const char *vendor, DWORD leaf1Edx, const char *brand);

// ---- kernel: debugger output (kernel32/debug.cpp) -----------------------------------------
// While capturing, OutputDebugStringA text goes to a buffer instead of standard error.
void PlatformTestCaptureDebugOutput(bool on);
// The captured text so far; the buffer is emptied.
std::string PlatformTestTakeDebugOutput();
// Uncaptured debugger output goes to `terminal` as if its character set were `charset` (an
// iconv name); null, null: standard error in the environment's set again.
void PlatformTestSetDebugTerminal(FILE *terminal, const char *charset);

// ---- kernel: files (kernel32/files.cpp) ------------------------------------------------------
int PlatformTestReadFileCount();
void PlatformTestResetReadFileCount();
// The next `count` WriteFile calls write only half of their bytes and report that (0 clears).
void PlatformTestShortWrites(int count);

// ---- Direct3D 9 (d3d9/): recorded calls, scripted answers, read-back ------------
#include "platform/testing/d3d9.h"

// ---- DirectSound (dsound/): scripted failures, the headless sink, captured mix ---------
#include "platform/testing/sound.h"

// ---- DirectShow (dshow/): test sources, scripted failures, RenderFile calls ------------
#include "platform/testing/dshow.h"

// ---- window manager: windows, messages, desktop, cursor, message boxes, IME
// (user32/, imm32/) -------------------------------------

// Drops every window, class, queue and timer; the desktop back to the host's; the cursor
// counter to 0; no IME; no scripted answers; the call record empty. Puts the headless host
// in place.
void PlatformTestResetWindowManager();
// The virtual desktop (and the display's current mode with it).
void PlatformTestSetDesktop(int width, int height, int depth);
void PlatformTestSetDesktopDepth(int depth);
// The next `count` ChangeDisplaySettingsA calls with a mode fail (0 clears); the call
// record still gets them.
void PlatformTestRefuseDisplayChanges(int count);

// The next MessageBoxA / MessageBoxW returns this instead of asking the host.
void PlatformTestAnswerNextMessageBox(int answer);
struct PlatformTestMessageBox {
    std::string text;      // as passed to MessageBoxA (Shift-JIS); UTF-8 for MessageBoxW
    std::string caption;
    UINT type;
    int answer;
};
std::vector<PlatformTestMessageBox> PlatformTestMessageBoxes();

// As the host would: WM_CLOSE posted to the window (its close button).
void PlatformTestInjectClose(HWND hwnd);
// The window gains (active) or loses the activation; the window procedure gets WM_ACTIVATE
// and WM_ACTIVATEAPP on its own thread (at once, or at that thread's next peek).
void PlatformTestInjectActivation(HWND hwnd, bool active);
// The display changes mode: WM_DISPLAYCHANGE is sent to every window.
void PlatformTestInjectDisplayChange(int depth, int width, int height);
// A mouse message (WM_MOUSEMOVE, WM_LBUTTONDOWN, ...) posted at client (x, y); the cursor
// moves there.
void PlatformTestInjectMouse(HWND hwnd, UINT message, int x, int y, WPARAM keys = 0);
// Any message, sent on the window's thread as the platform would send it.
void PlatformTestSendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

struct PlatformTestWindowInfo {
    bool exists;
    std::string className;
    std::string title;
    DWORD style;
    DWORD exStyle;
    RECT window;        // desktop coordinates
    RECT client;        // desktop coordinates
    bool visible;
    bool minimized;
    bool topmost;
    bool active;
    bool imeEnabled;
};
PlatformTestWindowInfo PlatformTestGetWindow(HWND hwnd);
// Messages waiting in a thread's queue (posted ones and a pending quit).
int PlatformTestQueuedMessageCount(DWORD threadId);

// What was asked of the window manager, one line a call ("ShowWindow 5", ...).
std::vector<std::string> PlatformTestWindowCalls();
void PlatformTestClearWindowCalls();
int PlatformTestCursorCount();
bool PlatformTestCursorSet();           // SetCursor was last given a cursor (not null)
bool PlatformTestScreenSaverActive();

// Scripted failures of the next call.
void PlatformTestFailNextRegisterClass();
void PlatformTestFailNextCreateWindow();

// An input method with canned answers (absent after PlatformTestResetWindowManager).
struct PlatformTestIme {
    std::string composition;       // Shift-JIS
    std::string result;
    LONG cursor;
    std::vector<DWORD> clauses;
    std::vector<std::string> candidates;
    BOOL open;
};
void PlatformTestInstallIme(const PlatformTestIme &ime);

// ---- GDI fonts (gdi32/font.cpp) ------------------------------------------------------
// While on, CreateFontA makes synthetic fonts instead of loading a font file: cell height =
// height (16 for 0 or less), ascent = height - height / 8, widest cell = height. A single-byte
// code is height / 2 wide, a double-byte one height; codes 0x09 and 0x7F are empty glyphs.
void PlatformTestUseSyntheticFonts(bool on);
// The synthetic glyph's pixel at (x, y) of its black box: GGO_GRAY4 level 0-16; GGO_BITMAP
// sets the pixels whose level is 8 or more.
int PlatformTestSyntheticGlyphLevel(UINT code, int x, int y);
// The synthetic glyph's metrics (height as given to CreateFontA).
void PlatformTestSyntheticGlyphMetrics(int height, UINT code, GLYPHMETRICS *metrics);
struct PlatformFontCall {
    int height, weight;
    DWORD italic, charSet;
    std::string face;  // Shift-JIS as passed; empty for none
};
// CreateFontA calls since the last take.
std::vector<PlatformFontCall> PlatformTestTakeFontCalls();
// The next `count` CreateFontA calls fail (0 clears).
void PlatformTestFailCreateFont(int count);
// The next `count` CreateCompatibleDC calls fail.
void PlatformTestFailCreateDC(int count);
// GetGlyphOutlineA fails for this code (0 clears).
void PlatformTestFailGlyphCode(UINT code);
// Fonts and DCs alive now.
int PlatformTestGdiObjectCount();
// File of the face a font renders with ("" for synthetic fonts or a bad handle).
std::string PlatformTestFontFile(HFONT font);

// ---- GDI bitmaps (gdi32/dib.cpp) -------------------------------------------------------
// What SetDIBitsToDevice / StretchDIBits drew into a window's client area, XRGB8888 top row
// first (empty before the first draw).
std::vector<uint32_t> PlatformTestWindowPicture(HWND hwnd, int *width, int *height);
// Bitmap draws on windows since the last reset.
int PlatformTestDibDrawCount();
// Forgets every client picture (PlatformTestResetWindowManager does it too).
void PlatformTestResetDibs();
