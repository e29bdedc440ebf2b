#include "game/world/player_menu.h"

#include <algorithm>
#include <cstring>

#include "game/actors/actors.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "game/frame/hero_model_view.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/frame/status_window.h"
#include "game/frame/text_overlay.h"
#include "game/world/field_objects.h"
#include "game/world/inventory.h"
#include "game/world/menu_save_entries.h"
#include "game/world/world_services.h"

namespace {
bool Pressed(int b) { return GetGameInput().Pressed(b); }

int Close(PlayerMenu &menu)
{
    menu.cursor = 0;
    menu.page = MENU_STATUS_OPEN;
    return -1;
}

int KindOf(int item)
{
    const ItemKind *row = GetItemKind(item);
    return row ? row->kind : ITEM_EMPTY;
}

// What the help window says of an item: nothing for none, a mark until it is identified.
const char *Description(const PlayerMenu &menu, int item)
{
    const ItemKind *row = item != 0 ? GetItemKind(item) : nullptr;
    if (!row) return nullptr;
    return ItemIdentifiedCount(*menu.inventory, item) < 1 ? "＊未鑑定＊" : row->description;
}

const char *EquipmentName(const PlayerMenu &menu, int item)
{
    return item == 0 ? "---" : GetItemDisplayName(item, menu.inventory);
}

void DrawHelp(PlayerMenu &menu, const char *text)
{
    if (text) menu.overlay->AddSjisText(menu.helpWindow.x1 + 8, menu.helpWindow.y1 + 4, text);
}

void DrawPageWindows(PlayerMenu &menu)
{
    const Rect &m = menu.mainWindow, &h = menu.helpWindow;
    DrawPlayerMenuWindow(menu, m.x1, m.y1, m.x2, m.y2);
    DrawPlayerMenuWindow(menu, h.x1, h.y1, h.x2, h.y2);
    DrawMenuHeader(menu);
}

void DrawCarriedNames(PlayerMenu &menu)
{
    const Inventory &inv = *menu.inventory;
    const int x = menu.mainWindow.x1, y = menu.mainWindow.y1;
    for (int i = 0; i < kCarriedSlots; i++) {
        const int item = inv.ids[(size_t)i];
        if (item == 0) continue;
        menu.overlay->AddText(x + 104, y + 4 + 12 * i, GetItemDisplayName(item, menu.inventory));
        if (KindOf(item) == ITEM_COUNTED_WEAPON) menu.overlay->AddNumber(x + 200, y + 4 + 12 * i, inv.counts[(size_t)i] + 1);
    }
}

// The discarded slot's pieces as pick-ups beside the player, then the slot itself.
void DiscardSlot(PlayerMenu &menu, int slot)
{
    Inventory &inv = *menu.inventory;
    const int item = inv.ids[(size_t)slot];
    if (menu.player && menu.fieldObjects) {
        const int d = menu.player->direction;
        const float x = menu.player->x + ((d == 0 || d == 2 || d == 3) ? -12.0f : 12.0f);
        const float y = menu.player->y - 2.0f;
        for (int i = 0; i <= inv.counts[(size_t)slot]; i++)
            if (menu.fieldObjects->CreateFieldObject(x, y, -1, item, 0, 0, 0, 0, 0, 0) < 0) break;
    }
    RemoveCarriedItem(slot, inv);
    PlayEffectSound(18);
}

struct EquipPage {
    int group;                      // 0 weapon, 1 armour 1, 2 armour 2
    int kind;                       // what the list holds
    std::array<int32_t, 8> PlayerMenu::*list;
    int (*equip)(int, Arms &);
    int openPage;
};

constexpr EquipPage kEquipPages[3] = {
    {0, ITEM_WEAPON, &PlayerMenu::weaponList, EquipWeapon, MENU_WEAPON_OPEN},
    {1, ITEM_ARMOUR, &PlayerMenu::armourList1, EquipArmorSlot1, MENU_ARMOUR1_OPEN},
    {2, ITEM_ARMOUR, &PlayerMenu::armourList2, EquipArmorSlot2, MENU_ARMOUR2_OPEN},
};

int &EquippedSlot(Arms &arms, int group) { return group == 0 ? arms.weapon : group == 1 ? arms.armour1 : arms.armour2; }

// An item back into the carried slots: a counted weapon with its count, else one piece.
int ReturnToCarried(Inventory &inv, int item, int count)
{
    if (count != 0 && KindOf(item) == ITEM_COUNTED_WEAPON) return AddCarriedItemCount(item, count, inv);
    return AddCarriedItem(item, inv);
}

void EquipEntry(PlayerMenu &menu, const EquipPage &p)
{
    Arms &arms = *menu.arms;
    Inventory &inv = *menu.inventory;
    const int item = (menu.*p.list)[(size_t)menu.cursor - 1];
    if (item == 0) return;
    const int oldCount = arms.weaponCount;
    const int previous = p.equip(item, arms);
    if (previous == -1) return;
    menu.listRow = menu.cursor;
    PlayEffectSound(55);
    const int slot = FindCarriedItem(item, inv);
    if (p.group == 0 && slot >= 0) arms.weaponCount = inv.counts[(size_t)slot];
    if (slot >= 0) RemoveCarriedItem(slot, inv);
    if (previous != 0) {
        if (p.group == 0 && oldCount != 0) AddCarriedItemCount(previous, oldCount, inv);
        else AddCarriedItem(previous, inv);
    }
    menu.page = p.openPage;
}

void TakeOff(PlayerMenu &menu, const EquipPage &p)
{
    Arms &arms = *menu.arms;
    int &slot = EquippedSlot(arms, p.group);
    PlayEffectSound(28);
    if (slot != 0 && ReturnToCarried(*menu.inventory, slot, p.group == 0 ? arms.weaponCount : 0) != -1) {
        slot = 0;
        if (p.group == 0) arms.weaponCount = 0;
        else ApplyArmorEffects(arms);
    }
    menu.page = p.openPage;
}

int RunEquipPage(PlayerMenu &menu, const EquipPage &p)
{
    if (Pressed(BUTTON_DOWN)) {
        if (menu.cursor >= 1 && menu.cursor <= 7) menu.cursor++;
    } else if (Pressed(BUTTON_UP)) {
        if (menu.cursor > 1) menu.cursor--;
    } else if (Pressed(BUTTON_LEFT) || Pressed(BUTTON_RIGHT)) {
        if (menu.cursor != 0) {
            menu.listRow = menu.cursor;
            menu.cursor = 0;
        } else {
            menu.cursor = menu.listRow;
        }
    }
    if (Pressed(BUTTON_JUMP)) menu.page = MENU_STATUS_OPEN;
    else if (Pressed(BUTTON_SHOT)) menu.cursor == 0 ? TakeOff(menu, p) : EquipEntry(menu, p);
    DrawEquipListPage(menu, p.group);
    return 1;
}

int RunStatusPage(PlayerMenu &menu)
{
    if (Pressed(BUTTON_DOWN)) menu.cursor = std::min(menu.cursor + 1, 3);
    else if (Pressed(BUTTON_UP)) menu.cursor = std::max(menu.cursor - 1, 0);
    else if (Pressed(BUTTON_LEFT) || Pressed(BUTTON_RIGHT)) menu.page = MENU_ITEMS_OPEN;
    if (Pressed(BUTTON_JUMP)) return Close(menu);
    if (Pressed(BUTTON_SHOT)) {
        static constexpr int kPages[4] = {MENU_WEAPON_OPEN, MENU_ARMOUR1_OPEN, MENU_ARMOUR2_OPEN, MENU_LOG_OPEN};
        menu.listRow = 1;
        menu.page = kPages[menu.cursor];
    }
    DrawStatusPage(menu);
    return 1;
}

int RunItemList(PlayerMenu &menu)
{
    if (Pressed(BUTTON_DOWN)) menu.cursor = std::min(menu.cursor + 1, 7);
    else if (Pressed(BUTTON_UP)) menu.cursor = std::max(menu.cursor - 1, 0);
    else if (Pressed(BUTTON_LEFT) || Pressed(BUTTON_RIGHT)) {
        menu.itemRow = menu.cursor;
        menu.page = MENU_STATUS_OPEN;
    }
    if (Pressed(BUTTON_JUMP)) return Close(menu);
    if (Pressed(BUTTON_SHOT)) {
        menu.itemRow = menu.cursor;
        if (menu.inventory->ids[(size_t)menu.cursor] != 0) menu.page = MENU_USE_OR_DISCARD;
    }
    DrawItemListPage(menu);
    return 1;
}

void BackToItems(PlayerMenu &menu)
{
    menu.choiceRow = 0;
    menu.page = MENU_ITEMS_OPEN;
}

int RunUseOrDiscard(PlayerMenu &menu)
{
    if (Pressed(BUTTON_DOWN)) menu.choiceRow = menu.choiceRow >= 1 ? 0 : menu.choiceRow + 1;
    else if (Pressed(BUTTON_UP)) menu.choiceRow = menu.choiceRow <= 0 ? 1 : menu.choiceRow - 1;
    DrawItemListPage(menu);
    DrawUseDiscardWindow(menu);
    const int slot = menu.itemRow;
    if (Pressed(BUTTON_SHOT)) {
        if (menu.choiceRow == 1) {
            DiscardSlot(menu, slot);
            BackToItems(menu);
        } else if (KindOf(menu.inventory->ids[(size_t)slot]) > 2) {
            PlayEffectSound(28);
            BackToItems(menu);
        } else {
            menu.page = MENU_USING;
        }
    } else if (Pressed(BUTTON_JUMP)) {
        BackToItems(menu);
    }
    return 1;
}

int RunUsing(PlayerMenu &menu)
{
    DrawItemListPage(menu);
    const int r = UseCarriedItem(menu.itemRow, *menu.inventory);
    if (r == -1) RemoveCarriedItem(menu.itemRow, *menu.inventory);
    if (r == -1 || r == -2) BackToItems(menu);
    return 1;
}

int RunEventLog(PlayerMenu &menu)
{
    if (Pressed(BUTTON_DOWN)) {
        if (menu.cursor <= 6) menu.cursor++;
    } else if (Pressed(BUTTON_UP)) {
        if (menu.cursor >= 1) menu.cursor--;
    }
    if (Pressed(BUTTON_JUMP)) menu.page = MENU_STATUS_OPEN;
    DrawEventLogPage(menu);
    return 1;
}

bool FlagSet(const PlayerMenu &menu, int n) { return menu.status && TestStoryFlag(n, *menu.status) == 1; }
} // namespace

