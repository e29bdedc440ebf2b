// A movie loaded as a graph in a started library, on the Direct3D stand-in and on the software
// screen: the drawn graph follows the clock or the movie's own sound track, and the window's
// activation pauses and resumes it.
#include "tests/movie/movie_library_fixture.h"

#include "library/sound/sound.h"
#include "library/sound/sound_state.h"
#include "platform/testing/sound.h"
#include "tools/kla/kla_writer.h"

#include <algorithm>
#include <cstdlib>

namespace {

using MovieGraphTest = MovieLibraryTest;

TEST_F(MovieGraphTest, DrawnGraphFollowsTheClockAndTheWindowsActivation) {
    TheoraSpec spec;
    spec.frames = 100;
    WriteFile("movie.ogv", EncodeOggTheora(spec));
    // The 32-bit software screen takes the frame's rows as they are; with option 2, or on a 16-bit
    // screen, they are converted.
    struct Case {
        const char *name;
        bool software;
        int bits, option;
    } cases[] = {
        {"Direct3D", false, 16, 0},
        {"software, 16 bits", true, 16, 0},
        {"software, 32 bits", true, 32, 0},
        {"software, 32 bits, option 2", true, 32, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.software, c.bits);
        const int graph = LoadGraphFile("movie.ogv", 0, 0, c.option);
        ASSERT_NE(graph, -1);
        int w = 0, h = 0;
        GetGraphSize(graph, &w, &h);
        EXPECT_EQ(w, 100);
        EXPECT_EQ(h, 75);
        MOVIEREC *rec = MovieOf(graph);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->stopped, 0) << "the loader starts the movie";
        EXPECT_EQ(rec->sound, -1) << "a movie without a sound track";
        EXPECT_EQ(DrawnFrame(graph), 0);
        PlatformTestAdvanceFakeClockMs(2500);
        EXPECT_EQ(DrawnFrame(graph), 75);

        PlatformTestInjectActivation(GetMainWindow(), false);
        EXPECT_EQ(rec->stopped, 1);
        EXPECT_EQ(GetTheoraFrameNumber(rec->decoder), 75);
        PlatformTestAdvanceFakeClockMs(3000);
        PlatformTestInjectActivation(GetMainWindow(), true);
        EXPECT_EQ(rec->stopped, 0);
        EXPECT_EQ(DrawnFrame(graph), 75) << "resumed at the frame it paused on";
        PlatformTestAdvanceFakeClockMs(500);
        EXPECT_EQ(DrawnFrame(graph), 90);

        EXPECT_EQ(DestroyGraph(graph), 0);
        EndLibrary();
    }
}

TEST_F(MovieGraphTest, TheSoundTrackPlaysAsAStreamSoundAndPacesTheFrames) {
    TheoraSpec spec;
    spec.frames = 100;
    spec.sound = true;
    spec.soundRate = 44100;
    WriteFile("movie.ogv", EncodeOggTheora(spec));
    Start(false);
    const int graph = LoadGraphFile("movie.ogv", 0, 0, 0);
    ASSERT_NE(graph, -1);
    MOVIEREC *rec = MovieOf(graph);
    ASSERT_NE(rec->sound, -1);
    EXPECT_EQ(IsSoundHandlePlaying(rec->sound), 1);
    EXPECT_EQ(GetSoundRec(rec->sound)->streamFlag, 1);
    SoundTestStartCapture();
    for (int ms = 0; ms < 1000; ms += 50) {
        PlatformTestAdvanceFakeClockMs(50);
        ProcessWindowMessages();
    }
    SoundTestStopCapture();
    size_t frames = 0;
    const int16_t *mixed = SoundTestCaptured(&frames);
    int peak = 0;
    for (size_t i = 0; i < 2 * frames; i++) peak = std::max(peak, std::abs((int)mixed[i]));
    EXPECT_GE(frames, 44100u * 95 / 100);
    EXPECT_NEAR(peak, 16384, 1200) << "the track's tone at half scale is heard";
    const int playMs = GetSoundHandlePlayTime(rec->sound);
    EXPECT_NEAR(playMs, 1000, 25);
    EXPECT_EQ(DrawnFrame(graph), MovieFrameAtSoundTime(playMs, 30.0, 100));

    // The sound's end stops a movie that does not loop, once the last frame is shown.
    for (int ms = 0; ms < 3000; ms += 50) {
        PlatformTestAdvanceFakeClockMs(50);
        ProcessWindowMessages();
    }
    EXPECT_EQ(IsSoundHandlePlaying(rec->sound), 0);
    EXPECT_EQ(DrawnFrame(graph), 99);
    EXPECT_EQ(rec->stopped, 0) << "the draw that reaches the last frame shows it";
    EXPECT_EQ(DrawnFrame(graph), 99);
    EXPECT_EQ(rec->stopped, 1);
    EXPECT_EQ(rec->wantsToPlay, 0);
}

// Inside an archive the decode thread and the sound track's refills read one archive file: each
// read runs whole, so both get their own bytes (the thread-sanitizer build watches this too).
TEST_F(MovieGraphTest, AMovieWithSoundPlaysFromAnArchive) {
    TheoraSpec spec;
    spec.frames = 60;
    spec.sound = true;
    ASSERT_TRUE(WriteKlaFile(dir_ / "data.kla", KlaFolder("", {KlaFile("movie.ogv", EncodeOggTheora(spec))}),
                             KlaOptions{}));
    Start(false);
    const int graph = LoadGraphFile("data\\movie.ogv", 0, 0, 0);
    ASSERT_NE(graph, -1);
    MOVIEREC *rec = MovieOf(graph);
    ASSERT_NE(rec->sound, -1);
    for (int ms = 0; ms < 1500; ms += 20) {
        PlatformTestAdvanceFakeClockMs(20);
        ProcessWindowMessages();
        const int frame = DrawnFrame(graph);
        ASSERT_EQ(frame, MovieFrameAtSoundTime(GetSoundHandlePlayTime(rec->sound), 30.0, 60)) << ms << " ms";
    }
    EXPECT_GE(GetTheoraFrameNumber(rec->decoder), 40);
}

}  // namespace
