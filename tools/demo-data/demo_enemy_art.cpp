// The enemies' seven sheets, each creature drawn at the cells its kind row names (enemy_kinds.h):
// the field's mushroom, bat and vine, the cave's stone and hanging mushroom, ガルド with its
// crystals, the body riders, the spare creatures, the giant, and the life bars.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "game/actors/enemy_kinds.h"
#include "tools/demo-data/demo_art.h"

namespace {

constexpr Rgb kInk = {24, 18, 30};

bool IsClear(Rgb c) { return c.r == kClear.r && c.g == kClear.g && c.b == kClear.b; }
Rgb Shade(Rgb c, double f) { return f >= 0 ? Mix(c, {255, 255, 255}, f) : Mix(c, {0, 0, 0}, -f); }

// A cell drawn on its own picture, then placed: outlined, and turned left-right or upside down.
struct Cell {
    Image img;
    explicit Cell(int w, int h) : img(w, h, kClear) {}
    // An ellipse lit from its top left.
    void Ball(double cx, double cy, double rx, double ry, Rgb c, double light = 0.35) {
        for (int y = 0; y < img.h; y++)
            for (int x = 0; x < img.w; x++) {
                const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry, d = u * u + v * v;
                if (d > 1) continue;
                const double lit = std::clamp(-(u + v) * 0.5 * light + (1 - d) * 0.15 - 0.1, -0.45, 0.6);
                img.Set(x, y, Shade(c, lit));
            }
    }
    void Box(int x0, int y0, int x1, int y1, Rgb c) { img.Fill(x0, y0, x1, y1, c); }
    // A triangle, filled.
    void Tri(double ax, double ay, double bx, double by, double cx, double cy, Rgb c) {
        for (int y = 0; y < img.h; y++)
            for (int x = 0; x < img.w; x++) {
                const double px = x + 0.5, py = y + 0.5;
                const double d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by);
                const double d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy);
                const double d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay);
                const bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
                if (!(neg && pos)) img.Set(x, y, c);
            }
    }
    void Eye(int x, int y, int size, Rgb white = {250, 250, 240}, Rgb pupil = kInk) {
        img.Fill(x, y, x + size, y + size, white);
        img.Fill(x + size / 2, y + size / 3, x + size / 2 + std::max(1, size / 2), y + size, pupil);
    }
    void Outline() {
        Image out = img;
        for (int y = 0; y < img.h; y++)
            for (int x = 0; x < img.w; x++) {
                if (!IsClear(img.Get(x, y))) continue;
                for (int d = 0; d < 4; d++) {
                    const int nx = x + (d == 0) - (d == 1), ny = y + (d == 2) - (d == 3);
                    if (nx >= 0 && ny >= 0 && nx < img.w && ny < img.h && !IsClear(img.Get(nx, ny))) {
                        out.Set(x, y, kInk);
                        break;
                    }
                }
            }
        img = out;
    }
    void Place(Image &sheet, int x0, int y0, bool mirror = false, bool flip = false) const {
        for (int y = 0; y < img.h; y++)
            for (int x = 0; x < img.w; x++) {
                const Rgb c = img.Get(mirror ? img.w - 1 - x : x, flip ? img.h - 1 - y : y);
                if (!IsClear(c)) sheet.Set(x0 + x, y0 + y, c);
            }
    }
};

// A kind's cell at frame (column, row) on its sheet.
int CellX(int kind, int column) { return kEnemyKinds[kind].sourceX + 2 * kEnemyKinds[kind].anchorX * column; }
int CellY(int kind, int row) { return kEnemyKinds[kind].sourceY + 2 * kEnemyKinds[kind].anchorY * row; }

// ---- the mushroom: four steps, facing right (row 1) and left (row 0) ----
Cell Mushroom(int step, Rgb cap, Rgb spots, Rgb stem)
{
    Cell c(16, 16);
    c.Box(4, 8, 12, 13, stem);
    c.Box(5, 13, 11, 14, Shade(stem, -0.15));
    c.Box(8, 9, 9, 12, kInk);
    c.Box(10, 9, 11, 12, kInk);
    c.Ball(8, 5.5, 7.5, 4.5, cap);
    c.Box(1, 7, 15, 8, Shade(cap, -0.35));
    for (auto [x, y] : {std::pair{3, 4}, {8, 2}, {11, 4}, {6, 5}}) c.Box(x, y, x + 2, y + 2, spots);
    const int feet[4][2] = {{4, 9}, {5, 8}, {4, 9}, {3, 10}};
    c.Box(feet[step][0], 14, feet[step][0] + 3, 16, {92, 58, 34});
    c.Box(feet[step][1], 14, feet[step][1] + 3, 16, {92, 58, 34});
    c.Outline();
    return c;
}

