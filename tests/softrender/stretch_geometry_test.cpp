// Where the stretched kernel takes each pixel from: the closed form of its counters, mirroring,
// clipping, the hand-over to the 1:1 kernel, and the calls it refuses or survives.
#include "oracle.h"
#include "soft_fixture.h"

#include "library/softrender/blit_memimg.h"
#include "library/softrender/stretch_blit_memimg.h"

using namespace softtest;

namespace {

class Stretch : public KernelTest {};

// A 32-bit source whose pixel value is its position: x in the low byte, y in the next.
void PositionPicture(TestImage &img) {
    for (int y = 0; y < img.m().height; ++y)
        for (int x = 0; x < img.m().width; ++x) img.Set(x, y, (uint32_t)(y << 8 | x));
}

}  // namespace

TEST_F(Stretch, ColumnsAndRowsFollowTheClosedForm) {
    struct Case {
        int srcW, dstW;
        bool mirrored;
        std::vector<int> columns;  // the source column of each destination column
    };
    const Case cases[] = {
        {2, 3, false, {0, 0, 1}},
        {8, 4, false, {0, 2, 4, 6}},
        {3, 6, false, {0, 0, 1, 1, 2, 2}},
        {3, 6, true, {2, 2, 1, 1, 0, 0}},
        {5, 3, false, {0, 1, 3}},  // shrinking need not reach the last column
        {4, 4, true, {3, 2, 1, 0}},
        {7, 10, false, {0, 0, 1, 2, 2, 3, 4, 4, 5, 6}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << " -> " << c.dstW << (c.mirrored ? " mirrored" : ""));
        TestImage src(1, c.srcW, c.srcW, 1), dst(1, c.dstW, c.dstW, 1);
        PositionPicture(src);
        g_drawArea = MakeDrawArea(0, 0, c.dstW, c.dstW);
        const RECT r = c.mirrored ? RECT{c.dstW, 0, 0, c.dstW} : RECT{0, 0, c.dstW, c.dstW};
        StretchBlitMemImg(dst.img(), src.img(), &r, 0, nullptr);
        for (int x = 0; x < c.dstW; ++x) {
            EXPECT_EQ(dst.Get(x, 0) & 0xFF, (uint32_t)c.columns[x]) << "column " << x;
            EXPECT_EQ(StretchSourceColumn(x, c.dstW, c.srcW, c.mirrored), c.columns[x]) << "model, column " << x;
            // Rows follow the same rule (the rectangle is square).
            EXPECT_EQ(dst.Get(0, x) >> 8 & 0xFF, (uint32_t)StretchSourceColumn(x, c.dstW, c.srcW, false)) << "row " << x;
        }
    }
}

TEST_F(Stretch, MirroredSameSizeIsTheOneToOneCopyOfAMirroredPicture) {
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        std::mt19937 rng(7);
        TestImage src(type, 9, 5, 2), flipped(type, 9, 5, 2), a(type, 20, 12, 1), b(type, 20, 12, 1);
        src.Randomise(rng);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x) flipped.Set(8 - x, 4 - y, src.Get(x, y));
        g_drawArea = MakeDrawArea(0, 0, 20, 12);
        const RECT r{12, 9, 3, 4};
        StretchBlitMemImg(a.img(), src.img(), &r, 0, nullptr);
        BlitMemImg(b.img(), flipped.img(), 3, 4, 0, nullptr);
        EXPECT_EQ(a.Bytes(), b.Bytes());
    }
}

TEST_F(Stretch, ADrawUnderAnAreaIsTheFullDrawKeptInsideIt) {
    std::mt19937 rng(11);
    TestImage src(1, 11, 6, 1);
    src.Randomise(rng);
    src.base()->transparentCode = src.Get(2, 2);
    Settings(BLENDMODE_ALPHA, 100, 0xFFFFFF);
    for (const RECT &r : {RECT{1, 2, 30, 21}, RECT{28, 20, 2, 1}, RECT{5, 3, 9, 19}}) {
        SCOPED_TRACE(testing::Message() << "rect " << r.left << "," << r.top);
        TestImage base(1, 32, 24, 1);
        base.Randomise(rng);
        ExpectDrawsKeptInsideAreas(base, {{7, 5, 8, 6}, {3, 0, 17, 24}, {0, 11, 32, 13}, {20, 3, 31, 22}},
                                   [&](MEMIMG *d) { StretchBlitMemImg(d, src.img(), &r, 1, nullptr); });
    }
}

