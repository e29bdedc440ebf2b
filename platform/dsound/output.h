// The seam between the stand-in's software mixer and the host's sound output.
#pragma once

#include <cstdint>

// The mixed output: 44,100 frames a second, 16-bit signed, two channels interleaved.
#define SOUND_OUTPUT_RATE 44100
#define SOUND_OUTPUT_CHANNELS 2

// Fills count frames with the mix and moves every play cursor on by as much.
typedef void (*SOUND_PULL)(int16_t *frames, uint32_t count);

struct SOUND_OUTPUT {
    const char *name;
    // Starts pulling from the output's own thread; 0 on success.
    int (*open)(SOUND_PULL pull);
    void (*close)();
};

// Set by the host before the sound device is made. Null (or an output that does not open) means
// the headless sink: cursors then follow the sink's clock (see platform/testing/sound.h).
void SetSoundOutput(const SOUND_OUTPUT *output);
// The output in use while a device is open: its name, or "headless".
const char *CurrentSoundOutputName();
