// The DirectSound stand-in: device set-up, buffer rules, the ring lock, duplicates and the mixer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <string>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fixtures/sound_fixtures.h"
#include "platform/dsound/dsound.h"
#include "platform/com/com.h"
#include "platform/testing/sound.h"

namespace {

WAVEFORMATEX Pcm(int ch, int rate, int bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = (WORD)ch;
    f.nSamplesPerSec = (DWORD)rate;
    f.wBitsPerSample = (WORD)bits;
    f.nBlockAlign = (WORD)(ch * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    return f;
}

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        SoundTestReset();
        ASSERT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound,
                                   reinterpret_cast<void **>(&ds)),
                  S_OK);
        ASSERT_EQ(ds->Initialize(nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override {
        for (IDirectSoundBuffer *b : made) b->Release();
        if (ds) ds->Release();
        EXPECT_EQ(SoundTestLiveBuffers(), 0);
        EXPECT_EQ(SoundTestSampleBlocks(), 0);
        EXPECT_EQ(SoundTestLiveDevices(), 0);
    }
    IDirectSoundBuffer *Make(const WAVEFORMATEX &f, DWORD bytes, DWORD flags = 0x80E2) {
        WAVEFORMATEX fmt = f;
        DSBUFFERDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = flags;
        d.dwBufferBytes = bytes;
        d.lpwfxFormat = &fmt;
        IDirectSoundBuffer *b = nullptr;
        if (ds->CreateSoundBuffer(&d, &b, nullptr) != DS_OK) return nullptr;
        made.push_back(b);
        return b;
    }
    static void Fill(IDirectSoundBuffer *b, const void *src, DWORD bytes) {
        void *p1, *p2;
        DWORD n1, n2;
        ASSERT_EQ(b->Lock(0, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
        memcpy(p1, src, n1);
        if (n2) memcpy(p2, static_cast<const uint8_t *>(src) + n1, n2);
        ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    }
    static std::vector<int16_t> Captured() {
        size_t n;
        const int16_t *p = SoundTestCaptured(&n);
        return std::vector<int16_t>(p, p + 2 * n);
    }
    IDirectSound *ds = nullptr;
    std::vector<IDirectSoundBuffer *> made;
};

TEST_F(DirectSoundTest, PrimaryBufferTakesItsFormatAndRefusesSecondaryRules) {
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer *primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
    made.push_back(primary);
    WAVEFORMATEX f = Pcm(2, 22050, 16);
    EXPECT_EQ(primary->SetFormat(&f), DS_OK);
    WAVEFORMATEX got{};
    ASSERT_TRUE(SoundTestPrimaryFormat(&got));
    EXPECT_EQ(got.nSamplesPerSec, 22050u);
    EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM);
    void *p1;
    DWORD n1;
    EXPECT_NE(primary->Lock(0, 4, &p1, &n1, nullptr, nullptr, 0), DS_OK);

    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(ds->GetCaps(&caps), DS_OK);
    EXPECT_TRUE(caps.dwFlags & DSCAPS_PRIMARY16BIT);
    DSCAPS narrow{};
    narrow.dwMaxSecondarySampleRate = 22050;
    SoundTestSetCaps(&narrow);
    ASSERT_EQ(ds->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwMaxSecondarySampleRate, 22050u);
    EXPECT_EQ(caps.dwFlags, 0u);
}

TEST_F(DirectSoundTest, SecondaryBuffersFollowTheSizeAndFormatRules) {
    struct Case {
        WAVEFORMATEX f;
        DWORD bytes;
        bool ok;
    } cases[] = {
        {Pcm(2, 44100, 16), 400, true},   {Pcm(1, 8000, 8), 4, true},        {Pcm(2, 44100, 16), 3, false},
        {Pcm(2, 44100, 16), 0x10000000u, false}, {Pcm(3, 44100, 16), 600, false}, {Pcm(2, 44100, 24), 600, false},
        {Pcm(2, 44100, 32), 800, false},  {Pcm(2, 50, 16), 400, false},
    };
    for (const Case &c : cases) {
        IDirectSoundBuffer *b = Make(c.f, c.bytes);
        EXPECT_EQ(b != nullptr, c.ok) << c.f.nChannels << "ch " << c.f.wBitsPerSample << "bit " << c.bytes;
    }
    // New buffers are silent.
    IDirectSoundBuffer *b = Make(Pcm(2, 44100, 16), 400);
    void *p1, *p2;
    DWORD n1, n2;
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 400u);
    EXPECT_EQ(n2, 0u);
    std::vector<uint8_t> zero(400, 0);
    EXPECT_EQ(memcmp(p1, zero.data(), 400), 0);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    // A control the flags do not ask for is unavailable.
    IDirectSoundBuffer *plain = Make(Pcm(2, 44100, 16), 400, DSBCAPS_STATIC);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LockSplitsAtTheRingEndAndUnlockStoresBoth) {
    IDirectSoundBuffer *b = Make(Pcm(1, 44100, 16), 100);
    void *p1, *p2;
    DWORD n1, n2;
    ASSERT_EQ(b->Lock(80, 40, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 20u);
    EXPECT_EQ(n2, 20u);
    memset(p1, 0x11, n1);
    memset(p2, 0x22, n2);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
    const uint8_t *q = static_cast<uint8_t *>(p1);
    EXPECT_EQ(q[0], 0x22);
    EXPECT_EQ(q[19], 0x22);
    EXPECT_EQ(q[20], 0);
    EXPECT_EQ(q[79], 0);
    EXPECT_EQ(q[80], 0x11);
    EXPECT_EQ(q[99], 0x11);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    EXPECT_EQ(b->Lock(0, 101, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(100, 4, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(&n1, 4, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, DuplicatesShareTheSamplesButPlayOnTheirOwn) {
    auto tone = fixtures::Tone(1000, 2, 44100);
    IDirectSoundBuffer *a = Make(Pcm(2, 44100, 16), 4000);
    ASSERT_EQ(a->SetVolume(-300), DS_OK);
    IDirectSoundBuffer *dup = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(a, &dup), DS_OK);
    made.push_back(dup);
    EXPECT_EQ(SoundTestSampleBlocks(), 1);
    LONG v = 0;
    EXPECT_EQ(dup->GetVolume(&v), DS_OK);
    EXPECT_EQ(v, -300);
    ASSERT_EQ(dup->SetVolume(0), DS_OK);
    Fill(a, tone.data(), 4000);  // written through the first, heard through the duplicate
    SoundTestStartCapture();
    ASSERT_EQ(dup->Play(0, 0, 0), DS_OK);
    SoundTestRender(1200);
    EXPECT_EQ(Captured(), [&] {
        auto want = tone;
        want.resize(2400, 0);
        return want;
    }());
    DWORD s = 9;
    EXPECT_EQ(a->GetStatus(&s), DS_OK);
    EXPECT_EQ(s, 0u);
    // The memory lives until the last sharer goes.
    a->Release();
    made.erase(made.begin());
    EXPECT_EQ(SoundTestSampleBlocks(), 1);
}

TEST_F(DirectSoundTest, MixerPlaysToTheEndOrLoopsAndMovesTheCursor) {
    auto tone = fixtures::Tone(100, 2, 44100);
    IDirectSoundBuffer *b = Make(Pcm(2, 44100, 16), 400);
    Fill(b, tone.data(), 400);
    SoundTestStartCapture();
    ASSERT_EQ(b->SetCurrentPosition(160), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    SoundTestRender(30);
    DWORD play = 0, write = 0, status = 0;
    EXPECT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 160u + 120u);
    SoundTestRender(100);
    EXPECT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);  // stopped at the end
    EXPECT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u);
    auto got = Captured();
    ASSERT_EQ(got.size(), 260u);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 120, tone.begin() + 80));
    EXPECT_TRUE(std::all_of(got.begin() + 120, got.end(), [](int16_t v) { return v == 0; }));

    SoundTestStartCapture();
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(b->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    SoundTestRender(250);
    got = Captured();
    for (int i = 0; i < 250; i++) ASSERT_EQ(got[2 * i], tone[2 * (i % 100)]) << i;
    EXPECT_EQ(b->Stop(), DS_OK);
    EXPECT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 200u);  // kept by Stop
}

TEST_F(DirectSoundTest, MixerAppliesVolumePanRateAndSampleForms) {
    std::vector<int16_t> loud(200, 16000);  // 100 stereo frames of a constant level
    IDirectSoundBuffer *a = Make(Pcm(2, 44100, 16), 400);
    Fill(a, loud.data(), 400);
    ASSERT_EQ(a->SetVolume(-600), DS_OK);  // about half
    ASSERT_EQ(a->SetPan(2000), DS_OK);     // left a further 10 dB down
    SoundTestStartCapture();
    ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
    SoundTestRender(10);
    auto got = Captured();
    EXPECT_NEAR(got[1], 16000 * std::pow(10.0, -600 / 2000.0), 1.0);
    EXPECT_NEAR(got[0], 16000 * std::pow(10.0, -2600 / 2000.0), 1.0);
    a->Stop();

    // 8-bit mono at 22,050 Hz: each sample lasts two output frames, on both sides.
    uint8_t ramp[50];
    for (int i = 0; i < 50; i++) ramp[i] = (uint8_t)(128 + i);
    IDirectSoundBuffer *b = Make(Pcm(1, 22050, 8), 50);
    Fill(b, ramp, 50);
    SoundTestStartCapture();
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    SoundTestRender(100);
    got = Captured();
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[2 * 2], 256);
    EXPECT_EQ(got[2 * 2 + 1], 256);
    EXPECT_EQ(got[2 * 1], 128);  // halfway between two samples
    DWORD status = 1;
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    // Played at twice its rate it runs at one sample a frame.
    ASSERT_EQ(b->SetFrequency(44100), DS_OK);
    SoundTestStartCapture();
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    SoundTestRender(60);
    got = Captured();
    EXPECT_EQ(got[2 * 49], 49 * 256);
    EXPECT_EQ(got[2 * 50], 0);
}

