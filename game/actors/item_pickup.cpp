// Money and items lying in the field: money is taken by walking near it, items by holding DOWN
// near them; a taken item is equipped or carried and named in the HUD's notifications.
#include "game/actors/actors.h"
#include "game/actors/combat.h"
#include "game/world/field_objects.h"
#include "game/world/world_services.h"

namespace {

constexpr int kHoldingItem = 146; // while one lies in the field, shot bodies keep their velocity
constexpr int kTaken = -1;

} // namespace

void PickUpItems(PlayerContact &c)
{
    if (!c.arms || !c.player || !c.fieldObjects) return;
    WorldServiceCalls &w = WorldServices();
    Arms &arms = *c.arms;
    const Player &p = *c.player;
    for (FieldObjectNode &n : c.fieldObjects->nodes) {
        if (n.value == kHoldingItem) arms.velocityHold = 100;
        if (n.image == kTaken || n.thrown) continue;
        if (!BoxesOverlap(n.x, n.y, (float)n.width, (float)n.height, p.x, p.y, 3.0f * p.halfWidth,
                          3.0f * p.halfHeight))
            continue;
        if (n.image == 0 || n.image == 1) {
            w.playEffectSound(88);
            w.addMoney(c.inventory, n.value);
            n.image = kTaken;
            continue;
        }
        if (n.value == 0 || w.buttonCount(BUTTON_DOWN) == 0) continue;
        if (AutoEquipItem(n.value, arms) == -1 && w.addCarriedItem(c.inventory, n.value) == -1) continue;
        w.playEffectSound(4);
        n.image = kTaken;
        w.addNotification(c.hud, GetItemDisplayName(n.value, c.inventory));
    }
}
