// The display device's start and end on the Direct3D stand-in: the format report, the format
// tables under scripted answers, device creation and its retry, the software fall-back with the
// display-mode change, the mode list and the model vertex declarations.
#include "device_fixture.h"
#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/graph_bridge.h"
#include "library/graphics/memimg.h"
#include "library/graphics/render_device.h"
#include "library/graphics/render_state.h"
#include "library/graphics/screen.h"
#include "library/graphics/shader_pack.h"
#include "platform/testing/d3d9.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"
#include "tools/shaderpack/shader_pack_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

class DeviceSetup : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        g_drawState.vsyncWaitOff = 0;
    }

    // The log's lines without their stamps and indentation.
    std::vector<std::string> LogLines() const {
        const std::string all = LogBytes();
        std::vector<std::string> lines;
        size_t at = 0;
        while (at < all.size()) {
            size_t end = all.find("\r\n", at);
            if (end == std::string::npos) end = all.size();
            std::string line = all.substr(at, end - at);
            size_t colon = line.find(':');
            if (colon != std::string::npos) line = line.substr(colon + 1);
            line.erase(0, line.find_first_not_of('\t'));
            lines.push_back(line);
            at = end + 2;
        }
        return lines;
    }
    bool LogHasLine(const std::string &line) const {
        for (const std::string &l : LogLines())
            if (l == line) return true;
        return false;
    }
    bool LogHas(const std::string &text) const {
        for (const std::string &l : LogLines())
            if (l.find(text) != std::string::npos) return true;
        return false;
    }

    static std::vector<std::string> CallsStarting(const std::vector<std::string> &calls, const std::string &prefix) {
        std::vector<std::string> out;
        for (const std::string &c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    static void UseShaderModel2() {
        D3D9TestCaps().VertexShaderVersion = 0xFFFE0200u;
        D3D9TestCaps().PixelShaderVersion = 0xFFFF0200u;
    }
};

TEST_F(DeviceSetup, WindowModeLogsTheFullFormatReportAndPublishesTheDisplay) {
    D3D9TestSetDesktop(1280, 1024, D3DFMT_X8R8G8B8, 60);
    ASSERT_EQ(StartGraphics(), 0);

    // A 16-bit request on a 32-bit desktop becomes 32 bits.
    EXPECT_EQ(g_screenSetup.initialised, 1);
    EXPECT_EQ(g_screenSetup.direct3D, 1);
    EXPECT_EQ(g_screenSetup.width, 640);
    EXPECT_EQ(g_screenSetup.height, 480);
    EXPECT_EQ(g_screenSetup.bits, 32);
    const std::vector<std::string> expected = {
        "DirectDraw オブジェクトの取得を行います....  成功",
        "引き続き初期化処理... 初期化に成功しました",
        "IDirect3D9 オブジェクトを取得します.... 成功",
        "IDirect3DDevice9 オブジェクトを取得します.... ハードウエア頂点演算を使用します",
        "成功",
        "Driver:kelmor_d3d9.dll  Description:Kelmor software device",
        "画面のフォーマットは D3DFMT_X8R8G8B8 です",
        "Ｚバッファのフォーマットは D3DFMT_D16 です",
        "16bit カラーフォーマットは D_D3DFMT_R5G6B5 です",
        "32bit カラーフォーマットは D_D3DFMT_X8R8G8B8 です",
        "アルファ付き 16bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です",
        "アルファ付き 32bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です",
        "アルファテスト用 16bit カラーフォーマットは D_D3DFMT_A1R5G5B5 です",
        "アルファテスト用 32bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です",
        "ＤＸＴ１テクスチャフォーマットは D_D3DFMT_DXT1 です",
        "ＤＸＴ２テクスチャフォーマットは D_D3DFMT_DXT2 です",
        "ＤＸＴ３テクスチャフォーマットは D_D3DFMT_DXT3 です",
        "ＤＸＴ４テクスチャフォーマットは D_D3DFMT_DXT4 です",
        "ＤＸＴ５テクスチャフォーマットは D_D3DFMT_DXT5 です",
        "描画用 16bit カラーフォーマットは D_D3DFMT_R5G5B5 です",
        "描画用 32bit カラーフォーマットは D_D3DFMT_X8R8G8B8 です",
        "描画用アルファ付き 32bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です",
        "Ｚバッファを作成します.... 成功",
        "プログラマブルシェーダーを使用しません",
    };
    std::vector<std::string> lines = LogLines();
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);

    const DEVICEFORMATS &f = g_deviceFormats;
    EXPECT_EQ(f.screen, D3DFMT_X8R8G8B8);
    EXPECT_EQ(f.drawTarget, f.drawTarget32);
    EXPECT_EQ(f.alphaTest, f.alphaTest32);
    EXPECT_EQ(g_deviceState.depthWidth, 1024);
    EXPECT_EQ(g_deviceState.depthHeight, 512);
    EXPECT_EQ(g_deviceState.maxTextureSize, static_cast<int>(std::min(D3D9TestCaps().MaxTextureWidth,
                                                                     D3D9TestCaps().MaxTextureHeight)));

    // What the other graphics modules read.
    EXPECT_EQ(GetRenderDevice(), g_deviceState.device);
    EXPECT_EQ(RenderDeviceBackBuffer(), g_deviceState.backBuffer);
    EXPECT_EQ(RenderScreenBits(), 32);
    EXPECT_EQ(RenderDeviceUsesShaders(), 0);
    EXPECT_EQ(g_graphBridge.started, 1);
    EXPECT_EQ(g_graphBridge.device, g_deviceState.device);
    EXPECT_EQ(g_graphBridge.screenBits, 32);
    EXPECT_EQ(g_graphBridge.textureFormats[GRAPHFMT_ALPHATEST16], D3DFMT_A1R5G5B5);
    EXPECT_EQ(g_graphBridge.textureFormats[GRAPHFMT_DXT1 + 4], D3DFMT_DXT5);
    EXPECT_EQ(g_graphBridge.textureFormats[GRAPHFMT_DRAWABLE16], D3DFMT_X1R5G5B5);
    EXPECT_EQ(g_memImgState.screenColourBits, 32);

    // A second start does nothing; the end takes everything down.
    EXPECT_EQ(StartGraphics(), 0);
    EXPECT_EQ(ShutdownGraphics(), 0);
    EXPECT_EQ(g_screenSetup.initialised, 0);
    EXPECT_EQ(g_graphBridge.started, 0);
    EXPECT_EQ(GetRenderDevice(), nullptr);
    EXPECT_EQ(D3D9TestLiveObjects(), 0);
}

