// The demo's map grids: MAP/<folder>/<name>.bin for each demo area and "DataForWork\doust.bin",
// the grid the game loads at start. Each map is drawn in characters, one per 16 x 16 cell; the
// legend below turns a character into the cell's two tiles, attribute and link byte, choosing
// edge and corner tiles from the neighbours. The warp and gimmick cells of each map are listed
// beside it and set over the drawing, and so are the enemies' spawn slots (docs/demo-world.md
// holds the same lists).
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
    "BBx...H..............................xBB",
    "BB..ZZH.T....p.........T...C.C........BB", // 10
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
    "BB.H.........I==........I...........H.BB",
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
    "....WWWWWWWWW......rrrrrrrrrrr..........t.....t.rrrr....t.......",
    "....WoWWWWWoW......WWWWWsWWWWW..........t.....t.WoWW....t.....H.",
    "....WWWWWWWWW......WoWWWWWWWoW..........t.....t.WWWW....t....*H.",
    "....WWWEWWWWW..!...WWWWWEWWWWW....!.....t..*..t.WWEW..ab##t####.",
    "..\".WWWEWWWWW......WWWWWEWWWWW.........%t%...%t%WWEWab#########.",
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
    "..@@@..t...............t.........................t...j....t...H.",
    ".@@@@@.t...............t.........................t.......%t%..H.",
    "..@@@..t.......*.......t........\"........*.......t.....###t####.",
    ".H.t..%t%.....###.....%t%......###.......%...%...t...ab########.",
    ".H.t...t.....#####....###dc.......ab##.......%...t.ab##########.",
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

