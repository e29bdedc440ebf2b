// Shared parts of the Direct3D 9 stand-in: pixel formats, the objects' bookkeeping,
// the device record and the rasteriser's entry points.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/present.h"
#include "platform/testing/d3d9.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace d3d9 {

// ---- small shared helpers -----------------------------------------------------------

// A float or a 32-bit word from unaligned vertex bytes.
inline float LoadF(const uint8_t *p) {
    float v;
    memcpy(&v, p, 4);
    return v;
}
inline uint32_t LoadWord(const uint8_t *p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}
// A render state's float, from its bits.
inline float FloatOf(DWORD d) {
    float f;
    memcpy(&f, &d, 4);
    return f;
}
inline D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// ---- formats --------------------------------------------------------------------

struct FormatInfo {
    int bytes;       // per pixel; 0 for block formats
    int blockBytes;  // per 4x4 block; 0 for pixel formats
    bool alpha;
    bool depth;
};
// False for formats this device does not store.
bool GetFormatInfo(D3DFORMAT format, FormatInfo *info);
uint32_t DecodePixel(D3DFORMAT format, const uint8_t *p);
void EncodePixel(D3DFORMAT format, uint8_t *p, uint32_t argb);
void DecodeDxtBlock(D3DFORMAT format, const uint8_t *block, uint32_t out[16]);
bool IsBlockFormat(D3DFORMAT format);
// YV12, YUY2 and UYVY: plain surfaces only, and only while the test face allows them.
bool IsVideoFormat(D3DFORMAT format);

// Pixel memory of one surface. Depth surfaces hold one float per pixel.
struct Image {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    int width = 0;
    int height = 0;
    int bytes = 0;       // per pixel (4 for depth), 0 for block formats
    int blockBytes = 0;  // per block
    bool depth = false;
    int pitch = 0;       // bytes per row (per block row for block formats), padded
    std::vector<uint8_t> bits;
    uint32_t version = 1;  // bumped on every change; texture caches compare it

    bool Allocate(D3DFORMAT fmt, int w, int h);
    bool AllocateVideo(D3DFORMAT fmt, int w, int h);
    uint32_t ReadVideoArgb(int x, int y) const;
    uint8_t *Row(int y) { return bits.data() + (size_t)y * pitch; }
    const uint8_t *Row(int y) const { return bits.data() + (size_t)y * pitch; }
    // A depth clear waits until a depth value is read or written: a frame that clears depth
    // but draws without it then never touches the depth memory.
    mutable bool depthFillPending = false;
    float depthFill = 0.0f;
    RECT depthFillRect{};
    void SettleDepth() const;
    void FillDepthLater(const RECT &r, float z);

    uint32_t ReadArgb(int x, int y) const;  // decodes blocks too
    void WriteArgb(int x, int y, uint32_t argb);
    float *DepthRow(int y) {
        if (depthFillPending) SettleDepth();
        return reinterpret_cast<float *>(Row(y));
    }
    // The whole image as ARGB8888, tight.
    void ToArgb(std::vector<uint32_t> &out) const;
};

// ---- the test face's state ---------------------------------------------------------

bool Recording();
void RecordText(std::string text);
// Returns the scripted failure for this call, or S_OK.
HRESULT ScriptedFailure(const char *call);
bool FormatSupported(DWORD usage, D3DFORMAT format);
// Display formats a back buffer can have; scripted format answers do not change them.
bool BackBufferFormatSupported(D3DFORMAT format);
bool DepthMatches(D3DFORMAT format);
const D3DCAPS9 &CurrentCaps();
D3DDISPLAYMODE DesktopMode();
D3DFORMAT SixteenBitModeFormat();
bool EntryPointHidden();
bool PacingOn();
bool VideoSurfacesAllowed();
// The fastest rasteriser path the test face allows (a RasterPath).
int RasterPathLimit();
// Sets the top (alpha) byte of `count` words to 0xFF, two words a step.
inline void SetTopBytes(uint32_t *words, size_t count) {
    size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        uint64_t pair;
        memcpy(&pair, words + i, 8);
        pair |= 0xFF000000FF000000ull;
        memcpy(words + i, &pair, 8);
    }
    if (i < count) words[i] |= 0xFF000000u;
}
// Keeps the frame for the test face; `opaque`: the top bytes read as 0xFF (an X8R8G8B8 buffer).
void NotePresented(const D3D9PresentedFrame &frame, bool opaque);
// The emulated 60 Hz display, on the platform clock (pacing off: no waiting).
void WaitForVerticalBlankStart();
bool InVerticalBlank();
D3D9PresentHook PresentHook();
int &LiveObjectCount();
class Device;
std::set<Device *> &LiveDevices();

