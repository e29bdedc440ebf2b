// The item and object sheets: every cell a field-object row names gets its sprite (coins, the
// dropped item's bag, the demo's items as they lie or fly on their own rows, crates, barrels, the
// lamp, the conveyor block, the heavy block and the frames that carry enemies); the other cells
// stay clear.
#include <cmath>
#include <map>

#include "game/world/field_object_kinds.h"
#include "game/world/object_sheets.h"
#include "tools/demo-data/demo_art.h"

namespace {

using Cell = ObjectImageCell;

// A filled disc with a darker rim and a highlight, centred in the cell.
void Disc(Image &img, const Cell &c, double r, Rgb body, Rgb rim) {
    double cx = c.x + c.w / 2.0, cy = c.y + c.h / 2.0;
    for (int y = c.y; y < c.y + c.h; y++)
        for (int x = c.x; x < c.x + c.w; x++) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (d > r) continue;
            double lit = std::hypot(x + 0.5 - (cx - r * 0.35), y + 0.5 - (cy - r * 0.35)) / (r * 1.6);
            img.Set(x, y, d > r - 1.0 ? rim : Mix({255, 255, 240}, body, std::min(1.0, lit * 1.6)));
        }
}

// A wooden crate of half-size (hw, hh) centred in the cell: planks, a frame and a cross brace.
void Crate(Image &img, const Cell &c, int hw, int hh, Rgb wood) {
    int x0 = c.x + c.w / 2 - hw, y0 = c.y + c.h / 2 - hh, x1 = x0 + 2 * hw, y1 = y0 + 2 * hh;
    Rgb dark = Mix(wood, {30, 16, 6}, 0.55), light = Mix(wood, {255, 240, 200}, 0.3);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            bool edge = x == x0 || y == y0 || x == x1 - 1 || y == y1 - 1;
            bool frame = x <= x0 + 1 || y <= y0 + 1 || x >= x1 - 2 || y >= y1 - 2;
            int dx = x - x0, dy = y - y0;
            bool brace = std::abs(dx * (y1 - y0) - dy * (x1 - x0)) <= (x1 - x0);
            bool seam = (dy % 4) == 3;
            Rgb p = edge ? dark : frame ? light : brace ? light : seam ? Mix(wood, dark, 0.5) : wood;
            img.Set(x, y, p);
        }
}

// A barrel seen from the side, as a round body: staves, two iron hoops.
void Barrel(Image &img, const Cell &c, double r) {
    double cx = c.x + c.w / 2.0, cy = c.y + c.h / 2.0;
    for (int y = c.y; y < c.y + c.h; y++)
        for (int x = c.x; x < c.x + c.w; x++) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::hypot(dx, dy);
            if (d > r) continue;
            Rgb wood = Mix({176, 104, 48}, {96, 52, 20}, std::abs(dx) / r);
            bool hoop = std::abs(std::abs(dy) - r * 0.5) < 0.8 || d > r - 1.0;
            bool stave = ((int)std::floor(dx + r) % 3) == 0;
            img.Set(x, y, hoop ? Rgb{70, 70, 80} : stave ? Mix(wood, {60, 30, 10}, 0.3) : wood);
        }
}

void Lamp(Image &img, const Cell &c) {
    int cx = c.x + c.w / 2, cy = c.y + c.h / 2;
    // A brass cap, a glowing glass and a foot, 12 x 12.
    for (int y = -6; y < 6; y++)
        for (int x = -6; x < 6; x++) {
            Rgb p;
            if (y < -3) {
                if (std::abs(x + 0.5) > 2.5 + (y + 6)) continue;
                p = {150, 110, 40};
            } else if (y < 4) {
                double d = std::hypot(x + 0.5, y - 0.5);
                p = std::abs(x + 0.5) > 5 ? Rgb{120, 90, 30} : Mix({255, 250, 200}, {250, 170, 50}, d / 5.0);
            } else {
                p = {120, 90, 30};
            }
            img.Set(cx + x, cy + y, p);
        }
}

