// A read-data frame's matrix taken apart into the parts a base frame keeps: the translation row,
// rotation angles in the first of the six orders that rebuilds the rotation, and a scale.
#include "library/model/model_convert.h"

#include <cmath>

namespace {

struct ORDER {
    int (*toEuler)(const MAT44 *, float *, float *, float *);
    int (*make)(MAT44 *, float, float, float);
    int code;
};
// Tried in this sequence; the codes are the frame's rotation-order codes.
const ORDER kOrders[6] = {
    {MatrixToEulerXYZ, MakeRotMatrixXYZ, 0}, {MatrixToEulerXZY, MakeRotMatrixXZY, 1},
    {MatrixToEulerYXZ, MakeRotMatrixYXZ, 3}, {MatrixToEulerYZX, MakeRotMatrixYZX, 2},
    {MatrixToEulerZXY, MakeRotMatrixZXY, 4}, {MatrixToEulerZYX, MakeRotMatrixZYX, 5},
};
constexpr float kRotationEpsilon = 0.00001f;

bool IsIdentityRotation(const MAT44 &m) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            if (m.m[r * 4 + c] != (r == c ? 1.0f : 0.0f)) return false;
    return true;
}

}  // namespace

int IsRotationPartNear(const MAT44 *a, const MAT44 *b, float epsilon) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const float x = a->m[r * 4 + c], y = b->m[r * 4 + c];
            if (!(x - epsilon < y && y < x + epsilon)) return 0;
        }
    return 1;
}

void DecomposeFrameMatrix(const MODELLOADFRAME *in, MV1FRAME *out) {
    out->translation = in->translation;
    out->scale = in->scale;
    out->rotationOrder = in->rotationOrder;
    out->rotation = in->rotation;
    for (int i = 0; i < 4; ++i) out->quaternion[i] = in->quaternion[i];

    MAT44 work = in->matrix;
    if (work.m[12] != 0.0f || work.m[13] != 0.0f || work.m[14] != 0.0f) {
        out->translation = VEC3{work.m[12], work.m[13], work.m[14]};
        work.m[12] = work.m[13] = work.m[14] = 0.0f;
    }
    MAT44 unit = work;
    for (int r = 0; r < 3; ++r) {
        float *row = unit.m + r * 4;
        const float length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        // A row of length 0 stays 0 rather than be divided by it.
        if (length != 0.0f) row[0] /= length, row[1] /= length, row[2] /= length;
    }
    MAT44 rotation;
    MakeIdentityMatrix(&rotation);
    if (!IsIdentityRotation(unit)) {
        const ORDER *found = nullptr;
        float angles[3] = {};
        for (const ORDER &o : kOrders) {
            o.toEuler(&unit, &angles[0], &angles[1], &angles[2]);
            o.make(&rotation, angles[0], angles[1], angles[2]);
            if (IsRotationPartNear(&rotation, &unit, kRotationEpsilon)) {
                found = &o;
                break;
            }
        }
        if (!found) {
            found = &kOrders[0];
            found->toEuler(&unit, &angles[0], &angles[1], &angles[2]);
            found->make(&rotation, angles[0], angles[1], angles[2]);
        }
        out->rotation = VEC3{angles[0], angles[1], angles[2]};
        out->rotationOrder = found->code;
    }
    // What the rotation leaves is the scale: work x rotation's inverse (its transpose).
    MAT44 inverse, scale;
    MakeTransposedMatrix(&inverse, &rotation);
    MakeProductMatrix(&scale, &work, &inverse);
    const float diagonal[3] = {scale.m[0], scale.m[5], scale.m[10]};
    for (float d : diagonal)
        if (d < 0.99999f || d > 1.00001f) {
            out->scale = VEC3{diagonal[0], diagonal[1], diagonal[2]};
            break;
        }
}
