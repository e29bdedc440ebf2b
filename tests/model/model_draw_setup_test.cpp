// Draw set-up: the view-volume test of a box, the blend words of every mode, the shader-number
// additions of a mesh, the fixed-function stage lists and filter triples on the device, and the
// software vertices of a list.
#include "library/graphics/state3d.h"
#include "library/model/model_draw_setup.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"

#include <cmath>
#include <cstring>

namespace {

using DrawSetupTest = ModelTablesTest;

// Camera at the origin looking along +z, 90 degrees wide, depth 1 to 100.
void SimpleCamera() {
    MAT44 p{};
    p.m[0] = p.m[5] = 1;
    p.m[10] = 100.0f / 99.0f;
    p.m[11] = 1;
    p.m[14] = -100.0f / 99.0f;
    MakeIdentityMatrix(&g_state3D.view);
    g_state3D.projection = p;
    g_state3D.combinedValid = 0;
}

TEST_F(DrawSetupTest, BoxesOutsideOneSideOfTheViewAreCulled) {
    SimpleCamera();
    struct Case {
        const char *what;
        VEC3 min, max;
        int outside;
    } cases[] = {
        {"in front", {-1, -1, 5}, {1, 1, 6}, 0},
        {"one corner inside, the rest beyond different sides", {-0.5f, -0.5f, 10}, {300, 300, 500}, 0},
        {"beyond the far plane", {-1, -1, 150}, {1, 1, 160}, 1},
        {"left of the view", {-40, -1, 5}, {-30, 1, 10}, 1},
        {"above", {-1, 20, 5}, {1, 30, 10}, 1},
        {"spanning the volume, no corner inside", {-500, -500, 2}, {500, 500, 90}, 0},
        // Corners behind the eye divide to depths above 1; they lie on the near side all the same.
        {"from behind the eye to past the far plane", {-1, -1, -50}, {1, 1, 500}, 0},
        {"behind the eye", {-1, -1, -10}, {1, 1, -5}, 1},
        {"a corner on the eye plane", {0, 0, 0}, {400, 400, 400}, 0},
    };
    for (const Case &c : cases) {
        VEC3 corners[8];
        BoxCorners(c.min, c.max, corners);
        EXPECT_EQ(IsBoxOutsideView(corners), c.outside) << c.what;
    }
}

TEST_F(DrawSetupTest, EveryBlendModeStartsFromModeZero) {
    g_renderState.srcBlend = 9, g_renderState.destBlend = 10, g_renderState.blendOp = 3;  // the layer's words
    struct Case {
        int mode, enable, src, dest, op;
    } cases[] = {{0, 0, 9, 10, 3},  {1, 1, 5, 6, 1},  {2, 1, 5, 2, 1}, {3, 0, 9, 10, 3},
                 {4, 1, 1, 3, 1},   {5, 0, 9, 10, 3}, {9, 0, 9, 10, 3}, {10, 1, 5, 6, 1},
                 {11, 1, 1, 3, 1}};
    DRAWSTATEBLOCK block{};
    for (const Case &c : cases) {
        SetModelBlendBlock(&block, 1, 255, 1.0f);  // a block left by an alpha-blended mesh
        SetModelBlendBlock(&block, c.mode, 255, 1.0f);
        EXPECT_EQ(block.alphaBlendEnable, c.enable) << c.mode;
        EXPECT_EQ(block.srcBlend, c.src) << c.mode;
        EXPECT_EQ(block.destBlend, c.dest) << c.mode;
        EXPECT_EQ(block.blendOp, c.op) << c.mode;
        EXPECT_EQ(block.alphaTestEnable, 0);
    }
    SetModelBlendBlock(&block, 2, 128, 0.5f);
    EXPECT_EQ(block.textureFactor, 0x40FFFFFFu) << "trunc(0.5 x 128) = 64";
    SetModelBlendBlock(&block, 0, 255, 1.0f);
    EXPECT_EQ(block.textureFactor, 0xFFFFFFFFu);
}

TEST_F(DrawSetupTest, ShaderNumbersAddUpByMeshAndMaterial) {
    MV1MATERIAL base{};
    MV1MATERIALSTATE material{};
    material.base = &base;
    MV1MESH mesh{};
    MV1FRAMESTATE frame{};
    MV1MESHSTATE state{};
    state.frame = &frame;
    state.base = &mesh;
    state.material = &material;
    state.effectiveOpacity = 1.0f;
    state.blendModeOverride = state.blendParamOverride = -1;
    struct Case {
        const char *what;
        void (*set)(MV1MESH &, MV1MATERIAL &, MV1MATERIALSTATE &);
        int count, index;
    } cases[] = {
        {"plain", [](MV1MESH &, MV1MATERIAL &, MV1MATERIALSTATE &) {}, 0, 0},
        {"vertex diffuse", [](MV1MESH &m, MV1MATERIAL &, MV1MATERIALSTATE &) { m.vertexDiffuse = 1; }, 4, 4},
        {"vertex specular (specular on)", [](MV1MESH &m, MV1MATERIAL &, MV1MATERIALSTATE &) { m.vertexSpecular = 1; },
         3, 3},
        {"specular colour", [](MV1MESH &, MV1MATERIAL &, MV1MATERIALSTATE &s) { s.specular.g = 0.5f; }, 1, 1},
        {"normal map", [](MV1MESH &, MV1MATERIAL &b, MV1MATERIALSTATE &) { b.normalLayerCount = 1; }, 2048, 216},
        {"specular map", [](MV1MESH &, MV1MATERIAL &, MV1MATERIALSTATE &s) { s.hasSpecularMap = 1; }, 0, 864},
        {"toon", [](MV1MESH &, MV1MATERIAL &b, MV1MATERIALSTATE &) { b.kind = 1; }, 0, 13824},
        {"toon kind 2", [](MV1MESH &, MV1MATERIAL &b, MV1MATERIALSTATE &s) { b.kind = 1, s.toonKind = 2; }, 0,
         13824 + 6912},
        {"toon sphere with specular",
         [](MV1MESH &, MV1MATERIAL &b, MV1MATERIALSTATE &s) { b.kind = 1, s.sphereMode = 1, s.specular.r = 1; }, 1,
         13824 + 3456 + 1},
    };
    for (const Case &c : cases) {
        mesh = MV1MESH{};
        base = MV1MATERIAL{};
        material = MV1MATERIALSTATE{};
        material.base = &base;
        c.set(mesh, base, material);
        int count = 100, index = 1000;
        DRAWSTATEBLOCK block{};
        EXPECT_EQ(SetupMeshMaterial(&count, &index, &block, &state), &index);
        EXPECT_EQ(count - 100, c.count) << c.what;
        EXPECT_EQ(index - 1000, c.index) << c.what;
    }
}

using StageTest = ModelScreenTest;

TEST_F(StageTest, FixedFunctionStagesFadeWithTheOpacityAndFiltersFollowTheMode) {
    WriteFile("t.png", ColourPng(8, 8, [](int, int) { return 0xFFFFFFFFu; }));
    const int model = Model(BuildTexturedCubeBase((dir_ / "t.png").string(), 11));
    SetModelScale(model, 30, 30, 30);
    SetModelPosition(model, 160, 120, 0);
    IDirect3DDevice9 *d = g_deviceState.device;
    auto stage = [&](DWORD s, D3DTEXTURESTAGESTATETYPE t) {
        DWORD v = 0;
        d->GetTextureStageState(s, t, &v);
        return v;
    };
    auto sampler = [&](D3DSAMPLERSTATETYPE t) {
        DWORD v = 0;
        d->GetSamplerState(0, t, &v);
        return v;
    };
    // Opaque: the texture modulated by the vertex colour, then the end of the list.
    ASSERT_EQ(RenderModel(model), 0);
    EXPECT_EQ(stage(0, D3DTSS_COLOROP), (DWORD)D3DTOP_MODULATE);
    EXPECT_EQ(stage(0, D3DTSS_ALPHAARG1), (DWORD)D3DTA_TEXTURE);
    EXPECT_EQ(stage(1, D3DTSS_COLOROP), (DWORD)D3DTOP_DISABLE);
    // Faded, mode 11: the colour fades toward white by the factor's alpha.
    SetModelAlphaRate(model, 0.5f);
    ASSERT_EQ(RenderModel(model), 0);
    EXPECT_EQ(stage(1, D3DTSS_COLOROP), (DWORD)D3DTOP_BLENDFACTORALPHA);
    EXPECT_EQ(stage(1, D3DTSS_COLORARG2), (DWORD)D3DTA_TFACTOR);
    EXPECT_EQ(stage(1, D3DTSS_ALPHAOP), (DWORD)D3DTOP_SELECTARG1);
    EXPECT_EQ(stage(2, D3DTSS_COLOROP), (DWORD)D3DTOP_DISABLE);
    const struct {
        int mode;
        DWORD min, mag, mip;
    } filters[] = {{0, 1, 1, 0}, {1, 2, 2, 0}, {2, 3, 2, 2}};
    for (const auto &f : filters) {
        ASSERT_EQ(SetModelTextureFilter(model, 0, f.mode), 0);
        ASSERT_EQ(RenderModel(model), 0);
        EXPECT_EQ(sampler(D3DSAMP_MINFILTER), f.min) << f.mode;
        EXPECT_EQ(sampler(D3DSAMP_MAGFILTER), f.mag) << f.mode;
        EXPECT_EQ(sampler(D3DSAMP_MIPFILTER), f.mip) << f.mode;
    }
    EXPECT_EQ(SetModelTextureFilter(model, 0, 3), -1) << "a mode the table has no row for";
    EXPECT_EQ(SetModelTextureFilter(model, 1, 0), -1) << "an index equal to the texture count";
    DWORD anisotropy = 0;
    d->GetSamplerState(2, D3DSAMP_MAXANISOTROPY, &anisotropy);
    EXPECT_EQ(anisotropy, 2u);
}

TEST_F(DrawSetupTest, SoftwareVerticesCarryColoursAndFourFloatTextureSets) {
    ModelBuilder b;
    const int frame = b.AddFrame("f");
    const int n = b.AddNormal(frame, VEC3{0, 1, 0});
    const int mesh = b.AddMesh(frame, b.AddMaterial(), 2);
    int v[3];
    for (int i = 0; i < 3; ++i) {
        v[i] = b.AddVertex(mesh, b.AddPosition(frame, VEC3{(float)i, 2, 3}), n, 0xFF112233u, 0.25f * i, 0.5f);
        b.MeshAt(mesh).vertices[v[i]].uv[1][0] = 7;
        b.MeshAt(mesh).vertices[v[i]].specular = 0x44556677u;
    }
    b.AddTriangle(mesh, v[0], v[1], v[2]);
    const int handle = b.Build();
    MV1TRIANGLELIST &l = BuiltBase(handle)->triangleLists[0];
    ASSERT_TRUE(BuildTriangleListSoftVertices(&l));
    EXPECT_EQ(l.softVertexSize, 64);
    const uint8_t *s = l.softVertices + 64;  // vertex 1
    float f[16];
    std::memcpy(f, s, 64);
    const float expected[16] = {1, 2, 3, 0, 1, 0, 0, 0, 0.25f, 0.5f, 1, 1, 7, 0, 1, 1};
    for (int i : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, 14, 15}) EXPECT_EQ(f[i], expected[i]) << "word " << i;
    uint32_t colours[2];
    std::memcpy(colours, s + 24, 8);
    EXPECT_EQ(colours[0], 0xFF112233u);
    EXPECT_EQ(colours[1], 0x44556677u);
    ReleaseModelBase(handle);
}

}  // namespace
