// Fixed-function processing of untransformed vertices on the Direct3D stand-in: transform and
// raster against a reference built from the platform's formulas, clipping at the near and far
// planes, per-vertex lighting and fog through the processed vertices, the vertex range a call
// names, and the buffer pools.
#include "d3d9_fixture.h"
#include "fixtures/reference_raster.h"
#include "platform/testing/d3d9.h"

#include <cmath>
#include <cstring>

namespace {

struct XyzVertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR diffuse, specular;
};
constexpr DWORD kXyzFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR;

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Left-handed perspective: the eye at the origin looking along +z.
D3DMATRIX Perspective(float fovY, float aspect, float zn, float zf) {
    D3DMATRIX m{};
    const float ys = 1.0f / std::tan(fovY / 2);
    m._11 = ys / aspect;
    m._22 = ys;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
    return m;
}

class TransformTest : public D3D9Test {
protected:
    void SetUp() override {
        D3D9Test::SetUp();
        ASSERT_EQ(dev->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth,
                                                 nullptr),
                  D3D_OK);
        dev->SetDepthStencilSurface(depth);
        dev->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        dev->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        dev->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
        dev->SetFVF(kXyzFvf);
        dev->SetTexture(0, nullptr);
        dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        world = view = Identity();
        projection = Perspective(1.0f, (float)kWidth / kHeight, 1.0f, 100.0f);
        Load();
    }
    void TearDown() override {
        dev->SetDepthStencilSurface(nullptr);
        depth->Release();
        D3D9Test::TearDown();
    }
    void Load() {
        dev->SetTransform(D3DTS_WORLD, &world);
        dev->SetTransform(D3DTS_VIEW, &view);
        dev->SetTransform(D3DTS_PROJECTION, &projection);
    }
    REFPOINT Project(const XyzVertex &v) {
        D3DVIEWPORT9 vp;
        dev->GetViewport(&vp);
        return RefProject(RefMultiply(RefMultiply(world, view), projection), vp, v.x, v.y, v.z);
    }
    std::vector<uint32_t> Picture() {
        std::vector<uint32_t> p = D3D9TestReadSurface(back);
        for (uint32_t &c : p) c &= 0xFFFFFF;
        return p;
    }
    HRESULT Draw(const std::vector<XyzVertex> &v) {
        return dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, (UINT)(v.size() / 3), v.data(), sizeof(XyzVertex));
    }
    D3D9TestProcessedVertex DrawOne(XyzVertex v) {
        std::vector<XyzVertex> t = {v, v, v};
        EXPECT_EQ(Draw(t), D3D_OK);
        return D3D9TestLastProcessedVertices().at(0);
    }

    IDirect3DSurface9 *depth = nullptr;
    D3DMATRIX world, view, projection;
};

TEST_F(TransformTest, TrianglesLandWhereTheFormulasPutThemAndTheNearerWins) {
    world._41 = 0.3f;  // moved a little so that edges fall between pixel centres
    world._42 = -0.2f;
    Load();
    // A far red quad, and a green triangle in front of part of it, tilted in depth.
    std::vector<XyzVertex> v = {
        {-3, 2, 10, 0, 0, -1, 0xFFFF0000, 0}, {3, 2, 10, 0, 0, -1, 0xFFFF0000, 0}, {-3, -2, 10, 0, 0, -1, 0xFFFF0000, 0},
        {3, 2, 10, 0, 0, -1, 0xFFFF0000, 0},  {3, -2, 10, 0, 0, -1, 0xFFFF0000, 0}, {-3, -2, 10, 0, 0, -1, 0xFFFF0000, 0},
        {-1, 1.5f, 6, 0, 0, -1, 0xFF00FF00, 0}, {2.5f, 0.5f, 14, 0, 0, -1, 0xFF00FF00, 0},
        {0, -2.5f, 8, 0, 0, -1, 0xFF00FF00, 0},
    };
    ASSERT_EQ(Draw(v), D3D_OK);
    std::vector<REFTRIANGLE> ref;
    for (size_t t = 0; t < v.size(); t += 3)
        ref.push_back(REFTRIANGLE{{Project(v[t]), Project(v[t + 1]), Project(v[t + 2])}, v[t].diffuse & 0xFFFFFF});
    const std::vector<uint32_t> expected = RefRaster(ref, kWidth, kHeight, 0, D3DCULL_NONE);
    EXPECT_EQ(Picture(), expected);
    // The green triangle passes behind the red quad on its right: both colours show.
    int green = 0, red = 0;
    for (uint32_t c : expected) green += c == 0x00FF00, red += c == 0xFF0000;
    EXPECT_GT(green, 20);
    EXPECT_GT(red, 200);
    // Processed vertices carry the clip and screen positions.
    const std::vector<D3D9TestProcessedVertex> p = D3D9TestLastProcessedVertices();
    ASSERT_EQ(p.size(), v.size());
    EXPECT_NEAR(p[6].screen[0], Project(v[6]).x, 1e-3);
    EXPECT_NEAR(p[6].clip[3], 6.0f, 1e-5f);
}

