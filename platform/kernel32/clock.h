// The stand-in's one clock, shared by time, sleeping and timed waits:
// the monotonic host clock, or the fake clock tests turn on.
#pragma once

#include <cstdint>

namespace platform {

// Nanoseconds on the monotonic clock, or on the fake clock while it is on.
uint64_t ClockNanoseconds();
bool FakeClockOn();
void AdvanceFakeClock(uint64_t ns);
// On the fake clock, time that passes at once still lets other threads run: a short real nap.
void FakeClockNap();

}  // namespace platform