ULONGLONG g_fakeNow = 0;
ULONGLONG FakeNow() { return g_fakeNow; }

TEST_F(DirectSoundTest, ClockedSinkMovesCursorsWithTime) {
    IDirectSoundBuffer *b = Make(Pcm(2, 44100, 16), 176400);
    g_fakeNow = 5000000;
    SoundTestSetClock(FakeNow);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    g_fakeNow += 500000;  // half a second
    DWORD play = 0;
    ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 22050u * 4);
    g_fakeNow += 750000;
    ASSERT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, (55125u - 44100u) * 4);  // wrapped past one second
}

TEST_F(DirectSoundTest, ScriptedFailures) {
    SoundTestFailAfter(SOUNDFAIL_DUPLICATE, 1);
    IDirectSoundBuffer *a = Make(Pcm(2, 44100, 16), 400);
    IDirectSoundBuffer *d1 = nullptr, *d2 = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(a, &d1), DS_OK);
    made.push_back(d1);
    EXPECT_NE(ds->DuplicateSoundBuffer(a, &d2), DS_OK);
    EXPECT_EQ(d2, nullptr);
    SoundTestRefuseBufferFlags(0x80E2);
    EXPECT_EQ(Make(Pcm(2, 44100, 16), 400, 0x80E2), nullptr);
    EXPECT_NE(Make(Pcm(2, 44100, 16), 400, 0xC2), nullptr);
    EXPECT_EQ(SoundTestLastBufferFlags(), 0xC2u);
    SoundTestFailAfter(SOUNDFAIL_GETSTATUS, 0);
    DWORD s;
    EXPECT_NE(a->GetStatus(&s), DS_OK);

    SoundTestFailAfter(SOUNDFAIL_CREATE, 0);
    void *p = &s;
    EXPECT_NE(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_ALL, IID_IDirectSound, &p), S_OK);
    EXPECT_EQ(p, nullptr);
}

TEST_F(DirectSoundTest, CaptureWritesAWaveFile) {
    auto tone = fixtures::Tone(100, 2, 44100);
    IDirectSoundBuffer *b = Make(Pcm(2, 44100, 16), 400);
    Fill(b, tone.data(), 400);
    SoundTestStartCapture();
    b->Play(0, 0, 0);
    SoundTestRender(100);
    std::string path = ::testing::TempDir() + "/mix_capture_" + std::to_string(getpid()) + ".wav";
    ASSERT_TRUE(SoundTestWriteWave(path.c_str()));
    FILE *f = fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> bytes(1000);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), f));
    fclose(f);
    EXPECT_EQ(bytes, fixtures::PcmWave(tone, 2, 44100));
}

}  // namespace
