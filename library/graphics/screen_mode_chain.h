// The fall-back chain of a screen-mode change: which modes are tried, in which order,
// until the graphics system starts.
#pragma once

#include <cstdint>

struct SCREENMODE {
    int32_t width, height, bits, refresh;
    int32_t emulation320;  // 320 x 240 shown on a 640 x 480 screen
};

enum { kScreenModeChainMax = 4 };

// The modes to try for `requested` after `previous` was running: the request; for
// 320 x 240, 640 x 480 with the emulation; the previous mode; 640 x 480 x 16 at the
// default refresh. Returns how many.
int BuildScreenModeChain(const SCREENMODE &requested, const SCREENMODE &previous,
                         SCREENMODE out[kScreenModeChainMax]);

// Tries the chain in order: `start` stores a mode and starts graphics (0 / -1).
// Returns the index that started, -1 when none did.
int WalkScreenModeChain(const SCREENMODE *chain, int count, int (*start)(const SCREENMODE &mode, void *context),
                        void *context);
