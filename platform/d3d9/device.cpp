// The device: creation, reference counting, device loss and Reset, resource
// creation and every state setter.
#include "platform/d3d9/internal.h"

namespace d3d9 {

namespace {

inline DWORD FloatBits(float f) {
    DWORD d;
    memcpy(&d, &f, 4);
    return d;
}

// A bound object handed out with a reference of its own (none when nothing is bound).
template <class T, class Interface>
HRESULT GiveBound(T *bound, Interface **out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = bound;
    if (*out) (*out)->AddRef();
    return D3D_OK;
}

}  // namespace

Device::Device(Direct3D9 *owner, HWND win, DWORD flags, const D3DPRESENT_PARAMETERS &pp)
    : d3d(owner), window(win), behaviour(flags), params(pp) {
    d3d->AddRef();
    ++LiveObjectCount();
    LiveDevices().insert(this);
    swapChain = new SwapChain(this);
    if (CreateBackBuffer()) ResetStates();
}

Device::~Device() {
    Rebind(state.renderTarget, (Surface *)nullptr);
    Rebind(state.depth, (Surface *)nullptr);
    for (Texture *&t : state.textures) Rebind(t, (Texture *)nullptr);
    UnbindPipeline();
    delete backBuffer;
    delete swapChain;
    // Anything left was released but not yet freed; levels go with their texture.
    std::vector<Tracked *> left;
    for (Tracked *object : objects) {
        Surface *surface = dynamic_cast<Surface *>(object);
        if (!surface || surface->kind != SurfaceKind::TextureLevel) left.push_back(object);
    }
    for (Tracked *object : left) delete object;
    --LiveObjectCount();
    LiveDevices().erase(this);
    d3d->Release();
}

bool Device::CreateBackBuffer() {
    D3DDISPLAYMODE desktop = DesktopMode();
    if (params.Windowed) {
        if (params.BackBufferWidth == 0) params.BackBufferWidth = 640;
        if (params.BackBufferHeight == 0) params.BackBufferHeight = 480;
        if (params.BackBufferFormat == D3DFMT_UNKNOWN) params.BackBufferFormat = desktop.Format;
    }
    if (params.BackBufferCount == 0) params.BackBufferCount = 1;
    if (!BackBufferFormatSupported(params.BackBufferFormat)) return false;
    Surface *surface = new Surface(this, SurfaceKind::BackBuffer, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET,
                                   (params.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0);
    if (!surface->image.Allocate(params.BackBufferFormat, (int)params.BackBufferWidth,
                                 (int)params.BackBufferHeight)) {
        delete surface;
        return false;
    }
    backBuffer = surface;
    return true;
}

void Device::UnbindPipeline() {
    Rebind(state.decl, (VertexDeclaration *)nullptr);
    Rebind(state.vs, (VertexShader *)nullptr);
    Rebind(state.ps, (PixelShader *)nullptr);
    Rebind(state.stream, (VertexBuffer *)nullptr);
    Rebind(state.indices, (IndexBuffer *)nullptr);
}

void Device::ResetStates() {
    DeviceState &s = state;
    memset(s.rs, 0, sizeof s.rs);
    s.rs[D3DRS_ZENABLE] = params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    s.rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    s.rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    s.rs[D3DRS_ZWRITEENABLE] = TRUE;
    s.rs[D3DRS_LASTPIXEL] = TRUE;
    s.rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    s.rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    s.rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    s.rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    s.rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    s.rs[D3DRS_FOGEND] = FloatBits(1.0f);
    s.rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    s.rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    s.rs[D3DRS_CLIPPING] = TRUE;
    s.rs[D3DRS_LIGHTING] = TRUE;
    s.rs[D3DRS_COLORVERTEX] = TRUE;
    s.rs[D3DRS_LOCALVIEWER] = TRUE;
    s.rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    s.rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    s.rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    s.rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    s.rs[D3DRS_COLORWRITEENABLE] = 0xF;
    s.rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    s.rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    s.rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    s.rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    for (DWORD i = 0; i < 8; ++i) {
        DWORD *t = s.tss[i];
        memset(t, 0, sizeof s.tss[i]);
        t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = i;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        DWORD *p = s.ss[i];
        memset(p, 0, sizeof s.ss[i]);
        p[D3DSAMP_ADDRESSU] = p[D3DSAMP_ADDRESSV] = p[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        p[D3DSAMP_MAGFILTER] = p[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        p[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        p[D3DSAMP_MAXANISOTROPY] = 1;
        Rebind(s.textures[i], (Texture *)nullptr);
    }
    Rebind(s.renderTarget, backBuffer);
    Rebind(s.depth, (Surface *)nullptr);
    UnbindPipeline();
    s.viewport = D3DVIEWPORT9{0, 0, params.BackBufferWidth, params.BackBufferHeight, 0.0f, 1.0f};
    s.scissor = RECT{0, 0, (LONG)params.BackBufferWidth, (LONG)params.BackBufferHeight};
    s.transforms.clear();
    s.material = D3DMATERIAL9{};
    s.lights.clear();
    s.fvf = 0;
    std::fill(s.vsConstF.begin(), s.vsConstF.end(), 0.0f);
    std::fill(s.psConstF.begin(), s.psConstF.end(), 0.0f);
    memset(s.vsConstB, 0, sizeof s.vsConstB);
    memset(s.psConstB, 0, sizeof s.psConstB);
    s.streamOffset = s.streamStride = 0;
    inScene = false;
}

HRESULT Device::QueryInterface(REFIID, void **out) {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}

ULONG Device::Release() {
    if (refs == 0) return 0;
    ULONG left = --refs;
    if (left == 0) delete this;
    return left;
}

// ---- cooperative level and Reset ---------------------------------------------------

HRESULT Device::TestCooperativeLevel() {
    Record("TestCooperativeLevel");
    if (loss == LossState::Lost) return D3DERR_DEVICELOST;
    if (loss == LossState::NotReset) return D3DERR_DEVICENOTRESET;
    return D3D_OK;
}

UINT Device::GetAvailableTextureMem() { return 256u << 20; }

HRESULT Device::GetDirect3D(IDirect3D9 **out) {
    if (!out) return D3DERR_INVALIDCALL;
    d3d->AddRef();
    *out = d3d;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9 *caps) {
    Record("Device::GetDeviceCaps");
    if (!caps) return D3DERR_INVALIDCALL;
    *caps = CurrentCaps();
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT, D3DDISPLAYMODE *mode) {
    if (!mode) return D3DERR_INVALIDCALL;
    if (params.Windowed) {
        *mode = DesktopMode();
    } else {
        *mode = D3DDISPLAYMODE{params.BackBufferWidth, params.BackBufferHeight,
                               params.FullScreen_RefreshRateInHz ? params.FullScreen_RefreshRateInHz : 60,
                               params.BackBufferFormat};
    }
    return D3D_OK;
}

HRESULT Device::GetSwapChain(UINT index, IDirect3DSwapChain9 **out) {
    Record("GetSwapChain", index);
    if (!out || index != 0) return D3DERR_INVALIDCALL;
    swapChain->AddRef();
    *out = swapChain;
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS *pp) {
    Record("Reset", (const void *)pp);
    if (!pp) return D3DERR_INVALIDCALL;
    if (HRESULT hr = ScriptedFailure("Reset")) return hr;
    if (loss == LossState::Lost) return D3DERR_DEVICELOST;
    // As on the platform: every default-pool resource and every reference to the
    // back buffer or swap chain must be gone first.
    if (backBuffer->extRefs > 0 || swapChain->extRefs > 0) return D3DERR_INVALIDCALL;
    for (Tracked *object : objects) {
        Surface *surface = dynamic_cast<Surface *>(object);
        if (surface && (surface->kind == SurfaceKind::BackBuffer || surface->kind == SurfaceKind::TextureLevel))
            continue;
        if (object->pool == D3DPOOL_DEFAULT && object->refs > 0) return D3DERR_INVALIDCALL;
    }
    // Drop the bindings (which frees released objects) before the back buffer goes.
    Rebind(state.renderTarget, (Surface *)nullptr);
    D3DPRESENT_PARAMETERS old = params;
    Surface *oldBack = backBuffer;
    backBuffer = nullptr;
    params = *pp;
    if (!CreateBackBuffer()) {
        params = old;
        backBuffer = oldBack;
        ResetStates();
        loss = LossState::NotReset;
        return D3DERR_INVALIDCALL;
    }
    delete oldBack;
    ResetStates();
    *pp = params;
    loss = LossState::Operational;
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9 **out) {
    Record("GetBackBuffer", chain, index, type);
    if (!out || chain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
    backBuffer->AddRef();
    *out = backBuffer;
    return D3D_OK;
}

void Device::SetDialogBoxMode(BOOL enable) {
    Record("SetDialogBoxMode", enable);
    dialogBoxMode = enable;
}

// ---- resources ------------------------------------------------------------------

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9 **out, HANDLE *) {
    Record("CreateTexture", width, height, levels, usage, format, pool);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure("CreateTexture")) return hr;
    const D3DCAPS9 &caps = CurrentCaps();
    if (width == 0 || height == 0 || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (!FormatSupported(usage, format)) return D3DERR_INVALIDCALL;
    UINT full = 1;
    while ((width >> full) || (height >> full)) ++full;
    if (levels == 0 || levels > full) levels = full;
    Texture *texture = new Texture(this, usage, pool);
    for (UINT i = 0; i < levels; ++i) {
        // Managed, system-memory and dynamic textures can be locked; default-pool ones cannot.
        bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
        Surface *level = new Surface(this, SurfaceKind::TextureLevel, pool, usage, lockable);
        level->container = texture;
        int w = (int)std::max(1u, width >> i), h = (int)std::max(1u, height >> i);
        if (!level->image.Allocate(format, w, h)) {
            delete level;
            texture->Release();
            return D3DERR_INVALIDCALL;
        }
        texture->levels.push_back(level);
    }
    texture->caches.resize(levels);
    *out = texture;
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9 **out,
                                   HANDLE *) {
    Record("CreateVertexBuffer", length, usage, fvf, pool);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure("CreateVertexBuffer")) return hr;
    if (length == 0 || length > (64u << 20)) return D3DERR_INVALIDCALL;
    *out = new VertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9 **out, HANDLE *) {
    Record("CreateIndexBuffer", length, usage, format, pool);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure("CreateIndexBuffer")) return hr;
    if (length == 0 || length > (64u << 20) || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    *out = new IndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}

namespace {

HRESULT MakeSurface(Device *device, SurfaceKind kind, D3DPOOL pool, DWORD usage, bool lockable, UINT width,
                    UINT height, D3DFORMAT format, IDirect3DSurface9 **out) {
    Surface *surface = new Surface(device, kind, pool, usage, lockable);
    if (!surface->image.Allocate(format, (int)width, (int)height)) {
        surface->Release();
        return D3DERR_INVALIDCALL;
    }
    *out = surface;
    return D3D_OK;
}

}  // namespace

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   DWORD quality, BOOL lockable, IDirect3DSurface9 **out, HANDLE *) {
    Record("CreateRenderTarget", width, height, format, multiSample, quality, lockable);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure("CreateRenderTarget")) return hr;
    if (multiSample != D3DMULTISAMPLE_NONE || !FormatSupported(D3DUSAGE_RENDERTARGET, format))
        return D3DERR_INVALIDCALL;
    return MakeSurface(this, SurfaceKind::RenderTarget, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, lockable != 0,
                       width, height, format, out);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          DWORD quality, BOOL discard, IDirect3DSurface9 **out, HANDLE *) {
    Record("CreateDepthStencilSurface", width, height, format, multiSample, quality, discard);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure("CreateDepthStencilSurface")) return hr;
    FormatInfo info;
    if (multiSample != D3DMULTISAMPLE_NONE || !GetFormatInfo(format, &info) || !info.depth ||
        !FormatSupported(D3DUSAGE_DEPTHSTENCIL, format))
        return D3DERR_INVALIDCALL;
    return MakeSurface(this, SurfaceKind::Depth, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, false, width, height,
                       format, out);
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9 **out, HANDLE *) {
    Record("CreateOffscreenPlainSurface", width, height, format, pool);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure("CreateOffscreenPlainSurface")) return hr;
    // Video formats (YV12, YUY2, UYVY) are refused unless the test face allows them: callers take
    // their RGB path.
    FormatInfo info;
    const bool video = IsVideoFormat(format) && VideoSurfacesAllowed();
    if (pool == D3DPOOL_MANAGED || (!video && (!GetFormatInfo(format, &info) || info.depth))) return D3DERR_INVALIDCALL;
    return MakeSurface(this, SurfaceKind::Offscreen, pool, 0, true, width, height, format, out);
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9 *surface) {
    Record("SetRenderTarget", index, (const void *)surface);
    if (index != 0 || !surface) return D3DERR_INVALIDCALL;
    Surface *s = static_cast<Surface *>(surface);
    if (!s->IsRenderTarget() || s->image.depth) return D3DERR_INVALIDCALL;
    Rebind(state.renderTarget, s);
    state.viewport = D3DVIEWPORT9{0, 0, (DWORD)s->image.width, (DWORD)s->image.height, 0.0f, 1.0f};
    state.scissor = RECT{0, 0, s->image.width, s->image.height};
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9 **out) {
    if (!out || index != 0) return D3DERR_INVALIDCALL;
    *out = state.renderTarget;
    if (!*out) return D3DERR_NOTFOUND;
    (*out)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9 *surface) {
    Record("SetDepthStencilSurface", (const void *)surface);
    Surface *s = static_cast<Surface *>(surface);
    if (s && !s->image.depth) return D3DERR_INVALIDCALL;
    Rebind(state.depth, s);
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9 **out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = state.depth;
    if (!*out) return D3DERR_NOTFOUND;
    (*out)->AddRef();
    return D3D_OK;
}

