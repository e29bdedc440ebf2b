// Cursor, system metrics, the virtual desktop and display mode, painting and message boxes.
#include "platform/gdi32/gdi32.h"
#include "platform/host/host.h"
#include "platform/kernel32/codepage.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"
#include "platform/user32/internal.h"

#include <cerrno>
#include <iterator>
#include <cstring>

namespace wm {

void EnsureDesktop() {
    Lock lock(S().mu);
    if (S().desktopKnown) return;
    host::Current().Desktop(&S().desktopWidth, &S().desktopHeight, &S().desktopDepth);
    S().modeWidth = S().desktopWidth;
    S().modeHeight = S().desktopHeight;
    S().modeDepth = S().desktopDepth;
    S().desktopKnown = true;
}

std::string Utf8FromSjis(const char *text) {
    if (!text) return std::string();
    std::string out;
    return PlatformConvertText("UTF-8", "CP932", text, &out, true) ? out : std::string(text);
}

static void UpdateHostCursor() {
    bool shown;
    {
        Lock lock(S().mu);
        shown = S().cursorCount >= 0 && S().cursor != nullptr;
        if (shown == S().hostCursorShown) return;
        S().hostCursorShown = shown;
    }
    host::Current().SetCursorVisible(shown);
}


// Both message boxes: a test's answer when one is waiting, else the host's box.
static int ShowBox(const std::string &recordText, const std::string &recordCaption,
                   const std::string &utf8Text, const std::string &utf8Caption, UINT type) {
    int answer = 0;
    bool scripted = false;
    {
        Lock lock(S().mu);
        if (!S().messageBoxAnswers.empty()) {
            answer = S().messageBoxAnswers.front();
            S().messageBoxAnswers.pop_front();
            scripted = true;
        }
    }
    if (!scripted) answer = host::Current().MessageBox(utf8Text.c_str(), utf8Caption.c_str(), type);
    Lock lock(S().mu);
    S().messageBoxes.push_back(MessageBoxRecord{recordText, recordCaption, type, answer});
    return answer;
}

}  // namespace wm

using namespace wm;

int ShowCursor(BOOL show) {
    int count;
    {
        Lock lock(S().mu);
        count = show ? ++S().cursorCount : --S().cursorCount;
    }
    UpdateHostCursor();
    return count;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old;
    {
        Lock lock(S().mu);
        old = S().cursor;
        S().cursor = cursor;
    }
    UpdateHostCursor();
    return old;
}

BOOL GetCursorPos(POINT *point) {
    if (!point) return FALSE;
    Lock lock(S().mu);
    *point = S().cursorPos;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    Lock lock(S().mu);
    S().cursorPos = POINT{x, y};
    return TRUE;
}

int GetSystemMetrics(int index) {
    EnsureDesktop();
    Lock lock(S().mu);
    switch (index) {
    case SM_CXSCREEN: return S().modeWidth;
    case SM_CYSCREEN: return S().modeHeight;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    default: return 0;
    }
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni) {
    Lock lock(S().mu);
    Record("SystemParametersInfoA " + std::to_string(action) + " " + std::to_string(uiParam) + " " + std::to_string(winIni));
    switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
        if (!pvParam) return FALSE;
        *static_cast<BOOL *>(pvParam) = S().screenSaverActive;
        return TRUE;
    case SPI_SETSCREENSAVEACTIVE: S().screenSaverActive = uiParam ? TRUE : FALSE; return TRUE;
    case SPI_GETFOREGROUNDLOCKTIMEOUT:
        if (!pvParam) return FALSE;
        *static_cast<DWORD *>(pvParam) = S().foregroundLockTimeout;
        return TRUE;
    case SPI_SETFOREGROUNDLOCKTIMEOUT:
        // The value travels in the pointer argument.
        S().foregroundLockTimeout = static_cast<UINT>(reinterpret_cast<uintptr_t>(pvParam));
        return TRUE;
    default: return FALSE;
    }
}

namespace {

struct ListedMode {
    int width, height, bits;
};
// What the virtual display offers besides the desktop's own size; an 8-bit mode as real
// displays list them.
const ListedMode kListedModes[] = {
    {640, 480, 8},   {320, 240, 16}, {640, 480, 16},  {800, 600, 16},  {1024, 768, 16},
    {320, 240, 32},  {640, 480, 32}, {800, 600, 32},  {1024, 768, 32},
};
constexpr int kListedRate = 60;

// Under the lock: the listed modes, the desktop's size at 16 and 32 bits last unless listed.
std::vector<ListedMode> DisplayModes() {
    std::vector<ListedMode> modes(std::begin(kListedModes), std::end(kListedModes));
    for (int bits : {16, 32}) {
        bool listed = false;
        for (const ListedMode &m : kListedModes)
            listed |= m.width == S().desktopWidth && m.height == S().desktopHeight && m.bits == bits;
        if (!listed) modes.push_back({S().desktopWidth, S().desktopHeight, bits});
    }
    return modes;
}

}  // namespace

