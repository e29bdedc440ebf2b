// The weapon in the hero's hand, the arms box of the HUD, the shots on the screen, and the
// removal of shots that left the map.
#include "game/actors/actor_map.h"
#include "game/actors/arms.h"
#include "game/actors/companion.h"
#include "game/actors/player.h"
#include "game/frame/game_graphics.h"
#include "game/world/world_services.h"

namespace {

int WeaponClass(int weapon)
{
    const ItemKind *row = WorldServices().itemKind(weapon);
    return row ? row->handClass : 0;
}

// The drawn size of a shot by its behaviour; 0 x 0 draws nothing.
void ShotSize(const ShotNode &s, int *w, int *h)
{
    switch (s.behaviour) {
    case 0:
    case 2: *w = *h = 16; return;
    case 4:
    case 24: *w = 128, *h = 16; return;
    case 5:
    case 25: *w = *h = 8; return;
    case 6:
    case 11: *w = *h = 4; return;
    case 14: *w = *h = 0; return;
    default: *w = 2 * s.halfWidth, *h = 2 * s.halfHeight; return;
    }
}

} // namespace

void LoadArmsImages(Arms &arms)
{
    GameGraphicsCalls &g = GameGraphics();
    arms.shotSheet = g.openImageAsGraph("DataForWork\\eq\\tama.dds", 0);
    arms.iconSheet = g.openImageAsGraph("DataForWork\\eq\\ArmsImage.bmp", 0);
    arms.handSheet = g.openImageAsGraph("DataForWork\\eq\\arms.bmp", 0);
}

void DrawWeaponInHand(Arms &arms)
{
    if (!arms.player) return;
    Player &p = *arms.player;
    if (p.costume == 6) return;
    arms.weaponScreenX = p.screenX;
    arms.weaponScreenY = p.screenY;
    int k = WeaponClass(arms.weapon);
    if (!((k >= 5 && k <= 9) || k == 20)) return;
    arms.drawOffsetX = p.direction % 2 == 0 ? 16 : 8;
    arms.drawOffsetY = p.direction >= 4 ? 5 : p.direction < 2 ? 9 : 14;
    int column = k == 20 ? 1 : k - 5;
    GameGraphics().drawGraphPart((int)arms.weaponScreenX - arms.drawOffsetX, (int)arms.weaponScreenY - arms.drawOffsetY,
                                 column * 24, p.direction * 16, 24, 16, arms.handSheet, 1, 0);
}

void DrawArmsHud(Arms &arms)
{
    const WorldServiceCalls &w = WorldServices();
    int k = WeaponClass(arms.weapon);
    if (k != 0) {
        // The icon slides in from the left after a weapon change.
        if (arms.iconSlide > 0) {
            arms.drawOffsetX = arms.iconSlide - 16;
            arms.iconSlide -= 3;
        } else {
            arms.drawOffsetX = -16;
        }
        arms.drawOffsetY = -14;
        w.addOverlayText(arms.overlay, 45, 13, "SB");
        const ItemKind *row = w.itemKind(arms.weapon);
        if (row && row->kind == ITEM_COUNTED_WEAPON) w.addOverlayNumber(arms.overlay, arms.iconSlide + 73, 13, arms.weaponCount + 1);
        else w.addOverlayText(arms.overlay, arms.iconSlide + 65, 13, "--");
        GameGraphics().drawGraphPart(-arms.drawOffsetX, -arms.drawOffsetY, 16 * k, 0, 16, 15, arms.iconSheet, 1, 0);
    }
    w.addOverlayText(arms.overlay, 45, 21, GetItemDisplayName(arms.weapon, arms.inventory));
}

void DrawShots(Arms &arms)
{
    for (ShotNode *s = arms.shotHead; s; s = s->next) {
        int w = 0, h = 0;
        ShotSize(*s, &w, &h);
        GameGraphics().drawGraphPart((int)s->screenX - s->halfWidth, (int)s->screenY - s->halfHeight, s->cellX,
                                     s->cellY, w, h, arms.shotSheet, 1, 0);
    }
}

void UpdateShotScreenPositions(Arms &arms)
{
    CameraPoint camera = arms.companion ? ActorCamera(*arms.companion) : CameraPoint{160, 120};
    for (ShotNode *s = arms.shotHead; s; s = s->next) {
        s->screenX = (float)(int)ScreenX(camera, s->x);
        s->screenY = (float)(int)ScreenY(camera, s->y);
    }
}

void RemoveShotsOffMap(Arms &arms)
{
    const int width = arms.grid ? arms.grid->width : 0, height = arms.grid ? arms.grid->height : 0;
    ShotNode *s = arms.shotHead;
    while (s) {
        MapPoint m = MapPointAt(arms.grid, s->x, s->y);
        // Past the last row, or left or right of the grid: gone. Above the top row a shot stays
        // (it may come back down) but meets no wall.
        if (m.column < 0 || m.column >= width || m.row >= height) {
            s = RemoveShotNode(s, arms);
            continue;
        }
        if (m.inside && s->stopsAtWalls && CellAttribute(m.cell) == 1) s->hit = 1;
        s = s->next;
    }
}