TEST_F(TransformTest, EveryRasterPathGivesTheSamePixels) {
    // Gouraud colours, a texture of texels that differ, depth tested: the shape of a model's draw.
    IDirect3DTexture9 *t = MakeTexture(16, 16, [](int x, int y) { return 0xFF000000u | (uint32_t)(x * 16) << 16 | (uint32_t)(y * 16) << 8 | 0x55; });
    dev->SetTexture(0, t);
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    dev->SetFVF(kXyzFvf | D3DFVF_TEX1);
    struct TexturedVertex {
        XyzVertex v;
        float u, w;
    };
    const TexturedVertex tri[6] = {{{-3, 2, 6, 0, 0, -1, 0xFFFF8040u, 0}, 0, 0},  {{3, 2.5f, 12, 0, 0, -1, 0xFF40FF80u, 0}, 1, 0},
                                   {{-2, -2, 8, 0, 0, -1, 0xC08040FFu, 0}, 0, 1},  {{-3, -1, 9, 0, 0, -1, 0xFFFFFFFFu, 0}, 0, 0},
                                   {{3, 0, 5, 0, 0, -1, 0xFF202020u, 0}, 2, 0.5f}, {{1, -2.5f, 7, 0, 0, -1, 0xFF808080u, 0}, 1, 2}};
    std::vector<uint32_t> pictures[2];
    for (int path = 0; path < 2; ++path) {
        D3D9TestLimitRasterPaths(path == 0 ? D3D9_RASTER_GENERAL : D3D9_RASTER_AVX2);
        dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        ASSERT_EQ(dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, tri, sizeof(TexturedVertex)), D3D_OK);
        pictures[path] = D3D9TestReadSurface(back);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    int drawn = 0;
    for (uint32_t c : pictures[0]) drawn += (c & 0xFFFFFF) != 0;
    EXPECT_GT(drawn, 500);
    dev->SetTexture(0, nullptr);
}

TEST_F(TransformTest, CullingFollowsTheWindingOnScreen) {
    std::vector<XyzVertex> clockwise = {{-1, 1, 5, 0, 0, -1, 0xFFFFFFFF, 0},
                                        {1, 1, 5, 0, 0, -1, 0xFFFFFFFF, 0},
                                        {0, -1, 5, 0, 0, -1, 0xFFFFFFFF, 0}};
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Draw(clockwise);
    EXPECT_EQ(Pixel(32, 24), 0u) << "clockwise on screen, culled";
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    Draw(clockwise);
    EXPECT_EQ(Pixel(32, 24), 0xFFFFFFu);
}

