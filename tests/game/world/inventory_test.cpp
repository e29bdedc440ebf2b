// The carried slots and their operations, HP and MP changes, the use of items (with scripted
// random draws) and the story-flag grid.
#include "game/world/inventory.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "game/actors/arms.h"
#include "game/frame/hud.h"
#include "game/frame/key_bindings.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "game/world/world_services.h"
#include "tests/game/actors/scripted_rand.h"
#include "tests/game/world/item_fixture.h"

namespace {

class InventoryTest : public ItemRecordsTest {
protected:
    void SetUp() override {
        ItemRecordsTest::SetUp();
        LoadInventorySheet(inv);
        status.hp = 10;
        status.hpMax = 30;
        status.mp = 10;
        status.mpMax = 30;
    }
    void Carry(std::initializer_list<int> ids, std::initializer_list<int> counts = {}) {
        inv.ids.fill(0);
        inv.counts.fill(0);
        int i = 0;
        for (int id : ids) inv.ids[(size_t)i++] = id;
        i = 0;
        for (int c : counts) inv.counts[(size_t)i++] = c;
    }
    void Shot(bool pressed) {
        GameInput &in = GetGameInput();
        in.padCounters[(size_t)in.padAssign[BUTTON_SHOT]] = pressed ? 1 : 0;
    }
};

TEST_F(InventoryTest, HpAndMpClamps) {
    struct Case {
        int hp, amount, wantHp;
    } hpCases[] = {{10, -50, 1}, {10, 50, 30}, {10, 20, 30}, {10, -10, 1}, {10, 5, 15}};
    for (const Case &c : hpCases) {
        status.hp = c.hp;
        AddPlayerHp(status, c.amount);
        EXPECT_EQ(status.hp, c.wantHp) << c.hp << " + " << c.amount;
    }
    struct MpCase {
        int mp, amount, wantMp, result;
    } mpCases[] = {{10, -50, 10, -1}, {10, -10, 0, 0}, {10, 50, 30, 30}, {10, -3, 7, 7}};
    for (const MpCase &c : mpCases) {
        status.mp = c.mp;
        EXPECT_EQ(AddPlayerMp(status, c.amount), c.result) << c.mp << " + " << c.amount;
        EXPECT_EQ(status.mp, c.wantMp);
    }
}

TEST_F(InventoryTest, StacksStopAtEightInSlotsAndInTheHand) {
    Carry({5, 3}, {0, 7}); // MK2 (kind 6) with count 7
    EXPECT_EQ(AddCarriedItem(3, inv), 3) << "a raised stack answers the item";
    EXPECT_EQ(inv.counts[1], 8);
    EXPECT_EQ(AddCarriedItem(3, inv), -1);
    EXPECT_EQ(inv.counts[1], 8);
    EXPECT_EQ(inv.ids, (Slots{5, 3}));

    // The weapon in hand takes the piece before any slot.
    arms.weapon = 40;
    arms.weaponCount = 7;
    Carry({40});
    EXPECT_EQ(AddCarriedItem(40, inv), 40);
    EXPECT_EQ(arms.weaponCount, 8);
    EXPECT_EQ(AddCarriedItem(40, inv), -1);
    EXPECT_EQ(inv.counts[0], 0);

    // Other kinds take a new slot each; a full inventory refuses; ids outside the table too.
    Carry({5, 5, 5, 5, 5, 5, 5});
    EXPECT_EQ(AddCarriedItem(5, inv), 7);
    EXPECT_EQ(AddCarriedItem(11, inv), -1);
    Carry({});
    EXPECT_EQ(AddCarriedItem(300, inv), -1);
    EXPECT_EQ(AddCarriedItem(-1, inv), -1);
    EXPECT_EQ(inv.ids, (Slots{}));
}

TEST_F(InventoryTest, AddCountOnlyForStackingKinds) {
    Carry({5, 3}, {0, 2});
    EXPECT_EQ(AddCarriedItemCount(3, 10, inv), 1);
    EXPECT_EQ(inv.counts[1], 12) << "no limit when raised by a count";
    EXPECT_EQ(AddCarriedItemCount(40, 4, inv), 2);
    EXPECT_EQ(inv.counts[2], 4);
    EXPECT_EQ(AddCarriedItemCount(5, 1, inv), -1) << "a plain weapon does not stack";
    EXPECT_EQ(AddCarriedItemCount(999, 1, inv), -1);
    Carry({5, 5, 5, 5, 5, 5, 5, 5});
    EXPECT_EQ(AddCarriedItemCount(3, 1, inv), -1);
}

TEST_F(InventoryTest, RemovalCompactsInOrder) {
    Carry({11, 12, 13, 14, 15});
    RemoveCarriedItem(2, inv);
    EXPECT_EQ(inv.ids, (Slots{11, 12, 14, 15}));
    // The last slot of a full inventory.
    Carry({11, 12, 13, 14, 15, 16, 17, 3}, {0, 0, 0, 0, 0, 0, 0, 4});
    RemoveCarriedItem(7, inv);
    EXPECT_EQ(inv.ids, (Slots{11, 12, 13, 14, 15, 16, 17, 0}));
    EXPECT_EQ(inv.counts[7], 0);
    // Slots outside 0..7 change nothing.
    RemoveCarriedItem(8, inv);
    RemoveOneCarriedItem(-1, inv);
    EXPECT_EQ(inv.ids, (Slots{11, 12, 13, 14, 15, 16, 17, 0}));
}

TEST_F(InventoryTest, CountedWeaponsLoseTheStackOrOnePiece) {
    Carry({3, 11}, {2, 0});
    RemoveCarriedItem(0, inv);
    EXPECT_EQ(inv.ids, (Slots{11}));
    EXPECT_EQ(inv.counts, (Slots{}));

    Carry({3, 11}, {1, 0});
    RemoveOneCarriedItem(0, inv);
    EXPECT_EQ(inv.ids, (Slots{3, 11}));
    EXPECT_EQ(inv.counts[0], 0);
    RemoveOneCarriedItem(0, inv);
    EXPECT_EQ(inv.ids, (Slots{11}));
    EXPECT_EQ(inv.counts, (Slots{}));
}

TEST_F(InventoryTest, FindingWeaponsAndItems) {
    Carry({11, 12, 3, 5});
    EXPECT_EQ(FindCarriedWeapon(inv), 2);
    EXPECT_EQ(FindCarriedItem(5, inv), 3);
    EXPECT_EQ(FindCarriedItem(6, inv), -1);
    Carry({11, 0, 5}); // a weapon past a gap is not looked at
    EXPECT_EQ(FindCarriedWeapon(inv), -1);
    Carry({11, 11, 11, 11, 11, 11, 11, 11});
    EXPECT_EQ(FindCarriedWeapon(inv), -1);
}

TEST_F(InventoryTest, PlainItemCount) {
    Carry({122, 122});
    EXPECT_EQ(CountPlainCarriedItems(inv), 2);
    Carry({122, 123, 128});
    EXPECT_EQ(CountPlainCarriedItems(inv), 3);
    Carry({122, 11});
    EXPECT_EQ(CountPlainCarriedItems(inv), -1);
    Carry({});
    EXPECT_EQ(CountPlainCarriedItems(inv), 0);
    Carry({122, 122});
    arms.weapon = 5;
    EXPECT_EQ(CountPlainCarriedItems(inv), -1);
    arms.weapon = 0;
    arms.armour2 = 20;
    EXPECT_EQ(CountPlainCarriedItems(inv), -1);
}

TEST_F(InventoryTest, UseWaitsForShotThenApplies) {
    struct Case {
        int item;
        int result, hp, hpMax, mp, mpMax, timerA, timerB;
        std::vector<int> sounds;
        std::initializer_list<int> rand;
    } cases[] = {
        {1, -1, 13, 30, 10, 30, 0, 7, {90}, {}},      // use 2: a sharp taste
        {11, -1, 30, 30, 10, 30, 0, 7, {5}, {}},      // use 3: +20 HP, held to the maximum
        {12, -1, 10, 30, 30, 30, 0, 7, {94}, {}},     // use 4: +100 MP
        {76, -1, 15, 30, 10, 30, 0, 7, {73}, {}},     // use 5: ate
        {100, -1, 17, 30, 10, 30, 0, 7, {75}, {}},    // use 5: drank
        {18, -1, 10, 33, 10, 30, 0, 7, {5}, {13}},    // use 6: 13 % 5 = 3
        {18, -1, 10, 31, 10, 30, 0, 7, {5}, {10}},    // use 6: remainder 0 gives 1
        {19, -1, 10, 30, 10, 42, 0, 7, {94}, {17}},   // use 7: 17 % 10 + 5
        {54, -1, 10, 30, 10, 30, 1500, 7, {92}, {}},  // use 8: timer A
        {114, -1, 10, 30, 10, 30, 0, 5007, {92}, {}}, // use 15: timer B grows
        {144, -2, 10, 30, 10, 30, 0, 7, {}, {}},      // use 9: an arrow stays
        {74, -2, 10, 30, 10, 30, 0, 7, {}, {}},       // use 10: a document stays
        {122, -2, 10, 30, 10, 30, 0, 7, {}, {}},      // use 0: nothing happens
        {111, -1, 10, 30, 10, 30, 0, 7, {}, {}},      // use 1: the flags were shown
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item);
        status.hp = 10, status.hpMax = 30, status.mp = 10, status.mpMax = 30;
        status.timers = {0, 7};
        Carry({c.item});
        ScriptedRand rand(c.rand);
        Shot(false);
        EXPECT_EQ(UseCarriedItem(0, inv), 1);
        EXPECT_EQ(status.hp, 10);
        EXPECT_TRUE(TakeSounds().empty());
        overlay.FreeEntries();
        Shot(true);
        EXPECT_EQ(UseCarriedItem(0, inv), c.result);
        EXPECT_EQ(status.hp, c.hp);
        EXPECT_EQ(status.hpMax, c.hpMax);
        EXPECT_EQ(status.mp, c.mp);
        EXPECT_EQ(status.mpMax, c.mpMax);
        EXPECT_EQ(status.timers[0], c.timerA);
        EXPECT_EQ(status.timers[1], c.timerB);
        EXPECT_EQ(TakeSounds(), c.sounds);
        ASSERT_FALSE(overlay.Entries().empty());
        EXPECT_EQ(overlay.Entries()[0].y, 154) << "the message box's text";
        EXPECT_EQ(inv.ids[0], c.item) << "the menu removes a used item, not the use";
    }
}

