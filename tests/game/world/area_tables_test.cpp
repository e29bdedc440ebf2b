// The constant tables of areas, warps and gimmick kinds against the numbers the game gives,
// written out here once more: every field of the 127 transition rows, the six rows in which the
// load table differs, the 177 gimmick kinds and the warp examples; and the forms every row keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>
#include <string>

#include "game/world/area_table.h"
#include "game/world/gimmick_kinds.h"
#include "game/world/warp_table.h"

namespace {

// Area, map file, layer 1 sheet, layer 2 sheet, wipe, music, enemy set, flags.
constexpr const char *kGivenAreas = R"(
0 MAP/umi/umi.bin 1 1 2 10 6 -
1 MAP/neo/w1.bin 8 8 1 7 6 -
2 MAP/neo/w2.bin 8 8 1 7 6 -
3 MAP/neo/w3.bin 8 8 1 7 6 -
4 MAP/neo/w4.bin 8 8 1 7 6 -
5 MAP/neo/w5.bin 8 8 1 7 6 -
6 MAP/neo/w6.bin 8 8 1 7 33 -
7 MAP/neo/w7.bin 8 8 1 7 6 -
8 MAP/neo/w8.bin 8 8 1 7 6 dark
9 MAP/neo/w9.bin 10 10 1 7 6 -
10 MAP/neo/w10.bin 10 10 1 10 28 -
11 MAP/mori/sp2.bin 7 7 3 4 4 -
12 MAP/idc/sp1.bin 10 10 3 7 9 -
13 MAP/doukutu/sp3.bin 5 5 2 1 7 -
14 MAP/mori2/sp1.bin 7 7 3 5 4 -
15 MAP/doukutu/dou0.bin 5 5 2 1 1 -
16 MAP/doukutu/dou1.bin 5 5 2 1 1 -
17 MAP/doukutu/dou2.bin 5 5 2 1 32 -
18 MAP/doukutu/re3.bin 5 5 2 1 7 -
19 MAP/doukutu/dou4.bin 5 5 2 2 2 -
20 MAP/doukutu/dou5.bin 5 5 2 1 1 -
21 MAP/doukutu/dou6.bin 5 5 2 1 1 -
22 MAP/doukutu/re7.bin 5 5 2 1 7 -
23 MAP/doukutu/re8.bin 5 5 2 1 7 -
24 MAP/doukutu/dou9.bin 5 5 2 1 1 -
25 MAP/doukutu/re10.bin 5 5 2 1 14 -
26 MAP/doukutu/re11.bin 5 5 2 1 7 -
27 MAP/doukutu/sp1.bin 5 5 2 1 1 -
28 MAP/doukutu/sp2.bin 5 5 2 1 1 -
29 MAP/doukutu3/sp1.bin 7 7 3 1 8 -
30 MAP/doukutu2/dou1.bin 5 5 3 2 2 -
31 MAP/doukutu2/re11.bin 5 5 3 2 36 -
32 MAP/doukutu2/dou3.bin 5 5 3 2 2 -
33 MAP/doukutu2/dou4.bin 5 5 3 2 9 -
34 MAP/doukutu2/re5.bin 5 5 3 2 9 -
35 MAP/doukutu2/re6.bin 7 7 3 2 8 -
36 MAP/doukutu2/re10.bin 7 7 3 2 35 -
37 MAP/doukutu2/re8.bin 5 5 3 2 11 -
38 MAP/doukutu2/re9.bin 5 5 3 2 31 -
39 MAP/doukutu2/dou10.bin 5 5 3 2 2 -
40 MAP/doukutu3/doust.bin 5 5 3 12 3 -
41 MAP/doukutu3/dou1.bin 5 5 3 12 3 -
42 MAP/doukutu3/dou2.bin 5 5 3 12 3 -
43 MAP/doukutu3/dou3.bin 5 5 3 12 3 -
44 MAP/doukutu3/dou4.bin 5 5 3 12 3 -
45 MAP/doukutu3/re5.bin 7 7 3 12 15 -
46 MAP/doukutu3/re6.bin 7 7 3 12 8 -
47 MAP/doukutu3/dou7.bin 5 5 3 12 3 -
48 MAP/doukutu3/re8.bin 7 7 3 12 8 -
49 MAP/doukutu3/re9.bin 3 3 3 12 30 -
50 MAP/doukutu3/re10.bin 3 3 3 12 8 -
51 MAP/doukutu3/re12.bin 8 8 3 12 17 -
52 MAP/doukutu3/re11.bin 3 3 3 6 8 -
53 MAP/mori/mori0.bin 7 7 3 4 4 -
54 MAP/mori/mori1.bin 7 7 3 4 4 -
55 MAP/mori/mori2.bin 7 7 3 4 4 -
56 MAP/mori/mori3.bin 7 7 3 4 4 -
57 MAP/mori/mori4.bin 7 7 3 4 4 -
58 MAP/mori/mori5.bin 7 7 3 4 4 -
59 MAP/mori/mori6.bin 7 7 3 4 4 -
60 MAP/mori/mori7.bin 7 7 3 4 4 -
61 MAP/mori/mori8.bin 7 7 3 4 19 -
62 MAP/mori/mori9.bin 7 7 3 4 20 -
63 MAP/mori/mori10.bin 7 7 3 4 4 -
64 MAP/mori/mori11.bin 7 7 3 4 25 -
65 MAP/mori/mori11.bin 7 7 3 4 26 -
66 MAP/mori/sp1.bin 7 7 3 4 4 -
67 MAP/mori2/mori0.bin 7 7 3 5 5 wave
68 MAP/mori2/mori1.bin 7 7 3 5 5 wave
69 MAP/mori2/mori2.bin 7 7 3 5 5 wave
70 MAP/mori2/mori3.bin 7 7 3 5 5 wave
71 MAP/mori2/mori4.bin 7 7 3 5 13 wave
72 MAP/mori2/mori5.bin 7 7 3 5 21 wave
73 MAP/mori2/mori6.bin 7 7 3 5 5 wave
74 MAP/mori2/mori7.bin 7 7 3 5 5 wave
75 MAP/mori2/mori8.bin 7 7 3 5 5 wave
76 MAP/mori2/mori9.bin 7 7 3 5 5 wave
77 MAP/mori2/mori10.bin 7 7 3 5 22 wave
78 MAP/mori2/mori11.bin 7 7 3 5 5 wave
79 MAP/mori2/mori12.bin 7 7 3 5 5 -
80 MAP/nuka/nuka1.bin 10 10 3 12 8 -
81 MAP/nuka/nuka2.bin 10 10 3 12 8 -
82 MAP/nuka/nuka3.bin 10 10 3 12 8 -
83 MAP/nuka/nuka4.bin 10 10 3 12 8 -
84 MAP/nuka/nuka5.bin 10 10 3 12 8 -
85 MAP/nuka/nuka6.bin 10 10 3 12 23 -
86 MAP/kyoto/bukiko.bin 8 8 1 0 29 -
87 MAP/kyoto/goen.bin 8 8 3 0 29 -
88 MAP/kyoto/ride.bin 8 8 2 0 29 -
89 MAP/kyoto/kyoto1.bin 8 8 4 0 16 -
90 MAP/kyoto/kyoto2.bin 8 8 2 0 18 -
91 MAP/kyoto/kyoto3.bin 8 8 1 0 9 enemy
92 MAP/kyoto/server.bin 7 7 2 0 1 -
93 MAP/kyoto/genkan.bin 8 8 1 0 9 enemy
94 MAP/kyoto/huro.bin 8 8 2 0 9 enemy
95 MAP/kyoto/gousitu.bin 8 8 3 0 9 enemy
96 MAP/kyoto/gousitu.bin 8 8 4 0 9 enemy
97 MAP/kyoto/gousitu.bin 8 8 0 0 9 enemy
98 MAP/kyoto/ikedaya.bin 8 8 1 0 29 -
99 MAP/kyoto/enkai.bin 8 8 2 0 29 -
100 MAP/idc/idc1.bin 10 10 3 1 9 -
101 MAP/idc/idc2.bin 10 10 3 1 24 -
102 MAP/idc/idc3.bin 10 10 3 1 7 -
103 MAP/idc/idc4.bin 10 10 3 1 7 -
104 MAP/idc/idc5.bin 10 10 3 1 12 -
105 MAP/idc/idc6.bin 10 10 3 1 7 -
106 MAP/idc/idcsei1.bin 9 10 3 6 10 -
107 MAP/idc/idcsei2.bin 9 10 3 6 10 -
108 MAP/idc/idcsei3.bin 9 10 3 6 10 -
109 MAP/idc/idcsei4.bin 9 10 3 6 10 -
110 MAP/idc/idcsei5.bin 10 10 3 6 10 -
111 MAP/kyoto/ridef.bin 8 8 2 0 0 -
112 MAP/umi/kyou1.bin 8 8 3 10 10 -
113 MAP/umi/kyou2.bin 10 10 3 10 10 -
114 MAP/neo/sp1.bin 6 5 3 1 31 -
115 MAP/kyoto/hizyou1.bin 8 8 2 0 39 -
116 MAP/kyoto/hizyou2.bin 8 8 2 0 40 -
117 MAP/kyoto/hizyou3.bin 8 8 2 0 41 -
118 MAP/kyoto/hizyou4.bin 8 8 2 0 42 -
119 MAP/doukutu2/re12.bin 5 5 3 2 36 -
120 MAP/doukutu2/re13.bin 5 5 3 2 36 -
121 MAP/mori/re1.bin 7 7 3 4 37 -
122 MAP/mori/re2.bin 7 7 3 4 37 -
123 MAP/mori/re3.bin 7 7 3 4 37 -
124 MAP/mori/re4.bin 7 7 3 4 37 -
125 MAP/mori/re5.bin 7 7 3 4 38 -
126 MAP/kyoto/hizyou5.bin 8 8 2 0 42 dark
)";

