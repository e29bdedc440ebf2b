// Screens: the draw target and its area, clearing, showing a frame, copying the screen into
// a graph, the screen-mode change and the rebuild after a lost device.
#pragma once

#include <cstdint>

#include "platform/d3d9/ddraw.h"
#include "platform/windef.h"

enum : int32_t {
    BACK_PAGE = -2,   // the back screen
    FRONT_PAGE = -4,  // the front screen
};

constexpr UINT_PTR kFrontScreenTimer = 0x7FFF;
constexpr UINT kFrontScreenTimerMs = 32;

// What the screen code calls in modules that may be missing from a program: the models.
// A null slot has nothing to do.
struct SCREENLINKS {
    void (*rebuildModelTextures)();
    void (*createModelVertexBuffers)();
};

struct SCREENSTATE {
    int32_t requested[4];   // the draw area as last asked for, before ordering and clamping
    int32_t deviceLost;     // a present failed: the next frame show rebuilds the device
    int32_t frontTimerArmed;
    SCREENLINKS links;
};
extern SCREENSTATE g_screenState;

int SetDrawTarget(int handle);
int GetDrawTarget();
int SetDrawClipRect(int x1, int y1, int x2, int y2);
int ClearDrawTarget();
int ClearScreen();
int PresentBackScreen();
// Software path: waits for the start of the next vertical blank unless one is in progress.
int WaitVerticalBlank();
int ShowFrame();
void FrontScreenTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
int UseSubBackBuffer();
int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph);
int GetGraphExtent(int handle, int *width, int *height);
int SetRestoreCallback(void (*callback)());
int HasRestoreCallback();
int RecoverLostDevice();
int ChangeScreenMode(int width, int height, int bits, int force, int refresh);

// Queries without side effects.
int GetScreenSettings(int *width, int *height, int *bits);
int GetScreenExtent(int *width, int *height);  // 640 x 480 where unset
int GetScreenColourBits();                     // 16 where unset
int IsFullScreen();
int IsHardwareRenderingSelected();
IDirectDraw7 *GetDirectDrawObject();
// Zeroes the caller's 380-byte surface record and returns it.
void *ClearScreenSurfaceInfo(void *record);
void *GetNullSurface();  // always null
