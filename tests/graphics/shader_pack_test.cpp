// The shader pack loader and shader selection on synthetic packs.
#include "render_fixture.h"

#include "library/graphics/device.h"

#include "library/graphics/shader_pack.h"
#include "tools/lz/lz_encoder.h"
#include "tools/shaderpack/shader_pack_writer.h"

#include <cstring>
#include <functional>


namespace {

class ShaderPackTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        FreeShaderPack();
        g_deviceState.programmableShaders = 1;
        // One declaration per table position, told apart by their pointers.
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                              D3DDECL_END()};
        for (int i = 0; i < 57; ++i) ASSERT_EQ(dev->CreateVertexDeclaration(elements, &g_deviceState.vertexDecls[i]), D3D_OK);
    }
    void TearDown() override {
        FreeShaderPack();
        SetEmbeddedShaderPack(nullptr, 0);
        g_deviceState.programmableShaders = 0;
        dev->SetVertexDeclaration(nullptr);
        for (IDirect3DVertexDeclaration9 *&d : g_deviceState.vertexDecls)
            if (d) {
                d->Release();
                d = nullptr;
            }
        RenderTest::TearDown();
    }

    void UsePack(const std::vector<uint8_t> &entry, const char *name = SHADERPACK_ENTRY_NAME) {
        block = BuildEmbeddedShaderPack(entry, name);
        SetEmbeddedShaderPack(block.data(), block.size());
    }
    static std::vector<PackShader> Shaders(bool pixel, std::initializer_list<int> numbers) {
        std::vector<PackShader> out;
        for (int n : numbers) out.push_back(PackShader{n, SyntheticShaderCode(pixel, n)});
        return out;
    }
    void UseStandardPack() {
        UsePack(BuildShaderPackEntry(Shaders(false, {0, 7, 2048, 8192 + 2048 + 3, 98303}), Shaders(true, {1, 27647})));
    }
    // The number a created shader carries in its comment token.
    template <typename S>
    static int NumberIn(S *shader) {
        UINT size = 0;
        shader->GetFunction(nullptr, &size);
        std::vector<DWORD> code(size / 4);
        shader->GetFunction(code.data(), &size);
        return code.size() > 2 ? (int)code[2] : -1;
    }

    std::vector<uint8_t> block;
};

TEST_F(ShaderPackTest, LoadingPointsEveryPresentNumberAtItsCode) {
    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    const uint8_t *code = g_shaderPack.pack + SHADERPACK_CODE_AT;
    // Vertex shaders first in number order, then pixel shaders; 16 bytes each.
    const int vertex[] = {0, 7, 2048, 8192 + 2048 + 3, 98303};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(g_shaderPack.vertexCode[vertex[i]], code + 16 * i) << vertex[i];
    EXPECT_EQ(g_shaderPack.pixelCode[1], code + 16 * 5);
    EXPECT_EQ(g_shaderPack.pixelCode[27647], code + 16 * 6);
    EXPECT_EQ(g_shaderPack.vertexCode[1], nullptr);
    EXPECT_EQ(g_shaderPack.pixelCode[0], nullptr);
    const uint8_t *pack = g_shaderPack.pack;
    EXPECT_EQ(LoadShaderPack(), 1);  // already loaded: kept
    EXPECT_EQ(g_shaderPack.pack, pack);
}

TEST_F(ShaderPackTest, SelectingTwiceCreatesAndSetsOnce) {
    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    Record();
    EXPECT_EQ(SelectVertexShader(7), 1);
    EXPECT_EQ(SelectVertexShader(7), 1);
    EXPECT_EQ(SelectPixelShader(1), 1);
    EXPECT_EQ(SelectPixelShader(1), 1);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "CreateVertexShader"), 1);
    EXPECT_EQ(CountOf(calls, "SetVertexShader"), 1);
    EXPECT_EQ(CountOf(calls, "SetVertexDeclaration"), 1);
    EXPECT_EQ(CountOf(calls, "CreatePixelShader"), 1);
    EXPECT_EQ(CountOf(calls, "SetPixelShader"), 1);
    IDirect3DVertexShader9 *vs = nullptr;
    dev->GetVertexShader(&vs);
    ASSERT_NE(vs, nullptr);
    EXPECT_EQ(NumberIn(vs), 7);
    vs->Release();
    IDirect3DPixelShader9 *ps = nullptr;
    dev->GetPixelShader(&ps);
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(NumberIn(ps), 1);
    ps->Release();
    IDirect3DVertexDeclaration9 *decl = nullptr;
    dev->GetVertexDeclaration(&decl);
    EXPECT_EQ(decl, g_deviceState.vertexDecls[1]);
    if (decl) decl->Release();
}

