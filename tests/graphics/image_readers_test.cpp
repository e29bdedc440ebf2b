#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "graphics/image_fixtures.h"
#include "library/base/stream.h"
#include "library/graphics/image_load.h"
#include "library/graphics/image_readers.h"
#include "tools/imagewrite/image_write.h"

namespace {

NamedFixture Fixture(const char *name) {
    for (NamedFixture &f : AllImageFixtures())
        if (f.name == name) return f;
    ADD_FAILURE() << "no fixture " << name;
    return {};
}

uint32_t Rgb(BASEIMAGE *im, int x, int y) {
    int r, g, b;
    EXPECT_EQ(ReadBaseImagePixel(im, x, y, &r, &g, &b, nullptr), 0);
    return (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b;
}

uint32_t Argb(BASEIMAGE *im, int x, int y) {
    int r, g, b, a;
    EXPECT_EQ(ReadBaseImagePixel(im, x, y, &r, &g, &b, &a), 0);
    return (uint32_t)a << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b;
}

uint32_t Index(BASEIMAGE *im, int x, int y) {
    return im->pixels[(size_t)y * im->pitch + x];
}

uint32_t PatternRgb(int x, int y) {
    Rgba c = PatternColour(x, y);
    return (uint32_t)c.r << 16 | (uint32_t)c.g << 8 | c.b;
}

// Runs one reader over a memory stream.
int RunReader(int (*reader)(STREAMREF *, BASEIMAGE *), const Bytes &file, BASEIMAGE *out) {
    BUFSTREAM *s = OpenMemStream(file.data(), (int)file.size());
    std::memset(out, 0, sizeof(*out));
    STREAMREF ref;
    MakeStreamRef(&ref, GetMemStreamFuncs(), (uintptr_t)s);
    int r = reader(&ref, out);
    CloseMemStream((uintptr_t)s);
    return r;
}

}  // namespace

TEST(BmpReader, TwentyFourBitsBothDirectionsKeepTheFileRowSize) {
    for (bool bottomUp : {true, false}) {
        Bytes file = MakeBmp(5, bottomUp ? 3 : -3, 24, 0, {}, {}, Bgr24Rows(5, 3, 16, bottomUp));
        BASEIMAGE im;
        ASSERT_EQ(LoadFromMemory(file, &im), 0);
        EXPECT_EQ(im.colourFormat.bytesPerPixel, 3);
        EXPECT_EQ(im.pitch, 16);
        EXPECT_EQ(im.width, 5);
        EXPECT_EQ(im.height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(Rgb(&im, x, y), PatternRgb(x, y));
        FreeBaseImage(&im);
    }
}

TEST(BmpReader, PaletteKinds) {
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(Fixture("bmp8").bytes, &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 1);
    EXPECT_EQ(im.pitch, 8);
    EXPECT_EQ(Index(&im, 0, 2), 0u);  // file row 0 is the bottom row
    EXPECT_EQ(Index(&im, 1, 2), 1u);
    EXPECT_EQ(Index(&im, 0, 0), 0u);  // row 2 of the file starts at byte 16
    EXPECT_EQ(Rgb(&im, 1, 2), 0xFF0000u);
    EXPECT_EQ(im.colourFormat.palette[3].blue, 0xFF);
    EXPECT_EQ(im.colourFormat.palette[3].alpha, 0);
    FreeBaseImage(&im);

    ASSERT_EQ(LoadFromMemory(Fixture("bmp4").bytes, &im), 0);  // bytes 0x12: pixels 1, 2, 1, 2, 1
    EXPECT_EQ(im.pitch, 8);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Index(&im, x, 1), x % 2 ? 2u : 1u);
    FreeBaseImage(&im);

    ASSERT_EQ(LoadFromMemory(Fixture("bmp1").bytes, &im), 0);  // 0xA5 = 10100...
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 3);
    EXPECT_EQ(im.pitch, 16);
    const uint32_t want[5] = {0xF0E0D0, 0x102030, 0xF0E0D0, 0x102030, 0x102030};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Rgb(&im, x, 0), want[x]);
    FreeBaseImage(&im);
}

