// Movies through the DirectShow stand-in: files it cannot render (from an archive, through the
// temporary copy), each scripted failure with its line, and a test source whose frames reach the
// graph; the stop position loops or stops the movie.
#include "tests/movie/movie_library_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "library/movie/movie_internal.h"
#include "platform/testing/dshow.h"
#include "tools/kla/kla_writer.h"

namespace {

class MovieDShowTest : public MovieLibraryTest {
protected:
    void SetUp() override {
        MovieLibraryTest::SetUp();
        DShowTestReset();
        // Temporary copies are made here, where the test can see them.
        const char *tmp = getenv("TMPDIR");
        savedTmp_ = tmp ? tmp : "";
        hadTmp_ = tmp != nullptr;
        setenv("TMPDIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        EndLibrary();
        EXPECT_EQ(DShowTestLiveGraphs(), 0);
        DShowTestReset();
        PlatformTestShortWrites(0);
        if (hadTmp_) setenv("TMPDIR", savedTmp_.c_str(), 1);
        else unsetenv("TMPDIR");
        MovieLibraryTest::TearDown();
    }
    int TempFilesLeft() const {
        int n = 0;
        for (const auto &e : std::filesystem::directory_iterator(dir_))
            n += e.path().extension() == ".tmp" ? 1 : 0;
        return n;
    }
    // The log from `from` on.
    std::string LogSince(size_t from) const { return LogBytes().substr(from); }

    std::string savedTmp_;
    bool hadTmp_ = false;
};

std::vector<uint8_t> NotAPicture(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; i++) bytes[i] = (uint8_t)('a' + i % 26);
    return bytes;
}

TEST_F(MovieDShowTest, AnUnrenderableFileInAnArchiveIsTriedOnceMoreFromATemporaryCopy) {
    const std::vector<uint8_t> clip = NotAPicture(3000);
    ASSERT_TRUE(WriteKlaFile(dir_ / "data.kla", KlaFolder("", {KlaFile("clip.avi", clip)}), KlaOptions{}));
    Start(false);
    const size_t logFrom = LogBytes().size();
    EXPECT_EQ(LoadGraphFile("data\\clip.avi", 0, 0, 0), -1);
    const std::string log = LogSince(logFrom);
    const size_t cannot = log.find("ファイル:data\\clip.avi が開けませんでした");
    const size_t failed = log.find("ムービーファイルオープン処理時にエラーが発生しました");
    EXPECT_NE(cannot, std::string::npos) << log;
    EXPECT_NE(failed, std::string::npos);
    EXPECT_LT(cannot, failed);
    EXPECT_NE(log.find("右記のグラフィックファイルのロードに失敗しました：data\\clip.avi"), std::string::npos);
    std::vector<DShowTestRenderCall> calls = DShowTestRenderCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].path, "data\\clip.avi");
    EXPECT_EQ(calls[0].size, -1) << "no plain file of that name";
    EXPECT_NE(calls[1].path.find(".tmp"), std::string::npos);
    EXPECT_EQ(calls[1].size, 3000) << "the copy has the source's size";
    EXPECT_EQ(TempFilesLeft(), 0) << "and is gone";
    EXPECT_EQ(DShowTestLiveGraphs(), 0);
}

