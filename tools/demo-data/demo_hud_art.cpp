// The HUD's pictures: the bar sheet "life.bmp" (the bar at (16, 0), its frame at (0, 8), the
// boss icon at (0, 32)), the caption strips "map\subti.bmp" (320 x 32 each, white text drawn
// transparent over the scene) and the cast roll "map\cast.bmp" (128 x 1410).
#include <cmath>

#include "tools/demo-data/demo_art.h"

namespace {

Image BarSheet() {
    Image img(40, 48, kClear);
    // The bar: a red-to-orange fill with a highlight; drawn as wide as the value.
    for (int y = 0; y < 8; y++)
        for (int x = 16; x < 32; x++) img.Set(x, y, y == 2 ? Rgb{255, 190, 170} : Mix({230, 40, 40}, {160, 10, 20}, y / 7.0));
    // Its frame: an outline with a clear inside.
    for (int x = 0; x < 16; x++) {
        img.Set(x, 8, {250, 240, 220});
        img.Set(x, 15, {90, 70, 60});
    }
    for (int y = 8; y < 16; y++) {
        img.Set(0, y, {250, 240, 220});
        img.Set(15, y, {90, 70, 60});
    }
    // The boss icon: a horned skull.
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 18; x++) {
            const double d = std::hypot(x - 8.5, (y - 7) * 1.1);
            if (d < 6.5) img.Set(x, 32 + y, {236, 230, 214});
            if ((x == 2 || x == 15) && y < 6) img.Set(x, 32 + y + 1, {200, 60, 60});
        }
    img.Fill(5, 38, 8, 41, {20, 10, 10});
    img.Fill(10, 38, 13, 41, {20, 10, 10});
    img.Fill(6, 43, 12, 46, {236, 230, 214});
    for (int x = 6; x < 12; x += 2) img.Set(x, 44, {20, 10, 10});
    return img;
}

// Text with a dark outline, so it reads over any scene.
void OutlinedText(Image &img, int x, int baseline, const char *text, int pixels) {
    for (int dy = -1; dy <= 1; dy++)
        for (int dx = -1; dx <= 1; dx++)
            if (dx || dy) DrawSjis(img, x + dx, baseline + dy, text, pixels, {10, 10, 30});
    DrawSjis(img, x, baseline, text, pixels, {250, 250, 250});
}

// The captions the story shows, one strip each (strip n at y 32 n).
constexpr const char *kCaptions[] = {
    "むかし　むらに　いいつたえが　あった",
    "ほらあなの　ぬしが　めざめる　とき",
    "もりは　くらく　しずまりかえっていた",
    "そして　ふたりは　たびだった",
    "ながい　よるが　あけた",
    "おわり",
};

Image Captions() {
    const int count = (int)(sizeof kCaptions / sizeof kCaptions[0]);
    Image img(320, 32 * count, kClear);
    for (int i = 0; i < count; i++) {
        const int w = MeasureSjis(kCaptions[i], 13);
        OutlinedText(img, (320 - w) / 2, 32 * i + 21, kCaptions[i], 13);
    }
    return img;
}

struct CastLine {
    const char *text;
    bool heading;
};

constexpr CastLine kCast[] = {
    {"ブリスガル", true},   {"", false},           {"しゅじんこう", true}, {"ヴェダ", false},
    {"あいぼう", true},     {"シエル", false},     {"むらの　ひとびと", true}, {"どうぐや　ゴロウ", false},
    {"くらの　ばん　ハナ", false}, {"ものしり　じいさん", false}, {"もりの　いきもの", true}, {"キノコ", false},
    {"コウモリ", false},    {"いしころ", false},   {"ほらあなの　ぬし", true}, {"ガルド", false},
    {"", false},            {"つくった　ひと", true}, {"ブリスガル", false}, {"プロジェクト", false},
    {"", false},            {"あそんで　くれて", true}, {"ありがとう", true},
};

Image CastRoll() {
    Image img(128, 1410, kClear);
    int y = 250;
    for (const CastLine &l : kCast) {
        if (*l.text) {
            const int px = l.heading ? 12 : 11;
            const int w = MeasureSjis(l.text, px);
            OutlinedText(img, (128 - w) / 2, y, l.text, px);
            if (l.heading) img.Fill((128 - w) / 2, y + 3, (128 + w) / 2, y + 4, {240, 200, 90});
        }
        y += l.heading ? 48 : 40;
    }
    // A small crest at the end.
    for (int yy = 0; yy < 40; yy++)
        for (int x = 0; x < 40; x++)
            if (std::hypot(x - 19.5, yy - 19.5) < 18 && std::hypot(x - 19.5, yy - 19.5) > 14) img.Set(44 + x, 1300 + yy, {240, 200, 90});
    return img;
}

void WriteHudArt(const DemoOptions &o) {
    WriteBmp(o.data / "life.bmp", BarSheet());
    WriteBmp(o.data / "map" / "subti.bmp", Captions());
    WriteBmp(o.data / "map" / "cast.bmp", CastRoll());
}

} // namespace

DEMO_WRITER("HUD pictures", 10, WriteHudArt);