void ConveyorBlock(Image &img, const Cell &c) {
    int x0 = c.x, y0 = c.y + 2;
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 16; x++) {
            bool edge = x == 0 || y == 0 || x == 15 || y == 11;
            bool rivet = (x == 2 || x == 13) && (y == 2 || y == 9);
            Rgb p = edge ? Rgb{30, 50, 90} : rivet ? Rgb{210, 220, 240} : Mix({90, 130, 200}, {50, 80, 150}, y / 11.0);
            img.Set(x0 + x, y0 + y, p);
        }
}

// The frame a compound body draws: a bar and two posts, as the variant's boxes lie.
void Frame(Image &img, const Cell &c, int barHalf, int barY, int postX, int postHalf, int postY) {
    int cx = c.x + c.w / 2, cy = c.y + c.h / 2;
    Rgb iron = {110, 110, 124}, dark = {50, 50, 60};
    for (int x = -barHalf; x < barHalf; x++)
        for (int y = barY - 1; y <= barY; y++) img.Set(cx + x, cy + y, y == barY ? dark : iron);
    for (int side : {-1, 1})
        for (int y = postY - postHalf; y < postY + postHalf; y++)
            for (int x = 0; x < 2; x++) img.Set(cx + side * postX - 1 + x, cy + y, x == 0 ? iron : dark);
}

void HeavyBlock(Image &img, const Cell &c) {
    int x0 = c.x + c.w / 2 - 57, y0 = c.y + c.h / 2 - 52;
    for (int y = 0; y < 104; y++)
        for (int x = 0; x < 114; x++) {
            bool edge = x < 2 || y < 2 || x >= 112 || y >= 102;
            bool rivet = (x % 24 == 8 && y % 24 == 8);
            Rgb p = edge ? Rgb{40, 40, 48} : rivet ? Rgb{200, 200, 210}
                                                   : Mix({120, 120, 132}, {80, 80, 92}, (x + y) / 218.0);
            img.Set(x0 + x, y0 + y, p);
        }
    DrawAscii(img, x0 + 30, y0 + 62, "9999", 20, {230, 200, 60});
}

void ItemBag(Image &img, const Cell &c) {
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            int row = y, half = y < 2 ? 1 : y < 3 ? 2 : 3;
            if (std::abs(x - 3.5) > half + 0.5) continue;
            img.Set(c.x + x, c.y + y, row == 2 ? Rgb{200, 40, 40} : Mix({240, 210, 140}, {170, 120, 60}, y / 7.0));
        }
}

// The demo's items on their own rows (item id + 2), 8 x 8 on the first item sheet. Letters are
// colours of IconInk, '.' is clear.
struct Icon {
    int image;
    const char *rows[8];
};

Rgb IconInk(char c) {
    switch (c) {
    case 'k': return {30, 30, 36};    // outline
    case 'n': return {120, 120, 132}; // grey
    case 's': return {196, 200, 212}; // steel
    case 'S': return {250, 250, 255}; // shine
    case 'b': return {150, 92, 44};   // wood, leather
    case 'B': return {88, 52, 22};
    case 'r': return {210, 40, 40};
    case 'R': return {120, 18, 18};
    case 'g': return {90, 160, 60};
    case 'G': return {40, 84, 30};
    case 'u': return {60, 110, 225};
    case 'U': return {28, 48, 130};
    case 'c': return {140, 220, 250};
    case 'y': return {242, 200, 60};
    case 'w': return {246, 240, 226};
    default: return kClear;
    }
}

