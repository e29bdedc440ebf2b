// The shop: opened by an event script and run one frame per call. It sells by ten categories and
// buys the carried items back. Its stock is the inventory's known-and-stock value per item:
// n >= 2 on sale with n - 1 pieces, 1 known but sold out, 0 unseen.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/item_kind.h"
#include "game/world/menu_window.h"

class Hud;
class Inventory;
class TextOverlay;

enum ShopMode { SHOP_BUY = 1, SHOP_SELL = 2, SHOP_COMMAND = 3 };

struct Shop {
    Hud *messageBox = nullptr;
    Inventory *inventory = nullptr;
    TextOverlay *overlay = nullptr;
    MenuWindow window;
    int row = 0;
    int mode = SHOP_COMMAND;
    std::array<int32_t, kItemKindCount> buyList{}; // item id per entry of the category, 0 sold out
    int top = 0;
    int sellTopLimit = 4;
    std::array<int32_t, 4> visible{};
    int entryCount = 0;     // entries of the current category
    int availableCount = 0; // of them on sale
    int category = 0;       // 0..9
};

// One frame: -1 when the player leaves (only from the command window), else 1.
int RunShopScreen(Shop &shop);
// The screens, drawn each frame.
void DrawShopBuyList(Shop &shop);
void DrawShopSellList(Shop &shop);
void DrawShopCommandWindow(Shop &shop);
// Whether any category lists the item.
bool IsSellableToShop(int item);
