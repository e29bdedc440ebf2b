// Draw settings: the record every 2D draw reads, its setters and defaults, the blend-mode
// list and the screen colour helpers.
#include "library/graphics/draw_params.h"

#include "library/base/library.h"
#include "library/base/pump.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/mask.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"

#include <cstring>

DRAWSTATE g_drawState = [] {
    DRAWSTATE s{};
    s.depth2D = 0.2f;
    s.maxAnisotropy = 1;
    s.blendGraph = -1;
    s.brightness = 0xFFFFFF;
    s.cullMode = 0;  // unculled: mirrored 2D draws turn their triangles round
    s.depth2DSet.zCompare = s.depth3DSet.zCompare = D3DCMP_LESSEQUAL;
    for (int i = 0; i < 8; ++i) s.addressU[i] = s.addressV[i] = D3DTADDRESS_CLAMP;
    s.drawTarget = -2;
    return s;
}();


const BLENDMODEINFO g_blendModes[BLENDMODE_COUNT] = {
    {-1, -1, -1, 0, 0},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 1, 0},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 1, 0},
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, D3DBLENDOP_ADD, 1, 0},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 1, 0},
    {D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 1, 0},
    {-1, -1, -1, 0, 0},
    {-1, -1, -1, 2, 0},
    {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 1, 0},
    {D3DBLEND_ZERO, D3DBLEND_INVDESTCOLOR, D3DBLENDOP_ADD, 1, 0},
    {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 1, 2},
    {D3DBLEND_SRCCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 1, 1},
};

namespace {

DRAWSTATE &S = g_drawState;

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

void RecomputeBatchColour() {
    if (GetRenderDevice()) g_vertexBatch.colour = PackBatchColour();
}

}  // namespace

uint32_t PackBatchColour() {
    uint32_t alpha = (S.blendMode != BLENDMODE_NONE || S.alphaUse) ? (uint32_t)S.blendParam : 255u;
    return alpha << 24 | (S.brightness & 0xFFFFFF);
}

int SetBrightnessRGB(int r, int g, int b) {
    if (S.drawingSuppressed) return 0;
    uint32_t v = (uint32_t)Clamp255(r) << 16 | (uint32_t)Clamp255(g) << 8 | (uint32_t)Clamp255(b);
    if (v == (S.brightness & 0xFFFFFF)) return 0;
    S.brightness = v;
    RecomputeBatchColour();
    return 0;
}

void SetBrightnessColour(uint32_t rgb) {
    rgb &= 0xFFFFFF;
    if (rgb == (S.brightness & 0xFFFFFF)) return;
    S.brightness = rgb;
    RecomputeBatchColour();
}

int SetBlendMode(int mode, int parameter) {
    if (S.drawingSuppressed) return 0;
    parameter = Clamp255(parameter);
    if (mode == S.blendMode && parameter == S.blendParam) return 0;
    WaitWhileInactive();
    S.blendMode = mode;
    S.blendParam = parameter;
    RecomputeBatchColour();
    return 0;
}

int SetBlendGraphTextureParams(IDirect3DBaseTexture9 *texture, int width, int height, int parameter, int range) {
    if (!GetRenderDevice()) return -1;
    parameter = Clamp255(parameter);
    range = Clamp255(range);
    S.blendGraphParam = parameter;
    S.blendGraphRange = range;
    SetBlendGraphTexture(range, texture, parameter);
    VERTEXBATCH &b = g_vertexBatch;
    if (texture && width > 0 && height > 0) {
        b.sourceWidth = (float)width;
        b.sourceHeight = (float)height;
        b.sourceWidthInv = 1.0f / (float)width;
        b.sourceHeightInv = 1.0f / (float)height;
    }
    return 0;
}

int SetTextureFilterMode(int mode) {
    if (S.drawingSuppressed || mode == S.filterMode) return 0;
    S.filterMode = mode;
    if (GetRenderDevice()) ApplyTextureFilterMode(mode);
    return 0;
}

int GetTextureFilterMode() { return S.filterMode; }

int SetVSyncWait(int flag) {
    S.vsyncWaitOff = flag == 1 ? 0 : 1;
    return 0;
}

int GetVSyncWait() { return S.vsyncWaitOff ? 0 : 1; }

int SetEmulation320(int flag) {
    S.emulation320 = flag ? 1 : 0;
    return 0;
}

int SetTextureMipLevels(int useFlag, int count) {
    S.mipLevels = useFlag == 1 ? count : 0;
    return 0;
}

int SelectHardwareRendering(int flag) {
    if (g_library.initialised) return -1;
    g_screenSetup.softwareOnly = flag == 0 ? 1 : 0;
    return 0;
}