TEST_F(InventoryTest, RisesWithoutPowerAndTheCap) {
    Carry({18});
    Shot(true);
    status.hpMax = 998;
    {
        ScriptedRand rand({4});
        UseCarriedItem(0, inv); // 4 % 5 = 4, held to 999
    }
    EXPECT_EQ(status.hpMax, 999);
    // A power of 0 or less rises by 1 and draws nothing (no division by it).
    ScriptedRand rand({10, 7});
    EXPECT_EQ(MaximumRise(0), 1);
    EXPECT_EQ(MaximumRise(-3), 1);
    EXPECT_EQ(MaximumRise(5), 1);
    EXPECT_EQ(MaximumRise(5), 2);
}

TEST_F(InventoryTest, OutOfRangeOrEmptySlotsAreKept) {
    Carry({});
    Shot(true);
    EXPECT_EQ(UseCarriedItem(0, inv), -2) << "the empty item does nothing and stays";
    EXPECT_EQ(UseCarriedItem(8, inv), -2);
    EXPECT_EQ(UseCarriedItem(-1, inv), -2);
}

TEST_F(InventoryTest, FlagGridDrawsMarksForSetBits) {
    SetStoryFlag(0, status);
    SetStoryFlag(9, status);
    SetStoryFlag(255, status);
    TakeCalls();
    DrawStoryFlagGrid(inv);
    std::vector<DrawCall> marks;
    int headers = 0, labels = 0;
    for (const DrawCall &c : TakeCalls()) {
        ASSERT_EQ(c.graph, inv.sheet);
        if (c.sx == 88 && c.sy == 0) marks.push_back(c);
        else if (c.sy == 80) headers++;
        else if (c.sy == 88) labels++;
    }
    EXPECT_EQ(headers, 16);
    EXPECT_EQ(labels, 32);
    EXPECT_EQ(marks, (std::vector<DrawCall>{Part(20, 30, 88, 0, 8, 8, inv.sheet, 1), Part(32, 38, 88, 0, 8, 8, inv.sheet, 1),
                                           Part(128 + 84, 30 + 88, 88, 0, 8, 8, inv.sheet, 1)}));
}

} // namespace
