// The window manager's state, shared by the files of user32/, imm32/ and the test
// hooks. Never include from outside platform/.
#pragma once

#include "platform/user32/user32.h"

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace wm {

struct Class {
    std::string name;
    WNDCLASSEXA wc{};
    HICON icon = nullptr;
};

struct Timer {
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
};

struct Window {
    HWND handle = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    std::string title;
    DWORD style = 0;     // WS_VISIBLE and WS_MINIMIZE are the visibility and minimised state
    DWORD exStyle = 0;   // WS_EX_TOPMOST is the z-order band
    RECT rect{};         // window rectangle, desktop coordinates
    DWORD thread = 0;
    bool needsPaint = false;
    bool destroying = false;
    std::vector<Timer> timers;
};

struct Queue {
    std::deque<MSG> posted;
    // Messages sent from other threads, delivered at the owner's next PeekMessageA.
    std::deque<std::function<void()>> sent;
    bool quit = false;
    int quitCode = 0;
};

struct MessageBoxRecord {
    std::string text;      // Shift-JIS for MessageBoxA, UTF-8 for MessageBoxW
    std::string caption;
    UINT type = 0;
    int answer = 0;
};

struct ImeState {
    bool present = false;
    std::string composition;
    std::string result;
    LONG cursor = 0;
    std::vector<DWORD> clauses;
    std::vector<std::string> candidates;
    BOOL open = FALSE;
};

struct State {
    std::recursive_mutex mu;
    std::vector<Class> classes;
    std::map<uintptr_t, Window> windows;   // by handle value, in creation order
    uintptr_t nextHandle = 0x10010;
    std::map<DWORD, Queue> queues;
    HWND active = nullptr;

    int cursorCount = 0;
    HCURSOR cursor = nullptr;
    POINT cursorPos{};
    bool hostCursorShown = true;

    bool desktopKnown = false;
    int desktopWidth = 0, desktopHeight = 0, desktopDepth = 0;
    int modeWidth = 0, modeHeight = 0, modeDepth = 0;   // the display's current mode

    BOOL screenSaverActive = TRUE;
    UINT foregroundLockTimeout = 200000;
    std::map<uintptr_t, bool> imeEnabled;
    ImeState ime;

    std::deque<int> messageBoxAnswers;
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<std::string> calls;
    bool failRegisterClass = false;
    bool failCreateWindow = false;
    int refuseDisplayChanges = 0;   // the next n mode changes fail
};

State &S();
typedef std::unique_lock<std::recursive_mutex> Lock;

// Under the lock: the window record, or null for a stale or foreign handle.
Window *Find(HWND hwnd);
void EnsureDesktop();
// The non-client border a style set gives (caption 19, fixed frame 3, client edge 2).
RECT Border(DWORD style, DWORD exStyle);
RECT ClientOf(const Window &w);   // client rectangle in desktop coordinates
void Record(const std::string &call);
// Tells the host what the record now looks like.
void SyncHost(HWND hwnd);
std::string Utf8FromSjis(const char *text);

// The window procedure call, made without holding the lock.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Moves the activation; sends WM_ACTIVATE / WM_ACTIVATEAPP when it changes.
void Activate(HWND hwnd);
// Runs fn on the window's thread: at once when that is this thread, else at its next peek.
void OnOwnerThread(HWND hwnd, std::function<void()> fn);
BOOL Post(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void ResetAll();

}  // namespace wm