// Kind, script, half width, half height, sheet x, sheet y, frames, interval, motion, hidden by,
// shown by, touch: the kinds that do not carry the default row.
constexpr const char *kGivenGimmicks = R"(
1 14 8 8 128 32 0 0 1 9 0 0
2 6 8 8 192 240 0 0 1 48 0 0
3 15 8 8 128 96 0 0 1 31 0 0
4 50 8 8 32 16 0 0 1 0 0 1
5 51 8 8 32 16 0 0 1 0 0 1
6 52 8 8 32 16 0 0 1 0 0 1
7 53 8 8 32 16 0 0 1 0 0 1
8 10 6 6 144 64 0 0 0 48 45 1
9 47 6 6 144 64 0 0 0 1 0 1
10 0 8 8 240 16 0 0 1 0 0 0
11 0 8 8 128 80 0 0 1 0 0 0
12 46 32 16 240 128 0 0 0 0 9 0
13 70 8 8 32 16 0 0 1 0 0 1
14 73 8 8 32 16 0 0 1 0 0 1
17 0 8 8 128 256 0 0 1 10 0 0
18 0 8 8 144 256 0 0 1 10 0 0
19 0 8 8 160 256 0 0 1 10 0 0
20 0 8 8 176 256 0 0 1 10 0 0
21 0 8 8 192 256 0 0 1 10 0 0
22 0 8 8 208 256 0 0 1 10 0 0
23 0 8 8 224 256 0 0 1 10 0 0
24 0 8 8 128 272 0 0 1 10 0 0
25 0 8 8 288 16 0 0 1 10 0 0
26 0 8 8 336 16 0 0 1 10 0 0
27 7 6 6 144 64 0 0 0 10 0 1
28 40 8 8 224 256 0 0 1 11 204 0
32 25 8 8 336 16 0 0 1 19 15 0
33 68 6 6 144 64 0 0 0 20 9 1
34 66 8 8 128 16 0 0 1 20 0 0
35 67 8 8 48 0 4 6 1 0 0 0
36 65 8 8 128 0 0 0 1 20 0 0
37 29 6 6 144 64 0 0 0 0 0 1
38 3 12 8 256 64 4 6 1 25 24 0
39 3 8 8 256 80 2 6 1 25 24 0
40 12 6 6 144 64 0 0 0 25 24 1
41 34 6 6 144 64 0 0 0 24 0 0
42 38 6 6 144 64 0 0 0 24 0 0
43 44 6 6 144 64 0 0 0 0 27 1
44 44 6 6 144 64 0 0 0 0 27 1
45 39 8 16 240 32 0 0 1 0 26 0
46 48 8 8 192 0 0 0 1 0 28 0
47 29 6 6 144 64 0 0 0 28 0 1
48 69 6 6 144 64 0 0 0 28 0 1
49 49 6 6 144 64 0 0 0 30 9 1
50 21 8 8 128 80 0 0 1 31 0 0
51 11 8 8 0 256 0 0 1 30 0 0
52 23 8 8 304 0 0 0 1 38 35 0
53 31 8 8 192 240 0 0 1 39 35 0
54 30 8 8 240 16 0 0 1 39 35 0
55 27 6 6 144 64 0 0 0 39 35 1
56 24 8 8 304 0 0 0 1 39 38 0
57 32 8 8 304 32 0 0 1 39 38 0
58 33 6 6 144 64 0 0 0 39 35 1
59 62 8 8 240 16 0 0 1 0 39 0
60 63 8 8 128 64 0 0 1 0 39 0
65 8 8 8 240 16 0 0 1 40 0 0
66 9 8 8 240 16 0 0 1 48 40 0
67 13 8 8 240 16 0 0 1 31 48 0
68 22 6 6 144 64 0 0 0 45 41 1
69 20 8 8 128 240 0 0 1 0 48 0
70 57 8 8 32 16 0 0 1 0 0 0
71 59 6 6 144 64 0 0 0 220 0 1
81 60 6 6 144 64 0 0 0 50 0 1
82 17 8 8 48 0 4 6 1 0 50 0
83 26 8 8 48 0 4 6 1 0 50 0
84 61 8 8 48 0 4 6 1 0 0 0
85 28 6 6 144 64 0 0 0 58 59 1
97 19 8 8 256 0 0 0 1 61 60 0
98 18 6 6 144 64 0 0 0 60 0 1
99 58 8 8 32 16 0 0 1 0 0 0
113 54 8 8 256 32 0 0 1 72 0 0
114 55 8 8 272 32 0 0 1 0 72 0
115 56 8 8 288 32 0 0 1 69 70 0
161 3 8 8 0 32 8 6 1 0 0 0
162 4 8 8 0 48 2 30 1 0 0 0
163 13 8 8 48 0 4 6 5 10 0 0
164 5 8 8 32 48 0 0 1 0 0 0
165 37 8 8 0 32 8 6 1 0 0 0
166 20 8 8 128 240 0 0 1 0 0 0
167 64 8 8 48 0 4 6 1 0 0 0
168 45 8 8 48 0 4 6 1 0 0 0
169 41 8 8 112 48 0 0 1 0 0 0
170 42 8 16 0 64 0 0 1 0 0 0
171 2 8 16 0 64 2 30 1 0 0 0
172 37 6 6 144 64 0 0 1 0 0 0
173 71 8 8 48 0 4 6 1 0 0 0
174 72 8 16 0 64 0 0 1 0 0 0
175 36 8 8 48 0 4 6 1 0 0 0
176 69 8 8 112 48 0 0 1 0 0 0
)";