// The cave: a descent from the entrance, a pool with currents under a bridge (the hero cannot jump
// out of water), conveyors both ways with a shaft between them down to a breakable wall, a drop
// behind the wall into the lower cave and its door to the lair, sloped ceilings, spikes in the pits.
constexpr const char *kCaveMap[] = {
    "################################################################", // 0
    "################################################################",
    "#####..............##############..............#################",
    "####....v.....v......v######v...v.....v....v.....v....##########",
    "###.................................................y...########",
    "###..................................................e..########",
    "###H.........................m.................######efg########",
    "###H.!......................###.......!......##########h.....###",
    "#######.................########.............############....###",
    "#########dc..........###########...v....v....########........###",
    "###########dc....v......########.....................vv......###", // 10
    "#############dc.........####......................m...........##",
    "###############dc.......####...........RRRRRRRR######.LLLLLL####",
    "#################dc.....####....ab###################.#.......##",
    "###################.....####..ab#####################.#.......##",
    "###################.....###..a#########..................XX..###",
    "###################..........##########..................XX..###",
    "##################===========##########..y...........m...XX..###",
    "#################~~~~~~~~~~~~##########BBBBBBBB==###########.###",
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
    "#######.......y........####.................##########..!...H###",
    "########BBBBBBBB##########^^^^^^^##########...........m.....H###",
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
    "###..H...............................###",
    "###..Hm........................m.....###",
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

// A link byte set over a drawn cell: a warp number (1..12) or a gimmick kind + 15.
struct LinkCell {
    int column, row;
    int link;
};
constexpr int Warp(int number) { return number; }
constexpr int Gimmick(int kind) { return kind + 15; }

// The doors: each a warp cell top and bottom, whose entry in the warp table lands on the door
// that leads back. Gimmicks sit where the game makes them, at their cell's top-left.
const std::vector<LinkCell> kRoomLinks = {
    {6, 9, Warp(1)}, {6, 10, Warp(1)},   // beside the bed: to the village's inn door
    {37, 20, Warp(2)}, {37, 21, Warp(2)}, // downstairs: to the save point's east door
};
const std::vector<LinkCell> kSaveLinks = {
    {3, 21, Warp(1)}, {3, 22, Warp(1)},   // to the village's shrine
    {36, 21, Warp(2)}, {36, 22, Warp(2)}, // to the room downstairs
    {19, 18, Gimmick(168)},               // the crystal's light on the altar
};
const std::vector<LinkCell> kVillageLinks = {
    {7, 24, Warp(1)},  {7, 25, Warp(1)},  // the inn: to the new-game room
    {50, 24, Warp(2)}, {50, 25, Warp(2)}, // the shrine: to the save point
    {62, 22, Warp(3)}, {62, 23, Warp(3)}, // the east gate: to the field
    {37, 24, Gimmick(170)},               // the old man
    {44, 25, Gimmick(162)},               // the child
    {24, 24, Gimmick(164)},               // the shop's lantern at its door
    {17, 25, Gimmick(169)},               // the storage chest
    {60, 23, Gimmick(1)},                 // the closed sign, until flag 9
    {57, 22, Gimmick(12)},                // the signboard to the woods, from flag 9
};
const std::vector<LinkCell> kFieldLinks = {
    {1, 18, Warp(1)},  {1, 19, Warp(1)},  // to the village's east gate
    {62, 15, Warp(2)}, {62, 16, Warp(2)}, // to the cave's entrance
    {16, 8, Gimmick(33)},                 // the wisp over the platform, from flag 9 until flag 20
};
const std::vector<LinkCell> kCaveLinks = {
    {3, 6, Warp(1)},   {3, 7, Warp(1)},   // the entrance: to the field
    {60, 34, Warp(2)}, {60, 35, Warp(2)}, // behind the breakable wall: to the master's lair
    {12, 7, Gimmick(35)},                 // a glowing orb that comes to rest on the ramp's slope
};
const std::vector<LinkCell> kBossLinks = {
    {5, 15, Warp(1)}, {5, 16, Warp(1)}, // back to the cave
    {19, 17, Gimmick(81)},              // the wisp that wakes the master, until flag 50
    {20, 16, Gimmick(82)},              // the light home, from flag 50
};

// An enemy spawn slot (1..15, of the area's enemy set) on a cell: its bits 12..15.
struct Spawn {
    int column, row, slot;
};

// The field (area 53, enemy set 4): 1 and 8 the mushroom, 2 and 9 the bat, 3 the stone, 4 the
// vine. Slots 8 and above always spawn, the others 4 times in 5.
const std::vector<Spawn> kFieldSpawns = {
    {5, 19, 1},  {15, 17, 1}, {46, 22, 1}, {42, 19, 8}, {52, 24, 8}, // mushrooms; the last in the pit
    {12, 8, 2},  {46, 6, 2},  {28, 12, 9},                           // bats
    {31, 17, 3}, {60, 16, 3},                                        // stones
    {56, 12, 4}, {18, 13, 4},                                        // vines
};
// The cave (area 15, enemy set 1): 1 drips under the stalactites, 2 the stone, 3 the hanging
// mushroom, 4 the vine, 13 the bat.
const std::vector<Spawn> kCaveSpawns = {
    {8, 4, 1},   {21, 4, 1},  {38, 4, 1},  {45, 17, 2}, {12, 34, 2}, {10, 2, 3}, {40, 2, 3},
    {35, 25, 4}, {50, 20, 13}, {20, 27, 13},
};
// The boss room (area 19, enemy set 2): ガルド in slot 9, closed once the boss is beaten.
const std::vector<Spawn> kBossSpawns = {{19, 14, 9}};

struct DemoMap {
    std::vector<const char *> files; // under the game folder
    const char *const *rows;
    int rowCount;
    int background; // layer-1 tile of '.' and of the cells that only hold a front piece
    const std::vector<LinkCell> &links;
    std::vector<Spawn> spawns = {};
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
        for (int x = 0; x < m.Width(); x++) {
            uint32_t cell = CellOf(m, x, y, map.background);
            for (const LinkCell &l : map.links)
                if (l.column == x && l.row == y) {
                    if (cell >> 24 != 0) {
                        fprintf(stderr, "demo-data-gen: map %s cell %d,%d has a link byte already\n", map.files[0], x, y);
                        exit(1);
                    }
                    cell |= (uint32_t)l.link << 24;
                }
            for (const Spawn &sp : map.spawns) {
                if (sp.column != x || sp.row != y) continue;
                // Cells of attributes 10 and 13 never spawn.
                const uint32_t attribute = cell >> 8 & 0xF;
                if (sp.slot < 1 || sp.slot > 15 || attribute == 10 || attribute == 13) {
                    fprintf(stderr, "demo-data-gen: map %s: no spawn slot %d at %d,%d\n", map.files[0], sp.slot, x, y);
                    exit(1);
                }
                cell |= (uint32_t)sp.slot << 12;
            }
            Put32(b, cell);
        }
    }
    return b;
}

#define ROWS(a) a, (int)(sizeof a / sizeof a[0])

void WriteMaps(const DemoOptions &o) {
    const DemoMap maps[] = {
        {{"MAP/kyoto/ride.bin", "MAP/kyoto/ridef.bin", "DataForWork/doust.bin"}, ROWS(kRoomMap), TILE_BACK_WALL,
         kRoomLinks},
        {{"MAP/kyoto/enkai.bin"}, ROWS(kSaveMap), TILE_BACK_WALL, kSaveLinks},
        {{"MAP/kyoto/kyoto1.bin"}, ROWS(kVillageMap), TILE_NONE, kVillageLinks},
        {{"MAP/mori/mori0.bin"}, ROWS(kFieldMap), TILE_NONE, kFieldLinks, kFieldSpawns},
        {{"MAP/doukutu/dou0.bin"}, ROWS(kCaveMap), TILE_NONE, kCaveLinks, kCaveSpawns},
        {{"MAP/doukutu/dou4.bin"}, ROWS(kBossMap), TILE_NONE, kBossLinks, kBossSpawns},
    };
    for (const DemoMap &map : maps) {
        const std::vector<uint8_t> bytes = MapFile(map);
        for (const char *file : map.files) WriteFileBytes(o.folder / file, bytes);
    }
}

} // namespace

DEMO_WRITER("map grids", 10, WriteMaps);
