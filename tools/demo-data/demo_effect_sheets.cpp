// The four effect sheets: sparks, flashes, smoke, explosions, sparkles and the big full-screen
// pieces, each drawn where the effect table (or a special type's own rule) reads its frames,
// and the pop-up digits in their two rows with the minus mark.
#include <cmath>
#include <cstdint>

#include "game/world/effect_kinds.h"
#include "tools/demo-data/demo_art.h"

namespace {

// A fixed noise value 0..1 for a pixel, so dithered edges come out the same on every run.
double Noise(int x, int y, int salt) {
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + (uint32_t)salt * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

// Fills the pixels of a w x h frame whose value (0 clear .. 1 full) beats the noise; colour by value.
template <class Shade>
void Paint(Image &img, int x0, int y0, int w, int h, int salt, Shade shade) {
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double u = (x + 0.5) / w * 2 - 1, v = (y + 0.5) / h * 2 - 1;
            Rgb c;
            double a = shade(u, v, c);
            if (a > 0.999 || (a > 0 && a > Noise(x0 + x, y0 + y, salt))) img.Set(x0 + x, y0 + y, c);
        }
}

// t runs 0 (start) to 1 (end) over an animation.
void Explosion(Image &img, int x, int y, int w, int h, double t) {
    Paint(img, x, y, w, h, 1, [&](double u, double v, Rgb &c) {
        double d = std::hypot(u, v), r = 0.35 + 0.6 * t, core = 0.45 * (1 - t);
        if (d > r) return 0.0;
        double k = d / r;
        c = d < core ? Mix({255, 255, 220}, {255, 220, 90}, d / std::max(core, 0.01))
                     : Mix({255, 170, 40}, t > 0.6 ? Rgb{90, 80, 80} : Rgb{200, 50, 20}, k);
        return 1.2 - t * k * 1.1;
    });
}

void Smoke(Image &img, int x, int y, int w, int h, double t) {
    Paint(img, x, y, w, h, 2, [&](double u, double v, Rgb &c) {
        double d = std::hypot(u, v * 1.1 + 0.1 * std::sin(u * 5)), r = 0.4 + 0.55 * t;
        if (d > r) return 0.0;
        c = Mix({220, 220, 215}, {120, 118, 122}, d / r);
        return (1.3 - t * 0.6) * (1.25 - d / r);
    });
}

void Sparkle(Image &img, int x, int y, int w, int h, double t, Rgb colour) {
    double s = 1.0 - std::abs(t - 0.4) * 1.3;
    Paint(img, x, y, w, h, 3, [&](double u, double v, Rgb &c) {
        double star = std::min(std::abs(u), std::abs(v)) * 4 + std::max(std::abs(u), std::abs(v)) / std::max(s, 0.15);
        if (star > 1.0) return 0.0;
        c = star < 0.45 ? Rgb{255, 255, 255} : colour;
        return 1.0;
    });
}

void Flash(Image &img, int x, int y, int w, int h, double t, Rgb colour) {
    Paint(img, x, y, w, h, 4, [&](double u, double v, Rgb &c) {
        double d = std::hypot(u, v), a = std::atan2(v, u);
        double rays = 0.55 + 0.45 * std::abs(std::cos(a * 4));
        double r = (0.5 + 0.5 * t) * rays;
        if (d > r || d < t * 0.6 * rays) return 0.0;
        c = Mix({255, 255, 255}, colour, d / r);
        return 1.0;
    });
}

void Glow(Image &img, int x, int y, int w, int h, double t, Rgb colour) {
    Paint(img, x, y, w, h, 5, [&](double u, double v, Rgb &c) {
        double d = std::hypot(u, v), r = 0.5 + 0.4 * std::sin(t * 3.14159);
        if (d > r) return 0.0;
        c = Mix({255, 255, 230}, colour, d / r);
        return 1.3 - d / r;
    });
}

// A sweeping slash pointing left (dir -1) or right (1).
void Slash(Image &img, int x, int y, int w, int h, int dir) {
    Paint(img, x, y, w, h, 6, [&](double u, double v, Rgb &c) {
        double along = u * dir, arc = v - 0.5 * along * along + 0.2;
        if (std::abs(arc) > 0.12 + 0.2 * (1 - std::abs(along))) return 0.0;
        c = Mix({255, 255, 255}, {160, 200, 255}, std::abs(arc) * 4);
        return along > -0.9 ? 1.0 : 0.0;
    });
}

void Wind(Image &img, int x, int y, int w, int h, int phase) {
    Paint(img, x, y, w, h, 7 + phase, [&](double u, double v, Rgb &c) {
        double band = std::sin(v * 22 + std::sin(u * 3 + phase * 1.7) * 2);
        double fade = 1 - std::abs(v);
        if (band < 0.92 - 0.05 * fade) return 0.0;
        c = Mix({250, 255, 255}, {150, 220, 230}, std::abs(u));
        return fade * (1.1 - std::abs(u) * 0.6);
    });
}

void Beam(Image &img, int x, int y, int w, int h) {
    Paint(img, x, y, w, h, 9, [&](double u, double v, Rgb &c) {
        double k = std::abs(u) / (0.35 + 0.15 * std::sin(v * 9));
        if (k > 1) return 0.0;
        c = Mix({255, 255, 240}, {250, 210, 120}, k);
        return (1.1 - k) * (1 - std::abs(v) * 0.3);
    });
}

void Bubbles(Image &img, int x, int y, int w, int h) {
    for (int i = 0; i < 70; i++) {
        double bx = x + w * (0.2 + 0.6 * Noise(i, 1, 10)), by = y + h * Noise(i, 2, 10), r = 2 + 6 * Noise(i, 3, 10);
        for (int py = (int)(by - r); py <= (int)(by + r); py++)
            for (int px = (int)(bx - r); px <= (int)(bx + r); px++) {
                double d = std::hypot(px + 0.5 - bx, py + 0.5 - by);
                if (d > r || px < x || px >= x + w || py < y || py >= y + h) continue;
                img.Set(px, py, d > r - 1.2 ? Rgb{200, 240, 255} : d < r * 0.35 ? Rgb{255, 255, 255} : Rgb{90, 160, 220});
            }
    }
}

// Frames of a w x h picture at (x, y), stepping along x or y; frame 0 is the last one shown
// (the frame number falls with the life), so its t is 1.
template <class Draw>
void Frames(int x, int y, int w, int h, int count, bool alongX, Draw draw) {
    for (int f = 0; f < count; f++) {
        double t = count > 1 ? 1.0 - (double)f / (count - 1) : 0.5;
        draw(alongX ? x + f * w : x, alongX ? y : y + f * h, t);
    }
}

void TableFrames(Image &img, int type, int style) {
    const EffectKind &k = kEffectKinds[type];
    int count = std::max(1, k.frames);
    Frames(k.sheetX, k.sheetY, k.width, k.height, count, k.stepX != 0, [&](int x, int y, double t) {
        switch (style) {
        case 0: Explosion(img, x, y, k.width, k.height, t); break;
        case 1: Smoke(img, x, y, k.width, k.height, t); break;
        case 2: Sparkle(img, x, y, k.width, k.height, t, {255, 230, 120}); break;
        case 3: Flash(img, x, y, k.width, k.height, t, {255, 200, 80}); break;
        case 4: Glow(img, x, y, k.width, k.height, t, {255, 140, 40}); break;
        default: break;
        }
    });
}

void DrawDigits(Image &img, int row, Rgb colour) {
    for (int d = 0; d < 10; d++) {
        Image g(8, 8, {0, 0, 0});
        if (g_smallFace) DrawGlyph(g, 1, 7, (uint32_t)('0' + d), 8, {255, 255, 255}, true, g_smallFace);
        else DrawGlyph(g, 0, 7, (uint32_t)('0' + d), 8, {255, 255, 255}, true);
        img.Fill(d * 8, row, d * 8 + 8, row + 8, kClear);
        // A dark outline around each figure, so numbers read over any ground.
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++) {
                if (g.Get(x, y).r > 128) continue;
                bool near = false;
                for (int j = -1; j <= 1; j++)
                    for (int i = -1; i <= 1; i++)
                        if (x + i >= 0 && x + i < 8 && y + j >= 0 && y + j < 8 && g.Get(x + i, y + j).r > 128) near = true;
                if (near) img.Set(d * 8 + x, row + y, {30, 20, 20});
            }
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                if (g.Get(x, y).r > 128) img.Set(d * 8 + x, row + y, colour);
    }
}

