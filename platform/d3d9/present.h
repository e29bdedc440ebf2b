// Where presented frames go: the host (SDL2 window or headless) installs a hook; the
// device hands it every presented back buffer as 32-bit XRGB pixels.
#pragma once

#include "platform/windef.h"

#include <cstdint>

struct D3D9PresentedFrame {
    const uint32_t *pixels;  // XRGB8888, top row first
    int width;
    int height;
    int pitchPixels;
    HWND window;     // the window named in Present, else the device window
    RECT source;     // the part of the back buffer to show
    RECT dest;       // where in the window's client area (the host scales)
    bool hasDest;    // false: the whole client area
};

// Returns false when the frame could not be shown (Present then fails).
typedef bool (*D3D9PresentHook)(const D3D9PresentedFrame &frame);
void D3D9SetPresentHook(D3D9PresentHook hook);
