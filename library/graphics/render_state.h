// Every Direct3D state change of the library goes through here: the cache remembers what the
// device holds, drops changes that change nothing, and empties the 2D vertex batch before a
// change takes effect. The state compiler turns blend settings into texture-stage setups.
#pragma once

#include "library/graphics/render_device.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>

// ---- draw-state blocks ---------------------------------------------------------------

// One texture stage of a block; -1 in any field leaves that setting as it is.
struct DRAWSTATESTAGE {
    intptr_t texture;          // IDirect3DBaseTexture9 *, or a graph handle with the graph-handle flag
    int32_t texCoordIndex;
    int16_t alphaArg1, alphaArg2, alphaOp;
    int16_t colourArg1, colourArg2, colourOp;
};

struct DRAWSTATEBLOCK {
    int32_t alphaTestEnable;
    int32_t alphaRef;
    int32_t alphaFunc;
    int32_t alphaBlendEnable;
    uint32_t textureFactor;    // ARGB
    int32_t srcBlend;          // -1 = leave
    int32_t destBlend;         // -1 = leave
    int32_t blendOp;           // -1 = leave
    int32_t stageCount;
    DRAWSTATESTAGE stages[8];
};

// One prepared stage: texture-coordinate index and the six operations / arguments.
struct STAGESETUP {
    int32_t texCoordIndex;
    int16_t alphaArg1, alphaArg2, alphaOp;
    int16_t colourArg1, colourArg2, colourOp;
};
struct STAGESETUPENTRY {
    int32_t stageCount;
    STAGESETUP stages[4];
};
// Entry 3 x + alpha kind (see StageSetupIndex).
extern const STAGESETUPENTRY g_stageSetups[60];

// Alpha kinds of a draw's texture.
enum : int32_t {
    ALPHAKIND_NONE = 0,   // no alpha channel (or the draw ignores it)
    ALPHAKIND_TEST = 1,   // alpha 0 or 255: the key colour of images without alpha
    ALPHAKIND_BLEND = 2,  // a real alpha channel
};

// ---- the cache -------------------------------------------------------------------

struct SAMPLERCACHE {
    DWORD addressU, addressV, magFilter, minFilter, mipFilter, maxAnisotropy;
};

struct STAGECACHE {
    IDirect3DBaseTexture9 *texture;
    DWORD texCoordIndex;
    DWORD colourOp, colourArg1, colourArg2;
    DWORD alphaOp, alphaArg1, alphaArg2;
};

// The blend settings waiting for the state compiler.
struct PENDINGBLEND {
    int32_t blendMode;
    int32_t alphaKind;
    int32_t textureAlpha;    // the draw uses the texture's alpha (transparent draw)
    int32_t colourModulate;  // the vertex colour modulates the colour (brightness not white)
};

struct RENDERSTATECACHE {
    int32_t inScene;
    int32_t forceAll;
    IDirect3DVertexShader9 *vertexShader;
    IDirect3DPixelShader9 *pixelShader;
    IDirect3DVertexDeclaration9 *vertexDecl;
    DWORD fvf;                           // 0 = not yet set
    IDirect3DSurface9 *renderTarget;
    D3DVIEWPORT9 viewport;
    RECT scissor;
    STAGECACHE stages[8];
    SAMPLERCACHE samplers[8];

    DWORD zEnable, zWrite, zFunc, depthBias;  // depth bias as float bits
    DWORD cullMode, shadeMode, lighting, specular;
    DWORD fogEnable, fogVertexMode, fogColour, fogStart, fogEnd, fogDensity;
    DWORD ambient;
    float ambientFloats[4];
    DWORD diffuseSource, specularSource;
    DWORD alphaTestEnable, alphaRef, alphaFunc;
    DWORD alphaBlendEnable, srcBlend, destBlend, blendOp, textureFactor;
    int32_t filterMode;                  // 0 nearest, 1 bilinear, 2 anisotropic, 3 custom
    int32_t anisotropy;                  // -1 custom
    int32_t texTransformEnable[4];
    D3DMATRIX texTransform[4];
    D3DMATERIAL9 material;
    int32_t materialValid;
    D3DLIGHT9 lights[256];
    int32_t lightEnabled[256];
    int32_t highestLight;                // highest enabled index below 256, -1 none

    PENDINGBLEND pending;                // set by SetPendingBlendTriple
    PENDINGBLEND applied;                // what the device holds
    int32_t blendDirty;                  // the compiler must run before the next draw
    int32_t blendApplied;                // `applied` is valid
    int32_t appliedTextured;             // `applied` was compiled for a textured draw

    // The texture of the next draws and the blend graph.
    IDirect3DBaseTexture9 *drawTexture;
    IDirect3DBaseTexture9 *blendTexture;
    int32_t blendGraphRange, blendGraphParam;

    DRAWSTATEBLOCK userBlock;
    int32_t userBlockInUse;
    int32_t skipDrawing;                 // the chosen blend cannot be drawn: flushes drop vertices
    int32_t perDrawFlags;                // remembered per-draw words, cleared by scenes
    void *perDrawTexture;
    int32_t perDrawTextureHandle;

