// RenderModel on the Direct3D stand-in: pictures against a reference transform and raster
// computed here from the formulas (a cube, overlapping cubes, a skinned arm with its elbow bent,
// a textured cube), lit and fogged vertices against the lighting and fog formulas, and the calls
// a draw makes (nothing for a hidden model or a culled frame, the opacity in the texture factor).
#include "library/graphics/state3d.h"
#include "library/model/model_matrix.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kPi = 3.14159265f;

class RenderTest : public ModelScreenTest {};

TEST_F(RenderTest, ACubeOfSixColoursDrawsAsTheFormulasSay) {
    const int base = BuildCubeBase();
    const int model = Model(base);
    const VEC3 r{0.5f, 0.7f, 0.1f}, s{40, 40, 40}, t{160.3f, 119.6f, 0};
    PlaceModel(model, r, s, t);
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> got = Screen();
    std::vector<REFTRIANGLE> ref;
    AddReference(ref, BuiltBase(base), ModelMatrix(r, s, t));
    const std::vector<uint32_t> expected = RefRaster(ref, kW, kH, kBackground, D3DCULL_CCW);
    SavePicture("cube.png", got);
    EXPECT_EQ(Mismatches(got, expected), 0);
    // Three faces face the eye.
    std::vector<uint32_t> colours;
    for (uint32_t c : got)
        if (c != kBackground && std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
    EXPECT_EQ(colours.size(), 3u);
}

TEST_F(RenderTest, OverlappingCubesResolveByDepth) {
    const int base = BuildCubeBase();
    const int a = Model(base), b = Model(base);
    const VEC3 ra{0.3f, 0.4f, 0}, rb{-0.6f, 0.2f, 0.5f}, sa{45, 45, 45}, sb{30, 30, 30};
    const VEC3 ta{150, 120, 0}, tb{185.5f, 135.25f, -25};
    PlaceModel(a, ra, sa, ta);
    PlaceModel(b, rb, sb, tb);
    // The nearer cube drawn first: the depth test, not the order, decides.
    ASSERT_EQ(RenderModel(b), 0);
    ASSERT_EQ(RenderModel(a), 0);
    const std::vector<uint32_t> got = Screen();
    std::vector<REFTRIANGLE> ref;
    AddReference(ref, BuiltBase(base), ModelMatrix(rb, sb, tb));
    AddReference(ref, BuiltBase(base), ModelMatrix(ra, sa, ta));
    SavePicture("two-cubes.png", got);
    EXPECT_EQ(Mismatches(got, RefRaster(ref, kW, kH, kBackground, D3DCULL_CCW)), 0);
}

// A ribbon along x from 0 to 4, one quad per unit, bound straight: the upper arm (x <= 1) follows
// bone 1, the forearm (x >= 3) bone 2, the elbow column half each.
struct ARM {
    int base;
    std::vector<std::pair<int, float>> weights[5];
};

ARM BuildArm() {
    ModelBuilder b;
    const int root = b.AddFrame("root");
    const int upper = b.AddFrame("upper", root);
    const int lower = b.AddFrame("lower", upper);
    b.FrameAt(lower).translation = VEC3{2, 0, 0};
    const int ru = b.AddSkinRef(root, upper), rl = b.AddSkinRef(root, lower);
    ARM arm;
    arm.weights[0] = arm.weights[1] = {{ru, 1.0f}};
    arm.weights[2] = {{ru, 0.5f}, {rl, 0.5f}};
    arm.weights[3] = arm.weights[4] = {{rl, 1.0f}};
    int p[5][2];
    for (int x = 0; x < 5; ++x)
        for (int y = 0; y < 2; ++y) p[x][y] = b.AddPosition(root, VEC3{(float)x, y ? 0.5f : -0.5f, 0}, arm.weights[x]);
    const int n = b.AddNormal(root, VEC3{0, 0, -1});
    const int mesh = b.AddMesh(root, b.AddMaterial());
    b.MeshAt(mesh).cullMode = 0;
    const uint32_t colours[4] = {0xFFE04040u, 0xFF40E040u, 0xFF4040E0u, 0xFFE0E040u};
    for (int q = 0; q < 4; ++q) {
        int v[4];
        for (int k = 0; k < 4; ++k) v[k] = b.AddVertex(mesh, p[q + (k == 1 || k == 2)][k >= 2], n, colours[q]);
        b.AddTriangle(mesh, v[0], v[1], v[2]);
        b.AddTriangle(mesh, v[0], v[2], v[3]);
    }
    arm.base = b.Build();
    return arm;
}

TEST_F(RenderTest, ASkinnedArmBendsAtTheElbow) {
    ARM arm = BuildArm();
    ASSERT_NE(arm.base, -1);
    MV1BASE *base = BuiltBase(arm.base);
    // Bend the elbow a quarter turn about z before the model is made.
    MAT44 bend, move;
    MakeRotZMatrix(&bend, kPi / 2);
    MakeTranslateMatrix(&move, 2, 0, 0);
    MakeProductMatrix(&bend, &bend, &move);
    ConvertMatrixTo3x4(&base->frames[2].local, &bend);
    base->frames[2].localKind = MV1_LOCAL_FULL;
    const int model = Model(arm.base);
    const VEC3 s{30, 30, 30}, t{100.4f, 80.3f, 0};
    SetModelScale(model, s.x, s.y, s.z);
    SetModelPosition(model, t.x, t.y, t.z);
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> got = Screen();

    // Skin matrices by formula (row vectors): the upper bone is the model; the forearm is
    // (unbind 2 along x) x (turn) x (2 along x) x the model.
    const D3DMATRIX world = ModelMatrix(VEC3{0, 0, 0}, s, t);
    D3DMATRIX unbind{}, turn{}, back{};
    unbind._11 = unbind._22 = unbind._33 = unbind._44 = 1, unbind._41 = -2;
    back = unbind, back._41 = 2;
    turn._33 = turn._44 = 1;
    turn._11 = turn._22 = (float)std::cos(kPi / 2);
    turn._12 = 1, turn._21 = -1;
    const D3DMATRIX skin[2] = {world, RefMultiply(RefMultiply(RefMultiply(unbind, turn), back), world)};
    const D3DMATRIX vp = RefMultiply(DeviceTransform(D3DTS_VIEW), DeviceTransform(D3DTS_PROJECTION));
    D3DVIEWPORT9 viewport;
    g_deviceState.device->GetViewport(&viewport);
    const MV1MESH &mesh = base->meshes[0];
    std::vector<REFTRIANGLE> ref;
    for (int f = 0; f < mesh.faceCount; ++f) {
        REFTRIANGLE tri;
        for (int k = 0; k < 3; ++k) {
            const MV1MESHVERTEX *v = MeshVertex(&mesh, mesh.faces[f].vertex[k]);
            const VEC3 &p = FramePosition(mesh.frame, v->position)->position;
            double q[3] = {0, 0, 0};
            for (const auto &w : arm.weights[(int)std::lround(p.x)]) {
                const D3DMATRIX &m = skin[w.first];
                for (int j = 0; j < 3; ++j) q[j] += w.second * (p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j]);
            }
            tri.p[k] = RefProject(vp, viewport, q[0], q[1], q[2]);
        }
        tri.colour = MeshVertex(&mesh, mesh.faces[f].vertex[0])->diffuse & 0xFFFFFF;
        ref.push_back(tri);
    }
    SavePicture("arm.png", got);
    EXPECT_EQ(Mismatches(got, RefRaster(ref, kW, kH, kBackground, D3DCULL_NONE)), 0);
    // The forearm points up: its tip sits above the elbow on screen.
    const REFPOINT tip = ref[7].p[1];
    EXPECT_LT(tip.y, ref[0].p[0].y - 50);
}

