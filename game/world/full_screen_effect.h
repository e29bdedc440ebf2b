// Full-screen effects drawn over tile layer 1: fades through six pictures (short and long) and
// two wave strips whose image rows sway sideways. While one runs, the front tile layer is drawn
// black.
#pragma once

#include <array>
#include <cstdint>

struct TileView;

constexpr int kFadePictures = 6;
constexpr int kWaveRows = 512;

enum FullScreenMode {
    FULLSCREEN_NONE = 0,
    FULLSCREEN_FADE = 1,      // fade in, hold, fade out by frame 109
    FULLSCREEN_WAVE_IMAGE = 2, // "getu" rows and the "getu2" picture, to frame 200
    FULLSCREEN_WAVE = 3,       // "rev" rows, to frame 200
    FULLSCREEN_LONG_FADE = 4,  // fade in, then hold to frame 999,999
};

struct FullScreenEffect {
    TileView *tileView = nullptr;
    std::array<int, kFadePictures> fades{}; // the six 320 x 240 cells of "kakubakuhatu.bmp"
    int waveImage = -1;   // "getu.bmp"
    int wavePicture = -1; // "getu2.bmp"
    int reverseImage = -1; // "rev.bmp"
    int mode = 0;
    int frame = 0;
    int picture = 0;
    uint8_t active = 0;
    int driftX = 0, driftY = 0;
    std::array<int16_t, kWaveRows> rows{};

    FullScreenEffect() { fades.fill(-1); }
};

void LoadFullScreenEffectImages(FullScreenEffect &effect);
// Restarting a running fade holds its full picture (frame 10); anything else starts at frame 0.
void StartScreenEffect(FullScreenEffect &effect, int mode);
// One frame of the running effect (nothing while inactive).
void RunScreenEffect(FullScreenEffect &effect);

// The fade picture of a frame in mode 1 or 4.
int FadePicture(int mode, int frame);
// The wave modes' row step: every k-th row is left out, k growing with the frame.
int WaveRowStep(int frame);
// Sideways offset of each image row: s = start; per row s += step, offset = trunc(sin(s) x 16).
void ComputeWaveRows(std::array<int16_t, kWaveRows> &rows, float start, float step);
