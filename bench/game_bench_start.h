// The game's start-up as the benchmarks of its frames need it: the library in window mode, the
// back screen as target, the key colour and the default key bindings.
#pragma once

#include <benchmark/benchmark.h>

#include "game/frame/game_graphics.h"
#include "game/frame/key_bindings.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/draw_params.h"

// False (and the benchmark skipped) when the library does not start.
inline bool StartGameForBench(benchmark::State &state, bool vsyncWait) {
    ChangeWindowMode(1);
    SetMainWindowTitle("Brisgal");
    SetVSyncWait(vsyncWait ? 1 : 0);
    if (InitLibrary() == -1) {
        state.SkipWithError("the library does not start");
        return false;
    }
    GameGraphicsCalls &g = GameGraphics();
    g.setDrawTarget(kBackPage);
    g.setTransparentKey(123, 250, 3);
    SetDefaultKeyBindings();
    return true;
}
