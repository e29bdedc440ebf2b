#include "tools/actor-trace/hero_frame.h"

#include <cstdio>

#include "game/actors/actor_map.h"

void RunHeroFrame(Player &player, Companion &companion)
{
    if (companion.mode == COMPANION_FOLLOW) {
        UpdatePlayerMovement(player);
        UpdateLookOffset(companion);
    }
    CollidePlayerWithMap(player);
    UpdateCompanion(companion);
    UpdateCompanionScreenPosition(companion);
    UpdatePlayerScreenPosition(player);
}

std::string HeroTraceLine(int frame, const Player &p, const Companion &c)
{
    CameraPoint camera = ActorCamera(c);
    char line[320];
    std::snprintf(line, sizeof line,
                  "%5d  x %9.4f y %9.4f  vx %7.4f vy %7.4f  ground %d air %d water %d  pose %d facing %d dir %d  "
                  "companion %8.3f %8.3f  camera %7.2f %7.2f  screen %4d %4d",
                  frame, p.x, p.y, p.vx, p.vy, p.onGround, (int)p.airborne, p.inWater, p.pose, p.facing, p.direction,
                  c.x, c.y, camera.x, camera.y, (int)p.screenX, (int)p.screenY);
    return line;
}
