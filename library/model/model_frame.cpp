#include "library/model/model_frame.h"

#include "library/base/log.h"
#include "library/base/sine_table.h"
#include "library/base/strings.h"

#include <cmath>

namespace {

constexpr float kHalfPi = 1.5707964f;

bool IsZeroVector(const VEC3 &v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }
bool IsUnitScale(const VEC3 &v) { return v.x == 1.0f && v.y == 1.0f && v.z == 1.0f; }

MAT34 Identity34() { return MAT34{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}}; }

int MakeOrderedRotation44(MAT44 *out, const VEC3 &a, int order) {
    switch (order) {
    case 0: return MakeRotMatrixXYZ(out, a.x, a.y, a.z);
    case 1: return MakeRotMatrixXZY(out, a.x, a.y, a.z);
    case 2: return MakeRotMatrixYZX(out, a.x, a.y, a.z);
    case 3: return MakeRotMatrixYXZ(out, a.x, a.y, a.z);
    case 4: return MakeRotMatrixZXY(out, a.x, a.y, a.z);
    case 5: return MakeRotMatrixZYX(out, a.x, a.y, a.z);
    default: return -1;
    }
}

// The axes of a rotation order, first applied first: 0 x, 1 y, 2 z.
const int kOrderAxes[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};

// A column-vector rotation about one axis from its sine and cosine as given.
MAT34 AxisRotation(int axis, float s, float c) {
    MAT34 m = Identity34();
    switch (axis) {
    case 0: m.m[5] = c, m.m[6] = -s, m.m[9] = s, m.m[10] = c; break;
    case 1: m.m[0] = c, m.m[2] = s, m.m[8] = -s, m.m[10] = c; break;
    default: m.m[0] = c, m.m[1] = -s, m.m[4] = s, m.m[5] = c; break;
    }
    return m;
}

// Standard rotation of a unit quaternion (x, y, z, w), column-vector form.
MAT34 QuaternionRotation(float x, float y, float z, float w) {
    return MAT34{{1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * z * w, 2 * x * z + 2 * y * w, 0,
                  2 * x * y + 2 * z * w, 1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * x * w, 0,
                  2 * x * z - 2 * y * w, 2 * y * z + 2 * x * w, 1 - 2 * x * x - 2 * y * y, 0}};
}

MAT34 KeyQuaternionRotation(const float *q, int valueKind) {
    if (valueKind == 7) return QuaternionRotation(q[0], q[1], q[2], q[3]);
    return QuaternionRotation(-q[0], -q[1], -q[2], q[3]);
}

MAT34 LerpRotation(const MAT34 &a, const MAT34 &b, float t) {
    MAT34 r = Identity34();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i * 4 + j] = a.m[i * 4 + j] + (b.m[i * 4 + j] - a.m[i * 4 + j]) * t;
    return r;
}

int ValuesPerKey(int valueKind) {
    switch (valueKind) {
    case 0: case 7: return 4;
    case 1: return 3;
    default: return 1;
    }
}

// The key k, its successor (key 0 after the last) and the rate between them.
struct KEYSPAN {
    const float *key, *next;
    float rate;
};

KEYSPAN SpanOf(const MV1KEYREF &ref, float time) {
    const MV1KEYSET &s = *ref.keySet;
    const int n = s.keyCount, per = ValuesPerKey(s.valueKind);
    int k = ref.key < 0 ? 0 : ref.key >= n ? n - 1 : ref.key;
    const int next = k + 1 == n ? 0 : k + 1;
    float t = 0.0f;
    if (k + 1 != n) {
        float from, length;
        if (s.timing == 1) {
            from = s.times[k];
            length = s.times[k + 1] - s.times[k];
        } else {
            from = (float)k * s.step + s.start;
            length = s.step;
        }
        t = length != 0.0f ? (time - from) / length : 0.0f;
        if (t < 0.0f) t = 0.0f;
    }
    return KEYSPAN{s.values + (size_t)k * per, s.values + (size_t)next * per, t};
}

void Slerp(const float *a, const float *b, float t, float *out) {
    const float d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    if (1.0f - d * d <= 0.0f || d > 1.0f) {
        for (int i = 0; i < 4; ++i) out[i] = a[i];
        return;
    }
    float theta = AcosFloat(d);
    float sign = 1.0f;
    if (d < 0.0f && theta > kHalfPi) {
        theta = AcosFloat(-d);
        sign = -1.0f;
    }
    const float s = std::sin(theta);
    const float ka = std::sin((1.0f - t) * theta) / s, kb = sign * std::sin(t * theta) / s;
    for (int i = 0; i < 4; ++i) out[i] = a[i] * ka + b[i] * kb;
}

