// The state compiler: blend mode, alpha kind and brightness (or a caller's block) become
// alpha-test, blend and texture-stage settings, sent through the cache.
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/state3d.h"
#include "library/graphics/vertex_batch.h"

#include <cstring>

namespace {

constexpr int16_t kTex = D3DTA_TEXTURE, kDif = D3DTA_DIFFUSE, kCur = D3DTA_CURRENT, kFac = D3DTA_TFACTOR,
                  kSpec = D3DTA_SPECULAR, kTexInv = D3DTA_TEXTURE | D3DTA_COMPLEMENT;

constexpr STAGESETUP Stage(int coords, int alphaOp, int alpha1, int alpha2, int colourOp, int colour1,
                           int colour2) {
    return STAGESETUP{coords, (int16_t)alpha1, (int16_t)alpha2, (int16_t)alphaOp,
                      (int16_t)colour1, (int16_t)colour2, (int16_t)colourOp};
}

// One texture, x = 0..3: b = x / 2 (colour modulated), a = x % 2 (alpha modulated).
constexpr STAGESETUP SingleStage(int x, int d) {
    bool b = x & 2, a = x & 1;
    int colourOp = b ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
    int alphaOp, alpha1;
    if (d == 0) {
        alphaOp = D3DTOP_SELECTARG1;
        alpha1 = kDif;
    } else {
        alphaOp = a ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
        alpha1 = kTex;
    }
    return Stage(0, alphaOp, alpha1, kDif, colourOp, kTex, kDif);
}

constexpr STAGESETUPENTRY MakeEntry(int x, int d) {
    STAGESETUPENTRY e{};
    if (x < 4) {
        e.stageCount = 1;
        e.stages[0] = SingleStage(x, d);
    } else if (x < 8) {
        // Blend graph: the blend texture's alpha on stage 0, the graph's texture after it.
        int k = x - 4;
        bool a = k & 1, b = k & 2;
        int n = 0;
        e.stages[n++] = Stage(0, D3DTOP_ADD, kTex, kFac, D3DTOP_SELECTARG1, kDif, kDif);
        if (d == 1) e.stages[n++] = Stage(1, D3DTOP_MODULATE, kSpec, kCur, D3DTOP_SELECTARG1, kCur, kCur);
        int alpha1 = d == 0 ? kCur : kTex, alpha2 = d == 0 ? kDif : kCur;
        e.stages[n++] = Stage(1, D3DTOP_MODULATE, alpha1, alpha2, b ? D3DTOP_MODULATE : D3DTOP_SELECTARG1, kTex,
                              b ? kDif : kCur);
        if (a) e.stages[n++] = Stage(1, D3DTOP_MODULATE, kDif, kCur, D3DTOP_SELECTARG1, kCur, kCur);
        e.stageCount = n;
    } else if (x < 12) {
        // Multiply variant: where the alpha is low the colour turns to the factor (white).
        e.stageCount = 2;
        e.stages[0] = SingleStage(x - 8, d);
        e.stages[1] = Stage(0, D3DTOP_SELECTARG1, kCur, kCur, D3DTOP_BLENDCURRENTALPHA, kCur, kFac);
    } else if (x < 16) {
        e.stageCount = 0;
    } else {
        e.stageCount = 1;
        e.stages[0] = SingleStage(x - 16, d);
        e.stages[0].colourArg1 = kTexInv;
    }
    return e;
}

struct StageTable {
    STAGESETUPENTRY e[60];
    constexpr StageTable() : e{} {
        for (int x = 0; x < 20; ++x)
            for (int d = 0; d < 3; ++d) e[3 * x + d] = MakeEntry(x, d);
    }
};
constexpr StageTable kStageTable;

RENDERSTATECACHE &C = g_renderState;

int SendRS(D3DRENDERSTATETYPE state, DWORD &slot, DWORD value) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || (!C.forceAll && slot == value)) return 0;
    FlushVertexBatch();
    if (FAILED(d->SetRenderState(state, value))) return -1;
    slot = value;
    return 0;
}

int SendTSS(int stage, D3DTEXTURESTAGESTATETYPE type, DWORD &slot, int value) {
    if (value == -1) return 0;
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || (!C.forceAll && slot == (DWORD)value)) return 0;
    FlushVertexBatch();
    if (FAILED(d->SetTextureStageState(stage, type, (DWORD)value))) return -1;
    slot = (DWORD)value;
    return 0;
}

int SendTex(int stage, IDirect3DBaseTexture9 *texture) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d || (!C.forceAll && C.stages[stage].texture == texture)) return 0;
    FlushVertexBatch();
    if (FAILED(d->SetTexture(stage, texture))) return -1;
    C.stages[stage].texture = texture;
    return 0;
}

