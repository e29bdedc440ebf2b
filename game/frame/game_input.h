// The game's per-frame hold counters of the keyboard and the first joypad, the nine logical
// buttons' assignments, and CheckStatePad, through which every module reads a button.
#pragma once

#include <array>
#include <cstdint>

// Logical buttons, in the order of the assignments and of "KEY_CONF.DAT".
enum LogicalButton {
    BUTTON_LEFT,
    BUTTON_UP,
    BUTTON_RIGHT,
    BUTTON_DOWN,
    BUTTON_SHOT,
    BUTTON_JUMP,
    BUTTON_CHANGE,
    BUTTON_STATUS,
    BUTTON_RESET,
    BUTTON_COUNT
};

// DirectInput key codes the game tests by number.
enum GameKeyCode {
    GAMEKEY_ESCAPE = 1,
    GAMEKEY_Q = 16,
    GAMEKEY_A = 30,
    GAMEKEY_Z = 44,
    GAMEKEY_X = 45,
    GAMEKEY_UP = 200,
    GAMEKEY_LEFT = 203,
    GAMEKEY_RIGHT = 205,
    GAMEKEY_DOWN = 208,
};

constexpr int kKeyCounterCount = 256;
constexpr int kPadCounterCount = 16;

class GameInput {
public:
    // Reads the devices through the library (GetAllKeyStates, GetPadInputBits(1)).
    void UpdateKeyCounters();
    void UpdatePadCounters();
    // The same steps over given device states.
    void UpdateKeyCountersFrom(const char *states256);
    void UpdatePadCountersFrom(int padBits);
    void ClearInputCounters();
    // The key with the largest counter (lowest code on ties), -1 when none is held.
    int FindStrongestKey() const;
    // -1: RESET's key counter; 0..15: pad counter n; else a screen-log line and -1.
    int CheckStatePad(int n) const;
    // A key's counter; 0 for codes outside 0..255.
    int KeyCounter(int code) const;

    // The reading of logical button b through its pad assignment.
    int Button(int b) const { return CheckStatePad(padAssign[b]); }
    // Pressed this frame is a count of exactly 1, held a count above 0; a bad assignment's -1
    // is neither.
    bool Pressed(int b) const { return Button(b) == 1; }
    bool Held(int b) const { return Button(b) > 0; }

    std::array<int32_t, kKeyCounterCount> keyCounters{};
    std::array<int32_t, kPadCounterCount> padCounters{};
    std::array<int32_t, BUTTON_COUNT> padAssign{};
    std::array<int32_t, BUTTON_COUNT> keyAssign{};
    uint8_t inputLock = 0; // 1 while an area transition runs
};

// The process-wide input record.
GameInput &GetGameInput();

// The free entries the other modules call.
int CheckStatePad(int n);

// Where CheckStatePad's complaint goes: the on-screen log; tests may capture it.
using ScreenLogHook = void (*)(const char *text);
void SetGameScreenLogHook(ScreenLogHook hook);
void GamePrintScreenLog(const char *text);
