#include "platform/com/com.h"

#include <mutex>
#include <vector>

namespace {

struct ComRegistry {
    std::mutex lock;
    std::vector<std::pair<CLSID, COM_CLASS_FACTORY>> classes;
    int initCount = 0;
};

ComRegistry &Registry() {
    static ComRegistry registry;
    return registry;
}

}  // namespace

HRESULT CoInitialize(LPVOID) {
    std::lock_guard<std::mutex> hold(Registry().lock);
    return Registry().initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    std::lock_guard<std::mutex> hold(Registry().lock);
    if (Registry().initCount > 0) --Registry().initCount;
}

void PlatformRegisterComClass(const CLSID &clsid, COM_CLASS_FACTORY factory) {
    std::lock_guard<std::mutex> hold(Registry().lock);
    for (auto &entry : Registry().classes) {
        if (entry.first == clsid) {
            entry.second = factory;
            return;
        }
    }
    Registry().classes.emplace_back(clsid, factory);
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN, DWORD, REFIID iid, LPVOID *out) {
    if (!out) return E_INVALIDARG;
    static std::once_flag builtins;
    std::call_once(builtins, PlatformRegisterBuiltinComClasses);
    *out = nullptr;
    COM_CLASS_FACTORY factory = nullptr;
    {
        std::lock_guard<std::mutex> hold(Registry().lock);
        for (auto &entry : Registry().classes)
            if (entry.first == clsid) factory = entry.second;
    }
    if (!factory) return REGDB_E_CLASSNOTREG;
    return factory(iid, out);
}