// ---- lit, fogged, textured ---------------------------------------------------------------

TEST_F(RenderTest, LitAndFoggedVerticesFollowTheFormulas) {
    ModelBuilder b;
    const int frame = b.AddFrame("cube");
    ModelBuilder::Material m;
    m.diffuse = COLOUR_F{0.6f, 0.4f, 0.2f, 1};
    m.ambient = COLOUR_F{0.2f, 0.3f, 0.4f, 1};
    const int mesh = b.AddCube(frame, b.AddMaterial(m), 40, std::array<uint32_t, 6>{~0u, ~0u, ~0u, ~0u, ~0u, ~0u}.data());
    b.MeshAt(mesh).vertexDiffuse = 0;
    const int base = b.Build();
    const int model = Model(base);
    SetModelPosition(model, 160, 120, 0);
    SetModelRotation(model, 0.4f, -0.3f, 0);
    EnableLighting(1);
    SetFogMode2D(3);
    SetFogRangeSetting(150.0f, 300.0f);
    g_drawState.fogEnable = 1;
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<D3D9TestProcessedVertex> done = D3D9TestLastProcessedVertices();
    ASSERT_EQ(done.size(), 24u);

    const LIGHTREC *light = GetLightRec(g_state3D.defaultLight);
    ASSERT_NE(light, nullptr);
    DWORD ambientWord = 0;
    g_deviceState.device->GetRenderState(D3DRS_AMBIENT, &ambientWord);
    const double ga[3] = {((ambientWord >> 16) & 255) / 255.0, ((ambientWord >> 8) & 255) / 255.0,
                          (ambientWord & 255) / 255.0};
    const D3DLIGHT9 &l = light->light;
    double L[3] = {-l.Direction.x, -l.Direction.y, -l.Direction.z};
    const double len = std::sqrt(L[0] * L[0] + L[1] * L[1] + L[2] * L[2]);
    for (double &c : L) c /= len;
    const D3DMATRIX world = ModelMatrix(VEC3{0.4f, -0.3f, 0}, VEC3{1, 1, 1}, VEC3{160, 120, 0});
    const D3DMATRIX wv = RefMultiply(world, DeviceTransform(D3DTS_VIEW));
    const MV1BASE *bb = BuiltBase(base);
    const MV1TRIANGLELIST &list = bb->triangleLists[0];
    for (int i = 0; i < list.vertexCount; ++i) {
        const MV1MESHVERTEX *v = MeshVertex(&bb->meshes[0], list.vertexMap[i]);
        const VEC3 &n = bb->frames[0].normals[v->normal].normal;
        const VEC3 &p = FramePosition(&bb->frames[0], v->position)->position;
        double nw[3];
        for (int j = 0; j < 3; ++j) nw[j] = n.x * world.m[0][j] + n.y * world.m[1][j] + n.z * world.m[2][j];
        const double nl = std::max(0.0, nw[0] * L[0] + nw[1] * L[1] + nw[2] * L[2]);
        const float rgb[3][3] = {{m.ambient.r, m.diffuse.r, l.Ambient.r},
                                 {m.ambient.g, m.diffuse.g, l.Ambient.g},
                                 {m.ambient.b, m.diffuse.b, l.Ambient.b}};
        const float ld[3] = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b};
        uint32_t expected = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            const double value = rgb[c][0] * (ga[c] + rgb[c][2]) + rgb[c][1] * ld[c] * nl;
            expected |= (uint32_t)std::lround(std::clamp(value, 0.0, 1.0) * 255) << (16 - 8 * c);
        }
        EXPECT_EQ(done[i].diffuse, expected) << "vertex " << i;
        // Linear fog over the eye-space depth.
        const double z = p.x * wv.m[0][2] + p.y * wv.m[1][2] + p.z * wv.m[2][2] + wv.m[3][2];
        const double f = std::clamp((300.0 - z) / 150.0, 0.0, 1.0);
        EXPECT_EQ(done[i].specular >> 24, (uint32_t)std::lround(f * 255)) << "vertex " << i;
    }
}

