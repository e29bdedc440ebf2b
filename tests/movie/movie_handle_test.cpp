// Movie handles over generated Theora files, without the rest of the library: the handle checks,
// the pacing rules, and playing, pausing and resuming on the fake clock.
#include "tests/movie/movie_fixture.h"

#include <string>

#include "library/movie/movie.h"
#include "library/movie/movie_internal.h"

namespace {

TEST(MoviePacing, FrameFollowsTheClockOrTheSound) {
    struct Case {
        int64_t elapsedMs;
        int frames, loop, want;
    } byClock[] = {
        {2500, 100, 0, 75},  // 30 fps, 2.5 s
        {4000, 100, 1, 20},  // looping: 120 wraps to 20
        {4000, 100, 0, 99},  // not looping: the last frame
        {0, 100, 0, 0},
        {33, 100, 0, 0},     // not yet a whole frame
        {34, 100, 0, 1},
        {-10, 100, 0, 0},
    };
    for (const Case &c : byClock)
        EXPECT_EQ(MovieFrameAtTime(c.elapsedMs * 1000, 30.0, c.frames, c.loop), c.want) << c.elapsedMs << " ms";
    struct SoundCase {
        int64_t playMs;
        int want;
    } bySound[] = {{1000, 30}, {0, 0}, {2500, 75}, {10000, 99}};
    for (const SoundCase &c : bySound) EXPECT_EQ(MovieFrameAtSoundTime(c.playMs, 30.0, 100), c.want) << c.playMs << " ms";
}

class MovieHandleTest : public DecoderTest {
public:
    void SetUp() override {
        DecoderTest::SetUp();
        PlatformTestUseFakeClock(true);
        SelectFileFunctions(nullptr);
    }
    void TearDown() override {
        for (int slot = 0; slot < MOVIE_MAX_HANDLES; slot++)
            if (MOVIEREC *rec = g_movies.records[slot]) CloseMovieHandle(MovieHandleOf(slot, rec->check));
        g_movies = MOVIETABLE{};
        PlatformTestResetTime();
        DecoderTest::TearDown();
    }
    std::string WriteMovie(const std::string &name, int frames, int width = 100, int height = 75) {
        TheoraSpec spec;
        spec.width = width;
        spec.height = height;
        spec.frames = frames;
        return WriteFile(name, EncodeOggTheora(spec));
    }
};

TEST_F(MovieHandleTest, HandlesCarryTheirSlotAndCheckAndStaleOnesAreRefused) {
    WriteMovie("m.ogv", 2, 32, 32);
    g_movies.nextCheck = 2047;
    int w = 0, h = 0;
    const int first = OpenMovie("m.ogv", &w, &h, 0);
    ASSERT_NE(first, -1);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(first, 0 | (2047 | 0x1800) << 16);
    const int second = OpenMovie("m.ogv", nullptr, nullptr, 0);
    EXPECT_EQ(second, 1 | (0 | 0x1800) << 16) << "the check count wraps after 2,047";
    MOVIEREC *rec = GetMovieRecord(first);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->playType, 1);
    EXPECT_EQ(rec->stopped, 1);
    EXPECT_EQ(rec->wantsToPlay, 0);
    EXPECT_EQ(rec->theora, 1);
    EXPECT_EQ(g_movies.liveCount, 2);

    const int bad[] = {-1, first + (1 << 27), (first & ~0xFFFF) | 100, first ^ (1 << 16), 0};
    for (int handle : bad) {
        EXPECT_EQ(GetMovieRecord(handle), nullptr) << std::hex << handle;
        EXPECT_EQ(CloseMovieHandle(handle), -1);
        EXPECT_EQ(AdvanceMovieFrame(handle), -1);
        EXPECT_EQ(PauseMovie(handle, 0), -1);
        EXPECT_EQ(PlayMovie(handle), -1);
        EXPECT_EQ(SetMovieFrameCallback(handle, nullptr, 0), -1);
    }
    EXPECT_EQ(CloseMovieHandle(first), 0);
    EXPECT_EQ(CloseMovieHandle(first), -1) << "closed";
    // The freed first slot is taken again, with a new check count.
    const int third = OpenMovie("m.ogv", nullptr, nullptr, 0);
    EXPECT_EQ(third & 0xFFFF, 0);
    EXPECT_EQ(GetMovieRecord(first), nullptr);
    EXPECT_EQ(g_movies.liveCount, 2);
}

