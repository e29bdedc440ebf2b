// The storage box screen driven by pressed buttons: deposits and take-outs of stacks, the gap a
// take-out closes, the list's scrolling, refusals, and what the screens queue on the overlay.
#include "game/world/storage_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/actors/arms.h"
#include "game/frame/hud.h"
#include "game/frame/text_overlay.h"
#include "game/world/inventory.h"
#include "game/world/world_services.h"
#include "tests/game/world/item_fixture.h"
#include "tests/game/world/button_press.h"

namespace {

class StorageBoxTest : public ItemRecordsTest {
protected:
    void SetUp() override {
        ItemRecordsTest::SetUp();
        box.messageBox = &hud;
        box.inventory = &inv;
        box.overlay = &overlay;
        LoadMenuWindowImages(box.window);
        inv.stock.fill(1); // everything known
    }
    // One frame with the buttons pressed; the overlay holds that frame's entries afterwards.
    int Frame(std::initializer_list<int> buttons = {}) {
        overlay.FreeEntries();
        PressButtons(buttons);
        return RunStorageScreen(box);
    }
    StorageBox box;
};

TEST_F(StorageBoxTest, StackDepositedThreeTimes) {
    inv.ids = {3, 11};
    inv.counts = {2, 0};
    EXPECT_EQ(Frame({BUTTON_DOWN}), 1);
    EXPECT_EQ(TextAt(267, 150), "コマンド？");
    EXPECT_EQ(Frame({BUTTON_SHOT}), 1);
    EXPECT_EQ(box.mode, STORAGE_DEPOSIT);
    EXPECT_EQ(TextAt(267, 150), "コマンド？") << "the frame that chose still shows the command window";
    Frame();
    EXPECT_EQ(TextAt(30, 92), "ｱｽﾞｹﾙ");
    EXPECT_EQ(TextAt(84, 92), "3") << "the selected stack's pieces";
    TakeSounds();
    for (int i = 0; i < 3; i++) Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 29, 24, 29, 24, 29}));
    EXPECT_EQ(inv.ids, (Slots{11}));
    EXPECT_EQ(box.ids[0], 3);
    EXPECT_EQ(box.counts[0], 2);
    EXPECT_EQ(box.ids[1], 0);
}

TEST_F(StorageBoxTest, TakingTheLastOfASlotClosesTheGap) {
    box.ids[0] = 11, box.ids[1] = 12, box.ids[2] = 13, box.ids[3] = 3;
    box.counts[3] = 1;
    Frame({BUTTON_SHOT}); // take out
    Frame({BUTTON_DOWN});
    EXPECT_EQ(TextAt(30, 120), "ﾀﾞﾝｿｳ");
    Frame({BUTTON_SHOT});
    EXPECT_EQ(inv.ids, (Slots{12}));
    EXPECT_EQ(box.ids[0], 11);
    EXPECT_EQ(box.ids[1], 13);
    EXPECT_EQ(box.ids[2], 3);
    EXPECT_EQ(box.counts[2], 1);
    EXPECT_EQ(box.ids[3], 0);
    EXPECT_EQ(TextAt(30, 140), "--EMPTY--");
    // A stack moves one piece a press.
    Frame({BUTTON_DOWN});
    Frame({BUTTON_SHOT});
    EXPECT_EQ(box.counts[2], 0);
    EXPECT_EQ(inv.ids, (Slots{12, 3}));
    Frame({BUTTON_SHOT});
    EXPECT_EQ(box.ids[2], 0);
    EXPECT_EQ(inv.counts[1], 1);
    Frame();
    EXPECT_EQ(TextAt(13, 204), "からっぽ");
}

