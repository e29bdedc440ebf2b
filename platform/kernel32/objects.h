// Kernel objects behind HANDLE values: a registry so that a stale or foreign
// handle is refused instead of followed (values are numbers, never addresses), and shared ownership so that an object
// outlives a wait or read that is still using it when another thread closes it.
#pragma once

#include "platform/windef.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

enum class ObjectKind { Event, Thread, File, Find };

struct KernelObject {
    explicit KernelObject(ObjectKind k) : kind(k) {}
    virtual ~KernelObject() = default;
    const ObjectKind kind;
};

// Something WaitForSingleObject can wait on. The subclass keeps its state under `lock`
// and notifies `changed` whenever it may have become signalled.
struct WaitableObject : KernelObject {
    using KernelObject::KernelObject;
    std::mutex lock;
    std::condition_variable changed;
    // Called with `lock` held.
    virtual bool IsSignalled() const = 0;
    // Called with `lock` held after a successful wait (auto-reset events clear here).
    virtual void Acquired() {}
};

HANDLE RegisterObject(std::shared_ptr<KernelObject> object);
// Null when the handle is unknown (never created, or closed).
std::shared_ptr<KernelObject> LookupObject(HANDLE handle);
// Null also when the object is of another kind.
template <typename T>
std::shared_ptr<T> LookupObjectAs(HANDLE handle, ObjectKind kind)
{
    std::shared_ptr<KernelObject> object = LookupObject(handle);
    if (!object || object->kind != kind)
        return nullptr;
    return std::static_pointer_cast<T>(object);
}
// Removes the handle; returns the object (null when unknown) so the caller may finish with it.
std::shared_ptr<KernelObject> UnregisterObject(HANDLE handle);
int RegisteredObjectCount();

}  // namespace platform
