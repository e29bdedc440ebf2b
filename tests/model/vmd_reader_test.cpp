// VMD motions read beside a PMD model: baking to one key per frame, curves, quaternion blending,
// key order, IK-moved bones, morph keys, the numbered file search and damaged motions.
#include "library/model/pmd_reader.h"
#include "model/load_data_test.h"
#include "model/pmd_fixture.h"

#include <cstring>

namespace {

class VmdReaderTest : public LoadDataTest {
protected:
    // The model with the motions written beside it as p000.vmd, p001.vmd, ...
    int Fill(const PmdFile &model, const std::vector<std::pair<int, std::string>> &motions) {
        for (const auto &m : motions) {
            char name[16];
            std::snprintf(name, sizeof name, "p%03d.vmd", m.first);
            WriteFile(name, std::vector<uint8_t>(m.second.begin(), m.second.end()));
        }
        const std::string file = model.Bytes();
        const char *image = Image(file);
        return Keep(FillPmdLoadData(image, (int)file.size(), "p.pmd", "p", startDirectory_.c_str(), &data_));
    }
};

// Bones "center", "arm" (rest translation (0, 2, 0)) and "hand" under it, and "ik", which IK
// moves by a chain whose goal is its own position (so that it never turns).
PmdFile Model(bool ik = false) {
    PmdFile f = PmdTriangle();
    f.bones = {{"center"}, {"arm", 0, {0, 2, 0}}, {"hand", 1, {0, 3, 0}}};
    if (ik) {
        f.bones.push_back({"ik", 0xFFFF, {0, 0, 1}});
        f.iks = {{3, 3, 4, 1, {3}}};
    }
    return f;
}

VmdBoneKey Key(const std::string &name, uint32_t frame, float x, std::vector<float> q = {0, 0, 0, 1}) {
    VmdBoneKey k;
    k.name = name;
    k.frame = frame;
    k.position[0] = x;
    std::memcpy(k.rotation, q.data(), sizeof k.rotation);
    return k;
}

std::vector<float> Values(const MODELLOADKEYSET *k, int key, int width) {
    return std::vector<float>(k->values + key * width, k->values + key * width + width);
}

TEST_F(VmdReaderTest, KeysAreBakedOnePerFrameAlongTheirCurves) {
    VmdFile vmd;
    vmd.bones = {Key("arm", 20, 10, {0, 0, 0, -1}), Key("arm", 10, 0), Key("nobody", 5, 1)};
    VmdBoneKey curved = Key("hand", 20, 10);
    curved.curve[0][0] = 0, curved.curve[0][1] = 127, curved.curve[0][2] = 0, curved.curve[0][3] = 127;
    vmd.bones.push_back(Key("hand", 10, 0));
    vmd.bones.push_back(curved);
    // Two keys at one frame keep their file order: the later one ends the motion.
    vmd.bones.push_back(Key("center", 0, 1));
    vmd.bones.push_back(Key("center", 4, 2));
    vmd.bones.push_back(Key("center", 4, 3));
    ASSERT_EQ(vmd.Bytes().size() - 8 * 111, 58u);
    ASSERT_EQ(Fill(Model(), {{0, vmd.Bytes()}}), 0) << Log();
    ASSERT_EQ(data_.animSetCount, 1);
    EXPECT_STREQ(data_.firstAnimSet->name, "Anim000");
    EXPECT_EQ(data_.firstAnimSet->totalTime, 20.0f);
    EXPECT_EQ(data_.animCount, 3);  // "nobody" is not in the model

    const MODELLOADANIM *arm = Anim("arm");
    ASSERT_NE(arm, nullptr);
    EXPECT_EQ(arm->value, 20.0f);
    ASSERT_EQ(arm->keySetCount, 2);
    const MODELLOADKEYSET *t = arm->firstKeySet, *r = t->nextInAnim;
    EXPECT_EQ(t->kind, MODELKEY_TRANSLATE);
    EXPECT_EQ(r->kind, MODELKEY_ROTATE);
    EXPECT_EQ(r->dataType, MODELKEY_QUATERNION_COLUMN);
    ASSERT_EQ(t->keyCount, 11);
    EXPECT_EQ(t->times[0], 10.0f);
    EXPECT_EQ(t->times[10], 20.0f);
    // Linear: half way at frame 15, on top of the rest translation.
    EXPECT_EQ(Values(t, 5, 3), (std::vector<float>{5, 2, 0}));
    // (0, 0, 0, 1) to (0, 0, 0, -1): the dot is negative, so the second is negated.
    for (int k = 0; k < 10; ++k) EXPECT_EQ(Values(r, k, 4), (std::vector<float>{0, 0, 0, 1})) << k;
    EXPECT_EQ(Values(r, 10, 4), (std::vector<float>{0, 0, 0, -1}));

    const MODELLOADKEYSET *hand = Anim("hand")->firstKeySet;
    EXPECT_GT(hand->values[5 * 3], 9.0f);  // the curve is far ahead of the line at the middle
    EXPECT_LT(hand->values[5 * 3], 10.0f);
    const MODELLOADKEYSET *center = Anim("center")->firstKeySet;
    ASSERT_EQ(center->keyCount, 5);
    EXPECT_EQ(center->values[4 * 3], 3.0f);
    EXPECT_EQ(data_.keyDataSize, (11 + 11 + 5) * (16 + 12 + 8));
}

TEST_F(VmdReaderTest, IkMovedBonesGetAKeyForEveryFrame) {
    VmdFile vmd;
    vmd.bones = {Key("ik", 10, 1), Key("ik", 20, 2), Key("center", 30, 0)};
    ASSERT_EQ(Fill(Model(true), {{0, vmd.Bytes()}}), 0) << Log();
    const MODELLOADANIM *ik = Anim("ik");
    EXPECT_EQ(ik->value, 30.0f);
    const MODELLOADKEYSET *t = ik->firstKeySet;
    ASSERT_EQ(t->keyCount, 31);
    EXPECT_EQ(t->baseTime, 20.0f);
    for (int f = 0; f <= 30; ++f) EXPECT_EQ(t->times[f], (float)f);
    EXPECT_EQ(t->values[0], 1.0f);
    EXPECT_EQ(t->values[9 * 3], 1.0f);
    EXPECT_EQ(t->values[15 * 3], 1.5f);
    EXPECT_EQ(t->values[21 * 3], 2.0f);
    EXPECT_EQ(t->values[30 * 3 + 2], 1.0f);  // the rest translation

    // Without keys of its own the IK-moved bone still gets one key a frame, at rest.
    vmd.bones = {Key("center", 30, 0)};
    ASSERT_EQ(Fill(Model(true), {{0, vmd.Bytes()}}), 0) << Log();
    ASSERT_EQ(Anim("ik")->firstKeySet->keyCount, 31);
    EXPECT_EQ(Values(Anim("ik")->firstKeySet, 30, 3), (std::vector<float>{0, 0, 1}));
}

TEST_F(VmdReaderTest, MorphKeysDriveShapesByName) {
    PmdFile model = Model();
    model.morphs = {{"base", {{0, {0, 0, 0}}}}, {"smile", {{0, {0, 1, 0}}}}, {"wink", {{0, {1, 0, 0}}}}};
    VmdFile vmd;
    vmd.morphs = {{"wink", 8, 1.0f}, {"frown", 3, 1.0f}, {"wink", 2, 0.5f}};
    ASSERT_EQ(Fill(model, {{0, vmd.Bytes()}}), 0) << Log();
    ASSERT_EQ(data_.animCount, 1);
    const MODELLOADANIM *mesh = data_.firstAnim;
    EXPECT_STREQ(mesh->frameName, "Mesh");
    EXPECT_EQ(mesh->value, 8.0f);
    ASSERT_EQ(mesh->keySetCount, 1);
    const MODELLOADKEYSET *k = mesh->firstKeySet;
    EXPECT_EQ(k->kind, MODELKEY_SHAPE);
    EXPECT_EQ(k->word, 1);
    ASSERT_EQ(k->keyCount, 2);
    EXPECT_EQ(k->times[0], 2.0f);
    EXPECT_EQ(k->values[0], 0.5f);
    EXPECT_EQ(k->values[1], 1.0f);
}

TEST_F(VmdReaderTest, NumberedFilesAreReadUpToTheFirstGap) {
    VmdFile vmd;
    vmd.bones = {Key("arm", 0, 1)};
    VmdFile old = vmd;
    old.magic = "Vocaloid Motion Data file";
    ASSERT_EQ(Fill(Model(), {{0, vmd.Bytes()}, {2, vmd.Bytes()}}), 0) << Log();
    ASSERT_EQ(data_.animSetCount, 1);
    EXPECT_STREQ(data_.firstAnimSet->name, "Anim000");
    // A file of the older magic ends the search without a line.
    std::filesystem::remove(dir_ / "p002.vmd");
    Log();
    ASSERT_EQ(Fill(Model(), {{0, vmd.Bytes()}, {1, old.Bytes()}, {2, vmd.Bytes()}}), 0);
    EXPECT_EQ(data_.animSetCount, 1);
    EXPECT_EQ(Log(), "");
}

TEST_F(VmdReaderTest, DamagedMotionsEndTheSearchWithALine) {
    VmdFile huge;
    huge.bones = {Key("arm", 0xFFFFFFFFu, 1)};
    VmdFile many;
    for (int i = 0; i <= VMD_NAMES_MAX; ++i) many.bones.push_back(Key("b" + std::to_string(i), 0, 0));
    VmdFile good;
    good.bones = {Key("arm", 0, 1), Key("arm", 3, 1)};
    good.morphs = {{"m", 1, 1}};
    const std::string bytes = good.Bytes();
    struct Case {
        std::string file;
        const char *line;
    } cases[] = {
        {huge.Bytes(), "VMD Load Error : キーのフレーム番号( 4294967295 )が上限の 1000000 を超えています"},
        {many.Bytes(), "VMD Load Error : 名前の数が上限の 2048 を超えています"},
        {bytes.substr(0, 50), "VMD Load Error : ヘッダの途中でファイルが終わっています"},
        {bytes.substr(0, 54 + 111), "VMD Load Error : ボーンキーの途中でファイルが終わっています"},
        {bytes.substr(0, bytes.size() - 1), "VMD Load Error : 表情キーの途中でファイルが終わっています"},
    };
    Log();
    const int before = LiveMemBlocks();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        // The model is made with the motions read before the damaged one.
        ASSERT_EQ(Fill(Model(), {{0, good.Bytes()}, {1, c.file}, {2, good.Bytes()}}), 0);
        EXPECT_EQ(data_.animSetCount, 1);
        EXPECT_NE(Log().find(c.line), std::string::npos);
        Release();
        EXPECT_EQ(LiveMemBlocks(), before);
    }
}

}  // namespace
