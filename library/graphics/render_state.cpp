// The render-state cache: each setter sends its state only when it changes (or while every
// state is being re-sent after a restore), emptying the vertex batch first.
#include "library/graphics/render_state.h"

#include "library/base/log.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"

#include <cstring>

RENDERSTATECACHE g_renderState;

namespace {

RENDERSTATECACHE &C = g_renderState;

inline DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
}

inline bool Unchanged(DWORD cached, DWORD value) { return !C.forceAll && cached == value; }

// The common path of a cached state member: compare, flush, send, store.
template <class Send>
int SendCached(DWORD &slot, DWORD value, Send send) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    if (Unchanged(slot, value)) return 0;
    FlushVertexBatch();
    if (FAILED(send(d))) return -1;
    slot = value;
    return 0;
}

int SendRenderState(D3DRENDERSTATETYPE state, DWORD &slot, DWORD value) {
    return SendCached(slot, value, [&](IDirect3DDevice9 *d) { return d->SetRenderState(state, value); });
}

int SendSamplerState(int sampler, D3DSAMPLERSTATETYPE type, DWORD &slot, DWORD value) {
    return SendCached(slot, value, [&](IDirect3DDevice9 *d) { return d->SetSamplerState(sampler, type, value); });
}

int SendStageState(int stage, D3DTEXTURESTAGESTATETYPE type, DWORD &slot, DWORD value) {
    return SendCached(slot, value,
                      [&](IDirect3DDevice9 *d) { return d->SetTextureStageState(stage, type, value); });
}

int SendTexture(int stage, IDirect3DBaseTexture9 *texture) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    if (!C.forceAll && C.stages[stage].texture == texture) return 0;
    FlushVertexBatch();
    if (FAILED(d->SetTexture(stage, texture))) return -1;
    C.stages[stage].texture = texture;
    return 0;
}

// Stage argument -1 = every sampler; above 7 refused.
template <typename F>
int ForStages(int stage, F f) {
    if (stage > 7) return -1;
    if (stage >= 0) return f(stage);
    int result = 0;
    for (int i = 0; i < 8; ++i)
        if (f(i) != 0) result = -1;
    return result;
}

void LoadFogConstants() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !RenderDeviceUsesShaders()) return;
    float start, end, density;
    std::memcpy(&start, &C.fogStart, 4);
    std::memcpy(&end, &C.fogEnd, 4);
    std::memcpy(&density, &C.fogDensity, 4);
    float range = end - start;
    float c[4] = {range != 0 ? end / range : 0.0f, range != 0 ? -1.0f / range : 0.0f, density, 2.7182817f};
    d->SetVertexShaderConstantF(10, c, 1);
}

}  // namespace

// ---- scene ------------------------------------------------------------------------

int EnterDeviceScene() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || C.inScene) return 0;
    d->BeginScene();
    C.inScene = 1;
    C.perDrawFlags = 0;
    C.perDrawTexture = nullptr;
    C.perDrawTextureHandle = 0;
    return 0;
}

int LeaveDeviceScene() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !C.inScene) return 0;
    FlushVertexBatch();
    C.inScene = 0;
    return FAILED(d->EndScene()) ? -1 : 0;
}

// ---- buffers for the model code ---------------------------------------------------

IDirect3DVertexBuffer9 *CreateDeviceVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) {
    IDirect3DDevice9 *d = GetRenderDevice();
    IDirect3DVertexBuffer9 *b = nullptr;
    if (!d || FAILED(d->CreateVertexBuffer(length, usage, fvf, pool, &b, nullptr))) return nullptr;
    return b;
}

IDirect3DIndexBuffer9 *CreateDeviceIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    IDirect3DDevice9 *d = GetRenderDevice();
    IDirect3DIndexBuffer9 *b = nullptr;
    if (!d || FAILED(d->CreateIndexBuffer(length, usage, format, pool, &b, nullptr))) return nullptr;
    return b;
}

// ---- texture and blend hand-off ---------------------------------------------------

