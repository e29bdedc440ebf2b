// The 3D state: projection from the target size, device projection through the viewport
// matrices, the light table and its refresh, fog settings, and the programmable path's
// constants and shader base numbers.
#include "render_fixture.h"

#include "library/graphics/device.h"

#include "library/graphics/state3d.h"

#include <cmath>


namespace {

class State3DTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ShutdownState3D();
        ResetState3D();
        g_drawState.lightsChanged = 0;
    }
    void TearDown() override {
        g_deviceState.programmableShaders = 0;
        ShutdownState3D();
        RenderTest::TearDown();
    }
    MAT44 DeviceTransform(D3DTRANSFORMSTATETYPE type) {
        MAT44 m;
        dev->GetTransform(type, reinterpret_cast<D3DMATRIX *>(&m));
        return m;
    }
    static void ExpectMatrixNear(const MAT44 &a, const MAT44 &b, float tolerance = 1e-5f) {
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
    }
};

TEST_F(State3DTest, PerspectiveOnA640By480TargetHasAspectThreeQuartersAndReachesTheDevice) {
    SetProjectionTarget(640, 480);
    ASSERT_EQ(SetPerspectiveFov(1.0471976f), 0);
    const float cot = 1.0f / std::tan(1.0471976f / 2);
    EXPECT_NEAR(g_state3D.projection.m[5], cot, 1e-5f);
    EXPECT_NEAR(g_state3D.projection.m[0], cot * 0.75f, 1e-5f);
    // Default range 10 .. 10000.
    EXPECT_NEAR(g_state3D.projection.m[10], 10000.0f / 9990.0f, 1e-5f);
    ExpectMatrixNear(DeviceTransform(D3DTS_PROJECTION), g_state3D.projection);

    ASSERT_EQ(SetProjectionRange(1.0f, 2.0f), 0);
    EXPECT_NEAR(g_state3D.projection.m[10], 2.0f, 1e-5f);
    EXPECT_NEAR(g_state3D.projection.m[14], -2.0f, 1e-5f);
}

TEST_F(State3DTest, AFieldOfViewOfZeroKeepsTheProjectionLoadedBefore) {
    SetProjectionTarget(640, 480);
    ASSERT_EQ(SetPerspectiveFov(1.0471976f), 0);
    const MAT44 before = g_state3D.projection;
    Record();
    EXPECT_EQ(SetPerspectiveFov(0.0f), -1);
    EXPECT_EQ(CountOf(Calls(), "SetTransform(3)"), 0);
    ExpectMatrixNear(g_state3D.projection, before, 0.0f);
    ExpectMatrixNear(DeviceTransform(D3DTS_PROJECTION), before, 0.0f);
}

TEST_F(State3DTest, ExplicitProjectionIsKeptAsGiven) {
    SetProjectionTarget(640, 480);
    MAT44 m = MakeMatrixFromRows(2, 0, 0, 0, 3, 0, 0, 0, 4, 5, 6, 7);
    ASSERT_EQ(SetProjectionMatrixExplicit(&m), 0);
    ExpectMatrixNear(g_state3D.projection, m, 0.0f);
    ASSERT_EQ(SetProjectionRange(1.0f, 50.0f), 0);  // no recomputation for an explicit matrix
    ExpectMatrixNear(g_state3D.projection, m, 0.0f);
}

// A point keeps its pixel on the target when the draw area narrows the device viewport.
TEST_F(State3DTest, DeviceProjectionKeepsThePictureInPlaceWithinTheDrawArea) {
    SetProjectionTarget(640, 480);
    SetPerspectiveFov(1.0471976f);
    MAT44 screen, area;
    MakeViewportMatrix(&screen, 320, 240, 640, 480);
    MakeViewportMatrix(&area, 100 * 0.5f + 40, 200 * 0.5f + 30, 100, 200);
    SetScreenViewportMatrix(&screen);
    ASSERT_EQ(SetDrawAreaViewportMatrix(&area), 0);

    const float p[4] = {30.0f, -20.0f, 200.0f, 1.0f};
    auto apply = [](const float in[4], const MAT44 &m, float out[4]) {
        for (int c = 0; c < 4; ++c) out[c] = in[0] * m.m[c] + in[1] * m.m[4 + c] + in[2] * m.m[8 + c] + in[3] * m.m[12 + c];
    };
    float clip[4], ndc[4], pixel[4];
    apply(p, g_state3D.projection, clip);
    for (float &v : clip) v /= clip[3];
    apply(clip, screen, pixel);

    const MAT44 device = DeviceTransform(D3DTS_PROJECTION);
    float dclip[4], dpixel[4];
    apply(p, device, dclip);
    for (int i = 0; i < 4; ++i) ndc[i] = dclip[i] / dclip[3];
    apply(ndc, area, dpixel);
    EXPECT_NEAR(dpixel[0], pixel[0], 1e-3f);
    EXPECT_NEAR(dpixel[1], pixel[1], 1e-3f);
}