TEST_F(MovieHandleTest, TheTableHoldsAHundredMovies) {
    WriteMovie("m.ogv", 1, 16, 16);
    for (int i = 0; i < MOVIE_MAX_HANDLES; i++) ASSERT_NE(OpenMovie("m.ogv", nullptr, nullptr, 0), -1) << i;
    EXPECT_EQ(OpenMovie("m.ogv", nullptr, nullptr, 0), -1);
    EXPECT_EQ(g_movies.liveCount, MOVIE_MAX_HANDLES);
}

TEST_F(MovieHandleTest, FilesThatAreNoMovieAreRefusedWithTheirLine) {
    WriteFile("text.ogv", std::vector<uint8_t>(300, 'x'));
    EXPECT_EQ(OpenMovie("text.ogv", nullptr, nullptr, 0), -1);
    EXPECT_EQ(OpenMovie("absent.ogv", nullptr, nullptr, 0), -1);
    EXPECT_TRUE(LogHas("ムービーファイルオープン処理時にエラーが発生しました"));
    EXPECT_EQ(g_movies.liveCount, 0);
}

// Play, pause with and without keeping the wish to play, resume: each frame where the clock says,
// the callback after every move; without the loop bit the last frame stops the movie.
TEST_F(MovieHandleTest, PlaysPausesAndResumesOnTheClock) {
    WriteMovie("m.ogv", 100);
    const int movie = OpenMovie("m.ogv", nullptr, nullptr, 0);
    ASSERT_NE(movie, -1);
    MOVIEREC *rec = GetMovieRecord(movie);
    static std::vector<std::pair<int, int>> calls;
    calls.clear();
    SetMovieFrameCallback(movie, [](int m, int value) { calls.emplace_back(m, value); }, 77);
    auto shown = [&] { return GetTheoraFrameNumber(rec->decoder); };

    EXPECT_EQ(AdvanceMovieFrame(movie), 0);
    EXPECT_TRUE(calls.empty()) << "stopped after open";
    ASSERT_EQ(PlayMovie(movie), 0);
    EXPECT_EQ(rec->stopped, 0);
    EXPECT_EQ(rec->wantsToPlay, 1);
    PlatformTestAdvanceFakeClockMs(1000);
    AdvanceMovieFrame(movie);
    EXPECT_EQ(shown(), 30);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(movie, 77));
    EXPECT_EQ(rec->frameShown, 1);

    // Pausing brings the frame up to the clock first; the wish to play stays with keep.
    PlatformTestAdvanceFakeClockMs(500);
    PauseAllMovies();
    EXPECT_EQ(shown(), 45);
    EXPECT_EQ(rec->stopped, 1);
    EXPECT_EQ(rec->wantsToPlay, 1);
    PlatformTestAdvanceFakeClockMs(3000);
    AdvanceMovieFrame(movie);
    EXPECT_EQ(shown(), 45) << "paused";
    ResumeAllMovies();
    EXPECT_EQ(rec->stopped, 0);
    PlatformTestAdvanceFakeClockMs(500);
    AdvanceMovieFrame(movie);
    EXPECT_EQ(shown(), 60) << "resumed at the frame it paused on";

    PauseMovie(movie, 0);
    EXPECT_EQ(rec->wantsToPlay, 0);
    ResumeAllMovies();
    EXPECT_EQ(rec->stopped, 1) << "a movie that no longer wants to play stays";
    PlayMovie(movie);
    PlatformTestAdvanceFakeClockMs(10000);
    AdvanceMovieFrame(movie);
    EXPECT_EQ(shown(), 99);
    AdvanceMovieFrame(movie);
    EXPECT_EQ(rec->stopped, 1) << "the last frame shown, no loop";
    EXPECT_EQ(rec->wantsToPlay, 0);

    // With the loop bit the clock wraps.
    rec->playType |= MOVIE_PLAY_LOOP;
    PlayMovie(movie);
    PlatformTestAdvanceFakeClockMs(1000);
    AdvanceMovieFrame(movie);
    EXPECT_EQ(shown(), (99 + 30) % 100);
    EXPECT_EQ(rec->stopped, 0);
}

}  // namespace
