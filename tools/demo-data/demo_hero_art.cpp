// The hero's sheets: the sprite sheet and its second set, the darkness mask, the companion, the
// weapon in hand, the weapon icons and the shot sheet, each drawn at the cells the game reads.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/demo-data/demo_art.h"

namespace {

// ---- the hero: 16 x 16 cells, column facing + 2 x costume, row the pose ----

// Pose pictures facing right. Letters pick the costume's colours: h hair, s skin, e eye,
// t tunic, a arm (the tunic, darker), p trousers, b boots. The box the game collides
// is 6 x 12 from (5, 3); the feet are on the last row.
const char *const kPoses[11][16] = {
    {"................", "......hhhh......", ".....hhhhhh.....", ".....hhssse.....", ".....hsssss.....",
     "......ssss......", ".....tttttt.....", "....atttttta....", "....atttttta....", ".....tttttt.....",
     ".....pppppp.....", ".....pp..pp.....", ".....pp..pp.....", ".....pp..pp.....", ".....bb..bb.....",
     ".....bbb.bbb...."},
    {"................", "......hhhh......", ".....hhhhhh.....", ".....hhssse.....", ".....hsssss.....",
     "......ssss......", ".....tttttt.....", "...attttttta....", "...a.tttttt.a...", ".....tttttt.....",
     ".....pppppp.....", "....pp....pp....", "....pp....pp....", "...pp......pp...", "...bb......bb...",
     "..bbb......bbb.."},
    {"................", "......hhhh......", ".....hhhhhh.....", ".....hhssse.....", ".....hsssss.....",
     "......ssss......", ".....tttttt.....", "....attttttta...", "....attttttt.a..", ".....tttttt.....",
     ".....pppppp.....", "......pp.ppp....", "......pp...pp...", ".....pp....pp...", ".....bb.....bb..",
     "....bbb.....bbb."},
    {"......hhhh......", ".....hhhhhh.....", ".....hhsse......", ".....hsssss.....", "......ssss......",
     "................", ".....tttttt.....", "....atttttta....", "....atttttta....", ".....tttttt.....",
     ".....pppppp.....", ".....pp..pp.....", ".....pp..pp.....", ".....pp..pp.....", ".....bb..bb.....",
     ".....bbb.bbb...."},
    {"......hhhh......", ".....hhhhhh.....", ".....hhsse......", ".....hsssss.....", "......ssss......",
     "................", ".....tttttt.....", "...attttttta....", "...a.tttttt.a...", ".....tttttt.....",
     ".....pppppp.....", "....pp....pp....", "....pp....pp....", "...pp......pp...", "...bb......bb...",
     "..bbb......bbb.."},
    {"......hhhh......", ".....hhhhhh.....", ".....hhsse......", ".....hsssss.....", "......ssss......",
     "................", ".....tttttt.....", "....attttttta...", "....attttttt.a..", ".....tttttt.....",
     ".....pppppp.....", "......pp.ppp....", "......pp...pp...", ".....pp....pp...", ".....bb.....bb..",
     "....bbb.....bbb."},
    {"................", "................", "......hhhh......", ".....hhhhhh.....", ".....hhssss.....",
     ".....hsssse.....", "......ssss......", "...atttttttta...", "...a.tttttt.a...", ".....tttttt.....",
     ".....pppppp.....", "....pppppppp....", "....pp....pp....", "....bb....bb....", "....bbb...bbb...",
     "................"},
    {"................", "................", "................", "................", "......hhhh......",
     ".....hhhhhh.....", ".....hhssse.....", ".....hsssss.....", "......ssss......", "....atttttta....",
     "....atttttta....", ".....tttttt.....", "....pppppppp....", "...pp......pp...", "...bb......bb...",
     "..bbbb....bbbb.."},
    {"................", "................", "......hhhh......", ".....hhhhhh.....", "....hhsssee.....",
     ".....hssss......", "......ssss......", "..a.tttttt.a....", "...atttttta.....", ".....tttttt.....",
     ".....pppppp.....", ".....pp..pp.....", "....pp....pp....", "....pp....pp....", "....bb....bb....",
     "...bbb....bbb..."},
    {"...a........a...", "...a..hhhh..a...", "...aahhhhhhaa...", "....ahhsssea....", "....ahsssssa....",
     "....attssssta...", ".....tttttt.....", ".....tttttt.....", ".....tttttt.....", ".....tttttt.....",
     ".....pppppp.....", ".....pp..pp.....", ".....pp..pp.....", ".....pp..pp.....", ".....bb..bb.....",
     ".....bbb.bbb...."},
    {"................", "................", "................", "................", "................",
     "................", "................", "................", "................", "................",
     "................", "..hhh...........", ".hhsseetttttpppb", ".hhssstttttttppb", "..hh.aa...aa.bbb",
     "................"},
};

struct Costume {
    Rgb hair, skin, tunic, arm, trousers, boots;
};

Rgb Darker(Rgb c, double f) { return Mix(c, {0, 0, 0}, f); }

Costume CostumeColours(int costume, bool second)
{
    static const Rgb tunics[8] = {{44, 96, 196},  {186, 52, 52}, {52, 150, 78},  {200, 170, 60},
                                  {120, 70, 170}, {60, 60, 70},  {230, 230, 240}, {230, 120, 40}};
    Rgb tunic = tunics[costume & 7];
    if (second) tunic = Mix(tunic, {255, 255, 255}, 0.35);
    return {costume == 5 ? Rgb{220, 220, 230} : Rgb{96, 56, 30}, {246, 206, 164}, tunic, Darker(tunic, 0.3),
            costume == 6 ? Rgb{200, 200, 220} : Rgb{52, 46, 70}, {82, 50, 28}};
}

void DrawHero(Image &img, int x0, int y0, int pose, bool left, const Costume &c)
{
    Image cell(16, 16, kClear);
    for (int y = 0; y < 16; y++) {
        const char *row = kPoses[pose][y];
        for (int x = 0; x < 16 && row[x]; x++) {
            Rgb colour{};
            bool set = true;
            switch (row[x]) {
            case 'h': colour = c.hair; break;
            case 's': colour = c.skin; break;
            case 'e': colour = {24, 24, 40}; break;
            case 'a': colour = c.arm; break;
            case 't': colour = c.tunic; break;
            case 'p': colour = c.trousers; break;
            case 'b': colour = c.boots; break;
            case '.': set = false; break;
            default: break;
            }
            if (set) cell.Set(x, y, colour);
        }
    }
    // A dark outline where a figure pixel meets the clear colour.
    Image out = cell;
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) {
            Rgb p = cell.Get(x, y);
            if (p.r != kClear.r || p.g != kClear.g || p.b != kClear.b) continue;
            bool edge = false;
            for (int d = 0; d < 4; d++) {
                int nx = x + (d == 0) - (d == 1), ny = y + (d == 2) - (d == 3);
                if (nx < 0 || ny < 0 || nx >= 16 || ny >= 16) continue;
                Rgb q = cell.Get(nx, ny);
                if (q.r != kClear.r || q.g != kClear.g || q.b != kClear.b) edge = true;
            }
            if (edge && y < 15) out.Set(x, y, {20, 16, 28});
        }
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++) img.Set(x0 + (left ? 15 - x : x), y0 + y, out.Get(x, y));
}

