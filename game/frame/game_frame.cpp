#include "game/frame/game_frame.h"

#include "game/frame/game_graphics.h"
#include "game/frame/game_input.h"
#include "library/base/library.h"
#include "library/base/timer.h"

namespace {
uint64_t LibraryMicroseconds() { return GetMicrosecondCount(0); }
} // namespace

void WaitFramePeriod(uint64_t t0, MicrosecondClock clock)
{
    while (clock() - t0 < kFramePeriodUs) {
    }
}

bool GameFrame::RunOneFrame()
{
    MicrosecondClock now = frameClock ? frameClock : LibraryMicroseconds;
    GameInput &input = GetGameInput();
    if (input.inputLock == 1) {
        input.ClearInputCounters();
    } else {
        input.UpdateKeyCounters();
        input.UpdatePadCounters();
    }
    uint64_t t0 = now();
    // The period counts from the end of the last frame's wait, so the pump, the clear and the
    // input step fall inside it and the loop holds 60 frames a second; a late frame is not
    // made up.
    uint64_t start = waitEnded && t0 - lastWaitEnd < kFramePeriodUs ? lastWaitEnd : t0;
    GameGraphics().clearScreen();
    OnFrame();
    if (input.KeyCounter(GAMEKEY_ESCAPE) == 1) return false;
    GameGraphics().presentBackScreen();
    WaitFramePeriod(start, now);
    lastWaitEnd = now();
    waitEnded = true;
    return true;
}

void GameFrame::RunGameLoop()
{
    GameGraphics().setDrawTarget(kBackPage);
    try {
        OnLoad();
    } catch (...) {
        // Whatever a load throws ends the loop; the entry still ends the library.
        return;
    }
    if (runFlag != 1) {
        runFlag = 1;
        startTime = GetMillisecondCount();
    }
    while (ProcessWindowMessages() == 0 && GameGraphics().clearDrawTarget() == 0) {
        if (!RunOneFrame()) break;
    }
    EndLibrary();
}
