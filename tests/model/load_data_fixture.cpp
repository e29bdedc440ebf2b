#include "model/load_data_fixture.h"

namespace {
const VEC3 kOut[6] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
}

std::vector<std::vector<int>> OutwardCubeQuads() {
    const std::vector<VEC3> p = CubePositions(1.0f);
    std::vector<std::vector<int>> quads = CubeQuads();
    for (int f = 0; f < 6; ++f) {
        const VEC3 &a = p[quads[f][0]], &b = p[quads[f][1]], &c = p[quads[f][2]];
        const VEC3 e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
        VEC3 n;
        CrossVectors(&n, &e1, &e2);
        if (DotVectors(&n, &kOut[f]) < 0) quads[f] = {quads[f][0], quads[f][3], quads[f][2], quads[f][1]};
    }
    return quads;
}

MODELLOADMESH *AddReadDataCube(MODELLOADDATA *data, float half, const uint32_t colours[6], bool normals,
                               MODELLOADFRAME *frame) {
    if (!frame) frame = AddModelLoadFrame(data, "cube", nullptr);
    MODELLOADMESH *mesh = AddModelLoadMesh(data, frame);
    SetPositions(data, mesh, CubePositions(half));
    SetFaces(data, mesh, OutwardCubeQuads(), 0, {0, 1, 2, 3, 4, 5});
    if (normals) SetNormals(data, mesh, std::vector<VEC3>(kOut, kOut + 6));
    SetColours(data, mesh, std::vector<uint32_t>(colours, colours + 6));
    mesh->materialCount = 1;
    mesh->materials[0] = data->firstMaterial ? data->firstMaterial : AddModelLoadMaterial(data, "white");
    return mesh;
}
