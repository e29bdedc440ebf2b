// Where the library meets the models: the model system starts with the library when a device
// exists and is emptied at its end, with nothing left in the memory dump.
#include "base/library_fixture.h"
#include "library/graphics/screen.h"
#include "library/model/model.h"
#include "library/model/model_base.h"
#include "model/model_fixture.h"

namespace {

class ModelSeams : public LibraryRun {};

TEST_F(ModelSeams, TheLibraryStartsAndEndsTheModelSystem) {
    g_modelSystem = MODELSYSTEM{};
    ChangeWindowMode(1);
    ASSERT_EQ(InitLibrary(), 0);
    EXPECT_EQ(g_modelSystem.started, 1);
    EXPECT_NE(g_screenState.links.rebuildModelTextures, nullptr);
    EXPECT_NE(g_screenState.links.createModelVertexBuffers, nullptr);
    const int base = BuildCubeBase();
    const int model = AddModelSlot();
    ASSERT_EQ(CreateModelFromBase(model, base), 0);
    EXPECT_EQ(SetModelPosition(model, 1, 2, 3), 0);
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_EQ(g_modelSystem.started, 0);
    EXPECT_EQ(g_modelSystem.models.capacity, 0);
    EXPECT_EQ(SetModelPosition(model, 1, 2, 3), -1);
    EXPECT_EQ(g_screenState.links.rebuildModelTextures, nullptr);
    EXPECT_TRUE(LogHas("Alloc num:0")) << "every model block was freed before the dump";
}

}  // namespace