const Icon kItemIcons[] = {
    {2, {"......Ss", ".....Ssk", "....Ssk.", "...Ssk..", "y.Ssk...", ".ySk....", ".By.....", "B..y...."}}, // blade
    {3, {"...ss...", "..s.kk..", "..GgGg..", ".gGgGgG.", ".GgGgGg.", ".gGgGgG.", "..GgGg..", "...GG..."}}, // MK2
    {4, {"........", "........", "......Sk", "BBb.SSsk", "BbBySssk", "BBb.kkk.", "........", "........"}}, // knife
    {5, {"........", ".kkkkkkk", ".nnnnnnk", ".kknkkk.", ".kbk....", ".kbk....", ".kkk....", "........"}}, // P99
    {7, {"...bb...", "..kwwk..", "..kwwk..", ".krrrrk.", ".krSrrk.", ".krrrrk.", ".krrrrk.", "..kkkk.."}}, // HP drug
    {8, {"...bb...", "..kwwk..", "..kwwk..", ".kuuuuk.", ".kuSuuk.", ".kuuuuk.", ".kuuuuk.", "..kkkk.."}}, // MP drug
    {9, {"........", ".rr..rr.", "rSrrrrrr", "rrrrrrrr", "rrrrrrrR", ".rrrrrR.", "..rrRR..", "...RR..."}}, // HP up
    {10, {"...cc...", "..cuuc..", ".cuuuuc.", "cuuSuuuc", "cuuuuuuU", ".cuuuuU.", "..cuuU..", "...UU..."}}, // MP up
    {11, {".bb..bb.", "bbbbbbbb", "bbbyybbb", ".bbBBbb.", ".bbbbbb.", ".bbbbbb.", ".bbbbbb.", ".BBBBBB."}}, // tunic
    {12, {"......k.", "......k.", "..rr..k.", ".kkkkkkk", ".knnnnnk", ".knyynnk", ".knnnnnk", ".kkkkkkk"}}, // detonator
    {13, {"kkkkkkkk", "kssyyssk", "kssyyssk", "kyyyyyyk", "kssyyssk", ".kssssk.", "..kssk..", "...kk..."}}, // shield
    {14, {"........", "kkkkkkkk", "kwkwwkwk", "kwwkkwwk", "kwwwwwwk", "kwwwwrwk", "kkkkkkkk", "........"}}, // letter
    {15, {"..kkkk..", ".kcuuuk.", "kcSuuuuk", "kcuuuuUk", "kuuuuuUk", "kuuuuUUk", ".kuUUUk.", "..kkkk.."}}, // orb
    {17, {"....G...", "...Gg...", ".rrBrr..", "rSrrrrr.", "rrrrrrr.", "rrrrrrR.", ".rrrrR..", "..rRR..."}}, // apple
    {18, {"......wS", ".....wSc", "....wwc.", "...wwc..", "..wwc...", ".wwc....", ".nc.....", "n......."}}, // feather
    {19, {"........", "........", "r.....s.", ".rbbbbbS", "r.....s.", "........", "........", "........"}}, // arrow
    {20, {"...bw...", "..b.w...", ".b..w...", ".b..w...", ".b..w...", ".b..w...", "..b.w...", "...bw..."}}, // bow
    {21, {"........", "wwwwwwww", "wuuuuuuw", "uuuuuuuu", "uuu..uuu", "uu....uu", "uu....uu", "........"}}, // drawers
    {23, {"........", "........", "......ck", "BBb.cccU", "BbBycccU", "BBb.UUU.", "........", "........"}}, // ice knife
    {24, {".rr..rr.", "rrrrrrrr", "rrryyrrr", ".rrRRrr.", ".rryyrr.", ".rrrrrr.", ".rrrrrr.", ".RRRRRR."}}, // power suit
    {25, {"........", "...uu...", ".uuuuu.u", "uSuyuuuu", "uuuuyuuu", ".uuuuu.u", "...uu...", "........"}}, // star fish
    {26, {"........", "...yy...", ".yyyyy.y", "ykyyyyyy", "yyyyyyyy", ".yyyyy.y", "...yy...", "........"}}, // golden fish
    {27, {"...nn...", "...gg...", "..gSgg..", "..gggg..", "..gwwg..", "..gggg..", "..gggg..", "...GG..."}}, // soda
    {28, {"......k.", ".....k..", ".kkkkkkk", ".knnnnnk", ".kgnrnnk", ".knnnnnk", ".kkkkkkk", "........"}}, // ECM box
    {29, {".cc..cc.", "cccccccc", "ccc..ccc", ".cc..cc.", ".cccccc.", ".cccccc.", ".cccccc.", ".cccccc."}}, // cloak
};

void ItemIcon(Image &img, const Cell &c, const Icon &icon) {
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            Rgb p = IconInk(icon.rows[y][x]);
            if (p.r != kClear.r || p.g != kClear.g || p.b != kClear.b) img.Set(c.x + x, c.y + y, p);
        }
}

