// The triangle and quad kernels against the reference model over every source kind, blend
// mode, parameter and setting on small padded images; the pictures and values the rules fix;
// and the calls that must leave the destination as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "library/softrender/blit_memimg.h"
#include "library/softrender/rasterize_memimg.h"
#include "reference_triangle.h"
#include "soft_fixture.h"

namespace {

using softtest::ReferenceTriangle;
using softtest::TestImage;
using softtest::OracleSettings;

// Source kinds: pixel type, alpha, palette; no source at all draws a flat colour.
struct KIND {
    const char *name;
    int type, alpha, palette;
    bool flat;
};
constexpr KIND kKinds[] = {
    {"16-bit", 0, 0, 0, false},        {"16-bit alpha", 0, 1, 0, false}, {"16-bit palette", 0, 0, 1, false},
    {"16-bit flat", 0, 0, 0, true},    {"32-bit", 1, 0, 0, false},       {"32-bit alpha", 1, 1, 0, false},
    {"32-bit palette", 1, 0, 1, false}, {"32-bit flat", 1, 0, 0, true},
};
constexpr int kSrcW = 13, kSrcH = 11, kDstW = 40, kDstH = 30;

// Triangles of every shape, as x, y, u, v per vertex (the texture spans a little past the
// source on purpose): flat top, flat bottom, the middle vertex left and right of the long edge,
// slivers, coordinates above and left of the destination and past it, degenerate ones.
const std::vector<std::vector<int32_t>> kShapes = {
    {2, 3, 0, 0, 30, 3, 13, 0, 15, 25, 6, 11},       // flat top
    {15, 2, 6, 0, 3, 26, 0, 11, 33, 26, 13, 11},     // flat bottom
    {20, 1, 13, 0, 2, 14, 0, 5, 28, 28, 13, 11},     // middle vertex left
    {10, 1, 0, 0, 36, 12, 14, 4, 4, 27, -1, 12},     // middle vertex right
    {0, 5, 0, 0, 39, 6, 13, 5, 39, 7, 13, 11},       // sliver
    {19, -4, 3, -2, 20, 33, 12, 13, 21, 2, 5, 4},    // tall sliver
    {-7, -5, 0, 0, 25, -2, 13, 0, 5, 20, 0, 11},     // above and left of the area
    {-3, -9, 2, 9, 12, 4, 12, 0, 1, 8, 0, 1},        // top above row 0, two segments on the left
    {30, 20, 0, 0, 50, 25, 13, 0, 35, 45, 0, 11},    // past the right and the bottom
    {1, 1, 0, 0, 10, 10, 5, 5, 20, 20, 13, 11},      // collinear
    {5, 5, 0, 0, 5, 5, 13, 0, 20, 3, 0, 11},         // two equal vertices
    {0, 0, 0, 0, 40, 0, 13, 0, 0, 30, 0, 11},        // the whole view
    {39, 29, 13, 11, 0, 29, 0, 11, 39, 0, 13, 0},    // reversed winding
    {8, 8, 26, 22, 30, 12, -13, 22, 14, 27, 26, -11},  // texture scaled up and mirrored
};

std::string Describe(const KIND &k, int mode, int p, int trans, int graph, uint32_t bright, size_t shape, int area) {
    std::ostringstream s;
    s << k.name << " mode " << mode << " p " << p << " trans " << trans << " graph " << graph << " bright " << std::hex
      << bright << std::dec << " shape " << shape << " area " << area;
    return s.str();
}

// The first byte where two bodies differ, as a view pixel.
std::string FirstDifference(const TestImage &img, const std::vector<uint8_t> &got, const std::vector<uint8_t> &want) {
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i]) {
            const size_t pitch = (size_t)img.base()->pitch, bytes = (size_t)img.bytes();
            const long x = (long)(i % pitch / bytes) - img.pad, y = (long)(i / pitch) - img.pad;
            std::ostringstream s;
            s << "pixel (" << x << ", " << y << ") byte " << i % bytes << ": " << (int)got[i] << " want " << (int)want[i];
            return s.str();
        }
    return "";
}

