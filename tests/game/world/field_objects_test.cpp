// Field objects over the real physics world: the factory's kinds and rows, the per-frame
// update (conveyors, water, hits, lifetimes, the release byte, leaving the map), drops, the
// world-state store and the queries.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/start_dir.h"
#include "game/actors/actors.h"
#include "game/actors/arms.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_random.h"
#include "game/frame/sound_lists.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/item_drop_table.h"
#include "game/world/physics_manager.h"
#include "tests/game/world/grid_fixture.h"

namespace {

// What the factory asked of the actors, in order.
struct ActorCall {
    std::string what; // "shot", "enemy", "mark"
    std::vector<float> args;
    bool operator==(const ActorCall &o) const { return what == o.what && args == o.args; }
};
std::ostream &operator<<(std::ostream &os, const ActorCall &c)
{
    os << c.what << "(";
    for (float a : c.args) os << a << " ";
    return os << ")";
}
std::vector<ActorCall> g_actorCalls;

class FieldObjectsTest : public LogStartTest {
protected:
    void SetUp() override {
        LogStartTest::SetUp();
        savedActors_ = FieldObjectActors();
        savedGraphics_ = GameGraphics();
        g_actorCalls.clear();
        FieldObjectActors().createShot = [](Arms &, float x, float y, int type, int value, int flag, int owner, int a,
                                            int b) {
            g_actorCalls.push_back({"shot", {x, y, (float)type, (float)value, (float)flag, (float)owner, (float)a, (float)b}});
        };
        FieldObjectActors().spawnEnemy = [](Enemies &, int n, float x, float y, int flag, int body) {
            g_actorCalls.push_back({"enemy", {(float)n, x, y, (float)flag, (float)body}});
        };
        FieldObjectActors().markEnemiesNear = [](Enemies &, float r, float x, float y) {
            g_actorCalls.push_back({"mark", {r, x, y}});
        };
        SetEffectSoundObserver([](int n) { g_actorCalls.push_back({"sound", {(float)n}}); });
        GameGraphics().drawGraphRotatedAt = [](int, int, double, double, int, int, int) { return 0; };
        SetGameRandSeed(1);
        UseGrid(FloorGrid(40, 30)); // floor top at y 464
    }
    void TearDown() override {
        SetEffectSoundObserver(nullptr);
        FieldObjectActors() = savedActors_;
        GameGraphics() = savedGraphics_;
        SetGameRandSeed(1);
        LogStartTest::TearDown();
    }
    void UseGrid(MapGrid g) {
        grid = std::move(g);
        objects = std::make_unique<FieldObjects>();
        LinkFieldRecords(*objects, physics, effects, grid, companion);
        objects->arms = &arms;
        objects->enemies = &enemies;
        physics.CreatePhysicsWorld();
        physics.BuildMapStaticBodies();
    }
    // One play frame's share: the step, the update, the draw (which counts the frames).
    void Frames(int n) {
        for (int i = 0; i < n; i++) {
            physics.StepPhysicsWorld();
            objects->UpdateFieldObjects();
            objects->DrawFieldObjects();
        }
    }
    FieldObjectNode &Node(int body) {
        for (FieldObjectNode &n : objects->nodes)
            if (n.bodyId == body) return n;
        ADD_FAILURE() << "no node for body " << body;
        return objects->nodes.front();
    }
    bool Has(int body) const {
        for (const FieldObjectNode &n : objects->nodes)
            if (n.bodyId == body) return true;
        return false;
    }
    int Make(float x, float y, int row, int persistent = 0) {
        return objects->CreateFieldObject(x, y, row - 2, 0, 0, 0, persistent, 0, 0, 0);
    }

