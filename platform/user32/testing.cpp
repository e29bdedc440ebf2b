// Test hooks of the window manager.
#include "platform/host/host.h"
#include "platform/kernel32/kernel32.h"
#include "platform/testing.h"
#include "platform/user32/internal.h"

namespace wm {

void ResetAll() {
    std::vector<HWND> handles;
    {
        Lock lock(S().mu);
        for (auto &[id, w] : S().windows) handles.push_back(w.handle);
    }
    for (HWND h : handles) host::Current().RemoveWindowView(reinterpret_cast<uintptr_t>(h));
    Lock lock(S().mu);
    State &s = S();
    s.classes.clear();
    s.windows.clear();
    s.queues.clear();
    s.active = nullptr;
    s.cursorCount = 0;
    s.cursor = nullptr;
    s.cursorPos = POINT{};
    s.desktopKnown = false;
    s.screenSaverActive = TRUE;
    s.foregroundLockTimeout = 200000;
    s.imeEnabled.clear();
    s.ime = ImeState{};
    s.messageBoxAnswers.clear();
    s.messageBoxes.clear();
    s.calls.clear();
    s.failRegisterClass = false;
    s.failCreateWindow = false;
    s.refuseDisplayChanges = 0;
}

}  // namespace wm

using namespace wm;

void PlatformTestResetWindowManager() {
    host::UseHeadless();
    ResetAll();
    PlatformTestResetDibs();
}

void PlatformTestSetDesktop(int width, int height, int depth) {
    Lock lock(S().mu);
    S().desktopKnown = true;
    S().desktopWidth = S().modeWidth = width;
    S().desktopHeight = S().modeHeight = height;
    S().desktopDepth = S().modeDepth = depth;
}

void PlatformTestSetDesktopDepth(int depth) {
    EnsureDesktop();
    Lock lock(S().mu);
    S().desktopDepth = S().modeDepth = depth;
}

void PlatformTestRefuseDisplayChanges(int count) {
    Lock lock(S().mu);
    S().refuseDisplayChanges = count;
}

void PlatformTestAnswerNextMessageBox(int answer) {
    Lock lock(S().mu);
    S().messageBoxAnswers.push_back(answer);
}

std::vector<PlatformTestMessageBox> PlatformTestMessageBoxes() {
    Lock lock(S().mu);
    std::vector<PlatformTestMessageBox> out;
    for (const MessageBoxRecord &m : S().messageBoxes) out.push_back({m.text, m.caption, m.type, m.answer});
    return out;
}

void PlatformTestInjectClose(HWND hwnd) { PostMessageA(hwnd, WM_CLOSE, 0, 0); }

void PlatformTestInjectActivation(HWND hwnd, bool active) {
    OnOwnerThread(hwnd, [hwnd, active] {
        if (active)
            Activate(hwnd);
        else if (GetActiveWindow() == hwnd)
            Activate(nullptr);
    });
}

void PlatformTestInjectDisplayChange(int depth, int width, int height) {
    std::vector<HWND> tops;
    {
        Lock lock(S().mu);
        S().desktopKnown = true;
        S().modeWidth = width, S().modeHeight = height, S().modeDepth = depth;
        for (auto &[id, w] : S().windows) tops.push_back(w.handle);
    }
    for (HWND h : tops) SendMessageA(h, WM_DISPLAYCHANGE, static_cast<WPARAM>(depth), MAKELONG(width, height));
}

void PlatformTestInjectMouse(HWND hwnd, UINT message, int x, int y, WPARAM keys) {
    POINT p{x, y};
    if (!ClientToScreen(hwnd, &p)) return;
    {
        Lock lock(S().mu);
        S().cursorPos = p;
    }
    PostMessageA(hwnd, message, keys, MAKELONG(x, y));
}

void PlatformTestSendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SendMessageA(hwnd, message, wParam, lParam);
}

PlatformTestWindowInfo PlatformTestGetWindow(HWND hwnd) {
    Lock lock(S().mu);
    PlatformTestWindowInfo info{};
    Window *w = Find(hwnd);
    if (!w) return info;
    info.exists = true;
    info.className = w->className;
    info.title = w->title;
    info.style = w->style;
    info.exStyle = w->exStyle;
    info.window = w->rect;
    info.client = ClientOf(*w);
    info.visible = w->style & WS_VISIBLE;
    info.minimized = w->style & WS_MINIMIZE;
    info.topmost = w->exStyle & WS_EX_TOPMOST;
    info.active = S().active == hwnd;
    auto it = S().imeEnabled.find(reinterpret_cast<uintptr_t>(hwnd));
    info.imeEnabled = it == S().imeEnabled.end() || it->second;
    return info;
}

int PlatformTestQueuedMessageCount(DWORD threadId) {
    Lock lock(S().mu);
    auto it = S().queues.find(threadId);
    if (it == S().queues.end()) return 0;
    return static_cast<int>(it->second.posted.size()) + (it->second.quit ? 1 : 0);
}

std::vector<std::string> PlatformTestWindowCalls() {
    Lock lock(S().mu);
    return S().calls;
}

void PlatformTestClearWindowCalls() {
    Lock lock(S().mu);
    S().calls.clear();
}

int PlatformTestCursorCount() {
    Lock lock(S().mu);
    return S().cursorCount;
}

bool PlatformTestCursorSet() {
    Lock lock(S().mu);
    return S().cursor != nullptr;
}

bool PlatformTestScreenSaverActive() {
    Lock lock(S().mu);
    return S().screenSaverActive != FALSE;
}

void PlatformTestFailNextRegisterClass() {
    Lock lock(S().mu);
    S().failRegisterClass = true;
}

void PlatformTestFailNextCreateWindow() {
    Lock lock(S().mu);
    S().failCreateWindow = true;
}

void PlatformTestInstallIme(const PlatformTestIme &ime) {
    Lock lock(S().mu);
    S().ime.present = true;
    S().ime.composition = ime.composition;
    S().ime.result = ime.result;
    S().ime.cursor = ime.cursor;
    S().ime.clauses = ime.clauses;
    S().ime.candidates = ime.candidates;
    S().ime.open = ime.open;
}