TEST_F(TransformTest, TrianglesAreClippedAtTheNearAndFarPlanes) {
    // Wholly behind the eye, and wholly past the far plane: nothing.
    Draw({{-1, 1, -5, 0, 0, -1, ~0u, 0}, {1, 1, -5, 0, 0, -1, ~0u, 0}, {0, -1, -5, 0, 0, -1, ~0u, 0}});
    Draw({{-90, 90, 150, 0, 0, -1, ~0u, 0}, {90, 90, 150, 0, 0, -1, ~0u, 0}, {0, -90, 150, 0, 0, -1, ~0u, 0}});
    EXPECT_EQ(Picture(), std::vector<uint32_t>(kWidth * kHeight, 0));
    // Reaching from in front of the eye to behind it: the front part draws, and the part near
    // the eye covers the bottom of the screen without wrapping around.
    Draw({{-2, 1, 4, 0, 0, -1, ~0u, 0}, {2, 1, 4, 0, 0, -1, ~0u, 0}, {0, -6, -4, 0, 0, -1, ~0u, 0}});
    const REFPOINT top = Project({0, 1, 4, 0, 0, -1, 0, 0});
    EXPECT_EQ(Pixel(32, (int)top.y + 2), 0xFFFFFFu);
    EXPECT_EQ(Pixel(32, kHeight - 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(32, 0), 0u);
    // Through the far plane: the near end draws, the far end does not.
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Draw({{-20, 0.5f, 50, 0, 0, -1, ~0u, 0}, {20, 0.5f, 50, 0, 0, -1, ~0u, 0}, {0, 30, 200, 0, 0, -1, ~0u, 0}});
    const REFPOINT nearEdge = Project({0, 0.5f, 50, 0, 0, -1, 0, 0});
    const REFPOINT farEnd = Project({0, 30, 200, 0, 0, -1, 0, 0});
    EXPECT_EQ(Pixel(32, (int)nearEdge.y - 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(32, (int)std::ceil(farEnd.y) + 1), 0u) << "beyond z = 100 nothing is left";
}

// ---- lighting and fog ----------------------------------------------------------------------

struct RGB {
    double r, g, b;
};
uint32_t Argb(double a, RGB c) {
    auto q = [](double v) { return (uint32_t)std::lround(std::clamp(v, 0.0, 1.0) * 255); };
    return q(a) << 24 | q(c.r) << 16 | q(c.g) << 8 | q(c.b);
}

class LightTest : public TransformTest {
protected:
    void SetUp() override {
        TransformTest::SetUp();
        dev->SetRenderState(D3DRS_LIGHTING, TRUE);
        dev->SetRenderState(D3DRS_AMBIENT, 0x00404040);
        dev->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
        dev->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
        material = D3DMATERIAL9{};
        material.Diffuse = {0.5f, 0.25f, 1.0f, 0.8f};
        material.Ambient = {0.2f, 0.4f, 0.6f, 1.0f};
        material.Emissive = {0.1f, 0.0f, 0.0f, 0.0f};
        material.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
        material.Power = 10.0f;
        dev->SetMaterial(&material);
    }
    void Use(const D3DLIGHT9 &l) {
        dev->SetLight(0, &l);
        dev->LightEnable(0, TRUE);
    }
    // Emissive + ambient x (global + light ambient x k) + diffuse x light x N.L x k.
    uint32_t Expected(double nl, double k, const D3DLIGHT9 &l) {
        const double g = 0x40 / 255.0;
        const D3DCOLORVALUE &d = material.Diffuse, &a = material.Ambient, &e = material.Emissive;
        const double lit = std::max(0.0, nl) * k;
        return Argb(d.a, RGB{e.r + a.r * (g + l.Ambient.r * k) + d.r * l.Diffuse.r * lit,
                             e.g + a.g * (g + l.Ambient.g * k) + d.g * l.Diffuse.g * lit,
                             e.b + a.b * (g + l.Ambient.b * k) + d.b * l.Diffuse.b * lit});
    }
    D3DMATERIAL9 material;
};

TEST_F(LightTest, DirectionalPointAndSpotLightsFollowTheFormulas) {
    D3DLIGHT9 sun{};
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = {1.0f, 0.5f, 0.5f, 1.0f};
    sun.Ambient = {0.1f, 0.1f, 0.1f, 0};
    sun.Direction = {0, 0, 1};
    Use(sun);
    // A normal tilted from the light: N.L = 0.8.
    EXPECT_EQ(DrawOne({0, 0, 5, 0, 0.6f, -0.8f, 0, 0}).diffuse, Expected(0.8, 1.0, sun));
    EXPECT_EQ(DrawOne({0, 0, 5, 0, 0, 1, 0, 0}).diffuse, Expected(-1.0, 1.0, sun)) << "facing away: ambient only";

    D3DLIGHT9 lamp = sun;
    lamp.Type = D3DLIGHT_POINT;
    lamp.Position = {0, 0, 1};
    lamp.Range = 10.0f;
    lamp.Attenuation0 = 1.0f;
    lamp.Attenuation1 = 0.5f;
    Use(lamp);
    // The vertex 4 away on the lamp's axis: k = 1 / (1 + 0.5 x 4).
    EXPECT_EQ(DrawOne({0, 0, 5, 0, 0, -1, 0, 0}).diffuse, Expected(1.0, 1.0 / 3.0, lamp));
    EXPECT_EQ(DrawOne({0, 0, 20, 0, 0, -1, 0, 0}).diffuse, Expected(0, 0, lamp)) << "beyond the range: unlit";

    D3DLIGHT9 spot = lamp;
    spot.Type = D3DLIGHT_SPOT;
    spot.Attenuation1 = 0.0f;
    spot.Direction = {0, 0, 1};
    spot.Theta = 0.4f;
    spot.Phi = 1.0f;
    spot.Falloff = 2.0f;
    Use(spot);
    // Off axis by angle a: rho = cos a, between the cones k = ((rho - cos 0.5) / (cos 0.2 - cos 0.5))^2.
    const double a = 0.35;
    const float x = (float)(4 * std::tan(a));
    const double rho = std::cos(a), k = std::pow((rho - std::cos(0.5)) / (std::cos(0.2) - std::cos(0.5)), 2.0);
    const float len = std::sqrt(x * x + 16);  // the normal faces the lamp
    EXPECT_EQ(DrawOne({x, 0, 5, -x / len, 0, -4 / len, 0, 0}).diffuse, Expected(1.0, k, spot));
    EXPECT_EQ(DrawOne({0, 0, 5, 0, 0, -1, 0, 0}).diffuse, Expected(1.0, 1.0, spot)) << "inside the inner cone";
    const float far = 4 * std::tan(0.6f);
    EXPECT_EQ(DrawOne({far, 0, 5, 0, 0, -1, 0, 0}).diffuse, Expected(0, 0, spot)) << "outside the outer cone";
}

TEST_F(LightTest, SpecularUsesTheHalfVectorAndMaterialSourcesTakeVertexColours) {
    D3DLIGHT9 sun{};
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = {1, 1, 1, 1};
    sun.Specular = {0.5f, 0.5f, 0.5f, 1};
    sun.Direction = {0, -0.6f, 0.8f};
    Use(sun);
    dev->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    dev->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
    // Vertex at (0, 0, 5) facing the eye: H = unit((0, 0, -1) + (0, 0.6, -0.8)).
    const double hy = 0.6, hz = -1.8, hl = std::sqrt(hy * hy + hz * hz);
    const double s = 0.5 * std::pow(-hz / hl, 10.0);
    D3D9TestProcessedVertex p = DrawOne({0, 0, 5, 0, 0, -1, 0xFF00FF00u, 0});
    EXPECT_EQ(p.specular & 0xFFFFFF, Argb(0, RGB{s, s, s}) & 0xFFFFFF);
    // Diffuse from the vertex's first colour.
    dev->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    p = DrawOne({0, 0, 5, 0, 0, -1, 0x8000FF00u, 0});
    const double g = 0x40 / 255.0;
    EXPECT_EQ(p.diffuse, Argb(128 / 255.0, RGB{0.1 + 0.2 * g, 0.4 * g + 0.8, 0.6 * g}));
    // Without lighting the vertex colours pass.
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    p = DrawOne({0, 0, 5, 0, 0, -1, 0x12345678u, 0x9ABCDEF0u});
    EXPECT_EQ(p.diffuse, 0x12345678u);
    EXPECT_EQ(p.specular, 0x9ABCDEF0u);
}

TEST_F(LightTest, NormalsFollowTheInverseTransposeAndAreNormalisedOnlyOnRequest) {
    D3DLIGHT9 sun{};
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = {1, 1, 1, 1};
    sun.Direction = {0, 0, 1};
    Use(sun);
    world = Identity();
    world._11 = world._22 = world._33 = 2.0f;  // a scale of 2 halves the normal
    Load();
    EXPECT_EQ(DrawOne({0, 0, 2.5f, 0, 0, -1, 0, 0}).diffuse, Expected(0.5, 1.0, sun));
    dev->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    EXPECT_EQ(DrawOne({0, 0, 2.5f, 0, 0, -1, 0, 0}).diffuse, Expected(1.0, 1.0, sun));
    // A shear keeps the normal at right angles to the surface.
    world = Identity();
    world._21 = 1.0f;  // x' = x + y
    Load();
    sun.Direction = {-1, 1, 0};
    Use(sun);
    // The plane x = 0 becomes x = y: its normal turns to (1, -1, 0) / sqrt 2.
    EXPECT_EQ(DrawOne({0, 0, 5, 1, 0, 0, 0, 0}).diffuse, Expected(1.0, 1.0, sun));
}

TEST_F(TransformTest, VertexFogGoesIntoTheSpecularAlphaAndBlendsTheFogColour) {
    dev->SetRenderState(D3DRS_FOGENABLE, TRUE);
    dev->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    dev->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
    float start = 10, end = 30, density = 0.1f;
    DWORD bits;
    std::memcpy(&bits, &start, 4);
    dev->SetRenderState(D3DRS_FOGSTART, bits);
    std::memcpy(&bits, &end, 4);
    dev->SetRenderState(D3DRS_FOGEND, bits);
    std::memcpy(&bits, &density, 4);
    dev->SetRenderState(D3DRS_FOGDENSITY, bits);
    // Linear at z 15: (30 - 15) / 20 = 0.75.
    std::vector<XyzVertex> quad = {{-9, 6, 15, 0, 0, -1, 0xFFC80000, 0}, {9, 6, 15, 0, 0, -1, 0xFFC80000, 0},
                                   {0, -6, 15, 0, 0, -1, 0xFFC80000, 0}};
    ASSERT_EQ(Draw(quad), D3D_OK);
    EXPECT_EQ(D3D9TestLastProcessedVertices()[0].specular >> 24, (uint32_t)std::lround(0.75 * 255));
    const uint32_t c = Pixel(32, 24);
    const int f = (int)std::lround(0.75 * 255);
    EXPECT_NEAR((int)(c >> 16), (200 * f + 127) / 255, 1);
    EXPECT_NEAR((int)(c & 255), (255 * (255 - f) + 127) / 255, 1);
    // Exponential: e^(-15 x 0.1).
    dev->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP);
    ASSERT_EQ(Draw(quad), D3D_OK);
    EXPECT_EQ(D3D9TestLastProcessedVertices()[0].specular >> 24, (uint32_t)std::lround(std::exp(-1.5) * 255));
    dev->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP2);
    ASSERT_EQ(Draw(quad), D3D_OK);
    EXPECT_EQ(D3D9TestLastProcessedVertices()[0].specular >> 24, (uint32_t)std::lround(std::exp(-2.25) * 255));
}

