#include "game/frame/sound_lists.h"

#include <cstdio>

#include "library/sound/sound.h"

namespace {
SoundLists g_soundLists;
LoadingTextHook g_loadingTextHook = nullptr;
EffectSoundObserver g_effectObserver = nullptr;

constexpr const char *kTrackFiles[kMusicTrackCount] = {
    "DataForWork\\music\\0.ogg", "DataForWork\\music\\1.ogg",  "DataForWork\\music\\2.ogg",
    "DataForWork\\music\\3.ogg", "DataForWork\\music\\4.ogg",  "DataForWork\\music\\5.ogg",
    "DataForWork\\music\\51.ogg", "DataForWork\\music\\6.ogg", "DataForWork\\music\\7.ogg",
    "DataForWork\\music\\8.ogg", "DataForWork\\music\\9.wav",  "DataForWork\\music\\10.ogg",
    "DataForWork\\music\\12.ogg", "DataForWork\\music\\13.ogg",
};
} // namespace

SoundLists &GetSoundLists() { return g_soundLists; }

void PlayEffectSound(int n)
{
    if (g_effectObserver) g_effectObserver(n);
    g_soundLists.PlayEffectSound(n);
}

void SetEffectSoundObserver(EffectSoundObserver observer) { g_effectObserver = observer; }

int SwitchMusicTrack(int n) { return g_soundLists.SwitchMusicTrack(n); }

void SetLoadingTextHook(LoadingTextHook hook) { g_loadingTextHook = hook; }

const char *SoundLists::TrackFile(int track)
{
    return track >= 0 && track < kMusicTrackCount ? kTrackFiles[track] : nullptr;
}

void SoundLists::LoadSoundLists()
{
    currentTrack = 0;
    if (g_loadingTextHook) g_loadingTextHook();
    for (int n = 0; n < kEffectSoundCount; n++) {
        char path[64];
        snprintf(path, sizeof path, "DataForWork\\sound\\ukase%03d.wav", n);
        effects[n] = LoadSound(path, 3, -1);
    }
    for (int n = 0; n <= 98; n++) SetSoundHandleVolume(30, effects[n]);
    SetSoundHandleVolume(9, effects[51]);
    for (int n : {71, 72, 86, 88}) SetSoundHandleVolume(20, effects[n]);
    for (int n : {89, 96, 73, 75, 100, 101}) SetSoundHandleVolume(200, effects[n]);
    for (int t = 0; t < kMusicTrackCount; t++) tracks[t] = LoadSound(kTrackFiles[t], 3, -1);
    for (int t = 0; t <= 11; t++) SetSoundHandleVolume(40, tracks[t]);
}

void SoundLists::PlayEffectSound(int n) const
{
    // Scripts pass effect numbers as data: a number outside the list plays nothing.
    if (n < 0 || n >= kEffectSoundCount) return;
    PlaySoundHandle(effects[n], SOUND_PLAY_BACKGROUND, 1);
}

int SoundLists::SwitchMusicTrack(int n)
{
    if (n == currentTrack) return -1;
    if (n != -1 && (n < 0 || n >= kMusicTrackCount)) return -1;
    if (n == -1) {
        StopSoundHandle(tracks[currentTrack]);
        currentTrack = -1;
        return 0;
    }
    if (currentTrack >= 0 && currentTrack < kMusicTrackCount) StopSoundHandle(tracks[currentTrack]);
    PlaySoundHandle(tracks[n], SOUND_PLAY_LOOP, 1);
    currentTrack = n;
    return 0;
}
