// The eleven tile sheets (256 x 272: 16 x 17 cells of 16 x 16) and the minimap pieces. Three
// styles are drawn: rooms and the village ("ero.bmp", sheet 8), the field ("kaku.bmp", sheet 7)
// and the cave ("dou.bmp", sheet 5); the other sheets reuse them. "mmap.bmp" (sheet 2) holds the
// minimap's dots at (0..6, 0..1) and its 41 x 41 frame at (57, 0). Transparent parts are the
// key colour.
#include <cmath>
#include <cstdint>

#include "tools/demo-data/demo_art.h"
#include "tools/demo-data/demo_tiles.h"

namespace {

constexpr int T = 16;

struct Style {
    Rgb top, topLight;            // the walking surface: floorboards, grass, rock crust
    Rgb ground, groundLight, groundDark;
    Rgb block, blockLight, blockDark;
    Rgb wall, wallLight, wallDark; // the background wall behind rooms or caves
    Rgb wood, woodDark;
    Rgb leaf, leafLight, leafDark;
    Rgb accent;                    // crystals, banners, flowers
    Rgb water, waterLight, waterDark;
};

const Style kRoomStyle = {
    {150, 104, 60},  {196, 150, 96},                  // polished boards
    {112, 92, 78},   {138, 116, 98},  {78, 62, 52},    // stone footing
    {176, 160, 132}, {214, 200, 170}, {120, 104, 84},  // plastered blocks
    {222, 206, 170}, {238, 226, 196}, {168, 148, 112}, // plaster walls
    {128, 82, 44},   {86, 52, 26},
    {70, 140, 60},   {120, 184, 90},  {36, 86, 40},
    {196, 40, 48},
    {52, 108, 196},  {120, 176, 236}, {24, 58, 130},
};

const Style kFieldStyle = {
    {84, 160, 56},   {140, 206, 88},                   // grass
    {122, 86, 52},   {152, 112, 70},  {84, 58, 34},    // earth
    {128, 128, 120}, {170, 170, 160}, {82, 82, 80},    // stones
    {64, 96, 70},    {90, 124, 92},   {40, 64, 48},
    {112, 76, 44},   {72, 46, 24},
    {52, 132, 52},   {104, 184, 80},  {24, 80, 36},
    {236, 200, 60},
    {48, 120, 180},  {120, 190, 230}, {22, 64, 112},
};

const Style kCaveStyle = {
    {108, 98, 118},  {150, 140, 162},                  // crusted rock
    {70, 62, 80},    {94, 86, 106},   {44, 38, 52},
    {96, 90, 104},   {130, 124, 140}, {56, 50, 62},
    {36, 32, 46},    {52, 48, 64},    {22, 20, 30},
    {110, 80, 52},   {70, 50, 30},
    {60, 110, 90},   {96, 150, 120},  {30, 70, 56},
    {110, 220, 230},
    {30, 84, 150},   {90, 160, 220},  {14, 40, 90},
};

// A repeatable pixel noise: the same picture on every run.
uint32_t Hash(int x, int y, int salt) {
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + (uint32_t)salt * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Drawing inside one 16 x 16 cell of the sheet.
class Cell {
public:
    Cell(Image &img, int tile) : img_(img), x0_((tile % 16) * T), y0_((tile / 16) * T) {}
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < T && y < T) img_.Set(x0_ + x, y0_ + y, c);
    }
    void Fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) Set(x, y, c);
    }
    // Fills with a colour and speckles of its light and dark shades.
    void Speckle(int x0, int y0, int x1, int y1, Rgb base, Rgb light, Rgb dark, int salt) {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) {
                uint32_t h = Hash(x, y, salt) % 16;
                Set(x, y, h == 0 ? dark : h == 1 ? light : base);
            }
    }
    void Frame(Rgb c) {
        for (int i = 0; i < T; i++) {
            Set(i, 0, c);
            Set(i, T - 1, c);
            Set(0, i, c);
            Set(T - 1, i, c);
        }
    }

