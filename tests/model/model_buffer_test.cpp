// Device buffers of the models, on a device made with hardware vertex processing: lists that share
// a buffer pair and its bytes, a split after the limits, a failed creation that leaves no list
// pointing anywhere, stream bindings set once, the model's own shape buffer, and the round trip
// through a lost device.
#include "library/graphics/shader_pack.h"
#include "library/model/model_render.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"

#include <cstring>

#include "tools/shaderpack/shader_pack_writer.h"

namespace {

// A cube and a separate triangle (two meshes, two rigid lists of one UV set), all white.
int TwoMeshBase() {
    ModelBuilder b;
    const int frame = b.AddFrame("f");
    const uint32_t colours[6] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u, 0xFFD0E0F0u, 0xFF112233u};
    b.AddCube(frame, b.AddMaterial(), 1.0f, colours);
    const int n = b.AddNormal(frame, VEC3{0, 0, -1});
    const int mesh = b.AddMesh(frame, b.AddMaterial());
    const int p[3] = {b.AddPosition(frame, VEC3{2, 0, 0}), b.AddPosition(frame, VEC3{3, 1, 0}),
                      b.AddPosition(frame, VEC3{3, -1, 0})};
    b.AddTriangle(mesh, b.AddVertex(mesh, p[0], n, 0xFFFFFFFFu, 0.25f, 0.5f), b.AddVertex(mesh, p[1], n),
                  b.AddVertex(mesh, p[2], n));
    return b.Build();
}

float F32(const uint8_t *p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}

using BufferTest = ModelBufferTest;

TEST_F(BufferTest, RigidListsShareOnePairLaidOutForTheVertexFormat) {
    ASSERT_EQ(g_deviceState.shaderCapable, 1);
    ASSERT_EQ(g_deviceState.programmableShaders, 0) << "no shader pack";
    const int base = TwoMeshBase();
    ASSERT_EQ(BuildModelBaseVertexBuffers(base), 0);
    MV1BASE *b = BuiltBase(base);
    const MV1TRIANGLELIST &cube = b->triangleLists[0], &tri = b->triangleLists[1];
    ASSERT_NE(cube.node, nullptr);
    EXPECT_EQ(cube.node, tri.node);
    EXPECT_EQ(b->nodeCount, 1);
    EXPECT_EQ(tri.firstVertex, cube.vertexCount);
    EXPECT_EQ(tri.firstIndex, cube.indexCount);
    MV1BUFFERNODE *node = cube.node;
    EXPECT_EQ(node->vertexSize, 48);
    EXPECT_EQ(node->fvf, (DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1 |
                                 D3DFVF_TEXCOORDSIZE4(0)));
    void *data = nullptr;
    ASSERT_EQ(node->vertexBuffer->Lock(0, 0, &data, 0), D3D_OK);
    const uint8_t *v = static_cast<uint8_t *>(data) + (size_t)tri.firstVertex * 48;
    const float expected[12] = {2, 0, 0, 0, 0, -1, 0, 0, 0.25f, 0.5f, 1, 1};
    for (int i : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11}) EXPECT_EQ(F32(v + 4 * i), expected[i]) << "word " << i;
    uint32_t diffuse;
    std::memcpy(&diffuse, v + 24, 4);
    EXPECT_EQ(diffuse, 0xFFFFFFFFu);
    node->vertexBuffer->Unlock();
    ASSERT_EQ(node->indexBuffer->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(std::memcmp(static_cast<uint16_t *>(data) + tri.firstIndex, tri.indices, 6), 0)
        << "indices stay relative to the list's first vertex";
    node->indexBuffer->Unlock();
    ReleaseModelBase(base);
}