TEST(BmpReader, RunLengthWithDeltaAndLiterals) {
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(Fixture("bmprle8").bytes, &im), 0);
    const uint32_t rle8[3][5] = {{2, 3, 1, 0, 0}, {0, 0, 0, 0, 2}, {1, 1, 1, 0, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Index(&im, x, y), rle8[y][x]) << x << "," << y;
    FreeBaseImage(&im);
    ASSERT_EQ(LoadFromMemory(Fixture("bmprle4").bytes, &im), 0);
    EXPECT_EQ(im.pitch, 8);
    const uint32_t rle4[3][5] = {{0, 3, 3, 0, 0}, {3, 1, 2, 0, 0}, {1, 2, 1, 2, 1}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Index(&im, x, y), rle4[y][x]) << x << "," << y;
    FreeBaseImage(&im);

    // A run past the row and a missing end are refused.
    Bytes over = {9, 1, 0, 1};
    EXPECT_EQ(LoadFromMemory(MakeBmp(5, 3, 8, 1, {0}, {}, over), &im), -1);
    Bytes unended = {3, 1, 0, 0};
    EXPECT_EQ(LoadFromMemory(MakeBmp(5, 3, 8, 1, {0}, {}, unended), &im), -1);
    Bytes below = {0, 2, 0, 9, 1, 1, 0, 1};
    EXPECT_EQ(LoadFromMemory(MakeBmp(5, 3, 8, 1, {0}, {}, below), &im), -1);
}

TEST(BmpReader, SixteenAndThirtyTwoBitsAndBitFields) {
    struct Case {
        int bits, compression;
        std::vector<uint32_t> masks;
        uint32_t value, rgb;
        int infoSize;
    } cases[] = {
        {16, 0, {}, 0x7C00 | 16, 0xFF0083, 40},                       // 555 default
        {16, 3, {0xF800, 0x07E0, 0x001F}, 0x07E0 | 1, 0x00FF08, 40},  // 565
        {32, 0, {}, 0x00123456, 0x123456, 40},
        {32, 3, {0xFF, 0xFF00, 0xFF0000}, 0x00123456, 0x563412, 124},
    };
    for (const Case &c : cases) {
        int bytes = c.bits / 8;
        int row = (3 * bytes + 3) & ~3;
        Bytes data((size_t)row * 2, 0);
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < bytes; ++k) data[(size_t)row + x * bytes + k] = (uint8_t)(c.value >> (8 * k));
        BASEIMAGE im;
        ASSERT_EQ(LoadFromMemory(MakeBmp(3, 2, c.bits, c.compression, {}, c.masks, data, c.infoSize), &im), 0);
        EXPECT_EQ(im.colourFormat.bytesPerPixel, 3);
        EXPECT_EQ(im.pitch, 12);
        EXPECT_EQ(Rgb(&im, 2, 0), c.rgb) << c.bits << "/" << c.compression;
        EXPECT_EQ(Rgb(&im, 2, 1), 0u);
        FreeBaseImage(&im);
    }
}

TEST(BmpReader, Refusals) {
    BASEIMAGE im;
    Bytes good = MakeBmp(5, 3, 24, 0, {}, {}, Bgr24Rows(5, 3, 16, true));
    Bytes truncated(good.begin(), good.end() - 20);
    EXPECT_EQ(RunReader(ReadBmpImage, truncated, &im), -1);
    Bytes jpegCompressed = MakeBmp(5, 3, 24, 4, {}, {}, Bgr24Rows(5, 3, 16, true));
    EXPECT_EQ(RunReader(ReadBmpImage, jpegCompressed, &im), -1);
    Bytes core = good;
    core[14] = 12;
    EXPECT_EQ(RunReader(ReadBmpImage, core, &im), -1);
    Bytes offsetPastEnd = good;
    offsetPastEnd[12] = 0x10;
    EXPECT_EQ(RunReader(ReadBmpImage, offsetPastEnd, &im), -1);
    Bytes hugeWidth = good;
    hugeWidth[21] = 0x40;
    EXPECT_EQ(RunReader(ReadBmpImage, hugeWidth, &im), -1);
    EXPECT_EQ(im.pixels, nullptr);
}

