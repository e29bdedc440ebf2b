// The shot hit pass: enemies hurt by player shots (windows, factor, drops and their cap), the
// player hurt by enemy shots under the contact countdown, and breakable blocks.
#include <vector>

#include "tests/game/actors/combat_fixture.h"

namespace {

class ShotHitTest : public CombatTest {
protected:
    ShotHitTest() {
        Item(21, ITEM_ARMOUR);
        Item(150, ITEM_ARMOUR);
    }
};

TEST_F(ShotHitTest, OverlapsAreStrict)
{
    // Shot half 4, enemy half 8: 12 apart only touches.
    EnemyNode *e = Target(112, 100);
    Shot(0)->damage = 3;
    ApplyShotHits(contact);
    EXPECT_EQ(e->hp, 10);
    e->x = 111.9f;
    rand.Add({0});
    ApplyShotHits(contact);
    EXPECT_EQ(e->hp, 7);
    EXPECT_EQ(e->hit, 1);
    EXPECT_EQ(e->alerted, 1);
    EXPECT_EQ(arms.shotHead->hit, 1);
}

TEST_F(ShotHitTest, AnEnemyIsHitOnlyInItsShakeWindows)
{
    struct Row {
        int shake;
        uint8_t boss, noDeath;
        bool hit;
    } table[] = {{0, 0, 0, true}, {15, 0, 0, true}, {14, 0, 0, false}, {200, 0, 0, false},
                 {200, 1, 0, true}, {0, 0, 1, false}};
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << "shake " << row.shake << " boss " << (int)row.boss);
        EnemyNode *e = Target(100, 100);
        e->hitShake = row.shake;
        e->boss = row.boss;
        e->noDeath = row.noDeath;
        ShotNode *s = Shot(0);
        s->damage = 1;
        if (row.hit) rand.Add({0});
        ApplyShotHits(contact);
        EXPECT_EQ(e->hp == 9, row.hit);
        FreeEnemyNode(enemies, e);
        FreeShotList(arms);
    }
}

TEST_F(ShotHitTest, TheDamageFactorMultipliesTheDamageAndItsNumber)
{
    struct Row {
        int factor, damage, hp, popup;
    } table[] = {{0, 3, 97, 3}, {1, 3, 97, 3}, {3, 3, 91, 9}, {2, -20, 100, -40}};
    for (const Row &row : table) {
        SCOPED_TRACE(row.factor);
        world.ClearRecords();
        player.damageFactor = row.factor;
        EnemyNode *e = Target(100, 100, 100);
        Shot(0, 96, 100)->damage = row.damage;
        rand.Add({5}); // the number at x - 4 + 5
        ApplyShotHits(contact);
        EXPECT_EQ(e->hp, row.hp); // a negative damage heals only up to the maximum
        ASSERT_EQ(world.popups.size(), 1u);
        EXPECT_EQ(world.popups[0], (RecordedEffect{97, 100, row.popup}));
        EXPECT_EQ(world.sounds, std::vector<int>{14});
        EXPECT_EQ(world.effects.size(), 3u);
        FreeEnemyNode(enemies, e);
        FreeShotList(arms);
    }
}

TEST_F(ShotHitTest, ABossKilledShakesTwoHundredFramesOthersFifteen)
{
    EnemyNode *boss = Target(100, 100, 5);
    boss->boss = 1;
    Shot(0)->damage = 2;
    rand.Add({0, 0});
    ApplyShotHits(contact);
    EXPECT_EQ(boss->hitShake, 15);
    boss->hp = 1;
    ApplyShotHits(contact);
    EXPECT_EQ(boss->hitShake, 200);
}

TEST_F(ShotHitTest, KilledEnemiesDropUpToFiftyInAPass)
{
    for (int i = 0; i < 60; i++) Target(100, 100, 1)->dropChance = 1;
    ShotNode *s = Shot(0);
    s->damage = 5;
    for (int i = 0; i < 60; i++) rand.Add(i < 50 ? std::initializer_list<int>{0, 0} : std::initializer_list<int>{0});
    ApplyShotHits(contact);
    EXPECT_EQ(world.drops, 50);
    EXPECT_EQ(contact.kills, 60);

    // The next pass counts again from 0; a drop that fails its draw leaves a coin instead.
    world.ClearRecords();
    FreeEnemyList(enemies);
    Target(100, 100, 1)->dropChance = 4;
    rand.Add({1, 0});
    ApplyShotHits(contact);
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].kind, 0);
}

TEST_F(ShotHitTest, WithTheCoinWeaponAKillDropsThreeCoins)
{
    arms.weapon = 127;
    EnemyNode *e = Target(100, 100, 1);
    e->dropChance = 3;
    Shot(0)->damage = 5;
    rand.Add({0});
    ApplyShotHits(contact);
    ASSERT_EQ(world.objects.size(), 3u);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(world.objects[i].kind, 140 + i);
        EXPECT_EQ(world.objects[i].vx, -2 + 2 * i);
        EXPECT_EQ(world.objects[i].vy, -2);
    }
}

