// The step interpreter on tiny programs: timed branches, the distance branch, loops, random
// branches on scripted draws, shots, speech, spawns and chains, orbit and ride, the excursion, the
// hurt and death steps a hit forces, parts freed with their parent, the setter steps, and the
// guards (a jump out of the program, a frame's step limit).
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "game/actors/shot_kinds.h"
#include "tests/game/actors/enemy_fixture.h"

namespace {

using ProgramTest = EnemyTest;

TEST_F(ProgramTest, TimedBranchRunsOnceAFrameKeepsCountingAndJumpsAfterAFrames) {
    // 0: walk until the counter reaches 3, stepping through 1 (which leads back) meanwhile.
    EnemyNode *n = Node(100, 100, {S(OP_WALK, 3, 2), S(OP_JUMP_BY, -1), S(OP_SET_FRAME, 0, 7, -1), S(OP_STILL)});
    for (int frame = 1; frame <= 3; frame++) {
        RunEnemyPrograms(enemies);
        EXPECT_EQ(n->operation, OP_WALK) << "frame " << frame;
        EXPECT_EQ(n->frameColumn, 0) << "frame " << frame;
        EXPECT_EQ(n->stepCounter, frame) << "the jump back keeps the counter";
    }
    RunEnemyPrograms(enemies);
    EXPECT_EQ(n->frameColumn, 7);
    EXPECT_EQ(n->operation, OP_STILL);
    EXPECT_EQ(n->step, 3);

    // The motion pass's step state 1 (a wall) jumps at once.
    EnemyNode *walled = Node(100, 100, {S(OP_WALK, 999, 2), S(OP_JUMP_BY, -1), S(OP_SET_FRAME, 0, 4, -1), S(OP_STILL)});
    walled->stepState = 1;
    RunEnemyPrograms(enemies);
    EXPECT_EQ(walled->frameColumn, 4);
    EXPECT_EQ(walled->stepState, 1) << "a jump leaves the state to the steps that reset it";
}

TEST_F(ProgramTest, DistanceBranchWaitsForTheAmbientPassThenJumps) {
    player.x = 100, player.y = 100;
    auto program = {S(OP_NEAR_PLAYER, 50, 1, 3), S(OP_SET_FRAME, 0, 1, -1), S(OP_STILL), S(OP_SET_FRAME, 0, 2, -1),
                    S(OP_STILL)};
    EnemyNode *near = Node(130, 100, program), *far = Node(100, 160, program), *edge = Node(150, 100, program);
    RunEnemyPrograms(enemies);
    EXPECT_EQ(near->step, 0) << "state 0: it holds";
    EXPECT_EQ(near->stored, 50);
    UpdateEnemyAmbient(enemies);
    EXPECT_EQ(near->stepState, 1);
    EXPECT_EQ(far->stepState, 2);
    EXPECT_EQ(edge->stepState, 2) << "50 is not below 50";
    RunEnemyPrograms(enemies);
    EXPECT_EQ(near->frameColumn, 1);
    EXPECT_EQ(far->frameColumn, 2);
}

TEST_F(ProgramTest, LoopsCountPassesWithinOneFrame) {
    // 39: jumps b when the count (before it rises) reached a; resets counter and state each pass.
    EnemyNode *loop = Node(0, 0, {S(OP_ANIMATE_COLUMN, 1, 99), S(OP_LOOP, 2, 2), S(OP_JUMP_BY, -2), S(OP_STILL)});
    loop->stepState = 1;
    loop->stepCounter = 7;
    // 52: rises first, next below a, else back to 0 and jump b; the counter is left alone.
    EnemyNode *count = Node(0, 0, {S(OP_ANIMATE_COLUMN, 1, 99), S(OP_COUNT_LOOP, 3, 2), S(OP_JUMP_BY, -2), S(OP_STILL)});
    count->stepCounter = 7;
    // 40 sets the count.
    EnemyNode *set = Node(0, 0, {S(OP_SET_LOOP, 0, 5), S(OP_STILL)});
    RunEnemyPrograms(enemies);
    EXPECT_EQ(loop->frameColumn, 3);
    EXPECT_EQ(loop->loopCounter, 0);
    EXPECT_EQ(loop->stepState, 0);
    EXPECT_EQ(loop->stepCounter, 1) << "reset to 0 by the loop, then one frame counted";
    EXPECT_EQ(count->frameColumn, 3);
    EXPECT_EQ(count->loopCounter, 0);
    EXPECT_EQ(count->stepCounter, 8);
    EXPECT_EQ(set->loopCounter, 5);
}

TEST_F(ProgramTest, RandomBranchesTakeTheScriptedDraws) {
    auto program = {S(OP_RANDOM, 4, 1, 3), S(OP_SET_FRAME, 0, 1, -1), S(OP_STILL), S(OP_SET_FRAME, 0, 2, -1),
                    S(OP_STILL)};
    EnemyNode *nonZero = Node(0, 0, program), *zero = Node(0, 0, program);
    EnemyNode *never = Node(0, 0, {S(OP_RANDOM, 0, 1, 3), S(OP_SET_FRAME, 0, 1, -1), S(OP_STILL),
                                   S(OP_SET_FRAME, 0, 2, -1), S(OP_STILL)});
    rand.Add({5, 8}); // 5 % 4 = 1: b; 8 % 4 = 0: c; a count of 0 draws nothing and takes c
    RunEnemyPrograms(enemies);
    EXPECT_EQ(nonZero->frameColumn, 1);
    EXPECT_EQ(zero->frameColumn, 2);
    EXPECT_EQ(never->frameColumn, 2);

    // 99: one draw % 9 picks step + 1, 4, 7, 10, 13, 16, 19, 22 or 27 (here from step 1).
    FreeEnemyList(enemies);
    std::vector<EnemyStep> steps(29, S(OP_STILL));
    steps[1] = S(OP_RANDOM_9);
    const struct {
        int draw, step;
    } cases[] = {{0, 2}, {1, 5}, {4, 14}, {7, 23}, {8, 28}, {17, 28}, {9, 2}};
    for (const auto &c : cases) {
        EnemyNode *n = Node(0, 0, steps);
        n->step = 1;
        rand.Add({c.draw});
        RunEnemyPrograms(enemies);
        EXPECT_EQ(n->step, c.step) << "draw " << c.draw;
        FreeEnemyNode(enemies, n);
    }
}

TEST_F(ProgramTest, FireMakesAnEnemyShotWithTheStepsDamagePlusTheNodesAndItsOwner) {
    player.x = 300, player.y = 100;
    // Enemy kind 3 follows its owner, kind 6 does not.
    EnemyNode *n = Node(100, 100, {S(OP_FIRE, 2, 3, 4, 10, -6), S(OP_WALK, 999, 0), S(OP_JUMP_BY, -2)});
    n->damage = 7;
    EnemyNode *waiting = Node(50, 60, {S(OP_FIRE, 0, 6, 4), S(OP_STILL)});
    waiting->damage = 7;
    waiting->state = ENEMY_WAITING;
    enemies.pendingDelay = 100;
    EnemyFrames(4);
    std::vector<ShotNode *> shots = Shots();
    ASSERT_EQ(shots.size(), 2u) << "once each, when the counter equals a";
    EXPECT_EQ(shots[0]->x, 50);
    EXPECT_EQ(shots[0]->damage, 4 + 15) << "a waiting node's shots carry 15";
    EXPECT_FALSE(shots[0]->owner) << "behaviour 11 does not follow its owner";
    EXPECT_EQ(shots[1]->x, 110);
    EXPECT_EQ(shots[1]->y, 94);
    EXPECT_EQ(shots[1]->damage, 11);
    EXPECT_EQ(shots[1]->fromEnemy, 1);
    EXPECT_EQ(shots[1]->behaviour, kShotKinds[3].behaviour);
    EXPECT_EQ(shots[1]->owner.node, n);
    EXPECT_EQ(shots[1]->owner.serial, n->serial);
}

TEST_F(ProgramTest, FireEveryAFramesAndNeverForACountOfZero) {
    EnemyNode *every = Node(100, 100, {S(OP_FIRE_EVERY, 3, 6, 1), S(OP_WALK, 9999, 0), S(OP_JUMP_BY, -2)});
    EnemyNode *never = Node(100, 100, {S(OP_FIRE_EVERY, 0, 6, 1), S(OP_WALK, 9999, 0), S(OP_JUMP_BY, -2)});
    for (int i = 0; i < 7; i++) RunEnemyPrograms(enemies); // counters 0..6
    EXPECT_EQ(Shots().size(), 3u) << "at counters 0, 3 and 6";
    EXPECT_EQ(never->stepCounter, 7);
    EXPECT_EQ(every->stepCounter, 7);
}

TEST_F(ProgramTest, SpeechIsCopiedWholeCharactersUpTo255Bytes) {
    std::string ascii255(255, 'a'), ascii254(254, 'b');
    const std::string twoByte = ascii254 + "あ"; // 256 bytes: the last character does not fit
    const struct {
        std::string text;
        size_t kept;
    } cases[] = {{"ガルド「よう」", strlen("ガルド「よう」")}, {ascii255, 255}, {ascii255 + "x", 255}, {twoByte, 254}};
    for (const auto &c : cases) {
        EnemyNode *n = Node(0, 0, {EnemyStep{OP_SAY, 0, 0, 0, c.text.c_str(), 0, 0}, S(OP_STILL)});
        enemies.speechFrames = 50;
        RunEnemyPrograms(enemies);
        EXPECT_EQ(std::string(enemies.speech), c.text.substr(0, c.kept)) << c.text.size() << " bytes";
        EXPECT_EQ(enemies.speechShown, 1);
        EXPECT_EQ(enemies.speechFrames, 0);
        FreeEnemyNode(enemies, n);
    }
}

TEST_F(ProgramTest, SpawnMakesAKindWithoutDropsWhenTheCounterEqualsA) {
    player.enemySet = 4;
    // Numbers 1..15 are spawn slots of the current set: slot 1 of the field's set is the walker.
    EnemyNode *n = Node(100, 100, {S(OP_SPAWN, 1, 1, 0, 20, -30), S(OP_WALK, 9999, 0), S(OP_JUMP_BY, -2)});
    RunEnemyPrograms(enemies);
    EXPECT_EQ(Count(), 1);
    RunEnemyPrograms(enemies);
    ASSERT_EQ(Count(), 2);
    EnemyNode *walker = enemies.tail;
    EXPECT_EQ(walker->program, PROGRAM_WALKER);
    EXPECT_EQ(walker->x, 100 + 20 + 8);
    EXPECT_EQ(walker->y, 100 - 30 + 8);
    EXPECT_EQ(walker->dropChance, 0);
    EXPECT_EQ(Linked(walker->root), walker);
    EXPECT_EQ(walker->depth, 0);
    EXPECT_NE(walker->serial, n->serial);
}

TEST_F(ProgramTest, PartsHangFromTheirParentOneLevelDeeperAndTakeTheNextSlotAtTheLastLevel) {
    player.enemySet = 4; // slot 5 the vine's link, slot 6 its bulb
    // A test root: a first child at depth 0 < 1 (slot 5); no part past the depth.
    EnemyNode *root = Node(100, 100, {S(OP_SPAWN_PART, 0, 5, 1, 4, 2), S(OP_STILL)});
    RunEnemyPrograms(enemies);
    ASSERT_EQ(Count(), 4) << "the link goes on growing the shipped vine: a second link, the bulb";
    EnemyNode *link = Linked(root->firstChild);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->program, PROGRAM_CHAIN_LINK);
    EXPECT_EQ(link->x, 100 + 4 + 3) << "placed at the step's offset plus the kind's half size";
    EXPECT_EQ(link->y, 100 + 2 + 3);
    EXPECT_EQ(link->depth, 1);
    EXPECT_EQ(Linked(link->parent), root);
    EXPECT_EQ(Linked(link->root), root);
    EXPECT_EQ(link->dropRow, kEnemyKinds[KIND_CHAIN_LINK].dropRow);

