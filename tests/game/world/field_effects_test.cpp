// The backdrop's choice by area and hour, the full-screen effects' pictures, sounds, rows and
// ends, the screen effect's wave rows, and the wipes' frame counts, through recorded draws.
#include <gtest/gtest.h>

#include <cmath>

#include "game/world/area_transition.h"
#include "game/world/backdrop.h"
#include "game/world/full_screen_effect.h"
#include "game/world/screen_effect.h"
#include "game/world/tile_view.h"
#include "game/world/wipe.h"
#include "tests/game/draw_recorder.h"

namespace {

TEST(Backdrop, ChoiceByAreaAndHour) {
    const BackdropChoice sky640{BACKDROP_SKY, 640, 0}, pattern{BACKDROP_PATTERN, 0, 0};
    const struct {
        int area, hour;
        BackdropChoice want;
    } cases[] = {
        {28, 12, sky640},   {112, 3, sky640},   {113, 0, sky640},
        {10, 7, {BACKDROP_CLOUD, 320, 0}},
        {15, 12, pattern},  {19, 3, pattern},   {51, 0, pattern},  {52, 0, pattern}, {78, 0, pattern},
        {114, 0, pattern},  {119, 0, pattern},  {120, 0, pattern}, {121, 0, pattern}, {126, 0, pattern},
        {0, 6, {BACKDROP_SKY, 320, 0}},    {79, 7, {BACKDROP_SKY, 320, 0}},
        {0, 18, {BACKDROP_SKY, 320, 256}}, {0, 19, {BACKDROP_SKY, 320, 256}},
        {0, 11, {BACKDROP_SKY, 320, 512}}, {0, 14, {BACKDROP_SKY, 320, 512}}, {0, 16, {BACKDROP_SKY, 320, 512}},
        {0, 3, {BACKDROP_SKY, 0, 512}},
        {0, 8, {BACKDROP_SKY, 0, 0}},      {79, 17, {BACKDROP_SKY, 0, 0}},    {0, 13, {BACKDROP_SKY, 0, 0}},
        {0, 0, {BACKDROP_SKY, 0, 256}},    {0, 23, {BACKDROP_SKY, 0, 256}},   {0, 5, {BACKDROP_SKY, 0, 256}},
        {111, 6, {BACKDROP_CLOUD, 320, 0}},   {99, 18, {BACKDROP_CLOUD, 320, 300}},
        {89, 16, {BACKDROP_CLOUD, 320, 600}}, {89, 3, {BACKDROP_CLOUD, 0, 600}},
        {89, 9, {BACKDROP_CLOUD, 0, 0}},      {89, 22, {BACKDROP_CLOUD, 0, 300}},
        {14, 12, {BACKDROP_CLOUD, 0, 0}},     {80, 12, {BACKDROP_CLOUD, 0, 0}}, {-1, 12, {BACKDROP_CLOUD, 0, 0}},
    };
    for (const auto &c : cases) {
        BackdropChoice got = ChooseBackdrop(c.area, c.hour);
        EXPECT_TRUE(got == c.want) << "area " << c.area << " hour " << c.hour << ": " << got.image << " " << got.srcX
                                   << "," << got.srcY;
    }
}

class FieldEffectTest : public DrawRecorderTest {};

TEST_F(FieldEffectTest, BackdropDrawsTheChosenPart) {
    Backdrop b;
    LoadBackdropImages(b);
    AreaTransition t;
    t.currentArea = 53;
    b.transition = &t;
    DrawBackdrop(b);
    std::vector<DrawCall> c = TakeCalls();
    ASSERT_EQ(c.size(), 30u);
    EXPECT_EQ(c[0], At(0, 0, b.pattern, 0));
    EXPECT_EQ(c[29], At(320, 256, b.pattern, 0));
    t.currentArea = 0;
    t.localHour = 18;
    DrawBackdrop(b);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(0, 0, 320, 256, 320, 240, b.sky, 0)}));
    t.currentArea = 89;
    DrawBackdrop(b);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(0, 0, 320, 300, 320, 240, b.cloud, 0)}));
}

// Runs an effect to its end; the picture or row count drawn each frame.
struct EffectRun {
    std::vector<int> pictures; // fade picture index per frame, -1 when none drawn
    int frames = 0;
};

