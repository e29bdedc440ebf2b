#include "model/model_builder.h"

#include "library/base/memory.h"
#include "library/graphics/screen.h"
#include "library/model/model.h"
#include "library/model/model_frame.h"
#include "library/model/model_texture.h"
#include "library/model/model_vertices.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace {

template <class T>
T *Chain(MV1BASE *base, size_t count) {
    return static_cast<T *>(AllocChainBlock(sizeof(T) * (count ? count : 1), &base->chain));
}

const char *Text(MV1BASE *base, const std::string &s) {
    char *t = Chain<char>(base, s.size() + 1);
    std::memcpy(t, s.c_str(), s.size() + 1);
    return t;
}

// Kind of a list whose vertices carry up to `weights` pairs.
int KindFor(int weights) { return weights == 0 ? 0 : weights <= 4 ? 1 : weights <= 8 ? 2 : 3; }

}  // namespace

int ModelBuilder::AddFrame(const std::string &name, int parent) {
    Frame f;
    f.name = name;
    f.parent = parent;
    frames_.push_back(f);
    return (int)frames_.size() - 1;
}

int ModelBuilder::AddPosition(int frame, VEC3 p, std::vector<std::pair<int, float>> weights) {
    frames_[frame].positions.emplace_back(p, std::move(weights));
    return (int)frames_[frame].positions.size() - 1;
}

int ModelBuilder::AddNormal(int frame, VEC3 n) {
    frames_[frame].normals.push_back(n);
    return (int)frames_[frame].normals.size() - 1;
}

int ModelBuilder::AddMaterial(const Material &m) {
    materials_.push_back(m);
    return (int)materials_.size() - 1;
}

int ModelBuilder::AddTexture(const Texture &t) {
    textures_.push_back(t);
    return (int)textures_.size() - 1;
}

int ModelBuilder::AddSkinRef(int meshFrame, int boneFrame) {
    skinBones_.push_back(SkinBone{boneFrame, meshFrame});
    frames_[meshFrame].skinRefs.push_back((int)skinBones_.size() - 1);
    return (int)frames_[meshFrame].skinRefs.size() - 1;
}

int ModelBuilder::AddMesh(int frame, int material, int uvSets) {
    Mesh m;
    m.frame = frame;
    m.material = material;
    m.uvSets = uvSets;
    meshes_.push_back(m);
    return (int)meshes_.size() - 1;
}

int ModelBuilder::AddVertex(int mesh, int position, int normal, uint32_t diffuse, float u, float v) {
    Vertex x;
    x.position = position;
    x.normal = normal;
    x.diffuse = diffuse;
    x.uv[0][0] = u;
    x.uv[0][1] = v;
    meshes_[mesh].vertices.push_back(x);
    return (int)meshes_[mesh].vertices.size() - 1;
}

void ModelBuilder::AddTriangle(int mesh, int a, int b, int c) { meshes_[mesh].triangles.push_back({a, b, c}); }

int ModelBuilder::AddShape(int frame, const std::string &name) {
    Shape s;
    s.frame = frame;
    s.name = name;
    shapes_.push_back(s);
    return (int)shapes_.size() - 1;
}

void ModelBuilder::AddShapeVertex(int shape, int mesh, int vertex, VEC3 position, VEC3 normal) {
    shapes_[shape].vertices.push_back(ShapeVertex{mesh, vertex, position, normal});
}