    FreeEnemyList(enemies);
    // At the last level (depth = c) the slot after b; a node past it makes nothing. Both hang from
    // a parent, as parts without one are freed.
    EnemyNode *holder = Bare(0, 0);
    EnemyNode *last = Node(0, 0, {S(OP_SPAWN_PART, 1, 5, 2), S(OP_STILL)});
    last->depth = 2;
    last->parent = RefTo(holder);
    EnemyNode *past = Node(0, 0, {S(OP_SPAWN_PART, 1, 5, 2), S(OP_STILL)});
    past->depth = 3;
    past->parent = RefTo(holder);
    RunEnemyPrograms(enemies);
    ASSERT_NE(Linked(last->secondChild), nullptr);
    EXPECT_EQ(Linked(last->secondChild)->program, PROGRAM_CHAIN_TIP);
    EXPECT_EQ(Linked(last->secondChild)->depth, 3);
    EXPECT_FALSE(past->firstChild || past->secondChild);
}

TEST_F(ProgramTest, TheShippedVineGrowsItsWholeChainInOneFrame) {
    player.enemySet = 4;
    EnemyNode *seed = SpawnEnemy(KIND_CHAIN_ROOT + 1, enemies, 200, 200, 0, -1);
    RunEnemyPrograms(enemies);
    ASSERT_EQ(Count(), 4);
    EnemyNode *link1 = seed->next, *link2 = link1->next, *bulb = link2->next;
    const struct {
        EnemyNode *node, *parent;
        int depth, program;
    } chain[] = {{link1, seed, 1, PROGRAM_CHAIN_LINK}, {link2, link1, 2, PROGRAM_CHAIN_LINK},
                 {bulb, link2, 3, PROGRAM_CHAIN_TIP}};
    for (const auto &c : chain) {
        EXPECT_EQ(Linked(c.node->parent), c.parent) << "depth " << c.depth;
        EXPECT_EQ(Linked(c.node->root), seed) << "depth " << c.depth;
        EXPECT_EQ(c.node->depth, c.depth);
        EXPECT_EQ(c.node->program, c.program);
    }
    EXPECT_EQ(Linked(seed->firstChild), link1);
    EXPECT_EQ(Linked(link1->secondChild), link2);
    EXPECT_EQ(Linked(link2->secondChild), bulb);
}

