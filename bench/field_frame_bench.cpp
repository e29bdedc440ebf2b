// CPU time of one busy play frame of the game, run in a demo data folder (tools/make-demo-data)
// so that every picture loads: the backdrop, both tile layers full (a front piece in every cell,
// animated tiles among them), the screen effect's wave with its rows, the HUD with the bars, the
// minimap, a message being typed and three notifications with the banner, the text overlay, the
// stretch of the 320 x 240 work area to 640 x 480 and the present (without the vertical-blank
// wait). Prints the milliseconds a frame takes, their share of the 16.67 ms frame budget and
// their ratio to one memcpy of the 640 x 480 frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

#include "bench/game_bench_start.h"
#include "bench/memcpy_yardstick.h"
#include "game/frame/cur_game.h"

namespace {

constexpr double kFrameBudgetMs = 1000.0 / 60;

// A 40 x 30 grid with a back piece and a front piece in every cell.
void FillBothLayers(MapGrid &grid) {
    grid.width = 40;
    grid.height = 30;
    grid.failed = 0;
    grid.cells.assign(40 * 30, 0);
    for (int i = 0; i < 40 * 30; i++) {
        const uint32_t back = i % 7 == 0 ? 252 : 32 + i % 16;  // some water among the walls
        const uint32_t front = i % 5 == 0 ? 240 : 64 + i % 16; // some conveyors among the leaves
        grid.cells[i] = back | front << 16;
    }
}

double ProcessSeconds() {
    std::timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + t.tv_nsec * 1e-9;
}

void BM_BusyPlayFrame(benchmark::State &state) {
    if (!StartGameForBench(state, false)) return;
    GameGraphicsCalls &g = GameGraphics();
    double cpu = 0;
    {
        CurGame game;
        game.OnLoad();
        if (game.tileView.sheets[8] == -1) {
            state.SkipWithError("run it in a demo data folder (tools/make-demo-data)");
        } else {
            game.topState = TOP_PLAY;
            FillBothLayers(game.grid);
            game.tileView.layer1Sheet = game.tileView.layer2Sheet = 8;
            game.transition.currentArea = 89;
            game.transition.localHour = 12;
            game.companion.x = game.player.x = 320;
            game.companion.y = game.player.y = 240;
            game.player.abilityFlags = 0x10;
            game.status.hpMax = game.status.mpMax = 20;
            game.screenEffect.wave = 1;
            const char *message = "ゆうしゃよ　めざめなさい\aあさが　きた\nたびの　はじまりだ";
            const double start = ProcessSeconds();
            for (auto _ : state) {
                // Keep three notifications and the banner up.
                for (int k = 0; k < 3; k++) {
                    if (game.hud.notifications[k].free) AddNotification(game.hud, "ｷﾉｺ");
                    game.hud.notifications[k].life = 0;
                }
                if (game.hud.bannerState != 2) ShowAreaName(game.hud, "ﾑﾗ");
                g.clearScreen();
                game.OnUpdate();
                // The play state's drawing, with a message typed at the talk step.
                game.DrawWorld();
                ShowTypedMessage(game.hud, message);
                game.overlay.Flush();
                game.PresentScaledFrame();
                LatchHud(game.hud);
                g.presentBackScreen();
            }
            cpu = ProcessSeconds() - start;
        }
    }
    EndLibrary();
    if (state.iterations() == 0 || cpu <= 0) return;
    const double ms = cpu / (double)state.iterations() * 1000;
    const double memcpyMs = MemcpyFrameSeconds() * 1000;
    state.counters["frame_ms"] = ms;
    state.counters["budget_share"] = ms / kFrameBudgetMs;
    state.counters["memcpy_ratio"] = ms / memcpyMs;
    std::printf("busy play frame: %.3f ms CPU, %.3f of the 16.67 ms budget, %.1f x a 640 x 480 memcpy (%.4f ms)\n",
                ms, ms / kFrameBudgetMs, ms / memcpyMs, memcpyMs);
}
BENCHMARK(BM_BusyPlayFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
