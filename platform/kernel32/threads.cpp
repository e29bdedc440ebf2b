// Threads, thread ids, Sleep and ExitProcess over pthreads.
#include "platform/kernel32/clock.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/objects.h"
#include "platform/testing.h"

#include <atomic>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<DWORD> g_nextThreadId{1};
std::atomic<int> g_liveThreads{0};
thread_local DWORD t_threadId = 0;

DWORD NewThreadId()
{
    DWORD id = g_nextThreadId.fetch_add(1);
    // 0 and 0xFFFFFFFF mean "no thread" to callers; skip them after a wrap.
    while (id == 0 || id == 0xFFFFFFFFu)
        id = g_nextThreadId.fetch_add(1);
    return id;
}

struct ThreadObject : WaitableObject {
    ThreadObject() : WaitableObject(ObjectKind::Thread) {}
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID param = nullptr;
    DWORD id = 0;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    bool IsSignalled() const override { return finished; }
};

// The thread's own reference keeps the object alive after its handle is closed.
struct StartBlock {
    std::shared_ptr<ThreadObject> thread;
};

void *ThreadMain(void *arg)
{
    std::shared_ptr<ThreadObject> thread = std::move(static_cast<StartBlock *>(arg)->thread);
    delete static_cast<StartBlock *>(arg);
    t_threadId = thread->id;
    DWORD code = thread->start(thread->param);
    // Counted out before the handle turns signalled, so a waiter sees the count already down.
    g_liveThreads.fetch_sub(1);
    {
        std::lock_guard<std::mutex> guard(thread->lock);
        thread->exitCode = code;
        thread->finished = true;
    }
    thread->changed.notify_all();
    return nullptr;
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE CreateThread(void *, size_t stackSize, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD,
                    DWORD *threadId)
{
    if (!start)
        return nullptr;
    auto thread = std::make_shared<ThreadObject>();
    thread->start = start;
    thread->param = param;
    thread->id = NewThreadId();

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize >= static_cast<size_t>(PTHREAD_STACK_MIN))
        pthread_attr_setstacksize(&attr, stackSize);
    auto *block = new StartBlock{thread};
    g_liveThreads.fetch_add(1);
    pthread_t tid;
    int rc = pthread_create(&tid, &attr, ThreadMain, block);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        g_liveThreads.fetch_sub(1);
        delete block;
        return nullptr;
    }
    if (threadId)
        *threadId = thread->id;
    return RegisterObject(thread);
}

BOOL GetExitCodeThread(HANDLE handle, DWORD *exitCode)
{
    auto thread = LookupObjectAs<ThreadObject>(handle, ObjectKind::Thread);
    if (!thread || !exitCode)
        return FALSE;
    std::lock_guard<std::mutex> guard(thread->lock);
    *exitCode = thread->exitCode;
    return TRUE;
}

DWORD GetCurrentThreadId()
{
    if (t_threadId == 0)
        t_threadId = NewThreadId();
    return t_threadId;
}

void Sleep(DWORD ms)
{
    if (FakeClockOn()) {
        // Time passes at once; other threads still get the processor (see FakeClockNap).
        if (ms == 0) {
            sched_yield();
            return;
        }
        if (ms != INFINITE)
            AdvanceFakeClock(static_cast<uint64_t>(ms) * 1000000ull);
        FakeClockNap();
        return;
    }
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

void ExitProcess(UINT exitCode)
{
    // Nothing is flushed or destroyed, as on the platform.
    _exit(static_cast<int>(exitCode & 0xFF));
}

int PlatformTestLiveThreadCount() { return g_liveThreads.load(); }
