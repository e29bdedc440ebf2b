// Weapon firing: which shots each use code makes in each direction (placed as one update of the
// same kinds created by hand would place them), the trigger, the cooldown, MP and counted weapons.
#include <algorithm>
#include <vector>

#include "game/actors/shot_kinds.h"
#include "game/world/inventory.h"
#include "tests/game/actors/combat_fixture.h"

namespace {

struct Expected {
    int kind;
    float dx, dy;
};

class WeaponFireTest : public CombatTest {
protected:
    WeaponFireTest() {
        player.x = 160;
        player.y = 100;
        player.onGround = 1;
        arms.weapon = kWeapon;
        arms.weaponCount = 5;
        arms.fireCounter = 1000;
    }
    ItemKind &Weapon(int use, int kind = ITEM_WEAPON) {
        ItemKind &row = Item(kWeapon, kind, use, 7);
        return row;
    }
    // One frame with SHOT pressed this frame.
    void Press() {
        world.Hold(BUTTON_SHOT);
        world.NextFrame();
        FireWeapon(arms);
        world.Release(BUTTON_SHOT);
        world.NextFrame();
    }
    // The shots the given kinds make when created at the player's offsets and updated once.
    std::vector<ShotNode> Reference(const std::vector<Expected> &kinds, int body = -1) {
        Arms ref;
        ref.player = &player;
        ref.grid = &grid;
        ref.enemies = &enemies;
        for (const Expected &e : kinds)
            CreateShot(ref, (int)(player.x + e.dx), (int)(player.y + e.dy), e.kind, 7, 0, body, 0, 0, nullptr);
        UpdateShots(ref);
        std::vector<ShotNode> out;
        for (ShotNode *s = ref.shotHead; s; s = s->next) out.push_back(*s);
        FreeShotList(ref);
        return out;
    }
    static constexpr int kWeapon = 40;
};

struct FireRow {
    int use;
    int direction;
    int sound;
    std::vector<Expected> shots;
};

TEST_F(WeaponFireTest, EachUseCodeFiresItsKindsAtTheirOffsetsByDirection)
{
    const FireRow table[] = {
        {2, 0, 1, {{4, -10, 0}}},    {2, 1, 1, {{5, 10, 0}}},     {2, 2, 1, {{6, -2, -11}}},
        {2, 3, 1, {{6, 2, -11}}},    {2, 4, 1, {{7, -2, 9}}},     {2, 5, 1, {{7, 2, 9}}},
        {13, 1, 1, {{30, 10, 0}}},   {5, 0, 1, {{14, -15, 0}}},   {5, 3, 1, {{15, -97, 0}}},
        {7, 0, 1, {{8, -10, 0}}},    {7, 5, 1, {{9, 10, 0}}},     {8, 0, 1, {{10, 0, 0}}},
        {8, 3, 1, {{11, 0, 0}}},     {9, 1, 1, {{13, 0, 0}}},     {10, 0, 1, {{17, 0, 0}}},
        {10, 1, 1, {{18, 0, 0}}},    {10, 2, 1, {{19, -2, -5}}},  {10, 5, 1, {{20, 2, 5}}},
        {22, 3, 1, {{53, 2, -5}}},   {11, 0, 10, {{21, -6, -2}}}, {11, 1, 10, {{22, 6, 1}}},
        {11, 3, 10, {{23, 2, -5}}},  {11, 4, 10, {{24, -2, 5}}},  {12, 0, 10, {{25, -6, -2}}},
        {12, 1, 10, {{26, 6, 1}}},   {12, 2, 10, {{27, 0, -5}}},  {12, 5, 10, {{28, 0, 5}}},
        {14, 2, 1, {{33, -10, 0}}},  {14, 5, 1, {{34, 10, 0}}},   {17, 0, 1, {{40, -10, 0}}},
        {17, 1, 1, {{41, 10, 0}}},   {18, 4, 1, {{42, 0, 0}}},    {18, 1, 1, {{43, 0, 0}}},
        {25, 0, 1, {{67, 0, 0}}},    {25, 1, 1, {{68, 0, 0}}},    {29, 4, 1, {{75, -10, 0}}},
        {29, 1, 1, {{76, 10, 0}}},   {33, 0, 1, {{84, -10, 0}}},  {33, 1, 1, {{85, 10, 0}}},
        {33, 2, 1, {{86, 0, 0}}},    {33, 4, 1, {{87, 0, 0}}},    {24, 0, -1, {{65, 0, 0}}},
        {16, 3, -1, {{38, 0, 0}}},   {19, 4, -1, {{47, 0, 0}}},   {26, 0, -1, {{69, 0, 0}}},
        {26, 2, -1, {{71, 0, 0}}},   {3, 0, -1, {}},              {37 + 10, 0, -1, {}},
    };
    for (const FireRow &row : table) {
        SCOPED_TRACE(testing::Message() << "use " << row.use << " direction " << row.direction);
        Weapon(row.use);
        player.direction = row.direction;
        player.facing = row.direction % 2;
        const std::vector<ShotNode> expected = Reference(row.shots);
        world.ClearRecords();
        Press();
        std::vector<ShotNode *> fired = Shots();
        ASSERT_EQ(fired.size(), expected.size());
        for (size_t i = 0; i < fired.size(); i++) {
            EXPECT_EQ(fired[i]->behaviour, expected[i].behaviour);
            EXPECT_EQ(fired[i]->cellX, expected[i].cellX);
            EXPECT_EQ(fired[i]->cellY, expected[i].cellY);
            EXPECT_EQ(fired[i]->x, expected[i].x);
            EXPECT_EQ(fired[i]->y, expected[i].y);
            EXPECT_EQ(fired[i]->damage, 7);
        }
        if (row.sound >= 0) {
            ASSERT_FALSE(world.sounds.empty());
            EXPECT_EQ(world.sounds[0], row.sound);
        }
        FreeShotList(arms);
        arms.fireCounter = 1000;
    }
}

TEST_F(WeaponFireTest, ThrownWeaponsRideTheirOwnFieldObject)
{
    struct Row {
        int use, direction;
        float dx, dy, vx, vy;
        int value, shotKind;
    } table[] = {
        {1, 0, -10, -5, -6, -8, 300, 0}, {1, 1, 10, -5, 6, -8, 300, 0}, {1, 2, 0, -10, 0, -8, 300, 0},
        {1, 5, 0, 10, 0, 8, 300, 0},     {34, 1, 10, -5, 6, -8, 200, 73}, {35, 4, 0, 10, 0, 8, 300, 36},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << "use " << row.use << " direction " << row.direction);
        Weapon(row.use, ITEM_COUNTED_WEAPON);
        player.direction = row.direction;
        world.ClearRecords();
        const int body = world.nextObjectBody;
        Press();
        ASSERT_EQ(world.objects.size(), 1u);
        const RecordedObject &o = world.objects[0];
        EXPECT_EQ(o.kind, kWeapon);
        EXPECT_EQ(o.x, player.x + row.dx);
        EXPECT_EQ(o.y, player.y + row.dy);
        EXPECT_EQ(o.vx, row.vx);
        EXPECT_EQ(o.vy, row.vy);
        EXPECT_EQ(o.lifetime, row.value);
        ASSERT_EQ(Shots().size(), 1u);
        EXPECT_EQ(Shots()[0]->bodyId, body);
        EXPECT_EQ(Shots()[0]->behaviour, kShotKinds[ShotKindRow(row.shotKind, false)].behaviour);
        EXPECT_EQ(world.sounds[0], 6);
        FreeShotList(arms);
        arms.fireCounter = 1000;
    }
}

