// CPU time of one title-state frame of the game: update, draw, the stretch of the 320 x 240
// work area to 640 x 480 and the present, without the frame wait and with the present's wait
// for the vertical blank switched off, beside a plain copy of one 640 x 480 32-bit frame as the
// machine's yardstick (the goal: the title frame under 0.5 ms). Run it in a demo data folder
// (tools/make-demo-data) so that the title picture loads; elsewhere its draws are skipped.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

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

void BM_MemcpyOneFrame(benchmark::State &state) {
    std::vector<uint32_t> from(640 * 480, 0x00808080u), to(640 * 480);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyOneFrame)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
