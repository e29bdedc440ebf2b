// The demo's map grids: MAP/<folder>/<name>.bin for each demo area and "DataForWork\doust.bin",
// the grid the game loads at start. Each map is drawn in characters, one per 16 x 16 cell; the
// legend below turns a character into the cell's two tiles, attribute and link byte, choosing
// edge and corner tiles from the neighbours. Warp, gimmick and spawn cells are added per map by
// the issues that own them, as further legend characters.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/demo-data/demo_art.h"
#include "tools/demo-data/demo_tiles.h"

namespace {

// The new-game room: an inn's two floors. The hero wakes beside the bed at cell (6, 10).
constexpr const char *kRoomMap[] = {
    "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB", // 0
    "BB++++++++++++++++++++++++++++++++++++BB",
    "BB....................................BB",
    "BB..P.......O.....P......O.......SS...BB",
    "BB..........O............O.......SS...BB",
    "BB......l.........................l...BB",
    "BBx..................................xBB",
    "BBx..................................xBB",
    "BBx.......................p..........xBB",
    "BBx..................................xBB",
    "BB..ZZ..T....p.........T...C.C........BB", // 10
    "BBBBBBBBBBBBBBBBBBBBBBBBBB.....BBBBBBBBB",
    "BB::::::::::::::::::::::::=====:::::::BB",
    "BB::::::::::::::::::::::::::::::::::::BB",
    "BB::::::::::::::::::::=====:::::::::::BB",
    "BB::::::::::::::::::::::::::::::::::::BB",
    "BB::::::::::::::::=====:::::::::::::::BB",
    "BB++++++++++++++++++++++++++++++++++++BB",
    "BB....P......l.........O.........l....BB",
    "BB.....................O..............BB",
    "BB...SS.........................I....HBB", // 20
    "BB...SS.....T...p.....C..C......I....HBB",
    "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",
};

// The save point: a tall hall with a crystal over its altar and galleries on both sides.
constexpr const char *kSaveMap[] = {
    "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB", // 0
    "BB++++++++++++++++++++++++++++++++++++BB",
    "BB....................................BB",
    "BB...n.......n..........n.......n.....BB",
    "BB...n.......n..........n.......n.....BB",
    "BB....................................BB",
    "BB......l.........................l...BB",
    "BBx..................................xBB",
    "BBx..................................xBB",
    "BBx....P........................P....xBB",
    "BB....................................BB", // 10
    "BB=======......................=======BB",
    "BB....................................BB",
    "BB..S..p........................p..S..BB",
    "BB..S.............l.....l..........S..BB",
    "BB=======......................=======BB",
    "BB....................................BB",
    "BB...........I.....y....I.............BB",
    "BB...........I..........I.............BB",
    "BB...........I...=====..I.............BB",
    "BB...........I..........I.............BB", // 20
    "BB.H.........I..........I...........H.BB",
    "BB.H....p..C.I...T..T...I.C..p......H.BB",
    "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BB####################################BB",
    "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",
};

// The village: two houses (one the shop, with its sign), trees, a fence and a rise to the east.
constexpr const char *kVillageMap[] = {
    "................................................................", // 0
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................", // 10
    "................................................................",
    "................................................................",
    "................................................................",
    "................................................................",
    ".......................................................@@@@@....",
    "...........................................@@@@@......@@@@@@@...",
    "...........................................@@@@@@.....@@@@@@@...",
    ".....................................@@@@@@@@@@@@@.....@@@@@....",
    "....................................@@@@@@@@@@@@@@@.....t.......",
    "....rrrrrrrrr.........................@@@@@.@@@@@.....==t==.....", // 20
    "....WWWWWWWWW......rrrrrrrrrrr..........t.....t.........t.......",
    "....WoWWWWWoW......WWWWWsWWWWW..........t.....t.........t.......",
    "....WWWWWWWWW......WoWWWWWWWoW..........t.....t.........t....*..",
    "....WWWEWWWWW..!...WWWWWEWWWWW....!.....t..*..t.......ab##t####.",
    "..\".WWWEWWWWW......WWWWWEWWWWW.........%t%...%t%....ab#########.",
    "###############################FFFFF###########\"################",
    "################################################################",
    "################################################################",
    "################################################################",
};

// The field: a wooded hillside with branches to climb, a stone outcrop, pits and tunnels below.
constexpr const char *kFieldMap[] = {
    "................................................................", // 0
    "................................................................",
    "................................................................",
    ".....@@@@@.............................@@@@@@...................",
    "....@@@@@@@..........@@@@@@...........@@@@@@@@..........@@@@@...",
    "....@@@@@@@.........@@@@@@@@..........@@@@@@@@.........@@@@@@@..",
    ".....@@@@@...........@@@@@@............@@@@@@..........@@@@@@@..",
    ".......t...............t.................t..............@@@@@...",
    ".......t...............t.................t.......BBB......t.....",
    ".......t.......===.....t......===........t.......BBB......t.....",
    ".......t...............t.................t................t.....", // 10
    "...===.t...............t.................t......====......t.....",
    ".......t...............t.........................t........t.....",
    ".......t...............t...........====..........t........t.....",
    ".......t...........................................j......t.....",
    "..@@@..t...............t.........................t...j....t.....",
    ".@@@@@.t...............t.........................t.......%t%....",
    "..@@@..t.......*.......t........\"........*.......t.....###t####.",
    "...t..%t%.....###.....%t%......###.......%...%...t...ab########.",
    "...t...t.....#####....###dc.......ab##.......%...t.ab##########.",
    "#########...########..######dc..ab####...####BBB####..##########", // 20
    "##########.##########...######ab######.....####..####.##########",
    "##########^^#########..##############......................#####",
    "#########################..#########...####..####..###...#######",
    "##########################.##########..######..####....#########",
    "################################################################",
    "################################################################",
    "################################################################",
    "################################################################",
    "################################################################",
};

// The cave: a descent from the entrance, a pool with currents, conveyors both ways, sloped ceilings,
// a breakable wall, spikes in the pits.
constexpr const char *kCaveMap[] = {
    "################################################################", // 0
    "################################################################",
    "#####..............##############..............#################",
    "####....v.....v......v######v...v.....v....v.....v....##########",
    "###.................................................y...########",
    "###..................................................e..########",
    "###..........................m.................######efg########",
    "###..!......................###.......!......##########h.....###",
    "#######.................########.............############....###",
    "#########dc..........###########...v....v....########........###",
    "###########dc....v......########.....................vv......###", // 10
    "#############dc.........####......................m...........##",
    "###############dc.......####...........RRRRRRRR#######LLLLLL####",
    "#################dc.....####....ab#####################.......##",
    "###################.....####..ab#######################.......##",
    "###################.....###..a#########..................XX..###",
    "###################..........##########..................XX..###",
    "##################...........##########..y...........m...XX..###",
    "#################~~~~~~~~~~~~##########BBBBBBBB==############.##",
    "#################www))))((((www#########.....................###",
    "##################wwwwwwwwwwww##########.....................###", // 20
    "###################wwwwwwwwww###########.....................###",
    "#####################wwwwww##########............###########.###",
    "##############################......v...........#############.##",
    "#############################....................######......###",
    "##########efgh###############....!.....................#.....###",
    "##########...................................#####......#.....##",
    "#########.......................................###.....#.....##",
    "########.....m.................######.........................##",
    "#######......######..^^^^^^.####################...............#",
    "######......#########^^^^^^###################ab####..........##", // 30
    "#####......#########################...######ab######.........##",
    "#####..............###########.....v.......ab#########........##",
    "######......................................##########.......###",
    "#######.......y........####.................##########..!....###",
    "########BBBBBBBB##########^^^^^^^##########...........m......###",
    "################################################################",
    "################################################################",
    "################################################################",
    "################################################################",
};

// The boss room: an arena with two ledges and spikes along the walls.
constexpr const char *kBossMap[] = {
    "########################################", // 0
    "########################################",
    "####v.....v......v.....v......v.....####",
    "###..................................###",
    "###..................................###",
    "###..................................###",
    "###..!............................!..###",
    "###..................................###",
    "###......=====..............=====....###",
    "###..................................###",
    "###..................................###", // 10
    "###..................................###",
    "###..................................###",
    "###................====..............###",
    "###..................................###",
    "###..................................###",
    "###...m........................m.....###",
    "###..####......................####..###",
    "###^^##############################^^###",
    "########################################",
    "########################################", // 20
    "########################################",
    "########################################",
    "########################################",
    "########################################",
    "########################################",
    "########################################",
    "########################################",
    "########################################",
    "########################################",
};

struct DemoMap {
    std::vector<const char *> files; // under the game folder
    const char *const *rows;
    int rowCount;
    int background; // layer-1 tile of '.' and of the cells that only hold a front piece
};

uint32_t Cell(int tile1, int attribute, int tile2 = 0, int link = 0) {
    return (uint32_t)tile1 | (uint32_t)attribute << 8 | (uint32_t)tile2 << 16 | (uint32_t)link << 24;
}

class MapText {
public:
    MapText(const char *const *rows, int count) : rows_(rows), count_(count), width_((int)strlen(rows[0])) {}
    int Width() const { return width_; }
    int Height() const { return count_; }
    char At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= count_) return '#'; // the world goes on solid
        return rows_[y][x];
    }

