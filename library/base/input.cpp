// Input devices: the keyboard state, the joypads with their force-feedback
// effects, and the keyboard layouts merged into a pad's bits.
#include "library/base/input.h"

#include "library/base/library.h"
#include "library/base/log.h"
#include "library/base/pump.h"
#include "library/base/timer.h"
#include "library/base/window.h"
#include "platform/dinput/dinput.h"
#include "platform/kernel32/kernel32.h"

#include <cstdio>
#include <cstring>

namespace {

enum { EFFECT_CONSTANT, EFFECT_SQUARE };

struct JOYPAD {
    IDirectInputDevice8A *device;
    IDirectInputEffect *effects[2];
    int effectPlaying[2];
    int hasForceFeedback;
    int hasZAndR;             // joystick-functions mode
    int axes[4];              // X, Y, Z, Rz in -1,000..1,000
    unsigned char buttons[24];
    int power;                // 0..10,000
    int timeLimit;            // ms, -1 for none
    int elapsed;
    int lastTime;
};

struct INPUTSTATE {
    IDirectInput8A *directInput;
    int joystickMode;         // neither DirectInput version could be created
    int version;
    int started;
    int failedBefore;         // survives a restart
    int keyboardOff;          // a setting no operation of this program turns on
    IDirectInputDevice8A *mouse;
    IDirectInputDevice8A *keyboard;
    HANDLE keyboardEvent;
    int lastKeyboardRead;
    int keyboardReadOnce;
    unsigned char keys[256];
    int layouts[MAX_JOYPADS][32][4];
    int padCount;
    JOYPAD pads[MAX_JOYPADS];
};

INPUTSTATE g_input;

// Pad 1's keyboard layout: result bit -> key codes.
const struct {
    int bit;
    int codes[2];
} kPadOneLayout[] = {
    {0, {0x50, 0xD0}}, {1, {0x4B, 0xCB}}, {2, {0x4D, 0xCD}}, {3, {0x48, 0xC8}},
    {4, {0x2C, -1}},   {5, {0x2D, -1}},   {6, {0x2E, -1}},   {7, {0x1E, -1}},
    {8, {0x1F, -1}},   {9, {0x20, -1}},   {10, {0x10, -1}},  {11, {0x11, -1}},
    {12, {0x01, -1}},  {13, {0x39, -1}},
};

// Virtual key -> key code, for the keyboard state of joystick-functions mode.
struct VirtualKeyTable {
    unsigned char code[256] = {};
    constexpr VirtualKeyTable() {
        const char *rowQ = "QWERTYUIOP", *rowA = "ASDFGHJKL", *rowZ = "ZXCVBNM";
        for (int i = 0; rowQ[i]; ++i) code[(unsigned char)rowQ[i]] = 0x10 + i;
        for (int i = 0; rowA[i]; ++i) code[(unsigned char)rowA[i]] = 0x1E + i;
        for (int i = 0; rowZ[i]; ++i) code[(unsigned char)rowZ[i]] = 0x2C + i;
        for (int i = 1; i <= 9; ++i) code['0' + i] = 0x01 + i;
        code['0'] = 0x0B;
        for (int i = 0; i < 10; ++i) code[0x70 + i] = 0x3B + i;  // F1..F10
        code[0x7A] = 0x57, code[0x7B] = 0x58;                     // F11, F12
        code[0x1B] = 0x01, code[0x08] = 0x0E, code[0x09] = 0x0F, code[0x0D] = 0x1C;
        code[0x20] = 0x39, code[0x14] = 0x3A;
        code[0xA0] = 0x2A, code[0xA1] = 0x36, code[0xA2] = 0x1D, code[0xA3] = 0x9D;
        code[0xA4] = 0x38, code[0xA5] = 0xB8;
        code[0xBD] = 0x0C, code[0xBB] = 0x0D, code[0xDB] = 0x1A, code[0xDD] = 0x1B;
        code[0xBA] = 0x27, code[0xDE] = 0x28, code[0xC0] = 0x29, code[0xDC] = 0x2B;
        code[0xBC] = 0x33, code[0xBE] = 0x34, code[0xBF] = 0x35;
        code[0x60] = 0x52, code[0x61] = 0x4F, code[0x62] = 0x50, code[0x63] = 0x51;
        code[0x64] = 0x4B, code[0x65] = 0x4C, code[0x66] = 0x4D, code[0x67] = 0x47;
        code[0x68] = 0x48, code[0x69] = 0x49, code[0x6A] = 0x37, code[0x6B] = 0x4E;
        code[0x6D] = 0x4A, code[0x6E] = 0x53, code[0x6F] = 0xB5;
        code[0x90] = 0x45, code[0x91] = 0x46;
        code[0x21] = 0xC9, code[0x22] = 0xD1, code[0x23] = 0xCF, code[0x24] = 0xC7;
        code[0x25] = 0xCB, code[0x26] = 0xC8, code[0x27] = 0xCD, code[0x28] = 0xD0;
        code[0x2D] = 0xD2, code[0x2E] = 0xD3;
    }
};
constexpr VirtualKeyTable kVirtualKeys;

template <class T>
void ReleaseCom(T *&object) {
    if (object) object->Release();
    object = nullptr;
}

void FillLayouts() {
    for (auto &pad : g_input.layouts)
        for (auto &entry : pad)
            for (int &code : entry) code = -1;
    for (const auto &row : kPadOneLayout) {
        g_input.layouts[0][row.bit][0] = row.codes[0];
        g_input.layouts[0][row.bit][1] = row.codes[1];
    }
}

void ReleaseJoypads() {
    for (int i = 0; i < g_input.padCount; ++i) {
        JOYPAD &pad = g_input.pads[i];
        for (int e = 0; e < 2; ++e) {
            if (pad.effects[e] && pad.effectPlaying[e]) pad.effects[e]->Stop();
            ReleaseCom(pad.effects[e]);
        }
        if (pad.device) pad.device->Unacquire();
        ReleaseCom(pad.device);
    }
    std::memset(g_input.pads, 0, sizeof g_input.pads);
    g_input.padCount = 0;
}

IDirectInputEffect *CreatePadEffect(IDirectInputDevice8A *device, const GUID &kind) {
    DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
    LONG direction[2] = {0, 0};
    DICONSTANTFORCE constant = {DI_FFNOMINALMAX};
    DIPERIODIC periodic = {DI_FFNOMINALMAX, 0, 0, 100000};
    DIEFFECT effect{};
    effect.dwSize = sizeof effect;
    effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
    effect.dwDuration = INFINITE_DURATION;
    effect.dwGain = DI_FFNOMINALMAX;
    effect.dwTriggerButton = DIEB_NOTRIGGER;
    effect.cAxes = 2;
    effect.rgdwAxes = axes;
    effect.rglDirection = direction;
    if (kind == GUID_ConstantForce) {
        effect.cbTypeSpecificParams = sizeof constant;
        effect.lpvTypeSpecificParams = &constant;
    } else {
        effect.cbTypeSpecificParams = sizeof periodic;
        effect.lpvTypeSpecificParams = &periodic;
    }
    IDirectInputEffect *out = nullptr;
    if (FAILED(device->CreateEffect(kind, &effect, &out, nullptr))) return nullptr;
    return out;
}

int SetAxisProperties(IDirectInputDevice8A *device) {
    const DWORD offsets[4] = {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RZ};
    for (DWORD offset : offsets) {
        DIPROPRANGE range{};
        range.diph = {sizeof range, sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET};
        range.lMin = -1000;
        range.lMax = 1000;
        if (FAILED(device->SetProperty(DIPROP_RANGE, &range.diph))) return -1;
        DIPROPDWORD dead{};
        dead.diph = {sizeof dead, sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET};
        dead.dwData = 2500;
        if (FAILED(device->SetProperty(DIPROP_DEADZONE, &dead.diph))) return -1;
    }
    return 0;
}

BOOL EnumJoypadCallback(const DIDEVICEINSTANCEA *instance, LPVOID) {
    if (g_input.padCount >= MAX_JOYPADS) return DIENUM_STOP;
    IDirectInputDevice8A *device = nullptr;
    if (FAILED(g_input.directInput->CreateDevice(instance->guidInstance, &device, nullptr))) {
        WriteLog("ジョイパッドデバイスの作成に失敗しました\n");
        return DIENUM_CONTINUE;
    }
    WriteLogFmt("ジョイパッド %d : %s ( %s )", g_input.padCount + 1, instance->tszInstanceName,
                instance->tszProductName);
    if (FAILED(device->SetDataFormat(&c_dfDIJoystick)) ||
        FAILED(device->SetCooperativeLevel(GetMainWindow(), DISCL_EXCLUSIVE | DISCL_FOREGROUND)) ||
        SetAxisProperties(device) != 0) {
        WriteLog("ジョイパッドの設定に失敗しました\n");
        device->Release();
        return DIENUM_CONTINUE;
    }
    JOYPAD &pad = g_input.pads[g_input.padCount];
    std::memset(&pad, 0, sizeof pad);
    pad.device = device;
    pad.timeLimit = -1;
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    if (SUCCEEDED(device->GetCapabilities(&caps)) && (caps.dwFlags & DIDC_FORCEFEEDBACK)) {
        pad.effects[EFFECT_CONSTANT] = CreatePadEffect(device, GUID_ConstantForce);
        pad.effects[EFFECT_SQUARE] = CreatePadEffect(device, GUID_Square);
        pad.hasForceFeedback = pad.effects[EFFECT_CONSTANT] != nullptr;
    }
    device->Acquire();
    ++g_input.padCount;
    return g_input.padCount >= MAX_JOYPADS ? DIENUM_STOP : DIENUM_CONTINUE;
}

}  // namespace

