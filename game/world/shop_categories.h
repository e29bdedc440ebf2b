// The shop's ten categories, as the game gives them: shown name, command-window key, help
// message and the items on sale in list order. Lists hold field-object kinds (item id + 2) and
// end at the first entry of 2 or less.
#pragma once

constexpr int kShopCategoryCount = 10;
constexpr int kShopListLength = 50;

struct ShopCategory {
    const char *name;
    const char *key;
    const char *help;
    int rows[kShopListLength];
};

// An item id as the lists hold it.
constexpr int ShopRow(int item) { return item + 2; }

inline constexpr ShopCategory kShopCategories[kShopCategoryCount] = {
    {"SWORD", "BUY_S", "近接武器を購入します", // 0
     {ShopRow(5), ShopRow(8), ShopRow(30), ShopRow(2), ShopRow(24), ShopRow(31), ShopRow(35), ShopRow(36),
      ShopRow(41), ShopRow(42), ShopRow(56), ShopRow(57), ShopRow(59), ShopRow(61), ShopRow(62),
      ShopRow(70), ShopRow(106), ShopRow(121), ShopRow(143), ShopRow(144), ShopRow(145), ShopRow(187),
      ShopRow(188), ShopRow(127), ShopRow(50), ShopRow(108), ShopRow(124), ShopRow(186), ShopRow(191), -1}},
    {"ARMS", "BUY_A", "銃器を購入します", // 1
     {ShopRow(6), ShopRow(7), ShopRow(37), ShopRow(38), ShopRow(46), ShopRow(60), ShopRow(109),
      ShopRow(110), ShopRow(125), ShopRow(126), ShopRow(180), -1}},
    {"FIREARMS", "BUY_F", "重火器を購入します", // 2
     {ShopRow(25), ShopRow(49), ShopRow(64), ShopRow(69), ShopRow(129), ShopRow(48), ShopRow(34), -1}},
    {"BOMB", "BUY_B", "爆発物を購入します", // 3
     {ShopRow(3), ShopRow(32), ShopRow(33), ShopRow(40), ShopRow(47), ShopRow(51), ShopRow(52),
      ShopRow(162), ShopRow(183), ShopRow(184), -1}},
    {"CLOTHES", "BUY_C", "衣類を購入します", // 4
     {ShopRow(4), ShopRow(20), ShopRow(28), ShopRow(44), ShopRow(45), ShopRow(55), ShopRow(58), ShopRow(66),
      ShopRow(71), ShopRow(72), ShopRow(73), ShopRow(150), ShopRow(29), ShopRow(10), ShopRow(65),
      ShopRow(182), ShopRow(185), ShopRow(189), ShopRow(190), -1}},
    {"MEDI+AMM", "BUY_M", "弾・薬を購入します", // 5
     {ShopRow(11), ShopRow(12), ShopRow(18), ShopRow(19), ShopRow(39), ShopRow(43), ShopRow(114),
      ShopRow(9), ShopRow(149), ShopRow(54), ShopRow(67), ShopRow(68), ShopRow(178), -1}},
    {"NATURE", "BUY_N_F", "自然食料を購入します", // 6
     {ShopRow(1), ShopRow(76), ShopRow(77), ShopRow(78), ShopRow(79), ShopRow(82), ShopRow(83), ShopRow(84),
      ShopRow(85), ShopRow(88), ShopRow(89), ShopRow(90), ShopRow(91), ShopRow(94), ShopRow(95),
      ShopRow(96), ShopRow(97), ShopRow(102), ShopRow(179), -1}},
    {"PROCESS", "BUY_P_F", "加工食料を購入します", // 7
     {ShopRow(17), ShopRow(81), ShopRow(86), ShopRow(87), ShopRow(92), ShopRow(93), ShopRow(100),
      ShopRow(101), ShopRow(115), ShopRow(116), ShopRow(134), ShopRow(135), ShopRow(136), -1}},
    {"DELICIOUS", "BUY_D_F", "美食料を購入します", // 8
     {ShopRow(53), ShopRow(98), ShopRow(99), ShopRow(103), ShopRow(104), ShopRow(105), ShopRow(151),
      ShopRow(13), ShopRow(14), ShopRow(15), ShopRow(16), ShopRow(26), ShopRow(80), ShopRow(172),
      ShopRow(173), ShopRow(174), ShopRow(175), ShopRow(176), ShopRow(177), -1}},
    {"OTHER", "BUY_O", "その他分類を購入します", // 9
     {ShopRow(75), ShopRow(21), ShopRow(22), ShopRow(23), ShopRow(63), ShopRow(111), ShopRow(112),
      ShopRow(113), ShopRow(117), ShopRow(118), ShopRow(119), ShopRow(120), ShopRow(122), ShopRow(123),
      ShopRow(128), ShopRow(146), ShopRow(148), ShopRow(152), ShopRow(153), ShopRow(154), ShopRow(155),
      ShopRow(156), ShopRow(157), ShopRow(158), ShopRow(159), ShopRow(27), ShopRow(107), ShopRow(181), -1}},
};
