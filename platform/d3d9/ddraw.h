// DirectDraw 7 as far as the library uses it: an object made with CoCreateInstance,
// initialised once, and the vertical-blank calls (on the same emulated 60 Hz display
// that paces Direct3D presentation).
#pragma once

#include "platform/com/com.h"
#include "platform/windef.h"

extern const CLSID CLSID_DirectDraw7;
extern const IID IID_IDirectDraw7;

#define DD_OK S_OK
#define DDERR_ALREADYINITIALIZED ((HRESULT)0x88760005u)
#define DDERR_NOTINITIALIZED ((HRESULT)0x800401F0u)
#define DDERR_INVALIDPARAMS E_INVALIDARG

#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_EXCLUSIVE 0x00000010u

#define DDWAITVB_BLOCKBEGIN 0x00000001u
#define DDWAITVB_BLOCKEND 0x00000004u

struct IDirectDraw7 : IUnknown {
    virtual HRESULT Initialize(GUID *driver) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT GetVerticalBlankStatus(BOOL *inVerticalBlank) = 0;
    virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
};
typedef IDirectDraw7 *LPDIRECTDRAW7;

// The class factory registered for CLSID_DirectDraw7.
HRESULT CreateDirectDrawObject(REFIID iid, void **out);