TEST_F(State3DTest, CombinedMatricesAndBillboardRows) {
    MAT44 view, proj, world, screen;
    MakeRotYMatrix(&view, 0.5f);
    view.m[12] = 3;
    view.m[13] = 4;
    MakeTranslateMatrix(&world, 1, 2, 3);
    MakeScaleMatrix(&proj, 2, 2, 2);
    MakeViewportMatrix(&screen, 10, 20, 40, 60);
    SetWorldMatrix(&world);
    SetViewMatrix(&view);
    SetProjectionMatrix(&proj);
    SetScreenViewportMatrix(&screen);
    EXPECT_EQ(g_state3D.combinedValid, 0);
    UpdateCombinedMatrices();
    EXPECT_EQ(g_state3D.combinedValid, 1);
    MAT44 vp, all;
    MakeProductMatrix(&vp, &view, &proj);
    MakeProductMatrix(&all, &world, &vp);
    MakeProductMatrix(&all, &all, &screen);
    ExpectMatrixNear(g_state3D.viewProjection, vp);
    ExpectMatrixNear(g_state3D.worldViewProjectionViewport, all);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(g_state3D.billboard.m[r * 4 + c], view.m[c * 4 + r]);
    EXPECT_FLOAT_EQ(g_state3D.billboard.m[12], 0.0f);
    EXPECT_FLOAT_EQ(g_state3D.billboard.m[13], 0.0f);
    EXPECT_EQ(g_drawState.worldMatrixLoaded, 1);
    EXPECT_EQ(g_drawState.viewMatrixLoaded, 1);
    ExpectMatrixNear(DeviceTransform(D3DTS_WORLD), world, 0.0f);
    ExpectMatrixNear(DeviceTransform(D3DTS_VIEW), view, 0.0f);
    // The model code's own world matrix clears both flags.
    LoadWorldMatrix(reinterpret_cast<const D3DMATRIX *>(&view));
    EXPECT_EQ(g_drawState.worldMatrixLoaded, 0);
    EXPECT_EQ(g_drawState.viewMatrixLoaded, 0);
}

TEST_F(State3DTest, MatrixSettersFlushTheBatchFirst) {
    ASSERT_EQ(FillRectBatched(0, 0, 4, 4, 0xFFFFFF, 1), 0);
    Record();
    MAT44 world;
    MakeTranslateMatrix(&world, 1, 0, 0);
    SetWorldMatrix(&world);
    std::vector<std::string> calls = Calls();
    int draw = IndexOf(calls, "DrawPrimitiveUP"), transform = IndexOf(calls, "SetTransform(256)");
    ASSERT_GE(draw, 0);
    EXPECT_LT(draw, transform);
}

