// The game's two sound lists: 102 effects by number and 14 music tracks, at most one of which
// plays. Every module plays sounds only through PlayEffectSound and SwitchMusicTrack.
#pragma once

#include <array>

constexpr int kEffectSoundCount = 102;
constexpr int kMusicTrackCount = 14;
constexpr int kTitleMusicTrack = 6;

class SoundLists {
public:
    // Shows "ロード中", loads every effect and track and sets their volumes.
    void LoadSoundLists();
    void PlayEffectSound(int n) const;
    // -1 when n is already current (nothing changes), else 0.
    int SwitchMusicTrack(int n);

    static const char *TrackFile(int track);

    std::array<int, kEffectSoundCount> effects{};
    std::array<int, kMusicTrackCount> tracks{};
    int currentTrack = -1;
};

SoundLists &GetSoundLists();

// The free entries the other modules call.
void PlayEffectSound(int n);
// Tests watch the effects played through PlayEffectSound (null: nobody watches).
using EffectSoundObserver = void (*)(int n);
void SetEffectSoundObserver(EffectSoundObserver observer);
int SwitchMusicTrack(int n);

// Draws the loading text on the back screen; the game entry installs it once text drawing exists.
using LoadingTextHook = void (*)();
void SetLoadingTextHook(LoadingTextHook hook);
