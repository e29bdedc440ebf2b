// The screens on the Direct3D stand-in with graphics started for real: draw targets and their
// area, clearing and showing frames, the 320 x 240 emulation, copying the screen back into a
// graph, a lost device rebuilt with every graph restored from its file, the screen-mode
// change under refused modes, and graphs drawn on the software screen.
#include "fixtures/memimg_pixel.h"
#include "device_fixture.h"
#include "graph_fixture.h"
#include "image_fixtures.h"
#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw2d.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/font.h"
#include "library/graphics/graph.h"
#include "library/graphics/memimg.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/screen_log.h"
#include "library/graphics/state3d.h"
#include "library/graphics/text_draw.h"
#include "library/graphics/vertex_batch.h"
#include "platform/testing/d3d9.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"
#include "softrender/oracle.h"
#include "softrender/reference_triangle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBackground = 0x203040;

uint32_t Picture(int x, int y) {
    return ((uint32_t)(x * 29 + 3) & 0xFF) << 16 | ((uint32_t)(y * 41 + 5) & 0xFF) << 8 | (uint32_t)(x + y);
}

class ScreenTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        D3D9TestSetDesktop(1280, 1024, D3DFMT_X8R8G8B8, 60);
        savedLibrary_ = g_library;
        g_library.initialised = 1;
        g_window.settings.backgroundColour = (int)kBackground;
        g_window.active = 1;
        g_screenState = SCREENSTATE{};
        g_drawState.vsyncWaitOff = 1;
        SetRestoreCallback(nullptr);
        ASSERT_EQ(StartGraphics(), 0);
        ASSERT_EQ(g_screenSetup.direct3D, 1);
        ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    }

    void TearDown() override {
        DeviceTest::TearDown();
        g_library = savedLibrary_;
        g_screenState = SCREENSTATE{};
    }

    // The graphics end and start again on the software path, chosen as a program does it
    // before the library's start-up.
    void RestartOnSoftwarePath() {
        ShutdownGraphics();
        g_library.initialised = 0;
        ASSERT_EQ(SelectHardwareRendering(0), 0);
        g_library.initialised = 1;
    }

    int LoadPicture(const std::string &name, int w, int h) {
        WriteFile(name, Bmp24(w, h, Picture));
        return LoadGraphFile(name.c_str(), 0, 0, 0);
    }

    static uint32_t ScreenPixel(int x, int y) {
        FlushVertexBatch();
        IDirect3DSurface9 *s = g_deviceState.subBackBuffer ? g_deviceState.subBackBuffer : g_deviceState.backBuffer;
        return D3D9TestReadPixel(s, x, y) & 0xFFFFFF;
    }

    // A 640 x 480 main window in the window manager (the fixture's window record has none).
    static void MakeWindow() {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "ScreenTest";
        RegisterClassExA(&wc);
        if (!g_window.window)
            g_window.window = CreateWindowExA(0, "ScreenTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                              nullptr, nullptr, nullptr);
        ASSERT_NE(g_window.window, nullptr);
    }

    LIBSTATE savedLibrary_{};
};

TEST_F(ScreenTest, ClipRectIsOrderedClampedAndAnEmptyOneStopsDrawing) {
    ASSERT_EQ(SetDrawClipRect(100, 50, 20, 10), 0);
    EXPECT_EQ(g_drawArea.left, 20);
    EXPECT_EQ(g_drawArea.top, 10);
    EXPECT_EQ(g_drawArea.right, 100);
    EXPECT_EQ(g_drawArea.bottom, 50);
    EXPECT_FLOAT_EQ(g_drawArea.fright, 100.0f);
    EXPECT_EQ(g_screenState.requested[0], 100);
    EXPECT_EQ(g_renderState.viewport.X, 20u);
    EXPECT_EQ(g_renderState.viewport.Width, 80u);

    ASSERT_EQ(SetDrawClipRect(-30, -5, 9000, 700), 0);
    EXPECT_EQ(g_drawArea.left, 0);
    EXPECT_EQ(g_drawArea.top, 0);
    EXPECT_EQ(g_drawArea.right, 640);
    EXPECT_EQ(g_drawArea.bottom, 480);

    const int graph = LoadPicture("p.bmp", 8, 8);
    ASSERT_NE(graph, -1);
    ASSERT_EQ(ClearDrawTarget(), 0);
    ASSERT_EQ(SetDrawClipRect(30, 0, 30, 480), 0);
    EXPECT_EQ(g_drawState.emptyArea, 1);
    EXPECT_EQ(DrawGraphAt(28, 4, graph, 0), 0);
    ASSERT_EQ(SetDrawClipRect(0, 0, 640, 480), 0);
    EXPECT_EQ(g_drawState.emptyArea, 0);
    EXPECT_EQ(ScreenPixel(30, 5), kBackground);  // nothing drew while the area was empty
    ASSERT_EQ(DrawGraphAt(28, 4, graph, 0), 0);
    EXPECT_EQ(ScreenPixel(30, 5), Picture(2, 1));
}

TEST_F(ScreenTest, DrawTargetsKeepOrResetTheAreaAndRefuseWhatCannotBeDrawnOn) {
    ASSERT_EQ(SetDrawableGraphMode(1), 0);
    const int same = CreateBlankGraph(640, 480);
    const int small = CreateBlankGraph(64, 32);
    ASSERT_EQ(SetDrawableGraphMode(0), 0);
    const int plain = CreateBlankGraph(64, 32);
    ASSERT_NE(same, -1);
    ASSERT_NE(small, -1);
    ASSERT_NE(plain, -1);

    ASSERT_EQ(SetDrawClipRect(10, 20, 30, 40), 0);
    ASSERT_EQ(SetDrawTarget(same), 0);
    EXPECT_EQ(g_drawArea.right, 30);  // same size: the area stays
    ASSERT_EQ(SetDrawTarget(small), 0);
    EXPECT_EQ(g_drawArea.left, 0);
    EXPECT_EQ(g_drawArea.right, 64);
    EXPECT_EQ(g_drawArea.bottom, 32);
    EXPECT_EQ(GetDrawTarget(), small);

    for (int bad : {plain, -3, -5, small + 1}) {
        EXPECT_EQ(SetDrawTarget(bad), -1) << bad;
        EXPECT_EQ(GetDrawTarget(), small);
    }
    int w = 0, h = 0;
    EXPECT_EQ(GetGraphExtent(FRONT_PAGE, &w, nullptr), 0);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(GetGraphExtent(small, nullptr, &h), 0);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(GetGraphExtent(plain + 7, &w, &h), -1);

    // Clearing a graph target fills its surface, not the screen.
    ASSERT_EQ(ClearDrawTarget(), 0);
    EXPECT_EQ(GraphPixel(small, 5, 5) & 0xFFFFFF, kBackground);
    ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    EXPECT_EQ(g_drawArea.right, 640);
}