TEST_F(BufferTest, ANodePassesTheIndexLimitByOneListAtMost) {
    ModelBuilder b;
    const int frame = b.AddFrame("f");
    const int n = b.AddNormal(frame, VEC3{0, 0, -1});
    const int p[3] = {b.AddPosition(frame, VEC3{0, 0, 0}), b.AddPosition(frame, VEC3{1, 0, 0}),
                      b.AddPosition(frame, VEC3{0, 1, 0})};
    for (int m = 0; m < 3; ++m) {
        const int mesh = b.AddMesh(frame, b.AddMaterial());
        b.AddTriangle(mesh, b.AddVertex(mesh, p[0], n), b.AddVertex(mesh, p[1], n), b.AddVertex(mesh, p[2], n));
    }
    const int base = b.Build();
    MV1BASE *mb = BuiltBase(base);
    // 400,000 indices each (all naming vertex 0): two fill a node past 786,431.
    for (int i = 0; i < 3; ++i) {
        MV1TRIANGLELIST &l = mb->triangleLists[i];
        l.indexCount = 400000;
        l.indices = static_cast<uint16_t *>(AllocChainBlock(400000 * 2, &mb->chain));
    }
    ASSERT_EQ(BuildModelBaseVertexBuffers(base), 0);
    const MV1TRIANGLELIST *l = mb->triangleLists;
    EXPECT_EQ(l[0].node, l[1].node);
    EXPECT_EQ(l[1].firstIndex, 400000);
    EXPECT_NE(l[2].node, l[1].node);
    EXPECT_EQ(l[2].firstIndex, 0);
    EXPECT_EQ(mb->nodeCount, 2);
    EXPECT_EQ(l[0].node->indexTotal, 800000);
    ReleaseModelBase(base);
}

TEST_F(BufferTest, AFailedCreationLeavesNoListPointingAtABuffer) {
    const int base = TwoMeshBase();
    const int objects = D3D9TestLiveObjects();
    for (const char *call : {"CreateVertexBuffer", "CreateIndexBuffer"}) {
        D3D9TestFailCall(call, 1);
        EXPECT_EQ(BuildModelBaseVertexBuffers(base), -1) << call;
        MV1BASE *b = BuiltBase(base);
        EXPECT_EQ(b->buffersBuilt, 0);
        EXPECT_EQ(b->nodeCount, 0);
        for (int i = 0; i < b->triangleListCount; ++i) {
            EXPECT_EQ(b->triangleLists[i].node, nullptr) << call;
            EXPECT_EQ(b->triangleLists[i].firstVertex, 0);
        }
        EXPECT_EQ(D3D9TestLiveObjects(), objects) << "nothing half made is kept";
    }
    // The model still draws, from system memory.
    const int model = AddModelSlot();
    ASSERT_EQ(CreateModelFromBase(model, base), 0);
    SetModelScale(model, 30, 30, 30);
    SetModelPosition(model, 160, 120, 0);
    const std::vector<std::string> calls = RecordRender(model);
    EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitiveUP"), 2);
    EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitive("), 0);
}

TEST_F(BufferTest, TheStreamIsSetOnceForListsThatShareIt) {
    const int base = TwoMeshBase();
    const int model = Model(base);
    SetModelScale(model, 30, 30, 30);
    SetModelPosition(model, 150, 120, 0);
    for (int round = 0; round < 2; ++round) {
        const std::vector<std::string> calls = RecordRender(model);
        EXPECT_EQ(CountCalls(calls, "SetStreamSource"), 1) << round;
        EXPECT_EQ(CountCalls(calls, "SetIndices"), 1) << round;
        EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitive(4, 0, 0, 24, 0, 12)"), 1) << "the cube" << round;
        EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitive(4, 24, 0, 3, 36, 1)"), 1) << "the triangle after it";
        EXPECT_EQ(CountCalls(calls, "SetFVF"), round == 0 ? 1 : 0) << "the format stays as it was";
    }
}

TEST_F(BufferTest, AShapedListDrawsFromTheModelsOwnDynamicBuffer) {
    static const uint32_t colours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};
    ModelBuilder b;
    const int frame = b.AddFrame("cube");
    const int mesh = b.AddCube(frame, b.AddMaterial(), 1.0f, colours);
    const int shape = b.AddShape(frame, "stretch");
    // Every vertex at the corner (1, 1, -1) (position 3) moves up by one.
    for (int v = 0; v < 24; ++v)
        if (b.MeshAt(mesh).vertices[v].position == 3) b.AddShapeVertex(shape, mesh, v, VEC3{0, 1, 0});
    const int base = b.Build();
    const int model = Model(base);
    const VEC3 r{0.4f, 0.3f, 0}, s{40, 40, 40}, t{160.2f, 110.4f, 0};
    PlaceModel(model, r, s, t);
    GetModelInstance(model)->shapeWeights[0] = 1.0f;
    const std::vector<std::string> calls = RecordRender(model);
    EXPECT_EQ(CountCalls(calls, "CreateVertexBuffer(1152, 520, "), 1) << "24 vertices of 48 bytes, dynamic, write-only";
    EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitive(4, 0, 0, 24, 0, 12)"), 1) << "from its own buffer: base vertex 0";
    const std::vector<uint32_t> got = Screen();
    SavePicture("shaped-cube.png", got);

    // The reference: the corner moved.
    MV1BASE *mb = BuiltBase(base);
    FramePosition(&mb->frames[0], 3)->position.y += 1.0f;
    std::vector<REFTRIANGLE> ref;
    AddReference(ref, mb, ModelMatrix(r, s, t));
    FramePosition(&mb->frames[0], 3)->position.y -= 1.0f;
    EXPECT_EQ(Mismatches(got, RefRaster(ref, kW, kH, kBackground, D3DCULL_CCW)), 0);
    // A lost device takes the model's buffer with it; it is made again at the next draw.
    const int objects = D3D9TestLiveObjects();
    ReleaseAllModelDeviceResources();
    EXPECT_EQ(D3D9TestLiveObjects(), objects - 3) << "the shared pair and the model's own buffer";
    EXPECT_EQ(GetModelInstance(model)->lists[0].buffer, nullptr);
}

