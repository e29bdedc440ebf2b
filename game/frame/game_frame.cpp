#include "game/frame/game_frame.h"

#include <exception>

#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "library/base/library.h"
#include "library/base/timer.h"

void WaitFramePeriod(int t0, MillisecondClock clock)
{
    while ((double)ElapsedMs(t0, clock()) < kFramePeriodMs) {
    }
}

bool GameFrame::RunOneFrame()
{
    MillisecondClock now = clock ? clock : GetMillisecondCount;
    GameInput &input = GetGameInput();
    if (input.inputLock == 1) {
        input.ClearInputCounters();
    } else {
        input.UpdateKeyCounters();
        input.UpdatePadCounters();
    }
    int t0 = now();
    GameGraphics().clearScreen();
    OnFrame();
    if (input.KeyCounter(GAMEKEY_ESCAPE) == 1) return false;
    GameGraphics().presentBackScreen();
    WaitFramePeriod(t0, now);
    return true;
}

void GameFrame::RunGameLoop()
{
    GameGraphics().setDrawTarget(kBackPage);
    try {
        OnLoad();
    } catch (const std::exception &) {
        return;
    }
    if (runFlag != 1) {
        runFlag = 1;
        startTime = (clock ? clock : GetMillisecondCount)();
    }
    while (ProcessWindowMessages() == 0 && GameGraphics().clearDrawTarget() == 0) {
        if (!RunOneFrame()) break;
    }
    EndLibrary();
}
