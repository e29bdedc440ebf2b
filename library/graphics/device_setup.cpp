// Bringing the display device up and taking it down: d3d9.dll, the DirectDraw object, the
// Direct3D object and device, the depth buffer, and the display-mode change of the software path.
#include "library/base/log.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/device_links.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/render_state.h"
#include "library/graphics/shader_pack.h"
#include "platform/com/com.h"
#include "platform/kernel32/libloaderapi.h"
#include "platform/user32/user32.h"

#include <cstring>

namespace {

template <class T>
void ReleaseSlot(T *&slot) {
    if (slot) slot->Release();
    slot = nullptr;
}

int BitsOfFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_X8R8G8B8: return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return 16;
    default: return 0;
    }
}

// At least `side`; 1 for nothing.
int PowerOfTwoAtLeast(int side) {
    int p = 1;
    while (p < side) p <<= 1;
    return p;
}

void ReleaseDirect3DParts() {
    ReleaseSlot(g_deviceState.depthSurface);
    ReleaseSlot(g_deviceState.subBackBuffer);
    ReleaseSlot(g_deviceState.backBuffer);
    ReleaseSlot(g_deviceState.swapChain);
    ReleaseSlot(g_deviceState.device);
    ReleaseSlot(g_deviceState.direct3D);
}

// The software path in full screen: the display itself changes mode.
int ChangeDisplayModeForSoftware() {
    SCREENSETUP &s = g_screenSetup;
    int desktopWidth, desktopHeight, desktopBits;
    GetDesktopSize(&desktopWidth, &desktopHeight, &desktopBits);
    WriteLogFmt("画面モードの変更処理を開始します %u x %u  %u bit ", (unsigned)s.width, (unsigned)s.height,
                (unsigned)s.bits);
    if (s.bits != 16 && s.bits != 32) return -1;
    RaiseLogIndent();
    WriteLog("画面解像度を変更します... ");

    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = 156;
    mode.dmBitsPerPel = s.bits;
    mode.dmPelsWidth = s.width;
    mode.dmPelsHeight = s.height;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (s.refresh != 0) {
        mode.dmFields |= DM_DISPLAYFREQUENCY;
        mode.dmDisplayFrequency = s.refresh;
    }
    LONG result = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    if (result != DISP_CHANGE_SUCCESSFUL) {
        mode.dmFields &= ~DM_DISPLAYFREQUENCY;
        mode.dmDisplayFrequency = 0;
        s.refresh = 0;
        result = ChangeDisplaySettingsA(&mode, 0);
    }
    if (result != DISP_CHANGE_SUCCESSFUL && s.width == 320 && s.height == 240) {
        // A display without 320 x 240 shows it doubled on 640 x 480.
        s.width = 640;
        s.height = 480;
        g_drawState.emulation320 = 1;
        mode.dmPelsWidth = 640;
        mode.dmPelsHeight = 480;
        result = ChangeDisplaySettingsA(&mode, 0);
        if (result == DISP_CHANGE_SUCCESSFUL) ApplyWindowStyle();
    }
    if (result != DISP_CHANGE_SUCCESSFUL) {
        WriteLog("画面モードの変更に失敗しました\n");
        LowerLogIndent();
        return -1;
    }
    WriteLog("成功しました\n");
    LowerLogIndent();
    return 0;
}

}  // namespace

int SetupDisplayDevice() {
    DEVICESTATE &d = g_deviceState;
    d.d3d9Module = LoadLibraryA("d3d9.dll");
    if (!d.d3d9Module) {
        WriteLog("d3d9.dll の読み込みに失敗しました\n");
        return -1;
    }
    if (CreateDirectDrawObject() < 0) {
        FreeLibrary(d.d3d9Module);
        d.d3d9Module = nullptr;
        return -1;
    }

    if (!g_screenSetup.softwareOnly) {
        g_screenSetup.direct3D = 0;
        if (CreateDirect3DObject() == 0 && CreateDirect3DDevice() == 0 && CreateDepthBuffer() == 0) {
            g_screenSetup.direct3D = 1;
            SetupProgrammableShaders();
            if (d.programmableShaders) CreateVertexDeclarations();
            return 0;
        }
        // The back buffer and swap chain go too, or the device would outlive this.
        ReleaseDirect3DParts();
    }
    g_screenSetup.direct3D = 0;

    if (IsWindowMode()) return 0;
    return ChangeDisplayModeForSoftware();
}