TEST_F(WeaponFireTest, ARefusedThrowGivesItsUnitBackAndFiresNothing)
{
    Weapon(1, ITEM_COUNTED_WEAPON);
    world.nextObjectBody = -1;
    Press();
    EXPECT_EQ(arms.weaponCount, 5);
    EXPECT_TRUE(Shots().empty());
    world.ClearRecords();
    // A bomb laid without DOWN held gives its unit back too.
    world.nextObjectBody = 100;
    Weapon(20, ITEM_COUNTED_WEAPON);
    Press();
    EXPECT_EQ(arms.weaponCount, 5);
    EXPECT_TRUE(world.objects.empty());
    world.Hold(BUTTON_DOWN);
    arms.detonation = 1;
    Press();
    EXPECT_EQ(arms.weaponCount, 4);
    EXPECT_EQ(arms.detonation, 0);
    EXPECT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].lifetime, 99999);
}

TEST_F(WeaponFireTest, HoldingShotFiresOnceAndTheCooldownCountsFromTheLastPaidShot)
{
    Weapon(8).thirdValue = 20;
    world.Hold(BUTTON_SHOT);
    for (int i = 0; i < 5; i++) {
        world.NextFrame();
        FireWeapon(arms);
    }
    EXPECT_EQ(world.sounds, std::vector<int>{1});
    world.Release(BUTTON_SHOT);
    world.NextFrame();
    world.ClearRecords();
    // One firing frame a press: the counter stood at 4 and restarts at each shot.
    std::vector<int> at;
    for (int press = 1; press <= 60; press++) {
        const size_t before = world.sounds.size();
        Press();
        if (world.sounds.size() > before) at.push_back(press);
    }
    EXPECT_EQ(at, (std::vector<int>{16, 36, 56}));
}