TEST_F(ShotHitTest, ThePlayerIsHurtOnceThenSafeForTheCountdownExceptByBehaviour14)
{
    player.x = player.y = 100;
    player.defence = 5;
    ShotNode *s = Shot(6, 100, 100, 1);
    s->damage = 3;
    ApplyShotHits(contact);
    EXPECT_EQ(status.hp, 49); // at least 1 through any defence
    EXPECT_EQ(player.invulnerable, 100);
    EXPECT_EQ(contact.countdown, 100);
    EXPECT_EQ(world.popups, (std::vector<RecordedEffect>{{100, 100, 1}}));
    s->hit = 0;
    ShotNode *bolt = Shot(14, 100, 100, 1);
    ApplyShotHits(contact);
    EXPECT_EQ(status.hp, 49);
    EXPECT_EQ(s->hit, 0);
    EXPECT_EQ(bolt->hit, 1);
    EXPECT_EQ(bolt->paramA, 9999);
}

TEST_F(ShotHitTest, ZeroDamageStillKnocksBackAndTakesTheWeapon)
{
    Item(30, ITEM_COUNTED_WEAPON);
    arms.weapon = 30;
    arms.weaponCount = 3;
    ShotNode *s = Shot(6, player.x, player.y, 1);
    s->damage = 0;
    s->knockBack = 666;
    s->takesWeapon = 1;
    rand.Add({1, 2, 3, 4, 0, 1});
    ApplyShotHits(contact);
    EXPECT_EQ(status.hp, 50);
    EXPECT_EQ(contact.countdown, 0);
    EXPECT_EQ(player.pushRequest, 666);
    EXPECT_EQ(arms.weapon, 0);
    EXPECT_EQ(arms.weaponCount, 0);
    ASSERT_EQ(world.objects.size(), 3u); // one a unit
    EXPECT_EQ(world.objects[0].kind, -1);
    EXPECT_EQ(world.objects[0].value, 30);
    EXPECT_EQ(world.objects[0].vx, 1);
    EXPECT_EQ(world.objects[0].vy, -2);
    EXPECT_EQ(world.sounds, std::vector<int>{38});
    EXPECT_EQ(s->hit, 1);

    // A plain weapon falls as one object whatever its count.
    world.ClearRecords();
    Item(3, ITEM_WEAPON);
    arms.weapon = 3;
    arms.weaponCount = 99;
    rand.Add({0, 0});
    ApplyShotHits(contact);
    EXPECT_EQ(world.objects.size(), 1u);
}

TEST_F(ShotHitTest, Armour150BreaksOnScriptedDraws)
{
    struct Row {
        int slot1, slot2;
        std::initializer_list<int> draws;
        int after1, after2;
    } table[] = {
        {150, 150, {3}, 21, 150}, {150, 150, {1, 4}, 150, 150}, {150, 150, {1, 3}, 150, 21}, {0, 150, {0}, 0, 21}};
    for (const Row &row : table) {
        arms.armour1 = row.slot1;
        arms.armour2 = row.slot2;
        contact.countdown = 0;
        FreeShotList(arms);
        Shot(6, player.x, player.y, 1)->damage = 1;
        rand.Add(row.draws);
        ApplyShotHits(contact);
        EXPECT_EQ(arms.armour1, row.after1);
        EXPECT_EQ(arms.armour2, row.after2);
    }
}

TEST_F(ShotHitTest, ABlockBreaksToItsTileAndLinkAndStopsAWallShot)
{
    Map({"......",
         "..X...",
         "......"});
    SetCellAt(grid, 2, 1, CellAt(grid, 2, 1) | 0x2A0000u | 0x07000000u | 0x33u | 0x3000u);
    ShotNode *s = Shot(0, 30, 24);
    s->breaksBlocks = 1;
    s->stopsAtWalls = 1;
    s->hitHalfWidth = 2.9f; // probes at 28 and 32: the block's first column
    ApplyShotHits(contact);
    EXPECT_EQ(CellAt(grid, 2, 1), 0x07000033u);
    EXPECT_EQ(s->hit, 1);
    EXPECT_EQ(world.sounds, std::vector<int>{56});
    EXPECT_EQ(world.effects.size(), 5u);
    EXPECT_EQ(world.effects.back(), (RecordedEffect{40, 44, 9}));
    EXPECT_EQ(world.cellBodies, (std::vector<std::pair<int, int>>{{2, 1}}));

    // A probe 2 px short of the block does not reach it; behaviour 14 stops without breaking.
    Map({"..X...", "......"});
    FreeShotList(arms);
    s = Shot(0, 29.9f, 8);
    s->breaksBlocks = 1;
    s->hitHalfWidth = 2.9f;
    ApplyShotHits(contact);
    EXPECT_NE(CellAttribute(CellAt(grid, 2, 0)), 0);
    s->behaviour = 14;
    s->x = 31;
    s->stopsAtWalls = 1;
    ApplyShotHits(contact);
    EXPECT_EQ(CellAttribute(CellAt(grid, 2, 0)), 10);
    EXPECT_EQ(s->hit, 1);
}

} // namespace