// Raw joystick position 0..65,535 to -1,000..1,000 with the dead zone.
int MapJoystickAxis(unsigned raw) {
    if (raw == 0) return -1000;
    if (raw == 32767) return 0;
    if (raw >= 65535) return 1000;
    long long r = raw;
    if (r >= 24576 && r <= 40960) return 0;
    if (r < 24576) return (int)((r * 1000 - 24576000) / 24576);
    return (int)((r * 1000 - 40960000) / 24576);
}

namespace {

void PollPad(int index) {
    JOYPAD &pad = g_input.pads[index];
    if (g_input.joystickMode) {
        JOYINFOEX info{};
        info.dwSize = sizeof info;
        info.dwFlags = JOY_RETURNALL;
        if (joyGetPosEx((UINT)index, &info) != JOYERR_NOERROR) {
            std::memset(pad.axes, 0, sizeof pad.axes);
            std::memset(pad.buttons, 0, sizeof pad.buttons);
            return;
        }
        pad.axes[0] = MapJoystickAxis(info.dwXpos);
        pad.axes[1] = MapJoystickAxis(info.dwYpos);
        pad.axes[2] = pad.hasZAndR ? MapJoystickAxis(info.dwZpos) : 0;
        pad.axes[3] = pad.hasZAndR ? MapJoystickAxis(info.dwRpos) : 0;
        for (int b = 0; b < 24; ++b) pad.buttons[b] = (info.dwButtons >> b) & 1 ? 0x80 : 0;
        return;
    }
    if (!pad.device) return;
    DIJOYSTATE js{};
    pad.device->Poll();
    if (FAILED(pad.device->GetDeviceState(sizeof js, &js))) {
        pad.device->Acquire();
        pad.device->Poll();
        if (FAILED(pad.device->GetDeviceState(sizeof js, &js))) return;
    }
    pad.axes[0] = js.lX;
    pad.axes[1] = js.lY;
    pad.axes[2] = js.lZ;
    pad.axes[3] = js.lRz;
    std::memcpy(pad.buttons, js.rgbButtons, sizeof pad.buttons);
}

void RefreshKeyboard() {
    int now = GetMillisecondCount();
    bool useDevice = !g_input.joystickMode && g_input.keyboard;
    if (useDevice) {
        bool signalled = g_input.keyboardEvent && WaitForSingleObject(g_input.keyboardEvent, 0) == WAIT_OBJECT_0;
        if (g_input.keyboardReadOnce && now == g_input.lastKeyboardRead && !signalled) return;
        if (FAILED(g_input.keyboard->GetDeviceState(256, g_input.keys))) {
            g_input.keyboard->Acquire();
            if (FAILED(g_input.keyboard->GetDeviceState(256, g_input.keys)))
                std::memset(g_input.keys, 0, sizeof g_input.keys);
        }
        if (g_input.keyboardEvent) ResetEvent(g_input.keyboardEvent);
        BYTE platformKeys[256];
        if (GetKeyboardState(platformKeys)) g_input.keys[54] = (platformKeys[VK_RSHIFT] & 0x80) ? 0x80 : 0;
    } else {
        if (g_input.keyboardReadOnce && now == g_input.lastKeyboardRead) return;
        BYTE platformKeys[256];
        std::memset(g_input.keys, 0, sizeof g_input.keys);
        if (GetKeyboardState(platformKeys))
            for (int vk = 0; vk < 256; ++vk)
                if ((platformKeys[vk] & 0x80) && kVirtualKeys.code[vk]) g_input.keys[kVirtualKeys.code[vk]] = 0x80;
    }
    g_input.lastKeyboardRead = now;
    g_input.keyboardReadOnce = 1;
}

// Queries before start-up start input first, as long as the library is not running.
void EnsureStarted() {
    if (!g_input.started && !g_library.initialised) StartDirectInput();
}

void SetEffectPlaying(JOYPAD &pad, int which, int play) {
    if (!pad.effects[which] || pad.effectPlaying[which] == play) return;
    if (play) pad.effects[which]->Start(1, 0);
    else pad.effects[which]->Stop();
    pad.effectPlaying[which] = play;
}

}  // namespace