inline std::string ArgText(int v) { return std::to_string(v); }
inline std::string ArgText(unsigned v) { return std::to_string(v); }
inline std::string ArgText(long v) { return std::to_string(v); }
inline std::string ArgText(unsigned long v) { return std::to_string(v); }
inline std::string ArgText(long long v) { return std::to_string(v); }
inline std::string ArgText(unsigned long long v) { return std::to_string(v); }
inline std::string ArgText(float v) {
    char b[32];
    snprintf(b, sizeof b, "%g", (double)v);
    return b;
}
inline std::string ArgText(double v) { return ArgText((float)v); }
inline std::string ArgText(const void *p) { return p ? "ptr" : "null"; }

template <typename... Args>
void Record(const char *name, Args... args) {
    if (!Recording()) return;
    std::string text = name;
    text += '(';
    bool first = true;
    ((text += (first ? "" : ", "), text += ArgText(args), first = false), ...);
    text += ')';
    RecordText(std::move(text));
}

// ---- objects --------------------------------------------------------------------

class Device;

// Bookkeeping of every object a device makes: the public reference count, the
// device's own bindings (SetTexture, SetRenderTarget, ...), which keep an object alive
// without keeping the device alive, and the pool that Reset cares about.
struct Tracked {
    Device *device;
    ULONG refs = 1;
    int bindings = 0;
    D3DPOOL pool = D3DPOOL_MANAGED;

    // `public_` objects hold a device reference while their count is above zero; the
    // back buffer, owned by the device, does not.
    Tracked(Device *owner, bool public_);
    virtual ~Tracked();
    bool holdsDevice;
    ULONG TrackedAddRef();
    ULONG TrackedRelease();
    void Bind() { ++bindings; }
    void Unbind();
};

class Texture;

enum class SurfaceKind { BackBuffer, RenderTarget, Depth, Offscreen, TextureLevel };

class Surface final : public IDirect3DSurface9, public Tracked {
public:
    Surface(Device *owner, SurfaceKind kind, D3DPOOL pool, DWORD usage, bool lockable);
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetContainer(REFIID iid, void **container) override;
    HRESULT GetDesc(D3DSURFACE_DESC *desc) override;
    HRESULT LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    // What the device binds when this surface is bound: the texture for a level.
    Tracked *Owner();
    bool IsRenderTarget() const { return kind == SurfaceKind::BackBuffer || kind == SurfaceKind::RenderTarget || (usage & D3DUSAGE_RENDERTARGET); }

    SurfaceKind kind;
    DWORD usage;
    bool lockable;
    bool locked = false;
    Texture *container = nullptr;
    int extRefs = 0;  // back buffer only
    Image image;
};

class Texture final : public IDirect3DTexture9, public Tracked {
public:
    Texture(Device *owner, DWORD usage, D3DPOOL pool);
    ~Texture() override;
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return TrackedAddRef(); }
    ULONG Release() override { return TrackedRelease(); }
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return (DWORD)levels.size(); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC *desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9 **surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // Level pixels as ARGB8888, tight, decoded when they changed.
    const uint32_t *Texels(int level);

    DWORD usage;
    std::vector<Surface *> levels;
    struct Cache {
        std::vector<uint32_t> argb;
        uint32_t version = 0;
    };
    std::vector<Cache> caches;
};

