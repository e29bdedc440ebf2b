// Stream sounds: the six-second ring refilled as the cursor moves; what the mixer plays must be
// the decoded PCM exactly, ends stop within one refill, loops wrap seamlessly.
#include <functional>
#include <random>

#include "fixtures/ogg_fixture.h"
#include "sound_fixture.h"

namespace {

class StreamSounds : public SoundTest {
public:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_EQ(InitializeSoundSystem(), 0);
    }
    int LoadStream(const std::string &name, const std::vector<uint8_t> &bytes) {
        SetSoundCreateType(3);
        int h = LoadSound(WriteFile(name, bytes).c_str(), 1, -1);
        SetSoundCreateType(0);
        return h;
    }
    // Renders in steps of the given sizes, refilling after each, until the sound stops or the
    // frame budget is spent; the frames rendered until the stop was seen.
    template <class Step>
    int64_t Run(int h, int64_t budget, Step step) {
        int64_t frames = 0;
        while (frames < budget && IsSoundHandlePlaying(h) == 1) {
            int n = step();
            SoundTestRender((DWORD)n);
            frames += n;
            RefillStreamSounds();
        }
        return frames;
    }
};

TEST_F(StreamSounds, TwentySecondOggComesOutBitIdentical) {
    const int rate = 44100;
    auto ogg = fixtures::EncodeOgg(fixtures::Tone(rate * 20, 2, rate, 330.0, 9000.0), 2, rate);
    auto decoded = fixtures::DecodeOggDirect(ogg);
    const int64_t frames = (int64_t)decoded.size() / 2;
    int h = LoadStream("music.ogg", ogg);
    ASSERT_GE(h, 0);
    EXPECT_EQ(GetStreamLengthTime(h), (int)(frames * 1000 / rate));
    EXPECT_EQ(GetSoundRec(h)->ringSize, 6 * rate * 4);
    std::mt19937 random(7);
    struct Pace {
        const char *name;
        std::function<int()> step;
    } paces[] = {
        {"60 Hz", [] { return 735; }},
        {"irregular", [&] { return (int)(random() % (rate * 5 / 2)) + 1; }},
    };
    for (Pace &p : paces) {
        SoundTestStartCapture();
        ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
        int64_t ran = Run(h, frames + rate * 10, p.step);
        auto got = Captured();
        ASSERT_GE((int64_t)got.size(), 2 * frames) << p.name;
        for (int64_t i = 0; i < 2 * frames; i++)
            ASSERT_EQ(got[i], decoded[i]) << p.name << " sample " << i;
        for (size_t i = 2 * frames; i < got.size(); i++) ASSERT_EQ(got[i], 0) << p.name;
        EXPECT_EQ(IsSoundHandlePlaying(h), 0) << p.name;
        EXPECT_LT(ran, frames + rate * 3) << p.name;
        EXPECT_EQ(GetStreamPlayTime(h), GetStreamLengthTime(h)) << p.name;
    }
}

TEST_F(StreamSounds, ShortSoundFitsTheFirstFillAndStopsWithinOneRefill) {
    const int rate = 44100;
    auto pcm = fixtures::Tone(rate * 2, 2, rate);
    int h = LoadStream("two.wav", fixtures::PcmWave(pcm, 2, rate));
    ASSERT_GE(h, 0);
    SOUNDREC *rec = GetSoundRec(h);
    EXPECT_EQ(rec->endFlag, 1);  // the whole sound and its end went into the first fill
    EXPECT_EQ(rec->writePosition, 4 * rate * 4);
    EXPECT_EQ(GetStreamLengthTime(h), 2000);
    SoundTestStartCapture();
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    int64_t ran = Run(h, rate * 6, [] { return 735; });
    EXPECT_GT(ran, 2 * rate);
    EXPECT_LE(ran, 2 * rate + 735);
    auto got = Captured();
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), got.begin()));
    for (size_t i = pcm.size(); i < got.size(); i++) ASSERT_EQ(got[i], 0);
    EXPECT_EQ(GetStreamPlayTime(h), 2000);  // never past the length while silence plays
}