class FullScreenTest : public DrawRecorderTest {
protected:
    void SetUp() override {
        DrawRecorderTest::SetUp();
        LoadFullScreenEffectImages(effect);
        effect.tileView = &view;
        TakeCalls();
    }
    int PictureOf(const DrawCall &c) const {
        for (int i = 0; i < kFadePictures; i++)
            if (effect.fades[i] == c.graph) return i;
        return -1;
    }
    // Frames until the effect ends; pictures drawn in each.
    EffectRun Run(int limit) {
        EffectRun r;
        TakeCalls();
        while (effect.active && r.frames < limit) {
            view.dark = 0;
            RunScreenEffect(effect);
            r.frames++;
            EXPECT_EQ(view.dark, 1) << "frame " << effect.frame;
            std::vector<DrawCall> c = TakeCalls();
            r.pictures.push_back(c.size() == 1 ? PictureOf(c[0]) : -1);
        }
        return r;
    }
    FullScreenEffect effect;
    TileView view;
};

TEST_F(FullScreenTest, FadePicturesByFrameSoundAndEnd) {
    ASSERT_EQ(Recorded().loaded[0], "DataForWork\\map\\kakubakuhatu.bmp");
    StartScreenEffect(effect, 1);
    EffectRun r = Run(500);
    ASSERT_EQ(r.frames, 109);
    // Frame f is r.pictures[f - 1].
    const struct {
        int frame, picture;
    } table[] = {{1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}, {7, 3}, {8, 4}, {9, 4}, {10, 5}, {50, 5},
                 {99, 5}, {100, 4}, {101, 4}, {102, 3}, {103, 3}, {104, 2}, {105, 2}, {106, 1}, {107, 1}, {108, 0},
                 {109, 0}};
    for (const auto &t : table) EXPECT_EQ(r.pictures[t.frame - 1], t.picture) << "frame " << t.frame;
    EXPECT_EQ(TakeSounds(), (std::vector<int>{84}));
    EXPECT_EQ(effect.mode, 0);
    RunScreenEffect(effect);
    EXPECT_TRUE(TakeCalls().empty());

    // Started again while running: it holds the full picture from frame 10 without a fade-in.
    StartScreenEffect(effect, 1);
    for (int f = 0; f < 60; f++) RunScreenEffect(effect);
    StartScreenEffect(effect, 1);
    EXPECT_EQ(effect.frame, 10);
    r = Run(500);
    EXPECT_EQ(r.frames, 99);
    EXPECT_EQ(r.pictures[0], 5);
    // The long fade: in as the fade, out over 999,992..999,999.
    StartScreenEffect(effect, 4);
    r = Run(12);
    EXPECT_EQ(r.pictures, (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 5}));
    effect.frame = 999991;
    r = Run(100);
    EXPECT_EQ(r.pictures, (std::vector<int>{4, 4, 3, 3, 2, 2, 1, 1}));
    EXPECT_EQ(effect.active, 0);
}

