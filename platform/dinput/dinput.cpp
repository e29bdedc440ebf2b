// DirectInput objects over the virtual input devices.
#include "platform/dinput/dinput.h"

#include "platform/dinput/devices.h"
#include "platform/dinput/internal.h"
#include "platform/kernel32/kernel32.h"
#include "platform/host/key_script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

const CLSID CLSID_DirectInput = {0x25E609E0, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0}};
const CLSID CLSID_DirectInput8 = {0x25E609E4, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0}};
const IID IID_IDirectInput7A = {0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
const IID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0, 0}};
const GUID GUID_ConstantForce = {0x13541C20, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};
const GUID GUID_Square = {0x13541C22, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};

const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE)};
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 256};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), sizeof(DIJOYSTATE)};

namespace {

// Pads are named by a GUID whose first field carries the pad's number.
const uint32_t kPadGuidBase = 0x4B4C5000;

GUID PadGuid(int pad) {
    GUID g = {kPadGuidBase + (uint32_t)pad, 0x4B50, 0x4144, {'K', 'E', 'L', 'M', 'O', 'R', 'P', 'D'}};
    return g;
}

int PadFromGuid(const GUID &g) {
    GUID base = PadGuid(0);
    base.Data1 = g.Data1;
    if (!(base == g) || g.Data1 < kPadGuidBase || g.Data1 >= kPadGuidBase + PLATFORM_MAX_PADS) return -1;
    return (int)(g.Data1 - kPadGuidBase);
}

enum DeviceKind { KIND_MOUSE, KIND_KEYBOARD, KIND_PAD };

struct Effect : ComObject<IDirectInputEffect> {
    int pad;
    int kind;
    DWORD gain;
    bool running = false;
    Effect(int p, int k, DWORD g) : pad(p), kind(k), gain(g) { InputInternalEffect(pad, kind, "create", gain); }
    ~Effect() override {
        if (running) InputInternalEffect(pad, kind, "stop", gain);
        InputInternalEffect(pad, kind, "release", gain);
    }
    HRESULT Start(DWORD, DWORD) override {
        running = true;
        InputInternalEffect(pad, kind, "start", gain);
        return DI_OK;
    }
    HRESULT Stop() override {
        running = false;
        InputInternalEffect(pad, kind, "stop", gain);
        return DI_OK;
    }
    HRESULT SetParameters(const DIEFFECT *effect, DWORD) override {
        if (!effect) return DIERR_INVALIDPARAM;
        gain = effect->dwGain;
        return DI_OK;
    }
};

struct AxisSetting {
    LONG min = 0, max = 65535;
    DWORD deadZone = 0;
};

struct Device : ComObject<IDirectInputDevice8A> {
    DeviceKind kind;
    int pad;
    const DIDATAFORMAT *format = nullptr;
    bool acquired = false;
    AxisSetting axes[6];
    HANDLE event = nullptr;

    Device(DeviceKind k, int p) : kind(k), pad(p) {}
    ~Device() override {
        if (kind == KIND_KEYBOARD && event) InputInternalSetKeyboardEvent(nullptr);
    }