int SetDrawTexture(IDirect3DBaseTexture9 *texture) {
    if (!GetRenderDevice()) return -1;
    if (!C.forceAll && C.drawTexture == texture) return 0;
    FlushVertexBatch();
    if ((C.drawTexture == nullptr) != (texture == nullptr)) C.blendDirty = 1;
    C.drawTexture = texture;
    // With a blend graph the compiler places the texture; otherwise it is stage 0's.
    if (C.blendTexture) {
        C.blendDirty = 1;
        return 0;
    }
    return SendTexture(0, texture);
}

int SetPendingBlendTriple(int blendMode, int alphaKind, int textureAlpha, int colourModulate) {
    if (!GetRenderDevice()) return -1;
    FlushVertexBatch();
    C.pending.blendMode = blendMode;
    C.pending.alphaKind = alphaKind;
    C.pending.textureAlpha = textureAlpha;
    C.pending.colourModulate = colourModulate;
    C.blendDirty = 1;
    return 0;
}

int SetBlendGraphTexture(int range, IDirect3DBaseTexture9 *texture, int parameter) {
    if (!GetRenderDevice()) return -1;
    FlushVertexBatch();
    if (range != -1) C.blendGraphRange = range;
    if (parameter != -1) C.blendGraphParam = parameter;
    C.blendTexture = texture;
    C.blendDirty = 1;
    return 0;
}

int SetUserDrawStateBlock(const DRAWSTATEBLOCK *block, int) {
    FlushVertexBatch();
    if (block) {
        C.userBlock = *block;
        C.userBlockInUse = 1;
    } else {
        C.userBlockInUse = 0;
    }
    C.blendDirty = 1;
    return 0;
}

int ApplyDrawStateBlock(const DRAWSTATEBLOCK *block, int value, int graphHandleFlag) {
    FlushVertexBatch();
    ApplyBlendState(graphHandleFlag, block, value);
    // The library's own 2D state is sent again before its next draw.
    C.blendDirty = 1;
    C.blendApplied = 0;
    return 0;
}

int ResetStageDefaults() {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    FlushVertexBatch();
    d->SetSamplerState(0, D3DSAMP_ADDRESSU, C.samplers[0].addressU);
    d->SetSamplerState(0, D3DSAMP_ADDRESSV, C.samplers[0].addressV);
    for (int i = 0; i < 8; ++i) {
        d->SetTextureStageState(i, D3DTSS_TEXCOORDINDEX, i);
        C.stages[i].texCoordIndex = i;
    }
    // Stage 0 modulates texture and vertex colour; the others pass the result on.
    for (int i = 0; i < 4; ++i) {
        STAGECACHE &s = C.stages[i];
        s.colourOp = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s.colourArg1 = D3DTA_TEXTURE;
        s.colourArg2 = i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
        s.alphaOp = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s.alphaArg1 = D3DTA_TEXTURE;
        s.alphaArg2 = i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
        d->SetTextureStageState(i, D3DTSS_COLOROP, s.colourOp);
        d->SetTextureStageState(i, D3DTSS_COLORARG1, s.colourArg1);
        d->SetTextureStageState(i, D3DTSS_COLORARG2, s.colourArg2);
        d->SetTextureStageState(i, D3DTSS_ALPHAOP, s.alphaOp);
        d->SetTextureStageState(i, D3DTSS_ALPHAARG1, s.alphaArg1);
        d->SetTextureStageState(i, D3DTSS_ALPHAARG2, s.alphaArg2);
    }
    d->SetRenderState(D3DRS_SHADEMODE, C.shadeMode);
    d->SetRenderState(D3DRS_LIGHTING, C.lighting);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    C.cullMode = D3DCULL_NONE;
    d->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    if (RenderDeviceUsesShaders()) {
        const float vs0[4] = {0, 1, 0, 0}, ps0[4] = {0, 0.5f, 1, 2};
        d->SetVertexShaderConstantF(0, vs0, 1);
        d->SetPixelShaderConstantF(0, ps0, 1);
    }
    SendFixedFunction(d);
    C.perDrawFlags = 0;
    C.perDrawTexture = nullptr;
    C.blendDirty = 1;
    C.blendApplied = 0;
    return 0;
}