    MapGrid grid;
    PhysicsManager physics;
    Effects effects;
    Arms arms;
    Enemies enemies;
    Companion companion;
    std::unique_ptr<FieldObjects> objects;
    FieldObjectActorCalls savedActors_;
    GameGraphicsCalls savedGraphics_;
};

TEST_F(FieldObjectsTest, KindsGiveRowsAndRefusalsMakeNothing) {
    const struct {
        int kind, row; // -1: refused
    } cases[] = {{263, -1}, {1000, -1}, {-3, -1}, {262, 264}, {-1, 2}, {-2, 0}, {1, 3}, {5, 7}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        size_t before = objects->nodes.size();
        int bodies = physics.BodyCount();
        int id = objects->CreateFieldObject(100, 100, c.kind, 0, 0, 0, 0, 0, 0, 0);
        if (c.row < 0) {
            EXPECT_EQ(id, -1);
            EXPECT_EQ(objects->nodes.size(), before);
            EXPECT_EQ(physics.BodyCount(), bodies);
        } else {
            ASSERT_GE(id, 0);
            EXPECT_EQ(objects->nodes.back().row, c.row);
            EXPECT_EQ(objects->nodes.back().image, kFieldObjectKinds[c.row].image);
        }
    }
    // Kind 0 draws row 0 one time in four, row 1 otherwise, from the game's generator.
    bool seen[2] = {};
    for (uint32_t seed = 0; seed < 40; seed++) {
        GameRandom expected;
        expected.Seed(seed);
        int row = expected.Next() % 4 == 0 ? 0 : 1;
        seen[row] = true;
        SetGameRandSeed(seed);
        ASSERT_GE(objects->CreateFieldObject(50, 50, 0, 0, 0, 0, 0, 0, 0, 0), 0);
        EXPECT_EQ(objects->nodes.back().row, row) << seed;
        EXPECT_EQ(GameRand(), expected.Next()) << "one draw per coin";
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    // No body, no object.
    for (int i = physics.BodyCount(); i < kMaxBodies; i++) physics.CreateObjectBody(300, 300, 1, 1, 0, 0, 0, 0, 0);
    size_t before = objects->nodes.size();
    EXPECT_EQ(Make(100, 100, 3), -1);
    EXPECT_EQ(objects->nodes.size(), before);
}

TEST_F(FieldObjectsTest, RowsWithExtraActionsCallTheActorsWithTheirArguments) {
    using A = std::vector<ActorCall>;
    auto shot = [](int type, int value, int flag, int a, int b) {
        return ActorCall{"shot", {100, 50, (float)type, (float)value, (float)flag, -1, (float)a, (float)b}};
    };
    auto enemy = [](int n) { return ActorCall{"enemy", {(float)n, 100, 50, 0, -1}}; };
    const struct {
        int row;
        A calls;
        bool hung;
    } cases[] = {
        {53, {shot(50, 10, 0, 0, 0)}, false},   {194, {shot(111, 0, 1, 0, 0)}, false},
        {195, {}, true},                        {196, {shot(47, 20, 1, 0, 0)}, false},
        {226, {shot(47, 20, 1, 0, 0)}, false},  {227, {shot(47, 20, 1, 0, 0)}, false},
        {228, {shot(47, 20, 1, 0, 0)}, false},  {197, {shot(79, 0, 1, 2, 2)}, false},
        {199, {shot(79, 0, 1, 2, 2)}, false},   {198, {shot(80, 0, 1, 2, 2)}, true},
        {200, {shot(77, 0, 1, 64, 64)}, false}, {216, {shot(84, 1, 1, 0, 0)}, false},
        {219, {enemy(121)}, false},             {220, {enemy(121)}, false},
        {223, {shot(47, 9999, 1, 0, 0)}, false}, {224, {shot(47, 9999, 1, 0, 0)}, false},
        {225, {shot(47, 9999, 1, 0, 0)}, false}, {229, {shot(92, 0, 1, 0, 0)}, false},
        {238, {shot(104, 20, 1, 0, 0)}, false}, {242, {shot(104, 20, 1, 0, 0)}, false},
        {243, {enemy(122)}, false},             {263, {shot(47, 2, 1, 0, 0)}, false},
        {264, {enemy(144)}, false},             {3, {}, false},
        {100, {}, false},                       {201, {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        UseGrid(FloorGrid(40, 30));
        g_actorCalls.clear();
        arms.detonation = 1;
        int id = Make(100, 50, c.row);
        ASSERT_GE(id, 0);
        A want = c.calls;
        for (ActorCall &w : want) {
            if (w.what == "shot") w.args[5] = (float)id; // bound to the object's body
            if (w.what == "enemy") w.args[4] = (float)id;
        }
        EXPECT_EQ(g_actorCalls, want);
        EXPECT_EQ(physics.World()->GetJointCount(), c.hung ? 1 : 0);
        EXPECT_EQ(arms.detonation, c.row == 53 ? 0 : 1);
    }
}

TEST_F(FieldObjectsTest, NodesTakeTheirRowTheBodysPlaceAndTheGivenFlags) {
    int crate = objects->CreateFieldObject(130, 200, 1, 77, 3, -4, 1, 0, 9, 0.5f);
    FieldObjectNode &n = Node(crate);
    EXPECT_EQ(n.x, 130.0f);
    EXPECT_EQ(n.y, 200.0f);
    EXPECT_EQ(n.angle, 0.5f);
    EXPECT_EQ(n.savedX, 0.0f); // below row 196: nothing saved
    EXPECT_EQ(n.persistent, 1);
    EXPECT_EQ(n.itemFlag, 0);
    EXPECT_EQ(n.lifetime, kLifetimeUnlimited); // no item flag: the lifetime is not taken
    EXPECT_EQ(n.value, kFieldObjectKinds[3].value);
    EXPECT_EQ(n.width, 8);
    EXPECT_EQ(n.contactCounter, 10);
    b2Vec2 v = physics.Body(crate)->GetLinearVelocity();
    EXPECT_EQ(v, b2Vec2(3, -4)); // velocities go to the body unchanged

    int item = objects->CreateFieldObject(150, 200, -1, 42, 0, 0, 0, 1, 60, 0);
    EXPECT_EQ(Node(item).value, 42);
    EXPECT_EQ(Node(item).itemFlag, 1);
    EXPECT_EQ(Node(item).lifetime, 60);

    int lamp = objects->CreateFieldObject(200, 100, 193, 0, 0, 0, 0, 0, 0, 0.25f);
    EXPECT_EQ(Node(lamp).row, 195);
    EXPECT_EQ(Node(lamp).savedX, 0.0f);
    int late = objects->CreateFieldObject(250, 100, 199, 0, 0, 0, 0, 0, 0, 0.25f);
    EXPECT_EQ(Node(late).savedX, 250.0f);
    EXPECT_EQ(Node(late).savedY, 100.0f);
    EXPECT_EQ(Node(late).savedAngle, 0.25f);
}

TEST_F(FieldObjectsTest, ConveyorsCarryAndWaterLiftsLightObjects) {
    UseGrid(AsciiGrid({
        "........................",
        "........................",
        "........................",
        "yyyyyyyyy...............",
        "yyyyyyyyy..wwwwww.xxxxxx",
        "yyyyyyyyy..wwwwww.xxxxxx",
        "yyyyyyyyy..wwwwww.xxxxxx",
        "111111111..111111.111111",
        "........................",
        "........................",
        "........................",
        "eeeeeeeeeeeeffffffffffff",
    }));
    int left = Make(100, 168, 3);   // resting on the leftward belt (top at 176)
    int right = Make(290, 168, 3);  // on the rightward one
    int light = Make(40, 90, 7);    // weight 3, in still water
    int heavy = Make(104, 90, 219); // weight 25
    int east = Make(220, 90, 7);
    int west = Make(336, 90, 7);
    Frames(120);
    // The belts set 1 unit (10 px) a second each update; friction takes a little back.
    EXPECT_NEAR(Node(left).x, 100.0f - 18.0f, 2.0f);
    EXPECT_NEAR(Node(right).x, 290.0f + 18.0f, 2.0f);
    // Water lifts light objects by 1 unit a second every other update; currents push them too.
    EXPECT_LT(Node(light).y, 82.0f);
    EXPECT_EQ(Node(light).x, 40.0f);
    EXPECT_NEAR(Node(heavy).y, 106.0f, 1.0f); // weight 25 sinks to the pool's floor
    EXPECT_LT(Node(east).y, 82.0f);
    EXPECT_GT(Node(east).x, 235.0f);
    EXPECT_LT(Node(west).y, 82.0f);
    EXPECT_LT(Node(west).x, 321.0f);
}

TEST_F(FieldObjectsTest, AHitSoundsOnlyWhenThirtyOneUpdatesHavePassedSinceTheLast) {
    // The contact counter starts at 10: a first touch sounds only from the 21st update on.
    const struct {
        float y;
        bool sounds;
    } cases[] = {{455, false}, {380, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.y);
        UseGrid(FloorGrid(40, 30));
        g_actorCalls.clear();
        int crate = Make(300, c.y, 3);
        int frame = 0;
        while (Node(crate).hitCounter == 0 && frame < 120) {
            Frames(1);
            frame++;
        }
        ASSERT_EQ(Node(crate).hitCounter, 1);
        EXPECT_EQ(frame >= 21, c.sounds) << frame;
        if (c.sounds) {
            EXPECT_EQ(g_actorCalls, (std::vector<ActorCall>{{"sound", {50}}, {"mark", {50, 300, Node(crate).y}}}));
            EXPECT_EQ(Node(crate).contactCounter, 0);
        } else {
            EXPECT_TRUE(g_actorCalls.empty());
            EXPECT_EQ(Node(crate).contactCounter, 10 + frame);
        }
    }
    // A row without a sound only counts its hits.
    int quiet = Make(100, 380, 3);
    Node(quiet).hitSound = 0;
    g_actorCalls.clear();
    for (int i = 0; i < 90 && Node(quiet).hitCounter == 0; i++) Frames(1);
    EXPECT_EQ(Node(quiet).hitCounter, 1);
    EXPECT_TRUE(g_actorCalls.empty());
}

TEST_F(FieldObjectsTest, LifetimeThreeLastsFourMoreUpdates) {
    int item = objects->CreateFieldObject(100, 440, -1, 5, 0, 0, 0, 1, 3, 0);
    int keep = objects->CreateFieldObject(140, 440, -1, 5, 0, 0, 0, 0, 3, 0); // no item flag: forever
    for (int update = 1; update <= 3; update++) {
        Frames(1);
        EXPECT_EQ(Node(item).image, kFieldObjectKinds[2].image) << update;
    }
    Frames(1);
    EXPECT_EQ(Node(item).image, -1);
    Frames(1);
    EXPECT_FALSE(Has(item));
    EXPECT_EQ(physics.GetBodyPositionById(item, nullptr, nullptr), -1);
    Frames(100);
    EXPECT_TRUE(Has(keep));
}

TEST_F(FieldObjectsTest, TheReleaseByteLetsHeldObjectsFallOnce) {
    int held = Make(200, 200, 171); // the held crate
    int crate = Make(300, 440, 3);
    Frames(30);
    EXPECT_EQ(Node(held).y, 200.0f);
    objects->release = 1;
    Frames(1);
    EXPECT_EQ(objects->release, 0);
    EXPECT_EQ(physics.Body(held)->GetType(), b2_dynamicBody);
    Frames(30);
    EXPECT_GT(Node(held).y, 210.0f);
    EXPECT_TRUE(Has(crate));
}

TEST_F(FieldObjectsTest, PendingVelocityGoesToTheBodyOnce) {
    int crate = Make(200, 300, 3);
    Node(crate).pendingVelocity = 1;
    Node(crate).vx = 30;
    Node(crate).vy = -20;
    objects->UpdateFieldObjects();
    EXPECT_EQ(physics.Body(crate)->GetLinearVelocity(), b2Vec2(30, -20));
    EXPECT_EQ(Node(crate).pendingVelocity, 0);
    EXPECT_EQ(Node(crate).vx, 0);
}

TEST_F(FieldObjectsTest, ObjectsLeavingTheMapOrLosingTheirBodyAreRemoved) {
    UseGrid(AsciiGrid({"........", "........", "........", "........"})); // 128 x 64, no floor
    int falling = Make(64, 20, 3);
    int outside = Make(-5, 20, 3);
    int orphan = Make(100, 20, 3);
    int taken = Make(30, 20, 3);
    Node(taken).row = -1; // how the pick-up marks what it took
    physics.DestroyBodyById(orphan);
    Frames(1);
    EXPECT_FALSE(Has(outside));
    EXPECT_EQ(physics.GetBodyPositionById(outside, nullptr, nullptr), -1);
    EXPECT_FALSE(Has(orphan));
    EXPECT_FALSE(Has(taken));
    EXPECT_TRUE(Has(falling));
    Frames(60);
    EXPECT_FALSE(Has(falling)); // fell past y 64
    EXPECT_TRUE(objects->nodes.empty());
}

// A seed whose first draw % 1000 is d.
uint32_t SeedFor(int d)
{
    for (uint32_t s = 0;; s++) {
        GameRandom r;
        r.Seed(s);
        if (r.Next() % 1000 == d) return s;
    }
}

TEST_F(FieldObjectsTest, DropsFollowTheThresholdsAndSparkleByEntry) {
    const struct {
        int d, entry;
    } cases[] = {{0, 5}, {99, 5}, {100, 4}, {249, 4}, {250, 3}, {449, 3}, {450, 2}, {699, 2}, {700, 1}, {999, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.d);
        uint32_t seed = SeedFor(c.d);
        GameRandom r;
        r.Seed(seed);
        r.Next();
        int shift = r.Next() % 8 - 4;
        SetGameRandSeed(seed);
        effects.FreeEffects();
        objects->SpawnItemDrop(13, 200, 300);
        const FieldObjectNode &n = objects->nodes.back();
        EXPECT_EQ(n.row, 2);
        EXPECT_EQ(n.value, kItemDropTable[13][c.entry - 1] - 2);
        EXPECT_EQ(n.itemFlag, kFieldObjectKinds[2].itemFlag);
        ASSERT_EQ(effects.nodes.size(), 1u);
        EXPECT_EQ(effects.nodes.back().type, 45 + c.entry);
        EXPECT_EQ(effects.nodes.back().x, 200.0f + shift);
        EXPECT_EQ(effects.nodes.back().y, 300.0f);
    }
    // Rows past the table drop nothing and draw nothing.
    size_t before = objects->nodes.size();
    SetGameRandSeed(7);
    for (int row : {62, 100, -1}) objects->SpawnItemDrop(row, 10, 10);
    EXPECT_EQ(objects->nodes.size(), before);
    GameRandom r;
    r.Seed(7);
    EXPECT_EQ(GameRand(), r.Next());
}

// The drop table as the game gives it.
TEST(ItemDropTable, EqualsTheGivenNumbers) {
    const char *given =
        "151 103 7 5 112; 96 23 24 25 101; 34 80 8 164 27; 34 105 27 27 137; 145 145 145 145 145; 5 28 10 26 9; "
        "19 19 19 114 33; 25 25 25 25 25; 5 23 24 34 34; 106 106 106 106 106; 42 185 185 116 40; "
        "34 138 102 127 58; 42 19 19 31 31; 42 107 47 47 152; 154 154 154 154 154; 38 78 78 50 50; "
        "34 34 51 51 51; 186 186 186 186 66; 59 59 59 59 46; 78 78 78 78 78; 59 59 59 61 61; "
        "95 95 95 95 49; 100 69 69 69 69; 70 70 70 70 43; 63 63 63 63 63; 42 53 4 4 4; 86 84 159 159 13; "
        "87 88 56 128 110; 79 89 36 36 36; 5 28 10 26 36; 90 90 27 27 27; 41 41 30 22 22; 29 37 38 44 52; "
        "23 23 23 113 146; 116 116 56 56 72; 15 15 15 15 15; 16 16 16 16 16; 17 17 17 17 17; "
        "18 18 18 18 18; 57 57 57 57 57; 55 55 55 55 55; 193 193 193 193 193; 47 47 47 47 47; "
        "109 109 109 109 109; 92 92 65 65 65; 14 14 14 14 14; 38 38 38 41 32; 45 45 45 45 137; "
        "164 97 46 46 46; 164 83 60 60 60; 64 64 64 64 64; 71 71 71 71 71; 39 39 39 39 39; 6 6 6 6 6; "
        "189 189 189 189 189; 73 73 73 73 73; 180 180 180 180 180; 191 191 191 191 191; 75 75 75 75 75; "
        "188 188 188 188 188; 68 68 68 68 68; 147 147 147 147 147";
    std::istringstream in(given);
    for (int row = 0; row < kDropRowCount; row++)
        for (int e = 0; e < kDropEntries; e++) {
            int v;
            char sep;
            ASSERT_TRUE(in >> v);
            EXPECT_EQ(kItemDropTable[row][e], v) << row << "," << e;
            if (e == kDropEntries - 1) in >> sep;
        }
}

// ---- the world-state store ----

struct Entry {
    float x, y;
    int kind;
    float angle;
};
std::vector<uint8_t> AssembleBlock(const std::vector<Entry> &entries)
{
    std::vector<uint8_t> b(kWorldBlockBytes, 0);
    b[0] = 1;
    for (size_t i = 0; i < entries.size(); i++) {
        uint32_t words[4] = {std::bit_cast<uint32_t>(entries[i].x), std::bit_cast<uint32_t>(entries[i].y),
                             (uint32_t)entries[i].kind, std::bit_cast<uint32_t>(entries[i].angle)};
        for (int w = 0; w < 4; w++)
            for (int k = 0; k < 4; k++) b[4 + 16 * i + 4 * w + k] = (uint8_t)(words[w] >> (8 * k));
    }
    return b;
}
std::vector<uint8_t> BlockBytes(const FieldObjects &o, int n)
{
    return std::vector<uint8_t>(o.Block(n), o.Block(n) + kWorldBlockBytes);
}

TEST_F(FieldObjectsTest, AStoredBlockHoldsThePersistentObjectsAndRestoresToTheSameBytes) {
    objects->CreateFieldObject(100, 200, 1, 0, 0, 0, 1, 0, 0, 0.5f);   // crate, row 3
    objects->CreateFieldObject(120, 200, 1, 0, 0, 0, 0, 0, 0, 0);      // not persistent
    objects->CreateFieldObject(140, 200, -2, 0, 0, 0, 1, 0, 0, 0);     // coin of row 0: kind -2
    objects->CreateFieldObject(160, 200, 0, 0, 0, 0, 1, 0, 0, 0);      // a coin of row 0 or 1
    objects->CreateFieldObject(180, 200, -1, 9, 0, 0, 1, 0, 0, 0);     // dropped item: never stored
    objects->CreateFieldObject(200, 100, 193, 0, 0, 0, 1, 0, 0, 0.25f); // lamp, row 195
    objects->CreateFieldObject(300, 100, 197, 0, 0, 0, 1, 0, 0, 1.5f);  // row 199: saved where made
    int coinRow = std::next(objects->nodes.begin(), 3)->row;
    Frames(40); // everything falls and turns; row 199 keeps its saved place
    float x3 = objects->nodes.front().x, y3 = objects->nodes.front().y, a3 = objects->nodes.front().angle;
    ASSERT_NE(y3, 200.0f);
    std::vector<Entry> want = {{x3, y3, 1, a3}};
    const FieldObjectNode &coin0 = *std::next(objects->nodes.begin(), 2);
    want.push_back({coin0.x, coin0.y, -2, coin0.angle});
    if (coinRow == 0) {
        const FieldObjectNode &c = *std::next(objects->nodes.begin(), 3);
        want.push_back({c.x, c.y, -2, c.angle});
    }
    const FieldObjectNode &lamp = *std::next(objects->nodes.begin(), 5);
    want.push_back({lamp.x, lamp.y, 193, lamp.angle});
    want.push_back({300, 100, 197, 1.5f});

    objects->Block(7)[1] = 0xAB; // the header is not the store's to change
    ASSERT_EQ(objects->StoreMapObjects(7), 0);
    std::vector<uint8_t> expected = AssembleBlock(want);
    expected[1] = 0xAB;
    ASSERT_EQ(BlockBytes(*objects, 7), expected);

    // Into a fresh world: the same objects come back, and store to the same bytes.
    std::vector<uint8_t> block = BlockBytes(*objects, 7);
    UseGrid(FloorGrid(40, 30));
    std::memcpy(objects->Block(7), block.data(), block.size());
    ASSERT_EQ(objects->RestoreMapObjects(7), 0);
    ASSERT_EQ(objects->nodes.size(), want.size());
    EXPECT_EQ(objects->nodes.front().row, 3);
    EXPECT_EQ(std::next(objects->nodes.begin())->row, 0);
    std::memset(objects->Block(7) + 4, 0x55, 64); // stale bytes are cleared first
    ASSERT_EQ(objects->StoreMapObjects(7), 0);
    EXPECT_EQ(BlockBytes(*objects, 7), block);
    EXPECT_EQ(objects->CountStoredObjects(7, 1), 1);
    EXPECT_EQ(objects->CountStoredObjects(7, -2), coinRow == 0 ? 2 : 1);
    EXPECT_EQ(objects->CountStoredObjects(7, 50), 0);
}

TEST_F(FieldObjectsTest, OfThreeHundredPersistentObjetsTheFirst256AreStored) {
    for (int i = 0; i < 300; i++) ASSERT_GE(objects->CreateFieldObject((float)(10 + i), 100, 1 + i % 2, 0, 0, 0, 1, 0, 0, 0), 0);
    ASSERT_EQ(objects->StoreMapObjects(3), 0);
    const uint8_t *b = objects->Block(3);
    for (int i = 0; i < kWorldBlockEntries; i++) {
        float x;
        std::memcpy(&x, b + 4 + 16 * i, 4);
        ASSERT_EQ(x, (float)(10 + i)) << i;
    }
    EXPECT_EQ(objects->CountStoredObjects(3, 1) + objects->CountStoredObjects(3, 2), kWorldBlockEntries);
}

TEST_F(FieldObjectsTest, BadBlockNumbersAndDamagedBlocksAreRefused) {
    for (int block : {-1, 200, 100000}) {
        SCOPED_TRACE(block);
        EXPECT_EQ(objects->StoreMapObjects(block), -1);
        EXPECT_EQ(objects->RestoreMapObjects(block), -1);
        EXPECT_EQ(objects->CountStoredObjects(block, 1), -1);
    }
    EXPECT_NE(LogBytes().find("ワールド状態のブロック番号 200 が範囲外です in StoreMapObjects"), std::string::npos);
    // A damaged block (from a save file) restores only what can be made.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    std::vector<uint8_t> bad = AssembleBlock(
        {{100, 100, 9999, 0}, {100, 100, -50, 0}, {nan, 100, 1, 0}, {100, 100, 1, inf}, {120, 100, 1, 0.5f}});
    std::memcpy(objects->Block(9), bad.data(), bad.size());
    ASSERT_EQ(objects->RestoreMapObjects(9), 0);
    ASSERT_EQ(objects->nodes.size(), 1u);
    EXPECT_EQ(objects->nodes.front().x, 120.0f);
    // A fresh store: every header byte 1, every entry empty.
    FieldObjects fresh;
    for (int n = 0; n < kWorldBlockCount; n++) {
        ASSERT_EQ(fresh.Block(n)[0], 1);
        ASSERT_EQ(fresh.CountStoredObjects(n, 0), 0);
    }
}

TEST_F(FieldObjectsTest, CountRemoveAndTouchQueriesOnASmallScene) {
    int a = Make(100, 440, 3);
    int b = Make(130, 440, 3);
    int barrel = Make(160, 440, 5);
    int far = Make(400, 440, 3);
    int high = Make(110, 440, 210); // rows from 200 are not counted
    const auto &counts = objects->CountObjectsInRect(90, 430, 170, 460);
    EXPECT_EQ(counts[3], 2);
    EXPECT_EQ(counts[5], 1);
    EXPECT_EQ(counts[210 % 200], 0);
    int total = 0;
    for (int c : counts) total += c;
    EXPECT_EQ(total, 3);
    (void)high;

    objects->RemoveObjectsInRect(1, 90, 430, 170, 460, 3);
    EXPECT_EQ(Node(a).image, -1);
    EXPECT_NE(Node(b).image, -1);
    Frames(1);
    EXPECT_FALSE(Has(a));

    // A static shelf under the others to touch: take the barrel by its row, then any.
    int shelf = physics.CreateObjectBody(250, 460, 200, 4, 0, 0, 0, 0, 0);
    // Until the bounces die down and all three rest on it (contacts are this step's).
    auto resting = [&](int id) { return physics.GetContactBetweenBodies(id, shelf) == CONTACT_PERSISTED; };
    for (int i = 0; i < 200 && !(resting(b) && resting(barrel) && resting(far)); i++) Frames(1);
    ASSERT_TRUE(resting(b) && resting(barrel) && resting(far));
    float x = 0, y = 0;
    EXPECT_TRUE(objects->IsBodyTouchingObject(shelf));
    EXPECT_FALSE(objects->TakeObjectTouchingBody(4, shelf, &x, &y));
    EXPECT_TRUE(objects->TakeObjectTouchingBody(5, shelf, &x, &y));
    EXPECT_EQ(x, Node(barrel).x);
    EXPECT_EQ(Node(barrel).image, -1);
    EXPECT_TRUE(objects->TakeObjectTouchingBody(-1, shelf, &x, &y));
    EXPECT_EQ(Node(b).image, -1);
    EXPECT_TRUE(objects->TakeObjectTouchingBody(-1, shelf, &x, &y)); // the far crate
    EXPECT_EQ(Node(far).image, -1);
    EXPECT_FALSE(objects->TakeObjectTouchingBody(-1, 9999, &x, &y));
    // An object's own body and rows 155-157 do not count as touching.
    EXPECT_FALSE(objects->IsBodyTouchingObject(9999));
}

TEST_F(FieldObjectsTest, RowsOneFiftyFiveToSevenDoNotCountAsTouching) {
    int shelf = physics.CreateObjectBody(250, 460, 200, 4, 0, 0, 0, 0, 0);
    int odd = Make(200, 448, 156);
    for (int i = 0; i < 200 && physics.GetContactBetweenBodies(odd, shelf) != CONTACT_PERSISTED; i++) Frames(1);
    ASSERT_EQ(physics.GetContactBetweenBodies(odd, shelf), CONTACT_PERSISTED);
    EXPECT_FALSE(objects->IsBodyTouchingObject(shelf));
    int crate = Make(300, 446, 3);
    for (int i = 0; i < 200 && physics.GetContactBetweenBodies(crate, shelf) == -1; i++) Frames(1);
    EXPECT_TRUE(objects->IsBodyTouchingObject(shelf));
}

} // namespace