struct GivenArea {
    int area;
    std::string path;
    int sheet1, sheet2, wipe, music, enemySet;
    std::string flags;
};

std::vector<GivenArea> ParseAreas()
{
    std::vector<GivenArea> rows;
    std::istringstream in(kGivenAreas);
    GivenArea r;
    while (in >> r.area >> r.path >> r.sheet1 >> r.sheet2 >> r.wipe >> r.music >> r.enemySet >> r.flags) rows.push_back(r);
    return rows;
}

TEST(AreaTables, TransitionRowsAreTheGivenNumbers)
{
    const std::vector<GivenArea> given = ParseAreas();
    ASSERT_EQ(given.size(), (size_t)kTransitionAreaCount);
    for (const GivenArea &g : given) {
        const AreaRecord *r = TransitionArea(g.area);
        ASSERT_NE(r, nullptr) << g.area;
        EXPECT_STREQ(r->path, g.path.c_str()) << "area " << g.area;
        EXPECT_EQ(r->tileSheet1, g.sheet1) << "area " << g.area;
        EXPECT_EQ(r->tileSheet2, g.sheet2) << "area " << g.area;
        EXPECT_EQ(r->wipePattern, g.wipe) << "area " << g.area;
        EXPECT_EQ(r->musicTrack, g.music) << "area " << g.area;
        EXPECT_EQ(r->enemySet, g.enemySet) << "area " << g.area;
        EXPECT_EQ(r->waveArea, g.flags == "wave") << "area " << g.area;
        EXPECT_EQ(r->darkArea, g.flags == "dark") << "area " << g.area;
        EXPECT_EQ(r->enemyFlag, g.flags == "enemy") << "area " << g.area;
    }
    EXPECT_EQ(TransitionArea(-1), nullptr);
    EXPECT_EQ(TransitionArea(kTransitionAreaCount), nullptr);
}