void SendFixedFunction(IDirect3DDevice9 *d) {
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
    d->SetVertexDeclaration(nullptr);
    C.vertexShader = nullptr;
    C.pixelShader = nullptr;
    C.vertexDecl = nullptr;
    C.fvf = 0;
}

int SetVertexFormat(DWORD fvf) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    if (C.fvf == fvf && !C.forceAll) return 0;
    if (FAILED(d->SetFVF(fvf))) return -1;
    C.fvf = fvf;
    return 0;
}

void ClearRenderStateShaderWords() {
    C.vertexShader = nullptr;
    C.pixelShader = nullptr;
    C.vertexDecl = nullptr;
    C.fvf = 0;
    C.perDrawFlags = 0;
    C.perDrawTexture = nullptr;
    C.perDrawTextureHandle = 0;
}

// ---- the setter family ------------------------------------------------------------

int EnableDepthTest(int flag) {
    if (!GetRenderDevice()) return -1;
    return SendRenderState(D3DRS_ZENABLE, C.zEnable, flag == 1 ? D3DZB_TRUE : D3DZB_FALSE);
}

int EnableDepthWrite(int flag) {
    if (!GetRenderDevice()) return -1;
    return SendRenderState(D3DRS_ZWRITEENABLE, C.zWrite, flag ? TRUE : FALSE);
}

int SetDepthCompare(int compare) {
    if (!GetRenderDevice()) return -1;
    return SendRenderState(D3DRS_ZFUNC, C.zFunc, (DWORD)compare);
}

int SetDepthBias(float bias) {
    if (!GetRenderDevice()) return -1;
    return SendRenderState(D3DRS_DEPTHBIAS, C.depthBias, FloatBits(bias));
}

int SetShadingMode(int shadeMode) { return SendRenderState(D3DRS_SHADEMODE, C.shadeMode, (DWORD)shadeMode); }

int SetCullingMode(int mode) {
    DWORD v = mode == 0 ? D3DCULL_NONE : mode == 2 ? D3DCULL_CW : D3DCULL_CCW;
    return SendRenderState(D3DRS_CULLMODE, C.cullMode, v);
}

int EnableLightingState(int flag) { return SendRenderState(D3DRS_LIGHTING, C.lighting, flag ? TRUE : FALSE); }
int EnableSpecular(int flag) { return SendRenderState(D3DRS_SPECULARENABLE, C.specular, flag ? TRUE : FALSE); }

int UseVertexDiffuse(int flag) {
    return SendRenderState(D3DRS_DIFFUSEMATERIALSOURCE, C.diffuseSource, flag ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
}

int UseVertexSpecular(int flag) {
    return SendRenderState(D3DRS_SPECULARMATERIALSOURCE, C.specularSource, flag ? D3DMCS_COLOR2 : D3DMCS_MATERIAL);
}

int SetAmbientColour(uint32_t argb) {
    IDirect3DDevice9 *d = GetRenderDevice();
    C.ambientFloats[0] = ((argb >> 16) & 0xFF) / 255.0f;
    C.ambientFloats[1] = ((argb >> 8) & 0xFF) / 255.0f;
    C.ambientFloats[2] = (argb & 0xFF) / 255.0f;
    C.ambientFloats[3] = (argb >> 24) / 255.0f;
    if (!d) return 0;
    // Sent on every call: the 3D code relies on it after its own device work.
    FlushVertexBatch();
    C.ambient = argb;
    return FAILED(d->SetRenderState(D3DRS_AMBIENT, argb)) ? -1 : 0;
}

int SetFogEnableState(int flag) { return SendRenderState(D3DRS_FOGENABLE, C.fogEnable, flag ? TRUE : FALSE); }

int SetFogMode(int mode) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return 0;
    int r = SendRenderState(D3DRS_FOGVERTEXMODE, C.fogVertexMode, (DWORD)mode);
    if (RenderDeviceUsesShaders()) {
        BOOL b[4] = {mode == 3, mode == 1, mode == 2, mode != 0};
        d->SetVertexShaderConstantB(0, b, 4);
        ComputeShaderSelection();
    }
    return r;
}

int SetFogColourState(uint32_t colour) { return SendRenderState(D3DRS_FOGCOLOR, C.fogColour, colour); }

