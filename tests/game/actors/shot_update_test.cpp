// The shot update: how long each behaviour lives, what it plays and makes on the way, the bodies
// it rides on the fake physics, and the steering, collecting and grabbing shots' control logic.
#include <cmath>
#include <vector>

#include "tests/game/actors/combat_fixture.h"

namespace {

struct Lifetime {
    int behaviour;
    int paramA, paramB;
    float paramC, direction;
    int updates;              // the update that frees it
    std::vector<int> sounds;  // in order, over its whole life
    std::vector<int> effects; // kinds, in order
};

class ShotUpdateTest : public CombatTest {};

std::vector<int> Kinds(const std::vector<RecordedEffect> &effects)
{
    std::vector<int> out;
    for (const RecordedEffect &e : effects) out.push_back(e.kind);
    return out;
}

TEST_F(ShotUpdateTest, EachBehaviourWithoutABodyEndsAtItsUpdateWithItsSoundsAndEffects)
{
    const Lifetime table[] = {
        {0, 0, 0, 0, 0, 9, {}, {8, 7}},
        {4, 0, 0, 0, 1, 42, {}, {}},
        {5, 3, 4, 0, 0, 14, {}, {}},
        {8, 3, 4, 0, 0, 14, {}, {}},
        {6, 0, 3, 0, 0, 5, {}, {7}},
        {9, 0, 0, 0, 1, 14, {}, {}},
        {11, 0, 0, 0, 0, 152, {}, {7}},
        {12, 5, 0, 0, 0, 7, {31, 33}, {6, 1}},
        {12, 20, 0, 0, 0, 22, {31, 33}, {6, 6, 1}},
        {12, 5, 0, 2, 0, 7, {}, {7}},
        {12, 5, 0, 3, 0, 7, {7}, {7}},
        {14, 9999, 0, 0, 0, 32, {}, {}},
        {15, 20, 0, 0, 1, 22, {13}, {}},
        {16, 0, 1, 0, 10, 12, {13}, {}},
        {19, 60, 0, 0, 0, 62, {27}, {}},
        {20, 0, 10, 0, 0, 12, {18}, {}},
        {21, 0, 0, 0, 0, 27, {30, 89}, {8}},
        {27, 0, 0, 0, 0, 3, {}, {}},
        {29, 0, 0, 30, 0, 32, {}, {28, 28, 28}},
        {33, 0, 0, 0, 0, 32, {58}, {5, 5, 5}},
        {38, 0, 0, 0, 0, 52, {}, {}},
        {39, 0, 0, 0, 0, 202, {}, {}},
        {40, 0, 0, 0, 0, 16, {}, {8, 7}},
        {41, 0, 0, 0, 0, 22, {5}, {26}},
        {42, 0, 0, 0, 0, 202, {}, {}},
        {55, 0, 10, 0, 0, 12, {18}, {}},
        {59, 0, 0, 1, 0, 202, {}, {}},
        {60, 0, 0, 0, 0, 157, {27}, {}},
        {61, 0, 0, 0, 0, 152, {82}, {15}},
        {64, 0, 0, 1, 0, 202, {}, {}},
        {69, 0, 0, 0, 0, 32, {}, {8, 7}},
    };
    for (const Lifetime &row : table) {
        SCOPED_TRACE(testing::Message() << "behaviour " << row.behaviour << " paramA " << row.paramA << " paramC "
                                        << row.paramC);
        world.ClearRecords();
        ShotNode *s = Shot(row.behaviour);
        s->paramA = row.paramA;
        s->paramB = row.paramB;
        s->paramC = row.paramC;
        s->direction = row.direction;
        EXPECT_EQ(UpdatesToEnd(s), row.updates);
        EXPECT_EQ(world.sounds, row.sounds);
        EXPECT_EQ(Kinds(world.effects), row.effects);
        FreeShotList(arms);
    }
}

TEST_F(ShotUpdateTest, ShotsThatBreakIntoShardsScatterTheirFieldObjects)
{
    struct Row {
        int behaviour, updates, pieces, value;
    } table[] = {{65, 14, 8, 999}, {67, 14, 4, 999}, {68, 16, 8, 299}};
    for (const Row &row : table) {
        SCOPED_TRACE(row.behaviour);
        world.ClearRecords();
        ShotNode *s = Shot(row.behaviour);
        s->direction = 1;
        EXPECT_EQ(UpdatesToEnd(s), row.updates);
        EXPECT_EQ(world.sounds, std::vector<int>{58});
        ASSERT_EQ((int)world.objects.size(), row.pieces);
        for (const RecordedObject &o : world.objects) {
            EXPECT_EQ(o.kind, 260);
            EXPECT_EQ(o.lifetime, row.value);
            EXPECT_EQ(o.itemFlag, 1);
        }
    }
    // The first shard of behaviour 67 lands 12 px ahead of the shot, 3 px up.
    world.ClearRecords();
    ShotNode *s = Shot(67);
    s->direction = -1;
    UpdatesToEnd(s);
    EXPECT_EQ(world.objects[0].x, player.x - 12);
    EXPECT_EQ(world.objects[0].vx, -4);
    EXPECT_EQ(world.objects[0].vy, 2);
}

TEST_F(ShotUpdateTest, ShotsWithoutAnUpdateStayAsTheyAre)
{
    for (int b : {2, 10, 17, 18, 23, 26}) {
        ShotNode *s = Shot(b);
        s->vx = 3;
        for (int i = 0; i < 5; i++) UpdateShots(arms);
        EXPECT_TRUE(Listed(s));
        EXPECT_EQ(s->age, 0);
        EXPECT_EQ(s->x, 100);
    }
}

TEST_F(ShotUpdateTest, FollowingShotsSitOnTheirAnchorAndEndWhenTheirOwnerIsGone)
{
    player.x = 50;
    player.y = 60;
    ShotNode *knife = Shot(8);
    knife->paramA = -10;
    knife->paramB = 2;
    UpdateShots(arms);
    EXPECT_EQ(knife->x, 40);
    EXPECT_EQ(knife->y, 62);

    EnemyNode *owner = Bare(200, 100);
    ShotNode *beam = Shot(42, 0, 0, 1);
    beam->owner = RefTo(owner);
    beam->paramA = 5;
    UpdateShots(arms);
    EXPECT_EQ(beam->x, 205);
    FreeEnemyNode(enemies, owner);
    UpdateShots(arms);
    EXPECT_FALSE(Listed(beam));
}

struct BodyLifetime {
    int behaviour;
    int paramA, paramB;
    uint8_t fromEnemy;
    int updates;
    int kind, value; // of the body it makes
    float vx, vy;
    bool bodyStays;
    std::vector<int> sounds;
};

TEST_F(ShotUpdateTest, ShotsOnBodiesMakeTheirBodyFollowItAndEndOnTime)
{
    // The shot's own velocity is (3.7, -8.2); 2001 updates: it lives on.
    const BodyLifetime table[] = {
        {1, 0, 0, 0, 152, 40, 150, 3, -8, true, {54, 33}},
        {3, 12, 0, 0, 403, 12, 450, 0, 0, true, {33}},
        {7, 0, 12, 0, 403, 12, 450, 0, 0, true, {33}},
        {13, 0, 0, 0, 103, 147, 100, 0, 0, false, {13, 7}},
        {28, 0, 12, 1, 2001, 12, 150, 3.7f, -8.2f, true, {}},
        {30, 0, 100, 0, 102, 40, 150, 0, -5, true, {54}},
        {30, 0, 300, 0, 152, 40, 150, 0, -5, true, {54, 33}},
        {31, 12, 0, 0, 202, 12, 5000, 0, -10, true, {}},
        {32, 12, 0, 0, 202, 12, 5000, 0, -10, false, {}},
        {47, 0, 12, 0, 1002, 12, 1000, 0, 0, true, {13}},
        {53, 20, 0, 0, 22, 42, 99999, 0, -5, false, {33}},
        {56, 0, 200, 0, 202, 47, 300, 3.7f, -8.2f, true, {54, 33}},
    };
    for (const BodyLifetime &row : table) {
        SCOPED_TRACE(testing::Message() << "behaviour " << row.behaviour << " paramB " << row.paramB);
        world.ClearRecords();
        world.bodies.clear();
        ShotNode *s = Shot(row.behaviour, 100, 100, row.fromEnemy);
        s->paramA = row.paramA;
        s->paramB = row.paramB;
        s->vx = 3.7f;
        s->vy = -8.2f;
        s->harmful = 0;
        const int body = world.nextObjectBody;
        EXPECT_EQ(UpdatesToEnd(s), row.updates);
        ASSERT_EQ(world.objects.size(), 1u);
        EXPECT_EQ(world.objects[0].kind, row.kind);
        EXPECT_EQ(world.objects[0].lifetime, row.value);
        EXPECT_EQ(world.objects[0].vx, row.vx);
        EXPECT_EQ(world.objects[0].vy, row.vy);
        EXPECT_EQ(world.bodies.count(body) == 1, row.bodyStays);
        EXPECT_EQ(world.sounds, row.sounds);
        FreeShotList(arms);
    }
}

TEST_F(ShotUpdateTest, ABodyShotTakesItsBodysPlaceAndEndsWhenTheBodyIsGoneOrRefused)
{
    ShotNode *s = Shot(1);
    s->harmful = 0;
    UpdateShots(arms);
    ASSERT_EQ(s->bodyId, 100);
    world.bodies[100].x = 12.5f;
    world.bodies[100].y = 3;
    UpdateShots(arms);
    EXPECT_EQ(s->x, 125);
    EXPECT_EQ(s->y, 30);
    world.bodies.erase(100);
    UpdateShots(arms);
    EXPECT_FALSE(Listed(s));

    world.nextObjectBody = -1;
    ShotNode *refused = Shot(22);
    UpdateShots(arms);
    EXPECT_FALSE(Listed(refused));
}

TEST_F(ShotUpdateTest, ARemoteBombGoesOffOnTheDetonationByteAndHurtsBothSides)
{
    ShotNode *s = Shot(22);
    s->harmful = 0;
    for (int i = 0; i < 30; i++) UpdateShots(arms);
    EXPECT_TRUE(Listed(s));
    EXPECT_EQ(world.objects[0].kind, 46);
    EXPECT_EQ(world.objects[0].vy, -5);
    arms.detonation = 1;
    UpdateShots(arms);
    EXPECT_EQ(s->harmful, 1);
    EXPECT_EQ(s->hitsBoth, 1);
    EXPECT_EQ(world.sounds.back(), 33);
    UpdateShots(arms);
    EXPECT_FALSE(Listed(s));
    EXPECT_EQ(world.bodies.count(100), 0u);
}

TEST_F(ShotUpdateTest, AHomingShotTurnsTowardTheNearestEnemyATenthOfARadianAFrame)
{
    Bare(100, 300); // straight below the shot: angle pi / 2
    ShotNode *s = Shot(3);
    s->harmful = 0;
    s->paramA = 12;
    s->vx = s->vy = 10;
    s->direction = 0;
    UpdateShots(arms);
    EXPECT_NEAR(s->direction, 0.1f, 1e-5);
    EXPECT_NEAR(world.bodies[100].angle, 0.1f, 1e-5);
    EXPECT_EQ(world.bodies[100].vx, (int)(std::cos(0.1f) * 10));
    EXPECT_EQ(world.bodies[100].vy, (int)(std::sin(0.1f) * 10));
    for (int i = 0; i < 30; i++) UpdateShots(arms);
    EXPECT_NEAR(s->direction, std::acos(0.0f), 1e-5); // reached, and held there
}

TEST_F(ShotUpdateTest, ASteeredShotRisesForThirtyFramesThenTurnsToThePlayerAndFlashesOnAHit)
{
    player.x = 300;
    player.y = 100;
    ShotNode *s = Shot(13);
    s->harmful = 0;
    s->direction = -std::acos(0.0f); // up already
    s->vx = s->vy = 10;
    for (int i = 0; i < 31; i++) UpdateShots(arms);
    EXPECT_NEAR(s->direction, -std::acos(0.0f), 1e-5);
    UpdateShots(arms);
    EXPECT_NEAR(s->direction, -std::acos(0.0f) + 0.1f, 1e-5);
    for (int i = 0; i < 30; i++) UpdateShots(arms);
    world.bodies[100].contact = 0;
    UpdateShots(arms); // age 62: a contact is a hit now
    EXPECT_EQ(s->harmful, 1);
    EXPECT_EQ(s->hitHalfWidth, 32);
    UpdateShots(arms);
    EXPECT_FALSE(Listed(s));
    EXPECT_EQ(world.bodies.count(100), 0u);
}

TEST_F(ShotUpdateTest, CollectorsTakeTouchedObjectsAndMakeNewOnesInTheirOrder)
{
    // kind 151 counts up, kind 116 turns into 9 while counted, coins into 151 or 175.
    ShotNode *s = Shot(48, 100, 100, 1);
    s->bodyId = 7;
    world.bodies[7];
    world.touching = {{16, {50, 60}}, {151, {0, 0}}};
    rand.Add({4}); // 4 % 5: kind 151
    UpdateShots(arms);
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].kind, 151);
    EXPECT_EQ(world.objects[0].x, 50);
    EXPECT_EQ(world.objects[0].vy, -1);
    EXPECT_EQ(world.sounds, std::vector<int>{89});
    UpdateShots(arms); // only 151 touches now
    EXPECT_EQ(s->paramA, 1);
    world.touching = {{116, {0, 0}}};
    UpdateShots(arms);
    EXPECT_EQ(s->paramA, 0);
    EXPECT_EQ(world.objects.back().kind, 9);
    world.touching = {{116, {0, 0}}};
    UpdateShots(arms); // not counted any more: 116 stays
    EXPECT_EQ(world.touching.size(), 1u);
    EXPECT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.sounds, (std::vector<int>{89, 99, 98}));
}