TEST_F(StorageBoxTest, TakeOutListStopsAtTop46) {
    for (int i = 0; i < kStorageSlots; i++) box.ids[(size_t)i] = 11 + i % 5;
    Frame({BUTTON_SHOT});
    for (int i = 0; i < 60; i++) {
        Frame({BUTTON_DOWN});
        Frame();
    }
    EXPECT_EQ(box.row, 3);
    EXPECT_EQ(box.top, 46);
    EXPECT_EQ(box.visible[3], box.ids[49]);
    TakeCalls();
    Frame();
    std::vector<DrawCall> markers;
    for (const DrawCall &c : TakeCalls())
        if (c.sx == 32) markers.push_back(c);
    EXPECT_EQ(markers, (std::vector<DrawCall>{Part(170, 104, 32, 8, 8, 8, box.window.cursorSheet, 1)}))
        << "only the up marker at the bottom of the list";
    for (int i = 0; i < 60; i++) Frame({BUTTON_UP});
    EXPECT_EQ(box.row, 0);
    EXPECT_EQ(box.top, 0);
}

TEST_F(StorageBoxTest, FullBoxAndFullSlotsAreRefused) {
    for (int i = 0; i < kStorageSlots; i++) box.ids[(size_t)i] = 11;
    inv.ids = {12};
    Frame({BUTTON_DOWN});
    Frame({BUTTON_SHOT});
    TakeSounds();
    Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 28}));
    EXPECT_EQ(inv.ids, (Slots{12}));
    Frame({BUTTON_DOWN});
    Frame({BUTTON_SHOT}); // an empty carried slot
    EXPECT_EQ(TakeSounds(), (std::vector<int>{15, 24, 28}));

    Frame({BUTTON_JUMP});
    EXPECT_EQ(box.mode, STORAGE_COMMAND);
    inv.ids = {11, 11, 11, 11, 11, 11, 11, 11};
    Frame({BUTTON_UP});
    Frame({BUTTON_SHOT});
    TakeSounds();
    Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 28}));
    EXPECT_EQ(box.ids[0], 11);
}

TEST_F(StorageBoxTest, ClosesOnlyFromTheCommandWindow) {
    Frame({BUTTON_SHOT});
    EXPECT_EQ(Frame({BUTTON_JUMP}), 1) << "a list goes back to the command window";
    EXPECT_EQ(Frame({BUTTON_DOWN}), 1);
    EXPECT_EQ(TextAt(13, 154), "アイテムを預けます");
    EXPECT_EQ(Frame({BUTTON_JUMP}), -1);
    EXPECT_EQ(box.row, 0);
    EXPECT_EQ(box.mode, STORAGE_COMMAND);
}

TEST_F(StorageBoxTest, UnknownItemsShowTheirUnidentifiedNames) {
    inv.stock.fill(0);
    box.ids[0] = 3;
    Frame({BUTTON_SHOT});
    Frame();
    EXPECT_EQ(TextAt(30, 110), "ﾊﾟｲﾅﾂﾌﾟﾙ");
    EXPECT_EQ(TextAt(13, 204), "＊未鑑定＊");
    inv.stock[3] = 1;
    Frame();
    EXPECT_EQ(TextAt(30, 110), "MK2");
    EXPECT_EQ(TextAt(13, 204), GetItemKind(3)->description);
}

TEST(MenuWindowTest, WindowOffsetsAndEmptyRectangles) {
    GameGraphicsCalls saved = InstallDrawRecorder();
    MenuWindow w;
    w.windowFill = 7;
    DrawMenuWindow(w, 22, 102, 186, 154);
    DrawMenuWindow(w, 245, 112, 315, 148);
    DrawMenuWindow(w, 10, 10, 10, 50);
    DrawMenuWindow(w, 10, 10, 50, 10);
    EXPECT_EQ(TakeRecordedCalls(), (std::vector<DrawCall>{Stretch(22, 103, 186, 154, 7, 1), Stretch(248, 115, 315, 148, 7, 1)}));
    EXPECT_EQ(w.scratch[0], 3);
    EXPECT_EQ(w.scratch[1], 3);
    RemoveDrawRecorder(saved);
}

} // namespace
