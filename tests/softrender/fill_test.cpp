// The rectangle fill against the reference model over modes, parameters, bright colours and
// rectangles, with the values its description pins.
#include "oracle.h"
#include "soft_fixture.h"

#include "library/softrender/fill_memimg_rectangle.h"

using namespace softtest;

namespace {
class Fill : public KernelTest {};
}  // namespace

TEST_F(Fill, MatchesTheModel) {
    std::mt19937 rng(99);
    const RECT rects[] = {{3, 2, 14, 9}, {14, 9, 3, 2}, {-5, -5, 40, 40}, {20, 1, 30, 5}};
    int failures = 0;
    for (int type : {0, 1})
        for (int mode : {-1, 0, 1, 2, 3, 4, 5, 9, 10, 11, 12})
            for (int p : {0, 1, 127, 128, 254, 255})
                for (uint32_t bright : {0xFFFFFFu, 0x80C8FFu, 0xFFFFFEu})
                    for (int r = -1; r < 4; ++r) {
                        TestImage dst(type, 17, 11, 2);
                        dst.Randomise(rng);
                        const uint32_t colour = type == 1 ? (uint32_t)rng() : (uint32_t)rng() & 0xFFFF;
                        Settings(mode, p, bright);
                        g_drawArea = MakeDrawArea(1, 1, 16, 10);
                        const RECT *rect = r < 0 ? nullptr : &rects[r];
                        const std::vector<uint8_t> want = OracleFill(dst.m(), rect, colour);
                        FillMemImgRectangle(dst.img(), rect, colour);
                        if (want != dst.Bytes() && ++failures <= 10)
                            ADD_FAILURE() << "type " << type << " mode " << mode << " p " << p << " bright " << std::hex
                                          << bright << " rect " << std::dec << r;
                    }
    EXPECT_EQ(failures, 0);
}

TEST_F(Fill, AFillUnderAnAreaIsTheFullFillKeptInsideIt) {
    std::mt19937 rng(12);
    TestImage base(1, 24, 16, 1);
    base.Randomise(rng);
    Settings(BLENDMODE_SUB, 200, 0xC0FFFF);
    const RECT rect{2, 3, 21, 14};
    ExpectDrawsKeptInsideAreas(base, {{5, 5, 9, 9}, {0, 10, 24, 16}, {20, 0, 24, 4}},
                               [&](MEMIMG *d) { FillMemImgRectangle(d, &rect, 0x00805020); });
}

TEST_F(Fill, PinnedValues) {
    struct Case {
        const char *name;
        int type, mode, p;
        uint32_t bright, colour, dst, want;
    } cases[] = {
        {"bright 128 halves 255 to 127", 1, 0, 255, 0x808080, 0xFFFFFFFF, 0, 0xFF7F7F7F},
        {"bright 128 halves red 31 to 15", 0, 0, 255, 0x808080, 0xF800, 0, 0x7800},
        {"near-white bright still modulates", 1, 0, 255, 0xFFFFFE, 0x00FFFFFF, 0, 0x00FEFEFD},
        {"mode 0 writes the colour's top byte", 1, 0, 0, 0xFFFFFF, 0xAB010203, 0x11223344, 0xAB010203},
        {"mode 1 keeps the top byte", 1, 1, 128, 0xFFFFFF, 0x00FF0000, 0x55000000, 0x557F0000},
        {"add leaves red's carry on top", 1, 2, 255, 0xFFFFFF, 0x00F00000, 0x77200000, 0x01FF0000},
        {"subtract clears the top byte", 1, 3, 255, 0xFFFFFF, 0x00101010, 0x77808080, 0x00717170},
        {"16-bit multiply by white is not the identity", 0, 4, 0, 0xFFFFFF, 0xFFFF, 0xFFFF, 30u << 11 | 62u << 5 | 30},
        {"16-bit mode 10 at p 255 turns black into white", 0, 10, 255, 0xFFFFFF, 0x0000, 0x0000, 0xFFFF},
        {"modes 10 and 11 at p 0 change nothing", 1, 11, 0, 0xFFFFFF, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestImage dst(c.type, 3, 1, 1);
        for (int x = 0; x < 3; ++x) dst.Set(x, 0, c.dst);
        Settings(c.mode, c.p, c.bright);
        g_drawArea = MakeDrawArea(0, 0, 3, 1);
        FillMemImgRectangle(dst.img(), nullptr, c.colour);
        EXPECT_EQ(dst.Get(1, 0), c.want);
    }
}

TEST_F(Fill, EdgesRefusalsAndTheRunTable) {
    // An odd 16-bit row ends on its own pixel; the next one is untouched.
    TestImage row(0, 6, 1, 1);
    g_drawArea = MakeDrawArea(0, 0, 6, 1);
    const RECT three{0, 0, 3, 1};
    FillMemImgRectangle(row.img(), &three, 0xFFFF);
    EXPECT_EQ(row.Get(2, 0), 0xFFFFu);
    EXPECT_EQ(row.Get(3, 0), 0u);
    // Palette and alpha images are not filled; a filled image drops its run table.
    std::mt19937 rng(5);
    TestImage alpha(1, 4, 4, 1, 1), palette(0, 4, 4, 1, 0, 1), plain(1, 4, 4, 1);
    for (TestImage *img : {&alpha, &palette}) {
        img->Randomise(rng);
        const std::vector<uint8_t> before = img->Bytes();
        FillMemImgRectangle(img->img(), nullptr, 0x123456);
        EXPECT_EQ(img->Bytes(), before);
    }
    for (int type : {MEMIMG_TYPE_CHAN8, MEMIMG_TYPE_CHAN16}) {
        TestImage channel(type, 4, 4, 1);
        channel.Randomise(rng);
        const std::vector<uint8_t> before = channel.Bytes();
        FillMemImgRectangle(channel.img(), nullptr, 0x1234);
        EXPECT_EQ(channel.Bytes(), before) << type;
    }
    plain.base()->runTableValid = 1;
    plain.base()->premultipliedValid = 1;
    g_drawArea = MakeDrawArea(0, 0, 4, 4);
    FillMemImgRectangle(plain.img(), nullptr, 0x123456);
    EXPECT_EQ(plain.Get(3, 3), 0x123456u);
    EXPECT_EQ(plain.base()->runTableValid, 0);
    EXPECT_EQ(plain.base()->premultipliedValid, 0);
}
