// The stand-in's virtual input devices: the state that DirectInput and the
// joystick functions report. Hosts feed it from real devices; tests set it.
#pragma once

#include "platform/windef.h"

#include <string>
#include <vector>

#define PLATFORM_MAX_PADS 16

struct PLATFORM_PAD_STATE {
    int axes[4];        // X, Y, Z, Rz in -32768..32767
    bool buttons[32];
};

struct PLATFORM_EFFECT_EVENT {
    int pad;            // 0-based
    int kind;           // 0 constant force, 1 square wave
    std::string action; // "create", "start", "stop", "release"
    DWORD gain;
};

// Keys by DirectInput key code (0..255).
void PlatformInputSetKey(int dik, bool down);
bool PlatformInputKeyDown(int dik);
void PlatformInputReleaseAllKeys();

// Attached pads; a new count keeps the states of the pads that remain.
void PlatformInputSetPadCount(int count);
int PlatformInputPadCount();
void PlatformInputSetPadName(int pad, const char *name);
void PlatformInputSetPadForceFeedback(int pad, bool has);
void PlatformInputSetPadHasZR(int pad, bool has);
void PlatformInputSetPad(int pad, const PLATFORM_PAD_STATE &state);
PLATFORM_PAD_STATE PlatformInputGetPad(int pad);

// Force-feedback calls made on the pads, in order; the host turns starts and
// stops into rumble through the sink.
typedef void (*PLATFORM_RUMBLE_SINK)(int pad, int kind, bool on, DWORD gain);
void PlatformInputSetRumbleSink(PLATFORM_RUMBLE_SINK sink);
std::vector<PLATFORM_EFFECT_EVENT> PlatformInputTakeEffectLog();

// Failure switches: the DirectInput 7 / 8 factories fail (joystick fall-back).
void PlatformInputFailDirectInput(bool version7Fails, bool version8Fails);
// The next GetDeviceState of the keyboard fails once with "input lost".
void PlatformInputLoseKeyboardOnce();
// Counts of calls the library made, for tests.
struct PLATFORM_INPUT_COUNTS {
    int keyboardAcquires;
    int keyboardStateReads;
    int padAcquires;
    int padUnacquires;
};
PLATFORM_INPUT_COUNTS PlatformInputCounts();
void PlatformInputReset();
