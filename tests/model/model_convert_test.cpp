// The converter's decisions on read data built in code: skin classes and bone palettes, list
// splits, the alpha mark, the frame matrix taken apart, skin-bone merging, and allocation
// failures that leave nothing behind.
#include "library/model/model_load_data.h"
#include "model/load_data_fixture.h"
#include "model/model_fixture.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace {

class ConvertTest : public ModelTablesTest {
protected:
    const MV1BASE *Convert(MODELLOADDATA *data) {
        base_ = ConvertModelLoadData(data, "");
        EXPECT_NE(base_, -1) << Log();
        return base_ == -1 ? nullptr : GetModelBase(base_);
    }
    int base_ = -1;
};

const uint32_t kWhite[6] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u};

// A frame "root" with `bones` bone frames below it and one mesh of `triangles` separate
// triangles; vertex v of triangle t is driven by the bones boneOf(t, v) (equal weights).
template <class F>
MODELLOADMESH *SkinnedTriangles(MODELLOADDATA *d, int bones, int triangles, F boneOf) {
    MODELLOADFRAME *root = AddModelLoadFrame(d, "root", nullptr);
    for (int b = 0; b < bones; ++b) AddModelLoadFrame(d, ("b" + std::to_string(b)).c_str(), root);
    MODELLOADMESH *mesh = AddModelLoadMesh(d, root);
    std::vector<VEC3> p;
    std::vector<std::vector<int>> faces;
    for (int t = 0; t < triangles; ++t) {
        p.push_back({(float)t, 0, 0});
        p.push_back({(float)t, 1, 0});
        p.push_back({(float)t + 1, 0, 0});
        faces.push_back({3 * t, 3 * t + 1, 3 * t + 2});
    }
    SetPositions(d, mesh, p);
    SetFaces(d, mesh, faces, 0);
    mesh->materialCount = 1;
    mesh->materials[0] = AddModelLoadMaterial(d, "m");
    std::vector<std::vector<std::pair<int, float>>> perBone(bones);
    for (int t = 0; t < triangles; ++t)
        for (int v = 0; v < 3; ++v) {
            const std::vector<int> set = boneOf(t, v);
            for (int b : set) perBone[b].push_back({3 * t + v, 1.0f / (float)set.size()});
        }
    for (int b = 0; b < bones; ++b)
        if (!perBone[b].empty()) AddWeight(d, mesh, b + 1, perBone[b]);
    return mesh;
}

std::vector<int> Range(int from, int count) {
    std::vector<int> r;
    for (int i = 0; i < count; ++i) r.push_back(from + i);
    return r;
}

TEST_F(ConvertTest, FacesTakeTheClassOfTheirBonesTogether) {
    const struct {
        const char *what;
        std::vector<std::vector<int>> corners;  // bones of the three vertices
        int kind;
    } kCases[] = {
        {"one bone", {{0}, {0}, {0}}, MV1_KIND_FOUR},
        {"four bones", {{0, 1}, {2, 3}, {0, 3}}, MV1_KIND_FOUR},
        {"8, 8 and 8 bones", {Range(0, 8), Range(8, 8), Range(16, 8)}, MV1_KIND_EIGHT},
        {"one vertex of 9 bones", {Range(0, 9), {0}, {1}}, MV1_KIND_FREE},
    };
    for (const auto &c : kCases) {
        ReadData d;
        SkinnedTriangles(d.get(), 24, 1, [&](int, int v) { return c.corners[v]; });
        const MV1BASE *base = Convert(d.get());
        ASSERT_NE(base, nullptr) << c.what;
        ASSERT_EQ(base->triangleListCount, 1) << c.what;
        EXPECT_EQ(base->triangleLists[0].kind, c.kind) << c.what;
        ReleaseModelBase(base_);
    }
}