TEST_F(ShotUpdateTest, AGrabberTakesTheHeldShotOnTouchingAnObjectAndGoesTheFrameAfter)
{
    EnemyNode *owner = Bare(200, 100);
    ShotNode *s = Shot(50, 200, 100, 1);
    s->owner = RefTo(owner);
    s->paramA = 12;
    s->paramB = 33;
    UpdateShots(arms);
    EXPECT_EQ(world.sounds, std::vector<int>{5});
    EXPECT_NEAR(s->direction, 0.05f, 1e-6);
    EXPECT_GT(world.bodies[100].velocitySets, 0);
    world.touchingObject = true;
    UpdateShots(arms);
    EXPECT_EQ(arms.heldShot, 33);
    EXPECT_EQ(s->hit, 1);
    UpdateShots(arms);
    EXPECT_FALSE(Listed(s));
}

TEST_F(ShotUpdateTest, ASwitchShotSetsOffTheBombsWhenThePlayerTouchesIt)
{
    ShotNode *s = Shot(54);
    s->bodyId = 7;
    world.bodies[7];
    UpdateShots(arms);
    EXPECT_TRUE(Listed(s));
    world.bodies[7].playerContact = 1;
    UpdateShots(arms);
    EXPECT_FALSE(Listed(s));
    EXPECT_EQ(arms.detonation, 1);
    EXPECT_EQ(world.dynamicCalls, 1);
}

TEST_F(ShotUpdateTest, ARollingBallFallsOntoTheFloorAndRestsHarmful)
{
    Map({"..........",
         "..........",
         "..........",
         "##########"});
    ShotNode *s = Shot(34, 40, 20);
    s->harmful = 0;
    s->halfHeight = 4;
    s->vx = 1;
    s->vy = 0.1f;
    int n = 0;
    while (s->vy != 0 && n < 100) {
        UpdateShots(arms);
        n++;
    }
    ASSERT_LT(n, 100);
    UpdateShots(arms);
    EXPECT_EQ(s->harmful, 1);
    EXPECT_EQ(s->hitHalfWidth, 16);
    EXPECT_EQ(s->age % 2, 0); // two a frame
}

} // namespace