TEST_F(FullScreenTest, WavesRowsDriftSoundAndEnd) {
    StartScreenEffect(effect, 2);
    RunScreenEffect(effect);
    std::vector<DrawCall> c = TakeCalls();
    ASSERT_EQ(c.size(), 256u + 1); // every second row, then the picture
    float s = 1 * 0.0037f;
    s += 0.0025f;
    const int row0 = (int)std::trunc(std::sin(s) * 16);
    for (int i = 1; i <= 511; i++) s += 0.0025f;
    const int row511 = (int)std::trunc(std::sin(s) * 16);
    EXPECT_EQ(effect.rows[0], row0);
    EXPECT_EQ(effect.rows[511], row511);
    EXPECT_EQ(c[0], Part(effect.rows[1] - 100, 1 - 100, 0, 1, 512, 1, effect.waveImage, 1));
    EXPECT_EQ(c.back(), Part(-20 - 88, 20 - 100, 0, 0, 512, 512, effect.wavePicture, 1));
    const struct {
        int frame;
        size_t rows;
    } steps[] = {{9, 256}, {10, 341}, {19, 341}, {20, 384}, {30, 409}, {40, 426}, {49, 426}, {50, 511}, {199, 511}};
    for (const auto &st : steps) {
        while (effect.frame < st.frame - 1) RunScreenEffect(effect);
        TakeCalls();
        RunScreenEffect(effect);
        EXPECT_EQ(TakeCalls().size() - 1, st.rows) << "frame " << st.frame;
    }
    EXPECT_EQ(effect.driftX, -20 + 19);
    EXPECT_EQ(effect.driftY, 20 - 19);
    EXPECT_EQ(TakeSounds(), (std::vector<int>{81}));
    RunScreenEffect(effect); // frame 200 draws and ends
    EXPECT_EQ(effect.active, 0);
    TakeCalls();
    // The plain wave: rev rows from the top of the screen, no picture, the same end.
    StartScreenEffect(effect, 3);
    EffectRun r = Run(500);
    EXPECT_EQ(r.frames, 200);
    RunScreenEffect(effect);
    StartScreenEffect(effect, 3);
    RunScreenEffect(effect);
    c = TakeCalls();
    ASSERT_EQ(c.size(), 256u);
    EXPECT_EQ(c[0], Part(effect.rows[1] - 100, 1, 0, 1, 512, 1, effect.reverseImage, 1));
    // An unknown kind (an area change sets one) ends the effect at its next frame, drawing nothing.
    effect.mode = 666;
    view.dark = 0;
    RunScreenEffect(effect);
    EXPECT_EQ(effect.active, 0);
    EXPECT_EQ(effect.mode, 0);
    EXPECT_EQ(view.dark, 0);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(FieldEffectTest, ScreenEffectWaveRowsAndStrip) {
    ScreenEffect e;
    LoadScreenEffectImage(e);
    e.wave = 1;
    UpdateScreenWaveRows(e);
    UpdateScreenWaveRows(e);
    EXPECT_EQ(e.counter, 2);
    float s = 2 * 0.0125f;
    for (int i = 0; i < 512; i++) {
        s += 0.0125f;
        ASSERT_EQ(e.rows[i], (int)std::trunc(std::sin(s) * 16)) << i;
    }
    DrawScreenEffect(e);
    std::vector<DrawCall> c = TakeCalls();
    ASSERT_EQ(c.size(), 512u);
    EXPECT_EQ(c[300], Part(e.rows[300] - 100, 200, 0, 300, 512, 1, e.image, 1));
    e.stripB = 1;
    DrawScreenEffect(e);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Part(175, 22, 0, 0, 128, 512, e.image, 1)}));
    e.stripB = 0;
    e.wave = 0;
    UpdateScreenWaveRows(e);
    EXPECT_EQ(e.counter, 0);
    DrawScreenEffect(e);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(FieldEffectTest, WipesEndOnTheCallTheirRulesSay) {
    Wipe w;
    LoadWipeImages(w);
    EXPECT_EQ(RunWipe(w, 5, 0), 0);
    EXPECT_EQ(RunWipe(w, -1, 1), 0);
    EXPECT_TRUE(TakeCalls().empty());
    const struct {
        int pattern, uncover, endCall;
    } cases[] = {{0, 0, 31}, {1, 0, 31}, {2, 0, 31}, {3, 0, 31}, {4, 0, 34},
                 {0, 1, 32}, {1, 1, 32}, {2, 1, 37}, {3, 1, 37}, {4, 1, 37}};
    for (const auto &c : cases) {
        int call = 0, r = 0;
        while (r == 0 && call < 100) {
            r = RunWipe(w, c.pattern, c.uncover);
            call++;
        }
        EXPECT_EQ(call, c.endCall) << "pattern " << c.pattern << " uncover " << c.uncover;
        EXPECT_EQ(w.counter, 0);
        // Its last call draws the whole cover (a cover) or nothing (an uncover).
        std::vector<DrawCall> last = Recorded().calls;
        TakeCalls();
        if (c.uncover) {
            RunWipe(w, c.pattern, 1); // starts again: every block, whole
            EXPECT_FALSE(TakeCalls().empty());
            w.counter = 0;
        } else {
            ASSERT_FALSE(last.empty());
            EXPECT_EQ(last.back().sx, 80) << "pattern " << c.pattern;
        }
    }
    // Pattern 2's first frame covers the columns from x 240 on with the smallest block.
    TakeCalls();
    RunWipe(w, 2, 0);
    std::vector<DrawCall> first = TakeCalls();
    ASSERT_EQ(first.size(), 6u * 16);
    EXPECT_EQ(first[0], Part(240, 0, 0, 0, 16, 16, w.blockSheet, 1));
    w.counter = 0;
    CoverScreen(w);
    EXPECT_EQ(TakeCalls(), (std::vector<DrawCall>{Stretch(0, 0, 320, 240, w.cover, 1)}));
}

} // namespace
