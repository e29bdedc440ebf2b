// The player menu's pages and the script dialogs, driven by pressed buttons and read back from
// the overlay entries and the recorded draws.
#include <gtest/gtest.h>

#include <string>

#include "game/actors/actors.h"
#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/inventory.h"
#include "game/world/physics_manager.h"
#include "game/world/player_menu.h"
#include "game/world/world_services.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/world/grid_fixture.h"

namespace {
constexpr int kKnife = 5, kGun = 6, kGrenade = 3, kHealing = 11, kArmour = 20, kOrb = 75;

class PlayerMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedGraphics_ = InstallDrawRecorder();
        GetGameInput() = GameInput{};
        for (int b = 0; b < BUTTON_COUNT; b++) GetGameInput().padAssign[b] = b;
        InitStatusWindow(status);
        status.hpMax = 40;
        status.hp = 10;
        hud.overlay = &overlay;
        inventory.status = &status;
        inventory.messageBox = &hud;
        inventory.arms = &arms;
        arms.inventory = &inventory;
        arms.weapon = 0;
        arms.weaponCount = 0;
        grid = SizedGrid(40, 30);
        LinkFieldRecords(objects, physics, effects, grid, companion);
        physics.CreatePhysicsWorld();
        player.x = 100;
        player.y = 50;
        player.direction = 0;
        menu.arms = &arms;
        menu.messageBox = &hud;
        menu.inventory = &inventory;
        menu.overlay = &overlay;
        menu.status = &status;
        menu.fieldObjects = &objects;
        menu.player = &player;
        LoadPlayerMenuImages(menu);
        for (int item : {kKnife, kGun, kGrenade, kHealing, kArmour}) inventory.stock[item] = 1;
    }
    void TearDown() override {
        GetGameInput() = GameInput{};
        RemoveDrawRecorder(savedGraphics_);
    }

    // One frame with the button pressed this frame (-1: none); the frame's overlay and draws kept.
    void Press(int button) {
        GameInput &in = GetGameInput();
        in.padCounters.fill(0);
        if (button >= 0) in.padCounters[button] = 1;
        overlay.FreeEntries();
        Recorded().calls.clear();
        Recorded().sounds.clear();
    }
    int Menu(int button = -1) {
        Press(button);
        return RunPlayerMenu(menu);
    }
    bool HasText(int x, int y, const std::string &text) const {
        for (const OverlayEntry &e : overlay.Entries())
            if (e.x == x && e.y == y && e.kind != 3 && e.text == text) return true;
        return false;
    }
    bool HasNumber(int x, int y, int n) const {
        for (const OverlayEntry &e : overlay.Entries())
            if (e.x == x && e.y == y && e.kind == 3 && e.number == n) return true;
        return false;
    }
    bool HasCursor(int x, int y) const {
        for (const DrawCall &c : Recorded().calls)
            if (c == Part(x, y, 16, 0, 16, 16, menu.window.cursorSheet, 1)) return true;
        return false;
    }
    bool HasWindow(int x1, int y1, int x2, int y2) const {
        for (const DrawCall &c : Recorded().calls)
            if (c == Stretch(x1, y1, x2, y2, menu.window.windowFill, 1)) return true;
        return false;
    }
    std::string Name(int item) const { return GetItemKind(item)->name; }

    StatusWindow status;
    TextOverlay overlay;
    Hud hud;
    Inventory inventory;
    Arms arms;
    MapGrid grid;
    PhysicsManager physics;
    Effects effects;
    Companion companion;
    FieldObjects objects;
    Player player;
    PlayerMenu menu;
    GameGraphicsCalls savedGraphics_;
};

