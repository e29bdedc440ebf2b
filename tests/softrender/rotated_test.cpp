// Where the rotated kernel takes each pixel from: the quarter turns exactly, other angles
// within a texel of the exact inverse map, clipping, the mirrored road through the quad kernel,
// and the calls it refuses or survives.
#include "oracle.h"
#include "soft_fixture.h"

#include <cmath>
#include <limits>

#include "library/softrender/blit_memimg.h"
#include "library/softrender/blit_memimg_rotated.h"
#include "library/softrender/stretch_blit_memimg.h"

using namespace softtest;

namespace {

class Rotated : public KernelTest {};

constexpr float kQuarter = (float)(3.14159265358979323846 / 2);
constexpr float kHalf = (float)3.14159265358979323846;
constexpr uint32_t kCanary = 0xDEADBEEF;

// A 32-bit source whose pixel value is its position (x in bits 0-11, y in 12-23), never the canary.
void PositionPicture(TestImage &img) {
    for (int y = 0; y < img.m().height; ++y)
        for (int x = 0; x < img.m().width; ++x) img.Set(x, y, (uint32_t)(y << 12 | x));
}

void Paint(TestImage &img, uint32_t v) {
    for (int y = 0; y < img.m().height; ++y)
        for (int x = 0; x < img.m().width; ++x) img.Set(x, y, v);
}

}  // namespace

TEST_F(Rotated, AngleZeroAtScaleOneIsTheOneToOneCopyAroundTheCentre) {
    for (const POINT size : {POINT{9, 5}, POINT{8, 6}}) {
        SCOPED_TRACE(size.x);
        std::mt19937 rng(size.x);
        TestImage src(1, size.x, size.y, 1), turned(1, 30, 20, 1), copied(1, 30, 20, 1);
        src.Randomise(rng);
        turned.Randomise(rng);
        std::memcpy(copied.base()->pixels, turned.base()->pixels, (size_t)turned.base()->pitch * turned.base()->height);
        g_drawArea = MakeDrawArea(0, 0, 30, 20);
        BlitMemImgRotated(turned.img(), src.img(), 14, 9, 0.0f, 1.0f, 0, 0, nullptr);
        BlitMemImg(copied.img(), src.img(), 14 - (size.x >> 1), 9 - (size.y >> 1), 0, nullptr);
        EXPECT_EQ(turned.Bytes(), copied.Bytes());
    }
}

TEST_F(Rotated, QuarterTurnsAndScalesMatchTheExactMap) {
    TestImage src(1, 7, 4, 2);
    PositionPicture(src);
    struct Case {
        float angle;
        int cosine, sine;
        float scale;
    } cases[] = {{0, 1, 0, 2}, {0, 1, 0, 0.5f}, {kQuarter, 0, 1, 1}, {kQuarter, 0, 1, 2}, {kHalf, -1, 0, 1},
                 {kHalf, -1, 0, 0.5f}, {-kQuarter, 0, -1, 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.angle << " x" << c.scale);
        TestImage dst(1, 32, 24, 1);
        Paint(dst, kCanary);
        g_drawArea = MakeDrawArea(0, 0, 32, 24);
        const std::vector<uint8_t> want =
            OracleRotated(dst.m(), src.m(), 15, 11, c.cosine, c.sine, c.scale, OracleSettings(0, nullptr, 128, 255));
        BlitMemImgRotated(dst.img(), src.img(), 15, 11, c.angle, c.scale, 0, 0, nullptr);
        EXPECT_TRUE(dst.Bytes() == want);
    }
    // A quarter turn clockwise: moving right on the screen moves up the source.
    TestImage dst(1, 32, 24, 1);
    g_drawArea = MakeDrawArea(0, 0, 32, 24);
    BlitMemImgRotated(dst.img(), src.img(), 15, 11, kQuarter, 1.0f, 0, 0, nullptr);
    EXPECT_EQ(dst.Get(15, 11), (uint32_t)(2 << 12 | 3));
    EXPECT_EQ(dst.Get(16, 11), (uint32_t)(1 << 12 | 3));
    EXPECT_EQ(dst.Get(15, 12), (uint32_t)(2 << 12 | 4));
}

