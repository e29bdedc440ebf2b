#include "game/world/screen_effect.h"

#include "game/frame/game_graphics.h"

void LoadScreenEffectImage(ScreenEffect &effect)
{
    effect.image = GameGraphics().openImageAsGraph("DataForWork\\mad.dds", 0);
}

void UpdateScreenWaveRows(ScreenEffect &effect)
{
    if (effect.wave != 1) {
        effect.counter = 0;
        return;
    }
    effect.counter++;
    ComputeWaveRows(effect.rows, (float)effect.counter * 0.0125f, 0.0125f);
}

void DrawScreenEffect(const ScreenEffect &effect)
{
    GameGraphicsCalls &g = GameGraphics();
    if (effect.stripA == 1 || effect.stripB == 1) {
        g.drawGraphPart(175, 22, 0, 0, 128, 512, effect.image, 1, 0);
    } else if (effect.wave == 1) {
        for (int i = 0; i < kWaveRows; i++) g.drawGraphPart(effect.rows[i] - 100, i - 100, 0, i, 512, 1, effect.image, 1, 0);
    }
}
