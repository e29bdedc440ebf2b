// The player's numbers: HP and MP with their maxima, the 256 story flags, two countdown timers
// and the talk the event step starts next; and the HP / MP corner drawn every play frame.
#pragma once

#include <array>
#include <cstdint>

class TextOverlay;

constexpr int kStoryFlagCount = 256;

struct StatusWindow {
    TextOverlay *overlay = nullptr;
    int barImage = -1;    // "DataForWork/life.bmp"
    int windowImage = -1; // "DataForWork\\win.dds"
    int windowFill = -1;  // its 1 x 1 cell at (1, 1), stretched as a frame's fill
    int hp = 0, hpMax = 0;
    int mp = 0, mpMax = 0;
    std::array<uint8_t, kStoryFlagCount / 8> storyFlags{}; // flag n: byte n / 8, bit n % 8
    int requestedTalk = 0;
    std::array<int, 2> timers{}; // count down once a play frame
};

// HP 4, MP 20, no talk, timers 0.
void InitStatusWindow(StatusWindow &status);
// Loads the bar sheet and the window with its fill cell.
void LoadStatusWindowImages(StatusWindow &status);

// Flags outside 0..255 are never set: setting or clearing one does nothing, testing one gives -1.
void SetStoryFlag(int n, StatusWindow &status);
void ClearStoryFlag(int n, StatusWindow &status);
// 1 set, -1 clear.
int TestStoryFlag(int n, StatusWindow &status);

// Width in pixels of a 16-pixel bar for value of maximum: 0 when the maximum is 0 or below, 16
// at most.
int StatusBarWidth(int value, int maximum);
// The two countdown timers' play-frame step: both cleared while HP is 0 or below, then each
// non-zero one counts down.
void StepStatusTimers(StatusWindow &status);
// The HP / MP corner; the icon when the indicator flag is set.
void DrawStatusBars(StatusWindow &status, int indicator);
