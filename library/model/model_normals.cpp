#include "library/model/model_normals.h"

#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/model/model_buffers.h"
#include "library/model/model_fan.h"
#include "library/model/model_vertices.h"

#include <cmath>
#include <cstring>

namespace {

// Work memory freed together however a rebuild ends.
struct WORKBLOCKS {
    void *blocks[12] = {};
    int count = 0;
    void *Take(size_t bytes, bool zero = false) {
        void *p = zero ? AllocMemBlockZero(bytes, nullptr, -1) : AllocMemBlock(bytes, nullptr, -1);
        if (p && count < 12) blocks[count++] = p;
        return p;
    }
    ~WORKBLOCKS() {
        for (int i = 0; i < count; ++i) FreeMemBlock(blocks[i]);
    }
};

int Fail(const char *message) {
    WriteLog(message);
    return -1;
}

// Replaces an owned array by a new one of `bytes` when `grow`, else keeps it; the new one is
// owned. False when the allocation fails.
template <class T>
bool ResizeOwned(T *&array, int32_t &owned, size_t bytes, bool grow) {
    if (!grow) return true;
    auto *fresh = static_cast<T *>(AllocMemBlockZero(bytes, nullptr, -1));
    if (!fresh) return false;
    if (owned) FreeMemBlock(array);
    array = fresh;
    owned = 1;
    return true;
}

// Step 8: a list's vertex map, indices and vertex data from its mesh's faces.
int RebuildListFromFaces(MV1MESH *mesh, int listIndex, int32_t *mapWork, int32_t *listWork) {
    MV1TRIANGLELIST *list = &mesh->triangleLists[listIndex];
    MV1BASE *base = mesh->frame->base;
    FreeMemBlock(list->softVertices);
    list->softVertices = nullptr;
    for (int i = 0; i < mesh->vertexCount; ++i) mapWork[i] = -1;
    int count = 0, indices = 0;
    for (int f = 0; f < mesh->faceCount; ++f) {
        const MV1FACE &face = mesh->faces[f];
        if (face.list != listIndex) continue;
        for (int k = 0; k < 3; ++k) {
            const int v = face.vertex[k];
            if (mapWork[v] < 0) {
                mapWork[v] = count;
                listWork[count++] = v;
            }
            if (indices < list->indexCount) list->indices[indices++] = (uint16_t)mapWork[v];
        }
    }
    const int old = list->vertexCount;
    if (!ResizeOwned(list->vertexMap, list->vertexMapOwned, (size_t)count * 4, count > old))
        return Fail("トライアングルリストのメッシュ頂点インデックス格納用メモリの確保に失敗しました\n");
    if (count > old && AllocListVertexData(list, count) != 0)
        return Fail("トライアングルリストの座標データ格納用メモリの確保に失敗しました\n");
    std::memcpy(list->vertexMap, listWork, (size_t)count * 4);
    list->vertexCount = count;
    const int bytes = ListVertexBytes(list);
    base->totals.listVertices += count - old;
    base->totals.total += (int64_t)(count - old) * bytes;
    if (list->kind < 3) base->kindVertices[list->kind] += count - old;
    else base->kindVertices[3] += (count - old) * bytes;
    FillTriangleListVertices(list);
    return 0;
}

}  // namespace

