// Screens: the draw target and its area, clearing, showing a frame, copying the screen into
// a graph, the screen-mode change and the rebuild after a lost device.
#pragma once

#include <cstdint>

enum : int32_t {
    BACK_PAGE = -2,   // the back screen
    FRONT_PAGE = -4,  // the front screen
};

struct SCREENSTATE {
    int32_t requested[4];   // the draw area as last asked for, before ordering and clamping
    int32_t deviceLost;     // a present failed: the next frame show rebuilds the device
    int32_t frontTimerArmed;
};
extern SCREENSTATE g_screenState;

int SetDrawTarget(int handle);
int GetDrawTarget();
int SetDrawClipRect(int x1, int y1, int x2, int y2);
int ClearDrawTarget();
int ClearScreen();
int PresentBackScreen();
int ShowFrame();
int UseSubBackBuffer();
int GetDrawScreenGraph(int x1, int y1, int x2, int y2, int graph);
int GetGraphExtent(int handle, int *width, int *height);
int SetRestoreCallback(void (*callback)());
int HasRestoreCallback();
int RecoverLostDevice();
int ChangeScreenMode(int width, int height, int bits, int force, int refresh);
