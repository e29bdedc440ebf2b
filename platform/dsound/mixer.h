// The stand-in's software mixer: voices (one per secondary buffer) rendered into the output.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/mmreg.h"

struct SOUND_VOICE {
    std::shared_ptr<std::vector<uint8_t>> data;  // shared by duplicates
    WAVEFORMATEX format{};
    uint64_t position = 0;  // sample frames, 32.32 fixed point
    bool playing = false;
    bool looping = false;
    LONG volume = 0;       // hundredths of a decibel, -10,000..0
    LONG pan = 0;          // -10,000 (left) .. 10,000 (right)
    DWORD frequency = 0;   // 0 = the format's rate
};

// Adds count frames of every playing voice into acc (stereo, interleaved) and moves them on;
// a voice that is not looping stops at its end with its cursor back at 0.
void MixVoices(SOUND_VOICE *const *voices, size_t count, float *acc, uint32_t frames);

// The mixer's one lock: every voice field is touched under it.
std::mutex &SoundMixLock();
void SoundAddVoice(SOUND_VOICE *voice);
void SoundRemoveVoice(SOUND_VOICE *voice);
// Headless sink: renders up to its clock. Lock held.
void SoundCatchUp();
// A device opened or closed: the first opens the host output, the last closes it.
void SoundDeviceOpened();
void SoundDeviceClosed();
// The sink's share of SoundTestReset.
void SoundSinkTestReset();