// The bytes of a vertex or index buffer and their one lock.
struct BufferBytes {
    explicit BufferBytes(UINT length) : data(length) {}
    HRESULT LockBytes(UINT offset, UINT size, void **out);
    HRESULT UnlockBytes();

    bool locked = false;
    std::vector<uint8_t> data;
};

class VertexBuffer final : public IDirect3DVertexBuffer9, public Tracked, public BufferBytes {
public:
    VertexBuffer(Device *owner, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return TrackedAddRef(); }
    ULONG Release() override { return TrackedRelease(); }
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    // Discarding is for dynamic buffers only.
    HRESULT Lock(UINT offset, UINT size, void **out, DWORD flags) override {
        if ((flags & D3DLOCK_DISCARD) && !(usage & D3DUSAGE_DYNAMIC)) return D3DERR_INVALIDCALL;
        return LockBytes(offset, size, out);
    }
    HRESULT Unlock() override { return UnlockBytes(); }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC *desc) override;

    DWORD usage, fvf;
};

class IndexBuffer final : public IDirect3DIndexBuffer9, public Tracked, public BufferBytes {
public:
    IndexBuffer(Device *owner, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return TrackedAddRef(); }
    ULONG Release() override { return TrackedRelease(); }
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void **out, DWORD) override { return LockBytes(offset, size, out); }
    HRESULT Unlock() override { return UnlockBytes(); }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC *desc) override;

    DWORD usage;
    D3DFORMAT format;
};

class VertexDeclaration final : public IDirect3DVertexDeclaration9, public Tracked {
public:
    VertexDeclaration(Device *owner, const D3DVERTEXELEMENT9 *elements);
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return TrackedAddRef(); }
    ULONG Release() override { return TrackedRelease(); }
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    HRESULT GetDeclaration(D3DVERTEXELEMENT9 *elements, UINT *count) override;

    std::vector<D3DVERTEXELEMENT9> elements;  // with the end marker
};

class VertexShader final : public IDirect3DVertexShader9, public Tracked {
public:
    VertexShader(Device *owner, const DWORD *code, size_t words);
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return TrackedAddRef(); }
    ULONG Release() override { return TrackedRelease(); }
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    HRESULT GetFunction(void *data, UINT *size) override;
    std::vector<DWORD> code;
};

class PixelShader final : public IDirect3DPixelShader9, public Tracked {
public:
    PixelShader(Device *owner, const DWORD *code, size_t words);
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return TrackedAddRef(); }
    ULONG Release() override { return TrackedRelease(); }
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    HRESULT GetFunction(void *data, UINT *size) override;
    std::vector<DWORD> code;
};

class SwapChain final : public IDirect3DSwapChain9 {
public:
    explicit SwapChain(Device *owner) : device(owner) {}
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Present(const RECT *src, const RECT *dst, HWND window, const RGNDATA *dirty, DWORD flags) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9 **surface) override;
    HRESULT GetDevice(IDirect3DDevice9 **out) override;
    HRESULT GetPresentParameters(D3DPRESENT_PARAMETERS *params) override;

    Device *device;
    int extRefs = 0;
};

class Direct3D9 final : public IDirect3D9 {
public:
    Direct3D9();
    ~Direct3D9() override;
    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override;
    UINT GetAdapterCount() override { return 1; }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9 *id) override;
    UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
    HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE *out) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE *mode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9 *caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                         D3DPRESENT_PARAMETERS *params, IDirect3DDevice9 **device) override;

    ULONG refs = 1;
};

// ---- the device -------------------------------------------------------------------

