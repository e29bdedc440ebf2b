// PMD bones: world matrices from the local rotation and translation, and the IK solver that turns
// each chain's links until its effector reaches its goal (knees only about X, bending backwards).
#include "library/model/pmd_reader.h"

#include <cmath>

namespace {

// The rotation of a unit quaternion in row-vector form, with a translation in the fourth row.
MAT44 RotationTranslation(const float *q, const VEC3 &t) {
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    return MAT44{{1 - 2 * y * y - 2 * z * z, 2 * x * y + 2 * z * w, 2 * x * z - 2 * y * w, 0,
                  2 * x * y - 2 * z * w, 1 - 2 * x * x - 2 * z * z, 2 * y * z + 2 * x * w, 0,
                  2 * x * z + 2 * y * w, 2 * y * z - 2 * x * w, 1 - 2 * x * x - 2 * y * y, 0,
                  t.x, t.y, t.z, 1}};
}

VEC3 Translation(const MAT44 &m) { return VEC3{m.m[12], m.m[13], m.m[14]}; }

float LengthSquared(const VEC3 &v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

// The knee's delta as a rotation about X alone, by an angle kept within [-pi, -0.002].
void KneeDelta(float *d) {
    const float x = d[0], y = d[1], z = d[2], w = d[3];
    const float halfPi = 1.5707964f;
    float s = -(2 * x * z - 2 * y * w);
    s = s < -1 ? -1 : s > 1 ? 1 : s;
    const float yAngle = std::asin(s);
    float a;
    if (yAngle > -halfPi && yAngle < halfPi) a = std::atan2(2 * y * z + 2 * x * w, 1 - 2 * x * x - 2 * y * y);
    else if (yAngle >= halfPi) a = std::atan2(2 * x * y - 2 * z * w, 1 - 2 * z * z - 2 * x * x);
    else a = -std::atan2(2 * x * y - 2 * z * w, 1 - 2 * z * z - 2 * x * x);
    a = a < -3.1415927f ? -3.1415927f : a > -0.002f ? -0.002f : a;
    d[0] = std::sin(a / 2);
    d[1] = d[2] = 0;
    d[3] = std::cos(a / 2);
}

void SolveChain(const PMDIKCHAIN *chain, PMDBONE *bones) {
    const VEC3 goal = Translation(chain->goal->world);
    for (int i = chain->linkCount - 1; i >= 0; --i) UpdatePmdBoneMatrix(bones, &bones[chain->links[i]]);
    UpdatePmdBoneMatrix(bones, chain->effector);

    for (int iteration = 0; iteration < chain->iterations; ++iteration) {
        for (int i = 0; i < chain->linkCount; ++i) {
            PMDBONE *link = &bones[chain->links[i]];
            MAT44 inverse;
            if (MakeInverseMatrix(&inverse, &link->world) != 0) continue;
            VEC3 g, e;
            const VEC3 effector = Translation(chain->effector->world);
            TransformVector(&g, &goal, &inverse);
            TransformVector(&e, &effector, &inverse);
            VEC3 gap;
            SubtractVector(&gap, &g, &e);
            if (LengthSquared(gap) < 1e-7f) break;
            NormalizeVector(&g, &g);
            NormalizeVector(&e, &e);
            float dot = DotVectors(&e, &g);
            float angle = std::acos(dot > 1 ? 1.0f : dot < -1 ? -1.0f : dot);
            if (angle <= 1e-8f) continue;
            if (angle > chain->limit) angle = chain->limit;
            VEC3 axis;
            CrossVectors(&axis, &e, &g);
            if (LengthSquared(axis) < 1e-7f) continue;
            NormalizeVector(&axis, &axis);
            float d[4] = {0, 0, 0, 1};
            if (std::fabs(angle) >= 0.0001f) {
                const float s = std::sin(angle / 2);
                d[0] = axis.x * s, d[1] = axis.y * s, d[2] = axis.z * s, d[3] = std::cos(angle / 2);
            }
            if (link->knee) KneeDelta(d);
            NormalizeQuaternion(d, d);
            const float *l = link->quaternion;
            const float lx = l[0], ly = l[1], lz = l[2], lw = l[3];
            const float q[4] = {lw * d[0] + lx * d[3] + ly * d[2] - lz * d[1], lw * d[1] - lx * d[2] + ly * d[3] + lz * d[0],
                                lw * d[2] + lx * d[1] - ly * d[0] + lz * d[3], lw * d[3] - lx * d[0] - ly * d[1] - lz * d[2]};
            NormalizeQuaternion(q, link->quaternion);
            for (int k = i; k >= 0; --k) UpdatePmdBoneMatrix(bones, &bones[chain->links[k]]);
            UpdatePmdBoneMatrix(bones, chain->effector);
        }
    }
}

}  // namespace

void NormalizeQuaternion(const float *in, float *out) {
    const float length = std::sqrt(in[0] * in[0] + in[1] * in[1] + in[2] * in[2] + in[3] * in[3]);
    if (length <= 0.0f) {
        out[0] = out[1] = out[2] = 0, out[3] = 1;
        return;
    }
    for (int i = 0; i < 4; ++i) out[i] = in[i] / length;
}

void UpdatePmdBoneMatrix(PMDBONE *bones, PMDBONE *bone) {
    const MAT44 local = RotationTranslation(bone->quaternion, bone->translation);
    if (bone->parent >= 0) MakeProductMatrix(&bone->world, &local, &bones[bone->parent].world);
    else bone->world = local;
}

void UpdatePmdBoneMatrices(int count, PMDBONE *bones) {
    for (int i = 0; i < count; ++i) UpdatePmdBoneMatrix(bones, &bones[i]);
}

void SolvePmdIK(const PMDIKCHAIN *first, PMDBONE *bones) {
    for (const PMDIKCHAIN *chain = first; chain; chain = chain->next) SolveChain(chain, bones);
}
