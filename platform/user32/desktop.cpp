// The desktop window handle. No window of the window manager carries it.
#include "platform/user32/desktop.h"

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x00010010)); }
