// Picks the host once per process.
#include "platform/host/host.h"
#include "platform/d3d9/present.h"
#include "platform/host/sdl2/sound_output.h"
#include "platform/dsound/output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace host {
namespace {

Host *g_host = nullptr;
std::once_flag g_once;

// Presented Direct3D frames go to the host: the SDL2 window, or the headless frame files.
bool PresentToHost(const D3D9PresentedFrame &f) {
    int w = f.source.right - f.source.left, h = f.source.bottom - f.source.top;
    if (w <= 0 || h <= 0 || f.source.left < 0 || f.source.top < 0 || f.source.right > f.width ||
        f.source.bottom > f.height)
        return false;
    const uint32_t *first = f.pixels + static_cast<size_t>(f.source.top) * f.pitchPixels + f.source.left;
    int dest[4] = {f.dest.left, f.dest.top, f.dest.right - f.dest.left, f.dest.bottom - f.dest.top};
    return Current().PresentFrame(reinterpret_cast<uintptr_t>(f.window), first, w, h, f.pitchPixels * 4,
                                  f.hasDest ? dest : nullptr);
}

// The headless host gets the presented frames too: it saves the ones a key script marks.
Host *Headless() {
    D3D9SetPresentHook(PresentToHost);
    return CreateHeadless();
}

Host *Choose() {
    const char *want = std::getenv("KELMOR_HOST");
    if (want && std::strcmp(want, "headless") == 0) return Headless();
    if (want && *want && std::strcmp(want, "sdl2") != 0)
        std::fprintf(stderr, "KELMOR_HOST=%s is not a host; trying sdl2\n", want);
    if (Host *sdl = CreateSdl2()) {
        SetSoundOutput(SdlSoundOutput());
        D3D9SetPresentHook(PresentToHost);
        return sdl;
    }
    return Headless();
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
