// Field objects on screen: the sheet loads and their image run, screen positions under the
// camera, the two draw passes, alternating images, sparkles and the dark byte.
#include <gtest/gtest.h>

#include "game/actors/actors.h"
#include "game/world/effects.h"
#include "game/world/field_objects.h"
#include "game/world/physics_manager.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/world/grid_fixture.h"

namespace {

class FieldObjectDrawTest : public DrawRecorderTest {
protected:
    void SetUp() override {
        DrawRecorderTest::SetUp();
        grid = FloorGrid(40, 30);
        LinkFieldRecords(objects, physics, effects, grid, companion);
        physics.CreatePhysicsWorld();
        companion.x = 100; // camera at (160, 120): screen = world
        companion.y = 100;
        objects.LoadObjectSheets();
        TakeCalls();
    }
    FieldObjectNode &Add(float x, float y, int row, int itemFlag = 0) {
        objects.CreateFieldObject(x, y, row == 2 ? -1 : row - 2, 0, 0, 0, 0, itemFlag, 100, 0);
        return objects.nodes.back();
    }
    std::vector<DrawCall> Draw() {
        objects.UpdateObjectScreenPositions();
        objects.DrawFieldObjects();
        return TakeCalls();
    }
    int Image(int n) const { return objects.images[(size_t)n]; }

    MapGrid grid;
    PhysicsManager physics;
    Effects effects;
    Companion companion;
    FieldObjects objects;
};

TEST_F(FieldObjectDrawTest, SheetsLoadInOrderIntoOneRunOfImages) {
    ASSERT_EQ(Recorded().loaded.size(), 17u);
    EXPECT_EQ(Recorded().loaded[0], "DataForWork\\Item.bmp");
    EXPECT_EQ(Recorded().loaded[6], "DataForWork\\box2dobj.bmp");
    EXPECT_EQ(Recorded().loaded[8], "DataForWork\\Item4.bmp");
    EXPECT_EQ(Recorded().loaded[16], "DataForWork\\Item13.bmp");
    // The recorder hands a load's cells out as (1000 + load) x 100 + cell.
    const struct {
        int image, load, cell;
    } cases[] = {{0, 0, 0}, {79, 0, 79}, {80, 1, 0}, {124, 6, 0}, {149, 6, 25}, {153, 7, 1}, {154, 8, 0},
                 {155, 8, 1}, {242, 14, 0}, {244, 15, 0}, {345, 16, 1}};
    for (const auto &c : cases) EXPECT_EQ(Image(c.image), (1000 + c.load) * 100 + c.cell) << c.image;
}

TEST_F(FieldObjectDrawTest, ItemsAreDrawnAfterTheRestTurnedByTheirAngle) {
    FieldObjectNode &item = Add(150, 60, 2, 1);
    FieldObjectNode &crate = Add(100.7f, 50.2f, 3);
    crate.angle = 0.5f;
    FieldObjectNode &gone = Add(120, 50, 5);
    gone.image = -1;
    FieldObjectNode &far = Add(600, 400, 3); // off screen to the right and below
    EXPECT_EQ(Draw(), (std::vector<DrawCall>{Rotated(100, 50, 0.5, Image(124), 1), Rotated(-32, -32, 0, Image(124), 1),
                                             Rotated(150, 60, 0, Image(16), 1)}));
    EXPECT_EQ(crate.screenX, 100.0f);
    EXPECT_EQ(far.screenX, -32.0f);
    (void)item;
    // The camera follows the companion, stopped at the map's edges.
    companion.x = 2000;
    companion.y = 2000;
    objects.UpdateObjectScreenPositions();
    EXPECT_EQ(far.screenX, 600.0f - 480 + 160);
    EXPECT_EQ(far.screenY, 400.0f - 360 + 120);
}

TEST_F(FieldObjectDrawTest, AlternatingImagesSparklesAndTheDarkByte) {
    FieldObjectNode &flag = Add(50, 50, 3);
    flag.image = 34;
    FieldObjectNode &glint = Add(80, 50, 3);
    glint.image = 77;
    FieldObjectNode &past = Add(110, 50, 2, 1);
    past.image = 346; // past the last cell: nothing drawn, the sparkle still is
    FieldObjectNode &dark = Add(140, 50, 2, 1);
    dark.dark = 1;
    std::vector<int> flagImages;
    for (int frame = 1; frame <= 40; frame++) {
        std::vector<DrawCall> d = Draw();
        ASSERT_EQ(d.size(), 5u) << frame; // flag, glint, and the dark one between two brightness changes
        flagImages.push_back(d[0].graph == Image(34) ? 34 : d[0].graph == Image(35) ? 35 : -1);
        EXPECT_EQ(d[2], Bright(0, 0, 0));
        EXPECT_EQ(d[3], Rotated(140, 50, 0, Image(16), 1));
        EXPECT_EQ(d[4], Bright(254, 254, 254));
    }
    std::vector<int> want;
    for (int frame = 1; frame <= 40; frame++) want.push_back((frame / 10) % 2 ? 35 : 34);
    EXPECT_EQ(flagImages, want);
    // Frames 20 and 40: type 35 at the 346 object; frame 40: type 45 over the glint.
    std::vector<std::pair<int, float>> sparkles;
    for (const EffectNode &e : effects.nodes) sparkles.push_back({e.type, e.x});
    EXPECT_EQ(sparkles, (std::vector<std::pair<int, float>>{{35, 110}, {45, 80}, {35, 110}}));
    for (int frame = 41; frame <= 50; frame++) Draw();
    EXPECT_EQ(effects.nodes.back().type, 41); // frame 50: the dark one's
    EXPECT_EQ(effects.nodes.back().x, 140.0f);
}

} // namespace
