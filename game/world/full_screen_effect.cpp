#include "game/world/full_screen_effect.h"

#include <cmath>

#include "game/frame/game_graphics.h"
#include "game/frame/sound_lists.h"
#include "game/world/tile_view.h"

namespace {
constexpr int kFadeEnd = 109;
constexpr int kWaveEnd = 200;
constexpr int kLongFadeEnd = 999999;
constexpr int kFadeSound = 84;
constexpr int kWaveSound = 81;

void Stop(FullScreenEffect &e)
{
    e.mode = FULLSCREEN_NONE;
    e.active = 0;
}

void DrawWaveRows(const FullScreenEffect &e, int image, int top)
{
    GameGraphicsCalls &g = GameGraphics();
    const int k = WaveRowStep(e.frame);
    for (int i = 0; i < kWaveRows; i++)
        if (i % k != 0) g.drawGraphPart(e.rows[i] - 100, i + top, 0, i, 512, 1, image, 1, 0);
}
} // namespace

void LoadFullScreenEffectImages(FullScreenEffect &effect)
{
    GameGraphicsCalls &g = GameGraphics();
    g.openImageAsDivGraphs("DataForWork\\map\\kakubakuhatu.bmp", kFadePictures, 2, 3, 320, 240, effect.fades.data(),
                           0);
    effect.waveImage = g.openImageAsGraph("DataForWork\\map\\getu.bmp", 0);
    effect.wavePicture = g.openImageAsGraph("DataForWork\\map\\getu2.bmp", 0);
    effect.reverseImage = g.openImageAsGraph("DataForWork\\map\\rev.bmp", 0);
}

void StartScreenEffect(FullScreenEffect &effect, int mode)
{
    if (mode == FULLSCREEN_FADE && effect.mode == FULLSCREEN_FADE && effect.active) {
        effect.frame = 10;
    } else {
        effect.mode = mode;
        effect.frame = 0;
    }
    effect.picture = 0;
    effect.active = 1;
}

int FadePicture(int mode, int frame)
{
    // Pictures 0..4 thin to thick, 5 the whole cover: two frames each on the way in and out.
    if (frame >= 0 && frame <= 9) return frame / 2;
    if (mode == FULLSCREEN_FADE && frame >= 100 && frame <= 109) return (109 - frame) / 2;
    if (mode == FULLSCREEN_LONG_FADE && frame >= 999992 && frame <= 999999) return 4 - (frame - 999992) / 2;
    return 5;
}

int WaveRowStep(int frame)
{
    if (frame >= 50) return kWaveRows;
    return frame < 0 ? 2 : 2 + frame / 10;
}

void ComputeWaveRows(std::array<int16_t, kWaveRows> &rows, float start, float step)
{
    float s = start;
    for (int i = 0; i < kWaveRows; i++) {
        s += step;
        rows[i] = (int16_t)std::trunc(std::sin(s) * 16);
    }
}

void RunScreenEffect(FullScreenEffect &e)
{
    if (!e.active) return;
    e.frame++;
    GameGraphicsCalls &g = GameGraphics();
    switch (e.mode) {
    case FULLSCREEN_FADE:
    case FULLSCREEN_LONG_FADE: {
        if (e.tileView) e.tileView->dark = 1;
        e.picture = FadePicture(e.mode, e.frame);
        if (e.frame == 50) PlayEffectSound(kFadeSound);
        g.drawGraphPart(0, 0, 0, 0, 320, 240, e.fades[e.picture], 0, 0);
        if (e.frame >= (e.mode == FULLSCREEN_FADE ? kFadeEnd : kLongFadeEnd)) Stop(e);
        break;
    }
    case FULLSCREEN_WAVE_IMAGE:
    case FULLSCREEN_WAVE: {
        if (e.tileView) e.tileView->dark = 1;
        ComputeWaveRows(e.rows, (float)e.frame * 0.0037f, 0.0025f);
        if (e.mode == FULLSCREEN_WAVE_IMAGE) {
            if (e.frame == 1) {
                e.driftX = -20;
                e.driftY = 20;
            }
            if (e.frame < kWaveEnd && e.frame % 10 == 0) {
                e.driftX++;
                e.driftY--;
            }
        }
        if (e.frame == 50) PlayEffectSound(kWaveSound);
        if (e.mode == FULLSCREEN_WAVE_IMAGE) {
            DrawWaveRows(e, e.waveImage, -100);
            g.drawGraphPart(e.driftX - 88, e.driftY - 100, 0, 0, 512, 512, e.wavePicture, 1, 0);
        } else {
            DrawWaveRows(e, e.reverseImage, 0);
        }
        if (e.frame >= kWaveEnd) Stop(e);
        break;
    }
    default:
        Stop(e);
        break;
    }
}
