// Conversion step 3 for one mesh: triangles, normals, the bones that drive each position and
// face, each face's skin class, and the plan of its pieces' triangle lists with palettes of at
// most 54 bones and at most 65,535 indices.
#include "library/base/log.h"
#include "library/model/model_convert.h"

#include <algorithm>
#include <cstring>

namespace {

bool Fail(const char *message) {
    WriteLogFmt("Read Model Convert Error : %s", message);
    return false;
}

template <class T>
T *Work(MODELLOADDATA *data, size_t count) {
    return static_cast<T *>(AllocModelLoadBlock(data, sizeof(T) * (count ? count : 1)));
}

bool PaletteHolds(const MODELLOADLISTPLAN &list, int bone) {
    for (int i = 0; i < list.boneCount; ++i)
        if (list.bones[i] == bone) return true;
    return false;
}

bool PaletteHoldsAll(const MODELLOADLISTPLAN &list, const uint16_t *bones, int count) {
    for (int i = 0; i < count; ++i)
        if (!PaletteHolds(list, bones[i])) return false;
    return true;
}

// A new empty list at the end of the class's table (which grows past its first 128).
int OpenList(MODELLOADDATA *data, MODELLOADPIECEPLAN *plan, int c) {
    if (plan->listCount[c] == plan->listCapacity[c]) {
        const int grown = std::max(128, plan->listCapacity[c] * 2);
        auto *lists = Work<MODELLOADLISTPLAN>(data, (size_t)grown);
        if (!lists) return -1;
        if (plan->listCount[c] > 0)
            std::memcpy(lists, plan->lists[c], sizeof(MODELLOADLISTPLAN) * (size_t)plan->listCount[c]);
        plan->lists[c] = lists;
        plan->listCapacity[c] = grown;
    }
    plan->lists[c][plan->listCount[c]] = MODELLOADLISTPLAN{};
    return plan->listCount[c]++;
}

// The list of class c (1 or 2) that takes a face of these bones: one that holds them all with
// room to spare, else the first that can be given the missing ones, else a new one.
int PlaceFace(MODELLOADDATA *data, MODELLOADPIECEPLAN *plan, int c, const uint16_t *bones, int count,
              int triangles) {
    for (int l = 0; l < plan->listCount[c]; ++l) {
        const MODELLOADLISTPLAN &list = plan->lists[c][l];
        if ((list.triangles + triangles) * 3 < 65535 && PaletteHoldsAll(list, bones, count)) return l;
    }
    if (plan->listCount[c] == 0 && OpenList(data, plan, c) < 0) return -1;
    for (;;) {
        for (int l = 0; l < plan->listCount[c]; ++l) {
            MODELLOADLISTPLAN &list = plan->lists[c][l];
            if ((list.triangles + triangles) * 3 > 65535) continue;
            for (int i = 0; i < count && list.boneCount < MODEL_PALETTE_BONES; ++i)
                if (!PaletteHolds(list, bones[i])) list.bones[list.boneCount++] = bones[i];
            if (PaletteHoldsAll(list, bones, count)) return l;
        }
        if (OpenList(data, plan, c) < 0) return -1;
    }
}

int Lists(int triangles) { return (triangles + kListTriangles - 1) / kListTriangles; }

}  // namespace

int PlanListCount(const MODELLOADPIECEPLAN *plan, int cls) {
    switch (cls) {
    case 0: return Lists(plan->classTriangles[0]);
    case 1: return plan->listCount[0];
    case 2: return plan->listCount[1];
    default: return Lists(plan->classTriangles[3]);
    }
}