TEST_F(State3DTest, DirectionalLightDirectionIsNormalisedAndDefaultsFilled) {
    VEC3 d{0, 2, 0};
    int h = CreateDirectionalLight(&d);
    ASSERT_GE(h, 0);
    EXPECT_EQ((h >> 27) & 0xF, HTYPE_LIGHT);
    LIGHTREC *l = GetLightRec(h);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(l->light.Direction.x, 0.0f);
    EXPECT_FLOAT_EQ(l->light.Direction.y, 1.0f);
    EXPECT_FLOAT_EQ(l->light.Direction.z, 0.0f);
    EXPECT_FLOAT_EQ(l->light.Diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(l->light.Ambient.g, 0.33f);
    EXPECT_FLOAT_EQ(l->light.Attenuation0, 0.1f);
    EXPECT_FLOAT_EQ(l->light.Falloff, 1.0f);
    EXPECT_EQ(l->deviceIndex, -1);
    EXPECT_EQ(l->enabled, 1);
    EXPECT_EQ(g_drawState.lightsChanged, 1);
    // A plain new light is directional too (the device refuses type 0).
    EXPECT_EQ(GetLightRec(CreateLight())->light.Type, D3DLIGHT_DIRECTIONAL);
}

TEST_F(State3DTest, StaleAndForeignHandlesAreRefused) {
    int h = CreateLight();
    EXPECT_EQ(DeleteLight(h), 0);
    EXPECT_EQ(DeleteLight(h), -1);
    EXPECT_EQ(GetLightRec(h), nullptr);
    int live = CreateLight();
    // Same slot, other check id.
    EXPECT_EQ(live & 0xFFFF, h & 0xFFFF);
    EXPECT_NE(live, h);
    EXPECT_EQ(DeleteLight(h), -1);
    EXPECT_EQ(DeleteLight((live & ~(0xF << 27)) | (1 << 27)), -1);  // a graph handle's type
    EXPECT_EQ(DeleteLight(-1), -1);
    EXPECT_EQ(g_state3D.lightCount, 1);
}

TEST_F(State3DTest, AFullTableReusesTheFirstFreeSlotAndCheckIdsWrap) {
    std::vector<int> handles;
    for (int i = 0; i < LIGHT_SLOTS; ++i) handles.push_back(CreateLight());
    EXPECT_EQ(g_state3D.lightUsedEnd, LIGHT_SLOTS);
    // Check ids count 0..2047 and wrap.
    const int first = (handles[0] >> 16) & 0x7FF;
    for (int i : {1, 2047, 2048, 4095}) EXPECT_EQ((handles[i] >> 16) & 0x7FF, (first + i) % LIGHT_CHECK_IDS) << i;
    EXPECT_EQ(CreateLight(), -1);
    DeleteLight(handles[9]);
    DeleteLight(handles[5]);
    int reused = CreateLight();
    EXPECT_EQ(reused & 0xFFFF, 5);
    EXPECT_EQ((CreateLight() & 0xFFFF), 9);
    EXPECT_EQ(g_state3D.lightCount, LIGHT_SLOTS);
}

TEST_F(State3DTest, DeletingTheHighestLightShrinksTheUsedEndPastEmptySlots) {
    int a = CreateLight(), b = CreateLight(), c = CreateLight(), d = CreateLight();
    (void)a;
    DeleteLight(b);
    DeleteLight(c);
    EXPECT_EQ(g_state3D.lightUsedEnd, 4);
    DeleteLight(d);
    EXPECT_EQ(g_state3D.lightUsedEnd, 1);
    DeleteLight(a);
    EXPECT_EQ(g_state3D.lightUsedEnd, 0);
    EXPECT_EQ(g_state3D.lightCount, 0);
}

TEST_F(State3DTest, DeleteAllLightsKeepsTheDefaultLight) {
    int def = CreateDefaultLight();
    CreateLight();
    CreateLight();
    EXPECT_EQ(CreateDefaultLight(), def);  // made once
    DeleteAllLights();
    EXPECT_EQ(g_state3D.lightCount, 1);
    LIGHTREC *l = GetLightRec(def);
    ASSERT_NE(l, nullptr);
    const float n = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(l->light.Direction.x, n, 1e-6f);
    EXPECT_NEAR(l->light.Direction.y, -n, 1e-6f);
    EXPECT_NEAR(l->light.Direction.z, n, 1e-6f);
}

TEST_F(State3DTest, RefreshCompactsDeviceIndicesAndDisablesTheTail) {
    int h[4];
    for (int &x : h) x = CreateLight();
    for (int i = 0; i < 4; ++i) GetLightRec(h[i])->light.Range = (float)(i + 1);
    RefreshLights();
    BOOL on = FALSE;
    D3DLIGHT9 got{};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(dev->GetLightEnable(i, &on), D3D_OK);
        EXPECT_TRUE(on);
        EXPECT_EQ(GetLightRec(h[i])->deviceIndex, i);
    }
    EXPECT_EQ(g_drawState.lightsChanged, 0);

    // Nothing changed: nothing sent.
    Record();
    RefreshLights();
    EXPECT_EQ(CountOf(Calls(), "SetLight"), 0);

    DeleteLight(h[1]);
    Record();
    RefreshLights();
    std::vector<std::string> calls = Calls();
    // Lights 2 and 3 move down to indices 1 and 2; light 0 keeps its index and is not sent.
    EXPECT_EQ(CountOf(calls, "SetLight("), 2);
    EXPECT_EQ(CountOf(calls, "LightEnable(3, 0)"), 1);
    EXPECT_EQ(GetLightRec(h[2])->deviceIndex, 1);
    EXPECT_EQ(GetLightRec(h[3])->deviceIndex, 2);
    ASSERT_EQ(dev->GetLight(1, &got), D3D_OK);
    EXPECT_FLOAT_EQ(got.Range, 3.0f);
    ASSERT_EQ(dev->GetLight(2, &got), D3D_OK);
    EXPECT_FLOAT_EQ(got.Range, 4.0f);
    ASSERT_EQ(dev->GetLightEnable(3, &on), D3D_OK);
    EXPECT_FALSE(on);

    // Marking every light changed sends them all again.
    MarkLightsChanged();
    Record();
    RefreshLights();
    EXPECT_EQ(CountOf(Calls(), "SetLight("), 3);
}

