#include "game/frame/game_input.h"

#include "library/base/input.h"
#include "library/graphics/screen_log.h"

namespace {
GameInput g_gameInput;

void WriteToScreenLog(const char *text) { PrintScreenLog("%s", text); }

ScreenLogHook g_screenLogHook = WriteToScreenLog;
} // namespace

GameInput &GetGameInput() { return g_gameInput; }

int CheckStatePad(int n) { return g_gameInput.CheckStatePad(n); }

void SetGameScreenLogHook(ScreenLogHook hook) { g_screenLogHook = hook ? hook : WriteToScreenLog; }

void GamePrintScreenLog(const char *text) { g_screenLogHook(text); }

void GameInput::UpdateKeyCounters()
{
    char states[kKeyCounterCount] = {};
    GetAllKeyStates(states);
    UpdateKeyCountersFrom(states);
}

void GameInput::UpdatePadCounters() { UpdatePadCountersFrom(GetPadInputBits(1)); }

void GameInput::UpdateKeyCountersFrom(const char *states256)
{
    for (int i = 0; i < kKeyCounterCount; i++) {
        if (states256[i] == 1) keyCounters[i]++;
        else keyCounters[i] = 0;
    }
}

void GameInput::UpdatePadCountersFrom(int padBits)
{
    for (int i = 0; i < kPadCounterCount; i++) {
        if (padBits & (1 << i)) padCounters[i]++;
        else padCounters[i] = 0;
    }
    // A logical button reports the longer of its key hold and its pad hold (RESET excluded).
    for (int b = 0; b < BUTTON_RESET; b++) {
        int p = padAssign[b];
        if (p < 0 || p >= kPadCounterCount) continue;
        int key = keyCounters[keyAssign[b] & 0xFF];
        if (key > padCounters[p]) padCounters[p] = key;
    }
}

void GameInput::ClearInputCounters()
{
    keyCounters.fill(0);
    padCounters.fill(0);
}

int GameInput::FindStrongestKey() const
{
    int best = -1;
    uint32_t bestCount = 0;
    for (int i = 0; i < kKeyCounterCount; i++) {
        uint32_t c = (uint32_t)keyCounters[i];
        if (c > bestCount) {
            bestCount = c;
            best = i;
        }
    }
    return best;
}

int GameInput::KeyCounter(int code) const
{
    if (code < 0 || code >= kKeyCounterCount) return 0;
    return keyCounters[code];
}

int GameInput::CheckStatePad(int n) const
{
    // A RESET key read from a file may be any number: outside 0..255 it reads as not held.
    if (n == -1) return KeyCounter(keyAssign[BUTTON_RESET]);
    if (n >= 0 && n < kPadCounterCount) return padCounters[n];
    GamePrintScreenLog("CheckStatePadに渡した値が不正です\n");
    return -1;
}