TEST(AreaTables, LoadRowsDifferInSixRowsOnly)
{
    struct Differs {
        int area;
        const char *path;
        int sheet1, sheet2, enemySet, wave;
    };
    const Differs differs[] = {
        {6, "MAP/neo/w6.bin", 8, 8, 6, 0},
        {10, "MAP/neo/w10.bin", 10, 10, 6, 1},
        {17, "MAP/doukutu/dou2.bin", 5, 5, 7, 0},
        {31, "MAP/doukutu2/dou2.bin", 5, 5, 2, 0},
        {36, "MAP/doukutu2/dou7.bin", 5, 5, 2, 0},
        {111, "MAP/kyoto/ride.bin", 8, 8, 0, 0},
    };
    std::set<int> seen;
    for (const Differs &d : differs) {
        const AreaRecord *r = LoadAreaRow(d.area);
        ASSERT_NE(r, nullptr) << d.area;
        EXPECT_STREQ(r->path, d.path) << "area " << d.area;
        EXPECT_EQ(r->tileSheet1, d.sheet1) << "area " << d.area;
        EXPECT_EQ(r->tileSheet2, d.sheet2) << "area " << d.area;
        EXPECT_EQ(r->enemySet, d.enemySet) << "area " << d.area;
        EXPECT_EQ(r->waveArea, d.wave) << "area " << d.area;
        seen.insert(d.area);
    }
    // The other rows equal the transition rows in the five columns the load entry reads.
    for (int a = 0; a < kLoadAreaCount; a++) {
        if (seen.count(a)) continue;
        const AreaRecord *l = LoadAreaRow(a), *t = TransitionArea(a);
        ASSERT_NE(l, nullptr) << a;
        EXPECT_STREQ(l->path, t->path) << "area " << a;
        EXPECT_EQ(l->tileSheet1, t->tileSheet1) << "area " << a;
        EXPECT_EQ(l->tileSheet2, t->tileSheet2) << "area " << a;
        EXPECT_EQ(l->enemySet, t->enemySet) << "area " << a;
        EXPECT_EQ(l->waveArea, t->waveArea) << "area " << a;
    }
    EXPECT_EQ(LoadAreaRow(-1), nullptr);
    EXPECT_EQ(LoadAreaRow(kLoadAreaCount), nullptr);
}