TEST_F(State3DTest, LitDrawsRefreshChangedLights) {
    CreateLight();
    ASSERT_EQ(g_drawState.lightsChanged, 1);
    SetDrawStateForDraw(nullptr, ALPHAKIND_NONE, DRAWFLAG_LIGHTING);
    EXPECT_EQ(g_drawState.lightsChanged, 0);
    BOOL on = FALSE;
    ASSERT_EQ(dev->GetLightEnable(0, &on), D3D_OK);
    EXPECT_TRUE(on);
}

TEST_F(State3DTest, EnableLightingActsOnlyOnAChange) {
    Record();
    EXPECT_EQ(EnableLighting(1), 0);  // already on
    EXPECT_EQ(CountOf(Calls(), "SetRenderState(137"), 0);
    g_renderState.lighting = TRUE;
    EXPECT_EQ(EnableLighting(0), 0);
    EXPECT_EQ(g_drawState.lightingOff, 1);
    EXPECT_EQ(CountOf(Calls(), "SetRenderState(137, 0)"), 1);
    // Lit draws stay unlit while the library lighting is off.
    SetDrawStateForDraw(nullptr, ALPHAKIND_NONE, DRAWFLAG_LIGHTING);
    DWORD lighting = 1;
    dev->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, 0u);
}

TEST_F(State3DTest, FogSettingsAreStoredAndSent) {
    EXPECT_EQ(SetFogColour(1, 2, 3), 0);
    EXPECT_EQ(g_drawState.fogColour, 0xFF010203u);
    EXPECT_EQ(SetFogMode2D(1), 0);
    EXPECT_EQ(g_drawState.fogMode, 1);
    EXPECT_EQ(SetFogRangeSetting(5.0f, 50.0f), 0);
    DWORD v = 0;
    dev->GetRenderState(D3DRS_FOGCOLOR, &v);
    EXPECT_EQ(v, 0xFF010203u);
    dev->GetRenderState(D3DRS_FOGVERTEXMODE, &v);
    EXPECT_EQ(v, 1u);
    dev->GetRenderState(D3DRS_FOGEND, &v);
    float end;
    std::memcpy(&end, &v, 4);
    EXPECT_FLOAT_EQ(end, 50.0f);

    g_drawState.fogEnable = 1;
    Record();
    SyncFogEnable();
    SyncFogEnable();
    EXPECT_EQ(CountOf(Calls(), "SetRenderState(28, 1)"), 1);
}

