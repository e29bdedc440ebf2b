#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "library/graphics/pixel_convert.h"

namespace {

COLOURFORMAT Masks(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    COLOURFORMAT f{};
    MakeColourFormatFromMasks(&f, bits, r, g, b, a);
    return f;
}

struct Block {
    COLOURFORMAT format;
    int width, height, pitch;
    std::vector<uint8_t> bytes;
    Block(const COLOURFORMAT &f, int w, int h) : format(f), width(w), height(h), pitch(w * f.bytesPerPixel + 3) {
        bytes.assign((size_t)pitch * h, 0);
    }
    uint32_t Get(int x, int y) const {
        return LoadPixelValue(bytes.data() + (size_t)y * pitch + (size_t)x * format.bytesPerPixel, format.bytesPerPixel);
    }
    void Set(int x, int y, uint32_t v) {
        StorePixelValue(bytes.data() + (size_t)y * pitch + (size_t)x * format.bytesPerPixel, format.bytesPerPixel, v);
    }
};

struct Flags {
    int mirror = 0, key = 0;
    uint32_t keyColour = 0;
    int dither = 0, colourOff = 0, redAsAlpha = 0, skip = 0, remap = 0;
};

int Convert(Block &dst, const Block &src, const Flags &fl = {}, const Block *alpha = nullptr, int dx = 0, int dy = 0) {
    RECT r{0, 0, src.width, src.height};
    return ConvertPixelBlock(dst.bytes.data(), dst.pitch, &dst.format, src.bytes.data(), src.pitch, &src.format,
                             alpha ? alpha->bytes.data() : nullptr, alpha ? alpha->pitch : 0,
                             alpha ? &alpha->format : nullptr, dx, dy, &r, fl.mirror, fl.key, fl.keyColour, fl.dither,
                             fl.colourOff, fl.redAsAlpha, fl.skip, fl.remap);
}

const COLOURFORMAT kArgb8 = [] { COLOURFORMAT f{}; MakeColourFormatARGB8(&f); return f; }();
const COLOURFORMAT kXrgb8 = [] { COLOURFORMAT f{}; MakeColourFormatXRGB8(&f); return f; }();
const COLOURFORMAT kRgb24 = [] { COLOURFORMAT f{}; MakeColourFormatRGB24(&f); return f; }();
const COLOURFORMAT kR5G6B5 = Masks(16, 0xF800, 0x07E0, 0x001F, 0);
const COLOURFORMAT kX1R5G5B5 = Masks(16, 0x7C00, 0x03E0, 0x001F, 0);
const COLOURFORMAT kA1R5G5B5 = Masks(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
const COLOURFORMAT kA4R4G4B4 = Masks(16, 0x0F00, 0x00F0, 0x000F, 0xF000);

// The general rule written out plainly, for one field.
uint32_t RefFit(uint32_t v, int from, int to) {
    if (from == 0 || to == 0) return 0;
    if (to <= from) return v >> (from - to);
    int d = to - from;
    return (v << d) + v * ((1u << d) - 1) / ((1u << from) - 1);
}

uint32_t RefConvert(const COLOURFORMAT &d, const COLOURFORMAT &s, uint32_t v) {
    auto field = [&](uint32_t m, int sh, int w) { return w ? (v & m) >> sh : 0; };
    uint32_t out = d.freeMask;
    out |= RefFit(field(s.redMask, s.redShift, s.redWidth), s.redWidth, d.redWidth) << d.redShift;
    out |= RefFit(field(s.greenMask, s.greenShift, s.greenWidth), s.greenWidth, d.greenWidth) << d.greenShift;
    out |= RefFit(field(s.blueMask, s.blueShift, s.blueWidth), s.blueWidth, d.blueWidth) << d.blueShift;
    if (d.alphaWidth) {
        uint32_t a = s.alphaWidth ? RefFit(field(s.alphaMask, s.alphaShift, s.alphaWidth), s.alphaWidth, d.alphaWidth)
                                  : (1u << d.alphaWidth) - 1;
        out |= a << d.alphaShift;
    }
    return out;
}

}  // namespace

TEST(ConvertPixelBlock, SpecExamples) {
    Block src(kArgb8, 1, 1), dst(kR5G6B5, 1, 1);
    src.Set(0, 0, 0xFFFF8040u);
    ASSERT_EQ(Convert(dst, src), 0);
    EXPECT_EQ(dst.Get(0, 0), (31u << 11) | (32u << 5) | 8u);

    Block white(kR5G6B5, 1, 1), out(kXrgb8, 1, 1);
    white.Set(0, 0, 0xFFFF);
    Convert(out, white);
    EXPECT_EQ(out.Get(0, 0), 0xFFFFFFFFu);

    RECT empty{2, 0, 2, 1};
    EXPECT_EQ(ConvertPixelBlock(dst.bytes.data(), dst.pitch, &dst.format, src.bytes.data(), src.pitch, &src.format,
                                nullptr, 0, nullptr, 0, 0, &empty, 0, 0, 0, 0, 0, 0, 0, 0),
              -1);
}

TEST(ConvertPixelBlock, GeneralRuleOnEveryCommonPair) {
    const COLOURFORMAT formats[] = {kArgb8, kXrgb8, kRgb24, kR5G6B5, kX1R5G5B5, kA1R5G5B5, kA4R4G4B4,
                                    Masks(32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000)};
    std::mt19937 rng(5);
    for (const COLOURFORMAT &s : formats) {
        for (const COLOURFORMAT &d : formats) {
            // Wide enough to take the table loops as well as small blocks.
            for (int w : {3, 300}) {
                Block src(s, w, 2), dst(d, w, 2);
                for (int y = 0; y < 2; ++y)
                    for (int x = 0; x < w; ++x) src.Set(x, y, rng());
                Convert(dst, src);
                bool raw = s.bitsPerPixel == d.bitsPerPixel && s.redMask == d.redMask && s.greenMask == d.greenMask &&
                           s.blueMask == d.blueMask;
                for (int y = 0; y < 2; ++y)
                    for (int x = 0; x < w; ++x) {
                        uint32_t v = src.Get(x, y);
                        uint32_t want = raw ? v : RefConvert(d, s, v);
                        ASSERT_EQ(dst.Get(x, y), want) << "bits " << s.bitsPerPixel << "->" << d.bitsPerPixel << " x " << x;
                    }
            }
        }
    }
}

TEST(ConvertPixelBlock, TransparentColourKeysAlpha) {
    for (int w : {2, 200}) {
        Block src(kRgb24, w, 1), dst(kArgb8, w, 1);
        for (int x = 0; x < w; ++x) src.Set(x, 0, x % 2 ? 0xFF00FFu : 0xFE00FFu);
        Flags fl;
        fl.key = 1;
        fl.keyColour = 0xFF00FF;
        Convert(dst, src, fl);
        for (int x = 0; x < w; ++x) EXPECT_EQ(dst.Get(x, 0), x % 2 ? 0x00FF00FFu : 0xFFFE00FFu);
    }
    // In a 5-bit source the key compares the kept bits.
    Block src(kX1R5G5B5, 1, 1), dst(kArgb8, 1, 1);
    src.Set(0, 0, 0x7C1F);
    Flags fl;
    fl.key = 1;
    fl.keyColour = 0xF800F8;
    Convert(dst, src, fl);
    EXPECT_EQ(dst.Get(0, 0) >> 24, 0u);
    // A source with alpha keeps its own alpha; the key is ignored.
    Block s2(kArgb8, 1, 1), d2(kArgb8, 1, 1);
    s2.Set(0, 0, 0x80FF00FF);
    Convert(d2, s2, fl);
    EXPECT_EQ(d2.Get(0, 0), 0x80FF00FFu);
}

TEST(ConvertPixelBlock, AlphaImageRedAsAlphaAndColourOff) {
    for (int w : {2, 100}) {
        Block src(kRgb24, w, 1), alpha(kRgb24, w, 1), dst(kA4R4G4B4, w, 1);
        for (int x = 0; x < w; ++x) {
            src.Set(x, 0, 0x123456);
            alpha.Set(x, 0, (uint32_t)(x * 2 % 256) << 16 | 0x00FFFF);
        }
        Convert(dst, src, {}, &alpha);
        for (int x = 0; x < w; ++x) ASSERT_EQ(dst.Get(x, 0), (uint32_t)((x * 2 % 256) >> 4) << 12 | 0x0135) << x;

        Flags fl;
        fl.redAsAlpha = 1;
        fl.colourOff = 1;
        Convert(dst, src, fl);
        for (int x = 0; x < w; ++x) ASSERT_EQ(dst.Get(x, 0), 0x1000u);
    }
}

TEST(ConvertPixelBlock, MirrorSkipAndPosition) {
    for (int w : {4, 120}) {
        Block src(kXrgb8, w, 1), dst(kRgb24, w + 2, 2);
        for (int x = 0; x < w; ++x) src.Set(x, 0, (uint32_t)x);
        Flags fl;
        fl.mirror = 1;
        Convert(dst, src, fl, nullptr, 1, 1);
        for (int x = 0; x < w; ++x) ASSERT_EQ(dst.Get(1 + x, 1), (uint32_t)(w - 1 - x));
        EXPECT_EQ(dst.Get(0, 1), 0u);

        Block d2(kArgb8, w, 1);
        for (int x = 0; x < w; ++x) d2.Set(x, 0, 0xDEADBEEF);
        Flags sk;
        sk.skip = 1;
        sk.keyColour = 2;  // the raw value of source pixel 2
        Convert(d2, src, sk);
        EXPECT_EQ(d2.Get(2, 0), 0xDEADBEEFu);
        EXPECT_EQ(d2.Get(3, 0), 3u);  // same red, green and blue layout: the free byte arrives as alpha
    }
}

TEST(ConvertPixelBlock, PalettesRemapAndExpand) {
    COLOURFORMAT p1{}, p2{};
    MakeColourFormatPalette8(&p1);
    MakeColourFormatPalette8(&p2);
    p1.palette[1] = {0, 0, 255, 0};  // red
    p1.palette[2] = {255, 0, 0, 0};  // blue
    p2.palette[5] = {255, 0, 0, 0};
    p2.palette[6] = {0, 0, 250, 0};
    Block src(p1, 3, 1), dst(p2, 3, 1);
    src.Set(0, 0, 1);
    src.Set(1, 0, 2);
    src.Set(2, 0, 0);
    Flags fl;
    fl.remap = 1;
    Convert(dst, src, fl);
    EXPECT_EQ(dst.Get(0, 0), 6u);
    EXPECT_EQ(dst.Get(1, 0), 5u);
    EXPECT_EQ(dst.Get(2, 0), 0u);
    Convert(dst, src);  // without the flag the indices are copied
    EXPECT_EQ(dst.Get(0, 0), 1u);

    for (int w : {3, 90}) {
        Block s(p1, w, 1), d(kR5G6B5, w, 1);
        for (int x = 0; x < w; ++x) s.Set(x, 0, x % 3);
        Convert(d, s);
        const uint32_t want[3] = {0, 0xF800, 0x001F};
        for (int x = 0; x < w; ++x) ASSERT_EQ(d.Get(x, 0), want[x % 3]);
    }
    // Many bytes to one: nearest entry.
    Block s3(kRgb24, 1, 1), d3(p2, 1, 1);
    s3.Set(0, 0, 0xF00000);
    Convert(d3, s3);
    EXPECT_EQ(d3.Get(0, 0), 6u);
}

TEST(ConvertPixelBlock, DitheringRaisesButNeverOverflows) {
    Block src(kXrgb8, 8, 4), dst(kR5G6B5, 8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) src.Set(x, y, 0xFFFFFFFF);
    for (int mode : {DITHER_ORDERED, DITHER_CARRY}) {
        Flags fl;
        fl.dither = mode;
        Convert(dst, src, fl);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.Get(x, y), 0xFFFFu);
    }
    // Red 4 drops the bits 100: the ordered matrix raises where its threshold is below 4.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) src.Set(x, y, 0x040000);
    Flags fl;
    fl.dither = DITHER_ORDERED;
    Convert(dst, src, fl);
    const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(dst.Get(x, y) >> 11, (8 * m[y][x % 4]) >> 4 < 4 ? 1u : 0u);
    // Carry: 4 of 8 per pixel, so every second pixel is raised.
    fl.dither = DITHER_CARRY;
    Convert(dst, src, fl);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.Get(x, 0) >> 11, x % 2 ? 1u : 0u);
}

