// The rasteriser against the platform's conventions, pixel by pixel.
#include "tests/platform/d3d9/d3d9_fixture.h"

namespace {

class Raster : public D3D9Test {
protected:
    // A render target and a depth surface of their own, both set on the device.
    void UseTargetAndDepth(D3DFORMAT format, UINT depthSide, IDirect3DSurface9 **rt, IDirect3DSurface9 **depth) {
        ASSERT_EQ(dev->CreateRenderTarget(8, 8, format, D3DMULTISAMPLE_NONE, 0, TRUE, rt, nullptr), D3D_OK);
        ASSERT_EQ(dev->CreateDepthStencilSurface(depthSide, depthSide, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, depth,
                                                 nullptr),
                  D3D_OK);
        ASSERT_EQ(dev->SetRenderTarget(0, *rt), D3D_OK);
        ASSERT_EQ(dev->SetDepthStencilSurface(*depth), D3D_OK);
    }
};

TEST_F(Raster, HalfPixelOffsetQuadCoversExactlyItsPixels) {
    // Pixel centres are at integer coordinates: -0.5 .. 3.5 covers pixels 0..3.
    ASSERT_EQ(ColourQuad(0.5f, 0.5f, 4.5f, 3.5f, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(Coverage(0, 0, 6, 5), "......\n.####.\n.####.\n.####.\n......\n");
}

TEST_F(Raster, TopLeftFillRuleOwnsSharedEdgesOnce) {
    // A quad whose edges pass exactly through pixel centres: left and top edges are
    // inside, right and bottom edges outside, and the diagonal is drawn once.
    dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    ASSERT_EQ(ColourQuad(1.0f, 1.0f, 4.0f, 3.0f, 0xFF404040u), D3D_OK);
    EXPECT_EQ(Coverage(0, 0, 6, 5), "......\n.###..\n.###..\n......\n......\n");
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 4; ++x) EXPECT_EQ(Pixel(x, y), 0x404040u) << x << "," << y;
}

TEST_F(Raster, TinyTriangleBetweenCentresDrawsNothing) {
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ColourVertex tri[3] = {{2.1f, 2.1f, 0, 1, 0xFFFFFFFFu}, {2.9f, 2.1f, 0, 1, 0xFFFFFFFFu},
                           {2.1f, 2.9f, 0, 1, 0xFFFFFFFFu}};
    ColourQuad(0, 0, 0, 0, 0);  // sets the stage to diffuse
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColourVertex)), D3D_OK);
    EXPECT_EQ(Coverage(0, 0, 5, 5), ".....\n.....\n.....\n.....\n.....\n");
}

TEST_F(Raster, OneToOneDrawSamplesTexelCentres) {
    // A 4x4 texture drawn 1:1 at -0.5 offsets reproduces every texel exactly.
    IDirect3DTexture9 *t = MakeTexture(4, 4, [](int x, int y) { return 0xFF000000u | (uint32_t)(x * 60 << 16) | (uint32_t)(y * 60); });
    SetupTexturedStage(t);
    ASSERT_EQ(Quad(9.5f, 9.5f, 13.5f, 13.5f, 0xFFFFFFFFu), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(10 + x, 10 + y), (uint32_t)(x * 60 << 16) | (uint32_t)(y * 60));
}

TEST_F(Raster, PointAndLinearMagnification) {
    // Two texels 0 and 200 stretched over 8 pixels.
    IDirect3DTexture9 *t = MakeTexture(2, 1, [](int x, int) { return x ? 0xFFC8C8C8u : 0xFF000000u; });
    SetupTexturedStage(t);
    ASSERT_EQ(Quad(-0.5f, -0.5f, 7.5f, 0.5f, 0xFFFFFFFFu), D3D_OK);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(x, 0) & 255, x < 4 ? 0u : 200u) << x;

    dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(Quad(-0.5f, 0.5f, 7.5f, 1.5f, 0xFFFFFFFFu), D3D_OK);
    // Pixel x samples u = (x + 0.5) / 8; texel space 2u - 0.5; clamped at the edges.
    for (int x = 0; x < 8; ++x) {
        double f = (x + 0.5) / 4.0 - 0.5;
        double w = std::clamp(f, 0.0, 1.0);
        int weight = (int)std::floor(w * 256 + 0.5);
        int expected = (200 * weight + 128) >> 8;
        EXPECT_EQ((int)(Pixel(x, 1) & 255), expected) << x;
    }
}