bool BeyondQuarterTurn(float d) { return d < -kHalfPi || d > kHalfPi; }

float &Component(VEC3 &v, int i) { return i == 0 ? v.x : i == 1 ? v.y : v.z; }

// The entry's starting parts: its frame's own, or the neutral ones.
void StartParts(MV1ANIMENTRY &e) {
    if (e.frameState) {
        const MV1FRAME &f = *e.frameState->base;
        e.translation = f.translation;
        e.scale = f.scale;
        e.rotation = f.rotation;
        e.rotationOrder = f.rotationOrder;
        for (int i = 0; i < 4; ++i) e.quaternion[i] = f.quaternion[i];
    } else {
        e.translation = VEC3{0, 0, 0};
        e.scale = VEC3{1, 1, 1};
        e.rotation = VEC3{0, 0, 0};
        e.quaternion[0] = e.quaternion[1] = e.quaternion[2] = 0.0f;
        e.quaternion[3] = 1.0f;
    }
}

void MarkEntryChanged(MV1ANIMENTRY &e) {
    if (!e.frameState) return;
    e.frameState->model->drawStateValid = 0;
    MarkBitRangeChanged(&e.frameState->matrixRef);
}

// The parts path over every entry; false when a rotation key pair turns too far for angles.
bool SampleParts(MV1ANIMSTATE *state) {
    for (int i = 0; i < state->entryCount; ++i) {
        MV1ANIMENTRY &e = state->entries[i];
        StartParts(e);
        int quaternionKind = -1;
        for (int r = 0; r < e.keyRefCount; ++r) {
            MV1KEYREF &ref = e.keyRefs[r];
            const MV1KEYSET &s = *ref.keySet;
            if (s.keyCount <= 0) continue;
            const KEYSPAN span = SpanOf(ref, state->time);
            switch (s.valueKind) {
            case 0:
            case 7:
                Slerp(span.key, span.next, span.rate, e.quaternion);
                quaternionKind = s.valueKind;
                break;
            case 1: {
                VEC3 v;
                for (int c = 0; c < 3; ++c) {
                    const float d = span.next[c] - span.key[c];
                    if (s.target == 0 && BeyondQuarterTurn(d)) return false;
                    Component(v, c) = span.key[c] + span.rate * d;
                }
                VEC3 *part = s.target == 0 ? &e.rotation : s.target == 5 ? &e.scale : s.target == 10 ? &e.translation
                                                                                                     : nullptr;
                if (!part) break;
                if (state->additive) AddVector(part, part, &v);
                else *part = v;
                break;
            }
            case 5: {
                const float d = span.next[0] - span.key[0];
                if (s.target >= 1 && s.target <= 3 && BeyondQuarterTurn(d)) return false;
                const float v = span.key[0] + span.rate * d;
                float *part = nullptr;
                if (s.target >= 1 && s.target <= 3) part = &Component(e.rotation, s.target - 1);
                else if (s.target >= 6 && s.target <= 8) part = &Component(e.scale, s.target - 6);
                else if (s.target >= 11 && s.target <= 13) part = &Component(e.translation, s.target - 11);
                if (part) {
                    *part = state->additive ? *part + v : v;
                } else if (s.target == 18) {
                    ref.lastValue = v;
                    if (e.frameState && ref.shape >= 0 && ref.shape < e.frameState->base->shapeCount)
                        e.frameState->shapeWeights[ref.shape] = v;
                }
                break;
            }
            default: break;
            }
        }
        uint32_t flags = 0;
        if (!IsZeroVector(e.translation)) flags |= MV1_PARTS_TRANSLATE;
        if (!IsUnitScale(e.scale)) flags |= MV1_PARTS_SCALE;
        if (!IsZeroVector(e.rotation)) flags |= MV1_PARTS_ROTATE;
        const bool identity = e.quaternion[0] == 0 && e.quaternion[1] == 0 && e.quaternion[2] == 0 &&
                              e.quaternion[3] == 1;
        if (quaternionKind == 0 && !identity) flags |= MV1_PARTS_QUATERNION_ROW;
        if (quaternionKind == 7 && !identity) flags |= MV1_PARTS_QUATERNION_COLUMN;
        if (flags & (MV1_PARTS_QUATERNION_ROW | MV1_PARTS_QUATERNION_COLUMN)) flags &= ~MV1_PARTS_ROTATE;
        e.flags = flags;
    }
    return true;
}