// ---- the bat: wings up, level, down ----
Cell Bat(int frame)
{
    Cell c(16, 16);
    const Rgb wing = {96, 62, 128}, body = {62, 40, 86};
    const double tip = frame == 0 ? 2 : frame == 1 ? 7 : 12;
    c.Tri(8, 8, 0.5, tip, 3, 10, wing);
    c.Tri(8, 8, 15.5, tip, 13, 10, wing);
    c.Tri(2, tip + 1, 5, 10, 8, 9, Shade(wing, 0.2));
    c.Tri(14, tip + 1, 11, 10, 8, 9, Shade(wing, 0.2));
    c.Ball(8, 9, 3.5, 3.5, body);
    c.Tri(5.5, 7, 6.5, 4, 7.5, 7, body);
    c.Tri(8.5, 7, 9.5, 4, 10.5, 7, body);
    c.Box(6, 8, 7, 9, {255, 210, 60});
    c.Box(9, 8, 10, 9, {255, 210, 60});
    c.Outline();
    return c;
}

// ---- the stone: resting, crouched, in the air ----
Cell Stone(int frame)
{
    Cell c(16, 16);
    const Rgb grey = {132, 128, 138};
    if (frame == 0) c.Ball(8, 10, 7, 5.5, grey);
    else if (frame == 1) c.Ball(8, 11.5, 7.5, 4, grey);
    else c.Ball(8, 8.5, 6, 7, grey);
    const int eyeY = frame == 1 ? 10 : frame == 2 ? 6 : 8;
    c.Eye(5, eyeY, 2);
    c.Eye(9, eyeY, 2);
    c.Box(6, eyeY + 3, 10, eyeY + 4, {70, 60, 70});
    c.Box(4, frame == 1 ? 9 : 7, 6, frame == 1 ? 10 : 8, Shade(grey, 0.4));
    c.Outline();
    return c;
}

// ---- the vine: its seed, a link, its thorny bulb ----
Cell Seed(int frame)
{
    Cell c(16, 16);
    c.Tri(8, 1, 3, 5, 7, 6, {70, 150, 60});
    c.Tri(8, 1, 13, 4, 9, 6, {90, 170, 70});
    c.Ball(8, 9.5, 6.5, 5.5, {60, 130, 56});
    if (frame == 0) {
        c.Box(6, 7, 10, 11, {250, 244, 200});
        c.Box(8, 8, 10, 10, {150, 20, 30});
    } else {
        c.Box(6, 9, 10, 10, kInk); // blinking
    }
    c.Outline();
    return c;
}

Cell Link()
{
    Cell c(8, 8);
    c.Ball(4, 4, 3.5, 3.5, {58, 110, 48});
    c.Box(3, 2, 5, 3, {110, 170, 80});
    c.Outline();
    return c;
}

Cell Bulb()
{
    Cell c(16, 16);
    for (int i = 0; i < 8; i++) {
        const double a = i * 3.14159265 / 4;
        c.Tri(8 + 7.5 * std::cos(a), 8 + 7.5 * std::sin(a), 8 + 3 * std::cos(a + 0.5), 8 + 3 * std::sin(a + 0.5),
              8 + 3 * std::cos(a - 0.5), 8 + 3 * std::sin(a - 0.5), {220, 210, 190});
    }
    c.Ball(8, 8, 5, 5, {150, 60, 150});
    c.Box(6, 6, 8, 8, {240, 180, 240});
    c.Outline();
    return c;
}

// ---- ガルド: a great cave salamander facing left; its row 1 is the angry one ----
Cell Garudo(int step, bool angry)
{
    Cell c(96, 64);
    const Rgb skin = angry ? Rgb{168, 56, 40} : Rgb{120, 72, 50}, belly = angry ? Rgb{230, 150, 90} : Rgb{208, 170, 120};
    c.Tri(78, 30, 95, 22, 82, 46, Shade(skin, -0.2)); // the tail
    const int lift = step == 0 ? 0 : 2;
    for (int leg = 0; leg < 4; leg++) {
        const int x = 30 + leg * 16 + ((leg % 2 == 0) == (step == 0) ? 0 : 3);
        c.Box(x, 46, x + 8, 62 - ((leg % 2 == 0) ? lift : 0), Shade(skin, -0.3));
        c.Box(x - 2, 58 - ((leg % 2 == 0) ? lift : 0), x + 10, 62 - ((leg % 2 == 0) ? lift : 0), Shade(skin, -0.45));
    }
    c.Ball(54, 36, 30, 15, skin);
    c.Ball(54, 44, 24, 6, belly, 0.1);
    for (int x = 34; x < 80; x += 9) c.Tri(x, 23, x + 4, 14, x + 8, 23, Shade(skin, 0.25)); // the ridge
    c.Ball(20, 34, 17, 12, skin);
    c.Box(4, 40, 30, 43, belly);                                            // the jaw
    for (int x = 6; x < 28; x += 4) c.Tri(x, 40, x + 2, 44 + angry, x + 4, 40, {245, 240, 225}); // teeth
    c.Box(10, 26, 17, 32, angry ? Rgb{255, 70, 40} : Rgb{255, 220, 60});
    c.Box(12, 27, 14, 32, kInk);
    c.Outline();
    return c;
}

