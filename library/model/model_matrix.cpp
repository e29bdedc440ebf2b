#include "library/model/model_matrix.h"

#include "library/model/model.h"
#include "library/model/model_frame.h"
#include "library/model/model_vertices.h"

#include <cstring>

namespace {

inline float Get(const uint8_t *p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void AddScaled(float *m, const MAT34 *s, float w) {
    for (int i = 0; i < 12; ++i) m[i] += s->m[i] * w;
}

inline void Apply(const float *m, float x, float y, float z, float nx, float ny, float nz, VEC3 *p, VEC3 *n) {
    p->x = m[0] * x + m[1] * y + m[2] * z + m[3];
    p->y = m[4] * x + m[5] * y + m[6] * z + m[7];
    p->z = m[8] * x + m[9] * y + m[10] * z + m[11];
    n->x = m[0] * nx + m[1] * ny + m[2] * nz;
    n->y = m[4] * nx + m[5] * ny + m[6] * nz;
    n->z = m[8] * nx + m[9] * ny + m[10] * nz;
}

// The skin matrix of palette slot `slot` of the list (the frame's reference of the list's bone).
inline const MAT34 *PaletteMatrix(const MV1TRIANGLELIST *list, MAT34 *const *skin, int slot) {
    const int refs = list->mesh->frame->skinRefCount;
    const int bone = slot < list->boneCount ? list->bones[slot] : -1;
    return bone >= 0 && bone < refs ? skin[bone] : nullptr;
}

// Frame world of the frame state: its parent's (or the model matrix) times its local.
void UpdateFrame(MV1INSTANCE *model, MV1FRAMESTATE &s) {
    const MV1FRAME &f = *s.base;
    const MAT34 &parent = s.parent ? s.parent->localToWorld : model->modelMatrix;
    if (s.hasOverride) MultiplyMatrix3x4(&parent, &s.localToWorld, &s.overrideMatrix);
    else if (f.localKind == MV1_LOCAL_IDENTITY) s.localToWorld = parent;
    else if (f.localKind == MV1_LOCAL_TRANSLATE) MultiplyMatrix3x4Translate(&parent, &f.local, &s.localToWorld);
    else MultiplyMatrix3x4(&parent, &s.localToWorld, &f.local);
    s.worldValid = 0;
    // The bones this frame moves: entries whose bone frame it is.
    const MV1BASE *base = model->base;
    for (int i = 0; i < f.skinBoneCount; ++i) {
        const int e = f.firstSkinBone + i;
        if (e < 0 || e >= base->skinBoneCount) break;
        const MV1SKINBONE &bone = base->skinBones[e];
        if (bone.translateOnly) MultiplyMatrix3x4Translate(&s.localToWorld, &bone.matrix, &model->skinMatrices[e]);
        else MultiplyMatrix3x4(&s.localToWorld, &model->skinMatrices[e], &bone.matrix);
    }
    ++model->recomputedFrames;
}

}  // namespace

void MarkModelMatricesChanged(MV1INSTANCE *model) {
    if (!(model->matrixBits[0] & 1)) std::memset(model->matrixBits, 0xFF, (size_t)model->matrixBytes);
    model->matricesValid = 0;
    model->drawStateValid = 0;
}

void UpdateModelLocalMatrix(MV1INSTANCE *model) {
    if (model->matricesValid) return;
    if (!model->animationValid) {
        for (int i = 0; i < model->animationCapacity; ++i)
            if (model->animations[i].used && model->animations[i].state) SampleFrameAnimation(model->animations[i].state);
        model->animationValid = 1;
    }
    if (model->matrixBits[0] & 1) {
        if (model->matrixSetDirectly) {
            model->modelMatrix = model->directMatrix;
        } else {
            MAT44 r, s, t;
            MakeRotMatrixXYZ(&r, model->rotation.x, model->rotation.y, model->rotation.z);
            MakeScaleMatrix(&s, model->scale.x, model->scale.y, model->scale.z);
            MakeTranslateMatrix(&t, model->translation.x, model->translation.y, model->translation.z);
            MakeProductMatrix(&r, &r, &s);
            MakeProductMatrix(&r, &r, &t);
            ConvertMatrixTo3x4(&model->modelMatrix, &r);
        }
    }
    const MV1BASE *base = model->base;
    for (int i = 0; i < base->frameCount; ++i) {
        MV1FRAMESTATE &s = model->frames[i];
        if (BitRangeMarked(&s.matrixRef)) UpdateFrame(model, s);
    }
    std::memset(model->matrixBits, 0, (size_t)model->matrixBytes);
    model->matricesValid = 1;
}

const MAT44 *FrameWorldMatrix(MV1FRAMESTATE *frame) {
    if (!frame->worldValid) {
        ConvertMatrix3x4To4x4(&frame->world, &frame->localToWorld);
        frame->worldValid = 1;
    }
    return &frame->world;
}

void SkinListVertex(const MV1TRIANGLELIST *list, const uint8_t *v, MAT34 *const *skin, VEC3 *p, VEC3 *n) {
    float m[12] = {};
    float x, y, z, nx, ny, nz;
    switch (list->kind) {
    case MV1_KIND_FOUR:
    case MV1_KIND_EIGHT: {
        const bool four = list->kind == MV1_KIND_FOUR;
        const int count = four ? 4 : 8;
        for (int j = 0; j < count; ++j) {
            const float w = Get(v + 4 * j);
            if (w == 0.0f) continue;
            const int slot = j < 4 ? v[44 + j] : v[60 + j - 4];
            if (const MAT34 *s = PaletteMatrix(list, skin, slot)) AddScaled(m, s, w);
        }
        const uint8_t *pos = v + (four ? 16 : 48);
        x = Get(pos), y = Get(pos + 4), z = Get(pos + 8);
        nx = Get(v + 32), ny = Get(v + 36), nz = Get(v + 40);
        break;
    }
    case MV1_KIND_FREE: {
        const int refs = list->mesh->frame->skinRefCount;
        for (int j = 0; j < list->maxWeights; ++j) {
            int32_t bone;
            std::memcpy(&bone, v + 32 + 8 * j, 4);
            if (bone == -1) break;
            if (bone >= 0 && bone < refs) AddScaled(m, skin[bone], Get(v + 36 + 8 * j));
        }
        x = Get(v), y = Get(v + 4), z = Get(v + 8);
        nx = Get(v + 16), ny = Get(v + 20), nz = Get(v + 24);
        break;
    }
    default:
        *p = ListVertexPosition(list, v);
        *n = ListVertexNormal(list, v);
        return;
    }
    Apply(m, x, y, z, nx, ny, nz, p, n);
}

void SkinTriangleList(const MV1TRIANGLELIST *list, const uint8_t *source, MAT34 *const *skin, uint8_t *out,
                      int stride) {
    const int bytes = ListVertexBytes(list);
    if (list->kind == MV1_KIND_FOUR) {
        // The common case, kept tight: the palette's rows as four-float vectors, four weights
        // blended without a branch (an unused weight is 0 with slot 0), position and normal.
        typedef float F4 __attribute__((vector_size(16)));
        struct ROWS {
            F4 r[3];
        };
        ROWS palette[MODEL_PALETTE_BONES];
        for (int i = 0; i < MODEL_PALETTE_BONES; ++i) {
            const MAT34 *s = PaletteMatrix(list, skin, i);
            for (int r = 0; r < 3; ++r)
                palette[i].r[r] = s ? F4{s->m[4 * r], s->m[4 * r + 1], s->m[4 * r + 2], s->m[4 * r + 3]} : F4{};
        }
        for (int i = 0; i < list->vertexCount; ++i) {
            const uint8_t *v = source + (size_t)i * bytes;
            float w[4], f[8];
            std::memcpy(w, v, 16);
            std::memcpy(f, v + 16, 12);
            std::memcpy(f + 4, v + 32, 12);
            F4 m[3] = {};
            for (int j = 0; j < 4; ++j) {
                const uint8_t slot = v[44 + j];
                const ROWS &b = palette[slot < MODEL_PALETTE_BONES ? slot : 0];
                const F4 wj = F4{w[j], w[j], w[j], w[j]};
                m[0] += b.r[0] * wj;
                m[1] += b.r[1] * wj;
                m[2] += b.r[2] * wj;
            }
            const F4 position{f[0], f[1], f[2], 1.0f}, normal{f[4], f[5], f[6], 0.0f};
            float o[6];
            for (int r = 0; r < 3; ++r) {
                const F4 a = m[r] * position, c = m[r] * normal;
                o[r] = (a[0] + a[1]) + (a[2] + a[3]);
                o[3 + r] = (c[0] + c[1]) + (c[2] + c[3]);
            }
            std::memcpy(out + (size_t)i * stride, o, 24);
        }
        return;
    }
    for (int i = 0; i < list->vertexCount; ++i) {
        VEC3 p, n;
        SkinListVertex(list, source + (size_t)i * bytes, skin, &p, &n);
        uint8_t *o = out + (size_t)i * stride;
        std::memcpy(o, &p, 12);
        std::memcpy(o + 12, &n, 12);
    }
}

int ComputeModelExtents(int handle, VEC3 *maximum, VEC3 *minimum) {
    MV1INSTANCE *model = GetModelInstance(handle);
    if (!model) return -1;
    MV1BASE *base = model->base;
    if (!base->extentsComputed) {
        UpdateModelLocalMatrix(model);
        const VEC3 low{-1.0e8f, -1.0e8f, -1.0e8f}, high{1.0e8f, 1.0e8f, 1.0e8f};
        auto widen = [](VEC3 &mx, VEC3 &mn, const VEC3 &p) {
            if (p.x > mx.x) mx.x = p.x;
            if (p.y > mx.y) mx.y = p.y;
            if (p.z > mx.z) mx.z = p.z;
            if (p.x < mn.x) mn.x = p.x;
            if (p.y < mn.y) mn.y = p.y;
            if (p.z < mn.z) mn.z = p.z;
        };
        for (int i = 0; i < base->meshCount; ++i) base->meshes[i].boxMax = low, base->meshes[i].boxMin = high;
        base->boxMax = low;
        base->boxMin = high;
        for (int i = 0; i < base->triangleListCount; ++i) {
            const MV1TRIANGLELIST &l = base->triangleLists[i];
            MV1MESH &mesh = *l.mesh;
            MV1FRAMESTATE &fs = model->frames[mesh.frame->index];
            const int bytes = ListVertexBytes(&l);
            for (int v = 0; v < l.vertexCount; ++v) {
                const uint8_t *vertex = l.vertexData + (size_t)v * bytes;
                const VEC3 stored = ListVertexPosition(&l, vertex);
                widen(mesh.boxMax, mesh.boxMin, stored);
                VEC3 world, normal;
                if (l.kind == MV1_KIND_RIGID) TransformVector3x4(&fs.localToWorld, &world, &stored);
                else SkinListVertex(&l, vertex, fs.skinMatrices, &world, &normal);
                widen(base->boxMax, base->boxMin, world);
            }
        }
        for (int i = 0; i < base->frameCount; ++i) {
            MV1FRAME &f = base->frames[i];
            if (f.meshCount == 0) {
                f.boxMax = f.boxMin = VEC3{0, 0, 0};
                continue;
            }
            f.boxMax = low;
            f.boxMin = high;
            for (int m = 0; m < f.meshCount; ++m) {
                widen(f.boxMax, f.boxMin, f.meshes[m].boxMax);
                widen(f.boxMax, f.boxMin, f.meshes[m].boxMin);
            }
        }
        base->extentsComputed = 1;
    }
    if (maximum) *maximum = base->boxMax;
    if (minimum) *minimum = base->boxMin;
    return 0;
}