// ---- scene and fixed-function state ---------------------------------------------------

HRESULT Device::BeginScene() {
    Record("BeginScene");
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    Record("EndScene");
    if (!inScene) return D3DERR_INVALIDCALL;
    inScene = false;
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX *matrix) {
    Record("SetTransform", type);
    if (!matrix) return D3DERR_INVALIDCALL;
    state.transforms[type] = *matrix;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX *matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    auto it = state.transforms.find(type);
    *matrix = it == state.transforms.end() ? IdentityMatrix() : it->second;
    return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9 *vp) {
    if (!vp) return D3DERR_INVALIDCALL;
    Record("SetViewport", vp->X, vp->Y, vp->Width, vp->Height, vp->MinZ, vp->MaxZ);
    if (HRESULT hr = ScriptedFailure("SetViewport")) return hr;
    const Image &target = state.renderTarget->image;
    if ((uint64_t)vp->X + vp->Width > (uint64_t)target.width || (uint64_t)vp->Y + vp->Height > (uint64_t)target.height ||
        vp->MinZ < 0.0f || vp->MaxZ > 1.0f || vp->MinZ > vp->MaxZ)
        return D3DERR_INVALIDCALL;
    state.viewport = *vp;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9 *vp) {
    if (!vp) return D3DERR_INVALIDCALL;
    *vp = state.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9 *material) {
    Record("SetMaterial", (const void *)material);
    if (!material) return D3DERR_INVALIDCALL;
    state.material = *material;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9 *material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = state.material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9 *light) {
    Record("SetLight", index, light ? light->Type : 0u);
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    state.lights[index].light = *light;
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9 *light) {
    auto it = state.lights.find(index);
    if (!light || it == state.lights.end()) return D3DERR_INVALIDCALL;
    *light = it->second.light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    Record("LightEnable", index, enable);
    auto it = state.lights.find(index);
    if (it == state.lights.end()) {
        // As on the platform: enabling an unset light gives it the default light.
        LightSlot slot;
        slot.light.Type = D3DLIGHT_DIRECTIONAL;
        slot.light.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
        slot.light.Direction = D3DVECTOR{0, 0, 1};
        it = state.lights.emplace(index, slot).first;
    }
    it->second.enabled = enable ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL *enable) {
    auto it = state.lights.find(index);
    if (!enable || it == state.lights.end()) return D3DERR_INVALIDCALL;
    *enable = it->second.enabled;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
    Record("SetRenderState", type, value);
    if (HRESULT hr = ScriptedFailure("SetRenderState")) return hr;
    if (type >= D3D9_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    state.rs[type] = value;
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, DWORD *value) {
    if (!value || type >= D3D9_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *value = state.rs[type];
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture) {
    Record("SetTexture", stage, (const void *)texture);
    if (stage >= 8) return D3DERR_INVALIDCALL;
    Rebind(state.textures[stage], static_cast<Texture *>(texture));
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9 **out) {
    if (stage >= 8) return D3DERR_INVALIDCALL;
    return GiveBound(state.textures[stage], out);
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    Record("SetTextureStageState", stage, type, value);
    if (stage >= 8 || type >= D3D9_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    state.tss[stage][type] = value;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD *value) {
    if (!value || stage >= 8 || type >= D3D9_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
    *value = state.tss[stage][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    Record("SetSamplerState", sampler, type, value);
    if (sampler >= 8 || type >= D3D9_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    state.ss[sampler][type] = value;
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD *value) {
    if (!value || sampler >= 8 || type >= D3D9_SAMPLER_STATE_COUNT) return D3DERR_INVALIDCALL;
    *value = state.ss[sampler][type];
    return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT *rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    Record("SetScissorRect", rect->left, rect->top, rect->right, rect->bottom);
    if (rect->left > rect->right || rect->top > rect->bottom) return D3DERR_INVALIDCALL;
    state.scissor = *rect;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT *rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = state.scissor;
    return D3D_OK;
}

// ---- declarations, shaders, streams ----------------------------------------------------

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9 *elements, IDirect3DVertexDeclaration9 **out) {
    Record("CreateVertexDeclaration", (const void *)elements);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!elements) return D3DERR_INVALIDCALL;
    if (HRESULT hr = ScriptedFailure("CreateVertexDeclaration")) return hr;
    for (int i = 0;; ++i) {
        if (i >= 64) return D3DERR_INVALIDCALL;
        if (elements[i].Stream == 0xFF) break;
        if (elements[i].Type >= D3DDECLTYPE_UNUSED) return D3DERR_INVALIDCALL;
    }
    *out = new VertexDeclaration(this, elements);
    return D3D_OK;
}

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9 *decl) {
    Record("SetVertexDeclaration", (const void *)decl);
    Rebind(state.decl, static_cast<VertexDeclaration *>(decl));
    if (decl) state.fvf = 0;
    return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9 **out) { return GiveBound(state.decl, out); }

HRESULT Device::SetFVF(DWORD fvf) {
    Record("SetFVF", fvf);
    state.fvf = fvf;
    if (fvf) Rebind(state.decl, (VertexDeclaration *)nullptr);
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD *fvf) {
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = state.fvf;
    return D3D_OK;
}

namespace {

// Shader byte code: a version token, then tokens up to the end token 0x0000FFFF.
size_t ShaderWords(const DWORD *code, DWORD versionTop) {
    if (!code || (code[0] & 0xFFFF0000u) != versionTop) return 0;
    for (size_t i = 1; i < (1u << 20); ++i)
        if (code[i] == 0x0000FFFFu) return i + 1;
    return 0;
}

// Both shader kinds: checked byte code of their own version makes the object.
template <class Shader, class Interface>
HRESULT CreateShader(Device *device, const char *call, const DWORD *function, DWORD versionTop, Interface **out) {
    Record(call, (const void *)function);
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (HRESULT hr = ScriptedFailure(call)) return hr;
    size_t words = ShaderWords(function, versionTop);
    if (!words) return D3DERR_INVALIDCALL;
    *out = new Shader(device, function, words);
    return D3D_OK;
}

// Constant registers of `width` values each; `slots` registers in all.
template <class T>
HRESULT CopyConstants(T *registers, UINT slots, UINT width, UINT start, const T *data, UINT count) {
    if (!data || (uint64_t)start + count > slots) return D3DERR_INVALIDCALL;
    memcpy(registers + (size_t)start * width, data, (size_t)count * width * sizeof(T));
    return D3D_OK;
}

}  // namespace

HRESULT Device::CreateVertexShader(const DWORD *function, IDirect3DVertexShader9 **out) {
    return CreateShader<VertexShader>(this, "CreateVertexShader", function, 0xFFFE0000u, out);
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9 *shader) {
    Record("SetVertexShader", (const void *)shader);
    Rebind(state.vs, static_cast<VertexShader *>(shader));
    return D3D_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9 **out) { return GiveBound(state.vs, out); }

HRESULT Device::SetVertexShaderConstantF(UINT start, const float *data, UINT count) {
    Record("SetVertexShaderConstantF", start, count);
    return CopyConstants(state.vsConstF.data(), 256, 4, start, data, count);
}

HRESULT Device::SetVertexShaderConstantB(UINT start, const BOOL *data, UINT count) {
    Record("SetVertexShaderConstantB", start, count);
    return CopyConstants(state.vsConstB, 16, 1, start, data, count);
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9 *buffer, UINT offset, UINT stride) {
    Record("SetStreamSource", stream, (const void *)buffer, offset, stride);
    if (stream != 0) return D3DERR_INVALIDCALL;
    Rebind(state.stream, static_cast<VertexBuffer *>(buffer));
    state.streamOffset = offset;
    state.streamStride = stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9 *buffer) {
    Record("SetIndices", (const void *)buffer);
    Rebind(state.indices, static_cast<IndexBuffer *>(buffer));
    return D3D_OK;
}

HRESULT Device::CreatePixelShader(const DWORD *function, IDirect3DPixelShader9 **out) {
    return CreateShader<PixelShader>(this, "CreatePixelShader", function, 0xFFFF0000u, out);
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9 *shader) {
    Record("SetPixelShader", (const void *)shader);
    Rebind(state.ps, static_cast<PixelShader *>(shader));
    return D3D_OK;
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9 **out) { return GiveBound(state.ps, out); }

HRESULT Device::SetPixelShaderConstantF(UINT start, const float *data, UINT count) {
    Record("SetPixelShaderConstantF", start, count);
    return CopyConstants(state.psConstF.data(), 32, 4, start, data, count);
}

HRESULT Device::SetPixelShaderConstantB(UINT start, const BOOL *data, UINT count) {
    Record("SetPixelShaderConstantB", start, count);
    return CopyConstants(state.psConstB, 16, 1, start, data, count);
}

}  // namespace d3d9
