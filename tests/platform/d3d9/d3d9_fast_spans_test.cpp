// The fast spans (scalar, SSE2, AVX2) against the general pipeline: a table of states, each
// drawn over a set of quads and triangles (1:1 at odd sizes, clipped by the target and the
// scissor rectangle, stretched by any and by binary scales, mirrored, wrapped, rotated) on a
// patterned target. Every path must leave the same pixels.
#include "d3d9_fixture.h"

#include "platform/testing/d3d9.h"

#include <vector>

namespace {

struct Shape {
    float x0, y0, x1, y1, u0, v0, u1, v1;
    DWORD address;
    bool rotated;  // the right edge leans, so no rectangle is merged
};

// Texel units of the 64 x 64 texture; -0.5 puts texel centres on pixel centres.
constexpr float T = 1.0f / 64;
const Shape kShapes[] = {
    {2.5f, 1.5f, 19.5f, 10.5f, 0, 0, 17 * T, 9 * T, D3DTADDRESS_CLAMP, false},              // 17 x 9, 1:1
    {30.5f, 2.5f, 31.5f, 7.5f, 3 * T, 5 * T, 4 * T, 10 * T, D3DTADDRESS_CLAMP, false},      // one column
    {-10.5f, 12.5f, 22.5f, 15.5f, 0, 20 * T, 33 * T, 23 * T, D3DTADDRESS_CLAMP, false},     // past the left
    {50.5f, 40.5f, 73.5f, 60.5f, 7 * T, 7 * T, 30 * T, 27 * T, D3DTADDRESS_CLAMP, false},   // past right, bottom
    {20.5f, -3.5f, 27.5f, 4.5f, 60 * T, 0, 67 * T, 8 * T, D3DTADDRESS_CLAMP, false},        // texels past 1: clamp
    {33.5f, 16.5f, 42.5f, 25.5f, 60 * T, 60 * T, 69 * T, 69 * T, D3DTADDRESS_WRAP, false},  // 1:1 wrapped
    {1.3f, 20.2f, 30.8f, 37.9f, 0.1f, 0.15f, 0.6f, 0.45f, D3DTADDRESS_CLAMP, false},        // stretched
    {62.0f, 20.0f, 44.0f, 46.0f, 0, 0, 1, 1, D3DTADDRESS_CLAMP, false},                     // shrunk, mirrored
    {-2.0f, 38.0f, 66.0f, 47.0f, 0, 0, 3, 2, D3DTADDRESS_WRAP, false},                      // wrapped, wide
    {8.5f, 26.5f, 24.5f, 44.5f, 0, 0, 16 * T, 18 * T, D3DTADDRESS_CLAMP, true},             // leaning edge
    {44.5f, 2.5f, 60.5f, 12.5f, 56 * T, 4 * T, 72 * T, 14 * T, D3DTADDRESS_MIRROR, false},  // 1:1 mirrored
    {1.5f, 40.5f, 63.5f, 46.5f, -1, 0, 2, 0.3f, D3DTADDRESS_MIRROR, false},                 // stretched, mirrored
    {12.0f, 3.0f, 28.0f, 11.0f, 0, 0, 16 * T, 8 * T, D3DTADDRESS_WRAP, false},              // 1:1 on texel edges
    // Rows longer than the kernels' chunks on the wide target (clipped on the back buffer).
    {3.5f, 30.5f, 143.5f, 33.5f, 0, 0, 140 * T, 3 * T, D3DTADDRESS_WRAP, false},
    {-0.5f, 34.5f, 149.5f, 36.5f, 0, 0.5f, 1, 0.6f, D3DTADDRESS_CLAMP, false},
    // Whole binary-fraction scales, which merge into one rectangle: the game's doubled work
    // screen, a quadrupled corner past the texture (wrapped), a halved block, one past the edge.
    {-0.5f, -0.5f, 31.5f, 15.5f, 0, 0, 16 * T, 8 * T, D3DTADDRESS_CLAMP, false},
    {40.0f, 30.0f, 72.0f, 50.0f, 60 * T, 62 * T, 68 * T, 67 * T, D3DTADDRESS_WRAP, false},
    {10.5f, 50.5f, 26.5f, 58.5f, 4 * T, 2 * T, 36 * T, 18 * T, D3DTADDRESS_MIRROR, false},
    {56.0f, 0.0f, 76.0f, 10.0f, 50 * T, 0, 60 * T, 5 * T, D3DTADDRESS_CLAMP, false},
};

uint32_t Texel(int x, int y) {
    // Runs of four columns: clear, opaque, varied, half; colour from a hash.
    uint32_t h = (uint32_t)x * 73856093u ^ (uint32_t)y * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    uint32_t alpha;
    switch ((x / 4 + y) % 4) {
    case 0: alpha = 0; break;
    case 1: alpha = 255; break;
    case 2: alpha = (h >> 24) & 255; break;
    default: alpha = 127 + (h & 3); break;
    }
    return alpha << 24 | (h & 0xFFFFFF);
}

struct State {
    DWORD srcBlend, dstBlend;  // 0: blending off
    DWORD alphaFunc;           // 0: alpha test off
    DWORD alphaRef;
    DWORD colourOp, colourArg1, colourArg2;
    DWORD alphaOp, alphaArg1, alphaArg2;
    D3DCOLOR diffuse;
};

class FastSpans : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        texture = MakeTexture(64, 64, Texel);
        ASSERT_EQ(dev->CreateRenderTarget(150, 40, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &wide, nullptr),
                  D3D_OK);
    }
    void TearDown() override {
        if (dev) dev->SetRenderTarget(0, back);
        if (wide) wide->Release();
        D3D9Test::TearDown();
    }

    // Fills the target with a pattern (alpha included) through a lock.
    void Pattern(IDirect3DSurface9 *s) {
        D3DSURFACE_DESC desc;
        s->GetDesc(&desc);
        D3DLOCKED_RECT lr;
        ASSERT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x) {
                uint32_t c = (x * 29 + y * 7) * 0x01030507u ^ (y & 1 ? 0xFF000000u : 0x40000000u);
                memcpy(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
            }
        s->UnlockRect();
    }

    void Apply(const State &s) {
        dev->SetTexture(0, texture);
        dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        dev->SetTextureStageState(0, D3DTSS_COLOROP, s.colourOp);
        dev->SetTextureStageState(0, D3DTSS_COLORARG1, s.colourArg1);
        dev->SetTextureStageState(0, D3DTSS_COLORARG2, s.colourArg2);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, s.alphaOp);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, s.alphaArg1);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, s.alphaArg2);
        dev->SetRenderState(D3DRS_ALPHABLENDENABLE, s.srcBlend != 0);
        if (s.srcBlend) {
            dev->SetRenderState(D3DRS_SRCBLEND, s.srcBlend);
            dev->SetRenderState(D3DRS_DESTBLEND, s.dstBlend);
        }
        dev->SetRenderState(D3DRS_ALPHATESTENABLE, s.alphaFunc != 0);
        if (s.alphaFunc) {
            dev->SetRenderState(D3DRS_ALPHAFUNC, s.alphaFunc);
            dev->SetRenderState(D3DRS_ALPHAREF, s.alphaRef);
        }
    }

    // Every shape on `target`; the pixels after.
    std::vector<uint32_t> Draw(IDirect3DSurface9 *target, const State &s, D3D9RasterPaths path) {
        D3D9TestLimitRasterPaths(path);
        dev->SetRenderTarget(0, target);
        D3DSURFACE_DESC desc;
        target->GetDesc(&desc);
        RECT scissor{2, 1, (LONG)desc.Width - 3, (LONG)desc.Height - 2};
        dev->SetScissorRect(&scissor);
        Pattern(target);
        Apply(s);
        for (const Shape &q : kShapes) {
            dev->SetSamplerState(0, D3DSAMP_ADDRESSU, q.address);
            dev->SetSamplerState(0, D3DSAMP_ADDRESSV, q.address);
            float x0 = q.x0, x1 = q.x1, lean = q.rotated ? 3.0f : 0.0f;
            TexVertex v[6] = {{x0, q.y0, 0, 1, s.diffuse, q.u0, q.v0},        {x1, q.y0, 0, 1, s.diffuse, q.u1, q.v0},
                              {x0, q.y1, 0, 1, s.diffuse, q.u0, q.v1},        {x1, q.y0, 0, 1, s.diffuse, q.u1, q.v0},
                              {x1 + lean, q.y1, 0, 1, s.diffuse, q.u1, q.v1}, {x0, q.y1, 0, 1, s.diffuse, q.u0, q.v1}};
            EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(TexVertex)), D3D_OK);
        }
        // One lone triangle.
        TexVertex tri[3] = {{40.5f, 3.5f, 0, 1, s.diffuse, 0, 0},
                            {60.5f, 9.5f, 0, 1, s.diffuse, 0.5f, 0.2f},
                            {45.5f, 18.5f, 0, 1, s.diffuse, 0.1f, 0.4f}};
        EXPECT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(TexVertex)), D3D_OK);
        D3D9TestLimitRasterPaths(D3D9_RASTER_AVX2);
        return D3D9TestReadSurface(target);
    }

    void Check(const State &s, const char *what) {
        for (IDirect3DSurface9 *target : {back, wide}) {
            std::vector<uint32_t> want = Draw(target, s, D3D9_RASTER_GENERAL);
            for (D3D9RasterPaths path : {D3D9_RASTER_SCALAR, D3D9_RASTER_SSE2, D3D9_RASTER_AVX2}) {
                std::vector<uint32_t> got = Draw(target, s, path);
                ASSERT_EQ(got.size(), want.size());
                size_t first = 0, diffs = 0;
                for (size_t i = 0; i < got.size(); ++i)
                    if (got[i] != want[i] && diffs++ == 0) first = i;
                EXPECT_EQ(diffs, 0u) << what << ", path " << path << ", target " << (target == back ? "back" : "wide")
                                     << ": first at " << first << std::hex << " " << got[first] << " vs "
                                     << want[first];
            }
        }
    }

    IDirect3DTexture9 *texture = nullptr;
    IDirect3DSurface9 *wide = nullptr;
};

