// Shared pieces of the demo data writers: an RGB picture, BMP and byte output, text drawn with
// the packaged fonts, and the registry each writer file adds itself to.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb kClear = {123, 250, 3};

struct Image {
    int w, h;
    std::vector<Rgb> px;
    Image(int width, int height, Rgb fill) : w(width), h(height), px((size_t)width * height, fill) {}
    void Set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[(size_t)y * w + x] = c;
    }
    Rgb Get(int x, int y) const { return px[(size_t)y * w + x]; }
    void Fill(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) Set(x, y, c);
    }
    void Blend(int x, int y, Rgb c, int a) {
        if (x < 0 || y < 0 || x >= w || y >= h || a <= 0) return;
        Rgb &d = px[(size_t)y * w + x];
        if (a >= 255) {
            d = c;
            return;
        }
        d.r = (uint8_t)((c.r * a + d.r * (255 - a)) / 255);
        d.g = (uint8_t)((c.g * a + d.g * (255 - a)) / 255);
        d.b = (uint8_t)((c.b * a + d.b * (255 - a)) / 255);
    }
};

Rgb Mix(Rgb a, Rgb b, double t);
void Put16(std::vector<uint8_t> &b, uint32_t v);
void Put32(std::vector<uint8_t> &b, uint32_t v);
void WriteFileBytes(const fs::path &p, const std::vector<uint8_t> &b);
// 24-bit bottom-up BMP.
void WriteBmp(const fs::path &p, const Image &img);

// ---- text through FreeType ----
// The Japanese outline face (null when no font is installed) and a 5 x 8 bitmap face for the
// 8 x 8 ASCII cells (an outline font drawn at 8 pixels smears letters like M and W).
extern FT_Face g_face;
extern FT_Face g_smallFace;
bool OpenFont();
void CloseFont();
// Draws one code point with its pen at (x, baseline); returns the advance. mono: threshold the
// coverage so small glyphs stay crisp on a colour-keyed sheet. A face given is used at its own
// bitmap size.
int DrawGlyph(Image &img, int x, int baseline, uint32_t cp, int pixels, Rgb colour, bool mono,
              FT_Face face = nullptr);
int DrawAscii(Image &img, int x, int baseline, const char *text, int pixels, Rgb colour, bool mono = false);
int MeasureAscii(const char *text, int pixels);
// Shift-JIS (two bytes or one) -> code point, 0 when it has none.
uint32_t SjisToCodePoint(const uint8_t *bytes, size_t n);
// A Shift-JIS text (as the sources' literals are compiled) drawn with the Japanese face; returns
// the pen's x after it. Measure gives the width without drawing.
int DrawSjis(Image &img, int x, int baseline, const char *text, int pixels, Rgb colour);
int MeasureSjis(const char *text, int pixels);

// ---- the writers ----
struct DemoOptions {
    fs::path folder; // the game's working folder (MAP/, the world-state and save files)
    fs::path data;   // folder / "DataForWork"
    bool shortMusic = false;
};
using DemoWriter = void (*)(const DemoOptions &);
// Each writer file registers itself; writers run in ascending order, then by name.
int RegisterDemoWriter(const char *name, int order, DemoWriter write);
void RunDemoWriters(const DemoOptions &options);
#define DEMO_WRITER(name, order, fn) [[maybe_unused]] static const int demoWriterAt_##fn = RegisterDemoWriter(name, order, fn)