private:
    const char *const *rows_;
    int count_, width_;
};

bool IsSolidOrSlope(char c) { return strchr("#B=XRL^abcdefgh", c) != nullptr; }

// The cell of one character, with its neighbours for edges and pairs.
uint32_t CellOf(const MapText &m, int x, int y, int background) {
    const char c = m.At(x, y);
    switch (c) {
    case '#': {
        // Under ground, a block or a slope the ground is plain; under anything else it has a top.
        if (strchr("#Babcd", m.At(x, y - 1)) != nullptr) return Cell(TILE_GROUND, 1);
        const bool openLeft = !IsSolidOrSlope(m.At(x - 1, y)), openRight = !IsSolidOrSlope(m.At(x + 1, y));
        if (openLeft && !openRight) return Cell(TILE_GROUND_TOP_LEFT, 1);
        if (openRight && !openLeft) return Cell(TILE_GROUND_TOP_RIGHT, 1);
        return Cell(TILE_GROUND_TOP, 1);
    }
    case 'B': return Cell(TILE_BLOCK, 1);
    case '=': return Cell(TILE_PLATFORM, 1);
    case 'X': return Cell(TILE_BREAKABLE, 10);
    case '^': return Cell(TILE_SPIKES, 11);
    case 'a':
    case 'b':
    case 'c':
    case 'd': return Cell(TILE_SLOPE_FIRST + (c - 'a'), 2 + (c - 'a'));
    case 'e':
    case 'f':
    case 'g':
    case 'h': return Cell(TILE_CEILING_SLOPE_FIRST + (c - 'e'), 6 + (c - 'e'));
    case 'R': return Cell(TILE_CONVEYOR_RIGHT, 15);
    case 'L': return Cell(TILE_CONVEYOR_LEFT, 14);
    // Water is the link byte: 15 still, 13 a current to the right, 14 to the left.
    case '~': return Cell(TILE_WATER_TOP, 0, 0, 15);
    case 'w': return Cell(TILE_WATER, 0, 0, 15);
    case ')': return Cell(TILE_WATER, 0, 0, 13);
    case '(': return Cell(TILE_WATER, 0, 0, 14);
    // Behind the actors.
    case '.': return Cell(background, 0);
    case ' ': return Cell(TILE_NONE, 0);
    case ':': return Cell(TILE_BACK_WALL_DARK, 0);
    case 'O': return Cell(TILE_WINDOW, 0);
    case 'H': return Cell(m.At(x, y - 1) == 'H' ? TILE_DOOR : TILE_DOOR_TOP, 0);
    case 'I': return Cell(TILE_PILLAR, 0);
    case 'S': return Cell(TILE_SHELF, 0);
    case 'P': return Cell(TILE_PICTURE, 0);
    case 'l': return Cell(TILE_LAMP, 0);
    case 'Z': return Cell(m.At(x - 1, y) == 'Z' ? TILE_BED_RIGHT : TILE_BED_LEFT, 0);
    case 'T': return Cell(TILE_TABLE, 0);
    case 'p': return Cell(TILE_PLANT, 0);
    case 'F': return Cell(TILE_FENCE, 0);
    case 's': return Cell(TILE_SIGN, 0);
    case 'C': return Cell(TILE_CRATE, 0);
    case 'r': {
        const bool left = m.At(x - 1, y) != 'r', right = m.At(x + 1, y) != 'r';
        return Cell(left ? TILE_ROOF_LEFT : right ? TILE_ROOF_RIGHT : TILE_ROOF, 0);
    }
    case 'W': return Cell(TILE_HOUSE_WALL, 0);
    case 'o': return Cell(TILE_HOUSE_WINDOW, 0);
    case 'E': return Cell(m.At(x, y - 1) == 'E' ? TILE_HOUSE_DOOR : TILE_HOUSE_DOOR_TOP, 0);
    case 't': return Cell(IsSolidOrSlope(m.At(x, y + 1)) ? TILE_TRUNK_BASE : TILE_TRUNK, 0);
    case 'u': return Cell(TILE_BUSH_BACK, 0);
    case 'k': return Cell(TILE_ROCK_BACK, 0);
    case 'm': return Cell(TILE_STALAGMITE, 0);
    case 'y': return Cell(TILE_CRYSTAL, 0);
    case '!': return Cell(TILE_TORCH, 0);
    case 'n': return Cell(TILE_BANNER, 0);
    // In front of the actors, over the map's background.
    case '"': return Cell(background, 0, TILE_GRASS);
    case '*': return Cell(background, 0, TILE_FLOWERS);
    case '%': return Cell(background, 0, TILE_BUSH);
    case 'v': return Cell(background, 0, TILE_STALACTITE);
    case 'j': return Cell(background, 0, TILE_VINE);
    case 'i': return Cell(background, 0, TILE_PILLAR_FRONT);
    case 'x': return Cell(background, 0, TILE_CURTAIN);
    case '$': return Cell(background, 0, TILE_ROCK_FRONT);
    case '+': return Cell(background, 0, TILE_BEAM);
    case 'q': return Cell(background, 0, TILE_COBWEB);
    case '@': {
        // Leaves over a trunk keep the trunk behind them.
        const int behind = m.At(x, y + 1) == 't' || m.At(x, y - 1) == 't' ? TILE_TRUNK : background;
        int front = TILE_LEAVES;
        if (m.At(x, y + 1) != '@') front = TILE_LEAVES_BOTTOM;
        else if (m.At(x - 1, y) != '@') front = TILE_LEAVES_LEFT;
        else if (m.At(x + 1, y) != '@') front = TILE_LEAVES_RIGHT;
        return Cell(behind, 0, front);
    }
    default:
        fprintf(stderr, "demo-data-gen: no map cell for '%c' at %d,%d\n", c, x, y);
        exit(1);
    }
}