void DrawImage(std::map<int, Image> &sheets, int image) {
    Cell c = CellOfObjectImage(image);
    if (c.sheet < 0) return;
    Image &img = sheets.at(c.sheet);
    switch (image) {
    case 0: Disc(img, c, 3.0, {250, 200, 40}, {150, 100, 10}); break;  // coin
    case 1: Disc(img, c, 2.0, {220, 220, 230}, {120, 120, 140}); break; // small coin
    case 16: ItemBag(img, c); break;
    case 124: Crate(img, c, 8, 8, {186, 124, 60}); break;
    case 125: Barrel(img, c, 5.0); break;
    case 126: Barrel(img, c, 7.0); break;
    case 127: Lamp(img, c); break;
    case 128: ConveyorBlock(img, c); break;
    case 129: Crate(img, c, 5, 5, {200, 150, 80}); break;
    case 130: // grenade: green with its lever
        Disc(img, c, 3.0, {70, 120, 50}, {30, 60, 20});
        img.Set(c.x + c.w / 2, c.y + c.h / 2 - 4, {200, 200, 210});
        img.Set(c.x + c.w / 2 + 1, c.y + c.h / 2 - 4, {200, 200, 210});
        break;
    case 131: // bomb: black with a lit fuse
    case 132:
        Disc(img, c, image == 131 ? 4.0 : 5.0, {60, 60, 70}, {20, 20, 24});
        img.Set(c.x + c.w / 2 + 1, c.y + c.h / 2 - (image == 131 ? 5 : 6), {250, 180, 40});
        break;
    case 133: // shard: a grey splinter
        for (int k = 0; k < 4; k++) img.Set(c.x + c.w / 2 - 2 + k, c.y + c.h / 2 + 1 - k / 2, {170, 170, 180});
        break;
    case 134: Disc(img, c, 2.0, {140, 110, 80}, {80, 60, 40}); break; // debris
    case 149: Frame(img, c, 7, -5, 7, 6, 0); break;  // the boxes of compound variant 3
    case 150: Frame(img, c, 4, -3, 4, 4, 1); break;  // and of variant 4
    case 153: HeavyBlock(img, c); break;
    case 242: Crate(img, c, 12, 12, {160, 100, 50}); break;
    default:
        for (const Icon &icon : kItemIcons)
            if (icon.image == image) ItemIcon(img, c, icon);
        break;
    }
}

void WriteObjectSheets(const DemoOptions &o) {
    // One picture per file: a file loaded twice is cut both ways from the same picture.
    std::map<std::string, std::pair<int, int>> size;
    for (const ObjectSheet &s : kObjectSheets) {
        auto &wh = size[s.path];
        wh.first = std::max(wh.first, s.columns * s.cellWidth);
        wh.second = std::max(wh.second, s.rows * s.cellHeight);
    }
    std::map<int, Image> sheets;
    std::map<std::string, int> firstOf;
    for (int s = 0; s < kObjectSheetCount; s++) {
        const auto &wh = size[kObjectSheets[s].path];
        sheets.emplace(s, Image(wh.first, wh.second, kClear));
        firstOf.emplace(kObjectSheets[s].path, s);
    }
    std::vector<bool> drawn(kObjectImageCount, false);
    for (const FieldObjectKind &k : kFieldObjectKinds)
        if (k.image >= 0 && k.image < kObjectImageCount && !drawn[(size_t)k.image]) {
            drawn[(size_t)k.image] = true;
            DrawImage(sheets, k.image);
        }
    // A file loaded twice gets what both loads put in it.
    for (int s = 0; s < kObjectSheetCount; s++) {
        int first = firstOf[kObjectSheets[s].path];
        if (first == s) continue;
        Image &into = sheets.at(first);
        const Image &from = sheets.at(s);
        for (int y = 0; y < from.h; y++)
            for (int x = 0; x < from.w; x++) {
                Rgb p = from.Get(x, y);
                if (p.r != kClear.r || p.g != kClear.g || p.b != kClear.b) into.Set(x, y, p);
            }
    }
    for (const auto &[path, s] : firstOf) {
        std::string name = path.substr(path.find('\\') + 1);
        WriteBmp(o.data / name, sheets.at(s));
    }
}

} // namespace

DEMO_WRITER("item and object sheets", 10, WriteObjectSheets);