int RecalcFrameNormals(MV1FRAME *frame, float angle) {
    if (!g_modelSystem.started) return -1;
    if (frame->meshCount <= 0) return 0;
    MV1BASE *base = frame->base;
    frame->smoothingAngle = angle;
    frame->normalsRecalculated = 1;
    const float c = std::cos(angle);

    int faces = 0, largestMesh = 0;
    for (int m = 0; m < frame->meshCount; ++m) {
        faces += frame->meshes[m].faceCount;
        if (frame->meshes[m].vertexCount > largestMesh) largestMesh = frame->meshes[m].vertexCount;
    }
    WORKBLOCKS work;
    auto *facePositions = static_cast<int32_t *>(work.Take((size_t)faces * 12 + 4));
    auto *faceNormals = static_cast<VEC3 *>(work.Take((size_t)faces * sizeof(VEC3) + 4));
    auto *points = static_cast<VEC3 *>(work.Take((size_t)frame->positionCount * sizeof(VEC3) + 4));
    if (!facePositions || !faceNormals || !points) return Fail("法線再計算用のメモリの確保に失敗しました\n");
    auto *cornerGroup = static_cast<int32_t *>(work.Take((size_t)faces * 12 + 4));
    auto *groupNormals = static_cast<VEC3 *>(work.Take((size_t)faces * 3 * sizeof(VEC3) + 4));
    auto *newIndex = static_cast<int32_t *>(work.Take((size_t)faces * 12 + 4));
    if (!cornerGroup || !groupNormals || !newIndex) return Fail("法線再計算用のメモリの確保に失敗しました_2\n");
    // Shapes: per shape one scratch record per position, unset ones all 0xFF.
    MV1SHAPEVERTEX *scratch = nullptr;
    if (frame->shapeCount > 0) {
        scratch = static_cast<MV1SHAPEVERTEX *>(
            work.Take((size_t)frame->shapeCount * frame->positionCount * sizeof(MV1SHAPEVERTEX) + 4));
        if (!scratch) return Fail("法線再計算用のメモリの確保に失敗しました_3\n");
        std::memset(scratch, 0xFF, (size_t)frame->shapeCount * frame->positionCount * sizeof(MV1SHAPEVERTEX));
        for (int s = 0; s < frame->shapeCount; ++s) {
            const MV1SHAPE &shape = frame->shapes[s];
            for (int sm = 0; sm < shape.meshCount; ++sm) {
                const MV1SHAPEMESH &smesh = shape.meshes[sm];
                for (int i = 0; i < smesh.vertexCount; ++i) {
                    const int p = MeshVertex(smesh.mesh, smesh.vertices[i].vertex)->position;
                    scratch[(size_t)s * frame->positionCount + p] = smesh.vertices[i];
                }
            }
        }
    }

    for (int p = 0; p < frame->positionCount; ++p) points[p] = FramePosition(frame, p)->position;
    int at = 0;
    for (int m = 0; m < frame->meshCount; ++m) {
        const MV1MESH &mesh = frame->meshes[m];
        for (int f = 0; f < mesh.faceCount; ++f, ++at) {
            for (int k = 0; k < 3; ++k) facePositions[at * 3 + k] = MeshVertex(&mesh, mesh.faces[f].vertex[k])->position;
            faceNormals[at] = TriangleNormal(points[facePositions[at * 3]], points[facePositions[at * 3 + 1]],
                                             points[facePositions[at * 3 + 2]]);
        }
    }
    const FANINPUT fan{faces, facePositions, points, frame->positionCount, faceNormals, c};
    if (BuildSmoothingGroups(&fan, cornerGroup, groupNormals) != 0)
        return Fail("法線再計算に使用する作業用メモリの確保に失敗しました\n");

    // Compact the normals in face order.
    for (int i = 0; i < faces * 3; ++i) newIndex[i] = -1;
    int normals = 0;
    for (int i = 0; i < faces * 3; ++i)
        if (newIndex[cornerGroup[i]] < 0) newIndex[cornerGroup[i]] = normals++;
    const int oldNormals = frame->normalCount;
    if (!ResizeOwned(frame->normals, frame->normalsOwned, (size_t)normals * sizeof(MV1NORMAL), normals > oldNormals))
        return Fail("法線再計算で法線を格納するメモリの確保に失敗しました\n");
    for (int i = 0; i < faces * 3; ++i) {
        MV1NORMAL &n = frame->normals[newIndex[cornerGroup[i]]];
        n.normal = groupNormals[cornerGroup[i]];
        n.tangent = n.binormal = VEC3{0, 0, 0};
    }
    frame->normalCount = normals;
    base->totals.normalCount += normals - oldNormals;
    base->totals.normalBytes += (int64_t)(normals - oldNormals) * (int64_t)sizeof(MV1NORMAL);
    base->totals.total += (int64_t)(normals - oldNormals) * (int64_t)sizeof(MV1NORMAL);

    // Mesh vertices: one per distinct (record with its new normal), chained per position.
    auto *chainHead = static_cast<int32_t *>(work.Take((size_t)frame->positionCount * 4 + 4));
    auto *chainNext = static_cast<int32_t *>(work.Take((size_t)faces * 12 + 4));
    auto *mapWork = static_cast<int32_t *>(work.Take((size_t)(faces * 3 + largestMesh) * 4 + 4));
    auto *listWork = static_cast<int32_t *>(work.Take((size_t)(faces * 3 + largestMesh) * 4 + 4));
    int largestSize = 16;
    for (int m = 0; m < frame->meshCount; ++m)
        if (frame->meshes[m].vertexSize > largestSize) largestSize = frame->meshes[m].vertexSize;
    auto *fresh = static_cast<uint8_t *>(work.Take((size_t)faces * 3 * largestSize + largestSize));
    if (!chainHead || !chainNext || !mapWork || !listWork || !fresh)
        return Fail("法線再計算に使用する作業用メモリの確保に失敗しました_2\n");
    at = 0;
    for (int m = 0; m < frame->meshCount; ++m) {
        MV1MESH &mesh = frame->meshes[m];
        const int size = mesh.vertexSize;
        for (int p = 0; p < frame->positionCount; ++p) chainHead[p] = -1;
        int count = 0;
        for (int f = 0; f < mesh.faceCount; ++f, ++at) {
            for (int k = 0; k < 3; ++k) {
                uint8_t *record = fresh + (size_t)count * size;
                std::memcpy(record, MeshVertex(&mesh, mesh.faces[f].vertex[k]), (size_t)size);
                auto *v = reinterpret_cast<MV1MESHVERTEX *>(record);
                v->normal = newIndex[cornerGroup[at * 3 + k]];
                int found = chainHead[v->position];
                while (found >= 0 && std::memcmp(fresh + (size_t)found * size, record, (size_t)size) != 0)
                    found = chainNext[found];
                if (found < 0) {
                    found = count++;
                    chainNext[found] = chainHead[v->position];
                    chainHead[v->position] = found;
                }
                mesh.faces[f].vertex[k] = found;
            }
        }
        const int old = mesh.vertexCount;
        if (!ResizeOwned(mesh.vertices, mesh.verticesOwned, (size_t)count * size, count > old))
            return Fail("法線再計算に使用する作業用メモリの確保に失敗しました_3\n");
        std::memcpy(mesh.vertices, fresh, (size_t)count * size);
        mesh.vertexCount = count;
        base->totals.meshVertexBytes += (int64_t)(count - old) * size;
        base->totals.total += (int64_t)(count - old) * size;
        frame->meshVertexTotal += count - old;
        BuildMeshTangents(&mesh);
        for (int l = 0; l < mesh.triangleListCount; ++l)
            if (RebuildListFromFaces(&mesh, l, mapWork, listWork) != 0) return -1;
    }

    // Shapes: one shape vertex per mesh vertex whose position the shape moves.
    for (int s = 0; s < frame->shapeCount; ++s) {
        MV1SHAPE &shape = frame->shapes[s];
        const MV1SHAPEVERTEX *rows = scratch + (size_t)s * frame->positionCount;
        for (int sm = 0; sm < shape.meshCount; ++sm) {
            MV1SHAPEMESH &smesh = shape.meshes[sm];
            const MV1MESH *mesh = smesh.mesh;
            int count = 0;
            for (int v = 0; v < mesh->vertexCount; ++v)
                if (rows[MeshVertex(mesh, v)->position].vertex != -1) ++count;
            const int old = smesh.vertexCount;
            if (!ResizeOwned(smesh.vertices, smesh.owned, (size_t)count * sizeof(MV1SHAPEVERTEX), count > old))
                return Fail("シェイプ頂点データ格納用メモリの確保に失敗しました\n");
            count = 0;
            for (int v = 0; v < mesh->vertexCount; ++v) {
                const MV1SHAPEVERTEX &row = rows[MeshVertex(mesh, v)->position];
                if (row.vertex == -1) continue;
                smesh.vertices[count++] = MV1SHAPEVERTEX{v, row.position, VEC3{0, 0, 0}};
            }
            smesh.vertexCount = count;
            base->totals.shapeVertices += count - old;
            base->totals.total += (int64_t)(count - old) * (int64_t)sizeof(MV1SHAPEVERTEX);
        }
    }
    return 1;
}

