// The opening talk in the real game (its entry, as main runs it) over the demo data under the
// headless host with a key script: NEW GAME types the first message into the box over the cover,
// SHOT shows the rest up to the wait mark, which blinks there until the next SHOT; then the cover
// wipes open onto the room and the second message types. SHOT goes on to the talk's end, STATUS
// opens the player menu on its status page and JUMP closes it. The frames are saved as PNG in
// "road-frames" beside the tests and checked. One game run per process, as ctest runs them.
#include <gtest/gtest.h>

#include "game/world/player_menu.h"
#include "tests/game/road_shot.h"

namespace {

constexpr const char *kKeys = R"(
10 down 45
11 up 45
40 down 45
41 up 45
80 down 45
81 up 45
170 down 45
171 up 45
190 down 45
191 up 45
220 down 30
221 up 30
240 down 44
241 up 44
260 down 1
)";

struct Frames {
    Shot typing, markA, markB, opened, status, closed;
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
    case 230: g_frames.status = TakeShot(); break;
    case 250: g_frames.closed = TakeShot(); break;
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

// After the talk: STATUS opens the menu on its status page, JUMP closes it.
TEST_F(TalkRoadTest, StatusAfterTheTalkOpensTheMenuOnItsStatusPageAndJumpClosesIt)
{
    ASSERT_EQ(Play(kKeys), 0);
    const Frames &f = g_frames;
    ASSERT_FALSE(f.status.empty());
    ASSERT_FALSE(f.closed.empty());
    Save("talk-menu-status", f.status);
    Save("talk-menu-closed", f.closed);

    // The menu's main and help windows filled alike at their inner corners, the status page's name
    // line drawn in the main window; after JUMP both windows are gone.
    const PlayerMenu layout;
    const Rect &m = layout.mainWindow, &h = layout.helpWindow;
    const uint32_t windowFill = f.status.At(m.x1 + 1, m.y1 + 1);
    for (const Rect &r : {m, h})
        for (const auto &[x, y] : {std::pair{r.x1 + 1, r.y1 + 1}, {r.x2 - 1, r.y1 + 1}, {r.x1 + 1, r.y2 - 1}, {r.x2 - 1, r.y2 - 1}})
            EXPECT_EQ(f.status.At(x, y), windowFill) << x << "," << y;
    const int nameX = m.x1 + 8, nameY = m.y1 + 4, nameW = 8 * 10; // "NAME:VEDAZ" in the 8 x 8 font
    const int nameInk = nameW * 8 - CountColour(f.status, windowFill, nameX, nameY, nameX + nameW, nameY + 8);
    EXPECT_GT(nameInk, 40);
    for (const Rect &r : {m, h})
        EXPECT_LT(CountColour(f.closed, windowFill, r.x1, r.y1, r.x2, r.y2), (r.x2 - r.x1) * (r.y2 - r.y1) / 2);
}

} // namespace