const EventLogRow EventLogTable[kEventLogRows] = {
    {"AWAKENING", 0, 5, 9, "見知らぬ部屋で目を覚ました。", "村の人たちに話を聞いた。",
     "老人が洞窟の主の話をしてくれた。"},
    {"THE VILLAGE", 10, 15, 19, "村の店で買い物をした。", "預かり箱に荷物を預けた。", "村の祠で祈りをささげた。"},
    {"WILL-O-WISP", 20, 25, 29, "森で鬼火を追い払った。", "森の奥へ進んだ。", "森を抜ける道を見つけた。"},
    {"THE WOODS", 30, 35, 39, "森の生き物と戦った。", "丘の上にたどり着いた。", "洞窟の入口を見つけた。"},
    {"THE CAVE", 40, 45, 49, "洞窟に入った。", "地底の池を渡った。", "主の部屋の扉を開けた。"},
    {"THE MASTER", 50, 55, 59, "洞窟の主ガルドを倒した。", "鬼火が消え、光が戻った。", "村に平和が戻った。"},
    {"HOMEWARD", 60, 65, 69, "帰り道についた。", "村の人たちに迎えられた。", "長い夜が明けた。"},
    {"EPILOGUE", 70, 75, 79, "ふたりは旅立った。", "新しい道が続いている。", "おわり。"},
};

