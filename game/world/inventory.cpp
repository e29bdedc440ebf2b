#include "game/world/inventory.h"

#include <cstdint>

#include "game/actors/arms.h"
#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "game/frame/game_random.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/frame/status_window.h"
#include "game/world/world_services.h"

namespace {

constexpr int kMaxRaised = 999; // a use raises a maximum no further

int KindOf(int item)
{
    const ItemKind *row = GetItemKind(item);
    return row ? row->kind : -1;
}

int FirstEmptySlot(const Inventory &inventory)
{
    for (int i = 0; i < kCarriedSlots; i++)
        if (inventory.ids[i] == 0) return i;
    return -1;
}

int PutInFirstEmptySlot(int item, int count, Inventory &inventory)
{
    int slot = FirstEmptySlot(inventory);
    if (slot < 0) return -1;
    inventory.ids[slot] = item;
    inventory.counts[slot] = count;
    return slot;
}

void ClearSlot(int slot, Inventory &inventory)
{
    inventory.ids[slot] = 0;
    inventory.counts[slot] = 0;
    CompactCarriedItems(inventory);
}

// The item's use message (they name the hero).
const char *UseMessage(const ItemKind &row)
{
    switch (row.use) {
    case 1: return "現在のフラグを確認します";
    case 2: return "ヴェダは　それを　たべた。\nぴりっと　からくて　おいしい！";
    case 3: return "ヴェダの　ＨＰが　かいふくした！";
    case 4: return "ヴェダは　ＭＰを　ほじゅうした！";
    case 5:
        return row.secondValue == 1 ? "ヴェダは　それを　のんだ。\nのどが　うるおった。"
                                    : "ヴェダは　それを　たべた。\nおなかが　ふくれた。";
    case 6: return "ヴェダの　さいだいＨＰが　あがった！";
    case 7: return "ヴェダの　さいだいＭＰが　あがった！";
    case 8: return "ヴェダは　じょうざいを　のんだ。\nこころが　おちついた。";
    case 9: return "ヴェダは　やを　てに　とった。\nゆみが　あれば　うてそうだ。";
    case 10: return "「ヴェダへ。　ほらあなの　ぬしが\nめざめたら　むらの　ちょうろうを\nたずねなさい。　ばばより」";
    case 11: return "ふるい　きろく　その１。\n「ほらあなの　ぬし　ガルドは\nひゃくねんに　いちど　めざめる」";
    case 12: return "ふるい　きろく　その２。\n「あおい　たまが　ふういんを　とく」";
    case 13: return "ふるい　きろく　その３。\n「ぬしを　しずめた　ものは\nながい　よるを　おわらせる」";
    case 14: return "ほうこくしょ。\n「もりの　いきものが　ふえている。\nげんいんは　ほらあなに　あるらしい」";
    case 15: return "ヴェダは　くすりを　のんだ。\nなんでも　できる　きが　してきた！";
    default: return "ヴェダは　つかってみた。\nしかし　なにも　おこらなかった。";
    }
}

int Raise(int maximum, int by)
{
    int64_t v = (int64_t)maximum + by;
    return v > kMaxRaised ? kMaxRaised : (int)v;
}

} // namespace

int MaximumRise(int power)
{
    if (power <= 0) return 1;
    int r = GameRand() % power;
    return r == 0 ? 1 : r;
}

void LoadInventorySheet(Inventory &inventory)
{
    inventory.sheet = GameGraphics().openImageAsGraph("DataForWork\\cursor.bmp", 0);
}

void AddPlayerHp(StatusWindow &status, int amount)
{
    int64_t v = (int64_t)status.hp + amount;
    if (v >= status.hpMax) v = status.hpMax;
    if (v <= 0) v = 1;
    status.hp = (int)v;
}

int AddPlayerMp(StatusWindow &status, int amount)
{
    int64_t v = (int64_t)status.mp + amount;
    if (v < 0) return -1;
    if (v >= status.mpMax) v = status.mpMax;
    status.mp = (int)v;
    return status.mp;
}

void AddMoney(Inventory &inventory, int amount)
{
    // Held within the counter's range however much is picked up.
    int64_t v = (int64_t)inventory.money + amount;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < 0) v = 0;
    inventory.money = (int32_t)v;
}

int FindCarriedWeapon(const Inventory &inventory)
{
    for (int i = 0; i < kCarriedSlots && inventory.ids[i] != 0; i++) {
        int kind = KindOf(inventory.ids[i]);
        if (kind == ITEM_WEAPON || kind == ITEM_COUNTED_WEAPON) return i;
    }
    return -1;
}

int FindCarriedItem(int item, const Inventory &inventory)
{
    for (int i = 0; i < kCarriedSlots; i++)
        if (inventory.ids[i] == item) return i;
    return -1;
}

int AddCarriedItem(int item, Inventory &inventory)
{
    int kind = KindOf(item);
    if (kind < 0 || kind > ITEM_COUNTED_WEAPON) return -1;
    if (!IsStackingKind(kind)) return PutInFirstEmptySlot(item, 0, inventory);
    if (inventory.arms && inventory.arms->weapon == item) {
        if (inventory.arms->weaponCount >= kStackLimit) return -1;
        inventory.arms->weaponCount++;
        return item;
    }
    int slot = FindCarriedItem(item, inventory);
    if (slot >= 0) {
        if (inventory.counts[slot] >= kStackLimit) return -1;
        inventory.counts[slot]++;
        return item;
    }
    return PutInFirstEmptySlot(item, 0, inventory);
}

