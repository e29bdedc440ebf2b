// Loading modules and finding their functions. The stand-in's modules are built in; a name it
// does not provide fails to load.
#pragma once

#include "platform/windef.h"

typedef INT_PTR (*FARPROC)();

HMODULE LoadLibraryA(LPCSTR name);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
