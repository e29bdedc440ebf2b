// The shop driven by pressed buttons from the new game's stock: buying, selling back, the
// categories and the lists' scrolling, with money, stock and the overlay's entries each step;
// and the category lists against the item table.
#include "game/world/shop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/actors/arms.h"
#include "game/frame/hud.h"
#include "game/frame/text_overlay.h"
#include "game/world/inventory.h"
#include "game/world/shop_categories.h"
#include "game/world/world_services.h"
#include "tests/game/world/item_fixture.h"
#include "tests/game/world/button_press.h"

namespace {

class ShopTest : public ItemRecordsTest {
protected:
    void SetUp() override {
        ItemRecordsTest::SetUp();
        shop.messageBox = &hud;
        shop.inventory = &inv;
        shop.overlay = &overlay;
        LoadMenuWindowImages(shop.window);
        // A new game: the knife, 50 money and the stock the game starts with.
        inv.ids = {5};
        inv.money = 50;
        const int stock[][2] = {{3, 11}, {5, 100}, {8, 2}, {10, 2}, {11, 21}, {12, 21}, {14, 2},
                                {15, 2}, {18, 100}, {19, 100}, {30, 2}, {39, 11}, {43, 11}, {61, 2},
                                {67, 6}, {68, 6}, {75, 6}, {134, 5}, {146, 2}, {150, 2}};
        for (const auto &s : stock) inv.stock[(size_t)s[0]] = s[1];
    }
    int Frame(std::initializer_list<int> buttons = {}) {
        overlay.FreeEntries();
        PressButtons(buttons);
        return RunShopScreen(shop);
    }
    void OpenSellList() {
        Frame({BUTTON_DOWN});
        Frame({BUTTON_SHOT});
        Frame();
        ASSERT_EQ(TextAt(30, 92), "SELL");
    }

    Shop shop;
};

TEST_F(ShopTest, BuyingFromTheNewGameStock) {
    Frame();
    EXPECT_EQ(TextAt(253, 126), "BUY_S");
    EXPECT_EQ(TextAt(253, 136), "SELL");
    EXPECT_EQ(TextAt(13, 154), "近接武器を購入します");
    Frame({BUTTON_SHOT});
    Frame();
    EXPECT_EQ(TextAt(30, 92), "BUY");
    EXPECT_EQ(TextAt(114, 92), "\\");
    EXPECT_EQ(TextAt(166, 92), "50");
    EXPECT_EQ(TextAt(30, 82), "SWORD");
    EXPECT_EQ(TextAt(111, 82), "4") << "knife, knife+1, ice knife and blade+3 are on sale";
    EXPECT_EQ(TextAt(134, 82), "29");
    EXPECT_EQ(TextAt(30, 110), "ﾅｲﾌ");
    EXPECT_EQ(TextAt(156, 110), "9");
    EXPECT_EQ(TextAt(84, 92), "99");
    EXPECT_EQ(TextAt(30, 130), "ｱｲｽﾅｲﾌ");
    EXPECT_EQ(TextAt(30, 140), "--SOLDOUT--") << "the blade, never stocked";

    TakeSounds();
    Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 87}));
    EXPECT_EQ(inv.money, 41);
    EXPECT_EQ(inv.stock[5], 99);
    EXPECT_EQ(inv.ids, (Slots{5, 5}));
    EXPECT_EQ(TextAt(166, 92), "41");
    EXPECT_EQ(TextAt(84, 92), "98");

    // Knife+1 has stock value 2: one piece, then sold out.
    Frame({BUTTON_DOWN});
    EXPECT_EQ(TextAt(84, 92), "1");
    Frame({BUTTON_SHOT});
    EXPECT_EQ(inv.money, 11);
    EXPECT_EQ(inv.stock[8], 1);
    EXPECT_EQ(TextAt(30, 120), "ﾅｲﾌ+1") << "the list was built before the purchase";
    Frame();
    EXPECT_EQ(TextAt(30, 120), "--SOLDOUT--");
    EXPECT_EQ(TextAt(13, 204), "売り切れ");
    EXPECT_EQ(TextAt(111, 82), "3");
    TakeSounds();
    Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 28}));
    EXPECT_EQ(inv.money, 11);

    // Not enough money: the ice knife costs 70.
    Frame({BUTTON_DOWN});
    Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{15, 24, 28}));
    EXPECT_EQ(inv.stock[30], 2);

    // Full carried slots refuse a purchase that money allows.
    inv.money = 500;
    inv.ids = {11, 11, 11, 11, 11, 11, 11, 11};
    Frame({BUTTON_SHOT});
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 28}));
    EXPECT_EQ(inv.money, 500);
}

