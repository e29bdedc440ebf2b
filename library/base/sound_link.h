// What start-up, shut-down and the message pump call in the sound component. The sound library
// fills the record before main whenever a program links it (library/sound/sound_link.cpp); a
// program built without it starts as on a machine without sound.
#pragma once

struct SOUNDLINK {
    int (*start)();          // InitializeSoundSystem
    int (*end)();            // TerminateSoundSystem
    int (*refillStreams)();  // RefillStreamSounds, once per pump call
};

extern SOUNDLINK g_soundLink;