// Where the device puts a world point: world, view and projection of the device, then its viewport.
struct PIXEL {
    float x, y;
};
PIXEL DevicePixelOf(float wx, float wy, float wz) {
    IDirect3DDevice9 *d = g_deviceState.device;
    D3DMATRIX m[3];
    d->GetTransform(D3DTS_WORLD, &m[0]);
    d->GetTransform(D3DTS_VIEW, &m[1]);
    d->GetTransform(D3DTS_PROJECTION, &m[2]);
    float v[4] = {wx, wy, wz, 1.0f};
    for (const D3DMATRIX &t : m) {
        float r[4];
        for (int c = 0; c < 4; ++c) r[c] = v[0] * t.m[0][c] + v[1] * t.m[1][c] + v[2] * t.m[2][c] + v[3] * t.m[3][c];
        std::memcpy(v, r, sizeof v);
    }
    D3DVIEWPORT9 vp{};
    d->GetViewport(&vp);
    return PIXEL{vp.X + (v[0] / v[3] + 1.0f) * vp.Width * 0.5f, vp.Y + (1.0f - v[1] / v[3]) * vp.Height * 0.5f};
}

TEST_F(ScreenTest, DrawTargetsBringACameraWhoseWorldUnitsArePixels) {
    ASSERT_EQ(SetDrawableGraphMode(1), 0);
    const int same = CreateBlankGraph(640, 480);
    const int small = CreateBlankGraph(64, 32);
    ASSERT_EQ(SetDrawableGraphMode(0), 0);
    struct Case {
        const char *name;
        int target;
        int area[4];  // -1: the whole target
        int height;
    };
    const Case cases[] = {
        {"back screen", BACK_PAGE, {-1}, 480},
        {"front screen with an area", FRONT_PAGE, {100, 50, 300, 200}, 480},
        {"same-size graph keeps the area", same, {-1}, 480},
        {"small graph", small, {-1}, 32},
        {"small graph with an area", small, {8, 4, 40, 30}, 32},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SetDrawTarget(c.target), 0);
        if (c.area[0] >= 0) {
            ASSERT_EQ(SetDrawClipRect(c.area[0], c.area[1], c.area[2], c.area[3]), 0);
        }
        // The eye looks down +z from the target's centre; y grows upwards on the target, and an
        // area only cuts the picture, it never moves it.
        const float d = (float)(c.height / 2) / 0.5773502588272095f;
        EXPECT_NEAR(g_state3D.nearZ, d * 0.1f, 1e-3f);
        EXPECT_NEAR(g_state3D.farZ, d + 20000.0f, 1e-2f);
        EXPECT_NEAR(g_state3D.fieldOfView, 1.0471976f, 1e-6f);
        for (const PIXEL p : {PIXEL{10, 5}, PIXEL{33, 17}, PIXEL{60, 30}}) {
            PIXEL got = DevicePixelOf(p.x, p.y, 0.0f);
            EXPECT_NEAR(got.x, p.x, 1e-2f) << p.x << "," << p.y;
            EXPECT_NEAR(got.y, c.height - p.y, 1e-2f) << p.x << "," << p.y;
        }
    }
    // The same-size graph came after an area on the front screen and kept it.
    ASSERT_EQ(SetDrawTarget(FRONT_PAGE), 0);
    ASSERT_EQ(SetDrawClipRect(100, 50, 300, 200), 0);
    ASSERT_EQ(SetDrawTarget(same), 0);
    EXPECT_EQ(g_drawArea.left, 100);
    PIXEL got = DevicePixelOf(150.0f, 300.0f, 0.0f);
    EXPECT_NEAR(got.x, 150.0f, 1e-2f);
    EXPECT_NEAR(got.y, 180.0f, 1e-2f);
}

TEST_F(ScreenTest, ARebuiltDeviceGetsTheCameraAndTheLightsBack) {
    MAT44 view;
    MakeTranslateMatrix(&view, -10.0f, 20.0f, 300.0f);
    ASSERT_EQ(SetViewMatrix(&view), 0);
    ASSERT_EQ(SetPerspectiveFov(0.8f), 0);
    const VEC3 down{0.0f, -3.0f, 0.0f};
    const int light = CreateDirectionalLight(&down);
    ASSERT_NE(light, -1);
    RefreshLights();
    D3DMATRIX before{};
    g_deviceState.device->GetTransform(D3DTS_PROJECTION, &before);

    ASSERT_EQ(RecoverLostDevice(), 0);
    IDirect3DDevice9 *d = g_deviceState.device;
    D3DMATRIX m{};
    d->GetTransform(D3DTS_VIEW, &m);
    EXPECT_EQ(std::memcmp(&m, &view, sizeof m), 0);
    d->GetTransform(D3DTS_PROJECTION, &m);
    EXPECT_EQ(std::memcmp(&m, &before, sizeof m), 0);
    EXPECT_EQ(std::memcmp(&g_state3D.view, &view, sizeof view), 0);

    // Both lights (the default one and ours) reach the new device at the next refresh.
    RefreshLights();
    BOOL on = FALSE;
    D3DLIGHT9 got{};
    ASSERT_EQ(d->GetLightEnable(1, &on), D3D_OK);
    EXPECT_TRUE(on);
    ASSERT_EQ(d->GetLight(1, &got), D3D_OK);
    EXPECT_FLOAT_EQ(got.Direction.y, -1.0f);
    ASSERT_EQ(d->GetLightEnable(0, &on), D3D_OK);
    EXPECT_TRUE(on);
    DeleteLight(light);
}

TEST_F(ScreenTest, ResetDrawSettingsEndsOnTheFrontScreenWithTheWholeAreaAndTheFog) {
    ASSERT_EQ(SetDrawClipRect(5, 6, 7, 8), 0);
    ASSERT_EQ(ResetDrawSettings(), 0);
    EXPECT_EQ(GetDrawTarget(), FRONT_PAGE);
    EXPECT_EQ(g_screenState.frontTimerArmed, 1);
    EXPECT_EQ(g_drawArea.left, 0);
    EXPECT_EQ(g_drawArea.top, 0);
    EXPECT_EQ(g_drawArea.right, 640);
    EXPECT_EQ(g_drawArea.bottom, 480);
    IDirect3DDevice9 *d = g_deviceState.device;
    DWORD v = 0;
    d->GetRenderState(D3DRS_FOGVERTEXMODE, &v);
    EXPECT_EQ(v, (DWORD)D3DFOG_LINEAR);
    d->GetRenderState(D3DRS_FOGCOLOR, &v);
    EXPECT_EQ(v & 0xFFFFFF, 0xFFFFFFu);
    d->GetRenderState(D3DRS_FOGEND, &v);
    float end;
    std::memcpy(&end, &v, 4);
    EXPECT_EQ(end, 1500.0f);
    PIXEL got = DevicePixelOf(320.0f, 100.0f, 0.0f);  // the front screen's camera
    EXPECT_NEAR(got.x, 320.0f, 1e-2f);
    EXPECT_NEAR(got.y, 380.0f, 1e-2f);
    ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    EXPECT_EQ(g_screenState.frontTimerArmed, 0);
}

