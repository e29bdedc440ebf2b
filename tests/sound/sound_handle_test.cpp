// Sound handles: the table and its checks, loading into duplicate buffers, plays in turn and
// their onsets in the mix, the volume law, refused files.
#include <cstring>

#include "sound_fixture.h"

namespace {

class SoundHandles : public SoundTest {
public:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_EQ(InitializeSoundSystem(), 0);
    }
    static int LoadWave(const std::vector<int16_t> &pcm, int channels, int rate, int count) {
        auto w = fixtures::PcmWave(pcm, channels, rate);
        return LoadSoundFromMemory(w.data(), (int)w.size(), count, -1);
    }
    static DWORD CursorOf(int handle, int buffer) {
        DWORD c = 0;
        GetSoundRec(handle)->buffers[buffer].buffer->GetCurrentPosition(&c, nullptr);
        return c;
    }
};

TEST_F(SoundHandles, HandleCodesAndTheirChecks) {
    int a = AddSoundData(-1);
    int b = AddSoundData(-1);
    EXPECT_EQ(a, 0x10000000);
    EXPECT_EQ(b, 0x10000000 + 1 * 65536 + 1);
    EXPECT_EQ(IsSoundHandlePlaying(a), 0);
    for (int bad : {-1, 0x08000000, 0x18000000, 0x10000000 + 4096, 0x10000000 + 2, a + 65536})
        EXPECT_EQ(IsSoundHandlePlaying(bad), -1) << std::hex << bad;
    EXPECT_EQ(DeleteSoundHandle(a), 0);
    EXPECT_EQ(DeleteSoundHandle(a), -1);
    int c = AddSoundData(-1);  // the end index is 2: slot 2, check 2
    EXPECT_EQ(c, 0x10000000 + 2 * 65536 + 2);
    EXPECT_EQ(g_sound.endIndex, 3);
    DeleteSoundHandle(c);
    EXPECT_EQ(g_sound.endIndex, 2);
    DeleteSoundHandle(b);
    EXPECT_EQ(g_sound.endIndex, 0);
}

TEST_F(SoundHandles, TableLimitAndCheckIdWrap) {
    std::vector<int> handles;
    for (int i = 0; i < 4096; i++) handles.push_back(AddSoundData(-1));
    const int check0 = (handles[0] >> 16) & 0x7FF;
    EXPECT_EQ(handles.back(), 0x10000000 + ((check0 + 4095) % 2048) * 65536 + 4095);
    EXPECT_EQ(AddSoundData(-1), -1);
    EXPECT_TRUE(LogHas("サウンドの数が許容量を越えました\n"));
    // Check ids wrapped at 2,048; a freed slot is taken again from the front.
    EXPECT_EQ(handles[2048], 0x10000000 + check0 * 65536 + 2048);
    DeleteSoundHandle(handles[5]);
    int again = AddSoundData(-1);
    EXPECT_EQ(again & 0xFFFF, 5);
    EXPECT_EQ(IsSoundHandlePlaying(handles[5]), -1);  // stale: another check id now
    EXPECT_EQ(IsSoundHandlePlaying(again), 0);
    EXPECT_EQ(DeleteAllSoundHandles(), 0);
    EXPECT_EQ(g_sound.usedCount, 0);
}

TEST_F(SoundHandles, BuffersAreDuplicatesOfOneSampleMemory) {
    auto pcm = fixtures::Tone(4410, 2, 44100);
    const int before = SoundTestSampleBlocks();
    int h = LoadWave(pcm, 2, 44100, 3);
    ASSERT_GE(h, 0);
    EXPECT_EQ(GetSoundRec(h)->bufferCount, 3);
    EXPECT_EQ(SoundTestSampleBlocks(), before + 1);
    EXPECT_EQ(SoundTestLastBufferFlags(), 0x80E2u);
    // More than ten: cut by LoadSound, refused from memory.
    auto w = fixtures::PcmWave(pcm, 2, 44100);
    EXPECT_EQ(LoadSoundFromMemory(w.data(), (int)w.size(), 11, -1), -1);
    int ten = LoadSound(WriteFile("ten.wav", w).c_str(), 11, -1);
    ASSERT_GE(ten, 0);
    EXPECT_EQ(GetSoundRec(ten)->bufferCount, 10);
    // No buffers: a handle whose play fails.
    int none = LoadWave(pcm, 2, 44100, 0);
    ASSERT_GE(none, 0);
    EXPECT_EQ(PlaySoundHandle(none, SOUND_PLAY_BACKGROUND, 1), -1);
    EXPECT_EQ(IsSoundHandlePlaying(none), 0);
    // A failed duplicate ends the ring early.
    SoundTestFailAfter(SOUNDFAIL_DUPLICATE, 1);
    int two = LoadWave(pcm, 2, 44100, 5);
    EXPECT_EQ(GetSoundRec(two)->bufferCount, 2);
}