namespace {

bool SamePosition(const MV1FRAME *frame, int a, int b) {
    const MV1POSITION *pa = FramePosition(frame, a), *pb = FramePosition(frame, b);
    if (std::memcmp(&pa->position, &pb->position, 12) != 0) return false;
    const int pairs = FramePositionPairs(frame);
    int na = 0, nb = 0;
    while (na < pairs && pa->weights[na].bone != -1) ++na;
    while (nb < pairs && pb->weights[nb].bone != -1) ++nb;
    return na == nb && std::memcmp(pa->weights, pb->weights, (size_t)na * 8) == 0;
}

}  // namespace

int OptimizeFrameVertices(MV1FRAME *frame) {
    if (frame->meshCount <= 0) return 0;
    MV1BASE *base = frame->base;
    int n = frame->positionCount;
    for (int m = 0; m < frame->meshCount; ++m) {
        const MV1MESH &mesh = frame->meshes[m];
        if (mesh.vertexCount > n) n = mesh.vertexCount;
        for (int l = 0; l < mesh.triangleListCount; ++l)
            if (mesh.triangleLists[l].vertexCount > n) n = mesh.triangleLists[l].vertexCount;
    }
    WORKBLOCKS work;
    auto *merged = static_cast<uint8_t *>(work.Take((size_t)n + 1, true));
    auto *newIndex = static_cast<int32_t *>(work.Take((size_t)n * 4 + 4, true));
    auto *into = static_cast<int32_t *>(work.Take((size_t)n * 4 + 4));
    if (!merged || !newIndex || !into) return Fail("頂点情報最適化処理用のメモリの確保に失敗しました\n");

    // Positions.
    int mergedCount = 0;
    for (int i = 0; i < frame->positionCount; ++i) into[i] = -1;
    for (int i = 0; i < frame->positionCount; ++i) {
        if (merged[i]) continue;
        for (int k = i + 1; k < frame->positionCount; ++k)
            if (!merged[k] && SamePosition(frame, i, k)) {
                merged[k] = 1;
                into[k] = i;
                ++mergedCount;
            }
    }
    if (mergedCount > 0) {
        int kept = 0;
        for (int i = 0; i < frame->positionCount; ++i) {
            if (merged[i]) continue;
            if (kept != i)
                std::memmove(FramePosition(frame, kept), FramePosition(frame, i), (size_t)frame->positionSize);
            newIndex[i] = kept++;
        }
        for (int m = 0; m < frame->meshCount; ++m) {
            MV1MESH &mesh = frame->meshes[m];
            for (int v = 0; v < mesh.vertexCount; ++v) {
                MV1MESHVERTEX *mv = MeshVertex(&mesh, v);
                const int p = into[mv->position] >= 0 ? into[mv->position] : mv->position;
                mv->position = newIndex[p];
            }
        }
        frame->positionCount = kept;
        base->totals.positionBytes -= (int64_t)mergedCount * frame->positionSize;
        base->totals.total -= (int64_t)mergedCount * frame->positionSize;
    }

    for (int m = 0; m < frame->meshCount; ++m) {
        MV1MESH &mesh = frame->meshes[m];
        const int size = mesh.vertexSize;
        std::memset(merged, 0, (size_t)n);
        for (int v = 0; v < mesh.vertexCount; ++v) into[v] = -1;
        mergedCount = 0;
        for (int v = 0; v < mesh.vertexCount; ++v) {
            if (merged[v]) continue;
            for (int k = v + 1; k < mesh.vertexCount; ++k)
                if (!merged[k] && std::memcmp(MeshVertex(&mesh, v), MeshVertex(&mesh, k), (size_t)size) == 0) {
                    merged[k] = 1;
                    into[k] = v;
                    ++mergedCount;
                }
        }
        if (mergedCount > 0) {
            int kept = 0;
            for (int v = 0; v < mesh.vertexCount; ++v) {
                if (merged[v]) continue;
                if (kept != v) std::memmove(MeshVertex(&mesh, kept), MeshVertex(&mesh, v), (size_t)size);
                newIndex[v] = kept++;
            }
            auto remap = [&](int32_t v) { return newIndex[into[v] >= 0 ? into[v] : v]; };
            for (int f = 0; f < mesh.faceCount; ++f)
                for (int k = 0; k < 3; ++k) mesh.faces[f].vertex[k] = remap(mesh.faces[f].vertex[k]);
            for (int l = 0; l < mesh.triangleListCount; ++l) {
                MV1TRIANGLELIST &list = mesh.triangleLists[l];
                for (int i = 0; i < list.vertexCount; ++i) list.vertexMap[i] = remap(list.vertexMap[i]);
                FreeMemBlock(list.softVertices);
                list.softVertices = nullptr;
            }
            for (int s = 0; s < frame->shapeCount; ++s)
                for (int sm = 0; sm < frame->shapes[s].meshCount; ++sm) {
                    MV1SHAPEMESH &smesh = frame->shapes[s].meshes[sm];
                    if (smesh.mesh != &mesh) continue;
                    for (int i = 0; i < smesh.vertexCount; ++i) smesh.vertices[i].vertex = remap(smesh.vertices[i].vertex);
                }
            mesh.vertexCount = kept;
            base->totals.meshVertexBytes -= (int64_t)mergedCount * size;
            base->totals.total -= (int64_t)mergedCount * size;
            frame->meshVertexTotal -= mergedCount;
        }

        // Repeated entries of each list's vertex map.
        for (int l = 0; l < mesh.triangleListCount; ++l) {
            MV1TRIANGLELIST &list = mesh.triangleLists[l];
            const int bytes = ListVertexBytes(&list);
            int listMerged = 0;
            for (int i = 0; i < list.vertexCount; ++i) into[i] = -1;
            for (int i = 0; i < list.vertexCount; ++i) {
                if (into[i] >= 0) continue;
                for (int k = i + 1; k < list.vertexCount; ++k)
                    if (into[k] < 0 && list.vertexMap[k] == list.vertexMap[i]) {
                        into[k] = i;
                        ++listMerged;
                    }
            }
            if (listMerged == 0) continue;
            int kept = 0;
            for (int i = 0; i < list.vertexCount; ++i) {
                if (into[i] >= 0) continue;
                list.vertexMap[kept] = list.vertexMap[i];
                if (kept != i)
                    std::memmove(list.vertexData + (size_t)kept * bytes, list.vertexData + (size_t)i * bytes,
                                 (size_t)bytes);
                newIndex[i] = kept++;
            }
            for (int i = 0; i < list.indexCount; ++i) {
                const int v = list.indices[i];
                list.indices[i] = (uint16_t)newIndex[into[v] >= 0 ? into[v] : v];
            }
            list.vertexCount = kept;
            FreeMemBlock(list.softVertices);
            list.softVertices = nullptr;
            base->totals.listVertices -= listMerged;
            base->totals.total -= (int64_t)listMerged * bytes;
            if (list.kind < 3) base->kindVertices[list.kind] -= listMerged;
            else base->kindVertices[3] -= listMerged * bytes;
        }
    }
    return 0;
}

namespace {

int ForEveryFrame(int baseHandle, int (*rebuild)(MV1FRAME *, float), float angle) {
    MV1BASE *base = GetModelBase(baseHandle);
    if (!base) return -1;
    for (int i = 0; i < base->frameCount; ++i)
        if (rebuild(&base->frames[i], angle) < 0) return -1;
    ReleaseModelBaseDeviceResources(baseHandle);
    return BuildModelBaseVertexBuffers(baseHandle) < 0 ? -1 : 0;
}

}  // namespace

int RecalcModelBaseNormals(int baseHandle, float angle) { return ForEveryFrame(baseHandle, RecalcFrameNormals, angle); }

int OptimizeModelBaseVertices(int baseHandle) {
    return ForEveryFrame(baseHandle, [](MV1FRAME *f, float) { return OptimizeFrameVertices(f); }, 0.0f);
}