void WriteHeroSheet(const fs::path &file, bool second)
{
    Image img(256, 176, kClear);
    for (int costume = 0; costume < 8; costume++) {
        Costume c = CostumeColours(costume, second);
        for (int facing = 0; facing < 2; facing++)
            for (int pose = 0; pose < 11; pose++)
                DrawHero(img, 16 * (facing + 2 * costume), 16 * pose, pose, facing == 0, c);
    }
    WriteBmp(file, img);
}

// ---- the darkness around the hero: dark, with a hole in the clear colour ----
void WriteLightMask(const fs::path &file)
{
    Image img(1024, 1024, {6, 6, 14});
    for (int y = 512 - 140; y < 512 + 140; y++)
        for (int x = 512 - 140; x < 512 + 140; x++) {
            double d = std::hypot(x - 512 + 0.5, y - 512 + 0.5);
            // Clear inside 72 px; a dithered rim to 130 px thins the dark out.
            double t = (d - 72) / 58;
            bool clear = t < 0 || (t < 1 && ((x * 7 + y * 13) % 16) / 16.0 > t);
            if (clear) img.Set(x, y, kClear);
        }
    WriteBmp(file, img);
}

// ---- the companion: 32 x 32 cells at (0, 0) (it sees the hero), (32, 0), and three wing frames
// down the first column ----
void DrawCompanionCell(Image &img, int x0, int y0, int wing, bool eyesOpen)
{
    auto disc = [&](double cx, double cy, double rx, double ry, Rgb in, Rgb rim) {
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++) {
                double d = std::hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry);
                if (d < 1) img.Set(x0 + x, y0 + y, d > 0.8 ? rim : Mix(in, rim, d * 0.6));
            }
    };
    double lift = wing == 0 ? -5 : wing == 1 ? 0 : 5;
    Rgb wingIn = {200, 240, 255}, wingRim = {90, 150, 220};
    disc(8, 13 + lift, 7, 4, wingIn, wingRim);
    disc(24, 13 + lift, 7, 4, wingIn, wingRim);
    disc(16, 17, 7, 7, {255, 240, 170}, {230, 150, 60});
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            double d = std::hypot(x + 0.5 - 16, y + 0.5 - 17);
            if (d > 8 && d < 10 && (x + y) % 3 == 0) img.Set(x0 + x, y0 + y, {255, 255, 210});
        }
    if (eyesOpen) {
        img.Fill(x0 + 13, y0 + 15, x0 + 15, y0 + 18, {30, 30, 60});
        img.Fill(x0 + 18, y0 + 15, x0 + 20, y0 + 18, {30, 30, 60});
    } else {
        img.Fill(x0 + 12, y0 + 17, x0 + 15, y0 + 18, {60, 40, 30});
        img.Fill(x0 + 18, y0 + 17, x0 + 21, y0 + 18, {60, 40, 30});
    }
}

