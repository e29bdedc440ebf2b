// DirectInput 7 / 8 and the multimedia joystick functions, as the library uses
// them: keyboard, mouse and up to 16 joypads with force feedback. Devices are
// the stand-in's virtual ones, fed by the host (real keys and pads) or by tests.
#pragma once

#include "platform/com/com.h"

#define DIRECTINPUT_VERSION_7 0x0700
#define DIRECTINPUT_VERSION_8 0x0800

extern const CLSID CLSID_DirectInput;
extern const CLSID CLSID_DirectInput8;
extern const IID IID_IDirectInput7A;
extern const IID IID_IDirectInput8A;
extern const GUID GUID_SysMouse;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_ConstantForce;
extern const GUID GUID_Square;

#define DI_OK S_OK
#define DIERR_INPUTLOST ((HRESULT)0x8007001Eu)
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000Cu)
#define DIERR_DEVICENOTREG REGDB_E_CLASSNOTREG
#define DIERR_INVALIDPARAM E_INVALIDARG

// Enumeration
#define DI8DEVCLASS_GAMECTRL 4
#define DIDEVTYPE_JOYSTICK 4
#define DIEDFL_ATTACHEDONLY 0x00000001u
#define DIENUM_STOP 0
#define DIENUM_CONTINUE 1

struct DIDEVICEINSTANCEA {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[MAX_PATH];
    CHAR tszProductName[MAX_PATH];
};
typedef BOOL (*LPDIENUMDEVICESCALLBACKA)(const DIDEVICEINSTANCEA *instance, LPVOID context);

// Cooperative levels
#define DISCL_EXCLUSIVE 0x00000001u
#define DISCL_NONEXCLUSIVE 0x00000002u
#define DISCL_FOREGROUND 0x00000004u
#define DISCL_BACKGROUND 0x00000008u

// Data formats: the stand-in tells them apart by identity.
struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwDataSize;
};
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIJoystick;

// Properties
struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
struct DIPROPDWORD {
    DIPROPHEADER diph;
    DWORD dwData;
};
struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};
#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
// Property ids are small integers passed as pointers on the platform.
#define DIPROP_BUFFERSIZE ((const GUID *)(uintptr_t)1)
#define DIPROP_RANGE ((const GUID *)(uintptr_t)4)
#define DIPROP_DEADZONE ((const GUID *)(uintptr_t)5)

struct DIJOYSTATE {
    LONG lX, lY, lZ;
    LONG lRx, lRy, lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];
    BYTE rgbButtons[32];
};
#define DIJOFS_X 0
#define DIJOFS_Y 4
#define DIJOFS_Z 8
#define DIJOFS_RX 12
#define DIJOFS_RY 16
#define DIJOFS_RZ 20

struct DIMOUSESTATE {
    LONG lX, lY, lZ;
    BYTE rgbButtons[4];
};

struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
};
#define DIDC_ATTACHED 0x00000001u
#define DIDC_FORCEFEEDBACK 0x00000100u

// Force feedback
struct DICONSTANTFORCE {
    LONG lMagnitude;
};
struct DIPERIODIC {
    DWORD dwMagnitude;
    LONG lOffset;
    DWORD dwPhase;
    DWORD dwPeriod;
};
struct DIEFFECT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDuration;
    DWORD dwSamplePeriod;
    DWORD dwGain;
    DWORD dwTriggerButton;
    DWORD dwTriggerRepeatInterval;
    DWORD cAxes;
    DWORD *rgdwAxes;
    LONG *rglDirection;
    void *lpEnvelope;
    DWORD cbTypeSpecificParams;
    LPVOID lpvTypeSpecificParams;
    DWORD dwStartDelay;
};
#define DIEFF_CARTESIAN 0x00000010u
#define DIEFF_OBJECTOFFSETS 0x00000002u
#define DI_FFNOMINALMAX 10000
#define INFINITE_DURATION 0xFFFFFFFFu
#define DIEB_NOTRIGGER 0xFFFFFFFFu

struct IDirectInputEffect : IUnknown {
    virtual HRESULT Start(DWORD iterations, DWORD flags) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT SetParameters(const DIEFFECT *effect, DWORD flags) = 0;
};

// One device interface serves both versions (the library uses the common part).
struct IDirectInputDevice8A : IUnknown {
    virtual HRESULT GetCapabilities(DIDEVCAPS *caps) = 0;
    virtual HRESULT SetDataFormat(const DIDATAFORMAT *format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT SetProperty(const GUID *property, const DIPROPHEADER *header) = 0;
    virtual HRESULT SetEventNotification(HANDLE event) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual HRESULT Poll() = 0;
    virtual HRESULT CreateEffect(REFGUID kind, const DIEFFECT *effect, IDirectInputEffect **out,
                                 LPUNKNOWN outer) = 0;
};
typedef IDirectInputDevice8A IDirectInputDevice7A;

struct IDirectInput8A : IUnknown {
    virtual HRESULT Initialize(HINSTANCE instance, DWORD version) = 0;
    virtual HRESULT CreateDevice(REFGUID guid, IDirectInputDevice8A **out, LPUNKNOWN outer) = 0;
    virtual HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                DWORD flags) = 0;
};
typedef IDirectInput8A IDirectInput7A;

// Registers the DirectInput classes with the COM stand-in.
void PlatformRegisterDirectInput();

// ---- USER32 keyboard state and the WINMM joystick functions ------------------------

#define VK_SHIFT 0x10
#define VK_RSHIFT 0xA1
BOOL GetKeyboardState(BYTE *keys256);
SHORT GetAsyncKeyState(int vk);

#define JOYERR_NOERROR 0u
#define JOYERR_UNPLUGGED 167u
#define JOYERR_PARMS 165u
#define JOYCAPS_HASZ 0x0001u
#define JOYCAPS_HASR 0x0002u
#define JOY_RETURNALL 0x000000FFu

struct JOYCAPSA {
    WORD wMid, wPid;
    CHAR szPname[32];
    UINT wXmin, wXmax, wYmin, wYmax, wZmin, wZmax;
    UINT wNumButtons;
    UINT wPeriodMin, wPeriodMax;
    UINT wRmin, wRmax, wUmin, wUmax, wVmin, wVmax;
    UINT wCaps;
    UINT wMaxAxes, wNumAxes, wMaxButtons;
};
struct JOYINFOEX {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwXpos, dwYpos, dwZpos, dwRpos, dwUpos, dwVpos;
    DWORD dwButtons;
    DWORD dwButtonNumber;
    DWORD dwPOV;
    DWORD dwReserved1, dwReserved2;
};
UINT joyGetDevCapsA(UINT_PTR id, JOYCAPSA *caps, UINT size);
UINT joyGetPosEx(UINT id, JOYINFOEX *info);
