#include "game/frame/title_menu.h"

#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "library/base/input.h"

int TitleMenu::UpdateTitleMenu() { return UpdateTitleMenuWith(GetPadInputBits(1)); }

int TitleMenu::UpdateTitleMenuWith(int padBits)
{
    for (int i = 0; i < 16; i++) padCounters[i] = (padBits & (1 << i)) ? padCounters[i] + 1 : 0;
    const GameInput &input = GetGameInput();
    if (input.KeyCounter(GAMEKEY_DOWN) == 1 || padCounters[0] == 1) {
        if (cursor < 2) cursor++;
    } else if (input.KeyCounter(GAMEKEY_UP) == 1 || padCounters[3] == 1) {
        if (cursor > 0) cursor--;
    } else if (input.KeyCounter(GAMEKEY_X) == 1 || padCounters[4] == 1) {
        return cursor + 1;
    }
    return 0;
}

void TitleMenu::DrawTitleMenu() const
{
    // The menu words are part of the picture.
    GameGraphics().drawGraphPart(64, 16, 2, 0, 190, 256, titleGraph, 0, 0);
    GameGraphics().drawGraphPart(187, 105 + 21 * cursor, 192, 0, 8, 8, titleGraph, 0, 0);
}