TEST_F(WeaponFireTest, MpIsPaidPerShotAndAManaArmourAddsFive)
{
    Item(65, ITEM_ARMOUR);
    Weapon(8, ITEM_COUNTED_WEAPON).secondValue = 0;
    arms.armour1 = 65;
    status.mp = 4;
    Press();
    EXPECT_EQ(world.sounds, std::vector<int>{16});
    EXPECT_TRUE(Shots().empty());
    EXPECT_EQ(arms.weaponCount, 4); // a counted weapon pays its unit all the same
    EXPECT_EQ(arms.fireCounter, 1001); // not restarted by a refused shot
    world.ClearRecords();
    status.mp = 5;
    Press();
    EXPECT_EQ(status.mp, 0);
    EXPECT_EQ(Shots().size(), 1u);
    EXPECT_EQ(arms.fireCounter, 0);

    // Without the armour the cost goes through the world's MP call, which may refuse.
    arms.armour1 = 0;
    Weapon(8).secondValue = 3;
    world.ClearRecords();
    world.mpAnswer = -1;
    arms.fireCounter = 1000;
    Press();
    EXPECT_EQ(world.sounds, std::vector<int>{16});
    EXPECT_EQ(world.mpAsked, (std::vector<int>{-3}));
}

TEST_F(WeaponFireTest, ACountedWeaponFiresItsLastUnitAndLeavesTheSlot)
{
    Weapon(8, ITEM_COUNTED_WEAPON);
    arms.weaponCount = 0;
    Press();
    EXPECT_EQ(Shots().size(), 1u);
    EXPECT_EQ(arms.weapon, 0);
    EXPECT_EQ(arms.weaponCount, 0);
}

TEST_F(WeaponFireTest, TheDetonatorSetsOffTheBombsWithOneSound)
{
    Weapon(21);
    Press();
    EXPECT_EQ(world.sounds, std::vector<int>{35});
    EXPECT_EQ(arms.detonation, 1);
    EXPECT_EQ(world.dynamicCalls, 1);
}

TEST_F(WeaponFireTest, TheCompanionWeaponSendsTheCompanionOutAndDownCallsItBack)
{
    Weapon(15);
    Press();
    EXPECT_EQ(companion.mode, COMPANION_STEERED);
    EXPECT_EQ(companion.kickRange, 3);
    EXPECT_EQ(companion.sightSteps, 1000);
    // Out, a press costs 3 MP and fires from the companion.
    world.mpAnswer = 5;
    rand.Add({2});
    Press();
    EXPECT_EQ(world.mpAsked.back(), -3);
    EXPECT_NE(std::find(world.sounds.begin(), world.sounds.end(), 16), world.sounds.end());
    EXPECT_EQ(companion.offsetY, -4);
    world.Hold(BUTTON_DOWN);
    Press();
    EXPECT_EQ(companion.mode, COMPANION_FOLLOW);
}

