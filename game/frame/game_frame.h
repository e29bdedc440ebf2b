// The game object's base: the main loop and the operations it calls each frame.
#pragma once

#include <cstdint>

// Milliseconds of a frame period, compared as double like the original loop.
constexpr double kFramePeriodMs = 16.67;

// Elapsed milliseconds between two reads of the 31-bit millisecond counter, across its wrap.
inline uint32_t ElapsedMs(int from, int to) { return ((uint32_t)to - (uint32_t)from) & 0x7FFFFFFFu; }

// Reads the clock until a frame period has passed since t0 (busy, as the loop never sleeps).
using MillisecondClock = int (*)();
void WaitFramePeriod(int t0, MillisecondClock clock);

class GameFrame {
public:
    virtual ~GameFrame() = default;
    virtual void OnLoad() {}
    virtual void OnHook1() {}
    virtual void OnHook2() {}
    virtual void OnHook3() {}
    virtual void OnFrame() {}
    virtual void OnUpdate() {}
    virtual void OnDraw() {}
    virtual void OnHook4() {}

    // Runs until the window closes, a clear fails or Escape is pressed; ends the library.
    void RunGameLoop();
    // One pass of the loop body after the pump and clear; false when Escape ends the loop.
    bool RunOneFrame();

    int runFlag = 0;
    int startTime = 0;
    MillisecondClock clock = nullptr; // null: the library's GetMillisecondCount
};
