// The handle registry.
#include "platform/kernel32/objects.h"
#include "platform/testing.h"

#include <unordered_map>

namespace platform {
namespace {

struct ObjectTable {
    std::mutex lock;
    // Handle values are never reused, so a stale handle cannot reach a newer object
    // that happens to sit at the old address. Multiples of 4 from 0x10000, as the platform's look.
    uintptr_t nextValue = 0x10000;
    std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

ObjectTable &Table()
{
    static ObjectTable *table = new ObjectTable;  // never destroyed: threads may outlive main
    return *table;
}

}  // namespace

HANDLE RegisterObject(std::shared_ptr<KernelObject> object)
{
    ObjectTable &table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    HANDLE handle = reinterpret_cast<HANDLE>(table.nextValue);
    table.nextValue += 4;
    table.objects[handle] = std::move(object);
    return handle;
}

std::shared_ptr<KernelObject> LookupObject(HANDLE handle)
{
    ObjectTable &table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(handle);
    return it == table.objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> UnregisterObject(HANDLE handle)
{
    ObjectTable &table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(handle);
    if (it == table.objects.end())
        return nullptr;
    std::shared_ptr<KernelObject> object = std::move(it->second);
    table.objects.erase(it);
    return object;
}

int RegisteredObjectCount()
{
    ObjectTable &table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return static_cast<int>(table.objects.size());
}

}  // namespace platform

int PlatformTestOpenHandleCount() { return platform::RegisteredObjectCount(); }
