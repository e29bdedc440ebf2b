// Fog settings of the draws, and the programmable path's light constants and shader base numbers.
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"

#include <cmath>

namespace {

STATE3D &T = g_state3D;
DRAWSTATE &S = g_drawState;

// Shader numbers count light types as 0 none, 1 point, 2 spot, 3 directional.
int LightTypeAt(int index) {
    const RENDERSTATECACHE &c = g_renderState;
    return c.lightEnabled[index] ? (int)c.lights[index].Type : 0;
}

int PixelLightKind(int type) { return type == 0 ? 0 : type == (int)D3DLIGHT_DIRECTIONAL ? 2 : 1; }

const D3DMATERIAL9 &CurrentMaterial() {
    return g_renderState.materialValid ? g_renderState.material : S.material;
}

}  // namespace

// ---- fog --------------------------------------------------------------------------

int SetFogMode2D(int mode) {
    if (mode != S.fogMode) {
        FlushVertexBatch();
        S.fogMode = mode;
    }
    if (GetRenderDevice()) SetFogMode(mode);
    return 0;
}

int SetFogColour(int r, int g, int b) {
    uint32_t colour = 0xFF000000u | (uint32_t)(r & 0xFF) << 16 | (uint32_t)(g & 0xFF) << 8 | (uint32_t)(b & 0xFF);
    if (colour != S.fogColour) {
        FlushVertexBatch();
        S.fogColour = colour;
    }
    if (GetRenderDevice()) SetFogColourState(colour);
    return 0;
}

int SetFogRangeSetting(float start, float end) {
    if (start != S.fogStart || end != S.fogEnd) {
        FlushVertexBatch();
        S.fogStart = start;
        S.fogEnd = end;
    }
    if (GetRenderDevice()) SetFogRange(start, end);
    return 0;
}

int SyncFogEnable() {
    DWORD want = S.fogEnable ? TRUE : FALSE;
    if (GetRenderDevice() && g_renderState.fogEnable != want) return SetFogEnableState(S.fogEnable);
    return 0;
}

// ---- programmable path ------------------------------------------------------------

void LoadLightShaderConstants(int index, const D3DLIGHT9 *l) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !RenderDeviceUsesShaders() || index < 0 || index >= 4) return;
    VEC3 p{l->Position.x, l->Position.y, l->Position.z}, dir{l->Direction.x, l->Direction.y, l->Direction.z};
    TransformPoint(&p, &p, &T.view);
    TransformDirection(&dir, &dir, &T.view);
    const float halfPhi = l->Phi * 0.5f, halfTheta = l->Theta * 0.5f;
    const float cosPhi = std::cos(halfPhi), cosTheta = std::cos(halfTheta);
    const float spread = cosTheta - cosPhi;
    const D3DCOLORVALUE &df = l->Diffuse, &sp = l->Specular;
    // Registers: position, direction, diffuse, specular, (ambient x material ambient, loaded
    // by UploadLightShaderConstants), range and attenuation, spot factors.
    const float v[4][4] = {
        {p.x, p.y, p.z, 1.0f},
        {dir.x, dir.y, dir.z, 0.0f},
        {df.r, df.g, df.b, df.a},
        {sp.r, sp.g, sp.b, sp.a},
    };
    const float v2[2][4] = {
        {l->Range * l->Range, l->Attenuation0, l->Attenuation1, l->Attenuation2},
        {std::sin(halfPhi), cosPhi, std::sin(halfTheta), spread != 0.0f ? 1.0f / spread : 0.0f},
    };
    d->SetVertexShaderConstantF(14 + 7 * index, &v[0][0], 4);
    d->SetVertexShaderConstantF(14 + 7 * index + 5, &v2[0][0], 2);
    const float px[2][4] = {{df.r, df.g, df.b, df.a}, {sp.r, sp.g, sp.b, sp.a}};
    d->SetPixelShaderConstantF(9 + 3 * index, &px[0][0], 2);
    const BOOL b[2] = {l->Type == D3DLIGHT_POINT || l->Type == D3DLIGHT_SPOT, l->Type == D3DLIGHT_SPOT};
    d->SetVertexShaderConstantB(5 + 3 * index, b, 2);
}

void UploadLightShaderConstants() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !RenderDeviceUsesShaders()) return;
    const RENDERSTATECACHE &c = g_renderState;
    const D3DMATERIAL9 &m = CurrentMaterial();
    for (int i = 0; i <= c.highestLight && i < 4; ++i) {
        if (!c.lightEnabled[i]) continue;
        const D3DCOLORVALUE &a = c.lights[i].Ambient;
        const float v[4] = {a.r * m.Ambient.r, a.g * m.Ambient.g, a.b * m.Ambient.b, a.a * m.Ambient.a};
        d->SetVertexShaderConstantF(18 + 7 * i, v, 1);
        d->SetPixelShaderConstantF(11 + 3 * i, v, 1);
    }
    const float *g = c.ambientFloats;
    const float global[4] = {g[0] * m.Ambient.r + m.Emissive.r, g[1] * m.Ambient.g + m.Emissive.g,
                             g[2] * m.Ambient.b + m.Emissive.b, g[3] * m.Ambient.a + m.Emissive.a};
    d->SetVertexShaderConstantF(1, global, 1);
    d->SetPixelShaderConstantF(1, global, 1);
}

void ComputeShaderSelection() {
    if (!GetRenderDevice() || !RenderDeviceUsesShaders()) return;
    const RENDERSTATECACHE &c = g_renderState;
    const int lit = S.lightingOff ? 0 : 1;
    const int t0 = LightTypeAt(0), t1 = LightTypeAt(1), t2 = LightTypeAt(2);
    const int any = (t0 || t1 || t2) ? 1 : 0;
    const int fog = c.fogEnable ? (int)c.fogVertexMode : 0;
    T.vertexShaderBase = t2 * 8 + t0 * 128 + lit * 0x6000 + any * 4096 + t1 * 32 + fog * 512;
    T.pixelShaderBase =
        lit * 1728 + any * 432 + PixelLightKind(t0) * 72 + PixelLightKind(t1) * 24 + PixelLightKind(t2) * 8;
}
