// The SDL2 sound output: the mix reaches an SDL audio device (here SDL's disk driver, which
// writes what it plays to a file).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fixtures/sound_fixtures.h"
#include "platform/dsound/dsound.h"
#include "platform/host/sdl2/sound_output.h"
#include "platform/testing/sound.h"

TEST(SdlSoundOutput, MixPlaysOnTheAudioDevice) {
    std::string path = ::testing::TempDir() + "/sdl_disk_audio_" + std::to_string(getpid()) + ".raw";
    remove(path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    SoundTestReset();
    SetSoundOutput(SdlSoundOutput());

    IDirectSound *ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_STREQ(CurrentSoundOutputName(), "SDL2 disk");
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    auto tone = fixtures::Tone(4410, 2, 44100);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), 0x80E2, (DWORD)tone.size() * 2, 0, &f, {}};
    IDirectSoundBuffer *b = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    void *p1, *p2;
    DWORD n1, n2;
    ASSERT_EQ(b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0), DS_OK);
    memcpy(p1, tone.data(), n1);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    // The device's own thread moves the cursor; past a few of its blocks, the first ones with
    // the tone have reached the file.
    DWORD play = 0;
    for (int i = 0; i < 400 && play < 3000 * 4; i++) {
        usleep(5000);
        b->GetCurrentPosition(&play, nullptr);
    }
    EXPECT_GE(play, 3000u * 4);
    b->Release();
    ds->Release();
    SetSoundOutput(nullptr);

    FILE *file = fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    // With no delay the device thread writes silence as fast as it can until Play, so the
    // file can be long on a loaded machine: read all of it.
    std::vector<int16_t> got;
    int16_t block[4096];
    for (size_t n; (n = fread(block, 2, 4096, file)) > 0;) got.insert(got.end(), block, block + n);
    fclose(file);
    remove(path.c_str());
    // Silence until the buffer played, then the tone: the first sounding stretch of the file
    // is a stretch of the tone.
    auto at = std::find_if(got.begin(), got.end(), [](int16_t v) { return v != 0; });
    ASSERT_GE(got.end() - at, 64) << "no tone in " << got.size() << " samples";
    at -= (at - got.begin()) & 1;  // a whole frame
    EXPECT_NE(std::search(tone.begin(), tone.end(), at, at + 64), tone.end());
}

TEST(SdlSoundOutput, FallsBackToADriverThatRunsWithoutASoundCard) {
    unsetenv("SDL_AUDIODRIVER");
    SoundTestReset();
    SetSoundOutput(SdlSoundOutput());
    IDirectSound *ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    EXPECT_EQ(strncmp(CurrentSoundOutputName(), "SDL2 ", 5), 0) << CurrentSoundOutputName();
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), 0x8002, 17640, 0, &f, {}};
    IDirectSoundBuffer *b = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD play = 0;
    for (int i = 0; i < 200 && play == 0; i++) {
        usleep(5000);
        b->GetCurrentPosition(&play, nullptr);
    }
    EXPECT_GT(play, 0u);
    b->Release();
    ds->Release();
    SetSoundOutput(nullptr);
}
