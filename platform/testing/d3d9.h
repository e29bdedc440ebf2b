// Test control of the Direct3D 9 stand-in, the module loader and the display
// settings: recorded calls, scripted answers and failures, surface read-back.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <string>
#include <vector>

// Back to the defaults: no scripts, default caps, formats, modes and desktop, pacing on,
// recording off, no present hook override, presented-frame store emptied, every raster path.
void D3D9TestReset();

// ---- recording ------------------------------------------------------------------
// Every interface call is recorded as "Name(arg, arg, ...)" while recording is on:
// integers in decimal, floats as %g, pointers as "null" or "ptr".
void D3D9TestRecordCalls(bool on);
std::vector<std::string> D3D9TestTakeCalls();

// ---- scripted failures ------------------------------------------------------------
// The next `count` calls of `call` (a method name such as "CreateDevice", "Present",
// "StretchRect", "Direct3DCreate9", "CreateTexture", "SetRenderState", or "LoadLibraryA:d3d9.dll") fail
// with `result`;
// count -1 fails every call until cleared with count 0.
void D3D9TestFailCall(const std::string &call, int count, HRESULT result = D3DERR_INVALIDCALL);
// GetProcAddress(d3d9, "Direct3DCreate9") finds nothing while hidden.
void D3D9TestHideEntryPoint(bool hidden);

// ---- scripted answers -----------------------------------------------------------
// CheckDeviceFormat for usage (0, D3DUSAGE_RENDERTARGET or D3DUSAGE_DEPTHSTENCIL) and format,
// and the resources made with them; back buffers keep the display's own formats.
void D3D9TestSetFormatSupport(DWORD usage, D3DFORMAT format, bool supported);
// CheckDepthStencilMatch for a depth format.
void D3D9TestSetDepthMatch(D3DFORMAT depthFormat, bool matches);
// The capabilities both IDirect3D9 and the device report; change fields in place.
D3DCAPS9 &D3D9TestCaps();
// The adapter display mode. Unset, it follows the window manager's display mode
// (16 bits: the sixteen-bit mode format below, else X8R8G8B8).
void D3D9TestSetDesktop(UINT width, UINT height, D3DFORMAT format, UINT refreshRate);
// The adapter's 16-bit full-screen modes use this format (R5G6B5 by default;
// X1R5G5B5 makes GetAdapterModeCount(R5G6B5) 0).
void D3D9TestSetSixteenBitModeFormat(D3DFORMAT format);

// ---- video surfaces ---------------------------------------------------------------
// While on, CreateOffscreenPlainSurface makes YV12, YUY2 and UYVY surfaces as lockable memory
// (YV12: the luma rows, then the V plane and the U plane at half the pitch); by default it
// refuses them. StretchRect reads them as BT.601 limited-range colour.
void D3D9TestAllowVideoSurfaces(bool on);

// ---- device loss ----------------------------------------------------------------
// Lost: Present and TestCooperativeLevel return D3DERR_DEVICELOST. Resettable: the loss
// is over, TestCooperativeLevel returns D3DERR_DEVICENOTRESET until Reset succeeds.
void D3D9TestLoseDevice();
void D3D9TestMakeDeviceResettable();

// ---- presentation ---------------------------------------------------------------
// Interval ONE (and DEFAULT) waits for the next tick of an emulated 60 Hz display, on
// the platform clock (so the fake clock of the kernel group paces it too).
void D3D9TestSetPacing(bool on);
int D3D9TestPresentCount();
// The last presented frame as XRGB8888 pixels (empty before the first Present).
struct D3D9TestFrame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    RECT source{};
    RECT dest{};
    bool hasDest = false;
};
D3D9TestFrame D3D9TestLastFrame();

// ---- rasteriser paths ------------------------------------------------------------
// The fastest path the rasteriser may take: general pipeline only, fast spans in scalar
// code, with SSE2, or with AVX2 where the processor has it (the default). Every path gives
// the same pixels; tests compare them.
enum D3D9RasterPaths { D3D9_RASTER_GENERAL = 0, D3D9_RASTER_SCALAR = 1, D3D9_RASTER_SSE2 = 2, D3D9_RASTER_AVX2 = 3 };
void D3D9TestLimitRasterPaths(D3D9RasterPaths fastest);

// ---- read-back ------------------------------------------------------------------
// Any surface (including depth surfaces: z x 255 in every channel) as ARGB8888,
// top row first; formats without alpha read back with alpha 0xFF.
std::vector<uint32_t> D3D9TestReadSurface(IDirect3DSurface9 *surface);
uint32_t D3D9TestReadPixel(IDirect3DSurface9 *surface, int x, int y);
float D3D9TestReadDepth(IDirect3DSurface9 *surface, int x, int y);
// Shader constants a device holds (vertex: 256 float registers, pixel: 32; 16 booleans each),
// `count` registers from `start` (four floats per float register); empty when out of range.
std::vector<float> D3D9TestShaderConstantsF(IDirect3DDevice9 *device, bool pixel, UINT start, UINT count);
std::vector<BOOL> D3D9TestShaderConstantsB(IDirect3DDevice9 *device, bool pixel, UINT start, UINT count);
// Objects of the stand-in alive now (devices, surfaces, textures, buffers, ...).
int D3D9TestLiveObjects();

// ---- fixed-function vertex processing -----------------------------------------------
// The vertices of the last draw of untransformed vertices, one per vertex of the range it
// named, after transform, lighting and fog (before clipping).
struct D3D9TestProcessedVertex {
    float clip[4];    // x, y, z, w after world x view x projection
    float screen[4];  // x, y, z, rhw after the divide and the viewport (zero where w <= 0)
    uint32_t diffuse, specular;  // ARGB; the specular alpha carries vertex fog
    float tex[8][2];
};
std::vector<D3D9TestProcessedVertex> D3D9TestLastProcessedVertices();
