// The X reader's fill step: the object tree walked into the read data (frames, meshes, materials,
// textures, faces, colours, skin weights, animations), the same in every form, and damaged or
// inconsistent files refused with their line and nothing left allocated.
#include "library/model/x_reader.h"
#include "model/load_data_test.h"
#include "model/x_fixture.h"

#include <cmath>
#include <cstring>

namespace {

class XConvertTest : public LoadDataTest {
protected:
    int Fill(const std::string &file) {
        const char *image = Image(file);
        return Keep(FillXLoadData(image, (int)file.size(), "dir/a.x", "a", &data_));
    }

    // The frames as "name(parent)" in list order.
    std::string Frames() const {
        std::string s;
        for (const MODELLOADFRAME *f = data_.firstFrame; f; f = f->next)
            s += std::string(s.empty() ? "" : " ") + f->name + "(" + (f->parent ? f->parent->name : "") + ")";
        return s;
    }
};

// The three forms of one document.
std::vector<std::string> Forms(const std::vector<XNode> &doc) {
    return {XText(doc), XBinary(doc, false), XBinary(doc, true)};
}

bool IsIdentity(const MAT44 &m) {
    for (int i = 0; i < 16; ++i)
        if (m.m[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
    return true;
}

TEST_F(XConvertTest, MinimalFileFillsTheSameReadDataInEveryForm) {
    std::vector<std::string> files = Forms(XMinimalDocument());
    files.push_back(kXMinimalText);
    for (const std::string &file : files) {
        SCOPED_TRACE(file.substr(0, 16));
        ASSERT_EQ(Fill(file), 0) << Log();
        EXPECT_STREQ(data_.filePath, "dir/a.x");
        EXPECT_STREQ(data_.fileName, "a");
        EXPECT_EQ(Frames(), "Root()");
        EXPECT_TRUE(IsIdentity(data_.firstFrame->matrix));
        ASSERT_EQ(data_.meshCount, 1);
        const MODELLOADMESH *mesh = data_.firstMesh;
        EXPECT_EQ(mesh->frame, data_.firstFrame);
        EXPECT_EQ(mesh->positionCount, 4);
        EXPECT_EQ(mesh->positions[2].x, 1.0f);
        EXPECT_EQ(mesh->positions[2].y, 1.0f);
        EXPECT_EQ(mesh->normals, nullptr);
        ASSERT_EQ(mesh->uvCounts[0], 4);
        EXPECT_EQ(mesh->uvs[0][0].y, 1.0f);
        ASSERT_EQ(mesh->faceCount, 1);
        EXPECT_EQ(mesh->faces[0].vertexCount, 4);
        EXPECT_EQ(mesh->faces[0].corners[3].position, 3);
        EXPECT_EQ(mesh->faces[0].corners[3].uvs[0], 3);
        // Slots the file does not fill read 0 (the converter reads every UV set it is given).
        for (int k = 0; k < 4; ++k) {
            const MODELLOADCORNER &corner = mesh->faces[0].corners[k];
            EXPECT_EQ(corner.normal, 0);
            for (int s = 1; s < MODELLOAD_UV_SETS; ++s) EXPECT_EQ(corner.uvs[s], 0) << k << ' ' << s;
        }
        EXPECT_EQ(mesh->faces[0].material, 0);
        ASSERT_EQ(data_.materialCount, 1);
        ASSERT_EQ(mesh->materialCount, 1);
        const MODELLOADMATERIAL *m = mesh->materials[0];
        EXPECT_EQ(m, data_.firstMaterial);
        EXPECT_EQ(m->power, 10.0f);
        EXPECT_EQ(m->diffuse[3], 1.0f);
        EXPECT_EQ(m->ambient[3], 0.0f);
        ASSERT_EQ(m->diffuseLayerCount, 1);
        EXPECT_STREQ(m->diffuseLayers[0]->name, "tex.bmp");
        EXPECT_EQ(m->diffuseLayers[0]->bumpHeight, 0.1f);
        EXPECT_EQ(data_.textureCount, 1);
    }
}

TEST_F(XConvertTest, MeshesGetFramesByWhereTheyStand) {
    const std::vector<double> tri{0, 0, 0, 1, 0, 0, 0, 1, 0};
    XNode frame = XObj("Frame", "Body");
    frame.Child(XObj("FrameTransformMatrix").Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}));
    frame.Child(XMesh("", tri, {{0, 1, 2}}));
    frame.Child(XMesh("Named", tri, {{0, 1, 2}}));
    frame.Child(XObj("Frame", "Child"));
    frame.Child(XObj("Frame", "Ref").Ref("Top"));
    for (const std::string &file : Forms({XMesh("", tri, {{0, 1, 2}}), XMesh("Top", tri, {{0, 1, 2}}), frame})) {
        ASSERT_EQ(Fill(file), 0) << Log();
        // The named top mesh gets its frame where a frame refers to it, and is drawn there for the
        // top level as well; the unnamed one gets a root frame "Mesh".
        EXPECT_EQ(Frames(), "Body() Named(Body) Child(Body) Ref(Body) Top(Ref) Mesh()");
        EXPECT_EQ(Frame("Top")->meshCount, 2);
        EXPECT_EQ(Frame("Body")->matrix.m[12], 5.0f);
        EXPECT_TRUE(IsIdentity(Frame("Named")->matrix));
        // The unnamed mesh in Body is Body's own, each with its "Normal" material.
        EXPECT_EQ(Frame("Body")->meshCount, 1);
        EXPECT_EQ(Frame("Named")->meshCount, 1);
        EXPECT_EQ(Frame("Mesh")->meshCount, 1);
        EXPECT_STREQ(Frame("Mesh")->firstMesh->materials[0]->name, "Normal");
        EXPECT_EQ(data_.meshCount, 5);
        EXPECT_EQ(data_.materialCount, 5);
    }
}

TEST_F(XConvertTest, MaterialListsInheritTexturesAndFallBackToMaterialZero) {
    const std::vector<double> quad{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    XNode mesh = XMesh("", quad, {{0, 1, 2}, {0, 2, 3}});
    // Two per-face indices but one is missing: every face takes material 0.
    mesh.Child(XObj("MeshMaterialList")
                   .Ints({2, 1, 1})
                   .Child(XObj("Material", "A")
                              .Floats({0.2, 0.4, 0.6, 0.5, 20, 1, 1, 1, 0.1, 0.2, 0.3})
                              .Child(XObj("TextureFilename").Str("a.bmp")))
                   .Child(XObj("Material", "B").Floats({1, 1, 1, 1, 5, 0, 0, 0, 0, 0, 0})));
    for (const std::string &file : Forms({mesh})) {
        ASSERT_EQ(Fill(file), 0) << Log();
        const MODELLOADMESH *m = data_.firstMesh;
        ASSERT_EQ(m->materialCount, 2);
        const MODELLOADMATERIAL *a = m->materials[0], *b = m->materials[1];
        EXPECT_STREQ(a->name, "A");
        EXPECT_FLOAT_EQ(a->diffuse[1], 0.4f);
        EXPECT_EQ(a->diffuse[3], 1.0f);  // the face colour's alpha is not used
        EXPECT_FLOAT_EQ(a->emissive[2], 0.3f);
        EXPECT_EQ(a->specular[3], 0.0f);
        ASSERT_EQ(b->diffuseLayerCount, 1);
        EXPECT_EQ(b->diffuseLayers[0], a->diffuseLayers[0]);
        EXPECT_EQ(m->faces[0].material, 0);
        EXPECT_EQ(m->faces[1].material, 0);
    }
    // With a full index list each face keeps its own.
    mesh.children[0].groups[0].values = {2, 2, 1, 0};
    ASSERT_EQ(Fill(XText({mesh})), 0) << Log();
    EXPECT_EQ(data_.firstMesh->faces[0].material, 1);
    EXPECT_EQ(data_.firstMesh->faces[1].material, 0);
}

TEST_F(XConvertTest, NormalsColoursAndSkinWeightsReachTheMesh) {
    XNode bone = XObj("Frame", "Bone");
    XNode mesh = XMesh("", {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {{0, 1, 2}, {0, 2, 3}});
    mesh.Child(XObj("MeshNormals").Ints({2}).Floats({0, 0, 1, 0, 0, -1}).Ints({2, 3, 0, 0, 0, 3, 1, 1, 1}));
    mesh.Child(XObj("MeshVertexColors")
                   .Ints({3})
                   .Ints({2}).Floats({1, 0, 0, 1})
                   .Ints({0}).Floats({0, 1, 0, 1})
                   .Ints({2}).Floats({0, 0, 1, 0.5}));
    mesh.Child(XObj("SkinWeights")
                   .Str("Bone")
                   .Ints({2, 1, 3})
                   .Floats({0.25, 0.75, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 9, 8, 7, 1}));
    XNode root = XObj("Frame", "Root").Child(bone).Child(mesh);
    for (const std::string &file : Forms({root})) {
        ASSERT_EQ(Fill(file), 0) << Log();
        const MODELLOADMESH *m = data_.firstMesh;
        ASSERT_EQ(m->normalCount, 2);
        EXPECT_EQ(m->normals[1].z, -1.0f);
        EXPECT_EQ(m->faces[0].corners[2].normal, 0);
        EXPECT_EQ(m->faces[1].corners[0].normal, 1);
        // Four colours: the file's three and white; vertex 2 takes the later of its two.
        ASSERT_EQ(m->colourCount, 4);
        EXPECT_EQ(m->colours[3][0], 1.0f);
        EXPECT_EQ(m->colours[3][3], 1.0f);
        EXPECT_EQ(m->faces[0].corners[0].colour, 1);
        EXPECT_EQ(m->faces[0].corners[1].colour, 3);
        EXPECT_EQ(m->faces[0].corners[2].colour, 2);
        EXPECT_EQ(m->colours[2][3], 0.5f);
        ASSERT_EQ(m->skinWeightCount, 1);
        const MODELLOADSKINWEIGHT *w = m->skinWeights[0];
        EXPECT_EQ(w->boneFrame, Frame("Bone")->index);
        ASSERT_EQ(w->count, 2);
        EXPECT_EQ(w->pairs[1].position, 3);
        EXPECT_EQ(w->pairs[1].weight, 0.75f);
        EXPECT_EQ(w->offset.m[12], 9.0f);
    }
}

TEST_F(XConvertTest, AnimationKeysOfEveryTypeBecomeKeySets) {
    XNode anim = XObj("Animation").Ref("Root");
    const std::vector<double> matrix{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    struct {
        int type;
        std::vector<double> values;
    } keys[] = {{0, {1, 0, 0, 0}}, {1, {2, 3, 4}}, {2, {5, 6, 7}}, {3, matrix}, {4, matrix}, {9, {0.5, 1, 2, 3}}};
    for (const auto &k : keys) {
        XNode key = XObj("AnimationKey").Ints({(double)k.type, 2});
        key.Ints({0, (double)k.values.size()}).Floats(k.values);
        key.Ints({30, (double)k.values.size()}).Floats(k.values);
        anim.Child(key);
    }
    XNode set = XObj("AnimationSet", "Walk").Child(anim);
    for (const std::string &file : Forms({XObj("Frame", "Root"), set})) {
        ASSERT_EQ(Fill(file), 0) << Log();
        ASSERT_EQ(data_.animSetCount, 1);
        EXPECT_STREQ(data_.firstAnimSet->name, "Walk");
        EXPECT_EQ(data_.firstAnimSet->totalTime, 30.0f);
        const MODELLOADANIM *a = data_.firstAnim;
        EXPECT_STREQ(a->frameName, "Root");
        EXPECT_EQ(a->frameIndex, 0);
        ASSERT_EQ(a->keySetCount, 6);
        struct {
            uint8_t kind, type;
            std::vector<float> first;
        } want[] = {{MODELKEY_ROTATE, MODELKEY_QUATERNION, {0, 0, 0, 1}},
                    {MODELKEY_SCALE, MODELKEY_VECTOR, {2, 3, 4}},
                    {MODELKEY_TRANSLATE, MODELKEY_VECTOR, {5, 6, 7}},
                    {MODELKEY_MATRIX, MODELKEY_MATRIX4X3, {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}},
                    {MODELKEY_MATRIX, MODELKEY_MATRIX4X3, {1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15}},
                    {MODELKEY_ROTATE, MODELKEY_QUATERNION, {1, 2, 3, 0.5}}};
        int bytes = 0;
        const MODELLOADKEYSET *ks = a->firstKeySet;
        for (const auto &w : want) {
            ASSERT_NE(ks, nullptr);
            EXPECT_EQ(ks->kind, w.kind);
            EXPECT_EQ(ks->dataType, w.type);
            EXPECT_EQ(ks->timeType, 1);
            ASSERT_EQ(ks->keyCount, 2);
            EXPECT_EQ(ks->times[1], 30.0f);
            EXPECT_EQ(std::vector<float>(ks->values, ks->values + w.first.size()), w.first);
            bytes += 2 * (ModelKeyValueSize(ks->dataType) + 4);
            ks = ks->nextInAnim;
        }
        EXPECT_EQ(data_.keyDataSize, bytes);
    }
}

TEST_F(XConvertTest, MatrixKeysBecomeTranslationAndQuaternionOnceNormalised) {
    // A quarter turn about z, then a move by (1, 2, 3), as a row-vector matrix, at two times.
    const std::vector<double> m{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    XNode key = XObj("AnimationKey").Ints({4, 2});
    key.Ints({0, 16}).Floats(m).Ints({10, 16}).Floats(m);
    const XNode set = XObj("AnimationSet", "Turn").Child(XObj("Animation").Ref("Root").Child(key));
    for (const std::string &file : Forms({XObj("Frame", "Root"), set})) {
        ASSERT_EQ(Fill(file), 0) << Log();
        NormaliseModelLoadKeySets(&data_);
        float translation[3] = {-1, -1, -1}, quaternion[4] = {};
        int bytes = 0;
        for (const MODELLOADKEYSET *k = data_.firstAnim->firstKeySet; k; k = k->nextInAnim) {
            ASSERT_GE(k->keyCount, 1);
            bytes += k->keyCount * ModelKeyValueSize(k->dataType) + (k->timeType == 1 ? 4 * k->keyCount : 0);
            if (k->kind == MODELKEY_TRANSLATE && k->dataType == MODELKEY_VECTOR) std::memcpy(translation, k->values, 12);
            else if (k->kind > MODELKEY_TRANSLATE && k->kind <= MODELKEY_TRANSLATE + 3) translation[k->kind - 11] = k->values[0];
            else if (k->kind == MODELKEY_ROTATE && k->dataType == MODELKEY_QUATERNION_COLUMN) std::memcpy(quaternion, k->values, 16);
            else ADD_FAILURE() << "kind " << (int)k->kind << " type " << (int)k->dataType;
        }
        EXPECT_EQ(std::vector<float>(translation, translation + 3), (std::vector<float>{1, 2, 3}));
        EXPECT_NEAR(quaternion[0], 0.0f, 1e-6f);
        EXPECT_NEAR(quaternion[1], 0.0f, 1e-6f);
        EXPECT_NEAR(std::fabs(quaternion[2]), 0.70710677f, 1e-6f);
        EXPECT_NEAR(std::fabs(quaternion[3]), 0.70710677f, 1e-6f);
        EXPECT_EQ(data_.keyDataSize, bytes);
    }
}

TEST_F(XConvertTest, InconsistentFilesAreRefusedWithTheirLineAndNothingKept) {
    const std::vector<double> quad{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    auto meshWith = [&](XNode child) { return XMesh("", quad, {{0, 1, 2}, {0, 2, 3}}).Child(std::move(child)); };
    const XNode material = XObj("Material").Floats({1, 1, 1, 1, 5, 0, 0, 0, 0, 0, 0});
    struct Case {
        const char *what;
        std::vector<XNode> doc;
        const char *line;
    } cases[] = {
        {"three materials declared, two found",
         {meshWith(XObj("MeshMaterialList").Ints({3, 2, 0, 1}).Child(material).Child(material))},
         "マテリアルリストのマテリアル数( 3 )と実際のマテリアルの数( 2 )が違いました"},
        {"uv count", {meshWith(XObj("MeshTextureCoords").Ints({3}).Floats({0, 0, 1, 0, 1, 1}))},
         "テクスチャ座標の数( 3 )と頂点座標の数( 4 )が違いました"},
        {"normal face count", {meshWith(XObj("MeshNormals").Ints({1}).Floats({0, 0, 1}).Ints({1, 3, 0, 0, 0}))},
         "メッシュリストの面の数( 2 )と法線の面の数( 1 )が違いました"},
        {"normal face corners",
         {meshWith(XObj("MeshNormals").Ints({1}).Floats({0, 0, 1}).Ints({2, 3, 0, 0, 0, 4, 0, 0, 0, 0}))},
         "1 番目の面の頂点数( 3 )と法線の面の頂点数( 4 )が違いました"},
        {"colour vertex", {meshWith(XObj("MeshVertexColors").Ints({1}).Ints({4}).Floats({1, 1, 1, 1}))},
         "頂点カラーの頂点インデックス( 4 )が頂点の数( 4 )を超えています"},
        {"skin vertex",
         {XObj("Frame", "B"),
          meshWith(XObj("SkinWeights").Str("B").Ints({1, 7}).Floats({1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}))},
         "スキンウエイトの頂点インデックス( 7 )が頂点の数( 4 )を超えています"},
        {"skin bone",
         {meshWith(XObj("SkinWeights").Str("Nobody").Ints({1, 0}).Floats({1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}))},
         "スキンウエイトのボーン Nobody のフレームがありません"},
        {"animation target", {XObj("AnimationSet").Child(XObj("Animation", "Lost"))}, "アニメーション Lost の対象フレームがありません"},
        {"short rotation key",
         {XObj("Frame", "F"),
          XObj("AnimationSet").Child(XObj("Animation").Ref("F").Child(XObj("AnimationKey").Ints({0, 1, 0, 3}).Floats({1, 0, 0})))},
         "アニメーションキーの値の数( 3 )が足りません( 4 個必要です )"},
    };
    Log();
    const int before = LiveMemBlocks();
    for (const Case &c : cases)
        for (const std::string &file : Forms(c.doc)) {
            SCOPED_TRACE(std::string(c.what) + " " + file.substr(8, 4));
            EXPECT_EQ(Fill(file), -1);
            const std::string log = Log();
            EXPECT_NE(log.find(std::string("Load XFile : ") + c.line), std::string::npos) << log;
            EXPECT_EQ(LiveMemBlocks(), before);
        }
}

TEST_F(XConvertTest, SkinWeightsBeyondTheMeshTableAreRefused) {
    XNode mesh = XMesh("", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {{0, 1, 2}});
    const std::vector<double> one{1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i <= MODELLOAD_MESH_SKINWEIGHTS; ++i) mesh.Child(XObj("SkinWeights").Str("B").Ints({1, 0}).Floats(one));
    EXPECT_EQ(Fill(XBinary({XObj("Frame", "B"), mesh})), -1);
    EXPECT_NE(Log().find("Load XFile : メッシュのスキンウエイトの数( 4097 )が上限の 4096 を超えています"), std::string::npos);
}

}  // namespace
