// Normals of a read-data mesh that has none: the faces around each position gathered into
// smoothing groups by the same fan walk as the base's normal rebuild, one normal a group,
// numbered in face order.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/model/model_base.h"
#include "library/model/model_fan.h"
#include "library/model/model_load_data.h"

#include <cmath>

int ComputeModelLoadNormals(MODELLOADDATA *data, MODELLOADMESH *mesh) {
    float angle = mesh->frame ? mesh->frame->smoothingAngle : MODELLOAD_FRAME_SMOOTHING;
    if (angle == 0.0f) angle = MODEL_DEFAULT_SMOOTHING;
    const int faces = mesh->faceCount;
    const size_t corners = (size_t)faces * 3;

    auto *facePositions = static_cast<int32_t *>(AllocMemBlock(corners * 4 + 4, nullptr, -1));
    auto *faceNormals = static_cast<VEC3 *>(AllocMemBlock((size_t)faces * sizeof(VEC3) + 4, nullptr, -1));
    auto *cornerGroup = static_cast<int32_t *>(AllocMemBlock(corners * 4 + 4, nullptr, -1));
    auto *groupNormals = static_cast<VEC3 *>(AllocMemBlock(corners * sizeof(VEC3) + 4, nullptr, -1));
    auto *newIndex = static_cast<int32_t *>(AllocMemBlock(corners * 4 + 4, nullptr, -1));
    auto done = [&](int result) {
        FreeMemBlock(facePositions);
        FreeMemBlock(faceNormals);
        FreeMemBlock(cornerGroup);
        FreeMemBlock(groupNormals);
        FreeMemBlock(newIndex);
        return result;
    };
    if (!facePositions || !faceNormals || !cornerGroup || !newIndex) {
        WriteLog("Read Model Convert Error : 法線自動作成処理で格納する法線のメモリの確保に失敗しました\n");
        return done(0);
    }
    if (!groupNormals) {
        WriteLog("Read Model Convert Error : 関係する面の情報を格納するメモリの確保に失敗しました\n");
        return done(0);
    }
    for (int f = 0; f < faces; ++f) {
        MODELLOADFACE &face = mesh->faces[f];
        for (int k = 0; k < 3; ++k) facePositions[f * 3 + k] = face.corners[k].position;
        face.faceNormal = TriangleNormal(mesh->positions[face.corners[0].position], mesh->positions[face.corners[1].position],
                                         mesh->positions[face.corners[2].position]);
        faceNormals[f] = face.faceNormal;
    }
    const FANINPUT fan{faces, facePositions, mesh->positions, mesh->positionCount, faceNormals, std::cos(angle)};
    if (BuildSmoothingGroups(&fan, cornerGroup, groupNormals) != 0) {
        WriteLog("Read Model Convert Error : 関係する面の情報を格納するメモリの確保に失敗しました\n");
        return done(0);
    }
    // Compact: each group numbered where it is first met in face order.
    for (size_t i = 0; i < corners; ++i) newIndex[i] = -1;
    int count = 0;
    for (size_t i = 0; i < corners; ++i)
        if (newIndex[cornerGroup[i]] < 0) newIndex[cornerGroup[i]] = count++;
    auto *normals = static_cast<VEC3 *>(AllocModelLoadBlock(data, (size_t)count * sizeof(VEC3) + 4));
    if (!normals) {
        WriteLog("Read Model Convert Error : 法線自動作成処理で格納する法線のメモリの確保に失敗しました _ 2\n");
        return done(0);
    }
    for (size_t i = 0; i < corners; ++i) {
        normals[newIndex[cornerGroup[i]]] = groupNormals[cornerGroup[i]];
        mesh->faces[i / 3].corners[i % 3].normal = newIndex[cornerGroup[i]];
    }
    mesh->normals = normals;
    mesh->normalCount = count;
    return done(1);
}