bool PlanModelLoadMesh(MODELLOADDATA *data, MODELLOADMESH *mesh) {
    if (!TriangulateModelLoadMesh(data, mesh)) return false;
    if (data->ownSmoothing || !mesh->normals) {
        if (!data->ownSmoothing && mesh->frame) mesh->frame->smoothingAngle = g_modelSystem.defaultSmoothing;
        if (!ComputeModelLoadNormals(data, mesh)) return false;
    }
    for (int f = 0; f < mesh->faceCount; ++f) mesh->faces[f].triangleCount = 1;
    mesh->triangleTotal = mesh->faceCount;
    data->triangleTotal += mesh->faceCount;
    data->largestPositions = std::max(data->largestPositions, mesh->positionCount);
    data->largestTriangles = std::max(data->largestTriangles, mesh->faceCount);

    const int bones = mesh->skinWeightCount;
    const bool skinned = bones > 0;
    if (skinned) {
        mesh->faceClass = Work<uint8_t>(data, (size_t)mesh->faceCount);
        mesh->faceBoneCount = Work<uint16_t>(data, (size_t)mesh->faceCount);
        if (!mesh->faceClass || !mesh->faceBoneCount) return Fail("トライアングルタイプ配列格納用メモリの確保に失敗しました\n");
        if (CreateBitSet(&mesh->vertexBones, mesh->positionCount, bones, &data->chain) != 0)
            return Fail("頂点へのボーンの影響に関するデータの初期化に失敗しました\n");
        mesh->boneWeights = Work<float>(data, (size_t)mesh->positionCount * bones);
        if (!mesh->boneWeights) return Fail("頂点へのボーンの影響値の情報を格納するメモリの確保に失敗しました\n");
        if (CreateBitSet(&mesh->faceBones, mesh->faceCount, bones, &data->chain) != 0)
            return Fail("面へのボーンの影響に関するデータの初期化に失敗しました\n");
        for (int b = 0; b < bones; ++b) {
            const MODELLOADSKINWEIGHT *w = mesh->skinWeights[b];
            for (int i = 0; i < w->count; ++i) {
                if (!(w->pairs[i].weight > 0.0f)) continue;
                const int p = w->pairs[i].position;
                SetBitSetBit(&mesh->vertexBones, p, b);
                mesh->boneWeights[(size_t)p * bones + b] = w->pairs[i].weight;
            }
        }
        uint8_t row[(MODELLOAD_MESH_SKINWEIGHTS + 7) / 8 + 1];
        const int rowBytes = mesh->vertexBones.rowBytes;
        for (int f = 0; f < mesh->faceCount; ++f) {
            const MODELLOADFACE &face = mesh->faces[f];
            std::memset(row, 0, sizeof row);
            int largest = 0;
            for (int k = 0; k < 3; ++k) {
                const uint8_t *v = BitSetRow(&mesh->vertexBones, face.corners[k].position);
                largest = std::max(largest, CountBits(v, rowBytes));
                OrBitSetRow(&mesh->vertexBones, face.corners[k].position, row);
            }
            StoreBitSetRow(&mesh->faceBones, f, row);
            mesh->faceBoneCount[f] = (uint16_t)CountBits(row, rowBytes);
            mesh->faceClass[f] = (uint8_t)SkinClassOf(largest);
        }
    }

    const int pieces = std::max(mesh->materialCount, 1);
    mesh->plans = Work<MODELLOADPIECEPLAN>(data, (size_t)pieces);
    if (!mesh->plans) return Fail("マテリアル毎のポリゴンデータを格納するメモリの確保に失敗しました\n");
    data->pieceTotal += pieces;
    if (mesh->hasShapes && mesh->frame) data->shapeMeshTotal += pieces * mesh->frame->shapeCount;

    if (skinned) {
        mesh->faceList = Work<uint16_t>(data, (size_t)mesh->faceCount);
        if (!mesh->faceList) return Fail("各面とトライアングルリストの関係を保存するメモリ領域の確保に失敗しました\n");
    }
    uint16_t faceBones[MODELLOAD_MESH_SKINWEIGHTS];
    for (int f = 0; f < mesh->faceCount; ++f) {
        MODELLOADPIECEPLAN &plan = mesh->plans[mesh->materialCount > 0 ? mesh->faces[f].material : 0];
        const int cls = skinned ? mesh->faceClass[f] : 0;
        plan.classTriangles[cls] += 1;
        if (cls == 1 || cls == 2) {
            const int count = ListBitSetRowBits(&mesh->faceBones, f, faceBones);
            const int list = PlaceFace(data, &plan, cls - 1, faceBones, count, 1);
            if (list < 0) return Fail("マテリアル毎のポリゴンデータを格納するメモリの確保に失敗しました\n");
            plan.lists[cls - 1][list].triangles += 1;
            mesh->faceList[f] = (uint16_t)list;
            plan.weightCount = std::max(plan.weightCount, cls == 1 ? 4 : 8);
        } else if (cls == 3) {
            plan.weightCount = std::max(plan.weightCount, (int)mesh->faceBoneCount[f]);
        }
    }
    for (int p = 0; p < pieces; ++p) mesh->plans[p].rigidLists = PlanListCount(&mesh->plans[p], 0);
    return true;
}