TEST_F(ProgramTest, OrbitCirclesTheRootAndRideSitsOnIt) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    EnemyNode *root = Bare(300, 300);
    EnemyNode *orbiter = Node(0, 0, {S(OP_ORBIT, 9999, 0, 0.5f, 20), S(OP_JUMP_BY, -1)});
    orbiter->root = RefTo(root);
    orbiter->x = orbiter->y = 310;
    EnemyNode *rider = Node(0, 0, {S(OP_RIDE, 9999, 0), S(OP_JUMP_BY, -1)});
    rider->root = RefTo(root);
    rider->vx = 27, rider->vy = -43;
    float angle = 0;
    for (int frame = 1; frame <= 8; frame++) {
        EnemyFrame();
        angle += 0.5f;
        if (angle > 3.14159265f) angle -= 2 * 3.14159265f;
        EXPECT_FLOAT_EQ(orbiter->angle, angle) << "frame " << frame;
        EXPECT_NEAR(orbiter->x, 300 + 20 * std::cos(angle), 1e-3) << "frame " << frame;
        EXPECT_NEAR(orbiter->y, 300 + 20 * std::sin(angle), 1e-3) << "frame " << frame;
        EXPECT_EQ(rider->x, 327);
        EXPECT_EQ(rider->y, 257);
    }
    EXPECT_LT(orbiter->angle, 0) << "wrapped once past pi";

    // A root that is gone: both hold where they are.
    FreeEnemyNode(enemies, root);
    EnemyFrame();
    const float ox = orbiter->x, ovx = orbiter->vx;
    EnemyFrames(3);
    EXPECT_EQ(orbiter->vx, ovx);
    EXPECT_NEAR(orbiter->x, ox + 3 * ovx, 1e-3) << "the last velocity carries it; no step changes it";
    EXPECT_EQ(orbiter->step, 0) << "held at the orbit";
    EXPECT_EQ(rider->x, 327);
    EXPECT_EQ(rider->step, 0) << "held at the ride";
}

