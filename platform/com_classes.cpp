#include "platform/com.h"

// Static registration would be dropped by the linker from a static library,
// so the built-in classes are listed here explicitly.
void PlatformRegisterBuiltinComClasses() {
}
