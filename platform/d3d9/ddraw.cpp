// The DirectDraw 7 object: initialisation, cooperative level, vertical blank.
#include "platform/d3d9/ddraw.h"

#include "platform/d3d9/internal.h"

const CLSID CLSID_DirectDraw7 = {0x3C305196, 0x50DB, 0x11D3, {0x9C, 0xFE, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
const IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace d3d9 {

namespace {

class DirectDraw final : public ComObject<IDirectDraw7> {
public:
    DirectDraw() { ++LiveObjectCount(); }
    ~DirectDraw() override { --LiveObjectCount(); }

    HRESULT QueryInterface(REFIID iid, void **out) override {
        return QueryOneInterface<IDirectDraw7>(this, IID_IDirectDraw7, iid, out);
    }

    HRESULT Initialize(GUID *driver) override {
        Record("DirectDraw::Initialize", (const void *)driver);
        if (HRESULT hr = ScriptedFailure("DirectDraw::Initialize")) return hr;
        if (initialised) return DDERR_ALREADYINITIALIZED;
        initialised = true;
        return DD_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        Record("DirectDraw::SetCooperativeLevel", (const void *)window, flags);
        if (!initialised) return DDERR_NOTINITIALIZED;
        return DD_OK;
    }

    HRESULT GetVerticalBlankStatus(BOOL *inVerticalBlank) override {
        if (!inVerticalBlank) return DDERR_INVALIDPARAMS;
        if (!initialised) return DDERR_NOTINITIALIZED;
        *inVerticalBlank = InVerticalBlank() ? TRUE : FALSE;
        return DD_OK;
    }

    HRESULT WaitForVerticalBlank(DWORD flags, HANDLE) override {
        Record("DirectDraw::WaitForVerticalBlank", flags);
        if (!initialised) return DDERR_NOTINITIALIZED;
        if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND) return DDERR_INVALIDPARAMS;
        WaitForVerticalBlankStart();
        return DD_OK;
    }

private:
    bool initialised = false;
};

}  // namespace

}  // namespace d3d9

HRESULT CreateDirectDrawObject(REFIID iid, void **out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    d3d9::Record("CoCreateInstance:DirectDraw7");
    if (HRESULT hr = d3d9::ScriptedFailure("CoCreateInstance:DirectDraw7")) return hr;
    d3d9::DirectDraw *object = new d3d9::DirectDraw();
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}
