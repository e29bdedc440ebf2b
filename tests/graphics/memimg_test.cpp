#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "library/graphics/memimg.h"

namespace {

uint32_t Pixel(const MEMIMG &m, int x, int y) {
    int bpp = MemImgBytesPerPixel(m.base);
    return LoadPixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp);
}
void SetPixel(MEMIMG &m, int x, int y, uint32_t v) {
    int bpp = MemImgBytesPerPixel(m.base);
    StorePixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp, v);
}

// One row of the run table, up to and with its end code.
std::vector<uint8_t> RunRow(const MEMIMGBASE *base, int row) {
    const uint8_t *p = base->runTable;
    for (int r = 0; r < row; ++r)
        while (*p++ < MEMIMG_RUN_END) {
        }
    std::vector<uint8_t> out;
    do out.push_back(*p); while (*p++ < MEMIMG_RUN_END);
    return out;
}

struct Image {
    MEMIMG m{};
    ~Image() { ReleaseMemImg(&m); }
};

}  // namespace

TEST(MemImg, PitchAndPitchShift) {
    struct Case {
        int width, type, pitch, alpha, wantPitch, wantShift;
    } cases[] = {
        {100, MEMIMG_TYPE_RGB16, -1, 0, 208, -1},
        {128, MEMIMG_TYPE_RGB16, -1, 0, 256, 8},
        {64, MEMIMG_TYPE_RGB16, -1, 1, 256, 8},  // 4 bytes with alpha
        {3, MEMIMG_TYPE_CHAN8, -1, 0, 16, -1},  // row data 3: 4 is not the pitch
        {16, MEMIMG_TYPE_CHAN8, -1, 0, 16, 4},
        {100, MEMIMG_TYPE_RGB32, 512, 0, 512, 9},
        {100, MEMIMG_TYPE_RGB32, 400, 0, 400, -1},
    };
    for (const Case &c : cases) {
        Image img;
        ASSERT_EQ(SetupMemImg(&img.m, c.width, 10, c.pitch, 0, c.type, 0, c.alpha, 0, nullptr), 0);
        EXPECT_EQ(img.m.base->pitch, c.wantPitch) << c.width;
        EXPECT_EQ(img.m.base->pitchShift, c.wantShift) << c.width;
        EXPECT_EQ(IsMemImgValid(&img.m), 1);
    }
}

TEST(MemImg, SetupRefusesValidViewAndBadPitch) {
    Image img;
    ASSERT_EQ(SetupMemImg(&img.m, 4, 4, -1, 0, MEMIMG_TYPE_RGB32, 0, 0, 0, nullptr), 0);
    MEMIMGBASE *base = img.m.base;
    EXPECT_EQ(SetupMemImg(&img.m, 4, 4, -1, 0, MEMIMG_TYPE_RGB32, 0, 0, 0, nullptr), -1);
    EXPECT_EQ(img.m.base, base);
    MEMIMG small{};
    EXPECT_EQ(SetupMemImg(&small, 4, 4, 8, 0, MEMIMG_TYPE_RGB32, 0, 0, 0, nullptr), -1);  // pitch < row
    EXPECT_EQ(IsMemImgValid(&small), 0);
}

