// Window classes and the window records: creation, destruction, visibility, placement,
// styles, text and activation.
#include "platform/kernel32/kernel32.h"
#include "platform/host/host.h"
#include "platform/user32/internal.h"

#include <cstdio>
#include <strings.h>

namespace wm {

State &S() {
    static State *state = new State();
    return *state;
}

Window *Find(HWND hwnd) {
    auto it = S().windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == S().windows.end() ? nullptr : &it->second;
}

void Record(const std::string &call) {
    Lock lock(S().mu);
    S().calls.push_back(call);
}

RECT Border(DWORD style, DWORD exStyle) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = 4;
    else if (style & WS_DLGFRAME)
        frame = 3;
    else if (style & WS_BORDER)
        frame = 1;
    int edge = (exStyle & WS_EX_CLIENTEDGE) ? 2 : 0;
    int caption = ((style & WS_CAPTION) == WS_CAPTION) ? 19 : 0;
    RECT r;
    r.left = r.right = r.bottom = frame + edge;
    r.top = frame + edge + caption;
    return r;
}

RECT ClientOf(const Window &w) {
    RECT b = Border(w.style, w.exStyle);
    RECT c{w.rect.left + b.left, w.rect.top + b.top, w.rect.right - b.right, w.rect.bottom - b.bottom};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

void SyncHost(HWND hwnd) {
    host::WindowView view{};
    std::string title;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        if (!w) return;
        RECT c = ClientOf(*w);
        title = Utf8FromSjis(w->title.c_str());
        view.id = reinterpret_cast<uintptr_t>(hwnd);
        view.x = c.left;
        view.y = c.top;
        view.width = c.right - c.left;
        view.height = c.bottom - c.top;
        view.visible = (w->style & WS_VISIBLE) != 0;
        view.minimized = (w->style & WS_MINIMIZE) != 0;
        view.decorated = (w->style & WS_CAPTION) == WS_CAPTION;
    }
    view.title = title.c_str();
    host::Current().ShowWindowView(view);
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        if (!w || !w->proc) return 0;
        proc = w->proc;
    }
    return proc(hwnd, message, wParam, lParam);
}

static bool Minimized(HWND hwnd) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

void Activate(HWND hwnd) {
    HWND old;
    {
        Lock lock(S().mu);
        if (hwnd && !Find(hwnd)) return;
        old = S().active;
        if (old == hwnd) return;
        S().active = hwnd;
    }
    if (old && IsWindow(old)) {
        Send(old, WM_ACTIVATE, MAKELONG(WA_INACTIVE, Minimized(old) ? 1 : 0), reinterpret_cast<LPARAM>(hwnd));
        if (!hwnd) Send(old, WM_ACTIVATEAPP, FALSE, 0);
    }
    if (hwnd) {
        if (!old) Send(hwnd, WM_ACTIVATEAPP, TRUE, 0);
        Send(hwnd, WM_ACTIVATE, MAKELONG(WA_ACTIVE, Minimized(hwnd) ? 1 : 0), reinterpret_cast<LPARAM>(old));
    }
}

static Class *FindClass(LPCSTR name) {
    if (!name) return nullptr;
    for (Class &c : S().classes)
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    return nullptr;
}

static std::string Args(std::initializer_list<long long> values) {
    std::string out;
    for (long long v : values) out += " " + std::to_string(v);
    return out;
}

// Placement change shared by SetWindowPos and MoveWindow; sends WM_MOVE / WM_SIZE.
static void Place(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    RECT before, after;
    bool grew = false;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        if (!w) return;
        before = ClientOf(*w);
        if (!(flags & SWP_NOZORDER)) {
            if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
            if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        }
        if (!(flags & SWP_NOMOVE)) {
            LONG dx = x - w->rect.left, dy = y - w->rect.top;
            w->rect.left += dx, w->rect.right += dx, w->rect.top += dy, w->rect.bottom += dy;
        }
        if (!(flags & SWP_NOSIZE)) {
            LONG oldW = w->rect.right - w->rect.left, oldH = w->rect.bottom - w->rect.top;
            w->rect.right = w->rect.left + (width > 0 ? width : 0);
            w->rect.bottom = w->rect.top + (height > 0 ? height : 0);
            grew = w->rect.right - w->rect.left != oldW || w->rect.bottom - w->rect.top != oldH;
        }
        after = ClientOf(*w);
        if (grew && !(flags & SWP_NOREDRAW)) w->needsPaint = true;
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? 8 /* show, no activation */ : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    if (before.left != after.left || before.top != after.top)
        Send(hwnd, WM_MOVE, 0, MAKELONG(after.left, after.top));
    if (before.right - before.left != after.right - after.left || before.bottom - before.top != after.bottom - after.top)
        Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELONG(after.right - after.left, after.bottom - after.top));
    if (!(flags & SWP_NOACTIVATE) && IsWindowVisible(hwnd)) Activate(hwnd);
    SyncHost(hwnd);
}

}  // namespace wm

using namespace wm;