TEST_F(PlayerMenuTest, StatusPageShowsTheHeaderCarriedItemsAndEquipmentHelp) {
    inventory.ids = {kKnife, kGrenade, kOrb, 0, 0, 0, 0, 0};
    inventory.counts = {0, 4, 0, 0, 0, 0, 0, 0};
    inventory.money = 50;
    arms.armour1 = kArmour;
    EXPECT_EQ(Menu(), 1);
    EXPECT_EQ(menu.page, MENU_STATUS);
    EXPECT_TRUE(HasWindow(95, 5, 310, 105));
    EXPECT_TRUE(HasWindow(5, 200, 315, 235));
    EXPECT_TRUE(HasText(103, 9, "NAME:VEDAZ"));
    EXPECT_TRUE(HasText(103, 25, "AT."));
    EXPECT_TRUE(HasText(103, 35, "---"));
    EXPECT_TRUE(HasText(103, 47, "A1."));
    EXPECT_TRUE(HasText(103, 57, Name(kArmour)));
    EXPECT_TRUE(HasText(103, 69, "A2."));
    EXPECT_TRUE(HasText(103, 79, "---"));
    EXPECT_TRUE(HasText(103, 91, "\\"));
    EXPECT_TRUE(HasNumber(155, 91, 50));
    EXPECT_TRUE(HasText(199, 9, Name(kKnife)));
    EXPECT_TRUE(HasText(199, 21, Name(kGrenade)));
    EXPECT_TRUE(HasNumber(295, 21, 5)); // a counted weapon shows its pieces
    EXPECT_FALSE(HasNumber(295, 9, 1));
    EXPECT_TRUE(HasText(199, 33, GetItemKind(kOrb)->unidentifiedName)); // never seen: its other name
    EXPECT_TRUE(HasCursor(86, 23));
    EXPECT_EQ(overlay.Entries().size(), 13u); // no help for an empty hand

    Menu(BUTTON_DOWN);
    EXPECT_TRUE(HasCursor(86, 45));
    EXPECT_TRUE(HasText(13, 204, GetItemKind(kArmour)->description));
    Menu(BUTTON_DOWN);
    Menu(BUTTON_DOWN);
    Menu(BUTTON_DOWN);
    EXPECT_EQ(menu.cursor, 3);
    EXPECT_EQ(Menu(BUTTON_JUMP), -1);
    EXPECT_EQ(menu.page, MENU_STATUS_OPEN);
    EXPECT_EQ(menu.cursor, 0);
}

TEST_F(PlayerMenuTest, ItemListUsesAHealingItemAndRefusesAWeapon) {
    inventory.ids = {kKnife, kHealing, 0, 0, 0, 0, 0, 0};
    Menu(BUTTON_RIGHT);
    Menu();
    EXPECT_EQ(menu.page, MENU_ITEMS);
    EXPECT_TRUE(HasCursor(181, 7));
    EXPECT_TRUE(HasText(13, 204, GetItemKind(kKnife)->description));
    // A weapon cannot be used: effect 28 and back to the list.
    Menu(BUTTON_SHOT);
    EXPECT_EQ(menu.page, MENU_USE_OR_DISCARD);
    Menu(BUTTON_SHOT);
    EXPECT_EQ(Recorded().sounds, (std::vector<int>{24, 28}));
    EXPECT_EQ(menu.page, MENU_ITEMS_OPEN);
    EXPECT_EQ(inventory.ids[0], kKnife);

    Menu(BUTTON_DOWN);
    Menu(BUTTON_SHOT);
    Menu();
    EXPECT_TRUE(HasWindow(245, 112, 315, 148));
    EXPECT_TRUE(HasText(253, 126, "ﾂｶｳ"));
    EXPECT_TRUE(HasText(253, 136, "ｽﾃﾙ"));
    EXPECT_TRUE(HasCursor(234, 124));
    Menu(BUTTON_SHOT);
    EXPECT_EQ(menu.page, MENU_USING);
    Menu(); // the item's message waits for SHOT
    EXPECT_EQ(inventory.ids[1], kHealing);
    Menu(BUTTON_SHOT);
    EXPECT_EQ(status.hp, 30);
    EXPECT_EQ(inventory.ids[1], 0);
    EXPECT_EQ(menu.page, MENU_ITEMS_OPEN);
    // The item page reopens on the row it was left on.
    Menu();
    EXPECT_EQ(menu.cursor, 1);
}

