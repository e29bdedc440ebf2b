// The Direct3D 9 object and the resources a device makes: reference counting,
// surfaces, textures with mip levels, buffers, declarations and shaders.
#include "platform/d3d9/internal.h"

#include <cstdlib>
#include <cstring>

namespace d3d9 {

// ---- bookkeeping ----------------------------------------------------------------

Tracked::Tracked(Device *owner, bool public_) : device(owner), holdsDevice(public_) {
    ++LiveObjectCount();
    device->objects.insert(this);
    if (holdsDevice) device->AddRef();
}

Tracked::~Tracked() {
    --LiveObjectCount();
    device->objects.erase(this);
}

ULONG Tracked::TrackedAddRef() {
    if (refs++ == 0 && holdsDevice) device->AddRef();
    return refs;
}

ULONG Tracked::TrackedRelease() {
    if (refs == 0) return 0;
    ULONG left = --refs;
    if (left == 0) {
        Device *owner = device;
        bool hold = holdsDevice;
        if (bindings == 0) delete this;
        if (hold) owner->Release();
    }
    return left;
}

void Tracked::Unbind() {
    if (--bindings == 0 && refs == 0) delete this;
}

namespace {

template <class T>
HRESULT GiveDevice(Device *device, IDirect3DDevice9 **out) {
    if (!out) return D3DERR_INVALIDCALL;
    device->AddRef();
    *out = device;
    return D3D_OK;
}

HRESULT NoInterface(void **out) {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}

}  // namespace

// ---- surfaces -------------------------------------------------------------------

Surface::Surface(Device *owner, SurfaceKind k, D3DPOOL p, DWORD u, bool canLock)
    : Tracked(owner, k != SurfaceKind::BackBuffer && k != SurfaceKind::TextureLevel), kind(k), usage(u),
      lockable(canLock) {
    pool = p;
    if (k == SurfaceKind::TextureLevel) refs = 0;
}

HRESULT Surface::QueryInterface(REFIID, void **out) { return NoInterface(out); }

ULONG Surface::AddRef() {
    if (kind == SurfaceKind::TextureLevel) return container->AddRef();
    if (kind == SurfaceKind::BackBuffer) {
        device->AddRef();
        return (ULONG)++extRefs;
    }
    return TrackedAddRef();
}

ULONG Surface::Release() {
    if (kind == SurfaceKind::TextureLevel) return container->Release();
    if (kind == SurfaceKind::BackBuffer) {
        if (extRefs == 0) return 0;
        ULONG left = (ULONG)--extRefs;
        device->Release();
        return left;
    }
    return TrackedRelease();
}

Tracked *Surface::Owner() {
    if (kind == SurfaceKind::TextureLevel) return container;
    return this;
}

HRESULT Surface::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<Surface>(device, out); }

HRESULT Surface::GetContainer(REFIID, void **out) {
    if (!out) return D3DERR_INVALIDCALL;
    if (kind == SurfaceKind::TextureLevel) {
        container->AddRef();
        *out = static_cast<IDirect3DTexture9 *>(container);
        return D3D_OK;
    }
    return NoInterface(out);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC *desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = image.format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->MultiSampleQuality = 0;
    desc->Width = (UINT)image.width;
    desc->Height = (UINT)image.height;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT *out, const RECT *rect, DWORD flags) {
    Record("Surface::LockRect", (const void *)rect, flags);
    if (HRESULT hr = ScriptedFailure("LockRect")) return hr;
    if (!out || locked || !lockable || image.depth) return D3DERR_INVALIDCALL;
    RECT r{0, 0, image.width, image.height};
    if (rect) {
        r = *rect;
        if (r.left < 0 || r.top < 0 || r.right > image.width || r.bottom > image.height || r.left >= r.right ||
            r.top >= r.bottom)
            return D3DERR_INVALIDCALL;
        if (image.blockBytes && ((r.left & 3) || (r.top & 3))) return D3DERR_INVALIDCALL;
    }
    out->Pitch = image.pitch;
    if (image.blockBytes)
        out->pBits = image.Row(r.top / 4) + (size_t)(r.left / 4) * image.blockBytes;
    else
        out->pBits = image.Row(r.top) + (size_t)r.left * image.bytes;
    locked = true;
    if (!(flags & D3DLOCK_READONLY)) ++image.version;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    Record("Surface::UnlockRect");
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    ++image.version;
    return D3D_OK;
}

// ---- textures -------------------------------------------------------------------

Texture::Texture(Device *owner, DWORD u, D3DPOOL p) : Tracked(owner, true), usage(u) { pool = p; }

Texture::~Texture() {
    for (Surface *level : levels) delete level;
}

