// Read data: the builders' lists and totals, triangulation, normals made from triangles, the
// rotation comparison and key reduction, all without a device.
#include "library/model/model_load_data.h"
#include "model/load_data_fixture.h"
#include "model/model_fixture.h"

#include <fstream>
#include <string>

namespace {

class LoadDataTest : public ModelTablesTest {};

std::vector<MODELLOADFRAME *> FrameList(MODELLOADDATA *data) {
    std::vector<MODELLOADFRAME *> out;
    for (MODELLOADFRAME *f = data->firstFrame; f; f = f->next) out.push_back(f);
    return out;
}

TEST_F(LoadDataTest, FramesListDepthFirstWithChildrenAfterTheDeepestDescendant) {
    ReadData d;
    MODELLOADFRAME *f1 = AddModelLoadFrame(d.get(), "1", nullptr);
    MODELLOADFRAME *f2 = AddModelLoadFrame(d.get(), "2", f1);
    MODELLOADFRAME *f3 = AddModelLoadFrame(d.get(), "3", nullptr);
    MODELLOADFRAME *f4 = AddModelLoadFrame(d.get(), "4", f1);
    EXPECT_EQ(FrameList(d.get()), (std::vector<MODELLOADFRAME *>{f1, f2, f4, f3}));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(FrameList(d.get())[i]->index, i);
    EXPECT_EQ(f2->nextSibling, f4);
    EXPECT_EQ(f4->prevSibling, f2);
    EXPECT_EQ(f1->firstChild, f2);
    EXPECT_EQ(f1->lastChild, f4);

    // A child of 1 whose last child (4) has a grandchild goes after that grandchild.
    MODELLOADFRAME *f5 = AddModelLoadFrame(d.get(), "5", f4);
    MODELLOADFRAME *f6 = AddModelLoadFrame(d.get(), "6", f5);
    MODELLOADFRAME *f7 = AddModelLoadFrame(d.get(), "7", f1);
    EXPECT_EQ(FrameList(d.get()), (std::vector<MODELLOADFRAME *>{f1, f2, f4, f5, f6, f7, f3}));
    for (int i = 0; i < 7; ++i) EXPECT_EQ(FrameList(d.get())[i]->index, i);
    EXPECT_EQ(d->frameCount, 7);
}

TEST_F(LoadDataTest, StringTotalsGrowByTheTextRoundedUpToFour) {
    const struct {
        const char *text;
        int grows;
    } kCases[] = {{"", 4}, {"abc", 4}, {"abcd", 8}, {"abcdefg", 8}, {"abcdefgh", 12}};
    for (const auto &c : kCases) {
        ReadData d;
        const int before = d->stringTotal;
        const char *copy = AddModelLoadString(d.get(), c.text);
        ASSERT_NE(copy, nullptr);
        EXPECT_STREQ(copy, c.text);
        EXPECT_NE(copy, c.text);
        EXPECT_EQ(d->stringTotal - before, c.grows) << '"' << c.text << '"';
    }
}

TEST_F(LoadDataTest, TexturesAreReusedOnlyForTheSamePairOfPaths) {
    ReadData d;
    MODELLOADTEXTURE *a = AddModelLoadTexture(d.get(), "a", "skin.bmp", "skin_a.bmp", 0, 0.1f, 1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(AddModelLoadTexture(d.get(), "b", "skin.bmp", "skin_a.bmp", 0, 0.1f, 1), a);
    EXPECT_EQ(d->textureCount, 1);
    MODELLOADTEXTURE *c = AddModelLoadTexture(d.get(), "c", "skin.bmp", nullptr, 0, 0.1f, 1);
    EXPECT_NE(c, a);
    EXPECT_NE(AddModelLoadTexture(d.get(), "d", "skin.bmp", nullptr, 0, 0.1f, 0), c) << "no reuse asked for";
    EXPECT_EQ(d->textureCount, 3);
    EXPECT_EQ(a->addressU, 1);
    EXPECT_EQ(a->addressV, 1);
    EXPECT_EQ(a->filterMode, 2);
}

TEST_F(LoadDataTest, ATextureFoundOnlyByItsBareNameKeepsTheBareName) {
    std::ofstream("face.bmp") << "x";
    ReadData d;
    MODELLOADTEXTURE *t = AddModelLoadTexture(d.get(), "t", "nowhere/deeper/face.bmp", "nowhere/gone.bmp", 0, 0, 1);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->colourPath, "face.bmp");
    EXPECT_STRNE(t->alphaPath, "gone.bmp") << "neither form opens: the relative path stays";
}

TEST_F(LoadDataTest, RemovingAMeshKeepsTheOthersNumbers) {
    ReadData d;
    MODELLOADFRAME *f = AddModelLoadFrame(d.get(), "f", nullptr);
    MODELLOADMESH *m[3] = {AddModelLoadMesh(d.get(), f), AddModelLoadMesh(d.get(), f), AddModelLoadMesh(d.get(), f)};
    RemoveModelLoadMesh(d.get(), f, m[1]);
    EXPECT_EQ(d->meshCount, 2);
    EXPECT_EQ(f->meshCount, 2);
    EXPECT_EQ(d->firstMesh, m[0]);
    EXPECT_EQ(m[0]->next, m[2]);
    EXPECT_EQ(f->firstMesh->nextInFrame, m[2]);
    EXPECT_EQ(m[2]->prevInFrame, m[0]);
    EXPECT_EQ(m[2]->index, 2);
    EXPECT_EQ(AddModelLoadMesh(d.get(), f)->index, 2) << "the count, not the largest number, numbers the next";
}

// ---- triangulation ---------------------------------------------------------------------

MODELLOADMESH *PolygonMesh(MODELLOADDATA *d, const std::vector<int> &corners) {
    MODELLOADMESH *mesh = AddModelLoadMesh(d, AddModelLoadFrame(d, "f", nullptr));
    std::vector<std::vector<int>> faces;
    for (int n : corners) {
        faces.emplace_back();
        for (int i = 0; i < n; ++i) faces.back().push_back(i);
    }
    SetFaces(d, mesh, faces, 0);
    return mesh;
}

TEST_F(LoadDataTest, AQuadSplitsInPlaceAndAppendsItsSecondTriangle) {
    ReadData d;
    MODELLOADMESH *mesh = PolygonMesh(d.get(), {4, 3, 4});
    for (int f = 0; f < 3; ++f) mesh->faces[f].material = 7 + f;
    for (int k = 0; k < 4; ++k) {
        mesh->faces[0].corners[k].normal = 10 + k;
        mesh->faces[0].corners[k].colour = 20 + k;
        mesh->faces[0].corners[k].uvs[0] = 30 + k;
        mesh->faces[0].corners[k].uvs[7] = 40 + k;
    }
    ASSERT_EQ(TriangulateModelLoadMesh(d.get(), mesh), 1);
    ASSERT_EQ(mesh->faceCount, 5);
    const std::vector<std::vector<int>> expected = {{0, 1, 3}, {0, 1, 2}, {0, 1, 3}, {3, 1, 2}, {3, 1, 2}};
    const int material[5] = {7, 8, 9, 7, 9};
    for (int f = 0; f < 5; ++f) {
        const MODELLOADFACE &face = mesh->faces[f];
        EXPECT_EQ(face.vertexCount, 3);
        EXPECT_EQ(face.material, material[f]) << f;
        for (int k = 0; k < 3; ++k) EXPECT_EQ(face.corners[k].position, expected[f][k]) << f << ' ' << k;
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(mesh->faces[3].corners[k].normal, 10 + expected[3][k]);
        EXPECT_EQ(mesh->faces[3].corners[k].colour, 20 + expected[3][k]);
        EXPECT_EQ(mesh->faces[3].corners[k].uvs[0], 30 + expected[3][k]);
        EXPECT_EQ(mesh->faces[3].corners[k].uvs[7], 40 + expected[3][k]);
        EXPECT_EQ(mesh->faces[0].corners[k].uvs[7], 40 + expected[0][k]);
    }
}

// Twice the signed area of the polygon's corners in the xy plane.
float Area(const std::vector<VEC3> &p, const std::vector<int> &corners) {
    float a = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        const VEC3 &u = p[corners[i]], &v = p[corners[(i + 1) % corners.size()]];
        a += u.x * v.y - v.x * u.y;
    }
    return a;
}

