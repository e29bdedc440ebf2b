// The title picture with its cursor, and the message window and cursor sheets.
#include <cmath>

#include "tools/demo-data/demo_art.h"

namespace {

// Title art: a 190 x 256 picture at (2, 0) (drawn at (64, 16) on the 320 x 240 screen) with
// the name and the three menu words, and the 8 x 8 cursor at (192, 0).
void WriteTitle(const fs::path &dir) {
    Image t(256, 256, {0, 0, 0});
    const int x0 = 2, w = 190;
    uint32_t seed = 7;
    auto rnd = [&] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int y = 0; y < 256; y++)
        for (int x = x0; x < x0 + w; x++) t.Set(x, y, Mix({10, 14, 48}, {92, 40, 88}, y / 255.0));
    for (int i = 0; i < 70; i++) {
        int sx = x0 + (int)(rnd() % w), sy = (int)(rnd() % 120);
        t.Set(sx, sy, {230, 230, 255});
    }
    // Moon and far mountains.
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++) {
            double d = std::hypot(x - 20, y - 20);
            if (d < 13) t.Set(x0 + 150 + x, 2 + y, Mix({255, 250, 210}, {240, 220, 150}, d / 13));
        }
    for (int x = x0; x < x0 + w; x++) {
        int hm = 180 + (int)(18 * std::sin(x * 0.045) + 9 * std::sin(x * 0.13 + 1));
        for (int y = hm; y < 256; y++) t.Set(x, y, Mix({34, 20, 60}, {14, 8, 26}, (y - hm) / 80.0));
        int hn = 212 + (int)(10 * std::sin(x * 0.07 + 2) + 5 * std::sin(x * 0.21));
        for (int y = hn; y < 256; y++) t.Set(x, y, {8, 6, 16});
    }
    // The name, with a shadow, centred in the upper part.
    const char *name = "Brisgal";
    int nw = MeasureAscii(name, 34);
    int nx = x0 + (w - nw) / 2;
    DrawAscii(t, nx + 2, 58, name, 34, {20, 8, 30});
    DrawAscii(t, nx, 56, name, 34, {250, 214, 120});
    for (int x = nx; x < nx + nw; x++) t.Set(x, 62, {200, 150, 80});
    // Menu words: the cursor is drawn at (187, 105 + 21 n) on screen, i.e. (125, 89 + 21 n) here.
    const char *menu[3] = {"NEW GAME", "CONTINUE", "KEY CONFIG"};
    for (int i = 0; i < 3; i++) {
        int base = 89 + 21 * i + 8;
        DrawAscii(t, x0 + 138, base + 1, menu[i], 9, {10, 6, 20});
        DrawAscii(t, x0 + 137, base, menu[i], 9, {235, 235, 245});
    }
    DrawAscii(t, x0 + 46, 218, "(C) BRISGAL PROJECT", 8, {150, 140, 180});
    // Cursor: a small gold arrow pointing right. The title draws it opaque, so its ground is the
    // sky behind the middle menu word rather than the transparent colour.
    t.Fill(192, 0, 200, 8, Mix({10, 14, 48}, {92, 40, 88}, (89 + 21 + 4) / 255.0));
    for (int y = 0; y < 8; y++) {
        int reach = y < 4 ? y : 7 - y;
        for (int x = 0; x <= reach * 2 && x < 8; x++) t.Set(192 + 1 + x, y, {255, 210, 90});
    }
    t.Fill(200, 0, 256, 256, kClear);
    t.Fill(192, 8, 200, 256, kClear);
    WriteBmp(dir / "title.bmp", t);
}

// Window sheet: fill cell at (1, 1), a frame around it, the "more" mark at (0, 32);
// cursor sheet: the 16 x 16 cursor at (16, 0), markers at (32, 0) and (32, 8).
void WriteWindowArt(const fs::path &dir) {
    Image win(64, 64, kClear);
    win.Fill(0, 0, 32, 32, {200, 200, 220});
    win.Fill(1, 1, 31, 31, {16, 24, 72});
    for (int y = 0; y < 8; y++)
        for (int x = y / 2; x < 8 - y / 2; x++) win.Set(x, 32 + y, {250, 230, 120});
    WriteBmp(dir / "win.dds", win);
    Image cur(64, 16, kClear);
    for (int y = 0; y < 16; y++) {
        int reach = y < 8 ? y : 15 - y;
        for (int x = 0; x <= reach; x++) cur.Set(16 + 2 + x, y, {255, 220, 100});
    }
    for (int y = 1; y < 7; y++)
        for (int x = 1; x < 7; x++) {
            cur.Set(32 + x, y, {240, 80, 80});
            cur.Set(32 + x, 8 + y, {80, 200, 240});
        }
    WriteBmp(dir / "cursor.dds", cur);
}

void WriteTitleArt(const DemoOptions &o) {
    WriteTitle(o.data);
    WriteWindowArt(o.data);
}

} // namespace

DEMO_WRITER("title and windows", 10, WriteTitleArt);
