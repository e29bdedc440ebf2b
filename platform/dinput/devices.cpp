#include "platform/dinput/devices.h"

#include "platform/dinput/internal.h"

#include <cstring>
#include <mutex>

namespace {

struct PadRecord {
    PLATFORM_PAD_STATE state{};
    std::string name;
    bool forceFeedback = false;
    bool hasZR = true;
};

struct InputWorld {
    std::mutex lock;
    bool keys[256] = {};
    PadRecord pads[PLATFORM_MAX_PADS];
    int padCount = 0;
    PLATFORM_RUMBLE_SINK rumble = nullptr;
    std::vector<PLATFORM_EFFECT_EVENT> effects;
    bool fail7 = false, fail8 = false;
    bool loseKeyboard = false;
    PLATFORM_INPUT_COUNTS counts{};
    HANDLE keyboardEvent = nullptr;
};

InputWorld &World() {
    static InputWorld world;
    return world;
}

bool ValidPad(int pad) { return pad >= 0 && pad < PLATFORM_MAX_PADS; }

}  // namespace

void PlatformInputSetKey(int dik, bool down) {
    HANDLE event = nullptr;
    {
        std::lock_guard<std::mutex> hold(World().lock);
        if (dik < 0 || dik > 255 || World().keys[dik] == down) return;
        World().keys[dik] = down;
        event = World().keyboardEvent;
    }
    if (event) SetEvent(event);
}

bool PlatformInputKeyDown(int dik) {
    std::lock_guard<std::mutex> hold(World().lock);
    return dik >= 0 && dik <= 255 && World().keys[dik];
}

void PlatformInputReleaseAllKeys() {
    for (int k = 0; k < 256; ++k) PlatformInputSetKey(k, false);
}

void PlatformInputSetPadCount(int count) {
    std::lock_guard<std::mutex> hold(World().lock);
    World().padCount = count < 0 ? 0 : (count > PLATFORM_MAX_PADS ? PLATFORM_MAX_PADS : count);
}

int PlatformInputPadCount() {
    std::lock_guard<std::mutex> hold(World().lock);
    return World().padCount;
}

void PlatformInputSetPadName(int pad, const char *name) {
    std::lock_guard<std::mutex> hold(World().lock);
    if (ValidPad(pad)) World().pads[pad].name = name ? name : "";
}

void PlatformInputSetPadForceFeedback(int pad, bool has) {
    std::lock_guard<std::mutex> hold(World().lock);
    if (ValidPad(pad)) World().pads[pad].forceFeedback = has;
}

void PlatformInputSetPadHasZR(int pad, bool has) {
    std::lock_guard<std::mutex> hold(World().lock);
    if (ValidPad(pad)) World().pads[pad].hasZR = has;
}

void PlatformInputSetPad(int pad, const PLATFORM_PAD_STATE &state) {
    std::lock_guard<std::mutex> hold(World().lock);
    if (ValidPad(pad)) World().pads[pad].state = state;
}

PLATFORM_PAD_STATE PlatformInputGetPad(int pad) {
    std::lock_guard<std::mutex> hold(World().lock);
    return ValidPad(pad) ? World().pads[pad].state : PLATFORM_PAD_STATE{};
}

void PlatformInputSetRumbleSink(PLATFORM_RUMBLE_SINK sink) {
    std::lock_guard<std::mutex> hold(World().lock);
    World().rumble = sink;
}

std::vector<PLATFORM_EFFECT_EVENT> PlatformInputTakeEffectLog() {
    std::lock_guard<std::mutex> hold(World().lock);
    std::vector<PLATFORM_EFFECT_EVENT> out;
    out.swap(World().effects);
    return out;
}

void PlatformInputFailDirectInput(bool version7Fails, bool version8Fails) {
    std::lock_guard<std::mutex> hold(World().lock);
    World().fail7 = version7Fails;
    World().fail8 = version8Fails;
}

void PlatformInputLoseKeyboardOnce() {
    std::lock_guard<std::mutex> hold(World().lock);
    World().loseKeyboard = true;
}

PLATFORM_INPUT_COUNTS PlatformInputCounts() {
    std::lock_guard<std::mutex> hold(World().lock);
    return World().counts;
}

void PlatformInputReset() {
    std::lock_guard<std::mutex> hold(World().lock);
    std::memset(World().keys, 0, sizeof World().keys);
    for (auto &pad : World().pads) pad = PadRecord{};
    World().padCount = 0;
    World().effects.clear();
    World().fail7 = World().fail8 = false;
    World().loseKeyboard = false;
    World().counts = {};
}

// ---- for the DirectInput objects -------------------------------------------------

void InputInternalCopyKeys(BYTE out[256]) {
    std::lock_guard<std::mutex> hold(World().lock);
    for (int k = 0; k < 256; ++k) out[k] = World().keys[k] ? 0x80 : 0;
}

bool InputInternalPadInfo(int pad, std::string *name, bool *forceFeedback, bool *hasZR) {
    std::lock_guard<std::mutex> hold(World().lock);
    if (pad < 0 || pad >= World().padCount) return false;
    if (name) *name = World().pads[pad].name.empty() ? "Virtual Pad" : World().pads[pad].name;
    if (forceFeedback) *forceFeedback = World().pads[pad].forceFeedback;
    if (hasZR) *hasZR = World().pads[pad].hasZR;
    return true;
}

bool InputInternalFactoryFails(int version) {
    std::lock_guard<std::mutex> hold(World().lock);
    return version == 7 ? World().fail7 : World().fail8;
}

bool InputInternalTakeKeyboardLoss() {
    std::lock_guard<std::mutex> hold(World().lock);
    bool lost = World().loseKeyboard;
    World().loseKeyboard = false;
    return lost;
}

void InputInternalSetKeyboardEvent(HANDLE event) {
    std::lock_guard<std::mutex> hold(World().lock);
    World().keyboardEvent = event;
}

void InputInternalCount(int which) {
    std::lock_guard<std::mutex> hold(World().lock);
    switch (which) {
    case INPUT_COUNT_KEYBOARD_ACQUIRE: ++World().counts.keyboardAcquires; break;
    case INPUT_COUNT_KEYBOARD_READ: ++World().counts.keyboardStateReads; break;
    case INPUT_COUNT_PAD_ACQUIRE: ++World().counts.padAcquires; break;
    case INPUT_COUNT_PAD_UNACQUIRE: ++World().counts.padUnacquires; break;
    }
}

void InputInternalEffect(int pad, int kind, const char *action, DWORD gain) {
    PLATFORM_RUMBLE_SINK sink;
    {
        std::lock_guard<std::mutex> hold(World().lock);
        World().effects.push_back({pad, kind, action, gain});
        sink = World().rumble;
    }
    if (sink && (std::strcmp(action, "start") == 0 || std::strcmp(action, "stop") == 0))
        sink(pad, kind, std::strcmp(action, "start") == 0, gain);
}