int SetFogRange(float start, float end) {
    if (!GetRenderDevice()) return 0;
    int r = SendRenderState(D3DRS_FOGSTART, C.fogStart, FloatBits(start));
    if (SendRenderState(D3DRS_FOGEND, C.fogEnd, FloatBits(end)) != 0) r = -1;
    LoadFogConstants();
    return r;
}

int SetFogDensityState(float density) {
    if (!GetRenderDevice()) return 0;
    int r = SendRenderState(D3DRS_FOGDENSITY, C.fogDensity, FloatBits(density));
    LoadFogConstants();
    return r;
}

int SetTextureAddressU(int mode, int stage) {
    return ForStages(stage, [&](int i) { return SendSamplerState(i, D3DSAMP_ADDRESSU, C.samplers[i].addressU, mode); });
}

int SetTextureAddressV(int mode, int stage) {
    return ForStages(stage, [&](int i) { return SendSamplerState(i, D3DSAMP_ADDRESSV, C.samplers[i].addressV, mode); });
}

int SetTextureWrapUV(int modeU, int modeV, int stage) {
    int r = SetTextureAddressU(modeU, stage);
    if (SetTextureAddressV(modeV, stage) != 0) r = -1;
    return r;
}

int SetSamplerFilter(int stage, int kind, int value) {
    if (stage < 0 || stage > 7) return -1;
    C.filterMode = 3;
    SAMPLERCACHE &s = C.samplers[stage];
    switch (kind) {
    case 16: return SendSamplerState(stage, D3DSAMP_MAGFILTER, s.magFilter, value);
    case 17: return SendSamplerState(stage, D3DSAMP_MINFILTER, s.minFilter, value);
    case 18: return SendSamplerState(stage, D3DSAMP_MIPFILTER, s.mipFilter, value);
    default: return -1;
    }
}

int SetSamplerAnisotropy(int stage, int value) {
    if (stage < 0 || stage > 7) return -1;
    C.anisotropy = -1;
    return SendSamplerState(stage, D3DSAMP_MAXANISOTROPY, C.samplers[stage].maxAnisotropy, value);
}

int ApplyTextureFilterMode(int mode) {
    if (mode < 0 || mode > 2) return -1;
    static const DWORD kFilter[3] = {D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC};
    int r = 0;
    for (int i = 0; i < 8; ++i) {
        SAMPLERCACHE &s = C.samplers[i];
        if (SendSamplerState(i, D3DSAMP_MAGFILTER, s.magFilter, kFilter[mode]) != 0) r = -1;
        if (SendSamplerState(i, D3DSAMP_MINFILTER, s.minFilter, kFilter[mode]) != 0) r = -1;
        if (mode == 2 && SendSamplerState(i, D3DSAMP_MIPFILTER, s.mipFilter, D3DTEXF_LINEAR) != 0) r = -1;
    }
    C.filterMode = mode;
    return r;
}

int ApplyMaxAnisotropy(int value) {
    if (value <= 0) value = 1;
    int r = 0;
    for (int i = 0; i < 8; ++i)
        if (SendSamplerState(i, D3DSAMP_MAXANISOTROPY, C.samplers[i].maxAnisotropy, value) != 0) r = -1;
    C.anisotropy = value;
    return r;
}

int ResetStageTexCoordIndex() {
    int r = 0;
    for (int i = 0; i < 8; ++i)
        if (SendStageState(i, D3DTSS_TEXCOORDINDEX, C.stages[i].texCoordIndex, i) != 0) r = -1;
    return r;
}

int SetTextureCoordTransform(int enable, const D3DMATRIX *matrix, int stage) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (stage > 3) return -1;
    int first = stage < 0 ? 0 : stage, last = stage < 0 ? 3 : stage;
    int r = 0;
    for (int i = first; i <= last; ++i) {
        bool same = C.texTransformEnable[i] == (enable != 0) &&
                    (!matrix || std::memcmp(&C.texTransform[i], matrix, sizeof(D3DMATRIX)) == 0);
        if (!d || (same && !C.forceAll)) continue;
        FlushVertexBatch();
        if (matrix) {
            C.texTransform[i] = *matrix;
            if (FAILED(d->SetTransform(D3DTS_TEXTURE0 + i, matrix))) r = -1;
        }
        C.texTransformEnable[i] = enable != 0;
        if (FAILED(d->SetTextureStageState(i, D3DTSS_TEXTURETRANSFORMFLAGS,
                                           enable ? D3DTTFF_COUNT3 : D3DTTFF_DISABLE)))
            r = -1;
    }
    return r;
}