TEST_F(Raster, AddressModesWrapMirrorClamp) {
    IDirect3DTexture9 *t = MakeTexture(4, 1, [](int x, int) { return 0xFF000000u | (uint32_t)(x * 50 + 10); });
    SetupTexturedStage(t);
    struct Case {
        DWORD mode;
        int expected[12];
    } cases[] = {
        {D3DTADDRESS_WRAP, {10, 60, 110, 160, 10, 60, 110, 160, 10, 60, 110, 160}},
        {D3DTADDRESS_MIRROR, {10, 60, 110, 160, 160, 110, 60, 10, 10, 60, 110, 160}},
        {D3DTADDRESS_CLAMP, {10, 60, 110, 160, 160, 160, 160, 160, 160, 160, 160, 160}},
    };
    int row = 0;
    for (const Case &c : cases) {
        dev->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode);
        ASSERT_EQ(Quad(-0.5f, row - 0.5f, 11.5f, row + 0.5f, 0xFFFFFFFFu, 0, 0, 3, 1), D3D_OK);
        for (int x = 0; x < 12; ++x) EXPECT_EQ((int)(Pixel(x, row) & 255), c.expected[x]) << c.mode << " " << x;
        ++row;
    }
}

TEST_F(Raster, MipLevelFollowsMinification) {
    IDirect3DTexture9 *t = nullptr;
    ASSERT_EQ(dev->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    textures.push_back(t);
    EXPECT_EQ(t->GetLevelCount(), 4u);
    for (UINT level = 0; level < 4; ++level) {
        D3DLOCKED_RECT lr;
        ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
        int size = 8 >> level;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch)[x] = 0xFF000000u | (level * 50 + 20);
        t->UnlockRect(level);
    }
    SetupTexturedStage(t);
    dev->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    ASSERT_EQ(Quad(-0.5f, -0.5f, 7.5f, 7.5f, 0xFFFFFFFFu), D3D_OK);    // 1:1 -> level 0
    ASSERT_EQ(Quad(9.5f, -0.5f, 11.5f, 1.5f, 0xFFFFFFFFu), D3D_OK);    // 8 -> 2 -> level 2
    EXPECT_EQ(Pixel(3, 3) & 255, 20u);
    EXPECT_EQ(Pixel(10, 0) & 255, 120u);
    dev->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    ASSERT_EQ(Quad(19.5f, -0.5f, 21.5f, 1.5f, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(Pixel(20, 0) & 255, 20u);
}

TEST_F(Raster, AlphaTestFunctions) {
    // Texel alpha x * 60 (0, 60, 120, 180); reference 120.
    IDirect3DTexture9 *t = MakeTexture(4, 1, [](int x, int) { return (uint32_t)(x * 60) << 24 | 0xFFFFFF; });
    SetupTexturedStage(t);
    dev->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    dev->SetRenderState(D3DRS_ALPHAREF, 120);
    struct Case {
        DWORD func;
        const char *drawn;
    } cases[] = {{D3DCMP_GREATEREQUAL, "..##"}, {D3DCMP_GREATER, "...#"}, {D3DCMP_LESS, "##.."},
                 {D3DCMP_EQUAL, "..#."},        {D3DCMP_NEVER, "...."},   {D3DCMP_ALWAYS, "####"}};
    int row = 0;
    for (const Case &c : cases) {
        dev->SetRenderState(D3DRS_ALPHAFUNC, c.func);
        ASSERT_EQ(Quad(-0.5f, row - 0.5f, 3.5f, row + 0.5f, 0xFFFFFFFFu), D3D_OK);
        std::string drawn;
        for (int x = 0; x < 4; ++x) drawn += Pixel(x, row) ? '#' : '.';
        EXPECT_EQ(drawn, c.drawn) << c.func;
        ++row;
    }
}

TEST_F(Raster, BlendFactorsAndOperations) {
    // Destination (40, 100, 200); source colour (200, 80, 20) with alpha 96.
    const int d[3] = {40, 100, 200}, s[3] = {200, 80, 20}, a = 96;
    struct Case {
        DWORD src, dst, op;
    } cases[] = {
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD},
        {D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD},
        {D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT},
        {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT},
    };
    int x = 0;
    for (const Case &c : cases) {
        dev->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        ColourQuad(x - 0.5f, -0.5f, x + 0.5f, 0.5f, D3DCOLOR_ARGB(255, d[0], d[1], d[2]));
        dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        dev->SetRenderState(D3DRS_SRCBLEND, c.src);
        dev->SetRenderState(D3DRS_DESTBLEND, c.dst);
        dev->SetRenderState(D3DRS_BLENDOP, c.op);
        ColourQuad(x - 0.5f, -0.5f, x + 0.5f, 0.5f, D3DCOLOR_ARGB(a, s[0], s[1], s[2]));
        uint32_t got = Pixel(x, 0);
        for (int k = 0; k < 3; ++k) {
            auto factor = [&](DWORD f) -> double {
                switch (f) {
                case D3DBLEND_ZERO: return 0;
                case D3DBLEND_ONE: return 255;
                case D3DBLEND_SRCALPHA: return a;
                case D3DBLEND_INVSRCALPHA: return 255 - a;
                case D3DBLEND_SRCCOLOR: return s[k];
                case D3DBLEND_INVDESTCOLOR: return 255 - d[k];
                default: return -1;
                }
            };
            double sv = s[k] * factor(c.src), dv = d[k] * factor(c.dst);
            double v = c.op == D3DBLENDOP_ADD ? sv + dv : c.op == D3DBLENDOP_SUBTRACT ? sv - dv : dv - sv;
            int expected = std::clamp((int)std::floor(v / 255.0 + 0.5), 0, 255);
            int channel = (int)((got >> (8 * (2 - k))) & 255);
            EXPECT_EQ(channel, expected) << "case " << x << " channel " << k;
        }
        ++x;
    }
}

TEST_F(Raster, CombinerOperations) {
    // Texture (200, 100, 50, a 128), diffuse (128, 255, 64, a 200), texture factor (10, 20, 30, a 40).
    IDirect3DTexture9 *t = MakeTexture(1, 1, [](int, int) { return 0x80C86432u; });
    SetupTexturedStage(t);
    dev->SetRenderState(D3DRS_TEXTUREFACTOR, 0x280A141Eu);
    const int tex[4] = {200, 100, 50, 128}, dif[4] = {128, 255, 64, 200}, tf[4] = {10, 20, 30, 40};
    struct Case {
        DWORD op, arg1, arg2;
        std::function<int(int, int, int)> f;  // (arg1, arg2, blend alpha)
        int alphaSource;                      // 0 diffuse, 1 texture, 2 current for the blend ops
    } cases[] = {
        {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](int a, int, int) { return a; }, 0},
        {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](int, int b, int) { return b; }, 0},
        {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](int a, int b, int) { return Mul255(a, b); }, 0},
        {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](int a, int b, int) { return std::min(255, (int)std::floor(2.0 * a * b / 255 + 0.5)); }, 0},
        {D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         [](int a, int b, int) { return std::min(255, (int)std::floor(4.0 * a * b / 255 + 0.5)); }, 0},
        {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](int a, int b, int) { return std::min(255, a + b); }, 0},
        {D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, [](int a, int b, int) { return std::max(0, a - b); }, 0},
        {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, [](int a, int, int) { return a; }, 0},
        {D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_DIFFUSE, [](int a, int b, int) { return Mul255(a, b); }, 0},
        {D3DTOP_BLENDCURRENTALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR,
         [](int a, int b, int al) { return (int)std::floor((a * al + b * (255 - al)) / 255.0 + 0.5); }, 0},
    };
    int x = 0;
    for (const Case &c : cases) {
        dev->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        dev->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
        dev->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        ASSERT_EQ(Quad(x - 0.5f, -0.5f, x + 0.5f, 0.5f, 0xC880FF40u), D3D_OK);
        uint32_t got = Pixel(x, 0);
        for (int k = 0; k < 3; ++k) {
            auto value = [&](DWORD arg) {
                int v = (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? tex[k] : (arg & D3DTA_SELECTMASK) == D3DTA_TFACTOR ? tf[k] : dif[k];
                return (arg & D3DTA_COMPLEMENT) ? 255 - v : v;
            };
            int expected = c.f(value(c.arg1), value(c.arg2), dif[3]);
            EXPECT_EQ((int)((got >> (8 * (2 - k))) & 255), expected) << "case " << x << " channel " << k;
        }
        ++x;
    }
}