TEST(MemImg, FlagsAndBuffersByType) {
    Image chan, pal, alpha;
    ASSERT_EQ(SetupMemImg(&chan.m, 8, 2, -1, 0, MEMIMG_TYPE_CHAN8, 1, 1, 1, nullptr), 0);
    EXPECT_EQ(chan.m.base->paletteFlag, 0);
    EXPECT_EQ(chan.m.base->alphaFlag, 0);
    EXPECT_EQ(chan.m.base->runTable, nullptr);
    ASSERT_EQ(SetupMemImg(&pal.m, 8, 2, -1, 0, MEMIMG_TYPE_RGB16, 1, 1, 1, nullptr), 0);
    EXPECT_EQ(pal.m.base->alphaFlag, 0);
    EXPECT_EQ(pal.m.base->secondPalette, pal.m.base->palette + 1024);
    EXPECT_EQ(pal.m.base->colourFormat->bytesPerPixel, 1);
    EXPECT_NE(pal.m.base->runTable, nullptr);
    ASSERT_EQ(SetupMemImg(&alpha.m, 8, 2, -1, 0, MEMIMG_TYPE_RGB16, 0, 1, 1, nullptr), 0);
    EXPECT_NE(alpha.m.alphaPlane, nullptr);
    EXPECT_EQ(alpha.m.base->colourFormat->bytesPerPixel, 4);
    EXPECT_EQ(alpha.m.base->colourFormat->alphaMask, 0xFF0000u);

    uint32_t memory[16] = {};
    Image borrowed;
    ASSERT_EQ(SetupMemImg(&borrowed.m, 4, 4, 16, 0, MEMIMG_TYPE_RGB32, 0, 0, 0, memory), 0);
    EXPECT_EQ(borrowed.m.base->borrowed, 1);
    FillMemImg(&borrowed.m, nullptr, 0x123456);
    EXPECT_EQ(memory[15], 0x123456u);
}

TEST(MemImg, ColourFormatsOfPixelTypes) {
    const COLOURFORMAT *f = GetMemImgColourFormat(0, 0, 0);
    EXPECT_EQ(f->bitsPerPixel, 16);
    EXPECT_EQ(f->redMask, 0xF800u);
    f = GetMemImgColourFormat(1, 1, 0);
    EXPECT_EQ(f->bitsPerPixel, 32);
    EXPECT_EQ(f->alphaMask, 0xFF000000u);
    f = GetMemImgColourFormat(1, 0, 1);
    EXPECT_EQ(f->bitsPerPixel, 8);
    EXPECT_EQ(f->blueMask, 0xFFu);
    f = GetMemImgColourFormat(3, 0, 0);
    EXPECT_EQ(f->bytesPerPixel, 2);
    EXPECT_EQ(f->redMask, 0xFFFFu);
    EXPECT_EQ(f->alphaMask, 0xFFFFu);
    EXPECT_EQ(GetMemImgColourFormat(0, 0, 0), GetMemImgColourFormat(0, 0, 0));  // built once
}

TEST(MemImg, SubViewsShareTheBodyAndStayInside) {
    MEMIMG parent{}, sub{}, outside{}, nested{};
    ASSERT_EQ(SetupMemImg(&parent, 10, 8, -1, 0, MEMIMG_TYPE_RGB16, 0, 0, 0, nullptr), 0);
    MakeSubMemImg(&outside, &parent, 5, 0, 6, 8);  // one past the right edge
    EXPECT_EQ(IsMemImgValid(&outside), 0);
    MakeSubMemImg(&outside, &parent, 0, 1, 10, 8);
    EXPECT_EQ(IsMemImgValid(&outside), 0);
    MakeSubMemImg(&sub, &parent, 5, 2, 5, 6);
    ASSERT_EQ(IsMemImgValid(&sub), 1);
    EXPECT_EQ(sub.pixels, parent.pixels + 5 * 2 + 2 * parent.base->pitch);
    EXPECT_EQ(sub.alphaPlane, nullptr);
    EXPECT_EQ(parent.base->refCount, 2);
    MakeSubMemImg(&nested, &sub, 1, 1, 2, 2);
    EXPECT_EQ(nested.pixels, parent.pixels + 6 * 2 + 3 * parent.base->pitch);

    FillMemImg(&sub, nullptr, 0xF800);
    EXPECT_EQ(Pixel(parent, 4, 2), 0u);
    EXPECT_EQ(Pixel(parent, 5, 2), 0xF800u);
    EXPECT_EQ(Pixel(parent, 9, 7), 0xF800u);
    EXPECT_EQ(Pixel(parent, 5, 1), 0u);

    // The parent goes first; the body lives on for the sub-views (ASan checks the accesses).
    ReleaseMemImg(&parent);
    EXPECT_EQ(IsMemImgValid(&parent), 0);
    EXPECT_EQ(sub.base->refCount, 2);
    FillMemImg(&nested, nullptr, 0x1F);
    EXPECT_EQ(Pixel(sub, 1, 1), 0x1Fu);
    ReleaseMemImg(&sub);
    ReleaseMemImg(&sub);  // invalid now: nothing
    EXPECT_EQ(nested.base->refCount, 1);
    ReleaseMemImg(&nested);
}

