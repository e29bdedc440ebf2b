// Conversion step 12 for one frame's meshes: a piece per material slot with its vertices made
// unique, its triangle lists by skin class (palettes as planned), and the frame's shapes
// on the pieces they move.
#include "library/base/memory.h"
#include "library/model/model_convert.h"
#include "library/model/model_vertices.h"

#include <algorithm>
#include <cstring>

namespace {

template <class T>
T *Chain(MV1BASE *base, size_t count) {
    return static_cast<T *>(AllocChainBlock(sizeof(T) * (count ? count : 1), &base->chain));
}

int PieceCount(const MODELLOADMESH *m) { return std::max(m->materialCount, 1); }
bool Used(const MODELLOADMESH *m) { return m->frame && m->positionCount > 0; }

uint8_t Channel(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return (uint8_t)(v * 255.0f);
}

// Work memory of one mesh, freed together.
struct MESHWORK {
    int32_t *chainHead = nullptr;   // per position: the last piece vertex made for it
    int32_t *chainNext = nullptr;   // per piece vertex
    int32_t *faceVertex = nullptr;  // per face corner: its piece vertex
    int32_t *listMap = nullptr;     // per piece vertex: its list vertex, -1 none
    int32_t *listOrder = nullptr;   // list vertices in first-use order
    int32_t *classFaces = nullptr;  // the piece's faces of one class, in face order
    int32_t *listFaces = nullptr;   // those of one planned list
    uint8_t *vertices = nullptr;    // the piece's vertices being made
    bool Take(const MODELLOADMESH *m) {
        const size_t corners = (size_t)m->faceCount * 3 + 1;
        chainHead = static_cast<int32_t *>(AllocMemBlock((size_t)m->positionCount * 4 + 4, nullptr, -1));
        chainNext = static_cast<int32_t *>(AllocMemBlock(corners * 4, nullptr, -1));
        faceVertex = static_cast<int32_t *>(AllocMemBlock(corners * 4, nullptr, -1));
        listMap = static_cast<int32_t *>(AllocMemBlock(corners * 4, nullptr, -1));
        listOrder = static_cast<int32_t *>(AllocMemBlock(corners * 4, nullptr, -1));
        classFaces = static_cast<int32_t *>(AllocMemBlock((size_t)m->faceCount * 4 + 4, nullptr, -1));
        listFaces = static_cast<int32_t *>(AllocMemBlock((size_t)m->faceCount * 4 + 4, nullptr, -1));
        vertices = static_cast<uint8_t *>(AllocMemBlock(corners * sizeof(MV1MESHVERTEX), nullptr, -1));
        return chainHead && chainNext && faceVertex && listMap && listOrder && classFaces && listFaces && vertices;
    }
    ~MESHWORK() {
        for (void *p : {(void *)chainHead, (void *)chainNext, (void *)faceVertex, (void *)listMap, (void *)listOrder,
                        (void *)classFaces, (void *)listFaces, (void *)vertices})
            FreeMemBlock(p);
    }
};

bool FaceInPiece(const MODELLOADMESH *m, int face, int piece) {
    return m->materialCount == 0 || m->faces[face].material == piece;
}

// The piece's vertices: one per distinct (every byte equal) record, looked up among those of
// the same position.
int MakePieceVertices(const MODELLOADMESH *m, int piece, int uvSets, MESHWORK &w, bool *alpha) {
    const int size = MeshVertexSize(uvSets);
    for (int p = 0; p < m->positionCount; ++p) w.chainHead[p] = -1;
    int count = 0;
    *alpha = false;
    for (int f = 0; f < m->faceCount; ++f) {
        if (!FaceInPiece(m, f, piece)) continue;
        const MODELLOADFACE &face = m->faces[f];
        for (int k = 0; k < 3; ++k) {
            uint8_t *record = w.vertices + (size_t)count * size;
            std::memset(record, 0, (size_t)size);
            auto *v = reinterpret_cast<MV1MESHVERTEX *>(record);
            const MODELLOADCORNER &corner = face.corners[k];
            const int p = corner.position;
            v->position = m->positionBase + p;
            v->normal = m->normalBase + corner.normal;
            const int colour = corner.colour;
            uint8_t rgba[4] = {255, 255, 255, 255};
            if (m->colours && colour >= 0 && colour < m->colourCount)
                for (int i = 0; i < 4; ++i) rgba[i] = Channel(m->colours[colour][i]);
            if (rgba[3] < 255) *alpha = true;
            v->diffuse = (uint32_t)rgba[3] << 24 | (uint32_t)rgba[0] << 16 | (uint32_t)rgba[1] << 8 | rgba[2];
            for (int s = 0; s < uvSets; ++s) {
                const int uv = corner.uvs[s];
                if (m->uvs[s] && uv >= 0 && uv < m->uvCounts[s]) {
                    v->uv[s][0] = m->uvs[s][uv].x;
                    v->uv[s][1] = m->uvs[s][uv].y;
                }
            }
            int found = w.chainHead[p];
            while (found >= 0 && std::memcmp(w.vertices + (size_t)found * size, record, (size_t)size) != 0)
                found = w.chainNext[found];
            if (found < 0) {
                found = count++;
                w.chainNext[found] = w.chainHead[p];
                w.chainHead[p] = found;
            }
            w.faceVertex[f * 3 + k] = found;
        }
    }
    return count;
}

// One triangle list of `count` faces: vertices numbered in first use, 16-bit indices.
MV1TRIANGLELIST *MakeList(MV1BASE *base, MV1MESH *piece, int cls, int weights, const int32_t *faces, int count,
                          MESHWORK &w) {
    MV1TRIANGLELIST &l = base->triangleLists[base->triangleListCount];
    l.index = base->triangleListCount++;
    ++piece->triangleListCount;
    l.mesh = piece;
    l.kind = (uint16_t)cls;
    l.vertexSize = (uint16_t)ClassVertexSize(cls, weights);
    l.maxWeights = cls == 3 ? weights : 0;
    for (int i = 0; i < MODEL_PALETTE_BONES; ++i) l.bones[i] = -1;
    l.indexCount = count * 3;
    l.indices = Chain<uint16_t>(base, (size_t)l.indexCount);
    if (!l.indices) return nullptr;
    int vertices = 0;
    for (int t = 0; t < count; ++t)
        for (int k = 0; k < 3; ++k) {
            const int v = w.faceVertex[faces[t] * 3 + k];
            if (w.listMap[v] < 0) {
                w.listMap[v] = vertices;
                w.listOrder[vertices++] = v;
            }
            l.indices[t * 3 + k] = (uint16_t)w.listMap[v];
        }
    for (int i = 0; i < vertices; ++i) w.listMap[w.listOrder[i]] = -1;
    l.vertexCount = vertices;
    l.vertexMap = Chain<int32_t>(base, (size_t)vertices);
    if (!l.vertexMap || AllocListVertexData(&l, vertices) != 0) return nullptr;
    std::memcpy(l.vertexMap, w.listOrder, (size_t)vertices * 4);
    return &l;
}

// The piece's lists in class order 0, 1, 2, 3.
bool MakePieceLists(MV1BASE *base, MV1MESH *piece, const MODELLOADMESH *m, int p, MESHWORK &w) {
    const MODELLOADPIECEPLAN &plan = m->plans[p];
    piece->triangleLists = &base->triangleLists[base->triangleListCount];
    for (int cls = 0; cls < 4; ++cls) {
        int count = 0;
        for (int f = 0; f < m->faceCount; ++f)
            if (FaceInPiece(m, f, p) && (m->faceClass ? m->faceClass[f] : 0) == cls) w.classFaces[count++] = f;
        if (count == 0) continue;
        if (cls == 1 || cls == 2) {
            for (int l = 0; l < plan.listCount[cls - 1]; ++l) {
                int n = 0;
                for (int i = 0; i < count; ++i)
                    if (m->faceList[w.classFaces[i]] == l) w.listFaces[n++] = w.classFaces[i];
                if (n == 0) continue;
                MV1TRIANGLELIST *list = MakeList(base, piece, cls, plan.weightCount, w.listFaces, n, w);
                if (!list) return false;
                const MODELLOADLISTPLAN &palette = plan.lists[cls - 1][l];
                list->boneCount = palette.boneCount;
                for (int i = 0; i < palette.boneCount; ++i) list->bones[i] = m->skinBase + palette.bones[i];
            }
            continue;
        }
        for (int first = 0; first < count; first += kListTriangles)
            if (!MakeList(base, piece, cls, plan.weightCount, w.classFaces + first,
                          std::min(kListTriangles, count - first), w))
                return false;
    }
    return true;
}

}  // namespace