TEST_F(State3DTest, RestoreAllDrawStatesSendsTheMatricesAgain) {
    MAT44 world, view;
    MakeTranslateMatrix(&world, 1, 2, 3);
    MakeTranslateMatrix(&view, 4, 5, 6);
    SetWorldMatrix(&world);
    SetViewMatrix(&view);
    SetProjectionTarget(640, 480);
    SetPerspectiveFov(1.0f);
    Record();
    ASSERT_EQ(RestoreAllDrawStates(), 0);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetTransform(256)"), 1);
    EXPECT_EQ(CountOf(calls, "SetTransform(2)"), 1);
    EXPECT_EQ(CountOf(calls, "SetTransform(3)"), 1);
}

TEST_F(State3DTest, ResetDrawSettingsKeepsTheDefaultLightAndResetsTheProjection) {
    ResetDrawSettings();
    int def = g_state3D.defaultLight;
    ASSERT_NE(GetLightRec(def), nullptr);
    g_state3D.fieldOfView = 2.0f;
    ResetDrawSettings();
    EXPECT_EQ(g_state3D.defaultLight, def);
    EXPECT_EQ(g_state3D.lightCount, 1);
    EXPECT_FLOAT_EQ(g_state3D.fieldOfView, 1.0471976f);
    EXPECT_FLOAT_EQ(g_state3D.nearZ, 10.0f);
    EXPECT_FLOAT_EQ(g_state3D.farZ, 10000.0f);
    EXPECT_EQ(g_drawState.fogColour, 0xFFFFFFFFu);
    EXPECT_EQ(g_drawState.fogMode, 3);
    EXPECT_FLOAT_EQ(g_drawState.fogEnd, 1500.0f);
}

// ---- programmable path ----------------------------------------------------------

class ShaderConstantTest : public State3DTest {
protected:
    void SetUp() override {
        State3DTest::SetUp();
        g_deviceState.programmableShaders = 1;
    }
    std::vector<float> VertexF(UINT start, UINT count) { return D3D9TestShaderConstantsF(dev, false, start, count); }
    std::vector<float> PixelF(UINT start, UINT count) { return D3D9TestShaderConstantsF(dev, true, start, count); }
};

TEST_F(ShaderConstantTest, ViewAndProjectionLoadTransposedConstants) {
    MAT44 view = MakeMatrixFromRows(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    SetViewMatrix(&view);
    std::vector<float> c = VertexF(6, 4);
    for (int r = 0; r < 4; ++r)
        for (int col = 0; col < 4; ++col) EXPECT_FLOAT_EQ(c[r * 4 + col], view.m[col * 4 + r]);
    MAT44 proj = MakeMatrixFromRows(2, 0, 0, 0, 3, 0, 0, 0, 4, 1, 1, 1);
    SetProjectionMatrix(&proj);
    c = VertexF(2, 4);
    EXPECT_FLOAT_EQ(c[0 * 4 + 3], 1.0f);  // row 0 of the transpose = column 0: (2, 0, 0, 1)
    EXPECT_FLOAT_EQ(c[0], 2.0f);
}

TEST_F(ShaderConstantTest, LightConstantsFollowTheView) {
    MAT44 view;
    MakeTranslateMatrix(&view, 10, 0, 0);
    SetViewMatrix(&view);
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_SPOT;
    l.Position = D3DVECTOR{1, 2, 3};
    l.Direction = D3DVECTOR{0, 0, 1};
    l.Diffuse = D3DCOLORVALUE{0.5f, 0.25f, 1, 1};
    l.Range = 3;
    l.Theta = 1.0f;
    l.Phi = 2.0f;
    ASSERT_EQ(SetLightState(1, &l), 0);
    std::vector<float> c = VertexF(14 + 7, 7);
    EXPECT_FLOAT_EQ(c[0], 11.0f);  // position through the view
    EXPECT_FLOAT_EQ(c[1], 2.0f);
    EXPECT_FLOAT_EQ(c[3], 1.0f);
    EXPECT_FLOAT_EQ(c[4 + 2], 1.0f);  // direction: no translation
    EXPECT_FLOAT_EQ(c[4 + 3], 0.0f);
    EXPECT_FLOAT_EQ(c[8], 0.5f);      // diffuse
    EXPECT_FLOAT_EQ(c[20], 9.0f);     // range squared
    EXPECT_NEAR(c[27], 1.0f / (std::cos(0.5f) - std::cos(1.0f)), 1e-4f);
    EXPECT_FLOAT_EQ(PixelF(9 + 3, 1)[1], 0.25f);
    std::vector<BOOL> b = D3D9TestShaderConstantsB(dev, false, 5 + 3, 2);
    EXPECT_TRUE(b[0]);
    EXPECT_TRUE(b[1]);

    // A new view moves the position constant.
    MakeTranslateMatrix(&view, 0, 100, 0);
    SetViewMatrix(&view);
    EXPECT_FLOAT_EQ(VertexF(14 + 7, 1)[1], 102.0f);
}

TEST_F(ShaderConstantTest, AmbientConstantsMultiplyTheMaterial) {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Direction = D3DVECTOR{0, 0, 1};
    l.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1};
    SetLightState(0, &l);
    EnableLightState(0, 1);
    D3DMATERIAL9 m{};
    m.Ambient = D3DCOLORVALUE{0.5f, 1, 0, 1};
    m.Emissive = D3DCOLORVALUE{0.125f, 0, 0, 0};
    ApplyMaterial(&m);
    SetAmbientColour(0xFF808080u);
    UploadLightShaderConstants();
    std::vector<float> light = VertexF(18, 1);
    EXPECT_FLOAT_EQ(light[0], 0.25f);
    EXPECT_FLOAT_EQ(light[1], 0.5f);
    EXPECT_FLOAT_EQ(PixelF(11, 1)[0], 0.25f);
    std::vector<float> global = VertexF(1, 1);
    EXPECT_NEAR(global[0], 128.0f / 255 * 0.5f + 0.125f, 1e-6f);
    EXPECT_FLOAT_EQ(global[2], 0.0f);
    EXPECT_NEAR(PixelF(1, 1)[1], 128.0f / 255, 1e-6f);
}