TEST_F(LoadDataTest, PolygonsOf4To7And32CornersTileThemselvesWithTheirWinding) {
    for (int n : {4, 5, 6, 7, 32}) {
        ReadData d;
        MODELLOADMESH *mesh = PolygonMesh(d.get(), {n});
        std::vector<VEC3> p;
        for (int i = 0; i < n; ++i)
            p.push_back(VEC3{std::cos(6.2831853f * i / n), std::sin(6.2831853f * i / n), 0});
        SetPositions(d.get(), mesh, p);
        ASSERT_EQ(TriangulateModelLoadMesh(d.get(), mesh), 1);
        ASSERT_EQ(mesh->faceCount, n - 2) << n;
        std::vector<int> all;
        for (int i = 0; i < n; ++i) all.push_back(i);
        float sum = 0;
        for (int f = 0; f < n - 2; ++f) {
            const MODELLOADFACE &t = mesh->faces[f];
            const float a = Area(p, {t.corners[0].position, t.corners[1].position, t.corners[2].position});
            EXPECT_GT(a, 0) << n << " triangle " << f << " turned or flat";
            sum += a;
        }
        EXPECT_NEAR(sum, Area(p, all), 1e-4f) << n;
    }
}

TEST_F(LoadDataTest, AllTriangleMeshesAreLeftAsTheyAre) {
    ReadData d;
    MODELLOADMESH *mesh = PolygonMesh(d.get(), {3, 3});
    MODELLOADFACE *faces = mesh->faces;
    const int allocations = PlatformTestHeapBlockCount();
    EXPECT_EQ(TriangulateModelLoadMesh(d.get(), mesh), 1);
    EXPECT_EQ(mesh->faces, faces);
    EXPECT_EQ(PlatformTestHeapBlockCount(), allocations);
}