constexpr DWORD kTex = D3DTA_TEXTURE, kDif = D3DTA_DIFFUSE;

TEST_F(FastSpans, BlendAndAlphaTestMatchTheGeneralPipeline) {
    const DWORD blends[][2] = {{0, 0},
                               {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                               {D3DBLEND_ONE, D3DBLEND_ONE},
                               {D3DBLEND_ONE, D3DBLEND_ZERO}};
    const DWORD tests[][2] = {{0, 0},
                              {D3DCMP_GREATEREQUAL, 1},
                              {D3DCMP_GREATEREQUAL, 200},
                              {D3DCMP_LESS, 128},
                              {D3DCMP_NOTEQUAL, 255},
                              {D3DCMP_GREATER, 127},
                              {D3DCMP_NEVER, 0}};
    for (auto &b : blends)
        for (auto &t : tests) {
            State s{b[0], b[1], t[0], t[1], D3DTOP_SELECTARG1, kTex, kDif, D3DTOP_SELECTARG1, kTex, kDif, 0xFFFFFFFFu};
            Check(s, ("blend " + std::to_string(b[0]) + " test " + std::to_string(t[0])).c_str());
        }
}

TEST_F(FastSpans, ModulateAndDiffuseSourcesMatchTheGeneralPipeline) {
    // Texture, texture x diffuse, diffuse alone, for colour and alpha.
    const DWORD ops[][3] = {{D3DTOP_SELECTARG1, kTex, kDif}, {D3DTOP_MODULATE, kTex, kDif}, {D3DTOP_SELECTARG2, kTex, kDif}};
    const DWORD blends[][2] = {{0, 0}, {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}, {D3DBLEND_ONE, D3DBLEND_ONE}};
    int i = 0;
    for (auto &c : ops)
        for (auto &a : ops)
            for (D3DCOLOR diffuse : {0xFFFFFFFFu, 0x9CC08010u, 0x00FF7F01u}) {
                auto &b = blends[i++ % 3];
                DWORD test = i % 2 ? D3DCMP_GREATEREQUAL : 0;
                State s{b[0], b[1], test, 100, c[0], c[1], c[2], a[0], a[1], a[2], diffuse};
                Check(s, ("ops " + std::to_string(c[0]) + "/" + std::to_string(a[0]) + " diffuse " +
                          std::to_string(diffuse))
                             .c_str());
            }
}

}  // namespace
