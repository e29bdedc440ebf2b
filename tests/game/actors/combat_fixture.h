// The combat tests' fixture: the enemies' fixture with the contact record wired as CurGame wires
// it, a field-object list of the test's own (no physics behind it), and shots made straight from
// field values, so that each behaviour is driven by exactly what it reads.
#pragma once

#include <vector>

#include "game/world/field_objects.h"
#include "tests/game/actors/enemy_fixture.h"

class CombatTest : public EnemyTest {
protected:
    CombatTest() {
        contact.arms = &arms;
        contact.enemies = &enemies;
        contact.player = &player;
        contact.status = &status;
        contact.grid = &grid;
        contact.fieldObjects = &objects;
        arms.status = &status;
        arms.fieldObjects = &objects;
        status.hp = status.hpMax = 50;
        status.mp = status.mpMax = 20;
    }

    // A bare shot with the given behaviour at (x, y), appended to the list.
    ShotNode *Shot(int behaviour, float x = 100, float y = 100, uint8_t fromEnemy = 0) {
        ShotNode *s = new ShotNode;
        s->behaviour = behaviour;
        s->x = x;
        s->y = y;
        s->fromEnemy = fromEnemy;
        s->harmful = 1;
        s->hitHalfWidth = s->hitHalfHeight = 4;
        AppendShotNode(arms, s);
        return s;
    }
    // An enemy that can be hit: a box at (x, y) with hp.
    EnemyNode *Target(float x, float y, int hp = 10) {
        EnemyNode *e = Bare(x, y);
        e->halfWidth = e->halfHeight = 8;
        e->hp = e->maxHp = hp;
        return e;
    }
    // A field object of the given row at (x, y) with no body.
    FieldObjectNode &Object(float x, float y, int row, int image = 5, int value = 0) {
        FieldObjectNode n;
        n.x = x;
        n.y = y;
        n.width = n.height = 4;
        n.row = row;
        n.image = image;
        n.value = value;
        objects.nodes.push_back(n);
        return objects.nodes.back();
    }
    // Updates until the shot is freed; the number of updates it took (limit + 1 when it lives on).
    int UpdatesToEnd(ShotNode *s, int limit = 2000) {
        for (int n = 1; n <= limit; n++) {
            UpdateShots(arms);
            if (!Listed(s)) return n;
        }
        return limit + 1;
    }
    bool Listed(const ShotNode *s) const {
        for (const ShotNode *t = arms.shotHead; t; t = t->next)
            if (t == s) return true;
        return false;
    }
    int ShotCount() const { return (int)Shots().size(); }

    FieldObjects objects;
    PlayerContact contact;
};
