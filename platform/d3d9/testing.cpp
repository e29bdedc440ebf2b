// The test face of the Direct3D 9 stand-in: scripts, recorded calls, read-back.
#include "platform/d3d9/internal.h"
#include "platform/d3d9/span_kernels.h"
#include "platform/d3d9/module.h"
#include "platform/testing/d3d9.h"
#include "platform/gdi32/gdi32.h"
#include "platform/user32/user32.h"

namespace d3d9 {

namespace {

struct Failure {
    int count;
    HRESULT result;
};

D3DCAPS9 DefaultCaps() {
    D3DCAPS9 c{};
    c.DeviceType = D3DDEVTYPE_HAL;
    c.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_BLENDOP;
    c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_SCISSORTEST |
                   D3DPRASTERCAPS_DEPTHBIAS;
    c.ZCmpCaps = 0xFF;
    c.SrcBlendCaps = 0x7FF;
    c.DestBlendCaps = 0x7FF;
    c.AlphaCmpCaps = 0xFF;
    c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA |
                    D3DPTEXTURECAPS_MIPMAP;
    c.TextureFilterCaps = 0x03030300;
    c.TextureAddressCaps = 0x7;
    c.MaxTextureWidth = 4096;
    c.MaxTextureHeight = 4096;
    c.MaxTextureRepeat = 8192;
    c.MaxTextureAspectRatio = 4096;
    c.MaxAnisotropy = 1;
    c.MaxVertexW = 1e10f;
    c.GuardBandLeft = -4194304.0f;
    c.GuardBandTop = -4194304.0f;
    c.GuardBandRight = 4194304.0f;
    c.GuardBandBottom = 4194304.0f;
    c.FVFCaps = 8;
    c.TextureOpCaps = 0x0001FFFF;
    c.MaxTextureBlendStages = 8;
    c.MaxSimultaneousTextures = 8;
    c.MaxActiveLights = 8;
    c.MaxPointSize = 1.0f;
    c.MaxPrimitiveCount = 0xFFFFF;
    c.MaxVertexIndex = 0xFFFFF;
    c.MaxStreams = 1;
    c.MaxStreamStride = 255;
    // Below shader model 2.0, so the library takes the fixed-function path.
    c.VertexShaderVersion = D3DVS_VERSION(1, 1);
    c.MaxVertexShaderConst = 96;
    c.PixelShaderVersion = D3DPS_VERSION(1, 1);
    c.PixelShader1xMaxValue = 1.0f;
    return c;
}

struct TestState {
    bool recording = false;
    std::vector<std::string> calls;
    std::map<std::string, Failure> failures;
    bool entryHidden = false;
    std::map<std::pair<DWORD, D3DFORMAT>, bool> formatOverrides;
    std::map<D3DFORMAT, bool> depthOverrides;
    D3DCAPS9 caps = DefaultCaps();
    bool desktopSet = false;  // else the window manager's display mode
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    D3DFORMAT sixteenBit = D3DFMT_R5G6B5;
    bool pacing = true;
    bool videoSurfaces = false;
    int rasterPaths = kRasterAvx2;
    int presents = 0;
    D3D9TestFrame last;
    std::vector<D3D9TestProcessedVertex> processed;
    int live = 0;
};

TestState &State() {
    static TestState state;
    return state;
}

bool DefaultFormatSupport(DWORD usage, D3DFORMAT f) {
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return f == D3DFMT_D16 || f == D3DFMT_D24X8 || f == D3DFMT_D32 || f == D3DFMT_D24S8;
    bool rt = f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4 ||
              f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8;
    if (usage & D3DUSAGE_RENDERTARGET) return rt;
    return rt || f == D3DFMT_X4R4G4B4 || f == D3DFMT_A8R3G3B2 || f == D3DFMT_R3G3B2 || f == D3DFMT_A8 ||
           f == D3DFMT_A8B8G8R8 || f == D3DFMT_X8B8G8R8 || f == D3DFMT_A2R10G10B10 || f == D3DFMT_A2B10G10R10 ||
           IsBlockFormat(f);
}

}  // namespace

std::set<Device *> &LiveDevices() {
    static std::set<Device *> devices;
    return devices;
}

bool Recording() { return State().recording; }
void RecordText(std::string text) { State().calls.push_back(std::move(text)); }

HRESULT ScriptedFailure(const char *call) {
    auto &failures = State().failures;
    if (failures.empty()) return S_OK;
    auto it = failures.find(call);
    if (it == failures.end() || it->second.count == 0) return S_OK;
    HRESULT result = it->second.result;
    if (it->second.count > 0 && --it->second.count == 0) failures.erase(it);
    return result;
}

bool FormatSupported(DWORD usage, D3DFORMAT format) {
    DWORD kind = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL);
    auto it = State().formatOverrides.find({kind, format});
    if (it != State().formatOverrides.end()) return it->second;
    return DefaultFormatSupport(kind, format);
}