// The matrix path: rotations interpolated element by element.
void SampleMatrices(MV1ANIMSTATE *state) {
    const float *table = GetSineTable();
    for (int i = 0; i < state->entryCount; ++i) {
        MV1ANIMENTRY &e = state->entries[i];
        StartParts(e);
        const KEYSPAN none{nullptr, nullptr, -1.0f};
        KEYSPAN vectorKey = none, quaternionKey = none, axisKey[3] = {none, none, none};
        int quaternionKind = 0;
        for (int r = 0; r < e.keyRefCount; ++r) {
            MV1KEYREF &ref = e.keyRefs[r];
            const MV1KEYSET &s = *ref.keySet;
            if (s.keyCount <= 0) continue;
            const KEYSPAN span = SpanOf(ref, state->time);
            if (s.valueKind == 0 || s.valueKind == 7) {
                quaternionKey = span;
                quaternionKind = s.valueKind;
            } else if (s.valueKind == 1) {
                VEC3 v{span.key[0] + span.rate * (span.next[0] - span.key[0]),
                       span.key[1] + span.rate * (span.next[1] - span.key[1]),
                       span.key[2] + span.rate * (span.next[2] - span.key[2])};
                if (s.target == 0) vectorKey = span;
                else if (s.target == 5) e.scale = v;
                else if (s.target == 10) e.translation = v;
            } else if (s.valueKind == 5) {
                const float v = span.key[0] + span.rate * (span.next[0] - span.key[0]);
                if (s.target >= 1 && s.target <= 3) axisKey[s.target - 1] = span;
                else if (s.target >= 6 && s.target <= 8) Component(e.scale, s.target - 6) = v;
                else if (s.target >= 11 && s.target <= 13) Component(e.translation, s.target - 11) = v;
                else if (s.target == 18) {
                    ref.lastValue = v;
                    if (e.frameState && ref.shape >= 0 && ref.shape < e.frameState->base->shapeCount)
                        e.frameState->shapeWeights[ref.shape] = v;
                }
            }
        }
        const bool anyAxis = axisKey[0].key || axisKey[1].key || axisKey[2].key;
        MAT34 m;
        if (vectorKey.key) {
            MAT34 a, b;
            const VEC3 ka{vectorKey.key[0], vectorKey.key[1], vectorKey.key[2]};
            const VEC3 kb{vectorKey.next[0], vectorKey.next[1], vectorKey.next[2]};
            MakeOrderedRotation3x4(&a, &ka, e.rotationOrder);
            MakeOrderedRotation3x4(&b, &kb, e.rotationOrder);
            m = LerpRotation(a, b, vectorKey.rate);
        } else if (!quaternionKey.key && !anyAxis) {
            if (IsZeroVector(e.rotation)) m = Identity34();
            else MakeOrderedRotation3x4(&m, &e.rotation, e.rotationOrder);
        } else if (anyAxis) {
            MAT34 axes[3];
            for (int a = 0; a < 3; ++a) {
                float s, c;
                if (axisKey[a].key) {
                    const int i0 = SineTableIndex(axisKey[a].key[0]), i1 = SineTableIndex(axisKey[a].next[0]);
                    const float s0 = table[i0], c0 = table[(i0 + SINETABLE_SIZE / 4) & (SINETABLE_SIZE - 1)];
                    const float s1 = table[i1], c1 = table[(i1 + SINETABLE_SIZE / 4) & (SINETABLE_SIZE - 1)];
                    s = s0 + (s1 - s0) * axisKey[a].rate;
                    c = c0 + (c1 - c0) * axisKey[a].rate;
                } else {
                    LookupSinCos(&s, Component(e.rotation, a), &c);
                }
                axes[a] = AxisRotation(a, s, c);
            }
            const int order = e.rotationOrder >= 0 && e.rotationOrder < 6 ? e.rotationOrder : 0;
            m = axes[kOrderAxes[order][0]];
            MultiplyMatrix3x4(&axes[kOrderAxes[order][1]], &m, &m);
            MultiplyMatrix3x4(&axes[kOrderAxes[order][2]], &m, &m);
        } else {
            m = LerpRotation(KeyQuaternionRotation(quaternionKey.key, quaternionKind),
                             KeyQuaternionRotation(quaternionKey.next, quaternionKind), quaternionKey.rate);
        }
        m.m[3] = e.translation.x;
        m.m[7] = e.translation.y;
        m.m[11] = e.translation.z;
        if (!IsUnitScale(e.scale))
            for (int row = 0; row < 3; ++row) {
                m.m[row * 4 + 0] *= e.scale.x;
                m.m[row * 4 + 1] *= e.scale.y;
                m.m[row * 4 + 2] *= e.scale.z;
            }
        e.matrix = m;
        e.flags = MV1_PARTS_MATRIX;
    }
}

}  // namespace