TEST_F(ShopTest, SellingBack) {
    inv.ids = {5, 2, 3, 133};
    inv.counts = {0, 0, 3, 0};
    inv.money = 0;
    OpenSellList();
    EXPECT_EQ(TextAt(30, 110), "ﾅｲﾌ");
    EXPECT_EQ(TextAt(156, 110), "4") << "a price of 9 sells for 4";
    EXPECT_EQ(TextAt(30, 120), "ﾊﾓﾉ") << "never seen: the unidentified name";
    EXPECT_EQ(TextAt(156, 120), "20");
    EXPECT_EQ(TextAt(132, 140), "ﾋﾊﾞｲ") << "listed in no category";
    EXPECT_EQ(TextAt(156, 140), "(none)");

    Frame({BUTTON_SHOT});
    EXPECT_EQ(inv.money, 4);
    EXPECT_EQ(inv.stock[5], 101);
    EXPECT_EQ(inv.ids, (Slots{2, 3, 133}));
    EXPECT_EQ(TextAt(13, 204), "＊未鑑定＊");

    Frame({BUTTON_SHOT}); // the unseen blade becomes known with one piece on sale
    EXPECT_EQ(inv.money, 24);
    EXPECT_EQ(inv.stock[2], 2);
    EXPECT_EQ(inv.ids, (Slots{3, 133}));
    EXPECT_EQ(TextAt(84, 92), "4") << "the stack of MK2 now selected";

    Frame({BUTTON_SHOT}); // a stacking weapon goes one piece at a time, paid once
    EXPECT_EQ(inv.money, 29);
    EXPECT_EQ(inv.counts[0], 2);
    EXPECT_EQ(inv.stock[3], 12);

    Frame({BUTTON_DOWN});
    TakeSounds();
    Frame({BUTTON_SHOT}); // given away whole, no payment
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24, 78}));
    EXPECT_EQ(inv.money, 29);
    EXPECT_EQ(inv.stock[133], 2);
    EXPECT_EQ(inv.ids, (Slots{3}));

    Frame({BUTTON_SHOT}); // an empty slot does nothing
    EXPECT_EQ(TakeSounds(), (std::vector<int>{24}));
    // An unlisted slot goes with all its pieces: count 2 makes value 0 into 3.
    inv.ids = {140};
    inv.counts = {2};
    Frame({BUTTON_UP});
    Frame({BUTTON_SHOT});
    EXPECT_EQ(inv.stock[140], 3);
    EXPECT_EQ(inv.ids, (Slots{}));
}

TEST_F(ShopTest, CategoriesWrapAndListsScroll) {
    Frame({BUTTON_LEFT});
    EXPECT_EQ(shop.category, 9);
    EXPECT_EQ(TextAt(253, 126), "BUY_O");
    EXPECT_EQ(TextAt(13, 154), "その他分類を購入します");
    Frame({BUTTON_RIGHT});
    EXPECT_EQ(shop.category, 0);
    Frame({BUTTON_RIGHT});
    Frame({BUTTON_RIGHT}); // FIREARMS: 7 entries
    Frame({BUTTON_SHOT});
    for (int i = 0; i < 20; i++) Frame({BUTTON_DOWN});
    EXPECT_EQ(shop.row, 3);
    EXPECT_EQ(shop.top, 3) << "entry count - 4";
    Frame({BUTTON_JUMP});
    EXPECT_EQ(shop.top, 0);
    EXPECT_EQ(Frame({BUTTON_JUMP}), -1);
    EXPECT_EQ(shop.category, 0) << "leaving resets the category";

    // The sell list scrolls over the eight slots: top at most 4.
    OpenSellList();
    for (int i = 0; i < 20; i++) Frame({BUTTON_DOWN});
    EXPECT_EQ(shop.top, 4);
    EXPECT_EQ(shop.row, 3);
}

// Each category sells what its name says: weapons (and arrows) in the four weapon lists,
// armour in CLOTHES, plain items in the rest; every listed id has a row.
TEST(ShopCategoriesTest, ListsFitTheItemTable) {
    for (int c = 0; c < kShopCategoryCount; c++) {
        int n = 0;
        for (; n < kShopListLength && kShopCategories[c].rows[n] > 2; n++) {
            const int id = kShopCategories[c].rows[n] - 2;
            const ItemKind *row = GetItemKind(id);
            ASSERT_NE(row, nullptr);
            ASSERT_GT(id, 0);
            ASSERT_LT(id, 192);
            const int k = row->kind;
            if (c <= 3) EXPECT_TRUE(k == 3 || k == 6 || (k == 0 && row->use == 9)) << c << " " << id;
            else if (c == 4) EXPECT_EQ(k, 4) << id;
            else EXPECT_EQ(k, 0) << c << " " << id;
        }
        EXPECT_EQ(kShopCategories[c].rows[n], -1);
    }
    EXPECT_TRUE(IsSellableToShop(5));
    EXPECT_FALSE(IsSellableToShop(133));
    EXPECT_FALSE(IsSellableToShop(0));
}

} // namespace
