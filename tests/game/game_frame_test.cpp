// The frame wait across the counter's wrap, the refresh measurement, and the title and
// key-configuration states driven frame by frame with recorded draw calls.
#include <unistd.h>

#include <string>
#include <vector>

#include "game/frame/cur_game.h"
#include "game/frame/game_entry.h"
#include "game/frame/game_graphics.h"
#include "game/frame/sound_lists.h"
#include "game_fixture.h"
#include "platform/dinput/devices.h"

namespace {

uint64_t g_now = 0;
uint64_t g_step = 0;
int g_reads = 0;
uint64_t SteppingClock() {
    g_reads++;
    uint64_t v = g_now;
    g_now += g_step;
    return v;
}
int NoPresent() { return 0; }

TEST(FrameWait, WaitsOneSixtiethOfASecondAcrossTheWrap) {
    for (uint64_t start : {uint64_t{1000}, ~uint64_t{0} - 5000, ~uint64_t{0}}) {
        struct Case {
            uint64_t step;
            int reads;
        } cases[] = {{1000, 18}, {10, 1668}};
        for (const auto &c : cases) {
            g_now = start;
            g_step = c.step;
            g_reads = 0;
            WaitFramePeriod(start, SteppingClock);
            // 1 ms steps: reads at +0 .. +17 ms (16 is short of 16.67); 10 us steps end at 16.67 ms.
            EXPECT_EQ(g_reads, c.reads) << start << " " << c.step;
        }
    }
    EXPECT_EQ(ElapsedMs(0x7FFFFFF0, 0x10), 0x20u);
}

std::vector<int> g_times;
size_t g_timeIndex = 0;
int TableClock() { return g_times[g_timeIndex++]; }

TEST(FrameWait, RefreshRateFromOneHundredPresents) {
    struct Case {
        int totalMs, want;
    } cases[] = {{1000, 100}, {1667, 59}, {0, 0}};
    for (const auto &c : cases) {
        // 101 reads, spread evenly; the counter's wrap falls inside the measurement.
        g_times.clear();
        g_timeIndex = 0;
        for (int i = 0; i <= 100; i++)
            g_times.push_back((int)((0x7FFFFF00u + (uint32_t)(i * c.totalMs / 100)) & 0x7FFFFFFFu));
        MeasureRefreshRateWith(TableClock, NoPresent);
        EXPECT_EQ(g_measuredRefreshRate, c.want) << c.totalMs;
    }
}

std::vector<std::string> g_calls;
int RecordPart(int x, int y, int sx, int sy, int w, int h, int graph, int, int) {
    g_calls.push_back("part " + std::to_string(x) + "," + std::to_string(y) + " from " + std::to_string(sx) + "," +
                      std::to_string(sy) + " " + std::to_string(w) + "x" + std::to_string(h) + " g" +
                      std::to_string(graph));
    return 0;
}
int OpenFake(const char *, int) { return 77; }
int g_nextGraph = 100;
int BlankFake(int, int) { return g_nextGraph++; }
int DestroyFake(int g) {
    g_calls.push_back("destroy " + std::to_string(g));
    return g == 0 ? -1 : 0;
}
int StretchFake(int, int, int x2, int y2, int g, int) {
    g_calls.push_back("stretch " + std::to_string(x2) + "x" + std::to_string(y2) + " g" + std::to_string(g));
    return 0;
}

class TitleStateTest : public GameFolderTest {
public:
    void SetUp() override {
        GameFolderTest::SetUp();
        saved_ = GameGraphics();
        GameGraphics().drawGraphPart = RecordPart;
        GameGraphics().openImageAsGraph = OpenFake;
        GameGraphics().createBlankGraph = BlankFake;
        GameGraphics().destroyGraph = DestroyFake;
        GameGraphics().drawGraphStretched = StretchFake;
        g_calls.clear();
        g_nextGraph = 100;
        GetSoundLists() = SoundLists{};
        GetSoundLists().tracks.fill(-1);
        GetSoundLists().effects.fill(-1);
    }
    void TearDown() override {
        GameGraphics() = saved_;
        GetSoundLists() = SoundLists{};
        GameFolderTest::TearDown();
    }
    void Frame(CurGame &game, std::initializer_list<int> keys) {
        char states[256] = {};
        for (int k : keys) states[k] = 1;
        GetGameInput().UpdateKeyCountersFrom(states);
        GetGameInput().UpdatePadCountersFrom(0);
        g_calls.clear();
        game.OnFrame();
    }
    GameGraphicsCalls saved_;
};

TEST_F(TitleStateTest, CursorClampsMusicStartsAndKeyConfigRoundTrip) {
    CurGame game;
    game.OnLoad();
    Frame(game, {});
    EXPECT_EQ(GetSoundLists().currentTrack, kTitleMusicTrack);
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[0], "part 64,16 from 2,0 190x256 g77");
    EXPECT_EQ(g_calls[1], "part 187,105 from 192,0 8x8 g77");
    EXPECT_EQ(g_calls[2], "destroy 0");
    EXPECT_EQ(g_calls[3], "stretch 640x480 g100");
    Frame(game, {GAMEKEY_UP});
    EXPECT_EQ(game.title.cursor, 0);
    for (int i = 0; i < 4; i++) {
        Frame(game, {GAMEKEY_DOWN});
        Frame(game, {});
    }
    EXPECT_EQ(game.title.cursor, 2);
    EXPECT_EQ(g_calls[1], "part 187,147 from 192,0 8x8 g77");
    EXPECT_EQ(g_calls[2], "destroy 108"); // each frame's capture graph is freed by the next
    // KEY CONFIG, then save at once after the 20 ignored frames.
    Frame(game, {GAMEKEY_X});
    EXPECT_EQ(game.topState, TOP_KEY_CONFIG);
    for (int i = 0; i < 21; i++) Frame(game, {});
    Frame(game, {GAMEKEY_Z});
    EXPECT_EQ(game.topState, TOP_TITLE);
    EXPECT_EQ(ReadBytes(kKeyConfFile).size(), 72u);
}