int ModelBuilder::AddCube(int frame, int material, float h, const uint32_t colours[6], bool shared) {
    int p[8];
    for (int i = 0; i < 8; ++i)
        p[i] = AddPosition(frame, VEC3{(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h});
    // Faces: outward axis, then four corners around it.
    struct FACE {
        VEC3 n;
        int c[4];
    };
    const FACE faces[6] = {
        {{-1, 0, 0}, {0, 2, 6, 4}}, {{1, 0, 0}, {1, 5, 7, 3}}, {{0, -1, 0}, {0, 4, 5, 1}},
        {{0, 1, 0}, {2, 3, 7, 6}},  {{0, 0, -1}, {0, 1, 3, 2}}, {{0, 0, 1}, {4, 6, 7, 5}},
    };
    const int mesh = AddMesh(frame, material, 1);
    static const float kUv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    int sharedVertex[8];
    int sharedNormal = -1;
    if (shared) {
        sharedNormal = AddNormal(frame, VEC3{0, 0, 0});
        for (int i = 0; i < 8; ++i) sharedVertex[i] = AddVertex(mesh, p[i], sharedNormal, colours[0]);
    }
    for (int f = 0; f < 6; ++f) {
        const int n = shared ? sharedNormal : AddNormal(frame, faces[f].n);
        int v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = shared ? sharedVertex[faces[f].c[k]]
                          : AddVertex(mesh, p[faces[f].c[k]], n, colours[f], kUv[k][0], kUv[k][1]);
        // Clockwise seen from outside: the cross product points along the outward normal.
        auto pos = [&](int k) { return frames_[frame].positions[p[faces[f].c[k]]].first; };
        const VEC3 e1{pos(1).x - pos(0).x, pos(1).y - pos(0).y, pos(1).z - pos(0).z};
        const VEC3 e2{pos(2).x - pos(0).x, pos(2).y - pos(0).y, pos(2).z - pos(0).z};
        VEC3 c;
        CrossVectors(&c, &e1, &e2);
        if (DotVectors(&c, &faces[f].n) > 0) {
            AddTriangle(mesh, v[0], v[1], v[2]);
            AddTriangle(mesh, v[0], v[2], v[3]);
        } else {
            AddTriangle(mesh, v[0], v[2], v[1]);
            AddTriangle(mesh, v[0], v[3], v[2]);
        }
    }
    return mesh;
}

int ModelBuilder::Build() {
    const int F = (int)frames_.size();
    // Parents first, depth first.
    for (int i = 1; i < F; ++i) {
        const int p = frames_[i].parent;
        if (p < -1 || p >= i) return -1;
        if (p == -1) continue;
        int a = i - 1;
        while (a != -1 && a != p) a = frames_[a].parent;
        if (a != p) return -1;
    }
    if (F > 0 && frames_[0].parent != -1) return -1;
    const int handle = AddModelBaseSlot();
    if (handle == -1) return -1;
    auto *base = static_cast<MV1BASE *>(AllocMemBlockZero(sizeof(MV1BASE), nullptr, -1));
    if (!base || StoreModelBase(handle, base) != 0) {
        ReleaseModelBase(handle);
        FreeMemBlock(base);
        return -1;
    }

    // Meshes grouped by frame, in order.
    std::vector<int> meshOrder((size_t)meshes_.size());
    for (size_t i = 0; i < meshOrder.size(); ++i) meshOrder[i] = (int)i;
    std::stable_sort(meshOrder.begin(), meshOrder.end(),
                     [&](int a, int b) { return meshes_[a].frame < meshes_[b].frame; });
    std::vector<int> meshSlot(meshes_.size());
    for (size_t i = 0; i < meshOrder.size(); ++i) meshSlot[meshOrder[i]] = (int)i;

    base->frameCount = F;
    base->frames = Chain<MV1FRAME>(base, F);
    base->materialCount = (int)materials_.size();
    base->materials = Chain<MV1MATERIAL>(base, materials_.size());
    base->textureCount = (int)textures_.size();
    base->textures = Chain<MV1TEXTURE>(base, textures_.size());
    base->meshCount = (int)meshes_.size();
    base->meshes = Chain<MV1MESH>(base, meshes_.size());
    base->skinBoneCount = (int)skinBones_.size();
    base->skinBones = Chain<MV1SKINBONE>(base, skinBones_.size());
    base->shapeCount = (int)shapes_.size();
    base->shapes = Chain<MV1SHAPE>(base, shapes_.size());
    int lists = 0;
    for (const Mesh &m : meshes_) lists += m.triangles.empty() ? 0 : (int)((m.triangles.size() + 21844) / 21845);
    base->triangleListCount = lists;
    base->triangleLists = Chain<MV1TRIANGLELIST>(base, lists);

    // Frames: parts and tree.
    std::vector<int> below(F, 0), meshesBelow(F, 0), ownMeshes(F, 0);
    for (const Mesh &m : meshes_) ++ownMeshes[m.frame];
    for (int i = F - 1; i >= 0; --i) {
        const int p = frames_[i].parent;
        if (p >= 0) {
            below[p] += below[i] + 1;
            meshesBelow[p] += meshesBelow[i] + ownMeshes[i];
        }
    }
    int maskWords = 0;
    int drawBit = 1;
    std::vector<int> frameBit(F), meshBit(meshes_.size());
    for (int i = 0; i < F; ++i) {
        frameBit[i] = drawBit++;
        for (int m : meshOrder)
            if (meshes_[m].frame == i) meshBit[m] = drawBit++;
    }
    for (int i = 0; i < F; ++i)
        maskWords += BitRangeWordCount(frameBit[i], 1 + ownMeshes[i] + below[i] + meshesBelow[i]) +
                     BitRangeWordCount(i + 1, below[i] + 1);
    uint32_t *masks = Chain<uint32_t>(base, (size_t)maskWords);
    base->drawStateMasks = masks;
    for (int i = 0; i < F; ++i) {
        const Frame &s = frames_[i];
        MV1FRAME &f = base->frames[i];
        f.base = base;
        f.index = i;
        f.name = Text(base, s.name);
        f.translation = s.translation;
        f.rotation = s.rotation;
        f.scale = s.scale;
        f.rotationOrder = s.rotationOrder;
        f.quaternion[3] = 1.0f;
        f.flags = s.shown ? 1u : 0u;
        f.noCull = s.noCull;
        f.meshesBelow = meshesBelow[i];
        f.framesBelow = below[i];
        f.smoothingAngle = MODEL_DEFAULT_SMOOTHING;
        f.firstSkinBone = -1;
        masks = BuildBitRange(&f.drawStateRange, masks, frameBit[i], 1 + ownMeshes[i] + below[i] + meshesBelow[i]);
        masks = BuildBitRange(&f.matrixRange, masks, i + 1, below[i] + 1);
        LinkModelFrame(base, f, s.parent >= 0 ? &base->frames[s.parent] : nullptr);
    }
    base->matrixMasks = base->drawStateMasks;
    SetupFrameBindMatrices(base);

    // Skin bones, by bone frame.
    std::vector<int> boneOrder(skinBones_.size());
    for (size_t i = 0; i < boneOrder.size(); ++i) boneOrder[i] = (int)i;
    std::stable_sort(boneOrder.begin(), boneOrder.end(),
                     [&](int a, int b) { return skinBones_[a].boneFrame < skinBones_[b].boneFrame; });
    std::vector<int> boneSlot(skinBones_.size());
    for (size_t i = 0; i < boneOrder.size(); ++i) {
        const SkinBone &sb = skinBones_[boneOrder[i]];
        boneSlot[boneOrder[i]] = (int)i;
        MV1SKINBONE &b = base->skinBones[i];
        b.boneFrame = sb.boneFrame;
        MAT44 inverse, mesh, offset;
        ConvertMatrix3x4To4x4(&inverse, &base->frames[sb.boneFrame].inverseBindWorld);
        ConvertMatrix3x4To4x4(&mesh, &base->frames[sb.meshFrame].bindWorld);
        MakeProductMatrix(&offset, &mesh, &inverse);  // row form: mesh space to world, then into the bone
        ConvertMatrixTo3x4(&b.matrix, &offset);
        const float *m = b.matrix.m;
        b.translateOnly = m[0] == 1 && m[1] == 0 && m[2] == 0 && m[4] == 0 && m[5] == 1 && m[6] == 0 && m[8] == 0 &&
                          m[9] == 0 && m[10] == 1;
        b.useCount = 1;
        MV1FRAME &bone = base->frames[sb.boneFrame];
        if (bone.firstSkinBone < 0) bone.firstSkinBone = (int)i;
        ++bone.skinBoneCount;
    }

    // Positions and normals.
    for (int i = 0; i < F; ++i) {
        const Frame &s = frames_[i];
        MV1FRAME &f = base->frames[i];
        f.skinRefCount = (int)s.skinRefs.size();
        f.skinRefs = Chain<MV1SKINBONE *>(base, s.skinRefs.size());
        for (size_t r = 0; r < s.skinRefs.size(); ++r) f.skinRefs[r] = &base->skinBones[boneSlot[s.skinRefs[r]]];
        base->skinRefTotal += f.skinRefCount;
        f.positionCount = (int)s.positions.size();
        f.positionSize = PositionRecordSize(f.skinRefCount);
        f.positions = Chain<uint8_t>(base, (size_t)f.positionCount * f.positionSize);
        for (int p = 0; p < f.positionCount; ++p) {
            MV1POSITION *rec = FramePosition(&f, p);
            rec->position = s.positions[p].first;
            for (int w = 0; w < f.skinRefCount; ++w) {
                const auto &ws = s.positions[p].second;
                rec->weights[w].bone = w < (int)ws.size() ? ws[w].first : -1;
                rec->weights[w].weight = w < (int)ws.size() ? ws[w].second : 0.0f;
            }
        }
        f.normalCount = (int)s.normals.size();
        f.normals = Chain<MV1NORMAL>(base, s.normals.size());
        for (int n = 0; n < f.normalCount; ++n) f.normals[n].normal = s.normals[n];
    }

    // Textures, materials.
    for (size_t i = 0; i < textures_.size(); ++i) {
        const Texture &t = textures_[i];
        MV1TEXTURE &e = base->textures[i];
        e.name = Text(base, t.colour);
        e.bump = t.bump;
        e.bumpHeight = t.bumpHeight;
        e.addressU = t.addressU;
        e.addressV = t.addressV;
        e.filterMode = t.filter;
        MV1TEXTUREFILES &f = e.files;
        if (LoadModelTexture(&f.colourImage, &f.colourImageSize, &f.alphaImage, &f.alphaImageSize, &e.graph,
                             &e.usesAlpha, &f.colourPath, &f.alphaPath, t.colour.empty() ? nullptr : t.colour.c_str(),
                             t.alpha.empty() ? nullptr : t.alpha.c_str(), "", t.bump, t.bumpHeight) != 0) {
            ReleaseModelBase(handle);
            return -1;
        }
        GetGraphExtent(e.graph, &e.width, &e.height);
    }
    for (size_t i = 0; i < materials_.size(); ++i) {
        const Material &s = materials_[i];
        MV1MATERIAL &m = base->materials[i];
        m.index = (int)i;
        m.kind = s.kind;
        m.diffuse = s.diffuse;
        m.ambient = s.ambient;
        m.specular = s.specular;
        m.emissive = s.emissive;
        m.power = s.power;
        if (s.texture >= 0) m.diffuseLayerCount = 1, m.diffuseLayers[0].texture = s.texture;
        if (s.normalTexture >= 0) m.normalLayerCount = 1, m.normalLayers[0].texture = s.normalTexture;
        m.toonTexture = m.sphereTexture = -1;
        m.blendMode = s.blendMode;
        m.blendParam = s.blendParam;
    }

    // Meshes, faces and one triangle list per 21,845 triangles.
    int listAt = 0;
    for (size_t o = 0; o < meshOrder.size(); ++o) {
        const Mesh &s = meshes_[meshOrder[o]];
        MV1MESH &m = base->meshes[o];
        MV1FRAME &f = base->frames[s.frame];
        if (!f.meshes) f.meshes = &m;
        ++f.meshCount;
        m.frame = &f;
        m.index = (int)o;
        m.material = s.material >= 0 && s.material < base->materialCount ? &base->materials[s.material] : nullptr;
        BuildBitRange(&m.drawStateRange, nullptr, meshBit[meshOrder[o]], 1);
        m.visible = s.visible;
        m.cullMode = s.cullMode;
        m.uvSetCount = (uint8_t)s.uvSets;
        m.vertexDiffuse = s.vertexDiffuse;
        m.vertexSpecular = s.vertexSpecular;
        m.vertexSize = MeshVertexSize(s.uvSets);
        m.vertexCount = (int)s.vertices.size();
        m.vertices = Chain<uint8_t>(base, (size_t)m.vertexCount * m.vertexSize);
        for (int v = 0; v < m.vertexCount; ++v) {
            MV1MESHVERTEX *rec = MeshVertex(&m, v);
            const Vertex &x = s.vertices[v];
            rec->position = x.position;
            rec->normal = x.normal;
            rec->diffuse = x.diffuse;
            rec->specular = x.specular;
            std::memcpy(rec->uv, x.uv, (size_t)8 * s.uvSets);
        }
        m.faceCount = (int)s.triangles.size();
        m.faces = Chain<MV1FACE>(base, s.triangles.size());
        int weights = 0;
        std::set<int> bones;
        for (const Vertex &x : s.vertices) {
            const auto &ws = frames_[s.frame].positions[x.position].second;
            weights = std::max(weights, (int)ws.size());
            for (const auto &w : ws) bones.insert(w.first);
        }
        const int kind = s.forceKind >= 0 ? s.forceKind : KindFor(weights);
        m.triangleLists = &base->triangleLists[listAt];
        for (int first = 0; first < m.faceCount; first += 21845) {
            const int count = std::min(21845, m.faceCount - first);
            MV1TRIANGLELIST &l = base->triangleLists[listAt++];
            const int number = m.triangleListCount++;
            l.mesh = &m;
            l.index = listAt - 1;
            l.kind = (uint16_t)kind;
            l.maxWeights = kind == 3 ? std::max(weights, 1) : 0;
            l.vertexSize = (uint16_t)(kind < 3 ? kKindVertexSize[kind] : 32 + 8 * l.maxWeights);
            l.boneCount = 0;
            for (int b : bones)
                if (l.boneCount < MODEL_PALETTE_BONES) l.bones[l.boneCount++] = b;
            std::map<int, int> map;
            std::vector<int> order;
            l.indexCount = count * 3;
            l.indices = Chain<uint16_t>(base, (size_t)l.indexCount);
            for (int t = 0; t < count; ++t) {
                MV1FACE &face = m.faces[first + t];
                face.value = (uint16_t)kind;
                face.list = (uint16_t)number;
                for (int k = 0; k < 3; ++k) {
                    const int v = s.triangles[first + t][k];
                    face.vertex[k] = v;
                    auto it = map.find(v);
                    if (it == map.end()) {
                        it = map.emplace(v, (int)order.size()).first;
                        order.push_back(v);
                    }
                    l.indices[t * 3 + k] = (uint16_t)it->second;
                }
            }
            l.vertexCount = (int)order.size();
            l.vertexMap = Chain<int32_t>(base, order.size());
            std::copy(order.begin(), order.end(), l.vertexMap);
            if (AllocListVertexData(&l, l.vertexCount) != 0) {
                ReleaseModelBase(handle);
                return -1;
            }
            FillTriangleListVertices(&l);
        }
    }

    // Shapes, grouped by frame.
    std::vector<int> shapeOrder(shapes_.size());
    for (size_t i = 0; i < shapeOrder.size(); ++i) shapeOrder[i] = (int)i;
    std::stable_sort(shapeOrder.begin(), shapeOrder.end(),
                     [&](int a, int b) { return shapes_[a].frame < shapes_[b].frame; });
    for (size_t o = 0; o < shapeOrder.size(); ++o) {
        const Shape &s = shapes_[shapeOrder[o]];
        MV1SHAPE &shape = base->shapes[o];
        MV1FRAME &f = base->frames[s.frame];
        if (!f.shapes) f.shapes = &shape;
        ++f.shapeCount;
        shape.frame = &f;
        shape.name = Text(base, s.name);
        shape.index = (int)o;
        std::vector<int> targets;
        for (const ShapeVertex &v : s.vertices)
            if (std::find(targets.begin(), targets.end(), v.mesh) == targets.end()) targets.push_back(v.mesh);
        shape.meshCount = (int)targets.size();
        shape.meshes = Chain<MV1SHAPEMESH>(base, targets.size());
        for (size_t t = 0; t < targets.size(); ++t) {
            MV1SHAPEMESH &sm = shape.meshes[t];
            sm.mesh = &base->meshes[meshSlot[targets[t]]];
            sm.mesh->hasShapes = 1;
            int n = 0;
            for (const ShapeVertex &v : s.vertices) n += v.mesh == targets[t];
            sm.vertices = Chain<MV1SHAPEVERTEX>(base, (size_t)n);
            for (const ShapeVertex &v : s.vertices)
                if (v.mesh == targets[t]) sm.vertices[sm.vertexCount++] = MV1SHAPEVERTEX{v.vertex, v.position, v.normal};
        }
    }

    for (int i = 0; i < base->meshCount; ++i) BuildMeshTangents(&base->meshes[i]);
    RefreshModelBaseTotals(base);
    return handle;
}

MV1BASE *BuiltBase(int handle) { return GetModelBase(handle); }
