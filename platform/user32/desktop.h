// The desktop window: a handle no window record has, for calls that want the desktop as owner.
#pragma once

#include "platform/windef.h"

HWND GetDesktopWindow();
