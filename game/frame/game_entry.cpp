#include "game/frame/game_entry.h"

#include <memory>
#include <new>

#include "game/frame/cur_game.h"
#include "game/frame/game_graphics.h"
#include "game/frame/key_bindings.h"
#include "game/frame/key_config.h"
#include "game/frame/sound_lists.h"
#include "library/base/library.h"
#include "library/base/timer.h"
#include "library/base/window.h"
#include "platform/user32/user32.h"

void MeasureRefreshRateWith(MillisecondClock clock, int (*present)())
{
    int t = clock();
    float sum = 0.0f;
    for (int i = 0; i < 100; i++) {
        present();
        int n = clock();
        sum += (float)ElapsedMs(t, n);
        t = n;
    }
    // All 100 presents inside one millisecond: no meaningful rate.
    if (sum <= 0.0f) {
        g_measuredRefreshRate = 0;
        return;
    }
    g_measuredRefreshRate = (int)(1000.0 / (sum / 100.0));
}

void MeasureRefreshRate() { MeasureRefreshRateWith(GetMillisecondCount, GameGraphics().presentBackScreen); }

namespace {
// The loading text is shown at once: the loads that follow run for seconds without a frame.
void ShowLoadingText()
{
    GameGraphicsCalls &g = GameGraphics();
    g.drawLoadingText();
    g.presentBackScreen();
}
} // namespace

int RunBrisgal()
{
    int answer = MessageBoxW(nullptr, L"フルスクリーンモードで起動しますか？", L"スクリーン設定",
                             MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL) return -1;
    // Any other failed answer keeps the library's default window mode.
    if (answer == IDYES) ChangeWindowMode(0);
    else if (answer == IDNO) ChangeWindowMode(1);

    SetDefaultKeyBindings();
    SetMainWindowTitle("Brisgal");
    ChangeWindowIcon(101);
    if (InitLibrary() == -1) return -1;
    GameGraphicsCalls &g = GameGraphics();
    if (g.setDrawTarget(kBackPage) != 0) return -1;
    MeasureRefreshRate();
    g.setTransparentKey(123, 250, 3);
    SetLoadingTextHook(ShowLoadingText);
    GetSoundLists().LoadSoundLists();

    std::unique_ptr<CurGame> game(new (std::nothrow) CurGame());
    if (!game) {
        EndLibrary();
        return -1;
    }
    GetGameInput().inputLock = 0;
    game->RunGameLoop();
    game.reset();
    EndLibrary();
    return 0;
}
