// SDL2 audio device for the mix: 44.1 kHz, 16-bit, stereo, pulled from SDL's audio thread.
#include "platform/host/sdl2/sound_output.h"

#include <SDL.h>

#include <cstdio>

namespace {

struct SDLSOUND {
    SDL_AudioDeviceID device = 0;
    SOUND_PULL pull = nullptr;
    char name[64] = "SDL2";
};
SDLSOUND g_sdl;

void Callback(void *, Uint8 *stream, int bytes) {
    g_sdl.pull(reinterpret_cast<int16_t *>(stream), (uint32_t)bytes / 4);
}

bool OpenDevice() {
    SDL_AudioSpec want{}, have{};
    want.freq = SOUND_OUTPUT_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = SOUND_OUTPUT_CHANNELS;
    want.samples = 1024;
    want.callback = Callback;
    g_sdl.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    return g_sdl.device != 0;
}

int Open(SOUND_PULL pull) {
    g_sdl.pull = pull;
    bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (ok && !OpenDevice()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        ok = false;
    }
    if (!ok) {
        // No usable sound card: SDL's dummy driver still runs the mix in real time.
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return -1;
        if (!OpenDevice()) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return -1;
        }
    }
    const char *driver = SDL_GetCurrentAudioDriver();
    snprintf(g_sdl.name, sizeof g_sdl.name, "SDL2 %s", driver ? driver : "");
    SDL_PauseAudioDevice(g_sdl.device, 0);
    return 0;
}

void Close() {
    if (!g_sdl.device) return;
    SDL_CloseAudioDevice(g_sdl.device);
    g_sdl.device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const SOUND_OUTPUT kOutput = {g_sdl.name, Open, Close};

}  // namespace

const SOUND_OUTPUT *SdlSoundOutput() { return &kOutput; }