TEST_F(PlayerMenuTest, DiscardingAStackOfTwoDropsThreePickUps) {
    inventory.ids = {kGrenade, kKnife, 0, 0, 0, 0, 0, 0};
    inventory.counts = {2, 0, 0, 0, 0, 0, 0, 0};
    Menu(BUTTON_LEFT);
    Menu(BUTTON_SHOT);
    Menu(BUTTON_UP); // the choice wraps from use to discard
    EXPECT_TRUE(HasCursor(234, 134));
    Menu(BUTTON_SHOT);
    EXPECT_EQ(objects.nodes.size(), 3u);
    for (const FieldObjectNode &n : objects.nodes) {
        EXPECT_EQ(n.row, 2);
        EXPECT_EQ(n.value, kGrenade);
        EXPECT_FLOAT_EQ(n.x, 88.0f);
        EXPECT_FLOAT_EQ(n.y, 48.0f);
    }
    EXPECT_EQ(inventory.ids[0], kKnife);
    EXPECT_EQ(inventory.ids[1], 0);
    EXPECT_EQ(Recorded().sounds.back(), 18);
}

TEST_F(PlayerMenuTest, WeaponPageEquipsTakesOffAndKeepsTheWeaponWhenSlotsAreFull) {
    inventory.ids = {kGun, kKnife, kHealing, 0, 0, 0, 0, 0};
    Menu(BUTTON_SHOT); // status cursor 0: the weapon page
    EXPECT_EQ(menu.page, MENU_WEAPON_OPEN);
    Menu();
    EXPECT_EQ(menu.page, MENU_WEAPON);
    EXPECT_EQ(menu.weaponList, (std::array<int32_t, 8>{kGun, kKnife, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(HasText(199, 9, Name(kGun)));
    EXPECT_TRUE(HasText(199, 21, Name(kKnife)));
    EXPECT_TRUE(HasText(13, 204, "アイテムを外します"));
    EXPECT_TRUE(HasCursor(83, 23));
    EXPECT_TRUE(HasCursor(83, 23));
    Menu(BUTTON_RIGHT); // to the remembered list row 1
    Menu(BUTTON_DOWN);
    EXPECT_EQ(menu.cursor, 2);
    EXPECT_TRUE(HasCursor(181, 19));
    EXPECT_TRUE(HasText(13, 204, GetItemKind(kKnife)->description));
    Menu(BUTTON_SHOT);
    EXPECT_EQ(arms.weapon, kKnife);
    EXPECT_EQ(inventory.ids, (std::array<int32_t, 8>{kGun, kHealing, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Recorded().sounds.back(), 55);
    // Equipping the gun returns the knife to the carried slots.
    Menu();
    Menu(BUTTON_RIGHT); // back to row 2, where the knife was
    EXPECT_EQ(menu.cursor, 2);
    Menu(BUTTON_UP);
    Menu(BUTTON_SHOT);
    EXPECT_EQ(arms.weapon, kGun);
    EXPECT_EQ(inventory.ids, (std::array<int32_t, 8>{kHealing, kKnife, 0, 0, 0, 0, 0, 0}));
    // Take-off.
    Menu();
    EXPECT_EQ(menu.cursor, 0);
    Menu(BUTTON_SHOT);
    EXPECT_EQ(arms.weapon, 0);
    EXPECT_EQ(inventory.ids[2], kGun);
    EXPECT_EQ(Recorded().sounds.back(), 28);
    // With every slot taken the weapon stays in the hand.
    arms.weapon = kKnife;
    inventory.ids = {kHealing, kHealing, kHealing, kHealing, kHealing, kHealing, kHealing, kHealing};
    Menu();
    Menu(BUTTON_SHOT);
    EXPECT_EQ(arms.weapon, kKnife);
    EXPECT_EQ(inventory.ids[7], kHealing);
    EXPECT_EQ(Menu(BUTTON_JUMP), 1);
    EXPECT_EQ(menu.page, MENU_STATUS_OPEN);
}

TEST_F(PlayerMenuTest, ArmourPagesListArmoursAndApplyTheirEffects) {
    inventory.ids = {kArmour, kKnife, 0, 0, 0, 0, 0, 0};
    Menu(BUTTON_DOWN);
    Menu(BUTTON_SHOT);
    Menu();
    EXPECT_EQ(menu.page, MENU_ARMOUR1);
    EXPECT_EQ(menu.armourList1, (std::array<int32_t, 8>{kArmour, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(HasCursor(83, 45));
    Menu(BUTTON_LEFT);
    Menu(BUTTON_SHOT);
    EXPECT_EQ(arms.armour1, kArmour);
    EXPECT_EQ(arms.appliedArmour1, kArmour);
    Menu(BUTTON_JUMP);
    Menu(BUTTON_DOWN);
    Menu(BUTTON_DOWN);
    Menu(BUTTON_SHOT);
    Menu();
    EXPECT_EQ(menu.page, MENU_ARMOUR2);
    EXPECT_TRUE(HasCursor(83, 67));
    Menu(BUTTON_JUMP);
    Menu(BUTTON_DOWN);
    Menu(BUTTON_SHOT);
    Menu();
    Menu(BUTTON_SHOT); // take armour 1 off
    EXPECT_EQ(arms.armour1, 0);
    EXPECT_EQ(arms.appliedArmour1, 0);
    EXPECT_EQ(inventory.ids[1], kArmour);
}

TEST_F(PlayerMenuTest, EventLogShowsTitlesOfStartedRowsAndTheFurthestText) {
    SetStoryFlag(0, status);
    SetStoryFlag(5, status);
    SetStoryFlag(10, status);
    SetStoryFlag(19, status);
    for (int b : {BUTTON_DOWN, BUTTON_DOWN, BUTTON_DOWN}) Menu(b);
    Menu(BUTTON_SHOT);
    Menu();
    EXPECT_EQ(menu.page, MENU_LOG);
    EXPECT_TRUE(HasWindow(95, 5, 310, 130));
    EXPECT_TRUE(HasText(103, 9, EventLogTable[0].title));
    EXPECT_TRUE(HasText(103, 21, EventLogTable[1].title));
    EXPECT_TRUE(HasText(103, 33, "========================"));
    EXPECT_TRUE(HasText(13, 154, EventLogTable[0].text2));
    EXPECT_TRUE(HasCursor(85, 7));
    Menu(BUTTON_DOWN);
    EXPECT_TRUE(HasText(13, 154, EventLogTable[1].text3));
    Menu(BUTTON_DOWN);
    EXPECT_TRUE(HasText(13, 154, "（未発生）"));
    for (int i = 0; i < 8; i++) Menu(BUTTON_DOWN);
    EXPECT_EQ(menu.cursor, 7);
    EXPECT_TRUE(HasCursor(85, 91));
    Menu(BUTTON_JUMP);
    EXPECT_EQ(menu.page, MENU_STATUS_OPEN);
}

TEST_F(PlayerMenuTest, YesNoAndNumberEntry) {
    Press(-1);
    EXPECT_EQ(RunYesNo(menu), 0);
    EXPECT_TRUE(HasText(267, 150, "コマンド？"));
    EXPECT_TRUE(HasText(253, 126, "YES"));
    EXPECT_TRUE(HasText(253, 136, "NO"));
    EXPECT_TRUE(HasCursor(234, 124));
    Press(BUTTON_UP);
    EXPECT_EQ(RunYesNo(menu), 0);
    EXPECT_TRUE(HasCursor(234, 134));
    Press(BUTTON_SHOT);
    EXPECT_EQ(RunYesNo(menu), -1);
    EXPECT_FALSE(HasCursor(234, 134));
    Press(BUTTON_SHOT);
    EXPECT_EQ(RunYesNo(menu), 1);

    menu.number = 3;
    Press(BUTTON_LEFT);
    EXPECT_EQ(RunNumberEntry(menu), -1);
    EXPECT_EQ(menu.number, 0);
    EXPECT_TRUE(HasNumber(283, 136, 2));
    EXPECT_TRUE(HasText(253, 126, "ｵﾌﾞｼﾞｴ?"));
    struct Step {
        int button, result, number;
    } steps[] = {{BUTTON_UP, -1, 0}, {BUTTON_RIGHT, -1, 10}, {BUTTON_DOWN, -1, 11}, {BUTTON_SHOT, 11, 11},
                 {BUTTON_JUMP, 0, 11}};
    for (const Step &s : steps) {
        Press(s.button);
        EXPECT_EQ(RunNumberEntry(menu), s.result) << s.button;
        EXPECT_EQ(menu.number, s.number) << s.button;
    }
}

TEST_F(PlayerMenuTest, CodeEntryStepsThroughDigitsAndLetters) {
    Press(BUTTON_UP);
    EXPECT_EQ(RunCodeEntry(menu, 4), 0);
    EXPECT_EQ(std::string(menu.code, 4), "9AAA");
    EXPECT_TRUE(HasText(20, 136, "9"));
    EXPECT_TRUE(HasText(30, 137, "A"));
    EXPECT_TRUE(HasWindow(15, 135, 305, 148));
    EXPECT_EQ(overlay.Entries().size(), 4u);
    menu.code[1] = 'Z';
    menu.code[2] = '1';
    struct Step {
        int button;
        const char *code;
        int position;
    } steps[] = {{BUTTON_DOWN, "AZ1A", 0}, {BUTTON_RIGHT, "AZ1A", 1}, {BUTTON_DOWN, "A11A", 1},
                 {BUTTON_RIGHT, "A11A", 2}, {BUTTON_UP, "A1ZA", 2},  {BUTTON_LEFT, "A1ZA", 1},
                 {BUTTON_LEFT, "A1ZA", 0},  {BUTTON_LEFT, "A1ZA", -1}, {BUTTON_UP, "A1ZA", -1}};
    for (const Step &s : steps) {
        Press(s.button);
        EXPECT_EQ(RunCodeEntry(menu, 4), 0) << s.button;
        EXPECT_EQ(std::string(menu.code, 4), s.code) << s.button;
        EXPECT_EQ(menu.dialogCursor, s.position) << s.button;
    }
    EXPECT_TRUE(HasText(292, 137, "*"));
    Press(BUTTON_SHOT);
    EXPECT_EQ(RunCodeEntry(menu, 4), 1);
    EXPECT_EQ(menu.dialogCursor, 0);
    EXPECT_EQ(Recorded().sounds, (std::vector<int>{37}));
    // Lengths are held to 1..30.
    Press(BUTTON_LEFT);
    RunCodeEntry(menu, 0);
    EXPECT_EQ(menu.dialogCursor, -1);
    Press(-1);
    RunCodeEntry(menu, 99);
    EXPECT_EQ(overlay.Entries().size(), 31u);
    Press(BUTTON_LEFT);
    RunCodeEntry(menu, 99);
    EXPECT_EQ(menu.dialogCursor, 29);
}

TEST_F(PlayerMenuTest, AWindowOfNoWidthOrHeightDrawsNothing) {
    Press(-1);
    DrawPlayerMenuWindow(menu, 10, 10, 10, 50);
    DrawPlayerMenuWindow(menu, 10, 10, 50, 10);
    EXPECT_TRUE(Recorded().calls.empty());
    DrawPlayerMenuWindow(menu, 100, 50, 150, 60);
    EXPECT_EQ(Recorded().calls.back(), Stretch(100, 50, 150, 60, menu.window.windowFill, 1));
    EXPECT_EQ(menu.window.scratch[0], 2);
    EXPECT_EQ(menu.window.scratch[1], 5);
}
} // namespace