class TriangleTest : public softtest::KernelTest {
protected:
    // A source of the kind from raw generator words: alpha ramps with 0, 1, 254 and 255 often,
    // a transparent code that several texels carry, and near misses of it.
    static void FillSource(TestImage &src, const KIND &k, std::mt19937 &rng) {
        src.Randomise(rng);
        MEMIMGBASE *b = src.base();
        if (k.palette) {
            for (int i = 0; i < 256 * 4; ++i) b->palette[i] = (uint8_t)rng();
            b->transparentCode = src.Get(3, 3);
            for (int x = 0; x < kSrcW; x += 4) src.Set(x, 7, b->transparentCode);
            return;
        }
        if (k.alpha) {
            static const uint32_t kAlphas[] = {0, 1, 254, 255, 128, 0, 255};
            for (int y = 0; y < kSrcH; ++y)
                for (int x = 0; x < kSrcW; ++x) {
                    const uint32_t a = (x + y) % 3 == 0 ? kAlphas[(x * 7 + y) % 7] : rng() & 0xFF;
                    const uint32_t v = src.Get(x, y);
                    src.Set(x, y, k.type == 1 ? (v & 0xFFFFFF) | a << 24 : (v & 0xFF00FFFF) | a << 16);
                }
            b->transparentCode = src.Get(2, 2);
            return;
        }
        b->transparentCode = src.Get(4, 2);
        for (int y = 0; y < kSrcH; y += 3) src.Set(5, y, b->transparentCode);
        // The same colour with another fourth byte is not the key.
        if (k.type == 1) src.Set(6, 6, b->transparentCode ^ 0x01000000);
    }

    // One triangle through the kernel and through the model; the whole padded body must agree.
    static void DrawAndCompare(TestImage &dst, const KIND &k, TestImage *src, const std::vector<int32_t> &v, int trans,
                               TestImage *graph, int border, int range, uint32_t colour, const std::string &what) {
        const auto s = OracleSettings(trans, graph ? graph->img() : nullptr, border, range);
        const std::vector<uint8_t> want =
            ReferenceTriangle(*dst.img(), k.flat ? nullptr : src->img(), v.data(), s, colour);
        RasterizeMemImgTriangle(dst.img(), k.flat ? nullptr : src->img(), v.data(), trans,
                                graph ? graph->img() : nullptr, colour);
        const std::vector<uint8_t> got = dst.Bytes();
        ASSERT_TRUE(got == want) << what << ": " << FirstDifference(dst, got, want);
    }
};

TEST_F(TriangleTest, AgreesWithTheReferenceOverEveryKindModeAndSetting) {
    std::mt19937 rng(31);
    const RECT areas[] = {{0, 0, kDstW, kDstH}, {5, 4, 31, 23}, {-10, -10, kDstW + 20, kDstH + 20}};
    const int params[] = {0, 1, 127, 128, 254, 255};
    const uint32_t brights[] = {0xFFFFFF, 0xC08040};
    size_t next = 0;
    for (const KIND &k : kKinds) {
        TestImage src(k.type, kSrcW, kSrcH, 2, k.alpha, k.palette);
        FillSource(src, k, rng);
        // A ramp as large as the source, and a smaller one.
        TestImage ramp(MEMIMG_TYPE_CHAN8, kSrcW + 3, kSrcH, 1), small(MEMIMG_TYPE_CHAN8, 9, 7, 1);
        for (int y = 0; y < kSrcH; ++y)
            for (int x = 0; x < kSrcW + 3; ++x) {
                ramp.Set(x, y, (uint32_t)(x * 19 + y * 23) & 0xFF);
                if (x < 9 && y < 7) small.Set(x, y, (uint32_t)(255 - x * 30 - y * 5) & 0xFF);
            }
        TestImage dst(k.type, kDstW, kDstH, 3);
        for (int mode = -1; mode <= 12; ++mode)
            for (int p : params)
                for (int trans = 0; trans < 2; ++trans)
                    for (int graph = 0; graph < 3; ++graph)
                        for (uint32_t bright : brights) {
                            dst.Randomise(rng);
                            Settings(mode, p, bright);
                            const int border = graph == 2 ? 100 : 128, range = graph == 2 ? 60 : 255;
                            SetBlendGraphThreshold(border, range);
                            TestImage *g = graph == 0 ? nullptr : graph == 1 ? &ramp : &small;
                            const int area = (int)(next % 3);
                            const RECT &a = areas[area];
                            g_drawArea = MakeDrawArea(a.left, a.top, a.right, a.bottom);
                            const uint32_t colour = rng();
                            // Four shapes a combination, so every shape meets every setting.
                            for (int i = 0; i < 4; ++i, ++next) {
                                const size_t shape = next % kShapes.size();
                                DrawAndCompare(dst, k, &src, kShapes[shape], trans, g, border, range, colour,
                                               Describe(k, mode, p, trans, graph, bright, shape, area));
                            }
                        }
    }
}

