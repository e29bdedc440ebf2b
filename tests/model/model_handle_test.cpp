// Model and model-base handles: table growth and the wrap-around search, refusals, bases
// shared by models, the slot limit; the setters' marking seen through the frames the next
// matrix update recomputes; the matrix update and the extents.
#include "library/model/model_matrix.h"
#include "model/model_fixture.h"

#include <cmath>
#include <cstring>

namespace {

using HandleTest = ModelTablesTest;

TEST_F(HandleTest, TablesGrowByBlocksAndTheSearchWrapsToAFreeSlot) {
    std::vector<int> handles;
    for (int i = 0; i < 1025; ++i) handles.push_back(AddModelBaseSlot());
    EXPECT_EQ(handles[0], 0x08000000);
    EXPECT_EQ(handles[1024], 0x08000000 | 1024);
    EXPECT_EQ(g_modelSystem.bases.capacity, 2048);
    EXPECT_EQ(g_modelSystem.bases.used, 1025);
    // Old handles still name their reserved slots: releasing one frees it.
    EXPECT_EQ(ReleaseModelBase(handles[3]), 0);
    EXPECT_EQ(g_modelSystem.bases.used, 1024);
    EXPECT_EQ(ReleaseModelBase(handles[3]), -1) << "a free slot is no handle";

    // Model slots: the search starts at the last slot handed out and wraps.
    std::vector<int> models;
    for (int i = 0; i < 1024; ++i) models.push_back(AddModelSlot());
    EXPECT_EQ(DeleteModel(models[5]), 0);
    EXPECT_EQ(AddModelSlot(), models[5]) << "with the last slot taken the search wraps to the free one";
    EXPECT_EQ(g_modelSystem.models.capacity, 1024);
}

TEST_F(HandleTest, BadHandlesAreRefused) {
    const int base = BuildCubeBase();
    const int model = AddModelSlot();
    ASSERT_EQ(CreateModelFromBase(model, base), 0);
    const int bad[] = {-1, model | 0x10000, (model & 0xFFFF) | 0x08000000, (model & 0xFFFF) | 0x18000000,
                       model + 1, 0x10000000 | 4000, base};
    for (int h : bad) {
        EXPECT_EQ(SetModelPosition(h, 1, 2, 3), -1) << std::hex << h;
        EXPECT_EQ(RenderModel(h), -1) << std::hex << h;
    }
    EXPECT_EQ(CreateModelFromBase(model, base), -1) << "the slot is live, not reserved";
    const int reserved = AddModelSlot();
    EXPECT_EQ(SetModelScale(reserved, 1, 1, 1), -1) << "a reserved slot is no model yet";
    EXPECT_EQ(CreateModelFromBase(reserved, model), -1) << "a model handle is no base";
    EXPECT_EQ(DeleteModel(reserved), 0);
    // After the system ends every entry is refused; ending again does nothing.
    EXPECT_EQ(DeleteAllModels(), 0);
    EXPECT_EQ(SetModelPosition(model, 0, 0, 0), -1);
    EXPECT_EQ(AddModelSlot(), -1);
    EXPECT_EQ(DeleteAllModels(), 0);
}

TEST_F(HandleTest, ABaseLivesUntilItsLastModelAndModelsListNewestFirst) {
    const int base = BuildCubeBase();
    MV1BASE *b = BuiltBase(base);
    const int first = AddModelSlot(), second = AddModelSlot();
    ASSERT_EQ(CreateModelFromBase(first, base), 0);
    ASSERT_EQ(CreateModelFromBase(second, base), 0);
    EXPECT_EQ(b->refCount, 2);
    EXPECT_EQ(b->modelCount, 2);
    EXPECT_EQ(b->firstModel, GetModelInstance(second));
    EXPECT_EQ(b->lastModel, GetModelInstance(first));
    EXPECT_EQ(GetModelInstance(second)->next, GetModelInstance(first));
    EXPECT_EQ(DeleteModel(second), 0);
    EXPECT_EQ(GetModelBase(base), b) << "the other model still holds the base";
    EXPECT_EQ(b->firstModel, GetModelInstance(first));
    EXPECT_EQ(DeleteModel(first), 0);
    EXPECT_EQ(GetModelBase(base), nullptr) << "the last model frees the base";
    EXPECT_EQ(g_modelSystem.bases.used, 0);
    // A base no model holds goes with its first release.
    const int lone = BuildCubeBase();
    EXPECT_EQ(ReleaseModelBase(lone), 0);
    EXPECT_EQ(GetModelBase(lone), nullptr);
}

TEST_F(HandleTest, ModelSlotsStopBelowSixtyFiveThousandFiveHundredAndThirtySix) {
    for (int i = 0; i < 0x10000; ++i) ASSERT_NE(AddModelSlot(), -1) << i;
    EXPECT_EQ(AddModelSlot(), -1) << "a model in slot 65,536 could never be used";
    EXPECT_EQ(g_modelSystem.models.capacity, 0x10000);
    EXPECT_EQ(DeleteModel(0x10000000 | 70), 0);
    EXPECT_EQ(AddModelSlot(), 0x10000000 | 70) << "a freed slot below the limit is found again";
}

// ---- setters and the matrix update -----------------------------------------------------------

class SetterTest : public ModelTablesTest {
protected:
    void SetUp() override {
        ModelTablesTest::SetUp();
        // Three frames: a root, a child and a grandchild, each turned a little.
        ModelBuilder b;
        int parent = -1;
        for (int i = 0; i < 3; ++i) {
            parent = b.AddFrame("f" + std::to_string(i), parent);
            b.FrameAt(parent).translation = VEC3{1.0f * i, 0, 0};
        }
        base = b.Build();
        model = AddModelSlot();
        ASSERT_EQ(CreateModelFromBase(model, base), 0);
        m = GetModelInstance(model);
        UpdateModelLocalMatrix(m);
        m->recomputedFrames = 0;
    }
    // Frames recomputed by the next update.
    int Recomputed() {
        const int before = m->recomputedFrames;
        UpdateModelLocalMatrix(m);
        return m->recomputedFrames - before;
    }
    int base = -1, model = -1;
    MV1INSTANCE *m = nullptr;
};

TEST_F(SetterTest, EqualValuesChangeNothingAndNewOnesMarkEveryFrame) {
    struct Case {
        const char *what;
        int (*set)(int, float, float, float);
        float x, y, z;
        int frames;
    };
    const Case cases[] = {
        {"position as made", SetModelPosition, 0, 0, 0, 0},
        {"new position", SetModelPosition, 1, 2, 3, 3},
        {"same position", SetModelPosition, 1, 2, 3, 0},
        {"same position again", SetModelPosition, 1, 2, 3, 0},
        {"scale as made", SetModelScale, 1, 1, 1, 0},
        {"new scale", SetModelScale, 2, 2, 2, 3},
        {"rotation as made", SetModelRotation, 0, 0, 0, 0},
        {"negative zero rotation", SetModelRotation, -0.0f, 0, 0, 3},
        {"same negative zero", SetModelRotation, -0.0f, 0, 0, 0},
    };
    for (const Case &c : cases) {
        m->drawStateValid = 1;
        EXPECT_EQ(c.set(model, c.x, c.y, c.z), 0) << c.what;
        EXPECT_EQ(Recomputed(), c.frames) << c.what;
        EXPECT_EQ(m->drawStateValid, c.frames ? 0 : 1) << c.what << ": a transform change also stales the draw state";
    }
    SetModelPosition(model, 1, 2, -0.0f);
    SetModelPosition(model, 1, 2, 0.0f);
    EXPECT_EQ(Recomputed(), 3) << "bit for bit: -0.0 and 0.0 differ";
}

TEST_F(SetterTest, MarkingFillsTheArrayOnlyWhenBitZeroIsClear) {
    std::memset(m->matrixBits, 0, (size_t)m->matrixBytes);
    m->matrixBits[0] = 1;  // everything stale already, yet only bit 0 shows it
    SetModelPosition(model, 5, 0, 0);
    EXPECT_EQ(m->matrixBits[0], 1u) << "bit 0 set: the array is left as it is";
    m->matrixBits[0] = 0;
    SetModelPosition(model, 6, 0, 0);
    EXPECT_EQ(m->matrixBits[0], 0xFFFFFFFFu);
}

TEST_F(SetterTest, OpacityClampsAndTheFilterModeIsChecked) {
    const struct {
        float in, stored;
        bool marks;
    } cases[] = {{-0.5f, 0.0f, true}, {2.0f, 1.0f, true}, {1.5f, 1.0f, false}, {0.25f, 0.25f, true}};
    for (const auto &c : cases) {
        std::memset(m->drawStateBits, 0, (size_t)m->drawStateBytes);
        EXPECT_EQ(SetModelAlphaRate(model, c.in), 0);
        EXPECT_EQ(m->opacity, c.stored) << c.in;
        EXPECT_EQ(m->drawStateBits[0] != 0, c.marks) << c.in;
    }
    // The cube has no texture: index 0 equals the count.
    EXPECT_EQ(SetModelTextureFilter(model, 0, 1), -1);
}

TEST_F(SetterTest, TheModelMatrixRotatesThenScalesThenTranslates) {
    SetModelRotation(model, 0, 0, 1.5707964f);
    SetModelScale(model, 2, 3, 4);
    SetModelPosition(model, 10, 20, 30);
    UpdateModelLocalMatrix(m);
    // The root's local is the identity, so its world is the model matrix: (1, 0, 0) turns to
    // (0, 1, 0), scales to (0, 3, 0) and moves to (10, 23, 30).
    const VEC3 in{1, 0, 0};
    VEC3 out;
    TransformVector3x4(&m->frames[0].localToWorld, &out, &in);
    EXPECT_NEAR(out.x, 10.0f, 1e-5f);
    EXPECT_NEAR(out.y, 23.0f, 1e-5f);
    EXPECT_NEAR(out.z, 30.0f, 1e-5f);
    EXPECT_EQ(std::memcmp(&m->frames[0].localToWorld, &m->modelMatrix, sizeof(MAT34)), 0)
        << "a frame of local kind 0 takes its parent's world as it is";
    // The child adds its translation (1, 0, 0) in the parent's space.
    const VEC3 zero{0, 0, 0};
    TransformVector3x4(&m->frames[1].localToWorld, &out, &zero);
    EXPECT_NEAR(out.y, 23.0f, 1e-5f);
}

TEST_F(SetterTest, ExtentsComeFromTheFirstModelAndAFirstVertexSetsBothBounds) {
    const int cube = BuildCubeBase(0.5f);
    const int one = AddModelSlot();
    ASSERT_EQ(CreateModelFromBase(one, cube), 0);
    VEC3 mx, mn;
    ASSERT_EQ(ComputeModelExtents(one, &mx, &mn), 0);
    EXPECT_FLOAT_EQ(mx.x, 0.5f);
    EXPECT_FLOAT_EQ(mn.z, -0.5f);
    const MV1FRAME &f = BuiltBase(cube)->frames[0];
    EXPECT_FLOAT_EQ(f.boxMax.y, 0.5f);
    EXPECT_FLOAT_EQ(f.boxMin.y, -0.5f);
    // A frame without meshes gets a zero box.
    const MV1FRAME &empty = BuiltBase(base)->frames[0];
    EXPECT_EQ(empty.boxMax.x, 0.0f);
    EXPECT_EQ(ComputeModelExtents(0x10000000 | 999, &mx, nullptr), -1);
}

// A two-bone arm: the upper arm along +x from the origin, the forearm from (2, 0, 0). Bound
// straight; the elbow then bends 90 degrees about z, which swings the forearm's tip to (2, 2, 0).
TEST_F(HandleTest, SkinnedExtentsFollowTheBonesOfTheFirstPlacement) {
    ModelBuilder b;
    const int root = b.AddFrame("root");
    const int upper = b.AddFrame("upper", root);
    const int lower = b.AddFrame("lower", upper);
    b.FrameAt(lower).translation = VEC3{2, 0, 0};
    const int ru = b.AddSkinRef(root, upper), rl = b.AddSkinRef(root, lower);
    const int p0 = b.AddPosition(root, VEC3{0, 0, 0}, {{ru, 1.0f}});
    const int p1 = b.AddPosition(root, VEC3{2, 0, 0}, {{ru, 0.5f}, {rl, 0.5f}});
    const int p2 = b.AddPosition(root, VEC3{4, 0, 0}, {{rl, 1.0f}});
    const int n = b.AddNormal(root, VEC3{0, 0, -1});
    const int mesh = b.AddMesh(root, b.AddMaterial());
    b.AddTriangle(mesh, b.AddVertex(mesh, p0, n), b.AddVertex(mesh, p1, n), b.AddVertex(mesh, p2, n));
    const int handle = b.Build();
    ASSERT_NE(handle, -1);
    MV1BASE *arm = BuiltBase(handle);
    EXPECT_EQ(arm->triangleLists[0].kind, MV1_KIND_FOUR);
    EXPECT_EQ(arm->frames[lower].firstSkinBone, 1);
    MAT44 bend, move;
    MakeRotZMatrix(&bend, 1.5707964f);
    MakeTranslateMatrix(&move, 2, 0, 0);
    MakeProductMatrix(&bend, &bend, &move);
    ConvertMatrixTo3x4(&arm->frames[lower].local, &bend);
    arm->frames[lower].localKind = MV1_LOCAL_FULL;
    const int model = AddModelSlot();
    ASSERT_EQ(CreateModelFromBase(model, handle), 0);
    VEC3 mx, mn;
    ComputeModelExtents(model, &mx, &mn);
    EXPECT_NEAR(mx.x, 2.0f, 1e-5f);
    EXPECT_NEAR(mx.y, 2.0f, 1e-5f);
    EXPECT_NEAR(mn.x, 0.0f, 1e-5f);
    EXPECT_NEAR(mn.y, 0.0f, 1e-5f);
    // The mesh box stays in the mesh's own (bind) space.
    EXPECT_NEAR(arm->meshes[0].boxMax.x, 4.0f, 1e-5f);
}

}  // namespace