TEST_F(ProgramTest, ExcursionRunsAnotherProgramUntilTheDelayRunsOutThenEveryWaitingNodeResumes) {
    const int away = Program({S(OP_SET_FRAME, 0, 9, -1), S(OP_STILL)});
    EnemyNode *a = Node(0, 0, {S(OP_EXCURSION, 3, (float)away), S(OP_SET_FRAME, 0, 5, -1), S(OP_STILL)});
    const int home = a->program;
    EnemyNode *b = Node(0, 0, {S(OP_STILL)});
    RunEnemyPrograms(enemies);
    EXPECT_EQ(a->state, ENEMY_WAITING);
    EXPECT_EQ(a->program, away);
    EXPECT_EQ(a->frameColumn, 9);
    EXPECT_EQ(enemies.pendingProgram, home);
    EXPECT_EQ(enemies.pendingStep, 1);
    EXPECT_EQ(enemies.pendingDelay, 3);
    // Another node waiting on the same excursion.
    b->state = ENEMY_WAITING;
    for (int frame = 2; frame <= 3; frame++) {
        RunEnemyPrograms(enemies);
        EXPECT_EQ(a->program, away) << "frame " << frame;
        EXPECT_EQ(b->state, ENEMY_WAITING) << "frame " << frame;
    }
    RunEnemyPrograms(enemies);
    for (EnemyNode *n : {a, b}) {
        EXPECT_EQ(n->state, ENEMY_RUNNING);
        EXPECT_EQ(n->program, home);
        EXPECT_EQ(n->frameColumn, 5);
    }
    EXPECT_EQ(enemies.pendingProgram, 0);
    EXPECT_EQ(enemies.pendingDelay, 0);
}

