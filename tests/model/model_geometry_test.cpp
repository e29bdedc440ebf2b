// A base's geometry: normals rebuilt by smoothing angle, exact merging, tangents, the vertex
// layouts of the triangle-list kinds, and the running totals against a recount.
#include "library/model/model_normals.h"
#include "library/model/model_vertices.h"
#include "model/model_fixture.h"

#include <cmath>
#include <cstring>

namespace {

using GeometryTest = ModelTablesTest;

void ExpectTotalsRecount(const MV1BASE *base) {
    MV1TOTALS t;
    int32_t kinds[4];
    CountModelBaseTotals(base, &t, kinds);
    EXPECT_EQ(base->totals.positionBytes, t.positionBytes);
    EXPECT_EQ(base->totals.meshVertexBytes, t.meshVertexBytes);
    EXPECT_EQ(base->totals.normalCount, t.normalCount);
    EXPECT_EQ(base->totals.normalBytes, t.normalBytes);
    EXPECT_EQ(base->totals.listVertices, t.listVertices);
    EXPECT_EQ(base->totals.shapeVertices, t.shapeVertices);
    EXPECT_EQ(base->totals.total, t.total);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(base->kindVertices[k], kinds[k]) << "kind " << k;
    for (int i = 0; i < base->frameCount; ++i) {
        int sum = 0;
        for (int m = 0; m < base->frames[i].meshCount; ++m) sum += base->frames[i].meshes[m].vertexCount;
        EXPECT_EQ(base->frames[i].meshVertexTotal, sum);
    }
}

int SharedCube(int shapes = 0) {
    static const uint32_t white[6] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    ModelBuilder b;
    const int frame = b.AddFrame("cube");
    const int mesh = b.AddCube(frame, b.AddMaterial(), 1.0f, white, true);
    for (int s = 0; s < shapes; ++s) {
        const int shape = b.AddShape(frame, "lift");
        b.AddShapeVertex(shape, mesh, 7, VEC3{0, 1, 0});  // the corner at (1, 1, 1)
    }
    return b.Build();
}

TEST_F(GeometryTest, ACubeGetsANormalPerSideAtHalfARadianAndOnePerCornerAtTwo) {
    for (float angle : {0.5f, 2.0f}) {
        SCOPED_TRACE(angle);
        const int handle = SharedCube(1);
        MV1BASE *base = BuiltBase(handle);
        MV1FRAME &f = base->frames[0];
        ASSERT_EQ(RecalcFrameNormals(&f, angle), 1);
        const int expected = angle < 1.0f ? 24 : 8;
        EXPECT_EQ(f.normalCount, expected);
        EXPECT_EQ(base->meshes[0].vertexCount, expected);
        EXPECT_EQ(base->triangleLists[0].vertexCount, expected);
        for (int n = 0; n < f.normalCount; ++n) {
            const VEC3 &v = f.normals[n].normal;
            EXPECT_NEAR(DotVectors(&v, &v), 1.0f, 1e-5f);
            if (angle < 1.0f) {
                EXPECT_NEAR(std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z), 1.0f, 1e-6f) << "an axis";
            }
        }
        // Every vertex's normal points out of the cube at its corner.
        const MV1MESH &mesh = base->meshes[0];
        for (int i = 0; i < mesh.vertexCount; ++i) {
            const MV1MESHVERTEX *v = MeshVertex(&mesh, i);
            const VEC3 &p = FramePosition(&f, v->position)->position;
            const VEC3 &n = f.normals[v->normal].normal;
            EXPECT_GT(DotVectors(&p, &n), 0.0f);
        }
        // The shape moved the corner (1, 1, 1): one shape vertex per mesh vertex at it.
        EXPECT_EQ(f.shapes[0].meshes[0].vertexCount, angle < 1.0f ? 3 : 1);
        ExpectTotalsRecount(base);
        ReleaseModelBase(handle);
    }
}