TEST_F(TriangleTest, AgreesWithTheReferenceOnSeededTriangles) {
    std::mt19937 rng(3131);
    for (const KIND &k : kKinds) {
        TestImage src(k.type, kSrcW, kSrcH, 2, k.alpha, k.palette);
        FillSource(src, k, rng);
        TestImage dst(k.type, kDstW, kDstH, 3);
        for (int i = 0; i < 600; ++i) {
            std::vector<int32_t> v(12);
            for (int j = 0; j < 3; ++j) {
                v[4 * j] = (int)(rng() % 60) - 10;
                v[4 * j + 1] = (int)(rng() % 50) - 10;
                v[4 * j + 2] = (int)(rng() % 19) - 3;
                v[4 * j + 3] = (int)(rng() % 17) - 3;
            }
            dst.Randomise(rng);
            static const int kModes[] = {0, 1, 2, 3, 4, 10, 11};
            Settings(kModes[i % 7], (int)(rng() & 0xFF), i % 5 == 0 ? 0x7FFFC0 : 0xFFFFFF);
            g_drawArea = MakeDrawArea(i % 4, i % 3, kDstW - i % 5, kDstH);
            DrawAndCompare(dst, k, &src, v, i % 2, nullptr, 128, 255, rng(),
                           std::string(k.name) + " seeded triangle " + std::to_string(i));
        }
    }
}

}  // namespace

namespace {

// The pixels of a view that differ from the value `was`.
std::vector<std::pair<int, int>> Changed(const TestImage &img, int w, int h, uint32_t was) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (img.Get(x, y) != was) out.push_back({x, y});
    return out;
}

TEST_F(TriangleTest, HalfOpenSpansAndFlooredRows) {
    TestImage dst(1, 16, 16, 2);
    g_drawArea = MakeDrawArea(0, 0, 16, 16);
    // (0, 0), (10, 0), (0, 10): row r covers pixels 0 to 9 - r, 55 in all.
    const int32_t tri[12] = {0, 0, 0, 0, 10, 0, 0, 0, 0, 10, 0, 0};
    RasterizeMemImgTriangle(dst.img(), nullptr, tri, 0, nullptr, 0x00FFFFFF);
    auto changed = Changed(dst, 16, 16, 0);
    EXPECT_EQ(changed.size(), 55u);
    for (auto [x, y] : changed) EXPECT_LT(x, 10 - y) << x << "," << y;
    // A top vertex at y = -1 starts on row -1: row 0 is the walk's second row, 9 pixels.
    TestImage above(1, 16, 16, 2);
    const int32_t high[12] = {0, -1, 0, 0, 10, -1, 0, 0, 0, 9, 0, 0};
    RasterizeMemImgTriangle(above.img(), nullptr, high, 0, nullptr, 0x00FFFFFF);
    changed = Changed(above, 16, 16, 0);
    EXPECT_EQ(changed.size(), 45u);
    for (auto [x, y] : changed) EXPECT_LT(x, 9 - y) << x << "," << y;
}

TEST_F(TriangleTest, ClippedSpanTakesThePlaneAtTheAreaEdge) {
    // Texel (c, r) holds c + 256 r; u = x and v = y on the triangle, so each pixel shows its own
    // position, also where the draw area cuts the span.
    TestImage src(1, 32, 16, 1), dst(1, 32, 16, 1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) src.Set(x, y, (uint32_t)(x + 256 * y) | 0x00800000);
    g_drawArea = MakeDrawArea(5, 0, 32, 16);
    const int32_t tri[12] = {2, 0, 2, 0, 20, 0, 20, 0, 2, 12, 2, 12};
    RasterizeMemImgTriangle(dst.img(), src.img(), tri, 0, nullptr, 0);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.Get(x, 3), 0u) << x;
    EXPECT_EQ(dst.Get(5, 3), 5u + 256 * 3 + 0x00800000);
    EXPECT_EQ(dst.Get(9, 7), 9u + 256 * 7 + 0x00800000);
}

// One pixel under a triangle that maps a 1 x 1 source onto it.
struct ONEPIXEL {
    const char *what;
    int type, alpha;
    bool flat;
    int mode, p;
    uint32_t bright;
    int trans;
    uint32_t texel, dst, want;
};