PlayerMenu::PlayerMenu()
{
    std::memset(code, 'A', kCodeLength);
    code[kCodeLength] = '\0';
}

char *PlayerMenuCode(PlayerMenu &menu) { return menu.code; }

void LoadPlayerMenuImages(PlayerMenu &menu) { LoadMenuWindowImages(menu.window); }

int FilterCarriedByKind(int kind, std::array<int32_t, 8> &destination, const Inventory &inventory)
{
    destination.fill(0);
    int n = 0;
    for (int i = 0; i < kCarriedSlots; i++) {
        const int item = inventory.ids[(size_t)i];
        if (item == 0) continue;
        const int k = KindOf(item);
        if (k == kind || (kind == ITEM_WEAPON && k == ITEM_COUNTED_WEAPON)) destination[(size_t)n++] = item;
    }
    return n;
}

int RunPlayerMenu(PlayerMenu &menu)
{
    PlayMenuButtonSound();
    for (;;) {
        switch (menu.page) {
        case MENU_STATUS_OPEN:
            menu.cursor = 0;
            menu.page = MENU_STATUS;
            continue;
        case MENU_STATUS: return RunStatusPage(menu);
        case MENU_ITEMS_OPEN:
            menu.cursor = menu.itemRow;
            menu.page = MENU_ITEMS;
            continue;
        case MENU_ITEMS: return RunItemList(menu);
        case MENU_USE_OR_DISCARD: return RunUseOrDiscard(menu);
        case MENU_USING: return RunUsing(menu);
        case MENU_WEAPON_OPEN:
        case MENU_ARMOUR1_OPEN:
        case MENU_ARMOUR2_OPEN: {
            const EquipPage &p = kEquipPages[(menu.page - MENU_WEAPON_OPEN) / 2];
            FilterCarriedByKind(p.kind, menu.*p.list, *menu.inventory);
            menu.page++;
            menu.cursor = 0;
            continue;
        }
        case MENU_WEAPON:
        case MENU_ARMOUR1:
        case MENU_ARMOUR2: return RunEquipPage(menu, kEquipPages[(menu.page - MENU_WEAPON) / 2]);
        case MENU_LOG_OPEN:
            menu.page = MENU_LOG;
            menu.cursor = 0;
            continue;
        case MENU_LOG: return RunEventLog(menu);
        default: return Close(menu);
        }
    }
}

