// Effects and pop-up numbers: the node a type makes, each frame's motion and picture, the
// special types' rules, the camera, and the draws from the sheets.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "game/actors/actors.h"
#include "game/frame/game_random.h"
#include "game/world/effects.h"
#include "tests/game/draw_recorder.h"
#include "tests/game/world/grid_fixture.h"

namespace {

class EffectsTest : public DrawRecorderTest {
protected:
    void SetUp() override {
        DrawRecorderTest::SetUp();
        SetGameRandSeed(1);
        grid = FloorGrid(30, 20);
        effects.grid = &grid;
        effects.focus = &companion;
        companion.x = 100; // the camera stays at (160, 120): screen = world
        companion.y = 100;
        effects.LoadEffectSheets();
        sheet0 = effects.sheets[0];
    }
    void TearDown() override {
        SetGameRandSeed(1);
        DrawRecorderTest::TearDown();
    }
    // One frame: update, place, draw; the draws it made.
    std::vector<DrawCall> Frame() {
        effects.UpdateEffects();
        return Draw();
    }
    std::vector<DrawCall> Draw() {
        TakeCalls();
        effects.PlaceEffects();
        effects.DrawEffects();
        return TakeCalls();
    }
    MapGrid grid;
    Companion companion;
    Effects effects;
    int sheet0 = -1;
};

TEST_F(EffectsTest, SheetsLoadInOrderWithTheWipesPictures) {
    EXPECT_EQ(Recorded().loaded,
              (std::vector<std::string>{"DataForWork\\number.dds", "DataForWork\\number2.dds", "DataForWork\\back4.dds",
                                        "DataForWork\\kaze.dds", "DataForWork\\fade.bmp", "DataForWork\\fade2.bmp"}));
    EXPECT_EQ(effects.sheets[3], Recorded().HandleOf("DataForWork\\kaze.dds"));
    EXPECT_EQ(effects.wipe.cover, Recorded().HandleOf("DataForWork\\fade2.bmp"));
    TakeCalls();
    effects.DrawFullScreenPicture();
    EXPECT_TRUE(TakeCalls().empty());
    effects.fullScreenPicture = 1;
    effects.DrawFullScreenPicture();
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Stretch(0, 0, 320, 240, effects.wipe.cover, 1)}));
}

