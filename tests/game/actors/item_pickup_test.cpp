// Money and items in the field: the reach of three half sizes, money without a button, items
// with DOWN to the hand or the bag, a full bag leaving the item, and the holding item.
#include <vector>

#include "tests/game/actors/combat_fixture.h"

namespace {

class PickUpTest : public CombatTest {
protected:
    PickUpTest() {
        player.x = 100;
        player.y = 100; // reach: 9 x 18 half sizes
        arms.weapon = 3;
        arms.armour1 = arms.armour2 = 1;
        Item(60, ITEM_PLAIN).name = "ﾔｸｿｳ";
        world.identified[60] = 1;
    }
};

TEST_F(PickUpTest, MoneyIsTakenWithinThreeHalfSizesWithoutAButton)
{
    FieldObjectNode &near = Object(112.9f, 100, 0, 0, 5); // 112.9 - 4 < 109
    FieldObjectNode &far = Object(113, 100, 0, 1, 1);     // only meets the reach
    FieldObjectNode &flying = Object(100, 100, 0, 0, 5);
    flying.thrown = 1;
    PickUpItems(contact);
    EXPECT_EQ(near.image, -1);
    EXPECT_EQ(far.image, 1);
    EXPECT_EQ(flying.image, 0);
    EXPECT_EQ(world.money, 5);
    EXPECT_EQ(world.sounds, std::vector<int>{88});
    PickUpItems(contact); // a taken coin is not taken again
    EXPECT_EQ(world.money, 5);
}

TEST_F(PickUpTest, AnItemNeedsDownAndGoesToTheBagWhenTheHandsAreFull)
{
    FieldObjectNode &item = Object(100, 100, 2, 16, 60);
    PickUpItems(contact);
    EXPECT_EQ(item.image, 16);
    world.Hold(BUTTON_DOWN);
    world.NextFrame();
    world.carriedAnswer = -1; // the bag is full too
    PickUpItems(contact);
    EXPECT_EQ(item.image, 16);
    EXPECT_TRUE(world.sounds.empty());
    EXPECT_TRUE(world.notifications.empty());
    world.carriedAnswer = 0;
    PickUpItems(contact);
    EXPECT_EQ(item.image, -1);
    EXPECT_EQ(world.carried, std::vector<int>{60});
    EXPECT_EQ(world.sounds, std::vector<int>{4});
    EXPECT_EQ(world.notifications, std::vector<std::string>{"ﾔｸｿｳ"});
}

TEST_F(PickUpTest, AWeaponGoesToAnEmptyHand)
{
    Item(3, ITEM_WEAPON);
    arms.weapon = 0;
    Object(100, 100, 2, 16, 3);
    world.Hold(BUTTON_DOWN);
    world.NextFrame();
    PickUpItems(contact);
    EXPECT_EQ(arms.weapon, 3);
    EXPECT_TRUE(world.carried.empty());
}

TEST_F(PickUpTest, TheHoldingItemAnywhereKeepsTheVelocityHold)
{
    Object(900, 900, 2, 16, 146);
    arms.velocityHold = 3;
    PickUpItems(contact);
    EXPECT_EQ(arms.velocityHold, 100);
}

} // namespace
