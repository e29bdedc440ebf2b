// The display device: Direct3D 9 device and formats, or the software screen when
// Direct3D cannot be brought up; the display-mode list and the dialog-box mode.
#pragma once

#include "library/graphics/memimg.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/ddraw.h"
#include "platform/windef.h"

#include <cstdint>

// Shared with the screen code.
struct SCREENSETUP {
    int32_t initialised;   // 1 while the graphics system is up
    int32_t width;
    int32_t height;
    int32_t bits;          // screen colour bits, 16 or 32
    int32_t refresh;       // refresh rate in Hz, 0 = driver default
    int32_t direct3D;      // 1 on the Direct3D path, 0 when the software renderer draws
    int32_t softwareOnly;  // set before start-up: Direct3D is not even tried
};

// Model vertex declarations: 6 layouts x 9 texture-coordinate counts, then 3 single ones.
constexpr int VERTEX_DECL_LAYOUTS = 6;
constexpr int VERTEX_DECL_COORD_COUNTS = 9;
constexpr int VERTEX_DECL_SINGLE = VERTEX_DECL_LAYOUTS * VERTEX_DECL_COORD_COUNTS;  // first single one
constexpr int VERTEX_DECL_COUNT = VERTEX_DECL_SINGLE + 3;

// One entry of the display-mode list.
struct DISPLAYMODE {
    int32_t width;
    int32_t height;
    int32_t bits;
    int32_t refresh;
};

struct DEVICESTATE {
    HMODULE d3d9Module;
    IDirectDraw7 *directDraw;
    IDirect3D9 *direct3D;
    IDirect3DDevice9 *device;
    IDirect3DSwapChain9 *swapChain;
    IDirect3DSurface9 *backBuffer;
    IDirect3DSurface9 *subBackBuffer;
    IDirect3DSurface9 *depthSurface;
    int32_t depthWidth;
    int32_t depthHeight;
    D3DCAPS9 caps;                 // read after creation
    int32_t vertexShaderUsable;    // shader model 2.0 for vertex shaders
    int32_t pixelShaderUsable;     // and for pixel shaders
    int32_t shaderCapable;         // chose mixed vertex processing
    int32_t separateAlphaBlend;    // the blend-operation capability bit (0x800)
    int32_t maxTextureSize;        // smaller of the maximum texture sides (0 counts as 256)
    int32_t programmableShaders;   // programmable shaders in use
    IDirect3DVertexDeclaration9 *vertexDecls[VERTEX_DECL_COUNT];
    DISPLAYMODE *displayModes;     // process heap, built on first query
    int32_t displayModeCount;
};

// Direct3D format codes chosen at device creation, 0 = none available.
struct DEVICEFORMATS {
    D3DFORMAT screen;
    D3DFORMAT depth;
    D3DFORMAT colour16;
    D3DFORMAT colour32;
    D3DFORMAT alpha16;
    D3DFORMAT alpha32;
    D3DFORMAT alphaTest16;
    D3DFORMAT alphaTest32;
    D3DFORMAT dxt[5];              // DXT1 .. DXT5
    D3DFORMAT drawTarget16;
    D3DFORMAT drawTarget32;
    D3DFORMAT alphaDrawTarget32;
    D3DFORMAT drawTarget;          // in use: by the screen bits
    D3DFORMAT alphaTest;           // in use: by the screen bits
};

// The software renderer's screen: the screen image, two work images of its size (the second
// with an alpha plane) and the image the software draws go to.
struct SOFTSCREEN {
    MEMIMG screen;
    MEMIMG work;
    MEMIMG workAlpha;
    MEMIMG *drawTarget;
};

extern SCREENSETUP g_screenSetup;
extern DEVICESTATE g_deviceState;
extern DEVICEFORMATS g_deviceFormats;
extern SOFTSCREEN g_softScreen;

int StartGraphics();
int ShutdownGraphics();

int SetupDisplayDevice();
int CreateDirectDrawObject();
int CreateDirect3DObject();
int CreateDirect3DDevice();
int CreateDepthBuffer();
// The format tables of the device just created, with their log lines; -1 when a format the
// device cannot do without is missing.
int ChooseDeviceFormats();
int CreateSubBackBuffer();
int SetupProgrammableShaders();
int CreateVertexDeclarations();
int ReleaseVertexDeclarations();
int ReleaseDisplayDevice();
int CreateSoftwareScreen();

int BuildDisplayModeList();
void FreeDisplayModeList();
int CountDisplayModes();
DISPLAYMODE *QueryDisplayMode(DISPLAYMODE *out, int index);

int SetDeviceDialogBoxMode(int mode);
int ResetDialogBoxMode(int flag);