void FillMeshFacesFromLists(MV1MESH *mesh) {
    int at = 0;
    for (int li = 0; li < mesh->triangleListCount; ++li) {
        const MV1TRIANGLELIST &l = mesh->triangleLists[li];
        for (int t = 0; t + 2 < l.indexCount; t += 3, ++at) {
            MV1FACE &face = mesh->faces[at];
            face.value = l.kind;
            face.list = (uint16_t)li;
            for (int k = 0; k < 3; ++k) face.vertex[k] = l.vertexMap[l.indices[t + k]];
        }
    }
}

bool ConvertFramePieces(MV1BASE *base, MODELLOADFRAME *s, int *drawBit) {
    MV1FRAME &f = *s->baseFrame;
    f.meshes = &base->meshes[base->meshCount];
    int bit = *drawBit + 1;
    for (MODELLOADMESH *m = s->firstMesh; m; m = m->nextInFrame) {
        if (!Used(m)) continue;
        MESHWORK w;
        if (!w.Take(m)) return false;
        for (int i = 0; i < m->faceCount * 3; ++i) w.listMap[i] = -1;
        m->firstPiece = base->meshCount;
        for (int p = 0; p < PieceCount(m); ++p) {
            MV1MESH &piece = base->meshes[base->meshCount];
            piece.index = base->meshCount++;
            ++f.meshCount;
            piece.frame = &f;
            const MODELLOADMATERIAL *material = m->materialCount > 0 ? m->materials[p] : nullptr;
            piece.material = material ? &base->materials[material->index] : nullptr;
            BuildBitRange(&piece.drawStateRange, nullptr, bit++, 1);
            piece.visible = 1;
            piece.cullMode = 1;
            const int uvSets = std::min(std::max(material ? material->diffuseLayerCount : 0, 1), MODEL_UV_SETS_MAX);
            piece.uvSetCount = (uint8_t)uvSets;
            piece.vertexDiffuse = m->colourCount > 0 ? 1 : 0;
            piece.vertexSize = MeshVertexSize(uvSets);
            bool alpha = false;
            piece.vertexCount = MakePieceVertices(m, p, uvSets, w, &alpha);
            piece.needsAlpha = alpha ? 1 : 0;
            piece.vertices = Chain<uint8_t>(base, (size_t)piece.vertexCount * piece.vertexSize);
            if (!piece.vertices) return false;
            std::memcpy(piece.vertices, w.vertices, (size_t)piece.vertexCount * piece.vertexSize);
            if (!MakePieceLists(base, &piece, m, p, w)) return false;
            for (int i = 0; i < piece.triangleListCount; ++i) piece.faceCount += piece.triangleLists[i].indexCount / 3;
            piece.faces = Chain<MV1FACE>(base, (size_t)piece.faceCount);
            if (!piece.faces) return false;
            FillMeshFacesFromLists(&piece);
        }
    }
    *drawBit += 1 + s->pieces;
    return true;
}