TEST_F(SoundHandles, PlaysTakeTheBuffersInTurn) {
    auto pcm = fixtures::Tone(44100, 2, 44100);
    int h = LoadWave(pcm, 2, 44100, 3);
    ASSERT_GE(h, 0);
    SOUNDREC *rec = GetSoundRec(h);
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
        SoundTestRender(1000);
    }
    EXPECT_EQ(rec->lastPlayed, 0);
    EXPECT_EQ(CursorOf(h, 1), 3000u * 4);
    // The fourth restarts the first one played.
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    EXPECT_EQ(rec->lastPlayed, 1);
    EXPECT_EQ(CursorOf(h, 1), 0u);
    // Without fromTop a playing buffer is left alone.
    SoundTestRender(500);
    for (int i = 0; i < 3; i++) ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 0), 0);
    EXPECT_EQ(CursorOf(h, 1), 500u * 4);
    EXPECT_EQ(IsSoundHandlePlaying(h), 1);
    EXPECT_EQ(StopSoundHandle(h), 0);
    EXPECT_EQ(IsSoundHandlePlaying(h), 0);
}

TEST_F(SoundHandles, OneBufferResumesWhereItStopped) {
    auto pcm = fixtures::Tone(44100, 2, 44100);
    int h = LoadWave(pcm, 2, 44100, 1);
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    SoundTestRender(2000);
    StopSoundHandle(h);
    SoundTestStartCapture();
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 0), 0);
    SoundTestRender(10);
    auto got = Captured();
    EXPECT_EQ(got, std::vector<int16_t>(pcm.begin() + 4000, pcm.begin() + 4020));
    EXPECT_EQ(GetSoundHandlePlayTime(h), 2010 * 1000 / 44100);
}

TEST_F(SoundHandles, ThreeOverlappingPlaysMixAtTheirOnsets) {
    // A 0.1-second effect, three plays 1,500 and 700 frames apart.
    auto fx = fixtures::Tone(4410, 2, 44100, 440.0, 8000.0);
    int h = LoadWave(fx, 2, 44100, 3);
    ASSERT_GE(h, 0);
    SoundTestStartCapture();
    SoundTestRender(1000);
    const int onsets[3] = {1000, 2500, 3200};
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    SoundTestRender(1500);
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    SoundTestRender(700);
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_BACKGROUND, 1), 0);
    // All three buffers play at once.
    int playing = 0;
    for (int i = 0; i < 3; i++) {
        DWORD s = 0;
        GetSoundRec(h)->buffers[i].buffer->GetStatus(&s);
        playing += (s & DSBSTATUS_PLAYING) != 0;
    }
    EXPECT_EQ(playing, 3);
    SoundTestRender(6000);
    auto got = Captured();
    ASSERT_EQ(got.size(), 2u * 9200);
    std::vector<int> want(got.size(), 0);
    for (int o : onsets)
        for (size_t i = 0; i < fx.size(); i++) want[2 * (size_t)o + i] += fx[i];
    for (size_t i = 0; i < got.size(); i++) ASSERT_EQ(got[i], want[i]) << "frame " << i / 2;
    // Each onset is the first non-zero frame after the previous play's start.
    EXPECT_EQ(got[2 * 999], 0);
    EXPECT_NE(got[2 * 1001], 0);
    EXPECT_EQ(IsSoundHandlePlaying(h), 0);
}

