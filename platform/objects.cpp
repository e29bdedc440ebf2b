// The handle registry.
#include "platform/objects.h"
#include "platform/testing.h"

#include <unordered_map>

namespace platform {
namespace {

struct ObjectTable {
    std::mutex lock;
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
    HANDLE handle = object.get();
    ObjectTable &table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
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
