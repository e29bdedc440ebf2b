#include "game/world/shop.h"

#include "game/frame/game_input.h"
#include "game/frame/hud.h"
#include "game/frame/sound_lists.h"
#include "game/frame/text_overlay.h"
#include "game/world/inventory.h"
#include "game/world/shop_categories.h"
#include "game/world/world_services.h"

namespace {

constexpr int kRefused = 28;
constexpr int kSold = 87;       // a sale either way
constexpr int kGivenAway = 78;  // an item the shop does not list goes for nothing
constexpr const char *kSellHelp = "ヴェダの　もちものを　うります";

const ShopCategory &CurrentCategory(const Shop &shop)
{
    int c = shop.category;
    return kShopCategories[c >= 0 && c < kShopCategoryCount ? c : 0];
}

void RebuildBuyList(Shop &shop)
{
    const Inventory &inv = *shop.inventory;
    const ShopCategory &cat = CurrentCategory(shop);
    shop.buyList.fill(0);
    shop.entryCount = 0;
    shop.availableCount = 0;
    for (int i = 0; i < kShopListLength && cat.rows[i] > 2; i++) {
        const int item = cat.rows[i] - 2;
        if (ItemIdentifiedCount(inv, item) >= 2) {
            shop.buyList[(size_t)i] = item;
            shop.availableCount++;
        }
        shop.entryCount++;
    }
}

void Buy(Shop &shop)
{
    Inventory &inv = *shop.inventory;
    const int item = shop.buyList[(size_t)(shop.top + shop.row)];
    const ItemKind *row = GetItemKind(item);
    if (item == 0 || !row || inv.money < row->price || AddCarriedItem(item, inv) < 0) {
        PlayEffectSound(kRefused);
        return;
    }
    PlayEffectSound(kSold);
    int &stock = inv.stock[(size_t)item];
    stock = stock - 1 < 1 ? 1 : stock - 1;
    inv.money -= row->price;
}

void Sell(Shop &shop)
{
    Inventory &inv = *shop.inventory;
    const int slot = shop.top + shop.row;
    const int item = inv.ids[(size_t)slot];
    const ItemKind *row = GetItemKind(item);
    if (item == 0) return;
    int32_t &stock = inv.stock[(size_t)(row ? item : 0)];
    int32_t &count = inv.counts[(size_t)slot];
    if (row && IsSellableToShop(item)) {
        PlayEffectSound(kSold);
        inv.money += row->price / 2;
        stock = stock == 0 ? 2 : stock + 1;
        if (count != 0) count--;
        else RemoveCarriedItem(slot, inv);
        return;
    }
    // The whole slot goes to the shop without payment.
    PlayEffectSound(kGivenAway);
    if (row) {
        if (count > 0) stock = stock == 0 ? count + 1 : stock + count;
        else stock = stock == 0 ? 2 : stock + 1;
    }
    RemoveCarriedItem(slot, inv);
}

void DrawListFrame(Shop &shop, const char *title)
{
    TextOverlay &o = *shop.overlay;
    DrawMenuWindow(shop.window, 0, 0, 320, 240);
    DrawMenuWindow(shop.window, 22, 102, 186, 154);
    DrawMenuWindow(shop.window, 5, 200, 315, 235);
    o.AddText(30, 92, title);
    o.AddText(114, 92, "\\");
    o.AddNumber(166, 92, shop.inventory->money);
}

bool Known(const Inventory &inventory, int item) { return ItemIdentifiedCount(inventory, item) >= 1; }

} // namespace

bool IsSellableToShop(int item)
{
    for (const ShopCategory &c : kShopCategories)
        for (int i = 0; i < kShopListLength && c.rows[i] > 2; i++)
            if (c.rows[i] - 2 == item) return true;
    return false;
}

void DrawShopBuyList(Shop &shop)
{
    const Inventory &inv = *shop.inventory;
    TextOverlay &o = *shop.overlay;
    DrawListFrame(shop, "BUY");
    o.AddText(30, 82, CurrentCategory(shop).name);
    o.AddNumber(111, 82, shop.availableCount);
    o.AddText(120, 82, "/");
    o.AddNumber(134, 82, shop.entryCount);
    o.AddText(142, 82, "ｼﾕﾙｲ");
    const int selected = shop.buyList[(size_t)(shop.top + shop.row)];
    if (selected != 0) {
        o.AddNumber(84, 92, ItemIdentifiedCount(inv, selected) - 1);
        o.AddText(94, 92, "ｺ");
    }
    for (int i = 0; i < 4; i++) {
        const int item = shop.buyList[(size_t)(shop.top + i)];
        shop.visible[(size_t)i] = item;
        const ItemKind *row = GetItemKind(item);
        if (item == 0 || !row) {
            o.AddText(30, 110 + 10 * i, "--SOLDOUT--");
            continue;
        }
        o.AddText(30, 110 + 10 * i, row->name);
        o.AddNumber(156, 110 + 10 * i, row->price);
    }
    DrawMenuCursor(shop.window, 10, 107 + 10 * shop.row);
    const ItemKind *row = GetItemKind(selected);
    o.AddSjisText(13, 204, selected != 0 && row ? row->description : "売り切れ");
    DrawScrollMarkers(shop.window, shop.top > 0, shop.entryCount != shop.top + 4);
}

