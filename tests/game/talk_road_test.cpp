// The opening talk in the real game (its entry, as main runs it) over the demo data under the
// headless host with a key script: NEW GAME types the first message into the box over the cover,
// SHOT shows the rest up to the wait mark, which blinks there until the next SHOT; then the cover
// wipes open onto the room and the second message types. The frames are saved as PNG in
// "road-frames" beside the tests and checked. One game run per process, as ctest runs them.
#include <gtest/gtest.h>

#include "tests/game/road_shot.h"

namespace {

constexpr const char *kKeys = R"(
10 down 45
11 up 45
40 down 45
41 up 45
80 down 45
81 up 45
160 down 1
)";

struct Frames {
    Shot typing, markA, markB, opened;
};
Frames g_frames;

int WatchPresent()
{
    const int result = g_roadPresent();
    switch (PlatformKeyScriptFrame()) {
    case 30: g_frames.typing = TakeShot(); break;
    case 60: g_frames.markA = TakeShot(); break;
    case 65: g_frames.markB = TakeShot(); break;
    case 150: g_frames.opened = TakeShot(); break;
    default: break;
    }
    return result;
}

// Pixels of the box's text area that are not its fill.
int TextPixels(const Shot &s, uint32_t fill) { return 260 * 36 - CountColour(s, fill, 13, 154, 273, 190); }
int MarkPixels(const Shot &s, uint32_t fill) { return 64 - CountColour(s, fill, 287, 221, 295, 229); }

class TalkRoadTest : public RoadGameTest {
protected:
    TalkRoadTest() : RoadGameTest(WatchPresent) { g_frames = Frames{}; }
};

TEST_F(TalkRoadTest, OpeningTalkTypesHaltsAtItsBlinkingMarkAndGoesOnAfterShot)
{
    ASSERT_EQ(Play(kKeys), 0);
    const Frames &f = g_frames;
    ASSERT_FALSE(f.typing.empty());
    ASSERT_FALSE(f.markA.empty());
    ASSERT_FALSE(f.markB.empty());
    ASSERT_FALSE(f.opened.empty());
    Save("talk-typing", f.typing);
    Save("talk-mark-a", f.markA);
    Save("talk-mark-b", f.markB);
    Save("talk-opened", f.opened);

    // Partly typed over the cover: the box below (its empty lower part gives its fill), the cover
    // above it.
    const uint32_t fill = f.typing.At(160, 225), cover = f.typing.At(160, 60);
    EXPECT_NE(fill, cover);
    EXPECT_GT(CountColour(f.typing, cover, 0, 0, 320, 145), 320 * 145 * 99 / 100);
    EXPECT_GT(CountColour(f.typing, fill, 10, 192, 310, 235), 300 * 43 * 99 / 100);
    const int typed = TextPixels(f.typing, fill);
    EXPECT_GT(typed, 20);
    // At the mark after SHOT: more text, the same in both frames, the mark shown in one of them.
    EXPECT_GT(TextPixels(f.markA, fill), typed);
    EXPECT_EQ(TextPixels(f.markA, fill), TextPixels(f.markB, fill));
    EXPECT_NE(MarkPixels(f.markA, fill) > 0, MarkPixels(f.markB, fill) > 0);
    // After the next SHOT: the cover gone, the room lit, the second message in the box.
    EXPECT_LT(CountColour(f.opened, cover, 0, 0, 320, 145), 320 * 145 / 20);
    EXPECT_GT(TextPixels(f.opened, fill), 20);
}

} // namespace