HRESULT Texture::QueryInterface(REFIID, void **out) { return NoInterface(out); }
HRESULT Texture::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<Texture>(device, out); }

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC *desc) {
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    return levels[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9 **out) {
    if (!out || level >= levels.size()) return D3DERR_INVALIDCALL;
    AddRef();
    *out = levels[level];
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) {
    Record("Texture::LockRect", level, (const void *)rect, flags);
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    return levels[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    Record("Texture::UnlockRect", level);
    if (level >= levels.size()) return D3DERR_INVALIDCALL;
    return levels[level]->UnlockRect();
}

const uint32_t *Texture::Texels(int level) {
    Cache &cache = caches[level];
    Image &image = levels[level]->image;
    if (cache.version != image.version) {
        image.ToArgb(cache.argb);
        cache.version = image.version;
    }
    return cache.argb.data();
}

// ---- buffers, declarations, shaders ---------------------------------------------------

HRESULT BufferBytes::LockBytes(UINT offset, UINT size, void **out) {
    if (!out || locked || offset > data.size() || size > data.size() - offset) return D3DERR_INVALIDCALL;
    locked = true;
    *out = data.data() + offset;
    return D3D_OK;
}

HRESULT BufferBytes::UnlockBytes() {
    if (!locked) return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

VertexBuffer::VertexBuffer(Device *owner, UINT length, DWORD u, DWORD f, D3DPOOL p)
    : Tracked(owner, true), BufferBytes(length), usage(u), fvf(f) {
    pool = p;
}
HRESULT VertexBuffer::QueryInterface(REFIID, void **out) { return NoInterface(out); }
HRESULT VertexBuffer::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<VertexBuffer>(device, out); }

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC *desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, (UINT)data.size(), fvf};
    return D3D_OK;
}

IndexBuffer::IndexBuffer(Device *owner, UINT length, DWORD u, D3DFORMAT f, D3DPOOL p)
    : Tracked(owner, true), BufferBytes(length), usage(u), format(f) {
    pool = p;
}
HRESULT IndexBuffer::QueryInterface(REFIID, void **out) { return NoInterface(out); }
HRESULT IndexBuffer::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<IndexBuffer>(device, out); }

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC *desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DINDEXBUFFER_DESC{format, D3DRTYPE_INDEXBUFFER, usage, pool, (UINT)data.size()};
    return D3D_OK;
}

VertexDeclaration::VertexDeclaration(Device *owner, const D3DVERTEXELEMENT9 *e) : Tracked(owner, true) {
    for (;; ++e) {
        elements.push_back(*e);
        if (e->Stream == 0xFF) break;
    }
}
HRESULT VertexDeclaration::QueryInterface(REFIID, void **out) { return NoInterface(out); }
HRESULT VertexDeclaration::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<VertexDeclaration>(device, out); }

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9 *out, UINT *count) {
    if (!count) return D3DERR_INVALIDCALL;
    if (out) memcpy(out, elements.data(), elements.size() * sizeof(D3DVERTEXELEMENT9));
    *count = (UINT)elements.size();
    return D3D_OK;
}

VertexShader::VertexShader(Device *owner, const DWORD *c, size_t words) : Tracked(owner, true), code(c, c + words) {}
HRESULT VertexShader::QueryInterface(REFIID, void **out) { return NoInterface(out); }
HRESULT VertexShader::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<VertexShader>(device, out); }
HRESULT VertexShader::GetFunction(void *data, UINT *size) {
    if (!size) return D3DERR_INVALIDCALL;
    if (data) memcpy(data, code.data(), code.size() * 4);
    *size = (UINT)(code.size() * 4);
    return D3D_OK;
}

PixelShader::PixelShader(Device *owner, const DWORD *c, size_t words) : Tracked(owner, true), code(c, c + words) {}
HRESULT PixelShader::QueryInterface(REFIID, void **out) { return NoInterface(out); }
HRESULT PixelShader::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<PixelShader>(device, out); }
HRESULT PixelShader::GetFunction(void *data, UINT *size) {
    if (!size) return D3DERR_INVALIDCALL;
    if (data) memcpy(data, code.data(), code.size() * 4);
    *size = (UINT)(code.size() * 4);
    return D3D_OK;
}

// ---- the swap chain -------------------------------------------------------------

HRESULT SwapChain::QueryInterface(REFIID, void **out) { return NoInterface(out); }

ULONG SwapChain::AddRef() {
    device->AddRef();
    return (ULONG)++extRefs;
}

ULONG SwapChain::Release() {
    if (extRefs == 0) return 0;
    ULONG left = (ULONG)--extRefs;
    device->Release();
    return left;
}

HRESULT SwapChain::Present(const RECT *src, const RECT *dst, HWND window, const RGNDATA *, DWORD flags) {
    Record("SwapChain::Present", (const void *)src, (const void *)dst, (const void *)window, flags);
    return device->PresentFrame(src, dst, window);
}

HRESULT SwapChain::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9 **out) {
    return device->GetBackBuffer(0, index, type, out);
}

HRESULT SwapChain::GetDevice(IDirect3DDevice9 **out) { return GiveDevice<SwapChain>(device, out); }