// Sends a block; with `value` set only the textures and coordinate indices.
void SendBlock(const DRAWSTATEBLOCK &b, int value, int graphHandleFlag) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return;
    if (!value) {
        SendRS(D3DRS_ALPHAFUNC, C.alphaFunc, b.alphaFunc);
        SendRS(D3DRS_ALPHAREF, C.alphaRef, b.alphaRef);
        SendRS(D3DRS_ALPHATESTENABLE, C.alphaTestEnable, b.alphaTestEnable ? TRUE : FALSE);
        SendRS(D3DRS_ALPHABLENDENABLE, C.alphaBlendEnable, b.alphaBlendEnable ? TRUE : FALSE);
        if (C.forceAll || C.textureFactor != b.textureFactor) {
            SendRS(D3DRS_TEXTUREFACTOR, C.textureFactor, b.textureFactor);
            if (RenderDeviceUsesShaders()) {
                uint32_t f = b.textureFactor;
                float c[4] = {((f >> 16) & 0xFF) / 255.0f, ((f >> 8) & 0xFF) / 255.0f, (f & 0xFF) / 255.0f,
                              (f >> 24) / 255.0f};
                d->SetPixelShaderConstantF(5, c, 1);
            }
        }
        if (b.srcBlend != -1) SendRS(D3DRS_SRCBLEND, C.srcBlend, b.srcBlend);
        if (b.destBlend != -1) SendRS(D3DRS_DESTBLEND, C.destBlend, b.destBlend);
        if (b.blendOp != -1) SendRS(D3DRS_BLENDOP, C.blendOp, b.blendOp);
    }
    int count = b.stageCount < 0 ? 0 : b.stageCount > 8 ? 8 : b.stageCount;
    for (int i = 0; i < count; ++i) {
        const DRAWSTATESTAGE &s = b.stages[i];
        IDirect3DBaseTexture9 *texture = nullptr;
        if (graphHandleFlag)
            texture = C.graphTexture ? C.graphTexture((int)s.texture) : nullptr;
        else
            texture = reinterpret_cast<IDirect3DBaseTexture9 *>(s.texture);
        SendTex(i, texture);
        STAGECACHE &c = C.stages[i];
        SendTSS(i, D3DTSS_TEXCOORDINDEX, c.texCoordIndex, s.texCoordIndex);
        if (value) continue;
        SendTSS(i, D3DTSS_ALPHAARG1, c.alphaArg1, s.alphaArg1);
        SendTSS(i, D3DTSS_ALPHAARG2, c.alphaArg2, s.alphaArg2);
        SendTSS(i, D3DTSS_ALPHAOP, c.alphaOp, s.alphaOp);
        SendTSS(i, D3DTSS_COLORARG1, c.colourArg1, s.colourArg1);
        SendTSS(i, D3DTSS_COLORARG2, c.colourArg2, s.colourArg2);
        SendTSS(i, D3DTSS_COLOROP, c.colourOp, s.colourOp);
    }
}

DRAWSTATESTAGE FromSetup(const STAGESETUP &s, IDirect3DBaseTexture9 *texture) {
    return DRAWSTATESTAGE{reinterpret_cast<intptr_t>(texture), s.texCoordIndex, s.alphaArg1, s.alphaArg2,
                          s.alphaOp, s.colourArg1, s.colourArg2, s.colourOp};
}

}  // namespace

const STAGESETUPENTRY g_stageSetups[60] = {
#define E(i) kStageTable.e[i]
    E(0), E(1), E(2), E(3), E(4), E(5), E(6), E(7), E(8), E(9), E(10), E(11), E(12), E(13), E(14),
    E(15), E(16), E(17), E(18), E(19), E(20), E(21), E(22), E(23), E(24), E(25), E(26), E(27), E(28), E(29),
    E(30), E(31), E(32), E(33), E(34), E(35), E(36), E(37), E(38), E(39), E(40), E(41), E(42), E(43), E(44),
    E(45), E(46), E(47), E(48), E(49), E(50), E(51), E(52), E(53), E(54), E(55), E(56), E(57), E(58), E(59),
#undef E
};

namespace {
// The draw uses the texture's alpha only on a transparent draw.
int DrawAlphaKind(const PENDINGBLEND &p, int textured) {
    if (!textured || !p.textureAlpha) return ALPHAKIND_NONE;
    return p.alphaKind < 0 || p.alphaKind > 2 ? ALPHAKIND_BLEND : p.alphaKind;
}
int ClampMode(int mode) { return mode < 0 || mode >= BLENDMODE_COUNT ? 0 : mode; }
int VertexAlphaModulates(int mode) {
    return (mode != BLENDMODE_NONE && mode != BLENDMODE_NONE2) || g_drawState.alphaUse;
}
}  // namespace

