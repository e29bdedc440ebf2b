#include "library/model/model_buffers.h"

#include "library/base/memory.h"
#include "library/graphics/device.h"
#include "library/graphics/render_device.h"
#include "library/graphics/render_state.h"

#include <cstring>

namespace {

constexpr int kNodeIndexLimit = 0xBFFFF;
constexpr int kNodeVertexLimit = 0x5FFFF;

// Offsets inside the buffer layouts (the model vertex declarations): per (tangents, kind).
struct BUFFERLAYOUT {
    int size, boneIndices, weights, normal, tangent, binormal, diffuse;
};
constexpr BUFFERLAYOUT kBufferLayouts[2][3] = {
    {{32, -1, -1, 12, -1, -1, 24}, {52, 12, 16, 32, -1, -1, 44}, {72, 12, 20, 52, -1, -1, 64}},
    {{56, -1, -1, 12, 24, 36, 48}, {76, 12, 16, 32, 44, 56, 68}, {96, 12, 20, 52, 64, 76, 88}},
};

inline void PutVec(uint8_t *p, const VEC3 &v) { std::memcpy(p, &v, 12); }
inline void PutF(uint8_t *p, float v) { std::memcpy(p, &v, 4); }

// The device lets go of the buffers the mesh drawing bound, so that released ones are gone.
void UnbindModelStreams() {
    MODELSYSTEM &S = g_modelSystem;
    if (IDirect3DDevice9 *d = GetRenderDevice()) {
        if (S.lastStream) d->SetStreamSource(0, nullptr, 0, 0);
        if (S.lastIndices) d->SetIndices(nullptr);
    }
    S.lastStream = nullptr;
    S.lastIndices = nullptr;
}

int ChainOf(int kind, int tangents, int uvSets) { return kind * 18 + tangents * 9 + uvSets; }

bool NeedsTangents(const MV1MESH *mesh) { return mesh->material && mesh->material->normalLayerCount > 0; }

void FreeChains(MV1BASE *base) {
    for (int c = 0; c < MODEL_BUFFER_CHAINS; ++c) {
        for (MV1BUFFERNODE *node = base->chainHead[c]; node;) {
            MV1BUFFERNODE *next = node->next;
            if (node->lockedVertices && node->vertexBuffer) node->vertexBuffer->Unlock();
            if (node->lockedIndices && node->indexBuffer) node->indexBuffer->Unlock();
            if (node->vertexBuffer) node->vertexBuffer->Release();
            if (node->indexBuffer) node->indexBuffer->Release();
            FreeMemBlock(node);
            node = next;
        }
        base->chainHead[c] = base->chainTail[c] = base->chainCurrent[c] = nullptr;
        base->chainNodes[c] = 0;
    }
    base->nodeCount = 0;
    for (int i = 0; i < base->triangleListCount; ++i) {
        MV1TRIANGLELIST &l = base->triangleLists[i];
        l.node = nullptr;
        l.firstVertex = l.firstIndex = 0;
    }
}

void UnlinkNode(MV1BASE *base, int chain, MV1BUFFERNODE *node) {
    if (node->prev) node->prev->next = node->next;
    else base->chainHead[chain] = node->next;
    if (node->next) node->next->prev = node->prev;
    else base->chainTail[chain] = node->prev;
    if (base->chainCurrent[chain] == node) base->chainCurrent[chain] = base->chainTail[chain];
    --base->chainNodes[chain];
    --base->nodeCount;
    for (int i = 0; i < base->triangleListCount; ++i) {
        MV1TRIANGLELIST &l = base->triangleLists[i];
        if (l.node != node) continue;
        l.node = nullptr;
        l.firstVertex = l.firstIndex = 0;
    }
    if (node->vertexBuffer) node->vertexBuffer->Release();
    if (node->indexBuffer) node->indexBuffer->Release();
    FreeMemBlock(node);
}

}  // namespace

DWORD ModelVertexFvf(int uvSets) {
    DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | ((DWORD)uvSets << D3DFVF_TEXCOUNT_SHIFT);
    for (int k = 0; k < uvSets; ++k) fvf |= D3DFVF_TEXCOORDSIZE4(k);
    return fvf;
}

int ModelBufferVertexSize(int skinKind, int tangents, int uvSets) {
    return kBufferLayouts[tangents ? 1 : 0][skinKind].size + 16 * uvSets;
}

