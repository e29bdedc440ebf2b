// A converted read-data cube on the Direct3D stand-in draws the builder cube's pixels.
#include "model/load_data_fixture.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"

namespace {

class ConvertDrawTest : public ModelScreenTest {};

TEST_F(ConvertDrawTest, AConvertedCubeDrawsTheBuiltCubesPixels) {
    static const uint32_t kColours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,
                                         0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};
    const VEC3 r{0.5f, 0.7f, 0.1f}, s{40, 40, 40}, t{160.3f, 119.6f, 0};
    const int built = Model(BuildCubeBase(1.0f, kColours));
    PlaceModel(built, r, s, t);
    ASSERT_EQ(RenderModel(built), 0);
    const std::vector<uint32_t> expected = Screen();
    DeleteModel(built);
    ClearDrawTarget();

    ReadData data;
    AddReadDataCube(data.get(), 1.0f, kColours);
    const int base = ConvertModelLoadData(data.get(), "");
    ASSERT_NE(base, -1);
    const int model = Model(base);
    PlaceModel(model, r, s, t);
    ASSERT_EQ(RenderModel(model), 0);
    const std::vector<uint32_t> got = Screen();
    SavePicture("converted-cube.png", got);
    EXPECT_EQ(Mismatches(got, expected), 0);
}

}  // namespace