struct SelectionCase {
    int lightingOff;
    DWORD types[3];  // 0 = not enabled
    int fogMode;     // with fog on; 0 = fog off
    int vertexBase, pixelBase;
};

class ShaderSelectionTest : public ShaderConstantTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(ShaderSelectionTest, BaseNumbersFromLightsLightingAndFog) {
    const SelectionCase &c = GetParam();
    g_drawState.lightingOff = c.lightingOff;
    for (int i = 0; i < 3; ++i) {
        if (!c.types[i]) continue;
        D3DLIGHT9 l{};
        l.Type = c.types[i];
        l.Direction = D3DVECTOR{0, 0, 1};
        SetLightState(i, &l);
        EnableLightState(i, 1);
    }
    SetFogEnableState(c.fogMode != 0);
    SetFogMode(c.fogMode);  // recomputes the selection
    EXPECT_EQ(g_state3D.vertexShaderBase, c.vertexBase);
    EXPECT_EQ(g_state3D.pixelShaderBase, c.pixelBase);
}

// Vertex: t2 x 8 + t0 x 128 + L x 0x6000 + A x 4096 + t1 x 32 + F x 512.
// Pixel: L x 1728 + A x 432 + k(t0) x 72 + k(t1) x 24 + k(t2) x 8, k = 2 directional, 1 other.
INSTANTIATE_TEST_SUITE_P(
    LightSets, ShaderSelectionTest,
    ::testing::Values(SelectionCase{1, {0, 0, 0}, 0, 0, 0}, SelectionCase{0, {0, 0, 0}, 0, 0x6000, 1728},
                      SelectionCase{0, {D3DLIGHT_DIRECTIONAL, 0, 0}, 0, 0x6000 + 4096 + 384, 1728 + 432 + 144},
                      SelectionCase{0, {D3DLIGHT_DIRECTIONAL, D3DLIGHT_POINT, D3DLIGHT_SPOT}, 3,
                                    16 + 384 + 0x6000 + 4096 + 32 + 1536, 1728 + 432 + 144 + 24 + 8},
                      SelectionCase{1, {0, D3DLIGHT_SPOT, 0}, 1, 4096 + 64 + 512, 432 + 24}));

}  // namespace