private:
    Image &img_;
    int x0_, y0_;
};

void Ground(Image &img, const Style &s) {
    Cell c(img, TILE_GROUND);
    c.Speckle(0, 0, T, T, s.ground, s.groundLight, s.groundDark, 1);
}

// The walking surface: a band of the top colour with a light edge and a ragged lower line.
void Surface(Cell &c, const Style &s, int salt) {
    for (int x = 0; x < T; x++) {
        int depth = 4 + (int)(Hash(x, 0, salt) % 2);
        c.Set(x, 0, s.topLight);
        for (int y = 1; y < depth; y++) c.Set(x, y, s.top);
        c.Set(x, depth, s.groundDark);
    }
}

void GroundTops(Image &img, const Style &s) {
    for (int tile : {TILE_GROUND_TOP, TILE_GROUND_TOP_LEFT, TILE_GROUND_TOP_RIGHT}) {
        Cell c(img, tile);
        c.Speckle(0, 0, T, T, s.ground, s.groundLight, s.groundDark, tile);
        Surface(c, s, tile);
        // Rounded outer corners, with the edge shaded.
        if (tile == TILE_GROUND_TOP_LEFT || tile == TILE_GROUND_TOP_RIGHT) {
            const bool left = tile == TILE_GROUND_TOP_LEFT;
            for (int y = 0; y < T; y++) c.Set(left ? 0 : T - 1, y, s.groundDark);
            c.Set(left ? 0 : T - 1, 0, kClear);
            c.Set(left ? 1 : T - 2, 0, kClear);
            c.Set(left ? 0 : T - 1, 1, kClear);
        }
    }
    Cell under(img, TILE_GROUND_UNDER);
    under.Speckle(0, 0, T, T, s.ground, s.groundLight, s.groundDark, 7);
    under.Fill(0, T - 2, T, T, s.groundDark);
}

void Blocks(Image &img, const Style &s) {
    Cell b(img, TILE_BLOCK);
    b.Speckle(0, 0, T, T, s.block, s.blockLight, s.block, 3);
    // Two courses of bricks, the upper one offset by half a brick.
    for (int x = 0; x < T; x++) {
        b.Set(x, 7, s.blockDark);
        b.Set(x, 15, s.blockDark);
        b.Set(x, 0, s.blockLight);
        b.Set(x, 8, s.blockLight);
    }
    for (int y = 0; y < 7; y++) b.Set(4, y, s.blockDark), b.Set(12, y + 8, s.blockDark);
    for (int y = 0; y < 7; y++) b.Set(5, y, s.blockLight), b.Set(13, y + 8, s.blockLight);

    Cell p(img, TILE_PLATFORM);
    p.Fill(0, 0, T, T, kClear);
    p.Fill(0, 0, T, 6, s.wood);
    for (int x = 0; x < T; x++) {
        p.Set(x, 0, s.topLight);
        p.Set(x, 5, s.woodDark);
    }
    p.Set(7, 2, s.woodDark);
    p.Set(8, 3, s.woodDark);
    // Brackets under the ends.
    for (int y = 6; y < 11; y++) {
        p.Set(2 + (y - 6) / 2, y, s.woodDark);
        p.Set(13 - (y - 6) / 2, y, s.woodDark);
    }

    Cell x(img, TILE_BREAKABLE);
    x.Speckle(0, 0, T, T, s.blockDark, s.block, s.groundDark, 8);
    x.Frame(s.groundDark);
    // Cracks.
    const int crack[][2] = {{3, 2}, {4, 3}, {5, 4}, {5, 5}, {6, 6}, {8, 7}, {9, 8}, {9, 9}, {10, 10}, {12, 11},
                            {7, 7}, {6, 9}, {5, 10}, {4, 12}, {10, 5}, {11, 4}, {12, 3}};
    for (const auto &k : crack) x.Set(k[0], k[1], s.blockLight);

    Cell sp(img, TILE_SPIKES);
    sp.Fill(0, 0, T, T, kClear);
    for (int i = 0; i < 4; i++) {
        const int cx = 2 + 4 * i;
        for (int y = 4; y < T; y++) {
            const int half = (y - 4) / 4;
            for (int dx = -half; dx <= half; dx++) sp.Set(cx + dx, y, dx < 0 ? Rgb{200, 200, 210} : Rgb{120, 120, 136});
        }
        sp.Set(cx, 3, {240, 240, 250});
    }
    sp.Fill(0, T - 2, T, T, {70, 70, 80});
}