// Blocks naming graph handles draw with the graph's first texture; a bad handle gives none.
TEST_F(ScreenTest, DrawStateBlocksTakeTheFirstTextureOfAGraph) {
    const int graph = LoadPicture("p.bmp", 16, 12);
    ASSERT_NE(graph, -1);
    DRAWSTATEBLOCK block{};
    block.alphaBlendEnable = -1;
    block.srcBlend = block.destBlend = block.blendOp = -1;
    block.stageCount = 2;
    for (DRAWSTATESTAGE &st : block.stages) {
        st.texCoordIndex = -1;
        st.alphaArg1 = st.alphaArg2 = st.alphaOp = st.colourArg1 = st.colourArg2 = st.colourOp = -1;
    }
    block.stages[0].texture = graph;
    block.stages[1].texture = graph + 1;
    ASSERT_EQ(ApplyDrawStateBlock(&block, 0, 1), 0);
    IDirect3DBaseTexture9 *t0 = nullptr, *t1 = nullptr;
    g_deviceState.device->GetTexture(0, &t0);
    g_deviceState.device->GetTexture(1, &t1);
    EXPECT_NE(t0, nullptr);
    EXPECT_EQ(t0, GraphFirstTexture(graph));
    EXPECT_EQ(t1, nullptr);
    if (t0) t0->Release();
    if (t1) t1->Release();
}

TEST_F(ScreenTest, FramesShowTheBackScreenAndTheEmulationDoublesTheTopLeft) {
    ASSERT_EQ(ClearScreen(), 0);
    const int before = D3D9TestPresentCount();
    ASSERT_EQ(ShowFrame(), 0);
    EXPECT_EQ(D3D9TestPresentCount(), before + 1);
    D3D9TestFrame f = D3D9TestLastFrame();
    ASSERT_EQ(f.width, 640);
    EXPECT_EQ(f.pixels[100 * 640 + 100] & 0xFFFFFF, kBackground);
    EXPECT_EQ(f.source.right, 640);
    EXPECT_EQ(f.dest.bottom, 480);

    g_drawState.emulation320 = 1;
    ASSERT_EQ(ShowFrame(), 0);
    f = D3D9TestLastFrame();
    EXPECT_EQ(f.source.right, 320);
    EXPECT_EQ(f.source.bottom, 240);
    EXPECT_EQ(f.dest.right, 640);
    EXPECT_EQ(f.dest.bottom, 480);
    g_drawState.emulation320 = 0;

    // Without the library up nothing is shown.
    g_library.initialised = 0;
    EXPECT_EQ(PresentBackScreen(), -1);
    g_library.initialised = 1;
}

TEST_F(ScreenTest, SubBackBufferTakesTheScreenAndIsCopiedOnPresent) {
    const int graph = LoadPicture("p.bmp", 8, 8);
    ASSERT_NE(graph, -1);
    ASSERT_EQ(ClearScreen(), 0);
    ASSERT_EQ(DrawGraphAt(3, 4, graph, 0), 0);
    FlushVertexBatch();
    ASSERT_EQ(UseSubBackBuffer(), 0);
    ASSERT_NE(g_deviceState.subBackBuffer, nullptr);
    EXPECT_EQ(g_renderState.renderTarget, g_deviceState.subBackBuffer);
    ASSERT_EQ(DrawGraphAt(100, 4, graph, 0), 0);
    ASSERT_EQ(PresentBackScreen(), 0);
    const D3D9TestFrame f = D3D9TestLastFrame();
    EXPECT_EQ(f.pixels[(4 + 1) * 640 + 3 + 2] & 0xFFFFFF, Picture(2, 1));    // drawn before
    EXPECT_EQ(f.pixels[(4 + 1) * 640 + 100 + 2] & 0xFFFFFF, Picture(2, 1));  // drawn after
}

TEST_F(ScreenTest, ScreenCopiesBackIntoAGraphAndTheFrameRoadLeaksNothing) {
    const int picture = LoadPicture("p.bmp", 24, 16);
    ASSERT_NE(picture, -1);
    ASSERT_EQ(ClearScreen(), 0);
    ASSERT_EQ(DrawGraphAt(50, 60, picture, 0), 0);
    const int copy = CreateBlankGraph(20, 10);
    ASSERT_NE(copy, -1);
    ASSERT_EQ(GetDrawScreenGraph(52, 63, 72, 73, copy), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(GraphPixel(copy, x, y) & 0xFFFFFF, Picture(x + 2, y + 3)) << x << "," << y;

    // One pixel off in either side, or out of the screen: refused.
    EXPECT_EQ(GetDrawScreenGraph(52, 63, 73, 73, copy), -1);
    EXPECT_EQ(GetDrawScreenGraph(52, 63, 72, 72, copy), -1);
    EXPECT_EQ(GetDrawScreenGraph(630, 0, 650, 10, copy), -1);
    EXPECT_EQ(GetDrawScreenGraph(0, 0, 20, 10, copy + 1), -1);

    // The per-frame road: copy the screen into a graph and draw it stretched, many times over.
    const int work = CreateBlankGraph(320, 240);
    ASSERT_NE(work, -1);
    const int objects = D3D9TestLiveObjects();
    const int graphs = g_graphs.count;  // the font system's glyph cache graph may be among them
    for (int frame = 0; frame < 60; ++frame) {
        ASSERT_EQ(GetDrawScreenGraph(0, 0, 320, 240, work), 0);
        ASSERT_EQ(DrawGraphStretched(0, 0, 640, 480, work, 0), 0);
        ASSERT_EQ(ShowFrame(), 0);
    }
    EXPECT_EQ(D3D9TestLiveObjects(), objects);
    EXPECT_EQ(g_graphs.count, graphs);
}

// Graphs whose textures fell back to a format of another size (the device refuses the 32-bit
// texture formats): the copy converts into the textures' own format, not the graph's nominal one.
TEST_F(ScreenTest, ScreenCopiesIntoGraphsWhoseTexturesFellBackToSixteenBits) {
    ShutdownGraphics();
    D3D9TestSetFormatSupport(0, D3DFMT_X8R8G8B8, false);
    D3D9TestSetFormatSupport(0, D3DFMT_A8R8G8B8, false);
    ASSERT_EQ(StartGraphics(), 0);
    ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    const int picture = LoadPicture("p.bmp", 40, 24);
    ASSERT_NE(picture, -1);
    ASSERT_EQ(ClearScreen(), 0);
    ASSERT_EQ(DrawGraphAt(50, 60, picture, 0), 0);
    const int copy = CreateBlankGraph(32, 16);
    ASSERT_NE(copy, -1);
    GRAPHENTRY *e = GetGraphEntry(copy);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(GraphTexParts(e)[0].tile->texture->GetLevelDesc(0, &desc), D3D_OK);
    ASSERT_TRUE(desc.Format == D3DFMT_R5G6B5 || desc.Format == D3DFMT_X1R5G5B5) << desc.Format;
    ASSERT_EQ(GetDrawScreenGraph(52, 63, 84, 79, copy), 0);
    // The texture is as wide as the graph, so a nominal 32-bit row would run past it. Through
    // 16 bits: the top bits of each channel survive.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(GraphPixel(copy, x, y) & 0xF8F8F8, Picture(x + 2, y + 3) & 0xF8F8F8) << x << "," << y;
}

TEST_F(ScreenTest, AFailedPresentRebuildsTheDeviceAtTheNextFrameAndGraphsComeBackFromTheirFiles) {
    const int graph = LoadPicture("p.bmp", 16, 12);
    ASSERT_NE(graph, -1);
    IDirect3DDevice9 *old = g_deviceState.device;
    (void)old;
    D3D9TestFailCall("Present", 1);
    EXPECT_EQ(ShowFrame(), -1);
    EXPECT_EQ(g_screenState.deviceLost, 1);
    EXPECT_EQ(DrawGraphAt(0, 0, graph, 0), -1);  // nothing draws on a lost device

    ASSERT_EQ(ShowFrame(), 0);
    EXPECT_EQ(g_screenState.deviceLost, 0);
    for (int y = 0; y < 12; y += 5)
        for (int x = 0; x < 16; x += 3) EXPECT_EQ(GraphPixel(graph, x, y) & 0xFFFFFF, Picture(x, y)) << x << "," << y;
    ASSERT_EQ(ClearScreen(), 0);
    ASSERT_EQ(DrawGraphAt(10, 10, graph, 0), 0);
    EXPECT_EQ(ScreenPixel(10 + 4, 10 + 3), Picture(4, 3));
}

TEST_F(ScreenTest, FontsLiveThroughALostDeviceAndTheDefaultFontThroughAModeChange) {
    PlatformTestUseSyntheticFonts(true);
    const int font = CreateFontToHandle(nullptr, 20, 3, FONTTYPE_EDGE, 1, 2, 0);
    ASSERT_NE(font, -1);
    ASSERT_EQ(SetFontCharGap(3, font), 0);
    int32_t deleted = 0;
    ASSERT_EQ(AttachFontDeleteFlag(font, &deleted), 0);
    ASSERT_EQ(RecoverLostDevice(), 0);
    ASSERT_EQ(IsValidFontHandle(font), 1);
    EXPECT_EQ(LookupFontRec(font)->charGap, 3);
    EXPECT_EQ(LookupFontRec(font)->edgeSize, 2);
    EXPECT_EQ(deleted, 0);

    // The default font made with other settings comes back with them after the change.
    FreeFontHandle(FetchDefaultFont());
    g_fontSystem.defaultFont = CreateFontToHandle(nullptr, 24, 5, FONTTYPE_ANTIALIAS, 1, -1, 1);
    ASSERT_NE(g_fontSystem.defaultFont, -1);
    SetFontCharGap(2, g_fontSystem.defaultFont);
    ASSERT_EQ(ChangeScreenMode(800, 600, -1, 0, -1), 0);
    const FONTREC *def = LookupFontRec(FetchDefaultFont());
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->size, 24);
    EXPECT_EQ(def->thickness, 5);
    EXPECT_EQ(def->fontType, FONTTYPE_ANTIALIAS);
    EXPECT_EQ(def->italic, 1);
    EXPECT_EQ(def->charGap, 2);
    EXPECT_EQ(IsValidFontHandle(font), 0);  // the restart deleted every other font
    EXPECT_EQ(deleted, 1);
    PlatformTestUseSyntheticFonts(false);
}

