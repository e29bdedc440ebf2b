// The equipment record: the shot list, the equip calls and their refusals, picking up into the
// slots, the armour effects table, display names, the velocity hold and the aim.
#include "game/actors/arms.h"

#include <cmath>

#include "tests/game/actors/actor_fixture.h"

namespace {

class ArmsTest : public ActorTest {};

TEST_F(ArmsTest, StartValues) {
    arms.weapon = 0;
    arms.velocityHold = 5;
    arms.shotSheet = 7;
    InitArms(arms);
    EXPECT_EQ(arms.weapon, 3);
    EXPECT_EQ(arms.weaponCount, 99);
    EXPECT_EQ(arms.armour1, 0);
    EXPECT_EQ(arms.armour2, 0);
    EXPECT_EQ(arms.velocityHold, 0);
    EXPECT_EQ(arms.drawOffsetX, -16);
    EXPECT_EQ(arms.drawOffsetY, -14);
    EXPECT_EQ(arms.shotSheet, 7) << "sheets are the load step's";
    EXPECT_EQ(arms.player, &player) << "pointers are CurGame's";
    EXPECT_EQ(arms.shotHead, nullptr);
}

// Four nodes a, b, c, d; each case removes one place and checks the links that remain.
TEST_F(ArmsTest, ShotListRemovalAtEveryPlace) {
    struct Case {
        const char *name;
        int count, remove;
    } cases[] = {{"only", 1, 0}, {"head", 4, 0}, {"middle", 4, 2}, {"tail", 4, 3}};
    for (const Case &c : cases) {
        std::vector<ShotNode *> nodes;
        for (int i = 0; i < c.count; i++) {
            nodes.push_back(new ShotNode);
            nodes.back()->damage = i;
            AppendShotNode(arms, nodes.back());
        }
        ShotNode *next = RemoveShotNode(nodes[c.remove], arms);
        EXPECT_EQ(next, c.remove + 1 < c.count ? nodes[c.remove + 1] : nullptr) << c.name;
        std::vector<int> forward, backward;
        for (ShotNode *n = arms.shotHead; n; n = n->next) forward.push_back(n->damage);
        for (ShotNode *n = arms.shotTail; n; n = n->prev) backward.insert(backward.begin(), n->damage);
        std::vector<int> expected;
        for (int i = 0; i < c.count; i++)
            if (i != c.remove) expected.push_back(i);
        EXPECT_EQ(forward, expected) << c.name;
        EXPECT_EQ(backward, expected) << c.name;
        FreeShotList(arms);
        EXPECT_EQ(arms.shotHead, nullptr);
        EXPECT_EQ(arms.shotTail, nullptr);
    }
}

TEST_F(ArmsTest, EquipCallsCheckKindsAndTheTable) {
    Item(5, ITEM_WEAPON);
    Item(3, ITEM_COUNTED_WEAPON);
    Item(20, ITEM_ARMOUR, 5, 1);
    Item(11, ITEM_PLAIN);
    arms.weapon = 3;
    EXPECT_EQ(EquipWeapon(5, arms), 3);
    EXPECT_EQ(arms.weapon, 5);
    EXPECT_EQ(EquipWeapon(3, arms), 5) << "a counted weapon is a weapon";
    for (int id : {20, 11, 0, -1, 300, 1000}) {
        EXPECT_EQ(EquipWeapon(id, arms), -1) << id;
        EXPECT_EQ(arms.weapon, 3) << id;
    }
    for (int id : {5, 3, 11, -1, 300}) {
        EXPECT_EQ(EquipArmorSlot1(id, arms), -1) << id;
        EXPECT_EQ(EquipArmorSlot2(id, arms), -1) << id;
        EXPECT_EQ(AutoEquipItem(id, arms), -1) << id;
    }
    EXPECT_EQ(arms.armour1, 0);
    EXPECT_EQ(arms.armour2, 0);
    EXPECT_EQ(EquipArmorSlot1(20, arms), 0);
    EXPECT_EQ(EquipArmorSlot2(20, arms), 0);
    EXPECT_EQ(player.defence, 1) << "equipping re-applies the armour";
}

TEST_F(ArmsTest, CursedArmourStaysOn) {
    Item(45, ITEM_ARMOUR, 6, -5);
    Item(20, ITEM_ARMOUR, 5, 1);
    for (int slot = 1; slot <= 2; slot++) {
        auto equip = slot == 1 ? EquipArmorSlot1 : EquipArmorSlot2;
        int &worn = slot == 1 ? arms.armour1 : arms.armour2;
        EXPECT_EQ(equip(45, arms), 0) << slot;
        EXPECT_EQ(player.defence, -5) << slot;
        EXPECT_EQ(equip(20, arms), -1) << slot;
        EXPECT_EQ(equip(45, arms), -1) << slot;
        EXPECT_EQ(worn, 45) << slot;
        worn = 0;
        ApplyArmorEffects(arms);
    }
}

TEST_F(ArmsTest, AutoEquipPaths) {
    Item(5, ITEM_WEAPON);
    Item(3, ITEM_COUNTED_WEAPON);
    Item(20, ITEM_ARMOUR, 5, 1);
    Item(44, ITEM_ARMOUR, 5, 2);
    Item(65, ITEM_ARMOUR, 0);

    arms.weapon = 0;
    EXPECT_EQ(AutoEquipItem(3, arms), -1) << "a counted weapon goes to the armour slots, which refuse it";
    EXPECT_EQ(arms.weapon, 0);
    EXPECT_EQ(AutoEquipItem(5, arms), 0);
    EXPECT_EQ(arms.weapon, 5);
    EXPECT_EQ(AutoEquipItem(5, arms), -1) << "a second weapon is offered to the armour slots";
    EXPECT_EQ(AutoEquipItem(20, arms), 0);
    EXPECT_EQ(arms.armour1, 20);
    EXPECT_EQ(AutoEquipItem(44, arms), 0);
    EXPECT_EQ(arms.armour2, 44);
    EXPECT_EQ(AutoEquipItem(65, arms), -1) << "both slots full";
    EXPECT_EQ(arms.armour1, 20);
    EXPECT_EQ(arms.armour2, 44);
    EXPECT_EQ(player.defence, 2);
}

TEST_F(ArmsTest, ArmourEffectsTable) {
    // Items 101..: (use code, value) per slot; 0 = no armour.
    struct Slot {
        int use, value;
    };
    struct Expect {
        int costume, extraAirJumps, airJumpsLeft, ability, defence, damageFactor, dash;
    };
    struct Case {
        const char *name;
        Slot slot1, slot2;
        Expect e;
    } cases[] = {
        {"none", {0, 0}, {0, 0}, {0, 0, 0, 0, 0, 0, 0}},
        {"costume", {1, 3}, {0, 0}, {3, 0, 0, 0, 0, 0, 0}},
        {"costume, slot 2 wins", {1, 3}, {1, 5}, {5, 0, 0, 0, 0, 0, 0}},
        {"air jumps, slot 2 wins", {2, 2}, {2, 1}, {0, 1, 0, 0, 0, 0, 0}},
        {"life bars and map marks", {3, 0}, {4, 0}, {0, 0, 0, 0x11, 0, 0, 0}},
        {"defence at least: raises", {6, 2}, {5, 3}, {0, 0, 0, 0, 3, 0, 0}},
        {"defence at least: keeps a higher one", {6, 4}, {5, 3}, {0, 0, 0, 0, 4, 0, 0}},
        {"defence at least: keeps a negative one", {6, -5}, {5, 3}, {0, 0, 0, 0, -5, 0, 0}},
        {"defence, slot 2 wins", {5, 3}, {6, 1}, {0, 0, 0, 0, 1, 0, 0}},
        {"damage factor 2 x 3", {7, 2}, {7, 3}, {0, 0, 0, 0, 0, 6, 0}},
        {"damage factor alone", {0, 0}, {7, 3}, {0, 0, 0, 0, 0, 3, 0}},
        {"dash speeds add", {8, 2}, {8, 3}, {0, 0, 0, 0, 0, 0, 5}},
        {"unknown code", {9, 7}, {0, 0}, {0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        // Leftovers that the reset must clear.
        player.costume = 9;
        player.abilityFlags = 0x40;
        player.extraAirJumps = player.airJumpsLeft = 4;
        player.defence = player.damageFactor = player.dashSpeed = 7;
        arms.armour1 = c.slot1.use ? 101 : 0;
        arms.armour2 = c.slot2.use ? 102 : 0;
        Item(101, ITEM_ARMOUR, c.slot1.use, c.slot1.value);
        Item(102, ITEM_ARMOUR, c.slot2.use, c.slot2.value);
        ApplyArmorEffects(arms);
        EXPECT_EQ(player.costume, c.e.costume) << c.name;
        EXPECT_EQ(player.extraAirJumps, c.e.extraAirJumps) << c.name;
        EXPECT_EQ(player.airJumpsLeft, c.e.airJumpsLeft) << c.name;
        EXPECT_EQ(player.abilityFlags, c.e.ability) << c.name;
        EXPECT_EQ(player.defence, c.e.defence) << c.name;
        EXPECT_EQ(player.damageFactor, c.e.damageFactor) << c.name;
        EXPECT_EQ(player.dashSpeed, c.e.dash) << c.name;
        EXPECT_EQ(arms.appliedArmour1, arms.armour1) << c.name;
        EXPECT_EQ(arms.appliedArmour2, arms.armour2) << c.name;
    }
}

TEST_F(ArmsTest, DisplayNameByIdentifiedCount) {
    ItemKind &row = Item(5, ITEM_WEAPON);
    row.name = "ﾅｲﾌ";
    row.unidentifiedName = "ﾊﾓﾉ";
    EXPECT_STREQ(GetItemDisplayName(5, nullptr), "ﾊﾓﾉ");
    world.identified[5] = 1;
    EXPECT_STREQ(GetItemDisplayName(5, nullptr), "ﾅｲﾌ");
    world.identified[5] = 12;
    EXPECT_STREQ(GetItemDisplayName(5, nullptr), "ﾅｲﾌ");
    EXPECT_STREQ(GetItemDisplayName(-1, nullptr), "");
    EXPECT_STREQ(GetItemDisplayName(300, nullptr), "");
}

TEST_F(ArmsTest, VelocityHoldCountsDownThenBodiesGetWholeUnits) {
    world.bodies[4] = FakeBody{};
    arms.velocityHold = 2;
    EXPECT_EQ(SetShotBodyVelocity(arms, 4, 9, 9), 1);
    EXPECT_EQ(SetShotBodyVelocity(arms, 4, 9, 9), 0);
    EXPECT_EQ(world.bodies[4].velocitySets, 0);
    EXPECT_EQ(SetShotBodyVelocity(arms, 4, 2.9f, -3.7f), 0);
    EXPECT_EQ(world.bodies[4].vx, 2.0f);
    EXPECT_EQ(world.bodies[4].vy, -3.0f);
    EXPECT_EQ(arms.velocityHold, 0);
    EXPECT_EQ(SetShotBodyVelocity(arms, 99, 1, 1), -1) << "an unknown body";
}

TEST_F(ArmsTest, AimAtThePlayer) {
    player.x = 100;
    player.y = 50;
    float vx = 0, vy = 0;
    ComputeAimAtPlayer(arms, 70, 90, 5, &vx, &vy);
    float a = std::atan2(50.0f - 90.0f, 100.0f - 70.0f);
    EXPECT_FLOAT_EQ(vx, 5 * std::cos(a));
    EXPECT_FLOAT_EQ(vy, 5 * std::sin(a));
    EXPECT_FLOAT_EQ(vx, 3.0f);
    EXPECT_FLOAT_EQ(vy, -4.0f);
}

} // namespace