// Floor slopes 2..5: ground under the line (x 0 -> y1, x 16 -> y2); ceiling slopes 6..9: rock
// over the same lines.
void Slopes(Image &img, const Style &s) {
    const int lines[4][2] = {{16, 8}, {8, -2}, {8, 16}, {-2, 8}};
    for (int k = 0; k < 4; k++) {
        Cell floor(img, TILE_SLOPE_FIRST + k), ceiling(img, TILE_CEILING_SLOPE_FIRST + k);
        for (int x = 0; x < T; x++) {
            const double line = lines[k][0] + (lines[k][1] - lines[k][0]) * (x + 0.5) / 16.0;
            for (int y = 0; y < T; y++) {
                const uint32_t h = Hash(x, y, 16 + k) % 16;
                const Rgb g = h == 0 ? s.groundDark : h == 1 ? s.groundLight : s.ground;
                const double below = y + 0.5 - line;
                if (below < 0) floor.Set(x, y, kClear);
                else floor.Set(x, y, below < 1 ? s.topLight : below < 4 ? s.top : g);
                const double above = line - (y + 0.5);
                if (above < 0) ceiling.Set(x, y, kClear);
                else ceiling.Set(x, y, above < 1.5 ? s.groundDark : g);
            }
        }
    }
}

void BackWalls(Image &img, const Style &s) {
    Cell w(img, TILE_BACK_WALL), d(img, TILE_BACK_WALL_DARK);
    w.Speckle(0, 0, T, T, s.wall, s.wallLight, s.wall, 32);
    d.Speckle(0, 0, T, T, Mix(s.wall, s.wallDark, 0.6), s.wall, s.wallDark, 33);
    for (int x = 0; x < T; x++) {
        w.Set(x, T - 1, s.wallDark);
        d.Set(x, T - 1, s.wallDark);
    }
    for (int y = 0; y < T; y++) {
        w.Set(0, y, Mix(s.wall, s.wallDark, 0.4));
        d.Set(0, y, s.wallDark);
    }

    Cell win(img, TILE_WINDOW);
    win.Fill(0, 0, T, T, s.wall);
    win.Fill(2, 2, 14, 14, s.woodDark);
    win.Fill(3, 3, 13, 13, {150, 196, 236});
    win.Fill(3, 3, 13, 6, {190, 220, 246});
    win.Fill(7, 3, 9, 13, s.woodDark);
    win.Fill(3, 7, 13, 9, s.woodDark);

    Cell dt(img, TILE_DOOR_TOP), db(img, TILE_DOOR);
    dt.Fill(0, 0, T, T, s.wall);
    dt.Fill(2, 2, 14, T, s.woodDark);
    dt.Fill(3, 3, 13, T, s.wood);
    dt.Fill(7, 3, 9, T, s.woodDark);
    db.Fill(0, 0, T, T, s.wall);
    db.Fill(2, 0, 14, T, s.woodDark);
    db.Fill(3, 0, 13, T, s.wood);
    db.Fill(7, 0, 9, T, s.woodDark);
    db.Fill(10, 7, 12, 9, {230, 200, 90});

    Cell pillar(img, TILE_PILLAR);
    pillar.Fill(0, 0, T, T, s.wall);
    pillar.Fill(4, 0, 12, T, s.wood);
    pillar.Fill(4, 0, 6, T, s.woodDark);
    pillar.Fill(10, 0, 11, T, Mix(s.wood, s.wallLight, 0.4));

    Cell shelf(img, TILE_SHELF);
    shelf.Fill(0, 0, T, T, s.woodDark);
    const Rgb books[] = {{170, 50, 50}, {50, 90, 160}, {200, 170, 70}, {60, 130, 80}, {130, 70, 140}};
    for (int row = 0; row < 2; row++) {
        shelf.Fill(1, 7 + row * 8, 15, 8 + row * 8, s.wood);
        for (int i = 0; i < 6; i++) shelf.Fill(2 + i * 2, 1 + row * 8, 4 + i * 2, 7 + row * 8, books[(i + row * 2) % 5]);
    }

    Cell pic(img, TILE_PICTURE);
    pic.Fill(0, 0, T, T, s.wall);
    pic.Fill(2, 3, 14, 13, s.woodDark);
    pic.Fill(3, 4, 13, 12, {140, 190, 220});
    pic.Fill(3, 9, 13, 12, {80, 140, 70});
    for (int x = 5; x < 10; x++) pic.Set(x, 8 - std::abs(x - 7), {240, 240, 240});

    Cell lamp(img, TILE_LAMP);
    lamp.Fill(0, 0, T, T, s.wall);
    lamp.Fill(7, 0, 9, 5, s.woodDark);
    lamp.Fill(4, 5, 12, 13, {250, 214, 120});
    lamp.Fill(5, 6, 11, 12, {255, 240, 180});
    lamp.Fill(4, 5, 12, 6, s.woodDark);
    lamp.Fill(4, 12, 12, 13, s.woodDark);

    Cell bl(img, TILE_BED_LEFT), br(img, TILE_BED_RIGHT);
    bl.Fill(0, 0, T, T, s.wall);
    br.Fill(0, 0, T, T, s.wall);
    bl.Fill(1, 4, 4, T, s.woodDark);
    bl.Fill(4, 9, T, 13, {240, 240, 236});
    bl.Fill(4, 7, 10, 10, {250, 250, 250});
    bl.Fill(1, 13, T, T, s.woodDark);
    br.Fill(0, 8, 14, 13, {180, 60, 64});
    br.Fill(0, 8, 14, 9, {210, 90, 90});
    br.Fill(0, 13, T, T, s.woodDark);
    br.Fill(13, 6, 15, T, s.woodDark);

    Cell table(img, TILE_TABLE);
    table.Fill(0, 0, T, T, s.wall);
    table.Fill(0, 7, T, 9, s.wood);
    table.Fill(2, 9, 4, T, s.woodDark);
    table.Fill(12, 9, 14, T, s.woodDark);
    table.Fill(6, 4, 10, 7, {240, 240, 240});

    Cell plant(img, TILE_PLANT);
    plant.Fill(0, 0, T, T, s.wall);
    plant.Fill(5, 11, 11, T, {170, 90, 50});
    for (int i = 0; i < 20; i++) {
        const int x = 3 + (int)(Hash(i, 0, 44) % 10), y = 2 + (int)(Hash(i, 1, 44) % 9);
        plant.Set(x, y, i % 3 ? s.leaf : s.leafLight);
        plant.Set(x + 1, y, s.leafDark);
    }

    Cell fence(img, TILE_FENCE);
    fence.Fill(0, 0, T, T, kClear);
    fence.Fill(0, 5, T, 7, s.wood);
    fence.Fill(0, 11, T, 13, s.wood);
    fence.Fill(2, 2, 5, T, s.woodDark);
    fence.Fill(10, 2, 13, T, s.woodDark);

    Cell sign(img, TILE_SIGN);
    sign.Fill(0, 0, T, T, s.wall);
    sign.Fill(1, 2, 15, 12, s.woodDark);
    sign.Fill(2, 3, 14, 11, {236, 214, 160});
    // A bag of coins: the shop.
    sign.Fill(6, 5, 11, 10, {200, 160, 60});
    sign.Fill(7, 4, 10, 5, {160, 120, 40});

    Cell crate(img, TILE_CRATE);
    crate.Fill(0, 0, T, T, s.wall);
    crate.Fill(1, 3, 15, T, s.wood);
    crate.Fill(1, 3, 15, 4, s.woodDark);
    crate.Fill(1, 15, 15, T, s.woodDark);
    crate.Fill(1, 3, 2, T, s.woodDark);
    crate.Fill(14, 3, 15, T, s.woodDark);
    for (int i = 0; i < 12; i++) crate.Set(2 + i, 4 + i, s.woodDark);
}