int AddCarriedItemCount(int item, int n, Inventory &inventory)
{
    if (!IsStackingKind(KindOf(item))) return -1;
    int slot = FindCarriedItem(item, inventory);
    if (slot >= 0) {
        inventory.counts[slot] += n;
        return slot;
    }
    return PutInFirstEmptySlot(item, n, inventory);
}

void RemoveCarriedItem(int slot, Inventory &inventory)
{
    if (slot < 0 || slot >= kCarriedSlots) return;
    if (KindOf(inventory.ids[slot]) == ITEM_STACKING && --inventory.counts[slot] >= 0) return;
    ClearSlot(slot, inventory);
}

void RemoveOneCarriedItem(int slot, Inventory &inventory)
{
    if (slot < 0 || slot >= kCarriedSlots) return;
    if (IsStackingKind(KindOf(inventory.ids[slot])) && --inventory.counts[slot] >= 0) return;
    ClearSlot(slot, inventory);
}

void CompactCarriedItems(Inventory &inventory)
{
    bool gap = false;
    for (int i = 0; i < kCarriedSlots - 1; i++) {
        if (inventory.ids[i] == 0) gap = true;
        if (gap) {
            inventory.ids[i] = inventory.ids[i + 1];
            inventory.counts[i] = inventory.counts[i + 1];
        }
    }
    if (gap) {
        inventory.ids[kCarriedSlots - 1] = 0;
        inventory.counts[kCarriedSlots - 1] = 0;
    }
}

int CountPlainCarriedItems(const Inventory &inventory)
{
    if (inventory.arms && (inventory.arms->weapon != 0 || inventory.arms->armour1 != 0 || inventory.arms->armour2 != 0))
        return -1;
    int n = 0;
    for (int id : inventory.ids) {
        if (id == 122 || id == 123 || id == 128) n++;
        else if (id != 0) return -1;
    }
    return n;
}

int UseCarriedItem(int slot, Inventory &inventory)
{
    if (slot < 0 || slot >= kCarriedSlots) return -2;
    const ItemKind *row = GetItemKind(inventory.ids[slot]);
    if (!row) return -2;
    if (inventory.messageBox) ShowMessageAndWait(*inventory.messageBox, UseMessage(*row));
    if (row->use == 1) DrawStoryFlagGrid(inventory);
    if (!GetGameInput().Pressed(BUTTON_SHOT)) return 1;

    StatusWindow *s = inventory.status;
    switch (row->use) {
    case 1: return -1;
    case 2:
        if (s) AddPlayerHp(*s, row->power);
        PlayEffectSound(90);
        return -1;
    case 3:
        if (s) AddPlayerHp(*s, row->power);
        PlayEffectSound(5);
        return -1;
    case 4:
        if (s) AddPlayerMp(*s, row->power);
        PlayEffectSound(94);
        return -1;
    case 5:
        if (s) AddPlayerHp(*s, row->power);
        PlayEffectSound(row->secondValue == 1 ? 75 : 73);
        return -1;
    case 6:
        if (s) s->hpMax = Raise(s->hpMax, MaximumRise(row->power));
        PlayEffectSound(5);
        return -1;
    case 7:
        if (s) s->mpMax = Raise(s->mpMax, MaximumRise(row->power) + 5);
        PlayEffectSound(94);
        return -1;
    case 8:
        if (s) s->timers[0] = row->power;
        PlayEffectSound(92);
        return -1;
    case 15:
        if (s) s->timers[1] += row->power;
        PlayEffectSound(92);
        return -1;
    default: // 9 (an arrow), 10..14 (documents) and the rest stay
        return -2;
    }
}

void DrawStoryFlagGrid(Inventory &inventory)
{
    if (!inventory.status) return;
    GameGraphicsCalls &g = GameGraphics();
    const int sheet = inventory.sheet;
    auto cell = [&](int x, int y, int sx, int sy) { g.drawGraphPart(x, y, sx, sy, 8, 8, sheet, 1, 0); };
    // Two blocks: bytes 0..19 from x 8, bytes 20..31 from x 116; a header of the eight bit numbers.
    struct Block {
        int left, first, last;
    };
    for (const Block &b : {Block{8, 0, 19}, Block{116, 20, 31}}) {
        for (int i = 0; i < 8; i++) cell(b.left + 12 + 12 * i, 10, 8 * i, 80);
        for (int byte = b.first; byte <= b.last; byte++) {
            int row = byte - b.first, y = 30 + 8 * row;
            cell(b.left, y, 8 * (row % 10), 88);
            uint8_t bits = inventory.status->storyFlags[(size_t)byte];
            for (int bit = 0; bit < 8; bit++)
                if (bits & (1u << bit)) cell(b.left + 12 + 12 * bit, y, 88, 0);
        }
    }
}

int ItemIdentifiedCount(const Inventory &inventory, int item)
{
    return item >= 0 && item < kItemKindCount ? inventory.stock[(size_t)item] : 0;
}