HRESULT SwapChain::GetPresentParameters(D3DPRESENT_PARAMETERS *params) {
    if (!params) return D3DERR_INVALIDCALL;
    *params = device->params;
    return D3D_OK;
}

// ---- the Direct3D 9 object --------------------------------------------------------

namespace {

struct AdapterMode {
    UINT width, height, bits;
};
const AdapterMode kAdapterModes[] = {
    {320, 240, 16}, {640, 480, 16}, {800, 600, 16}, {1024, 768, 16},
    {320, 240, 32}, {640, 480, 32}, {800, 600, 32}, {1024, 768, 32},
};

D3DFORMAT ModeFormat(const AdapterMode &m) { return m.bits == 16 ? SixteenBitModeFormat() : D3DFMT_X8R8G8B8; }

}  // namespace

Direct3D9::Direct3D9() { ++LiveObjectCount(); }
Direct3D9::~Direct3D9() { --LiveObjectCount(); }

HRESULT Direct3D9::QueryInterface(REFIID, void **out) { return NoInterface(out); }

ULONG Direct3D9::Release() {
    if (refs == 0) return 0;
    ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

HRESULT Direct3D9::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9 *id) {
    Record("GetAdapterIdentifier", adapter, flags);
    if (adapter != 0 || !id) return D3DERR_INVALIDCALL;
    memset(id, 0, sizeof *id);
    snprintf(id->Driver, sizeof id->Driver, "kelmor_d3d9.dll");
    snprintf(id->Description, sizeof id->Description, "Kelmor software device");
    snprintf(id->DeviceName, sizeof id->DeviceName, "\\\\.\\DISPLAY1");
    id->DriverVersion.QuadPart = 0x0009000000000001LL;
    return D3D_OK;
}

UINT Direct3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
    Record("GetAdapterModeCount", adapter, format);
    if (adapter != 0) return 0;
    UINT count = 0;
    for (const AdapterMode &m : kAdapterModes)
        if (ModeFormat(m) == format) ++count;
    return count;
}

HRESULT Direct3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE *out) {
    Record("EnumAdapterModes", adapter, format, index);
    if (adapter != 0 || !out) return D3DERR_INVALIDCALL;
    for (const AdapterMode &m : kAdapterModes) {
        if (ModeFormat(m) != format) continue;
        if (index-- == 0) {
            *out = D3DDISPLAYMODE{m.width, m.height, 60, format};
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT Direct3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE *mode) {
    Record("GetAdapterDisplayMode", adapter);
    if (adapter != 0 || !mode) return D3DERR_INVALIDCALL;
    *mode = DesktopMode();
    return D3D_OK;
}

HRESULT Direct3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                   BOOL) {
    Record("CheckDeviceType", adapter, adapterFormat, backBufferFormat);
    if (adapter != 0) return D3DERR_INVALIDCALL;
    return BackBufferFormatSupported(backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
    Record("CheckDeviceFormat", adapter, type, adapterFormat, usage, resourceType, checkFormat);
    if (adapter != 0) return D3DERR_INVALIDCALL;
    if (HRESULT hr = ScriptedFailure("CheckDeviceFormat")) return hr;
    return FormatSupported(usage, checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                          D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) {
    Record("CheckDepthStencilMatch", adapter, type, adapterFormat, renderTargetFormat, depthFormat);
    if (adapter != 0) return D3DERR_INVALIDCALL;
    return DepthMatches(depthFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9 *caps) {
    Record("GetDeviceCaps", adapter, type);
    if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
    *caps = CurrentCaps();
    caps->DeviceType = type;
    return D3D_OK;
}

HRESULT Direct3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                                D3DPRESENT_PARAMETERS *params, IDirect3DDevice9 **out) {
    Record("CreateDevice", adapter, type, (const void *)focusWindow, behaviour);
    if (out) *out = nullptr;
    if (adapter != 0 || !params || !out) return D3DERR_INVALIDCALL;
    if (HRESULT hr = ScriptedFailure("CreateDevice")) return hr;
    // Env KELMOR_NO_3D=1 stands for a machine without 3D hardware: no device can be made, so
    // the library takes its software path.
    if (const char *no3d = std::getenv("KELMOR_NO_3D"); no3d && std::strcmp(no3d, "1") == 0)
        return D3DERR_NOTAVAILABLE;
    if (params->BackBufferCount > 3 || params->MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
    Device *device = new Device(this, params->hDeviceWindow ? params->hDeviceWindow : focusWindow, behaviour, *params);
    if (!device->Valid()) {
        device->Release();
        return D3DERR_INVALIDCALL;
    }
    *params = device->params;
    *out = device;
    return D3D_OK;
}

}  // namespace d3d9

IDirect3D9 *Direct3DCreate9(UINT sdkVersion) {
    d3d9::Record("Direct3DCreate9", sdkVersion);
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    if (d3d9::ScriptedFailure("Direct3DCreate9")) return nullptr;
    return new d3d9::Direct3D9();
}
