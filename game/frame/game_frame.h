// The game object's base: the main loop and the operations it calls each frame.
#pragma once

#include <cstdint>

#include "library/base/timer.h"

// A frame period of 16.67 ms, timed on the microsecond counter: whole milliseconds would make
// every frame 17 ms and the game run at 58.8 frames a second.
constexpr uint64_t kFramePeriodUs = 16670;

using MillisecondClock = int (*)();
using MicrosecondClock = uint64_t (*)();

// Reads the clock until a frame period has passed since t0 (busy, as the loop never sleeps).
void WaitFramePeriod(uint64_t t0, MicrosecondClock clock);

class GameFrame {
public:
    virtual void OnLoad() {}
    virtual void OnHook1() {}
    virtual void OnHook2() {}
    virtual void OnHook3() {}
    virtual void OnFrame() {}
    virtual void OnUpdate() {}
    virtual void OnDraw() {}
    virtual void OnHook4() {}
    virtual ~GameFrame() = default;

    // Runs until the window closes, a clear fails or Escape is pressed; ends the library.
    void RunGameLoop();
    // One pass of the loop body after the pump and clear; false when Escape ends the loop.
    bool RunOneFrame();

    int runFlag = 0;
    int startTime = 0;
    MicrosecondClock frameClock = nullptr; // null: the library's microsecond counter
    uint64_t lastWaitEnd = 0;              // when the last frame's wait ended
    bool waitEnded = false;                // a frame has waited since the start
};
