#include "game/frame/hero_model_view.h"

#include "game/frame/game_input.h"
#include "library/graphics/state3d.h"
#include "library/model/model.h"

void LoadHeroModel(HeroModelView &view)
{
    // The game draws in the 320 x 240 corner of the 640 x 480 screen and stretches it over the
    // window afterwards: the camera is that corner's, or the model would stand below what the
    // stretch copies.
    ResetTargetCamera(320, 240);
    SetDrawAreaViewport(0, 0, 640, 480);
    SetPerspectiveFov(0.0f);
    view.model = LoadModel("DataForWork\\vedaz3d\\vedaz.mv1");
    EnableLighting(0);
    SetModelPosition(view.model, 50, 200, 10);
    SetModelScale(view.model, 150, 150, 150);
    SetModelAlphaRate(view.model, 1.0f);
    SetModelTextureFilter(view.model, 0, 0);
}

void UpdateHeroModel(HeroModelView &view, const GameInput &input)
{
    if (input.Pressed(BUTTON_SHOT)) view.turning = !view.turning;
    if (input.Pressed(BUTTON_LEFT)) view.direction = 1;
    if (input.Pressed(BUTTON_RIGHT)) view.direction = 0;
    if (view.turning) {
        view.angle += view.direction ? 0.5f : -0.5f;
        SetModelRotation(view.model, 0, view.angle * 3.1415927f / 180, 0);
    }
    RenderModel(view.model);
}