void WriteBufferVertex(uint8_t *out, const MV1TRIANGLELIST *list, int i, int tangents, int uvSets,
                       const VEC3 *position, const VEC3 *normal) {
    const int kind = list->kind < 3 ? list->kind : 0;
    const BUFFERLAYOUT &l = kBufferLayouts[tangents ? 1 : 0][kind];
    const MV1MESH *mesh = list->mesh;
    const MV1MESHVERTEX *v = MeshVertex(mesh, list->vertexMap[i]);
    std::memset(out, 0, (size_t)l.size + 16 * uvSets);
    PutVec(out, *position);
    PutVec(out + l.normal, *normal);
    if (tangents) {
        const MV1NORMAL &n = mesh->frame->normals[v->normal];
        PutVec(out + l.tangent, n.tangent);
        PutVec(out + l.binormal, n.binormal);
    }
    std::memcpy(out + l.diffuse, &v->diffuse, 4);
    std::memcpy(out + l.diffuse + 4, &v->specular, 4);
    uint8_t *uv = out + l.size;
    for (int k = 0; k < uvSets; ++k, uv += 16) {
        PutF(uv, v->uv[k][0]);
        PutF(uv + 4, v->uv[k][1]);
        PutF(uv + 8, 1.0f);
        PutF(uv + 12, 1.0f);
    }
    if (kind == MV1_KIND_RIGID) return;
    // Weights and palette slots from the list's own vertex data; slots as constant registers.
    const uint8_t *src = list->vertexData + (size_t)i * kKindVertexSize[kind];
    const int count = kind == MV1_KIND_FOUR ? 4 : 8;
    std::memcpy(out + l.weights, src, (size_t)count * 4);
    for (int j = 0; j < count; ++j) {
        const uint8_t slot = j < 4 ? src[44 + j] : src[60 + j - 4];
        out[l.boneIndices + j] = (uint8_t)(slot * 3);
    }
}

int BuildModelBaseVertexBuffers(int baseHandle) {
    MV1BASE *base = GetModelBase(baseHandle);
    if (!base) return -1;
    if (!GetRenderDevice() || !g_deviceState.shaderCapable || base->buffersBuilt) return 0;
    const bool shaders = g_deviceState.programmableShaders != 0;
    FreeChains(base);

    for (int i = 0; i < base->triangleListCount; ++i) {
        MV1TRIANGLELIST &list = base->triangleLists[i];
        if (list.kind > MV1_KIND_EIGHT) continue;
        const int tangents = NeedsTangents(list.mesh) ? 1 : 0;
        // Skinned and tangent layouts are read only by the shaders.
        if ((list.kind != MV1_KIND_RIGID || tangents) && !shaders) continue;
        const int uvSets = list.mesh->uvSetCount > MODEL_UV_SETS_MAX ? MODEL_UV_SETS_MAX : list.mesh->uvSetCount;
        const int chain = ChainOf(list.kind, tangents, uvSets);
        MV1BUFFERNODE *node = base->chainCurrent[chain];
        if (!node) {
            node = static_cast<MV1BUFFERNODE *>(AllocMemBlockZero(sizeof(MV1BUFFERNODE), nullptr, -1));
            if (!node) {
                FreeChains(base);
                return -1;
            }
            node->skinKind = list.kind, node->tangents = tangents, node->uvSets = uvSets;
            base->chainHead[chain] = base->chainTail[chain] = base->chainCurrent[chain] = node;
            ++base->chainNodes[chain];
            ++base->nodeCount;
        }
        list.node = node;
        list.firstVertex = node->vertexTotal;
        list.firstIndex = node->indexTotal;
        node->vertexTotal += list.vertexCount;
        node->indexTotal += list.indexCount;
        if (node->indexTotal > kNodeIndexLimit || node->vertexTotal > kNodeVertexLimit) {
            auto *next = static_cast<MV1BUFFERNODE *>(AllocMemBlockZero(sizeof(MV1BUFFERNODE), nullptr, -1));
            if (!next) {
                FreeChains(base);
                return -1;
            }
            next->skinKind = list.kind, next->tangents = tangents, next->uvSets = uvSets;
            next->prev = node;
            node->next = next;
            base->chainTail[chain] = base->chainCurrent[chain] = next;
            ++base->chainNodes[chain];
            ++base->nodeCount;
        }
    }

    for (int c = 0; c < MODEL_BUFFER_CHAINS; ++c)
        for (MV1BUFFERNODE *node = base->chainHead[c]; node;) {
            MV1BUFFERNODE *next = node->next;
            if (node->indexTotal == 0) UnlinkNode(base, c, node);
            node = next;
        }

    for (int c = 0; c < MODEL_BUFFER_CHAINS; ++c)
        for (MV1BUFFERNODE *node = base->chainHead[c]; node; node = node->next) {
            const bool rigidRow = node->skinKind == MV1_KIND_RIGID && !node->tangents;
            node->vertexSize = ModelBufferVertexSize(node->skinKind, node->tangents, node->uvSets);
            node->fvf = rigidRow ? ModelVertexFvf(node->uvSets) : 0;
            node->vertexBuffer = CreateDeviceVertexBuffer((UINT)node->vertexTotal * node->vertexSize,
                                                          D3DUSAGE_WRITEONLY, node->fvf, D3DPOOL_MANAGED);
            node->indexBuffer = node->vertexBuffer ? CreateDeviceIndexBuffer((UINT)node->indexTotal * 2,
                                                                             D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                                                             D3DPOOL_MANAGED)
                                                   : nullptr;
            void *vertices = nullptr, *indices = nullptr;
            bool locked = node->indexBuffer && SUCCEEDED(node->vertexBuffer->Lock(0, 0, &vertices, 0));
            node->lockedVertices = locked ? static_cast<uint8_t *>(vertices) : nullptr;
            locked = locked && SUCCEEDED(node->indexBuffer->Lock(0, 0, &indices, 0));
            if (!locked) {
                FreeChains(base);
                return -1;
            }
            node->lockedIndices = static_cast<uint16_t *>(indices);
        }

    for (int i = 0; i < base->triangleListCount; ++i) {
        MV1TRIANGLELIST &list = base->triangleLists[i];
        MV1BUFFERNODE *node = list.node;
        if (!node || !node->lockedVertices || !node->lockedIndices) continue;
        const MV1FRAME *frame = list.mesh->frame;
        for (int v = 0; v < list.vertexCount; ++v) {
            const MV1MESHVERTEX *mv = MeshVertex(list.mesh, list.vertexMap[v]);
            WriteBufferVertex(node->lockedVertices + (size_t)(list.firstVertex + v) * node->vertexSize, &list, v,
                              node->tangents, node->uvSets, &FramePosition(frame, mv->position)->position,
                              &frame->normals[mv->normal].normal);
        }
        std::memcpy(node->lockedIndices + list.firstIndex, list.indices, (size_t)list.indexCount * 2);
    }

    for (int c = 0; c < MODEL_BUFFER_CHAINS; ++c)
        for (MV1BUFFERNODE *node = base->chainHead[c]; node;) {
            MV1BUFFERNODE *next = node->next;
            if (!node->vertexBuffer || !node->indexBuffer) {
                UnlinkNode(base, c, node);
            } else {
                node->vertexBuffer->Unlock();
                node->indexBuffer->Unlock();
                node->lockedVertices = nullptr;
                node->lockedIndices = nullptr;
            }
            node = next;
        }
    base->buffersBuilt = 1;
    return 0;
}

