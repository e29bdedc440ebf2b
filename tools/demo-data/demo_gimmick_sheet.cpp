// The gimmick sheet "npc.bmp" (352 x 288): the sprites of the gimmick kinds the demo places,
// drawn at the cells their rows read (game/world/gimmick_kinds.h). Everything else is the key
// colour, so the default kind's cell at (32, 0) shows nothing.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "game/world/gimmick_kinds.h"
#include "tools/demo-data/demo_art.h"

namespace {

constexpr int kSheetW = 352, kSheetH = 288;

// A picture in letters, one a pixel; '.' is the key colour.
void Picture(Image &img, int x0, int y0, const char *const *rows, int h, const std::map<char, Rgb> &palette)
{
    for (int y = 0; y < h; y++)
        for (int x = 0; rows[y][x]; x++) {
            if (rows[y][x] == '.') continue;
            auto it = palette.find(rows[y][x]);
            if (it == palette.end()) {
                std::fprintf(stderr, "demo-data-gen: no colour for '%c' in the gimmick sheet\n", rows[y][x]);
                std::exit(1);
            }
            img.Set(x0 + x, y0 + y, it->second);
        }
}

// The old man, 16 x 32: white hair and beard, a brown robe, a staff; frame 1 nods.
const char *const kOldMan[2][32] = {
    {"................", "................", "................", "................", "................",
     "................", "......wwww......", ".....wwwwww.....", ".....wssssw.....", ".....sesses.....",
     ".....ssssss..t..", ".....wwwwww..t..", "......wwww...t..", ".......ww....t..", ".....rrrrrr..t..",
     "....rrrrrrrr.t..", "....rrrrrrrrht..", "...hrrrrrrrr.t..", "...h.rrrrrr..t..", ".....rrrrrr..t..",
     ".....rrbbrr..t..", ".....rrrrrr..t..", "....rrrrrrrr.t..", "....rrrrrrrr.t..", "....rrrrrrrr.t..",
     "....rrrrrrrr.t..", "...rrrrrrrrrrt..", "...rrrrrrrrrrt..", "....rrr..rrr.t..", "....kk....kk.t..",
     "...kkk....kkkt..", "................"},
    {"................", "................", "................", "................", "................",
     "................", "................", "......wwww......", ".....wwwwww.....", ".....wssssw.....",
     ".....sesses..t..", ".....ssssss..t..", ".....wwwwww..t..", "......wwww...t..", ".....rrwwrr..t..",
     "....rrrrrrrr.t..", "....rrrrrrrrht..", "...hrrrrrrrr.t..", "...h.rrrrrr..t..", ".....rrrrrr..t..",
     ".....rrbbrr..t..", ".....rrrrrr..t..", "....rrrrrrrr.t..", "....rrrrrrrr.t..", "....rrrrrrrr.t..",
     "....rrrrrrrr.t..", "...rrrrrrrrrrt..", "...rrrrrrrrrrt..", "....rrr..rrr.t..", "....kk....kk.t..",
     "...kkk....kkkt..", "................"},
};

// The child, 16 x 16, hopping on its second frame.
const char *const kChild[2][16] = {
    {"................", "................", "................", "......nnnn......", ".....nnnnnn.....",
     ".....nsssse.....", ".....ssssss.....", "......ssss......", ".....gggggg.....", "....sggggggs....",
     ".....gggggg.....", ".....pppppp.....", ".....pp..pp.....", ".....pp..pp.....", ".....kk..kk.....",
     "................"},
    {"................", "......nnnn......", ".....nnnnnn.....", ".....nsssse.....", ".....ssssss.....",
     "......ssss......", "...s.gggggg.s...", "....sggggggs....", ".....gggggg.....", ".....gggggg.....",
     ".....pppppp.....", "....pp....pp....", "....kk....kk....", "................", "................",
     "................"},
};

// The shop's red lantern.
const char *const kLantern[16] = {
    "................", ".......kk.......", "......kkkk......", ".....RRRRRR.....", "....RRRRRRRR....",
    "...RRyRRRRyRR...", "...RRRRyyRRRR...", "...RRyRRRRyRR...", "...RRRRyyRRRR...", "...RRyRRRRyRR...",
    "....RRRRRRRR....", ".....RRRRRR.....", "......kkkk......", ".......yy.......", ".......yy.......",
    "................"};

// The storage chest.
const char *const kChest[16] = {
    "................", "................", "................", "...kkkkkkkkkk...", "..kbbbbbbbbbbk..",
    "..kbbbbbbbbbbk..", "..kyyyyyyyyyyk..", "..kbbbbyybbbbk..", "..kbbbbyybbbbk..", "..kbbbbbbbbbbk..",
    "..kbbbbbbbbbbk..", "..kyyyyyyyyyyk..", "..kbbbbbbbbbbk..", "..kbbbbbbbbbbk..", "...kkkkkkkkkk...",
    "................"};

// The closed sign: a post with a crossed board.
const char *const kClosedSign[16] = {
    "................", "..kkkkkkkkkkkk..", "..kbbbbbbbbbbk..", "..kbRbbbbbbRbk..", "..kbbRbbbbRbbk..",
    "..kbbbRbbRbbbk..", "..kbbbbRRbbbbk..", "..kbbbRbbRbbbk..", "..kbbRbbbbRbbk..", "..kbRbbbbbbRbk..",
    "..kkkkkkkkkkkk..", ".......tt.......", ".......tt.......", ".......tt.......", ".......tt.......",
    "......tttt......"};

// A glowing orb over four frames (radius and glow change); centre (8, 8).
void Orb(Image &img, int x0, int y0, int frame)
{
    const double pulse[4] = {4.5, 5.5, 6.5, 5.5};
    const Rgb core = {255, 250, 200}, glow = {120, 200, 255};
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            const double d = std::hypot(x - 7.5, y - 7.5);
            if (d <= pulse[frame] - 2) img.Set(x0 + x, y0 + y, core);
            else if (d <= pulse[frame]) img.Set(x0 + x, y0 + y, Mix(core, glow, (d - pulse[frame] + 2) / 2));
            else if (d <= pulse[frame] + 1.5 && (x + y + frame) % 2 == 0) img.Set(x0 + x, y0 + y, glow);
        }
}

