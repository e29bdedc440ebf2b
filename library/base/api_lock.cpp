// The API lock: each waiter sleeps on its own manual-reset event and the lock is handed to
// the oldest waiter, so threads get it strictly in their order of arrival.
#include "library/base/api_lock.h"

APILOCK g_apiLock;

namespace {
const DWORD kNoOwner = static_cast<DWORD>(-1);
}

void LockLibrary() {
    APILOCK &l = g_apiLock;
    if (!l.created) {
        l.created = 1;
        for (APILOCK_WAITER &w : l.queue) {
            w.threadId = 0;
            w.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        }
        l.owner = kNoOwner;
        InitializeCriticalSection(&l.guard);
    }
    DWORD me = GetCurrentThreadId();
    for (;;) {
        EnterCriticalSection(&l.guard);
        if (l.owned) {
            if (l.owner == me) break;
        } else {
            if (l.waiters == 0 || l.owner == me) break;
            if (l.queue[0].threadId == me) {
                // Woken as the oldest waiter: leave the queue, keeping each waiter's event.
                HANDLE mine = l.queue[0].event;
                for (int i = 1; i < l.waiters; ++i) l.queue[i - 1] = l.queue[i];
                l.queue[l.waiters - 1].event = mine;
                l.queue[l.waiters - 1].threadId = 0;
                --l.waiters;
                break;
            }
        }
        if (l.waiters == APILOCK_QUEUE_SIZE) {
            LeaveCriticalSection(&l.guard);
            Sleep(1);
            continue;
        }
        APILOCK_WAITER &slot = l.queue[l.waiters++];
        slot.threadId = me;
        HANDLE event = slot.event;
        LeaveCriticalSection(&l.guard);
        WaitForSingleObject(event, INFINITE);
        ResetEvent(event);
    }
    ++l.depth;
    l.owned = 1;
    l.owner = me;
    LeaveCriticalSection(&l.guard);
}

void UnlockLibrary() {
    APILOCK &l = g_apiLock;
    if (!l.created) return;
    EnterCriticalSection(&l.guard);
    bool handOver = false;
    if (l.depth == 1) {
        l.owned = 0;
        l.owner = kNoOwner;
        handOver = l.waiters > 0;
    }
    if (l.depth > 0) --l.depth;
    HANDLE next = handOver ? l.queue[0].event : nullptr;
    LeaveCriticalSection(&l.guard);
    if (handOver) {
        SetEvent(next);
        Sleep(0);
    }
}

void DeleteLibraryLock() {
    APILOCK &l = g_apiLock;
    if (!l.created) return;
    for (APILOCK_WAITER &w : l.queue) {
        if (w.event) CloseHandle(w.event);
        w.event = nullptr;
        w.threadId = 0;
    }
    l.created = 0;
    l.depth = l.owned = l.waiters = 0;
    l.owner = kNoOwner;
    DeleteCriticalSection(&l.guard);
}
