// demo-data-gen FOLDER: writes the images, sounds and music the game loads, made by code.
// Text comes from the packaged Japanese font through FreeType when it is there; without it the
// font sheets and captions are left blank and everything else is still written.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/frame/sjis_glyph.h"
#include "tools/oggwrite/ogg_write.h"

namespace fs = std::filesystem;

namespace {

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

void Put16(std::vector<uint8_t> &b, uint32_t v) {
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}
void Put32(std::vector<uint8_t> &b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void WriteFileBytes(const fs::path &p, const std::vector<uint8_t> &b) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char *>(b.data()), (std::streamsize)b.size());
    if (!out) {
        fprintf(stderr, "demo-data-gen: cannot write %s\n", p.c_str());
        exit(1);
    }
}

// 24-bit bottom-up BMP.
void WriteBmp(const fs::path &p, const Image &img) {
    int stride = (img.w * 3 + 3) & ~3;
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + stride * img.h);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, (uint32_t)img.w);
    Put32(b, (uint32_t)img.h);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, (uint32_t)(stride * img.h));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = img.h - 1; y >= 0; y--) {
        for (int x = 0; x < img.w; x++) {
            Rgb c = img.Get(x, y);
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
        }
        for (int k = img.w * 3; k < stride; k++) b.push_back(0);
    }
    WriteFileBytes(p, b);
}

// ---- text through FreeType ----
FT_Library g_ft = nullptr;
FT_Face g_face = nullptr;
// A 5 x 8 bitmap face for the 8 x 8 ASCII cells: an outline font drawn at 8 pixels smears
// letters like M and W; without it the outline font is used.
FT_Face g_smallFace = nullptr;

bool OpenFont() {
    const char *candidates[] = {"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                                "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf"};
    if (FT_Init_FreeType(&g_ft) != 0) return false;
    if (FT_New_Face(g_ft, "/usr/share/fonts/X11/misc/5x8.pcf.gz", 0, &g_smallFace) != 0 ||
        g_smallFace->num_fixed_sizes < 1 || FT_Select_Size(g_smallFace, 0) != 0) {
        if (g_smallFace) FT_Done_Face(g_smallFace);
        g_smallFace = nullptr;
    }
    for (const char *c : candidates)
        if (FT_New_Face(g_ft, c, 0, &g_face) == 0) return true;
    g_face = nullptr;
    return false;
}

// Draws one code point with its pen at (x, baseline); returns the advance. mono: threshold the
// coverage so small glyphs stay crisp on a colour-keyed sheet. A face given is used at its own
// bitmap size.
int DrawGlyph(Image &img, int x, int baseline, uint32_t cp, int pixels, Rgb colour, bool mono,
              FT_Face face = nullptr) {
    if (!face) {
        if (!g_face) return pixels / 2;
        face = g_face;
        FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixels);
    }
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER | (mono ? FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME : 0)) != 0)
        return pixels / 2;
    FT_GlyphSlot g = face->glyph;
    const FT_Bitmap &bm = g->bitmap;
    for (unsigned row = 0; row < bm.rows; row++) {
        for (unsigned col = 0; col < bm.width; col++) {
            int a;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                a = (bm.buffer[row * bm.pitch + col / 8] >> (7 - col % 8)) & 1 ? 255 : 0;
            else
                a = bm.buffer[row * bm.pitch + col];
            img.Blend(x + g->bitmap_left + (int)col, baseline - g->bitmap_top + (int)row, colour, a);
        }
    }
    return (int)(g->advance.x >> 6);
}

int DrawAscii(Image &img, int x, int baseline, const char *text, int pixels, Rgb colour, bool mono = false) {
    for (const char *p = text; *p; p++) x += DrawGlyph(img, x, baseline, (unsigned char)*p, pixels, colour, mono);
    return x;
}

int MeasureAscii(const char *text, int pixels) {
    Image scratch(1, 1, {0, 0, 0});
    return DrawAscii(scratch, 0, -1000, text, pixels, {0, 0, 0});
}

// Shift-JIS (two bytes or one) -> code point, 0 when it has none.
uint32_t SjisToCodePoint(const uint8_t *bytes, size_t n) {
    static iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == (iconv_t)-1) return 0;
    char in[2] = {(char)bytes[0], (char)(n > 1 ? bytes[1] : 0)};
    char out[8] = {};
    char *ip = in, *op = out;
    size_t il = n, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == (size_t)-1 || ol != 4) return 0;
    uint32_t cp;
    memcpy(&cp, out, 4);
    return cp;
}

