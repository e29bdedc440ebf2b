// One play frame of the field's physics: StepPhysicsWorld plus UpdateFieldObjects over a bin of
// crates and barrels that fall, bounce and pile up, against b2World::Step on the same bodies
// built directly (no ids, no contact records, no object nodes). Each run plays the same 600
// frames from the same start on both, so both see the same falling, piling and sleeping.
// Prints milliseconds per frame of each and their ratio; the goal is a ratio of 1.25 or less.
#include <benchmark/benchmark.h>

#include <box2d/box2d.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "game/actors/actors.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/map_grid.h"
#include "game/world/physics_manager.h"
#include "game/world/static_bodies.h"

namespace {

constexpr int kFrames = 600;
constexpr float kPlayerX = -200, kPlayerY = 300;

// A 60 x 40-cell bin: walls at both sides, a floor, and a ledge with a ramp inside.
MapGrid BinGrid() {
    MapGrid g;
    g.width = 60;
    g.height = 40;
    g.failed = 0;
    g.cells.assign((size_t)g.width * g.height, 0);
    auto set = [&](int c, int r, int attribute) { g.cells[(size_t)r * g.width + c] = (uint32_t)attribute << 8; };
    for (int r = 0; r < g.height; r++) {
        set(0, r, 1);
        set(g.width - 1, r, 1);
    }
    for (int c = 0; c < g.width; c++) set(c, g.height - 1, 1);
    for (int c = 10; c < 22; c++) set(c, 30, 1);
    for (int i = 0; i < 4; i++) {
        set(22 + 2 * i, 30 + i, 5);
        set(23 + 2 * i, 30 + i, 4);
    }
    return g;
}

// Where object i of n starts: rows of 40 above the floor, crates and barrels in turn.
void StartOf(int i, float *x, float *y, int *row) {
    *x = 40.0f + (float)(i % 40) * 22.0f + (float)((i / 40) % 2) * 8.0f;
    *y = 40.0f + (float)(i / 40) * 22.0f;
    *row = i % 2 ? 169 : 3; // barrel, crate
}

// The same bodies, made straight on a Box2D world.
struct DirectWorld {
    std::unique_ptr<b2World> world;

    DirectWorld(const MapGrid &grid, int n) {
        world = std::make_unique<b2World>(b2Vec2(0.0f, 20.0f));
        world->SetAllowSleeping(true);
        for (const StaticPiece &p :
             PlanStaticPieces(grid.width, grid.height, [&](int c, int r) { return CellAt(grid, c, r); }))
            CreateStaticPieceBody(*world, p);
        b2BodyDef pd;
        pd.type = b2_dynamicBody;
        pd.position.Set(kPlayerX * 0.1f, kPlayerY * 0.1f);
        b2PolygonShape player;
        player.SetAsBox(0.3f, 0.6f);
        NoSkin(player);
        world->CreateBody(&pd)->CreateFixture(&player, 10.0f);
        for (int i = 0; i < n; i++) {
            float x, y;
            int row;
            StartOf(i, &x, &y, &row);
            const FieldObjectKind &k = kFieldObjectKinds[row];
            b2BodyDef bd;
            bd.type = b2_dynamicBody;
            bd.position.Set(x * 0.1f, y * 0.1f);
            b2Body *b = world->CreateBody(&bd);
            b2FixtureDef fd;
            b2CircleShape circle;
            b2PolygonShape box;
            if (k.shape == 1) {
                circle.m_radius = k.width * 0.1f;
                fd.shape = &circle;
            } else {
                box.SetAsBox(k.width * 0.1f, k.height * 0.1f);
                NoSkin(box);
                fd.shape = &box;
            }
            fd.density = k.weight;
            fd.friction = 0.3f;
            fd.restitution = 0.7f;
            fd.filter.categoryBits = 2;
            fd.filter.groupIndex = 1;
            b->CreateFixture(&fd);
        }
    }
};

struct GameWorld {
    MapGrid grid = BinGrid();
    Player player;
    Companion companion;
    PhysicsManager physics;
    Effects effects;
    FieldObjects objects;

    explicit GameWorld(int n) {
        // The player's box waits left of the bin, where nothing meets it (the direct world has
        // the same box there, falling freely).
        player.x = kPlayerX;
        player.y = kPlayerY;
        LinkFieldRecords(objects, physics, effects, grid, companion);
        physics.player = &player;
        physics.CreatePhysicsWorld();
        physics.BuildMapStaticBodies();
        for (int i = 0; i < n; i++) {
            float x, y;
            int row;
            StartOf(i, &x, &y, &row);
            objects.CreateFieldObject(x, y, row - 2, 0, 0, 0, 0, 0, 0, 0);
        }
    }
};

double Seconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

void RunGame(GameWorld &game) {
    for (int f = 0; f < kFrames; f++) {
        game.physics.StepPhysicsWorld();
        game.objects.UpdateFieldObjects();
    }
}

void RunDirect(DirectWorld &direct) {
    for (int f = 0; f < kFrames; f++) direct.world->Step(1.0f / 60.0f, 10, 10);
}

void BM_FieldPhysicsFrame(benchmark::State &state) {
    const int n = (int)state.range(0);
    double gameSeconds = 0, directSeconds = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto game = std::make_unique<GameWorld>(n);
        DirectWorld direct(game->grid, n);
        if ((int)game->objects.nodes.size() != n) {
            state.SkipWithError("objects refused");
            return;
        }
        state.ResumeTiming();
        // Which goes first alternates, so neither always meets a cold cache.
        double t0 = Seconds(), t1, t2;
        if (runs % 2 == 0) {
            RunGame(*game);
            t1 = Seconds();
            RunDirect(direct);
            t2 = Seconds();
            gameSeconds += t1 - t0;
            directSeconds += t2 - t1;
        } else {
            RunDirect(direct);
            t1 = Seconds();
            RunGame(*game);
            t2 = Seconds();
            directSeconds += t1 - t0;
            gameSeconds += t2 - t1;
        }
        runs++;
        state.PauseTiming();
        game.reset();
        state.ResumeTiming();
    }
    double perFrame = (double)runs * kFrames;
    state.counters["game_ms"] = gameSeconds / perFrame * 1000.0;
    state.counters["box2d_ms"] = directSeconds / perFrame * 1000.0;
    state.counters["ratio"] = gameSeconds / directSeconds;
}
BENCHMARK(BM_FieldPhysicsFrame)->Arg(64)->Arg(256)->Arg(kMaxBodies)->Unit(benchmark::kMillisecond)->MinTime(4.0);

} // namespace

BENCHMARK_MAIN();
