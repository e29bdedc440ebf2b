// CPU time of the hero's own share of a play frame (movement, map collision, the companion and
// the camera's screen positions) on the demo cave map, against the frame's 16.67 ms budget.
// Run it in a demo data folder (tools/make-demo-data): it reads MAP/doukutu/dou0.bin. The hero
// walks the cave both ways and jumps every 40 frames; sounds and effects go nowhere.
#include <benchmark/benchmark.h>

#include <ctime>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/frame/key_bindings.h"
#include "game/world/map_grid.h"
#include "game/world/world_services.h"
#include "tools/actor-trace/hero_frame.h"

namespace {

constexpr double kFrameBudgetSeconds = 1.0 / 60.0;

// The first free cell over a solid one, from the left: where the hero starts.
bool FindStand(const MapGrid &grid, float *x, float *y)
{
    for (int column = 1; column < grid.width; column++)
        for (int row = 1; row + 1 < grid.height; row++)
            if (CellAttribute(CellAt(grid, column, row)) == 0 && CellAttribute(CellAt(grid, column, row - 1)) == 0 &&
                CellAttribute(CellAt(grid, column, row + 1)) == 1) {
                *x = column * 16 + 8.0f;
                *y = (row + 1) * 16 - 6.1f;
                return true;
            }
    return false;
}

void BM_HeroFrameOnTheCaveMap(benchmark::State &state)
{
    MapGrid grid;
    SetMapGridPath(grid, "MAP/doukutu/dou0.bin");
    float x = 0, y = 0;
    if (LoadMapGrid(grid) != 0 || !FindStand(grid, &x, &y)) {
        state.SkipWithError("run it in a demo data folder: MAP/doukutu/dou0.bin does not load");
        return;
    }
    const WorldServiceCalls saved = WorldServices();
    WorldServices().playEffectSound = [](int) {};
    SetDefaultKeyBindings();
    GameInput &input = GetGameInput();
    const int right = input.keyAssign[BUTTON_RIGHT], left = input.keyAssign[BUTTON_LEFT],
              jump = input.keyAssign[BUTTON_JUMP];

    Player player;
    Companion companion;
    Arms arms;
    LinkHeroRecords(player, companion, arms);
    player.grid = companion.grid = &grid;
    InitPlayer(player);
    player.x = x;
    player.y = y;
    long frame = 0;
    std::clock_t start = std::clock();
    for (auto _ : state) {
        char keys[kKeyCounterCount] = {};
        keys[(frame / 240) % 2 == 0 ? right : left] = 1;
        keys[jump] = frame % 40 < 12;
        input.UpdateKeyCountersFrom(keys);
        input.UpdatePadCountersFrom(0);
        RunHeroFrame(player, companion);
        benchmark::DoNotOptimize(player.x);
        frame++;
    }
    // The process's CPU time per frame against the budget: the share (goal at most 1/1000) and
    // how many such frames the budget holds.
    double perFrame = (double)(std::clock() - start) / CLOCKS_PER_SEC / (double)state.iterations();
    state.counters["ns_per_frame"] = perFrame * 1e9;
    state.counters["budget_share_ppm"] = perFrame / kFrameBudgetSeconds * 1e6;
    state.counters["frames_per_budget"] = kFrameBudgetSeconds / perFrame;
    WorldServices() = saved;
    input = GameInput{};
}
BENCHMARK(BM_HeroFrameOnTheCaveMap)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
