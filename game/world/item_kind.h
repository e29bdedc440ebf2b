// One row of the item table: what every item id (0..299) is. The table itself is the item
// module's (item_kinds.cpp, read through GetItemKind); the actors read rows through the world
// seam (WorldServices().itemKind).
#pragma once

#include <cstdint>

constexpr int kItemKindCount = 300;

// Item kinds.
enum ItemKindCode {
    ITEM_PLAIN = 0,             // usable or plain
    ITEM_EMPTY = 1,             // row 0 only
    ITEM_STACKING = 2,          // stacks in one slot (no row has it)
    ITEM_WEAPON = 3,
    ITEM_ARMOUR = 4,
    ITEM_COUNTED_WEAPON = 6,    // a weapon used up by its count (thrown or stacking); stacks too
};

struct ItemKind {
    int32_t use = 0;                    // use code; a weapon's firing pattern; an armour's effect code
    const char *name = "";              // Shift-JIS, half-width
    const char *unidentifiedName = "";  // shown while the item is unidentified
    int32_t kind = 0;                   // ItemKindCode
    int32_t power = 0;                  // amount of a use; an armour's value; a weapon's damage
    int32_t secondValue = 0;            // use 5: 1 a drink; a weapon's MP cost
    int32_t thirdValue = 0;             // a weapon's cooldown in frames
    const char *description = "";       // full-width, one line of the lists' help window
    int32_t handClass = 0;              // the weapon's drawing class (in hand and its HUD icon)
    int32_t price = 0;
};

// Kinds 2 and 6 share a slot with a count.
inline bool IsStackingKind(int kind) { return kind == ITEM_STACKING || kind == ITEM_COUNTED_WEAPON; }