TEST(TgaReader, TrueColourInEveryOrientationAndDepth) {
    const int w = 4, h = 3;
    for (int depth : {16, 24, 32}) {
        for (int descriptor : {0x00, 0x10, 0x20, 0x30}) {
            for (bool footer : {false, true}) {
                int bytes = depth / 8;
                Bytes data((size_t)w * h * bytes);
                for (int r = 0; r < h; ++r)
                    for (int c = 0; c < w; ++c) {
                        int y = descriptor & 0x20 ? r : h - 1 - r;
                        int x = descriptor & 0x10 ? w - 1 - c : c;
                        uint32_t v = (uint32_t)(y * 16 + x) * 0x01010101u | (depth == 16 ? 0x8000u : 0);
                        for (int k = 0; k < bytes; ++k) data[((size_t)r * w + c) * bytes + k] = (uint8_t)(v >> (8 * k));
                    }
                BASEIMAGE im;
                ASSERT_EQ(LoadFromMemory(MakeTga(2, w, h, depth, descriptor, {}, 0, 0, data, footer), &im), 0);
                EXPECT_EQ(im.pitch, w * bytes);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        uint32_t want = (uint32_t)(y * 16 + x) * 0x01010101u | (depth == 16 ? 0x8000u : 0);
                        if (depth == 16) want &= 0xFFFF;
                        if (depth == 24) want &= 0xFFFFFF;
                        ASSERT_EQ(LoadPixelValue(im.pixels + (size_t)y * im.pitch + x * bytes, bytes), want)
                            << depth << " " << descriptor << " " << x << "," << y;
                    }
                if (depth == 16) {
                    EXPECT_EQ(im.colourFormat.alphaMask, 0x8000u);
                    EXPECT_EQ(Argb(&im, 0, 0) >> 24, 255u);  // the top bit is 1-bit alpha
                }
                FreeBaseImage(&im);
            }
        }
    }
}

TEST(TgaReader, RunLengthAndColourMapped) {
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(Fixture("tgarle").bytes, &im), 0);  // bottom-up, id field of 3 bytes
    EXPECT_EQ(LoadPixelValue(im.pixels + 2 * im.pitch, 3), 0x030201u);
    EXPECT_EQ(LoadPixelValue(im.pixels + 2 * im.pitch + 9, 3), 0x060504u);
    EXPECT_EQ(LoadPixelValue(im.pixels + 2 * im.pitch + 12, 3), 0x090807u);
    EXPECT_EQ(LoadPixelValue(im.pixels + 4 * 3, 3), 0x0C0B0Au);
    FreeBaseImage(&im);

    ASSERT_EQ(LoadFromMemory(Fixture("tgamap").bytes, &im), 0);
    EXPECT_EQ(Rgb(&im, 4, 2), 0x060504u);
    FreeBaseImage(&im);
    ASSERT_EQ(LoadFromMemory(Fixture("tgamaprle").bytes, &im), 0);
    EXPECT_EQ(Rgb(&im, 0, 0), 0x090807u);
    FreeBaseImage(&im);

    // A colour map in a true-colour file is skipped.
    Bytes px = {1, 2, 3};
    ASSERT_EQ(LoadFromMemory(MakeTga(2, 1, 1, 24, 0, Bytes(6, 0xEE), 16, 3, px, false), &im), 0);
    EXPECT_EQ(Rgb(&im, 0, 0), 0x030201u);
    FreeBaseImage(&im);
}

