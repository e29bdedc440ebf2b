// Blasts and pushing shots against field objects: the pushes with their random signs, a bomb that
// hurts both sides ending on its first object, and objects turned into shots once.
#include <cmath>

#include "tests/game/actors/combat_fixture.h"

namespace {

class FieldPushTest : public CombatTest {};

TEST_F(FieldPushTest, ABlastScattersEachObjectWithItsOwnDiagonal)
{
    ShotNode *s = Shot(27);
    s->burstCode = 1;
    s->hitHalfWidth = s->hitHalfHeight = 32;
    FieldObjectNode &a = Object(90, 100, 5);
    FieldObjectNode &b = Object(110, 90, 5);
    FieldObjectNode &far = Object(140, 100, 5); // 140 - 4 = 136 > 132
    rand.Add({1, 0, 2, 3});
    PushFieldObjects(contact);
    EXPECT_EQ(a.pendingVelocity, 1);
    EXPECT_EQ(a.vx, 15);
    EXPECT_EQ(a.vy, -15);
    EXPECT_EQ(b.vx, -15);
    EXPECT_EQ(b.vy, 15);
    EXPECT_EQ(far.pendingVelocity, 0);
}

TEST_F(FieldPushTest, PushingShotsPushByTheirMode)
{
    struct Row {
        float paramC, direction;
        int burstCode;
        float objectX, objectY;
        int vx, vy;
    } table[] = {
        {0, 0, 0, 100, 100, 3, -4},      // their own velocity
        {0, -1, 0, 100, 100, -3, 4},     // turned by the direction
        {999, 0, 0, 103, 100, -3, 0},    // toward the shot (to its left)
        {777, 0, 0, 103, 100, 3, 0},     // away from the shot
        {666, 0, 0, 100, 100, 3, -4},    // toward the player (to the right here): cos 0
        {0, 0, 5, 100, 100, 5, -16},     // the upward blast, its side drawn
    };
    player.x = 300;
    player.y = 100;
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << "paramC " << row.paramC << " burst " << row.burstCode);
        FreeShotList(arms);
        objects.nodes.clear();
        ShotNode *s = Shot(6);
        s->pushesObjects = 1;
        s->paramA = 3;
        s->paramB = -4;
        s->paramC = row.paramC;
        s->direction = row.direction;
        s->burstCode = row.burstCode;
        FieldObjectNode &n = Object(row.objectX, row.objectY, 5);
        if (row.burstCode == 5) rand.Add({1});
        PushFieldObjects(contact);
        EXPECT_EQ(n.pendingVelocity, 1);
        EXPECT_EQ(n.vx, row.vx);
        EXPECT_EQ(n.vy, row.vy);
    }
}

TEST_F(FieldPushTest, ABombOfBothSidesEndsOnItsFirstObjectAndThrowsIt)
{
    ShotNode *s = Shot(22);
    s->hitsBoth = 1;
    FieldObjectNode &n = Object(101, 100, 5);
    rand.Add({1, 1});
    PushFieldObjects(contact);
    EXPECT_EQ(s->age, 99999);
    EXPECT_EQ(n.thrown, 1);
    EXPECT_EQ(n.settled, 1);
    EXPECT_EQ(n.lifetime, 500);
    EXPECT_EQ(n.vx, 15);
    EXPECT_EQ(n.vy, 15);
}

TEST_F(FieldPushTest, AnEnemyShotConvertsAnObjectOnlyOnce)
{
    ShotNode *s = Shot(6, 100, 100, 1);
    s->burstCode = 2;
    s->damage = 6;
    FieldObjectNode &n = Object(100, 100, 5);
    n.bodyId = 9;
    world.bodies[9];
    for (int i = 0; i < 3; i++) PushFieldObjects(contact);
    EXPECT_EQ(n.converted, 1);
    // the code's own shot (enemy kind 89) and the harmful object (kind 45), both on its body
    ASSERT_EQ(ShotCount(), 3);
    EXPECT_EQ(Shots()[1]->bodyId, 9);
    EXPECT_EQ(Shots()[2]->bodyId, 9);
    EXPECT_EQ(Shots()[1]->damage, 6);
    EXPECT_EQ(Shots()[2]->damage, 1); // not a pushing shot
}

TEST_F(FieldPushTest, APlayersHurlingShotTurnsObjectsIntoShotsOfTheirSize)
{
    ShotNode *s = Shot(6);
    s->burstCode = 10;
    s->damage = 4;
    s->paramA = 2;
    s->paramB = -3;
    FieldObjectNode &n = Object(100, 100, 5);
    n.width = 7;
    n.height = 5;
    n.bodyId = 9;
    PushFieldObjects(contact);
    ASSERT_EQ(ShotCount(), 2);
    EXPECT_EQ(Shots()[1]->hitHalfWidth, 8);
    EXPECT_EQ(Shots()[1]->hitHalfHeight, 6);
    EXPECT_EQ(Shots()[1]->bodyId, 9);
    EXPECT_EQ(n.vx, 2);
    EXPECT_EQ(n.vy, -3);
}

} // namespace