// Where a flexible vertex format puts each attribute (-1: absent).
struct FvfLayout {
    bool pretransformed = false;
    int position = 0;
    int normal = -1;
    int diffuse = -1;
    int specular = -1;
    int texCount = 0;
    int tex[8] = {};
    int size = 0;
};
bool ParseFvf(DWORD fvf, FvfLayout &out);
// Triangles (three vertex numbers each) of a list, strip or fan; false for other types.
bool AssembleTriangles(D3DPRIMITIVETYPE type, UINT count, const uint32_t *order, std::vector<uint32_t> &list);

// Fixed-function vertex after fetch, in screen space.
struct RasterVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float tex[8][2];
};


struct LightSlot {
    D3DLIGHT9 light{};
    BOOL enabled = FALSE;
};

struct DeviceState {
    DWORD rs[D3D9_RENDER_STATE_COUNT];
    DWORD tss[8][D3D9_STAGE_STATE_COUNT];
    DWORD ss[8][D3D9_SAMPLER_STATE_COUNT];
    Texture *textures[8] = {};
    Surface *renderTarget = nullptr;
    Surface *depth = nullptr;
    D3DVIEWPORT9 viewport{};
    RECT scissor{};
    std::map<DWORD, D3DMATRIX> transforms;
    D3DMATERIAL9 material{};
    std::map<DWORD, LightSlot> lights;
    DWORD fvf = 0;
    VertexDeclaration *decl = nullptr;
    VertexShader *vs = nullptr;
    PixelShader *ps = nullptr;
    std::vector<float> vsConstF = std::vector<float>(256 * 4);
    std::vector<float> psConstF = std::vector<float>(32 * 4);
    BOOL vsConstB[16] = {};
    BOOL psConstB[16] = {};
    VertexBuffer *stream = nullptr;
    UINT streamOffset = 0;
    UINT streamStride = 0;
    IndexBuffer *indices = nullptr;
};

enum class LossState { Operational, Lost, NotReset };

class Device final : public IDirect3DDevice9 {
public:
    Device(Direct3D9 *d3d, HWND window, DWORD behaviour, const D3DPRESENT_PARAMETERS &params);
    ~Device() override;
    bool Valid() const { return backBuffer != nullptr; }