TEST_F(TitleStateTest, LatchKeepsAValueOneFrame) {
    CurGame game;
    game.latchValue = 5;
    game.latchHold = 1;
    Frame(game, {});
    EXPECT_EQ(game.latchValue, 5);
    Frame(game, {});
    EXPECT_EQ(game.latchValue, 0);
}

} // namespace

namespace {

int g_presents = 0;
int CountPresent() { return ++g_presents; }
uint64_t g_frameNow = 0;
uint64_t JumpingClock() { return g_frameNow += 20000; }

class CountingFrame : public GameFrame {
public:
    void OnFrame() override { frames++; }
    int frames = 0;
};

class FrameLoopTest : public GameFolderTest {
public:
    void SetUp() override {
        GameFolderTest::SetUp();
        saved_ = GameGraphics();
        GameGraphics().presentBackScreen = CountPresent;
        g_presents = 0;
        PlatformInputReset();
        // The library reads the keyboard at most once a millisecond: let a key the last test
        // held age out of that read.
        usleep(2000);
    }
    void TearDown() override {
        PlatformInputReset();
        GameGraphics() = saved_;
        GameFolderTest::TearDown();
    }
    GameGraphicsCalls saved_;
};

TEST_F(FrameLoopTest, EscapeEndsBeforeThePresentOnlyOnItsFirstFrame) {
    CountingFrame frame;
    frame.frameClock = JumpingClock;
    EXPECT_TRUE(frame.RunOneFrame());
    EXPECT_EQ(g_presents, 1);
    PlatformInputSetKey(GAMEKEY_ESCAPE, true);
    EXPECT_FALSE(frame.RunOneFrame());
    EXPECT_EQ(frame.frames, 2); // the frame's update and draw ran
    EXPECT_EQ(g_presents, 1);   // its present did not
    // Held on: a count of 2 is no new press.
    EXPECT_TRUE(frame.RunOneFrame());
    EXPECT_EQ(g_presents, 2);
    // The input lock clears every counter, so the held key reads as a new press after it.
    GetGameInput().inputLock = 1;
    EXPECT_TRUE(frame.RunOneFrame());
    EXPECT_EQ(GetGameInput().KeyCounter(GAMEKEY_ESCAPE), 0);
    GetGameInput().inputLock = 0;
    EXPECT_FALSE(frame.RunOneFrame());
}

TEST_F(FrameLoopTest, PeriodRunsFromTheLastWaitSoThePumpIsInsideIt) {
    CountingFrame frame;
    frame.frameClock = SteppingClock;
    g_step = 10;
    g_now = 1000;
    ASSERT_TRUE(frame.RunOneFrame());
    uint64_t first = frame.lastWaitEnd;
    EXPECT_GE(first, 1000u + kFramePeriodUs);
    // A pump of 0.5 ms between the frames is inside the next period.
    g_now += 500;
    ASSERT_TRUE(frame.RunOneFrame());
    EXPECT_GE(frame.lastWaitEnd - first, kFramePeriodUs);
    EXPECT_LE(frame.lastWaitEnd - first, kFramePeriodUs + 3 * g_step);
    // A pump longer than a period is not made up: the next period counts from that frame's start.
    uint64_t second = frame.lastWaitEnd;
    g_now += 20000;
    ASSERT_TRUE(frame.RunOneFrame());
    EXPECT_GE(frame.lastWaitEnd - second, 20000 + kFramePeriodUs);
    EXPECT_LE(frame.lastWaitEnd - second, 20000 + kFramePeriodUs + 4 * g_step);
}

} // namespace