TEST_F(Raster, TwoStagesModulateThenBlendCurrentAlpha) {
    // Stage 0: texture x diffuse; stage 1: BLENDCURRENTALPHA(current, texture factor).
    IDirect3DTexture9 *t = MakeTexture(1, 1, [](int, int) { return 0x80C86432u; });
    SetupTexturedStage(t, D3DTOP_MODULATE, D3DTOP_MODULATE);
    dev->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF0A141Eu);
    dev->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
    dev->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    dev->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    dev->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    dev->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    ASSERT_EQ(Quad(-0.5f, -0.5f, 0.5f, 0.5f, 0xC880FF40u), D3D_OK);
    const int tex[3] = {200, 100, 50}, dif[3] = {128, 255, 64}, tf[3] = {10, 20, 30};
    int alpha = Mul255(128, 200);
    uint32_t got = Pixel(0, 0);
    for (int k = 0; k < 3; ++k) {
        int current = Mul255(tex[k], dif[k]);
        int expected = (int)std::floor((current * alpha + tf[k] * (255 - alpha)) / 255.0 + 0.5);
        EXPECT_EQ((int)((got >> (8 * (2 - k))) & 255), expected) << k;
    }
}

TEST_F(Raster, ClipsToViewportAndScissor) {
    D3DVIEWPORT9 vp{2, 1, 5, 4, 0.0f, 1.0f};
    ASSERT_EQ(dev->SetViewport(&vp), D3D_OK);
    RECT scissor{0, 0, 6, 4};
    ASSERT_EQ(dev->SetScissorRect(&scissor), D3D_OK);
    ASSERT_EQ(ColourQuad(-100.5f, -100.5f, 100.5f, 100.5f, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(Coverage(0, 0, 8, 6), "........\n..####..\n..####..\n..####..\n........\n........\n");
    // Geometry far outside the target is clipped, not wrapped.
    ASSERT_EQ(ColourQuad(-1e6f, 40.0f, 1e6f, 50.0f, 0xFFFFFFFFu), D3D_OK);
}

TEST_F(Raster, FlatAndGouraudShading) {
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ColourQuad(0, 0, 0, 0, 0);
    ColourVertex tri[3] = {{-0.5f, -0.5f, 0, 1, 0xFF000000u}, {8.5f, -0.5f, 0, 1, 0xFFFF0000u},
                           {-0.5f, 8.5f, 0, 1, 0xFF000000u}};
    dev->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColourVertex)), D3D_OK);
    EXPECT_EQ(Pixel(4, 0), 0u);  // first vertex colour: black
    dev->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColourVertex)), D3D_OK);
    // Red rises from 0 at x = -0.5 to 255 at x = 8.5: pixel 3 is 3.5 / 9 of the way.
    EXPECT_EQ(Pixel(3, 0) >> 16, (uint32_t)std::floor(255 * 3.5 / 9 + 0.5));
}