std::vector<uint8_t> MapFile(const DemoMap &map) {
    const MapText m(map.rows, map.rowCount);
    std::vector<uint8_t> b;
    Put32(b, (uint32_t)m.Width());
    Put32(b, (uint32_t)m.Height());
    for (int y = 0; y < m.Height(); y++) {
        if ((int)strlen(map.rows[y]) != m.Width()) {
            fprintf(stderr, "demo-data-gen: map %s row %d is %zu wide, not %d\n", map.files[0], y,
                    strlen(map.rows[y]), m.Width());
            exit(1);
        }
        for (int x = 0; x < m.Width(); x++) Put32(b, CellOf(m, x, y, map.background));
    }
    return b;
}

#define ROWS(a) a, (int)(sizeof a / sizeof a[0])

void WriteMaps(const DemoOptions &o) {
    const DemoMap maps[] = {
        {{"MAP/kyoto/ride.bin", "MAP/kyoto/ridef.bin", "DataForWork/doust.bin"}, ROWS(kRoomMap), TILE_BACK_WALL},
        {{"MAP/kyoto/enkai.bin"}, ROWS(kSaveMap), TILE_BACK_WALL},
        {{"MAP/kyoto/kyoto1.bin"}, ROWS(kVillageMap), TILE_NONE},
        {{"MAP/mori/mori0.bin"}, ROWS(kFieldMap), TILE_NONE},
        {{"MAP/doukutu/dou0.bin"}, ROWS(kCaveMap), TILE_NONE},
        {{"MAP/doukutu/dou4.bin"}, ROWS(kBossMap), TILE_NONE},
    };
    for (const DemoMap &map : maps) {
        const std::vector<uint8_t> bytes = MapFile(map);
        for (const char *file : map.files) WriteFileBytes(o.folder / file, bytes);
    }
}

} // namespace

DEMO_WRITER("map grids", 10, WriteMaps);
