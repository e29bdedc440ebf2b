// The state cache's view of the display device.
#include "library/graphics/render_device.h"

#include "library/graphics/device.h"

IDirect3DDevice9 *GetRenderDevice() { return g_screenSetup.direct3D ? g_deviceState.device : nullptr; }
int RenderDeviceHasBlendOp() { return g_deviceState.separateAlphaBlend; }
int RenderDeviceUsesShaders() { return g_deviceState.programmableShaders; }
IDirect3DSurface9 *RenderDeviceBackBuffer() { return g_deviceState.backBuffer; }
int RenderScreenBits() { return g_screenSetup.bits; }
IDirect3DVertexDeclaration9 *RenderVertexDeclaration(int index) {
    return index >= 0 && index < VERTEX_DECL_COUNT ? g_deviceState.vertexDecls[index] : nullptr;
}