// "MAP/" folder "/" file ".bin", with neither part empty nor holding another slash.
bool MapPathForm(const std::string &p)
{
    const size_t slash = p.find('/', 4);
    return p.rfind("MAP/", 0) == 0 && slash != std::string::npos && slash > 4 && p.find('/', slash + 1) == std::string::npos &&
           p.size() > slash + 5 && p.compare(p.size() - 4, 4, ".bin") == 0;
}

// Half-width katakana, digits and capital Latin letters (the overlay reads lower-case n and t as
// controls), at most 11 bytes.
bool BannerNameForm(const char *name)
{
    const size_t n = std::strlen(name);
    if (n == 0 || n > 11) return false;
    for (size_t i = 0; i < n; i++) {
        const unsigned char c = (unsigned char)name[i];
        if (!((c >= 0xA1 && c <= 0xDF) || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))) return false;
    }
    return true;
}

TEST(AreaTables, EveryRowKeepsItsForm)
{
    for (int a = 0; a < kTransitionAreaCount; a++) {
        for (const AreaRecord *r : {TransitionArea(a), LoadAreaRow(a)}) {
            if (!r) continue;
            EXPECT_TRUE(MapPathForm(r->path)) << "area " << a << ": " << r->path;
            EXPECT_TRUE(r->wipePattern >= 0 && r->wipePattern <= 4) << "area " << a;
            EXPECT_TRUE(r->musicTrack >= 0 && r->musicTrack <= 13) << "area " << a;
            EXPECT_TRUE(r->waveArea <= 1 && r->darkArea <= 1 && r->enemyFlag <= 1) << "area " << a;
        }
        EXPECT_TRUE(BannerNameForm(TransitionArea(a)->name)) << "area " << a;
    }
    EXPECT_TRUE(MapPathForm("MAP/umi/umi.bin"));
    for (const char *bad : {"MAP/umi.bin", "MAP//umi.bin", "MAP/umi/a/umi.bin", "MAP/umi/umi.dat", "map/umi/umi.bin"})
        EXPECT_FALSE(MapPathForm(bad)) << bad;
}

