#include "game/world/backdrop.h"

#include "game/frame/game_graphics.h"
#include "game/world/area_transition.h"

namespace {
constexpr int kPatternSize = 64;

// The hour's part of a sky sheet whose rows of daylight start at 0, row, 2 x row.
BackdropChoice ByHour(BackdropImage image, int hour, int row)
{
    switch (hour) {
    case 6:
    case 7: return {image, 320, 0};
    case 18:
    case 19: return {image, 320, row};
    case 11:
    case 14:
    case 16: return {image, 320, 2 * row};
    case 3: return {image, 0, 2 * row};
    case 8:
    case 9:
    case 10:
    case 12:
    case 13:
    case 15:
    case 17: return {image, 0, 0};
    default: return {image, 0, row};
    }
}
} // namespace

BackdropChoice ChooseBackdrop(int a, int hour)
{
    if (a == 28 || a == 112 || a == 113) return {BACKDROP_SKY, 640, 0};
    if (a == 10) return {BACKDROP_CLOUD, 320, 0};
    if ((a >= 15 && a <= 51) || a == 119 || a == 120 || (a >= 52 && a <= 78) || a == 114 || a >= 121)
        return {BACKDROP_PATTERN, 0, 0};
    if (a == 0 || a == 79) return ByHour(BACKDROP_SKY, hour, 256);
    return ByHour(BACKDROP_CLOUD, hour, 300);
}

void LoadBackdropImages(Backdrop &backdrop)
{
    GameGraphicsCalls &g = GameGraphics();
    backdrop.sky = g.openImageAsGraph("DataForWork\\map\\umisora.bmp", 0);
    backdrop.pattern = g.openImageAsGraph("DataForWork\\map\\back1.bmp", 0);
    backdrop.cloud = g.openImageAsGraph("DataForWork\\map\\cloud.bmp", 0);
}

void DrawBackdrop(const Backdrop &backdrop)
{
    GameGraphicsCalls &g = GameGraphics();
    const int area = backdrop.transition ? backdrop.transition->currentArea : 0;
    const int hour = backdrop.transition ? backdrop.transition->localHour : 0;
    const BackdropChoice c = ChooseBackdrop(area, hour);
    if (c.image == BACKDROP_PATTERN) {
        for (int y = 0; y <= 256; y += kPatternSize)
            for (int x = 0; x <= 320; x += kPatternSize) g.drawGraphAt(x, y, backdrop.pattern, 0);
        return;
    }
    g.drawGraphPart(0, 0, c.srcX, c.srcY, 320, 240, c.image == BACKDROP_SKY ? backdrop.sky : backdrop.cloud, 0, 0);
}