TEST_F(ProgramTest, AHitForcesTheHurtStepsOnOrdinaryEnemies) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    auto own = {S(OP_SET_FRAME, 0, 3, -1), S(OP_STILL)};
    EnemyNode *hurt = Node(100, 100, own);
    hurt->hp = 10, hurt->hit = 1, hurt->hitShake = 2, hurt->stepCounter = 40;
    EnemyNode *posed = Node(100, 100, own);
    posed->hp = 10, posed->hit = 1, posed->hitShake = 1, posed->state = ENEMY_HURT, posed->damage = 3;
    EnemyNode *undying = Node(100, 100, own);
    undying->hp = 0, undying->hit = 1, undying->hitShake = 5, undying->noDeath = 1;

    EnemyFrame();
    EXPECT_EQ(hurt->operation, OP_HURT);
    EXPECT_EQ(hurt->frameColumn, 0) << "its own step waits";
    EXPECT_EQ(posed->operation, OP_HURT_POSE);
    EXPECT_EQ(undying->operation, OP_HURT) << "no death keeps it hurt at 0 HP";
    EXPECT_EQ(std::count(world.effects.begin(), world.effects.end(), RecordedEffect{100, 100, 5}), 3)
        << "the hurt pose's three sparks at hit shake 1";
    // The hit shake runs out (2 -> 1 -> 0); the frame it reads 0 the hurt step takes back 15 frames.
    EnemyFrame();
    EXPECT_EQ(hurt->hitShake, 0);
    const int counter = hurt->stepCounter;
    EnemyFrame();
    EXPECT_EQ(hurt->stepCounter, counter - 15 + 1);
    EXPECT_EQ(hurt->hit, 0) << "the motion pass ends the hit";
    EnemyFrame();
    EXPECT_EQ(hurt->frameColumn, 3) << "its own step runs again";

    // The hurt pose lets go once the hit shake passes 999.
    posed->hit = 1, posed->hitShake = 1000, posed->frameColumn = 0, posed->step = 0, posed->stepState = 1;
    posed->stepCounter = 1500;
    RunEnemyPrograms(enemies);
    EXPECT_EQ(posed->hit, 0);
    EXPECT_EQ(posed->hitShake, 0);
    EXPECT_EQ(posed->stepState, 0);
    EXPECT_EQ(posed->stepCounter, 1500 - 1000 + 1);
    EXPECT_EQ(posed->frameColumn, 3) << "it goes on with its own step in the same frame";
}

TEST_F(ProgramTest, AnOrdinaryEnemyAtZeroHpDiesAtOnceAndItsPartsGoWithIt) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    world.bodies[7] = FakeBody{};
    EnemyNode *body = Node(100, 120, {S(OP_STILL)});
    body->hit = 1, body->hp = 0, body->linkedBody = 7;
    EnemyNode *child = Node(0, 0, {S(OP_STILL)}), *grandchild = Node(0, 0, {S(OP_STILL)});
    child->parent = RefTo(body), child->root = RefTo(body), child->depth = 1;
    grandchild->parent = RefTo(child), grandchild->root = RefTo(body), grandchild->depth = 2;
    body->firstChild = RefTo(child);
    enemies.boss = RefTo(grandchild);
    EnemyFrame();
    EXPECT_EQ(Count(), 0) << "parts after their parent in the list go in the same frame";
    EXPECT_EQ(world.sounds, std::vector<int>({11}));
    EXPECT_EQ(world.effects, std::vector<RecordedEffect>({{100, 120, 6}, {100, 120, 23}, {100, 120, 6}}));
    EXPECT_EQ(world.bodies.count(7), 0u) << "its body is destroyed";
    EXPECT_FALSE(enemies.boss) << "a tracked node is let go";

    // A part before its parent in the list is noticed the next frame.
    EnemyNode *early = Node(0, 0, {S(OP_STILL)});
    EnemyNode *parent = Node(0, 0, {S(OP_DIE)});
    early->parent = RefTo(parent), early->depth = 1;
    EnemyFrame();
    EXPECT_EQ(Count(), 1);
    EXPECT_FALSE(early->parent);
    EnemyFrame();
    EXPECT_EQ(Count(), 0);

    // A node whose linked body is gone dies as well.
    EnemyNode *rider = Node(0, 0, {S(OP_STILL)});
    rider->linkedBody = 99;
    EnemyFrame();
    EXPECT_EQ(Count(), 0);
}

