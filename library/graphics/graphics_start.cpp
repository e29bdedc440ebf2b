// The graphics system's start and end: the display device or the software screen, then the
// draw settings, the software tables and the fonts; and what the other graphics modules read
// of the display once it is up.
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/font.h"
#include "library/graphics/graph.h"
#include "library/graphics/graph_bridge.h"
#include "library/graphics/mask.h"
#include "library/graphics/memimg.h"
#include "library/graphics/render_state.h"
#include "library/graphics/shader_pack.h"
#include "library/graphics/state3d.h"

namespace {

void PublishDisplay() {
    const SCREENSETUP &s = g_screenSetup;
    const DEVICESTATE &d = g_deviceState;
    const DEVICEFORMATS &f = g_deviceFormats;
    GRAPHBRIDGE &b = g_graphBridge;
    b.started = 1;
    b.direct3D = s.direct3D;
    b.device = s.direct3D ? d.device : nullptr;
    b.screenWidth = s.width;
    b.screenHeight = s.height;
    b.screenBits = s.bits;
    b.maxTextureSize = d.maxTextureSize;
    b.squareOnly = (d.caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
    const D3DFORMAT formats[GRAPHFMT_COUNT] = {
        f.colour16, f.colour32, f.alpha16, f.alpha32, f.alphaTest16, f.alphaTest32, f.dxt[0],
        f.dxt[1],   f.dxt[2],   f.dxt[3],  f.dxt[4],  f.drawTarget16, f.drawTarget32, f.alphaDrawTarget32};
    for (int i = 0; i < GRAPHFMT_COUNT; ++i) b.textureFormats[i] = s.direct3D ? formats[i] : D3DFMT_UNKNOWN;
    g_memImgState.screenColourBits = s.bits;
}

void WithdrawDisplay() {
    GRAPHBRIDGE &b = g_graphBridge;
    b.started = 0;
    b.direct3D = 0;
    b.device = nullptr;
    b.screenWidth = b.screenHeight = b.screenBits = 0;
    b.maxTextureSize = 0;
    b.squareOnly = 0;
    for (D3DFORMAT &format : b.textureFormats) format = D3DFMT_UNKNOWN;
}

void DropMemImg(MEMIMG *image) {
    if (IsMemImgValid(image)) ReleaseMemImg(image);
}

}  // namespace

int StartGraphics() {
    SCREENSETUP &s = g_screenSetup;
    if (s.initialised) return 0;
    g_graphs.count = 0;
    g_graphs.usedEnd = 0;
    if (s.width == 0) s.width = 640;
    if (s.height == 0) s.height = 480;
    if (s.bits == 0) s.bits = 16;

    if (SetupDisplayDevice() == -1) {
        // What the set-up got before failing (the DirectDraw object, the module, a changed
        // mode) goes with it.
        ReleaseDisplayDevice();
        ShutdownGraphics();
        return -1;
    }
    s.initialised = 1;
    PublishDisplay();
    // Draw-state blocks that name graph handles take the graph's first texture.
    g_renderState.graphTexture = GraphFirstTexture;
    if (s.direct3D)
        RestoreDeviceStates();
    else
        CreateSoftwareScreen();
    ResetDrawSettings();
    InitMemImgTables();
    StartFontSystem();
    return 0;
}

int ShutdownGraphics() {
    SCREENSETUP &s = g_screenSetup;
    StopFontSystem();
    if (!s.initialised) return 0;
    DeleteAllGraphs();
    EndMaskScreen();
    FreeAllMaskHandles();
    DeleteAllLights();
    DeleteDefaultLight();
    ReleaseDisplayDevice();
    DropMemImg(&g_softScreen.screen);
    DropMemImg(&g_softScreen.work);
    DropMemImg(&g_softScreen.workAlpha);
    g_softScreen.drawTarget = nullptr;
    FreeShaderPack();
    WithdrawDisplay();
    s.initialised = 0;
    return 0;
}

int CreateSoftwareScreen() {
    const SCREENSETUP &s = g_screenSetup;
    SOFTSCREEN &soft = g_softScreen;
    int type = s.bits == 16 ? MEMIMG_TYPE_RGB16 : MEMIMG_TYPE_RGB32;
    DropMemImg(&soft.screen);
    DropMemImg(&soft.work);
    DropMemImg(&soft.workAlpha);
    if (MakeScreenMemImg(&soft.screen, s.width, s.height, type) != 0)
        ExitWithError("プライマリサーフェス用の MEMIMG の作成に失敗しました");
    SetupMemImg(&soft.work, s.width, s.height, -1, 0, type, 0, 0, 0, nullptr);
    SetupMemImg(&soft.workAlpha, s.width, s.height, -1, 0, type, 0, 1, 0, nullptr);
    int rgb = GetWindowBackgroundColour();
    uint32_t code = MakeColourCode(soft.screen.base->colourFormat, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
    FillMemImg(&soft.screen, nullptr, code);
    soft.drawTarget = &soft.screen;
    return 0;
}
