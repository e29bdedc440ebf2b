// CPU time of one title-state frame of the game: update, draw, the stretch of the 320 x 240
// work area to 640 x 480 and the present, without the frame wait. Run it in a demo data folder
// (tools/make-demo-data) so that the title picture loads; elsewhere its draws are skipped.
#include <benchmark/benchmark.h>

#include "game/frame/cur_game.h"
#include "game/frame/game_graphics.h"
#include "game/frame/key_bindings.h"
#include "library/base/library.h"
#include "library/base/window.h"

namespace {

void BM_TitleFrame(benchmark::State &state) {
    ChangeWindowMode(1);
    if (InitLibrary() == -1) {
        state.SkipWithError("the library does not start");
        return;
    }
    GameGraphicsCalls &g = GameGraphics();
    g.setDrawTarget(kBackPage);
    g.setTransparentKey(123, 250, 3);
    SetDefaultKeyBindings();
    {
        CurGame game;
        game.OnLoad();
        for (auto _ : state) {
            g.clearScreen();
            game.OnFrame();
            g.presentBackScreen();
        }
    }
    EndLibrary();
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