    HRESULT QueryInterface(REFIID iid, void **out) override;
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override;

    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT GetDirect3D(IDirect3D9 **out) override;
    HRESULT GetDeviceCaps(D3DCAPS9 *caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE *mode) override;
    HRESULT GetSwapChain(UINT index, IDirect3DSwapChain9 **out) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS *params) override;
    HRESULT Present(const RECT *src, const RECT *dst, HWND window, const RGNDATA *dirty) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9 **out) override;
    void SetDialogBoxMode(BOOL enable) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9 **out, HANDLE *shared) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9 **out,
                               HANDLE *shared) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9 **out, HANDLE *shared) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                               DWORD quality, BOOL lockable, IDirect3DSurface9 **out, HANDLE *shared) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD quality, BOOL discard, IDirect3DSurface9 **out,
                                      HANDLE *shared) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9 **out, HANDLE *shared) override;
    HRESULT UpdateSurface(IDirect3DSurface9 *src, const RECT *srcRect, IDirect3DSurface9 *dst,
                          const POINT *dstPoint) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9 *renderTarget, IDirect3DSurface9 *dst) override;
    HRESULT StretchRect(IDirect3DSurface9 *src, const RECT *srcRect, IDirect3DSurface9 *dst, const RECT *dstRect,
                        D3DTEXTUREFILTERTYPE filter) override;
    HRESULT ColorFill(IDirect3DSurface9 *surface, const RECT *rect, D3DCOLOR colour) override;
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9 *surface) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9 **out) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9 *surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9 **out) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX *matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX *matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9 *viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9 *viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9 *material) override;
    HRESULT GetMaterial(D3DMATERIAL9 *material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9 *light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT9 *light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL *enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD *value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9 **out) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD *value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD *value) override;
    HRESULT SetScissorRect(const RECT *rect) override;
    HRESULT GetScissorRect(RECT *rect) override;

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void *vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void *indices, D3DFORMAT indexFormat, const void *vertices,
                                   UINT stride) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9 *elements, IDirect3DVertexDeclaration9 **out) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9 *decl) override;
    HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9 **out) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD *fvf) override;
    HRESULT CreateVertexShader(const DWORD *function, IDirect3DVertexShader9 **out) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9 *shader) override;
    HRESULT GetVertexShader(IDirect3DVertexShader9 **out) override;
    HRESULT SetVertexShaderConstantF(UINT start, const float *data, UINT count) override;
    HRESULT SetVertexShaderConstantB(UINT start, const BOOL *data, UINT count) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9 *buffer, UINT offset, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9 *buffer) override;
    HRESULT CreatePixelShader(const DWORD *function, IDirect3DPixelShader9 **out) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9 *shader) override;
    HRESULT GetPixelShader(IDirect3DPixelShader9 **out) override;
    HRESULT SetPixelShaderConstantF(UINT start, const float *data, UINT count) override;
    HRESULT SetPixelShaderConstantB(UINT start, const BOOL *data, UINT count) override;

    // The shared presentation step of the device and its swap chain.
    HRESULT PresentFrame(const RECT *src, const RECT *dst, HWND window);
    void ResetStates();
    // Drops the declaration, shaders and streams (Reset and the device's end).
    void UnbindPipeline();
    bool CreateBackBuffer();
    // Binding helpers: the previous object is unbound after the new one is bound.
    template <class T>
    void Rebind(T *&slot, T *value) {
        if (slot == value) return;
        if (value) OwnerOf(value)->Bind();
        T *old = slot;
        slot = value;
        if (old) OwnerOf(old)->Unbind();
    }
    static Tracked *OwnerOf(Surface *s) { return s->Owner(); }
    static Tracked *OwnerOf(Tracked *t) { return t; }
    // Draws through the rasteriser; vertices in the current FVF from vertex 0 at `vertices`, of
    // which only [first, first + vertexCount) may be named (and are read).
    HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const uint8_t *vertices, UINT first,
                 UINT vertexCount, UINT stride, const void *indices, D3DFORMAT indexFormat, INT baseVertex);

    ULONG refs = 1;
    Direct3D9 *d3d;
    HWND window;
    DWORD behaviour;
    D3DPRESENT_PARAMETERS params;
    LossState loss = LossState::Operational;
    Surface *backBuffer = nullptr;
    SwapChain *swapChain = nullptr;
    DeviceState state;
    bool inScene = false;
    BOOL dialogBoxMode = FALSE;
    std::set<Tracked *> objects;  // every live object the device made
    std::vector<uint32_t> frame;  // presented pixels
    // Draw-call scratch, reused from call to call.
    std::vector<RasterVertex> scratchVertices;
    std::vector<uint32_t> scratchOrder, scratchList;
};

// Untransformed vertices: the range's vertices transformed, lit and fogged, the primitives
// assembled from `order` (indices into the range), clipped against the near and far planes and
// rasterised.
void TransformAndRaster(Device &device, D3DPRIMITIVETYPE type, UINT count, const FvfLayout &layout,
                        const uint8_t *vertices, UINT vertexCount, UINT stride, const uint32_t *order);

// The last draw's processed vertices, kept where the test face reads them.
using ProcessedVertex = D3D9TestProcessedVertex;
std::vector<ProcessedVertex> &ProcessedVertexStore();

// Texture coordinates through each stage's texture transform, where one is enabled.
void ApplyTextureTransforms(const DeviceState &s, RasterVertex *v, size_t count);

// Draws triangles (three vertices each) with the device's current state.
void RasterTriangles(Device &device, const RasterVertex *vertices, const uint32_t *indices, size_t triangles,
                     bool flatFirstVertex);
void RasterPoints(Device &device, const RasterVertex *vertices, size_t count);
void RasterLines(Device &device, const RasterVertex *vertices, const uint32_t *indices, size_t lines);

}  // namespace d3d9