// Two triangles over the edge (0,0,0)-(1,0,0), the second one's free corner at `wing`.
int Hinge(VEC3 wing, bool invertSecond) {
    ModelBuilder b;
    const int frame = b.AddFrame("hinge");
    const int p0 = b.AddPosition(frame, VEC3{0, 0, 0}), p1 = b.AddPosition(frame, VEC3{1, 0, 0});
    const int p2 = b.AddPosition(frame, VEC3{0, 1, 0});
    const int p3 = b.AddPosition(frame, wing);
    const int n = b.AddNormal(frame, VEC3{0, 0, 1});
    const int mesh = b.AddMesh(frame, b.AddMaterial());
    const int v[4] = {b.AddVertex(mesh, p0, n), b.AddVertex(mesh, p1, n), b.AddVertex(mesh, p2, n),
                      b.AddVertex(mesh, p3, n)};
    b.AddTriangle(mesh, v[0], v[1], v[2]);
    if (invertSecond) b.AddTriangle(mesh, v[0], v[1], v[3]);
    else b.AddTriangle(mesh, v[1], v[0], v[3]);
    return b.Build();
}

TEST_F(GeometryTest, SmoothingStopsPastTheAngleAndAtAWrongWayNeighbour) {
    const VEC3 flat{0, -1, 0}, square{0, 0, 1};
    struct Case {
        const char *what;
        VEC3 wing;
        float angle;
        bool inverted;
        int normals;
    } cases[] = {
        {"flat, smoothed", flat, 0.1f, false, 4},
        {"a right angle at a right angle", square, 1.5707964f, false, 4},
        {"a right angle past 1.5", square, 1.5f, false, 6},
        // At pi every normal is near enough: only the winding keeps them apart.
        {"wound the other way", flat, 3.1415927f, true, 6},
    };
    for (const Case &c : cases) {
        const int handle = Hinge(c.wing, c.inverted);
        MV1FRAME &f = BuiltBase(handle)->frames[0];
        ASSERT_EQ(RecalcFrameNormals(&f, c.angle), 1) << c.what;
        EXPECT_EQ(f.normalCount, c.normals) << c.what;
        ExpectTotalsRecount(BuiltBase(handle));
        ReleaseModelBase(handle);
    }
}

TEST_F(GeometryTest, OnlyExactlyEqualPositionsAndVerticesMerge) {
    ModelBuilder b;
    const int frame = b.AddFrame("f");
    const int bone = b.AddFrame("bone", frame);
    const int r = b.AddSkinRef(frame, bone);
    const int p[6] = {b.AddPosition(frame, VEC3{0, 0, 0}, {{r, 1.0f}}),
                      b.AddPosition(frame, VEC3{0, 0, 0}, {{r, 1.0f}}),   // merges into p0
                      b.AddPosition(frame, VEC3{0, -0.0f, 0}, {{r, 1.0f}}),  // -0.0: stays
                      b.AddPosition(frame, VEC3{0, 0, 0}, {{r, 0.5f}}),   // other weight: stays
                      b.AddPosition(frame, VEC3{1, 0, 0}, {{r, 1.0f}}),
                      b.AddPosition(frame, VEC3{0, 1, 0}, {{r, 1.0f}})};
    const int n = b.AddNormal(frame, VEC3{0, 0, -1});
    const int mesh = b.AddMesh(frame, b.AddMaterial());
    int v[6];
    for (int i = 0; i < 6; ++i) v[i] = b.AddVertex(mesh, p[i], n);
    b.AddTriangle(mesh, v[0], v[4], v[5]);
    b.AddTriangle(mesh, v[1], v[4], v[5]);
    b.AddTriangle(mesh, v[2], v[3], v[5]);
    const int handle = b.Build();
    MV1BASE *base = BuiltBase(handle);
    MV1FRAME &f = base->frames[0];
    ASSERT_EQ(OptimizeFrameVertices(&f), 0);
    EXPECT_EQ(f.positionCount, 5);
    const MV1MESH &m = base->meshes[0];
    EXPECT_EQ(m.vertexCount, 5) << "vertices 0 and 1 became byte-identical and merged";
    EXPECT_EQ(m.faces[0].vertex[0], m.faces[1].vertex[0]);
    const MV1TRIANGLELIST &l = base->triangleLists[0];
    EXPECT_EQ(l.vertexCount, 5) << "the list's repeated entry merged";
    for (int i = 0; i < l.indexCount; ++i) EXPECT_LT(l.indices[i], l.vertexCount);
    EXPECT_EQ(l.indices[3], l.indices[0]);
    ExpectTotalsRecount(base);
    // A frame without meshes: nothing to do.
    EXPECT_EQ(OptimizeFrameVertices(&base->frames[1]), 0);
    EXPECT_EQ(RecalcFrameNormals(&base->frames[1], 1.0f), 0);
    ReleaseModelBase(handle);
}

