// USER32's keyboard state and WINMM's joystick functions over the virtual devices.
#include "platform/dinput/dinput.h"
#include "platform/dinput/devices.h"
#include "platform/dinput/internal.h"

#include <cstdio>
#include <cstring>

namespace {

// Key code to virtual key, for the keys a keyboard state reports.
struct KeyPair {
    BYTE dik;
    BYTE vk;
};
const KeyPair kKeyPairs[] = {
    {0x01, 0x1B}, {0x02, '1'}, {0x03, '2'}, {0x04, '3'}, {0x05, '4'}, {0x06, '5'}, {0x07, '6'},
    {0x08, '7'}, {0x09, '8'}, {0x0A, '9'}, {0x0B, '0'}, {0x0C, 0xBD}, {0x0D, 0xBB}, {0x0E, 0x08},
    {0x0F, 0x09}, {0x10, 'Q'}, {0x11, 'W'}, {0x12, 'E'}, {0x13, 'R'}, {0x14, 'T'}, {0x15, 'Y'},
    {0x16, 'U'}, {0x17, 'I'}, {0x18, 'O'}, {0x19, 'P'}, {0x1A, 0xDB}, {0x1B, 0xDD}, {0x1C, 0x0D},
    {0x1D, 0xA2}, {0x1E, 'A'}, {0x1F, 'S'}, {0x20, 'D'}, {0x21, 'F'}, {0x22, 'G'}, {0x23, 'H'},
    {0x24, 'J'}, {0x25, 'K'}, {0x26, 'L'}, {0x27, 0xBA}, {0x28, 0xDE}, {0x29, 0xC0}, {0x2A, 0xA0},
    {0x2B, 0xDC}, {0x2C, 'Z'}, {0x2D, 'X'}, {0x2E, 'C'}, {0x2F, 'V'}, {0x30, 'B'}, {0x31, 'N'},
    {0x32, 'M'}, {0x33, 0xBC}, {0x34, 0xBE}, {0x35, 0xBF}, {0x36, 0xA1}, {0x37, 0x6A}, {0x38, 0xA4},
    {0x39, 0x20}, {0x3A, 0x14}, {0x3B, 0x70}, {0x3C, 0x71}, {0x3D, 0x72}, {0x3E, 0x73}, {0x3F, 0x74},
    {0x40, 0x75}, {0x41, 0x76}, {0x42, 0x77}, {0x43, 0x78}, {0x44, 0x79}, {0x45, 0x90}, {0x46, 0x91},
    {0x47, 0x67}, {0x48, 0x68}, {0x49, 0x69}, {0x4A, 0x6D}, {0x4B, 0x64}, {0x4C, 0x65}, {0x4D, 0x66},
    {0x4E, 0x6B}, {0x4F, 0x61}, {0x50, 0x62}, {0x51, 0x63}, {0x52, 0x60}, {0x53, 0x6E}, {0x57, 0x7A},
    {0x58, 0x7B}, {0x9D, 0xA3}, {0xB5, 0x6F}, {0xB8, 0xA5}, {0xC7, 0x24}, {0xC8, 0x26}, {0xC9, 0x21},
    {0xCB, 0x25}, {0xCD, 0x27}, {0xCF, 0x23}, {0xD0, 0x28}, {0xD1, 0x22}, {0xD2, 0x2D}, {0xD3, 0x2E},
};

void BuildVirtualKeys(BYTE vk[256]) {
    BYTE dik[256];
    InputInternalCopyKeys(dik);
    std::memset(vk, 0, 256);
    for (const KeyPair &p : kKeyPairs)
        if (dik[p.dik] & 0x80) vk[p.vk] = 0x80;
    // The side-less shift, control and menu keys follow either side.
    if (vk[0xA0] | vk[0xA1]) vk[0x10] = 0x80;
    if (vk[0xA2] | vk[0xA3]) vk[0x11] = 0x80;
    if (vk[0xA4] | vk[0xA5]) vk[0x12] = 0x80;
}

DWORD AxisToJoy(int raw) { return (DWORD)(raw + 32768); }

}  // namespace

BOOL GetKeyboardState(BYTE *keys256) {
    if (!keys256) return FALSE;
    BuildVirtualKeys(keys256);
    return TRUE;
}

SHORT GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    BYTE keys[256];
    BuildVirtualKeys(keys);
    return (keys[vk] & 0x80) ? (SHORT)0x8000 : 0;
}

UINT joyGetDevCapsA(UINT_PTR id, JOYCAPSA *caps, UINT size) {
    if (!caps || size < sizeof(JOYCAPSA) || id >= PLATFORM_MAX_PADS) return JOYERR_PARMS;
    std::string name;
    bool zr = true;
    if (!InputInternalPadInfo((int)id, &name, nullptr, &zr)) return JOYERR_UNPLUGGED;
    std::memset(caps, 0, sizeof *caps);
    std::snprintf(caps->szPname, sizeof caps->szPname, "%s", name.c_str());
    caps->wXmax = caps->wYmax = caps->wZmax = caps->wRmax = 65535;
    caps->wNumButtons = caps->wMaxButtons = 32;
    caps->wCaps = zr ? (JOYCAPS_HASZ | JOYCAPS_HASR) : 0;
    caps->wNumAxes = caps->wMaxAxes = zr ? 4 : 2;
    return JOYERR_NOERROR;
}

UINT joyGetPosEx(UINT id, JOYINFOEX *info) {
    if (!info || id >= PLATFORM_MAX_PADS) return JOYERR_PARMS;
    if (!InputInternalPadInfo((int)id, nullptr, nullptr, nullptr)) return JOYERR_UNPLUGGED;
    PLATFORM_PAD_STATE s = PlatformInputGetPad((int)id);
    info->dwXpos = AxisToJoy(s.axes[0]);
    info->dwYpos = AxisToJoy(s.axes[1]);
    info->dwZpos = AxisToJoy(s.axes[2]);
    info->dwRpos = AxisToJoy(s.axes[3]);
    info->dwUpos = info->dwVpos = 32768;
    info->dwButtons = 0;
    for (int b = 0; b < 32; ++b)
        if (s.buttons[b]) info->dwButtons |= 1u << b;
    info->dwPOV = 0xFFFF;
    return JOYERR_NOERROR;
}