TEST_F(RenderTest, ATexturedCubeShowsItsTexels) {
    // 64 x 64 in blocks of 8: a colour per block.
    auto texel = [](int x, int y) { return (uint32_t)((x / 8) * 32 + 16) << 16 | (uint32_t)((y / 8) * 32 + 16) << 8 | 0x80; };
    WriteFile("blocks.png", ColourPng(64, 64, texel));
    const int base = BuildTexturedCubeBase((dir_ / "blocks.png").string());
    ASSERT_NE(base, -1);
    const int model = Model(base);
    const VEC3 r{0.35f, 0.6f, 0}, s{60, 60, 60}, t{160, 120, 0};
    PlaceModel(model, r, s, t);
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> got = Screen();
    SavePicture("textured-cube.png", got);

    // Perspective-correct texture coordinates of the nearest front face at chosen pixels.
    const MV1BASE *bb = BuiltBase(base);
    const MV1MESH &mesh = bb->meshes[0];
    const D3DMATRIX wvp = RefMultiply(RefMultiply(ModelMatrix(r, s, t), DeviceTransform(D3DTS_VIEW)),
                                      DeviceTransform(D3DTS_PROJECTION));
    D3DVIEWPORT9 vp;
    g_deviceState.device->GetViewport(&vp);
    int checked = 0;
    for (int py = 60; py < 180; py += 7)
        for (int px = 100; px < 220; px += 7) {
            double bestZ = 2, u = 0, v = 0;
            for (int f = 0; f < mesh.faceCount; ++f) {
                REFPOINT q[3];
                const MV1MESHVERTEX *mv[3];
                for (int k = 0; k < 3; ++k) {
                    mv[k] = MeshVertex(&mesh, mesh.faces[f].vertex[k]);
                    const VEC3 &p = FramePosition(mesh.frame, mv[k]->position)->position;
                    q[k] = RefProject(wvp, vp, p.x, p.y, p.z);
                }
                bool clockwise = false;
                if (!RefCovers(q, px, py, &clockwise) || !clockwise) continue;
                const double z = RefDepth(q, px, py);
                if (z > bestZ) continue;
                bestZ = z;
                // Barycentric weights on screen, then divided by w.
                const double det = (q[1].x - q[0].x) * (q[2].y - q[0].y) - (q[2].x - q[0].x) * (q[1].y - q[0].y);
                const double l1 = ((px - q[0].x) * (q[2].y - q[0].y) - (q[2].x - q[0].x) * (py - q[0].y)) / det;
                const double l2 = ((q[1].x - q[0].x) * (py - q[0].y) - (px - q[0].x) * (q[1].y - q[0].y)) / det;
                const double w[3] = {(1 - l1 - l2) / q[0].w, l1 / q[1].w, l2 / q[2].w};
                const double sum = w[0] + w[1] + w[2];
                u = (w[0] * mv[0]->uv[0][0] + w[1] * mv[1]->uv[0][0] + w[2] * mv[2]->uv[0][0]) / sum;
                v = (w[0] * mv[0]->uv[0][1] + w[1] * mv[1]->uv[0][1] + w[2] * mv[2]->uv[0][1]) / sum;
            }
            if (bestZ > 1) continue;
            // Away from block edges, where a rounding could pick the neighbour.
            const double bu = u * 8 - std::floor(u * 8), bv = v * 8 - std::floor(v * 8);
            if (bu < 0.05 || bu > 0.95 || bv < 0.05 || bv > 0.95) continue;
            const uint32_t want = texel((int)(u * 64), (int)(v * 64));
            const uint32_t have = got[(size_t)py * kW + px];
            for (int sh : {0, 8, 16})
                EXPECT_NEAR((int)((have >> sh) & 255), (int)((want >> sh) & 255), 1) << px << ", " << py;
            ++checked;
        }
    EXPECT_GT(checked, 50);
}