TEST_F(Raster, SixteenBitTargetAndZTest) {
    IDirect3DSurface9 *rt = nullptr, *depth = nullptr;
    UseTargetAndDepth(D3DFMT_R5G6B5, 8, &rt, &depth);
    dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    ASSERT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ColourQuad(0, 0, 0, 0, 0);
    auto quad = [&](float z, D3DCOLOR c) {
        ColourVertex q[4] = {{-0.5f, -0.5f, z, 1, c}, {3.5f, -0.5f, z, 1, c}, {-0.5f, 3.5f, z, 1, c}, {3.5f, 3.5f, z, 1, c}};
        return dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ColourVertex));
    };
    ASSERT_EQ(quad(0.5f, 0xFFFF0000u), D3D_OK);
    ASSERT_EQ(quad(0.7f, 0xFF00FF00u), D3D_OK);  // behind: rejected
    EXPECT_EQ(D3D9TestReadPixel(rt, 1, 1), 0xFFFF0000u);
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 1, 1), 0.5f);
    ASSERT_EQ(quad(0.2f, 0xFF808080u), D3D_OK);  // in front; 128 -> 5/6-bit fields and back
    EXPECT_EQ(D3D9TestReadPixel(rt, 1, 1), 0xFF848284u);
    ASSERT_EQ(dev->SetRenderTarget(0, back), D3D_OK);
    dev->SetDepthStencilSurface(nullptr);
    rt->Release();
    depth->Release();
}

