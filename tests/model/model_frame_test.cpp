// Frame transforms: local kinds, the ordered transform builder against products of single-axis
// rotations, bind matrices and their inverses, and animation sampling called directly.
#include "library/model/model_frame.h"
#include "model/model_fixture.h"

#include <cmath>
#include <cstring>

namespace {

using FrameTest = ModelTablesTest;

void ExpectNear(const MAT44 &a, const MAT44 &b, float eps, const char *what) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], eps) << what << " element " << i;
}

MAT44 Product(std::initializer_list<MAT44> ms) {
    MAT44 out;
    MakeIdentityMatrix(&out);
    for (const MAT44 &m : ms) MakeProductMatrix(&out, &out, &m);
    return out;
}

TEST_F(FrameTest, OrderedTransformsComposeScaleRotationsInOrderAndTranslation) {
    const VEC3 angles{0.3f, -0.7f, 1.1f}, scale{2, 3, 0.5f}, move{5, -6, 7};
    MAT44 s, x, y, z, t;
    MakeScaleMatrix(&s, 2, 3, 0.5f);
    MakeRotXMatrix(&x, angles.x);
    MakeRotYMatrix(&y, angles.y);
    MakeRotZMatrix(&z, angles.z);
    MakeTranslateMatrix(&t, 5, -6, 7);
    const MAT44 expected[6] = {Product({s, x, y, z, t}), Product({s, x, z, y, t}), Product({s, y, z, x, t}),
                               Product({s, y, x, z, t}), Product({s, z, x, y, t}), Product({s, z, y, x, t})};
    for (int order = 0; order < 6; ++order) {
        MAT44 got;
        EXPECT_EQ(MakeOrderedTransformMatrix(&angles, &scale, &move, nullptr, &got, order), 0);
        ExpectNear(got, expected[order], 1e-5f, ("order " + std::to_string(order)).c_str());
    }
    // A pre-rotation comes after the ordered rotation, before the translation.
    const VEC3 pre{0.2f, 0.1f, -0.4f};
    MAT44 p, got;
    MakeRotMatrixXYZ(&p, pre.x, pre.y, pre.z);
    MakeOrderedTransformMatrix(&angles, &scale, &move, &pre, &got, 0);
    ExpectNear(got, Product({s, x, y, z, p, t}), 1e-5f, "pre-rotation");
    // An unknown order leaves the scale alone.
    EXPECT_EQ(MakeOrderedTransformMatrix(&angles, &scale, &move, nullptr, &got, 6), -1);
    ExpectNear(got, s, 0, "order 6");
}

TEST_F(FrameTest, LocalKindsAndBindMatricesWithTheirInverses) {
    ModelBuilder b;
    const int root = b.AddFrame("root");
    b.FrameAt(root).rotation = VEC3{0, -0.0f, 0};  // a zero of either sign is zero
    const int moved = b.AddFrame("moved", root);
    b.FrameAt(moved).translation = VEC3{1, 2, 3};
    const int turned = b.AddFrame("turned", moved);
    b.FrameAt(turned).rotation = VEC3{0.5f, 0, 0};
    b.FrameAt(turned).rotationOrder = 4;
    const int scaled = b.AddFrame("scaled", turned);
    b.FrameAt(scaled).scale = VEC3{2, 1, 1};
    b.FrameAt(scaled).translation = VEC3{0, 0, 4};
    const int base = b.Build();
    ASSERT_NE(base, -1);
    const MV1BASE *m = BuiltBase(base);
    const int kinds[4] = {MV1_LOCAL_IDENTITY, MV1_LOCAL_TRANSLATE, MV1_LOCAL_FULL, MV1_LOCAL_FULL};
    for (int i = 0; i < 4; ++i) {
        const MV1FRAME &f = m->frames[i];
        EXPECT_EQ(f.localKind, kinds[i]) << f.name;
        MAT44 world, inverse, product, identity;
        ConvertMatrix3x4To4x4(&world, &f.bindWorld);
        ConvertMatrix3x4To4x4(&inverse, &f.inverseBindWorld);
        MakeProductMatrix(&product, &world, &inverse);
        MakeIdentityMatrix(&identity);
        ExpectNear(product, identity, 1e-5f, f.name);
    }
    EXPECT_FLOAT_EQ(m->frames[2].bindWorld.m[3], 1.0f) << "the parent's translation reaches the child";
    // (0, 0, 4) turned by the parent's 0.5 about x, then moved by (1, 2, 3).
    EXPECT_NEAR(m->frames[3].bindWorld.m[3], 1.0f, 1e-5f);
    EXPECT_NEAR(m->frames[3].bindWorld.m[7], 2.0f - 4.0f * std::sin(0.5f), 1e-5f);
    EXPECT_NEAR(m->frames[3].bindWorld.m[11], 3.0f + 4.0f * std::cos(0.5f), 1e-5f);
    ReleaseModelBase(base);
}

TEST_F(FrameTest, ASingularBindWorldKeepsTheIdentityAsItsInverse) {
    ModelBuilder b;
    const int flat = b.AddFrame("flat");
    b.FrameAt(flat).scale = VEC3{1, 0, 1};
    const int base = b.Build();
    ASSERT_NE(base, -1);
    const MAT34 &inv = BuiltBase(base)->frames[0].inverseBindWorld;
    const MAT34 identity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}};
    EXPECT_EQ(std::memcmp(&inv, &identity, sizeof inv), 0);
    EXPECT_NE(Log().find("flat"), std::string::npos) << "the frame is named in the log";
    ReleaseModelBase(base);
}