// ---- calls -------------------------------------------------------------------------------

using RenderCallsTest = ModelScreenTest;

TEST_F(RenderCallsTest, AHiddenModelAndAFrameOutOfViewDrawNothing) {
    const int model = Model(BuildCubeBase());
    SetModelScale(model, 30, 30, 30);
    SetModelPosition(model, 160, 120, 0);
    EXPECT_EQ(CountCalls(RecordRender(model), "DrawIndexedPrimitiveUP"), 1);
    GetModelInstance(model)->visible = 0;
    EXPECT_EQ(RecordRender(model).size(), 0u) << "a hidden model makes no call at all";
    GetModelInstance(model)->visible = 1;
    SetModelPosition(model, -500, 120, 0);
    std::vector<std::string> calls = RecordRender(model);
    EXPECT_EQ(CountCalls(calls, "DrawIndexedPrimitive"), 0) << "left of the view";
    SetModelPosition(model, 160, 120, 50000);
    EXPECT_EQ(CountCalls(RecordRender(model), "DrawIndexedPrimitive"), 0) << "beyond the far plane";
    // The frame that opts out of the test draws wherever it is.
    BuiltBase(GetModelInstance(model)->baseHandle)->frames[0].noCull = 1;
    EXPECT_EQ(CountCalls(RecordRender(model), "DrawIndexedPrimitiveUP"), 1);
}

TEST_F(RenderCallsTest, OpacityMultipliesDownTheTreeIntoTheTextureFactor) {
    ModelBuilder b;
    const int root = b.AddFrame("root");
    const int child = b.AddFrame("child", root);
    ModelBuilder::Material m;
    m.blendMode = 1;
    m.blendParam = 255;
    const uint32_t colours[6] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    b.AddCube(child, b.AddMaterial(m), 1.0f, colours);
    const int model = Model(b.Build());
    SetModelScale(model, 30, 30, 30);
    SetModelPosition(model, 160, 120, 0);
    MV1INSTANCE *inst = GetModelInstance(model);
    inst->frames[1].opacity = 0.5f;
    SetModelAlphaRate(model, 0.5f);
    const std::vector<std::string> calls = RecordRender(model);
    // 0.5 x 0.5 x 255 = 63.75: alpha 63.
    EXPECT_EQ(CountCalls(calls, "SetRenderState(60, " + std::to_string(0x3FFFFFFFu) + ")"), 1);
    EXPECT_EQ(CountCalls(calls, "SetRenderState(27, 1)"), 1) << "alpha blending on";
    EXPECT_FLOAT_EQ(inst->meshes[0].effectiveOpacity, 0.25f);
    // The factor stage scales the alpha: (current, factor, modulate).
    EXPECT_EQ(CountCalls(calls, "SetTextureStageState(1, 4, 4)"), 1);
}

}  // namespace
