// Built-in modules: the sound device module and its enumerator, the Direct3D 9 module.
#include "platform/kernel32/libloaderapi.h"

#include <strings.h>

#include <cstring>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/module.h"
#include "platform/dsound/dsound.h"
#include "platform/testing/sound.h"

namespace {

struct MODULEENTRY {
    const char *name;
    const char *symbol;
    FARPROC function;
};

const MODULEENTRY kModules[] = {
    {"DSOUND.DLL", "DirectSoundEnumerateA", reinterpret_cast<FARPROC>(reinterpret_cast<void *>(&DirectSoundEnumerateA))},
    {"D3D9.DLL", "Direct3DCreate9", reinterpret_cast<FARPROC>(reinterpret_cast<void *>(&Direct3DCreate9))},
};

bool g_moduleHidden = false;
bool g_symbolHidden = false;
int g_loads = 0;

}  // namespace

HMODULE LoadLibraryA(LPCSTR name) {
    if (!name || g_moduleHidden) return nullptr;
    for (const MODULEENTRY &m : kModules)
        if (strcasecmp(name, m.name) == 0) {
            if (&m == &kModules[1] && D3D9ModuleLoadRefused()) return nullptr;
            g_loads++;
            return reinterpret_cast<HMODULE>(const_cast<MODULEENTRY *>(&m));
        }
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (!module || !name) return nullptr;
    const MODULEENTRY *m = reinterpret_cast<const MODULEENTRY *>(module);
    if (m < kModules || m >= kModules + sizeof(kModules) / sizeof(kModules[0])) return nullptr;
    if (m == &kModules[0] && g_symbolHidden) return nullptr;
    if (m == &kModules[1] && D3D9EntryPointHidden()) return nullptr;
    return strcmp(name, m->symbol) == 0 ? m->function : nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (!module || g_loads == 0) return FALSE;
    g_loads--;
    return TRUE;
}

void SoundTestHideEnumerator(BOOL moduleMissing, BOOL symbolMissing) {
    g_moduleHidden = moduleMissing;
    g_symbolHidden = symbolMissing;
}

void SoundEnumTestReset() { SoundTestHideEnumerator(FALSE, FALSE); }
