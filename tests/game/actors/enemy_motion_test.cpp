// The motion pass: the ten motion classes, the hit shake's count-down, the map cells with four
// and eight probes, the corner set, the raised lower probes, the enemies' own slope lines, the
// step state a wall sets (not while jumping), the reactions by operation, the knock-back's bounce;
// the ambient effects; and the queries (marks, nearest enemy, aiming).
#include <algorithm>
#include <cmath>

#include "tests/game/actors/enemy_fixture.h"

namespace {

class MotionTest : public EnemyTest {
protected:
    MotionTest() { Map(std::vector<std::string>(30, std::string(40, '.'))); }
    EnemyNode *Mover(float x, float y, int operation, float vx, float vy, int w = 6, int h = 6, int tiles = 1) {
        EnemyNode *n = Bare(x, y, operation);
        n->vx = vx, n->vy = vy;
        n->halfWidth = (float)w, n->halfHeight = (float)h;
        n->tileCollision = tiles;
        return n;
    }
};

TEST_F(MotionTest, EachMotionClassMovesTheNodeItsOwnWay) {
    const struct {
        int operation;
        float x, y; // after one pass from (100, 100) with velocity (1.5, -1)
    } cases[] = {
        {OP_WALK, 101.5f, 102.2f},        {OP_FLY, 101.5f, 99},          {OP_BOUNCE_FLY, 101.5f, 99},
        {OP_KNOCKABLE, 100, 102.2f},      {OP_STAND, 100, 102.2f},       {OP_LOOP, 100, 102.2f},
        {OP_JUMP, 101.5f, 99.13f},        {OP_SINK_STILL, 100, 100},     {OP_HURT, 100, 100},
        {OP_CEILING_WALK, 101.5f, 97.8f}, {OP_STOP_105, 100, 97.8f},     {OP_JUMP_112, 101.5f, 98.87f},
        {OP_STILL, 100, 100},             {OP_DIE, 100, 100},            {OP_HOME, 101.5f, 99},
    };
    for (const auto &c : cases) {
        EnemyNode *n = Mover(100, 100, c.operation, 1.5f, -1, 6, 6, 0);
        MoveEnemies(enemies);
        EXPECT_FLOAT_EQ(n->x, c.x) << "operation " << c.operation;
        EXPECT_FLOAT_EQ(n->y, c.y) << "operation " << c.operation;
        FreeEnemyNode(enemies, n);
    }
    EXPECT_EQ(EnemyMotionClass(113), 10);
    EXPECT_EQ(EnemyMotionClass(-1), 10);

    // A link sits halfway between its parent and its second child, once it has both.
    EnemyNode *parent = Bare(100, 100), *child = Bare(200, 140);
    EnemyNode *link = Mover(0, 0, OP_CHAIN_LINK, 0, 0, 3, 3, 0);
    link->x = link->y = 5;
    link->parent = RefTo(parent);
    MoveEnemies(enemies);
    EXPECT_EQ(link->x, 5) << "no second child yet";
    link->secondChild = RefTo(child);
    MoveEnemies(enemies);
    EXPECT_EQ(link->x, 150);
    EXPECT_EQ(link->y, 120);
}

TEST_F(MotionTest, OnlyNodesInsideTheMapMoveAndTheirHitShakeRunsDown) {
    EnemyNode *outside = Mover(-1, 100, OP_FLY, 1, 0, 6, 6, 0);
    outside->hit = 1, outside->hitShake = 5;
    EnemyNode *shaken = Mover(100, 100, OP_STILL, 0, 0);
    shaken->hit = 1, shaken->hitShake = 16;
    MoveEnemies(enemies);
    EXPECT_EQ(outside->x, -1);
    EXPECT_EQ(outside->hitShake, 5);
    EXPECT_EQ(shaken->hitShake, 14) << "16 skips to 14";
    for (int i = 0; i < 14; i++) MoveEnemies(enemies);
    EXPECT_EQ(shaken->hitShake, 0);
    EXPECT_EQ(shaken->hit, 1) << "the hit ends on the pass that finds the shake run out";
    MoveEnemies(enemies);
    EXPECT_EQ(shaken->hit, 0);
}

TEST_F(MotionTest, FloorsCeilingsAndWallsSnapTheNodeToTheCellEdges) {
    Map({
        "..........",
        "....#.....",
        "..........",
        "..........",
        "......#...",
        "##########",
    });
    // Falling onto the floor (top at 80): y = 80 - 6 - 0.1, supported.
    EnemyNode *faller = Mover(40, 72, OP_WALK, 0, 0);
    // Rising into the block at (4, 1) (bottom at 32): y = 32 + 6.
    EnemyNode *riser = Mover(72, 40, OP_FLY, 0, -4, 6, 6, 1);
    // Walking right into the block at (6, 4) (left at 96): x = 96 - 6 - 0.1, step state 1.
    EnemyNode *walker = Mover(88, 73.9f, OP_WALK, 3, 0);
    // The same while jumping: snapped, but no step state.
    EnemyNode *jumper = Mover(88, 68, OP_JUMP, 3, -0.13f);
    MoveEnemies(enemies);
    EXPECT_FLOAT_EQ(faller->y, 73.9f);
    EXPECT_EQ(faller->supported, 1);
    EXPECT_FLOAT_EQ(riser->y, 38);
    EXPECT_EQ(riser->supported, 0);
    EXPECT_FLOAT_EQ(walker->x, 89.9f);
    EXPECT_EQ(walker->stepState, 1);
    EXPECT_FLOAT_EQ(jumper->x, 89.9f);
    EXPECT_EQ(jumper->stepState, 0);

    // Moving left into a wall: x = wall right + 6.
    EnemyNode *left = Mover(118, 73.9f, OP_WALK, -3, 0);
    MoveEnemies(enemies);
    EXPECT_FLOAT_EQ(left->x, 118);
    EXPECT_FLOAT_EQ(left->x - 6, 112);
}

TEST_F(MotionTest, NodesEightPixelsAcrossProbeTheirMiddlesToo) {
    Map({
        "..........",
        "..........",
        "..........",
        ".....#....",
        "..........",
        ".....#....",
    });
    // Half width 10 over the one-cell pillar at column 5: only the middle of its underside finds it.
    EnemyNode *wide = Mover(88, 40, OP_WALK, 0, 0, 10, 6);
    EnemyNode *narrow = Mover(88, 40, OP_WALK, 0, 0, 7, 6);
    // Half height 10 flying at the block at (5, 5) with its middle: corners above and below miss.
    EnemyNode *tall = Mover(74, 88, OP_FLY, 4, 0, 4, 10);
    MoveEnemies(enemies);
    EXPECT_FLOAT_EQ(wide->y, 48 - 6 - 0.1f) << "the middle probe lands it";
    EXPECT_FLOAT_EQ(narrow->y, 48 - 6 - 0.1f) << "its corners find the cell themselves";
    EXPECT_EQ(tall->stepState, 1) << "the side's middle meets the wall";
    EXPECT_FLOAT_EQ(tall->x, 80 - 4 - 0.1f);
}

TEST_F(MotionTest, TheCornerSetStopsADiagonalApproachOnHardCellsOnly) {
    for (char block : {'#', '<'}) {
        Map({
            "......",
            "......",
            "..." + std::string(1, block) + "..",
            "......",
        });
        // Up and right toward the block's lower-left corner (48, 48): neither set alone touches it.
        EnemyNode *n = Mover(41, 53, OP_FLY, 4, -4, 4, 4, 1);
        MoveEnemies(enemies);
        if (block == '#') {
            EXPECT_EQ(n->stepState, 1) << "a corner touch is a wall";
            EXPECT_FLOAT_EQ(n->x, 48 - 4 - 0.1f);
        } else {
            EXPECT_EQ(n->stepState, 0) << "conveyors do not count in the corner set";
            EXPECT_FLOAT_EQ(n->x, 45);
        }
        FreeEnemyList(enemies);
    }
}

TEST_F(MotionTest, SomeProgramsProbeWithTheirLowerCornersRaised) {
    Map({
        "..........",
        "..........",
        "..........",
        "......#...",
        "##########",
    });
    // Centre in row 2, lower corners reach into row 3 where the block at column 6 stands.
    for (int program : {PROGRAM_WALKER, PROGRAM_JUMPER, PROGRAM_BAT}) {
        EnemyNode *n = Mover(88, 44, OP_FLY, 6, 0, 6, 7, 1);
        n->program = program;
        MoveEnemies(enemies);
        const bool raised = program != PROGRAM_BAT;
        EXPECT_EQ(n->stepState, raised ? 0 : 1) << "program " << program;
        FreeEnemyList(enemies);
    }
}

TEST_F(MotionTest, EnemiesWalkTheirOwnSlopeLines) {
    // Each slope cell at column 2 of row 3 (top at 48), the node's foot at x.
    const struct {
        char slope;
        float x, y; // the centre after landing, half height 6
    } cases[] = {
        {'2', 40, 48 + 12 - 6},  // 16 at the left edge, 8 at the right: 12 in the middle
        {'3', 40, 48 + 5 - 6},   // 8 to 2 (the player's line runs 8 to -2)
        {'3', 47, 48 + 2.375f - 6},
        {'4', 36, 48 + 10 - 6},  // 8 to 16
        {'5', 36, 48 + 3.5f - 6}, // 2 to 8
    };
    for (const auto &c : cases) {
        Map({
            "......",
            "......",
            "......",
            ".." + std::string(1, c.slope) + "...",
            "######",
        });
        EnemyNode *n = Mover(c.x, 52, OP_WALK, 0, 0);
        MoveEnemies(enemies);
        EXPECT_FLOAT_EQ(n->y, c.y) << "slope " << c.slope << " at " << c.x;
        EXPECT_EQ(n->supported, 1);
        FreeEnemyList(enemies);
    }
}

TEST_F(MotionTest, ConveyorsCarryWhatStandsOnThem) {
    Map({
        "......",
        "......",
        ">>><<<",
    });
    EnemyNode *right = Mover(20, 25.9f, OP_STAND, 0, 0), *left = Mover(72, 25.9f, OP_STAND, 0, 0);
    MoveEnemies(enemies);
    EXPECT_FLOAT_EQ(right->x, 20.15f);
    EXPECT_FLOAT_EQ(left->x, 71.85f);
}

TEST_F(MotionTest, OperationsReactToWhatTheyMeet) {
    Map({
        "..........",
        "..........",
        "..........",
        "..........",
        "..........",
        "##########",
    });
    EnemyNode *jumper = Mover(40, 75, OP_JUMP, 1, 3);
    EnemyNode *flyer = Mover(100, 20, OP_FLY, 0, -1);
    EnemyNode *bouncer = Mover(140, 70, OP_BOUNCE_FLY, 1, 4);
    MoveEnemies(enemies);
    EXPECT_EQ(jumper->stepState, 1) << "landed";
    EXPECT_EQ(jumper->vx, 0);
    EXPECT_EQ(jumper->vy, 0);
    EXPECT_FLOAT_EQ(flyer->vy, 2.2f) << "an unsupported flyer with tile collision falls";
    EXPECT_FLOAT_EQ(bouncer->vy, -4) << "a floor turns its vertical speed";
    bouncer->x = 134, bouncer->y = 56, bouncer->vx = 5, bouncer->vy = 0;
    Map({
        "..........",
        "..........",
        "..........",
        ".........#",
        "..........",
        "##########",
    });
    MoveEnemies(enemies);
    EXPECT_EQ(bouncer->vx, -5) << "a wall turns its sideways speed";
}

TEST_F(MotionTest, AKnockedBackNodeFliesBouncesAndSettles) {
    Map({
        "..........",
        "..........",
        "..........",
        "..........",
        "..........",
        "##########",
    });
    EnemyNode *n = Mover(40, 40, OP_KNOCKABLE, 2, -3);
    n->hit = 1, n->hitShake = 15;
    bool bounced = false;
    float lastVy = n->vy;
    rand.Add({4}); // even: the settled node drifts right
    int frames = 0;
    while (n->hit && frames++ < 600) {
        EnemyFrame();
        if (n->hit) {
            EXPECT_EQ(n->hitShake, 1);
            if (lastVy > 0 && n->vy < 0) bounced = true;
            lastVy = n->vy;
        }
    }
    EXPECT_TRUE(bounced) << "a first landing bounces it back up";
    EXPECT_EQ(n->hit, 0);
    EXPECT_EQ(n->hitShake, 0);
    EXPECT_FLOAT_EQ(n->vx, 0.2f);
    EXPECT_FLOAT_EQ(n->vy, -3);
    EXPECT_EQ(std::count(world.sounds.begin(), world.sounds.end(), 50), 1);
    EXPECT_LT(frames, 200);
    // Settled, it stands and falls at 2.2 again.
    const float y = n->y;
    EnemyFrame();
    EXPECT_FLOAT_EQ(n->y, y);
}

TEST_F(MotionTest, AmbientDripsSparklesAndTheDistanceWord) {
    EnemyNode *hidden = Bare(100, 50, OP_HIDDEN), *sparkle = Bare(10, 20, OP_SPARKLE);
    rand.Add({200, 37, 75, 1}); // drip (x + 37 % 16), sparkle; then neither
    rand.Add({1});
    UpdateEnemyAmbient(enemies);
    EXPECT_EQ(world.effects, std::vector<RecordedEffect>({{105, 50, 2}, {22, 26, 13}}));
    world.ClearRecords();
    UpdateEnemyAmbient(enemies);
    EXPECT_TRUE(world.effects.empty());
    (void)hidden, (void)sparkle;
}

TEST_F(MotionTest, QueriesMarkFindAimAndMeasure) {
    EnemyNode *a = Bare(100, 100), *b = Bare(130, 100), *c = Bare(60, 130);
    MarkEnemiesNear(enemies, 30, 100, 100);
    EXPECT_EQ(a->alerted, 1);
    EXPECT_EQ(b->alerted, 0) << "30 is not below 30";
    EXPECT_EQ(c->alerted, 0);

    float angle = 0;
    // From (110, 100): a costs 10, b 20, c 80; side 0 adds 160 to those right of the point, side 1
    // to those left of it.
    EXPECT_TRUE(FindNearestEnemyAngle(enemies, 1, 110, 100, &angle));
    EXPECT_FLOAT_EQ(angle, 0) << "side 1 adds 160 to a and c, left of the point: b";
    EXPECT_TRUE(FindNearestEnemyAngle(enemies, 0, 110, 100, &angle));
    EXPECT_FLOAT_EQ(angle, std::atan2(0.0f, -10.0f)) << "a is left of the point";
    EXPECT_TRUE(FindNearestEnemyAngle(enemies, 0, 95, 100, &angle));
    EXPECT_FLOAT_EQ(angle, std::atan2(30.0f, -35.0f)) << "a and b are right: c at 65 wins";
    EXPECT_FALSE(FindNearestEnemyAngle(enemies, 1, 100, 100, &angle)) << "a best sum of 0";
    Bare(100, 90); // a tie with a from (100, 95) keeps the earlier node
    EXPECT_TRUE(FindNearestEnemyAngle(enemies, 1, 100, 95, &angle));
    EXPECT_FLOAT_EQ(angle, std::atan2(5.0f, 0.0f));
    FreeEnemyList(enemies);
    EXPECT_FALSE(FindNearestEnemyAngle(enemies, 0, 0, 0, &angle));

    player.x = 200, player.y = 100;
    float vx = 0, vy = 0;
    ComputeAimAtPlayerOffset(enemies, 100, 100, 0, -100, 2, &vx, &vy);
    EXPECT_FLOAT_EQ(vx, 2 * std::cos(std::atan2(-100.0f, 100.0f)));
    EXPECT_FLOAT_EQ(vy, 2 * std::sin(std::atan2(-100.0f, 100.0f)));
    EXPECT_TRUE(IsNearPlayerPoint(enemies, 203, 98, 0, 0));
    EXPECT_FALSE(IsNearPlayerPoint(enemies, 205, 100, 0, 0));
    EXPECT_TRUE(IsNearPlayerPoint(enemies, 210, 90, 10, -10));
}

TEST_F(MotionTest, TheSightRayReadsOutsideTheGridAsEmpty) {
    Map({
        "....",
        "....",
    });
    player.x = 40, player.y = -40; // above the grid
    EXPECT_EQ(CheckLineToPlayer(enemies, 40, 20, 100), 1);
    EXPECT_EQ(CheckLineToPlayer(enemies, 40, 20, 40), 0) << "too few steps";
    player.x = -300, player.y = 20;
    EXPECT_EQ(CheckLineToPlayer(enemies, 40, 20, 400), 1);
}

} // namespace
