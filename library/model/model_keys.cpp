// Animation keys brought into the forms frame sampling evaluates: matrix keys split into
// translation, quaternion and scale tracks, vector tracks split into single axes where an axis
// stands still, and every track cut to the keys a straight line between neighbours does not
// reproduce. The read data's key data size follows every change.
#include "library/base/memory.h"
#include "library/model/model_load_data.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kReduceEpsilon = 0.00001f;

int KeySetBytes(const MODELLOADKEYSET *k) {
    return k->keyCount * ModelKeyValueSize(k->dataType) + (k->timeType == 1 ? k->keyCount * 4 : 0);
}

float *NewFloats(MODELLOADDATA *data, int64_t count) {
    if (count < 0 || count > INT32_MAX / 4) return nullptr;
    return static_cast<float *>(AllocModelLoadBlock(data, (size_t)count * 4 + 4));
}

// A key set beside `from` in its animation, with its timing and a copy of its key times.
MODELLOADKEYSET *AddSibling(MODELLOADDATA *data, MODELLOADANIM *anim, const MODELLOADKEYSET *from, uint8_t dataType,
                            uint8_t kind, float *values) {
    float *times = nullptr;
    if (from->timeType == 1) {
        times = NewFloats(data, from->keyCount);
        if (!times) return nullptr;
        std::memcpy(times, from->times, (size_t)from->keyCount * 4);
    }
    MODELLOADKEYSET *k = AddModelLoadKeySet(data, anim);
    if (!k) return nullptr;
    k->dataType = dataType;
    k->kind = kind;
    k->timeType = from->timeType;
    k->baseTime = from->baseTime;
    k->keyCount = from->keyCount;
    k->step = from->step;
    k->start = from->start;
    k->times = times;
    k->values = values;
    return k;
}

float KeyTime(const MODELLOADKEYSET *k, int i) {
    return k->timeType == 1 ? k->times[i] : k->start + k->step * (float)i;
}

bool AnimSetProtected(const MODELLOADANIM *anim) { return anim->set && anim->set->splitProtect; }

template <class F>
void ForEachKeySet(MODELLOADDATA *data, F f) {
    for (MODELLOADANIM *anim = data->firstAnim; anim; anim = anim->next) {
        MODELLOADKEYSET *k = anim->firstKeySet;
        while (k) {
            MODELLOADKEYSET *next = k->nextInAnim;
            f(anim, k);
            k = next;
        }
    }
}

// Pass 1: a matrix key set becomes its translation; its rotation and scale go to a new key set.
void SplitMatrixKeys(MODELLOADDATA *data, MODELLOADANIM *anim, MODELLOADKEYSET *k) {
    if (k->kind != MODELKEY_MATRIX || k->dataType != MODELKEY_MATRIX4X3) return;
    const int n = k->keyCount;
    float *rotations = NewFloats(data, (int64_t)n * 9);
    float *translations = NewFloats(data, (int64_t)n * 3);
    if (!rotations || !translations) return;
    for (int i = 0; i < n; ++i) {
        std::memcpy(rotations + i * 9, k->values + i * 12, 36);
        std::memcpy(translations + i * 3, k->values + i * 12 + 9, 12);
    }
    const int before = KeySetBytes(k);
    MODELLOADKEYSET *r = AddSibling(data, anim, k, MODELKEY_MATRIX3X3, MODELKEY_ROTATE_MATRIX, rotations);
    if (!r) return;
    k->dataType = MODELKEY_VECTOR;
    k->kind = MODELKEY_TRANSLATE;
    k->values = translations;
    data->keyDataSize += KeySetBytes(k) + KeySetBytes(r) - before;
}