TEST_F(ScreenTest, TheOnScreenLogCoversTheWholeFrameWhateverTheDrawArea) {
    PlatformTestUseSyntheticFonts(true);
    MakeWindow();
    g_screenLog = SCREENLOG{};
    ASSERT_EQ(SetupScreenLog(), 0);
    PrintScreenLog("AAAAAAAAAAAA");
    ASSERT_EQ(ClearScreen(), 0);
    ASSERT_EQ(SetDrawClipRect(0, 0, 10, 10), 0);
    ASSERT_EQ(ShowFrame(), 0);
    const D3D9TestFrame f = D3D9TestLastFrame();
    ASSERT_EQ(f.width, 640);
    int drawn = 0;  // log pixels right of and below the draw area
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
            drawn += (x >= 10 || y >= 10) && (f.pixels[(size_t)y * 640 + x] & 0xFFFFFF) != kBackground;
    EXPECT_GT(drawn, 20);
    // The area comes back, on the device too.
    EXPECT_EQ(g_drawArea.right, 10);
    EXPECT_EQ(g_drawArea.bottom, 10);
    EXPECT_EQ(g_renderState.viewport.Width, 10u);
    EndScreenLog();
    g_screenLog = SCREENLOG{};
    PlatformTestUseSyntheticFonts(false);
}

TEST_F(ScreenTest, QueriesReportTheScreenAsStored) {
    EXPECT_NE(GetDirectDrawObject(), nullptr);
    EXPECT_EQ(GetDirectDrawObject(), g_deviceState.directDraw);
    EXPECT_EQ(GetNullSurface(), nullptr);
    uint8_t record[381];
    std::memset(record, 0xAB, sizeof record);
    EXPECT_EQ(ClearScreenSurfaceInfo(record), record);
    EXPECT_EQ(record[0], 0);
    EXPECT_EQ(record[379], 0);
    EXPECT_EQ(record[380], 0xAB);  // the record's end is kept
    EXPECT_EQ(ClearScreenSurfaceInfo(nullptr), nullptr);
    int w = 0, h = 0, bits = 0;
    EXPECT_EQ(GetScreenSettings(&w, &h, &bits), 0);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(bits, g_screenSetup.bits);
    EXPECT_EQ(IsHardwareRenderingSelected(), 1);
}

TEST_F(ScreenTest, RestoreCallbackRunsInsteadOfTheFileRestore) {
    static int calls;
    calls = 0;
    EXPECT_EQ(HasRestoreCallback(), 1);  // the default one
    SetRestoreCallback([] { ++calls; });
    ASSERT_EQ(RecoverLostDevice(), 0);
    EXPECT_EQ(calls, 1);
    SetRestoreCallback(nullptr);
    EXPECT_EQ(g_drawState.restoreCallback, &RestoreGraphsFromFiles);
}

TEST_F(ScreenTest, SoftwareScreenIsClearedInTheScreenFormat) {
    RestartOnSoftwarePath();
    ASSERT_EQ(StartGraphics(), 0);
    ASSERT_EQ(g_screenSetup.direct3D, 0);
    ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    EXPECT_EQ(g_softScreen.drawTarget, &g_softScreen.screen);
    ASSERT_EQ(ClearScreen(), 0);
    const MEMIMG &m = g_softScreen.screen;
    int r, g, b, a;
    const uint8_t *p = m.pixels + (size_t)7 * m.base->pitch + 9 * (m.base->colourFormat->bytesPerPixel);
    SplitColourCode(m.base->colourFormat, LoadPixelValue(p, m.base->colourFormat->bytesPerPixel), &r, &g, &b, &a);
    EXPECT_EQ((uint32_t)(r << 16 | g << 8 | b), kBackground);
    EXPECT_EQ(SetDrawClipRect(5, 5, 50, 50), 0);
    EXPECT_EQ(g_drawArea.right, 50);
}

