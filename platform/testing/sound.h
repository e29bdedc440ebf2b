// Test control of the sound stand-in: scripted failures, device caps, the headless sink's clock,
// captured mix, and what the stand-in holds.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dsound/dsound.h"

enum SOUND_FAILPOINT {
    SOUNDFAIL_CREATE,        // CoCreateInstance of the DirectSound class
    SOUNDFAIL_INITIALIZE,    // IDirectSound::Initialize
    SOUNDFAIL_COOPERATIVE,   // IDirectSound::SetCooperativeLevel
    SOUNDFAIL_PRIMARY,       // CreateSoundBuffer of the primary buffer
    SOUNDFAIL_SETFORMAT,     // primary SetFormat
    SOUNDFAIL_SECONDARY,     // CreateSoundBuffer of a secondary buffer
    SOUNDFAIL_DUPLICATE,     // DuplicateSoundBuffer
    SOUNDFAIL_LOCK,
    SOUNDFAIL_UNLOCK,
    SOUNDFAIL_GETSTATUS,
    SOUNDFAIL_PLAY,
    SOUNDFAIL_COUNT
};

// The point succeeds `after` more times, then fails on every call; -1 = never fails.
void SoundTestFailAfter(SOUND_FAILPOINT point, int after);
// CreateSoundBuffer refuses a secondary buffer with exactly these flags (0: none refused).
void SoundTestRefuseBufferFlags(DWORD flags);
// The caps the device reports; null restores the default device.
void SoundTestSetCaps(const DSCAPS *caps);
// Hides the enumeration module or only its enumerator from LoadLibraryA / GetProcAddress.
void SoundTestHideEnumerator(BOOL moduleMissing, BOOL symbolMissing);
// Back to the default device, no failures, manual clock, no capture.
void SoundTestReset();

// The headless sink renders up to the clock (microseconds) before every buffer call.
// Null clock = manual: only SoundTestRender moves the cursors. Without a reset the sink follows
// the performance counter (the fake clock while that is on).
void SoundTestSetClock(ULONGLONG (*microseconds)());
// Renders frames of the mix now (headless sink), appending them to the capture when it runs.
void SoundTestRender(DWORD frames);
void SoundTestStartCapture();
void SoundTestStopCapture();
// Interleaved stereo frames captured since the capture started.
const int16_t *SoundTestCaptured(size_t *frames);
// The capture as a 44.1 kHz 16-bit stereo WAVE file at a host path.
BOOL SoundTestWriteWave(const char *hostPath);

// What the stand-in holds now.
int SoundTestLiveDevices();
int SoundTestLiveBuffers();   // secondary and primary buffer objects
int SoundTestSampleBlocks();  // distinct sample memories (duplicates share one)
BOOL SoundTestPrimaryFormat(WAVEFORMATEX *out);
DWORD SoundTestLastBufferFlags();  // flags of the last CreateSoundBuffer call
