// The fan walk that gathers the faces around each vertex into smoothing groups: from a corner,
// across the edges to the next corner and then the other way, a neighbour joins when it is wound
// the same way and its normal lies within the smoothing angle. Shared by the normal rebuild of a
// base and the normals of the read data.
#pragma once

#include "library/base/vecmath.h"

#include <cstdint>

struct FANINPUT {
    int32_t faceCount;
    const int32_t *facePositions;  // three position indices per face
    const VEC3 *facePoints;        // the positions
    int32_t positionCount;
    const VEC3 *faceNormals;       // unit face normals
    float cosLimit;                // a neighbour joins at a normal dot product of at least this
};

// Per corner slot (face x 3 + corner): the slot of its group's first corner, and for that first
// slot the group's normal. 0, or -1 when the work memory cannot be allocated.
int BuildSmoothingGroups(const FANINPUT *in, int32_t *cornerGroup, VEC3 *groupNormals);
// The unit normal of a triangle (P1 - P0) x (P2 - P0); the zero vector for a degenerate one.
VEC3 TriangleNormal(const VEC3 &p0, const VEC3 &p1, const VEC3 &p2);