int RunYesNo(PlayerMenu &menu)
{
    if (Pressed(BUTTON_DOWN)) menu.dialogCursor = menu.dialogCursor >= 1 ? 0 : menu.dialogCursor + 1;
    else if (Pressed(BUTTON_UP)) menu.dialogCursor = menu.dialogCursor <= 0 ? 1 : menu.dialogCursor - 1;
    int result = 0;
    if (Pressed(BUTTON_SHOT)) {
        result = menu.dialogCursor == 0 ? 1 : -1;
        menu.dialogCursor = 0;
    }
    DrawYesNoWindow(menu);
    if (result == 0) DrawMenuCursor(menu.window, 234, 124 + 10 * menu.dialogCursor);
    return result;
}

int RunNumberEntry(PlayerMenu &menu)
{
    int result = -1;
    if (Pressed(BUTTON_DOWN)) menu.number++;
    else if (Pressed(BUTTON_UP)) menu.number--;
    else if (Pressed(BUTTON_LEFT)) menu.number -= 10;
    else if (Pressed(BUTTON_RIGHT)) menu.number += 10;
    else if (Pressed(BUTTON_SHOT)) result = menu.number;
    else if (Pressed(BUTTON_JUMP)) result = 0;
    menu.number = std::max(menu.number, 0);
    DrawNumberWindow(menu);
    return result;
}

