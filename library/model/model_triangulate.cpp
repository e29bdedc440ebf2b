// Polygons of up to 32 corners split into triangles that keep the polygon's winding: the face
// becomes (0, 1, d - 1) and the rest are taken alternately from both ends.
#include "library/base/log.h"
#include "library/model/model_load_data.h"

#include <cstring>

namespace {

// Corner `to` of the triangle takes every index of the polygon's corner `from`.
void CopyCorner(MODELLOADFACE &triangle, int to, const MODELLOADFACE &polygon, int from) {
    triangle.positions[to] = polygon.positions[from];
    triangle.normals[to] = polygon.normals[from];
    triangle.colours[to] = polygon.colours[from];
    for (int s = 0; s < MODELLOAD_UV_SETS; ++s) triangle.uvs[s][to] = polygon.uvs[s][from];
}

void MakeTriangle(MODELLOADFACE &triangle, const MODELLOADFACE &polygon, int a, int b, int c) {
    triangle.vertexCount = 3;
    triangle.triangleCount = 1;
    triangle.material = polygon.material;
    CopyCorner(triangle, 0, polygon, a);
    CopyCorner(triangle, 1, polygon, b);
    CopyCorner(triangle, 2, polygon, c);
}

}  // namespace

int TriangulateModelLoadMesh(MODELLOADDATA *data, MODELLOADMESH *mesh) {
    if (mesh->faceCount <= 0) return 1;
    int64_t extra = 0;
    for (int i = 0; i < mesh->faceCount; ++i) extra += mesh->faces[i].vertexCount - 3;
    if (extra == 0) return 1;
    const int64_t total = mesh->faceCount + extra;
    auto *faces = total <= INT32_MAX
                      ? static_cast<MODELLOADFACE *>(AllocModelLoadBlock(data, sizeof(MODELLOADFACE) * (size_t)total))
                      : nullptr;
    if (!faces) {
        WriteLog("Read Model Error : ３ポリ変換後のデータを格納するメモリ領域の確保に失敗しました\n");
        return 0;
    }
    std::memcpy(faces, mesh->faces, sizeof(MODELLOADFACE) * (size_t)mesh->faceCount);
    mesh->faces = faces;
    int next = mesh->faceCount;
    for (int i = 0; i < mesh->faceCount; ++i) {
        MODELLOADFACE &face = faces[i];
        const int d = face.vertexCount;
        if (d <= 3) continue;
        int a = 1, b = d - 1;
        for (int made = 1; made < d - 2; ++made) {
            if (made % 2 == 1) {
                MakeTriangle(faces[next++], face, b, a, a + 1);
                ++a;
            } else {
                MakeTriangle(faces[next++], face, b, a, b - 1);
                --b;
            }
        }
        face.vertexCount = 3;
        face.triangleCount = 1;
        CopyCorner(face, 2, face, d - 1);
    }
    mesh->faceCount = (int)total;
    return 1;
}
