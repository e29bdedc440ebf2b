// The 1:1 copy kernel over small images: pixel arithmetic per blend mode and depth, skip rules
// of keyed, palette and alpha sources, run-length rows, blend graphs and clipping.
#include "soft_fixture.h"

#include <gtest/gtest.h>

#include "library/base/system_info.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/memimg.h"
#include "library/softrender/blit_memimg.h"

namespace {

struct Image {
    MEMIMG m{};
    Image(int type, int w, int h, int alpha = 0, int palette = 0, int work = 0) {
        SetupMemImg(&m, w, h, -1, 0, type, palette, alpha, work, nullptr);
    }
    ~Image() { ReleaseMemImg(&m); }
    uint32_t Get(int x, int y) const {
        int bpp = MemImgBytesPerPixel(m.base);
        return LoadPixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp);
    }
    void Set(int x, int y, uint32_t v) {
        int bpp = MemImgBytesPerPixel(m.base);
        StorePixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * bpp, bpp, v);
    }
};

class Blit : public softtest::KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        g_drawArea = MakeDrawArea(0, 0, 16, 16);
    }
    static void Draw(int mode, int p, uint32_t bright) { Settings(mode, p, bright); }
};

}  // namespace

TEST_F(Blit, OnePixelPerModeOnBothDepths) {
    struct Case {
        int type, mode, p;
        uint32_t bright, src, dst, want;
        int mmx;
    } cases[] = {
        // 32-bit: word copy; p = 255 is the copy; halving at 128; the shifted weight otherwise.
        {1, 0, 0, 0xFFFFFF, 0x00112233, 0x00AABBCC, 0x00112233, 0},
        {1, 1, 255, 0xFFFFFF, 0x00112233, 0x00AABBCC, 0x00112233, 0},
        {1, 1, 128, 0xFFFFFF, 0x00FF0000, 0x000000FF, 0x007F007F, 0},
        {1, 1, 100, 0xFFFFFF, 0x00FF0000, 0x000000FF, 0x0063009B, 0},
        // Add at full parameter: guard bits drop the low bits of green and red without the
        // vector units, exact saturation with them.
        {1, 2, 255, 0xFFFFFF, 0x00F00101, 0x00200101, 0x00FF0002, 0},
        {1, 2, 255, 0xFFFFFF, 0x00F00101, 0x00200101, 0x00FF0202, 1},
        {1, 2, 128, 0xFFFFFF, 0x00FF00FF, 0x00000000, 0x00800080, 0},
        {1, 3, 255, 0xFFFFFF, 0x00FF0010, 0x00808080, 0x00008170, 0},
        {1, 3, 255, 0xFFFFFF, 0x00FF0010, 0x00808080, 0x00008070, 1},
        {1, 4, 0, 0xFFFFFF, 0x00808080, 0x00FFFFFF, 0x007F7F7F, 0},
        {1, 4, 255, 0xFFFFFF, 0x00808080, 0x00FFFFFF, 0x007F7F7F, 0},
        {1, 10, 255, 0xFFFFFF, 0x00000000, 0x00000000, 0x00FEFEFE, 0},
        {1, 11, 255, 0xFFFFFF, 0x00808080, 0x00FFFFFF, 0x007F7F7F, 0},
        {1, 0, 0, 0x80FFFF, 0x00FFFFFF, 0x00000000, 0x0080FFFF, 0},  // 255 tinted by 128
        // 16-bit: fields stay 5 / 6 / 5 bits.
        {0, 0, 0, 0x80FFFF, 0xF800, 0x0000, 0x7800, 0},  // red 31 tinted by 128 is 15
        {0, 1, 128, 0xFFFFFF, 0xF800, 0x001F, 0x780F, 0},
        {0, 1, 100, 0xFFFFFF, 0xF800, 0x001F, 0x6012, 0},  // the 6-bit blend, 25 of 63
        {0, 1, 100, 0xFEFFFF, 0xF800, 0x001F, 0x5813, 0},  // tinted: the signed products
        {0, 2, 255, 0xFFFFFF, 0x0821, 0x0821, 0x0002, 0},
        {0, 3, 255, 0xFFFFFF, 0xFFFF, 0x8410, 0x0000, 0},
        {0, 4, 9, 0xFFFFFF, 0xFFFF, 0x8410, 0x7BEF, 0},
    };
    for (const Case &c : cases) {
        Image src(c.type, 1, 1), dst(c.type, 1, 1);
        src.Set(0, 0, c.src);
        dst.Set(0, 0, c.dst);
        Draw(c.mode, c.p, c.bright);
        g_systemInfo.mmx = c.mmx;
        BlitMemImg(&dst.m, &src.m, 0, 0, 0, nullptr);
        EXPECT_EQ(dst.Get(0, 0), c.want) << "type " << c.type << " mode " << c.mode << " p " << c.p << std::hex
                                         << " src " << c.src << " dst " << c.dst;
    }
}

