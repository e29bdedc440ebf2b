// The static shapes a map grid gives the physics world: runs and blocks of solid cells merged
// into boxes, and one polygon for every other cell with an attribute.
#pragma once

#include <box2d/box2d.h>

#include <cstdint>
#include <functional>
#include <vector>

struct StaticPiece {
    bool box;             // a merged box (centre and half-size) or a cell polygon
    float cx, cy, hx, hy; // units
    int count;            // polygon corners, in units
    b2Vec2 corners[4];
    int16_t group;        // collision group (-3 for attribute 5)
};

// Attributes merged into boxes.
inline bool IsMergedAttribute(int attribute) { return attribute == 1 || attribute == 14 || attribute == 15; }

// Plans the pieces of the first columns x rows cells (each at most 200 x 150); cellAt reads a
// cell's attribute nibble source (the whole 32-bit cell).
std::vector<StaticPiece> PlanStaticPieces(int columns, int rows, const std::function<uint32_t(int, int)> &cellAt);

// The static body of one piece (density 0, its collision group), made on the world.
b2Body *CreateStaticPieceBody(b2World &world, const StaticPiece &piece);
