// The game's main loop at its own pace: 600 title-state frames with the pump, the clear, the
// frame body and the frame wait, timed on the wall clock after 60 frames to settle. At 60
// frames a second they take 10 s. Run it in a demo data folder (tools/make-demo-data); the
// host is the one the environment picks (KELMOR_HOST=headless, or sdl2 under a display).
#include <benchmark/benchmark.h>

#include <time.h>

#include "bench/game_bench_start.h"
#include "game/frame/cur_game.h"
#include "game/frame/sound_lists.h"

namespace {

constexpr int kSettleFrames = 60;
constexpr int kFrames = 600;

double WallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

// The loop of GameFrame::RunGameLoop for a given number of frames; false when it ended early.
// Adds the time spent in the pump and the clear before each frame body to *outside.
bool RunFrames(CurGame &game, int frames, double *outside) {
    for (int i = 0; i < frames; ++i) {
        double t = WallSeconds();
        if (ProcessWindowMessages() != 0 || GameGraphics().clearDrawTarget() != 0) return false;
        *outside += WallSeconds() - t;
        if (!game.RunOneFrame()) return false;
    }
    return true;
}

void BM_MainLoop600Frames(benchmark::State &state) {
    if (!StartGameForBench(state, true)) return;
    GetSoundLists().LoadSoundLists();   // the title's music plays, as in the game
    {
        CurGame game;
        game.OnLoad();
        for (auto _ : state) {
            double outside = 0;
            if (!RunFrames(game, kSettleFrames, &outside)) {
                state.SkipWithError("the loop ended while settling");
                break;
            }
            outside = 0;
            double start = WallSeconds();
            bool ran = RunFrames(game, kFrames, &outside);
            double seconds = WallSeconds() - start;
            if (!ran) {
                state.SkipWithError("the loop ended early");
                break;
            }
            state.SetIterationTime(seconds);
            state.counters["seconds"] = seconds;
            state.counters["fps"] = kFrames / seconds;
            state.counters["off_10s_pct"] = (seconds - 10.0) * 10.0;
            state.counters["pump_clear_ms"] = outside * 1000.0 / kFrames;
        }
    }
    EndLibrary();
}
BENCHMARK(BM_MainLoop600Frames)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
