// Read data built in code for the converter's and the model file's tests: a record that frees
// itself, a cube of six coloured quads, and small helpers for meshes, faces and skin weights.
#pragma once

#include "library/model/model_load_data.h"

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

struct ReadData {
    MODELLOADDATA data;
    ReadData() { InitModelLoadData(&data); }
    ~ReadData() { TermModelLoadData(&data); }
    ReadData(const ReadData &) = delete;
    ReadData &operator=(const ReadData &) = delete;
    MODELLOADDATA *operator->() { return &data; }
    MODELLOADDATA *get() { return &data; }
};

template <class T>
T *LoadArray(MODELLOADDATA *data, size_t count) {
    return static_cast<T *>(AllocModelLoadBlock(data, sizeof(T) * (count ? count : 1)));
}

inline void SetPositions(MODELLOADDATA *data, MODELLOADMESH *mesh, const std::vector<VEC3> &p) {
    mesh->positionCount = (int)p.size();
    mesh->positions = LoadArray<VEC3>(data, p.size());
    for (size_t i = 0; i < p.size(); ++i) mesh->positions[i] = p[i];
}

inline void SetNormals(MODELLOADDATA *data, MODELLOADMESH *mesh, const std::vector<VEC3> &n) {
    mesh->normalCount = (int)n.size();
    mesh->normals = LoadArray<VEC3>(data, n.size());
    for (size_t i = 0; i < n.size(); ++i) mesh->normals[i] = n[i];
}

// Faces of the given corners (positions; normals, colours and UV set 0 take the same numbers
// unless `normals` is given per face), all of material `material`.
inline void SetFaces(MODELLOADDATA *data, MODELLOADMESH *mesh, const std::vector<std::vector<int>> &faces,
                     int material = 0, const std::vector<int> &faceNormal = {}) {
    mesh->faceCount = (int)faces.size();
    mesh->faces = AllocModelLoadFaces(data, faces.size(), MODELLOAD_FACE_CORNERS);
    for (size_t f = 0; f < faces.size(); ++f) {
        MODELLOADFACE &face = mesh->faces[f];
        face.vertexCount = (int)faces[f].size();
        face.material = material;
        for (size_t k = 0; k < faces[f].size(); ++k) {
            MODELLOADCORNER &corner = face.corners[k];
            corner.position = faces[f][k];
            corner.normal = faceNormal.empty() ? faces[f][k] : faceNormal[f];
            corner.colour = faceNormal.empty() ? faces[f][k] : faceNormal[f];
            corner.uvs[0] = faces[f][k];
        }
    }
}

inline void SetColours(MODELLOADDATA *data, MODELLOADMESH *mesh, const std::vector<uint32_t> &argb) {
    mesh->colourCount = (int)argb.size();
    mesh->colours = LoadArray<float[4]>(data, argb.size());
    for (size_t i = 0; i < argb.size(); ++i) {
        mesh->colours[i][0] = (float)((argb[i] >> 16) & 255) / 255.0f;
        mesh->colours[i][1] = (float)((argb[i] >> 8) & 255) / 255.0f;
        mesh->colours[i][2] = (float)(argb[i] & 255) / 255.0f;
        mesh->colours[i][3] = (float)(argb[i] >> 24) / 255.0f;
    }
}

inline void SetUvs(MODELLOADDATA *data, MODELLOADMESH *mesh, int set, const std::vector<std::pair<float, float>> &uv) {
    mesh->uvCounts[set] = (int)uv.size();
    mesh->uvs[set] = LoadArray<VEC3>(data, uv.size());
    for (size_t i = 0; i < uv.size(); ++i) mesh->uvs[set][i] = VEC3{uv[i].first, uv[i].second, 0};
}

// A skin weight of the mesh on `boneFrame` with (position, weight) pairs and an identity offset.
inline MODELLOADSKINWEIGHT *AddWeight(MODELLOADDATA *data, MODELLOADMESH *mesh, int boneFrame,
                                      const std::vector<std::pair<int, float>> &pairs) {
    MODELLOADSKINWEIGHT *w = AddModelLoadSkinWeight(data);
    MakeIdentityMatrix(&w->offset);
    w->boneFrame = boneFrame;
    w->count = (int)pairs.size();
    w->pairs = LoadArray<MODELLOADSKINWEIGHT::PAIR>(data, pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) w->pairs[i] = {pairs[i].first, pairs[i].second};
    mesh->skinWeights[mesh->skinWeightCount++] = w;
    return w;
}

// The six faces of a cube as quads, each seen clockwise from outside (the corner numbering of
// the model builder's cube: bit 0 x, bit 1 y, bit 2 z).
inline const std::vector<std::vector<int>> &CubeQuads() {
    static const std::vector<std::vector<int>> quads = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                                                        {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    return quads;
}

inline std::vector<VEC3> CubePositions(float h) {
    std::vector<VEC3> p;
    for (int i = 0; i < 8; ++i) p.push_back(VEC3{(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h});
    return p;
}

// CubeQuads each wound so that its cross product points out (clockwise seen from outside).
std::vector<std::vector<int>> OutwardCubeQuads();

// A frame "cube" holding a cube mesh of six quads, face k coloured colours[k] and with normal
// k (when `normals`), all of one material "white". Returns the mesh.
MODELLOADMESH *AddReadDataCube(MODELLOADDATA *data, float half, const uint32_t colours[6], bool normals = true,
                               MODELLOADFRAME *frame = nullptr);