ATOM RegisterClassExA(const WNDCLASSEXA *wc) {
    Lock lock(S().mu);
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    Record(std::string("RegisterClassExA ") + wc->lpszClassName);
    if (S().failRegisterClass) {
        S().failRegisterClass = false;
        return 0;
    }
    if (FindClass(wc->lpszClassName)) return 0;
    Class c;
    c.name = wc->lpszClassName;
    c.wc = *wc;
    c.wc.lpszClassName = nullptr;
    c.icon = wc->hIcon;
    S().classes.push_back(c);
    return static_cast<ATOM>(0xC000 + S().classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    Lock lock(S().mu);
    Record(std::string("UnregisterClassA ") + (className ? className : ""));
    Class *c = FindClass(className);
    if (!c) return FALSE;
    for (auto &[id, w] : S().windows)
        if (strcasecmp(w.className.c_str(), c->name.c_str()) == 0) return FALSE;   // still in use
    S().classes.erase(S().classes.begin() + (c - S().classes.data()));
    return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
    Lock lock(S().mu);
    for (auto &[id, w] : S().windows) {
        if (w.destroying) continue;
        if (className && strcasecmp(w.className.c_str(), className) != 0) continue;
        if (title && w.title != title) continue;
        return w.handle;
    }
    return nullptr;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    HWND hwnd;
    {
        Lock lock(S().mu);
        Record(std::string("CreateWindowExA ") + (className ? className : "") + Args({(long long)style, (long long)exStyle, x, y, width, height}));
        if (S().failCreateWindow) {
            S().failCreateWindow = false;
            return nullptr;
        }
        Class *c = FindClass(className);
        if (!c) return nullptr;
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = 640, height = 480;
        Window w;
        w.handle = hwnd = reinterpret_cast<HWND>(S().nextHandle);
        S().nextHandle += 2;
        w.className = c->name;
        w.proc = c->wc.lpfnWndProc;
        w.title = title ? title : "";
        w.style = style & ~(WS_VISIBLE | WS_MINIMIZE);
        w.exStyle = exStyle;
        w.rect = RECT{x, y, x + (width > 0 ? width : 0), y + (height > 0 ? height : 0)};
        w.thread = GetCurrentThreadId();
        S().windows[reinterpret_cast<uintptr_t>(hwnd)] = w;
    }
    if (!Send(hwnd, WM_NCCREATE, 0, 0) || Send(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    RECT c;
    {
        Lock lock(S().mu);
        c = ClientOf(*Find(hwnd));
    }
    Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELONG(c.right - c.left, c.bottom - c.top));
    Send(hwnd, WM_MOVE, 0, MAKELONG(c.left, c.top));
    if (style & WS_MINIMIZE) ShowWindow(hwnd, SW_SHOWMINIMIZED);
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    SyncHost(hwnd);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        Record("DestroyWindow");
        if (!w || w->destroying || w->thread != GetCurrentThreadId()) return FALSE;
        w->destroying = true;
        w->style &= ~WS_VISIBLE;
    }
    host::Current().RemoveWindowView(reinterpret_cast<uintptr_t>(hwnd));
    if (GetActiveWindow() == hwnd) Activate(nullptr);
    Send(hwnd, WM_DESTROY, 0, 0);
    Send(hwnd, WM_NCDESTROY, 0, 0);
    Lock lock(S().mu);
    S().windows.erase(reinterpret_cast<uintptr_t>(hwnd));
    S().imeEnabled.erase(reinterpret_cast<uintptr_t>(hwnd));
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    Lock lock(S().mu);
    return Find(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    return w && (w->style & WS_VISIBLE);
}

BOOL IsIconic(HWND hwnd) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    return w && (w->style & WS_MINIMIZE);
}

BOOL ShowWindow(HWND hwnd, int command) {
    bool wasVisible, wasMinimized, nowVisible, nowMinimized;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        Record("ShowWindow" + Args({command}));
        if (!w) return FALSE;
        wasVisible = w->style & WS_VISIBLE;
        wasMinimized = w->style & WS_MINIMIZE;
        switch (command) {
        case SW_HIDE: w->style &= ~WS_VISIBLE; break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED: w->style |= WS_VISIBLE | WS_MINIMIZE; break;
        case SW_SHOWNORMAL:
        case SW_RESTORE: w->style = (w->style | WS_VISIBLE) & ~WS_MINIMIZE; break;
        default: w->style |= WS_VISIBLE; break;   // SW_SHOW and the no-activation shows
        }
        nowVisible = w->style & WS_VISIBLE;
        nowMinimized = w->style & WS_MINIMIZE;
        if (nowVisible && !wasVisible) w->needsPaint = true;
    }
    if (nowVisible != wasVisible) Send(hwnd, WM_SHOWWINDOW, nowVisible, 0);
    if (nowMinimized && !wasMinimized) Send(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    if (!nowMinimized && wasMinimized) {
        RECT c;
        GetClientRect(hwnd, &c);
        Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELONG(c.right, c.bottom));
    }
    if (command == SW_HIDE || command == SW_MINIMIZE) {
        if (GetActiveWindow() == hwnd) Activate(nullptr);
    } else if (command == SW_SHOW || command == SW_SHOWNORMAL || command == SW_RESTORE || command == SW_SHOWMINIMIZED) {
        Activate(hwnd);
    }
    SyncHost(hwnd);
    return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) {
    bool paint;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        Record("UpdateWindow");
        if (!w) return FALSE;
        paint = w->needsPaint && (w->style & WS_VISIBLE);
    }
    if (paint) Send(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT *, BOOL) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w) return FALSE;
    w->needsPaint = true;
    return TRUE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        Record(std::string("SetWindowTextA ") + (text ? text : ""));
        if (!w) return FALSE;
        w->title = text ? text : "";
    }
    SyncHost(hwnd);
    return TRUE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w || !buffer || size <= 0) return 0;
    int n = static_cast<int>(w->title.size());
    if (n > size - 1) n = size - 1;
    w->title.copy(buffer, n);
    buffer[n] = 0;
    return n;
}

LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
    LONG old;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        Record("SetWindowLongA" + Args({index, (long long)(DWORD)value}));
        if (!w) return 0;
        if (index == GWL_STYLE) {
            old = static_cast<LONG>(w->style);
            w->style = static_cast<DWORD>(value);
        } else if (index == GWL_EXSTYLE) {
            old = static_cast<LONG>(w->exStyle);
            w->exStyle = static_cast<DWORD>(value);
        } else {
            return 0;
        }
    }
    SyncHost(hwnd);
    return old;
}

LONG GetWindowLongA(HWND hwnd, int index) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w) return 0;
    if (index == GWL_STYLE) return static_cast<LONG>(w->style);
    if (index == GWL_EXSTYLE) return static_cast<LONG>(w->exStyle);
    return 0;
}

ULONG_PTR SetClassLongA(HWND hwnd, int index, LONG_PTR value) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    Record("SetClassLongA" + Args({index, (long long)value}));
    if (!w || index != GCL_HICON) return 0;
    Class *c = FindClass(w->className.c_str());
    if (!c) return 0;
    ULONG_PTR old = reinterpret_cast<ULONG_PTR>(c->icon);
    c->icon = reinterpret_cast<HICON>(value);
    return old;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    Record("SetWindowPos" + Args({(long long)reinterpret_cast<intptr_t>(insertAfter), x, y, width, height, flags}));
    if (!IsWindow(hwnd)) return FALSE;
    Place(hwnd, insertAfter, x, y, width, height, flags);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    Record("MoveWindow" + Args({x, y, width, height, repaint}));
    if (!IsWindow(hwnd)) return FALSE;
    Place(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT *rect) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT *rect) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w || !rect) return FALSE;
    RECT c = ClientOf(*w);
    *rect = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return TRUE;
}

namespace {

// Moves a point by the client area's screen corner: `sign` 1 to the screen, -1 back.
BOOL MoveByClientCorner(HWND hwnd, POINT *point, int sign) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w || !point) return FALSE;
    RECT c = ClientOf(*w);
    point->x += sign * c.left;
    point->y += sign * c.top;
    return TRUE;
}

}  // namespace

BOOL ClientToScreen(HWND hwnd, POINT *point) { return MoveByClientCorner(hwnd, point, 1); }

BOOL ScreenToClient(HWND hwnd, POINT *point) { return MoveByClientCorner(hwnd, point, -1); }

BOOL AdjustWindowRectEx(RECT *rect, DWORD style, BOOL, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT b = Border(style, exStyle);
    rect->left -= b.left;
    rect->top -= b.top;
    rect->right += b.right;
    rect->bottom += b.bottom;
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD *processId) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (processId) *processId = w ? 1 : 0;
    return w ? w->thread : 0;
}

BOOL BringWindowToTop(HWND hwnd) {
    Record("BringWindowToTop");
    if (!IsWindow(hwnd)) return FALSE;
    Activate(hwnd);
    return TRUE;
}

HWND SetActiveWindow(HWND hwnd) {
    Record("SetActiveWindow");
    HWND old = GetActiveWindow();
    if (!IsWindow(hwnd)) return nullptr;
    Activate(hwnd);
    return old;
}

HWND GetActiveWindow() {
    Lock lock(S().mu);
    return S().active;
}

BOOL SetForegroundWindow(HWND hwnd) {
    Record("SetForegroundWindow");
    if (!IsWindow(hwnd)) return FALSE;
    Activate(hwnd);
    return TRUE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

BOOL AttachThreadInput(DWORD, DWORD, BOOL doAttach) {
    Record("AttachThreadInput" + Args({doAttach}));
    return TRUE;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    // Resource ids become small handle values; named icons share one.
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    return reinterpret_cast<HICON>(0x20000 + (id < 0x10000 ? id : 0xFFFF));
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    return reinterpret_cast<HCURSOR>(0x30000 + (id < 0x10000 ? id : 0xFFFF));
}