int StartDirectInput() {
    int failedBefore = g_input.failedBefore;
    std::memset(&g_input, 0, sizeof g_input);
    g_input.failedBefore = failedBefore;

    if (!g_input.failedBefore) {
        WriteLog("DirectInput7 の初期化... ");
        void *object = nullptr;
        HINSTANCE instance = (HINSTANCE)GetModuleHandleA(nullptr);
        if (SUCCEEDED(CoCreateInstance(CLSID_DirectInput, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput7A, &object)) &&
            SUCCEEDED(static_cast<IDirectInput8A *>(object)->Initialize(instance, DIRECTINPUT_VERSION_7))) {
            g_input.directInput = static_cast<IDirectInput8A *>(object);
            g_input.version = 7;
            WriteLog("成功しました\n");
        } else {
            if (object) static_cast<IDirectInput8A *>(object)->Release();
            object = nullptr;
            WriteLog("失敗しました\nDirectInput8 の初期化... ");
            if (SUCCEEDED(CoCreateInstance(CLSID_DirectInput8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInput8A, &object)) &&
                SUCCEEDED(static_cast<IDirectInput8A *>(object)->Initialize(instance, DIRECTINPUT_VERSION_8))) {
                g_input.directInput = static_cast<IDirectInput8A *>(object);
                g_input.version = 8;
                WriteLog("成功しました\n");
            } else {
                if (object) static_cast<IDirectInput8A *>(object)->Release();
                g_input.failedBefore = 1;
                WriteLog("失敗しました\n");
            }
        }
    }

    if (g_input.directInput) {
        BringWindowToFront(GetMainWindow(), 0);
        SetupJoypads();
        HWND window = GetMainWindow();
        if (FAILED(g_input.directInput->CreateDevice(GUID_SysMouse, &g_input.mouse, nullptr)))
            ExitWithError("マウスデバイスの作成に失敗しました");
        if (FAILED(g_input.mouse->SetDataFormat(&c_dfDIMouse)))
            ExitWithError("マウスデバイスのデータ形式の設定に失敗しました");
        if (FAILED(g_input.mouse->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)))
            ExitWithError("マウスデバイスの協調レベルの設定に失敗しました");
        if (!g_input.keyboardOff) {
            if (FAILED(g_input.directInput->CreateDevice(GUID_SysKeyboard, &g_input.keyboard, nullptr)))
                ExitWithError("キーボードデバイスの作成に失敗しました");
            if (FAILED(g_input.keyboard->SetDataFormat(&c_dfDIKeyboard)))
                ExitWithError("キーボードデバイスのデータ形式の設定に失敗しました");
            if (FAILED(g_input.keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)))
                ExitWithError("キーボードデバイスの協調レベルの設定に失敗しました");
            DIPROPDWORD buffer{};
            buffer.diph = {sizeof buffer, sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
            buffer.dwData = 100;
            if (FAILED(g_input.keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph)))
                ExitWithError("キーボードデバイスのバッファサイズの設定に失敗しました");
            g_input.keyboardEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            if (!g_input.keyboardEvent || FAILED(g_input.keyboard->SetEventNotification(g_input.keyboardEvent)))
                ExitWithError("キーボードデバイスのイベントの設定に失敗しました");
            if (FAILED(g_input.keyboard->Acquire()) && FAILED(g_input.keyboard->Acquire()))
                ExitWithError("キーボードデバイスの取得に失敗しました");
            g_input.lastKeyboardRead = GetMillisecondCount();
        }
    } else {
        g_input.joystickMode = 1;
        int found = 0;
        for (; found < MAX_JOYPADS; ++found) {
            JOYCAPSA caps{};
            if (joyGetDevCapsA((UINT_PTR)found, &caps, sizeof caps) != JOYERR_NOERROR) break;
            g_input.pads[found].hasZAndR = (caps.wCaps & JOYCAPS_HASZ) && (caps.wCaps & JOYCAPS_HASR);
        }
        WriteLogFmt("ジョイスティック関数を使用します ジョイパッドの数 : %d", found);
        for (int i = 0; i < MAX_JOYPADS; ++i) g_input.pads[i].timeLimit = -1;
        g_input.padCount = MAX_JOYPADS;
    }
    FillLayouts();
    g_input.started = 1;
    return 0;
}