void WriteCompanionSheet(const fs::path &file)
{
    Image img(64, 128, kClear);
    DrawCompanionCell(img, 0, 0, 1, true);
    DrawCompanionCell(img, 32, 0, 1, false);
    for (int f = 0; f < 3; f++) DrawCompanionCell(img, 0, 32 * (f + 1), f, true);
    WriteBmp(file, img);
}

// ---- the weapon in hand: 24 x 16 cells, column by class (5..9), row the direction (0..5) ----

// A weapon drawn along its pointing axis: a = distance from the hand, b = across.
struct Stroke {
    int a0, a1, b0, b1;
    Rgb colour;
};

const std::vector<Stroke> &WeaponStrokes(int column)
{
    static const std::vector<Stroke> kWeapons[5] = {
        // sword
        {{-2, 0, 0, 0, {110, 70, 40}}, {1, 1, -2, 2, {210, 180, 60}}, {2, 11, 0, 0, {230, 235, 245}},
         {2, 10, 1, 1, {150, 160, 180}}},
        // pistol
        {{0, 6, -1, 0, {60, 60, 70}}, {0, 1, 1, 2, {40, 34, 30}}, {6, 6, -1, -1, {120, 120, 130}}},
        // rifle
        {{-3, 0, 0, 1, {120, 76, 40}}, {0, 11, -1, 0, {56, 56, 66}}, {2, 3, 1, 2, {40, 40, 48}},
         {11, 12, -1, -1, {150, 150, 160}}},
        // spear
        {{-4, 9, 0, 0, {150, 100, 50}}, {10, 12, -1, 1, {220, 225, 235}}, {13, 13, 0, 0, {240, 240, 250}}},
        // bow
        {{2, 2, -6, 6, {140, 90, 40}}, {3, 3, -7, -6, {140, 90, 40}}, {3, 3, 6, 7, {140, 90, 40}},
         {0, 0, -6, 6, {230, 230, 230}}},
    };
    return kWeapons[column];
}