    HRESULT GetCapabilities(DIDEVCAPS *caps) override {
        if (!caps) return DIERR_INVALIDPARAM;
        std::memset(caps, 0, sizeof *caps);
        caps->dwSize = sizeof *caps;
        caps->dwFlags = DIDC_ATTACHED;
        if (kind == KIND_PAD) {
            bool ff = false, zr = true;
            if (!InputInternalPadInfo(pad, nullptr, &ff, &zr)) return DIERR_INPUTLOST;
            if (ff) caps->dwFlags |= DIDC_FORCEFEEDBACK;
            caps->dwDevType = DIDEVTYPE_JOYSTICK;
            caps->dwAxes = zr ? 4 : 2;
            caps->dwButtons = 32;
        }
        return DI_OK;
    }
    HRESULT SetDataFormat(const DIDATAFORMAT *f) override {
        if (!f || acquired) return DIERR_INVALIDPARAM;
        format = f;
        return DI_OK;
    }
    HRESULT SetCooperativeLevel(HWND, DWORD flags) override {
        bool exclusive = flags & DISCL_EXCLUSIVE, shared = flags & DISCL_NONEXCLUSIVE;
        bool fore = flags & DISCL_FOREGROUND, back = flags & DISCL_BACKGROUND;
        if (exclusive == shared || fore == back) return DIERR_INVALIDPARAM;
        return DI_OK;
    }
    HRESULT SetProperty(const GUID *property, const DIPROPHEADER *header) override {
        if (!header) return DIERR_INVALIDPARAM;
        if (property == DIPROP_BUFFERSIZE) return DI_OK;
        if (property != DIPROP_RANGE && property != DIPROP_DEADZONE) return DIERR_INVALIDPARAM;
        if (header->dwHow != DIPH_BYOFFSET || header->dwObj % 4 != 0 || header->dwObj / 4 >= 6)
            return DIERR_INVALIDPARAM;
        AxisSetting &axis = axes[header->dwObj / 4];
        if (property == DIPROP_RANGE) {
            auto *range = reinterpret_cast<const DIPROPRANGE *>(header);
            if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
            axis.min = range->lMin;
            axis.max = range->lMax;
        } else {
            auto *value = reinterpret_cast<const DIPROPDWORD *>(header);
            if (value->dwData > 10000) return DIERR_INVALIDPARAM;
            axis.deadZone = value->dwData;
        }
        return DI_OK;
    }
    HRESULT SetEventNotification(HANDLE e) override {
        event = e;
        if (kind == KIND_KEYBOARD) InputInternalSetKeyboardEvent(e);
        return DI_OK;
    }
    HRESULT Acquire() override {
        if (!format) return DIERR_INVALIDPARAM;
        if (kind == KIND_PAD && !InputInternalPadInfo(pad, nullptr, nullptr, nullptr)) return DIERR_INPUTLOST;
        acquired = true;
        InputInternalCount(kind == KIND_KEYBOARD ? INPUT_COUNT_KEYBOARD_ACQUIRE : INPUT_COUNT_PAD_ACQUIRE);
        return DI_OK;
    }
    HRESULT Unacquire() override {
        if (kind == KIND_PAD) InputInternalCount(INPUT_COUNT_PAD_UNACQUIRE);
        if (!acquired) return S_FALSE;
        acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override { return acquired ? DI_OK : DIERR_NOTACQUIRED; }

    // Raw -32768..32767 to the set range, with the dead zone around the centre.
    LONG MapAxis(int raw, const AxisSetting &axis) const {
        double v = std::clamp(raw / 32767.0, -1.0, 1.0);
        double dz = axis.deadZone / 10000.0;
        double mag = v < 0 ? -v : v;
        mag = mag <= dz ? 0.0 : (dz >= 1.0 ? 0.0 : (mag - dz) / (1.0 - dz));
        v = v < 0 ? -mag : mag;
        double centre = (axis.min + (double)axis.max) / 2.0, half = ((double)axis.max - axis.min) / 2.0;
        double out = centre + v * half;
        return (LONG)(out < 0 ? out - 0.5 : out + 0.5);
    }

    HRESULT GetDeviceState(DWORD size, LPVOID data) override {
        if (!data || !format || size != format->dwDataSize) return DIERR_INVALIDPARAM;
        if (!acquired) return DIERR_NOTACQUIRED;
        switch (kind) {
        case KIND_KEYBOARD:
            if (InputInternalTakeKeyboardLoss()) {
                acquired = false;
                return DIERR_INPUTLOST;
            }
            InputInternalCount(INPUT_COUNT_KEYBOARD_READ);
            PlatformKeyScriptStep();
            InputInternalCopyKeys(static_cast<BYTE *>(data));
            return DI_OK;
        case KIND_MOUSE:
            std::memset(data, 0, size);
            return DI_OK;
        case KIND_PAD: {
            if (!InputInternalPadInfo(pad, nullptr, nullptr, nullptr)) return DIERR_INPUTLOST;
            PLATFORM_PAD_STATE s = PlatformInputGetPad(pad);
            DIJOYSTATE js{};
            js.lX = MapAxis(s.axes[0], axes[0]);
            js.lY = MapAxis(s.axes[1], axes[1]);
            js.lZ = MapAxis(s.axes[2], axes[2]);
            js.lRz = MapAxis(s.axes[3], axes[5]);
            js.lRx = MapAxis(0, axes[3]);
            js.lRy = MapAxis(0, axes[4]);
            for (int i = 0; i < 4; ++i) js.rgdwPOV[i] = 0xFFFFFFFFu;
            for (int b = 0; b < 32; ++b) js.rgbButtons[b] = s.buttons[b] ? 0x80 : 0;
            std::memcpy(data, &js, sizeof js);
            return DI_OK;
        }
        }
        return DIERR_INVALIDPARAM;
    }

    HRESULT CreateEffect(REFGUID effectKind, const DIEFFECT *effect, IDirectInputEffect **out, LPUNKNOWN) override {
        if (!out) return DIERR_INVALIDPARAM;
        *out = nullptr;
        bool ff = false;
        if (kind != KIND_PAD || !InputInternalPadInfo(pad, nullptr, &ff, nullptr) || !ff)
            return DIERR_DEVICENOTREG;
        int k;
        if (effectKind == GUID_ConstantForce) k = 0;
        else if (effectKind == GUID_Square) k = 1;
        else return DIERR_DEVICENOTREG;
        *out = new Effect(pad, k, effect ? effect->dwGain : DI_FFNOMINALMAX);
        return DI_OK;
    }
};

struct DirectInput : ComObject<IDirectInput8A> {
    int version;
    bool initialised = false;
    explicit DirectInput(int v) : version(v) {}