// ---- normals ---------------------------------------------------------------------------

TEST_F(LoadDataTest, ACubeGetsOneNormalPerCornerSideAtBothDefaultAngles) {
    static const uint32_t kWhite[6] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
    for (float angle : {MODELLOAD_FRAME_SMOOTHING, 0.0f}) {
        ReadData d;
        MODELLOADMESH *mesh = AddReadDataCube(d.get(), 1.0f, kWhite, false);
        mesh->frame->smoothingAngle = angle;
        ASSERT_EQ(TriangulateModelLoadMesh(d.get(), mesh), 1);
        ASSERT_EQ(mesh->faceCount, 12);
        ASSERT_EQ(ComputeModelLoadNormals(d.get(), mesh), 1);
        EXPECT_EQ(mesh->normalCount, 24) << angle;
        for (int f = 0; f < 12; ++f)
            for (int k = 0; k < 3; ++k) {
                const VEC3 &n = mesh->normals[mesh->faces[f].corners[k].normal];
                EXPECT_NEAR(DotVectors(&n, &mesh->faces[f].faceNormal), 1.0f, 1e-5f);
            }
    }
}

TEST_F(LoadDataTest, RotationPartsAreNearStrictlyWithinEpsilon) {
    MAT44 a, b;
    MakeIdentityMatrix(&a);
    b = a;
    const float e = 0.00001f;
    EXPECT_EQ(IsRotationPartNear(&a, &b, e), 1);
    b.m[6] += 2 * e;
    EXPECT_EQ(IsRotationPartNear(&a, &b, e), 0);
    b = a;
    b.m[12] = 5;  // the translation row is not compared
    EXPECT_EQ(IsRotationPartNear(&a, &b, e), 1);
}

// ---- key reduction ---------------------------------------------------------------------

