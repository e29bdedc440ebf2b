// Frame transforms: the bind matrices every frame of a base gets once after loading, the
// ordered transform builder, and the sampling of one attached animation into frame parts (or,
// where angles would interpolate badly, straight into a 3x4 matrix).
#pragma once

#include "library/model/model_base.h"

// One key set an animated frame follows.
struct MV1KEYREF {
    const MV1KEYSET *keySet;
    int32_t shape;     // shape index within the frame for target 18, -1 none
    float lastValue;
    int32_t key;       // current key, kept up to date as the time advances
};

// Output flag bits of an entry.
enum : uint32_t {
    MV1_PARTS_TRANSLATE = 1u << 0,
    MV1_PARTS_SCALE = 1u << 1,
    MV1_PARTS_ROTATE = 1u << 2,
    MV1_PARTS_QUATERNION_ROW = 1u << 3,
    MV1_PARTS_MATRIX = 16u,
    MV1_PARTS_QUATERNION_COLUMN = 1u << 5,
};

// One animated frame of an attached animation.
struct MV1ANIMENTRY {
    int32_t keyRefCount;
    MV1FRAMESTATE *frameState;  // or null
    uint32_t flags;
    VEC3 scale;
    VEC3 translation;
    int32_t rotationOrder;
    VEC3 rotation;
    float quaternion[4];
    MAT34 matrix;               // the accurate path's whole transform
    MV1KEYREF *keyRefs;
};

struct MV1ANIMSTATE {
    int32_t entryCount;
    int32_t additive;           // vector keys add to the frame's parts
    int32_t accurate;           // always the matrix path
    uint8_t done;
    float time;
    MV1ANIMENTRY *entries;
};

// Appends a frame to its parent's children, or to the roots without a parent. Frames are linked
// in index order, each with its index set.
void LinkModelFrame(MV1BASE *base, MV1FRAME &f, MV1FRAME *parent);
// Local, bind world and inverse bind world matrices of every frame, parents first. A bind world
// that cannot be inverted keeps the identity as its inverse (logged). 0, or -1 when one could not.
int SetupFrameBindMatrices(MV1BASE *base);
// out = scale x the three axis rotations in the coded order x the pre-rotation (X, Y, Z of its
// angles, when given) x translation, row-vector form. An order code outside 0-5 leaves the scale
// alone in `out` and returns -1.
int MakeOrderedTransformMatrix(const VEC3 *rotation, const VEC3 *scale, const VEC3 *translation,
                               const VEC3 *preRotation, MAT44 *out, int order);
// The 3x4 rotation of the angles in the coded order (the identity for a code outside 0-5).
int MakeOrderedRotation3x4(MAT34 *out, const VEC3 *angles, int order);
// Samples the animation at its time into its entries and marks their frames changed; nothing
// when it is done already. 0.
int SampleFrameAnimation(MV1ANIMSTATE *state);
