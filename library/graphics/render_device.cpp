// Until the device set-up is in place the cache talks to a device handed to it directly.
#include "library/graphics/render_device.h"

IDirect3DDevice9 *g_renderDeviceBridge = nullptr;
IDirect3DSurface9 *g_renderBackBufferBridge = nullptr;
int g_renderDeviceBlendOp = 0;
int g_renderScreenBits = 32;

IDirect3DDevice9 *GetRenderDevice() { return g_renderDeviceBridge; }
int RenderDeviceHasBlendOp() { return g_renderDeviceBlendOp; }
int RenderDeviceUsesShaders() { return 0; }
IDirect3DSurface9 *RenderDeviceBackBuffer() { return g_renderBackBufferBridge; }
int RenderScreenBits() { return g_renderScreenBits; }
