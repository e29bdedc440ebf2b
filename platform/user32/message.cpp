// The thread message queues: posting, peeking, dispatching, the default window procedure,
// timers, and the host's events turned into messages.
#include "platform/kernel32/kernel32.h"
#include "platform/host/host.h"
#include "platform/user32/internal.h"

namespace wm {

BOOL Post(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Lock lock(S().mu);
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = timeGetTime();
    m.pt = S().cursorPos;
    S().queues[thread].posted.push_back(m);
    return TRUE;
}

void OnOwnerThread(HWND hwnd, std::function<void()> fn) {
    DWORD thread;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        if (!w) return;
        thread = w->thread;
        if (thread != GetCurrentThreadId()) {
            S().queues[thread].sent.push_back(std::move(fn));
            return;
        }
    }
    fn();
}

}  // namespace wm

using namespace wm;

namespace {

void RunSentMessages(DWORD me) {
    for (;;) {
        std::function<void()> fn;
        {
            Lock lock(S().mu);
            auto it = S().queues.find(me);
            if (it == S().queues.end() || it->second.sent.empty()) return;
            fn = std::move(it->second.sent.front());
            it->second.sent.pop_front();
        }
        fn();
    }
}

bool OwnsWindows(DWORD me) {
    Lock lock(S().mu);
    for (auto &[id, w] : S().windows)
        if (w.thread == me) return true;
    return false;
}

void TakeHostEvents(DWORD me) {
    if (!OwnsWindows(me)) return;
    std::vector<host::Event> events;
    host::Current().PollEvents(events);
    for (const host::Event &e : events) {
        HWND hwnd = reinterpret_cast<HWND>(e.window);
        if (!IsWindow(hwnd)) continue;
        switch (e.kind) {
        case host::EventKind::Close: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
        case host::EventKind::Activate: Activate(hwnd); break;
        case host::EventKind::Deactivate:
            if (GetActiveWindow() == hwnd) Activate(nullptr);
            break;
        case host::EventKind::Expose: InvalidateRect(hwnd, nullptr, FALSE); break;
        case host::EventKind::Moved: {
            RECT outer, client;
            {
                Lock lock(S().mu);
                Window *w = Find(hwnd);
                outer = w->rect;
                client = ClientOf(*w);
            }
            int dx = e.x - client.left, dy = e.y - client.top;
            if (dx || dy)
                SetWindowPos(hwnd, nullptr, outer.left + dx, outer.top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case host::EventKind::MouseMove:
        case host::EventKind::MouseButton: {
            POINT p{e.x, e.y};
            ClientToScreen(hwnd, &p);
            UINT message = WM_MOUSEMOVE;
            if (e.kind == host::EventKind::MouseButton) {
                static const UINT downs[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
                message = downs[e.button] + (e.down ? 0 : 1);
            }
            {
                Lock lock(S().mu);
                S().cursorPos = p;
            }
            PostMessageA(hwnd, message, 0, MAKELONG(e.x, e.y));
            break;
        }
        }
    }
}

void QueueDueTimers(DWORD me) {
    Lock lock(S().mu);
    DWORD now = timeGetTime();
    for (auto &[id, w] : S().windows) {
        if (w.thread != me) continue;
        for (Timer &t : w.timers) {
            if (static_cast<LONG>(now - t.due) < 0) continue;
            t.due = now + t.elapse;
            bool queued = false;
            for (const MSG &m : S().queues[me].posted)
                if (m.message == WM_TIMER && m.hwnd == w.handle && m.wParam == t.id) queued = true;
            if (!queued)
                Post(me, w.handle, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
        }
    }
}

bool Matches(const MSG &m, HWND filter, UINT lo, UINT hi) {
    if (filter == reinterpret_cast<HWND>(-1)) {
        if (m.hwnd) return false;
    } else if (filter && m.hwnd != filter) {
        return false;
    }
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

}  // namespace

BOOL PeekMessageA(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    DWORD me = GetCurrentThreadId();
    RunSentMessages(me);
    TakeHostEvents(me);
    RunSentMessages(me);
    QueueDueTimers(me);

    Lock lock(S().mu);
    Queue &q = S().queues[me];
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax)) continue;
        if (msg) *msg = *it;
        if (remove & PM_REMOVE) q.posted.erase(it);
        return TRUE;
    }
    bool quitWanted = (!hwnd || hwnd == reinterpret_cast<HWND>(-1)) &&
                      ((filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax));
    if (q.quit && quitWanted) {
        if (msg) {
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(q.quitCode);
            msg->time = timeGetTime();
            msg->pt = S().cursorPos;
        }
        if (remove & PM_REMOVE) q.quit = false;
        return TRUE;
    }
    // A paint is due until the window procedure validates the window.
    if (hwnd != reinterpret_cast<HWND>(-1)) {
        for (auto &[id, w] : S().windows) {
            if (w.thread != me || !w.needsPaint || !(w.style & WS_VISIBLE)) continue;
            MSG m{};
            m.hwnd = w.handle;
            m.message = WM_PAINT;
            if (!Matches(m, hwnd, filterMin, filterMax)) continue;
            m.time = timeGetTime();
            m.pt = S().cursorPos;
            if (msg) *msg = m;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Lock lock(S().mu);
    if (!hwnd) return Post(GetCurrentThreadId(), nullptr, message, wParam, lParam);
    Window *w = Find(hwnd);
    if (!w) return FALSE;
    return Post(w->thread, hwnd, message, wParam, lParam);
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    return Post(threadId, nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    Lock lock(S().mu);
    Queue &q = S().queues[GetCurrentThreadId()];
    q.quit = true;
    q.quitCode = exitCode;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD owner;
    {
        Lock lock(S().mu);
        Window *w = Find(hwnd);
        if (!w) return 0;
        owner = w->thread;
    }
    if (owner == GetCurrentThreadId()) return Send(hwnd, message, wParam, lParam);
    OnOwnerThread(hwnd, [=] { Send(hwnd, message, wParam, lParam); });
    return 0;
}

// Character messages come with the input stand-in; no key message exists yet.
BOOL TranslateMessage(const MSG *) { return FALSE; }

int TranslateAcceleratorA(HWND, HACCEL, MSG *) { return 0; }

LRESULT DispatchMessageA(const MSG *msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    return Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 0;   // the class brush is the null brush
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR: {
        HCURSOR cursor = nullptr;
        {
            Lock lock(S().mu);
            Window *w = Find(hwnd);
            if (w)
                for (const Class &c : S().classes)
                    if (c.name == w->className) cursor = c.wc.hCursor;
        }
        SetCursor(cursor);
        return FALSE;
    }
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0u) {
        case SC_CLOSE: PostMessageA(hwnd, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        default: return 0;
        }
    default: return 0;
    }
    (void)lParam;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w) return 0;
    if (elapseMs < 10) elapseMs = 10;
    for (Timer &t : w->timers)
        if (t.id == id) {
            t = Timer{id, elapseMs, proc, timeGetTime() + elapseMs};
            return id;
        }
    w->timers.push_back(Timer{id, elapseMs, proc, timeGetTime() + elapseMs});
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    Lock lock(S().mu);
    Window *w = Find(hwnd);
    if (!w) return FALSE;
    for (size_t i = 0; i < w->timers.size(); ++i)
        if (w->timers[i].id == id) {
            w->timers.erase(w->timers.begin() + i);
            auto &posted = S().queues[w->thread].posted;
            for (auto it = posted.begin(); it != posted.end();)
                it = (it->message == WM_TIMER && it->hwnd == hwnd && it->wParam == id) ? posted.erase(it) : it + 1;
            return TRUE;
        }
    return FALSE;
}