TEST_F(Rotated, OtherAnglesDrawTexelsWithinOneOfTheExactMap) {
    TestImage src(1, 21, 13, 1);
    PositionPicture(src);
    for (float angle : {0.3f, 0.5236f, 1.0f, 2.5f, -0.7f, 4.0f})
        for (float scale : {1.0f, 1.5f, 0.75f, 3.0f}) {
            SCOPED_TRACE(testing::Message() << angle << " x" << scale);
            TestImage dst(1, 80, 80, 1);
            Paint(dst, kCanary);
            g_drawArea = MakeDrawArea(0, 0, 80, 80);
            BlitMemImgRotated(dst.img(), src.img(), 40, 40, angle, scale, 0, 0, nullptr);
            const double c = std::cos((double)angle), s = std::sin((double)angle);
            int drawn = 0;
            for (int py = 0; py < 80; ++py)
                for (int px = 0; px < 80; ++px) {
                    const double dx = px - 40, dy = py - 40;
                    const double u = (dx * c + dy * s) / scale + 10, v = (dy * c - dx * s) / scale + 6;
                    const uint32_t got = dst.Get(px, py);
                    if (got == kCanary) {
                        // Well inside the source, every pixel is drawn.
                        ASSERT_FALSE(u >= 1 && u < 20 && v >= 1 && v < 12) << px << "," << py;
                        continue;
                    }
                    ++drawn;
                    const int tx = (int)(got & 0xFFF), ty = (int)(got >> 12 & 0xFFF);
                    ASSERT_LE(std::abs(tx - std::floor(u)), 1) << px << "," << py;
                    ASSERT_LE(std::abs(ty - std::floor(v)), 1) << px << "," << py;
                }
            EXPECT_GT(drawn, 0);
        }
}

TEST_F(Rotated, ADrawUnderAnAreaIsTheFullDrawKeptInsideIt) {
    std::mt19937 rng(21);
    TestImage src(0, 15, 9, 1), base(0, 48, 40, 1);
    src.Randomise(rng);
    src.base()->transparentCode = src.Get(3, 3);
    base.Randomise(rng);
    Settings(BLENDMODE_ADD, 180, 0xFFFFFF);
    ExpectDrawsKeptInsideAreas(base, {{10, 8, 30, 25}, {21, 0, 22, 40}, {0, 30, 48, 40}}, [&](MEMIMG *d) {
        BlitMemImgRotated(d, src.img(), 22, 19, 0.6f, 1.7f, 1, 0, nullptr);
    });
}

TEST_F(Rotated, TheTurnFlagDrawsTheImageMirrored) {
    // Through the quad kernel, which samples each texel at the left edge of its pixel and ends
    // its spans before the right corner: the mirrored image lands one column to the right of
    // the unturned one, and its last column (source column 0) falls outside the spans.
    std::mt19937 rng(8);
    TestImage src(1, 10, 6, 1), turned(1, 30, 20, 1), mirrored(1, 30, 20, 1);
    src.Randomise(rng);
    g_drawArea = MakeDrawArea(0, 0, 30, 20);
    BlitMemImgRotated(turned.img(), src.img(), 14, 9, 0.0f, 1.0f, 0, 1, nullptr);
    g_drawArea = MakeDrawArea(0, 0, 19, 20);
    const RECT r{14 + 5 + 1, 9 - 3, 14 - 5 + 1, 9 + 3};
    StretchBlitMemImg(mirrored.img(), src.img(), &r, 0, nullptr);
    EXPECT_EQ(turned.Bytes(), mirrored.Bytes());
}