TEST(CopyBaseImageRect, ClipsAtEverySide) {
    BASEIMAGE src{}, dst{};
    ASSERT_EQ(AllocBaseImageXRGB8(8, 2, &src), 0);
    ASSERT_EQ(AllocBaseImageXRGB8(8, 2, &dst), 0);
    for (int x = 0; x < 8; ++x) WriteBaseImagePixel(&src, x, 0, x, 0, 0, 0);
    EXPECT_EQ(CopyBaseImageRect(-3, 0, 8, 1, 0, 0, &src, &dst), 0);
    // 3 pixels further right, 3 fewer.
    EXPECT_EQ(ReadPixelARGB(&dst, 2, 0), 0u);
    for (int x = 3; x < 8; ++x) EXPECT_EQ(ReadPixelARGB(&dst, x, 0), (uint32_t)(x - 3) << 16);
    ClearBaseImageRect(&dst, 0, 0, 8, 2);
    EXPECT_EQ(CopyBaseImageRect(0, 0, 8, 1, -2, 1, &src, &dst), 0);
    EXPECT_EQ(ReadPixelARGB(&dst, 0, 1), 0x020000u);
    EXPECT_EQ(CopyBaseImageRect(0, 0, 8, 1, 9, 0, &src, &dst), 0);  // nothing left
    EXPECT_EQ(CopyBaseImageRect(6, 0, 8, 1, 0, 0, &src, &dst), 0);
    EXPECT_EQ(ReadPixelARGB(&dst, 1, 0), 0x070000u);
    EXPECT_EQ(ReadPixelARGB(&dst, 2, 0), 0u);
    FreeBaseImage(&src);
    FreeBaseImage(&dst);
}