TEST(TgaReader, Refusals) {
    BASEIMAGE im;
    Bytes px(12, 1);
    EXPECT_EQ(RunReader(ReadTgaImage, MakeTga(3, 2, 2, 24, 0, {}, 0, 0, px, false), &im), -1);   // grey
    EXPECT_EQ(RunReader(ReadTgaImage, MakeTga(2, 9000, 1, 24, 0, {}, 0, 0, px, false), &im), -1);
    EXPECT_EQ(RunReader(ReadTgaImage, MakeTga(2, 2, 2, 15, 0, {}, 0, 0, px, false), &im), -1);
    EXPECT_EQ(RunReader(ReadTgaImage, MakeTga(2, 2, 3, 24, 0, {}, 0, 0, px, false), &im), -1);   // short
    EXPECT_EQ(RunReader(ReadTgaImage, MakeTga(1, 2, 2, 16, 0, Bytes(6), 24, 2, px, false), &im), -1);  // 2-byte indices
    Bytes rle = {0x83, 1, 2};  // a run cut short
    EXPECT_EQ(RunReader(ReadTgaImage, MakeTga(10, 2, 2, 24, 0, {}, 0, 0, rle, false), &im), -1);
}

namespace {

Bytes Dxt1Block(uint16_t c0, uint16_t c1, uint32_t indices) {
    Bytes b;
    PutU16(b, c0);
    PutU16(b, c1);
    PutU32(b, indices);
    return b;
}

}  // namespace