Cell Crystal(Rgb hue)
{
    Cell c(16, 16);
    c.Tri(8, 0.5, 2, 8, 14, 8, Shade(hue, 0.3));
    c.Tri(8, 15.5, 2, 8, 14, 8, Shade(hue, -0.2));
    c.Tri(8, 2, 5, 8, 8, 8, Shade(hue, 0.7));
    c.Outline();
    return c;
}

// ---- the riders of field objects' bodies ----
Cell Imp(Rgb body)
{
    Cell c(16, 16);
    c.Tri(4, 7, 3, 1, 7, 5, {230, 220, 200});
    c.Tri(12, 7, 13, 1, 9, 5, {230, 220, 200});
    c.Ball(8, 9, 6, 6, body);
    c.Eye(5, 7, 2, {255, 240, 120});
    c.Eye(9, 7, 2, {255, 240, 120});
    c.Box(6, 12, 10, 13, kInk);
    c.Outline();
    return c;
}

// ---- the spare creatures: a golem, a slime, a sentinel ----
Cell Golem()
{
    Cell c(32, 32);
    c.Box(4, 12, 28, 30, {110, 104, 96});
    c.Box(8, 2, 24, 13, {126, 120, 110});
    c.Box(0, 14, 5, 26, {96, 90, 84});
    c.Box(27, 14, 32, 26, {96, 90, 84});
    c.Box(11, 6, 14, 9, {120, 220, 255});
    c.Box(18, 6, 21, 9, {120, 220, 255});
    for (int y = 16; y < 30; y += 5) c.Box(4, y, 28, y + 1, {80, 76, 70});
    c.Outline();
    return c;
}

Cell Slime()
{
    Cell c(16, 16);
    c.Tri(8, 2, 1, 15, 15, 15, {80, 200, 110});
    c.Ball(8, 11, 7, 4.5, {80, 200, 110});
    c.Eye(5, 9, 2);
    c.Eye(9, 9, 2);
    c.Outline();
    return c;
}

Cell Sentinel()
{
    Cell c(16, 16);
    c.Ball(8, 8, 7, 7, {150, 150, 170});
    c.Ball(8, 8, 4, 4, {250, 250, 250});
    c.Ball(8, 8, 2, 2, {200, 30, 40}, 0);
    c.Outline();
    return c;
}

// ---- the giant: a two-headed stone titan, 256 x 256 ----
Cell Giant()
{
    Cell c(256, 256);
    const Rgb stone = {116, 110, 124};
    c.Box(70, 190, 110, 250, Shade(stone, -0.3)); // legs
    c.Box(146, 190, 186, 250, Shade(stone, -0.3));
    c.Box(58, 236, 118, 252, Shade(stone, -0.45));
    c.Box(138, 236, 198, 252, Shade(stone, -0.45));
    c.Ball(128, 140, 84, 72, stone);
    c.Ball(34, 150, 26, 60, Shade(stone, -0.15)); // arms
    c.Ball(222, 150, 26, 60, Shade(stone, -0.15));
    c.Ball(26, 214, 22, 18, Shade(stone, -0.25));
    c.Ball(230, 214, 22, 18, Shade(stone, -0.25));
    for (int head = 0; head < 2; head++) {
        const double hx = head == 0 ? 88 : 168;
        c.Ball(hx, 60, 34, 32, Shade(stone, 0.1));
        c.Box((int)hx - 20, 50, (int)hx - 8, 60, {255, 140, 40});
        c.Box((int)hx + 8, 50, (int)hx + 20, 60, {255, 140, 40});
        c.Box((int)hx - 16, 74, (int)hx + 16, 80, {60, 40, 50});
    }
    for (int i = 0; i < 6; i++) c.Box(100 + i * 10, 120 + (i % 2) * 20, 106 + i * 10, 170, Shade(stone, 0.25));
    c.Outline();
    return c;
}

