// The PMD reader's fill step and the IK solver: bones, weights, materials, morphs, the knee rule,
// damaged files refused with their line and nothing left allocated.
#include "library/model/pmd_reader.h"
#include "model/load_data_test.h"
#include "model/pmd_fixture.h"

#include <cmath>
#include <cstring>

namespace {

class PmdReaderTest : public LoadDataTest {
protected:
    int Fill(const std::string &file) {
        const char *image = Image(file);
        return Keep(FillPmdLoadData(image, (int)file.size(), "p.pmd", "p", nullptr, &data_));
    }
};

TEST_F(PmdReaderTest, TriangleFileFillsFramesMeshMaterialAndWeights) {
    PmdFile file = PmdTriangle();
    file.vertices[1].normal[2] = -1;
    file.vertices[2].uv[1] = 1;
    PmdMaterial &m = file.materials[0];
    m.diffuse[0] = 0.5f, m.diffuse[3] = 0.75f;
    m.specularity = 2, m.specular[1] = 0.25f;
    m.ambient[2] = 0.125f;
    m.texture = "twenty_bytes_long.bm";  // fills the field: no terminator in the file
    const std::string bytes = file.Bytes();
    ASSERT_EQ(bytes.size(), 530u);
    ASSERT_EQ(Fill(bytes), 0) << Log();
    EXPECT_STREQ(data_.filePath, "p.pmd");
    ASSERT_EQ(data_.frameCount, 2);
    EXPECT_STREQ(data_.firstFrame->name, "Mesh");
    EXPECT_STREQ(data_.firstFrame->next->name, "center");
    ASSERT_EQ(data_.meshCount, 1);
    const MODELLOADMESH *mesh = data_.firstMesh;
    EXPECT_EQ(mesh->frame, data_.firstFrame);
    ASSERT_EQ(mesh->positionCount, 3);
    EXPECT_EQ(mesh->positions[1].x, 1.0f);
    EXPECT_EQ(mesh->normals[1].z, -1.0f);
    EXPECT_EQ(mesh->uvs[0][2].y, 1.0f);
    ASSERT_EQ(mesh->faceCount, 1);
    EXPECT_EQ(mesh->faces[0].corners[2].position, 2);
    EXPECT_EQ(mesh->faces[0].corners[2].normal, 2);
    EXPECT_EQ(mesh->faces[0].corners[2].uvs[0], 2);
    ASSERT_EQ(mesh->materialCount, 1);
    const MODELLOADMATERIAL *mat = mesh->materials[0];
    EXPECT_STREQ(mat->name, "Mat_0");
    EXPECT_EQ(mat->diffuse[0], 0.5f);
    EXPECT_EQ(mat->diffuse[3], 0.75f);
    EXPECT_EQ(mat->specular[1], 0.5f);
    EXPECT_EQ(mat->ambient[2], 0.125f);
    EXPECT_EQ(mat->power, 16.0f);
    ASSERT_EQ(mat->diffuseLayerCount, 1);
    EXPECT_STREQ(mat->diffuseLayers[0]->name, "twenty_bytes_long.bm");
    ASSERT_EQ(mesh->skinWeightCount, 1);
    EXPECT_EQ(mesh->skinWeights[0]->count, 3);
    EXPECT_EQ(mesh->skinWeights[0]->boneFrame, 1);
}

TEST_F(PmdReaderTest, BonesWeightsAndEmptyMaterials) {
    PmdFile file = PmdTriangle();
    file.bones = {{"root", 0xFFFF, {0, 1, 0}}, {"arm", 0, {2, 3, 0}}, {"late", 3, {0, 0, 5}}, {"end", 0xFFFF, {1, 1, 1}}};
    file.vertices[0].bone0 = 0, file.vertices[0].bone1 = 0, file.vertices[0].weight = 30;  // one bone twice
    file.vertices[1].bone0 = 0, file.vertices[1].bone1 = 1, file.vertices[1].weight = 30;
    file.vertices[2].bone0 = 1, file.vertices[2].bone1 = 1, file.vertices[2].weight = 0;
    file.indices = {0, 1, 2, 2, 1, 0};
    PmdMaterial empty, second;
    second.corners = 3;
    file.materials[0].corners = 3;
    file.materials = {file.materials[0], empty, second};
    ASSERT_EQ(Fill(file.Bytes()), 0) << Log();
    // A parent later in the file is no parent: the head stands as the translation.
    EXPECT_EQ(Frame("arm")->parent, Frame("root"));
    EXPECT_EQ(Frame("arm")->translation.x, 2.0f);
    EXPECT_EQ(Frame("arm")->translation.y, 2.0f);
    EXPECT_EQ(Frame("late")->parent, nullptr);
    EXPECT_EQ(Frame("late")->translation.z, 5.0f);
    const MODELLOADMESH *mesh = data_.firstMesh;
    ASSERT_EQ(mesh->skinWeightCount, 2);
    const MODELLOADSKINWEIGHT *root = mesh->skinWeights[0], *arm = mesh->skinWeights[1];
    EXPECT_EQ(root->boneFrame, Frame("root")->index);
    EXPECT_EQ(root->offset.m[13], -1.0f);
    ASSERT_EQ(root->count, 2);
    EXPECT_EQ(root->pairs[0].weight, 1.0f);
    EXPECT_FLOAT_EQ(root->pairs[1].weight, 0.3f);
    ASSERT_EQ(arm->count, 2);
    EXPECT_EQ(arm->pairs[0].position, 1);
    EXPECT_FLOAT_EQ(arm->pairs[0].weight, 0.7f);
    EXPECT_EQ(arm->pairs[1].weight, 1.0f);
    // Three materials made, the empty one left out of the mesh's list.
    EXPECT_EQ(data_.materialCount, 3);
    ASSERT_EQ(mesh->materialCount, 2);
    EXPECT_STREQ(mesh->materials[1]->name, "Mat_2");
    EXPECT_EQ(mesh->faces[1].material, 1);
}

TEST_F(PmdReaderTest, MorphsPastTheBaseBecomeShapesOfASecondMesh) {
    PmdFile file = PmdTriangle();
    file.vertices.push_back({{5, 5, 0}});
    file.vertices.push_back({{6, 5, 0}});
    file.indices = {0, 1, 2, 1, 3, 4};
    file.materials[0].corners = 6;
    file.morphs = {{"base", {{3, {5, 5, 0}}}}};
    ASSERT_EQ(Fill(file.Bytes()), 0) << Log();
    EXPECT_EQ(data_.meshCount, 1);
    EXPECT_EQ(data_.shapeCount, 0);

    file.morphs.push_back({"smile", {{0, {0, 1, 0}}}});
    ASSERT_EQ(Fill(file.Bytes()), 0) << Log();
    ASSERT_EQ(data_.meshCount, 2);
    ASSERT_EQ(data_.shapeCount, 1);
    const MODELLOADMESH *main = data_.firstMesh, *morph = main->next;
    EXPECT_EQ(morph->frame, data_.firstFrame);
    // The face touching vertex 3 moved; its vertices renumbered from the base's.
    EXPECT_EQ(main->faceCount, 1);
    ASSERT_EQ(morph->faceCount, 1);
    const MODELLOADCORNER *c = morph->faces[0].corners;
    EXPECT_EQ((std::vector<int>{c[0].position, c[1].position, c[2].position}), (std::vector<int>{1, 0, 2}));
    ASSERT_EQ(morph->positionCount, 3);
    EXPECT_EQ(morph->positions[0].x, 5.0f);
    EXPECT_EQ(morph->positions[1].x, 1.0f);
    ASSERT_EQ(morph->materialCount, 1);
    ASSERT_EQ(morph->skinWeightCount, 1);
    EXPECT_EQ(morph->skinWeights[0]->count, 3);
    // The main record drops the base vertex.
    EXPECT_EQ(main->skinWeights[0]->count, 4);
    const MODELLOADSHAPE *shape = data_.firstShape;
    EXPECT_STREQ(shape->name, "smile");
    EXPECT_EQ(shape->mesh, morph);
    EXPECT_EQ(shape->frame, data_.firstFrame);
    ASSERT_EQ(shape->vertexCount, 1);
    EXPECT_EQ(shape->vertices[0].position, 0);
    EXPECT_EQ(shape->vertices[0].offset.y, 1.0f);
}

// A leg: hip over knee over ankle, and an IK target the ankle reaches for.
struct Leg {
    PMDBONE bones[4] = {};
    PMDIKCHAIN chain = {};
    explicit Leg(VEC3 goal) {
        const VEC3 translations[4] = {{0, 10, 0}, {0, -5, 0}, {0, -5, 0}, goal};
        const int parents[4] = {-1, 0, 1, -1};
        for (int i = 0; i < 4; ++i) {
            bones[i].translation = translations[i];
            bones[i].parent = parents[i];
            bones[i].quaternion[3] = 1;
        }
        bones[1].knee = 1;
        chain.goal = &bones[3];
        chain.effector = &bones[2];
        chain.iterations = 40;
        chain.limit = 3.1415927f;
        chain.linkCount = 2;
        chain.links[0] = 1;
        chain.links[1] = 0;
        UpdatePmdBoneMatrices(4, bones);
    }
};

TEST_F(PmdReaderTest, KneeBendsOnlyBackwardsAboutXWhileTheAnkleReachesTheGoal) {
    for (const VEC3 goal : {VEC3{0, 2, 2}, VEC3{0, 3, -2}, VEC3{0, 1, 1}}) {
        Leg leg(goal);
        SolvePmdIK(&leg.chain, leg.bones);
        const float *ankle = &leg.bones[2].world.m[12];
        EXPECT_NEAR(ankle[0], goal.x, 0.02f);
        EXPECT_NEAR(ankle[1], goal.y, 0.02f);
        EXPECT_NEAR(ankle[2], goal.z, 0.02f);
        const float *knee = leg.bones[1].quaternion;
        EXPECT_EQ(knee[1], 0.0f);
        EXPECT_EQ(knee[2], 0.0f);
        const float angle = 2 * std::atan2(knee[0], knee[3]);
        EXPECT_GE(angle, -3.1415927f);
        EXPECT_LE(angle, -0.002f);
    }
}

TEST_F(PmdReaderTest, DamagedFilesAreRefusedWithALineAndNothingKept) {
    auto with = [](auto change) {
        PmdFile f = PmdTriangle();
        change(f);
        return f.Bytes();
    };
    struct Case {
        std::string file;
        const char *line;
    } cases[] = {
        {with([](PmdFile &f) { f.version = 1.1f; }), "バージョン１．０以外は読み込めません"},
        {with([](PmdFile &f) { f.indices = {0, 1, 3}; }), "面の頂点インデックス( 3 )が頂点の数( 3 )を超えています"},
        {with([](PmdFile &f) { f.vertices[1].bone1 = 1; }), "頂点 1 のボーン( 0, 1 )がありません"},
        {with([](PmdFile &f) { f.bones[0].parent = 1; }), "ボーン center の親ボーン( 1 )がありません"},
        {with([](PmdFile &f) { f.bones.resize(1025, PmdBone{"b"}); }), "ボーンの数( 1025 )が上限の 1024 を超えています"},
        {with([](PmdFile &f) { f.materials[0].corners = 6; }), "No.0 の Material の面の数( 2 )が残りの面の数を超えています"},
        {with([](PmdFile &f) { f.iks = {{0, 1, 4, 1, {0}}}; }), "No.0 の ＩＫ のボーンがありません"},
        {with([](PmdFile &f) { f.iks = {{0, 0, 4, 1, {7}}}; }), "No.0 の ＩＫ のボーンがありません"},
        {with([](PmdFile &f) { f.morphs = {{"base", {{3, {0, 0, 0}}}}}; }), "No.0 の表情の頂点インデックス( 3 )が不正です"},
        {with([](PmdFile &f) { f.morphs = {{"base", {{0, {0, 0, 0}}}}, {"m", {{1, {0, 0, 0}}}}}; }),
         "No.1 の表情の頂点インデックス( 1 )が不正です"},
        {with([](PmdFile &f) {
             f.materials.resize(257, f.materials[0]);
             f.indices.resize(3 * 257, 0);
         }),
         "マテリアルの数が上限の 256 を超えています"},
    };
    Log();
    const int before = LiveMemBlocks();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Fill(c.file), -1);
        const std::string log = Log();
        EXPECT_NE(log.find(std::string("PMD Load Error : ") + c.line), std::string::npos) << log;
        EXPECT_EQ(LiveMemBlocks(), before);
    }
    // Another kind of file: silently. Every cut of a full file: refused with a line.
    EXPECT_EQ(Fill("Pmx 2.0"), -1);
    EXPECT_EQ(Fill(""), -1);
    EXPECT_EQ(Log(), "");
    PmdFile full = PmdTriangle();
    full.bones.push_back({"knee", 0, {0, 1, 0}});
    full.iks = {{0, 1, 4, 1, {0}}};
    full.morphs = {{"base", {{0, {0, 0, 0}}}}, {"m", {{0, {0, 1, 0}}}}};
    const std::string good = full.Bytes();
    ASSERT_EQ(Fill(good), 0) << Log();
    Release();
    for (size_t cut = 3; cut < good.size(); ++cut) {
        EXPECT_EQ(Fill(good.substr(0, cut)), -1) << cut;
        EXPECT_NE(Log().find("PMD Load Error : "), std::string::npos) << cut;
        EXPECT_EQ(LiveMemBlocks(), before) << cut;
    }
}

}  // namespace
