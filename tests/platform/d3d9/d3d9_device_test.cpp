// The Direct3D 9 object and device: loading, scripted answers, reference counts,
// device loss and Reset, recorded calls, presentation.
#include "platform/d3d9/present.h"
#include "platform/kernel32/libloaderapi.h"
#include "tests/platform/d3d9/d3d9_fixture.h"

namespace {

typedef IDirect3D9 *(*CreateFn)(UINT);

class D3D9Object : public ::testing::Test {
protected:
    void SetUp() override {
        D3D9TestReset();
        D3D9TestSetPacing(false);
    }
    void TearDown() override { EXPECT_EQ(D3D9TestLiveObjects(), 0); }
};

TEST_F(D3D9Object, ModuleLoadingResolvesTheEntryPoint) {
    HMODULE module = LoadLibraryA("D3D9.DLL");
    ASSERT_NE(module, nullptr);
    CreateFn create = reinterpret_cast<CreateFn>(reinterpret_cast<void *>(GetProcAddress(module, "Direct3DCreate9")));
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(GetProcAddress(module, "Direct3DCreate9Ex"), nullptr);
    IDirect3D9 *d3d = create(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->Release(), 0u);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);

    D3D9TestHideEntryPoint(true);
    module = LoadLibraryA("d3d9.dll");
    EXPECT_EQ(GetProcAddress(module, "Direct3DCreate9"), nullptr);
    FreeLibrary(module);
    D3D9TestFailCall("LoadLibraryA:d3d9.dll", 1);
    EXPECT_EQ(LoadLibraryA("d3d9.dll"), nullptr);
    D3D9TestFailCall("Direct3DCreate9", 1);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
}

TEST_F(D3D9Object, ScriptedFormatAnswersCapsAndModes) {
    IDirect3D9 *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    auto check = [&](DWORD usage, D3DFORMAT f) {
        return d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, D3DRTYPE_TEXTURE, f);
    };
    for (D3DFORMAT f : {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8,
                        D3DFMT_A1R5G5B5, D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
        EXPECT_EQ(check(0, f), D3D_OK) << f;
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DFMT_DXT1), D3DERR_NOTAVAILABLE);
    D3D9TestSetFormatSupport(0, D3DFMT_A4R4G4B4, false);
    EXPECT_EQ(check(0, D3DFMT_A4R4G4B4), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DFMT_A4R4G4B4), D3D_OK);
    D3D9TestSetFormatSupport(D3DUSAGE_RENDERTARGET, D3DFMT_A4R4G4B4, false);
    EXPECT_EQ(check(D3DUSAGE_RENDERTARGET, D3DFMT_A4R4G4B4), D3DERR_NOTAVAILABLE);

    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
    D3D9TestSetDepthMatch(D3DFMT_D16, false);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16),
              D3DERR_NOTAVAILABLE);

    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_LT(caps.VertexShaderVersion & 0xFFFF, 0x0200u);
    EXPECT_LT(caps.PixelShaderVersion & 0xFFFF, 0x0200u);
    EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP);
    D3D9TestCaps().PixelShaderVersion = D3DPS_VERSION(2, 0);
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.PixelShaderVersion, D3DPS_VERSION(2, 0));

    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    D3D9TestSetDesktop(800, 600, D3DFMT_R5G6B5, 75);
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
    EXPECT_GT(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), 0u);
    D3D9TestSetSixteenBitModeFormat(D3DFMT_X1R5G5B5);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), 0u);

    D3DADAPTER_IDENTIFIER9 id;
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_GT(strlen(id.Driver), 0u);
    EXPECT_GT(strlen(id.Description), 0u);
    d3d->Release();
}

D3DPRESENT_PARAMETERS WindowParams() {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 32;
    pp.BackBufferHeight = 16;
    pp.BackBufferCount = 1;
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    return pp;
}

