// The demo data writers' shared pieces: BMP output, text drawing, the writer registry.
#include "tools/demo-data/demo_art.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

Rgb Mix(Rgb a, Rgb b, double t) {
    return {(uint8_t)(a.r + (b.r - a.r) * t), (uint8_t)(a.g + (b.g - a.g) * t), (uint8_t)(a.b + (b.b - a.b) * t)};
}

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


FT_Library g_ft = nullptr;
FT_Face g_face = nullptr;
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

void CloseFont() {
    if (g_face) FT_Done_Face(g_face);
    if (g_smallFace) FT_Done_Face(g_smallFace);
    if (g_ft) FT_Done_FreeType(g_ft);
    g_face = g_smallFace = nullptr;
    g_ft = nullptr;
}

int DrawGlyph(Image &img, int x, int baseline, uint32_t cp, int pixels, Rgb colour, bool mono, FT_Face face) {
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


int DrawAscii(Image &img, int x, int baseline, const char *text, int pixels, Rgb colour, bool mono) {
    for (const char *p = text; *p; p++) x += DrawGlyph(img, x, baseline, (unsigned char)*p, pixels, colour, mono);
    return x;
}

int MeasureAscii(const char *text, int pixels) {
    Image scratch(1, 1, {0, 0, 0});
    return DrawAscii(scratch, 0, -1000, text, pixels, {0, 0, 0});
}

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

int DrawSjis(Image &img, int x, int baseline, const char *text, int pixels, Rgb colour) {
    const uint8_t *p = reinterpret_cast<const uint8_t *>(text);
    while (*p) {
        const bool lead = (*p >= 0x81 && *p <= 0x9F) || (*p >= 0xE0 && *p <= 0xFC);
        const size_t n = lead && p[1] ? 2 : 1;
        const uint32_t cp = SjisToCodePoint(p, n);
        if (cp == ' ' || cp == 0x3000) x += cp == ' ' ? pixels / 3 : pixels;
        else if (cp != 0) x += DrawGlyph(img, x, baseline, cp, pixels, colour, false);
        p += n;
    }
    return x;
}

int MeasureSjis(const char *text, int pixels) {
    Image scratch(1, 1, {0, 0, 0});
    return DrawSjis(scratch, 0, -1000, text, pixels, {0, 0, 0});
}

namespace {
struct WriterEntry {
    std::string name;
    int order;
    DemoWriter write;
};
std::vector<WriterEntry> &Writers() {
    static std::vector<WriterEntry> writers;
    return writers;
}
} // namespace

int RegisterDemoWriter(const char *name, int order, DemoWriter write) {
    Writers().push_back({name, order, write});
    return (int)Writers().size();
}

void RunDemoWriters(const DemoOptions &options) {
    std::vector<WriterEntry> list = Writers();
    std::sort(list.begin(), list.end(), [](const WriterEntry &a, const WriterEntry &b) {
        return a.order != b.order ? a.order < b.order : a.name < b.name;
    });
    for (const WriterEntry &w : list) w.write(options);
}