// ---- ranges and buffers ----------------------------------------------------------------------

TEST_F(TransformTest, OnlyTheNamedRangeIsProcessedAndIndicesMustStayInIt) {
    IDirect3DVertexBuffer9 *vb = nullptr;
    IDirect3DIndexBuffer9 *ib = nullptr;
    ASSERT_EQ(dev->CreateVertexBuffer(10 * sizeof(XyzVertex), D3DUSAGE_WRITEONLY, kXyzFvf, D3DPOOL_MANAGED, &vb,
                                      nullptr),
              D3D_OK);
    ASSERT_EQ(dev->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    void *p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    auto *v = static_cast<XyzVertex *>(p);
    for (int i = 0; i < 10; ++i) v[i] = XyzVertex{(float)i - 5, (float)(i % 3) - 1, 5.0f + i, 0, 0, -1, ~0u, 0};
    vb->Unlock();
    ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
    const uint16_t idx[6] = {1, 2, 3, 1, 3, 4};
    std::memcpy(p, idx, sizeof idx);
    ib->Unlock();
    dev->SetStreamSource(0, vb, 0, sizeof(XyzVertex));
    dev->SetIndices(ib);
    // Base 2, first index 1, three vertices: vertices 3-5 only.
    ASSERT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 1, 3, 0, 1), D3D_OK);
    const auto processed = D3D9TestLastProcessedVertices();
    ASSERT_EQ(processed.size(), 3u);
    EXPECT_NEAR(processed[0].clip[3], 8.0f, 1e-5f) << "the range starts at vertex 3 (z 8)";
    EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 1, 3, 3, 1), D3DERR_INVALIDCALL)
        << "index 4 + base 2 lies past the range";
    EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 8, 1, 3, 0, 1), D3DERR_INVALIDCALL)
        << "the range runs past the buffer";
    dev->SetStreamSource(0, nullptr, 0, 0);
    dev->SetIndices(nullptr);
    vb->Release();
    ib->Release();
}