TEST_F(D3D9Object, CreateDeviceFailsAsScriptedAndTakesTheDesktopFormat) {
    IDirect3D9 *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3D9TestRecordCalls(true);
    D3D9TestFailCall("CreateDevice", 1, D3DERR_NOTAVAILABLE);
    D3DPRESENT_PARAMETERS pp = WindowParams();
    IDirect3DDevice9 *dev = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MIXED_VERTEXPROCESSING, &pp, &dev),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(dev, nullptr);
    D3D9TestSetDesktop(1024, 768, D3DFMT_R5G6B5, 60);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
    std::vector<std::string> calls = D3D9TestTakeCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "CreateDevice(0, 1, null, 128)");
    EXPECT_EQ(calls[1], "CreateDevice(0, 1, null, 32)");
    IDirect3DSurface9 *bb = nullptr;
    ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
    D3DSURFACE_DESC desc;
    bb->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(desc.Width, 32u);
    bb->Release();
    EXPECT_EQ(dev->Release(), 0u);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST_F(D3D9Object, ReferenceCountsKeepObjectsAndDeviceAlive) {
    IDirect3D9 *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = WindowParams();
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    IDirect3DDevice9 *dev = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
    IDirect3DTexture9 *t = nullptr;
    ASSERT_EQ(dev->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 5u);
    IDirect3DSurface9 *level = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(2, &level), D3D_OK);
    EXPECT_EQ(t->AddRef(), 3u);  // the level counts on its texture
    EXPECT_EQ(t->Release(), 2u);
    dev->SetTexture(0, t);
    // Released by the caller but still bound: alive until unbound.
    level->Release();
    EXPECT_EQ(t->Release(), 0u);
    int bound = D3D9TestLiveObjects();
    dev->SetTexture(0, nullptr);
    EXPECT_LT(D3D9TestLiveObjects(), bound);
    // A resource keeps its device: releasing the device first leaves both alive.
    IDirect3DVertexBuffer9 *vb = nullptr;
    ASSERT_EQ(dev->CreateVertexBuffer(256, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    EXPECT_EQ(dev->Release(), 1u);
    IDirect3DDevice9 *again = nullptr;
    ASSERT_EQ(vb->GetDevice(&again), D3D_OK);
    EXPECT_EQ(again, dev);
    again->Release();
    EXPECT_EQ(vb->Release(), 0u);  // frees the buffer and then the device
    EXPECT_EQ(d3d->Release(), 0u);
}

using Device = D3D9Test;

TEST_F(Device, LossAndResetFollowThePlatformRules) {
    dev->EndScene();
    IDirect3DSurface9 *rt = nullptr;
    ASSERT_EQ(dev->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &rt, nullptr), D3D_OK);
    IDirect3DTexture9 *managed = MakeTexture(4, 4, [](int, int) { return 0xFFFFFFFFu; });
    D3D9TestLoseDevice();
    EXPECT_EQ(dev->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 16;
    pp.BackBufferHeight = 16;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    EXPECT_EQ(dev->Reset(&pp), D3DERR_DEVICELOST);
    D3D9TestMakeDeviceResettable();
    EXPECT_EQ(dev->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    // Default-pool surfaces and references to the back buffer must go first.
    EXPECT_EQ(dev->Reset(&pp), D3DERR_INVALIDCALL);
    rt->Release();
    EXPECT_EQ(dev->Reset(&pp), D3DERR_INVALIDCALL);
    back->Release();
    ASSERT_EQ(dev->Reset(&pp), D3D_OK);
    EXPECT_EQ(dev->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 16u);
    // Managed resources survive; states are back at their defaults.
    EXPECT_EQ(managed->GetLevelCount(), 1u);
    DWORD cull = 0;
    dev->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, D3DCULL_CCW);
    ASSERT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
}

TEST_F(Device, RecordsCallsAndScriptsFailures) {
    D3D9TestRecordCalls(true);
    dev->SetRenderState(D3DRS_ZENABLE, TRUE);
    dev->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    dev->SetTexture(0, nullptr);
    std::vector<std::string> calls = D3D9TestTakeCalls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], "SetRenderState(7, 1)");
    EXPECT_EQ(calls[1], "SetTextureStageState(1, 1, 4)");
    EXPECT_EQ(calls[2], "SetSamplerState(0, 1, 3)");
    EXPECT_EQ(calls[3], "SetTexture(0, null)");
    D3D9TestFailCall("StretchRect", 1);
    dev->EndScene();
    EXPECT_EQ(dev->StretchRect(back, nullptr, back, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    D3D9TestFailCall("Present", -1, D3DERR_DEVICELOST);
    EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3D9TestFailCall("Present", 0);
    EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    dev->BeginScene();
}

TEST_F(Device, DrawingNeedsAScene) {
    dev->EndScene();
    EXPECT_EQ(ColourQuad(0, 0, 4, 4, 0xFFFFFFFFu), D3DERR_INVALIDCALL);
    EXPECT_EQ(dev->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(dev->BeginScene(), D3D_OK);
    EXPECT_EQ(dev->BeginScene(), D3DERR_INVALIDCALL);
}

TEST_F(Device, PresentHandsTheFrameToTheHostAndReadBack) {
    static int hooked = 0;
    static uint32_t firstPixel = 0;
    hooked = 0;
    D3D9SetPresentHook([](const D3D9PresentedFrame &f) {
        ++hooked;
        firstPixel = f.pixels[0];
        return true;
    });
    ColourQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0xFF123456u);
    dev->EndScene();
    RECT src{0, 0, 32, 24}, dst{0, 0, 64, 48};
    ASSERT_EQ(dev->Present(&src, &dst, nullptr, nullptr), D3D_OK);
    D3D9SetPresentHook(nullptr);
    EXPECT_EQ(hooked, 1);
    EXPECT_EQ(firstPixel & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(D3D9TestPresentCount(), 1);
    D3D9TestFrame frame = D3D9TestLastFrame();
    EXPECT_EQ(frame.width, (int)kWidth);
    EXPECT_EQ(frame.source.right, 32);
    EXPECT_TRUE(frame.hasDest);
    EXPECT_EQ(frame.pixels[0] & 0xFFFFFF, 0x123456u);
    // The swap chain presents the same way.
    IDirect3DSwapChain9 *chain = nullptr;
    ASSERT_EQ(dev->GetSwapChain(0, &chain), D3D_OK);
    EXPECT_EQ(chain->Present(nullptr, nullptr, nullptr, nullptr, 0), D3D_OK);
    EXPECT_EQ(D3D9TestPresentCount(), 2);
    chain->Release();
    dev->BeginScene();
}

TEST_F(Device, PacedPresentWaitsForTheNextTick) {
    dev->EndScene();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 8;
    pp.BackBufferHeight = 8;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    back->Release();
    ASSERT_EQ(dev->Reset(&pp), D3D_OK);
    dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    D3D9TestSetPacing(true);
    timespec a, b;
    clock_gettime(CLOCK_MONOTONIC, &a);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    clock_gettime(CLOCK_MONOTONIC, &b);
    double elapsed = (b.tv_sec - a.tv_sec) + (b.tv_nsec - a.tv_nsec) * 1e-9;
    EXPECT_GT(elapsed, 2.0 / 60.0);
    D3D9TestSetPacing(false);
    dev->BeginScene();
}

}  // namespace

namespace {

TEST_F(D3D9Object, AdapterModeFollowsTheVirtualDisplay) {
    PlatformTestSetDesktop(800, 600, 16);
    IDirect3D9 *d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_EQ(mode.Height, 600u);
    EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
    PlatformTestSetDesktop(640, 480, 32);
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    d3d->Release();
    PlatformTestResetWindowManager();
}

}  // namespace
