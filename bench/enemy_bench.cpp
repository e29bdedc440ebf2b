// CPU time of the enemies' share of a play frame (the step interpreter, the ambient pass, the
// motion pass and the screen positions) with 10, 50 and 200 of the demo's enemies on the demo
// field map, against the frame's 16.67 ms budget. Run it in a demo data folder
// (tools/make-demo-data): it reads MAP/mori/mori0.bin. The enemies are made at the field's spawn
// cells in turn (mushrooms, bats, stones and vines, each vine four nodes) until there are as many
// as asked; the hero stands in the middle of the field; their shots are dropped every frame and
// sounds and effects go nowhere.
#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

#include "game/actors/actors.h"
#include "game/world/map_grid.h"
#include "game/world/world_services.h"

namespace {

constexpr double kFrameBudgetSeconds = 1.0 / 60.0;

struct SpawnCell {
    int column, row, slot;
};

void BM_EnemyPassesOnTheFieldMap(benchmark::State &state)
{
    MapGrid grid;
    SetMapGridPath(grid, "MAP/mori/mori0.bin");
    if (LoadMapGrid(grid) != 0) {
        state.SkipWithError("run it in a demo data folder: MAP/mori/mori0.bin does not load");
        return;
    }
    std::vector<SpawnCell> cells;
    for (int row = 0; row < grid.height; row++)
        for (int column = 0; column < grid.width; column++)
            if (const int slot = CellSpawnSlot(CellAt(grid, column, row))) cells.push_back({column, row, slot});
    if (cells.empty()) {
        state.SkipWithError("the field map has no spawn cells");
        return;
    }
    const WorldServiceCalls saved = WorldServices();
    WorldServices().playEffectSound = [](int) {};
    WorldServices().spawnEffect = [](Effects *, float, float, int) {};

    Player player;
    Companion companion;
    Arms arms;
    Enemies enemies;
    LinkHeroRecords(player, companion, arms);
    InitPlayer(player);
    player.grid = companion.grid = arms.grid = &grid;
    player.x = 512, player.y = 300, player.enemySet = 4;
    companion.x = player.x, companion.y = player.y;
    LinkEnemyRecords(enemies, grid, player, arms, companion);

    // The cells in turn, each round a little further right, until the list is long enough.
    const int wanted = (int)state.range(0);
    int count = 0;
    for (size_t i = 0; count < wanted; i++) {
        const SpawnCell &c = cells[i % cells.size()];
        const float shift = (float)(i / cells.size()) * 3;
        if (!SpawnEnemy(c.slot, enemies, (float)(c.column * 16) + shift, (float)(c.row * 16), 0, -1)) continue;
        RunEnemyPrograms(enemies); // a vine grows its parts at once
        count = 0;
        for (EnemyNode *n = enemies.head; n; n = n->next) count++;
    }
    while (count > wanted) {
        FreeEnemyNode(enemies, enemies.tail);
        count--;
    }

    std::clock_t start = std::clock();
    for (auto _ : state) {
        RunEnemyPrograms(enemies);
        UpdateEnemyAmbient(enemies);
        MoveEnemies(enemies);
        UpdateEnemyScreenPositions(enemies);
        FreeShotList(arms);
        benchmark::DoNotOptimize(enemies.head);
    }
    // The process's CPU time per frame against the budget: the share (goal at most 1/200 with 50
    // enemies) and how many such frames the budget holds.
    const double perFrame = (double)(std::clock() - start) / CLOCKS_PER_SEC / (double)state.iterations();
    int left = 0;
    for (EnemyNode *n = enemies.head; n; n = n->next) left++;
    state.counters["enemies_at_end"] = left;
    state.counters["us_per_frame"] = perFrame * 1e6;
    state.counters["budget_share_ppm"] = perFrame / kFrameBudgetSeconds * 1e6;
    state.counters["frames_per_budget"] = kFrameBudgetSeconds / perFrame;
    FreeEnemyList(enemies);
    FreeShotList(arms);
    WorldServices() = saved;
}
BENCHMARK(BM_EnemyPassesOnTheFieldMap)->Arg(10)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