int SetViewportCached(const D3DVIEWPORT9 *viewport) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !viewport) return 0;
    if (!C.forceAll && std::memcmp(&C.viewport, viewport, sizeof *viewport) == 0) return 0;
    LeaveDeviceScene();
    HRESULT hr = d->SetViewport(viewport);
    if (FAILED(hr)) {
        WriteLogFmt("ビューポートのセットに失敗しました ErrorCode %x\n", (unsigned)hr);
        return -1;
    }
    C.viewport = *viewport;
    return 0;
}

int SetViewportRect(int x1, int y1, int x2, int y2) {
    D3DVIEWPORT9 v{(DWORD)x1, (DWORD)y1, (DWORD)(x2 - x1), (DWORD)(y2 - y1), 0.0f, 1.0f};
    return SetViewportCached(&v);
}

int SetScissorCached(const RECT *rect) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !rect) return 0;
    if (!C.forceAll && std::memcmp(&C.scissor, rect, sizeof *rect) == 0) return 0;
    LeaveDeviceScene();
    if (FAILED(d->SetScissorRect(rect))) return -1;
    C.scissor = *rect;
    return 0;
}

int SetDeviceRenderTarget(IDirect3DSurface9 *surface) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !surface) return 0;
    if (!C.forceAll && C.renderTarget == surface) return 0;
    FlushVertexBatch();
    if (FAILED(d->SetRenderTarget(0, surface))) return -1;
    C.renderTarget = surface;
    // The device resets its viewport and scissor rectangle to the whole surface.
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    C.viewport = D3DVIEWPORT9{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    C.scissor = RECT{0, 0, (LONG)desc.Width, (LONG)desc.Height};
    return 0;
}

int SetLightState(int index, const D3DLIGHT9 *light) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !light || index < 0) return 0;
    FlushVertexBatch();
    if (index < 256) C.lights[index] = *light;
    HRESULT hr = d->SetLight(index, light);
    LoadLightShaderConstants(index, light);
    return FAILED(hr) ? -1 : 0;
}

int EnableLightState(int index, int flag) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || index < 0) return 0;
    if (index < 256) {
        if (!C.forceAll && C.lightEnabled[index] == (flag != 0)) return 0;
        C.lightEnabled[index] = flag != 0;
        int high = -1;
        for (int i = 0; i < 256; ++i)
            if (C.lightEnabled[i]) high = i;
        C.highestLight = high;
    }
    FlushVertexBatch();
    return FAILED(d->LightEnable(index, flag ? TRUE : FALSE)) ? -1 : 0;
}

int ApplyMaterial(const D3DMATERIAL9 *material) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || !material) return 0;
    if (!C.forceAll && C.materialValid && std::memcmp(&C.material, material, sizeof *material) == 0) return 0;
    FlushVertexBatch();
    if (FAILED(d->SetMaterial(material))) return -1;
    C.material = *material;
    C.materialValid = 1;
    if (RenderDeviceUsesShaders()) {
        const D3DCOLORVALUE &df = material->Diffuse, &sp = material->Specular;
        float c[12] = {df.r, df.g, df.b, df.a, sp.r, sp.g, sp.b, sp.a, material->Power, 0, 0, 0};
        d->SetVertexShaderConstantF(11, c, 3);
        d->SetPixelShaderConstantF(2, c, 3);
    }
    return 0;
}

int LoadWorldMatrix(const D3DMATRIX *matrix) {
    IDirect3DDevice9 *d = GetRenderDevice();
    g_drawState.worldMatrixLoaded = 0;
    g_drawState.viewMatrixLoaded = 0;
    if (!d || !matrix) return 0;
    FlushVertexBatch();
    return FAILED(d->SetTransform(D3DTS_WORLD, matrix)) ? -1 : 0;
}