// Three sheets of 8 x 16 cells, 16 columns: cells 0..1023, 1024..3071, 3072..5119.
void WriteSjisSheets(const fs::path &dir) {
    Image s1(128, 1024, kClear), s3(128, 2048, kClear), s32(128, 2048, kClear);
    std::vector<bool> done(kSjisGlyphCells, false);
    for (int lead = 0x81; lead <= 0xFC; lead++) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = 0x40; trail <= 0xFC; trail++) {
            if (trail == 0x7F) continue;
            int c = lead * 256 + trail;
            int cell = SjisGlyphIndex(c);
            if (cell < 0 || done[cell]) continue;
            uint8_t b[2] = {(uint8_t)lead, (uint8_t)trail};
            uint32_t cp = SjisToCodePoint(b, 2);
            if (cp == 0) continue;
            done[cell] = true;
            Image *sheet = cell < 1024 ? &s1 : cell < 3072 ? &s3 : &s32;
            int local = cell < 1024 ? cell : cell < 3072 ? cell - 1024 : cell - 3072;
            // Full-width glyphs are squeezed into 8 x 16 cells: drawn at 16 px into a scratch
            // cell and halved horizontally.
            Image cellImg(16, 16, {0, 0, 0});
            DrawGlyph(cellImg, 0, 14, cp, 16, {255, 255, 255}, false);
            int ox = (local % 16) * 8, oy = (local / 16) * 16;
            for (int y = 0; y < 16; y++)
                for (int x = 0; x < 8; x++) {
                    int a = (cellImg.Get(2 * x, y).r + cellImg.Get(2 * x + 1, y).r) / 2;
                    if (a >= 96) sheet->Set(ox + x, oy + y, {250, 250, 250});
                }
        }
    }
    WriteBmp(dir / "font_sjis1.bmp", s1);
    WriteBmp(dir / "font_sjis3.bmp", s3);
    WriteBmp(dir / "font_sjis32.bmp", s32);
}

// 8 x 8 cells: cell c - 32 holds the character c (ASCII and half-width katakana).
void WriteAsciiSheet(const fs::path &dir) {
    Image a(128, 128, kClear);
    for (int c = 33; c < 256; c++) {
        uint32_t cp = 0;
        if (c < 0x7F) cp = (uint32_t)c;
        else if (c >= 0xA1 && c <= 0xDF) {
            uint8_t b = (uint8_t)c;
            cp = SjisToCodePoint(&b, 1);
        }
        if (cp == 0) continue;
        int cell = c - 32;
        Image g(8, 8, {0, 0, 0});
        if (g_smallFace && c < 0x7F) DrawGlyph(g, 1, 7, cp, 8, {255, 255, 255}, true, g_smallFace);
        else DrawGlyph(g, 0, 7, cp, 8, {255, 255, 255}, true);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                if (g.Get(x, y).r > 128) a.Set((cell % 16) * 8 + x, (cell / 16) * 8 + y, {255, 255, 255});
    }
    WriteBmp(dir / "asci.bmp", a);
    Image n(80, 8, kClear);
    for (int d = 0; d < 10; d++) {
        Image g(8, 8, {0, 0, 0});
        if (g_smallFace) DrawGlyph(g, 1, 7, (uint32_t)('0' + d), 8, {255, 255, 255}, true, g_smallFace);
        else DrawGlyph(g, 0, 7, (uint32_t)('0' + d), 8, {255, 255, 255}, true);
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                if (g.Get(x, y).r > 128) n.Set(d * 8 + x, y, {255, 240, 160});
    }
    WriteBmp(dir / "numberonly.bmp", n);
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {(uint8_t)(a.r + (b.r - a.r) * t), (uint8_t)(a.g + (b.g - a.g) * t), (uint8_t)(a.b + (b.b - a.b) * t)};
}

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

// ---- sounds ----
std::vector<uint8_t> Wave(const std::vector<int16_t> &pcm, int rate, int channels) {
    std::vector<uint8_t> b;
    auto tag = [&](const char *s) {
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)s[i]);
    };
    uint32_t data = (uint32_t)(pcm.size() * 2);
    tag("RIFF");
    Put32(b, 36 + data);
    tag("WAVE");
    tag("fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, (uint32_t)channels);
    Put32(b, (uint32_t)rate);
    Put32(b, (uint32_t)(rate * channels * 2));
    Put16(b, (uint32_t)(channels * 2));
    Put16(b, 16);
    tag("data");
    Put32(b, data);
    for (int16_t s : pcm) Put16(b, (uint16_t)s);
    return b;
}

int16_t Clip(double v) { return (int16_t)std::lround(std::max(-1.0, std::min(1.0, v)) * 30000); }

// Effect n: a short sweep whose pitch, length, wave and noise all follow from n, so every
// effect sounds different.
std::vector<int16_t> Effect(int n, int rate) {
    uint32_t s = 0x9E3779B9u * (uint32_t)(n + 1);
    auto rnd = [&] {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return (s & 0xFFFF) / 65535.0;
    };
    double len = 0.06 + (n % 7) * 0.035;
    double f0 = 160.0 * std::pow(2.0, (n % 24) / 6.0);
    double f1 = f0 * ((n / 24) % 2 ? 0.4 : 2.2);
    int shape = n % 4;
    double noise = (n % 5) * 0.12;
    int count = (int)(len * rate);
    std::vector<int16_t> out((size_t)count);
    double phase = 0;
    for (int i = 0; i < count; i++) {
        double t = (double)i / count;
        double f = f0 + (f1 - f0) * t;
        phase += f / rate;
        double p = phase - std::floor(phase);
        double v = shape == 0 ? std::sin(2 * M_PI * p) : shape == 1 ? (p < 0.5 ? 1 : -1) : shape == 2 ? 2 * p - 1 : 1 - 4 * std::fabs(p - 0.5);
        v = v * (1 - noise) + (rnd() * 2 - 1) * noise;
        double env = std::min(1.0, t * 40) * (1 - t) * (1 - t);
        out[(size_t)i] = Clip(0.6 * v * env);
    }
    return out;
}

