// Pictures of the full-screen effects, the screen effect and the wipes: the six flash pictures
// of "kakubakuhatu.bmp" (320 x 240 cells, 2 columns x 3 rows, faint to full), the moon rows
// "getu.bmp" and its drifting picture "getu2.bmp", the mist rows "rev.bmp", the screen effect's
// "mad.dds" (a 128 x 512 strip at its left, rows for the wave), the wipe's six growing blocks
// "fade.bmp" and its cover "fade2.bmp".
#include <algorithm>
#include <cmath>

#include "tools/demo-data/demo_art.h"

namespace {

// Flash k of 6: a burst from the centre, orange to white as k grows; every pixel opaque.
void Flash(Image &img, int x0, int y0, int k) {
    const double t = k / 5.0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            const double d = std::hypot(x - 160, (y - 120) * 1.2) / 200;
            const double rays = 0.08 * std::sin(std::atan2(y - 120, x - 160) * 12);
            const double heat = std::clamp(1.0 - d + rays + t * 0.9, 0.0, 1.0);
            Rgb c = heat > 0.85 ? Mix({255, 220, 120}, {255, 255, 255}, (heat - 0.85) / 0.15)
                                : Mix(Mix({60, 10, 10}, {240, 110, 30}, heat / 0.85), {255, 240, 200}, t * t);
            img.Set(x0 + x, y0 + y, c);
        }
}

// A large moon on the key colour.
Image Moon() {
    Image img(512, 512, kClear);
    for (int y = 0; y < 512; y++)
        for (int x = 0; x < 512; x++) {
            const double d = std::hypot(x - 300, y - 220);
            if (d > 150) continue;
            Rgb c = Mix({255, 250, 220}, {220, 210, 170}, d / 150);
            const int craters[][3] = {{250, 180, 30}, {340, 260, 22}, {300, 150, 14}, {230, 270, 18}};
            for (const auto &cr : craters)
                if (std::hypot(x - cr[0], y - cr[1]) < cr[2]) c = Mix(c, {170, 160, 130}, 0.5);
            img.Set(x, y, c);
        }
    return img;
}

// Branches and a flight of birds crossing the moon.
Image MoonPicture() {
    Image img(512, 512, kClear);
    const Rgb ink = {16, 12, 24};
    for (int x = 0; x < 260; x++) {
        const int y = 420 - (int)(x * 0.55 + 12 * std::sin(x * 0.05));
        for (int t = 0; t < 6 - x / 60; t++) img.Set(x, y + t, ink);
        if (x % 40 == 20)
            for (int k = 0; k < 30; k++) img.Set(x + k, y - k / 2, ink);
    }
    for (int i = 0; i < 9; i++) {
        const int bx = 300 + (i * 53) % 170, by = 100 + (i * 37) % 180;
        for (int k = -6; k <= 6; k++) img.Set(bx + k, by - (6 - std::abs(k)) / 2, ink);
    }
    return img;
}

// Bands of pale mist, sparse enough to sway over the world.
Image Mist() {
    Image img(512, 512, kClear);
    for (int y = 0; y < 512; y++)
        for (int x = 0; x < 512; x++) {
            const double v = std::sin(y * 0.09) + 0.6 * std::sin(x * 0.03 + y * 0.02);
            if (v > 1.1 && ((x + y) % 3 == 0)) img.Set(x, y, {200, 220, 240});
        }
    return img;
}

// The screen effect: a hanging scroll in the strip, rings of haze for the wave.
Image Haze() {
    Image img(512, 512, kClear);
    for (int y = 0; y < 512; y++)
        for (int x = 128; x < 512; x++) {
            const double r = std::hypot(x - 320, y - 256);
            if (std::fmod(r, 24) < 2.5) img.Set(x, y, Mix({180, 120, 220}, {120, 200, 220}, r / 300));
        }
    img.Fill(8, 0, 120, 512, {230, 222, 196});
    img.Fill(4, 0, 124, 10, {110, 70, 40});
    img.Fill(4, 502, 124, 512, {110, 70, 40});
    for (int i = 0; i < 5; i++)
        DrawSjis(img, 48, 60 + i * 90, i % 2 ? "静" : "夢", 40, {30, 20, 20});
    return img;
}

void WriteEffectPictures(const DemoOptions &o) {
    const fs::path dir = o.data / "map";
    Image flash(640, 720, {0, 0, 0});
    for (int k = 0; k < 6; k++) Flash(flash, (k % 2) * 320, (k / 2) * 240, k);
    WriteBmp(dir / "kakubakuhatu.bmp", flash);
    WriteBmp(dir / "getu.bmp", Moon());
    WriteBmp(dir / "getu2.bmp", MoonPicture());
    WriteBmp(dir / "rev.bmp", Mist());
    WriteBmp(o.data / "mad.dds", Haze());
    // Six block frames growing from a dot to the whole cell.
    Image blocks(96, 16, kClear);
    const int sizes[6] = {2, 4, 8, 11, 14, 16};
    for (int f = 0; f < 6; f++) {
        const int a = (16 - sizes[f]) / 2;
        blocks.Fill(f * 16 + a, a, f * 16 + a + sizes[f], a + sizes[f], {8, 8, 16});
    }
    WriteBmp(o.data / "fade.bmp", blocks);
    Image cover(64, 48, {8, 8, 16});
    WriteBmp(o.data / "fade2.bmp", cover);
}

} // namespace

DEMO_WRITER("effect pictures", 10, WriteEffectPictures);