void Village(Image &img, const Style &s) {
    const Rgb tile = {70, 76, 96}, tileLight = {108, 116, 140}, plaster = {236, 226, 204};
    for (int k = 0; k < 3; k++) {
        Cell r(img, TILE_ROOF_LEFT + k);
        r.Fill(0, 0, T, T, kClear);
        for (int y = 0; y < T; y++)
            for (int x = 0; x < T; x++) {
                // The end tiles slope down at 45 degrees.
                if (k == 0 && x < T - 1 - y) continue;
                if (k == 2 && x > y) continue;
                r.Set(x, y, (y % 4 == 0) ? tileLight : ((x + y / 4 * 2) % 6 == 0 ? Rgb{50, 54, 70} : tile));
            }
        r.Fill(0, T - 2, T, T, s.woodDark);
    }
    Cell w(img, TILE_HOUSE_WALL);
    w.Speckle(0, 0, T, T, plaster, {246, 240, 226}, {214, 202, 176}, 51);
    w.Fill(0, 0, 2, T, s.woodDark);
    w.Fill(0, 7, T, 8, s.wood);
    Cell o(img, TILE_HOUSE_WINDOW);
    o.Fill(0, 0, T, T, plaster);
    o.Fill(2, 2, 14, 14, s.woodDark);
    for (int y = 3; y < 13; y++)
        for (int x = 3; x < 13; x++) o.Set(x, y, (x % 3 == 0 || y % 3 == 0) ? s.woodDark : Rgb{250, 238, 200});
    Cell dt(img, TILE_HOUSE_DOOR_TOP), db(img, TILE_HOUSE_DOOR);
    dt.Fill(0, 0, T, T, plaster);
    dt.Fill(1, 2, 15, T, s.woodDark);
    dt.Fill(2, 3, 14, T, {90, 60, 110});
    dt.Fill(2, 3, 14, 6, {200, 60, 60});
    db.Fill(0, 0, T, T, plaster);
    db.Fill(1, 0, 15, T, s.woodDark);
    db.Fill(2, 0, 14, T, {90, 60, 110});
    db.Fill(7, 0, 9, T, {60, 40, 80});

    Cell trunk(img, TILE_TRUNK), base(img, TILE_TRUNK_BASE);
    for (Cell *c : {&trunk, &base}) {
        c->Fill(0, 0, T, T, kClear);
        c->Fill(4, 0, 12, T, s.wood);
        c->Fill(4, 0, 6, T, s.woodDark);
        c->Fill(10, 0, 12, T, Mix(s.wood, s.woodDark, 0.5));
        for (int y = 2; y < T; y += 5) c->Set(7 + y % 3, y, s.woodDark);
    }
    base.Fill(2, 12, 14, T, s.wood);
    base.Fill(2, 12, 4, T, s.woodDark);

    Cell bush(img, TILE_BUSH_BACK);
    bush.Fill(0, 0, T, T, kClear);
    for (int y = 4; y < T; y++)
        for (int x = 0; x < T; x++)
            if (std::hypot(x - 7.5, (y - 12) * 1.4) < 9) bush.Set(x, y, Hash(x, y, 57) % 5 ? s.leafDark : s.leaf);

    Cell rock(img, TILE_ROCK_BACK);
    rock.Fill(0, 0, T, T, kClear);
    for (int y = 0; y < T; y++)
        for (int x = 0; x < T; x++)
            if (std::hypot(x - 7.5, y - 9) < 7.5) rock.Set(x, y, Hash(x, y, 58) % 6 ? s.wallLight : s.wall);

    Cell sm(img, TILE_STALAGMITE);
    sm.Fill(0, 0, T, T, kClear);
    for (int y = 0; y < T; y++) {
        const int half = y / 3;
        for (int dx = -half; dx <= half; dx++) sm.Set(8 + dx, y, dx < 0 ? s.blockLight : s.block);
    }

    Cell cr(img, TILE_CRYSTAL);
    cr.Fill(0, 0, T, T, kClear);
    for (int y = 1; y < 15; y++) {
        const int half = y < 6 ? y / 2 : (15 - y) / 3;
        for (int dx = -half; dx <= half; dx++) cr.Set(8 + dx, y, dx < 0 ? Rgb{255, 255, 255} : s.accent);
    }

    Cell torch(img, TILE_TORCH);
    torch.Fill(0, 0, T, T, kClear);
    torch.Fill(7, 7, 9, T, s.woodDark);
    torch.Fill(6, 6, 10, 8, {90, 90, 90});
    for (int y = 0; y < 6; y++) {
        const int half = y / 2;
        for (int dx = -half; dx <= half; dx++) torch.Set(8 + dx, y, dx == 0 ? Rgb{255, 250, 200} : Rgb{250, 150, 40});
    }

    Cell banner(img, TILE_BANNER);
    banner.Fill(0, 0, T, T, s.wall);
    banner.Fill(2, 0, 14, 1, s.woodDark);
    banner.Fill(4, 1, 12, T, s.accent);
    banner.Fill(6, 4, 10, 8, {250, 220, 120});

    Cell cave(img, TILE_CAVE_WALL);
    cave.Speckle(0, 0, T, T, s.wall, s.wallLight, s.wallDark, 63);
}