int CreateAllModelBaseVertexBuffers() {
    const MODELTABLE &t = g_modelSystem.bases;
    for (int i = 0; i < t.capacity; ++i)
        if (t.entries[i] > MODEL_SLOT_RESERVED)
            BuildModelBaseVertexBuffers(reinterpret_cast<MV1BASE *>(t.entries[i])->handle);
    return 0;
}

int ReleaseModelDeviceResources(int modelHandle) {
    MV1INSTANCE *model = GetModelInstance(modelHandle);
    if (!model) return -1;
    UnbindModelStreams();
    for (int i = 0; i < model->base->triangleListCount; ++i) {
        MV1LISTSTATE &s = model->lists[i];
        if (s.buffer) s.buffer->Release();
        s.buffer = nullptr;
    }
    return 0;
}

int ReleaseModelBaseDeviceResources(int baseHandle) {
    MV1BASE *base = GetModelBase(baseHandle);
    if (!base) return -1;
    UnbindModelStreams();
    if (base->buffersBuilt) {
        FreeChains(base);
        base->buffersBuilt = 0;
    }
    for (MV1INSTANCE *m = base->firstModel; m; m = m->next) ReleaseModelDeviceResources(m->handle);
    return 0;
}

int ReleaseAllModelDeviceResources() {
    const MODELTABLE &bases = g_modelSystem.bases;
    for (int i = 0; i < bases.capacity; ++i)
        if (bases.entries[i] > MODEL_SLOT_RESERVED)
            ReleaseModelBaseDeviceResources(reinterpret_cast<MV1BASE *>(bases.entries[i])->handle);
    const MODELTABLE &models = g_modelSystem.models;
    for (int i = 0; i < models.capacity; ++i)
        if (models.entries[i] > MODEL_SLOT_RESERVED)
            ReleaseModelDeviceResources(reinterpret_cast<MV1INSTANCE *>(models.entries[i])->handle);
    return 0;
}