int CreateDirectDrawObject() {
    DEVICESTATE &d = g_deviceState;
    ReleaseSlot(d.directDraw);
    WriteLog("DirectDraw オブジェクトの取得を行います....  ");
    void *object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DirectDraw7, nullptr, 7, IID_IDirectDraw7, &object)) || !object) {
        WriteLog("オブジェクトの取得に失敗しました\n");
        return -1;
    }
    d.directDraw = static_cast<IDirectDraw7 *>(object);
    WriteLog("成功\n");
    WriteLog("引き続き初期化処理... ");
    if (FAILED(d.directDraw->Initialize(nullptr))) {
        WriteLog("DirectDrawオブジェクトの初期化に失敗しました\n");
        ReleaseSlot(d.directDraw);
        return -1;
    }
    WriteLog("初期化に成功しました\n");
    d.directDraw->SetCooperativeLevel(GetMainWindow(), DDSCL_NORMAL);
    return 0;
}

int CreateDirect3DObject() {
    DEVICESTATE &d = g_deviceState;
    ReleaseSlot(d.direct3D);
    WriteLog("IDirect3D9 オブジェクトを取得します.... ");
    typedef IDirect3D9 *(*CREATE9)(UINT);
    FARPROC entry = GetProcAddress(d.d3d9Module, "Direct3DCreate9");
    CREATE9 create = reinterpret_cast<CREATE9>(reinterpret_cast<void *>(entry));
    if (!create) {
        WriteLog("Direct3DCreate9 APIのアドレス取得に失敗しました\n");
        return -1;
    }
    d.direct3D = create(D3D_SDK_VERSION);
    if (!d.direct3D) {
        WriteLog("IDirect3D9 オブジェクトの取得に失敗しました\n");
        return -1;
    }
    WriteLog("成功\n");
    return 0;
}

int CreateDirect3DDevice() {
    DEVICESTATE &d = g_deviceState;
    SCREENSETUP &s = g_screenSetup;
    if (!d.direct3D) return -1;
    ReleaseSlot(d.backBuffer);
    ReleaseSlot(d.swapChain);
    ReleaseSlot(d.device);
    WriteLog("IDirect3DDevice9 オブジェクトを取得します.... ");

    HWND window = GetMainWindow();
    D3DPRESENT_PARAMETERS pp;
    std::memset(&pp, 0, sizeof pp);
    pp.BackBufferWidth = s.width;
    pp.BackBufferHeight = s.height;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.hDeviceWindow = window;
    pp.EnableAutoDepthStencil = FALSE;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.PresentationInterval = g_drawState.vsyncWaitOff ? D3DPRESENT_INTERVAL_IMMEDIATE : D3DPRESENT_INTERVAL_ONE;
    if (IsWindowMode()) {
        D3DDISPLAYMODE desktop{};
        d.direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop);
        pp.BackBufferFormat = desktop.Format;
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        if (int bits = BitsOfFormat(desktop.Format)) s.bits = bits;
    } else {
        if (s.bits == 16) {
            pp.BackBufferFormat =
                d.direct3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_R5G6B5) >= 1 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
        } else if (s.bits == 32) {
            pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        } else {
            WriteLog("非対応のバックバッファービット深度が指定されました\n");
            return -1;
        }
        pp.Windowed = FALSE;
        pp.FullScreen_RefreshRateInHz = s.refresh;
        pp.SwapEffect = g_drawState.emulation320 ? D3DSWAPEFFECT_COPY : D3DSWAPEFFECT_DISCARD;
    }

    D3DCAPS9 caps{};
    d.direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    d.shaderCapable = (caps.VertexShaderVersion & 0xFFFF) >= 0x0200 && (caps.PixelShaderVersion & 0xFFFF) >= 0x0200;
    DWORD behaviour = d.shaderCapable ? D3DCREATE_MIXED_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    D3DPRESENT_PARAMETERS tried = pp;
    if (SUCCEEDED(d.direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, behaviour, &tried,
                                           &d.device))) {
        WriteLog("ハードウエア頂点演算を使用します\n");
    } else {
        d.shaderCapable = 0;
        d.device = nullptr;
        tried = pp;
        if (FAILED(d.direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &tried, &d.device))) {
            d.device = nullptr;
            WriteLog("Direct3DDevice9 の作成に失敗しました\n");
            return -1;
        }
        WriteLog("ソフトウエア頂点演算を使用します\n");
    }

    ClearRenderStateShaderWords();
    IDirect3DDevice9 *dev = d.device;
    dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    D3DCOLOR background = static_cast<D3DCOLOR>(GetWindowBackgroundColour()) & 0xFFFFFFu;
    for (int i = 0; i < 4; ++i) {
        dev->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
        if (i < 3) dev->Present(nullptr, nullptr, window, nullptr);
    }
    dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &d.backBuffer);
    dev->GetSwapChain(0, &d.swapChain);
    WriteLog("成功\n");

    dev->GetDeviceCaps(&d.caps);
    d.vertexShaderUsable = d.shaderCapable && (d.caps.VertexShaderVersion & 0xFFFF) >= 0x0200;
    d.pixelShaderUsable = d.shaderCapable && (d.caps.PixelShaderVersion & 0xFFFF) >= 0x0200;
    d.separateAlphaBlend = (d.caps.PrimitiveMiscCaps & 0x800) != 0;
    int maxWidth = d.caps.MaxTextureWidth ? static_cast<int>(d.caps.MaxTextureWidth) : 256;
    int maxHeight = d.caps.MaxTextureHeight ? static_cast<int>(d.caps.MaxTextureHeight) : 256;
    d.maxTextureSize = maxWidth < maxHeight ? maxWidth : maxHeight;
    // A value no setter stores, so the next setter call reaches the device.
    g_renderState.diffuseSource = 255;
    g_renderState.specularSource = 255;

    D3DADAPTER_IDENTIFIER9 id;
    std::memset(&id, 0, sizeof id);
    d.direct3D->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &id);
    WriteLogFmt("Driver:%s  Description:%s", id.Driver, id.Description);

    D3DSURFACE_DESC desc{};
    if (d.backBuffer) d.backBuffer->GetDesc(&desc);
    g_deviceFormats.screen = desc.Format;
    switch (desc.Format) {
    case D3DFMT_X8R8G8B8: WriteLogFmt("画面のフォーマットは %s です", "D3DFMT_X8R8G8B8"); break;
    case D3DFMT_R5G6B5: WriteLogFmt("画面のフォーマットは %s です", "D3DFMT_R5G6B5"); break;
    case D3DFMT_X1R5G5B5: WriteLogFmt("画面のフォーマットは %s です", "D3DFMT_X1R5G5B5"); break;
    default: WriteLogFmt("バックバッファが対応していないフォーマット %d です", static_cast<int>(desc.Format)); break;
    }
    return ChooseDeviceFormats();
}