void FrontPieces(Image &img, const Style &s) {
    for (int tile = TILE_GRASS; tile <= TILE_COBWEB; tile++) Cell(img, tile).Fill(0, 0, T, T, kClear);
    Cell grass(img, TILE_GRASS);
    for (int i = 0; i < 7; i++) {
        const int x = 1 + i * 2, h = 4 + (int)(Hash(i, 0, 64) % 5);
        for (int y = 0; y < h; y++) grass.Set(x + (y > h / 2 ? 0 : (i % 2)), T - 1 - y, y < 2 ? s.leafDark : s.leafLight);
    }
    Cell flowers(img, TILE_FLOWERS);
    for (int i = 0; i < 4; i++) {
        const int x = 2 + i * 4, h = 5 + i % 2 * 3;
        for (int y = 0; y < h; y++) flowers.Set(x, T - 1 - y, s.leafDark);
        const Rgb petal = i % 2 ? s.accent : Rgb{240, 120, 170};
        flowers.Set(x - 1, T - 1 - h, petal);
        flowers.Set(x + 1, T - 1 - h, petal);
        flowers.Set(x, T - 2 - h, petal);
        flowers.Set(x, T - h, petal);
        flowers.Set(x, T - 1 - h, {255, 250, 200});
    }
    // The canopy: leaf clusters, edges rounded off on their open side.
    for (int tile : {TILE_LEAVES, TILE_LEAVES_LEFT, TILE_LEAVES_RIGHT, TILE_LEAVES_BOTTOM}) {
        Cell c(img, tile);
        for (int y = 0; y < T; y++)
            for (int x = 0; x < T; x++) {
                if (tile == TILE_LEAVES_LEFT && x < 4 && (Hash(x, y, tile) % 4) < (uint32_t)(4 - x)) continue;
                if (tile == TILE_LEAVES_RIGHT && x > 11 && (Hash(x, y, tile) % 4) < (uint32_t)(x - 11)) continue;
                if (tile == TILE_LEAVES_BOTTOM && y > 9 && (Hash(x, y, tile) % 6) < (uint32_t)(y - 9)) continue;
                const uint32_t h = Hash(x / 2, y / 2, 66) % 6;
                c.Set(x, y, h == 0 ? s.leafLight : h < 3 ? s.leaf : s.leafDark);
            }
    }
    Cell bush(img, TILE_BUSH);
    for (int y = 6; y < T; y++)
        for (int x = 0; x < T; x++)
            if (std::hypot(x - 7.5, (y - 13) * 1.3) < 9) bush.Set(x, y, Hash(x, y, 70) % 4 ? s.leaf : s.leafLight);
    Cell st(img, TILE_STALACTITE);
    for (int y = 0; y < 12; y++) {
        const int half = (12 - y) / 3;
        for (int dx = -half; dx <= half; dx++) st.Set(8 + dx, y, dx < 0 ? s.blockLight : s.blockDark);
    }
    Cell vine(img, TILE_VINE);
    for (int y = 0; y < T; y++) {
        const int x = 7 + (int)std::lround(2 * std::sin(y * 0.7));
        vine.Set(x, y, s.leafDark);
        if (y % 4 == 1) vine.Fill(x + 1, y, x + 4, y + 2, s.leaf);
    }
    Cell pf(img, TILE_PILLAR_FRONT);
    pf.Fill(5, 0, 11, T, s.wood);
    pf.Fill(5, 0, 7, T, s.woodDark);
    Cell curtain(img, TILE_CURTAIN);
    for (int y = 0; y < T; y++)
        for (int x = 0; x < 6; x++) curtain.Set(x, y, (x + y / 5) % 3 ? Rgb{150, 40, 60} : Rgb{190, 70, 90});
    curtain.Fill(0, 0, 8, 2, s.woodDark);
    Cell rf(img, TILE_ROCK_FRONT);
    for (int y = 6; y < T; y++)
        for (int x = 0; x < T; x++)
            if (std::hypot(x - 7.5, (y - 14) * 1.2) < 8) rf.Set(x, y, Hash(x, y, 75) % 5 ? s.block : s.blockLight);
    Cell beam(img, TILE_BEAM);
    beam.Fill(0, 0, T, 6, s.wood);
    beam.Fill(0, 5, T, 6, s.woodDark);
    beam.Fill(0, 0, T, 1, Mix(s.wood, s.topLight, 0.5));
    Cell web(img, TILE_COBWEB);
    for (int i = 0; i < T; i++) {
        web.Set(i, 0, {220, 220, 220});
        web.Set(0, i, {220, 220, 220});
        web.Set(i, i, {200, 200, 200});
        if (i < 10) web.Set(i, 9 - i, {190, 190, 190});
    }
}