void WriteWeaponSheet(const fs::path &file)
{
    Image img(120, 96, kClear);
    for (int column = 0; column < 5; column++)
        for (int dir = 0; dir < 6; dir++) {
            int x0 = column * 24, y0 = dir * 16;
            bool left = dir % 2 == 0;
            // The hand in the cell's own coordinates (the cell is drawn 8 or 16 px left of the
            // hero's centre and 5, 9 or 14 px above it).
            int hx = left ? 12 : 11, hy = dir >= 4 ? 4 : dir < 2 ? 8 : 13;
            for (const Stroke &s : WeaponStrokes(column))
                for (int a = s.a0; a <= s.a1; a++)
                    for (int b = s.b0; b <= s.b1; b++) {
                        int x, y;
                        if (dir < 2) x = left ? hx - a : hx + a, y = hy + b;
                        else if (dir < 4) x = hx + (left ? -b : b), y = hy - a;
                        else x = hx + (left ? -b : b), y = hy + a;
                        if (x >= 0 && x < 24 && y >= 0 && y < 16) img.Set(x0 + x, y0 + y, s.colour);
                    }
        }
    WriteBmp(file, img);
}

// ---- the weapon icons: 16 x 15 at (16 x class, 0), class 0 empty ----
void WriteIconSheet(const fs::path &file)
{
    Image img(336, 15, kClear);
    for (int k = 1; k < 21; k++) {
        int x0 = 16 * k;
        Rgb frame = Mix({60, 70, 110}, {120, 60, 90}, k / 20.0);
        img.Fill(x0, 0, x0 + 16, 15, {20, 22, 40});
        for (int x = 0; x < 16; x++) img.Set(x0 + x, 0, frame), img.Set(x0 + x, 14, frame);
        for (int y = 0; y < 15; y++) img.Set(x0, y, frame), img.Set(x0 + 15, y, frame);
        if (k >= 5 && k <= 9) {
            // The weapon in hand, small and level.
            for (const Stroke &s : WeaponStrokes(k - 5))
                for (int a = s.a0; a <= s.a1; a++)
                    for (int b = s.b0; b <= s.b1; b++) img.Set(x0 + 3 + a, 7 + b, s.colour);
        } else if (k == 2) {
            // A grenade.
            for (int y = 0; y < 15; y++)
                for (int x = 0; x < 16; x++)
                    if (std::hypot(x - 8, y - 8.5) < 4.5) img.Set(x0 + x, y, (x + y) % 2 ? Rgb{70, 110, 50} : Rgb{50, 84, 36});
            img.Fill(x0 + 7, 2, x0 + 10, 4, {160, 160, 170});
        } else if (k == 4) {
            // A knife.
            for (int i = 0; i < 8; i++) img.Set(x0 + 4 + i, 10 - i, {230, 235, 245});
            img.Fill(x0 + 2, 10, x0 + 5, 13, {110, 70, 40});
        } else {
            // Any other class: a gem of its own colour.
            Rgb gem = Mix({240, 90, 90}, {90, 200, 240}, (k % 7) / 6.0);
            for (int y = 0; y < 15; y++)
                for (int x = 0; x < 16; x++)
                    if (std::abs(x - 8) + std::abs(y - 7) < 5) img.Set(x0 + x, y, Mix(gem, {255, 255, 255}, (y < 6) * 0.4));
        }
    }
    WriteBmp(file, img);
}

