// Rebuilding the display after the device was lost, and changing the screen mode at run time.
#include "library/base/input.h"
#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/pump.h"
#include "library/base/strings.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/font.h"
#include "library/graphics/graph.h"
#include "library/graphics/graph_bridge.h"
#include "library/graphics/mask.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/screen_mode_chain.h"
#include "library/graphics/state3d.h"

namespace {

// The cache still names objects of the device that went: forget them so that the new
// device gets every one of its own.
void ForgetDeviceObjects() {
    RENDERSTATECACHE &c = g_renderState;
    c.inScene = 0;
    c.renderTarget = nullptr;
    c.drawTexture = nullptr;
    c.blendTexture = nullptr;
    c.vertexShader = nullptr;
    c.pixelShader = nullptr;
    c.vertexDecl = nullptr;
    c.fvf = 0;
    for (STAGECACHE &s : c.stages) s.texture = nullptr;
    c.blendDirty = 1;
}

}  // namespace

int RecoverLostDevice() {
    const SCREENLINKS &links = g_screenState.links;
    const bool direct3D = g_screenSetup.direct3D != 0;
    if (direct3D) {
        ReleaseMaskResources();
        ReleaseAllGraphTextures();
        ReleaseDisplayDevice();
        ForgetDeviceObjects();
    }
    const bool input = g_library.inputStarted != 0;
    if (input) ShutdownDirectInput();
    const int setup = SetupDisplayDevice();
    // Input comes back whatever the display did.
    if (input) StartDirectInput();
    if (setup != 0) return -1;
    g_screenState.deviceLost = 0;
    g_graphBridge.direct3D = g_screenSetup.direct3D;
    g_graphBridge.device = g_screenSetup.direct3D ? g_deviceState.device : nullptr;
    if (!g_screenSetup.direct3D) return 0;

    RecreateAllGraphTextures();
    RestoreMaskScreen();
    KeepCameraMatrices();
    SetDrawTarget(g_drawState.drawTarget);
    RestoreAllDrawStates();
    for (int i = 0; i < 2; ++i) {
        ClearDrawTarget();
        PresentBackScreen();
    }
    if (g_drawState.restoreCallback)
        g_drawState.restoreCallback();
    else
        RestoreGraphsFromFiles();
    if (links.rebuildModelTextures) links.rebuildModelTextures();
    RecreateAllFonts();
    RestoreBasicDrawStates();
    if (links.createModelVertexBuffers) links.createModelVertexBuffers();
    MarkLightsChanged();
    RestoreCameraMatrices();
    return 0;
}

namespace {

// The default font's settings, kept over a restart of graphics (which starts the font
// system afresh).
struct KEPTFONT {
    char face[256];
    int size, thickness, type, charSet, edgeSize, italic, charGap;
};

bool KeepDefaultFont(KEPTFONT *kept) {
    const FONTREC *font = LookupFontRec(FetchDefaultFont());
    if (!font) return false;
    CopyString(kept->face, font->faceName);
    kept->size = font->size;
    kept->thickness = font->thickness;
    kept->type = font->fontType;
    kept->charSet = font->charSet;
    kept->edgeSize = font->edgeSize;
    kept->italic = font->italic;
    kept->charGap = font->charGap;
    return true;
}

void RemakeDefaultFont(const KEPTFONT &kept) {
    FreeFontHandle(FetchDefaultFont());
    g_fontSystem.defaultFont = CreateFontToHandle(kept.face, kept.size, kept.thickness, kept.type, kept.charSet,
                                                  kept.edgeSize, kept.italic);
    SetFontCharGap(kept.charGap, g_fontSystem.defaultFont);
}

int StartInMode(const SCREENMODE &mode, void *) {
    g_screenSetup.width = mode.width;
    g_screenSetup.height = mode.height;
    g_screenSetup.bits = mode.bits;
    g_screenSetup.refresh = mode.refresh;
    g_drawState.emulation320 = mode.emulation320;
    return StartGraphics() == -1 ? -1 : 0;
}

}  // namespace

int ChangeScreenMode(int width, int height, int bits, int force, int refresh) {
    SCREENSETUP &s = g_screenSetup;
    const SCREENMODE previous{s.width, s.height, s.bits, s.refresh, g_drawState.emulation320};
    const SCREENMODE requested{width == -1 ? s.width : width, height == -1 ? s.height : height,
                               bits == -1 ? s.bits : bits, refresh == -1 ? s.refresh : refresh,
                               g_drawState.emulation320};
    if (!force && requested.width == previous.width && requested.height == previous.height &&
        requested.bits == previous.bits && requested.refresh == previous.refresh)
        return 0;

    WriteLog("画面モード変更処理を開始します\n");
    RaiseLogIndent();
    KEPTFONT font;
    const bool fontKept = g_library.initialised && KeepDefaultFont(&font);
    if (!g_library.initialising && !g_library.initialised) {
        LowerLogIndent();
        return 0;
    }
    if (s.initialised) ShutdownGraphics();

    SCREENMODE chain[kScreenModeChainMax];
    const int count = BuildScreenModeChain(requested, previous, chain);
    if (WalkScreenModeChain(chain, count, StartInMode, nullptr) == -1)
        ExitWithError("予期せぬ画面モード変更不能現象が起きました2\n");

    g_screenState.deviceLost = 0;
    // The new screen's size: the area and the camera follow it.
    if (g_library.initialised) SetDrawTarget(g_drawState.drawTarget);
    if (IsWindowMode()) ApplyWindowStyle();
    if (fontKept) RemakeDefaultFont(font);
    LowerLogIndent();
    WriteLog("画面モード変更処理は正常に終了しました\n");
    PumpWindowMessages();
    return 0;
}