MODELLOADKEYSET *FloatKeys(MODELLOADDATA *d, const std::vector<float> &values, const std::vector<float> &times,
                           int comps = 1) {
    MODELLOADANIMSET *set = AddModelLoadAnimSet(d, "s");
    MODELLOADANIM *anim = AddModelLoadAnim(d, set);
    MODELLOADKEYSET *k = AddModelLoadKeySet(d, anim);
    k->dataType = comps == 1 ? MODELKEY_FLOAT : MODELKEY_VECTOR;
    k->kind = comps == 1 ? MODELKEY_TRANSLATE + 1 : MODELKEY_TRANSLATE;
    k->keyCount = (int)values.size() / comps;
    k->values = LoadArray<float>(d, values.size());
    std::copy(values.begin(), values.end(), k->values);
    if (times.empty()) {
        k->timeType = 0;
        k->start = 0;
        k->step = 1;
    } else {
        k->times = LoadArray<float>(d, times.size());
        std::copy(times.begin(), times.end(), k->times);
    }
    d->keyDataSize += (int)values.size() * 4 + (int)times.size() * 4;
    return k;
}

std::vector<float> KeyTimes(const MODELLOADKEYSET *k) {
    std::vector<float> t;
    for (int i = 0; i < k->keyCount; ++i) t.push_back(k->timeType == 1 ? k->times[i] : k->start + k->step * i);
    return t;
}

int KeyBytes(MODELLOADDATA *d) {
    int total = 0;
    for (MODELLOADKEYSET *k = d->firstKeySet; k; k = k->next)
        total += k->keyCount * ModelKeyValueSize(k->dataType) + (k->timeType == 1 ? 4 * k->keyCount : 0);
    return total;
}

TEST_F(LoadDataTest, KeysOnTheLineBetweenTheirNeighboursAreDropped) {
    const struct {
        const char *what;
        std::vector<float> values, times;
        int comps;
        std::vector<float> keptTimes;
        int timeType;
    } kCases[] = {
        {"three keys on a line", {0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 1, 2}, 3, {0, 2}, 1},
        {"all equal: one key", {3, 3, 3, 3}, {0, 1, 2, 3}, 1, {0}, 0},
        {"uneven times: the line from the last kept key", {0, 1, 2, 4}, {0, 1, 2, 3.5f}, 1, {0, 2, 3.5f}, 1},
        // Evenly spaced keys measure the line from the last kept key too, not at the midpoint.
        {"evenly spaced", {0, 1, 2, 4, 4, 4, 4, 4, 4}, {}, 1, {0, 2, 3, 8}, 1},
        {"evenly spaced, no smaller kept", {0, 1, 2, 4}, {}, 1, {0, 1, 2, 3}, 0},
        {"unreducible even times become a step", {0, 5, 1, 7}, {0, 2, 4, 6}, 1, {0, 2, 4, 6}, 0},
    };
    for (const auto &c : kCases) {
        ReadData d;
        MODELLOADKEYSET *k = FloatKeys(d.get(), c.values, c.times, c.comps);
        ReduceModelLoadKeys(d.get(), k, 0);
        EXPECT_EQ(KeyTimes(k), c.keptTimes) << c.what;
        EXPECT_EQ(k->timeType, c.timeType) << c.what;
        EXPECT_EQ(d->keyDataSize, KeyBytes(d.get())) << c.what;
    }
}

TEST_F(LoadDataTest, AStillAxisIsSplitOffAndTheMovingOnesKeepTheirKeys) {
    ReadData d;
    // x and z off any line, y constant.
    FloatKeys(d.get(), {0, 5, 0, 1, 5, 3, 4, 5, -1, 0, 5, 2}, {0, 1, 3, 4}, 3);
    NormaliseModelLoadKeySets(d.get());
    EXPECT_EQ(d->keyDataSize, KeyBytes(d.get()));
    int axes = 0;
    for (MODELLOADKEYSET *k = d->firstKeySet; k; k = k->next) {
        ASSERT_EQ(k->dataType, MODELKEY_FLOAT);
        ++axes;
        EXPECT_EQ(k->keyCount, k->kind == MODELKEY_TRANSLATE + 2 ? 1 : 4) << (int)k->kind;
    }
    EXPECT_EQ(axes, 3);
}

}  // namespace
