// CPU time of one title-state frame of the game: update, draw, the stretch of the 320 x 240
// work area to 640 x 480 and the present, without the frame wait and with the present's wait
// for the vertical blank switched off. Run it in a demo data folder (tools/make-demo-data) so
// that the title picture loads; elsewhere its draws are skipped.
#include <benchmark/benchmark.h>

#include "bench/game_bench_start.h"
#include "game/frame/cur_game.h"

namespace {

void BM_TitleFrame(benchmark::State &state) {
    if (!StartGameForBench(state, false)) return;
    GameGraphicsCalls &g = GameGraphics();
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