void WriteNumberSheet(const fs::path &dir) {
    Image s(1024, 895, kClear);
    // Big pieces first.
    TableFrames(s, 43, 0);
    for (int f = 0; f < 5; f++) Explosion(s, 384, 160 + f * 128, 256, 128, 1.0 - f / 4.0); // type 16
    TableFrames(s, 1, 0);
    TableFrames(s, 15, 0);
    TableFrames(s, 30, 0);
    TableFrames(s, 20, 4);
    TableFrames(s, 25, 4);
    TableFrames(s, 44, 4);
    TableFrames(s, 40, 3);
    TableFrames(s, 38, 1);
    TableFrames(s, 39, 1);
    TableFrames(s, 24, 1);
    TableFrames(s, 21, 3);
    TableFrames(s, 22, 3);
    TableFrames(s, 23, 3);
    TableFrames(s, 42, 4);
    TableFrames(s, 28, 1);
    for (int f = 0; f < 7; f++) Smoke(s, f * 16, 48, 16, 16, f / 6.0);                              // type 6
    for (int f = 0; f < 4; f++) Flash(s, f * 16, 64, 16, 16, f / 3.0, {255, 220, 120});             // types 7, 26
    for (int f = 0; f < 4; f++) Flash(s, f * 16, 80, 16, 16, f / 3.0, {120, 180, 255});             // type 8
    for (int f = 0; f < 4; f++) Smoke(s, f * 16, 96, 16, 16, f / 3.0);                              // type 9
    for (int f = 0; f < 4; f++) Glow(s, f * 16, 112, 16, 16, 0.25 + f / 6.0, {120, 220, 255});      // types 10-12
    Slash(s, 64, 64, 16, 16, -1);                                                                    // types 33, 36
    Slash(s, 80, 64, 16, 16, 1);                                                                     // types 34, 37
    for (int f = 0; f < 6; f++) Sparkle(s, f * 8, 40, 8, 8, f / 5.0, {255, 240, 160});             // types 5, 35
    Sparkle(s, 80, 40, 8, 8, 0.4, {255, 230, 120});                                                 // type 27
    Sparkle(s, 104, 40, 8, 8, 0.4, {160, 230, 255});                                                // type 32
    const Rgb rarity[5] = {{240, 240, 240}, {120, 240, 120}, {110, 170, 255}, {220, 120, 255}, {255, 210, 60}};
    for (int e = 0; e < 5; e++) Sparkle(s, 112 + e * 8, 40, 8, 8, 0.4, rarity[e]);                  // types 46-50
    TableFrames(s, 41, 2);
    TableFrames(s, 45, 2);
    for (int f = 0; f < 4; f++) Sparkle(s, 89 + f * 8, 1, 7, 6, f / 3.0, {255, 250, 200});          // type 13
    // Sparks (types 2, 4) and the small dot of type 3.
    const Rgb spark[4] = {{255, 255, 200}, {255, 220, 80}, {255, 160, 40}, {255, 255, 255}};
    for (int i = 0; i < 4; i++) s.Fill(80 + 2 * i, 0, 82 + 2 * i, 2, spark[i]);
    s.Fill(80, 2, 83, 5, {255, 230, 120});
    s.Set(80, 2, {255, 255, 255});
    // Fragments of type 14: a chip and the chip turned.
    s.Fill(121, 0, 125, 4, {140, 100, 60});
    s.Fill(121, 0, 123, 2, {200, 160, 110});
    s.Fill(125, 0, 129, 4, kClear);
    s.Fill(126, 1, 128, 4, {140, 100, 60});
    DrawDigits(s, 0, {255, 255, 255});
    DrawDigits(s, 192, {255, 90, 80});
    s.Fill(2, 80, 5, 83, kClear); // the minus mark: a bar through the middle of 3 x 3
    s.Fill(2, 81, 5, 82, {255, 255, 255});
    WriteBmp(dir / "number.dds", s);
}

void WriteOtherSheets(const fs::path &dir) {
    Image tall(512, 1024, kClear);
    Beam(tall, 0, 0, 256, 1024);     // type 18
    Bubbles(tall, 256, 0, 256, 1024); // type 19
    WriteBmp(dir / "number2.dds", tall);

    Image back(512, 1280, kClear);
    TableFrames(back, 31, 0);
    WriteBmp(dir / "back4.dds", back);

    Image wind(512, 1024, kClear);
    Wind(wind, 0, 0, 512, 512, 0); // type 17's two frames
    Wind(wind, 0, 512, 512, 512, 1);
    WriteBmp(dir / "kaze.dds", wind);
}

void WriteEffectSheets(const DemoOptions &o) {
    WriteNumberSheet(o.data);
    WriteOtherSheets(o.data);
}

} // namespace

DEMO_WRITER("effect sheets", 10, WriteEffectSheets);