int ShutdownDirectInput() {
    if (!g_input.started) return 0;
    if (!g_input.joystickMode) {
        ReleaseJoypads();
        if (g_input.keyboard) g_input.keyboard->Unacquire();
        ReleaseCom(g_input.keyboard);
        if (g_input.mouse) g_input.mouse->Unacquire();
        ReleaseCom(g_input.mouse);
        if (g_input.keyboardEvent) CloseHandle(g_input.keyboardEvent);
        g_input.keyboardEvent = nullptr;
        ReleaseCom(g_input.directInput);
    }
    g_input.joystickMode = 0;
    g_input.padCount = 0;
    g_input.started = 0;
    return 0;
}

int SetupJoypads() {
    if (!g_input.directInput) return -1;
    ReleaseJoypads();
    WriteLog("ジョイパッドの列挙を開始します\n");
    RaiseLogIndent();
    g_input.directInput->EnumDevices(g_input.version == 8 ? DI8DEVCLASS_GAMECTRL : DIDEVTYPE_JOYSTICK,
                                     EnumJoypadCallback, nullptr, DIEDFL_ATTACHEDONLY);
    LowerLogIndent();
    WriteLog("ジョイパッドの列挙を終了しました\n");
    return 0;
}

int GetAllKeyStates(char *states) {
    EnsureStarted();
    WaitWhileInactive();
    RefreshKeyboard();
    for (int k = 0; k < 256; ++k) states[k] = (g_input.keys[k] & 0x80) ? 1 : 0;
    return 0;
}