TEST_F(WeaponFireTest, AnEmptyHandOrAnUnknownUseCodeFiresNothingButShotsStillMove)
{
    ShotNode *s = Shot(38);
    s->vx = 2;
    arms.weapon = 0;
    Press();
    EXPECT_EQ(s->x, 102);
    EXPECT_TRUE(world.sounds.empty());
}

// The weapons that throw what the player carries: use 28 every carried item, use 32 (the bow)
// the first arrow, each on a field object of the item's own kind with a shot riding it.
class CarriedThrowTest : public WeaponFireTest {
protected:
    CarriedThrowTest() {
        arms.inventory = &bag;
        Item(kArrow, ITEM_PLAIN, 9, 3);
    }
    void Carry(std::vector<std::pair<int, int>> slots) {
        bag.ids.fill(0);
        bag.counts.fill(0);
        for (size_t i = 0; i < slots.size(); i++) {
            bag.ids[i] = slots[i].first;
            bag.counts[i] = slots[i].second;
        }
    }
    std::vector<std::pair<int, int>> Carried() const {
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < kCarriedSlots && bag.ids[(size_t)i] != 0; i++)
            out.push_back({bag.ids[(size_t)i], bag.counts[(size_t)i]});
        return out;
    }
    static constexpr int kArrow = 144;
    static constexpr int kMedicine = 11, kApple = 76;
    Inventory bag;
};

TEST_F(CarriedThrowTest, EveryCarriedItemFliesOnItsOwnKindAndAStackLosesOnePiece)
{
    struct Row {
        int direction;
        float dx, dy, vx, vy;
    } table[] = {
        {0, -10, 1, -30, -5}, {1, 10, 1, 30, -5}, {2, 0, -10, 0, -30}, {3, 0, -10, 0, -30}, {5, 0, 10, 0, 30},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << "direction " << row.direction);
        Weapon(28);
        Carry({{kArrow, 0}, {kMedicine, 2}, {kApple, 0}});
        player.direction = row.direction;
        world.ClearRecords();
        const int firstBody = world.nextObjectBody;
        Press();
        EXPECT_EQ(world.sounds[0], 54);
        const int items[] = {kArrow, kMedicine, kApple};
        ASSERT_EQ(world.objects.size(), 3u);
        std::vector<ShotNode *> shots = Shots();
        ASSERT_EQ(shots.size(), 3u);
        for (int i = 0; i < 3; i++) {
            const RecordedObject &o = world.objects[(size_t)i];
            const FieldObjectKind &k = kFieldObjectKinds[items[i] + 2];
            EXPECT_EQ(o.kind, items[i]);
            EXPECT_EQ(o.x, player.x + row.dx);
            EXPECT_EQ(o.y, player.y + row.dy);
            EXPECT_EQ(o.vx, row.vx);
            EXPECT_EQ(o.vy, row.vy);
            EXPECT_EQ(o.itemFlag, 0); // no lifetime of its own
            const ShotNode &s = *shots[(size_t)i];
            EXPECT_EQ(s.bodyId, firstBody + i);
            EXPECT_EQ(s.behaviour, kShotKinds[ShotKindRow(1, false)].behaviour);
            EXPECT_EQ(s.damage, k.value);
            const ShotKind &needle = kShotKinds[ShotKindRow(1, false)];
            EXPECT_EQ(s.hitHalfWidth, (int)k.width != 0 ? (int)k.width + 1 : needle.hitHalfWidth);
            EXPECT_EQ(s.hitHalfHeight, (int)k.height != 0 ? (int)k.height + 1 : needle.hitHalfHeight);
        }
        // Single pieces leave their slots; the stack of three keeps two.
        EXPECT_EQ(Carried(), (std::vector<std::pair<int, int>>{{kMedicine, 1}}));
        FreeShotList(arms);
        arms.fireCounter = 1000;
    }
}

