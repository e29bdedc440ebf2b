// Draw settings: clamping, unchanged values, suppression, standard formats and screen colours.
#include "render_fixture.h"


namespace {

TEST_F(RenderTest, SettersClampAndRecomputeTheBatchColour) {
    SetBrightnessRGB(300, -5, 128);
    EXPECT_EQ(g_drawState.brightness, 0xFF0080u);
    EXPECT_EQ(g_vertexBatch.colour, 0xFFFF0080u);
    SetBlendMode(BLENDMODE_ALPHA, 300);
    EXPECT_EQ(g_drawState.blendParam, 255);
    SetBlendMode(BLENDMODE_ALPHA, 40);
    EXPECT_EQ(g_vertexBatch.colour, 0x28FF0080u);
    // Unchanged values leave the batch colour alone.
    g_vertexBatch.colour = 0x12345678;
    SetBlendMode(BLENDMODE_ALPHA, 40);
    SetBrightnessRGB(255, 0, 128);
    EXPECT_EQ(g_vertexBatch.colour, 0x12345678u);
    // Mode 0 keeps the vertex alpha opaque.
    SetBlendMode(BLENDMODE_NONE, 40);
    EXPECT_EQ(PackBatchColour() >> 24, 255u);
}

TEST_F(RenderTest, SuppressedDrawingBlocksTheSetters) {
    g_drawState.drawingSuppressed = 1;
    EXPECT_EQ(SetBlendMode(BLENDMODE_ADD, 10), 0);
    EXPECT_EQ(SetBrightnessRGB(1, 2, 3), 0);
    EXPECT_EQ(SetTextureFilterMode(1), 0);
    EXPECT_EQ(g_drawState.blendMode, 0);
    EXPECT_EQ(g_drawState.brightness, 0xFFFFFFu);
    EXPECT_EQ(g_drawState.filterMode, 0);
    g_drawState.drawingSuppressed = 0;
}

TEST(StandardColourFormats, MasksAndRefusals) {
    const COLOURFORMAT *f = GetStandardColourFormat(23);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->bitsPerPixel, 16);
    EXPECT_EQ(f->greenMask, 0x07E0u);
    f = GetStandardColourFormat(21);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->alphaMask, 0xFF000000u);
    f = GetStandardColourFormat(35);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->redMask, 0x3FF00000u);
    EXPECT_EQ(f->redWidth, 10);
    EXPECT_EQ(GetStandardColourFormat(28), nullptr);
    EXPECT_EQ(GetStandardColourFormat(34), nullptr);
    EXPECT_EQ(GetStandardColourFormat(19), nullptr);
}

TEST(ScreenColours, RoundTripsOn565And888) {
    int saved = g_screenSetup.bits;
    g_screenSetup.bits = 16;
    EXPECT_EQ(MakeScreenColour(255, 255, 255), 0xFFFFu);
    EXPECT_EQ(MakeScreenColour(255, 128, 64), (31u << 11) | (32u << 5) | 8u);
    int r, g, b;
    SplitScreenColour(MakeScreenColour(255, 0, 255), &r, &g, &b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 255);
    SplitScreenColour(MakeScreenColour(132, 130, 16), &r, &g, &b);
    EXPECT_EQ(r, 16 * 255 / 31);
    EXPECT_EQ(g, 32 * 255 / 63);
    EXPECT_EQ(b, 2 * 255 / 31);
    g_screenSetup.bits = 32;
    EXPECT_EQ(MakeScreenColour(1, 2, 3), 0xFF010203u);
    SplitScreenColour(0xFF7BFA03u, &r, &g, &b);
    EXPECT_EQ(r, 123);
    EXPECT_EQ(g, 250);
    EXPECT_EQ(b, 3);
    g_screenSetup.bits = saved;
}

TEST_F(RenderTest, ResetDrawSettingsKeepsTheListedItems) {
    auto callback = [] {};
    g_drawState.emulation320 = 1;
    g_drawState.vsyncWaitOff = 1;
    g_drawState.restoreCallback = callback;
    g_drawState.blendMode = 4;
    g_drawState.brightness = 0x102030;
    g_drawState.filterMode = 2;
    g_drawState.transparentKey = 0x7BFA03;
    g_drawState.addressU[3] = D3DTADDRESS_WRAP;
    ResetDrawSettings();
    EXPECT_EQ(g_drawState.emulation320, 1);
    EXPECT_EQ(g_drawState.vsyncWaitOff, 1);
    EXPECT_EQ(g_drawState.restoreCallback, +callback);
    EXPECT_EQ(g_drawState.blendMode, 0);
    EXPECT_EQ(g_drawState.brightness, 0xFFFFFFu);
    EXPECT_EQ(g_drawState.filterMode, 0);
    EXPECT_EQ(g_drawState.transparentKey, 0u);
    EXPECT_EQ(g_drawState.addressU[3], (int)D3DTADDRESS_CLAMP);
    EXPECT_EQ(g_drawState.blendGraph, -1);
    EXPECT_FLOAT_EQ(g_drawState.depth2D, 0.2f);
    EXPECT_EQ(g_drawState.depth3DSet.zCompare, (int)D3DCMP_LESSEQUAL);
    EXPECT_FLOAT_EQ(g_drawState.material.Power, 20.0f);
    EXPECT_EQ(g_drawState.materialPending, 1);
    g_drawState.emulation320 = 0;
    g_drawState.vsyncWaitOff = 0;
    g_drawState.restoreCallback = nullptr;
}

TEST_F(RenderTest, FilterModeReachesEverySampler) {
    Record();
    SetTextureFilterMode(1);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetSamplerState("), 16);  // mag and min of 8 samplers
    EXPECT_EQ(GetTextureFilterMode(), 1);
    SetTextureFilterMode(1);
    EXPECT_EQ(CountOf(Calls(), "SetSamplerState("), 0);
}

}  // namespace
