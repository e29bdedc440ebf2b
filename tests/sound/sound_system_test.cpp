// Sound system start and end: the primary format from the caps, the silent buffer, failures of
// each start step, the device description in the log.
#include "sound_fixture.h"

namespace {

using SoundSystem = SoundTest;

TEST_F(SoundSystem, PrimaryFormatFollowsTheCaps) {
    const DWORD all = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT;
    struct Case {
        DWORD flags, maxRate;
        DWORD rate;
        WORD bits, channels;
    } cases[] = {
        {all, 200000, 44100, 16, 2},
        {all, 48000, 44100, 16, 2},
        {all, 22050, 22050, 16, 2},
        {DSCAPS_PRIMARYMONO | DSCAPS_PRIMARY8BIT, 44100, 44100, 8, 1},
    };
    for (const Case &c : cases) {
        SoundTestReset();
        DSCAPS caps{};
        caps.dwFlags = c.flags;
        caps.dwMinSecondarySampleRate = 100;
        caps.dwMaxSecondarySampleRate = c.maxRate;
        SoundTestSetCaps(&caps);
        ASSERT_EQ(InitializeSoundSystem(), 0);
        WAVEFORMATEX f{};
        ASSERT_TRUE(SoundTestPrimaryFormat(&f));
        EXPECT_EQ(f.nSamplesPerSec, c.rate);
        EXPECT_EQ(f.wBitsPerSample, c.bits);
        EXPECT_EQ(f.nChannels, c.channels);
        EXPECT_EQ(f.nBlockAlign, c.bits / 8 * c.channels);
        EXPECT_EQ(f.nAvgBytesPerSec, c.rate * f.nBlockAlign);
        EXPECT_EQ(TerminateSoundSystem(), 0);
    }
}

TEST_F(SoundSystem, StartsOnceWithALoopingSilentBufferAndEndsClean) {
    EXPECT_EQ(TerminateSoundSystem(), -1);
    ASSERT_EQ(InitializeSoundSystem(), 0);
    ASSERT_NE(g_sound.silent, nullptr);
    DWORD status = 0;
    ASSERT_EQ(g_sound.silent->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(SoundTestLiveBuffers(), 2);
    SoundTestStartCapture();
    SoundTestRender(1000);
    for (int16_t v : Captured()) ASSERT_EQ(v, 0);
    EXPECT_EQ(InitializeSoundSystem(), -1);
    EXPECT_EQ(SoundTestLiveDevices(), 1);
    EXPECT_TRUE(LogHas("DirectSound の初期化は正常に終了しました\n"));
    EXPECT_EQ(TerminateSoundSystem(), 0);
    EXPECT_EQ(SoundTestLiveBuffers(), 0);
    EXPECT_EQ(SoundTestLiveDevices(), 0);
    EXPECT_TRUE(LogHas("DirectSound の終了処理は正常に終了しました\n"));
}

TEST_F(SoundSystem, EachFailedStartStepLeavesNothing) {
    struct Case {
        SOUND_FAILPOINT point;
        const char *line;
    } cases[] = {
        {SOUNDFAIL_CREATE, "DirectSoundインターフェースの作成に失敗しました\n"},
        {SOUNDFAIL_INITIALIZE, "初期化に失敗しました\n"},
        {SOUNDFAIL_COOPERATIVE, "DirectSoundの協調レベルの設定に失敗しました\n"},
        {SOUNDFAIL_PRIMARY, "DirectSoundのプライマリサウンドバッファの作成に失敗しました\n"},
    };
    auto wave = fixtures::PcmWave(fixtures::Tone(100, 2, 44100), 2, 44100);
    for (const Case &c : cases) {
        SoundTestReset();
        SoundTestFailAfter(c.point, 0);
        EXPECT_EQ(InitializeSoundSystem(), -1) << c.line;
        EXPECT_TRUE(LogHas(c.line)) << c.line;
        EXPECT_EQ(SoundTestLiveDevices(), 0) << c.line;
        EXPECT_EQ(SoundTestLiveBuffers(), 0) << c.line;
        EXPECT_EQ(LoadSoundFromMemory(wave.data(), (int)wave.size(), 1, -1), -1);
        EXPECT_EQ(RefillStreamSounds(), -1);
        EXPECT_EQ(DeleteAllSoundHandles(), -1);
    }
}

TEST_F(SoundSystem, LaterStepFailuresOnlyLog) {
    SoundTestFailAfter(SOUNDFAIL_SETFORMAT, 0);
    SoundTestFailAfter(SOUNDFAIL_LOCK, 0);
    ASSERT_EQ(InitializeSoundSystem(), 0);
    EXPECT_TRUE(LogHas("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n"));
    EXPECT_TRUE(LogHas("無音バッファのロックに失敗しました"));
    EXPECT_EQ(g_sound.silent, nullptr);
    EXPECT_EQ(SoundTestLiveBuffers(), 1);
}

TEST_F(SoundSystem, DeviceListInTheLog) {
    ASSERT_EQ(InitializeSoundSystem(), 0);
    EXPECT_TRUE(LogHas("DirectSound デバイスを列挙します\n"));
    EXPECT_TRUE(LogHas("ドライバ記述:"));
    EXPECT_TRUE(LogHas("最大サンプリングレート:200.00KHz 最小サンプリングレート:0.10KHz "));
    EXPECT_TRUE(LogHas(" プライマリ １６bit = OK  ８bit = OK "));
    TerminateSoundSystem();

    SoundTestReset();
    DSCAPS caps{};
    caps.dwFlags = DSCAPS_PRIMARY16BIT | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARY8BIT;
    caps.dwMaxSecondarySampleRate = 44100;
    caps.dwTotalHwMemBytes = 2048;
    SoundTestSetCaps(&caps);
    ASSERT_EQ(InitializeSoundSystem(), 0);
    EXPECT_TRUE(LogHas("総サウンドメモリ領域:2.00KB 空きサウンドメモリ領域:0.00KB \n"));
    EXPECT_TRUE(LogHas(" プライマリ １６bit = OK  ８bit = NO "));
    EXPECT_TRUE(LogHas(" セカンダリ １６bit = NO  ８bit = OK \n"));
    EXPECT_TRUE(LogHas(" プライマリ MONO = NO  STEREO = NO "));
    EXPECT_TRUE(LogHas(" セカンダリ MONO = OK  STEREO = NO \n"));
    TerminateSoundSystem();

    SoundTestReset();
    SoundTestHideEnumerator(TRUE, FALSE);
    ASSERT_EQ(InitializeSoundSystem(), 0);
    EXPECT_TRUE(LogHas("DSOUND.DLL のロードに失敗しました\n"));
    TerminateSoundSystem();

    SoundTestReset();
    SoundTestHideEnumerator(FALSE, TRUE);
    ASSERT_EQ(InitializeSoundSystem(), 0);
    EXPECT_TRUE(LogHas("DirectSound デバイスの列挙用関数のポインタ取得に失敗しました\n"));
}

}  // namespace