TEST_F(ConvertTest, ListsHoldAtMost65535IndicesAndPalettesOf54Bones) {
    for (int triangles : {21845, 21846}) {
        ReadData d;
        MODELLOADFRAME *f = AddModelLoadFrame(d.get(), "f", nullptr);
        MODELLOADMESH *mesh = AddModelLoadMesh(d.get(), f);
        std::vector<VEC3> p;
        std::vector<std::vector<int>> faces;
        for (int t = 0; t < triangles; ++t) {
            p.push_back({(float)t, 0, 0});
            p.push_back({(float)t, 1, 0});
            p.push_back({(float)t + 1, 0, 0});
            faces.push_back({3 * t, 3 * t + 1, 3 * t + 2});
        }
        SetPositions(d.get(), mesh, p);
        SetFaces(d.get(), mesh, faces, 0);
        mesh->materialCount = 1;
        mesh->materials[0] = AddModelLoadMaterial(d.get(), "m");
        const MV1BASE *base = Convert(d.get());
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->triangleListCount, triangles == 21845 ? 1 : 2) << triangles;
        for (int i = 0; i < base->triangleListCount; ++i) EXPECT_LE(base->triangleLists[i].indexCount, 65535);
        ReleaseModelBase(base_);
    }

    // 60 bones, each triangle on one: no palette holds more than 54, every triangle is drawn.
    ReadData d;
    SkinnedTriangles(d.get(), 60, 60, [](int t, int) { return std::vector<int>{t}; });
    const MV1BASE *base = Convert(d.get());
    ASSERT_NE(base, nullptr);
    EXPECT_GE(base->triangleListCount, 2);
    int indices = 0;
    for (int i = 0; i < base->triangleListCount; ++i) {
        EXPECT_EQ(base->triangleLists[i].kind, MV1_KIND_FOUR);
        EXPECT_LE(base->triangleLists[i].boneCount, 54);
        indices += base->triangleLists[i].indexCount;
    }
    EXPECT_EQ(indices, 180);
}

TEST_F(ConvertTest, AVertexAlphaBelowOneMarksItsMesh) {
    for (uint32_t alpha : {255u, 254u}) {
        ReadData d;
        uint32_t colours[6] = {~0u, ~0u, ~0u, ~0u, ~0u, ~0u};
        colours[3] = alpha << 24 | 0xFFFFFF;
        AddReadDataCube(d.get(), 1.0f, colours);
        const MV1BASE *base = Convert(d.get());
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->meshes[0].needsAlpha != 0, alpha == 254u) << alpha;
        ReleaseModelBase(base_);
    }
}

TEST_F(ConvertTest, FrameMatricesAreTakenApartIntoOrderAnglesAndScale) {
    const float a = 0.5235988f;  // 30 degrees
    const struct {
        const char *what;
        float scale;
    } kCases[] = {{"30 degrees about y", 1.0f}, {"rows doubled", 2.0f}};
    for (const auto &c : kCases) {
        ReadData d;
        MODELLOADFRAME *f = AddModelLoadFrame(d.get(), "f", nullptr);
        MakeIdentityMatrix(&f->matrix);
        // Row-vector form: x' = x cos - z sin about y.
        const float m[16] = {std::cos(a), 0, -std::sin(a), 0, 0, 1, 0, 0, std::sin(a), 0, std::cos(a), 0, 3, 4, 5, 1};
        for (int i = 0; i < 16; ++i) f->matrix.m[i] = i < 12 ? m[i] * c.scale : m[i];
        AddReadDataCube(d.get(), 1.0f, kWhite, true, f);
        const MV1BASE *base = Convert(d.get());
        ASSERT_NE(base, nullptr);
        const MV1FRAME &g = base->frames[0];
        EXPECT_EQ(g.rotationOrder, 0) << c.what;
        EXPECT_NEAR(std::fabs(g.rotation.y), a, 1e-5f) << c.what;
        EXPECT_NEAR(g.rotation.x, 0, 1e-5f) << c.what;
        EXPECT_NEAR(g.rotation.z, 0, 1e-5f) << c.what;
        EXPECT_NEAR(g.scale.x, c.scale, 1e-5f) << c.what;
        EXPECT_NEAR(g.scale.y, c.scale, 1e-5f) << c.what;
        EXPECT_NEAR(g.scale.z, c.scale, 1e-5f) << c.what;
        EXPECT_EQ(g.translation.x, 3) << c.what;
        ReleaseModelBase(base_);
    }
}

