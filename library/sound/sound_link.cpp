// Puts the sound component into the library's start-up, shut-down and message pump. The sound
// library's link options name kelmor_sound_link, so every program that links the library keeps
// this file and with it the record's entries.
#include "library/base/component_links.h"
#include "library/sound/sound.h"

extern "C" {
extern const int kelmor_sound_link;
const int kelmor_sound_link = [] {
    g_soundLink = SOUNDLINK{InitializeSoundSystem, TerminateSoundSystem, RefillStreamSounds};
    return 1;
}();
}