TEST_F(ProgramTest, ABossDiesThroughItsExplosionsAndCountsTowardTheFightsEnd) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    EnemyNode *boss = Node(200, 200, {S(OP_SET_FRAME, 0, 2, -1), S(OP_STILL)});
    boss->boss = 1, boss->hp = 50, boss->maxHp = 600, boss->hit = 1, boss->hitShake = 15;
    enemies.bossMode = 1;
    EnemyFrame();
    EXPECT_EQ(boss->frameColumn, 2) << "a boss with HP left keeps its own step";

    boss->hp = 0, boss->hit = 1, boss->hitShake = 41;
    // Explosions at hit shakes 40 and 20 (three draws each: side, x, y) and at 0.
    int explosions = 0;
    for (int frame = 0; frame < 60 && Count() == 1; frame++) {
        if (boss->hitShake % 20 == 0) {
            rand.Add({explosions % 2 == 0 ? 4 : 5, 10, 70});
            explosions++;
        }
        EnemyFrame();
        if (Count() == 1) {
            EXPECT_EQ(boss->operation, OP_DYING);
        }
    }
    EXPECT_EQ(explosions, 3);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(enemies.bossKills, 1);
    EXPECT_EQ(enemies.bossFightWon, 1);
    // Even draw: below right; odd: above left; 70 % 64 = 6.
    EXPECT_EQ(world.effects[0], (RecordedEffect{210, 206, 6}));
    EXPECT_EQ(world.effects[3], (RecordedEffect{190, 194, 6}));
}

TEST_F(ProgramTest, ASpecialBossOf35000DiesThroughTheScreenShotAndDebris) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    EnemyNode *giant = Node(300, 300, {S(OP_STILL)});
    giant->boss = 1, giant->hp = -5, giant->maxHp = 35000, giant->hit = 1, giant->hitShake = 22, giant->damage = 9;
    for (int frame = 0; frame < 40 && Count() == 1; frame++) EnemyFrame();
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(enemies.bossFightWon, 1);
    ASSERT_EQ(arms.shotHead, arms.shotTail);
    ASSERT_NE(arms.shotHead, nullptr);
    EXPECT_EQ(arms.shotHead->behaviour, kShotKinds[142].behaviour) << "enemy kind 142 at hit shake 1";
    EXPECT_EQ(arms.shotHead->damage, 9);
    EXPECT_EQ(world.objects.size(), 8u) << "four pieces at hit shakes 20 and 0";
    for (const RecordedObject &o : world.objects) EXPECT_EQ(o.kind, 256);
    EXPECT_EQ(std::count(world.effects.begin(), world.effects.end(), RecordedEffect{300, 300, 31}), 2);
}