TEST(StretchBaseImage, NearestBilinearAndRefusals) {
    BASEIMAGE src{}, dst{};
    ASSERT_EQ(AllocBaseImageXRGB8(2, 2, &src), 0);
    ASSERT_EQ(AllocBaseImageXRGB8(4, 4, &dst), 0);
    WriteBaseImagePixel(&src, 0, 0, 10, 0, 0, 0);
    WriteBaseImagePixel(&src, 1, 0, 20, 0, 0, 0);
    WriteBaseImagePixel(&src, 0, 1, 30, 0, 0, 0);
    WriteBaseImagePixel(&src, 1, 1, 40, 0, 0, 0);
    ASSERT_EQ(StretchBaseImage(0, 0, 2, 2, &src, 0, 0, 4, 4, &dst, 0), 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            int r;
            ReadBaseImagePixel(&dst, x, y, &r, nullptr, nullptr, nullptr);
            EXPECT_EQ(r, 10 * (1 + x / 2 + 2 * (y / 2)));
        }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) WriteBaseImagePixel(&src, x, y, 255, 255, 255, 0);
    ASSERT_EQ(StretchBaseImage(0, 0, 2, 2, &src, 0, 0, 4, 4, &dst, 1), 0);
    int r, g;
    ReadBaseImagePixel(&dst, 3, 3, &r, &g, nullptr, nullptr);
    EXPECT_EQ(r, 254);
    EXPECT_EQ(StretchBaseImage(0, 0, 3, 2, &src, 0, 0, 4, 4, &dst, 0), -1);
    EXPECT_EQ(StretchBaseImage(1, 0, 1, 2, &src, 0, 0, 4, 4, &dst, 0), -1);
    EXPECT_EQ(StretchBaseImage(0, 0, 2, 2, &src, -1, 0, 4, 4, &dst, 0), -1);
    FreeBaseImage(&src);
    FreeBaseImage(&dst);
}