TEST_F(TransformTest, DiscardIsForDynamicBuffersAndManagedOnesSurviveReset) {
    IDirect3DVertexBuffer9 *managed = nullptr, *dynamic = nullptr;
    ASSERT_EQ(dev->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    ASSERT_EQ(dev->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic, nullptr),
              D3D_OK);
    void *p = nullptr;
    EXPECT_EQ(managed->Lock(0, 0, &p, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);
    ASSERT_EQ(managed->Lock(0, 0, &p, 0), D3D_OK);
    std::memset(p, 0x5A, 64);
    managed->Unlock();
    ASSERT_EQ(dynamic->Lock(0, 0, &p, D3DLOCK_DISCARD), D3D_OK);
    dynamic->Unlock();

    dev->EndScene();
    D3D9TestLoseDevice();
    D3D9TestMakeDeviceResettable();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    dev->SetDepthStencilSurface(nullptr);
    depth->Release();
    depth = nullptr;
    back->Release();
    back = nullptr;
    EXPECT_EQ(dev->Reset(&pp), D3DERR_INVALIDCALL) << "a default-pool buffer is still alive";
    dynamic->Release();
    ASSERT_EQ(dev->Reset(&pp), D3D_OK);
    ASSERT_EQ(managed->Lock(0, 0, &p, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t *>(p)[63], 0x5A) << "managed contents outlive the reset";
    managed->Unlock();
    managed->Release();
    ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(dev->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &depth,
                                             nullptr),
              D3D_OK);
    dev->BeginScene();
}

}  // namespace