// Animated cells: four frames each, the belt's marks and the water's crests moving on.
void Animated(Image &img, const Style &s) {
    for (int f = 0; f < 4; f++) {
        for (int dir = 0; dir < 2; dir++) {
            Cell c(img, (dir == 0 ? TILE_CONVEYOR_RIGHT : TILE_CONVEYOR_LEFT) + f);
            c.Fill(0, 0, T, T, {70, 70, 80});
            c.Fill(0, 0, T, 2, {150, 150, 160});
            c.Fill(0, T - 2, T, T, {40, 40, 48});
            const int shift = dir == 0 ? f * 4 : -f * 4;
            for (int x = 0; x < T; x++) {
                const int phase = ((x - shift) % 8 + 8) % 8;
                if (phase < 3) c.Fill(x, 3, x + 1, 6, {230, 190, 60});
            }
            for (int x = 2; x < T; x += 6) c.Fill(x, 8, x + 3, 12, {110, 110, 124});
        }
        Cell top(img, TILE_WATER_TOP + f);
        for (int x = 0; x < T; x++) {
            const int crest = 4 + (int)std::lround(1.5 * std::sin((x + f * 4) * 6.2832 / 16));
            for (int y = 0; y < T; y++) {
                Rgb c = y < crest ? kClear : y == crest ? s.waterLight : s.water;
                if (y > crest && Hash(x, y + f, 248) % 23 == 0) c = s.waterLight;
                top.Set(x, y, c);
            }
        }
        Cell body(img, TILE_WATER + f);
        for (int y = 0; y < T; y++)
            for (int x = 0; x < T; x++) {
                const double v = std::sin((x + f * 4) * 0.39 + y * 0.8) + std::sin(y * 0.5 - f * 1.57);
                body.Set(x, y, v > 1.3 ? s.waterLight : v < -1.2 ? s.waterDark : s.water);
            }
    }
    // The cells after 255: the water's frames again, so a base tile up to 255 still animates.
    for (int k = 0; k < T; k++)
        for (int y = 0; y < T; y++)
            for (int x = 0; x < T; x++)
                img.Set((k % 16) * T + x, 16 * T + y, img.Get(((TILE_WATER + k % 4) % 16) * T + x, 15 * T + y));
}