int RunCodeEntry(PlayerMenu &menu, int length)
{
    const int n = std::clamp(length, 1, kCodeLength);
    int &pos = menu.dialogCursor;
    if (pos < -1 || pos >= n) pos = -1;
    if (Pressed(BUTTON_LEFT)) {
        pos = pos == -1 ? n - 1 : pos - 1;
        PlayEffectSound(15);
    } else if (Pressed(BUTTON_RIGHT)) {
        pos = pos + 1 >= n ? -1 : pos + 1;
        PlayEffectSound(15);
    }
    if (pos >= 0 && Pressed(BUTTON_UP)) {
        int c = menu.code[pos] - 1;
        if (c > '9' && c < 'A') c = '9';
        else if (c < '1') c = 'Z';
        menu.code[pos] = (char)c;
        PlayEffectSound(55);
    } else if (pos >= 0 && Pressed(BUTTON_DOWN)) {
        int c = menu.code[pos] + 1;
        if (c > 'Z') c = '1';
        else if (c > '9' && c < 'A') c = 'A';
        menu.code[pos] = (char)c;
        PlayEffectSound(55);
    }
    int result = 0;
    if (pos == -1 && Pressed(BUTTON_SHOT)) {
        PlayEffectSound(37);
        pos = 0;
        result = 1;
    }
    DrawCodeEntry(menu, n);
    return result;
}

void DrawPlayerMenuWindow(PlayerMenu &menu, int x1, int y1, int x2, int y2)
{
    if (x2 == x1 || y2 == y1) return;
    // The offsets are kept as the window scratch but not drawn with.
    menu.window.scratch[0] = (int)((float)x1 / (float)(x2 - x1));
    menu.window.scratch[1] = (int)((float)y1 / (float)(y2 - y1));
    menu.window.scratch[2] = 0;
    GameGraphics().drawGraphStretched(x1, y1, x2, y2, menu.window.windowFill, 1);
}

void DrawMenuHeader(PlayerMenu &menu)
{
    TextOverlay &o = *menu.overlay;
    const Arms &arms = *menu.arms;
    const int x = menu.mainWindow.x1, y = menu.mainWindow.y1;
    o.AddText(x + 8, y + 4, "NAME:VEDAZ");
    o.AddText(x + 8, y + 20, "AT.");
    o.AddText(x + 8, y + 30, EquipmentName(menu, arms.weapon));
    o.AddText(x + 8, y + 42, "A1.");
    o.AddText(x + 8, y + 52, EquipmentName(menu, arms.armour1));
    o.AddText(x + 8, y + 64, "A2.");
    o.AddText(x + 8, y + 74, EquipmentName(menu, arms.armour2));
    o.AddText(x + 8, y + 86, "\\");
    o.AddNumber(x + 60, y + 86, menu.inventory->money);
}

void DrawItemListPage(PlayerMenu &menu)
{
    DrawPageWindows(menu);
    DrawCarriedNames(menu);
    DrawHelp(menu, Description(menu, menu.inventory->ids[(size_t)std::clamp(menu.cursor, 0, kCarriedSlots - 1)]));
    DrawMenuCursor(menu.window, 181, 7 + 12 * menu.cursor);
}

void DrawStatusPage(PlayerMenu &menu)
{
    DrawPageWindows(menu);
    DrawCarriedNames(menu);
    if (menu.cursor <= 2) DrawHelp(menu, Description(menu, EquippedSlot(*menu.arms, menu.cursor)));
    DrawMenuCursor(menu.window, 86, 23 + 22 * menu.cursor);
}