TEST_F(ShaderPackTest, ANumberWithoutCodeLeavesTheCurrentShader) {
    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    ASSERT_EQ(SelectVertexShader(0), 1);
    IDirect3DVertexShader9 *current = g_renderState.vertexShader;
    Record();
    EXPECT_EQ(SelectVertexShader(1), 0);
    EXPECT_EQ(SelectPixelShader(2), 0);
    EXPECT_EQ(SelectVertexShader(-1), 0);
    EXPECT_EQ(SelectVertexShader(SHADERPACK_VERTEX_COUNT), 0);
    EXPECT_EQ(SelectPixelShader(SHADERPACK_PIXEL_COUNT), 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(g_renderState.vertexShader, current);
}

TEST_F(ShaderPackTest, ReleasedObjectsAreCreatedAgainFromTheKeptCode) {
    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    ASSERT_EQ(SelectVertexShader(2048), 1);
    ASSERT_EQ(SelectPixelShader(27647), 1);
    Record();
    ReleaseShaderObjects();
    std::vector<std::string> calls = Calls();
    EXPECT_EQ(CountOf(calls, "SetVertexShader(null)"), 1);
    EXPECT_EQ(CountOf(calls, "SetPixelShader(null)"), 1);
    EXPECT_EQ(g_renderState.vertexShader, nullptr);
    EXPECT_EQ(g_shaderPack.vertexShaders[2048], nullptr);
    EXPECT_NE(g_shaderPack.vertexCode[2048], nullptr);
    Record();
    EXPECT_EQ(SelectVertexShader(2048), 1);
    EXPECT_EQ(SelectPixelShader(27647), 1);
    calls = Calls();
    EXPECT_EQ(CountOf(calls, "CreateVertexShader"), 1);
    EXPECT_EQ(CountOf(calls, "CreatePixelShader"), 1);
    EXPECT_EQ(NumberIn(g_shaderPack.vertexShaders[2048]), 2048);
}

TEST_F(ShaderPackTest, FailedCreationReturnsZeroAndIsTriedAgainLater) {
    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    D3D9TestFailCall("CreateVertexShader", 1);
    EXPECT_EQ(SelectVertexShader(7), 0);
    EXPECT_EQ(g_shaderPack.vertexShaders[7], nullptr);
    EXPECT_EQ(SelectVertexShader(7), 1);
}

TEST_F(ShaderPackTest, NothingIsSelectedWithoutProgrammableShaders) {
    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    g_deviceState.programmableShaders = 0;
    Record();
    EXPECT_EQ(SelectVertexShader(7), 0);
    EXPECT_EQ(SelectPixelShader(1), 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ShaderPackTest, DeclarationFollowsTheTangentBitAndTheSkinningKind) {
    struct Case {
        int number, index;
    };
    // layout = bit 11 x 3 + (n / 8192) mod 3; position layout x 9 + 1.
    const Case cases[] = {{0, 1},          {2047, 1},         {2048, 28},         {8192, 10},
                          {16384, 19},     {24576, 1},        {8192 + 2048, 37},  {16384 + 2048 + 5, 46},
                          {0x6000 + 4096, 1}};
    for (const Case &c : cases) EXPECT_EQ(ShaderDeclarationIndex(c.number), c.index) << c.number;

    UseStandardPack();
    ASSERT_EQ(LoadShaderPack(), 1);
    ASSERT_EQ(SelectVertexShader(8192 + 2048 + 3), 1);
    EXPECT_EQ(g_renderState.vertexDecl, g_deviceState.vertexDecls[37]);
}

struct BrokenPack {
    const char *what;
    std::function<std::vector<uint8_t>()> make;  // the embedded block
};

class BrokenPackTest : public ShaderPackTest, public ::testing::WithParamInterface<int> {};

const BrokenPack kBroken[] = {
    {"entry name", [] { return BuildEmbeddedShaderPack(BuildShaderPackEntry({{0, SyntheticShaderCode(false, 0)}}, {}), "Other.bin"); }},
    {"code past the end", [] { return BuildEmbeddedShaderPack(BuildShaderPackEntry({{0, SyntheticShaderCode(false, 0)}}, {}, 20)); }},
    {"size not whole tokens", [] { return BuildEmbeddedShaderPack(BuildShaderPackEntry({{0, SyntheticShaderCode(false, 0)}, {1, SyntheticShaderCode(false, 1)}}, {}, 6)); }},
    {"pack shorter than its tables", [] { return BuildEmbeddedShaderPack(std::vector<uint8_t>(1000, 0)); }},
    {"truncated block",
     [] {
         std::vector<uint8_t> b = BuildEmbeddedShaderPack(BuildShaderPackEntry({{0, SyntheticShaderCode(false, 0)}}, {}));
         b.resize(b.size() / 2);
         return b;
     }},
    {"not an archive", [] {
         std::vector<uint8_t> junk(4096, 0x5A);
         return EncodeLzBlock(junk.data(), junk.size());
     }},
};

TEST_P(BrokenPackTest, LoadingFailsCleanly) {
    const BrokenPack &c = kBroken[GetParam()];
    block = c.make();
    SetEmbeddedShaderPack(block.data(), block.size());
    EXPECT_EQ(LoadShaderPack(), 0) << c.what;
    EXPECT_EQ(g_shaderPack.pack, nullptr);
    EXPECT_EQ(g_shaderPack.archiveImage, nullptr);
    EXPECT_EQ(g_shaderPack.vertexCode[0], nullptr);
    EXPECT_EQ(SelectVertexShader(0), 0);
}

INSTANTIATE_TEST_SUITE_P(Packs, BrokenPackTest, ::testing::Range(0, (int)(sizeof kBroken / sizeof kBroken[0])));

TEST_F(ShaderPackTest, NoEmbeddedPackFails) {
    SetEmbeddedShaderPack(nullptr, 0);
    EXPECT_EQ(LoadShaderPack(), 0);
}

}  // namespace
