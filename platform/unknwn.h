// The base interface of the platform's component objects: reference counting and interface queries.
#pragma once

#include "platform/windef.h"

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void **out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
typedef IUnknown *LPUNKNOWN;

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; i++)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

extern const IID IID_IUnknown;