int GetKeyState(int keyCode) {
    EnsureStarted();
    WaitWhileInactive();
    RefreshKeyboard();
    if (keyCode < 0 || keyCode > 255) return 0;
    return (g_input.keys[keyCode] & 0x80) ? 1 : 0;
}

int GetJoypadCount() {
    EnsureStarted();
    return g_input.padCount;
}

int GetPadInputBits(int padAndFlags) {
    EnsureStarted();
    WaitWhileInactive();
    int pad = padAndFlags & ~PAD_KEYBOARD_LAYOUT;
    int withKeyboard = (padAndFlags & PAD_KEYBOARD_LAYOUT) != 0;
    if (!withKeyboard && g_input.padCount != 0 && (pad < 1 || pad > g_input.padCount)) return 0;

    int bits = 0;
    if (pad >= 1 && pad <= g_input.padCount) {
        PollPad(pad - 1);
        const JOYPAD &state = g_input.pads[pad - 1];
        if (state.axes[0] < 0) bits |= 1 << 1;
        if (state.axes[0] > 0) bits |= 1 << 2;
        if (state.axes[1] < 0) bits |= 1 << 3;
        if (state.axes[1] > 0) bits |= 1 << 0;
        for (int b = 0; b < 24; ++b)
            if (state.buttons[b] & 0x80) bits |= 1 << (4 + b);
    }
    if (withKeyboard && pad >= 0 && pad <= MAX_JOYPADS) {
        RefreshKeyboard();
        const int (*layout)[4] = g_input.layouts[pad == 0 ? 0 : pad - 1];
        for (int bit = 0; bit < 32; ++bit)
            for (int code : layout[bit])
                if (code >= 0 && code < 256 && (g_input.keys[code] & 0x80)) {
                    bits |= (int)(1u << bit);
                    break;
                }
    }
    return bits;
}