TEST_F(Stretch, BadInputLeavesTheDestinationAsItWas) {
    std::mt19937 rng(3);
    TestImage src32(1, 6, 4, 1), src16(0, 6, 4, 1), dst(1, 16, 16, 1), chan8(MEMIMG_TYPE_CHAN8, 6, 4, 1);
    TestImage alphaDst(1, 16, 16, 1, 1), paletteDst(1, 16, 16, 1, 0, 1);
    TestImage chan8Dst(MEMIMG_TYPE_CHAN8, 16, 16, 1), chan16(MEMIMG_TYPE_CHAN16, 6, 4, 1),
        chan16Dst(MEMIMG_TYPE_CHAN16, 16, 16, 1);
    chan16.Randomise(rng);
    src32.Randomise(rng);
    src16.Randomise(rng);
    chan8.Randomise(rng);
    g_drawArea = MakeDrawArea(0, 0, 16, 16);
    const RECT r{0, 0, 12, 9};
    struct Case {
        const char *name;
        TestImage *d, *s;
        RECT rect;
    } cases[] = {
        {"types differ", &dst, &src16, r},
        {"alpha destination", &alphaDst, &src32, r},
        {"palette destination", &paletteDst, &src32, r},
        {"8-bit channel source", &dst, &chan8, r},
        {"8-bit channel images", &chan8Dst, &chan8, r},
        {"16-bit channel images", &chan16Dst, &chan16, r},
        {"empty width", &dst, &src32, {5, 0, 5, 9}},
        {"empty height", &dst, &src32, {0, 7, 12, 7}},
        {"too wide", &dst, &src32, {-20000, 0, 20000, 9}},
        {"outside the area", &dst, &src32, {16, 0, 30, 9}},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.d->Randomise(rng);
        c.d->base()->runTableValid = 1;
        const std::vector<uint8_t> before = c.d->Bytes();
        StretchBlitMemImg(c.d->img(), c.s->img(), &c.rect, 0, nullptr);
        EXPECT_EQ(c.d->Bytes(), before);
        EXPECT_EQ(c.d->base()->runTableValid, 1);  // untouched images keep their tables
    }
    StretchBlitMemImg(dst.img(), src32.img(), nullptr, 0, nullptr);
    // A drawn image's run-length table no longer describes it.
    dst.base()->runTableValid = 1;
    StretchBlitMemImg(dst.img(), src32.img(), &r, 0, nullptr);
    EXPECT_EQ(dst.base()->runTableValid, 0);
}

TEST_F(Stretch, TallSourcesAndSmallBlendGraphsDrawWithinBounds) {
    // A source of 5,000 rows halved, and a blend graph smaller than the source: the pixels whose
    // source lies past the graph stay as they were, mirrored or not.
    TestImage tall(1, 3, 5000), dst(1, 3, 2500, 1);
    for (int y = 0; y < 5000; ++y)
        for (int x = 0; x < 3; ++x) tall.Set(x, y, (uint32_t)y);
    g_drawArea = MakeDrawArea(0, 0, 3, 2500);
    const RECT half{0, 0, 3, 2500};
    StretchBlitMemImg(dst.img(), tall.img(), &half, 0, nullptr);
    EXPECT_EQ(dst.Get(2, 2499), 4998u);

    SetBlendGraphThreshold(128, 255);
    TestImage src(1, 8, 4, 1), graph(MEMIMG_TYPE_CHAN8, 5, 3, 1);
    FillMemImg(src.img(), nullptr, 0xFF);
    FillMemImg(graph.img(), nullptr, 255);
    for (bool mirrored : {false, true}) {
        TestImage out(1, 16, 8, 1);
        g_drawArea = MakeDrawArea(0, 0, 16, 8);
        const RECT r = mirrored ? RECT{16, 0, 0, 8} : RECT{0, 0, 16, 8};
        StretchBlitMemImg(out.img(), src.img(), &r, 0, graph.img());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const int sx = mirrored ? 7 - x / 2 : x / 2, sy = y / 2;
                ASSERT_EQ(out.Get(x, y), sx < 5 && sy < 3 ? 254u : 0u) << mirrored << " " << x << "," << y;
            }
    }
}

TEST_F(Stretch, AnAlphaSourceCopiedWithTheFlagOffBlendsWhenStretchedNotAtOneToOne) {
    // Kept as each kernel's own rule: the same picture is copied opaque at its own size and
    // blended by its alpha once stretched or mirrored.
    for (int type : {0, 1}) {
        SCOPED_TRACE(type);
        TestImage src(type, 2, 1, 1, 1), one(type, 2, 1, 1), mirrored(type, 2, 1, 1);
        const uint32_t white = type == 1 ? 0x80FFFFFFu : 0x0080FFFFu;
        src.Set(0, 0, white);
        src.Set(1, 0, white);
        g_drawArea = MakeDrawArea(0, 0, 2, 1);
        const RECT same{0, 0, 2, 1}, flip{2, 0, 0, 1};
        StretchBlitMemImg(one.img(), src.img(), &same, 0, nullptr);
        StretchBlitMemImg(mirrored.img(), src.img(), &flip, 0, nullptr);
        EXPECT_EQ(one.Get(0, 0), type == 1 ? white : 0xFFFFu);
        EXPECT_EQ(mirrored.Get(0, 0), type == 1 ? 0x7F7F7Fu : (15u << 11 | 31u << 5 | 15u));
    }
}