Image TileSheet(const Style &s) {
    Image img(kDemoSheetColumns * T, kDemoSheetRows * T, kClear);
    Ground(img, s);
    GroundTops(img, s);
    Blocks(img, s);
    Slopes(img, s);
    BackWalls(img, s);
    Village(img, s);
    FrontPieces(img, s);
    Animated(img, s);
    return img;
}

// Minimap pieces: one dot per cell kind at (0..6, 0) and the player's at (0, 1); the frame.
Image MiniMapSheet() {
    Image img(kDemoSheetColumns * T, kDemoSheetRows * T, kClear);
    img.Set(0, 0, {230, 230, 230}); // solid
    img.Set(1, 0, {190, 130, 70});  // breakable
    img.Set(2, 0, {24, 30, 60});    // open, and the warp mark
    img.Set(3, 0, {24, 30, 60});
    img.Set(4, 0, {230, 60, 60});   // deadly
    img.Set(5, 0, {60, 130, 230});  // attribute 13
    img.Set(6, 0, {240, 210, 60});  // conveyor
    img.Set(0, 1, {120, 255, 120}); // the player
    for (int i = 0; i < 41; i++) {
        for (int w = 0; w < 2; w++) {
            const Rgb c = w == 0 ? Rgb{250, 230, 160} : Rgb{120, 90, 40};
            img.Set(57 + i, w, c);
            img.Set(57 + i, 40 - w, c);
            img.Set(57 + w, i, c);
            img.Set(57 + 40 - w, i, c);
        }
    }
    return img;
}

void WriteTileSheets(const DemoOptions &o) {
    const fs::path dir = o.data / "map";
    const Image room = TileSheet(kRoomStyle), field = TileSheet(kFieldStyle), cave = TileSheet(kCaveStyle);
    WriteBmp(dir / "ero.bmp", room);
    WriteBmp(dir / "kaku.bmp", field);
    WriteBmp(dir / "dou.bmp", cave);
    WriteBmp(dir / "mmap.bmp", MiniMapSheet());
    // Sheets the demo's areas do not use.
    for (const char *name : {"hakubutu.bmp", "akatukim1.bmp", "senkan.bmp", "nuka.bmp"}) WriteBmp(dir / name, room);
    for (const char *name : {"umi.bmp", "sand.bmp"}) WriteBmp(dir / name, field);
}

} // namespace

DEMO_WRITER("tile sheets", 10, WriteTileSheets);
