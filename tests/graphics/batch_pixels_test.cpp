// Pixels in the stand-in's back buffer for rectangles and textured quads drawn through the batch,
// against values worked out here from the blend formulas: factors 0..255, each channel
// round((src x srcFactor + dst x destFactor) / 255), clamped.
#include "render_fixture.h"

#include <algorithm>

namespace {

int Div255(int v) { return (v + 127) / 255; }
int Chan(uint32_t c, int k) { return (int)(c >> (8 * k)) & 0xFF; }

uint32_t Background(int x, int y) {
    return (uint32_t)((x * 16 + 8) & 255) << 16 | (uint32_t)((y * 20 + 30) & 255) << 8 | (uint32_t)((x * y * 7 + 90) & 255);
}

// One channel of a blend: s source, a source alpha, d destination.
int Blend(int mode, bool reverseSubtract, int s, int a, int d) {
    switch (mode) {
    case 0: return s;
    case 1: return Div255(s * a + d * (255 - a));
    case 2: return std::min(255, Div255(s * a + d * 255));
    case 3:
        if (reverseSubtract) return Div255(std::max(0, d * 255 - s * a));
        return Div255(s * (255 - d));
    case 4: return Div255(d * s);
    default: return -1;
    }
}

class PixelTest : public RenderTest {
protected:
    void FillBackground() {
        D3DLOCKED_RECT lr;
        ASSERT_EQ(back->LockRect(&lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < kHeight; ++y)
            for (UINT x = 0; x < kWidth; ++x) {
                uint32_t c = 0xFF000000u | Background((int)x, (int)y);
                std::memcpy(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
            }
        back->UnlockRect();
    }

    void TexturedQuad(IDirect3DTexture9 *t, int alphaKind, int x, int y, int w, int h) {
        SetDrawStateForDraw(t, alphaKind, DRAWFLAG_TEXALPHA | DRAWFLAG_POINT);
        auto *v = static_cast<VERTEX2DTEX *>(ReserveBatchVertices(VERTEXKIND_TEX1, D3DPT_TRIANGLELIST, 6));
        ASSERT_NE(v, nullptr);
        float l = x - 0.5f, tp = y - 0.5f, r = x + w - 0.5f, b = y + h - 0.5f;
        uint32_t c = PackBatchColour();
        float z = g_drawState.depth2D;
        v[0] = {l, tp, z, 1, c, 0, 0};
        v[1] = {r, tp, z, 1, c, 1, 0};
        v[2] = {l, b, z, 1, c, 0, 1};
        v[3] = {r, tp, z, 1, c, 1, 0};
        v[4] = {r, b, z, 1, c, 1, 1};
        v[5] = {l, b, z, 1, c, 0, 1};
        CommitBatchVertices(6);
    }
};

class BatchPixels : public PixelTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(BatchPixels, FilledRectangle) {
    auto [mode, reverse] = GetParam();
    g_deviceState.separateAlphaBlend = reverse ? 1 : 0;
    FillBackground();
    const int bright[3] = {100, 255, 200};  // blue, green, red
    SetBrightnessRGB(bright[2], bright[1], bright[0]);
    SetBlendMode(mode, 128);
    const uint32_t colour = 0xC08040;
    // Ordered and clipped to the draw area (10..50 x 5..40).
    g_drawArea = MakeDrawArea(10, 5, 50, 40);
    ASSERT_EQ(FillRectBatched(44, 30, 4, 2, colour, 1), 0);
    FlushVertexBatch();
    int a = mode == 0 ? 255 : 128;
    for (int y = 0; y < (int)kHeight; ++y)
        for (int x = 0; x < (int)kWidth; ++x) {
            uint32_t bg = Background(x, y);
            uint32_t want = bg;
            if (x >= 10 && x < 44 && y >= 5 && y < 30) {
                want = 0;
                for (int k = 0; k < 3; ++k) {
                    int s = Chan(colour, k) * bright[k] / 255;
                    want |= (uint32_t)Blend(mode, reverse, s, a, Chan(bg, k)) << (8 * k);
                }
            }
            ASSERT_EQ(Pixel(x, y), want) << "mode " << mode << " at " << x << ", " << y;
        }
}

TEST_P(BatchPixels, TexturedQuadWithAlpha) {
    auto [mode, reverse] = GetParam();
    g_deviceState.separateAlphaBlend = reverse ? 1 : 0;
    FillBackground();
    auto texel = [](int x, int y) {
        return (uint32_t)(x * 60 + y * 5) << 24 | (uint32_t)(200 - x * 30) << 16 | (uint32_t)(y * 50 + 10) << 8 |
               (uint32_t)(x * y * 10 + 40);
    };
    IDirect3DTexture9 *t = MakeTexture(4, 4, texel);
    SetBlendMode(mode, 128);
    // A 4 x 4 texture at (20, 10), one texel per pixel.
    TexturedQuad(t, ALPHAKIND_BLEND, 20, 10, 4, 4);
    FlushVertexBatch();
    for (int y = 8; y < 16; ++y)
        for (int x = 18; x < 26; ++x) {
            uint32_t bg = Background(x, y);
            uint32_t want = bg;
            if (x >= 20 && x < 24 && y >= 10 && y < 14) {
                uint32_t tx = texel(x - 20, y - 10);
                int ta = (int)(tx >> 24);
                int sa = mode == 0 ? ta : Div255(ta * 128);
                want = 0;
                for (int k = 0; k < 3; ++k) {
                    int s = Chan(tx, k), d = Chan(bg, k);
                    // Mode 0 with a real alpha channel blends by the texture's alpha.
                    int v = mode == 0 ? Div255(s * sa + d * (255 - sa)) : Blend(mode, reverse, s, sa, d);
                    want |= (uint32_t)v << (8 * k);
                }
            }
            ASSERT_EQ(Pixel(x, y), want) << "mode " << mode << " at " << x << ", " << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Modes, BatchPixels,
                         ::testing::Values(std::make_tuple(0, false), std::make_tuple(1, false),
                                           std::make_tuple(2, false), std::make_tuple(3, false),
                                           std::make_tuple(3, true), std::make_tuple(4, false)),
                         [](const auto &info) {
                             return "Mode" + std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "ReverseSubtract" : "");
                         });

// Key-colour textures: alpha 0 texels are cut by the alpha test, the rest are drawn opaque,
// modulated by the brightness.
TEST_F(PixelTest, KeyColourTextureWithBrightness) {
    FillBackground();
    auto texel = [](int x, int y) { return ((x + y) % 2 ? 0xFF000000u : 0u) | 0x7BFA03u; };
    IDirect3DTexture9 *t = MakeTexture(4, 4, texel);
    SetBrightnessRGB(128, 255, 64);
    TexturedQuad(t, ALPHAKIND_TEST, 30, 20, 4, 4);
    FlushVertexBatch();
    for (int y = 20; y < 24; ++y)
        for (int x = 30; x < 34; ++x) {
            uint32_t want = Background(x, y);
            if ((x - 30 + y - 20) % 2)
                want = (uint32_t)Div255(0x7B * 128) << 16 | (uint32_t)0xFA << 8 | (uint32_t)Div255(3 * 64);
            ASSERT_EQ(Pixel(x, y), want) << x << ", " << y;
        }
}

// The same texture drawn without transparency ignores its alpha.
TEST_F(PixelTest, OpaqueDrawIgnoresTheAlpha) {
    FillBackground();
    IDirect3DTexture9 *t = MakeTexture(2, 2, [](int x, int y) { return (uint32_t)(x * 100) << 24 | 0x102030u * (y + 1); });
    SetDrawStateForDraw(t, ALPHAKIND_BLEND, DRAWFLAG_POINT);
    auto *v = static_cast<VERTEX2DTEX *>(ReserveBatchVertices(VERTEXKIND_TEX1, D3DPT_TRIANGLELIST, 6));
    uint32_t c = PackBatchColour();
    v[0] = {-0.5f, -0.5f, 0, 1, c, 0, 0};
    v[1] = {1.5f, -0.5f, 0, 1, c, 1, 0};
    v[2] = {-0.5f, 1.5f, 0, 1, c, 0, 1};
    v[3] = {1.5f, -0.5f, 0, 1, c, 1, 0};
    v[4] = {1.5f, 1.5f, 0, 1, c, 1, 1};
    v[5] = {-0.5f, 1.5f, 0, 1, c, 0, 1};
    CommitBatchVertices(6);
    FlushVertexBatch();
    EXPECT_EQ(Pixel(0, 0), 0x102030u);
    EXPECT_EQ(Pixel(1, 1), 0x204060u);
}

}  // namespace
