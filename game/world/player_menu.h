// The player menu: the pause screen the STATUS button opens (status page, carried items with use
// and discard, the weapon and two armour pages, the event log of the story), and the three small
// dialogs event scripts ask through it: YES / NO, a number and a code. One frame per call, drawn
// on the text overlay over window fills.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/menu_window.h"

struct Arms;
struct HeroModelView;
struct Player;
struct StatusWindow;
class FieldObjects;
class Hud;
class Inventory;
class TextOverlay;

constexpr int kCodeLength = 30;

// Pages: 16 opens the status page (17), 0 the item list (1), 2 use or discard, 3 using, 4 / 6 / 8
// fill the weapon / armour lists for pages 5 / 7 / 9, 18 opens the event log (19).
enum PlayerMenuPage {
    MENU_ITEMS_OPEN = 0,
    MENU_ITEMS = 1,
    MENU_USE_OR_DISCARD = 2,
    MENU_USING = 3,
    MENU_WEAPON_OPEN = 4,
    MENU_WEAPON = 5,
    MENU_ARMOUR1_OPEN = 6,
    MENU_ARMOUR1 = 7,
    MENU_ARMOUR2_OPEN = 8,
    MENU_ARMOUR2 = 9,
    MENU_STATUS_OPEN = 16,
    MENU_STATUS = 17,
    MENU_LOG_OPEN = 18,
    MENU_LOG = 19,
};

struct Rect {
    int x1, y1, x2, y2;
};

struct PlayerMenu {
    PlayerMenu();

    // Set once by the game object.
    Arms *arms = nullptr;
    Hud *messageBox = nullptr;
    Inventory *inventory = nullptr;
    TextOverlay *overlay = nullptr;
    StatusWindow *status = nullptr;
    FieldObjects *fieldObjects = nullptr;
    Player *player = nullptr;
    // The hero model view the event-log page turns (null: none).
    HeroModelView *heroView = nullptr;

    MenuWindow window;
    Rect mainWindow{95, 5, 310, 105};
    Rect helpWindow{5, 200, 315, 235};
    int page = MENU_STATUS_OPEN;
    int cursor = 0;
    int number = 0;       // the number entry's value, 0 or more
    int choiceRow = 0;    // 0 use, 1 discard
    int dialogCursor = 0; // YES / NO row, or the code entry's position (-1 the confirm mark)
    std::array<int32_t, 8> weaponList{}, armourList1{}, armourList2{};
    int listRow = 0;      // equipment-page row LEFT / RIGHT comes back to
    int itemRow = 0;      // item-list row the item page reopens on
    char code[kCodeLength + 1];
};

// One row of the event log: a title shown once its first flag is set, and the text for the
// furthest of its three flags.
struct EventLogRow {
    const char *title;
    int flag1, flag2, flag3;
    const char *text1, *text2, *text3;
};
constexpr int kEventLogRows = 8;
extern const EventLogRow EventLogTable[kEventLogRows];

// Loads the cursor sheet and the window with its fill.
void LoadPlayerMenuImages(PlayerMenu &menu);

// One frame: -1 when the menu closes, else 1.
int RunPlayerMenu(PlayerMenu &menu);
// The ids of the carried slots of that kind (kind 3 also takes kind 6), in slot order; the rest
// of the eight 0. The count copied.
int FilterCarriedByKind(int kind, std::array<int32_t, 8> &destination, const Inventory &inventory);
// 1 YES, -1 NO, 0 undecided.
int RunYesNo(PlayerMenu &menu);
// The confirmed number, 0 when cancelled, -1 while entering.
int RunNumberEntry(PlayerMenu &menu);
// length is held to 1..30. 1 when confirmed, else 0.
int RunCodeEntry(PlayerMenu &menu, int length);

void DrawMenuHeader(PlayerMenu &menu);
void DrawItemListPage(PlayerMenu &menu);
void DrawUseDiscardWindow(PlayerMenu &menu);
void DrawNumberWindow(PlayerMenu &menu);
void DrawStatusPage(PlayerMenu &menu);
void DrawEquipListPage(PlayerMenu &menu, int group);
void DrawEventLogPage(PlayerMenu &menu);
void DrawYesNoWindow(PlayerMenu &menu);
void DrawCodeEntry(PlayerMenu &menu, int length);
// The window fill over the rectangle; nothing for one of no width or height.
void DrawPlayerMenuWindow(PlayerMenu &menu, int x1, int y1, int x2, int y2);