TEST_F(StreamSounds, StopContinuesAndFromTopRestarts) {
    const int rate = 22050;
    auto pcm = fixtures::Tone(rate * 8, 2, rate);
    std::vector<int16_t> wide;  // 44.1 kHz stereo copy so the mix is exact
    for (size_t i = 0; i < pcm.size(); i += 2)
        for (int k = 0; k < 2; k++) wide.insert(wide.end(), {pcm[i], pcm[i + 1]});
    int h = LoadStream("long.wav", fixtures::PcmWave(wide, 2, 44100));
    ASSERT_GE(h, 0);
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    Run(h, 44100 * 5, [] { return 4410; });
    EXPECT_EQ(StopSoundHandle(h), 0);
    EXPECT_EQ(GetStreamPlayTime(h), 5000);
    SoundTestStartCapture();
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 0), 0);
    Run(h, 44100, [] { return 4410; });
    auto got = Captured();
    EXPECT_TRUE(std::equal(got.begin(), got.end(), wide.begin() + 2 * 44100 * 5));
    EXPECT_EQ(GetStreamPlayTime(h), 6000);
    SoundTestStartCapture();
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    Run(h, 44100, [] { return 4410; });
    got = Captured();
    EXPECT_TRUE(std::equal(got.begin(), got.end(), wide.begin()));
    EXPECT_EQ(GetStreamPlayTime(h), 1000);
}

TEST_F(StreamSounds, LoopWrapsSeamlesslyAndPlayTimeRestarts) {
    const int rate = 44100;
    auto pcm = fixtures::Tone(rate * 5 / 2, 2, rate);  // 2.5 seconds
    int h = LoadStream("loop.wav", fixtures::PcmWave(pcm, 2, rate));
    ASSERT_GE(h, 0);
    SoundTestStartCapture();
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_LOOP, 1), 0);
    int lastTime = 0;
    bool restarted = false;
    Run(h, rate * 9, [&] {
        int t = GetSoundHandlePlayTime(h);
        if (t < lastTime) restarted = true;
        EXPECT_LE(t, 2500);
        lastTime = t;
        return 735;
    });
    EXPECT_TRUE(restarted);
    EXPECT_EQ(IsSoundHandlePlaying(h), 1);
    auto got = Captured();
    for (size_t i = 0; i < got.size(); i++) ASSERT_EQ(got[i], pcm[i % pcm.size()]) << "sample " << i;
    // Switching to a single play after the source has run out starts again from the top.
    StopSoundHandle(h);
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 0), 0);
    EXPECT_EQ(GetStreamPlayTime(h), 0);
    DeleteSoundHandle(h);
    EXPECT_EQ(g_sound.streamHead.next, &g_sound.streamTail);
}

TEST_F(StreamSounds, BrokenOrUnplayableStreamsLeaveNoHandle) {
    SetSoundCreateType(3);
    EXPECT_EQ(LoadSound("absent.ogg", 1, -1), -1);
    EXPECT_TRUE(LogHas("右記のＷＡＶファイルのロードに失敗しました：absent.ogg \n"));
    EXPECT_EQ(LoadSound(WriteFile("junk.ogg", std::vector<uint8_t>(500, 0x22)).c_str(), 1, -1), -1);
    EXPECT_TRUE(LogHas("音声データのオープンに失敗しました"));
    EXPECT_TRUE(LogHas("右記のＷＡＶファイルのセットアップに失敗しました：junk.ogg \n"));
    EXPECT_EQ(LoadSound(WriteFile("six.wav", fixtures::PcmWave(fixtures::Tone(100, 6, 44100), 6, 44100)).c_str(), 1, -1), -1);
    SetSoundCreateType(0);
    EXPECT_EQ(g_sound.usedCount, 0);
    EXPECT_EQ(SoundTestLiveBuffers(), 2);
    EXPECT_EQ(SetSoundCreateType(4), -1);
    EXPECT_EQ(GetSoundCreateType(), 0);
}

}  // namespace