// ---- tangents and list layouts -----------------------------------------------------------------

TEST_F(GeometryTest, TangentsFollowTheTextureAxesAndDegenerateMappingsStayFinite) {
    // P(u, v) = u A + v B: the tangent is along A, the binormal along B's part across A.
    const VEC3 A{1, 2, 0}, B{-1, 1, 0.5f};
    ModelBuilder b;
    const int frame = b.AddFrame("quad");
    const int n = b.AddNormal(frame, VEC3{0, 0, 1});
    const int mesh = b.AddMesh(frame, b.AddMaterial());
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    int v[4];
    for (int i = 0; i < 4; ++i) {
        const VEC3 p{uv[i][0] * A.x + uv[i][1] * B.x, uv[i][0] * A.y + uv[i][1] * B.y, uv[i][0] * A.z + uv[i][1] * B.z};
        v[i] = b.AddVertex(mesh, b.AddPosition(frame, p), n, ~0u, uv[i][0], uv[i][1]);
    }
    b.AddTriangle(mesh, v[0], v[1], v[2]);
    b.AddTriangle(mesh, v[0], v[2], v[3]);
    // A second normal for faces with no area in texture space.
    const int n2 = b.AddNormal(frame, VEC3{0, 0, 1});
    const int flat = b.AddMesh(frame, 0);
    int w[3];
    for (int i = 0; i < 3; ++i)
        w[i] = b.AddVertex(flat, b.AddPosition(frame, VEC3{(float)i, (float)(i * i), 1}), n2, ~0u, (float)i, (float)i);
    b.AddTriangle(flat, w[0], w[1], w[2]);
    const int handle = b.Build();
    const MV1FRAME &f = BuiltBase(handle)->frames[0];
    VEC3 t, expectT, cross, expectB;
    NormalizeVector(&expectT, &A);
    CrossVectors(&cross, &A, &B);
    NormalizeVector(&cross, &cross);
    CrossVectors(&expectB, &cross, &expectT);
    t = f.normals[n].tangent;
    EXPECT_NEAR(t.x, expectT.x, 1e-5f);
    EXPECT_NEAR(t.y, expectT.y, 1e-5f);
    EXPECT_NEAR(t.z, expectT.z, 1e-5f);
    EXPECT_NEAR(f.normals[n].binormal.x, expectB.x, 1e-5f);
    EXPECT_NEAR(f.normals[n].binormal.z, expectB.z, 1e-5f);
    // Texture coordinates along one line: no tangent of its own, but no division by zero.
    const MV1NORMAL &d = f.normals[n2];
    const float r = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(d.tangent.x, r, 1e-6f);
    EXPECT_NEAR(d.tangent.z, r, 1e-6f);
    EXPECT_FALSE(std::isnan(d.binormal.x) || std::isnan(d.binormal.y) || std::isnan(d.binormal.z));
    ReleaseModelBase(handle);
}