int StageSetupIndex(const PENDINGBLEND &pending, int textured, int blendGraph) {
    if (!textured) return -1;
    int mode = ClampMode(pending.blendMode);
    int d = DrawAlphaKind(pending, textured);
    int a = VertexAlphaModulates(mode) ? 1 : 0;
    int b = pending.colourModulate ? 1 : 0;
    int x = blendGraph ? 4 + a + 2 * b : 8 * g_blendModes[mode].stageVariant + 2 * b + a;
    return 3 * x + d;
}

void BuildBlendStateBlock(const PENDINGBLEND &pending, int textured, int blendOpCaps,
                          const RENDERSTATECACHE &cache, DRAWSTATEBLOCK *out, int *skipDrawing) {
    DRAWSTATEBLOCK b{};
    int skip = 0;
    int mode = ClampMode(pending.blendMode);
    const BLENDMODEINFO &info = g_blendModes[mode];
    int d = DrawAlphaKind(pending, textured);
    bool blendGraph = textured && cache.blendTexture != nullptr;

    // Key-colour textures are cut by the alpha test; alpha textures blend even in mode 0.
    b.alphaTestEnable = d == ALPHAKIND_TEST;
    b.alphaRef = 1;
    b.alphaFunc = D3DCMP_GREATEREQUAL;
    b.textureFactor = 0xFFFFFFFFu;
    b.srcBlend = b.destBlend = b.blendOp = -1;
    auto blendWith = [&](int src, int dest, int op) {
        b.alphaBlendEnable = 1;
        b.srcBlend = src;
        b.destBlend = dest;
        b.blendOp = op;
    };
    switch (info.blendEnable) {
    case 0:
        if (d == ALPHAKIND_BLEND) blendWith(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
        break;
    case 1:
        if (mode == BLENDMODE_SUB && blendOpCaps)
            blendWith(D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT);
        else
            blendWith(info.srcBlend, info.destBlend, info.blendOp);
        break;
    default: b.alphaBlendEnable = 1; break;
    }

    int n = 0;
    if (!textured) {
        b.stages[n++] = FromSetup(Stage(0, D3DTOP_SELECTARG1, kDif, kDif, D3DTOP_SELECTARG1, kDif, kDif), nullptr);
        if (info.stageVariant == 1)
            b.stages[n++] =
                FromSetup(Stage(0, D3DTOP_SELECTARG1, kCur, kCur, D3DTOP_BLENDCURRENTALPHA, kCur, kFac), nullptr);
    } else {
        const STAGESETUPENTRY &e = g_stageSetups[StageSetupIndex(pending, textured, blendGraph)];
        for (int i = 0; i < e.stageCount; ++i) {
            IDirect3DBaseTexture9 *t = nullptr;
            if (!blendGraph)
                t = i == 0 ? cache.drawTexture : nullptr;
            else if (i == 0)
                t = cache.blendTexture;
            else if (e.stages[i].colourArg1 == kTex)
                t = cache.drawTexture;
            b.stages[n++] = FromSetup(e.stages[i], t);
        }
        if (blendGraph) {
            int p = cache.blendGraphParam, r = cache.blendGraphRange;
            if (p >= 255) skip = 1;
            if (r <= 1) {
                b.alphaTestEnable = 1;
                b.alphaRef = p == 0 && (d != ALPHAKIND_NONE || pending.textureAlpha) ? 1 : p;
                b.alphaFunc = D3DCMP_GREATEREQUAL;
                b.textureFactor = 0x00FFFFFFu;
            } else {
                int scaledOp;
                bool add;
                uint32_t factor;
                if (r <= 64) {
                    scaledOp = D3DTOP_MODULATE4X;
                    int v = p * 1280 / 255;
                    add = v < 257;
                    factor = add ? (uint32_t)(((256 - v) * 64) / 256) << 24 | 0xFFFFFFu
                                 : ~((uint32_t)((326400 - v * 255) / 1024) << 24);
                } else if (r <= 128) {
                    scaledOp = D3DTOP_MODULATE2X;
                    int v = p * 768 / 255;
                    add = v < 257;
                    factor = add ? (uint32_t)(((256 - v) * 128) / 256) << 24 | 0xFFFFFFu
                                 : ~((uint32_t)((195840 - v * 255) / 512) << 24);
                } else {
                    scaledOp = D3DTOP_MODULATE;
                    int v = p * 512 / 255, i = 512 - v;
                    add = i >= 256;
                    factor = add ? (uint32_t)(((i - 256) * 255) / 256) << 24 | 0xFFFFFFu
                                 : ~((uint32_t)((i * 255) / 256) << 24);
                }
                b.textureFactor = factor;
                b.stages[0].alphaOp = add ? D3DTOP_ADD : D3DTOP_SUBTRACT;
                b.stages[1].alphaOp = (int16_t)scaledOp;
                if (!b.alphaBlendEnable || b.srcBlend == -1)
                    blendWith(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD);
            }
        }
    }
    // The stage after the last is switched off.
    if (n < 8) {
        b.stages[n] = DRAWSTATESTAGE{0, -1, -1, -1, (int16_t)D3DTOP_DISABLE, -1, -1, (int16_t)D3DTOP_DISABLE};
        ++n;
    }
    b.stageCount = n;
    *out = b;
    if (skipDrawing) *skipDrawing = skip;
}

int ApplyBlendState(int graphHandleFlag, const DRAWSTATEBLOCK *block, int value) {
    if (!GetRenderDevice()) return -1;
    if (block) {
        SendBlock(*block, value, graphHandleFlag);
        return 0;
    }
    if (C.userBlockInUse) {
        SendBlock(C.userBlock, 0, graphHandleFlag);
        C.skipDrawing = 0;
    } else {
        DRAWSTATEBLOCK built;
        int skip = 0;
        BuildBlendStateBlock(C.pending, C.drawTexture != nullptr, RenderDeviceHasBlendOp(), C, &built, &skip);
        SendBlock(built, 0, 0);
        C.skipDrawing = skip;
    }
    C.applied = C.pending;
    C.appliedTextured = C.drawTexture != nullptr;
    C.blendApplied = 1;
    C.blendDirty = 0;
    return 0;
}

int SetDrawStateForDraw(IDirect3DBaseTexture9 *texture, int alphaKind, int flags) {
    IDirect3DDevice9 *d = GetRenderDevice();
    if (!d) return -1;
    const DRAWSTATE &ds = g_drawState;

    // 1. Fixed function.
    if (C.vertexShader || C.pixelShader || C.vertexDecl) {
        FlushVertexBatch();
        SendFixedFunction(d);
    }
    C.perDrawFlags = 0;
    C.perDrawTexture = nullptr;

    // 2. Lighting.
    if ((flags & DRAWFLAG_LIGHTING) && !ds.lightingOff) {
        if (ds.lightsChanged) RefreshLights();
        EnableLightingState(1);
        if (ds.materialPending) {
            ApplyMaterial(&ds.material);
            g_drawState.materialPending = 0;
        }
        UseVertexDiffuse(!ds.materialDiffuse);
        UseVertexSpecular(!ds.materialSpecular);
    } else {
        EnableLightingState(0);
    }
    // 3. Specular.
    EnableSpecular((flags & DRAWFLAG_SPECULAR) && !ds.specularOff);
    // 4. Depth.
    const DEPTHSET &z = (flags & DRAWFLAG_DEPTH3D) ? ds.depth3DSet : ds.depth2DSet;
    EnableDepthTest(z.zEnable);
    EnableDepthWrite(z.zWrite);
    SetDepthCompare(z.zCompare ? z.zCompare : D3DCMP_LESSEQUAL);
    SetDepthBias(z.depthBias);
    // 5. Fog.
    SetFogEnableState((flags & DRAWFLAG_FOG) ? ds.fogEnable : 0);

    SetDrawTexture(texture);
    // 6. Blend.
    if (!(flags & DRAWFLAG_KEEPBLEND)) {
        PENDINGBLEND p{ds.blendMode, alphaKind, (flags & DRAWFLAG_TEXALPHA) ? 1 : 0,
                       ((ds.brightness & 0xFFFFFF) != 0xFFFFFF || (flags & DRAWFLAG_MODULATE)) ? 1 : 0};
        bool changed = std::memcmp(&p, &C.applied, sizeof p) != 0 || !C.blendApplied ||
                       C.appliedTextured != (C.drawTexture != nullptr);
        if (changed || C.blendDirty) {
            SetPendingBlendTriple(p.blendMode, p.alphaKind, p.textureAlpha, p.colourModulate);
            ApplyBlendState(0, nullptr, 0);
        }
    } else if (C.blendDirty) {
        ApplyBlendState(0, nullptr, 0);
    }
    // 7. Shading, filtering, culling, addressing.
    SetShadingMode((flags & DRAWFLAG_GOURAUD) ? D3DSHADE_GOURAUD : D3DSHADE_FLAT);
    ApplyTextureFilterMode((flags & DRAWFLAG_POINT) ? 0 : ds.filterMode);
    if (ds.filterMode == 2) ApplyMaxAnisotropy(ds.maxAnisotropy);
    SetCullingMode(ds.cullMode);
    if (flags & DRAWFLAG_ADDRESS) {
        for (int i = 0; i < 8; ++i)
            SetTextureWrapUV(ds.addressU[i] ? ds.addressU[i] : D3DTADDRESS_CLAMP,
                             ds.addressV[i] ? ds.addressV[i] : D3DTADDRESS_CLAMP, i);
    } else {
        SetTextureWrapUV(D3DTADDRESS_CLAMP, D3DTADDRESS_CLAMP, 0);
    }
    return 0;
}