TEST(MemImg, FillClipsAndWritesEachWidth) {
    for (int type : {MEMIMG_TYPE_RGB16, MEMIMG_TYPE_RGB32, MEMIMG_TYPE_CHAN8}) {
        Image img;
        ASSERT_EQ(SetupMemImg(&img.m, 6, 4, -1, 0, type, 0, 0, 0, nullptr), 0);
        RECT r{-2, 1, 3, 10};
        FillMemImg(&img.m, &r, 0xAABBCCDD);
        uint32_t want = type == MEMIMG_TYPE_RGB16 ? 0xCCDD : type == MEMIMG_TYPE_CHAN8 ? 0xDD : 0xAABBCCDD;
        EXPECT_EQ(Pixel(img.m, 0, 1), want);
        EXPECT_EQ(Pixel(img.m, 2, 3), want);
        EXPECT_EQ(Pixel(img.m, 3, 1), 0u);
        EXPECT_EQ(Pixel(img.m, 0, 0), 0u);
    }
}

TEST(MemImg, CopyConvertsAndClips) {
    Image src32, dst16, dst32;
    ASSERT_EQ(SetupMemImg(&src32.m, 4, 3, -1, 0, MEMIMG_TYPE_RGB32, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(SetupMemImg(&dst16.m, 3, 3, -1, 0, MEMIMG_TYPE_RGB16, 0, 0, 0, nullptr), 0);
    ASSERT_EQ(SetupMemImg(&dst32.m, 4, 3, -1, 0, MEMIMG_TYPE_RGB32, 0, 0, 0, nullptr), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(src32.m, x, y, 0x00FF8040u + (uint32_t)(x + 4 * y));
    CopyMemImg(&dst16.m, &src32.m, nullptr, 1, -1);
    // Source row 1 lands on row 0, from x 1; only two columns fit.
    EXPECT_EQ(Pixel(dst16.m, 0, 0), 0u);
    EXPECT_EQ(Pixel(dst16.m, 1, 0), (31u << 11) | (32u << 5) | 8u);
    EXPECT_EQ(Pixel(dst16.m, 2, 1), (31u << 11) | (32u << 5) | 9u);
    EXPECT_EQ(Pixel(dst16.m, 1, 2), 0u);

    RECT part{1, 1, 3, 3};
    CopyMemImg(&dst32.m, &src32.m, &part, 0, 0);
    EXPECT_EQ(Pixel(dst32.m, 0, 0) & 0xFFFFFF, 0x00FF8045u);
    EXPECT_EQ(Pixel(dst32.m, 1, 1) & 0xFFFFFF, 0x00FF804Au);
    EXPECT_EQ(Pixel(dst32.m, 2, 0), 0u);
}

TEST(MemImg, PaletteBodiesTakeThePaletteInTheirForm) {
    BASEIMAGE src{};
    COLOURFORMAT pal{};
    MakeColourFormatPalette8(&pal);
    pal.palette[1] = {0x40, 0x80, 0xFF, 0};  // blue, green, red
    pal.palette[2] = {0xFF, 0x00, 0x00, 0};
    ASSERT_EQ(AllocBaseImage(4, 2, &pal, &src), 0);
    src.pixels[0] = 1;
    src.pixels[1] = 2;
    for (int type : {MEMIMG_TYPE_RGB16, MEMIMG_TYPE_RGB32}) {
        Image img;
        ASSERT_EQ(SetupMemImg(&img.m, 4, 2, -1, 0, type, 1, 0, 1, nullptr), 0);
        ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &img.m, 0, 0, 4, 2, 0, 0, 0), 0);
        MEMIMGBASE *b = img.m.base;
        EXPECT_EQ(Pixel(img.m, 0, 0), 1u);
        EXPECT_EQ(Pixel(img.m, 1, 0), 2u);
        EXPECT_EQ(b->paletteCount, 256);
        if (type == MEMIMG_TYPE_RGB32) {
            EXPECT_EQ(LoadPixelValue(b->palette + 4, 4), 0x00FF8040u);
            EXPECT_EQ(LoadPixelValue(b->secondPalette + 8, 4), 0x000000FFu);
        } else {
            EXPECT_EQ(LoadPixelValue(b->palette + 2, 2), (31u << 11) | (32u << 5) | 8u);
            EXPECT_EQ(LoadPixelValue(b->secondPalette + 4, 2), 0x1Fu);
        }
        // Index 0 is the transparent code: one clear pixel after 1, 2, then clear to the end.
        EXPECT_EQ(b->runTableValid, 1);
        EXPECT_EQ(RunRow(b, 0), (std::vector<uint8_t>{0x41, 0x01, MEMIMG_RUN_END}));
        EXPECT_EQ(RunRow(b, 1), (std::vector<uint8_t>{0x03, MEMIMG_RUN_END}));

        // Palette views copy onto plain images through their palette.
        Image plain;
        ASSERT_EQ(SetupMemImg(&plain.m, 4, 2, -1, 0, type, 0, 0, 0, nullptr), 0);
        CopyMemImg(&plain.m, &img.m, nullptr, 0, 0);
        EXPECT_EQ(Pixel(plain.m, 1, 0) & 0xFFFFFF, type == MEMIMG_TYPE_RGB32 ? 0xFFu : 0x1Fu);
    }
    FreeBaseImage(&src);
}

TEST(MemImg, RunTableOfKeyedRows) {
    BASEIMAGE src{};
    ASSERT_EQ(AllocBaseImageXRGB8(133, 2, &src), 0);
    uint32_t key = MakeColourCode(&src.colourFormat, 255, 0, 255, 0);  // with its free byte
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 133; ++x) {
            uint32_t v = (y == 0 ? x >= 130 : x % 70 == 0) ? key : 0x102030;
            StorePixelValue(src.pixels + y * src.pitch + x * 4, 4, v | 0xFF000000u);
        }
    Image img;
    ASSERT_EQ(SetupMemImg(&img.m, 133, 2, -1, key, MEMIMG_TYPE_RGB32, 0, 0, 1, nullptr), 0);
    ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &img.m, 0, 0, 133, 2, 0, 0, 0), 0);
    EXPECT_EQ(img.m.base->runTableValid, 1);
    EXPECT_EQ(RunRow(img.m.base, 0), (std::vector<uint8_t>{0x7F, 0x7F, 0x41, 0x02, MEMIMG_RUN_END}));
    EXPECT_EQ(RunRow(img.m.base, 1), (std::vector<uint8_t>{0x00, 0x7F, 0x44, 0x00, 0x7D, MEMIMG_RUN_END}));

    // A part of the image leaves the table invalid.
    ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &img.m, 0, 0, 10, 2, 0, 0, 0), 0);
    EXPECT_EQ(img.m.base->runTableValid, 0);
    FreeBaseImage(&src);
}