TEST_F(MovieDShowTest, EachFailureLogsItsLineAndLeavesNothingBehind) {
    WriteFile("clip.avi", NotAPicture(5000));
    DShowTestSource rgb32;
    rgb32.name = "wide.avi";
    rgb32.subtype = MEDIASUBTYPE_RGB32;
    DShowTestAddSource(rgb32);
    WriteFile("wide.avi", NotAPicture(100));
    Start(false);
    struct Case {
        const char *name;
        DSHOW_FAILPOINT fail;  // DSHOWFAIL_COUNT: none
        int shortWrites;
        const char *file;
        const char *line;
        size_t renderCalls;
    } cases[] = {
        {"graph", DSHOWFAIL_CREATE, 0, "clip.avi", "CLSID_FilterGraph の作成に失敗しました", 0},
        {"add filter", DSHOWFAIL_ADDFILTER, 0, "clip.avi", "Could not add renderer filter to graph!", 0},
        {"audio", DSHOWFAIL_BASICAUDIO, 0, "clip.avi", "BasicAudio インターフェースの取得に失敗しました", 0},
        {"control", DSHOWFAIL_MEDIACONTROL, 0, "clip.avi", "IID_IMediaControlインターフェイスの取得に失敗しました", 0},
        {"seeking", DSHOWFAIL_MEDIASEEKING, 0, "clip.avi", "IID_IMediaSeekingインターフェイスの取得に失敗しました", 0},
        {"a type the renderer refuses", DSHOWFAIL_COUNT, 0, "wide.avi", "ファイル:wide.avi が開けませんでした", 2},
        {"a copy cut short", DSHOWFAIL_COUNT, 1, "clip.avi", "ファイル:clip.avi が開けませんでした", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DShowTestReset();
        DShowTestAddSource(rgb32);
        if (c.fail != DSHOWFAIL_COUNT) DShowTestFail(c.fail, true);
        PlatformTestShortWrites(c.shortWrites);
        const size_t logFrom = LogBytes().size();
        int w = -1, h = -1;
        EXPECT_EQ(OpenMovie(c.file, &w, &h, 0), -1);
        const std::string log = LogSince(logFrom);
        EXPECT_NE(log.find(c.line), std::string::npos) << log;
        EXPECT_NE(log.find("ムービーファイルオープン処理時にエラーが発生しました"), std::string::npos);
        EXPECT_EQ(DShowTestRenderCalls().size(), c.renderCalls);
        EXPECT_EQ(DShowTestLiveGraphs(), 0);
        EXPECT_EQ(TempFilesLeft(), 0);
        EXPECT_EQ(g_movies.liveCount, 0);
    }
}

// Frames of a test source reach the graph; at the stop position the movie stops, or with the
// loop bit seeks to 0 and runs on.
TEST_F(MovieDShowTest, SourceFramesReachTheGraphAndTheStopPositionLoopsOrStops) {
    struct Case {
        const char *name;
        bool software, topDown;
        REFERENCE_TIME duration;  // -1: the frames' length
        LONGLONG frameTime;       // what the record keeps
    } cases[] = {
        {"Direct3D, bottom-up", false, false, -1, 5 * 333333},
        {"Direct3D, top-down, no duration", false, true, 0, 166666},
        {"software, 32 bits, bottom-up", true, false, -1, 5 * 333333},
    };
    WriteFile("clip.avi", NotAPicture(64));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DShowTestReset();
        DShowTestSource source;
        source.name = "CLIP.AVI";
        source.width = 40;
        source.height = 30;
        source.topDown = c.topDown;
        source.frames = 5;
        source.duration = c.duration;
        DShowTestAddSource(source);
        Start(c.software, 32);
        const int graph = LoadGraphFile("clip.avi", 0, 0, 0);
        ASSERT_NE(graph, -1);
        MOVIEREC *rec = GetMovieRecord(GetGraphEntry(graph)->boundMovie);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->theora, 0);
        EXPECT_EQ(rec->width, 40);
        EXPECT_EQ(rec->height, 30);
        EXPECT_EQ(rec->frameTime, c.frameTime);
        EXPECT_EQ(rec->stopPosition, 5 * 333333);
        auto shows = [&](int n) {
            ClearDrawTarget();
            EXPECT_EQ(DrawGraphAt(0, 0, graph, 0), 0);
            for (int y = 0; y < 30; y++)
                for (int x = 0; x < 40; x++)
                    if (ScreenPixel(x, y) != DShowTestPixel(n, x, y)) return false;
            return true;
        };

        DShowTestAllowFrames(1);
        ASSERT_TRUE(DShowTestWaitDelivered(1));
        EXPECT_TRUE(shows(0));
        EXPECT_EQ(rec->frameShown, 1);
        DShowTestAllowFrames(4);
        ASSERT_TRUE(DShowTestWaitDelivered(5));
        EXPECT_TRUE(shows(4)) << "the newest frame";
        EXPECT_EQ(rec->stopped, 1) << "the stop position reached";
        EXPECT_EQ(rec->wantsToPlay, 0);

        rec->playType |= MOVIE_PLAY_LOOP;
        PlayMovie(GetGraphEntry(graph)->boundMovie);
        EXPECT_TRUE(shows(4));
        EXPECT_EQ(rec->stopped, 0) << "looped: back to the start and running";
        DShowTestAllowFrames(1);
        ASSERT_TRUE(DShowTestWaitDelivered(6));
        EXPECT_TRUE(shows(0));
        EXPECT_EQ(DestroyGraph(graph), 0);
        EXPECT_EQ(DShowTestLiveGraphs(), 0);
        EndLibrary();
    }
}

}  // namespace