TEST_F(ScreenTest, TextDrawsOnTheSoftwareScreenPlainAndBlended) {
    RestartOnSoftwarePath();
    ASSERT_EQ(StartGraphics(), 0);
    ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    ASSERT_EQ(ClearScreen(), 0);
    const MEMIMG &m = g_softScreen.screen;
    const COLOURFORMAT *f = m.base->colourFormat;
    const uint32_t background = MakeColourCode(f, 0x20, 0x30, 0x40, 255);
    const uint32_t white = MakeColourCode(f, 255, 255, 255, 255);
    // Pixels of the 80 x 20 box at (x, y): in the text colour, and neither that nor the background.
    auto count = [&](int x0, int y0, int *whites, int *mixed) {
        *whites = *mixed = 0;
        for (int y = y0; y < y0 + 20; ++y)
            for (int x = x0; x < x0 + 80; ++x) {
                uint32_t v = LoadPixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * f->bytesPerPixel,
                                            f->bytesPerPixel);
                *whites += v == white;
                *mixed += v != white && v != background;
            }
    };
    int whites, mixed;
    ASSERT_EQ(DrawFormattedText(560, 440, white, "%s", "ロード中"), 0);
    count(556, 436, &whites, &mixed);
    EXPECT_GT(whites, 4 * 20);
    EXPECT_EQ(mixed, 0);
    // Half alpha goes through the work image and the copy kernel: no full white, all mixed.
    ASSERT_EQ(SetBlendMode(BLENDMODE_ALPHA, 128), 0);
    ASSERT_EQ(DrawFormattedText(100, 100, white, "%s", "ロード中"), 0);
    count(96, 96, &whites, &mixed);
    EXPECT_EQ(whites, 0);
    EXPECT_GT(mixed, 4 * 20);
    EXPECT_EQ(g_drawArea.right, 640);
}

// The software screen painted with the picture, in its own pixel format.
void PaintSoftwareScreen() {
    const MEMIMG &m = g_softScreen.screen;
    const COLOURFORMAT *f = m.base->colourFormat;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const uint32_t c = Picture(x, y);
            StorePixelValue(m.pixels + (size_t)y * m.base->pitch + (size_t)x * f->bytesPerPixel, f->bytesPerPixel,
                            MakeColourCode(f, (int)(c >> 16), (int)(c >> 8 & 0xFF), (int)(c & 0xFF), 255));
        }
}

// What the window shows of a picture colour on a screen of `bits`: 565 keeps the top bits of
// each channel and the display widens them again.
uint32_t OnWindow(uint32_t c, int bits) {
    if (bits == 32) return c & 0xFFFFFF;
    const uint32_t r = (c >> 16 & 0xFF) >> 3, g = (c >> 8 & 0xFF) >> 2, b = (c & 0xFF) >> 3;
    return (r * 255 / 31) << 16 | (g * 255 / 63) << 8 | b * 255 / 31;
}

class SoftwareScreenTest : public ScreenTest {
protected:
    // The software screen of `bits` and the sprite below as a graph, its key colour (123, 250, 3)
    // the transparent colour until the test ends.
    int StartWithKeyedSprite(int bits);
    void TearDown() override {
        if (keySaved_) g_drawState.transparentKey = savedKey_;
        ScreenTest::TearDown();
    }
    bool keySaved_ = false;
    uint32_t savedKey_ = 0;

    void StartSoftware(int bits) {
        RestartOnSoftwarePath();
        MakeWindow();
        g_screenSetup.bits = bits;
        ASSERT_EQ(StartGraphics(), 0);
        ASSERT_EQ(g_screenSetup.direct3D, 0);
        ASSERT_EQ(SetDrawTarget(BACK_PAGE), 0);
    }

    std::vector<uint32_t> Window() const {
        int w = 0, h = 0;
        std::vector<uint32_t> p = PlatformTestWindowPicture(g_window.window, &w, &h);
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 480);
        return p;
    }
};

TEST_F(SoftwareScreenTest, FramesShowTheScreenImageOnTheWindowAndTheEmulationDoublesTheTopLeft) {
    for (int bits : {16, 32}) {
        SCOPED_TRACE(bits);
        StartSoftware(bits);
        PaintSoftwareScreen();
        const int draws = PlatformTestDibDrawCount();
        ASSERT_EQ(ShowFrame(), 0);
        EXPECT_EQ(PlatformTestDibDrawCount(), draws + 1);
        std::vector<uint32_t> shown = Window();
        ASSERT_EQ(shown.size(), 640u * 480u);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                ASSERT_EQ(shown[(size_t)y * 640 + x], OnWindow(Picture(x, y), bits)) << x << "," << y;

        g_drawState.emulation320 = 1;
        ASSERT_EQ(ShowFrame(), 0);
        shown = Window();
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                ASSERT_EQ(shown[(size_t)y * 640 + x], OnWindow(Picture(x / 2, y / 2), bits)) << x << "," << y;
        g_drawState.emulation320 = 0;
    }
}

TEST_F(SoftwareScreenTest, TheFrameWaitsForTheNextVerticalBlankUnlessOneIsOn) {
    StartSoftware(16);
    g_drawState.vsyncWaitOff = 0;
    D3D9TestSetPacing(true);
    D3D9TestRecordCalls(true);
    PlatformTestUseFakeClock(true);
    // 8 ms into a refresh period of 16.67 ms: the wait ends at the next period.
    PlatformTestSetFakeClockMs(1008);
    ASSERT_EQ(ShowFrame(), 0);
    EXPECT_GE(PlatformTestFakeClockMs(), 1016u);
    EXPECT_LE(PlatformTestFakeClockMs(), 1018u);
    // Now inside the blank at the period's start: no wait.
    const ULONGLONG inBlank = PlatformTestFakeClockMs();
    ASSERT_EQ(ShowFrame(), 0);
    EXPECT_EQ(PlatformTestFakeClockMs(), inBlank);
    PlatformTestUseFakeClock(false);
    int waits = 0;
    for (const std::string &call : D3D9TestTakeCalls()) waits += call.rfind("DirectDraw::WaitForVerticalBlank", 0) == 0;
    EXPECT_EQ(waits, 1);
    D3D9TestRecordCalls(false);
    g_drawState.vsyncWaitOff = 1;
}

TEST_F(SoftwareScreenTest, ScreenCopiesIntoASoftwareGraph) {
    StartSoftware(32);
    PaintSoftwareScreen();
    const int copy = CreateBlankGraph(20, 10);
    ASSERT_NE(copy, -1);
    GRAPHENTRY *e = GetGraphEntry(copy);
    ASSERT_EQ(e->source->desc.hardware, 0);
    ASSERT_EQ(GetDrawScreenGraph(52, 63, 72, 73, copy), 0);
    const MEMIMG *m = GraphMemImg(e);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(MemImgPixelRGB(*m, x, y), Picture(x + 52, y + 63)) << x << "," << y;
    EXPECT_EQ(GetDrawScreenGraph(52, 63, 73, 73, copy), -1);
    EXPECT_EQ(GetDrawScreenGraph(630, 0, 650, 10, copy), -1);
}

// A 12 x 8 sprite whose channels are even, so that a half blend floor((s + d) / 2) is the
// same on the copy kernel's halving fast path; the key colour on its left column and diagonal.
constexpr uint32_t kKeyColour = 0x7BFA03;
uint32_t Sprite(int x, int y) {
    if (x == 0 || x == y) return kKeyColour;
    return ((uint32_t)(x * 20 + 10) << 16 | (uint32_t)(y * 30 + 6) << 8 | (uint32_t)(x * y * 2 + 100)) & 0xFEFEFE;
}

uint32_t SoftwareScreenPixel(int x, int y) { return MemImgPixelRGB(g_softScreen.screen, x, y); }

