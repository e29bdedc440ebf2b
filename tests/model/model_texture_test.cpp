// Model textures: the built-in fall-back file, a missing file replaced and logged, power-of-two
// sizes within the device's maximum, the uses-alpha scan, bump images turned into normal maps,
// an alpha file without a colour file, and the bare-name retry.
#include "library/base/memory.h"
#include "library/graphics/graph.h"
#include "library/graphics/image_load.h"
#include "library/model/model_texture.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"

#include <cstring>

namespace {

using TextureTest = ModelScreenTest;

struct LOADED {
    void *colour = nullptr, *alpha = nullptr;
    int colourSize = 0, alphaSize = 0, graph = -1, usesAlpha = -1;
    char *colourPath = nullptr, *alphaPath = nullptr;
    int result = -1;
    ~LOADED() {
        FreeMemBlock(colour);
        FreeMemBlock(alpha);
        FreeMemBlock(colourPath);
        FreeMemBlock(alphaPath);
        if (graph > 0) DestroyGraph(graph);
    }
};

void Load(LOADED &t, const char *colour, const char *alpha, int bump = 0, float height = 1.0f) {
    t.result = LoadModelTexture(&t.colour, &t.colourSize, &t.alpha, &t.alphaSize, &t.graph, &t.usesAlpha, &t.colourPath,
                                &t.alphaPath, colour, alpha, "", bump, height);
}

TEST(FallbackTexture, IsAnEightByEightWhiteRunLengthTgaWithItsFooter) {
    const uint8_t *f = FallbackTextureImage;
    EXPECT_EQ(f[2], 10);
    EXPECT_EQ(f[12], 8);
    EXPECT_EQ(f[14], 8);
    EXPECT_EQ(f[16], 32);
    EXPECT_EQ(f[17], 0x08);
    for (int run = 0; run < 8; ++run) {
        EXPECT_EQ(f[18 + 5 * run], 0x87);
        for (int k = 1; k <= 4; ++k) EXPECT_EQ(f[18 + 5 * run + k], 0xFF);
    }
    EXPECT_EQ(std::memcmp(f + 66, "TRUEVISION-XFILE.", 18), 0);
    BASEIMAGE image{};
    ASSERT_EQ(LoadImageToBaseImage(nullptr, f, FALLBACK_TEXTURE_BYTES, 1, &image, 0), 0);
    EXPECT_EQ(image.width, 8);
    EXPECT_EQ(image.height, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            int r, g, b, a;
            ReadBaseImagePixel(&image, x, y, &r, &g, &b, &a);
            ASSERT_EQ(r & g & b & a, 255);
        }
    FreeBaseImage(&image);
}

TEST_F(TextureTest, AMissingFileBecomesTheWhiteImageAndIsLogged) {
    PlatformTestTakeDebugOutput();
    LOADED t;
    Load(t, "nowhere.png", nullptr);
    ASSERT_EQ(t.result, 0);
    EXPECT_EQ(t.colourSize, FALLBACK_TEXTURE_BYTES);
    EXPECT_EQ(std::memcmp(t.colour, FallbackTextureImage, FALLBACK_TEXTURE_BYTES), 0);
    int w = 0, h = 0;
    GetGraphExtent(t.graph, &w, &h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(t.usesAlpha, 0);
    EXPECT_NE(PlatformTestTakeDebugOutput().find(
                  "Load Texture Error : カラーチャンネル画像ファイル nowhere.png の読み込みに失敗しました"),
              std::string::npos);
}

TEST_F(TextureTest, SidesGrowToPowersOfTwoWithinTheDeviceMaximum) {
    struct Case {
        int w, h, most, graphW, graphH;
    } cases[] = {{100, 60, 0, 128, 64}, {64, 64, 0, 64, 64}, {200, 100, 64, 64, 64}, {300, 20, 128, 128, 32}};
    for (const Case &c : cases) {
        g_graphs.userMaxTexture = c.most;
        WriteFile("t.png", ColourPng(c.w, c.h, [](int x, int y) { return (uint32_t)(x * 7 + y * 13); }));
        LOADED t;
        Load(t, "t.png", nullptr);
        ASSERT_EQ(t.result, 0);
        int w = 0, h = 0;
        GetGraphExtent(t.graph, &w, &h);
        EXPECT_EQ(w, c.graphW) << c.w << " x " << c.h;
        EXPECT_EQ(h, c.graphH) << c.w << " x " << c.h;
        EXPECT_EQ(GetGraphEntry(t.graph)->texPartCount, 1) << "one graph is one texture";
    }
    g_graphs.userMaxTexture = 0;
}

TEST_F(TextureTest, UsesAlphaFollowsTheFirstPixelBelowOpaqueOrAnAlphaFile) {
    struct Case {
        const char *what;
        uint32_t pixel;  // pixel (3, 2); the rest opaque
        bool alphaChannel, alphaFile;
        int uses;
    } cases[] = {{"opaque", 0xFF808080u, true, false, 0},
                 {"one at 254", 0xFE808080u, true, false, 1},
                 {"no alpha channel", 0x00808080u, false, false, 0},
                 {"an alpha file", 0xFF808080u, false, true, 1}};
    for (const Case &c : cases) {
        WriteFile("c.png", ColourPng(8, 4, [&](int x, int y) { return x == 3 && y == 2 ? c.pixel : 0xFF808080u; },
                                     c.alphaChannel));
        WriteFile("a.png", ColourPng(8, 4, [](int, int) { return 0xFFFFFFFFu; }));
        LOADED t;
        Load(t, "c.png", c.alphaFile ? "a.png" : nullptr);
        ASSERT_EQ(t.result, 0) << c.what;
        EXPECT_EQ(t.usesAlpha, c.uses) << c.what;
    }
}

TEST(ModelTextureImages, BumpImagesBecomeNormalMaps) {
    // A 2 x 2 ramp: red 0 on the left, 255 on the right.
    const std::vector<uint8_t> ramp = ColourPng(2, 2, [](int x, int) { return x ? 0xFFFF0000u : 0xFF000000u; });
    BASEIMAGE colour{}, alpha{};
    ASSERT_EQ(ComposeModelTextureImages(&colour, &alpha, ramp.data(), (int)ramp.size(), nullptr, 0, 1, 1.0f), 0);
    // (x, y): dx = (right - here) / 255 with the right edge wrapping; n = unit(-dx, -dy, 1).
    const int expected[2][3] = {{37, 127, 217}, {217, 127, 217}};
    for (int x = 0; x < 2; ++x) {
        int r, g, b;
        ReadBaseImagePixel(&colour, x, 0, &r, &g, &b, nullptr);
        EXPECT_EQ(r, expected[x][0]) << x;
        EXPECT_EQ(g, expected[x][1]) << x;
        EXPECT_EQ(b, expected[x][2]) << x;
    }
    FreeBaseImage(&colour);
    // A flat height image faces straight out; a height of 0 is taken as 0.000001.
    const std::vector<uint8_t> flat = ColourPng(4, 4, [](int, int) { return 0xFF505050u; });
    for (float height : {1.0f, 0.0f}) {
        ASSERT_EQ(ComposeModelTextureImages(&colour, &alpha, flat.data(), (int)flat.size(), nullptr, 0, 1, height), 0);
        int r, g, b;
        ReadBaseImagePixel(&colour, 2, 3, &r, &g, &b, nullptr);
        EXPECT_EQ(r, 127);
        EXPECT_EQ(g, 127);
        EXPECT_EQ(b, 255);
        FreeBaseImage(&colour);
    }
}

TEST(ModelTextureImages, AnAlphaFileAloneGetsAWhiteImageOfItsFinalSize) {
    const std::vector<uint8_t> mask = ColourPng(100, 60, [](int x, int) { return (uint32_t)x * 0x010101u; });
    BASEIMAGE colour{}, alpha{};
    ASSERT_EQ(ComposeModelTextureImages(&colour, &alpha, nullptr, 0, mask.data(), (int)mask.size(), 0, 0), 0);
    EXPECT_EQ(alpha.width, 128);
    EXPECT_EQ(alpha.height, 64);
    EXPECT_EQ(colour.width, 128) << "the white image matches the resized alpha";
    EXPECT_EQ(colour.height, 64);
    int r, g, b;
    ReadBaseImagePixel(&colour, 127, 63, &r, &g, &b, nullptr);
    EXPECT_EQ(r & g & b, 255);
    FreeBaseImage(&colour);
    FreeBaseImage(&alpha);
    EXPECT_EQ(ComposeModelTextureImages(&colour, &alpha, nullptr, 0, nullptr, 0, 0, 0), -1) << "no file at all";
}

TEST_F(TextureTest, AFileIsFoundByItsBareNameWhenItsPathLeadsNowhere) {
    WriteFile("skin.png", ColourPng(4, 4, [](int, int) { return 0xFF00FF00u; }));
    void *block = nullptr;
    int size = 0;
    ASSERT_EQ(LoadWholeFile("textures\\old\\skin.png", &block, &size), 0);
    EXPECT_GT(size, 0);
    FreeMemBlock(block);
    EXPECT_EQ(LoadWholeFile("textures\\old\\gone.png", &block, &size), -1);
}

}  // namespace
