// The library's one top-level window: its settings, its run-time state, window mode and
// full screen, and the window procedure that turns messages into library state.
#pragma once

#include "platform/user32/user32.h"

// Settings callers make before InitLibrary; they survive window creation.
struct WINDOWSETTINGS {
    int windowMode;          // 1 window mode, 0 full screen (the default)
    char title[256];         // empty: "Kelmor" at creation
    char className[256];     // fixed at the first creation
    int classNameFixed;
    int iconId;              // 0: the standard application icon (32512)
    int styleApplied;        // while set, the window-mode style includes WS_VISIBLE
    double windowScale;      // 0 or less reads as 1.0; nothing in this program changes it
    int backgroundColour;    // 0x00RRGGBB, black
    int bottomAligned;       // the screen is never aligned to the client area's bottom
};

// Run-time state; zeroed by CreateMainWindow except the settings.
struct WINDOWSTATE {
    WINDOWSETTINGS settings;
    HWND window;
    HINSTANCE instance;
    DWORD mainThreadId;
    RECT clientScreenRect;   // window mode: the client area in desktop coordinates
    int desktopWidth, desktopHeight, desktopDepth;
    int active;
    int quit;                // WM_QUIT seen, or creation failed
    int closePosted;         // the library posted WM_CLOSE itself
    int destroyed;           // WM_DESTROY was processed
    int displayChanged;
    int modeChanging;        // ChangeWindowMode is restyling the window
    int painting;
    int creating;            // class registration to the end of CreateMainWindow
    int endState;            // 0 running, 1 the library shuts down, 4 the user closed the window
    int cursorWanted, cursorShown;
    int doubleByteKind;      // 2 when the OEM code page is 949, else 1
    int timePeriod;          // the timer period begun at creation, 0 when none is begun
    int hookFlags[2];        // set by the keyboard-hook module's two messages; read by input
};

extern WINDOWSTATE g_window;

int CreateMainWindow();
int DestroyMainWindow();
int ChangeWindowMode(int windowMode);
int SetMainWindowTitle(const char *title);
int ChangeWindowIcon(int id);

HWND GetMainWindow();
int IsWindowMode();
int IsWindowActive();
int GetQuitFlag();
int IsCloseRequested();
int GetDesktopSize(int *width, int *height, int *colourBits);
double GetWindowScale();
int GetClientScreenRect(RECT *rect);
int GetMousePosition(int *x, int *y);
// 0 hide, 1 show, -1 re-apply the wanted state.
int SetMouseDisplay(int flag);
int BringWindowToFront(HWND window, int topmost);
int FitWindowToScreen();
int ApplyWindowStyle();
int GetWindowBackgroundColour();
int IsWindowBottomAligned();
// The library's shut-down marks the window's end state (1) before it starts.
void MarkWindowEnding();

LRESULT MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The screen size the window is made for: the screen settings of graphics; 640 x 480 while
// graphics is not built.
void GetWindowScreenSize(int *width, int *height);