TEST_F(TriangleTest, ValuesTheRulesFix) {
    const ONEPIXEL cases[] = {
        {"32-bit subtract keeps green and red odd", 1, 0, false, 3, 255, 0xFFFFFF, 0, 0x1E1E1E, 0x646464, 0x474746},
        {"32-bit subtract stops at 0", 1, 0, false, 3, 255, 0xFFFFFF, 0, 0x141414, 0x0A0A0A, 0},
        {"32-bit zero-amount subtract", 1, 1, false, 3, 255, 0xFFFFFF, 0, 0x00FFFFFF, 0x80402010, 0x00412110},
        {"16-bit zero-amount subtract turns black red 1", 0, 1, false, 3, 255, 0xFFFFFF, 0, 0x0000FFFF, 0, 0x0800},
        {"32-bit add: blue's carry sets green's low bit", 1, 0, false, 2, 255, 0xFFFFFF, 0, 0xFF, 0xFF000001, 0x1FF},
        {"mode 10 at p = 255 over 0", 1, 0, false, 10, 255, 0xFFFFFF, 0, 0, 0, 0xFEFEFE},
        {"mode 11 of 255 over 200", 1, 0, false, 11, 255, 0xFFFFFF, 0, 0xFFFFFF, 0xC8C8C8, 0xC7C7C7},
        {"mode 4 of 255 over 200", 1, 0, false, 4, 0, 0xFFFFFF, 0, 0xFFFFFF, 0xC8C8C8, 0xC7C7C7},
        {"16-bit half white over black", 0, 0, false, 1, 128, 0xFFFFFF, 0, 0xFFFF, 0, 0x7BEF},
        {"16-bit half black over white", 0, 0, false, 1, 128, 0xFFFFFF, 0, 0, 0xFFFF, 0x8410},
        {"16-bit white, alpha 255, flag on", 0, 1, false, 0, 0, 0xFFFFFF, 1, 0xFF0000 | 0xFFFF, 0, 0xFFFF},
        {"16-bit white, alpha 255, flag off", 0, 1, false, 0, 0, 0xFFFFFF, 0, 0xFF0000 | 0xFFFF, 0, 0xF7DE},
        {"32-bit white, alpha 255, flag on", 1, 1, false, 0, 0, 0xFFFFFF, 1, 0xFFFFFFFF, 0, 0xFFFFFFFF},
        {"32-bit white, alpha 255, flag off", 1, 1, false, 0, 0, 0xFFFFFF, 0, 0xFFFFFFFF, 0, 0xFEFEFE},
        {"mode 4, alpha 0, flag off: black", 1, 1, false, 4, 0, 0xFFFFFF, 0, 0x00FFFFFF, 0x11C8C8C8, 0x11000000},
        {"mode 4, alpha 0, flag on: skipped", 1, 1, false, 4, 0, 0xFFFFFF, 1, 0x00FFFFFF, 0x11C8C8C8, 0x11C8C8C8},
        // 16-bit mode 11, the alpha as only weight at full brightness: green 2 toward 2 x 24 / 64
        // keeps the product's fraction and ends at 1; tinted, the plain rule gives 0.
        {"16-bit mode 11 green fraction", 0, 1, false, 11, 255, 0xFFFFFF, 0, 0xC80300, 0x0040, 0x0020},
        {"16-bit mode 11 green, tinted", 0, 1, false, 11, 255, 0xFEFFFF, 0, 0xC80300, 0x0040, 0x0000},
        {"flat red 32 + 240", 1, 0, true, 2, 255, 0xFFFFFF, 0, 0x200000, 0xF00000, 0x01FF0000},
        {"flat white under a red bright colour", 1, 0, true, 0, 0, 0xFF0000, 0, 0xFFFFFF, 0, 0xFF0000},
        {"flat 16-bit multiply of white", 0, 0, true, 4, 0, 0xFFFFFF, 0, 0xFFFF, 0xFFFF, 0xF7DE},
    };
    const int32_t tri[12] = {0, 0, 0, 0, 4, 0, 1, 0, 0, 4, 0, 1};
    for (const ONEPIXEL &c : cases) {
        TestImage src(c.type, 1, 1, 1, c.alpha), dst(c.type, 1, 1, 1);
        src.Set(0, 0, c.texel);
        src.base()->transparentCode = 0x12345;
        dst.Set(0, 0, c.dst);
        g_drawArea = MakeDrawArea(0, 0, 1, 1);
        Settings(c.mode, c.p, c.bright);
        RasterizeMemImgTriangle(dst.img(), c.flat ? nullptr : src.img(), tri, c.trans, nullptr, c.texel);
        EXPECT_EQ(dst.Get(0, 0), c.want) << c.what << std::hex << ": got " << dst.Get(0, 0);
    }
}

