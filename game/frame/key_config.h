// The key configuration screen (top state 3): rebinds the nine logical buttons to a key and a
// pad button and saves them to "KEY_CONF.DAT".
#pragma once

#include <array>
#include <cstdint>

#include "game/frame/key_bindings.h"

class TextOverlay;

// Frames per second measured at start-up; shown on this screen.
extern int g_measuredRefreshRate;

class KeyConfigScreen {
public:
    // Called once at construction: the screen reset, then the file or the defaults.
    void LoadKeyBindings();
    // One frame with the library's pad bits; -1 when the player saved, else 0.
    int UpdateKeyConfig();
    int UpdateKeyConfigWith(int padBits);
    void DrawKeyConfig(TextOverlay &overlay) const;

    static const char *KeyName(int code);
    static const char *PadName(int pad);

    int titleGraph = -1; // loaded, not drawn
    float unusedX = 64.0f, unusedY = 64.0f;
    int cursor = 0;
    uint8_t waiting = 0;
    uint8_t keysReleased = 0;
    uint8_t padsReleased = 0;
    int frameCount = 0;
    std::array<int32_t, 16> padCounters{};
    KeyAssignments work;
};
