#include "game/world/storage_box.h"

#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/frame/text_overlay.h"
#include "game/world/inventory.h"
#include "game/world/world_services.h"

namespace {

constexpr int kRefused = 28;
constexpr int kMoved = 29;
constexpr int kTakeOutTopMax = kStorageSlots - 4;
constexpr int kDepositTopMax = kCarriedSlots - 4;

bool Known(const Inventory &inventory, int item) { return ItemIdentifiedCount(inventory, item) >= 1; }

void Deposit(StorageBox &box)
{
    Inventory &inv = *box.inventory;
    const int slot = box.top + box.row;
    const int item = inv.ids[(size_t)slot];
    if (item == 0 || StorageAddItem(item, box) < 0) {
        PlayEffectSound(kRefused);
        return;
    }
    RemoveOneCarriedItem(slot, inv);
    PlayEffectSound(kMoved);
}

void TakeOut(StorageBox &box)
{
    const int slot = box.top + box.row;
    const int item = box.ids[(size_t)slot];
    if (item == 0 || AddCarriedItem(item, *box.inventory) < 0) {
        PlayEffectSound(kRefused);
        return;
    }
    PlayEffectSound(kMoved);
    if (--box.counts[(size_t)slot] < 0) {
        box.ids[(size_t)slot] = 0;
        box.counts[(size_t)slot] = 0;
        CompactStorage(box);
    }
}

void DrawList(StorageBox &box, bool takeOut)
{
    const Inventory &inv = *box.inventory;
    TextOverlay &o = *box.overlay;
    DrawMenuWindow(box.window, 0, 0, 320, 240);
    DrawMenuWindow(box.window, 22, 102, 186, 154);
    DrawMenuWindow(box.window, 5, 200, 315, 235);
    o.AddText(30, 92, takeOut ? "ﾄﾘﾀﾞｽ" : "ｱｽﾞｹﾙ");
    auto idAt = [&](int i) { return takeOut ? box.ids[(size_t)i] : inv.ids[(size_t)i]; };
    auto countAt = [&](int i) { return takeOut ? box.counts[(size_t)i] : inv.counts[(size_t)i]; };
    const int selected = box.top + box.row;
    if (idAt(selected) != 0) {
        o.AddNumber(84, 92, countAt(selected) + 1);
        o.AddText(94, 92, "ｺ");
    }
    for (int i = 0; i < 4; i++) {
        const int item = idAt(box.top + i);
        box.visible[(size_t)i] = item;
        const ItemKind *row = GetItemKind(item);
        const char *name = !row ? "" : Known(inv, item) ? row->name : row->unidentifiedName;
        if (item == 0 && takeOut) name = "--EMPTY--";
        o.AddText(30, 110 + 10 * i, name);
    }
    DrawMenuCursor(box.window, 10, 107 + 10 * box.row);
    const int item = idAt(selected);
    const ItemKind *row = GetItemKind(item);
    if (item == 0) {
        if (takeOut) o.AddSjisText(13, 204, "からっぽ");
    } else if (!Known(inv, item)) {
        o.AddSjisText(13, 204, "＊未鑑定＊");
    } else if (row) {
        o.AddSjisText(13, 204, row->description);
    }
    DrawScrollMarkers(box.window, box.top > 0, box.top < (takeOut ? kTakeOutTopMax : kDepositTopMax));
}

void DrawCommandWindow(StorageBox &box)
{
    TextOverlay &o = *box.overlay;
    o.AddSjisText(267, 150, "コマンド？");
    DrawMenuWindow(box.window, 245, 112, 315, 148);
    o.AddText(253, 126, "ﾄﾘﾀﾞｽ");
    o.AddText(253, 136, "ｱｽﾞｹﾙ");
    DrawMenuCursor(box.window, 234, 124 + 10 * box.row);
    if (box.messageBox)
        ShowMessageAndWait(*box.messageBox, box.row == 0 ? "アイテムを取り出します" : "アイテムを預けます");
}

} // namespace

int StorageFindItem(int item, const StorageBox &box)
{
    for (int i = 0; i < kStorageSlots; i++)
        if (box.ids[(size_t)i] == item) return i;
    return -1;
}

int StorageAddItem(int item, StorageBox &box)
{
    const ItemKind *row = GetItemKind(item);
    if (!row) return -1;
    if (IsStackingKind(row->kind)) {
        int slot = StorageFindItem(item, box);
        if (slot >= 0) {
            box.counts[(size_t)slot]++;
            return slot;
        }
    }
    int slot = StorageFindItem(0, box);
    if (slot < 0) return -1;
    box.ids[(size_t)slot] = item;
    box.counts[(size_t)slot] = 0;
    return slot;
}

void CompactStorage(StorageBox &box)
{
    bool gap = false;
    for (int i = 0; i < kStorageSlots - 1; i++) {
        if (box.ids[(size_t)i] == 0) gap = true;
        if (gap) {
            box.ids[(size_t)i] = box.ids[(size_t)i + 1];
            box.counts[(size_t)i] = box.counts[(size_t)i + 1];
        }
    }
    if (gap) {
        box.ids[kStorageSlots - 1] = 0;
        box.counts[kStorageSlots - 1] = 0;
    }
}

int RunStorageScreen(StorageBox &box)
{
    if (!box.inventory || !box.overlay) return -1;
    const GameInput &in = GetGameInput();
    PlayMenuButtonSound();
    if (box.mode == STORAGE_COMMAND) {
        if (in.Pressed(BUTTON_SHOT)) {
            box.mode = box.row == 0 ? STORAGE_TAKE_OUT : STORAGE_DEPOSIT;
            box.row = 0;
        } else if (in.Pressed(BUTTON_JUMP)) {
            box.row = 0;
            return -1;
        } else if (in.Pressed(BUTTON_UP)) {
            if (box.row > 0) box.row--;
        } else if (in.Pressed(BUTTON_DOWN)) {
            if (box.row < 1) box.row++;
        }
        DrawCommandWindow(box);
        return 1;
    }
    const bool takeOut = box.mode == STORAGE_TAKE_OUT;
    if (in.Pressed(BUTTON_SHOT)) {
        if (takeOut) TakeOut(box);
        else Deposit(box);
    } else if (in.Pressed(BUTTON_JUMP)) {
        box.mode = STORAGE_COMMAND;
        box.row = 0;
        box.top = 0;
    } else {
        ScrollMenuList(box.row, box.top, takeOut ? kTakeOutTopMax : kDepositTopMax);
    }
    DrawList(box, takeOut);
    return 1;
}