TEST_F(ConvertTest, SkinWeightsOfOneBoneAndMatrixShareOneEntry) {
    for (bool differ : {false, true}) {
        ReadData d;
        MODELLOADMESH *mesh = SkinnedTriangles(d.get(), 1, 2, [](int, int) { return std::vector<int>{0}; });
        // A second weight of the same bone: the first triangle's corners moved to it.
        mesh->skinWeights[0]->count = 3;
        MODELLOADSKINWEIGHT *w = AddWeight(d.get(), mesh, 1, {{3, 1.0f}, {4, 1.0f}, {5, 1.0f}});
        if (differ) {
            uint32_t bits;
            std::memcpy(&bits, &w->offset.m[0], 4);
            ++bits;
            std::memcpy(&w->offset.m[0], &bits, 4);
        }
        const MV1BASE *base = Convert(d.get());
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(base->skinBoneCount, differ ? 2 : 1) << differ;
        if (!differ) {
            EXPECT_EQ(base->skinBones[0].useCount, 2);
        }
        EXPECT_EQ(base->frames[1].firstSkinBone, 0);
        EXPECT_EQ(base->frames[1].skinBoneCount, differ ? 2 : 1);
        ReleaseModelBase(base_);
    }
}

TEST_F(ConvertTest, EveryAllocationFailureLeavesNoSlot) {
    const int blocks = PlatformTestHeapBlockCount();
    for (int n = 0;; ++n) {
        int base;
        {
            ReadData d;
            SkinnedTriangles(d.get(), 2, 4, [](int t, int v) { return std::vector<int>{(t + v) % 2}; });
            PlatformTestFailAllocationsAfter(n, 1);
            base = ConvertModelLoadData(d.get(), "");
            PlatformTestFailAllocations(0);
        }
        Log();
        if (base != -1) {
            ReleaseModelBase(base);
            break;
        }
        EXPECT_EQ(g_modelSystem.bases.used, 0) << n;
        DeleteAllModels();  // the slot table itself
        EXPECT_EQ(PlatformTestHeapBlockCount(), blocks) << n;
        if (HasFailure() || n > 10000) break;
    }
}

// A frame's matrix range holds the bits of its own subtree (index + 1 for each frame in it),
// whatever order the frames were added in; counted here by walking the parents.
TEST_F(ConvertTest, MatrixRangesHoldExactlyTheirSubtrees) {
    ReadData d;
    MODELLOADFRAME *r = AddModelLoadFrame(d.get(), "r", nullptr);
    MODELLOADFRAME *a = AddModelLoadFrame(d.get(), "a", r);
    MODELLOADFRAME *b = AddModelLoadFrame(d.get(), "b", r);
    MODELLOADFRAME *a1 = AddModelLoadFrame(d.get(), "a1", a);
    AddModelLoadFrame(d.get(), "b1", b);
    AddModelLoadFrame(d.get(), "a2", a1);
    for (int i = 0; i < 40; ++i) AddModelLoadFrame(d.get(), ("c" + std::to_string(i)).c_str(), a1);
    AddModelLoadFrame(d.get(), "s", nullptr);
    AddReadDataCube(d.get(), 1.0f, kWhite, true, r);
    const MV1BASE *base = Convert(d.get());
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(base->frameCount, 47);
    for (int i = 0; i < base->frameCount; ++i) {
        const MV1FRAME &f = base->frames[i];
        std::set<int> naive, bits;
        for (int j = 0; j < base->frameCount; ++j)
            for (const MV1FRAME *g = &base->frames[j]; g; g = g->parent)
                if (g == &f) naive.insert(base->frames[j].index + 1);
        const BITRANGE &range = f.matrixRange;
        if (!range.maskWords) {
            bits.insert(range.wordIndex * 32 + std::countr_zero(range.firstBitMask));
        } else {
            for (int w = 0; w < range.wordCount; ++w)
                for (int k = 0; k < 32; ++k)
                    if (range.maskWords[w] >> k & 1u) bits.insert((range.wordIndex + w) * 32 + k);
        }
        EXPECT_EQ(bits, naive) << f.name;
    }
    ReleaseModelBase(base_);
}

}  // namespace