// ---- sampling ---------------------------------------------------------------------------

struct SAMPLER {
    MV1KEYSET set{};
    MV1KEYREF ref{};
    MV1ANIMENTRY entry{};
    MV1ANIMSTATE state{};
    std::vector<float> values, times;

    SAMPLER(int valueKind, int target, std::vector<float> v, int keys) : values(std::move(v)) {
        set.valueKind = (uint8_t)valueKind;
        set.target = (uint8_t)target;
        set.keyCount = keys;
        set.start = 0.0f;
        set.step = 10.0f;
        set.values = values.data();
        ref.keySet = &set;
        ref.shape = -1;
        entry.keyRefCount = 1;
        entry.keyRefs = &ref;
        state.entryCount = 1;
        state.entries = &entry;
    }
    void At(int key, float time) {
        ref.key = key;
        state.time = time;
        state.done = 0;
        SampleFrameAnimation(&state);
    }
};

TEST_F(FrameTest, QuaternionKeysSlerpAndHoldAtTheLastKey) {
    const float h = std::sqrt(0.5f);
    // Key 0 identity, key 1 a quarter turn about z: halfway is an eighth turn.
    SAMPLER s(0, 0, {0, 0, 0, 1, 0, 0, h, h}, 2);
    s.At(0, 5.0f);
    EXPECT_NEAR(s.entry.quaternion[2], std::sin(3.14159265f / 8), 1e-5f);
    EXPECT_NEAR(s.entry.quaternion[3], std::cos(3.14159265f / 8), 1e-5f);
    EXPECT_EQ(s.entry.flags, MV1_PARTS_QUATERNION_ROW);
    EXPECT_EQ(s.state.done, 1);
    // At the last key the rate is 0: the key is held.
    s.At(1, 100.0f);
    EXPECT_NEAR(s.entry.quaternion[2], h, 1e-6f);
    // Before the key's time the rate is 0, not negative.
    s.At(0, -4.0f);
    EXPECT_EQ(s.entry.quaternion[3], 1.0f);
    // A dot product of exactly 1 gives key k unchanged.
    SAMPLER same(7, 0, {0, 0, 0, 1, 0, 0, 0, 1}, 2);
    same.At(0, 5.0f);
    EXPECT_EQ(same.entry.quaternion[3], 1.0f);
    EXPECT_EQ(same.entry.flags, 0u) << "an identity quaternion sets no flag";
    // A negative dot product past a quarter turn takes the short way round.
    SAMPLER flip(0, 0, {0, 0, 0, 1, 0, 0, -h, -h}, 2);
    flip.At(0, 5.0f);
    EXPECT_NEAR(flip.entry.quaternion[2], std::sin(3.14159265f / 8), 1e-5f);
    EXPECT_NEAR(flip.entry.quaternion[3], std::cos(3.14159265f / 8), 1e-5f);
}

TEST_F(FrameTest, VectorKeysReplaceOrAddAndAQuarterTurnJumpTakesTheMatrixPath) {
    SAMPLER move(1, 10, {0, 0, 0, 10, 20, 30}, 2);
    move.At(0, 2.5f);
    EXPECT_FLOAT_EQ(move.entry.translation.y, 5.0f);
    EXPECT_EQ(move.entry.flags, MV1_PARTS_TRANSLATE);
    // Additive: added to the frame's own parts (no frame state: zero).
    SAMPLER scale(1, 5, {1, 1, 1, 3, 3, 3}, 2);
    scale.state.additive = 1;
    scale.At(0, 5.0f);
    EXPECT_FLOAT_EQ(scale.entry.scale.x, 1.0f + 2.0f) << "neutral scale 1 plus the key value 2";
    scale.state.additive = 0;
    scale.At(0, 5.0f);
    EXPECT_FLOAT_EQ(scale.entry.scale.x, 2.0f);
    // Rotation keys 2 radians apart in x: the whole animation goes to the matrix path.
    SAMPLER turn(1, 0, {0, 0, 0, 2.0f, 0, 0}, 2);
    turn.At(0, 5.0f);
    EXPECT_EQ(turn.entry.flags, MV1_PARTS_MATRIX);
    // The matrix is the element-wise blend of the two key rotations.
    MAT34 a, b;
    const VEC3 ka{0, 0, 0}, kb{2.0f, 0, 0};
    MakeOrderedRotation3x4(&a, &ka, 0);
    MakeOrderedRotation3x4(&b, &kb, 0);
    for (int i : {0, 5, 6, 9, 10}) EXPECT_NEAR(turn.entry.matrix.m[i], (a.m[i] + b.m[i]) / 2, 1e-5f) << i;
    // The accurate flag forces the matrix path; per-axis float keys interpolate sines.
    SAMPLER axis(5, 1, {0.0f, 1.0f}, 2);
    axis.state.accurate = 1;
    axis.At(0, 5.0f);
    EXPECT_EQ(axis.entry.flags, MV1_PARTS_MATRIX);
    EXPECT_NEAR(axis.entry.matrix.m[9], std::sin(1.0f) / 2, 1e-4f) << "sine of x, halfway, not renormalised";
    EXPECT_NEAR(axis.entry.matrix.m[10], (1 + std::cos(1.0f)) / 2, 1e-4f);
}

}  // namespace