TEST_F(EffectsTest, PopUpDigitsStandRightToLeftAndRiseFortyPixels) {
    effects.AddPopupNumber(100, 100, 123);
    EXPECT_EQ(Draw(), (std::vector<DrawCall>{Part(98, 100, 24, 0, 8, 8, sheet0, 1), Part(91, 100, 16, 0, 8, 8, sheet0, 1),
                                             Part(84, 100, 8, 0, 8, 8, sheet0, 1)}));
    for (int frame = 1; frame < 40; frame++) {
        std::vector<DrawCall> d = Frame();
        ASSERT_EQ(d.size(), 3u) << frame;
        EXPECT_EQ(d[0].y, 100 - frame);
    }
    Frame();
    EXPECT_TRUE(effects.nodes.empty()); // forty frames, forty pixels

    const struct {
        int value, row;
        std::vector<DrawCall> draws;
    } cases[] = {
        {-5, kPopupDigitRow, {Part(198, 50, 40, 0, 8, 8, 1000, 1), Part(196, 50, 2, 80, 3, 3, 1000, 1)}},
        {0, kPopupDigitRow, {Part(198, 50, 0, 0, 8, 8, 1000, 1)}},
        {7, kPlayerPopupDigitRow, {Part(198, 50, 56, 192, 8, 8, 1000, 1)}},
        {-2147483647 - 1, kPopupDigitRow, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        effects.FreeEffects();
        if (c.row == kPopupDigitRow) AddPopupNumber(effects, 200, 50, c.value);
        else AddPlayerPopupNumber(effects, 200, 50, c.value);
        std::vector<DrawCall> d = Draw();
        if (c.draws.empty()) {
            EXPECT_EQ(d.size(), 11u); // ten digits and the minus
            EXPECT_EQ(d[9], Part(198 - 63, 50, 16, 0, 8, 8, sheet0, 1)); // the leading 2
            continue;
        }
        EXPECT_EQ(d, c.draws);
    }
}

TEST_F(EffectsTest, TableTypesAnimateByLifeAndPlayTheirSoundOnce) {
    SpawnEffect(effects, 100, 100, 1); // interval 5, 4 frames along x, 64 x 64 from (0, 128)
    std::vector<int> frames;
    while (!effects.nodes.empty()) {
        std::vector<DrawCall> d = Frame();
        if (!d.empty()) {
            EXPECT_EQ(d[0].x, 100 - 32);
            EXPECT_EQ(d[0].sy, 128);
            EXPECT_EQ(d[0].w, 64);
            frames.push_back(d[0].sx / 64);
        }
    }
    // Lives 19..15 frame 3, 14..10 frame 2, 9..5 frame 1, then 0 (the last life, 1, is not drawn).
    EXPECT_EQ(frames, (std::vector<int>{3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 0, 0, 0}));

    SpawnEffect(effects, 100, 100, 38); // frames along y
    std::vector<DrawCall> d = Frame();
    EXPECT_EQ(d, (std::vector<DrawCall>{Part(100 - 32, 100 - 16, 0, 248 + 5 * 32, 64, 32, sheet0, 1)}));

    TakeSounds();
    SpawnEffect(effects, 10, 10, 27);
    Frame();
    Frame();
    EXPECT_EQ(TakeSounds(), std::vector<int>{4});
    effects.FreeEffects();
    SpawnEffect(effects, 10, 10, 16);
    Frame();
    Frame();
    EXPECT_EQ(TakeSounds(), std::vector<int>{33});

    // Types outside the table make nothing.
    effects.FreeEffects();
    for (int type : {-1, 51, 1000}) SpawnEffect(effects, 10, 10, type);
    EXPECT_TRUE(effects.nodes.empty());
}

TEST_F(EffectsTest, SparksDieInBlockingCellsAndFragmentsComeToRest) {
    grid = AsciiGrid({
        "..........",
        "..........",
        "..1.......",
        "..........",
        "1111111111",
    });
    grid.cells[1 * 10 + 5] = 1u << 24; // a warp cell: bit 24 blocks sparks too
    const struct {
        int type;
        float x, y;
        bool dies;
    } cases[] = {
        {2, 40, 40, true},  {2, 88, 24, true},  {2, 120, 24, false}, {2, -5, 40, false},
        {4, 40, 40, true},  {4, 88, 24, false}, {4, 8, 70, true},    {4, 120, 24, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " at " << c.x << "," << c.y);
        effects.FreeEffects();
        SpawnEffect(effects, c.x, c.y, c.type);
        std::vector<DrawCall> d = Frame();
        EXPECT_EQ(effects.nodes.empty(), c.dies);
        if (!c.dies) {
            ASSERT_EQ(d.size(), 1u);
            EXPECT_EQ(d[0].w, 2);
            EXPECT_TRUE(d[0].sx == 80 || d[0].sx == 82 || d[0].sx == 84 || d[0].sx == 86) << d[0].sx;
        }
    }

    // A fragment thrown up falls back; after its third time inside the floor it lies still.
    effects.FreeEffects();
    SpawnEffect(effects, 50, 60, 14);
    int maxBounces = 0;
    float restX = 0, restY = 0;
    bool resting = false;
    while (!effects.nodes.empty()) {
        Frame();
        if (effects.nodes.empty()) break;
        const EffectNode &n = effects.nodes.front();
        ASSERT_LE(n.bounces, 3);
        maxBounces = std::max(maxBounces, n.bounces);
        if (resting) {
            EXPECT_EQ(n.x, restX);
            EXPECT_EQ(n.y, restY);
            EXPECT_EQ(n.left, 121);
        } else if (n.bounces == 3) {
            Frame();
            if (effects.nodes.empty()) break;
            resting = true;
            restX = effects.nodes.front().x;
            restY = effects.nodes.front().y;
        }
    }
    EXPECT_EQ(maxBounces, 3);
    EXPECT_TRUE(resting);
}

TEST_F(EffectsTest, SpecialTypesMoveAsTheirRulesSay) {
    // Type 3: random diagonal at life 19, still from life 10.
    SpawnEffect(effects, 100, 100, 3);
    Frame(); // life 20
    Frame(); // life 19: the push
    const EffectNode &n = effects.nodes.front();
    EXPECT_EQ(std::abs(n.vx), 1.0f);
    EXPECT_EQ(std::abs(n.vy), 1.0f);
    for (int i = 0; i < 9; i++) Frame();
    EXPECT_EQ(n.vx, 0.0f);
    EXPECT_EQ(n.vy, 0.0f);
    EXPECT_EQ(n.left, 80);
    EXPECT_EQ(n.right - n.left, 3);

    // Types 5 and 6 burst at speed 2; type 6 also loses up to 9 frames of life.
    effects.FreeEffects();
    SpawnEffect(effects, 100, 100, 5);
    SpawnEffect(effects, 100, 100, 6);
    Frame();
    for (const EffectNode &e : effects.nodes) EXPECT_NEAR(std::hypot(e.vx, e.vy), 2.0f, 1e-5f) << e.type;
    EXPECT_GE(effects.nodes.back().life, 30);
    EXPECT_LE(effects.nodes.back().life, 39);

    // Type 9 rises and slows; type 13 drifts up-right, its picture stepping every 8 frames.
    effects.FreeEffects();
    SpawnEffect(effects, 100, 100, 9);
    SpawnEffect(effects, 100, 100, 13);
    Frame();
    EXPECT_EQ(effects.nodes.front().vy, -2.0f);
    EXPECT_EQ(effects.nodes.back().vx, 0.5f);
    for (int i = 0; i < 8; i++) Frame();
    EXPECT_NEAR(effects.nodes.front().vy, -2.0f * std::pow(0.95f, 8.0f), 1e-5f);
    EXPECT_EQ(effects.nodes.back().left, 89 + 8);

    // Type 10's picture counts down with its life, type 11's up.
    effects.FreeEffects();
    SpawnEffect(effects, 100, 100, 10);
    SpawnEffect(effects, 100, 100, 11);
    Frame();
    EXPECT_EQ(effects.nodes.front().left, 3 * 16);
    EXPECT_EQ(effects.nodes.back().left, 0);
    for (int i = 0; i < 91; i++) Frame(); // the 92nd update: life 9
    EXPECT_EQ(effects.nodes.front().left, 0);
    EXPECT_EQ(effects.nodes.back().left, 3 * 16);
}

TEST_F(EffectsTest, ScreenPositionsFollowTheClampedCamera) {
    grid = FloorGrid(40, 30);
    const struct {
        float fx, fy;
        int sx, sy; // where (300, 200) lands
    } cases[] = {{100, 100, 300, 200}, {300, 200, 160, 120}, {1000, 1000, -19, -39}}; // truncated toward 0
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fx);
        companion.x = c.fx;
        companion.y = c.fy;
        effects.FreeEffects();
        SpawnEffect(effects, 300.7f, 200.2f, 12);
        effects.PlaceEffects();
        EXPECT_EQ(effects.nodes.front().screenX, (float)c.sx);
        EXPECT_EQ(effects.nodes.front().screenY, (float)c.sy);
    }
    // Places no map has stay off screen and read no cell.
    effects.FreeEffects();
    SpawnEffect(effects, NAN, 1e30f, 2);
    SpawnEffect(effects, -1e30f, NAN, 14);
    Frame();
    for (const EffectNode &n : effects.nodes) {
        EXPECT_TRUE(std::abs(n.screenX) >= 1e5f || std::abs(n.screenY) >= 1e5f);
    }
}

} // namespace