TEST_F(ProgramTest, StepsThatSetAndBranch) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    player.x = 200, player.y = 100;
    arms.heldShot = 1;
    world.bodies[5] = FakeBody{12, 13};
    const struct {
        const char *name;
        EnemyStep step;
        std::function<void(EnemyNode &)> before;
        std::function<void(const EnemyNode &)> check;
    } cases[] = {
        {"velocity", S(OP_SET_VELOCITY, 0, 1.5f, -2), nullptr,
         [](const EnemyNode &n) { EXPECT_EQ(n.vx, 1.5f); EXPECT_EQ(n.vy, -2); }},
        {"frame keeps negatives", S(OP_SET_FRAME, 0, -1, 4), [](EnemyNode &n) { n.frameColumn = 2; },
         [](const EnemyNode &n) { EXPECT_EQ(n.frameColumn, 2); EXPECT_EQ(n.frameRow, 4); }},
        {"column every 1, past b to 0", S(OP_ANIMATE_COLUMN, 1, 2), [](EnemyNode &n) { n.frameColumn = 2; },
         [](const EnemyNode &n) { EXPECT_EQ(n.frameColumn, 0); }},
        {"row", S(OP_ANIMATE_ROW, 1, 5), nullptr, [](const EnemyNode &n) { EXPECT_EQ(n.frameRow, 1); }},
        {"column with a of 0 never steps", S(OP_ANIMATE_COLUMN, 0, 5), nullptr,
         [](const EnemyNode &n) { EXPECT_EQ(n.frameColumn, 0); EXPECT_EQ(n.step, 1); }},
        {"body, damage, solid", S(OP_SET_BODY, 1, 1, 33), nullptr,
         [](const EnemyNode &n) { EXPECT_EQ(n.tileCollision, 1); EXPECT_EQ(n.damage, 33); EXPECT_EQ(n.solid, 1); }},
        {"damage", S(OP_SET_DAMAGE, 0, 12), nullptr, [](const EnemyNode &n) { EXPECT_EQ(n.damage, 12); }},
        {"no death", S(OP_NO_DEATH, 0, 1), nullptr, [](const EnemyNode &n) { EXPECT_EQ(n.noDeath, 1); }},
        {"calm", S(OP_CALM), [](EnemyNode &n) { n.alerted = 1; }, [](const EnemyNode &n) { EXPECT_EQ(n.alerted, 0); }},
        {"source", S(OP_SET_SOURCE, 0, 32, 48), nullptr,
         [](const EnemyNode &n) { EXPECT_EQ(n.sourceX, 32); EXPECT_EQ(n.sourceY, 48); }},
        {"anchor", S(OP_SET_ANCHOR, 0, 16.7f, 8), nullptr,
         [](const EnemyNode &n) { EXPECT_EQ(n.anchorX, 16); EXPECT_EQ(n.anchorY, 8); }},
        {"player to the right", S(OP_PLAYER_SIDE, 0, 1, 2), nullptr, [](const EnemyNode &n) { EXPECT_EQ(n.step, 1); }},
        {"alerted", S(OP_ALERTED, 0, 2, 1), [](EnemyNode &n) { n.alerted = 1; },
         [](const EnemyNode &n) { EXPECT_EQ(n.step, 2); }},
        {"not alerted", S(OP_ALERTED, 0, 2, 1), nullptr, [](const EnemyNode &n) { EXPECT_EQ(n.step, 1); }},
        {"hp at most b", S(OP_HP_AT_MOST, 0, 10, 2), [](EnemyNode &n) { n.hp = 10; },
         [](const EnemyNode &n) { EXPECT_EQ(n.step, 2); }},
        {"hp above b", S(OP_HP_AT_MOST, 0, 10, 2), [](EnemyNode &n) { n.hp = 11; },
         [](const EnemyNode &n) { EXPECT_EQ(n.step, 1); }},
        {"touching", S(OP_TOUCHING, 0, 0, 2), [](EnemyNode &n) { n.touching = 1; },
         [](const EnemyNode &n) { EXPECT_EQ(n.step, 2); }},
        {"has no parent", S(OP_HAS_PARENT, 0, 2, 1), nullptr, [](const EnemyNode &n) { EXPECT_EQ(n.step, 1); }},
        {"held shot 1: b, cleared", S(OP_HELD_SHOT, 0, 2, 1, 1, 1), nullptr,
         [&](const EnemyNode &n) { EXPECT_EQ(n.step, 2); EXPECT_EQ(arms.heldShot, 0); }},
        {"follows its body", S(OP_FOLLOW_BODY, 5), [](EnemyNode &n) { n.linkedBody = 5; },
         [](const EnemyNode &n) { EXPECT_EQ(n.x, 120); EXPECT_EQ(n.y, 130); EXPECT_EQ(n.step, 0); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EnemyNode *n = Node(100, 100, {c.step, S(OP_STILL), S(OP_STILL)});
        if (c.before) c.before(*n);
        RunEnemyPrograms(enemies);
        c.check(*n);
        FreeEnemyList(enemies);
    }
}

TEST_F(ProgramTest, StepsThatTalkToTheWorld) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    player.x = 150, player.y = 100;
    world.bodies[5] = FakeBody{10, 10};
    EnemyNode *n = Node(100, 100, {S(OP_SOUND, 0, 17), S(OP_SOUND, 0, 0), S(OP_EFFECT, 9, 3, -4),
                                   S(OP_MAKE_OBJECT, 0, 12, -666, 2, 3), S(OP_DRIVE_BODY, 0, 4.7f, -2.2f),
                                   S(OP_DRIVE_BODY, 1, 30), S(OP_DARKNESS, 0, 1), S(OP_CLEAR_HELD_SHOT), S(OP_STILL)});
    n->linkedBody = 5;
    n->vx = 1;
    arms.heldShot = 3;
    RunEnemyPrograms(enemies);
    EXPECT_EQ(world.sounds, std::vector<int>({17})) << "sound 0 only moves on";
    EXPECT_EQ(world.effects, std::vector<RecordedEffect>({{103, 96, 9}}));
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].x, 102);
    EXPECT_EQ(world.objects[0].kind, 12);
    EXPECT_EQ(world.objects[0].lifetime, -666);
    EXPECT_EQ(world.bodies[5].velocitySets, 2);
    EXPECT_EQ(world.bodies[5].vx, 31) << "aimed (30, 0) plus the node's (1, 0), in whole units";
    EXPECT_EQ(world.bodies[5].vy, 0);
    EXPECT_EQ(enemies.darkness, 1);
    EXPECT_EQ(arms.heldShot, 0);
    EXPECT_EQ(n->step, 8);
}