TEST_F(Blit, RefusalsAndModesThatDrawNothing) {
    Image src(1, 2, 2), dst(1, 2, 2), dst16(0, 2, 2), alphaDst(1, 2, 2, 1), paletteDst(1, 2, 2, 0, 1);
    FillMemImg(&src.m, nullptr, 0x00FFFFFF);
    BlitMemImg(&dst16.m, &src.m, 0, 0, 0, nullptr);
    BlitMemImg(&alphaDst.m, &src.m, 0, 0, 0, nullptr);
    BlitMemImg(&paletteDst.m, &src.m, 0, 0, 0, nullptr);
    EXPECT_EQ(dst16.Get(0, 0), 0u);
    EXPECT_EQ(alphaDst.Get(0, 0), 0u);
    EXPECT_EQ(paletteDst.Get(0, 0), 0u);
    for (int mode : {5, 6, 7, 8, 9, 12, -1}) {
        Draw(mode, 128, 0xFFFFFF);
        BlitMemImg(&dst.m, &src.m, 0, 0, 0, nullptr);
        EXPECT_EQ(dst.Get(1, 1), 0u) << mode;
    }
    for (int mode : {2, 3}) {
        Draw(mode, 0, 0xFFFFFF);
        BlitMemImg(&dst.m, &src.m, 0, 0, 0, nullptr);
        EXPECT_EQ(dst.Get(1, 1), 0u) << mode;
    }
    // Outside the draw area entirely.
    Draw(0, 255, 0xFFFFFF);
    g_drawArea = MakeDrawArea(4, 4, 8, 8);
    dst.m.base->runTableValid = 1;
    BlitMemImg(&dst.m, &src.m, 0, 0, 0, nullptr);
    EXPECT_EQ(dst.Get(0, 0), 0u);
    EXPECT_EQ(dst.m.base->runTableValid, 1);
    // A drawn image's run table no longer describes it.
    g_drawArea = MakeDrawArea(0, 0, 2, 2);
    BlitMemImg(&dst.m, &src.m, 0, 0, 0, nullptr);
    EXPECT_EQ(dst.Get(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(dst.m.base->runTableValid, 0);
}

TEST_F(Blit, ClippingToTheAreaReadsTheSourceAndBlendGraphAtTheOffset) {
    Image src(1, 4, 1), dst(1, 8, 1), graph(MEMIMG_TYPE_CHAN8, 4, 1);
    for (int x = 0; x < 4; ++x) {
        src.Set(x, 0, 0x000000FF);
        graph.Set(x, 0, (uint32_t)(x * 85));  // 0, 85, 170, 255
    }
    SetBlendGraphThreshold(128, 255);  // weight = byte
    g_drawArea = MakeDrawArea(2, 0, 8, 1);
    BlitMemImg(&dst.m, &src.m, 1, 0, 1, &graph.m);
    // Destination 1 is outside; 2..4 take source 1..3 at weights 85, 170, 255 (never quite 255).
    EXPECT_EQ(dst.Get(1, 0), 0u);
    EXPECT_EQ(dst.Get(2, 0), (uint32_t)(255 * 85 >> 8));
    EXPECT_EQ(dst.Get(3, 0), (uint32_t)(255 * 170 >> 8));
    EXPECT_EQ(dst.Get(4, 0), 254u);
    EXPECT_EQ(dst.Get(5, 0), 0u);
    // A blend graph smaller than the source: the uncovered pixels are not drawn.
    Image small(MEMIMG_TYPE_CHAN8, 2, 1), dst2(1, 8, 1);
    FillMemImg(&small.m, nullptr, 255);
    g_drawArea = MakeDrawArea(0, 0, 8, 1);
    BlitMemImg(&dst2.m, &src.m, 0, 0, 1, &small.m);
    EXPECT_EQ(dst2.Get(1, 0), 254u);
    EXPECT_EQ(dst2.Get(2, 0), 0u);
}

TEST_F(Blit, KeyedPaletteAndAlphaSources) {
    // Keyed 16-bit: the key colour is skipped only with the flag.
    Image keyed(0, 3, 1), dst(0, 3, 1);
    keyed.m.base->transparentCode = 0x1234;
    keyed.Set(0, 0, 0x1234);
    keyed.Set(1, 0, 0xFFFF);
    keyed.Set(2, 0, 0x1234);
    FillMemImg(&dst.m, nullptr, 0x0001);
    BlitMemImg(&dst.m, &keyed.m, 0, 0, 2, nullptr);
    EXPECT_EQ(dst.Get(0, 0), 0x0001u);
    EXPECT_EQ(dst.Get(1, 0), 0xFFFFu);
    BlitMemImg(&dst.m, &keyed.m, 0, 0, 0, nullptr);
    EXPECT_EQ(dst.Get(0, 0), 0x1234u);

    // Palette 32-bit: entries 0x00RRGGBB, the key is an index.
    Image pal(1, 3, 1, 0, 1), dst32(1, 3, 1);
    auto *entries = (uint32_t *)pal.m.base->palette;
    entries[1] = 0x00FF0000;
    entries[2] = 0x0000FF00;
    pal.m.base->transparentCode = 2;
    pal.Set(0, 0, 1);
    pal.Set(1, 0, 2);
    pal.Set(2, 0, 1);
    BlitMemImg(&dst32.m, &pal.m, 0, 0, 1, nullptr);
    EXPECT_EQ(dst32.Get(0, 0), 0x00FF0000u);
    EXPECT_EQ(dst32.Get(1, 0), 0u);

    // Alpha sources of both depths: 0 skipped, 255 whole, between blended; with the flag off
    // a plain copy ignores alpha, while a tinted one blends even alpha 0 (leaving the pixel).
    for (int type : {0, 1}) {
        Image a(type, 3, 1, 1), d(type, 3, 1);
        uint32_t red = type == 1 ? 0x00FF0000 : 0xF800, shift = type == 1 ? 24 : 16;
        a.Set(0, 0, red);
        a.Set(1, 0, red | 255u << shift);
        a.Set(2, 0, red | 128u << shift);
        BlitMemImg(&d.m, &a.m, 0, 0, 1, nullptr);
        EXPECT_EQ(d.Get(0, 0), 0u);
        EXPECT_EQ(d.Get(1, 0) & (type == 1 ? 0xFFFFFFu : 0xFFFFu), red);
        EXPECT_EQ(d.Get(2, 0), type == 1 ? 0x007F0000u : 15u << 11);
        FillMemImg(&d.m, nullptr, 0);
        BlitMemImg(&d.m, &a.m, 0, 0, 0, nullptr);
        EXPECT_EQ(d.Get(0, 0) & (type == 1 ? 0xFFFFFFu : 0xFFFFu), red);
        FillMemImg(&d.m, nullptr, 0);
        Draw(0, 255, 0xFFFFFE);
        BlitMemImg(&d.m, &a.m, 0, 0, 0, nullptr);
        EXPECT_EQ(d.Get(0, 0), 0u);
        Draw(0, 255, 0xFFFFFF);
    }
}

TEST_F(Blit, RunLengthRowsOnlyForWholeImagesWithFlagOne) {
    // Mode 1 at 128 halves on the per-pixel road and takes the signed products on the
    // run-length road: blue 31 toward 0 gives 15 and 16.
    Image src(0, 4, 2, 0, 0, 1), dst(0, 8, 2);
    src.m.base->transparentCode = 0xFFFF;
    FillMemImg(&src.m, nullptr, 0);
    src.Set(3, 1, 0xFFFF);
    BuildMemImgRunTable(src.m.base);
    src.m.base->runTableValid = 1;
    Draw(1, 128, 0xFFFFFF);
    for (int flag : {1, 2}) {
        FillMemImg(&dst.m, nullptr, 0x001F);
        BlitMemImg(&dst.m, &src.m, 0, 0, flag, nullptr);
        EXPECT_EQ(dst.Get(0, 0), flag == 1 ? 16u : 15u) << flag;
        EXPECT_EQ(dst.Get(3, 1), 0x001Fu) << flag;  // the keyed pixel is skipped either way
        EXPECT_EQ(dst.Get(4, 0), 0x001Fu) << flag;
    }
    // Clipped, or a sub-view: per pixel.
    g_drawArea = MakeDrawArea(1, 0, 8, 2);
    FillMemImg(&dst.m, nullptr, 0x001F);
    BlitMemImg(&dst.m, &src.m, 0, 0, 1, nullptr);
    EXPECT_EQ(dst.Get(1, 0), 15u);
    EXPECT_EQ(dst.Get(0, 0), 0x001Fu);
    g_drawArea = MakeDrawArea(0, 0, 8, 2);
    MEMIMG sub{};
    MakeSubMemImg(&sub, &src.m, 0, 0, 3, 2);
    FillMemImg(&dst.m, nullptr, 0x001F);
    BlitMemImg(&dst.m, &sub, 0, 0, 1, nullptr);
    EXPECT_EQ(dst.Get(0, 0), 15u);
    ReleaseMemImg(&sub);
}

TEST_F(Blit, RunTableDrawsWithoutTheFastPathsOfClippedDraws) {
    // Kept as specified: a whole keyed sprite goes through its run table, which has no fast
    // paths, while the same sprite clipped by one column takes the per-pixel loops, which do.
    struct Case {
        const char *name;
        int type, mode, p, mmx;
        uint32_t src, dst, whole, clipped;
    } cases[] = {
        {"half blend: weighted, not halved", 1, 1, 128, 0, 0x0000FF, 0x000001, 0x000080, 0x00007F},
        {"16-bit blend: signed products, not the 6-bit table", 0, 1, 100, 0, 0x07E0, 0x0000, 24u << 5, 25u << 5},
        {"add at 255: general masked add", 1, 2, 255, 0, 0x000300, 0x000300, 0x000500, 0x000400},
        {"add at 255: exact saturation with the vector units", 1, 2, 255, 1, 0x000300, 0x000300, 0x000500,
         0x000600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Image sprite(c.type, 4, 2, 0, 0, 1);
        sprite.m.base->transparentCode = 0x1234;
        for (int x = 0; x < 4; ++x) {
            sprite.Set(x, 0, c.src);
            sprite.Set(x, 1, 0x1234);
        }
        BuildMemImgRunTable(sprite.m.base);
        sprite.m.base->runTableValid = 1;
        Draw(c.mode, c.p, 0xFFFFFF);
        g_systemInfo.mmx = c.mmx;
        for (bool clipped : {false, true}) {
            Image dst(c.type, 4, 2);
            FillMemImg(&dst.m, nullptr, c.dst);
            g_drawArea = MakeDrawArea(clipped ? 1 : 0, 0, 4, 2);
            BlitMemImg(&dst.m, &sprite.m, 0, 0, 1, nullptr);
            EXPECT_EQ(dst.Get(2, 0), clipped ? c.clipped : c.whole) << (clipped ? "clipped" : "whole");
            EXPECT_EQ(dst.Get(2, 1), c.dst);
        }
    }
}
