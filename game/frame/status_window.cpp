#include "game/frame/status_window.h"

#include "game/frame/game_graphics.h"
#include "game/frame/text_overlay.h"

void InitStatusWindow(StatusWindow &status)
{
    status.hp = 4;
    status.mp = 20;
    status.requestedTalk = 0;
    status.timers.fill(0);
}

void LoadStatusWindowImages(StatusWindow &status)
{
    GameGraphicsCalls &g = GameGraphics();
    status.barImage = g.openImageAsGraph("DataForWork/life.bmp", 0);
    status.windowImage = g.openImageAsGraph("DataForWork\\win.dds", 0);
    status.windowFill = g.createSubGraph(1, 1, 1, 1, status.windowImage);
}

void SetStoryFlag(int n, StatusWindow &status)
{
    if (n < 0 || n >= kStoryFlagCount) return;
    status.storyFlags[n / 8] |= (uint8_t)(1u << (n % 8));
}

void ClearStoryFlag(int n, StatusWindow &status)
{
    if (n < 0 || n >= kStoryFlagCount) return;
    status.storyFlags[n / 8] &= (uint8_t)~(1u << (n % 8));
}

int TestStoryFlag(int n, StatusWindow &status)
{
    if (n < 0 || n >= kStoryFlagCount) return -1;
    return status.storyFlags[n / 8] & (1u << (n % 8)) ? 1 : -1;
}

int StatusBarWidth(int value, int maximum)
{
    // Before a new game the maxima are 0: no bar rather than a division by zero.
    if (maximum <= 0) return 0;
    const float w = (float)value / (float)maximum * 16.0f;
    // A value over its maximum fills the bar and no more (the bar's cell is 16 wide).
    return w <= 0 ? 0 : w >= 16 ? 16 : (int)w;
}

void StepStatusTimers(StatusWindow &status)
{
    if (status.hp <= 0) status.timers.fill(0);
    for (int &t : status.timers)
        if (t != 0) t--;
}

namespace {
void DrawBarRow(StatusWindow &status, int y, const char *label, int value, int maximum)
{
    GameGraphicsCalls &g = GameGraphics();
    if (status.overlay) {
        status.overlay->AddNumber(51, y, value);
        status.overlay->AddText(15, y, label);
    }
    const int w = StatusBarWidth(value, maximum);
    if (w > 0) g.drawGraphPart(61, y, 16, 0, w, 8, status.barImage, 1, 0);
    g.drawGraphPart(61, y, 0, 8, 16, 8, status.barImage, 1, 0);
}
} // namespace

void DrawStatusBars(StatusWindow &status, int indicator)
{
    GameGraphicsCalls &g = GameGraphics();
    g.drawGraphStretched(34, 31, 77, 47, status.windowFill, 1);
    DrawBarRow(status, 31, "HP", status.hp, status.hpMax);
    DrawBarRow(status, 39, "MP", status.mp, status.mpMax);
    if (indicator != 0) g.drawGraphPart(80, 33, 0, 32, 18, 16, status.barImage, 1, 0);
}
