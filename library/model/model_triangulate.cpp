// Polygons of up to 32 corners split into triangles that keep the polygon's winding: the face
// becomes (0, 1, d - 1) and the rest are taken alternately from both ends.
#include "library/base/log.h"
#include "library/model/model_load_data.h"

#include <cstring>

namespace {

// A triangle of the polygon's corners a, b, c (each with every index it holds) on its own corners.
void MakeTriangle(MODELLOADFACE &triangle, MODELLOADCORNER *corners, const MODELLOADFACE &polygon, int a, int b,
                  int c) {
    triangle.vertexCount = 3;
    triangle.triangleCount = 1;
    triangle.material = polygon.material;
    triangle.corners = corners;
    corners[0] = polygon.corners[a];
    corners[1] = polygon.corners[b];
    corners[2] = polygon.corners[c];
}

}  // namespace

int TriangulateModelLoadMesh(MODELLOADDATA *data, MODELLOADMESH *mesh) {
    if (mesh->faceCount <= 0) return 1;
    int64_t extra = 0;
    for (int i = 0; i < mesh->faceCount; ++i) extra += mesh->faces[i].vertexCount - 3;
    if (extra == 0) return 1;
    const int64_t total = mesh->faceCount + extra;
    // The new triangles' corners in one pool; the polygons keep theirs.
    MODELLOADFACE *faces = total <= INT32_MAX ? AllocModelLoadFaces(data, (size_t)total, 0) : nullptr;
    MODELLOADCORNER *corners = faces ? AllocModelLoadCorners(data, (size_t)extra * 3) : nullptr;
    if (!corners) {
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
                MakeTriangle(faces[next++], corners, face, b, a, a + 1);
                ++a;
            } else {
                MakeTriangle(faces[next++], corners, face, b, a, b - 1);
                --b;
            }
            corners += 3;
        }
        face.vertexCount = 3;
        face.triangleCount = 1;
        face.corners[2] = face.corners[d - 1];
    }
    mesh->faceCount = (int)total;
    return 1;
}