TEST_F(ProgramTest, SightJumpsAndRaisesTheTalkTriggerWhereTheAreaAllowsIt) {
    Map({
        "............",
        "............",
        ".....#......", // the wall: x 80-95, y 32-47
        "............",
        "............",
        "............",
    });
    player.x = 150, player.y = 40;
    auto sight = [&](float x, float y, int steps) {
        return Node(x, y, {S(OP_SEES_PLAYER, steps, 1, 2), S(OP_STILL), S(OP_STILL)});
    };
    EnemyNode *seeing = sight(150, 90, 200);  // straight up, 44 pixels to the box
    EnemyNode *tooShort = sight(150, 90, 40);
    EnemyNode *blocked = sight(20, 40, 200);  // along row 2, through the wall
    RunEnemyPrograms(enemies);
    EXPECT_EQ(seeing->step, 1);
    EXPECT_EQ(tooShort->step, 2);
    EXPECT_EQ(blocked->step, 2);
    EXPECT_EQ(enemies.ending, 0) << "the area does not allow the talk";

    enemies.areaFlag = 1;
    seeing->step = 0;
    RunEnemyPrograms(enemies);
    EXPECT_EQ(enemies.ending, 1);
    enemies.ending = 0;
    player.costume = 6;
    seeing->step = 0;
    RunEnemyPrograms(enemies);
    EXPECT_EQ(seeing->step, 2) << "costume 6 is not seen";
    EXPECT_EQ(enemies.ending, 0);
}

TEST_F(ProgramTest, AlertAllMarksEveryoneAndTheSecondTrackedVelocityIsCopied) {
    Map(std::vector<std::string>(40, std::string(40, '.')));
    EnemyNode *far = Bare(400, 400);
    EnemyNode *caller = Node(100, 100, {S(OP_ALERT_ALL), S(OP_STILL)});
    EnemyNode *near = Bare(150, 100);
    RunEnemyPrograms(enemies);
    EXPECT_EQ(near->alerted, 1);
    EXPECT_EQ(far->alerted, 0) << "it came before the call";
    EXPECT_EQ(enemies.alertAll, 1);
    EXPECT_EQ(caller->step, 0) << "it holds";
    RunEnemyPrograms(enemies);
    EXPECT_EQ(far->alerted, 1) << "alert-all reaches every node the next pass";

    EnemyNode *copier = Node(0, 0, {S(OP_COPY_VELOCITY), S(OP_STILL)});
    far->vx = 2, far->vy = -1;
    enemies.second = RefTo(far);
    RunEnemyPrograms(enemies);
    EXPECT_EQ(copier->vx, 2);
    EXPECT_EQ(copier->vy, -1);
    FreeEnemyNode(enemies, far);
    EnemyNode *again = Node(0, 0, {S(OP_COPY_VELOCITY), S(OP_STILL)});
    RunEnemyPrograms(enemies);
    EXPECT_EQ(again->vx, 0) << "no second tracked enemy: nothing";
    EXPECT_EQ(again->step, 1);
}

TEST_F(ProgramTest, GuardsHoldAJumpOutOfTheProgramAndALoopWithoutEnd) {
    EnemyNode *out = Node(0, 0, {S(OP_JUMP_BY, 5), S(OP_STILL)});
    EnemyNode *spin = Node(0, 0, {S(OP_JUMP_BY, 0)});
    EnemyNode *after = Node(0, 0, {S(OP_SET_FRAME, 0, 1, -1), S(OP_STILL)});
    RunEnemyPrograms(enemies);
    RunEnemyPrograms(enemies);
    EXPECT_EQ(out->step, 5);
    EXPECT_EQ(spin->step, 0);
    EXPECT_EQ(enemies.stepLimitLogged, 1);
    EXPECT_EQ(after->frameColumn, 1) << "the other nodes run on";
}

} // namespace