BOOL EnumDisplaySettingsA(LPCSTR, DWORD index, DEVMODEA *mode) {
    EnsureDesktop();
    if (!mode) return FALSE;
    Lock lock(S().mu);
    DEVMODEA out{};
    out.dmSize = mode->dmSize;
    out.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    out.dmDisplayFrequency = kListedRate;
    if (index == ENUM_CURRENT_SETTINGS) {
        out.dmPelsWidth = S().modeWidth, out.dmPelsHeight = S().modeHeight, out.dmBitsPerPel = S().modeDepth;
    } else {
        std::vector<ListedMode> modes = DisplayModes();
        if (index >= modes.size()) return FALSE;
        out.dmPelsWidth = modes[index].width, out.dmPelsHeight = modes[index].height;
        out.dmBitsPerPel = modes[index].bits;
    }
    *mode = out;
    return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA *mode, DWORD flags) {
    EnsureDesktop();
    int w, h, d;
    std::vector<HWND> tops;
    {
        Lock lock(S().mu);
        if (mode) {
            w = (mode->dmFields & DM_PELSWIDTH) ? static_cast<int>(mode->dmPelsWidth) : S().modeWidth;
            h = (mode->dmFields & DM_PELSHEIGHT) ? static_cast<int>(mode->dmPelsHeight) : S().modeHeight;
            d = (mode->dmFields & DM_BITSPERPEL) ? static_cast<int>(mode->dmBitsPerPel) : S().modeDepth;
            int rate = (mode->dmFields & DM_DISPLAYFREQUENCY) ? static_cast<int>(mode->dmDisplayFrequency) : 0;
            Record("ChangeDisplaySettingsA " + std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(d) +
                   " " + std::to_string(rate) + "Hz " + std::to_string(flags));
            if (S().refuseDisplayChanges > 0) {
                --S().refuseDisplayChanges;
                return DISP_CHANGE_FAILED;
            }
            bool listed = false;
            for (const ListedMode &m : DisplayModes()) listed |= m.width == w && m.height == h && m.bits == d;
            if (!listed || (rate != 0 && rate != kListedRate)) return DISP_CHANGE_BADMODE;
        } else {
            Record("ChangeDisplaySettingsA null");
            w = S().desktopWidth, h = S().desktopHeight, d = S().desktopDepth;
        }
        if (w == S().modeWidth && h == S().modeHeight && d == S().modeDepth) return DISP_CHANGE_SUCCESSFUL;
        S().modeWidth = w, S().modeHeight = h, S().modeDepth = d;
        for (auto &[id, win] : S().windows) tops.push_back(win.handle);
    }
    for (HWND hwnd : tops) SendMessageA(hwnd, WM_DISPLAYCHANGE, d, MAKELONG(w, h));
    return DISP_CHANGE_SUCCESSFUL;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT *paint) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w || !paint) return nullptr;
    *paint = PAINTSTRUCT{};
    paint->hdc = GetDC(hwnd);
    RECT c = ClientOf(*w);
    paint->rcPaint = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    paint->fErase = w->needsPaint;
    w->needsPaint = false;
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT *) { return TRUE; }

HDC GetDC(HWND hwnd) {
    // The screen has one context; a window's is its handle with the low bit set.
    if (!hwnd) return reinterpret_cast<HDC>(0x40001);
    if (!IsWindow(hwnd)) return nullptr;
    return reinterpret_cast<HDC>(reinterpret_cast<uintptr_t>(hwnd) | 1);
}

int ReleaseDC(HWND, HDC dc) { return dc ? 1 : 0; }

int FillRect(HDC dc, const RECT *rect, HBRUSH brush) {
    Record("FillRect " + std::to_string(reinterpret_cast<uintptr_t>(brush)));
    return dc && rect ? 1 : 0;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    std::string t = text ? text : "", c = caption ? caption : "";
    return ShowBox(t, c, Utf8FromSjis(t.c_str()), Utf8FromSjis(c.c_str()), type);
}

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    std::string t = PlatformWideToUtf8(text ? text : L""), c = PlatformWideToUtf8(caption ? caption : L"");
    return ShowBox(t, c, t, c, type);
}

// ---- gdi32 ----------------------------------------------------------------------

int GetDeviceCaps(HDC dc, int index) {
    if (!dc) return 0;
    EnsureDesktop();
    Lock lock(S().mu);
    switch (index) {
    case HORZRES: return S().modeWidth;
    case VERTRES: return S().modeHeight;
    case BITSPIXEL: return S().modeDepth;
    case PLANES: return 1;
    case VREFRESH: return 60;
    default: return 0;
    }
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index > 18) return nullptr;
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x50000 + index));
}