TEST_F(TriangleTest, RefusedCallsLeaveTheDestinationAsItWas) {
    std::mt19937 rng(7);
    TestImage src32(1, 8, 8, 1), src16(0, 8, 8, 1), dst32(1, 16, 16, 2), dst16(0, 16, 16, 2);
    TestImage paletteDst(1, 16, 16, 2, 0, 1), alphaDst(1, 16, 16, 2, 1), chan8(2, 16, 16, 2), chan16(3, 16, 16, 2);
    TestImage chanSrc(2, 8, 8, 1);
    for (TestImage *i : {&src32, &src16, &dst32, &dst16, &paletteDst, &alphaDst, &chan8, &chan16, &chanSrc})
        i->Randomise(rng);
    g_drawArea = MakeDrawArea(0, 0, 16, 16);
    const int32_t good[12] = {1, 1, 0, 0, 14, 2, 8, 0, 3, 14, 0, 8};
    struct Case {
        const char *what;
        TestImage *dst, *src;
        std::vector<int32_t> v;
        int mode;
    } cases[] = {
        {"16-bit source on a 32-bit destination", &dst32, &src16, {good, good + 12}, 0},
        {"palette destination", &paletteDst, &src32, {good, good + 12}, 0},
        {"alpha destination", &alphaDst, &src32, {good, good + 12}, 0},
        {"one-channel images", &chan8, &chanSrc, {good, good + 12}, 0},
        {"one-channel destination, flat", &chan16, nullptr, {good, good + 12}, 0},
        {"collinear", &dst32, &src32, {0, 0, 0, 0, 5, 5, 8, 0, 10, 10, 0, 8}, 0},
        {"coincident", &dst32, &src32, {3, 3, 0, 0, 3, 3, 8, 0, 10, 1, 0, 8}, 0},
        {"x at 8,192", &dst32, &src32, {8192, 0, 0, 0, 8180, 5, 8, 0, 8185, 10, 0, 8}, 0},
        {"y at -8,192", &dst32, &src32, {0, -8192, 0, 0, 5, 5, 8, 0, 1, 10, 0, 8}, 0},
        {"u extent of 8,192", &dst32, &src32, {1, 1, -4096, 0, 14, 2, 4096, 0, 3, 14, 0, 8}, 0},
        {"y extent of 8,192", &dst32, &src32, {1, -4096, 0, 0, 14, 4096, 8, 0, 3, 14, 0, 8}, 0},
    };
    for (const Case &c : cases) {
        const std::vector<uint8_t> before = c.dst->Bytes();
        Settings(c.mode, 128, 0xFFFFFF);
        RasterizeMemImgTriangle(c.dst->img(), c.src ? c.src->img() : nullptr, c.v.data(), 1, nullptr, 0x123456);
        EXPECT_TRUE(c.dst->Bytes() == before) << c.what;
    }
    for (int mode : {5, 6, 7, 8, 9, 12, -1, 1 << 30}) {
        const std::vector<uint8_t> before = dst32.Bytes();
        Settings(mode, 128, 0xFFFFFF);
        RasterizeMemImgTriangle(dst32.img(), src32.img(), good, 1, nullptr, 0);
        RasterizeMemImgTriangle(dst32.img(), nullptr, good, 1, nullptr, 0x123456);
        EXPECT_TRUE(dst32.Bytes() == before) << "mode " << mode;
    }
    for (int mode : {1, 2, 3}) {
        const std::vector<uint8_t> before = dst16.Bytes();
        Settings(mode, 0, 0xFFFFFF);
        RasterizeMemImgTriangle(dst16.img(), src16.img(), good, 0, nullptr, 0);
        EXPECT_TRUE(dst16.Bytes() == before) << "mode " << mode << " at p = 0";
    }
    // A triangle wholly outside the draw area, or no vertices at all.
    const std::vector<uint8_t> before = dst32.Bytes();
    Settings(0, 255, 0xFFFFFF);
    g_drawArea = MakeDrawArea(0, 0, 16, 16);
    const int32_t outside[12] = {-40, -40, 0, 0, -20, -40, 8, 0, -40, -20, 0, 8};
    RasterizeMemImgTriangle(dst32.img(), src32.img(), outside, 0, nullptr, 0);
    RasterizeMemImgTriangle(dst32.img(), src32.img(), nullptr, 0, nullptr, 0);
    EXPECT_TRUE(dst32.Bytes() == before);
}