TEST_F(SoftwareScreenTest, GraphsDrawOneToOneWithTheKeyColourBlendBrightAndDrawArea) {
    StartSoftware(32);
    const uint32_t savedKey = g_drawState.transparentKey;
    ASSERT_EQ(SetTransparentKey(123, 250, 3), 0);
    WriteFile("sprite.bmp", Bmp24(12, 8, Sprite));
    const int graph = LoadGraphFile("sprite.bmp", 0, 0, 0);
    ASSERT_NE(graph, -1);
    ASSERT_EQ(GetGraphEntry(graph)->source->desc.hardware, 0);
    enum Kind { AT, PART, SAME_SIZE_STRETCH };
    struct Case {
        const char *name;
        Kind kind;
        int mode, param, bright[3], transparent;
        RECT area;   // the draw area set before the draw
        int x, y;    // where the sprite's top-left lands
        RECT part;   // the part draw's screen rectangle, or everything
    };
    const RECT all{0, 0, 640, 480};
    const Case cases[] = {
        {"keyed", AT, BLENDMODE_NONE, 255, {255, 255, 255}, 1, all, 100, 50, all},
        {"opaque", AT, BLENDMODE_NONE, 255, {255, 255, 255}, 0, all, 100, 50, all},
        {"half", AT, BLENDMODE_ALPHA, 128, {255, 255, 255}, 1, all, 101, 51, all},
        {"tinted", AT, BLENDMODE_NONE, 255, {128, 64, 200}, 1, all, 100, 50, all},
        {"clipped", AT, BLENDMODE_NONE, 255, {255, 255, 255}, 1, {104, 52, 109, 480}, 100, 50, all},
        {"past the screen", AT, BLENDMODE_ALPHA, 128, {255, 255, 255}, 1, all, 634, 476, all},
        {"part", PART, BLENDMODE_NONE, 255, {255, 255, 255}, 1, all, 197, 58, {200, 60, 205, 64}},
        {"part in the area", PART, BLENDMODE_ALPHA, 128, {255, 255, 255}, 1, {0, 0, 203, 480}, 197, 58,
         {200, 60, 205, 64}},
        {"same-size stretch", SAME_SIZE_STRETCH, BLENDMODE_NONE, 255, {255, 255, 255}, 1, all, 300, 70, all},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PaintSoftwareScreen();
        ASSERT_EQ(SetBlendMode(c.mode, c.param), 0);
        ASSERT_EQ(SetBrightnessRGB(c.bright[0], c.bright[1], c.bright[2]), 0);
        ASSERT_EQ(SetDrawClipRect(c.area.left, c.area.top, c.area.right, c.area.bottom), 0);
        int r = -1;
        switch (c.kind) {
        case AT: r = DrawGraphAt(c.x, c.y, graph, c.transparent); break;
        case PART:
            r = DrawGraphPart(c.part.left, c.part.top, c.part.left - c.x, c.part.top - c.y, c.part.right - c.part.left,
                              c.part.bottom - c.part.top, graph, c.transparent, 0);
            break;
        case SAME_SIZE_STRETCH: r = DrawGraphStretched(c.x, c.y, c.x + 12, c.y + 8, graph, c.transparent); break;
        }
        ASSERT_EQ(r, 0);
        EXPECT_EQ(g_drawArea.left, c.area.left);
        EXPECT_EQ(g_drawArea.right, c.area.right);
        // The sprite's rectangle within the area and the part (the screen clips the rest).
        const int left = std::max({c.x, c.area.left, c.part.left});
        const int right = std::min({c.x + 12, c.area.right, c.part.right});
        const int top = std::max({c.y, c.area.top, c.part.top});
        const int bottom = std::min({c.y + 8, c.area.bottom, c.part.bottom});
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const uint32_t d = Picture(x, y);
                uint32_t want = d;
                const bool inside = x >= left && x < right && y >= top && y < bottom;
                const uint32_t s = inside ? Sprite(x - c.x, y - c.y) : 0;
                if (inside && !(c.transparent && s == kKeyColour)) {
                    want = 0;
                    for (int i = 0; i < 3; ++i) {
                        const int shift = 16 - 8 * i;
                        int sc = (int)(s >> shift & 0xFF) * c.bright[i] / 255;
                        const int dc = (int)(d >> shift & 0xFF);
                        if (c.mode == BLENDMODE_ALPHA) sc = (sc + dc) / 2;
                        want |= (uint32_t)sc << shift;
                    }
                }
                ASSERT_EQ(SoftwareScreenPixel(x, y), want) << x << "," << y;
            }
    }
    ASSERT_EQ(SetBlendMode(BLENDMODE_NONE, 255), 0);
    ASSERT_EQ(SetBrightnessRGB(255, 255, 255), 0);
    ASSERT_EQ(SetDrawClipRect(0, 0, 640, 480), 0);
    g_drawState.transparentKey = savedKey;
}

int SoftwareScreenTest::StartWithKeyedSprite(int bits) {
    StartSoftware(bits);
    if (!keySaved_) savedKey_ = g_drawState.transparentKey;
    keySaved_ = true;
    if (SetTransparentKey(123, 250, 3) != 0) return -1;
    WriteFile("sprite.bmp", Bmp24(12, 8, Sprite));
    return LoadGraphFile("sprite.bmp", 0, 0, 0);
}

// The screen's bytes as the reference model of the software kernels has them after a draw it
// is given, under the draw area `area` (the one the library narrows to for part draws).
std::vector<uint8_t> ScreenBytes() {
    const MEMIMG &m = g_softScreen.screen;
    return std::vector<uint8_t>(m.base->pixels, m.base->pixels + (size_t)m.base->pitch * m.base->height);
}
// The screen painted with the picture under a blend mode, bright colour and draw area; its bytes.
std::vector<uint8_t> PaintUnder(int mode, int param, const int bright[3], const RECT &area) {
    PaintSoftwareScreen();
    EXPECT_EQ(SetBlendMode(mode, param), 0);
    EXPECT_EQ(SetBrightnessRGB(bright[0], bright[1], bright[2]), 0);
    EXPECT_EQ(SetDrawClipRect(area.left, area.top, area.right, area.bottom), 0);
    return ScreenBytes();
}
template <typename Model>
std::vector<uint8_t> Expected(const RECT &area, Model model) {
    const DRAWAREA saved = g_drawArea;
    g_drawArea = MakeDrawArea(area.left, area.top, area.right, area.bottom);
    std::vector<uint8_t> want = model();
    g_drawArea = saved;
    return want;
}

