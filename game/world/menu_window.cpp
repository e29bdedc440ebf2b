#include "game/world/menu_window.h"

#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "game/frame/sound_lists.h"

void LoadMenuWindowImages(MenuWindow &window)
{
    GameGraphicsCalls &g = GameGraphics();
    window.cursorSheet = g.openImageAsGraph("DataForWork\\cursor.dds", 0);
    window.windowImage = g.openImageAsGraph("DataForWork\\win.dds", 0);
    window.windowFill = g.createSubGraph(1, 1, 1, 1, window.windowImage);
}

void DrawMenuWindow(MenuWindow &window, int x1, int y1, int x2, int y2)
{
    if (x2 == x1 || y2 == y1) return;
    const int ox = (int)((float)x1 / (float)(x2 - x1));
    const int oy = (int)((float)y1 / (float)(y2 - y1));
    window.scratch[0] = ox;
    window.scratch[1] = oy;
    window.scratch[2] = 0;
    GameGraphics().drawGraphStretched(x1 + ox, y1 + oy, x2, y2, window.windowFill, 1);
}

void DrawMenuCursor(const MenuWindow &window, int x, int y)
{
    GameGraphics().drawGraphPart(x, y, 16, 0, 16, 16, window.cursorSheet, 1, 0);
}

void DrawScrollMarkers(const MenuWindow &window, bool up, bool down)
{
    GameGraphicsCalls &g = GameGraphics();
    if (up) g.drawGraphPart(170, 104, 32, 8, 8, 8, window.cursorSheet, 1, 0);
    if (down) g.drawGraphPart(170, 144, 32, 0, 8, 8, window.cursorSheet, 1, 0);
}

void PlayMenuButtonSound()
{
    const GameInput &in = GetGameInput();
    if (in.Pressed(BUTTON_JUMP)) PlayEffectSound(21);
    else if (in.Pressed(BUTTON_SHOT)) PlayEffectSound(24);
    else if (in.Pressed(BUTTON_LEFT) || in.Pressed(BUTTON_RIGHT) || in.Pressed(BUTTON_DOWN) || in.Pressed(BUTTON_UP))
        PlayEffectSound(15);
}

void ScrollMenuList(int &row, int &top, int topMax)
{
    const GameInput &in = GetGameInput();
    if (in.Pressed(BUTTON_UP)) {
        if (--row < 0) {
            row = 0;
            if (top > 0) top--;
        }
    } else if (in.Pressed(BUTTON_DOWN)) {
        if (++row > 3) {
            row = 3;
            if (top < topMax) top++;
        }
    }
    if (top > topMax) top = topMax;
    if (top < 0) top = 0;
}
