// The real game (its entry, as main runs it) over the demo data under the headless host with a key
// script: NEW GAME, SHOT through the opening talk, DOWN on the room's door to the village, DOWN on the inn's door back to the room,
// Escape. The key script pauses while a transition locks the input, so the frames are taken by
// present: one mid-cover, one covered with the village's name on the banner, the village
// uncovered and the room again; each is saved as PNG in "road-frames" beside the tests and
// checked. The music switches from the title's track to the village's at the load frame. With the
// village's map missing, the warp still runs to its end, the log names the file and Escape still
// ends the game with 0. Each test runs the game once in its process, as ctest runs them (the library
// keeps its window's quit flag past its end).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/frame/sound_lists.h"
#include "tests/game/road_shot.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDoorFrame = 140;  // key-script frame of the first DOWN
constexpr int kVillageFrame = 160; // a script frame after the first warp has ended
constexpr int kBackFrame = 170;   // DOWN on the inn's door
constexpr int kRoomFrame = 200;   // after the way back

// NEW GAME, SHOT every eight frames through the opening talk, then the doors.
constexpr const char *kKeys = R"(
10 down 45
11 up 45
14 down 45
15 up 45
22 down 45
23 up 45
30 down 45
31 up 45
38 down 45
39 up 45
46 down 45
47 up 45
54 down 45
55 up 45
62 down 45
63 up 45
70 down 45
71 up 45
78 down 45
79 up 45
86 down 45
87 up 45
94 down 45
95 up 45
102 down 45
103 up 45
110 down 45
111 up 45
118 down 45
119 up 45
126 down 45
127 up 45
140 down 208
141 up 208
170 down 208
171 up 208
210 down 1
)";

// What the present wrapper saw, present by present.
struct Road {
    int scriptFrame = 0;
    std::vector<int> tracks;           // the music track at each present from NEW GAME on
    int coverStart = -1, loadPresent = -1; // present numbers
    Shot midCover, covered, village, room;
    int presents = 0;
};
Road g_road;

int WatchPresent()
{
    const int result = g_roadPresent();
    Road &r = g_road;
    const int n = r.presents++;
    const int frame = PlatformKeyScriptFrame();
    if (frame < 11) return result;
    const int track = GetSoundLists().currentTrack;
    if (!r.tracks.empty() && r.tracks.back() != track && track == 0 && r.loadPresent < 0) r.loadPresent = n;
    r.tracks.push_back(track);
    if (frame == kDoorFrame && r.coverStart < 0) r.coverStart = n;
    if (r.coverStart >= 0 && n == r.coverStart + 24) r.midCover = TakeShot();
    if (r.loadPresent >= 0 && n == r.loadPresent + 20) r.covered = TakeShot();
    if (frame == kVillageFrame && r.village.empty()) r.village = TakeShot();
    if (frame == kRoomFrame && r.room.empty()) r.room = TakeShot();
    return result;
}

constexpr uint32_t kCover = 0x080810; // the wipe's blocks and its cover

// Share of the rectangle's pixels in the cover's colour.
double CoverShare(const Shot &s, int x1, int y1, int x2, int y2)
{
    int n = 0, all = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++, all++) n += s.At(x, y) == kCover;
    return all ? (double)n / all : 0;
}

int Bright(const Shot &s, int x1, int y1, int x2, int y2)
{
    int n = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++) {
            const uint32_t c = s.At(x, y);
            n += (c >> 16 & 255) + (c >> 8 & 255) + (c & 255) > 400;
        }
    return n;
}

class WarpRoadTest : public RoadGameTest {
protected:
    WarpRoadTest() : RoadGameTest(WatchPresent) {}
    void SetUp() override {
        RoadGameTest::SetUp();
        g_road = Road{};
    }
    int Play() { return RoadGameTest::Play(kKeys); }
    std::string Log() const {
        std::ifstream in(dir_ / "Log.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST_F(WarpRoadTest, ThroughTheRoomsDoorToTheVillageAndBack)
{
    ASSERT_EQ(Play(), 0);
    const Road &r = g_road;
    ASSERT_FALSE(r.midCover.empty());
    ASSERT_FALSE(r.covered.empty());
    ASSERT_FALSE(r.village.empty());
    ASSERT_FALSE(r.room.empty());
    Save("warp-mid-cover", r.midCover);
    Save("warp-covered", r.covered);
    Save("warp-village", r.village);
    Save("warp-room-again", r.room);

    // The room's wipe has spread its blocks over the screen from the right and they are growing:
    // about half of the screen is covered, the room shows between them.
    const double half = CoverShare(r.midCover, 0, 0, 320, 240);
    EXPECT_GT(half, 0.3);
    EXPECT_LT(half, 0.7);
    // Covered: the cover everywhere but the village's name in the banner corner.
    EXPECT_GT(CoverShare(r.covered, 0, 0, 320, 215), 0.99);
    EXPECT_GT(Bright(r.covered, 233, 223, 315, 231), 20) << "no name on the banner";
    // Uncovered: the village in daylight, then the room.
    EXPECT_LT(CoverShare(r.village, 0, 0, 320, 240), 0.05);
    EXPECT_LT(CoverShare(r.room, 0, 0, 320, 240), 0.05);
    EXPECT_NE(r.village.px, r.room.px);

    // The title's track plays on into the room; the load frame switches to the village's, which
    // the way back keeps.
    ASSERT_GE(r.loadPresent, 0);
    ASSERT_FALSE(r.tracks.empty());
    EXPECT_EQ(r.tracks.front(), kTitleMusicTrack);
    const size_t load = r.tracks.size() - (size_t)(r.presents - r.loadPresent);
    for (size_t i = 0; i < r.tracks.size(); i++) EXPECT_EQ(r.tracks[i], i < load ? kTitleMusicTrack : 0) << "present " << i;
    EXPECT_GT(r.loadPresent, r.coverStart);
}

TEST_F(WarpRoadTest, MissingMapStillRunsTheWarpAndPlayGoesOn)
{
    fs::remove(dir_ / "MAP" / "kyoto" / "kyoto1.bin");
    ASSERT_EQ(Play(), 0);
    const Road &r = g_road;
    // Covered, then uncovered onto an empty area (the backdrop alone), and nothing more to warp.
    ASSERT_FALSE(r.covered.empty());
    EXPECT_GT(CoverShare(r.covered, 0, 0, 320, 215), 0.99);
    ASSERT_FALSE(r.village.empty());
    EXPECT_LT(CoverShare(r.village, 0, 0, 320, 240), 0.05);
    EXPECT_GE(r.loadPresent, 0);
    EXPECT_NE(Log().find("MAP/kyoto/kyoto1.bin"), std::string::npos);
}

} // namespace