// The wisp, 12 x 12: a pale flame.
void Wisp(Image &img, int x0, int y0)
{
    const Rgb white = {240, 250, 255}, blue = {110, 170, 255};
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 12; x++) {
            // A drop: round below, pointed above.
            const double dx = x - 5.5, dy = y - 7.0;
            const double r = y < 7 ? 4.5 * (y + 1) / 8.0 : 4.5;
            const double d = y < 7 ? std::fabs(dx) : std::hypot(dx, dy);
            if (d <= r - 1.5) img.Set(x0 + x, y0 + y, white);
            else if (d <= r) img.Set(x0 + x, y0 + y, blue);
        }
}

// The signboard to the woods, 64 x 32: a board on two posts with an arrow and a tree.
void Signboard(Image &img, int x0, int y0)
{
    const Rgb post = {90, 60, 30}, board = {180, 130, 70}, edge = {110, 75, 40}, mark = {40, 90, 40};
    img.Fill(x0 + 8, y0 + 14, x0 + 12, y0 + 32, post);
    img.Fill(x0 + 52, y0 + 14, x0 + 56, y0 + 32, post);
    img.Fill(x0 + 2, y0 + 2, x0 + 62, y0 + 20, edge);
    img.Fill(x0 + 4, y0 + 4, x0 + 60, y0 + 18, board);
    // An arrow to the right and a small tree after it.
    img.Fill(x0 + 10, y0 + 10, x0 + 36, y0 + 12, mark);
    for (int i = 0; i < 5; i++) img.Fill(x0 + 31 + i, y0 + 6 + i, x0 + 33 + i, y0 + 16 - i, mark);
    for (int y = 0; y < 8; y++) img.Fill(x0 + 48 - y / 2, y0 + 5 + y, x0 + 50 + y / 2, y0 + 6 + y, mark);
    img.Fill(x0 + 48, y0 + 13, x0 + 50, y0 + 16, post);
}

void WriteGimmickSheet(const DemoOptions &o)
{
    Image img(kSheetW, kSheetH, kClear);
    const std::map<char, Rgb> people = {{'w', {235, 235, 235}}, {'s', {240, 200, 160}}, {'e', {40, 30, 30}},
                                        {'r', {120, 80, 50}},   {'b', {200, 170, 60}},  {'k', {50, 35, 25}},
                                        {'t', {150, 110, 60}},  {'h', {240, 200, 160}}, {'n', {90, 50, 20}},
                                        {'g', {70, 150, 80}},   {'p', {60, 70, 120}}};
    const std::map<char, Rgb> things = {{'k', {50, 35, 25}},  {'R', {200, 40, 30}}, {'y', {240, 200, 60}},
                                        {'b', {150, 100, 50}}, {'t', {110, 75, 40}}};
    // Each drawn at the cell its kinds read.
    const GimmickKind &oldMan = kGimmickKinds[170], &child = kGimmickKinds[162], &lantern = kGimmickKinds[164];
    const GimmickKind &chest = kGimmickKinds[169], &closed = kGimmickKinds[1], &orb = kGimmickKinds[35];
    const GimmickKind &wisp = kGimmickKinds[33], &sign = kGimmickKinds[12];
    for (int f = 0; f < 2; f++) Picture(img, oldMan.sheetX + 16 * f, oldMan.sheetY, kOldMan[f], 32, people);
    for (int f = 0; f < 2; f++) Picture(img, child.sheetX + 16 * f, child.sheetY, kChild[f], 16, people);
    Picture(img, lantern.sheetX, lantern.sheetY, kLantern, 16, things);
    Picture(img, chest.sheetX, chest.sheetY, kChest, 16, things);
    Picture(img, closed.sheetX, closed.sheetY, kClosedSign, 16, things);
    for (int f = 0; f < orb.frameCount; f++) Orb(img, orb.sheetX + 16 * f, orb.sheetY, f);
    Wisp(img, wisp.sheetX, wisp.sheetY);
    Signboard(img, sign.sheetX, sign.sheetY);
    WriteBmp(o.data / "npc.bmp", img);
}

} // namespace

DEMO_WRITER("gimmick sheet", 10, WriteGimmickSheet);