void DrawEquipListPage(PlayerMenu &menu, int group)
{
    DrawPageWindows(menu);
    const std::array<int32_t, 8> &list = menu.*kEquipPages[group].list;
    const Inventory &inv = *menu.inventory;
    const int x = menu.mainWindow.x1, y = menu.mainWindow.y1;
    for (int i = 0; i < 8; i++) {
        const int item = list[(size_t)i];
        if (item == 0) continue;
        menu.overlay->AddText(x + 104, y + 4 + 12 * i, GetItemDisplayName(item, menu.inventory));
        const int slot = FindCarriedItem(item, inv);
        if (slot >= 0 && inv.counts[(size_t)slot] != 0) menu.overlay->AddNumber(x + 200, y + 4 + 12 * i, inv.counts[(size_t)slot] + 1);
    }
    if (menu.cursor == 0) DrawHelp(menu, "アイテムを外します");
    else DrawHelp(menu, Description(menu, list[(size_t)std::clamp(menu.cursor - 1, 0, 7)]));
    GameGraphics().drawGraphPart(86, 23 + 22 * group, 32, 0, 8, 8, menu.window.cursorSheet, 1, 0);
    if (menu.cursor == 0) DrawMenuCursor(menu.window, 83, 23 + 22 * group);
    else DrawMenuCursor(menu.window, 181, 12 * menu.cursor - 5);
}

void DrawEventLogPage(PlayerMenu &menu)
{
    if (menu.heroView && (menu.arms->armour1 == 4 || menu.arms->armour2 == 4)) UpdateHeroModel(*menu.heroView, GetGameInput());
    DrawPlayerMenuWindow(menu, 95, 5, 310, 130);
    for (int i = 0; i < kEventLogRows; i++)
        menu.overlay->AddText(103, 9 + 12 * i, FlagSet(menu, EventLogTable[i].flag1) ? EventLogTable[i].title
                                                                                      : "========================");
    const EventLogRow &row = EventLogTable[std::clamp(menu.cursor, 0, kEventLogRows - 1)];
    const char *text = !FlagSet(menu, row.flag1) ? "（未発生）"
                       : FlagSet(menu, row.flag3) ? row.text3
                       : FlagSet(menu, row.flag2) ? row.text2
                                                  : row.text1;
    if (menu.messageBox) ShowMessageAndWait(*menu.messageBox, text);
    DrawMenuCursor(menu.window, 85, 7 + 12 * menu.cursor);
}

void DrawUseDiscardWindow(PlayerMenu &menu)
{
    DrawPlayerMenuWindow(menu, 245, 112, 315, 148);
    menu.overlay->AddText(253, 126, "ﾂｶｳ");
    menu.overlay->AddText(253, 136, "ｽﾃﾙ");
    DrawMenuCursor(menu.window, 234, 124 + 10 * menu.choiceRow);
}

void DrawYesNoWindow(PlayerMenu &menu)
{
    menu.overlay->AddSjisText(267, 150, "コマンド？");
    DrawPlayerMenuWindow(menu, 245, 112, 315, 148);
    menu.overlay->AddText(253, 126, "YES");
    menu.overlay->AddText(253, 136, "NO");
}

void DrawNumberWindow(PlayerMenu &menu)
{
    DrawPlayerMenuWindow(menu, 245, 112, 315, 148);
    menu.overlay->AddText(253, 126, "ｵﾌﾞｼﾞｴ?");
    menu.overlay->AddNumber(283, 136, menu.number + 2);
}

void DrawCodeEntry(PlayerMenu &menu, int length)
{
    const int n = std::clamp(length, 1, kCodeLength);
    DrawPlayerMenuWindow(menu, 15, 135, 305, 148);
    for (int i = 0; i < n; i++) {
        const char c[2] = {menu.code[i], '\0'};
        menu.overlay->AddText(20 + 10 * i, i == menu.dialogCursor ? 136 : 137, c);
    }
    if (menu.dialogCursor == -1) menu.overlay->AddText(292, 137, "*");
}
