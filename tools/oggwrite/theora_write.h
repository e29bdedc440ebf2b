// Ogg Theora movies written into memory with libtheoraenc, with an optional Vorbis sound track
// muxed beside the video: the movie tests' and benchmarks' fixtures and the demo's movie.
//
// Every frame shows its number in big luma blocks along its top (kTheoraPatternBits blocks,
// the highest bit first, 235 for a one, 16 for a zero) over content that moves from frame to
// frame. The same input gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kTheoraPatternBits = 8;

struct TheoraSpec {
    int width = 100;  // the picture; the coded frame is rounded up to whole 16 x 16 blocks
    int height = 75;
    int picX = 0;  // the picture's place inside the coded frame (from its top left)
    int picY = 0;
    int fpsNumerator = 30;
    int fpsDenominator = 1;
    int frames = 40;
    int keyframeInterval = 8;
    int quality = 48;       // 0 .. 63
    int pixelFormat = 0;    // 0 = 4:2:0, 2 = 4:2:2, 3 = 4:4:4
    int serial = 0x7E0;
    // A sine tone as the sound track, as long as the video (none when soundSeconds is 0 and
    // sound is false).
    bool sound = false;
    int soundRate = 44100;
    int soundChannels = 2;
    double toneHz = 440.0;
    double soundSeconds = 0;  // 0: the video's length
};

// The whole file; empty when the encoder refuses the spec. frames 0 gives a file of headers only.
std::vector<uint8_t> EncodeOggTheora(const TheoraSpec &spec);

// Frame n's picture as the writer hands it to the encoder: planes of the picture's size (chroma
// halved across for 4:2:0 and 4:2:2, down for 4:2:0), rows top first, no padding.
struct TheoraPicture {
    int width = 0, height = 0;
    int chromaWidth = 0, chromaHeight = 0;
    std::vector<uint8_t> y, u, v;
};
TheoraPicture DrawTheoraPicture(const TheoraSpec &spec, int n);

// Where to look for pattern bit b (0 = highest) in a picture of this size: the centre of its
// block.
void TheoraPatternPoint(int width, int height, int bit, int *x, int *y);
// The frame number that a picture shows, from a reader of luma-like brightness (0..255) at a point.
template <class Bright>
int ReadTheoraPatternNumber(int width, int height, Bright bright) {
    int n = 0;
    for (int b = 0; b < kTheoraPatternBits; b++) {
        int x, y;
        TheoraPatternPoint(width, height, b, &x, &y);
        n = n * 2 + (bright(x, y) >= 128 ? 1 : 0);
    }
    return n;
}
