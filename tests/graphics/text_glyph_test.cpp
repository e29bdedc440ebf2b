#include <gtest/gtest.h>

#include "library/graphics/text_glyph.h"

namespace {

struct Image {
    MEMIMG m{};
    Image(int w, int h, int type, int alpha) { SetupMemImg(&m, w, h, -1, 0, type, 0, alpha, 0, nullptr); }
    ~Image() { ReleaseMemImg(&m); }
    uint32_t At(int x, int y) const {
        int bpp = MemImgBytesPerPixel(m.base);
        return LoadPixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp);
    }
};

const uint32_t kText = 0xFF8040, kEdge = 0x102030;
const RECT kAll{0, 0, 100, 100};

}  // namespace

TEST(GlyphPixel, ValuesOfEachFontType) {
    struct Case {
        int type;
        uint32_t stored, rgb;
        int alpha;
    } cases[] = {
        {0, 0, 0, 0},          {0, 1, kText, 255},     {1, 1, kText, 255},   {1, 2, kEdge, 255},
        {2, 0, 0, 0},          {2, 1, kText, 16},      {2, 15, kText, 240},  // never opaque
        {3, 0x0F, kText, 255}, {3, 0xF0, kEdge, 240},  {3, 0x30, kEdge, 48},
        // body 4, edge 8: alpha 64 + 88 = 152, colour 64/152 of the way from edge to text.
        {3, 0x84, 0x102030 + (((0xFF - 0x10) * 64 / 152) << 16) + (((0x80 - 0x20) * 64 / 152) << 8) +
                      ((0x40 - 0x30) * 64 / 152),
         152},
    };
    for (const Case &c : cases) {
        GLYPHPIXEL p = GlyphPixelColour(c.type, c.stored, kText, kEdge);
        EXPECT_EQ(p.alpha, c.alpha) << c.type << " " << c.stored;
        if (c.alpha) {
            EXPECT_EQ(p.rgb, c.rgb) << c.type << " " << c.stored;
        }
    }
}

TEST(GlyphWriter, OneBitRowsOn16And32BitImages) {
    // 10 x 2 glyph, MSB first: row 0 = 1000000001, row 1 = 0100000000.
    const uint8_t rows[] = {0x80, 0x40, 0x40, 0x00};
    GLYPHBITS g{rows, 2, 1, 10, 2};
    Image i16(20, 10, MEMIMG_TYPE_RGB16, 0), i32(20, 10, MEMIMG_TYPE_RGB32, 0);
    FillMemImg(&i16.m, nullptr, 0x1234);
    WriteGlyphToMemImg(&i16.m, kAll, 3, 4, 0, g, 0, kText, kEdge);
    WriteGlyphToMemImg(&i32.m, kAll, 3, 4, 0, g, 0, kText, kEdge);
    EXPECT_EQ(i16.At(3, 4), (31u << 11) | (32u << 5) | 8u);
    EXPECT_EQ(i16.At(12, 4), (31u << 11) | (32u << 5) | 8u);
    EXPECT_EQ(i16.At(4, 5), (31u << 11) | (32u << 5) | 8u);
    EXPECT_EQ(i16.At(4, 4), 0x1234u);  // empty pixels stay as they are
    EXPECT_EQ(i32.At(3, 4) & 0xFFFFFF, kText);
    EXPECT_EQ(i32.At(5, 4), 0u);
}

TEST(GlyphWriter, EdgedBytesVerticalTurnAndClipping) {
    // 3 x 2 glyph of type 1: 1 body, 2 edge.
    const uint8_t rows[] = {1, 2, 0, 0, 0, 2, 1, 0};
    GLYPHBITS g{rows, 4, 8, 3, 2};
    Image img(10, 10, MEMIMG_TYPE_RGB32, 0);
    WriteGlyphToMemImg(&img.m, kAll, 2, 2, 1, g, 1, kText, kEdge);
    // Turned clockwise: glyph row 0 becomes the right column (x 3), row 1 the left (x 2).
    EXPECT_EQ(img.At(3, 2) & 0xFFFFFF, kText);
    EXPECT_EQ(img.At(3, 3) & 0xFFFFFF, kEdge);
    EXPECT_EQ(img.At(3, 4), 0u);
    EXPECT_EQ(img.At(2, 3) & 0xFFFFFF, kEdge);
    EXPECT_EQ(img.At(2, 4) & 0xFFFFFF, kText);

    Image clip(10, 10, MEMIMG_TYPE_RGB16, 0);
    RECT area{0, 0, 6, 3};
    WriteGlyphToMemImg(&clip.m, area, 4, 2, 0, g, 1, kText, kEdge);
    EXPECT_NE(clip.At(4, 2), 0u);
    EXPECT_NE(clip.At(5, 2), 0u);
    EXPECT_EQ(clip.At(5, 3), 0u);  // below the area
    WriteGlyphToMemImg(&clip.m, kAll, 8, 9, 0, g, 1, kText, kEdge);  // past the image: clipped
    EXPECT_NE(clip.At(8, 9), 0u);
}

TEST(GlyphWriter, AntialiasedPixelsCarryAlphaInBothWorkImageForms) {
    const uint8_t rows[] = {0x0F, 0x84, 0x30, 0x00};
    GLYPHBITS g{rows, 4, 8, 4, 1};
    Image w32(8, 2, MEMIMG_TYPE_RGB32, 1), w16(8, 2, MEMIMG_TYPE_RGB16, 1);
    WriteGlyphToMemImg(&w32.m, kAll, 0, 0, 0, g, 3, kText, kEdge);
    WriteGlyphToMemImg(&w16.m, kAll, 0, 0, 0, g, 3, kText, kEdge);
    EXPECT_EQ(w32.At(0, 0), 0xFF000000u | kText);
    GLYPHPIXEL mix = GlyphPixelColour(3, 0x84, kText, kEdge);
    EXPECT_EQ(w32.At(1, 0), (uint32_t)mix.alpha << 24 | mix.rgb);
    EXPECT_EQ(w32.At(2, 0), 48u << 24 | kEdge);
    EXPECT_EQ(w32.At(3, 0), 0u);
    // 565 colour in the low half, alpha in the third byte.
    EXPECT_EQ(w16.At(0, 0) & 0xFFFFFF, 0xFFu << 16 | (31u << 11) | (32u << 5) | 8u);
    EXPECT_EQ(w16.At(2, 0) >> 16 & 0xFF, 48u);
    EXPECT_EQ(w16.At(2, 0) & 0xFFFF, (0x10u >> 3) << 11 | (0x20u >> 2) << 5 | (0x30u >> 3));

    // Type 2 in a 16-bit image without alpha blends over what is there.
    const uint8_t half[] = {8};
    GLYPHBITS h{half, 1, 8, 1, 1};
    Image plain(2, 2, MEMIMG_TYPE_RGB32, 0);
    WriteGlyphToMemImg(&plain.m, kAll, 0, 0, 0, h, 2, 0xFFFFFF, 0);
    EXPECT_EQ(plain.At(0, 0) & 0xFFFFFF, 0x808080u);
}
