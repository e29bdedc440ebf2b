// The hero on the screen: its place from the camera, its sprite with the blink after a hit, and
// the darkness around it.
#include "game/actors/actor_map.h"
#include "game/actors/companion.h"
#include "game/actors/player.h"
#include "game/frame/game_graphics.h"
#include "game/world/world_services.h"

void LoadPlayerImages(Player &p)
{
    GameGraphicsCalls &g = GameGraphics();
    p.sheet = g.openImageAsGraph("DataForWork\\MyChar.bmp", 0);
    p.secondSheet = g.openImageAsGraph("DataForWork\\mychar2.bmp", 0);
    p.lightMask = g.openImageAsGraph("DataForWork\\sasshadow.bmp", 0);
}

void UpdatePlayerScreenPosition(Player &p)
{
    CameraPoint camera = p.companion ? ActorCamera(*p.companion) : CameraPoint{160, 120};
    float sx = ScreenX(camera, p.x), sy = ScreenY(camera, p.y);
    if (sx > -64 && sx < 384 && sy > -64 && sy < 304) {
        p.screenX = (float)(int)sx;
        p.screenY = (float)(int)sy;
    } else {
        p.screenX = -32;
        p.screenY = -32;
    }
}

void DrawPlayer(Player &p)
{
    int column = p.facing, row = p.pose;
    if (p.poseOverrideOn) {
        if (p.poseOverrideColumn != 0) column = p.poseOverrideColumn;
        if (p.poseOverrideRow != 0) row = p.poseOverrideRow;
    }
    // Looking up (on the ground, or in the air without down): the rows under the plain ones.
    if (p.direction == 2 || p.direction == 3) row = p.pose + 3;
    column += 2 * p.costume;
    p.sourceRect[0] = 16 * column;
    p.sourceRect[1] = 16 * row;
    p.sourceRect[2] = 16 * column + 16;
    p.sourceRect[3] = 16 * row + 16;

    // The blink counts down here, in the draw: while the hero is hidden it does not.
    if (p.invulnerable > 0) {
        if (p.costume == 6) p.costume = 0;
        if (p.invulnerable == 100) WorldServices().playEffectSound(10);
        if (p.companion && p.companion->mode == COMPANION_STEERED) StopCompanion(*p.companion);
        p.invulnerable--;
    }
    if (p.invulnerable % 2 != 0) return;
    GameGraphics().drawGraphPart((int)p.screenX - p.drawAnchorX, (int)p.screenY - p.drawAnchorY, p.sourceRect[0],
                                 p.sourceRect[1], 16, 16, p.sheet, 1, 0);
}

void DrawLightMask(Player &p)
{
    if (p.darkness != 1) return;
    GameGraphics().drawGraphPart((int)p.screenX - 512, (int)p.screenY - 512, 0, 0, 1024, 1024, p.lightMask, 1, 0);
}