TEST_F(SoftwareScreenTest, StretchedMirroredPartAndFilledGraphsGiveTheModelsPixels) {
    for (int bits : {16, 32}) {
        SCOPED_TRACE(bits);
        const int graph = StartWithKeyedSprite(bits);
        ASSERT_NE(graph, -1);
        MEMIMG *view = GraphMemImg(GetGraphEntry(graph));
        enum Kind { STRETCHED, MIRRORED, PART_TURNED, PART_STRETCHED };
        struct Case {
            const char *name;
            Kind kind;
            int mode, param, bright[3], transparent;
            RECT area;
            int a[8];
        };
        const RECT all{0, 0, 640, 480};
        const Case cases[] = {
            {"stretched", STRETCHED, BLENDMODE_NONE, 255, {255, 255, 255}, 1, all, {300, 70, 337, 93}},
            {"stretched and mirrored both ways", STRETCHED, BLENDMODE_ALPHA, 100, {255, 255, 255}, 1, all,
             {330, 90, 301, 71}},
            {"stretched past the area", STRETCHED, BLENDMODE_ADD, 200, {200, 255, 128}, 0, {310, 0, 640, 80},
             {300, 70, 324, 86}},
            {"mirrored", MIRRORED, BLENDMODE_SUB, 255, {255, 255, 255}, 1, all, {633, 475}},
            {"part turned", PART_TURNED, BLENDMODE_NONE, 255, {255, 255, 255}, 1, all, {200, 60, 2, 1, 7, 5}},
            {"part stretched", PART_STRETCHED, BLENDMODE_MUL, 0, {255, 255, 255}, 1, all,
             {100, 100, 120, 112, 2, 2, 10, 6}},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            const std::vector<uint8_t> painted = PaintUnder(c.mode, c.param, c.bright, c.area);
            const softtest::ORACLESETTINGS o = softtest::OracleSettings(c.transparent, nullptr, 128, 255);
            const MEMIMG &screen = g_softScreen.screen;
            std::vector<uint8_t> want;
            int r = -1;
            const int *a = c.a;
            switch (c.kind) {
            case STRETCHED: {
                const RECT rect{a[0], a[1], a[2], a[3]};
                want = Expected(c.area, [&] { return softtest::OracleStretch(screen, *view, rect, o); });
                r = DrawGraphStretched(a[0], a[1], a[2], a[3], graph, c.transparent);
                break;
            }
            case MIRRORED: {
                const RECT rect{a[0] + 12, a[1], a[0], a[1] + 8};
                want = Expected(c.area, [&] { return softtest::OracleStretch(screen, *view, rect, o); });
                r = DrawGraphMirrored(a[0], a[1], graph, c.transparent);
                break;
            }
            case PART_TURNED: {
                // The part (sx, sy, w, h) lands at (x, y), the whole graph mirrored around it.
                const int x = a[0], y = a[1], sx = a[2], sy = a[3], w = a[4], h = a[5];
                const int left = x + sx + w - 12;
                const RECT rect{left + 12, y - sy, left, y - sy + 8};
                want = Expected({x, y, x + w, y + h}, [&] { return softtest::OracleStretch(screen, *view, rect, o); });
                r = DrawGraphPart(x, y, sx, sy, w, h, graph, c.transparent, 1);
                break;
            }
            case PART_STRETCHED: {
                // A 10 x 6 part from (2, 2) doubled onto (100, 100)-(120, 112): the whole graph
                // twice its size from (96, 96).
                const RECT rect{96, 96, 120, 112};
                want = Expected({a[0], a[1], a[2], a[3]}, [&] { return softtest::OracleStretch(screen, *view, rect, o); });
                r = DrawGraphPartStretched(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], graph, c.transparent);
                break;
            }
            }
            ASSERT_EQ(r, 0);
            EXPECT_TRUE(want != painted);
            EXPECT_TRUE(ScreenBytes() == want);
        }
        ASSERT_EQ(SetDrawClipRect(0, 0, 640, 480), 0);

        // The colour fill covers the whole graph under the blend state, whatever the screen's
        // draw area; the area is the screen's again afterwards.
        ASSERT_EQ(SetBlendMode(BLENDMODE_ADD, 160), 0);
        ASSERT_EQ(SetBrightnessRGB(255, 128, 255), 0);
        ASSERT_EQ(SetDrawClipRect(500, 400, 510, 410), 0);
        const uint32_t colour = MakeColourCode(view->base->colourFormat, 40, 200, 90, 0);
        const std::vector<uint8_t> before(view->base->pixels,
                                          view->base->pixels + (size_t)view->base->pitch * view->base->height);
        const std::vector<uint8_t> want =
            Expected({0, 0, 12, 8}, [&] { return softtest::OracleFill(*view, nullptr, colour); });
        ASSERT_EQ(FillGraphColour(graph, 40, 200, 90, 0), 0);
        const std::vector<uint8_t> got(view->base->pixels,
                                       view->base->pixels + (size_t)view->base->pitch * view->base->height);
        EXPECT_NE(got, before);
        EXPECT_TRUE(got == want);
        EXPECT_EQ(g_drawArea.left, 500);
        EXPECT_EQ(g_drawArea.bottom, 410);
        ASSERT_EQ(SetBlendMode(BLENDMODE_NONE, 255), 0);
        ASSERT_EQ(SetBrightnessRGB(255, 255, 255), 0);
        ASSERT_EQ(SetDrawClipRect(0, 0, 640, 480), 0);
        DestroyGraph(graph);
    }
}

TEST_F(SoftwareScreenTest, RotatedGraphsGiveTheModelsPixels) {
    for (int bits : {16, 32}) {
        SCOPED_TRACE(bits);
        const int graph = StartWithKeyedSprite(bits);
        ASSERT_NE(graph, -1);
        MEMIMG *view = GraphMemImg(GetGraphEntry(graph));
        const MEMIMG &screen = g_softScreen.screen;
        const RECT all{0, 0, 640, 480};
        struct Case {
            const char *name;
            float x, y;
            double scale, angle;
            int cosine, sine, mode, param, transparent;
        } cases[] = {
            {"as it is", 200.7f, 100.2f, 1.0, 0.0, 1, 0, BLENDMODE_NONE, 255, 1},
            {"a quarter turn doubled", 300.0f, 150.0f, 2.0, 3.14159265358979323846 / 2, 0, 1, BLENDMODE_ALPHA, 90, 1},
            {"half a turn halved", 636.0f, 478.0f, 0.5, 3.14159265358979323846, -1, 0, BLENDMODE_ADD, 255, 0},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            PaintSoftwareScreen();
            ASSERT_EQ(SetBlendMode(c.mode, c.param), 0);
            const softtest::ORACLESETTINGS o = softtest::OracleSettings(c.transparent, nullptr, 128, 255);
            const std::vector<uint8_t> want = Expected(all, [&] {
                return softtest::OracleRotated(screen, *view, (int)c.x, (int)c.y, c.cosine, c.sine, c.scale, o);
            });
            ASSERT_EQ(DrawGraphRotated(c.x, c.y, c.scale, c.angle, graph, c.transparent, 0), 0);
            EXPECT_TRUE(ScreenBytes() == want);
        }
        // Turned: the image mirrored left to right, one column right of where it stood unturned,
        // without its last column (the quad kernel samples at the left edge of each pixel and
        // ends its spans before the right corner).
        PaintSoftwareScreen();
        ASSERT_EQ(SetBlendMode(BLENDMODE_NONE, 255), 0);
        const RECT mirrored{207, 96, 195, 104};
        const std::vector<uint8_t> want = Expected({0, 0, 206, 480}, [&] {
            return softtest::OracleStretch(screen, *view, mirrored, softtest::OracleSettings(1, nullptr, 128, 255));
        });
        ASSERT_EQ(DrawGraphRotated(200.0f, 100.0f, 1.0, 0.0, graph, 1, 1), 0);
        EXPECT_TRUE(ScreenBytes() == want);
        // A scale of 0 draws nothing.
        const std::vector<uint8_t> before = ScreenBytes();
        EXPECT_EQ(DrawGraphRotated(200.0f, 100.0f, 0.0, 0.3, graph, 1, 0), 0);
        EXPECT_TRUE(ScreenBytes() == before);
        DestroyGraph(graph);
    }
}