TEST(DdsReader, Dxt1BothModesAndPartialBlocks) {
    // Four colours: c0 red > c1 blue; indices 0,1,2,3 on the first row.
    Bytes four = Dxt1Block(0xF800, 0x001F, 0xE4);
    Bytes file = MakeDds(4, 4, 0x1007, 0, 0, 4, FourCCOf("DXT1"), 0, nullptr, 0x1000, four);
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(file, &im), 0);
    EXPECT_EQ(im.colourFormat.formatCode, 1);
    EXPECT_EQ(im.colourFormat.bitsPerPixel, 4);
    EXPECT_EQ(im.pitch, 0);
    EXPECT_EQ(Argb(&im, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(im.colourFormat.formatCode, 0);  // expanded on first access
    EXPECT_EQ(im.pitch, 16);
    EXPECT_EQ(Argb(&im, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(Argb(&im, 2, 0), 0xFFAA0055u);
    EXPECT_EQ(Argb(&im, 3, 0), 0xFF5500AAu);
    FreeBaseImage(&im);

    // c0 <= c1: a midpoint and a transparent midpoint.
    Bytes three = Dxt1Block(0x001F, 0xF800, 0xE4);
    ASSERT_EQ(LoadFromMemory(MakeDds(4, 4, 0x1007, 0, 0, 4, FourCCOf("DXT1"), 0, nullptr, 0x1000, three), &im), 0);
    EXPECT_EQ(Argb(&im, 2, 0), 0xFF7F007Fu);
    EXPECT_EQ(Argb(&im, 3, 0), 0x007F007Fu);
    FreeBaseImage(&im);

    // 6 x 6: all four blocks decode, cut at the edges.
    Bytes blocks;
    const uint16_t colours[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (uint16_t c : colours) {
        Bytes b = Dxt1Block(c, c, 0);
        blocks.insert(blocks.end(), b.begin(), b.end());
    }
    ASSERT_EQ(LoadFromMemory(MakeDds(6, 6, 0x1007, 0, 0, 4, FourCCOf("DXT1"), 0, nullptr, 0x1000, blocks), &im), 0);
    EXPECT_EQ(Argb(&im, 5, 0), 0xFF00FF00u);
    EXPECT_EQ(Argb(&im, 0, 5), 0xFF0000FFu);
    EXPECT_EQ(Argb(&im, 5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(im.pitch, 24);
    FreeBaseImage(&im);
}

TEST(DdsReader, Dxt3AndDxt5AlphaAndMipLevels) {
    Bytes d3;
    for (int i = 0; i < 8; ++i) d3.push_back((uint8_t)(i == 0 ? 0xF0 : 0x00));  // pixel 1 alpha 15
    Bytes c = Dxt1Block(0xFFFF, 0xFFFF, 0);
    d3.insert(d3.end(), c.begin(), c.end());
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(MakeDds(4, 4, 0x1007, 0, 0, 4, FourCCOf("DXT3"), 0, nullptr, 0x1000, d3), &im), 0);
    EXPECT_EQ(Argb(&im, 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(Argb(&im, 1, 0), 0xFFFFFFFFu);
    FreeBaseImage(&im);

    // DXT5: a0 200 > a1 100 (index 2 = (6*200 + 100) / 7), and a0 <= a1 (index 6 = 0, 7 = 255).
    for (bool eight : {true, false}) {
        Bytes d5 = {(uint8_t)(eight ? 200 : 100), (uint8_t)(eight ? 100 : 200)};
        uint64_t idx = eight ? 2 : (6 | 7 << 3);
        for (int i = 0; i < 6; ++i) d5.push_back((uint8_t)(idx >> (8 * i)));
        d5.insert(d5.end(), c.begin(), c.end());
        ASSERT_EQ(LoadFromMemory(MakeDds(4, 4, 0x1007, 0, 0, 4, FourCCOf("DXT5"), 0, nullptr, 0x1000, d5), &im), 0);
        if (eight) {
            EXPECT_EQ(Argb(&im, 0, 0) >> 24, (6u * 200 + 100) / 7);
            EXPECT_EQ(Argb(&im, 1, 0) >> 24, 200u);
        } else {
            EXPECT_EQ(Argb(&im, 0, 0) >> 24, 0u);
            EXPECT_EQ(Argb(&im, 1, 0) >> 24, 255u);
        }
        FreeBaseImage(&im);
    }

    // 256 x 256 DXT5 with 9 levels: 65,536 + 16,384 + 4,096 + 1,024 + 256 + 64 + 16 + 16 + 16 bytes.
    const size_t total = 65536 + 16384 + 4096 + 1024 + 256 + 64 + 16 + 16 + 16;
    Bytes levels(total, 0);
    Bytes file = MakeDds(256, 256, 0x21007, 0, 9, 4, FourCCOf("DXT5"), 0, nullptr, 0x401008, levels);
    ASSERT_EQ(LoadFromMemory(file, &im), 0);
    EXPECT_EQ(im.mipCount, 9);
    EXPECT_EQ(im.width, 256);
    EXPECT_EQ(ReadPixelARGB(&im, 255, 255), 0u);
    EXPECT_EQ(im.mipCount, 0);  // the expanded image keeps one level
    FreeBaseImage(&im);
    file.pop_back();
    EXPECT_EQ(RunReader(ReadDdsImage, file, &im), -1);
    // Without the caps the count is not taken.
    file = MakeDds(256, 256, 0x21007, 0, 9, 4, FourCCOf("DXT5"), 0, nullptr, 0x1000, levels);
    ASSERT_EQ(LoadFromMemory(file, &im), 0);
    EXPECT_EQ(im.mipCount, 0);
    FreeBaseImage(&im);
    // More levels than the size allows.
    file = MakeDds(4, 4, 0x21007, 0, 4, 4, FourCCOf("DXT5"), 0, nullptr, 0x401008, levels);
    EXPECT_EQ(RunReader(ReadDdsImage, file, &im), -1);
}

TEST(DdsReader, PlainPixels) {
    uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    Bytes px;
    for (int i = 0; i < 6; ++i) PutU32(px, 0x80000000u | (uint32_t)i * 0x010203u);
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(MakeDds(3, 2, 0x100F, 12, 0, 0x41, 0, 32, masks, 0x1000, px), &im), 0);
    EXPECT_EQ(im.pitch, 12);
    EXPECT_EQ(im.colourFormat.alphaMask, 0xFF000000u);
    EXPECT_EQ(Argb(&im, 2, 1), 0x80000000u | 5u * 0x010203u);
    FreeBaseImage(&im);
    // A numeric FourCC from the table is read (RGB without the alpha flag: DdsReader.PixelFormatByItsFlags).
    Bytes px16(3 * 2 * 2, 0xFF);
    ASSERT_EQ(LoadFromMemory(MakeDds(3, 2, 0x1007, 0, 0, 4, 23, 0, nullptr, 0x1000, px16), &im), 0);
    EXPECT_EQ(im.colourFormat.redMask, 0xF800u);
    EXPECT_EQ(im.pitch, 6);
    FreeBaseImage(&im);
    EXPECT_EQ(RunReader(ReadDdsImage, MakeDds(3, 2, 0x1007, 0, 0, 4, 28, 0, nullptr, 0x1000, px16), &im), -1);
    // Neither a pitch nor a bit count.
    EXPECT_EQ(RunReader(ReadDdsImage, MakeDds(3, 2, 0x1007, 0, 0, 0x41, 0, 0, masks, 0x1000, px), &im), -1);
}

// Pixel formats as the flags define them: RGB masks alone unless ALPHAPIXELS adds the alpha mask
// (X8R8G8B8 is the RGB flag alone; an image without alpha reads alpha 0), a grey field for
// LUMINANCE, an alpha field alone for ALPHA, eight-bit masks as colours rather than palette
// indices, and nothing at all without a flag.
TEST(DdsReader, PixelFormatByItsFlags) {
    struct Case {
        const char *name;
        uint32_t pfFlags, bits;
        uint32_t masks[4];
        std::vector<uint32_t> pixels;  // stored values, bits / 8 bytes each
        std::vector<uint32_t> want;    // ARGB read back; empty: refused
    } cases[] = {
        {"X8R8G8B8", 0x40, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x00123456, 0x80FEDCBA}, {0x00123456, 0x00FEDCBA}},
        {"no flags, no masks", 0, 32, {0, 0, 0, 0}, {0x00123456, 0x80FEDCBA}, {}},
        {"no flags, masks", 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}, {0x00123456, 0x80FEDCBA}, {}},
        {"R3G3B2", 0x40, 8, {0xE0, 0x1C, 0x03, 0}, {0xE0, 0x1C, 0x03, 0x49}, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF484855}},
        {"L8", 0x20000, 8, {0xFF, 0, 0, 0}, {0x40, 0xFF}, {0xFF404040, 0xFFFFFFFF}},
        {"A8L8", 0x20001, 16, {0xFF, 0, 0, 0xFF00}, {0x8040, 0x00FF}, {0x80404040, 0x00FFFFFF}},
        {"A8", 0x2, 8, {0, 0, 0, 0xFF}, {0x7F, 0xFF}, {0x7F000000, 0xFF000000}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes px;
        for (uint32_t v : c.pixels)
            for (uint32_t i = 0; i < c.bits / 8; ++i) px.push_back((uint8_t)(v >> (8 * i)));
        const int w = (int)c.pixels.size();
        Bytes file = MakeDds(w, 1, 0x1007, 0, 0, c.pfFlags, 0, c.bits, c.masks, 0x1000, px);
        BASEIMAGE im;
        if (c.want.empty()) {
            EXPECT_EQ(RunReader(ReadDdsImage, file, &im), -1);
            continue;
        }
        ASSERT_EQ(LoadFromMemory(file, &im), 0);
        for (int x = 0; x < w; ++x) EXPECT_EQ(Argb(&im, x, 0), c.want[x]) << x;
        FreeBaseImage(&im);
    }
}

TEST(BgraReader, EightAndSixteenBitChannels) {
    Bytes b8 = {'B', 'G', 'R', 'A'};
    PutU32(b8, 0x08080808);
    PutU32(b8, 2);
    PutU32(b8, 1);
    Bytes px = {1, 2, 3, 4, 5, 6, 7, 8};
    b8.insert(b8.end(), px.begin(), px.end());
    BASEIMAGE im;
    ASSERT_EQ(LoadFromMemory(b8, &im), 0);
    EXPECT_EQ(im.pitch, 8);
    EXPECT_EQ(Argb(&im, 1, 0), 0x08070605u);
    FreeBaseImage(&im);

    ASSERT_EQ(LoadFromMemory(Fixture("bgra16").bytes, &im), 0);
    EXPECT_EQ(Argb(&im, 0, 0), (0x12u + 0x33u) << 24 | (0x12u + 0x22u) << 16 | (0x12u + 0x11u) << 8 | 0x12u);
    FreeBaseImage(&im);

    b8[4] = 0x09;
    EXPECT_EQ(RunReader(ReadBgraImage, b8, &im), -1);
    b8[4] = 0x08;
    b8.pop_back();
    EXPECT_EQ(RunReader(ReadBgraImage, b8, &im), -1);
}

TEST(PngReader, EveryListedKind) {
    BASEIMAGE im;
    PngSpec pal;
    pal.width = 4;
    pal.height = 1;
    pal.colourType = 3;
    pal.bitDepth = 2;
    pal.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    pal.pixels = {0x24};  // 0, 2, 1, 0
    ASSERT_EQ(LoadFromMemory(EncodePng(pal), &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 1);
    EXPECT_EQ(Index(&im, 1, 0), 2u);
    EXPECT_EQ(Rgb(&im, 1, 0), 0x0000FFu);
    EXPECT_EQ(im.colourFormat.palette[0].red, 255);
    EXPECT_EQ(im.colourFormat.palette[3].red, 0);
    FreeBaseImage(&im);

    pal.trns = {255, 128};
    ASSERT_EQ(LoadFromMemory(EncodePng(pal), &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 4);
    EXPECT_EQ(Argb(&im, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Argb(&im, 2, 0), 0x8000FF00u);
    EXPECT_EQ(Argb(&im, 1, 0), 0xFF0000FFu);
    FreeBaseImage(&im);

    PngSpec grey1;
    grey1.width = 3;
    grey1.height = 1;
    grey1.colourType = 0;
    grey1.bitDepth = 1;
    grey1.pixels = {0xA0};
    ASSERT_EQ(LoadFromMemory(EncodePng(grey1), &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 1);
    EXPECT_EQ(Index(&im, 0, 0), 255u);
    EXPECT_EQ(Index(&im, 1, 0), 0u);
    EXPECT_EQ(Index(&im, 2, 0), 255u);
    FreeBaseImage(&im);

    PngSpec rgb16;
    rgb16.width = 1;
    rgb16.height = 1;
    rgb16.bitDepth = 16;
    rgb16.pixels = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    ASSERT_EQ(LoadFromMemory(EncodePng(rgb16), &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 3);
    EXPECT_EQ(Rgb(&im, 0, 0), 0x12569Au);
    FreeBaseImage(&im);

    PngSpec ga;
    ga.width = 2;
    ga.height = 1;
    ga.colourType = 4;
    ga.pixels = {10, 20, 30, 40};
    ASSERT_EQ(LoadFromMemory(EncodePng(ga), &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 2);
    EXPECT_EQ(im.pitch, 4);
    EXPECT_EQ(Argb(&im, 1, 0), 0x281E1E1Eu);  // grey 30, alpha 40 kept
    FreeBaseImage(&im);

    for (bool interlaced : {false, true}) {
        PngSpec s;
        s.width = 7;
        s.height = 5;
        s.interlaced = interlaced;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                Rgba c = PatternColour(x, y);
                s.pixels.insert(s.pixels.end(), {c.r, c.g, c.b});
            }
        ASSERT_EQ(LoadFromMemory(EncodePng(s), &im), 0);
        EXPECT_EQ(im.pitch, 21);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(Rgb(&im, x, y), PatternRgb(x, y));
        FreeBaseImage(&im);
    }
}

TEST(PngReader, TruncatedAndBrokenFilesAreRefused) {
    PngSpec s;
    s.width = 7;
    s.height = 5;
    s.pixels.assign(7 * 5 * 3, 9);
    Bytes file = EncodePng(s);
    BASEIMAGE im;
    for (size_t cut : {file.size() - 1, file.size() - 12, file.size() / 2, (size_t)8, (size_t)1}) {
        Bytes part(file.begin(), file.begin() + (long)cut);
        EXPECT_EQ(RunReader(ReadPngImage, part, &im), -1) << cut;
        EXPECT_EQ(im.pixels, nullptr);
    }
}

namespace {

// The same data decoded with libjpeg alone, as blue, green, red.
Bytes DecodeJpegDirect(const Bytes &file, int *components) {
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    *components = info.output_components;
    size_t row = (size_t)info.output_width * info.output_components;
    Bytes out(row * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW p = out.data() + row * info.output_scanline;
        jpeg_read_scanlines(&info, &p, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (*components == 3)
        for (size_t i = 0; i < out.size(); i += 3) std::swap(out[i], out[i + 2]);
    return out;
}

}  // namespace

TEST(JpegReader, GreyAndColourMatchTheLibrary) {
    for (int components : {1, 3}) {
        Bytes px((size_t)13 * 9 * components);
        for (size_t i = 0; i < px.size(); ++i) px[i] = (uint8_t)(i * 11);
        Bytes file = EncodeJpeg(13, 9, components, px.data(), 85);
        BASEIMAGE im;
        ASSERT_EQ(LoadFromMemory(file, &im), 0);
        int got = 0;
        Bytes want = DecodeJpegDirect(file, &got);
        EXPECT_EQ(im.colourFormat.bytesPerPixel, components);
        EXPECT_EQ(im.pitch, 13 * components);
        ASSERT_EQ(std::memcmp(im.pixels, want.data(), want.size()), 0);
        FreeBaseImage(&im);
    }
}

TEST(JpegReader, TruncatedDecodesEmptyFails) {
    Bytes px((size_t)64 * 64 * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = (uint8_t)(i * 7 ^ i >> 5);
    Bytes file = EncodeJpeg(64, 64, 3, px.data(), 85);
    ASSERT_GT(file.size(), 3000u);  // mostly scan data
    Bytes half(file.begin(), file.begin() + (long)file.size() * 2 / 3);
    BASEIMAGE im;
    ASSERT_EQ(RunReader(ReadJpegImage, half, &im), 0);
    EXPECT_EQ(im.width, 64);
    EXPECT_EQ(im.height, 64);
    FreeBaseImage(&im);
    EXPECT_EQ(RunReader(ReadJpegImage, Bytes{}, &im), -1);
    Bytes header(file.begin(), file.begin() + 100);
    EXPECT_EQ(RunReader(ReadJpegImage, header, &im), -1) << im.width << "x" << im.height;
}

TEST(ImageLoad, ChainOrderAndAlphaCompanion) {
    // A BMP that goes on with PNG data is read as BMP.
    Bytes file = MakeBmp(5, 3, 24, 0, {}, {}, Bgr24Rows(5, 3, 16, true));
    Bytes png = Fixture("pngpalette").bytes;
    file.insert(file.end(), png.begin(), png.end());
    BASEIMAGE im, alpha;
    ASSERT_EQ(LoadFromMemory(file, &im), 0);
    EXPECT_EQ(im.colourFormat.bytesPerPixel, 3);
    FreeBaseImage(&im);
    EXPECT_EQ(LoadFromMemory(Bytes(40, 0x55), &im), -1);

    Bytes jpeg = Fixture("jpeg").bytes;
    EXPECT_EQ(LoadImageWithAlphaFile(nullptr, png.data(), (int)png.size(), 1, jpeg.data(), (int)jpeg.size(), 1, &im,
                                     &alpha, 0),
              0);
    EXPECT_EQ(alpha.width, 16);
    FreeBaseImage(&im);
    FreeBaseImage(&alpha);
    EXPECT_EQ(LoadImageWithAlphaFile(nullptr, png.data(), (int)png.size(), 1, nullptr, 0, 1, &im, &alpha, 0), 1);
    FreeBaseImage(&im);
    EXPECT_EQ(LoadImageWithAlphaFile(nullptr, png.data(), (int)png.size(), 1, nullptr, 0, 2, &im, &alpha, 0), 1);
    FreeBaseImage(&im);
    EXPECT_EQ(LoadImageWithAlphaFile(nullptr, png.data(), 10, 1, nullptr, 0, 1, &im, &alpha, 0), -1);
}

TEST(ImageLoad, AlphaFileNames) {
    char out[64];
    struct {
        const char *in, *want;
    } cases[] = {{"pic.png", "pic_a.png"},
                 {"Data.v2\\pic", "Data_a.v2\\pic"},  // the last dot of the whole path
                 {"pic", "pic_a"},
                 {"a.b.bmp", "a.b_a.bmp"}};
    for (auto &c : cases) {
        ASSERT_EQ(MakeAlphaFileName(c.in, out, sizeof(out)), 0);
        EXPECT_STREQ(out, c.want);
    }
    EXPECT_EQ(MakeAlphaFileName("abcdef.png", out, 12), -1);
}
