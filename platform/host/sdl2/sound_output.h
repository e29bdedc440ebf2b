// The SDL2 host's sound output: an SDL audio device pulling the stand-in's mix.
#pragma once

#include "platform/dsound/output.h"

// Connect with SetSoundOutput(SdlSoundOutput()) before the sound device is made. Opening tries
// SDL's own driver choice, then its dummy driver (machines without a sound card).
const SOUND_OUTPUT *SdlSoundOutput();
