// The fall-back chain of a screen-mode change.
#include "library/graphics/screen_mode_chain.h"

int BuildScreenModeChain(const SCREENMODE &requested, const SCREENMODE &previous,
                         SCREENMODE out[kScreenModeChainMax]) {
    int n = 0;
    out[n++] = requested;
    if (requested.width == 320 && requested.height == 240) {
        SCREENMODE emulated = requested;
        emulated.width = 640;
        emulated.height = 480;
        emulated.emulation320 = 1;
        out[n++] = emulated;
    }
    out[n++] = previous;
    out[n++] = SCREENMODE{640, 480, 16, 0, 0};
    return n;
}

int WalkScreenModeChain(const SCREENMODE *chain, int count, int (*start)(const SCREENMODE &mode, void *context),
                        void *context) {
    for (int i = 0; i < count; ++i) {
        if (start(chain[i], context) == 0) return i;
    }
    return -1;
}