TEST(HalveBaseImageBlt, AveragesWithinMasks) {
    COLOURFORMAT f = kArgb8;
    uint32_t src[4] = {0xFF000000u, 0x01020304u, 0xFF0000FFu, 0x03040506u};  // 2x2
    uint32_t out = 0;
    ASSERT_EQ(HalveBaseImageBlt(&f, &out, 4, src, 8, 2, 2), 0);
    EXPECT_EQ(out, 0x80010242u);  // (255+1+255+3)/4, (2+4)/4, (3+5)/4, (4+255+6)/4
    uint32_t row[2] = {0x00000002u, 0x00000005u};
    ASSERT_EQ(HalveBaseImageBlt(&f, &out, 4, row, 8, 2, 1), 0);  // 1 row: pairs
    EXPECT_EQ(out, 3u);
    ASSERT_EQ(HalveBaseImageBlt(&f, &out, 4, row, 4, 1, 2), 0);  // 1 column: pairs
    EXPECT_EQ(out, 3u);
    ASSERT_EQ(HalveBaseImageBlt(&f, &out, 4, row, 4, 1, 1), 0);
    EXPECT_EQ(out, 2u);
    EXPECT_EQ(HalveBaseImageBlt(&f, &out, 4, row, 4, 3, 2), -1);
    uint16_t s16[2] = {0xF800, 0x0800}, o16 = 0;
    ASSERT_EQ(HalveBaseImageBlt(&kR5G6B5, &o16, 2, s16, 4, 2, 1), 0);
    EXPECT_EQ(o16, 0x8000);
}