void MatrixToQuaternion(const float *m, float *q) {
    auto at = [m](int r, int c) { return m[r * 3 + c]; };
    const float trace = at(0, 0) + at(1, 1) + at(2, 2) + 1.0f;
    if (trace >= 1.0f) {
        const float s = 0.5f / std::sqrt(trace);
        q[3] = 0.25f / s;
        q[0] = (at(1, 2) - at(2, 1)) * s;
        q[1] = (at(2, 0) - at(0, 2)) * s;
        q[2] = (at(0, 1) - at(1, 0)) * s;
        return;
    }
    // The largest diagonal component first; the others follow with the axes turned.
    int a = 1;
    if (at(0, 0) > at(1, 1) && at(0, 0) > at(2, 2)) a = 0;
    else if (at(2, 2) > at(1, 1)) a = 2;
    const int b = (a + 1) % 3, c = (a + 2) % 3;
    const float root = std::sqrt(at(a, a) - at(b, b) - at(c, c) + 1.0f);
    const float s = 0.5f / root;
    q[a] = root * 0.5f;
    q[b] = (at(a, b) + at(b, a)) * s;
    q[c] = (at(a, c) + at(c, a)) * s;
    q[3] = (at(b, c) - at(c, b)) * s;
}

// Pass 2: rotation-matrix keys become quaternions, with a scale key set when any key is scaled.
void RotationMatricesToQuaternions(MODELLOADDATA *data, MODELLOADANIM *anim, MODELLOADKEYSET *k) {
    if (k->kind != MODELKEY_ROTATE_MATRIX || k->dataType != MODELKEY_MATRIX3X3) return;
    const int n = k->keyCount;
    float *quaternions = NewFloats(data, (int64_t)n * 4);
    float *scales = NewFloats(data, (int64_t)n * 3);
    if (!quaternions || !scales) return;
    bool scaled = false;
    for (int i = 0; i < n; ++i) {
        float m[9];
        std::memcpy(m, k->values + i * 9, 36);
        for (int c = 0; c < 3; ++c) {
            const float length = std::sqrt(m[c] * m[c] + m[3 + c] * m[3 + c] + m[6 + c] * m[6 + c]);
            scales[i * 3 + c] = length;
            if (length < 0.999f || length > 1.0001f) scaled = true;
            // A column of length 0 stays 0 (its scale 0) rather than divide by it.
            if (length != 0.0f)
                for (int r = 0; r < 3; ++r) m[r * 3 + c] /= length;
        }
        MatrixToQuaternion(m, quaternions + i * 4);
    }
    const int before = KeySetBytes(k);
    MODELLOADKEYSET *added = nullptr;
    if (scaled && !(added = AddSibling(data, anim, k, MODELKEY_VECTOR, MODELKEY_SCALE, scales))) return;
    k->dataType = MODELKEY_QUATERNION_COLUMN;
    k->kind = MODELKEY_ROTATE;
    k->values = quaternions;
    data->keyDataSize += KeySetBytes(k) - before + (added ? KeySetBytes(added) : 0);
}

// Pass 4: a vector track with a still axis becomes three single-axis tracks.
void SplitStillAxes(MODELLOADDATA *data, MODELLOADANIM *anim, MODELLOADKEYSET *k) {
    if (k->dataType != MODELKEY_VECTOR || k->keyCount <= 1 || AnimSetProtected(anim)) return;
    if (k->kind != MODELKEY_ROTATE && k->kind != MODELKEY_SCALE && k->kind != MODELKEY_TRANSLATE) return;
    const int n = k->keyCount;
    bool varies[3] = {};
    for (int i = 1; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            if (std::fabs(k->values[i * 3 + c] - k->values[c]) > 0.000001f) varies[c] = true;
    if (varies[0] && varies[1] && varies[2]) return;
    float *axis[3];
    for (float *&a : axis)
        if (!(a = NewFloats(data, n))) return;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c) axis[c][i] = k->values[i * 3 + c];
    const int before = KeySetBytes(k);
    MODELLOADKEYSET *y = AddSibling(data, anim, k, MODELKEY_FLOAT, (uint8_t)(k->kind + 2), axis[1]);
    MODELLOADKEYSET *z = y ? AddSibling(data, anim, k, MODELKEY_FLOAT, (uint8_t)(k->kind + 3), axis[2]) : nullptr;
    if (!z) {
        if (y) RemoveModelLoadKeySet(data, anim, y);
        return;
    }
    k->dataType = MODELKEY_FLOAT;
    k->kind = (uint8_t)(k->kind + 1);
    k->values = axis[0];
    data->keyDataSize += KeySetBytes(k) + KeySetBytes(y) + KeySetBytes(z) - before;
    ReduceModelLoadKeys(data, k, 0);
    ReduceModelLoadKeys(data, y, 0);
    ReduceModelLoadKeys(data, z, 0);
}

