// Where the mix goes: the host's output when one is connected, else the headless sink, which
// renders on demand (tests) or up to its clock, and can keep what it rendered.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/kernel32/kernel32.h"
#include "platform/dsound/mixer.h"
#include "platform/dsound/output.h"
#include "platform/testing/sound.h"

namespace {

// The performance counter, so that the sink follows the kernel's fake clock in tests too.
ULONGLONG CounterMicroseconds() {
    LARGE_INTEGER f, c;
    if (!QueryPerformanceFrequency(&f) || f.QuadPart <= 0 || !QueryPerformanceCounter(&c)) return 0;
    return (ULONGLONG)((unsigned __int128)c.QuadPart * 1000000u / (ULONGLONG)f.QuadPart);
}

struct SOUNDSINK {
    std::mutex lock;
    std::vector<SOUND_VOICE *> voices;
    const SOUND_OUTPUT *wanted = nullptr;
    const SOUND_OUTPUT *active = nullptr;
    int devices = 0;
    ULONGLONG (*clock)() = CounterMicroseconds;
    bool clockStarted = false;
    ULONGLONG clockBase = 0;
    uint64_t framesRendered = 0;
    bool capturing = false;
    std::vector<int16_t> capture;
    std::vector<float> acc;
};

SOUNDSINK &Sink() {
    static SOUNDSINK sink;
    return sink;
}

// Lock held.
void Render(int16_t *out, uint32_t frames) {
    SOUNDSINK &s = Sink();
    s.acc.assign((size_t)frames * 2, 0.0f);
    MixVoices(s.voices.data(), s.voices.size(), s.acc.data(), frames);
    for (size_t i = 0; i < (size_t)frames * 2; i++) {
        float v = std::nearbyint(s.acc[i]);
        out[i] = (int16_t)std::clamp(v, -32768.0f, 32767.0f);
    }
}

// Lock held.
void RenderToSink(uint64_t frames) {
    SOUNDSINK &s = Sink();
    int16_t block[2 * 4096];
    while (frames > 0) {
        uint32_t n = (uint32_t)std::min<uint64_t>(frames, 4096);
        bool anyPlaying = false;
        for (SOUND_VOICE *v : s.voices) anyPlaying |= v->playing;
        if (anyPlaying || s.capturing) {
            Render(block, n);
        }
        if (s.capturing) s.capture.insert(s.capture.end(), block, block + 2 * n);
        frames -= n;
    }
}

void Pull(int16_t *frames, uint32_t count) {
    std::lock_guard<std::mutex> g(Sink().lock);
    Render(frames, count);
}

}  // namespace

std::mutex &SoundMixLock() { return Sink().lock; }

void SoundAddVoice(SOUND_VOICE *voice) { Sink().voices.push_back(voice); }

void SoundRemoveVoice(SOUND_VOICE *voice) {
    auto &v = Sink().voices;
    v.erase(std::remove(v.begin(), v.end(), voice), v.end());
}

void SoundCatchUp() {
    SOUNDSINK &s = Sink();
    if (s.active || !s.clock) return;
    ULONGLONG now = s.clock();
    if (!s.clockStarted || now < s.clockBase) {
        s.clockStarted = true;
        s.clockBase = now;
        s.framesRendered = 0;
        return;
    }
    uint64_t due = (uint64_t)((now - s.clockBase) * SOUND_OUTPUT_RATE / 1000000);
    if (due > s.framesRendered) {
        RenderToSink(due - s.framesRendered);
        s.framesRendered = due;
    }
}

void SoundDeviceOpened() {
    SOUNDSINK &s = Sink();
    const SOUND_OUTPUT *out = nullptr;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (++s.devices != 1) return;
        // A new device starts its own time: what an earlier one rendered is not owed again.
        s.clockStarted = false;
        if (!s.wanted) return;
        out = s.wanted;
    }
    // Opened outside the lock: the output's thread takes it to pull.
    if (out->open(Pull) == 0) {
        std::lock_guard<std::mutex> g(s.lock);
        s.active = out;
    }
}

void SoundDeviceClosed() {
    SOUNDSINK &s = Sink();
    const SOUND_OUTPUT *out = nullptr;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (--s.devices != 0) return;
        out = s.active;
        s.active = nullptr;
    }
    if (out) out->close();
}

void SetSoundOutput(const SOUND_OUTPUT *output) {
    std::lock_guard<std::mutex> g(Sink().lock);
    Sink().wanted = output;
}

const char *CurrentSoundOutputName() {
    std::lock_guard<std::mutex> g(Sink().lock);
    return Sink().active ? Sink().active->name : "headless";
}

void SoundTestSetClock(ULONGLONG (*microseconds)()) {
    std::lock_guard<std::mutex> g(Sink().lock);
    Sink().clock = microseconds;
    Sink().clockStarted = false;
}

void SoundTestRender(DWORD frames) {
    std::lock_guard<std::mutex> g(Sink().lock);
    RenderToSink(frames);
}

void SoundTestStartCapture() {
    std::lock_guard<std::mutex> g(Sink().lock);
    Sink().capturing = true;
    Sink().capture.clear();
}

void SoundTestStopCapture() {
    std::lock_guard<std::mutex> g(Sink().lock);
    Sink().capturing = false;
}

const int16_t *SoundTestCaptured(size_t *frames) {
    std::lock_guard<std::mutex> g(Sink().lock);
    if (frames) *frames = Sink().capture.size() / 2;
    return Sink().capture.data();
}

BOOL SoundTestWriteWave(const char *hostPath) {
    std::lock_guard<std::mutex> g(Sink().lock);
    const std::vector<int16_t> &c = Sink().capture;
    FILE *f = fopen(hostPath, "wb");
    if (!f) return FALSE;
    auto u32 = [&](uint32_t v) { fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { fwrite(&v, 2, 1, f); };
    uint32_t bytes = (uint32_t)(c.size() * 2);
    fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(WAVE_FORMAT_PCM);
    u16(2);
    u32(SOUND_OUTPUT_RATE);
    u32(SOUND_OUTPUT_RATE * 4);
    u16(4);
    u16(16);
    fwrite("data", 1, 4, f);
    u32(bytes);
    bool ok = fwrite(c.data(), 2, c.size(), f) == c.size();
    return fclose(f) == 0 && ok;
}

// Part of SoundTestReset: the sink's share.
void SoundSinkTestReset() {
    std::lock_guard<std::mutex> g(Sink().lock);
    Sink().clock = nullptr;
    Sink().clockStarted = false;
    Sink().capturing = false;
    Sink().capture.clear();
}
