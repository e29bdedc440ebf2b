// A shot in flight: every projectile, blast, beam and thrown object that hurts is one node of the
// shot list that Arms owns.
#pragma once

#include <cstdint>

#include "game/actors/enemy_ref.h"

struct ShotNode {
    ShotNode *prev = nullptr, *next = nullptr;
    float x = 0, y = 0;             // centre, map pixels
    float screenX = 0, screenY = 0; // written every frame from the camera
    int damage = 0;
    uint8_t breaksBlocks = 0, stopsAtWalls = 0;
    int age = 0;
    int behaviour = 0;
    uint8_t hit = 0;
    int halfWidth = 0, halfHeight = 0; // of the drawn sprite
    float direction = 0;
    int bodyId = -1; // the physics body that carries the shot, -1 none
    int burstCode = 0;
    uint8_t pushesObjects = 0;
    int cellX = 0, cellY = 0; // sprite cell in the shot sheet
    float vy = 0, vx = 0;
    uint8_t ready = 1;
    uint8_t harmful = 0;
    float hitHalfWidth = 0, hitHalfHeight = 0;
    uint8_t fromEnemy = 0;
    int paramA = 0, paramB = 0;
    float paramC = 0;
    int hitsBoth = 0;
    int knockBack = 0;
    uint8_t takesWeapon = 0, takesArmour = 0;
    int counter = 0; // frames since the first hit, for the shots that count from it
    EnemyRef owner; // the firing enemy, for the behaviours that follow it
};