    HRESULT Initialize(HINSTANCE, DWORD v) override {
        if ((version == 7 && v != DIRECTINPUT_VERSION_7) || (version == 8 && v != DIRECTINPUT_VERSION_8))
            return DIERR_INVALIDPARAM;
        if (InputInternalFactoryFails(version)) return E_FAIL;
        initialised = true;
        return DI_OK;
    }
    HRESULT CreateDevice(REFGUID guid, IDirectInputDevice8A **out, LPUNKNOWN) override {
        if (!out) return DIERR_INVALIDPARAM;
        *out = nullptr;
        if (!initialised) return DIERR_NOTACQUIRED;
        if (guid == GUID_SysMouse) *out = new Device(KIND_MOUSE, -1);
        else if (guid == GUID_SysKeyboard) *out = new Device(KIND_KEYBOARD, -1);
        else {
            int pad = PadFromGuid(guid);
            if (pad < 0 || !InputInternalPadInfo(pad, nullptr, nullptr, nullptr)) return DIERR_DEVICENOTREG;
            *out = new Device(KIND_PAD, pad);
        }
        return DI_OK;
    }
    HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD) override {
        if (!callback) return DIERR_INVALIDPARAM;
        if (!initialised) return DIERR_NOTACQUIRED;
        bool wantPads = (version == 8 && devType == DI8DEVCLASS_GAMECTRL) ||
                        (version == 7 && devType == DIDEVTYPE_JOYSTICK);
        if (!wantPads) return DI_OK;
        for (int pad = 0; pad < PLATFORM_MAX_PADS; ++pad) {
            std::string name;
            if (!InputInternalPadInfo(pad, &name, nullptr, nullptr)) break;
            DIDEVICEINSTANCEA instance{};
            instance.dwSize = sizeof instance;
            instance.guidInstance = PadGuid(pad);
            instance.guidProduct = PadGuid(pad);
            instance.dwDevType = DIDEVTYPE_JOYSTICK;
            std::snprintf(instance.tszInstanceName, sizeof instance.tszInstanceName, "%s %d", name.c_str(), pad + 1);
            std::snprintf(instance.tszProductName, sizeof instance.tszProductName, "%s", name.c_str());
            if (callback(&instance, context) == DIENUM_STOP) break;
        }
        return DI_OK;
    }
};

HRESULT MakeDirectInput(int version, REFIID iid, void **out) {
    if (!(iid == (version == 7 ? IID_IDirectInput7A : IID_IDirectInput8A))) return E_NOINTERFACE;
    *out = static_cast<IDirectInput8A *>(new DirectInput(version));
    return S_OK;
}

HRESULT MakeDirectInput7(REFIID iid, void **out) { return MakeDirectInput(7, iid, out); }
HRESULT MakeDirectInput8(REFIID iid, void **out) { return MakeDirectInput(8, iid, out); }

}  // namespace

void PlatformRegisterDirectInput() {
    PlatformRegisterComClass(CLSID_DirectInput, MakeDirectInput7);
    PlatformRegisterComClass(CLSID_DirectInput8, MakeDirectInput8);
}
