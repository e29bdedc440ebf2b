// Software mixing of the secondary buffers into 44.1 kHz stereo.
#include "platform/dsound/mixer.h"

#include <cmath>
#include <cstring>

#include "platform/dsound/output.h"

namespace {

float DecibelGain(LONG hundredths) {
    if (hundredths <= -10000) return 0.0f;
    if (hundredths >= 0) return 1.0f;
    return (float)std::pow(10.0, hundredths / 2000.0);
}

inline void FetchFrame(const uint8_t *data, const WAVEFORMATEX &f, uint64_t frame, float *l, float *r) {
    const uint8_t *p = data + frame * f.nBlockAlign;
    if (f.wBitsPerSample == 16) {
        int16_t a;
        memcpy(&a, p, 2);
        if (f.nChannels == 2) {
            int16_t b;
            memcpy(&b, p + 2, 2);
            *l = a;
            *r = b;
        } else {
            *l = *r = a;
        }
    } else {
        *l = (float)((int)p[0] - 128) * 256.0f;
        *r = f.nChannels == 2 ? (float)((int)p[1] - 128) * 256.0f : *l;
    }
}

void MixOne(SOUND_VOICE &v, float *acc, uint32_t frames) {
    const WAVEFORMATEX &f = v.format;
    const uint8_t *data = v.data->data();
    const uint64_t total = f.nBlockAlign ? v.data->size() / f.nBlockAlign : 0;
    if (total == 0) {
        v.playing = false;
        v.position = 0;
        return;
    }
    const DWORD rate = v.frequency ? v.frequency : f.nSamplesPerSec;
    const uint64_t step = ((uint64_t)rate << 32) / SOUND_OUTPUT_RATE;
    float gainL = DecibelGain(v.volume), gainR = gainL;
    if (v.pan > 0) gainL *= DecibelGain(-v.pan);
    if (v.pan < 0) gainR *= DecibelGain(v.pan);
    const uint64_t end = total << 32;

    const bool plain = step == (1ull << 32) && f.wBitsPerSample == 16 && f.nChannels == 2 &&
                       gainL == 1.0f && gainR == 1.0f && (v.position & 0xFFFFFFFFu) == 0;
    for (uint32_t i = 0; i < frames;) {
        if (plain) {
            // Same rate, full level: a straight copy of whole frames up to the end or the block.
            uint64_t at = v.position >> 32;
            uint64_t run = total - at;
            if (run > frames - i) run = frames - i;
            const uint8_t *p = data + at * 4;
            for (uint64_t k = 0; k < run; k++, p += 4) {
                int16_t a, b;
                memcpy(&a, p, 2);
                memcpy(&b, p + 2, 2);
                acc[2 * (i + k)] += a;
                acc[2 * (i + k) + 1] += b;
            }
            i += (uint32_t)run;
            v.position += run << 32;
        } else {
            uint64_t at = v.position >> 32;
            uint32_t frac = (uint32_t)v.position;
            float l, r;
            FetchFrame(data, f, at, &l, &r);
            if (frac) {
                uint64_t next = at + 1;
                if (next >= total) next = v.looping ? 0 : at;
                float l2, r2;
                FetchFrame(data, f, next, &l2, &r2);
                float t = frac * (1.0f / 4294967296.0f);
                l += (l2 - l) * t;
                r += (r2 - r) * t;
            }
            acc[2 * i] += l * gainL;
            acc[2 * i + 1] += r * gainR;
            i++;
            v.position += step;
        }
        if (v.position >= end) {
            if (v.looping) {
                v.position -= end;
            } else {
                v.playing = false;
                v.position = 0;
                return;
            }
        }
    }
}

}  // namespace

void MixVoices(SOUND_VOICE *const *voices, size_t count, float *acc, uint32_t frames) {
    for (size_t i = 0; i < count; i++)
        if (voices[i]->playing && voices[i]->data) MixOne(*voices[i], acc, frames);
}
