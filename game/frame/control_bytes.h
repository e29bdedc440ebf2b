// The control bytes that gate the play frame's steps, set by event commands and by the area
// transition: each 0 unless a module holds it.
#pragma once

#include <cstdint>

struct ControlBytes {
    uint8_t attackPause = 0;     // 1 while an area transition runs: enemy attacks and cell damage wait
    uint8_t playFreeze = 0;
    uint8_t effectsFreeze = 0;
    uint8_t worldDrawingOff = 0;
    uint8_t hudOff = 0;
    uint8_t playerHidden = 0;
    uint8_t endingRequest = 0;
};
