// What the player carries: eight item slots (stacking kinds share a slot with a count), the
// money, and the shop's stock per item id, which also says whether the player knows the item.
// The weapon in hand and the two armours are the arms record's. Also the HP and MP changes
// and the use of a carried item from the player menu.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/item_kind.h"

struct Arms;
struct StatusWindow;
class Hud;

constexpr int kCarriedSlots = 8;
constexpr int kStackLimit = 8; // a stack's count stops here when raised one at a time

class Inventory {
public:
    StatusWindow *status = nullptr;
    Hud *messageBox = nullptr;
    Arms *arms = nullptr;
    int gridCursor[3] = {};  // the flag grid's drawing scratch
    int sheet = -1;          // "DataForWork\\cursor.bmp": the flag grid's cells
    std::array<int32_t, kCarriedSlots> ids{};     // 0 = empty; filled slots stay at the front
    // Per item id: 0 unseen (lists show the unidentified name); n >= 1 known, with n - 1 on sale.
    std::array<int32_t, kItemKindCount> stock{};
    std::array<int32_t, kCarriedSlots> counts{};  // extra pieces of a stacking kind (0 = one)
    int32_t money = 0;
};

// Loads the flag grid's sheet.
void LoadInventorySheet(Inventory &inventory);

// HP + n, at most the maximum and at least 1.
void AddPlayerHp(StatusWindow &status, int amount);
// (AddPlayerMp is declared with the world seam: the new MP, or -1 when it would go below 0.)

// The first slot (up to the first empty one) holding a weapon of kind 3 or 6, else -1.
int FindCarriedWeapon(const Inventory &inventory);
int FindCarriedItem(int item, const Inventory &inventory);
// (AddCarriedItem and RemoveCarriedItem are declared with the world seam.)
// Stacking kinds only: n more pieces on the slot that holds the item (no limit), or a new slot
// with count n. The slot, or -1 (not a stacking kind, no free slot, a bad id).
int AddCarriedItemCount(int item, int n, Inventory &inventory);
// As RemoveCarriedItem, but a counted weapon (kind 6) also loses only one piece.
void RemoveOneCarriedItem(int slot, Inventory &inventory);
// Closes the one gap a removal leaves; slot 7 becomes empty.
void CompactCarriedItems(Inventory &inventory);
// -1 when a weapon or armour is worn or a slot holds anything but items 122, 123 and 128; else
// the number of slots holding those.
int CountPlainCarriedItems(const Inventory &inventory);
// One frame of using the item in a slot from the menu: its message stays up (1) until SHOT is
// pressed, which applies the use: -1 used up, -2 kept (nothing to use, or a document).
int UseCarriedItem(int slot, Inventory &inventory);
// What use codes 6 and 7 add to a maximum: a random remainder of the power, 1 when that is 0 or
// the power is 0 or less.
int MaximumRise(int power);
// The 256 story flags as a grid of marks, bytes 0..19 on the left and 20..31 on the right.
void DrawStoryFlagGrid(Inventory &inventory);