bool BackBufferFormatSupported(D3DFORMAT format) { return DefaultFormatSupport(D3DUSAGE_RENDERTARGET, format); }

bool DepthMatches(D3DFORMAT format) {
    auto it = State().depthOverrides.find(format);
    if (it != State().depthOverrides.end()) return it->second;
    return DefaultFormatSupport(D3DUSAGE_DEPTHSTENCIL, format);
}

const D3DCAPS9 &CurrentCaps() { return State().caps; }
D3DDISPLAYMODE DesktopMode() {
    if (State().desktopSet) return State().desktop;
    // The display's current mode, as the window manager keeps it.
    D3DDISPLAYMODE mode = State().desktop;
    if (HDC dc = GetDC(nullptr)) {
        int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES), bits = GetDeviceCaps(dc, BITSPIXEL);
        int rate = GetDeviceCaps(dc, VREFRESH);
        ReleaseDC(nullptr, dc);
        if (w > 0 && h > 0) {
            mode.Width = (UINT)w;
            mode.Height = (UINT)h;
            mode.RefreshRate = rate > 0 ? (UINT)rate : 60;
            mode.Format = bits == 16 ? SixteenBitModeFormat() : D3DFMT_X8R8G8B8;
        }
    }
    return mode;
}
D3DFORMAT SixteenBitModeFormat() { return State().sixteenBit; }
bool EntryPointHidden() { return State().entryHidden; }
bool PacingOn() { return State().pacing; }
bool VideoSurfacesAllowed() { return State().videoSurfaces; }
int RasterPathLimit() { return State().rasterPaths; }
int &LiveObjectCount() { return State().live; }

namespace {
D3D9PresentHook hook = nullptr;
}

D3D9PresentHook PresentHook() { return hook; }

std::vector<ProcessedVertex> &ProcessedVertexStore() { return State().processed; }

void NotePresented(const D3D9PresentedFrame &frame, bool opaque) {
    TestState &s = State();
    ++s.presents;
    s.last.width = frame.width;
    s.last.height = frame.height;
    s.last.pixels.resize((size_t)frame.width * frame.height);
    for (int y = 0; y < frame.height; ++y) {
        const uint32_t *from = frame.pixels + (size_t)y * frame.pitchPixels;
        uint32_t *to = s.last.pixels.data() + (size_t)y * frame.width;
        memcpy(to, from, (size_t)frame.width * 4);
        if (opaque) SetTopBytes(to, frame.width);
    }
    s.last.source = frame.source;
    s.last.dest = frame.dest;
    s.last.hasDest = frame.hasDest;
}

}  // namespace d3d9

using namespace d3d9;

void D3D9SetPresentHook(D3D9PresentHook newHook) { d3d9::hook = newHook; }

void D3D9TestReset() {
    int live = State().live;
    State() = TestState();
    State().live = live;
}

void D3D9TestRecordCalls(bool on) { State().recording = on; }

void D3D9TestAllowVideoSurfaces(bool on) { State().videoSurfaces = on; }