bool SameTiming(const MODELLOADKEYSET *a, const MODELLOADKEYSET *b) {
    if (a->keyCount != b->keyCount || a->timeType != b->timeType) return false;
    if (a->timeType == 0) return a->step == b->step && std::fabs(a->start - b->start) <= 0.0000001f;
    return std::memcmp(a->times, b->times, (size_t)a->keyCount * 4) == 0;
}

// Pass 6: three single-axis tracks of one quantity with one timing become one vector track.
void MergeAxes(MODELLOADDATA *data, MODELLOADANIM *anim) {
    static const uint8_t kQuantities[3] = {MODELKEY_TRANSLATE, MODELKEY_SCALE, MODELKEY_ROTATE};
    for (uint8_t quantity : kQuantities) {
        MODELLOADKEYSET *axis[3] = {};
        for (MODELLOADKEYSET *k = anim->firstKeySet; k; k = k->nextInAnim)
            for (int c = 0; c < 3; ++c)
                if (!axis[c] && k->dataType == MODELKEY_FLOAT && k->kind == quantity + 1 + c) axis[c] = k;
        if (!axis[0] || !axis[1] || !axis[2]) continue;
        if (!SameTiming(axis[0], axis[1]) || !SameTiming(axis[0], axis[2])) continue;
        const int n = axis[0]->keyCount;
        float *values = NewFloats(data, (int64_t)n * 3);
        if (!values) continue;
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 3; ++c) values[i * 3 + c] = axis[c]->values[i];
        // The first of the three in the animation's order takes the merged track.
        MODELLOADKEYSET *first = axis[0];
        for (MODELLOADKEYSET *k = anim->firstKeySet; k; k = k->nextInAnim)
            if (k == axis[0] || k == axis[1] || k == axis[2]) {
                first = k;
                break;
            }
        const int before = KeySetBytes(axis[0]) + KeySetBytes(axis[1]) + KeySetBytes(axis[2]);
        for (MODELLOADKEYSET *k : axis)
            if (k != first) RemoveModelLoadKeySet(data, anim, k);
        first->dataType = MODELKEY_VECTOR;
        first->kind = quantity;
        first->values = values;
        data->keyDataSize += KeySetBytes(first) - before;
    }
}

bool ReducibleType(int dataType) {
    return dataType == MODELKEY_QUATERNION || dataType == MODELKEY_QUATERNION_COLUMN ||
           dataType == MODELKEY_VECTOR || dataType == MODELKEY_MATRIX3X3 || dataType == MODELKEY_FLOAT;
}

}  // namespace