int CreateDepthBuffer() {
    DEVICESTATE &d = g_deviceState;
    if (!d.device) return -1;
    ReleaseSlot(d.depthSurface);
    WriteLog("Ｚバッファを作成します.... ");
    d.depthWidth = PowerOfTwoAtLeast(g_screenSetup.width);
    d.depthHeight = PowerOfTwoAtLeast(g_screenSetup.height);
    if (FAILED(d.device->CreateDepthStencilSurface(d.depthWidth, d.depthHeight, g_deviceFormats.depth,
                                                   D3DMULTISAMPLE_NONE, 0, TRUE, &d.depthSurface, nullptr))) {
        d.depthSurface = nullptr;
        WriteLog("Ｚバッファの作成に失敗しました\n");
        return -1;
    }
    d.device->SetDepthStencilSurface(d.depthSurface);
    d.device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    WriteLog("成功\n");
    return 0;
}

int CreateSubBackBuffer() {
    DEVICESTATE &d = g_deviceState;
    ReleaseSlot(d.subBackBuffer);
    if (!d.device) return -1;
    if (FAILED(d.device->CreateRenderTarget(g_screenSetup.width, g_screenSetup.height, g_deviceFormats.screen,
                                            D3DMULTISAMPLE_NONE, 0, FALSE, &d.subBackBuffer, nullptr))) {
        d.subBackBuffer = nullptr;
        WriteLog("サブバックバッファの作成に失敗しました\n");
        return -1;
    }
    return 0;
}

int ReleaseDisplayDevice() {
    DEVICESTATE &d = g_deviceState;
    ReleaseAllModelDeviceResources();
    ReleaseVertexDeclarations();
    ReleaseShaderObjects();
    if (!g_screenSetup.direct3D) ChangeDisplaySettingsA(nullptr, 0);
    ReleaseDirect3DParts();
    ReleaseSlot(d.directDraw);
    if (d.d3d9Module) FreeLibrary(d.d3d9Module);
    d.d3d9Module = nullptr;
    FreeDisplayModeList();
    return 0;
}
