// The display-mode list (modes of at least 16 bits, built on first use) and the device's
// dialog-box mode.
#include "library/graphics/device.h"
#include "library/graphics/render_state.h"
#include "platform/kernel32/kernel32.h"
#include "platform/user32/user32.h"

#include <cstring>

namespace {

// Modes of at least 16 bits among indices 0 .. until the enumeration ends; with `out`, stored.
int WalkModes(DISPLAYMODE *out, int capacity) {
    int count = 0;
    DEVMODEA mode;
    for (DWORD i = 0;; ++i) {
        std::memset(&mode, 0, sizeof mode);
        mode.dmSize = 156;
        if (!EnumDisplaySettingsA(nullptr, i, &mode)) break;
        if (mode.dmBitsPerPel < 16) continue;
        if (out) {
            // The display could list more on the second walk; the block holds what the first counted.
            if (count >= capacity) break;
            out[count] = DISPLAYMODE{static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
                                     static_cast<int32_t>(mode.dmBitsPerPel),
                                     static_cast<int32_t>(mode.dmDisplayFrequency)};
        }
        ++count;
    }
    return count;
}

}  // namespace

void FreeDisplayModeList() {
    DEVICESTATE &d = g_deviceState;
    if (d.displayModes) HeapFree(GetProcessHeap(), 0, d.displayModes);
    d.displayModes = nullptr;
    d.displayModeCount = 0;
}

int BuildDisplayModeList() {
    DEVICESTATE &d = g_deviceState;
    FreeDisplayModeList();
    int count = WalkModes(nullptr, 0);
    if (count == 0) return 0;
    d.displayModes = static_cast<DISPLAYMODE *>(HeapAlloc(GetProcessHeap(), 0, sizeof(DISPLAYMODE) * count));
    if (!d.displayModes) return 0;
    d.displayModeCount = WalkModes(d.displayModes, count);
    return d.displayModeCount;
}

int CountDisplayModes() {
    if (!g_deviceState.displayModes) BuildDisplayModeList();
    return g_deviceState.displayModeCount;
}

DISPLAYMODE *QueryDisplayMode(DISPLAYMODE *out, int index) {
    if (!g_deviceState.displayModes) BuildDisplayModeList();
    if (index < 0 || index >= g_deviceState.displayModeCount)
        *out = DISPLAYMODE{-1, -1, -1, -1};
    else
        *out = g_deviceState.displayModes[index];
    return out;
}

int SetDeviceDialogBoxMode(int mode) {
    IDirect3DDevice9 *device = g_deviceState.device;
    if (!device) return 0;
    if (g_deviceState.direct3D && g_renderState.inScene) {
        device->EndScene();
        g_renderState.inScene = 0;
    }
    device->SetDialogBoxMode(mode ? TRUE : FALSE);
    return 0;
}

int ResetDialogBoxMode(int flag) {
    IDirect3DDevice9 *device = g_deviceState.device;
    if (!g_screenSetup.direct3D || !device) return 0;
    device->SetDialogBoxMode(FALSE);
    if (flag) device->SetDialogBoxMode(TRUE);
    return 0;
}