TEST(MemImg, AlphaImagesGetRunKindsAndThePremultipliedPlane) {
    BASEIMAGE src{};
    ASSERT_EQ(AllocBaseImageARGB8(4, 1, &src), 0);
    const uint32_t px[4] = {0x00FFFFFF, 0xFF204080, 0x80FF8040, 0x80FF8040};
    for (int x = 0; x < 4; ++x) StorePixelValue(src.pixels + x * 4, 4, px[x]);
    {
        Image img;
        ASSERT_EQ(SetupMemImg(&img.m, 4, 1, -1, 0, MEMIMG_TYPE_RGB32, 0, 1, 1, nullptr), 0);
        ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &img.m, 0, 0, 4, 1, 0, 0, 0), 0);
        EXPECT_EQ(Pixel(img.m, 2, 0), 0x80FF8040u);
        EXPECT_EQ(RunRow(img.m.base, 0), (std::vector<uint8_t>{0x00, 0x40, 0x81, MEMIMG_RUN_END}));
        EXPECT_EQ(img.m.base->premultipliedValid, 1);
        // (B, G, R) x A >> 8, alpha kept.
        EXPECT_EQ(LoadPixelValue(img.m.alphaPlane + 8, 4), 0x807F4020u);
        EXPECT_EQ(LoadPixelValue(img.m.alphaPlane + 4, 4), 0xFF1F3F7Fu);
        EXPECT_EQ(LoadPixelValue(img.m.alphaPlane, 4), 0x00000000u);
    }
    {
        Image img;
        ASSERT_EQ(SetupMemImg(&img.m, 4, 1, -1, 0, MEMIMG_TYPE_RGB16, 0, 1, 1, nullptr), 0);
        ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &img.m, 0, 0, 4, 1, 0, 0, 0), 0);
        uint32_t v = Pixel(img.m, 2, 0);
        EXPECT_EQ(v & 0xFFFFFF, 0x80u << 16 | 31u << 11 | 32u << 5 | 8u);
        uint32_t pm = LoadPixelValue(img.m.alphaPlane + 8, 4);
        // Each 565 field times 128, shifted down and masked back into its field.
        EXPECT_EQ(pm & 0xFFFFFF, 0x80u << 16 | (((31u << 11) * 128 >> 8) & 0xF800) |
                                     (((32u << 5) * 128 >> 8) & 0x07E0) | (8u * 128 >> 8));
        EXPECT_EQ(RunRow(img.m.base, 0), (std::vector<uint8_t>{0x00, 0x40, 0x81, MEMIMG_RUN_END}));
    }
    FreeBaseImage(&src);
}