const COLOURFORMAT *GetStandardColourFormat(int code) {
    struct Row {
        int code, bits;
        uint32_t r, g, b, a;
    };
    static const Row kRows[] = {
        {20, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0},
        {21, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000},
        {22, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0},
        {23, 16, 0xF800, 0x07E0, 0x001F, 0},
        {24, 16, 0x7C00, 0x03E0, 0x001F, 0},
        {25, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
        {26, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
        {27, 8, 0xE0, 0x1C, 0x03, 0},
        {29, 16, 0xE0, 0x1C, 0x03, 0xFF00},
        {30, 16, 0x0F00, 0x00F0, 0x000F, 0},
        {31, 32, 0x000003FF, 0x000FFC00, 0x3FF00000, 0xC0000000},
        {32, 32, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000},
        {33, 32, 0x0000FF, 0x00FF00, 0xFF0000, 0},
        {35, 32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
    };
    constexpr int kCount = sizeof kRows / sizeof kRows[0];
    static COLOURFORMAT formats[kCount];
    static bool built = false;
    if (!built) {
        for (int i = 0; i < kCount; ++i)
            MakeColourFormatFromMasks(&formats[i], kRows[i].bits, kRows[i].r, kRows[i].g, kRows[i].b, kRows[i].a);
        built = true;
    }
    for (int i = 0; i < kCount; ++i)
        if (kRows[i].code == code) return &formats[i];
    return nullptr;
}

namespace {
const COLOURFORMAT *ScreenFormat() { return GetStandardColourFormat(RenderScreenBits() == 16 ? 23 : 22); }
}  // namespace

uint32_t MakeScreenColour(int r, int g, int b) {
    const COLOURFORMAT *f = ScreenFormat();
    auto field = [](int v, int width, int shift) {
        return ((uint32_t)Clamp255(v) >> (8 - width)) << shift;
    };
    return field(r, f->redWidth, f->redShift) | field(g, f->greenWidth, f->greenShift) |
           field(b, f->blueWidth, f->blueShift) | f->freeMask;
}

int SplitScreenColour(uint32_t code, int *r, int *g, int *b) {
    const COLOURFORMAT *f = ScreenFormat();
    auto channel = [code](uint32_t mask, int shift, int width) {
        uint32_t max = (1u << width) - 1;
        return (int)(((code & mask) >> shift) * 255 / max);
    };
    if (r) *r = channel(f->redMask, f->redShift, f->redWidth);
    if (g) *g = channel(f->greenMask, f->greenShift, f->greenWidth);
    if (b) *b = channel(f->blueMask, f->blueShift, f->blueWidth);
    return 0;
}

D3DCOLORVALUE *MakeFloatColour(D3DCOLORVALUE *out, float r, float g, float b, float a) {
    out->r = r;
    out->g = g;
    out->b = b;
    out->a = a;
    return out;
}

int ResetDrawSettings() {
    DRAWSTATE kept = S;
    S = DRAWSTATE{};
    S.emulation320 = kept.emulation320;
    S.vsyncWaitOff = kept.vsyncWaitOff;
    S.drawingSuppressed = kept.drawingSuppressed;
    S.restoreCallback = kept.restoreCallback;

    S.blendGraph = -1;
    for (int i = 0; i < 8; ++i) S.addressU[i] = S.addressV[i] = D3DTADDRESS_CLAMP;
    S.depth2D = 0.2f;
    S.depth2DSet = DEPTHSET{0, 0, D3DCMP_LESSEQUAL, 0.0f};
    S.depth3DSet = DEPTHSET{0, 0, D3DCMP_LESSEQUAL, 0.0f};
    S.lightsChanged = 1;
    S.filterMode = 0;
    S.maxAnisotropy = 1;
    S.blendMode = 0;
    S.brightness = 0xFFFFFF;
    S.cullMode = 0;
    // Fog through its setters, so that a device holds it too.
    SetFogMode2D(3);
    SetFogColour(255, 255, 255);
    SetFogRangeSetting(0.0f, 1500.0f);
    g_mask.drawOn = 0;
    S.drawingSuppressed = 0;
    // Projection settings and world before the target: the target's camera is what stays.
    ResetState3D();
    MAT44 identity;
    MakeIdentityMatrix(&identity);
    SetWorldMatrix(&identity);
    S.drawTarget = BACK_PAGE;
    SetDrawTarget(FRONT_PAGE);
    int width = 0, height = 0;
    GetGraphExtent(S.drawTarget, &width, &height);
    SetDrawClipRect(0, 0, width, height);
    CreateDefaultLight();
    S.material.Diffuse = D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f};
    S.material.Ambient = D3DCOLORVALUE{0, 0, 0, 0};
    S.material.Specular = D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 0};
    S.material.Emissive = D3DCOLORVALUE{0, 0, 0, 0};
    S.material.Power = 20.0f;
    S.materialPending = 1;
    RecomputeBatchColour();
    return 0;
}

namespace {
int BlendGraphPass(int x1, int y1, int x2, int y2, int modeAfter) {
    int parameter = S.blendParam;
    uint32_t brightness = S.brightness & 0xFFFFFF;
    if (brightness != 0xFFFFFF) SetBrightnessColour(0xFFFFFF);
    if (!S.drawingSuppressed && !(S.blendMode == BLENDMODE_SUB && S.blendParam == 255)) {
        WaitWhileInactive();
        SetBlendMode(BLENDMODE_SUB, 255);
    }
    FillRectBatched(x1, y1, x2, y2, 0xFFFFFF, 1);
    SetBrightnessColour(brightness);
    SetBlendMode(modeAfter, parameter);
    return 0;
}
}  // namespace

int BlendGraphPrePass(int x1, int y1, int x2, int y2) { return BlendGraphPass(x1, y1, x2, y2, BLENDMODE_ADD_PASS); }
int BlendGraphPostPass(int x1, int y1, int x2, int y2) { return BlendGraphPass(x1, y1, x2, y2, BLENDMODE_SUB); }