// A looping tune: a chord progression with a bass line and an arpeggio, per track its own key
// and tempo. Stereo float samples.
std::vector<float> Tune(int track, int rate, double seconds) {
    static const int prog[4][3] = {{0, 4, 7}, {-3, 0, 4}, {-7, -3, 0}, {-5, -1, 2}};
    double root = 220.0 * std::pow(2.0, ((track * 5) % 12 - 5) / 12.0);
    double beat = 60.0 / (84 + (track * 13) % 60);
    int total = (int)(seconds * rate);
    std::vector<float> out((size_t)total * 2);
    for (int i = 0; i < total; i++) {
        double t = (double)i / rate;
        int b = (int)(t / beat);
        const int *chord = prog[(b / 4) % 4];
        double tb = t - b * beat;
        double arp = root * 2 * std::pow(2.0, chord[b % 3] / 12.0) * ((track % 3 == 0 && b % 8 >= 4) ? 2 : 1);
        double bass = root / 2 * std::pow(2.0, chord[0] / 12.0);
        double env = std::exp(-tb * 6);
        double lead = 0.25 * env * std::sin(2 * M_PI * arp * t) + 0.08 * env * std::sin(4 * M_PI * arp * t);
        double low = 0.22 * std::sin(2 * M_PI * bass * t) * (0.6 + 0.4 * std::exp(-tb * 3));
        double pad = 0;
        for (int k = 0; k < 3; k++) pad += 0.05 * std::sin(2 * M_PI * root * std::pow(2.0, chord[k] / 12.0) * t);
        // Fade the loop's ends a little so the wrap does not click.
        double edge = std::min(1.0, std::min(t, seconds - t) * 50);
        out[(size_t)i * 2] = (float)((lead * 0.8 + low + pad) * edge);
        out[(size_t)i * 2 + 1] = (float)((lead * 1.2 + low + pad) * edge);
    }
    return out;
}

std::vector<uint8_t> EncodeOgg(const std::vector<float> &stereo, int rate) {
    OggSpec spec;
    spec.channels = 2;
    spec.rate = rate;
    spec.tags = {{"TITLE", "Brisgal"}};
    std::vector<uint8_t> ogg = EncodeOggVorbis(stereo.data(), stereo.size() / 2, spec);
    if (ogg.empty()) {
        fprintf(stderr, "demo-data-gen: vorbis encoder set-up failed\n");
        exit(1);
    }
    return ogg;
}

void WriteSounds(const fs::path &dir, bool shortMusic) {
    const int rate = 22050;
    for (int n = 0; n < 102; n++) {
        char name[32];
        snprintf(name, sizeof name, "ukase%03d.wav", n);
        WriteFileBytes(dir / "sound" / name, Wave(Effect(n, rate), rate, 1));
    }
    const char *tracks[] = {"0", "1", "2", "3", "4", "5", "51", "6", "7", "8", "10", "12", "13"};
    double seconds = shortMusic ? 2.0 : 16.0;
    int t = 0;
    for (const char *name : tracks)
        WriteFileBytes(dir / "music" / (std::string(name) + ".ogg"), EncodeOgg(Tune(t++, 44100, seconds), 44100));
    std::vector<float> tune = Tune(9, rate, shortMusic ? 1.0 : 6.0);
    std::vector<int16_t> pcm(tune.size());
    for (size_t i = 0; i < tune.size(); i++) pcm[i] = Clip(tune[i]);
    WriteFileBytes(dir / "music" / "9.wav", Wave(pcm, rate, 2));
}

} // namespace

int main(int argc, char **argv) {
    bool shortMusic = false;
    const char *folder = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--short-music") == 0) shortMusic = true;
        else folder = argv[i];
    }
    if (!folder) {
        fprintf(stderr, "usage: demo-data-gen [--short-music] FOLDER\n  writes FOLDER/DataForWork/...\n");
        return 2;
    }
    if (!OpenFont()) fprintf(stderr, "demo-data-gen: no Japanese font found; text is left blank\n");
    fs::path data = fs::path(folder) / "DataForWork";
    fs::create_directories(data);
    WriteTitle(data);
    WriteSjisSheets(data);
    WriteAsciiSheet(data);
    WriteWindowArt(data);
    WriteSounds(data, shortMusic);
    if (g_face) FT_Done_Face(g_face);
    if (g_smallFace) FT_Done_Face(g_smallFace);
    if (g_ft) FT_Done_FreeType(g_ft);
    return 0;
}