TEST(MemImg, AlphaImageAndOwnAlphaKey) {
    BASEIMAGE colour{}, alpha{};
    ASSERT_EQ(AllocBaseImageXRGB8(2, 1, &colour), 0);
    ASSERT_EQ(AllocBaseImageXRGB8(2, 1, &alpha), 0);
    StorePixelValue(colour.pixels, 4, 0xFFFF00FF);
    StorePixelValue(colour.pixels + 4, 4, 0xFF123456);
    StorePixelValue(alpha.pixels, 4, 0xFF400000);
    StorePixelValue(alpha.pixels + 4, 4, 0xFFFF0000);
    Image img;
    ASSERT_EQ(SetupMemImg(&img.m, 2, 1, -1, 0xFF00FF, MEMIMG_TYPE_RGB32, 0, 1, 0, nullptr), 0);
    ASSERT_EQ(CopyBaseImageToMemImg(&colour, &alpha, &img.m, 0, 0, 2, 1, 0, 0, 0), 0);
    EXPECT_EQ(Pixel(img.m, 0, 0), 0x40FF00FFu);
    EXPECT_EQ(Pixel(img.m, 1, 0), 0xFF123456u);
    ASSERT_EQ(CopyBaseImageToMemImg(&colour, nullptr, &img.m, 0, 0, 2, 1, 0, 0, 1), 0);
    EXPECT_EQ(Pixel(img.m, 0, 0), 0x00FF00FFu);
    EXPECT_EQ(Pixel(img.m, 1, 0), 0xFF123456u);
    FreeBaseImage(&colour);
    FreeBaseImage(&alpha);
}

TEST(MemImg, SingleChannelBodiesTakeTheRedField) {
    BASEIMAGE src{};
    ASSERT_EQ(AllocBaseImageXRGB8(3, 1, &src), 0);
    StorePixelValue(src.pixels, 4, 0xFF800000);
    StorePixelValue(src.pixels + 4, 4, 0xFFFF00FF);
    Image c8, c16;
    ASSERT_EQ(SetupMemImg(&c8.m, 3, 1, -1, 0, MEMIMG_TYPE_CHAN8, 0, 0, 1, nullptr), 0);
    ASSERT_EQ(SetupMemImg(&c16.m, 3, 1, -1, 0, MEMIMG_TYPE_CHAN16, 0, 0, 1, nullptr), 0);
    ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &c8.m, 1, 0, 2, 1, 0, 0, 0), 0);
    ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &c16.m, 0, 0, 3, 1, 0, 0, 0), 0);
    EXPECT_EQ(Pixel(c8.m, 0, 0), 0u);
    EXPECT_EQ(Pixel(c8.m, 1, 0), 0x80u);
    EXPECT_EQ(Pixel(c8.m, 2, 0), 0xFFu);
    EXPECT_EQ(Pixel(c16.m, 0, 0), 0x8080u);
    EXPECT_EQ(Pixel(c16.m, 1, 0), 0xFFFFu);
    EXPECT_EQ(c16.m.base->runTableValid, 0);
    FreeBaseImage(&src);
}