TEST_F(DeviceSetup, DeviceCreationCallsFollowThePresentSettings) {
    D3D9TestSetDesktop(1280, 1024, D3DFMT_R5G6B5, 60);
    g_drawState.vsyncWaitOff = 1;
    D3D9TestRecordCalls(true);
    ASSERT_EQ(StartGraphics(), 0);
    std::vector<std::string> calls = D3D9TestTakeCalls();
    std::vector<std::string> create = CallsStarting(calls, "CreateDevice(");
    ASSERT_EQ(create.size(), 1u);
    EXPECT_NE(create[0].find(", 32)"), std::string::npos) << create[0];  // software vertex processing
    EXPECT_EQ(g_screenSetup.bits, 16);
    EXPECT_EQ(g_deviceFormats.screen, D3DFMT_R5G6B5);
    EXPECT_EQ(g_deviceFormats.drawTarget, g_deviceFormats.drawTarget16);
    EXPECT_EQ(g_deviceFormats.drawTarget16, D3DFMT_R5G6B5);
    EXPECT_TRUE(LogHasLine("描画用 16bit カラーフォーマットは D3DFMT_R5G6B5 です"));

    // Four clears of the target, a present after each of the first three.
    int clears = 0, presents = 0, presentsBeforeLastClear = 0;
    for (const std::string &c : calls) {
        if (c.rfind("Clear(", 0) == 0 && c.find("Clear(0, null, 1,") == 0) {
            ++clears;
            presentsBeforeLastClear = presents;
        }
        if (c.rfind("Present(", 0) == 0) ++presents;
    }
    EXPECT_EQ(clears, 4);
    EXPECT_EQ(presentsBeforeLastClear, 3);
    EXPECT_EQ(CallsStarting(calls, "CreateVertexDeclaration").size(), 0u);
    D3DPRESENT_PARAMETERS pp{};
    IDirect3DSwapChain9 *chain = g_deviceState.swapChain;
    ASSERT_NE(chain, nullptr);
    ASSERT_EQ(chain->GetPresentParameters(&pp), D3D_OK);
    EXPECT_EQ(pp.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(pp.Windowed, TRUE);
    EXPECT_EQ(pp.Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_R5G6B5);
}

struct FormatCase {
    const char *name;
    D3DFORMAT desktop;
    std::vector<std::pair<DWORD, D3DFORMAT>> refused;  // usage, format
    std::vector<D3DFORMAT> depthRefused;
    std::function<D3DFORMAT()> field;
    D3DFORMAT expected;
    const char *line;  // a line the log must hold
    bool deviceUp;
};

constexpr DWORD RT = D3DUSAGE_RENDERTARGET;

TEST_F(DeviceSetup, FormatTablesTakeEveryBranch) {
    const DEVICEFORMATS &f = g_deviceFormats;
    const D3DFORMAT X8 = D3DFMT_X8R8G8B8, R565 = D3DFMT_R5G6B5, X555 = D3DFMT_X1R5G5B5, A8 = D3DFMT_A8R8G8B8,
                    A4 = D3DFMT_A4R4G4B4, A1 = D3DFMT_A1R5G5B5;
    const std::vector<FormatCase> cases = {
        {"depth second", X8, {}, {D3DFMT_D16}, [&] { return f.depth; }, D3DFMT_D24X8,
         "Ｚバッファのフォーマットは D3DFMT_D24X8 です", true},
        {"depth third", X8, {}, {D3DFMT_D16, D3DFMT_D24X8}, [&] { return f.depth; }, D3DFMT_D32,
         "Ｚバッファのフォーマットは D3DFMT_D32 です", true},
        {"no depth", X8, {}, {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D32}, [&] { return f.depth; }, 0,
         "使用できる Zバッファフォーマットが見つかりませんでした", false},
        {"16 second", X8, {{0, R565}}, {}, [&] { return f.colour16; }, X555,
         "16bit カラーフォーマットは D_D3DFMT_X1R5G5B5 です", true},
        {"no 16", X8, {{0, R565}, {0, X555}}, {}, [&] { return f.colour16; }, 0,
         "使用できる 16bit カラーフォーマットが見つかりませんでした", false},
        {"32 falls back to 16", X8, {{0, X8}}, {}, [&] { return f.colour32; }, R565,
         "32bit カラーフォーマットは D_D3DFMT_R5G6B5 です", true},
        {"alpha 16 second", X8, {{0, A4}}, {}, [&] { return f.alpha16; }, A8,
         "アルファ付き 16bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です", true},
        {"no alpha 16", X8, {{0, A4}, {0, A8}}, {}, [&] { return f.alpha16; }, 0,
         "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした", false},
        {"alpha 32 second", X8, {{0, A8}}, {}, [&] { return f.alpha32; }, A4,
         "アルファ付き 32bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です", true},
        {"alpha test 16 second", X8, {{0, A1}}, {}, [&] { return f.alphaTest16; }, A8,
         "アルファテスト用 16bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です", true},
        {"alpha test 16 third", X8, {{0, A1}, {0, A8}}, {}, [&] { return f.alphaTest16; }, A4,
         "アルファテスト用 16bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です", true},
        {"alpha test 32 second", X8, {{0, A8}}, {}, [&] { return f.alphaTest32; }, A1,
         "アルファテスト用 32bit カラーフォーマットは D_D3DFMT_A1R5G5B5 です", true},
        {"alpha test 32 third", X8, {{0, A8}, {0, A1}}, {}, [&] { return f.alphaTest32; }, A4,
         "アルファテスト用 32bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です", true},
        {"DXT1 plain", X8, {{0, D3DFMT_DXT1}}, {}, [&] { return f.dxt[0]; }, A1,
         "ＤＸＴ１テクスチャフォーマットは使えません", true},
        {"DXT3 plain", X8, {{0, D3DFMT_DXT3}}, {}, [&] { return f.dxt[2]; }, A8,
         "ＤＸＴ３テクスチャフォーマットは使えません", true},
        {"DXT5 native", X8, {}, {}, [&] { return f.dxt[4]; }, D3DFMT_DXT5,
         "ＤＸＴ５テクスチャフォーマットは D_D3DFMT_DXT5 です", true},
        {"target 16 on 565 first", R565, {}, {}, [&] { return f.drawTarget16; }, R565,
         "描画用 16bit カラーフォーマットは D3DFMT_R5G6B5 です", true},
        {"target 16 on 565 second", R565, {{RT, R565}}, {}, [&] { return f.drawTarget16; }, X555,
         "描画用 16bit カラーフォーマットは D3DFMT_R5G5B5 です", true},
        {"target 16 on 888 second", X8, {{RT, X555}}, {}, [&] { return f.drawTarget16; }, R565,
         "描画用 16bit カラーフォーマットは D_D3DFMT_R5G6B5 です", true},
        {"target 16 third", X8, {{RT, X555}, {RT, R565}}, {}, [&] { return f.drawTarget16; }, X8,
         "描画用 16bit カラーフォーマットは D_D3DFMT_X8R8G8B8 です", true},
        {"no target 16", X8, {{RT, X555}, {RT, R565}, {RT, X8}}, {}, [&] { return f.drawTarget16; }, 0,
         "使用できる描画用 16bit カラーフォーマットがありませんでした", true},
        {"target 32 second", X8, {{RT, X8}}, {}, [&] { return f.drawTarget32; }, R565,
         "描画用 32bit カラーフォーマットは D3DFMT_R5G6B5 です", true},
        {"target 32 third", X8, {{RT, X8}, {RT, R565}}, {}, [&] { return f.drawTarget32; }, X555,
         "描画用 32bit カラーフォーマットは D3DFMT_R5G5B5 です", true},
        {"no target 32", X8, {{RT, X8}, {RT, R565}, {RT, X555}}, {}, [&] { return f.drawTarget32; }, 0,
         "使用できる描画用 32bit カラーフォーマットがありませんでした", true},
        {"alpha target second", X8, {{RT, A8}}, {}, [&] { return f.alphaDrawTarget32; }, A4,
         "描画用アルファ付き 32bit カラーフォーマットは D3DFMT_A4R4G4B4 です", true},
        {"no alpha target", X8, {{RT, A8}, {RT, A4}}, {}, [&] { return f.alphaDrawTarget32; }, 0,
         "使用できる描画用アルファ付き 32bit カラーフォーマットがありませんでした", true},
        {"in use on 16 bits", X555, {}, {}, [&] { return f.alphaTest; }, A1, nullptr, true},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        D3D9TestSetDesktop(1280, 1024, c.desktop, 60);
        for (auto [usage, format] : c.refused) D3D9TestSetFormatSupport(usage, format, false);
        for (D3DFORMAT depth : c.depthRefused) D3D9TestSetDepthMatch(depth, false);
        ASSERT_EQ(StartGraphics(), 0);
        EXPECT_EQ(g_screenSetup.direct3D, c.deviceUp ? 1 : 0);
        if (c.deviceUp) {
            EXPECT_EQ(c.field(), c.expected);
        }
        if (c.line) {
            EXPECT_TRUE(LogHasLine(c.line)) << c.line;
        }
        if (!c.deviceUp) {
            // The software renderer took over: no Direct3D object is left but DirectDraw's.
            EXPECT_EQ(D3D9TestLiveObjects(), 1);
            EXPECT_EQ(GetRenderDevice(), nullptr);
            EXPECT_TRUE(IsMemImgValid(&g_softScreen.screen));
            EXPECT_EQ(g_softScreen.drawTarget, &g_softScreen.screen);
        }
    }
}

// The alpha-test candidates include both alpha ones, so the alpha field is the one that misses.
TEST_F(DeviceSetup, WithoutAlphaFormatsTheDeviceFailsAtTheFirstAlphaField) {
    D3D9TestSetFormatSupport(0, D3DFMT_A8R8G8B8, false);
    D3D9TestSetFormatSupport(0, D3DFMT_A1R5G5B5, false);
    D3D9TestSetFormatSupport(0, D3DFMT_A4R4G4B4, false);
    ASSERT_EQ(StartGraphics(), 0);
    EXPECT_EQ(g_screenSetup.direct3D, 0);
    // The first field that misses reports it; set-up stops there.
    EXPECT_TRUE(LogHasLine("使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした"));
    EXPECT_FALSE(LogHas("アルファテスト用"));
}

TEST_F(DeviceSetup, CreateDeviceIsRetriedWithSoftwareVertexProcessing) {
    struct Case {
        const char *name;
        bool shaderModel2;
        int failures;
        std::vector<std::string> behaviours;  // the last argument of each CreateDevice
        const char *line;
        bool deviceUp;
    };
    const std::vector<Case> cases = {
        {"shader-less first try", false, 0, {"32"}, "ハードウエア頂点演算を使用します", true},
        {"shader model 2 first try", true, 0, {"128"}, "ハードウエア頂点演算を使用します", true},
        {"retry after mixed", true, 1, {"128", "32"}, "ソフトウエア頂点演算を使用します", true},
        {"retry after software", false, 1, {"32", "32"}, "ソフトウエア頂点演算を使用します", true},
        {"both fail", true, 2, {"128", "32"}, "Direct3DDevice9 の作成に失敗しました", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.shaderModel2) UseShaderModel2();
        if (c.failures) D3D9TestFailCall("CreateDevice", c.failures);
        D3D9TestRecordCalls(true);
        ASSERT_EQ(StartGraphics(), 0);
        std::vector<std::string> creates = CallsStarting(D3D9TestTakeCalls(), "CreateDevice(");
        ASSERT_EQ(creates.size(), c.behaviours.size());
        for (size_t i = 0; i < creates.size(); ++i)
            EXPECT_NE(creates[i].find(", " + c.behaviours[i] + ")"), std::string::npos) << creates[i];
        EXPECT_TRUE(LogHas(c.line));
        EXPECT_EQ(g_screenSetup.direct3D, c.deviceUp ? 1 : 0);
        if (c.deviceUp) {
            // Shaders need both the capability and the first try to have worked.
            int usable = c.shaderModel2 && c.failures == 0;
            EXPECT_EQ(g_deviceState.shaderCapable, usable);
            EXPECT_EQ(g_deviceState.vertexShaderUsable, usable);
            EXPECT_EQ(g_deviceState.pixelShaderUsable, usable);
        }
    }
}

TEST_F(DeviceSetup, ShaderLessDeviceRunsFixedFunction) {
    D3D9TestRecordCalls(true);
    ASSERT_EQ(StartGraphics(), 0);
    std::vector<std::string> calls = D3D9TestTakeCalls();
    EXPECT_EQ(g_deviceState.programmableShaders, 0);
    EXPECT_EQ(RenderDeviceUsesShaders(), 0);
    EXPECT_TRUE(LogHasLine("プログラマブルシェーダーを使用しません"));
    EXPECT_FALSE(LogHas("プログラマブルシェーダーを使用します"));
    EXPECT_EQ(CallsStarting(calls, "CreateVertexShader").size(), 0u);
    EXPECT_EQ(CallsStarting(calls, "CreateVertexDeclaration").size(), 0u);
    for (IDirect3DVertexDeclaration9 *decl : g_deviceState.vertexDecls) EXPECT_EQ(decl, nullptr);
}

// A pack holding the two trial shaders (or not), on a shader model 2 device.
TEST_F(DeviceSetup, ShaderTrialDecidesTheProgrammablePath) {
    struct Case {
        const char *name;
        bool pack, vertexTrial, pixelTrial;
        bool on;
        std::vector<std::string> lines;    // in this order
        std::vector<std::string> absent;
    };
    const std::string use = "プログラマブルシェーダーを使用します", noUse = "プログラマブルシェーダーを使用しません",
                      noMemory = "シェーダーコードを展開するメモリ領域の確保に失敗しました";
    const std::vector<Case> cases = {
        {"both trials", true, true, true, true, {use}, {noUse}},
        {"no vertex trial: off without a line", true, false, true, false, {}, {use, noUse}},
        {"no pixel trial", true, true, false, false, {noUse}, {use}},
        {"no pack", false, true, true, false, {noMemory, noUse}, {use}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        UseShaderModel2();
        std::vector<PackShader> vertex, pixel;
        if (c.vertexTrial) vertex.push_back({32774, SyntheticShaderCode(false, 32774)});
        if (c.pixelTrial) pixel.push_back({2454, SyntheticShaderCode(true, 2454)});
        vertex.push_back({7, SyntheticShaderCode(false, 7)});
        const std::vector<uint8_t> block = BuildEmbeddedShaderPack(BuildShaderPackEntry(vertex, pixel));
        SetEmbeddedShaderPack(c.pack ? block.data() : nullptr, c.pack ? block.size() : 0);
        D3D9TestRecordCalls(true);
        ASSERT_EQ(StartGraphics(), 0);
        std::vector<std::string> calls = D3D9TestTakeCalls();
        EXPECT_EQ(g_deviceState.programmableShaders, c.on ? 1 : 0);
        EXPECT_EQ(g_shaderPack.pack != nullptr, c.pack);  // kept even when the trial fails
        std::vector<std::string> lines = LogLines();
        auto at = lines.begin();
        for (const std::string &l : c.lines) {
            at = std::find(at, lines.end(), l);
            EXPECT_NE(at, lines.end()) << l;
        }
        for (const std::string &l : c.absent) EXPECT_FALSE(LogHasLine(l)) << l;
        EXPECT_EQ(CallsStarting(calls, "CreateVertexDeclaration").size(), c.on ? 57u : 0u);
        if (c.on) {
            // The trial comes before the declarations; the declarations leave no shader set.
            auto firstOf = [&](const std::string &prefix) {
                for (size_t i = 0; i < calls.size(); ++i)
                    if (calls[i].rfind(prefix, 0) == 0) return (int)i;
                return -1;
            };
            EXPECT_LT(firstOf("CreateVertexShader"), firstOf("CreatePixelShader"));
            EXPECT_LT(firstOf("CreatePixelShader"), firstOf("CreateVertexDeclaration"));
            IDirect3DDevice9 *dev = g_deviceState.device;
            EXPECT_EQ(D3D9TestShaderConstantsF(dev, false, 0, 1), (std::vector<float>{0, 1, 0, 0}));
            EXPECT_EQ(D3D9TestShaderConstantsF(dev, true, 0, 1), (std::vector<float>{0, 0.5f, 1, 2}));
            EXPECT_NE(g_shaderPack.vertexShaders[32774], nullptr);
            EXPECT_EQ(g_renderState.vertexShader, nullptr);
            EXPECT_EQ(SelectVertexShader(7), 1);
        }
        // The end releases the shaders before the device and frees the pack.
        ShutdownGraphics();
        EXPECT_EQ(g_shaderPack.pack, nullptr);
        EXPECT_EQ(g_shaderPack.archiveImage, nullptr);
        EXPECT_EQ(g_shaderPack.vertexShaders[32774], nullptr);
        EXPECT_EQ(g_shaderPack.vertexShaders[7], nullptr);
        EXPECT_EQ(D3D9TestLiveObjects(), 0);
        SetEmbeddedShaderPack(nullptr, 0);
    }
}

// A device rebuilt with the pack loaded: the pack is kept, the trial objects are made anew on
// the new device, and the release order is models, declarations, shaders, then the device.
TEST_F(DeviceSetup, RebuildKeepsThePackAndMakesTheShadersAgain) {
    UseShaderModel2();
    const std::vector<uint8_t> block = BuildEmbeddedShaderPack(BuildShaderPackEntry(
        {{32774, SyntheticShaderCode(false, 32774)}}, {{2454, SyntheticShaderCode(true, 2454)}}));
    SetEmbeddedShaderPack(block.data(), block.size());
    ASSERT_EQ(StartGraphics(), 0);
    ASSERT_EQ(g_deviceState.programmableShaders, 1);
    const uint8_t *pack = g_shaderPack.pack;

    D3D9TestRecordCalls(true);
    ASSERT_EQ(ReleaseDisplayDevice(), 0);
    std::vector<std::string> released = D3D9TestTakeCalls();
    EXPECT_EQ(g_shaderPack.vertexShaders[32774], nullptr);
    EXPECT_EQ(g_shaderPack.pixelShaders[2454], nullptr);
    for (IDirect3DVertexDeclaration9 *decl : g_deviceState.vertexDecls) EXPECT_EQ(decl, nullptr);
    EXPECT_EQ(g_deviceState.device, nullptr);
    ASSERT_FALSE(released.empty());
    EXPECT_EQ(released.front().rfind("SetVertexShader(", 0), 0u) << released.front();

    ASSERT_EQ(SetupDisplayDevice(), 0);
    g_graphBridge.device = g_deviceState.device;  // as the lost-device rebuild hands it on
    std::vector<std::string> made = D3D9TestTakeCalls();
    EXPECT_EQ(g_shaderPack.pack, pack);  // not unpacked again
    EXPECT_EQ(g_deviceState.programmableShaders, 1);
    EXPECT_EQ(CallsStarting(made, "CreateVertexShader").size(), 1u);
    EXPECT_EQ(CallsStarting(made, "CreatePixelShader").size(), 1u);
    EXPECT_EQ(CallsStarting(made, "CreateVertexDeclaration").size(), 57u);
    EXPECT_NE(g_shaderPack.vertexShaders[32774], nullptr);
    SetEmbeddedShaderPack(nullptr, 0);
}

TEST_F(DeviceSetup, SoftwareFallBackInWindowMode) {
    struct Case {
        const char *name;
        std::function<void()> script;
        const char *line;
    };
    const std::vector<Case> cases = {
        {"no Direct3DCreate9", [] { D3D9TestHideEntryPoint(true); },
         "Direct3DCreate9 APIのアドレス取得に失敗しました"},
        {"no Direct3D object", [] { D3D9TestFailCall("Direct3DCreate9", 1); },
         "IDirect3D9 オブジェクトの取得に失敗しました"},
        {"no depth surface", [] { D3D9TestFailCall("CreateDepthStencilSurface", 1); },
         "Ｚバッファを作成します.... Ｚバッファの作成に失敗しました"},
        {"software only", [] { SelectHardwareRendering(0); }, nullptr},
        {"no 3D hardware (KELMOR_NO_3D)", [] { setenv("KELMOR_NO_3D", "1", 1); },
         "Direct3DDevice9 の作成に失敗しました"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        g_window.settings.backgroundColour = 0x102030;
        D3D9TestSetDesktop(1280, 1024, D3DFMT_R5G6B5, 60);
        c.script();
        ASSERT_EQ(StartGraphics(), 0);
        EXPECT_EQ(g_screenSetup.direct3D, 0);
        EXPECT_EQ(g_screenSetup.initialised, 1);
        if (c.line) {
            EXPECT_TRUE(LogHas(c.line)) << c.line;
        }
        EXPECT_EQ(D3D9TestLiveObjects(), 1);  // DirectDraw only
        EXPECT_EQ(g_deviceState.device, nullptr);
        EXPECT_EQ(g_deviceState.backBuffer, nullptr);
        EXPECT_EQ(g_graphBridge.started, 1);
        EXPECT_EQ(g_graphBridge.direct3D, 0);
        EXPECT_EQ(g_graphBridge.textureFormats[GRAPHFMT_PLAIN16], 0u);
        // The screen image of screen size, cleared to the window background.
        const MEMIMG &screen = g_softScreen.screen;
        ASSERT_TRUE(IsMemImgValid(&screen));
        EXPECT_EQ(screen.width, 640);
        EXPECT_EQ(screen.height, 480);
        EXPECT_EQ(screen.base->pixelType, MEMIMG_TYPE_RGB16);
        uint16_t pixel;
        std::memcpy(&pixel, screen.pixels + 479 * screen.base->pitch + 639 * 2, 2);
        EXPECT_EQ(pixel, (0x10 >> 3) << 11 | (0x20 >> 2) << 5 | (0x30 >> 3));
        EXPECT_TRUE(IsMemImgValid(&g_softScreen.work));
        ASSERT_TRUE(IsMemImgValid(&g_softScreen.workAlpha));
        EXPECT_EQ(g_softScreen.workAlpha.base->alphaFlag, 1);
        EXPECT_EQ(g_memImgState.screenColourBits, 16);
        D3D9TestHideEntryPoint(false);
        unsetenv("KELMOR_NO_3D");
    }
}

TEST_F(DeviceSetup, FailuresBeforeTheFallBackEndTheStart) {
    struct Case {
        const char *name;
        const char *call;
        const char *line;
    };
    const std::vector<Case> cases = {
        {"no d3d9.dll", "LoadLibraryA:d3d9.dll", "d3d9.dll の読み込みに失敗しました"},
        {"no DirectDraw", "CoCreateInstance:DirectDraw7",
         "DirectDraw オブジェクトの取得を行います....  オブジェクトの取得に失敗しました"},
        {"DirectDraw not initialised", "DirectDraw::Initialize",
         "引き続き初期化処理... DirectDrawオブジェクトの初期化に失敗しました"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        D3D9TestFailCall(c.call, 1);
        EXPECT_EQ(StartGraphics(), -1);
        EXPECT_TRUE(LogHasLine(c.line)) << c.line;
        EXPECT_EQ(g_screenSetup.initialised, 0);
        EXPECT_EQ(D3D9TestLiveObjects(), 0);
        EXPECT_EQ(g_deviceState.d3d9Module, nullptr);
    }
}

TEST_F(DeviceSetup, SoftwareFullScreenChangesTheDisplayMode) {
    struct Case {
        const char *name;
        int width, height, bits, refresh;
        int refusals;  // scripted refusals of the display
        int result;
        std::vector<std::string> changes;  // the display calls in order
        int endWidth, endHeight, endRefresh, emulation;
    };
    const std::vector<Case> cases = {
        {"accepted", 640, 480, 16, 0, 0, 0, {"ChangeDisplaySettingsA 640x480x16 0Hz 4"}, 640, 480, 0, 0},
        {"refresh dropped", 800, 600, 32, 75, 0, 0,
         {"ChangeDisplaySettingsA 800x600x32 75Hz 4", "ChangeDisplaySettingsA 800x600x32 0Hz 0"}, 800, 600, 0, 0},
        {"listed refresh kept", 800, 600, 32, 60, 0, 0, {"ChangeDisplaySettingsA 800x600x32 60Hz 4"}, 800, 600, 60, 0},
        {"320 x 240 doubled", 320, 240, 16, 0, 2, 0,
         {"ChangeDisplaySettingsA 320x240x16 0Hz 4", "ChangeDisplaySettingsA 320x240x16 0Hz 0",
          "ChangeDisplaySettingsA 640x480x16 0Hz 0"},
         640, 480, 0, 1},
        {"320 x 240 refused outright", 320, 240, 16, 0, 3, -1,
         {"ChangeDisplaySettingsA 320x240x16 0Hz 4", "ChangeDisplaySettingsA 320x240x16 0Hz 0",
          "ChangeDisplaySettingsA 640x480x16 0Hz 0"},
         640, 480, 0, 1},
        {"other size refused", 1024, 768, 16, 0, 2, -1,
         {"ChangeDisplaySettingsA 1024x768x16 0Hz 4", "ChangeDisplaySettingsA 1024x768x16 0Hz 0"}, 1024, 768, 0,
         0},
        {"24 bits", 640, 480, 24, 0, 0, -1, {}, 640, 480, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        g_window.settings.windowMode = 0;
        g_screenSetup.width = c.width;
        g_screenSetup.height = c.height;
        g_screenSetup.bits = c.bits;
        g_screenSetup.refresh = c.refresh;
        // The 24-bit case fails in the device itself; the others never get a device.
        if (c.bits != 24) SelectHardwareRendering(0);
        PlatformTestRefuseDisplayChanges(c.refusals);
        PlatformTestClearWindowCalls();
        EXPECT_EQ(StartGraphics(), c.result);
        std::vector<std::string> changes;
        for (const std::string &call : PlatformTestWindowCalls())
            if (call.rfind("ChangeDisplaySettingsA ", 0) == 0 && call != "ChangeDisplaySettingsA null")
                changes.push_back(call);
        EXPECT_EQ(changes, c.changes);
        char head[128];
        std::snprintf(head, sizeof head, "画面モードの変更処理を開始します %d x %d  %d bit ", c.width, c.height,
                      c.bits);
        EXPECT_TRUE(LogHasLine(head)) << head;
        if (c.result == 0) {
            EXPECT_TRUE(LogHasLine("画面解像度を変更します... 成功しました"));
            EXPECT_EQ(g_softScreen.screen.width, c.endWidth);
        } else if (c.bits != 24) {
            EXPECT_TRUE(LogHasLine("画面解像度を変更します... 画面モードの変更に失敗しました"));
        } else {
            EXPECT_TRUE(LogHasLine("IDirect3DDevice9 オブジェクトを取得します.... "
                                   "非対応のバックバッファービット深度が指定されました"));
        }
        EXPECT_EQ(g_screenSetup.width, c.endWidth);
        EXPECT_EQ(g_screenSetup.height, c.endHeight);
        EXPECT_EQ(g_screenSetup.refresh, c.endRefresh);
        EXPECT_EQ(g_drawState.emulation320, c.emulation);
        EXPECT_EQ(D3D9TestLiveObjects(), c.result == 0 ? 1 : 0);
    }
}

TEST_F(DeviceSetup, HardwareOrSoftwareIsSelectedOnlyBeforeStartUp) {
    EXPECT_EQ(SelectHardwareRendering(0), 0);
    EXPECT_EQ(IsHardwareRenderingSelected(), 0);
    EXPECT_EQ(SelectHardwareRendering(2), 0);  // any flag but 0 is the hardware path
    EXPECT_EQ(IsHardwareRenderingSelected(), 1);
    g_library.initialised = 1;
    EXPECT_EQ(SelectHardwareRendering(0), -1);
    EXPECT_EQ(IsHardwareRenderingSelected(), 1);
    g_library.initialised = 0;
}

TEST_F(DeviceSetup, TheEndOfTheSoftwarePathRestoresTheDesktopMode) {
    g_window.settings.windowMode = 0;
    SelectHardwareRendering(0);
    ASSERT_EQ(StartGraphics(), 0);
    PlatformTestClearWindowCalls();
    ShutdownGraphics();
    std::vector<std::string> calls = PlatformTestWindowCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "ChangeDisplaySettingsA null"), calls.end());
    EXPECT_FALSE(IsMemImgValid(&g_softScreen.screen));
    EXPECT_EQ(g_softScreen.drawTarget, nullptr);
}

TEST_F(DeviceSetup, DisplayModeListHoldsModesOfSixteenBitsAndMore) {
    // 640 x 480 at 8 bits is listed by the display but left out.
    int count = CountDisplayModes();
    ASSERT_GE(count, 4);
    bool seen320x16 = false, seen640x32 = false;
    for (int i = 0; i < count; ++i) {
        DISPLAYMODE m;
        QueryDisplayMode(&m, i);
        EXPECT_GE(m.bits, 16);
        seen320x16 |= m.width == 320 && m.height == 240 && m.bits == 16;
        seen640x32 |= m.width == 640 && m.height == 480 && m.bits == 32;
    }
    EXPECT_TRUE(seen320x16);
    EXPECT_TRUE(seen640x32);
    for (int index : {-1, count, count + 5}) {
        DISPLAYMODE m{1, 2, 3, 4};
        EXPECT_EQ(QueryDisplayMode(&m, index), &m);
        EXPECT_EQ(m.width, -1);
        EXPECT_EQ(m.height, -1);
        EXPECT_EQ(m.bits, -1);
        EXPECT_EQ(m.refresh, -1);
    }
    FreeDisplayModeList();
}

TEST_F(DeviceSetup, TheListIsFreedWithTheDevice) {
    ASSERT_EQ(StartGraphics(), 0);
    EXPECT_GT(CountDisplayModes(), 0);
    EXPECT_NE(g_deviceState.displayModes, nullptr);
    ShutdownGraphics();
    EXPECT_EQ(g_deviceState.displayModes, nullptr);
}

// The model vertex declarations, against the layouts written out element by element.
TEST_F(DeviceSetup, VertexDeclarationsFollowTheLayoutTable) {
    ASSERT_EQ(StartGraphics(), 0);
    ASSERT_EQ(CreateVertexDeclarations(), 0);
    typedef std::vector<std::array<int, 4>> Elements;  // offset, type, usage, index
    const int F3 = D3DDECLTYPE_FLOAT3, F4 = D3DDECLTYPE_FLOAT4, U4 = D3DDECLTYPE_UBYTE4, COL = D3DDECLTYPE_D3DCOLOR;
    const int POS = D3DDECLUSAGE_POSITION, NRM = D3DDECLUSAGE_NORMAL, CLR = D3DDECLUSAGE_COLOR,
              BI = D3DDECLUSAGE_BLENDINDICES, BW = D3DDECLUSAGE_BLENDWEIGHT, TC = D3DDECLUSAGE_TEXCOORD;
    struct Expect {
        int index;
        Elements elements;
    };
    const std::vector<Expect> expects = {
        {0, {{0, F3, POS, 0}, {12, F3, NRM, 0}, {24, COL, CLR, 0}, {28, COL, CLR, 1}}},
        {2,
         {{0, F3, POS, 0}, {12, F3, NRM, 0}, {24, COL, CLR, 0}, {28, COL, CLR, 1}, {32, F4, TC, 0},
          {48, F4, TC, 1}}},
        {1 * 9 + 1,
         {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, F4, BW, 0}, {32, F3, NRM, 0}, {44, COL, CLR, 0}, {48, COL, CLR, 1},
          {52, F4, TC, 0}}},
        {2 * 9,
         {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, U4, BI, 1}, {20, F4, BW, 0}, {36, F4, BW, 1}, {52, F3, NRM, 0},
          {64, COL, CLR, 0}, {68, COL, CLR, 1}}},
        {3 * 9 + 1,
         {{0, F3, POS, 0}, {12, F3, NRM, 0}, {24, F3, NRM, 1}, {36, F3, NRM, 2}, {48, COL, CLR, 0}, {52, COL, CLR, 1},
          {56, F4, TC, 0}}},
        {4 * 9,
         {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, F4, BW, 0}, {32, F3, NRM, 0}, {44, F3, NRM, 1}, {56, F3, NRM, 2},
          {68, COL, CLR, 0}, {72, COL, CLR, 1}}},
        {5 * 9 + 8,
         {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, U4, BI, 1}, {20, F4, BW, 0}, {36, F4, BW, 1}, {52, F3, NRM, 0},
          {64, F3, NRM, 1}, {76, F3, NRM, 2}, {88, COL, CLR, 0}, {92, COL, CLR, 1}, {96, F4, TC, 0},
          {112, F4, TC, 1}, {128, F4, TC, 2}, {144, F4, TC, 3}, {160, F4, TC, 4}, {176, F4, TC, 5},
          {192, F4, TC, 6}, {208, F4, TC, 7}}},
        {54, {{0, F3, POS, 0}}},
        {55, {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, F4, BW, 0}}},
        {56, {{0, F3, POS, 0}, {12, U4, BI, 0}, {16, U4, BI, 1}, {20, F4, BW, 0}, {36, F4, BW, 1}}},
    };
    for (int i = 0; i < VERTEX_DECL_COUNT; ++i) ASSERT_NE(g_deviceState.vertexDecls[i], nullptr) << i;
    for (const Expect &e : expects) {
        SCOPED_TRACE(e.index);
        D3DVERTEXELEMENT9 got[32];
        UINT count = 32;
        ASSERT_EQ(g_deviceState.vertexDecls[e.index]->GetDeclaration(got, &count), D3D_OK);
        ASSERT_EQ(count, e.elements.size() + 1);  // with the end mark
        for (size_t k = 0; k < e.elements.size(); ++k) {
            EXPECT_EQ(got[k].Stream, 0);
            EXPECT_EQ(got[k].Offset, e.elements[k][0]) << k;
            EXPECT_EQ(got[k].Type, e.elements[k][1]) << k;
            EXPECT_EQ(got[k].Usage, e.elements[k][2]) << k;
            EXPECT_EQ(got[k].UsageIndex, e.elements[k][3]) << k;
        }
        EXPECT_EQ(got[count - 1].Stream, 0xFF);
    }
}