void ReduceModelLoadKeys(MODELLOADDATA *data, MODELLOADKEYSET *k, int singleKeyOnly) {
    if (!ReducibleType(k->dataType) || k->keyCount <= 0) return;
    const int n = k->keyCount;
    const int size = ModelKeyValueSize(k->dataType);
    const int comps = size / 4;
    bool even = k->timeType == 0;
    if (k->timeType == 1 && n >= 3) {
        even = true;
        const float first = k->times[1] - k->times[0];
        for (int i = 2; i < n && even; ++i)
            if (std::fabs(k->times[i] - k->times[i - 1] - first) > 0.000001f) even = false;
    }

    // Keep the first key; drop each later one the line from the last kept to the next reproduces.
    int *kept = static_cast<int *>(AllocMemBlock((size_t)n * sizeof(int), nullptr, -1));
    if (!kept) return;
    struct FREE {
        int *p;
        ~FREE() { FreeMemBlock(p); }
    } freeKept{kept};
    int keptCount = 0;
    kept[keptCount++] = 0;
    for (int i = 1; i < n - 1; ++i) {
        const int a = kept[keptCount - 1], b = i + 1;
        float rate;
        if (k->timeType == 1) {
            const float span = k->times[b] - k->times[a];
            rate = span != 0.0f ? (k->times[i] - k->times[a]) / span : 0.0f;
        } else {
            rate = (float)(i - a) / (float)(b - a);
        }
        bool near = true;
        for (int c = 0; c < comps && near; ++c) {
            const float va = k->values[a * comps + c], vb = k->values[b * comps + c];
            const float line = va + (vb - va) * rate;
            if (std::fabs(line - k->values[i * comps + c]) > kReduceEpsilon) near = false;
        }
        if (!near) kept[keptCount++] = i;
    }
    if (n > 1) {
        const bool sameAsKept =
            keptCount == 1 && std::memcmp(k->values + (size_t)(n - 1) * comps, k->values, (size_t)size) == 0;
        if (!sameAsKept) kept[keptCount++] = n - 1;
    }

    const int present = n * size;
    const bool smaller = (int64_t)keptCount * (size + 4) < present;
    bool take = keptCount == 1 || (keptCount < n && (!even || smaller));
    if (singleKeyOnly && keptCount > 1) take = false;
    if (take) {
        float *values = NewFloats(data, (int64_t)keptCount * comps);
        float *times = NewFloats(data, keptCount);
        if (!values || !times) return;
        for (int j = 0; j < keptCount; ++j) {
            std::memcpy(values + j * comps, k->values + (size_t)kept[j] * comps, (size_t)size);
            times[j] = KeyTime(k, kept[j]);
        }
        const int before = KeySetBytes(k);
        k->values = values;
        k->times = times;
        k->timeType = 1;
        k->keyCount = keptCount;
        data->keyDataSize += KeySetBytes(k) - before;
        if (keptCount == 1) {
            k->timeType = 0;
            k->start = 0.0f;
            k->step = k->baseTime;
            k->times = nullptr;
            data->keyDataSize -= 4;
        }
        return;
    }
    if (even && k->timeType == 1) {
        k->start = k->times[0];
        k->step = k->times[1] - k->times[0];
        k->timeType = 0;
        k->times = nullptr;
        data->keyDataSize -= 4 * n;
    }
}

void NormaliseModelLoadKeySets(MODELLOADDATA *data) {
    ForEachKeySet(data, [&](MODELLOADANIM *anim, MODELLOADKEYSET *k) { SplitMatrixKeys(data, anim, k); });
    ForEachKeySet(data, [&](MODELLOADANIM *anim, MODELLOADKEYSET *k) { RotationMatricesToQuaternions(data, anim, k); });
    ForEachKeySet(data, [&](MODELLOADANIM *, MODELLOADKEYSET *k) { ReduceModelLoadKeys(data, k, 1); });
    ForEachKeySet(data, [&](MODELLOADANIM *anim, MODELLOADKEYSET *k) { SplitStillAxes(data, anim, k); });
    ForEachKeySet(data, [&](MODELLOADANIM *, MODELLOADKEYSET *k) { ReduceModelLoadKeys(data, k, 1); });
    for (MODELLOADANIM *anim = data->firstAnim; anim; anim = anim->next) MergeAxes(data, anim);
    ForEachKeySet(data, [&](MODELLOADANIM *, MODELLOADKEYSET *k) { ReduceModelLoadKeys(data, k, 0); });
    for (MODELLOADANIM *anim = data->firstAnim; anim; anim = anim->next) anim->work = 0;
}