namespace {

// The effect table as the game gives it: vx, vy, life, sheet, interval, frames, width, height,
// sheet x, sheet y, step x, sound.
TEST(EffectKinds, EqualTheGivenNumbers) {
    const char *given =
        "0 -1 75 0 0 0 0 0 0 0 0 0|0 0 19 0 5 4 64 64 0 128 1 0|0 2 250 0 0 0 0 0 0 0 0 0|0 0 20 0 0 0 0 0 0 0 0 0|"
        "0 0 30 0 0 0 0 0 0 0 0 0|0 0 24 0 0 0 0 0 0 0 0 0|0 0 40 0 0 0 0 0 0 0 0 0|0 0 19 0 0 0 0 0 0 0 0 0|"
        "0 0 19 0 0 0 0 0 0 0 0 0|0 0 39 0 0 0 0 0 0 0 0 0|0 0 100 0 0 0 0 0 0 0 0 0|0 0 100 0 0 0 0 0 0 0 0 0|"
        "0 0 2 0 0 0 0 0 0 0 0 0|0 0 30 0 0 0 0 0 0 0 0 0|0.1 -1.5 50 0 0 0 0 0 0 0 0 0|"
        "0 0 19 0 5 4 128 128 256 0 0 0|0 0 19 0 0 0 0 0 0 0 0 0|-6 0 30 3 0 0 0 0 0 0 0 0|"
        "0 -1 300 1 0 1 256 1024 0 0 0 0|0 -5 300 1 0 1 256 1024 256 0 0 0|0 0 300 0 6 4 64 64 640 512 1 0|"
        "0 0 20 0 4 2 32 32 480 0 0 0|0 0 20 0 4 2 32 32 448 0 0 0|0 0 19 0 5 4 32 32 0 8 1 0|"
        "0 1 100 0 6 4 32 32 384 128 1 0|0 0 300 0 0 0 128 128 512 0 0 0|0 0 15 0 4 4 16 16 0 64 1 0|"
        "0 -0.5 20 0 0 0 8 8 80 40 1 4|1 -0.2 35 0 6 6 16 16 112 48 1 0|-1 -0.2 35 0 6 6 16 16 112 48 1 0|"
        "0 0 34 0 5 7 32 32 0 216 1 0|0 0 29 2 6 5 512 256 0 0 0 33|0 -0.5 20 0 0 0 8 8 104 40 1 68|"
        "-3 0 10 0 0 0 16 16 64 64 1 21|3 0 10 0 0 0 16 16 80 64 1 21|0 0 18 0 3 6 8 8 0 40 1 0|"
        "-3 0 50 0 0 0 16 16 64 64 1 21|3 0 50 0 0 0 16 16 80 64 1 21|0 0 23 0 4 6 64 32 0 248 0 0|"
        "0 0 23 0 4 6 64 32 160 248 0 0|0 0 5 0 0 0 96 96 64 248 0 0|0.1 -0.2 20 0 5 4 8 8 128 0 1 0|"
        "0 0 100 0 5 2 32 32 80 80 1 0|0 0 25 0 0 0 256 256 768 639 1 27|0 0 150 0 0 0 64 64 448 64 0 79|"
        "0 0 21 0 7 3 8 8 160 0 1 0|0 -0.5 100 0 0 0 8 8 112 40 1 0|0 -0.5 100 0 0 0 8 8 120 40 1 0|"
        "0 -0.5 100 0 0 0 8 8 128 40 1 0|0 -0.5 100 0 0 0 8 8 136 40 1 0|0 -0.5 100 0 0 0 8 8 144 40 1 0";
    std::istringstream in(given);
    std::string row;
    int type = 0;
    while (std::getline(in, row, '|')) {
        std::istringstream f(row);
        float vx, vy;
        int life, sheet, interval, frames, w, h, sx, sy, step, sound;
        ASSERT_TRUE(f >> vx >> vy >> life >> sheet >> interval >> frames >> w >> h >> sx >> sy >> step >> sound) << type;
        const EffectKind &k = kEffectKinds[type];
        EXPECT_EQ((std::vector<float>{k.vx, k.vy}), (std::vector<float>{vx, vy})) << type;
        EXPECT_EQ((std::vector<int>{k.life, k.sheet, k.interval, k.frames, k.width, k.height, k.sheetX, k.sheetY,
                                    k.stepX, k.sound, k.value}),
                  (std::vector<int>{life, sheet, interval, frames, w, h, sx, sy, step, sound, 0}))
            << type;
        type++;
    }
    EXPECT_EQ(type, kEffectKindCount);
}

} // namespace
