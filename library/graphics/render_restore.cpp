// Establishing the cached device states after device creation and re-sending them after a
// restore, with every comparison switched off while it runs.
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"

#include <cstring>

namespace {

RENDERSTATECACHE &C = g_renderState;

DWORD FilterOf(int mode) {
    return mode == 1 ? D3DTEXF_LINEAR : mode == 2 ? D3DTEXF_ANISOTROPIC : D3DTEXF_POINT;
}

DWORD AddressOf(int mode) { return mode == 0 ? D3DTADDRESS_CLAMP : (DWORD)mode; }

float FloatOf(DWORD d) {
    float f;
    std::memcpy(&f, &d, 4);
    return f;
}

}  // namespace

int RestoreDeviceStates() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    const DRAWSTATE &ds = g_drawState;
    PresetVertexBatch();
    C.forceAll = 1;
    for (int i = 0; i < 8; ++i) {
        SAMPLERCACHE &s = C.samplers[i];
        s.addressU = AddressOf(ds.addressU[i]);
        s.addressV = AddressOf(ds.addressV[i]);
        s.magFilter = s.minFilter = s.mipFilter = FilterOf(ds.filterMode);
        s.maxAnisotropy = 1;
        d->SetSamplerState(i, D3DSAMP_ADDRESSU, s.addressU);
        d->SetSamplerState(i, D3DSAMP_ADDRESSV, s.addressV);
        d->SetSamplerState(i, D3DSAMP_MAGFILTER, s.magFilter);
        d->SetSamplerState(i, D3DSAMP_MINFILTER, s.minFilter);
        d->SetSamplerState(i, D3DSAMP_MIPFILTER, s.mipFilter);
        d->SetSamplerState(i, D3DSAMP_MAXANISOTROPY, 1);
        C.stages[i] = STAGECACHE{nullptr, (DWORD)i, 0, 0, 0, 0, 0, 0};
        d->SetTexture(i, nullptr);
    }
    C.filterMode = ds.filterMode;
    C.anisotropy = 1;
    d->SetRenderState(D3DRS_CULLMODE, C.cullMode = D3DCULL_NONE);
    d->SetRenderState(D3DRS_LIGHTING, C.lighting = TRUE);
    d->SetRenderState(D3DRS_SHADEMODE, C.shadeMode = D3DSHADE_FLAT);
    d->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    d->SetRenderState(D3DRS_SPECULARENABLE, C.specular = TRUE);
    d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    ResetStageDefaults();
    EnableDepthTest(1);
    EnableDepthWrite(0);
    SetDepthCompare(D3DCMP_LESSEQUAL);
    SetDepthBias(0.0f);
    SetFogEnableState(0);
    IDirect3DSurface9 *back = RenderDeviceBackBuffer();
    if (back) SetDeviceRenderTarget(back);
    C.drawTexture = nullptr;
    C.blendTexture = nullptr;
    C.blendApplied = 0;
    C.blendDirty = 1;
    C.forceAll = 0;

    PresetVertexBatch();
    g_vertexBatch.colour = PackBatchColour();
    EnterDeviceScene();
    SetDrawStateForDraw(nullptr, ALPHAKIND_NONE, 0);
    // One point at (0, 0) starts the batch; the first clear flushes it before filling.
    VERTEX2D *v = static_cast<VERTEX2D *>(ReserveBatchVertices(VERTEXKIND_COLOUR, D3DPT_POINTLIST, 1));
    *v = VERTEX2D{0.0f, 0.0f, 0.0f, 1.0f, g_vertexBatch.colour};
    CommitBatchVertices(1);
    return 0;
}

int RestoreAllDrawStates() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    const RENDERSTATECACHE saved = C;
    C.forceAll = 1;
    d->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, saved.alphaTestEnable);
    SetCullingMode(saved.cullMode == D3DCULL_NONE ? 0 : saved.cullMode == D3DCULL_CW ? 2 : 1);
    if (saved.filterMode >= 0 && saved.filterMode <= 2) ApplyTextureFilterMode(saved.filterMode);
    ApplyBlendState(0, nullptr, 0);
    SetShadingMode((int)saved.shadeMode);
    if (saved.anisotropy > 0) ApplyMaxAnisotropy(saved.anisotropy);
    for (int i = 0; i < 8; ++i) {
        SetTextureAddressU((int)saved.samplers[i].addressU, i);
        SetTextureAddressV((int)saved.samplers[i].addressV, i);
    }
    for (int i = 0; i < 4; ++i) SetTextureCoordTransform(saved.texTransformEnable[i], &saved.texTransform[i], i);
    SetFogEnableState((int)saved.fogEnable);
    SetFogMode((int)saved.fogVertexMode);
    SetFogColourState(saved.fogColour);
    SetFogRange(FloatOf(saved.fogStart), FloatOf(saved.fogEnd));
    SetFogDensityState(FloatOf(saved.fogDensity));
    EnableDepthTest(saved.zEnable == D3DZB_TRUE ? 1 : 0);
    EnableDepthWrite((int)saved.zWrite);
    SetDepthCompare((int)saved.zFunc);
    SetDepthBias(FloatOf(saved.depthBias));
    ReloadDeviceMatrices();
    if (saved.materialValid) ApplyMaterial(&saved.material);
    EnableSpecular((int)saved.specular);
    UseVertexDiffuse(saved.diffuseSource == D3DMCS_COLOR1);
    UseVertexSpecular(saved.specularSource == D3DMCS_COLOR2);
    SetAmbientColour(saved.ambient);
    for (int i = 0; i <= saved.highestLight && i < 256; ++i) {
        if (!saved.lightEnabled[i]) continue;
        SetLightState(i, &saved.lights[i]);
        EnableLightState(i, 1);
    }
    C.forceAll = 0;
    return 0;
}

int RestoreBasicDrawStates() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    const RENDERSTATECACHE saved = C;
    C.forceAll = 1;
    SetViewportCached(&saved.viewport);
    SetScissorCached(&saved.scissor);
    ResetStageDefaults();
    if (saved.filterMode >= 0 && saved.filterMode <= 2) ApplyTextureFilterMode(saved.filterMode);
    ApplyBlendState(0, nullptr, 0);
    EnableDepthTest(saved.zEnable == D3DZB_TRUE ? 1 : 0);
    EnableDepthWrite((int)saved.zWrite);
    SetDepthCompare((int)saved.zFunc);
    SetDepthBias(FloatOf(saved.depthBias));
    SetShadingMode((int)saved.shadeMode);
    C.forceAll = 0;
    return 0;
}