float F32(const uint8_t *p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}
int32_t I32(const uint8_t *p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// One triangle whose first position carries five weights (on refs 0-4), the others one.
int WeightedTriangle(int kind, int bones) {
    ModelBuilder b;
    const int frame = b.AddFrame("f");
    int refs[6];
    for (int i = 0; i < 6; ++i) refs[i] = b.AddSkinRef(frame, b.AddFrame("b" + std::to_string(i), frame));
    std::vector<std::pair<int, float>> five;
    for (int i = 0; i < 5; ++i) five.push_back({refs[i], 0.1f * (i + 1)});
    const int p0 = b.AddPosition(frame, VEC3{1, 2, 3}, five);
    const int p1 = b.AddPosition(frame, VEC3{4, 5, 6}, {{refs[5], 1.0f}});
    const int n = b.AddNormal(frame, VEC3{0, 1, 0});
    const int mesh = b.AddMesh(frame, b.AddMaterial());
    b.MeshAt(mesh).forceKind = kind;
    b.AddTriangle(mesh, b.AddVertex(mesh, p0, n), b.AddVertex(mesh, p1, n), b.AddVertex(mesh, p1, n));
    const int handle = b.Build();
    MV1TRIANGLELIST &l = BuiltBase(handle)->triangleLists[0];
    if (kind == 3) {
        l.maxWeights = 6;
        l.vertexSize = 32 + 48;
        AllocListVertexData(&l, l.vertexCount);
    }
    // A palette of the first `bones` refs only.
    l.boneCount = bones;
    for (int i = 0; i < bones; ++i) l.bones[i] = i;
    FillTriangleListVertices(&l);
    return handle;
}

TEST_F(GeometryTest, EachKindWritesItsLayout) {
    {
        const int h = WeightedTriangle(0, 0);
        const uint8_t *v = BuiltBase(h)->triangleLists[0].vertexData;
        const float rigid[8] = {1, 2, 3, 1, 0, 1, 0, 0};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(F32(v + 4 * i), rigid[i]) << "rigid word " << i;
        ReleaseModelBase(h);
    }
    {
        // Four of the five weights; weight 4 names ref 3, missing from a three-bone palette.
        const int h = WeightedTriangle(1, 3);
        const uint8_t *v = BuiltBase(h)->triangleLists[0].vertexData;
        EXPECT_FLOAT_EQ(F32(v + 0), 0.1f);
        EXPECT_FLOAT_EQ(F32(v + 8), 0.3f);
        EXPECT_EQ(F32(v + 12), 0.0f) << "a bone outside the palette weighs nothing";
        EXPECT_EQ(v[44 + 3], 0) << "and takes slot 0";
        EXPECT_EQ(v[44 + 2], 2);
        EXPECT_EQ(F32(v + 16), 1.0f);
        EXPECT_EQ(F32(v + 28), 1.0f);
        EXPECT_EQ(F32(v + 36), 1.0f) << "normal y at 32";
        ReleaseModelBase(h);
    }
    {
        const int h = WeightedTriangle(2, 6);
        const uint8_t *v = BuiltBase(h)->triangleLists[0].vertexData;
        EXPECT_FLOAT_EQ(F32(v + 16), 0.5f) << "w4";
        EXPECT_EQ(F32(v + 20), 0.0f) << "w5 unused";
        EXPECT_EQ(F32(v + 36), 1.0f) << "normal y";
        EXPECT_EQ(F32(v + 48), 1.0f) << "position x at 48";
        EXPECT_EQ(v[60], 4) << "slot s4 at 60";
        ReleaseModelBase(h);
    }
    {
        const int h = WeightedTriangle(3, 0);
        const uint8_t *v = BuiltBase(h)->triangleLists[0].vertexData;
        EXPECT_EQ(F32(v + 12), 1.0f);
        EXPECT_EQ(I32(v + 32), 0);
        EXPECT_FLOAT_EQ(F32(v + 36), 0.1f);
        EXPECT_EQ(I32(v + 32 + 8 * 4), 4);
        EXPECT_EQ(I32(v + 32 + 8 * 5), -1) << "the sixth pair closes the list";
        EXPECT_EQ(F32(v + 36 + 8 * 5), 0.0f);
        ReleaseModelBase(h);
    }
}

}  // namespace