TEST_F(BufferTest, ALostDeviceTakesEveryModelObjectAndTheRestoreDrawsTheSamePicture) {
    WriteFile("checks.png", ColourPng(16, 16, [](int x, int y) { return ((x + y) & 1) ? 0xFFE0C040u : 0xFF2060A0u; }));
    const int base = BuildTexturedCubeBase((dir_ / "checks.png").string());
    const int model = Model(base);
    SetModelRotation(model, 0.3f, 0.8f, 0);
    SetModelScale(model, 50, 50, 50);
    SetModelPosition(model, 160, 120, 0);
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> before = Screen();

    const int objects = D3D9TestLiveObjects();
    ReleaseAllModelDeviceResources();
    EXPECT_EQ(D3D9TestLiveObjects(), objects - 2) << "the shared vertex and index buffer";
    EXPECT_EQ(BuiltBase(base)->triangleLists[0].node, nullptr);

    ASSERT_EQ(RecoverLostDevice(), 0);
    EXPECT_EQ(BuiltBase(base)->buffersBuilt, 1) << "the restore builds the buffers again";
    ClearDrawTarget();
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> after = Screen();
    SavePicture("restored-cube.png", after);
    EXPECT_EQ(Mismatches(before, after), 0);
    int texels = 0;
    for (uint32_t c : after) texels += c == 0xE0C040 || c == 0x2060A0;
    EXPECT_GT(texels, 1000) << "the texture came back from its kept file";
}

}  // namespace

// ---- the programmable path, with a pack of placeholder shaders ----------------------------

class ShaderPathTest : public ModelBufferTest {
protected:
    void BeforeStart() override { Use({32774}, {2454}); }  // the device's trial shaders
    void TearDown() override {
        FreeShaderPack();
        SetEmbeddedShaderPack(nullptr, 0);
        ModelBufferTest::TearDown();
    }
    void Use(std::initializer_list<int> vertex, std::initializer_list<int> pixel) {
        std::vector<PackShader> vs, ps;
        for (int n : vertex) vs.push_back(PackShader{n, SyntheticShaderCode(false, n)});
        for (int n : pixel) ps.push_back(PackShader{n, SyntheticShaderCode(true, n)});
        block_ = BuildEmbeddedShaderPack(BuildShaderPackEntry(vs, ps));
        FreeShaderPack();
        SetEmbeddedShaderPack(block_.data(), block_.size());
    }
    std::vector<uint8_t> block_;
};