class QuadTest : public TriangleTest {};

TEST_F(QuadTest, SourceOntoItsOwnRectangleIsTheOneToOneCopy) {
    std::mt19937 rng(12);
    for (int type : {0, 1}) {
        TestImage src(type, 11, 7, 1), viaQuad(type, 20, 14, 2), viaBlit(type, 20, 14, 2);
        src.Randomise(rng);
        viaQuad.Randomise(rng);
        std::memcpy(viaBlit.base()->pixels, viaQuad.base()->pixels, viaQuad.Bytes().size());
        g_drawArea = MakeDrawArea(0, 0, 20, 14);
        Settings(0, 255, 0xFFFFFF);
        const int32_t corners[8] = {3, 2, 14, 2, 3, 9, 14, 9};
        RasterizeMemImgQuad(viaQuad.img(), src.img(), corners, 0, nullptr);
        BlitMemImg(viaBlit.img(), src.img(), 3, 2, 0, nullptr);
        EXPECT_TRUE(viaQuad.Bytes() == viaBlit.Bytes()) << type;

        // Adding: every pixel gets the source once, the shared diagonal included.
        TestImage added(type, 20, 14, 2);
        added.Randomise(rng);
        const std::vector<uint8_t> was = added.Bytes();
        Settings(2, 200, 0xFFFFFF);
        const auto s = OracleSettings(0, nullptr, 128, 255);
        RasterizeMemImgQuad(added.img(), src.img(), corners, 0, nullptr);
        TestImage original(type, 20, 14, 2);
        std::memcpy(original.base()->pixels, was.data(), was.size());
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= 3 && x < 14 && y >= 2 && y < 9;
                const uint32_t d = original.Get(x, y);
                const uint32_t want = inside ? softtest::OracleCopyPixel(softtest::POLICY_TRIANGLE, s, *src.img(), x - 3, y - 2, d) : d;
                ASSERT_EQ(added.Get(x, y), want) << type << ": " << x << "," << y;
            }
    }
}

TEST_F(QuadTest, BoxTestFoldedAndHalfDegenerateQuads) {
    std::mt19937 rng(5);
    TestImage src(1, 8, 8, 1), dst(1, 32, 32, 2);
    src.Randomise(rng);
    dst.Randomise(rng);
    Settings(0, 255, 0xFFFFFF);
    g_drawArea = MakeDrawArea(10, 0, 32, 32);
    // Left of the area: with the largest x at left - 4 the box is empty and the triangles are
    // never called (the destination keeps its run table); at left - 3 they run and clip to nothing.
    const std::vector<uint8_t> before = dst.Bytes();
    for (int largest : {6, 7}) {
        dst.base()->runTableValid = 1;
        const int32_t corners[8] = {largest - 5, 4, largest, 4, largest - 5, 12, largest - 1, 12};
        RasterizeMemImgQuad(dst.img(), src.img(), corners, 0, nullptr);
        EXPECT_TRUE(dst.Bytes() == before) << largest;
        EXPECT_EQ(dst.base()->runTableValid, largest == 6 ? 1 : 0) << largest;
    }
    dst.base()->runTableValid = 0;
    // Folded onto a line: nothing.
    const int32_t folded[8] = {12, 2, 16, 6, 20, 10, 24, 14};
    RasterizeMemImgQuad(dst.img(), src.img(), folded, 0, nullptr);
    EXPECT_TRUE(dst.Bytes() == before);
    // Corners 0, 1 and 2 on a line: the second triangle alone is drawn.
    const int32_t half[8] = {12, 2, 16, 6, 20, 10, 26, 3};
    const auto s = OracleSettings(0, nullptr, 128, 255);
    const int32_t second[12] = {16, 6, 8, 0, 20, 10, 0, 8, 26, 3, 8, 8};
    const std::vector<uint8_t> want = ReferenceTriangle(*dst.img(), src.img(), second, s, 0);
    RasterizeMemImgQuad(dst.img(), src.img(), half, 0, nullptr);
    EXPECT_TRUE(dst.Bytes() == want);
    EXPECT_TRUE(dst.Bytes() != before);
}

}  // namespace
