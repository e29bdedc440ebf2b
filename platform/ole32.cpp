// Component object creation for the classes the stand-in provides.
#include "platform/objbase.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

extern const CLSID CLSID_DirectSound;
HRESULT CreateDirectSoundObject(REFIID iid, void **out);

HRESULT CoInitialize(LPVOID) { return S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID *out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (IsEqualGUID(clsid, CLSID_DirectSound)) return CreateDirectSoundObject(iid, out);
    return REGDB_E_CLASSNOTREG;
}
