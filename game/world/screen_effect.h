// The screen effect drawn late in the field: a fixed strip of "mad.dds" (strip A or B), or its
// rows swaying sideways while the wave byte is set. Event commands set the three bytes.
#pragma once

#include <array>
#include <cstdint>

#include "game/world/full_screen_effect.h"

struct ScreenEffect {
    int image = -1; // "DataForWork\\mad.dds"
    std::array<int16_t, kWaveRows> rows{};
    int counter = 0;
    uint8_t stripA = 0, stripB = 0, wave = 0;
};

void LoadScreenEffectImage(ScreenEffect &effect);
// Before drawing, each frame: the wave's row offsets move on while the wave byte is set.
void UpdateScreenWaveRows(ScreenEffect &effect);
void DrawScreenEffect(const ScreenEffect &effect);