bool ConvertFrameShapes(MV1BASE *base, MODELLOADFRAME *s) {
    MV1FRAME &f = *s->baseFrame;
    f.shapes = &base->shapes[base->shapeCount];
    for (MODELLOADSHAPE *shape = s->firstShape; shape; shape = shape->nextInFrame) {
        const MODELLOADMESH *m = shape->mesh;
        if (!Used(m)) continue;
        MV1SHAPE &out = base->shapes[base->shapeCount];
        out.index = base->shapeCount++;
        ++f.shapeCount;
        out.frame = &f;
        out.name = static_cast<const char *>(AllocChainBlock(std::strlen(shape->name) + 1, &base->chain));
        out.meshes = Chain<MV1SHAPEMESH>(base, (size_t)PieceCount(m));
        if (!out.name || !out.meshes) return false;
        std::memcpy(const_cast<char *>(out.name), shape->name, std::strlen(shape->name) + 1);
        for (int p = 0; p < PieceCount(m); ++p) {
            MV1MESH &piece = base->meshes[m->firstPiece + p];
            int count = 0;
            for (int v = 0; v < piece.vertexCount; ++v)
                count += shape->table[MeshVertex(&piece, v)->position - m->positionBase] >= 0;
            if (count == 0) continue;
            MV1SHAPEMESH &sm = out.meshes[out.meshCount++];
            sm.mesh = &piece;
            sm.vertices = Chain<MV1SHAPEVERTEX>(base, (size_t)count);
            if (!sm.vertices) return false;
            for (int v = 0; v < piece.vertexCount; ++v) {
                const int t = shape->table[MeshVertex(&piece, v)->position - m->positionBase];
                if (t < 0) continue;
                const auto &sv = shape->vertices[t];
                sm.vertices[sm.vertexCount++] =
                    MV1SHAPEVERTEX{v, sv.offset, shape->hasNormals ? sv.normal : VEC3{0, 0, 0}};
            }
            piece.hasShapes = 1;
        }
    }
    return true;
}
