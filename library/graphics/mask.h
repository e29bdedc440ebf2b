// The mask layer: a mask screen to draw through and a table of mask handles. Nothing in this
// program makes a mask screen or a mask handle, so the layer stays empty; these are the calls
// the screen code, the device set-up and the window make on it.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

constexpr int32_t HTYPE_MASK = 8;
constexpr int32_t kMaxMasks = 512;

struct MASKREC {
    int32_t checkCount;
    uint8_t *pixels;
    int32_t inUse;
};

struct MASKSCREEN {
    uint8_t *buffer;  // screen-sized bytes, null while there is no mask screen
    int32_t pitch;
    void *workImage;  // the software renderer's work image
    int32_t workImageMade;
    IDirect3DTexture9 *imageTexture;
    IDirect3DTexture9 *screenTexture;
    IDirect3DSurface9 *screenSurface;
    int32_t made;
    int32_t drawOn;  // drawing goes through the mask
    int32_t active;
    MASKREC masks[kMaxMasks];
};

extern MASKSCREEN g_mask;

int SetMaskDraw(int flag);
int IsMaskDrawOn();
int ReleaseMaskResources();
int RestoreMaskScreen();
int EndMaskScreen();
int FreeMaskHandle(int handle);
int FreeAllMaskHandles();