TEST(MemImg, CopyFromBaseImageClipsBothSides) {
    BASEIMAGE src{};
    ASSERT_EQ(AllocBaseImageXRGB8(4, 4, &src), 0);
    for (int i = 0; i < 16; ++i) StorePixelValue(src.pixels + (i / 4) * src.pitch + (i % 4) * 4, 4, 0xFF000000u + i);
    Image img;
    ASSERT_EQ(SetupMemImg(&img.m, 3, 3, -1, 0, MEMIMG_TYPE_RGB32, 0, 0, 1, nullptr), 0);
    ASSERT_EQ(CopyBaseImageToMemImg(&src, nullptr, &img.m, -1, 1, 10, 10, 0, 0, 0), 0);
    EXPECT_EQ(Pixel(img.m, 0, 1) & 0xFF, 1u);  // source x 1: the destination started at -1
    EXPECT_EQ(Pixel(img.m, 2, 2) & 0xFF, 7u);
    EXPECT_EQ(Pixel(img.m, 0, 0), 0u);
    EXPECT_LT(CopyBaseImageToMemImg(&src, nullptr, &img.m, 0, 0, 2, 2, 4, 0, 0), 0);  // nothing left
    FreeBaseImage(&src);
}

TEST(MemImgTables, ProductsBlendsAndThresholds) {
    InitMemImgTables();
    const MEMIMGSTATE &s = g_memImgState;
    EXPECT_EQ(sizeof s.signedProductTable[0], 512 * sizeof(int32_t));
    const int32_t *mid = &s.signedProductTable[128][255];
    EXPECT_EQ(mid[-255], -128);
    EXPECT_EQ(mid[-1], 0);  // -128 / 255 toward zero
    EXPECT_EQ(mid[-2], -1);
    EXPECT_EQ(mid[255], 128);
    EXPECT_EQ(s.signedProductTable[255][0], -255);
    EXPECT_EQ(s.productTable[255][255], 255);
    EXPECT_EQ(s.productTable[128][254], 127);
    EXPECT_EQ(s.blendTable6[63][40][10], 40);
    EXPECT_EQ(s.blendTable6[0][40][10], 10);
    EXPECT_EQ(s.blendTable6[32][63][0], 32);

    SetBlendGraphThreshold(128, 255);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(s.blendGraphTable[i], i);
    SetBlendGraphThreshold(0, 255);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(s.blendGraphTable[i], 255);
    SetBlendGraphThreshold(255, 255);
    for (int i = 0; i < 255; ++i) ASSERT_EQ(s.blendGraphTable[i], 0);
    EXPECT_EQ(s.blendGraphTable[255], 1);
    SetBlendGraphThreshold(128, 0);  // the narrowest border: a hard step
    EXPECT_EQ(s.blendGraphTable[127], 0);
    EXPECT_EQ(s.blendGraphTable[129], 255);
}

TEST(MemImg, ScreenImagesFollowTheScreenBits) {
    int saved = g_memImgState.screenColourBits;
    g_memImgState.screenColourBits = 16;
    Image a, b;
    ASSERT_EQ(MakeScreenMemImg(&a.m, 8, 8, -1), 0);
    EXPECT_EQ(a.m.base->pixelType, MEMIMG_TYPE_RGB16);
    g_memImgState.screenColourBits = 32;
    ASSERT_EQ(MakeScreenMemImg(&b.m, 8, 8, -1), 0);
    EXPECT_EQ(b.m.base->pixelType, MEMIMG_TYPE_RGB32);
    EXPECT_EQ(b.m.base->runTable, nullptr);
    g_memImgState.screenColourBits = saved;
}