TEST(AreaTables, GimmickKindsAreTheGivenRows)
{
    std::istringstream in(kGivenGimmicks);
    std::set<int> given;
    int k;
    while (in >> k) {
        GimmickKind g{};
        int touch = 0;
        in >> g.scriptNumber >> g.halfWidth >> g.halfHeight >> g.sheetX >> g.sheetY >> g.frameCount >> g.frameInterval >>
            g.motion >> g.hideFlag >> g.showFlag >> touch;
        ASSERT_TRUE(k >= 0 && k < kGimmickKindCount) << k;
        const GimmickKind &r = kGimmickKinds[k];
        EXPECT_EQ(std::memcmp(&r, &g, offsetof(GimmickKind, touch)), 0) << "kind " << k;
        EXPECT_EQ(r.touch, touch) << "kind " << k;
        given.insert(k);
    }
    EXPECT_EQ(given.size(), 89u);
    // Every other kind carries the default row.
    for (int k = 0; k < kGimmickKindCount; k++) {
        if (given.count(k)) continue;
        const GimmickKind &r = kGimmickKinds[k];
        const GimmickKind def{0, 8, 8, 32, 0, 0, 0, 1, 0, 0, 0};
        EXPECT_EQ(std::memcmp(&r, &def, offsetof(GimmickKind, touch)), 0) << "kind " << k;
        EXPECT_EQ(r.touch, 0) << "kind " << k;
    }
    // Scripts 0..73, animated kinds with an interval, flags inside the 256 story flags.
    for (int k = 0; k < kGimmickKindCount; k++) {
        const GimmickKind &r = kGimmickKinds[k];
        EXPECT_TRUE(r.scriptNumber >= 0 && r.scriptNumber <= 73) << "kind " << k;
        EXPECT_TRUE(r.frameCount == 0 || r.frameInterval > 0) << "kind " << k;
        EXPECT_TRUE(r.hideFlag >= 0 && r.hideFlag < 256 && r.showFlag >= 0 && r.showFlag < 256) << "kind " << k;
        EXPECT_LE(r.touch, 1) << "kind " << k;
    }
}

TEST(AreaTables, WarpExamplesAndUnfilledEntries)
{
    struct Example {
        int area, number, target, x, y;
    };
    for (const Example &e : {Example{0, 1, 1, 392, 184}, Example{1, 1, 89, 56, 72}, Example{1, 2, 2, 56, 152},
                             Example{10, 2, 112, 184, 136}}) {
        const WarpEntry &w = GetWarp(e.area, e.number - 1);
        EXPECT_EQ(w.area, e.target) << e.area << "/" << e.number;
        EXPECT_EQ(w.x, e.x) << e.area << "/" << e.number;
        EXPECT_EQ(w.y, e.y) << e.area << "/" << e.number;
    }
    // Every filled entry leads to an area with a row and lands on a tile centre.
    for (int a = 0; a < kWarpAreaCount; a++)
        for (int i = 0; i < kWarpsPerArea; i++) {
            const WarpEntry &w = GetWarp(a, i);
            if (w.area == 0 && w.x == 0 && w.y == 0) continue;
            EXPECT_LT(i, kLastWarpNumber) << "area " << a << " entry " << i << " cannot be reached";
            EXPECT_NE(TransitionArea(w.area), nullptr) << "area " << a << " entry " << i;
            EXPECT_TRUE(w.x % 16 == 8 && w.y % 16 == 8) << "area " << a << " entry " << i;
        }
    // Unfilled and outside entries lead to area 0 at (0, 0).
    for (const WarpEntry *w : {&GetWarp(0, 1), &GetWarp(126, 254), &GetWarp(127, 0), &GetWarp(0, -1)}) {
        EXPECT_EQ(w->area, 0);
        EXPECT_EQ(w->x, 0);
        EXPECT_EQ(w->y, 0);
    }
}

} // namespace