TEST_F(Rotated, BadInputLeavesTheDestinationAsItWas) {
    std::mt19937 rng(4);
    TestImage src32(1, 6, 4, 1), src16(0, 6, 4, 1), dst(1, 16, 16, 1), chan8(MEMIMG_TYPE_CHAN8, 6, 4, 1);
    TestImage alphaDst(1, 16, 16, 1, 1), paletteDst(1, 16, 16, 1, 0, 1);
    TestImage chan16(MEMIMG_TYPE_CHAN16, 6, 4, 1), chan16Dst(MEMIMG_TYPE_CHAN16, 16, 16, 1);
    chan16.Randomise(rng);
    src32.Randomise(rng);
    src16.Randomise(rng);
    chan8.Randomise(rng);
    g_drawArea = MakeDrawArea(0, 0, 16, 16);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char *name;
        TestImage *d, *s;
        float angle, scale;
        int turn;
    } cases[] = {
        {"types differ", &dst, &src16, 0.3f, 1, 0},
        {"alpha destination", &alphaDst, &src32, 0.3f, 1, 0},
        {"palette destination", &paletteDst, &src32, 0.3f, 1, 0},
        {"8-bit channel source", &dst, &chan8, 0.3f, 1, 0},
        {"16-bit channel images", &chan16Dst, &chan16, 0.3f, 1, 0},
        {"scale 0", &dst, &src32, 0.3f, 0, 0},
        {"scale 0 turned", &dst, &src32, 0.3f, 0, 1},
        {"NaN angle", &dst, &src32, nan, 1, 0},
        {"infinite angle", &dst, &src32, inf, 1, 1},
        {"NaN scale", &dst, &src32, 0.3f, nan, 0},
        {"steps past 32 bits", &dst, &src32, 0.3f, 1e-30f, 0},
    };
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.d->Randomise(rng);
        c.d->base()->runTableValid = 1;
        const std::vector<uint8_t> before = c.d->Bytes();
        BlitMemImgRotated(c.d->img(), c.s->img(), 8, 8, c.angle, c.scale, 0, c.turn, nullptr);
        EXPECT_EQ(c.d->Bytes(), before);
        EXPECT_EQ(c.d->base()->runTableValid, 1);
    }
    // A drawn image's run table no longer describes it.
    BlitMemImgRotated(dst.img(), src32.img(), 8, 8, 0.3f, 1, 0, 0, nullptr);
    EXPECT_EQ(dst.base()->runTableValid, 0);
}

TEST_F(Rotated, TallSourcesAndSmallBlendGraphsDrawWithinBounds) {
    // 5,000 source rows: every one is reached through the image, none through a table.
    TestImage tall(1, 2, 5000), dst(1, 4, 5000, 1);
    for (int y = 0; y < 5000; ++y)
        for (int x = 0; x < 2; ++x) tall.Set(x, y, (uint32_t)y);
    g_drawArea = MakeDrawArea(0, 0, 4, 5000);
    BlitMemImgRotated(dst.img(), tall.img(), 1, 2500, 0.0f, 1.0f, 0, 0, nullptr);
    EXPECT_EQ(dst.Get(0, 4999), 4999u);
    EXPECT_EQ(dst.Get(1, 0), 0u);

    // A blend graph smaller than the source: texels past it leave their pixels alone.
    SetBlendGraphThreshold(128, 255);
    TestImage src(1, 8, 6, 1), graph(MEMIMG_TYPE_CHAN8, 5, 4, 1), out(1, 20, 20, 1);
    Paint(src, 0xFF);
    Paint(graph, 255);
    g_drawArea = MakeDrawArea(0, 0, 20, 20);
    BlitMemImgRotated(out.img(), src.img(), 10, 10, 0.0f, 1.0f, 0, 0, graph.img());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const int u = x - 10 + 4, v = y - 10 + 3;
            const bool weighted = u >= 0 && u < 5 && v >= 0 && v < 4;
            ASSERT_EQ(out.Get(x, y), weighted ? 254u : 0u) << x << "," << y;
        }
}
