// The player against solid enemies and deadly cells: damage under the shared countdown, where the
// player is carried or pushed to, and the deadly cells with the map's edge margin.
#include <vector>

#include "tests/game/actors/combat_fixture.h"

namespace {

class ContactTest : public CombatTest {
protected:
    ContactTest() {
        player.x = 100;
        player.y = 100; // half sizes 3 x 6
    }
    EnemyNode *Solid(float x, float y, int damage = 4) {
        EnemyNode *e = Target(x, y);
        e->solid = 1;
        e->damage = damage;
        return e;
    }
};

TEST_F(ContactTest, OnlyTheFirstTouchingEnemyHurtsButAllAreMarkedTouching)
{
    player.defence = 5;
    EnemyNode *a = Solid(105, 100, 3);
    EnemyNode *b = Solid(95, 100, 20);
    EnemyNode *away = Solid(111, 100); // 111 - 8 = 103: the boxes only meet
    away->touching = 1;
    UpdatePlayerEnemyContact(contact);
    EXPECT_EQ(status.hp, 49); // 3 - 5, held at 1
    EXPECT_EQ(a->touching, 1);
    EXPECT_EQ(b->touching, 1);
    EXPECT_EQ(away->touching, 0);
    EXPECT_EQ(player.invulnerable, 100);
    EXPECT_EQ(contact.countdown, 99); // set to 100, counted once
    for (int i = 0; i < 98; i++) UpdatePlayerEnemyContact(contact);
    EXPECT_EQ(status.hp, 49);
    UpdatePlayerEnemyContact(contact);
    EXPECT_EQ(contact.countdown, 0);
    UpdatePlayerEnemyContact(contact); // the countdown is over
    EXPECT_EQ(status.hp, 48);
}

TEST_F(ContactTest, HurtOrHarmlessOrNonSolidEnemiesDealNoDamage)
{
    Solid(100, 100)->state = ENEMY_HURT;
    Solid(100, 100, 0);
    Solid(100, 100)->solid = 0;
    UpdatePlayerEnemyContact(contact);
    EXPECT_EQ(status.hp, 50);
    EXPECT_EQ(contact.countdown, 0);
}

TEST_F(ContactTest, ThePlayerRidesFallingOntoAnEnemyPushedFromBelowAndFromTheSides)
{
    struct Row {
        float px, py, vy;
        int state;
        int support;
        float carriedX, carriedY;
    } table[] = {
        {100, 89, 1, ENEMY_RUNNING, 1, 102, 87},  // on top, carried with the enemy's (2, 1)
        {100, 89, 1, ENEMY_HURT, 1, 100, 86},     // on a hurt enemy: not carried along
        {100, 111, 0, ENEMY_RUNNING, 2, 100, 114}, // under it, rising
        {90, 100, 0, ENEMY_RUNNING, 0, 89, 0},    // from the left
        {110.5f, 100, 0, ENEMY_RUNNING, 0, 111, 0}, // from the right
        {100, 100, 0, ENEMY_RUNNING, 0, 0, 0},    // inside: nowhere
    };
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << row.px << ", " << row.py);
        FreeEnemyList(enemies);
        EnemyNode *e = Solid(100, 100, 0);
        e->vx = 2;
        e->vy = 1;
        e->state = row.state;
        player.x = row.px;
        player.y = row.py;
        player.vy = row.vy;
        UpdatePlayerEnemyContact(contact);
        EXPECT_EQ(player.support, row.support);
        EXPECT_EQ(player.carriedX, row.carriedX);
        EXPECT_EQ(player.carriedY, row.carriedY);
    }
}

TEST_F(ContactTest, ArmourOf150MayBreakOnContact)
{
    Item(21, ITEM_ARMOUR);
    Item(150, ITEM_ARMOUR);
    arms.armour2 = 150;
    Solid(100, 100);
    rand.Add({6});
    UpdatePlayerEnemyContact(contact);
    EXPECT_EQ(arms.armour2, 21);
}

TEST_F(ContactTest, DeadlyCellsAndTheEdgeMarginTakeEverything)
{
    Map({"............",
         "............",
         ".....!......",
         "............",
         "............",
         "............"}); // 192 x 96
    struct Row {
        float x, y;
        bool caught;
    } table[] = {
        {88, 40, true},   // the bottom-left corner of the box in the cell at (80..95, 32..47)
        {76, 40, false},  // 76 + 3 = 79: one short
        {77, 40, true},   // 77 + 3 = 80
        {88, 54, false},  // the top at 48
        {88, 53, true},
        {7, 60, true},   {8, 60, false},  {60, 7, true},  {60, 8, false},
        {185, 60, true}, {184, 60, false}, {60, 89, true}, {60, 88, false},
        {60, 500, true}, // fallen out of the map
    };
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << row.x << ", " << row.y);
        status.hp = 50;
        contact.countdown = 0;
        player.invulnerable = 0;
        player.x = row.x;
        player.y = row.y;
        CheckDeadlyCells(contact);
        EXPECT_EQ(status.hp, row.caught ? 50 - 9999 : 50);
        EXPECT_EQ(contact.countdown, row.caught ? 100 : 0);
        EXPECT_EQ(player.invulnerable, 0); // no blink: nothing left
    }
    // Safe while the countdown runs; enough HP survives with the blink.
    player.x = 88;
    player.y = 40;
    status.hp = 20000;
    contact.countdown = 3;
    CheckDeadlyCells(contact);
    EXPECT_EQ(status.hp, 20000);
    contact.countdown = 0;
    world.ClearRecords();
    CheckDeadlyCells(contact);
    EXPECT_EQ(status.hp, 20000 - 9999);
    EXPECT_EQ(player.invulnerable, 100);
    EXPECT_EQ(world.popups, (std::vector<RecordedEffect>{{88, 40, 9999}}));
}

} // namespace