TEST_F(DeviceSetup, SubBackBufferAndDialogBoxMode) {
    ASSERT_EQ(StartGraphics(), 0);
    ASSERT_EQ(CreateSubBackBuffer(), 0);
    ASSERT_NE(g_deviceState.subBackBuffer, nullptr);
    D3DSURFACE_DESC desc{};
    g_deviceState.subBackBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 480u);
    EXPECT_EQ(desc.Format, g_deviceFormats.screen);
    EXPECT_EQ(desc.Usage & D3DUSAGE_RENDERTARGET, D3DUSAGE_RENDERTARGET);
    // A second one replaces the first.
    int live = D3D9TestLiveObjects();
    ASSERT_EQ(CreateSubBackBuffer(), 0);
    EXPECT_EQ(D3D9TestLiveObjects(), live);
    D3D9TestFailCall("CreateRenderTarget", 1);
    EXPECT_EQ(CreateSubBackBuffer(), -1);
    EXPECT_EQ(g_deviceState.subBackBuffer, nullptr);
    EXPECT_TRUE(LogHasLine("サブバックバッファの作成に失敗しました"));

    // An open scene is closed before the dialog-box mode changes.
    EnterDeviceScene();
    ASSERT_EQ(g_renderState.inScene, 1);
    D3D9TestRecordCalls(true);
    EXPECT_EQ(SetDeviceDialogBoxMode(1), 0);
    EXPECT_EQ(ResetDialogBoxMode(1), 0);
    std::vector<std::string> calls = D3D9TestTakeCalls();
    EXPECT_EQ(g_renderState.inScene, 0);
    std::vector<std::string> wanted = {"EndScene()", "SetDialogBoxMode(1)", "SetDialogBoxMode(0)",
                                       "SetDialogBoxMode(1)"};
    EXPECT_EQ(calls, wanted);
}

}  // namespace
