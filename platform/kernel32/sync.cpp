// Events, waits, recursive critical sections and CloseHandle.
#include "platform/kernel32/clock.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/objects.h"

// <chrono> itself does not build with a CP932 execution set (its µs suffix); the
// durations come with <condition_variable>.
#include <mutex>

namespace platform {
namespace {

struct EventObject : WaitableObject {
    EventObject(bool manual, bool initial) : WaitableObject(ObjectKind::Event), manualReset(manual), set(initial) {}
    const bool manualReset;
    bool set;
    bool IsSignalled() const override { return set; }
    void Acquired() override
    {
        if (!manualReset)
            set = false;
    }
};

std::shared_ptr<WaitableObject> LookupWaitable(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = LookupObject(handle);
    if (!object || (object->kind != ObjectKind::Event && object->kind != ObjectKind::Thread))
        return nullptr;
    return std::static_pointer_cast<WaitableObject>(object);
}

BOOL ChangeEvent(HANDLE handle, bool state)
{
    auto event = LookupObjectAs<EventObject>(handle, ObjectKind::Event);
    if (!event)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(event->lock);
        event->set = state;
    }
    if (state) {
        // An auto-reset event lets one waiter through; the others go back to waiting.
        if (event->manualReset)
            event->changed.notify_all();
        else
            event->changed.notify_one();
    }
    return TRUE;
}

}  // namespace
}  // namespace platform

using namespace platform;

HANDLE CreateEventA(void *, BOOL manualReset, BOOL initialState, LPCSTR)
{
    return RegisterObject(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event) { return ChangeEvent(event, true); }

BOOL ResetEvent(HANDLE event) { return ChangeEvent(event, false); }

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
    std::shared_ptr<WaitableObject> object = LookupWaitable(handle);
    if (!object)
        return WAIT_FAILED;
    std::unique_lock<std::mutex> guard(object->lock);
    auto ready = [&] { return object->IsSignalled(); };
    bool signalled;
    if (ready()) {
        signalled = true;
    } else if (ms == 0) {
        signalled = false;
    } else if (ms == INFINITE) {
        object->changed.wait(guard, ready);
        signalled = true;
    } else if (FakeClockOn()) {
        // On the fake clock a wait that would time out does so at once, moving the clock on.
        guard.unlock();
        FakeClockNap();
        guard.lock();
        signalled = ready();
        if (!signalled)
            AdvanceFakeClock(static_cast<uint64_t>(ms) * 1000000ull);
    } else {
        signalled = object->changed.wait_for(guard, std::chrono::milliseconds(ms), ready);
    }
    if (!signalled)
        return WAIT_TIMEOUT;
    object->Acquired();
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle)
{
    // The object itself goes when its last user lets go of it.
    return UnregisterObject(handle) ? TRUE : FALSE;
}

void InitializeCriticalSection(CRITICAL_SECTION *cs)
{
    if (cs)
        cs->impl = new std::recursive_mutex;
}

void EnterCriticalSection(CRITICAL_SECTION *cs)
{
    static_cast<std::recursive_mutex *>(cs->impl)->lock();
}

void LeaveCriticalSection(CRITICAL_SECTION *cs)
{
    static_cast<std::recursive_mutex *>(cs->impl)->unlock();
}

void DeleteCriticalSection(CRITICAL_SECTION *cs)
{
    if (!cs)
        return;
    delete static_cast<std::recursive_mutex *>(cs->impl);
    cs->impl = nullptr;
}
