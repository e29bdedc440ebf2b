// The 102 sound effects and the music tracks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/demo-data/demo_art.h"
#include "tools/oggwrite/ogg_write.h"

namespace {

// ---- sounds ----
std::vector<uint8_t> Wave(const std::vector<int16_t> &pcm, int rate, int channels) {
    std::vector<uint8_t> b;
    auto tag = [&](const char *s) {
        for (int i = 0; i < 4; i++) b.push_back((uint8_t)s[i]);
    };
    uint32_t data = (uint32_t)(pcm.size() * 2);
    tag("RIFF");
    Put32(b, 36 + data);
    tag("WAVE");
    tag("fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, (uint32_t)channels);
    Put32(b, (uint32_t)rate);
    Put32(b, (uint32_t)(rate * channels * 2));
    Put16(b, (uint32_t)(channels * 2));
    Put16(b, 16);
    tag("data");
    Put32(b, data);
    for (int16_t s : pcm) Put16(b, (uint16_t)s);
    return b;
}

int16_t Clip(double v) { return (int16_t)std::lround(std::max(-1.0, std::min(1.0, v)) * 30000); }

// Effect n: a short sweep whose pitch, length, wave and noise all follow from n, so every
// effect sounds different.
std::vector<int16_t> Effect(int n, int rate) {
    uint32_t s = 0x9E3779B9u * (uint32_t)(n + 1);
    auto rnd = [&] {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return (s & 0xFFFF) / 65535.0;
    };
    double len = 0.06 + (n % 7) * 0.035;
    double f0 = 160.0 * std::pow(2.0, (n % 24) / 6.0);
    double f1 = f0 * ((n / 24) % 2 ? 0.4 : 2.2);
    int shape = n % 4;
    double noise = (n % 5) * 0.12;
    int count = (int)(len * rate);
    std::vector<int16_t> out((size_t)count);
    double phase = 0;
    for (int i = 0; i < count; i++) {
        double t = (double)i / count;
        double f = f0 + (f1 - f0) * t;
        phase += f / rate;
        double p = phase - std::floor(phase);
        double v = shape == 0 ? std::sin(2 * M_PI * p) : shape == 1 ? (p < 0.5 ? 1 : -1) : shape == 2 ? 2 * p - 1 : 1 - 4 * std::fabs(p - 0.5);
        v = v * (1 - noise) + (rnd() * 2 - 1) * noise;
        double env = std::min(1.0, t * 40) * (1 - t) * (1 - t);
        out[(size_t)i] = Clip(0.6 * v * env);
    }
    return out;
}

// A looping tune: a chord progression with a bass line and an arpeggio, per track its own key
// and tempo. Stereo float samples.
std::vector<float> Tune(int track, int rate, double seconds) {
    static const int prog[4][3] = {{0, 4, 7}, {-3, 0, 4}, {-7, -3, 0}, {-5, -1, 2}};
    double root = 220.0 * std::pow(2.0, ((track * 5) % 12 - 5) / 12.0);
    double beat = 60.0 / (84 + (track * 13) % 60);
    int total = (int)(seconds * rate);
    std::vector<float> out((size_t)total * 2);
    for (int i = 0; i < total; i++) {
        double t = (double)i / rate;
        int b = (int)(t / beat);
        const int *chord = prog[(b / 4) % 4];
        double tb = t - b * beat;
        double arp = root * 2 * std::pow(2.0, chord[b % 3] / 12.0) * ((track % 3 == 0 && b % 8 >= 4) ? 2 : 1);
        double bass = root / 2 * std::pow(2.0, chord[0] / 12.0);
        double env = std::exp(-tb * 6);
        double lead = 0.25 * env * std::sin(2 * M_PI * arp * t) + 0.08 * env * std::sin(4 * M_PI * arp * t);
        double low = 0.22 * std::sin(2 * M_PI * bass * t) * (0.6 + 0.4 * std::exp(-tb * 3));
        double pad = 0;
        for (int k = 0; k < 3; k++) pad += 0.05 * std::sin(2 * M_PI * root * std::pow(2.0, chord[k] / 12.0) * t);
        // Fade the loop's ends a little so the wrap does not click.
        double edge = std::min(1.0, std::min(t, seconds - t) * 50);
        out[(size_t)i * 2] = (float)((lead * 0.8 + low + pad) * edge);
        out[(size_t)i * 2 + 1] = (float)((lead * 1.2 + low + pad) * edge);
    }
    return out;
}

std::vector<uint8_t> EncodeOgg(const std::vector<float> &stereo, int rate) {
    OggSpec spec;
    spec.channels = 2;
    spec.rate = rate;
    spec.tags = {{"TITLE", "Brisgal"}};
    std::vector<uint8_t> ogg = EncodeOggVorbis(stereo.data(), stereo.size() / 2, spec);
    if (ogg.empty()) {
        fprintf(stderr, "demo-data-gen: vorbis encoder set-up failed\n");
        exit(1);
    }
    return ogg;
}

void WriteSounds(const fs::path &dir, bool shortMusic) {
    const int rate = 22050;
    for (int n = 0; n < 102; n++) {
        char name[32];
        snprintf(name, sizeof name, "ukase%03d.wav", n);
        WriteFileBytes(dir / "sound" / name, Wave(Effect(n, rate), rate, 1));
    }
    const char *tracks[] = {"0", "1", "2", "3", "4", "5", "51", "6", "7", "8", "10", "12", "13"};
    double seconds = shortMusic ? 2.0 : 16.0;
    int t = 0;
    for (const char *name : tracks)
        WriteFileBytes(dir / "music" / (std::string(name) + ".ogg"), EncodeOgg(Tune(t++, 44100, seconds), 44100));
    std::vector<float> tune = Tune(9, rate, shortMusic ? 1.0 : 6.0);
    std::vector<int16_t> pcm(tune.size());
    for (size_t i = 0; i < tune.size(); i++) pcm[i] = Clip(tune[i]);
    WriteFileBytes(dir / "music" / "9.wav", Wave(pcm, rate, 2));
}

void WriteSoundFiles(const DemoOptions &o) { WriteSounds(o.data, o.shortMusic); }

} // namespace

DEMO_WRITER("sounds", 10, WriteSoundFiles);
