// The demo data's hero model at the player menu's placement: loaded from the generated data set,
// whole and upright in the strip left of the event-log window at every angle of a turn.
#include "game/demo_data.h"
#include "library/graphics/state3d.h"
#include "model/model_device_fixture.h"
#include "model/model_fixture.h"

#include <cmath>

namespace {

class DemoHeroModelTest : public ModelScreenTest {};

struct Extent {
    int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
};

TEST_F(DemoHeroModelTest, StandsInTheStripLeftOfTheEventLogAsItTurns) {
    const std::filesystem::path folder = std::filesystem::current_path() / "demo";
    ASSERT_TRUE(WriteDemoData(folder));
    SetPerspectiveFov(0.0f);
    const int model = LoadModel((folder / "DataForWork/vedaz3d/vedaz.mv1").string().c_str());
    ASSERT_NE(model, -1) << PlatformTestTakeDebugOutput();
    SetModelPosition(model, 50, 200, 10);
    SetModelScale(model, 150, 150, 150);
    std::vector<uint32_t> front;
    for (int angle = 0; angle < 360; angle += 30) {
        ClearDrawTarget();
        SetModelRotation(model, 0, (float)angle * 3.1415927f / 180, 0);
        ASSERT_EQ(RenderModel(model), 0);
        const std::vector<uint32_t> px = Screen();
        Extent e;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if ((px[(size_t)y * kW + x] & 0xFFFFFF) != kBackground) {
                    e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x);
                    e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
                }
        // Whole: clear of every edge of the screen; in the strip: left of x 95; a standing
        // figure: taller than wide.
        EXPECT_GT(e.x0, 0) << angle;
        EXPECT_LT(e.x1, 95) << angle;
        EXPECT_GT(e.y0, 0) << angle;
        EXPECT_LT(e.y1, kH - 1) << angle;
        EXPECT_GT(2 * (e.y1 - e.y0), 3 * (e.x1 - e.x0)) << angle;
        if (angle == 0) {
            front = px;
            SavePicture("demo-hero-front.png", px);
        } else {
            EXPECT_GT(Mismatches(px, front), 0) << angle << ": the figure turns";
        }
    }
}

}  // namespace
