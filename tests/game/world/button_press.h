// One frame of button input for the screens that read the logical buttons through their pad
// assignments: the named buttons pressed this frame (count 1), every other one released.
#pragma once

#include <initializer_list>

#include "game/frame/game_input.h"
#include "game/frame/key_bindings.h"

inline void PressButtons(std::initializer_list<int> buttons)
{
    GameInput &in = GetGameInput();
    in.padCounters.fill(0);
    in.keyCounters.fill(0);
    for (int b : buttons) in.padCounters[(size_t)in.padAssign[(size_t)b]] = 1;
}

inline void ReleaseButtons() { PressButtons({}); }

// RESET pressed this frame: it has no default key, so key 19 is bound to it first.
inline void PressReset()
{
    ReleaseButtons();
    GameInput &in = GetGameInput();
    in.keyAssign[BUTTON_RESET] = 19;
    in.keyCounters[19] = 1;
}