// ---- the shot sheet: a sprite at every cell the shot table names, sized as drawn ----
struct ShotCell {
    int x, y, w, h;
};
const ShotCell kShotCells[] = {
    {0, 0, 16, 16},    {160, 0, 8, 16},   {168, 0, 8, 16},   {256, 0, 16, 32},  {304, 0, 24, 8},
    {304, 8, 24, 8},   {14, 14, 2, 2},    {0, 16, 8, 8},     {48, 16, 16, 16},  {128, 16, 16, 8},
    {160, 16, 32, 16}, {304, 16, 16, 16}, {18, 18, 4, 4},    {16, 24, 4, 4},    {144, 24, 16, 8},
    {0, 32, 16, 16},   {48, 32, 16, 16},  {128, 32, 16, 16}, {160, 32, 32, 16}, {256, 32, 16, 32},
    {304, 32, 24, 16}, {0, 48, 128, 16},  {128, 48, 128, 16}, {304, 48, 24, 16}, {256, 64, 16, 16},
    {272, 64, 32, 32}, {304, 64, 16, 24}, {304, 88, 16, 24}, {256, 96, 8, 8},   {256, 104, 8, 8},
    {256, 112, 8, 32}, {264, 112, 8, 32}, {0, 160, 256, 32}, {0, 192, 64, 64},  {128, 192, 32, 32},
    {192, 192, 64, 64}, {0, 256, 32, 32}, {224, 256, 96, 96}, {0, 288, 32, 32}, {0, 320, 32, 32},
    {96, 320, 64, 64}, {0, 352, 32, 32},  {0, 384, 32, 32},  {144, 384, 32, 32}, {0, 416, 32, 32},
    {144, 416, 32, 32}, {0, 448, 16, 32},
};

void DrawShotSprite(Image &img, const ShotCell &c, int index)
{
    static const Rgb hues[6] = {{255, 230, 120}, {255, 140, 80}, {140, 220, 255},
                                {200, 140, 255}, {160, 255, 150}, {255, 120, 170}};
    Rgb core = {255, 255, 240}, hue = hues[index % 6];
    bool beam = c.w >= 4 * c.h || c.h >= 4 * c.w;
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            double u = (x + 0.5) / c.w * 2 - 1, v = (y + 0.5) / c.h * 2 - 1;
            double d = beam ? (c.w > c.h ? std::fabs(v) : std::fabs(u)) : std::hypot(u, v);
            if (d >= 1) continue;
            img.Set(c.x + x, c.y + y, d < 0.45 ? core : Mix(hue, Darker(hue, 0.5), (d - 0.45) / 0.55));
        }
}

void WriteShotSheet(const fs::path &file)
{
    Image img(512, 512, kClear);
    std::vector<int> order(std::size(kShotCells));
    for (size_t i = 0; i < order.size(); i++) order[i] = (int)i;
    // Large cells first, so a small cell inside a large one keeps its own sprite.
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        return kShotCells[a].w * kShotCells[a].h > kShotCells[b].w * kShotCells[b].h;
    });
    for (int i : order) DrawShotSprite(img, kShotCells[i], i);
    WriteBmp(file, img);
}

void WriteHeroArt(const DemoOptions &o)
{
    fs::create_directories(o.data / "eq");
    WriteHeroSheet(o.data / "MyChar.bmp", false);
    WriteHeroSheet(o.data / "mychar2.bmp", true);
    WriteLightMask(o.data / "sasshadow.bmp");
    WriteCompanionSheet(o.data / "sp.bmp");
    WriteWeaponSheet(o.data / "eq" / "arms.bmp");
    WriteIconSheet(o.data / "eq" / "ArmsImage.bmp");
    WriteShotSheet(o.data / "eq" / "tama.dds");
}

} // namespace

DEMO_WRITER("hero sheets", 10, WriteHeroArt);