TEST_F(CarriedThrowTest, ARefusedObjectKeepsItsItemAndACountedWeaponGetsItsUnitBack)
{
    Weapon(28, ITEM_COUNTED_WEAPON);
    Carry({{kMedicine, 0}, {299, 0}}); // the last has no field object of its own
    world.nextObjectBody = -1;
    Press();
    EXPECT_TRUE(Shots().empty());
    EXPECT_EQ(arms.weaponCount, 5);
    EXPECT_EQ(Carried(), (std::vector<std::pair<int, int>>{{kMedicine, 0}, {299, 0}}));
    // Made for one but not the other: the one flies, the other stays, the unit comes back.
    world.nextObjectBody = 100;
    Press();
    EXPECT_EQ(Shots().size(), 1u);
    EXPECT_EQ(arms.weaponCount, 5);
    EXPECT_EQ(Carried(), (std::vector<std::pair<int, int>>{{299, 0}}));
    // Nothing carried: the sound, nothing else.
    FreeShotList(arms);
    Carry({});
    world.ClearRecords();
    Press();
    EXPECT_EQ(world.sounds, std::vector<int>{54});
    EXPECT_TRUE(world.objects.empty());
}

TEST_F(CarriedThrowTest, TheBowShootsTheFirstArrowWithBothPowers)
{
    struct Row {
        int direction;
        float dx, vx, vy;
    } table[] = {
        {0, -10, -20, -8}, {1, 10, 20, -8}, {2, -10, -20, -16}, {3, 10, 20, -16}, {4, -10, -20, 16}, {5, 10, 20, 16},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(testing::Message() << "direction " << row.direction);
        Weapon(32); // power 7
        Item(kApple, ITEM_PLAIN, 9, 5).kind = ITEM_WEAPON; // use 9 but not a plain item: passed over
        Carry({{kMedicine, 0}, {kApple, 0}, {kArrow, 1}, {kArrow, 0}});
        player.direction = row.direction;
        world.ClearRecords();
        const int body = world.nextObjectBody;
        Press();
        EXPECT_EQ(world.sounds[0], 54);
        ASSERT_EQ(world.objects.size(), 1u);
        const RecordedObject &o = world.objects[0];
        EXPECT_EQ(o.kind, kArrow);
        EXPECT_EQ(o.x, player.x + row.dx);
        EXPECT_EQ(o.y, player.y - 2);
        EXPECT_EQ(o.vx, row.vx);
        EXPECT_EQ(o.vy, row.vy);
        EXPECT_EQ(o.itemFlag, 1);
        EXPECT_EQ(o.lifetime, 100);
        ASSERT_EQ(Shots().size(), 1u);
        const ShotNode &s = *Shots()[0];
        EXPECT_EQ(s.bodyId, body);
        EXPECT_EQ(s.behaviour, kShotKinds[ShotKindRow(73, false)].behaviour);
        EXPECT_EQ(s.damage, 3 + 7);
        EXPECT_EQ(s.hitHalfWidth, 9);
        EXPECT_EQ(s.hitHalfHeight, 2);
        EXPECT_EQ(Carried(), (std::vector<std::pair<int, int>>{{kMedicine, 0}, {kApple, 0}, {kArrow, 0}, {kArrow, 0}}));
        FreeShotList(arms);
        arms.fireCounter = 1000;
    }
    // The last arrow leaves its slot; with none left the bow only sounds.
    Carry({{kArrow, 0}});
    Press();
    EXPECT_TRUE(Carried().empty());
    FreeShotList(arms);
    arms.fireCounter = 1000;
    world.ClearRecords();
    Press();
    EXPECT_EQ(world.sounds, std::vector<int>{54});
    EXPECT_TRUE(Shots().empty());
}

} // namespace
