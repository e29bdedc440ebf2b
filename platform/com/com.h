// The component object model as far as the library uses it: reference-counted
// interfaces, class and interface ids, and the library's one factory call.
#pragma once

#include "platform/windef.h"

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void **out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};
typedef IUnknown *LPUNKNOWN;

#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_ALL 0x17u

inline bool IsEqualGUID(const GUID &a, const GUID &b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
inline bool operator==(const GUID &a, const GUID &b) { return IsEqualGUID(a, b); }

inline const IID kIID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// QueryInterface of an object with one interface: that one or IUnknown gives the
// object with a new reference.
template <class Interface>
HRESULT QueryOneInterface(Interface *self, REFIID own, REFIID iid, void **out) {
    if (!out) return E_INVALIDARG;
    if (IsEqualGUID(iid, own) || IsEqualGUID(iid, kIID_IUnknown)) {
        self->AddRef();
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();

// Each stand-in subsystem registers its classes here; an unknown class fails
// with REGDB_E_CLASSNOTREG as on the platform.
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154u)
typedef HRESULT (*COM_CLASS_FACTORY)(REFIID iid, void **out);
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID *out);
void PlatformRegisterComClass(const CLSID &clsid, COM_CLASS_FACTORY factory);

// A base for the stand-in's objects: one reference count, delete at zero.
template <class Interface>
struct ComObject : Interface {
    ULONG refs = 1;
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        ULONG left = --refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT QueryInterface(REFIID, void **out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
};

// Registers the stand-in's own classes (DirectInput, DirectSound, ...); each
// subsystem adds its registration call to com/classes.cpp. Run once, on the
// first CoCreateInstance.
void PlatformRegisterBuiltinComClasses();