TEST_F(ShaderPathTest, ListsDrawFromTheirBuffersWithTheirMatricesInConstants) {
    ASSERT_EQ(g_deviceState.programmableShaders, 1);
    // A rigid triangle of two UV sets, and a skinned one (four weights) on two bones.
    ModelBuilder b;
    const int root = b.AddFrame("root");
    const int bone = b.AddFrame("bone", root);
    b.FrameAt(bone).translation = VEC3{1, 0, 0};
    const int r0 = b.AddSkinRef(root, root), r1 = b.AddSkinRef(root, bone);
    const int n = b.AddNormal(root, VEC3{0, 0, -1});
    const int rigid = b.AddMesh(root, b.AddMaterial(), 2), skinned = b.AddMesh(root, 0);
    for (int mesh : {rigid, skinned}) {
        int v[3];
        for (int i = 0; i < 3; ++i) {
            std::vector<std::pair<int, float>> w;
            if (mesh == skinned) w = {{r0, 0.5f}, {r1, 0.5f}};
            v[i] = b.AddVertex(mesh, b.AddPosition(root, VEC3{(float)i, (float)(i == 2), 0}, w), n);
        }
        b.AddTriangle(mesh, v[0], v[1], v[2]);
    }
    const int base = b.Build();
    ASSERT_EQ(BuildModelBaseVertexBuffers(base), 0);
    MV1BASE *mb = BuiltBase(base);
    ASSERT_NE(mb->triangleLists[1].node, nullptr) << "with shaders in use skinned lists get buffers";
    EXPECT_EQ(mb->triangleLists[1].node->vertexSize, 52 + 16);
    const int model = Model(base);
    PlaceModel(model, VEC3{0, 0, 0.3f}, VEC3{40, 40, 40}, VEC3{150, 120, 0});
    // The shader numbers this draw asks for: the light and fog base plus vertex diffuse (+4).
    RefreshLights();
    ComputeShaderSelection();
    const int vs = g_state3D.vertexShaderBase + 4, ps = g_state3D.pixelShaderBase + 4;
    Use({32774, vs, vs + 8192}, {2454, ps});
    ASSERT_EQ(LoadShaderPack(), 1);

    const std::vector<std::string> calls = RecordRender(model);
    EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitive(4, 0, 0, 3, 0, 1)"), 2) << "each list from its own pair";
    EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitiveUP"), 0);
    // The last list drawn is the skinned one: the four-weight declaration of one UV set.
    IDirect3DDevice9 *d = g_deviceState.device;
    IDirect3DVertexDeclaration9 *decl = nullptr;
    d->GetVertexDeclaration(&decl);
    EXPECT_EQ(decl, g_deviceState.vertexDecls[1 * 9 + 1]);
    if (decl) decl->Release();
    // Its bones' skin matrices in registers 94 and 97.
    MV1INSTANCE *m = GetModelInstance(model);
    const std::vector<float> bones = D3D9TestShaderConstantsF(d, false, 94, 6);
    EXPECT_EQ(std::memcmp(bones.data(), m->skinMatrices[0].m, 48), 0);
    EXPECT_EQ(std::memcmp(bones.data() + 12, m->skinMatrices[1].m, 48), 0);

    // The rigid list alone: the declaration of its two UV sets, the frame's world in 94-96.
    m->meshes[1].visible = 0;
    SetModelAlphaRate(model, 0.999f);  // marks the draw states, so that the hidden mesh is seen
    RecordRender(model);
    d->GetVertexDeclaration(&decl);
    EXPECT_EQ(decl, g_deviceState.vertexDecls[2]);
    if (decl) decl->Release();
    const std::vector<float> world = D3D9TestShaderConstantsF(d, false, 94, 3);
    EXPECT_EQ(std::memcmp(world.data(), m->frames[0].localToWorld.m, 48), 0);
}
