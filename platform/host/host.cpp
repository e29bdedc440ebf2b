// Picks the host once per process.
#include "platform/host/host.h"
#include "platform/host/sdl2/sound_output.h"
#include "platform/sound_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace host {
namespace {

Host *g_host = nullptr;
std::once_flag g_once;

Host *Choose() {
    const char *want = std::getenv("KELMOR_HOST");
    if (want && std::strcmp(want, "headless") == 0) return CreateHeadless();
    if (want && *want && std::strcmp(want, "sdl2") != 0)
        std::fprintf(stderr, "KELMOR_HOST=%s is not a host; trying sdl2\n", want);
    if (Host *sdl = CreateSdl2()) {
        SetSoundOutput(SdlSoundOutput());
        return sdl;
    }
    return CreateHeadless();
}

}  // namespace

Host &Current() {
    std::call_once(g_once, [] {
        if (!g_host) g_host = Choose();
    });
    return *g_host;
}

void UseHeadless() {
    std::call_once(g_once, [] {});
    static Host *headless = CreateHeadless();
    g_host = headless;
}

}  // namespace host