// ---- the life bars: the small frame and fill, the boss frame and fill ----
Image LifeBars()
{
    Image img(32, 16, kClear);
    img.Fill(0, 0, 12, 3, kInk);
    img.Fill(1, 1, 11, 2, {70, 50, 60});
    img.Fill(1, 3, 11, 4, {230, 60, 60});
    img.Fill(0, 9, 32, 13, kInk);
    img.Fill(1, 10, 31, 12, {70, 50, 60});
    img.Fill(1, 13, 31, 14, {250, 120, 50});
    img.Fill(1, 14, 31, 15, {200, 50, 40});
    return img;
}

void WriteEnemySheets(const DemoOptions &o)
{
    const fs::path folder = o.data / "Obj";
    fs::create_directories(folder);
    auto file = [&](int sheet) {
        std::string name = kEnemySheetFiles[sheet];
        return folder / name.substr(name.rfind('\\') + 1);
    };

    Image field(128, 96, kClear);
    for (int step = 0; step < 4; step++) {
        const Cell m = Mushroom(step, {204, 52, 44}, {250, 240, 230}, {240, 222, 186});
        m.Place(field, CellX(KIND_WALKER, step), CellY(KIND_WALKER, 0), true);
        m.Place(field, CellX(KIND_WALKER, step), CellY(KIND_WALKER, 1));
    }
    for (int frame = 0; frame < 3; frame++) Bat(frame).Place(field, CellX(KIND_BAT, frame), CellY(KIND_BAT, 0));
    for (int frame = 0; frame < 2; frame++)
        Seed(frame).Place(field, CellX(KIND_CHAIN_ROOT, frame), CellY(KIND_CHAIN_ROOT, 0));
    Link().Place(field, CellX(KIND_CHAIN_LINK, 0), CellY(KIND_CHAIN_LINK, 0));
    Bulb().Place(field, CellX(KIND_CHAIN_TIP, 0), CellY(KIND_CHAIN_TIP, 0));
    WriteBmp(file(SHEET_FIELD), field);

    Image boss(256, 128, kClear);
    for (int row = 0; row < 2; row++)
        for (int step = 0; step < 2; step++) Garudo(step, row == 1).Place(boss, CellX(KIND_BOSS, step), CellY(KIND_BOSS, row));
    Crystal({90, 210, 230}).Place(boss, CellX(KIND_BOSS_SPINE_1, 0), CellY(KIND_BOSS_SPINE_1, 0));
    Crystal({170, 120, 240}).Place(boss, CellX(KIND_BOSS_SPINE_2, 0), CellY(KIND_BOSS_SPINE_2, 0));
    Crystal({110, 230, 140}).Place(boss, CellX(KIND_BOSS_SPINE_3, 0), CellY(KIND_BOSS_SPINE_3, 0));
    WriteBmp(file(SHEET_BOSS), boss);

    Image cave(64, 48, kClear);
    for (int frame = 0; frame < 3; frame++) Stone(frame).Place(cave, CellX(KIND_JUMPER, frame), CellY(KIND_JUMPER, 0));
    for (int step = 0; step < 4; step++) {
        // Upside down on the ceiling.
        const Cell m = Mushroom(step, {110, 70, 170}, {170, 240, 250}, {200, 200, 220});
        m.Place(cave, CellX(KIND_CEILING_WALKER, step), CellY(KIND_CEILING_WALKER, 0), true, true);
        m.Place(cave, CellX(KIND_CEILING_WALKER, step), CellY(KIND_CEILING_WALKER, 1), false, true);
    }
    WriteBmp(file(SHEET_CAVE), cave);

    Image riders(48, 16, kClear);
    Imp({200, 90, 60}).Place(riders, CellX(120, 0), CellY(120, 0));
    Imp({70, 110, 200}).Place(riders, CellX(121, 0), CellY(121, 0));
    Imp({90, 170, 90}).Place(riders, CellX(143, 0), CellY(143, 0));
    WriteBmp(file(SHEET_RIDERS), riders);

    Image last(64, 48, kClear);
    Golem().Place(last, CellX(90, 0), CellY(90, 0));
    Slime().Place(last, CellX(39, 0), CellY(39, 0));
    Sentinel().Place(last, CellX(93, 0), CellY(93, 0));
    WriteBmp(file(SHEET_LAST), last);

    Image giant(256, 256, kClear);
    Giant().Place(giant, CellX(KIND_GIANT, 0), CellY(KIND_GIANT, 0));
    WriteBmp(file(SHEET_GIANT), giant);

    WriteBmp(file(SHEET_LIFE_BARS), LifeBars());
}

} // namespace

DEMO_WRITER("enemy sheets", 40, WriteEnemySheets);
