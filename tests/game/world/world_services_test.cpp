// The world seam's default table: without the records a module has not been given, each call
// does nothing and answers as the world does with nothing there.
#include "game/world/world_services.h"

#include <gtest/gtest.h>

namespace {

TEST(WorldServicesTest, DefaultsWithoutRecordsDoNothing) {
    const WorldServiceCalls &w = DefaultWorldServices();
    w.spawnEffect(nullptr, 1, 2, 3);
    w.addPopupNumber(nullptr, 1, 2, 3);
    w.addOverlayText(nullptr, 1, 2, "SB");
    w.addOverlayNumber(nullptr, 1, 2, 3);
    w.addNotification(nullptr, "x");
    w.startScreenEffect(nullptr, 1);
    w.removeCarriedItem(nullptr, 0);
    w.destroyAllBodies(nullptr);
    w.freeEffects(nullptr);
    w.freeGimmickList(nullptr);
    w.freeFieldObjects(nullptr);
    w.createGimmick(nullptr, 1, 2, 3);
    EXPECT_EQ(w.addCarriedItem(nullptr, 5), -1);
    EXPECT_EQ(w.addPlayerMp(nullptr, -3), -1);
    EXPECT_EQ(w.identifiedCount(nullptr, 5), 0);
    EXPECT_EQ(w.setBodyVelocityById(3, 1, 1, nullptr), -1);
    EXPECT_EQ(w.showMessageAndWait(nullptr, "x"), 1);
    EXPECT_FALSE(w.isBodyTouchingObject(nullptr, 3));
}

TEST(WorldServicesTest, ItemRowsOnlyInsideTheTable) {
    const WorldServiceCalls &w = DefaultWorldServices();
    EXPECT_NE(w.itemKind(0), nullptr);
    EXPECT_NE(w.itemKind(kItemKindCount - 1), nullptr);
    EXPECT_EQ(w.itemKind(-1), nullptr);
    EXPECT_EQ(w.itemKind(kItemKindCount), nullptr);
}

TEST(WorldServicesTest, ButtonsReadThroughTheirPadAssignment) {
    GetGameInput() = GameInput{};
    GameInput &in = GetGameInput();
    in.padAssign[BUTTON_JUMP] = 5;
    in.padCounters[5] = 3;
    const WorldServiceCalls &w = DefaultWorldServices();
    EXPECT_EQ(w.buttonCount(BUTTON_JUMP), 3);
    EXPECT_EQ(w.buttonCount(-1), 0);
    EXPECT_EQ(w.buttonCount(BUTTON_COUNT), 0);
    GetGameInput() = GameInput{};
}

TEST(WorldServicesTest, ShotWithoutAPadButtonReadsItsOwnKey) {
    GetGameInput() = GameInput{};
    GameInput &in = GetGameInput();
    in.padAssign[BUTTON_SHOT] = -1;
    in.keyAssign[BUTTON_SHOT] = GAMEKEY_X;
    in.keyAssign[BUTTON_RESET] = GAMEKEY_Q;
    in.keyCounters[GAMEKEY_X] = 1;
    in.keyCounters[GAMEKEY_Q] = 7;
    EXPECT_EQ(DefaultWorldServices().buttonCount(BUTTON_SHOT), 1);
    GetGameInput() = GameInput{};
}

} // namespace
