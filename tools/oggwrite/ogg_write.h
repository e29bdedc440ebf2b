// Ogg Vorbis files written into memory with libvorbisenc: the demo data's music and the sound
// tests' and benchmarks' fixtures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct OggSpec {
    int channels = 2;
    int rate = 44100;
    float quality = 0.3f;  // the encoder's VBR quality, -0.1 to 1
    int serial = 1;        // the logical stream's serial number
    std::vector<std::pair<std::string, std::string>> tags;  // comment tags, name and value
};

// frames of interleaved samples in -1 .. 1 as one stream; deterministic for the same input.
// Empty when the encoder refuses the channels, rate or quality.
std::vector<uint8_t> EncodeOggVorbis(const float *samples, size_t frames, const OggSpec &spec);
