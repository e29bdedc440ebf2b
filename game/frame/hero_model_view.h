// The hero as a 3D model on the player menu: loaded once with the other resources, placed at
// the menu's spot, and turned a half degree a frame while SHOT has it turning (LEFT: the angle
// grows, RIGHT: it shrinks; RIGHT wins when both are pressed). Without the model file the
// handle stays -1: the model calls refuse it and nothing draws.
#pragma once

class GameInput;

struct HeroModelView {
    int model = -1;
    float angle = 0.0f;     // degrees
    unsigned char turning = 0;
    unsigned char direction = 1;  // 1: the angle grows
};

// Loads "DataForWork\vedaz3d\vedaz.mv1" with lighting off, at (50, 200, 10), scale 150, opaque,
// its texture point-sampled.
void LoadHeroModel(HeroModelView &view);
// One frame of the view while its page is shown: the buttons, the turn, then the draw.
void UpdateHeroModel(HeroModelView &view, const GameInput &input);