std::vector<std::string> D3D9TestTakeCalls() {
    std::vector<std::string> out;
    out.swap(State().calls);
    return out;
}

void D3D9TestFailCall(const std::string &call, int count, HRESULT result) {
    if (count == 0)
        State().failures.erase(call);
    else
        State().failures[call] = Failure{count, result};
}

void D3D9TestHideEntryPoint(bool hidden) { State().entryHidden = hidden; }

void D3D9TestSetFormatSupport(DWORD usage, D3DFORMAT format, bool supported) {
    State().formatOverrides[{usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL), format}] = supported;
}

void D3D9TestSetDepthMatch(D3DFORMAT depthFormat, bool matches) { State().depthOverrides[depthFormat] = matches; }

D3DCAPS9 &D3D9TestCaps() { return State().caps; }

void D3D9TestSetDesktop(UINT width, UINT height, D3DFORMAT format, UINT refreshRate) {
    State().desktop = D3DDISPLAYMODE{width, height, refreshRate, format};
    State().desktopSet = true;
}

void D3D9TestSetSixteenBitModeFormat(D3DFORMAT format) { State().sixteenBit = format; }

void D3D9TestSetPacing(bool on) { State().pacing = on; }
static_assert((int)D3D9_RASTER_GENERAL == kRasterGeneral && (int)D3D9_RASTER_AVX2 == kRasterAvx2);
void D3D9TestLimitRasterPaths(D3D9RasterPaths fastest) { State().rasterPaths = (int)fastest; }
int D3D9TestPresentCount() { return State().presents; }
D3D9TestFrame D3D9TestLastFrame() { return State().last; }

std::vector<uint32_t> D3D9TestReadSurface(IDirect3DSurface9 *surface) {
    std::vector<uint32_t> out;
    if (surface) static_cast<Surface *>(surface)->image.ToArgb(out);
    return out;
}

uint32_t D3D9TestReadPixel(IDirect3DSurface9 *surface, int x, int y) {
    if (!surface) return 0;
    const Image &image = static_cast<Surface *>(surface)->image;
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
    return image.ReadArgb(x, y);
}

float D3D9TestReadDepth(IDirect3DSurface9 *surface, int x, int y) {
    if (!surface) return 0;
    Image &image = static_cast<Surface *>(surface)->image;
    if (!image.depth || x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
    return image.DepthRow(y)[x];
}

int D3D9TestLiveObjects() { return State().live; }

std::vector<D3D9TestProcessedVertex> D3D9TestLastProcessedVertices() { return State().processed; }

std::vector<float> D3D9TestShaderConstantsF(IDirect3DDevice9 *device, bool pixel, UINT start, UINT count) {
    if (!device) return {};
    const DeviceState &s = static_cast<Device *>(device)->state;
    const std::vector<float> &f = pixel ? s.psConstF : s.vsConstF;
    if ((uint64_t)start + count > f.size() / 4) return {};
    return std::vector<float>(f.begin() + start * 4, f.begin() + (start + count) * 4);
}

std::vector<BOOL> D3D9TestShaderConstantsB(IDirect3DDevice9 *device, bool pixel, UINT start, UINT count) {
    if (!device) return {};
    const DeviceState &s = static_cast<Device *>(device)->state;
    const BOOL *b = pixel ? s.psConstB : s.vsConstB;
    if ((uint64_t)start + count > 16) return {};
    return std::vector<BOOL>(b + start, b + start + count);
}

void D3D9TestLoseDevice() {
    for (Device *device : LiveDevices()) device->loss = LossState::Lost;
}

void D3D9TestMakeDeviceResettable() {
    for (Device *device : LiveDevices())
        if (device->loss == LossState::Lost) device->loss = LossState::NotReset;
}

bool D3D9ModuleLoadRefused() { return ScriptedFailure("LoadLibraryA:d3d9.dll") != S_OK; }
bool D3D9EntryPointHidden() { return EntryPointHidden(); }
