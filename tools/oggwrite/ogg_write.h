// Ogg Vorbis files written into memory with libvorbisenc: the demo data's music and the sound
// tests' and benchmarks' fixtures. The Vorbis pages can also be had one by one, for muxing
// beside another logical stream (the Theora writer's sound track).
#pragma once

#include <ogg/ogg.h>

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

// One page of a logical stream: its bytes, its granule position and whether it carries headers
// (the first such page is the stream's beginning page).
struct OggPageBytes {
    std::vector<uint8_t> bytes;
    int64_t granule = 0;
    bool header = false;
};

// A page made by libogg as bytes.
OggPageBytes PageBytes(const ogg_page &page, bool header);

// The page's checksum computed again after its bytes were changed (damaged fixtures); the
// granule field is set to `granule` first unless it is null. False when the bytes are no page.
bool ResealOggPage(OggPageBytes &page, const int64_t *granule = nullptr);

// frames of interleaved samples in -1 .. 1 as one stream; deterministic for the same input.
// Empty when the encoder refuses the channels, rate or quality.
std::vector<uint8_t> EncodeOggVorbis(const float *samples, size_t frames, const OggSpec &spec);
// The same stream as pages, in order.
std::vector<OggPageBytes> EncodeVorbisPages(const float *samples, size_t frames, const OggSpec &spec);