void DrawShopSellList(Shop &shop)
{
    const Inventory &inv = *shop.inventory;
    TextOverlay &o = *shop.overlay;
    DrawListFrame(shop, "SELL");
    const int slot = shop.top + shop.row;
    if (inv.ids[(size_t)slot] != 0) {
        o.AddNumber(84, 92, inv.counts[(size_t)slot] + 1);
        o.AddText(94, 92, "ｺ");
    }
    for (int i = 0; i < 4; i++) {
        const int item = inv.ids[(size_t)(shop.top + i)];
        shop.visible[(size_t)i] = item;
        const ItemKind *row = GetItemKind(item);
        if (item == 0 || !row) continue;
        const int y = 110 + 10 * i;
        o.AddText(30, y, Known(inv, item) ? row->name : row->unidentifiedName);
        if (IsSellableToShop(item)) o.AddNumber(156, y, row->price / 2);
        else o.AddText(132, y, "ﾋﾊﾞｲ");
    }
    DrawMenuCursor(shop.window, 10, 107 + 10 * shop.row);
    const int item = inv.ids[(size_t)slot];
    const ItemKind *row = GetItemKind(item);
    if (item != 0 && row) o.AddSjisText(13, 204, Known(inv, item) ? row->description : "＊未鑑定＊");
    DrawScrollMarkers(shop.window, shop.top > 0, shop.top < shop.sellTopLimit);
}

void DrawShopCommandWindow(Shop &shop)
{
    TextOverlay &o = *shop.overlay;
    o.AddSjisText(267, 150, "コマンド？");
    DrawMenuWindow(shop.window, 245, 112, 315, 148);
    o.AddText(253, 126, CurrentCategory(shop).key);
    o.AddText(253, 136, "SELL");
    DrawMenuCursor(shop.window, 234, 124 + 10 * shop.row);
    if (shop.messageBox) ShowMessageAndWait(*shop.messageBox, shop.row == 0 ? CurrentCategory(shop).help : kSellHelp);
}

int RunShopScreen(Shop &shop)
{
    if (!shop.inventory || !shop.overlay) return -1;
    if (shop.category < 0 || shop.category >= kShopCategoryCount) shop.category = 0;
    RebuildBuyList(shop);
    PlayMenuButtonSound();
    const GameInput &in = GetGameInput();
    switch (shop.mode) {
    case SHOP_BUY:
        if (in.Pressed(BUTTON_SHOT)) {
            Buy(shop);
        } else if (in.Pressed(BUTTON_JUMP)) {
            shop.mode = SHOP_COMMAND;
            shop.row = 0;
            shop.top = 0;
        } else {
            ScrollMenuList(shop.row, shop.top, shop.entryCount - 4);
        }
        DrawShopBuyList(shop);
        return 1;
    case SHOP_SELL:
        if (shop.top > shop.sellTopLimit) shop.top = shop.sellTopLimit;
        if (in.Pressed(BUTTON_SHOT)) {
            Sell(shop);
        } else if (in.Pressed(BUTTON_JUMP)) {
            shop.mode = SHOP_COMMAND;
            shop.row = 0;
            shop.top = 0;
        } else {
            ScrollMenuList(shop.row, shop.top, shop.sellTopLimit);
        }
        DrawShopSellList(shop);
        return 1;
    default:
        shop.mode = SHOP_COMMAND;
        if (in.Pressed(BUTTON_SHOT)) {
            shop.mode = shop.row == 0 ? SHOP_BUY : SHOP_SELL;
            shop.row = 0;
        } else if (in.Pressed(BUTTON_JUMP)) {
            shop.row = 0;
            shop.category = 0;
            return -1;
        } else if (in.Pressed(BUTTON_UP)) {
            if (shop.row > 0) shop.row--;
        } else if (in.Pressed(BUTTON_DOWN)) {
            if (shop.row < 1) shop.row++;
        } else if (in.Pressed(BUTTON_LEFT)) {
            if (--shop.category < 0) shop.category = kShopCategoryCount - 1;
        } else if (in.Pressed(BUTTON_RIGHT)) {
            if (++shop.category >= kShopCategoryCount) shop.category = 0;
        }
        DrawShopCommandWindow(shop);
        return 1;
    }
}
