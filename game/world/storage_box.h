// The storage box: 50 item slots outside the carried eight, opened by an event script and run
// one frame per call. Its screen has a command window (take out or deposit) and two lists.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/menu_window.h"

class Hud;
class Inventory;
class TextOverlay;

constexpr int kStorageSlots = 50;

enum StorageMode { STORAGE_TAKE_OUT = 1, STORAGE_DEPOSIT = 2, STORAGE_COMMAND = 3 };

struct StorageBox {
    Hud *messageBox = nullptr;
    Inventory *inventory = nullptr;
    TextOverlay *overlay = nullptr;
    MenuWindow window;
    std::array<int32_t, kStorageSlots> ids{};    // 0 = empty; filled slots stay at the front
    std::array<int32_t, kStorageSlots> counts{}; // extra pieces of a stacking kind
    int row = 0;  // cursor row: 0..3 in the lists, 0..1 in the command window
    int mode = STORAGE_COMMAND;
    int top = 0;  // first listed slot
    std::array<int32_t, 4> visible{};
};

// One frame: -1 when the player closes the box (only from the command window), else 1.
int RunStorageScreen(StorageBox &box);
int StorageFindItem(int item, const StorageBox &box);
// The slot the item went into (a stacking kind raises its slot without limit), or -1 when full.
int StorageAddItem(int item, StorageBox &box);
// Closes the gap one removal leaves; slot 49 becomes empty.
void CompactStorage(StorageBox &box);
