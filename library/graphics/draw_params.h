// The settings every 2D draw reads: brightness, blend mode and parameter, blend graph,
// transparent colour, texture filtering, depth settings, and the small colour helpers.
#pragma once

#include "library/graphics/colour_format.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>

// Blend modes.
enum : int32_t {
    BLENDMODE_NONE = 0,
    BLENDMODE_ALPHA = 1,
    BLENDMODE_ADD = 2,
    BLENDMODE_SUB = 3,
    BLENDMODE_MUL = 4,
    BLENDMODE_ADD_PASS = 5,   // the blend-graph first pass
    BLENDMODE_NONE2 = 6,
    BLENDMODE_KEEP = 7,       // blending on, device factors left as they are
    BLENDMODE_DEST = 8,       // destination kept
    BLENDMODE_INVERT = 9,
    BLENDMODE_ALPHA_V2 = 10,  // alpha blend, second stage-setup variant
    BLENDMODE_MUL_V1 = 11,    // multiply, first stage-setup variant
    BLENDMODE_COUNT = 12,
};

// One row of the blend-mode list: device factors on the Direct3D path (-1: blending off or
// left as it is) and the texture-stage setup variant of the state compiler.
struct BLENDMODEINFO {
    int32_t destBlend, srcBlend, blendOp;
    int32_t blendEnable;  // 0 off, 1 on with the factors, 2 on with the factors left as they are
    int32_t stageVariant;
};
extern const BLENDMODEINFO g_blendModes[BLENDMODE_COUNT];

// One Z setting set (2D or 3D).
struct DEPTHSET {
    int32_t zEnable;
    int32_t zWrite;
    int32_t zCompare;  // D3DCMP_*
    float depthBias;
};

struct DRAWSTATE {
    int32_t fogEnable;          // fog for 2D drawing
    float depth2D;              // z of batched 2D vertices
    int32_t filterMode;         // 0 nearest, 1 bilinear, 2 anisotropic
    int32_t maxAnisotropy;
    int32_t blendMode;          // 0..11
    int32_t blendParam;         // 0..255
    int32_t blendGraph;         // graph handle, -1 none
    int32_t blendGraphParam;    // 0..255
    int32_t blendGraphRange;    // border range 0..255
    uint32_t brightness;        // 0x00RRGGBB
    int32_t cullMode;           // for 2D drawing, 0 / 1 / 2 (default 0)
    DEPTHSET depth2DSet;
    DEPTHSET depth3DSet;
    int32_t addressU[8];        // D3DTADDRESS_*, 0 read as CLAMP
    int32_t addressV[8];
    int32_t vsyncWaitOff;       // 1 = do not wait for the vertical blank
    int32_t emulation320;       // 320 x 240 shown on 640 x 480
    uint32_t transparentKey;    // 0x00RRGGBB
    int32_t drawingSuppressed;  // while set the setters change nothing
    int32_t emptyArea;          // the draw area is empty
    int32_t drawTarget;         // graph handle, or -2 back / -4 front screen
    int32_t drawTargetWidth, drawTargetHeight;
    void (*restoreCallback)();
    int32_t worldMatrixLoaded, viewMatrixLoaded;  // by the 3D code

    // Used inside the graphics code only.
    int32_t alphaUse;           // the vertex alpha carries the parameter even in mode 0
    int32_t specularOff;        // specular switched off for the draws
    int32_t lightingOff;        // library lighting suppressed
    int32_t mipLevels;          // for textures made later
    int32_t fogMode;            // 0 none, 1 exp, 2 exp2, 3 linear
    uint32_t fogColour;
    float fogStart, fogEnd, fogDensity;
    int32_t lightsChanged;
    D3DMATERIAL9 material;      // the material the draws use
    int32_t materialPending;    // to be sent before the next lit draw
    int32_t materialDiffuse;    // diffuse from the material, not the vertex colour
    int32_t materialSpecular;   // specular likewise
};

extern DRAWSTATE g_drawState;

int SetBrightnessRGB(int r, int g, int b);
void SetBrightnessColour(uint32_t rgb);
int SetBlendMode(int mode, int parameter);
// The Direct3D half of the blend graph: a texture of `width` x `height` (null = none) with its
// parameter and border range. The graph-handle entry lives with the graph code.
int SetBlendGraphTextureParams(IDirect3DBaseTexture9 *texture, int width, int height, int parameter,
                               int range);
int SetTextureFilterMode(int mode);
int GetTextureFilterMode();
int SetVSyncWait(int flag);
int GetVSyncWait();
int SetEmulation320(int flag);
int SetTextureMipLevels(int useFlag, int count);
// Before start-up only (-1 after): flag 0 selects the software path, Direct3D is then not even
// tried; any other flag selects the hardware path again.
int SelectHardwareRendering(int flag);
uint32_t PackBatchColour();
const COLOURFORMAT *GetStandardColourFormat(int code);
// The screen format on the Direct3D path: 16-bit screens use code 23, 32-bit code 22.
uint32_t MakeScreenColour(int r, int g, int b);
int SplitScreenColour(uint32_t code, int *r, int *g, int *b);
D3DCOLORVALUE *MakeFloatColour(D3DCOLORVALUE *out, float r, float g, float b, float a);
int ResetDrawSettings();

// Blend-graph passes around a draw into `rect` (x1, y1, x2, y2): emulate subtraction for mode 3
// without the reverse-subtract operation.
int BlendGraphPrePass(int x1, int y1, int x2, int y2);
int BlendGraphPostPass(int x1, int y1, int x2, int y2);
