// The two area tables. The transition table's rows are the game's given rows, names aside: the
// names are the demo's (its six areas have real place names, the rest say where they lie). The
// load table is the transition table's rows 0..111 with the six rows in which it differs.
#include "game/world/area_table.h"

#include <array>

namespace {

// path, name, layer 1 sheet, layer 2 sheet, wipe, music, enemy set, wave, dark, enemy flag
constexpr AreaRecord kTransitionAreas[kTransitionAreaCount] = {
    {"MAP/umi/umi.bin", "ｳﾐﾍﾞ", 1, 1, 2, 10, 6, 0, 0, 0}, // 0
    {"MAP/neo/w1.bin", "ﾈｵ1", 8, 8, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w2.bin", "ﾈｵ2", 8, 8, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w3.bin", "ﾈｵ3", 8, 8, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w4.bin", "ﾈｵ4", 8, 8, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w5.bin", "ﾈｵ5", 8, 8, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w6.bin", "ﾈｵ6", 8, 8, 1, 7, 33, 0, 0, 0},
    {"MAP/neo/w7.bin", "ﾈｵ7", 8, 8, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w8.bin", "ﾈｵ8", 8, 8, 1, 7, 6, 0, 1, 0},
    {"MAP/neo/w9.bin", "ﾈｵ9", 10, 10, 1, 7, 6, 0, 0, 0},
    {"MAP/neo/w10.bin", "ﾈｵ10", 10, 10, 1, 10, 28, 0, 0, 0}, // 10
    {"MAP/mori/sp2.bin", "ﾓﾘﾉｵｸ", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/idc/sp1.bin", "IDCﾉｵｸ", 10, 10, 3, 7, 9, 0, 0, 0},
    {"MAP/doukutu/sp3.bin", "ﾎﾗｱﾅﾉｵｸ", 5, 5, 2, 1, 7, 0, 0, 0},
    {"MAP/mori2/sp1.bin", "ﾐｽﾞﾉﾓﾘﾉｵｸ", 7, 7, 3, 5, 4, 0, 0, 0},
    {"MAP/doukutu/dou0.bin", "ﾇｼﾉﾎﾗｱﾅ", 5, 5, 2, 1, 1, 0, 0, 0},
    {"MAP/doukutu/dou1.bin", "ﾎﾗｱﾅ2", 5, 5, 2, 1, 1, 0, 0, 0},
    {"MAP/doukutu/dou2.bin", "ﾎﾗｱﾅ3", 5, 5, 2, 1, 32, 0, 0, 0},
    {"MAP/doukutu/re3.bin", "ﾎﾗｱﾅ4", 5, 5, 2, 1, 7, 0, 0, 0},
    {"MAP/doukutu/dou4.bin", "ﾇｼﾉﾈﾄﾞｺ", 5, 5, 2, 2, 2, 0, 0, 0},
    {"MAP/doukutu/dou5.bin", "ﾎﾗｱﾅ6", 5, 5, 2, 1, 1, 0, 0, 0}, // 20
    {"MAP/doukutu/dou6.bin", "ﾎﾗｱﾅ7", 5, 5, 2, 1, 1, 0, 0, 0},
    {"MAP/doukutu/re7.bin", "ﾎﾗｱﾅ8", 5, 5, 2, 1, 7, 0, 0, 0},
    {"MAP/doukutu/re8.bin", "ﾎﾗｱﾅ9", 5, 5, 2, 1, 7, 0, 0, 0},
    {"MAP/doukutu/dou9.bin", "ﾎﾗｱﾅ10", 5, 5, 2, 1, 1, 0, 0, 0},
    {"MAP/doukutu/re10.bin", "ﾎﾗｱﾅ11", 5, 5, 2, 1, 14, 0, 0, 0},
    {"MAP/doukutu/re11.bin", "ﾎﾗｱﾅ12", 5, 5, 2, 1, 7, 0, 0, 0},
    {"MAP/doukutu/sp1.bin", "ﾎﾗｱﾅﾉﾜｷ1", 5, 5, 2, 1, 1, 0, 0, 0},
    {"MAP/doukutu/sp2.bin", "ﾎﾗｱﾅﾉﾜｷ2", 5, 5, 2, 1, 1, 0, 0, 0},
    {"MAP/doukutu3/sp1.bin", "ﾁﾃｲﾉｵｸ", 7, 7, 3, 1, 8, 0, 0, 0},
    {"MAP/doukutu2/dou1.bin", "ﾁｶﾄﾞｳ1", 5, 5, 3, 2, 2, 0, 0, 0}, // 30
    {"MAP/doukutu2/re11.bin", "ﾁｶﾄﾞｳ2", 5, 5, 3, 2, 36, 0, 0, 0},
    {"MAP/doukutu2/dou3.bin", "ﾁｶﾄﾞｳ3", 5, 5, 3, 2, 2, 0, 0, 0},
    {"MAP/doukutu2/dou4.bin", "ﾁｶﾄﾞｳ4", 5, 5, 3, 2, 9, 0, 0, 0},
    {"MAP/doukutu2/re5.bin", "ﾁｶﾄﾞｳ5", 5, 5, 3, 2, 9, 0, 0, 0},
    {"MAP/doukutu2/re6.bin", "ﾁｶﾄﾞｳ6", 7, 7, 3, 2, 8, 0, 0, 0},
    {"MAP/doukutu2/re10.bin", "ﾁｶﾄﾞｳ7", 7, 7, 3, 2, 35, 0, 0, 0},
    {"MAP/doukutu2/re8.bin", "ﾁｶﾄﾞｳ8", 5, 5, 3, 2, 11, 0, 0, 0},
    {"MAP/doukutu2/re9.bin", "ﾁｶﾄﾞｳ9", 5, 5, 3, 2, 31, 0, 0, 0},
    {"MAP/doukutu2/dou10.bin", "ﾁｶﾄﾞｳ10", 5, 5, 3, 2, 2, 0, 0, 0},
    {"MAP/doukutu3/doust.bin", "ｼﾝｴﾝ1", 5, 5, 3, 12, 3, 0, 0, 0}, // 40
    {"MAP/doukutu3/dou1.bin", "ｼﾝｴﾝ2", 5, 5, 3, 12, 3, 0, 0, 0},
    {"MAP/doukutu3/dou2.bin", "ｼﾝｴﾝ3", 5, 5, 3, 12, 3, 0, 0, 0},
    {"MAP/doukutu3/dou3.bin", "ｼﾝｴﾝ4", 5, 5, 3, 12, 3, 0, 0, 0},
    {"MAP/doukutu3/dou4.bin", "ｼﾝｴﾝ5", 5, 5, 3, 12, 3, 0, 0, 0},
    {"MAP/doukutu3/re5.bin", "ｼﾝｴﾝ6", 7, 7, 3, 12, 15, 0, 0, 0},
    {"MAP/doukutu3/re6.bin", "ｼﾝｴﾝ7", 7, 7, 3, 12, 8, 0, 0, 0},
    {"MAP/doukutu3/dou7.bin", "ｼﾝｴﾝ8", 5, 5, 3, 12, 3, 0, 0, 0},
    {"MAP/doukutu3/re8.bin", "ｼﾝｴﾝ9", 7, 7, 3, 12, 8, 0, 0, 0},
    {"MAP/doukutu3/re9.bin", "ｼﾝｴﾝ10", 3, 3, 3, 12, 30, 0, 0, 0},
    {"MAP/doukutu3/re10.bin", "ｼﾝｴﾝ11", 3, 3, 3, 12, 8, 0, 0, 0}, // 50
    {"MAP/doukutu3/re12.bin", "ｼﾝｴﾝ12", 8, 8, 3, 12, 17, 0, 0, 0},
    {"MAP/doukutu3/re11.bin", "ｼﾝｴﾝ13", 3, 3, 3, 6, 8, 0, 0, 0},
    {"MAP/mori/mori0.bin", "ｸﾗｷﾓﾘ", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori1.bin", "ﾓﾘ2", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori2.bin", "ﾓﾘ3", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori3.bin", "ﾓﾘ4", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori4.bin", "ﾓﾘ5", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori5.bin", "ﾓﾘ6", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori6.bin", "ﾓﾘ7", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori7.bin", "ﾓﾘ8", 7, 7, 3, 4, 4, 0, 0, 0}, // 60
    {"MAP/mori/mori8.bin", "ﾓﾘ9", 7, 7, 3, 4, 19, 0, 0, 0},
    {"MAP/mori/mori9.bin", "ﾓﾘ10", 7, 7, 3, 4, 20, 0, 0, 0},
    {"MAP/mori/mori10.bin", "ﾓﾘ11", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori/mori11.bin", "ﾓﾘ12", 7, 7, 3, 4, 25, 0, 0, 0},
    {"MAP/mori/mori11.bin", "ﾓﾘ13", 7, 7, 3, 4, 26, 0, 0, 0},
    {"MAP/mori/sp1.bin", "ﾓﾘﾉﾜｷ", 7, 7, 3, 4, 4, 0, 0, 0},
    {"MAP/mori2/mori0.bin", "ﾐｽﾞﾉﾓﾘ1", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori1.bin", "ﾐｽﾞﾉﾓﾘ2", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori2.bin", "ﾐｽﾞﾉﾓﾘ3", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori3.bin", "ﾐｽﾞﾉﾓﾘ4", 7, 7, 3, 5, 5, 1, 0, 0}, // 70
    {"MAP/mori2/mori4.bin", "ﾐｽﾞﾉﾓﾘ5", 7, 7, 3, 5, 13, 1, 0, 0},
    {"MAP/mori2/mori5.bin", "ﾐｽﾞﾉﾓﾘ6", 7, 7, 3, 5, 21, 1, 0, 0},
    {"MAP/mori2/mori6.bin", "ﾐｽﾞﾉﾓﾘ7", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori7.bin", "ﾐｽﾞﾉﾓﾘ8", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori8.bin", "ﾐｽﾞﾉﾓﾘ9", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori9.bin", "ﾐｽﾞﾉﾓﾘ10", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori10.bin", "ﾐｽﾞﾉﾓﾘ11", 7, 7, 3, 5, 22, 1, 0, 0},
    {"MAP/mori2/mori11.bin", "ﾐｽﾞﾉﾓﾘ12", 7, 7, 3, 5, 5, 1, 0, 0},
    {"MAP/mori2/mori12.bin", "ﾐｽﾞﾉﾓﾘ13", 7, 7, 3, 5, 5, 0, 0, 0},
    {"MAP/nuka/nuka1.bin", "ﾇｶﾙﾐ1", 10, 10, 3, 12, 8, 0, 0, 0}, // 80
    {"MAP/nuka/nuka2.bin", "ﾇｶﾙﾐ2", 10, 10, 3, 12, 8, 0, 0, 0},
    {"MAP/nuka/nuka3.bin", "ﾇｶﾙﾐ3", 10, 10, 3, 12, 8, 0, 0, 0},
    {"MAP/nuka/nuka4.bin", "ﾇｶﾙﾐ4", 10, 10, 3, 12, 8, 0, 0, 0},
    {"MAP/nuka/nuka5.bin", "ﾇｶﾙﾐ5", 10, 10, 3, 12, 8, 0, 0, 0},
    {"MAP/nuka/nuka6.bin", "ﾇｶﾙﾐ6", 10, 10, 3, 12, 23, 0, 0, 0},
    {"MAP/kyoto/bukiko.bin", "ﾌﾞｷｺ", 8, 8, 1, 0, 29, 0, 0, 0},
    {"MAP/kyoto/goen.bin", "ｺﾞｴﾝ", 8, 8, 3, 0, 29, 0, 0, 0},
    {"MAP/kyoto/ride.bin", "ﾘﾃﾞﾉﾔﾄﾞ", 8, 8, 2, 0, 29, 0, 0, 0},
    {"MAP/kyoto/kyoto1.bin", "ｶｻﾞﾐﾑﾗ", 8, 8, 4, 0, 16, 0, 0, 0},
    {"MAP/kyoto/kyoto2.bin", "ﾑﾗﾉﾋｶﾞｼ", 8, 8, 2, 0, 18, 0, 0, 0}, // 90
    {"MAP/kyoto/kyoto3.bin", "ﾑﾗﾉｷﾀ", 8, 8, 1, 0, 9, 0, 0, 1},
    {"MAP/kyoto/server.bin", "ｻｰﾊﾞｰ", 7, 7, 2, 0, 1, 0, 0, 0},
    {"MAP/kyoto/genkan.bin", "ｹﾞﾝｶﾝ", 8, 8, 1, 0, 9, 0, 0, 1},
    {"MAP/kyoto/huro.bin", "ﾌﾛ", 8, 8, 2, 0, 9, 0, 0, 1},
    {"MAP/kyoto/gousitu.bin", "ｺﾞｳｼﾂ1", 8, 8, 3, 0, 9, 0, 0, 1},
    {"MAP/kyoto/gousitu.bin", "ｺﾞｳｼﾂ2", 8, 8, 4, 0, 9, 0, 0, 1},
    {"MAP/kyoto/gousitu.bin", "ｺﾞｳｼﾂ3", 8, 8, 0, 0, 9, 0, 0, 1},
    {"MAP/kyoto/ikedaya.bin", "ｲｹﾀﾞﾔ", 8, 8, 1, 0, 29, 0, 0, 0},
    {"MAP/kyoto/enkai.bin", "ｲﾉﾘﾉﾏ", 8, 8, 2, 0, 29, 0, 0, 0},
    {"MAP/idc/idc1.bin", "IDC1", 10, 10, 3, 1, 9, 0, 0, 0}, // 100
    {"MAP/idc/idc2.bin", "IDC2", 10, 10, 3, 1, 24, 0, 0, 0},
    {"MAP/idc/idc3.bin", "IDC3", 10, 10, 3, 1, 7, 0, 0, 0},
    {"MAP/idc/idc4.bin", "IDC4", 10, 10, 3, 1, 7, 0, 0, 0},
    {"MAP/idc/idc5.bin", "IDC5", 10, 10, 3, 1, 12, 0, 0, 0},
    {"MAP/idc/idc6.bin", "IDC6", 10, 10, 3, 1, 7, 0, 0, 0},
    {"MAP/idc/idcsei1.bin", "IDCｾｲ1", 9, 10, 3, 6, 10, 0, 0, 0},
    {"MAP/idc/idcsei2.bin", "IDCｾｲ2", 9, 10, 3, 6, 10, 0, 0, 0},
    {"MAP/idc/idcsei3.bin", "IDCｾｲ3", 9, 10, 3, 6, 10, 0, 0, 0},
    {"MAP/idc/idcsei4.bin", "IDCｾｲ4", 9, 10, 3, 6, 10, 0, 0, 0},
    {"MAP/idc/idcsei5.bin", "IDCｾｲ5", 10, 10, 3, 6, 10, 0, 0, 0}, // 110
    {"MAP/kyoto/ridef.bin", "ﾔﾄﾞﾔ", 8, 8, 2, 0, 0, 0, 0, 0},
    {"MAP/umi/kyou1.bin", "ｷｮｳｶｲ1", 8, 8, 3, 10, 10, 0, 0, 0},
    {"MAP/umi/kyou2.bin", "ｷｮｳｶｲ2", 10, 10, 3, 10, 10, 0, 0, 0},
    {"MAP/neo/sp1.bin", "ﾈｵﾉｵｸ", 6, 5, 3, 1, 31, 0, 0, 0},
    {"MAP/kyoto/hizyou1.bin", "ﾋｼﾞｮｳ1", 8, 8, 2, 0, 39, 0, 0, 0},
    {"MAP/kyoto/hizyou2.bin", "ﾋｼﾞｮｳ2", 8, 8, 2, 0, 40, 0, 0, 0},
    {"MAP/kyoto/hizyou3.bin", "ﾋｼﾞｮｳ3", 8, 8, 2, 0, 41, 0, 0, 0},
    {"MAP/kyoto/hizyou4.bin", "ﾋｼﾞｮｳ4", 8, 8, 2, 0, 42, 0, 0, 0},
    {"MAP/doukutu2/re12.bin", "ﾁｶﾄﾞｳ11", 5, 5, 3, 2, 36, 0, 0, 0},
    {"MAP/doukutu2/re13.bin", "ﾁｶﾄﾞｳ12", 5, 5, 3, 2, 36, 0, 0, 0}, // 120
    {"MAP/mori/re1.bin", "ﾓﾘﾉｱﾄ1", 7, 7, 3, 4, 37, 0, 0, 0},
    {"MAP/mori/re2.bin", "ﾓﾘﾉｱﾄ2", 7, 7, 3, 4, 37, 0, 0, 0},
    {"MAP/mori/re3.bin", "ﾓﾘﾉｱﾄ3", 7, 7, 3, 4, 37, 0, 0, 0},
    {"MAP/mori/re4.bin", "ﾓﾘﾉｱﾄ4", 7, 7, 3, 4, 37, 0, 0, 0},
    {"MAP/mori/re5.bin", "ﾓﾘﾉｱﾄ5", 7, 7, 3, 4, 38, 0, 0, 0},
    {"MAP/kyoto/hizyou5.bin", "ﾋｼﾞｮｳ5", 8, 8, 2, 0, 42, 0, 1, 0},
};

constexpr std::array<AreaRecord, kLoadAreaCount> MakeLoadAreas()
{
    std::array<AreaRecord, kLoadAreaCount> t{};
    for (int i = 0; i < kLoadAreaCount; i++) t[i] = kTransitionAreas[i];
    // The rows the load table gives differently (given).
    t[6].enemySet = 6;
    t[10].enemySet = 6;
    t[10].waveArea = 1;
    t[17].enemySet = 7;
    t[31].path = "MAP/doukutu2/dou2.bin";
    t[31].enemySet = 2;
    t[36].path = "MAP/doukutu2/dou7.bin";
    t[36].tileSheet1 = 5;
    t[36].tileSheet2 = 5;
    t[36].enemySet = 2;
    t[111].path = "MAP/kyoto/ride.bin";
    return t;
}

constexpr std::array<AreaRecord, kLoadAreaCount> kLoadAreas = MakeLoadAreas();

} // namespace

const AreaRecord *TransitionArea(int area)
{
    return area >= 0 && area < kTransitionAreaCount ? &kTransitionAreas[area] : nullptr;
}

const AreaRecord *LoadAreaRow(int area) { return area >= 0 && area < kLoadAreaCount ? &kLoadAreas[area] : nullptr; }