// Depth clears are kept until depth is read or drawn with; what reads back, and what the depth
// test sees, is as if each clear had been done at once: overlapping and nested clears of parts,
// then a depth-tested draw over a cleared part.
TEST_F(Raster, DepthClearsThatWaitReadAndTestAsDone) {
    IDirect3DSurface9 *rt = nullptr, *depth = nullptr;
    UseTargetAndDepth(D3DFMT_X8R8G8B8, 16, &rt, &depth);
    auto clear = [&](LONG x1, LONG y1, LONG x2, LONG y2, float z) {
        const D3DRECT r{x1, y1, x2, y2};
        return dev->Clear(1, &r, D3DCLEAR_ZBUFFER, 0, z, 0);
    };
    ASSERT_EQ(clear(0, 0, 8, 8, 0.25f), D3D_OK);
    ASSERT_EQ(clear(4, 4, 8, 8, 0.75f), D3D_OK);  // overlaps: the first is done first
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 1, 1), 0.25f);
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 5, 5), 0.75f);
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 12, 12), 1.0f);  // outside the target's area
    ASSERT_EQ(clear(2, 2, 4, 4, 0.5f), D3D_OK);
    ASSERT_EQ(clear(0, 0, 8, 8, 0.6f), D3D_OK);  // covers the one before, which is never done
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 3, 3), 0.6f);
    ASSERT_EQ(clear(0, 0, 4, 8, 0.3f), D3D_OK);
    dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ColourVertex q[4] = {{-0.5f, -0.5f, 0.4f, 1, 0xFFFF0000u}, {7.5f, -0.5f, 0.4f, 1, 0xFFFF0000u},
                         {-0.5f, 7.5f, 0.4f, 1, 0xFFFF0000u}, {7.5f, 7.5f, 0.4f, 1, 0xFFFF0000u}};
    ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(ColourVertex)), D3D_OK);
    EXPECT_NE(D3D9TestReadPixel(rt, 1, 1) & 0xFFFFFF, 0xFF0000u);  // 0.4 behind 0.3
    EXPECT_EQ(D3D9TestReadPixel(rt, 6, 1) & 0xFFFFFF, 0xFF0000u);  // 0.4 before 0.6
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 1, 1), 0.3f);
    EXPECT_FLOAT_EQ(D3D9TestReadDepth(depth, 6, 1), 0.4f);
    ASSERT_EQ(dev->SetRenderTarget(0, back), D3D_OK);
    dev->SetDepthStencilSurface(nullptr);
    rt->Release();
    depth->Release();
}

}  // namespace
