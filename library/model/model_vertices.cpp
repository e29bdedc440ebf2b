#include "library/model/model_vertices.h"

#include "library/base/log.h"
#include "library/base/memory.h"

#include <cmath>
#include <cstring>

namespace {

// Offsets of position, normal and weight data inside the kind layouts.
struct KINDLAYOUT {
    int position, normal, weights, slots, slotsHigh;
};
constexpr KINDLAYOUT kLayouts[4] = {
    {0, 16, -1, -1, -1},
    {16, 32, 0, 44, -1},
    {48, 32, 0, 44, 60},
    {0, 16, 32, -1, -1},
};

inline void Put(uint8_t *p, float v) { std::memcpy(p, &v, 4); }
inline void PutInt(uint8_t *p, int32_t v) { std::memcpy(p, &v, 4); }
inline float Get(const uint8_t *p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void PutVec(uint8_t *p, const VEC3 &v) {
    Put(p, v.x);
    Put(p + 4, v.y);
    Put(p + 8, v.z);
}

// The slot of a bone in the list's palette; -1 when it is missing.
int PaletteSlot(const MV1TRIANGLELIST *list, int bone) {
    for (int i = 0; i < list->boneCount && i < MODEL_PALETTE_BONES; ++i)
        if (list->bones[i] == bone) return i;
    return -1;
}

VEC3 Unit(const VEC3 &v) {
    VEC3 out;
    NormalizeVector(&out, &v);
    return out;
}

// Smallest |n.x| (twice the face's area in texture space) a tangent is taken from.
constexpr float kTangentMinArea = 1e-12f;

}  // namespace

int ListVertexBytes(const MV1TRIANGLELIST *list) {
    return list->kind < 3 ? kKindVertexSize[list->kind] : list->vertexSize;
}

int AllocListVertexData(MV1TRIANGLELIST *list, int count) {
    const size_t bytes = (size_t)count * ListVertexBytes(list) + 16;
    void *block = AllocMemBlockZero(bytes, nullptr, -1);
    if (!block) return -1;
    FreeMemBlock(list->vertexDataBlock);
    list->vertexDataBlock = block;
    list->vertexData = reinterpret_cast<uint8_t *>(((uintptr_t)block + 15) & ~(uintptr_t)15);
    return 0;
}

VEC3 ListVertexPosition(const MV1TRIANGLELIST *list, const uint8_t *v) {
    const uint8_t *p = v + kLayouts[list->kind < 4 ? list->kind : 3].position;
    return VEC3{Get(p), Get(p + 4), Get(p + 8)};
}

VEC3 ListVertexNormal(const MV1TRIANGLELIST *list, const uint8_t *v) {
    const uint8_t *p = v + kLayouts[list->kind < 4 ? list->kind : 3].normal;
    return VEC3{Get(p), Get(p + 4), Get(p + 8)};
}

void SetListVertexPositionNormal(const MV1TRIANGLELIST *list, uint8_t *v, const VEC3 *position, const VEC3 *normal) {
    const KINDLAYOUT &l = kLayouts[list->kind < 4 ? list->kind : 3];
    PutVec(v + l.position, *position);
    PutVec(v + l.normal, *normal);
}

void WriteListVertex(const MV1TRIANGLELIST *list, uint8_t *out, const MV1POSITION *pos, const VEC3 *normal) {
    const int kind = list->kind;
    const KINDLAYOUT &l = kLayouts[kind < 4 ? kind : 3];
    const int pairs = FramePositionPairs(list->mesh->frame);
    std::memset(out, 0, (size_t)ListVertexBytes(list));
    PutVec(out + l.position, pos->position);
    if (kind != MV1_KIND_EIGHT) Put(out + l.position + 12, 1.0f);
    PutVec(out + l.normal, *normal);
    if (kind == MV1_KIND_FOUR || kind == MV1_KIND_EIGHT) {
        const int most = kind == MV1_KIND_FOUR ? 4 : 8;
        for (int j = 0; j < pairs && j < most; ++j) {
            const int bone = pos->weights[j].bone;
            if (bone == -1) break;
            const int slot = PaletteSlot(list, bone);
            // A bone outside the palette contributes nothing rather than index past it.
            Put(out + l.weights + 4 * j, slot < 0 ? 0.0f : pos->weights[j].weight);
            const int at = j < 4 ? l.slots + j : l.slotsHigh + (j - 4);
            out[at] = (uint8_t)(slot < 0 ? 0 : slot);
        }
    } else if (kind == MV1_KIND_FREE) {
        int j = 0;
        for (; j < pairs && j < list->maxWeights; ++j) {
            if (pos->weights[j].bone == -1) break;
            PutInt(out + l.weights + 8 * j, pos->weights[j].bone);
            Put(out + l.weights + 8 * j + 4, pos->weights[j].weight);
        }
        for (; j < list->maxWeights; ++j) {
            PutInt(out + l.weights + 8 * j, -1);
            Put(out + l.weights + 8 * j + 4, 0.0f);
        }
    }
}

int FillModelTriangleListVertices(const MV1TRIANGLELIST *list, uint8_t *out) {
    const MV1MESH *mesh = list->mesh;
    const MV1FRAME *frame = mesh->frame;
    const int bytes = ListVertexBytes(list);
    for (int i = 0; i < list->vertexCount; ++i) {
        const MV1MESHVERTEX *v = MeshVertex(mesh, list->vertexMap[i]);
        WriteListVertex(list, out + (size_t)i * bytes, FramePosition(frame, v->position),
                        &frame->normals[v->normal].normal);
    }
    return 0;
}

int FillTriangleListVertices(MV1TRIANGLELIST *list) { return FillModelTriangleListVertices(list, list->vertexData); }

int BuildMeshTangents(MV1MESH *mesh) {
    MV1FRAME *frame = mesh->frame;
    if (frame->normalCount <= 0) return 0;
    auto *flags = static_cast<uint8_t *>(AllocMemBlockZero((size_t)frame->normalCount, nullptr, -1));
    if (!flags) {
        WriteLog("頂点の接線と従法線の作成作業に必要なメモリ領域の確保に失敗しました\n");
        return -1;
    }
    for (int i = 0; i < mesh->vertexCount; ++i) {
        const int n = MeshVertex(mesh, i)->normal;
        if (n < 0 || n >= frame->normalCount || flags[n]) continue;
        flags[n] = 1;
        frame->normals[n].tangent = VEC3{0, 0, 0};
        frame->normals[n].binormal = VEC3{0, 0, 0};
    }
    for (int f = 0; f < mesh->faceCount; ++f) {
        const MV1MESHVERTEX *v[3];
        VEC3 p[3];
        for (int k = 0; k < 3; ++k) {
            v[k] = MeshVertex(mesh, mesh->faces[f].vertex[k]);
            p[k] = FramePosition(frame, v[k]->position)->position;
        }
        // A mesh without UV sets has no texture space: its vertex records end before the first.
        float uv[3][2] = {};
        if (mesh->uvSetCount > 0)
            for (int k = 0; k < 3; ++k) uv[k][0] = v[k]->uv[0][0], uv[k][1] = v[k]->uv[0][1];
        const float du1 = uv[1][0] - uv[0][0], dv1 = uv[1][1] - uv[0][1];
        const float du2 = uv[2][0] - uv[0][0], dv2 = uv[2][1] - uv[0][1];
        const float d1[3] = {p[1].x - p[0].x, p[1].y - p[0].y, p[1].z - p[0].z};
        const float d2[3] = {p[2].x - p[0].x, p[2].y - p[0].y, p[2].z - p[0].z};
        float t[3], b[3];
        for (int a = 0; a < 3; ++a) {
            const VEC3 e1{d1[a], du1, dv1}, e2{d2[a], du2, dv2};
            VEC3 n;
            CrossVectors(&n, &e1, &e2);
            // A face without area in texture space has no tangent of its own (no division by 0).
            if (DotVectors(&n, &n) >= 0.0000001f && std::fabs(n.x) >= kTangentMinArea) {
                t[a] = -n.y / n.x;
                b[a] = -n.z / n.x;
            } else {
                t[a] = 1.0f;
                b[a] = 0.0f;
            }
        }
        for (int k = 0; k < 3; ++k) {
            MV1NORMAL &r = frame->normals[v[k]->normal];
            r.tangent.x += t[0], r.tangent.y += t[1], r.tangent.z += t[2];
            r.binormal.x += b[0], r.binormal.y += b[1], r.binormal.z += b[2];
        }
    }
    for (int i = 0; i < frame->normalCount; ++i) {
        if (!flags[i]) continue;
        MV1NORMAL &r = frame->normals[i];
        const VEC3 t = Unit(r.tangent);
        VEC3 n;
        CrossVectors(&n, &t, &r.binormal);
        n = Unit(n);
        VEC3 b;
        CrossVectors(&b, &n, &t);
        r.tangent = t;
        r.binormal = Unit(b);
    }
    FreeMemBlock(flags);
    return 0;
}

void CountModelBaseTotals(const MV1BASE *base, MV1TOTALS *t, int32_t kindVertices[4]) {
    *t = MV1TOTALS{};
    for (int k = 0; k < 4; ++k) kindVertices[k] = 0;
    int64_t listBytes = 0;
    for (int i = 0; i < base->frameCount; ++i) {
        const MV1FRAME &f = base->frames[i];
        t->positionBytes += (int64_t)f.positionCount * f.positionSize;
        t->normalCount += f.normalCount;
    }
    t->normalBytes = t->normalCount * (int64_t)sizeof(MV1NORMAL);
    for (int i = 0; i < base->meshCount; ++i)
        t->meshVertexBytes += (int64_t)base->meshes[i].vertexCount * base->meshes[i].vertexSize;
    for (int i = 0; i < base->triangleListCount; ++i) {
        const MV1TRIANGLELIST &l = base->triangleLists[i];
        t->listVertices += l.vertexCount;
        listBytes += (int64_t)l.vertexCount * ListVertexBytes(&l);
        if (l.kind < 3) kindVertices[l.kind] += l.vertexCount;
        else kindVertices[3] += l.vertexCount * l.vertexSize;
    }
    for (int i = 0; i < base->shapeCount; ++i)
        for (int m = 0; m < base->shapes[i].meshCount; ++m) t->shapeVertices += base->shapes[i].meshes[m].vertexCount;
    t->total = t->positionBytes + t->meshVertexBytes + t->normalBytes + listBytes +
               t->shapeVertices * (int64_t)sizeof(MV1SHAPEVERTEX);
}

void RefreshModelBaseTotals(MV1BASE *base) {
    CountModelBaseTotals(base, &base->totals, base->kindVertices);
    for (int i = 0; i < base->frameCount; ++i) {
        MV1FRAME &f = base->frames[i];
        f.meshVertexTotal = 0;
        for (int m = 0; m < f.meshCount; ++m) f.meshVertexTotal += f.meshes[m].vertexCount;
    }
}