int MakeOrderedRotation3x4(MAT34 *out, const VEC3 *a, int order) {
    switch (order) {
    case 0: return MakeRotMatrix3x4XYZ(out, a->x, a->y, a->z);
    case 1: return MakeRotMatrix3x4XZY(out, a->x, a->y, a->z);
    case 2: return MakeRotMatrix3x4YZX(out, a->x, a->y, a->z);
    case 3: return MakeRotMatrix3x4YXZ(out, a->x, a->y, a->z);
    case 4: return MakeRotMatrix3x4ZXY(out, a->x, a->y, a->z);
    case 5: return MakeRotMatrix3x4ZYX(out, a->x, a->y, a->z);
    default: *out = Identity34(); return -1;
    }
}

int MakeOrderedTransformMatrix(const VEC3 *rotation, const VEC3 *scale, const VEC3 *translation,
                               const VEC3 *preRotation, MAT44 *out, int order) {
    MakeScaleMatrix(out, scale->x, scale->y, scale->z);
    MAT44 m;
    if (MakeOrderedRotation44(&m, *rotation, order) != 0) return -1;
    MakeProductMatrix(out, out, &m);
    if (preRotation) {
        MakeRotMatrixXYZ(&m, preRotation->x, preRotation->y, preRotation->z);
        MakeProductMatrix(out, out, &m);
    }
    MakeTranslateMatrix(&m, translation->x, translation->y, translation->z);
    MakeProductMatrix(out, out, &m);
    return 0;
}

int SetupFrameBindMatrices(MV1BASE *base) {
    int result = 0;
    for (int i = 0; i < base->frameCount; ++i) {
        MV1FRAME &f = base->frames[i];
        MAT44 local;
        if (!IsZeroVector(f.rotation) || !IsUnitScale(f.scale)) {
            f.localKind = MV1_LOCAL_FULL;
            MakeOrderedTransformMatrix(&f.rotation, &f.scale, &f.translation, nullptr, &local, f.rotationOrder);
        } else if (!IsZeroVector(f.translation)) {
            f.localKind = MV1_LOCAL_TRANSLATE;
            MakeTranslateMatrix(&local, f.translation.x, f.translation.y, f.translation.z);
        } else {
            f.localKind = MV1_LOCAL_IDENTITY;
            MakeIdentityMatrix(&local);
        }
        ConvertMatrixTo3x4(&f.local, &local);
        MAT44 world = local;
        if (f.parent) {
            MAT44 parent;
            ConvertMatrix3x4To4x4(&parent, &f.parent->bindWorld);
            MakeProductMatrix(&world, &local, &parent);
        }
        ConvertMatrixTo3x4(&f.bindWorld, &world);
        MAT44 inverse;
        if (MakeInverseMatrix(&inverse, &world) != 0) {
            // The inverse is unusable: the identity at least keeps skinning finite.
            WriteLogFmt("フレーム %s のバインド行列の逆行列が作成できませんでした", f.name ? f.name : "");
            MakeIdentityMatrix(&inverse);
            result = -1;
        }
        ConvertMatrixTo3x4(&f.inverseBindWorld, &inverse);
    }
    return result;
}

int SampleFrameAnimation(MV1ANIMSTATE *state) {
    if (state->done) return 0;
    if (state->accurate || !SampleParts(state)) SampleMatrices(state);
    for (int i = 0; i < state->entryCount; ++i) MarkEntryChanged(state->entries[i]);
    state->done = 1;
    return 0;
}

void LinkModelFrame(MV1BASE *base, MV1FRAME &f, MV1FRAME *parent) {
    if (parent) {
        f.parent = parent;
        f.prev = parent->lastChild;
        if (parent->lastChild) parent->lastChild->next = &f;
        else parent->firstChild = &f;
        parent->lastChild = &f;
        ++parent->childCount;
        return;
    }
    // Frames are linked in index order, so the last root is the root of the frame before.
    MV1FRAME *last = f.index > 0 ? &base->frames[f.index - 1] : nullptr;
    while (last && last->parent) last = last->parent;
    f.prev = last;
    if (last) last->next = &f;
    else base->firstRoot = &f;
    ++base->rootCount;
}
