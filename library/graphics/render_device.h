// What the state cache needs to know of the display device.
#pragma once

#include "platform/d3d9/d3d9.h"

// The device while the Direct3D path is up, else null.
IDirect3DDevice9 *GetRenderDevice();
// The device blends with REVSUBTRACT (the blend-operation capability bit).
int RenderDeviceHasBlendOp();
// Programmable shaders are in use.
int RenderDeviceUsesShaders();
// Back buffer 0 of the device, null without one (not add-referenced).
IDirect3DSurface9 *RenderDeviceBackBuffer();
// Colour bits of the screen (16 or 32).
int RenderScreenBits();
// Entry `index` of the device's model vertex declarations (6 layouts x 9 texture-coordinate
// counts, then the single ones), null when absent.
IDirect3DVertexDeclaration9 *RenderVertexDeclaration(int index);
