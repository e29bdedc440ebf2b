// The item table against the rows the game gives: every name, the nineteen full rows, the count
// of each kind, the empty rows; and the texts as the screens draw them.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/world/world_services.h"

namespace {

// Names of ids 1..192, as the game lists them (item 9's is ours).
const char *const kNames =
    "ﾐﾖｳｶﾞ ﾀﾞﾝﾋﾞﾗ MK2 ｽｸ-ﾙﾐｽﾞｷﾞ ﾅｲﾌ P99 FMAS ﾅｲﾌ+1 ｷﾂｹﾔｸ ﾊﾟﾜ-ﾄﾞV2 ﾁﾘﾖｳﾔｸ ﾀﾞﾝｿｳ ﾃﾞｲｽｶｽ ｱｽﾄﾛﾉ-ﾀｽ "
    "ｱｼﾞｱｱﾛﾜﾅ ｵｵｺｳﾓﾘ ﾓﾁ HPﾉﾓﾄ MPﾉﾓﾄ ﾎﾞｳｺﾞﾌｸ ｼﾞﾔﾝｸ ｶﾒﾗﾚﾝｽﾞ ﾊ-ﾄﾞｹ-ｽ1 ﾀﾞﾝﾋﾞﾗ+1 RPG-7 ｳｼｶﾞｴﾙ ｶﾚﾝｼﾞﾕﾗ "
    "ﾍﾝｿｳｷﾞ ﾊﾟﾜ-ﾄﾞﾕﾆﾂﾄ ｱｲｽﾅｲﾌ ｶﾂﾀｰ M18ｸﾚｲﾓｱ FRDM13 RPG-7V1 ｸﾅｲ ｼﾕﾘｹﾝ ｻｻﾞﾝｸﾛｽ FS2000 ﾁﾘﾖｳﾔｸ+1 M67 "
    "ｱｲｽｿ-ﾄﾞ ｶﾂﾀ-+1 ﾀﾞﾝｿｳ+1 ﾎﾞｳｺﾞﾌｸ+1 ﾎﾞｳｺﾞﾌｸ-1 ﾄﾞﾗｸﾞﾉﾌ ｱﾙ･ﾅｽﾙ M.B.S ﾚ-ｻﾞｶﾞﾝ ｲﾜ ｾﾑﾃﾂｸｽ ｷﾊﾞｸｿｳﾁ "
    "ｵﾙｺﾞｲｺﾙｺｲ ｼﾞｱｾﾞﾊﾟﾑ ﾒｲﾄﾞﾌｸ ﾀﾞﾝﾋﾞﾗ+2 ﾏﾝｼﾞｼﾕﾘｹﾝ ﾀﾃﾅｼ ｸﾅｲ+1 M16 ﾀﾞﾝﾋﾞﾗ+3 ｶﾂﾀ-+2 ｷﾝ M735A1 ｱｼﾕﾗﾉｺﾃ "
    "ﾋﾗｲｼ ﾁﾘﾖｳﾔｸ+2 ﾀﾞﾝｿｳ+2 ﾚ-ｻﾞｶﾞﾝ+1 ﾆｼﾞ ｸﾛﾉﾄﾞﾚｽ ﾀ-ﾀﾝﾁｴﾂｸ ｶｿｸｿｳﾁ BABAﾚﾀ- ﾘﾝﾈﾉﾀﾏ ﾘﾝｺﾞ ｵﾚﾝｼﾞ ﾊｸｻｲ ﾈｷﾞ "
    "ｷﾞﾕｳﾆｸ ｺﾞﾏﾄﾞｳﾌ ﾗ-ﾃﾞﾂｼﾕ ｶﾌﾞ ﾅｽﾋﾞ ﾄｳｶﾞﾗｼ ﾊﾟﾝ ﾄﾞﾛﾄﾞﾘﾝｸ ｶﾎﾞﾁﾔ ﾒ-ｸｲﾝ ｻﾂﾏｲﾓ ﾋﾟ-ﾏﾝ ﾇ-ﾄﾞﾙ ﾅﾙﾄ ﾆｶﾞｳﾘ "
    "ﾄｳﾓﾛｺｼ ﾀﾞﾝｼﾔｸ ｷﾔﾍﾞﾂ ｻﾝｺﾞ ｷﾗﾗ397 ｼﾞﾔﾂｸﾀﾞﾆｴﾙ ﾂﾅ ﾃﾞ-ﾂ ﾄﾘﾆｸ ｺｼﾋｶﾘ ｺｼﾉｶﾝﾊﾟｲ ｾﾝﾃｲﾊﾞｻﾐ ﾏｼﾞﾂｸﾊﾝﾄﾞ ｾﾝｽ "
    "GLOCK17 AK47 ｽｶｳﾀ- ﾏﾂﾌﾟｽｶｳﾀ- ﾃﾞｲｽﾌﾟﾚｲ ﾅﾝﾊﾞ-ｽﾞ ﾋﾞ-ﾙ ﾜｲﾝ ｸﾞﾗｽ ｺﾂﾌﾟ ﾖｳﾍﾝﾃﾝﾓｸ ﾃﾞｽｸﾄﾂﾌﾟPC ｷﾉﾎﾞｳ "
    "NETSCREEN CATALYST ｻｲｷﾂｸﾊﾝﾄﾞ ｹﾞ-ﾍﾞﾙﾞ ﾐｴﾐ- ｿ-ﾄﾞｵﾌﾞﾛｽ DL380G5 ROCKIT ﾐｻｲﾙ ﾄﾞｸﾛ ｱﾊﾞﾗ ﾎﾈ ﾇｶｺ-ﾗ "
    "ｸｱﾝﾀﾑ ｼﾕｶﾞ-ﾎﾞﾑ ﾏｲｸﾛﾐｻｲﾙ ﾂﾐｷ ﾂﾐｷ ｸﾋﾞ ｲﾁﾌﾞ ﾄﾞｳ ﾌﾗﾝｷｽｶ ﾔ ﾕﾐ ｼﾏﾈECM TOW ｸﾏﾉﾎﾟﾘｽｻﾝ ﾀﾏ ｺｳｶﾞｸﾒｲｻｲ "
    "ｹｼｽﾞﾐ ﾇﾗﾇﾗｼﾀﾓﾉ 9ｼﾘ-ｽﾞ1 9ｼﾘ-ｽﾞ2 9ｼﾘ-ｽﾞ3 ﾊ-ﾄﾞｹ-ｽ2 ﾊ-ﾄﾞｹ-ｽ3 ﾃｲｼﾕ- ｳｻｷﾞﾉｽﾅﾁｻﾝ ﾎｳｺｸｼﾖ ｶﾐｸｽﾞ M24 "
    "ｺｵﾘ ｱｷｶﾝ ｶﾐｸｽﾞ ｶﾗﾅﾍﾞ ｵｲﾙﾀﾝｸ ｾﾝｻﾞｲ ﾐﾙｸ ｺﾞｷﾌﾞﾘﾉｼｶﾞｲ ｱｷﾋﾞﾝ ﾏﾝｶﾞﾆｸ ﾆｸﾄﾞﾝ ﾆｸｻｼﾐ ﾆｸｽﾃ-ｷ ﾎｲｺ-ﾛ "
    "ｵﾝﾔｻｲ ｽﾄﾛﾝﾁｳﾑ ｻﾞｸﾛ ｵｳｺﾞﾝAK ﾗﾎﾞｷ- ｶﾞｸｾｲﾌｸ ｶｴﾝﾋﾞﾝ ｼﾞﾊﾞｸｿｳﾁ ｺﾝｺﾞｳｳﾃﾞﾜ ｻﾑﾗｲｱﾂｸｽ ﾖｲﾁﾉﾕﾐ ﾖｲﾁﾉﾔ "
    "ﾄﾞﾛﾜ-ｽﾞ ﾅﾕﾀﾘﾝｸﾞ ﾔｽﾂﾅ ---";

TEST(ItemKindsTest, EveryNameAsTheGameListsIt) {
    std::istringstream in(kNames);
    std::string name;
    int id = 1;
    EXPECT_STREQ(GetItemKind(0)->name, "");
    while (in >> name) {
        ASSERT_LT(id, kItemKindCount);
        EXPECT_EQ(GetItemKind(id)->name, name) << "item " << id;
        id++;
    }
    EXPECT_EQ(id, 193);
}

TEST(ItemKindsTest, GivenRowsExactly) {
    struct Row {
        int id, use;
        const char *name, *unidentified;
        int kind, power, second, third, handClass, price;
    };
    const Row rows[] = {
        {0, 0, "", "", 1, 0, 0, 0, 0, 0},
        {3, 1, "MK2", "ﾊﾟｲﾅﾂﾌﾟﾙ", 6, 6, 0, 30, 2, 10},
        {5, 8, "ﾅｲﾌ", "ﾊﾓﾉ", 3, 1, 0, 20, 4, 9},
        {11, 3, "ﾁﾘﾖｳﾔｸ", "ﾔｸﾋﾝ", 0, 20, 0, 0, 0, 50},
        {12, 4, "ﾀﾞﾝｿｳ", "ﾏｶﾞｼﾞﾝ", 0, 100, 0, 0, 0, 25},
        {18, 6, "HPﾉﾓﾄ", "ﾔｸﾋﾝ", 0, 5, 0, 0, 0, 120},
        {19, 7, "MPﾉﾓﾄ", "ﾔｸﾋﾝ", 0, 10, 0, 0, 0, 120},
        {20, 5, "ﾎﾞｳｺﾞﾌｸ", "ﾌｸ", 4, 1, 0, 0, 0, 60},
        {45, 6, "ﾎﾞｳｺﾞﾌｸ-1", "ﾌｸ", 4, -5, 0, 0, 0, 1},
        {47, 35, "ｱﾙ･ﾅｽﾙ", "ﾃﾂﾉｶﾀﾏﾘ", 6, 256, 0, 20, 2, 999},
        {54, 8, "ｼﾞｱｾﾞﾊﾟﾑ", "ｼﾞﾖｳｻﾞｲ", 0, 1500, 0, 50, 0, 5},
        {74, 10, "BABAﾚﾀ-", "ｶﾐｸｽﾞ", 0, 5, 0, 0, 9, 4},
        {100, 5, "ｼﾞﾔﾂｸﾀﾞﾆｴﾙ", "ﾋﾞﾝ", 0, 7, 1, 0, 0, 25},
        {114, 15, "ﾅﾝﾊﾞ-ｽﾞ", "ｶﾌﾟｾﾙ", 0, 5000, 0, 50, 0, 5},
        {122, 0, "NETSCREEN", "ｱｵｲﾊｺ", 0, 5, 0, 0, 0, 25},
        {123, 0, "CATALYST", "ｼﾛｲﾊｺ", 0, 5, 0, 0, 0, 12},
        {128, 0, "DL380G5", "ﾊｲｲﾛﾉﾊｺ", 0, 5, 0, 0, 0, 100},
        {144, 9, "ﾔ", "ﾎﾞｳｷﾚ", 0, 5, 0, 0, 9, 150},
        {145, 32, "ﾕﾐ", "ﾎﾞｳｷﾚ", 3, 5, 0, 0, 9, 500},
    };
    for (const Row &r : rows) {
        const ItemKind &k = *GetItemKind(r.id);
        SCOPED_TRACE(r.id);
        EXPECT_EQ(k.use, r.use);
        EXPECT_STREQ(k.name, r.name);
        EXPECT_STREQ(k.unidentifiedName, r.unidentified);
        EXPECT_EQ(k.kind, r.kind);
        EXPECT_EQ(k.power, r.power);
        EXPECT_EQ(k.secondValue, r.second);
        EXPECT_EQ(k.thirdValue, r.third);
        EXPECT_EQ(k.handClass, r.handClass);
        EXPECT_EQ(k.price, r.price);
    }
    // Row 192 has its name and nothing else; rows 193..299 are all zero.
    const ItemKind &dash = *GetItemKind(192);
    EXPECT_STREQ(dash.name, "---");
    EXPECT_EQ(dash.kind, 0);
    EXPECT_EQ(dash.price, 0);
    for (int id = 193; id < kItemKindCount; id++) {
        const ItemKind &k = *GetItemKind(id);
        EXPECT_TRUE(k.use == 0 && k.kind == 0 && k.power == 0 && k.price == 0 && *k.name == 0) << id;
    }
    EXPECT_EQ(GetItemKind(-1), nullptr);
    EXPECT_EQ(GetItemKind(kItemKindCount), nullptr);
}

TEST(ItemKindsTest, KindCounts) {
    std::map<int, int> count;
    for (int id = 0; id <= 192; id++) count[GetItemKind(id)->kind]++;
    EXPECT_EQ(count, (std::map<int, int>{{0, 110}, {1, 1}, {3, 39}, {4, 22}, {6, 21}}));
}

// Names and unidentified names go through the 8 x 8 font (no lowercase n or t: its line and
// skip letters); descriptions through the full-width font, on one line of the help window.
TEST(ItemKindsTest, TextsFitTheirFonts) {
    for (int id = 0; id <= 192; id++) {
        const ItemKind &k = *GetItemKind(id);
        for (const char *t : {k.name, k.unidentifiedName}) {
            EXPECT_EQ(std::strpbrk(t, "nt"), nullptr) << id;
            EXPECT_LE(std::strlen(t), 11u) << id;
        }
        const auto *d = reinterpret_cast<const unsigned char *>(k.description);
        size_t n = std::strlen(k.description);
        EXPECT_EQ(n % 2, 0u) << id;
        for (size_t i = 0; i + 1 < n; i += 2)
            EXPECT_TRUE((d[i] >= 0x81 && d[i] <= 0x9F) || (d[i] >= 0xE0 && d[i] <= 0xFC)) << id << " byte " << i;
        EXPECT_LE(n / 2, 37u) << id;
        if (id >= 1 && id <= 191) {
            EXPECT_GT(n, 0u) << id;
        }
    }
}

} // namespace