int RefreshInputDeviceAcquireState() {
    if (!g_input.started || g_input.joystickMode) return 0;
    DWORD level = IsWindowMode() ? (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) : (DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    for (int i = 0; i < g_input.padCount; ++i) {
        JOYPAD &pad = g_input.pads[i];
        if (!pad.device) continue;
        pad.device->Unacquire();
        pad.device->SetCooperativeLevel(GetMainWindow(), level);
        pad.device->Acquire();
    }
    if (g_input.keyboard) {
        g_input.keyboard->Unacquire();
        g_input.keyboard->Acquire();
    }
    return 0;
}

int RefreshEffectPlayState() {
    if (!g_input.started || g_input.joystickMode) return 0;
    int active = IsWindowActive();
    for (int i = 0; i < g_input.padCount; ++i) {
        JOYPAD &pad = g_input.pads[i];
        if (!pad.hasForceFeedback) continue;
        int vibrating = active && pad.power > 0;
        SetEffectPlaying(pad, EFFECT_CONSTANT, vibrating);
        SetEffectPlaying(pad, EFFECT_SQUARE, vibrating && pad.power > 5000);
    }
    return 0;
}

int JoypadEffectProcess() {
    if (!g_input.started || g_input.joystickMode) return 0;
    int now = GetMillisecondCount();
    for (int i = 0; i < g_input.padCount; ++i) {
        JOYPAD &pad = g_input.pads[i];
        if (!pad.hasForceFeedback || pad.power <= 0 || pad.timeLimit < 0) continue;
        pad.elapsed += static_cast<int>(ElapsedMs(pad.lastTime, now));
        pad.lastTime = now;
        if (pad.elapsed >= pad.timeLimit) {
            pad.power = 0;
            pad.timeLimit = -1;
            RefreshEffectPlayState();
        }
    }
    return 0;
}

int StartJoypadVibration(int pad, int power, int timeMs) {
    EnsureStarted();
    if (pad < 1 || pad > g_input.padCount || !g_input.pads[pad - 1].hasForceFeedback) return -1;
    JOYPAD &state = g_input.pads[pad - 1];
    state.power = power < 0 ? 0 : (power > 10000 ? 10000 : power);
    state.timeLimit = timeMs < 0 ? -1 : timeMs;
    state.elapsed = 0;
    state.lastTime = GetMillisecondCount();
    RefreshEffectPlayState();
    return 0;
}

int StopJoypadVibration(int pad) {
    if (pad < 1 || pad > g_input.padCount || !g_input.pads[pad - 1].hasForceFeedback) return -1;
    g_input.pads[pad - 1].power = 0;
    g_input.pads[pad - 1].timeLimit = -1;
    RefreshEffectPlayState();
    return 0;
}