    // The first texture of a graph handle (blocks with the graph-handle flag); set by the graph code.
    IDirect3DBaseTexture9 *(*graphTexture)(int graphHandle);
};

extern RENDERSTATECACHE g_renderState;

// ---- scene, batch hand-off, blocks ---------------------------------------------------

int EnterDeviceScene();
int LeaveDeviceScene();
int ApplyDrawStateBlock(const DRAWSTATEBLOCK *block, int value, int graphHandleFlag);
int SetUserDrawStateBlock(const DRAWSTATEBLOCK *block, int value);
IDirect3DVertexBuffer9 *CreateDeviceVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
IDirect3DIndexBuffer9 *CreateDeviceIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
int SetDrawTexture(IDirect3DBaseTexture9 *texture);
int SetPendingBlendTriple(int blendMode, int alphaKind, int textureAlpha, int colourModulate = 0);
int SetBlendGraphTexture(int range, IDirect3DBaseTexture9 *texture, int parameter);
int ResetStageDefaults();

// ---- setters ----------------------------------------------------------------------

int EnableDepthTest(int flag);
int EnableDepthWrite(int flag);
int SetDepthCompare(int compare);
int SetDepthBias(float bias);
int SetShadingMode(int shadeMode);
int SetCullingMode(int mode);  // 0 none, 1 counter-clockwise, 2 clockwise
int EnableLightingState(int flag);
int EnableSpecular(int flag);
int UseVertexDiffuse(int flag);
int UseVertexSpecular(int flag);
int SetAmbientColour(uint32_t argb);
int SetFogEnableState(int flag);
int SetFogMode(int mode);
int SetFogColourState(uint32_t colour);
int SetFogRange(float start, float end);
int SetFogDensityState(float density);
int SetTextureAddressU(int mode, int stage);
int SetTextureAddressV(int mode, int stage);
int SetTextureWrapUV(int modeU, int modeV, int stage);
int SetSamplerFilter(int stage, int kind, int value);  // kind 16 mag, 17 min, 18 mip
int SetSamplerAnisotropy(int stage, int value);
int ApplyTextureFilterMode(int mode);
int ApplyMaxAnisotropy(int value);
int ResetStageTexCoordIndex();
int SetTextureCoordTransform(int enable, const D3DMATRIX *matrix, int stage);
int SetViewportCached(const D3DVIEWPORT9 *viewport);
int SetViewportRect(int x1, int y1, int x2, int y2);
int SetScissorCached(const RECT *rect);
int SetDeviceRenderTarget(IDirect3DSurface9 *surface);
int SetLightState(int index, const D3DLIGHT9 *light);
int EnableLightState(int index, int flag);
int ApplyMaterial(const D3DMATERIAL9 *material);
int LoadWorldMatrix(const D3DMATRIX *matrix);

// Draw flags of SetDrawStateForDraw.
enum : int32_t {
    DRAWFLAG_GOURAUD = 0x8,
    DRAWFLAG_MODULATE = 0x20,       // the vertex colour modulates the colour
    DRAWFLAG_TEXALPHA = 0x40,       // the texture's alpha is used
    DRAWFLAG_FOG = 0x80,
    DRAWFLAG_KEEPBLEND = 0x100,     // the blend state is left as it is
    DRAWFLAG_LIGHTING = 0x200,
    DRAWFLAG_SPECULAR = 0x400,
    DRAWFLAG_DEPTH3D = 0x800,
    DRAWFLAG_ADDRESS = 0x1000,      // the per-stage address modes of the draw settings
    DRAWFLAG_POINT = 0x2000,        // unfiltered draw: point sampling whatever the filter mode
};
// Fixed-function state of a 2D or billboard draw; `texture` becomes the draw texture.
int SetDrawStateForDraw(IDirect3DBaseTexture9 *texture, int alphaKind, int flags);

// The state compiler: the pending blend (or the user block, or `block`) sent to the device.
int ApplyBlendState(int graphHandleFlag, const DRAWSTATEBLOCK *block, int value);
// The block the compiler makes for the pending blend, without touching the device.
// `textured`: a draw texture is set; `blendOpCaps`: the device has the blend-operation bit.
void BuildBlendStateBlock(const PENDINGBLEND &pending, int textured, int blendOpCaps,
                          const RENDERSTATECACHE &cache, DRAWSTATEBLOCK *out, int *skipDrawing);
// Index into g_stageSetups; -1 for an untextured draw.
int StageSetupIndex(const PENDINGBLEND &pending, int textured, int blendGraph);

// After device creation and after a restore.
int RestoreDeviceStates();
int RestoreAllDrawStates();
int RestoreBasicDrawStates();
// Forgets the device's shader, declaration and FVF words (device creation).
void ClearRenderStateShaderWords();
// Sends the fixed-function pipeline (no shaders, no declaration) and notes it in the cache.
void SendFixedFunction(IDirect3DDevice9 *d);
// The flexible vertex format of the next draws, sent when it differs from the cached one.
int SetVertexFormat(DWORD fvf);