TEST_F(SoftwareScreenTest, FourCornerDrawsGiveTheModelsPixels) {
    for (int bits : {16, 32}) {
        SCOPED_TRACE(bits);
        const int graph = StartWithKeyedSprite(bits);
        // The blend graph, larger than the sprite: its blue channel is the weight byte.
        WriteFile("ramp.bmp", Bmp24(16, 10, [](int x, int y) { return (uint32_t)(x * 15 + y * 11) & 0xFF; }));
        const int ramp = LoadGraphFile("ramp.bmp", 0, 0, 0);
        ASSERT_NE(graph, -1);
        ASSERT_NE(ramp, -1);
        MEMIMG *view = GraphMemImg(GetGraphEntry(graph)), *rampView = GraphMemImg(GetGraphEntry(ramp));
        struct Case {
            const char *name;
            int mode, param, bright[3], transparent;
            bool blendGraph;
            RECT area;
            float c[8];  // top-left, top-right, bottom-right, bottom-left
        };
        const RECT all{0, 0, 640, 480};
        const Case cases[] = {
            {"skewed keyed sprite with a blend graph", BLENDMODE_NONE, 255, {255, 255, 255}, 1, true, all,
             {100.7f, 50.2f, 140.3f, 60.9f, 150.0f, 95.5f, 95.2f, 80.1f}},
            {"tilted, added and tinted", BLENDMODE_ADD, 200, {200, 255, 128}, 1, false, all,
             {300.0f, 20.0f, 330.0f, 40.0f, 310.0f, 70.0f, 280.0f, 50.0f}},
            {"squashed half blend past the area", BLENDMODE_ALPHA, 128, {255, 255, 255}, 0, true, {0, 0, 205, 480},
             {190.0f, 200.0f, 240.0f, 202.0f, 241.0f, 207.0f, 189.0f, 206.0f}},
            {"mirrored, subtracted, off the screen's corner", BLENDMODE_SUB, 255, {255, 255, 255}, 1, false, all,
             {650.0f, 470.0f, 610.0f, 475.0f, 612.0f, 500.0f, 648.0f, 490.0f}},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            const std::vector<uint8_t> painted = PaintUnder(c.mode, c.param, c.bright, c.area);
            ASSERT_EQ(SetBlendGraph(c.blendGraph ? ramp : -1, 90, 200), 0);
            // The model's two triangles, the second over the first's pixels, corners truncated.
            int x[4], y[4];
            for (int i = 0; i < 4; ++i) {
                x[i] = (int)c.c[2 * i];
                y[i] = (int)c.c[2 * i + 1];
            }
            const int32_t first[12] = {x[0], y[0], 0, 0, x[1], y[1], 12, 0, x[3], y[3], 0, 8};
            const int32_t second[12] = {x[1], y[1], 12, 0, x[3], y[3], 0, 8, x[2], y[2], 12, 8};
            const MEMIMG &screen = g_softScreen.screen;
            const auto s = softtest::OracleSettings(c.transparent, c.blendGraph ? rampView : nullptr, 90, 200);
            std::vector<uint8_t> want = softtest::ReferenceTriangle(screen, view, first, s, 0);
            std::memcpy(screen.base->pixels, want.data(), want.size());
            want = softtest::ReferenceTriangle(screen, view, second, s, 0);
            std::memcpy(screen.base->pixels, painted.data(), painted.size());
            ASSERT_EQ(DrawGraphCorners(c.c[0], c.c[1], c.c[2], c.c[3], c.c[4], c.c[5], c.c[6], c.c[7], graph,
                                       c.transparent),
                      0);
            EXPECT_TRUE(want != painted);
            EXPECT_TRUE(ScreenBytes() == want);
        }
        // A corner that is no number, or past the int range, refuses both triangles it is part
        // of: the top-right and the bottom-left corner are in both.
        PaintSoftwareScreen();
        const std::vector<uint8_t> painted = ScreenBytes();
        ASSERT_EQ(SetBlendMode(BLENDMODE_NONE, 255), 0);
        ASSERT_EQ(SetBlendGraph(-1, 0, 0), 0);
        const float nan = std::nanf("");
        EXPECT_EQ(DrawGraphCorners(10.0f, 10.0f, 40.0f, 10.0f, 40.0f, 40.0f, nan, 40.0f, graph, 1), 0);
        EXPECT_EQ(DrawGraphCorners(10.0f, 10.0f, 3e9f, 10.0f, 40.0f, 40.0f, 10.0f, 40.0f, graph, 1), 0);
        EXPECT_TRUE(ScreenBytes() == painted);
        // A blend graph smaller than the graph fails the draw.
        ASSERT_EQ(SetBlendGraph(graph, 90, 200), 0);
        EXPECT_EQ(DrawGraphCorners(10.0f, 10.0f, 40.0f, 10.0f, 40.0f, 40.0f, 10.0f, 40.0f, ramp, 1), -1);
        ASSERT_EQ(SetBlendGraph(-1, 0, 0), 0);
        ASSERT_EQ(SetBrightnessRGB(255, 255, 255), 0);
        ASSERT_EQ(SetDrawClipRect(0, 0, 640, 480), 0);
        DestroyGraph(graph);
        DestroyGraph(ramp);
    }
}

TEST_F(ScreenTest, ScreenModeChangeWalksItsFallBacks) {
    // Unchanged without force: nothing is done or logged.
    const std::string before = LogBytes();
    ASSERT_EQ(ChangeScreenMode(-1, -1, -1, 0, -1), 0);
    EXPECT_EQ(LogBytes(), before);

    struct CASE {
        const char *name;
        int width, height, refusals;
        int wantWidth, wantHeight, wantEmulation;
    };
    const CASE cases[] = {
        {"accepted", 800, 600, 0, 800, 600, 0},
        {"320 refused: emulated on 640", 320, 240, 1, 640, 480, 1},
        {"refused: the previous mode", 1024, 768, 1, 640, 480, 0},
        {"previous refused too: 640 x 480 x 16", 1024, 768, 2, 640, 480, 0},
        {"320 and its emulation refused: the previous mode", 320, 240, 2, 640, 480, 0},
    };
    for (const CASE &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ChangeScreenMode(640, 480, 32, 1, 0), 0);
        g_drawState.emulation320 = 0;
        D3D9TestFailCall("LoadLibraryA:d3d9.dll", c.refusals);  // each refused start loads once
        ASSERT_EQ(ChangeScreenMode(c.width, c.height, -1, 0, -1), 0);
        D3D9TestFailCall("LoadLibraryA:d3d9.dll", 0);
        EXPECT_EQ(g_screenSetup.width, c.wantWidth);
        EXPECT_EQ(g_screenSetup.height, c.wantHeight);
        EXPECT_EQ(g_drawState.emulation320, c.wantEmulation);
        EXPECT_EQ(g_drawArea.right, c.wantWidth);
        EXPECT_EQ(g_screenSetup.initialised, 1);
    }
    g_drawState.emulation320 = 0;
    const std::string log = LogBytes();
    EXPECT_NE(log.find("画面モード変更処理を開始します"), std::string::npos);
    EXPECT_NE(log.find("画面モード変更処理は正常に終了しました"), std::string::npos);
}

}  // namespace