TEST_F(SoundHandles, VolumeLaw) {
    int h = LoadWave(fixtures::Tone(1000, 2, 44100), 2, 44100, 2);
    struct Case {
        int volume;
        LONG hundredths;
    } cases[] = {{255, 0}, {200, -105}, {128, -299}, {40, -804}, {30, -929}, {20, -1105},
                 {9, -1452}, {1, -2406}, {0, -10000}, {-5, -10000}, {256, 0}, {1000, 0}};
    for (const Case &c : cases) {
        ASSERT_EQ(SetSoundHandleVolume(c.volume, h), 0);
        for (int i = 0; i < 2; i++) {
            LONG v = 1;
            GetSoundRec(h)->buffers[i].buffer->GetVolume(&v);
            EXPECT_EQ(v, c.hundredths) << c.volume;
        }
    }
    EXPECT_EQ(SetSoundHandleVolume(100, h + 1), -1);
}

TEST_F(SoundHandles, UnplayableFilesAreRefusedWithoutAHandle) {
    const std::vector<uint8_t> none;
    struct Case {
        const char *name;
        std::vector<uint8_t> image;
        const char *line;
    } cases[] = {
        {"not a sound", std::vector<uint8_t>(1000, 0x11), "音声ファイルのＰＣＭへの変換に失敗しました"},
        {"zero-length data", fixtures::Riff().Chunk("fmt ", fixtures::FmtBody(1, 2, 44100, 0, 4, 16)).Chunk("data", nullptr, 0).Done(), "DirectSoundBuffer の作成に失敗しました"},
        {"three channels", fixtures::PcmWave(fixtures::Tone(300, 3, 44100), 3, 44100), "DirectSoundBuffer の作成に失敗しました"},
        {"24-bit", fixtures::Riff().Chunk("fmt ", fixtures::FmtBody(1, 2, 44100, 0, 6, 24)).Chunk("data", std::vector<uint8_t>(600, 1)).Done(), "DirectSoundBuffer の作成に失敗しました"},
    };
    for (const Case &c : cases) {
        int used = g_sound.usedCount;
        EXPECT_EQ(LoadSoundFromMemory(c.image.data(), (int)c.image.size(), 3, -1), -1) << c.name;
        EXPECT_EQ(g_sound.usedCount, used) << c.name;
        EXPECT_TRUE(LogHas(c.line)) << c.name;
    }
    EXPECT_EQ(LoadSound("missing.wav", 3, -1), -1);
    EXPECT_TRUE(LogHas("右記のファイルのオープンに失敗しました：missing.wav"));
    EXPECT_TRUE(LogHas("右記の音声ファイルのロードに失敗しました_1：missing.wav"));
    EXPECT_EQ(SoundTestLiveBuffers(), 2);
}

TEST_F(SoundHandles, BufferFlagsFallBackAndCreationFailureIsNotFatal) {
    auto pcm = fixtures::Tone(1000, 2, 44100);
    SoundTestRefuseBufferFlags(0x80E2);
    int h = LoadWave(pcm, 2, 44100, 2);
    ASSERT_GE(h, 0);
    EXPECT_EQ(SoundTestLastBufferFlags(), 0xC2u);
    SoundTestFailAfter(SOUNDFAIL_SECONDARY, 0);
    EXPECT_EQ(LoadWave(pcm, 2, 44100, 2), -1);
    EXPECT_TRUE(LogHas("DirectSoundBuffer の作成に失敗しました"));
    SoundTestFailAfter(SOUNDFAIL_SECONDARY, -1);
    SoundTestFailAfter(SOUNDFAIL_UNLOCK, 0);
    EXPECT_EQ(LoadWave(pcm, 2, 44100, 2), -1);
    EXPECT_TRUE(LogHas("サウンドデータの転送に失敗しました_2"));
}

TEST_F(SoundHandles, WaitPlayPumpsUntilTheEnd) {
    SoundTestSetClock(FakeMicroseconds);
    int h = LoadWave(fixtures::Tone(22050, 2, 44100), 2, 44100, 1);  // half a second
    ULONGLONG start = PlatformTestFakeClockMs();
    ASSERT_EQ(PlaySoundHandle(h, SOUND_PLAY_WAIT, 1), 0);
    EXPECT_EQ(IsSoundHandlePlaying(h), 0);
    EXPECT_NEAR((double)(PlatformTestFakeClockMs() - start), 500.0, 5.0);
}

}  // namespace
