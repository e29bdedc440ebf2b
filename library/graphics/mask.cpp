// The mask layer as it stands in this program: without a mask screen every call is a no-op.
#include "library/graphics/mask.h"

#include <cstring>

#include "library/base/memory.h"

MASKSCREEN g_mask;

int SetMaskDraw(int flag) {
    // Drawing through a mask needs a mask screen, and none is ever made.
    if (!g_mask.made) return -1;
    g_mask.drawOn = flag != 0;
    return 0;
}

int IsMaskDrawOn() { return g_mask.drawOn; }

int ReleaseMaskResources() {
    if (g_mask.buffer) MEM_FREE(g_mask.buffer);
    g_mask.buffer = nullptr;
    // The software work image is never made here; its slot is only cleared.
    g_mask.workImage = nullptr;
    g_mask.workImageMade = 0;
    if (g_mask.imageTexture) g_mask.imageTexture->Release();
    if (g_mask.screenSurface) g_mask.screenSurface->Release();
    if (g_mask.screenTexture) g_mask.screenTexture->Release();
    g_mask.imageTexture = nullptr;
    g_mask.screenSurface = nullptr;
    g_mask.screenTexture = nullptr;
    return 0;
}

int RestoreMaskScreen() {
    // Recreating needs the mask screen's creation, which this program never asks for.
    if (g_mask.made && g_mask.drawOn) SetMaskDraw(1);
    return 0;
}

int EndMaskScreen() {
    if (g_mask.drawOn) SetMaskDraw(0);
    ReleaseMaskResources();
    g_mask.made = 0;
    g_mask.active = 0;
    g_mask.drawOn = 0;
    return 0;
}

int FreeMaskHandle(int handle) {
    if (handle < 0 || ((handle >> 27) & 0xF) != HTYPE_MASK) return -1;
    int slot = handle & 0xFFFF;
    if (slot >= kMaxMasks) return -1;
    MASKREC &rec = g_mask.masks[slot];
    if (!rec.inUse || rec.checkCount != ((handle >> 16) & 0x7FF)) return -1;
    if (rec.pixels) MEM_FREE(rec.pixels);
    std::memset(&rec, 0, sizeof rec);
    return 0;
}

int FreeAllMaskHandles() {
    for (int slot = 0; slot < kMaxMasks; ++slot) {
        MASKREC &rec = g_mask.masks[slot];
        if (rec.inUse == 1) FreeMaskHandle((HTYPE_MASK << 27) | (rec.checkCount << 16) | slot);
    }
    return 0;
}
