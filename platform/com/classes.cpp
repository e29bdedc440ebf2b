#include "platform/com/com.h"
#include "platform/dinput/dinput.h"
#include "platform/dshow/dshow.h"

// Static registration would be dropped by the linker from a static library,
// so the built-in classes are listed here explicitly.
HRESULT CreateDirectSoundObject(REFIID iid, void **out);
extern const CLSID CLSID_DirectSound;
HRESULT CreateDirectDrawObject(REFIID iid, void **out);
extern const CLSID CLSID_DirectDraw7;

void PlatformRegisterBuiltinComClasses() {
    PlatformRegisterComClass(CLSID_DirectSound, CreateDirectSoundObject);
    PlatformRegisterComClass(CLSID_DirectDraw7, CreateDirectDrawObject);
    PlatformRegisterDirectInput();
    PlatformRegisterDirectShow();
}
