// The model file's geometry: each frame's packed positions with their skin weights and its
// normals, each mesh's vertices, the triangle lists that give the meshes their faces, and the
// shapes. Every index is checked against what it names.
#include "library/base/memory.h"
#include "library/model/model_convert.h"
#include "library/model/model_vertices.h"
#include "library/model/mv1_reader.h"

namespace {

template <class T>
T *TakeArray(MV1READER &r, uint64_t count) {
    return static_cast<T *>(r.Take(sizeof(T) * count));
}

// Width in bytes of the index codings: mesh indices (0 none, u8, u16, u32), list vertex
// indices (u8, u16, u32) and triangle indices (u8, u16).
constexpr int kMeshIndexBytes[4] = {0, 1, 2, 4};
constexpr int kListIndexBytes[4] = {1, 2, 4, 0};

bool ReadPositions(MV1READER &r, MV1CURSOR &c, MV1FRAME &f, MV1FILEKEPT::FRAME &k) {
    const uint16_t flags = k.packing;
    if (flags & MV1F_QUANTISED)
        for (float &q : k.quantise) q = c.F32();
    for (int p = 0; p < f.positionCount && c.ok; ++p) {
        MV1POSITION *pos = FramePosition(&f, p);
        if (flags & MV1F_QUANTISED) {
            const unsigned u = c.U16(), v = c.U16(), w = c.U16();
            pos->position = VEC3{QuantisedValue(k.quantise[0], k.quantise[1], u),
                                 QuantisedValue(k.quantise[2], k.quantise[3], v),
                                 QuantisedValue(k.quantise[4], k.quantise[5], w)};
        } else {
            const float x = c.F32(), y = c.F32(), z = c.F32();
            pos->position = VEC3{x, y, z};
        }
    }
    const int pairs = FramePositionPairs(&f);
    for (int p = 0; p < f.positionCount && c.ok; ++p) {
        MV1POSITION *pos = FramePosition(&f, p);
        int j = 0;
        if (!(flags & MV1F_NO_WEIGHTS)) {
            for (; j < pairs && c.ok; ++j) {
                const uint32_t bone = (flags & MV1F_BONE_U16) ? c.U16() : c.U8();
                if (bone == ((flags & MV1F_BONE_U16) ? 0xFFFFu : 0xFFu)) break;
                if ((int)bone >= f.skinRefCount) return r.Fail("フレームのスキンウエイト");
                const uint32_t weight = (flags & MV1F_WEIGHT_U16) ? c.U16() : c.U8();
                pos->weights[j].bone = (int32_t)bone;
                pos->weights[j].weight = (flags & MV1F_WEIGHT_U16) ? (weight == 0xFFFF ? 1.0f : weight / 65535.0f)
                                                                   : (weight == 0xFF ? 1.0f : weight / 255.0f);
            }
        }
        for (; j < pairs; ++j) pos->weights[j] = {-1, 0.0f};
    }
    switch (flags & MV1F_NORMALS_MASK) {
    case 0: break;
    case 1:
        for (int n = 0; n < f.normalCount && c.ok; ++n) {
            const int8_t x = (int8_t)c.U8(), y = (int8_t)c.U8(), z = (int8_t)c.U8();
            f.normals[n].normal = VEC3{x / 127.0f, y / 127.0f, z / 127.0f};
        }
        break;
    case 2:
        for (int n = 0; n < f.normalCount && c.ok; ++n) {
            const int16_t x = (int16_t)c.U16(), y = (int16_t)c.U16(), z = (int16_t)c.U16();
            f.normals[n].normal = VEC3{x / 32767.0f, y / 32767.0f, z / 32767.0f};
        }
        break;
    default:
        for (int n = 0; n < f.normalCount && c.ok; ++n) {
            const float x = c.F32(), y = c.F32(), z = c.F32();
            f.normals[n].normal = VEC3{x, y, z};
        }
        break;
    }
    return c.ok || r.Fail("フレームの頂点データ");
}

}  // namespace

bool ReadMV1FrameVertices(MV1READER &r) {
    for (int i = 0; i < r.base->frameCount; ++i) {
        const uint32_t at = r.frames.offsets[i];
        MV1FRAME &f = r.base->frames[i];
        MV1FILEKEPT::FRAME &k = r.kept->frames[i];
        k.packing = r.U16(at + 176);
        const int weights = r.U16(at + 178);
        f.positionCount = r.I32(at + 188);
        f.normalCount = r.I32(at + 192);
        // Pairs past a position's last bone are padding; each bone read is checked against the
        // frame's skin references, and the positions' bytes against the base's budget.
        if (f.positionCount < 0 || f.normalCount < 0 ||
            (uint64_t)f.positionCount > r.size || (uint64_t)f.normalCount > r.size)
            return r.Fail("フレームの頂点データ");
        f.positionSize = PositionRecordSize(weights);
        f.positions = TakeArray<uint8_t>(r, (uint64_t)f.positionCount * (uint64_t)f.positionSize);
        f.normals = TakeArray<MV1NORMAL>(r, (uint64_t)f.normalCount);
        if (!f.positions || !f.normals) return false;
        if (f.positionCount == 0 && f.normalCount == 0) continue;
        MV1CURSOR c(r, r.U32(at + 196));
        if (!ReadPositions(r, c, f, k)) return false;
    }
    return true;
}

bool ReadMV1Meshes(MV1READER &r) {
    MV1BASE *base = r.base;
    r.kept->meshes = TakeArray<MV1FILEKEPT::MESH>(r, (uint64_t)base->meshCount);
    if (!r.kept->meshes) return false;
    for (int i = 0; i < base->meshCount; ++i) {
        const uint32_t at = r.meshes.offsets[i];
        MV1MESH &m = base->meshes[i];
        MV1FILEKEPT::MESH &k = r.kept->meshes[i];
        m.index = i;
        const int frame = r.Ref(r.frames, r.I32(at + 12), 12);
        const int material = r.Ref(r.materials, r.I32(at + 16), 12);
        if (frame < 0 || material == -1) return r.Fail("メッシュ");
        m.frame = &base->frames[frame];
        // The mesh must stand in its frame's run of meshes.
        if (m.frame->meshes == nullptr || &m < m.frame->meshes || &m >= m.frame->meshes + m.frame->meshCount)
            return r.Fail("メッシュ");
        m.material = material >= 0 ? &base->materials[material] : nullptr;
        m.needsAlpha = (uint8_t)(r.I32(at + 20) != 0);
        for (int w = 0; w < 4; ++w) k.words[w] = r.I32(at + 28 + 4 * (uint32_t)w);
        k.words[4] = r.I32(at + 48);
        m.vertexDiffuse = r.image[at + 44];
        m.vertexSpecular = r.image[at + 45];
        m.visible = r.image[at + 56];
        m.cullMode = r.image[at + 57];
        m.uvSetCount = r.image[at + 58];
        k.uvComponents = r.image[at + 59];
        k.packing = r.image[at + 60];
        m.vertexCount = r.I32(at + 64);
        m.faceCount = r.I32(at + 68);
        // UV sets of two values each; further values of a set are stepped over, fewer refused.
        if (m.uvSetCount > MODEL_UV_SETS_MAX || k.uvComponents < 2 || m.vertexCount < 0 || m.faceCount < 0 ||
            (uint64_t)m.vertexCount > r.size)
            return r.Fail("メッシュ");
        m.vertexSize = MeshVertexSize(m.uvSetCount);
        m.vertices = TakeArray<uint8_t>(r, (uint64_t)m.vertexCount * (uint64_t)m.vertexSize);
        if (!m.vertices) return false;
        if (m.vertexCount == 0) continue;
        const int positionBytes = kMeshIndexBytes[k.packing & MV1M_POSITION_MASK];
        const int normalBytes = kMeshIndexBytes[(k.packing >> MV1M_NORMAL_SHIFT) & 3];
        MV1CURSOR c(r, r.U32(at + 72));
        uint32_t diffuse = 0, specular = 0;
        if (k.packing & MV1M_SHARED_COLOURS) diffuse = c.U32(), specular = c.U32();
        const MV1FRAME &f = *m.frame;
        for (int v = 0; v < m.vertexCount && c.ok; ++v) {
            MV1MESHVERTEX *x = MeshVertex(&m, v);
            x->position = positionBytes ? (int32_t)c.Unsigned(positionBytes) : v;
            if (x->position < 0 || x->position >= f.positionCount) return r.Fail("メッシュの頂点");
        }
        for (int v = 0; v < m.vertexCount && c.ok; ++v) {
            MV1MESHVERTEX *x = MeshVertex(&m, v);
            x->normal = normalBytes ? (int32_t)c.Unsigned(normalBytes) : v;
            if (x->normal < 0 || x->normal >= f.normalCount) return r.Fail("メッシュの頂点");
        }
        for (int v = 0; v < m.vertexCount && c.ok; ++v) {
            MV1MESHVERTEX *x = MeshVertex(&m, v);
            if (k.packing & MV1M_SHARED_COLOURS) {
                x->diffuse = diffuse, x->specular = specular;
            } else {
                x->diffuse = c.U32();
                x->specular = c.U32();
            }
        }
        for (int v = 0; v < m.vertexCount && c.ok; ++v) {
            MV1MESHVERTEX *x = MeshVertex(&m, v);
            for (int s = 0; s < m.uvSetCount; ++s)
                for (int j = 0; j < k.uvComponents; ++j) {
                    const float value = (k.packing & MV1M_UV_U16) ? c.U16() / 65535.0f : c.F32();
                    if (j < 2) x->uv[s][j] = value;
                }
        }
        if (!c.ok) return r.Fail("メッシュの頂点");
    }
    return true;
}

bool ReadMV1Lists(MV1READER &r) {
    MV1BASE *base = r.base;
    r.kept->lists = TakeArray<uint8_t>(r, (uint64_t)base->triangleListCount);
    if (!r.kept->lists) return false;
    for (int i = 0; i < base->triangleListCount; ++i) {
        const uint32_t at = r.lists.offsets[i];
        MV1TRIANGLELIST &l = base->triangleLists[i];
        l.index = i;
        const int mesh = r.Ref(r.meshes, r.I32(at + 12), 8);
        l.kind = r.U16(at + 16);
        const uint8_t flags = r.kept->lists[i] = r.image[at + 18];
        l.vertexCount = r.U16(at + 20);
        l.indexCount = r.U16(at + 22);
        const int vertexBytes = kListIndexBytes[flags & MV1L_VERTEX_MASK];
        const int indexBytes = kListIndexBytes[(flags >> MV1L_INDEX_SHIFT) & 3];
        if (mesh < 0 || l.kind > 3 || l.indexCount % 3 != 0 || vertexBytes == 0 || indexBytes == 0 || indexBytes == 4)
            return r.Fail("トライアングルリスト");
        l.mesh = &base->meshes[mesh];
        const MV1FRAME &f = *l.mesh->frame;
        for (int b = 0; b < MODEL_PALETTE_BONES; ++b) l.bones[b] = -1;
        MV1CURSOR c(r, r.U32(at + 24));
        if (l.kind == 1 || l.kind == 2) {
            l.boneCount = (int32_t)c.U16();
            if (l.boneCount > MODEL_PALETTE_BONES) return r.Fail("トライアングルリスト");
            for (int b = 0; b < l.boneCount && c.ok; ++b) {
                l.bones[b] = (int32_t)c.U16();
                if (l.bones[b] >= f.skinRefCount) return r.Fail("トライアングルリスト");
            }
        } else if (l.kind == 3) {
            l.maxWeights = (int32_t)c.U16();
            // Its vertices carry the frame's pairs; a list cannot ask for more.
            if (l.maxWeights < 1 || l.maxWeights > FramePositionPairs(&f)) return r.Fail("トライアングルリスト");
        }
        l.vertexSize = (uint16_t)ClassVertexSize(l.kind, l.maxWeights);
        l.vertexMap = TakeArray<int32_t>(r, (uint64_t)l.vertexCount);
        l.indices = TakeArray<uint16_t>(r, (uint64_t)l.indexCount);
        if (!l.vertexMap || !l.indices) return false;
        for (int v = 0; v < l.vertexCount && c.ok; ++v) {
            const uint32_t x = c.Unsigned(vertexBytes);
            if (c.ok && x >= (uint32_t)l.mesh->vertexCount) return r.Fail("トライアングルリスト");
            l.vertexMap[v] = (int32_t)x;
        }
        for (int t = 0; t < l.indexCount && c.ok; ++t) {
            const uint32_t x = c.Unsigned(indexBytes);
            if (c.ok && x >= (uint32_t)l.vertexCount) return r.Fail("トライアングルリスト");
            l.indices[t] = (uint16_t)x;
        }
        if (!c.ok) return r.Fail("トライアングルリスト");
        if (AllocListVertexData(&l, l.vertexCount) != 0) return r.Fail(nullptr);
    }
    // Each mesh's lists lie in one run from its first; together the runs hold every list once.
    int listTotal = 0;
    for (int i = 0; i < base->meshCount; ++i) {
        MV1MESH &m = base->meshes[i];
        const int32_t firstOffset = r.I32(r.meshes.offsets[i] + 52);
        const int first = r.Ref(r.lists, firstOffset, 8);
        if (first == -1) return r.Fail("メッシュ");
        int triangles = 0;
        if (first >= 0) {
            m.triangleLists = &base->triangleLists[first];
            while (first + m.triangleListCount < base->triangleListCount &&
                   m.triangleLists[m.triangleListCount].mesh == &m) {
                triangles += m.triangleLists[m.triangleListCount].indexCount / 3;
                ++m.triangleListCount;
            }
        }
        listTotal += m.triangleListCount;
        if (triangles != m.faceCount) return r.Fail("メッシュの面");
        m.faces = TakeArray<MV1FACE>(r, (uint64_t)m.faceCount);
        if (!m.faces) return false;
        FillMeshFacesFromLists(&m);
    }
    return listTotal == base->triangleListCount || r.Fail("トライアングルリスト");
}

bool ReadMV1Shapes(MV1READER &r) {
    MV1BASE *base = r.base;
    const uint32_t header = r.U32(MV1H_SHAPE_HEADER);
    if (header == 0) return true;
    if (!r.Fits(header, MV1_SHAPE_HEADER_BYTES)) return r.Fail("シェイプ");
    r.kept->shapeHeader[0] = r.I32(header + 40);
    for (int k = 0; k < 4; ++k) r.kept->shapeHeader[1 + k] = r.I32(header + 48 + 4 * (uint32_t)k);
    const int32_t stride = r.I32(header + 44);
    r.shapes.count = r.I32(header + 8);
    r.shapeMeshes.count = r.I32(header + 16);
    if (stride < MV1_SHAPE_VERTEX_BYTES || r.shapes.count < 0 || r.shapeMeshes.count < 0 ||
        (uint64_t)r.shapes.count * MV1_SHAPE_BYTES > r.size ||
        (uint64_t)r.shapeMeshes.count * MV1_SHAPE_MESH_BYTES > r.size)
        return r.Fail("シェイプ");
    // The chains walk like the others; their counts sit in the shape header.
    r.shapes.offsets = static_cast<uint32_t *>(AllocMemBlock(sizeof(uint32_t) * (size_t)r.shapes.count + 4, nullptr, -1));
    r.shapeMeshes.offsets =
        static_cast<uint32_t *>(AllocMemBlock(sizeof(uint32_t) * (size_t)r.shapeMeshes.count + 4, nullptr, -1));
    if (!r.shapes.offsets || !r.shapeMeshes.offsets) return r.Fail(nullptr);
    auto walk = [&](MV1RECORDS &out, uint32_t first, int bytes, int numberAt) {
        uint32_t at = first;
        for (int i = 0; i < out.count; ++i) {
            if (at == 0 || !r.Fits(at, (uint64_t)bytes) || r.I32(at + (uint32_t)numberAt) != i) return false;
            out.offsets[i] = at;
            at = r.U32(at + 4);
        }
        return true;
    };
    if (!walk(r.shapes, r.U32(header + 12), MV1_SHAPE_BYTES, 12) ||
        !walk(r.shapeMeshes, r.U32(header + 20), MV1_SHAPE_MESH_BYTES, 8))
        return r.Fail("シェイプ");
    base->shapeCount = r.shapes.count;
    base->shapes = TakeArray<MV1SHAPE>(r, (uint64_t)r.shapes.count);
    auto *shapeMeshes = TakeArray<MV1SHAPEMESH>(r, (uint64_t)r.shapeMeshes.count);
    if (!base->shapes || !shapeMeshes) return false;
    int meshTotal = 0;
    for (int i = 0; i < r.shapes.count; ++i) {
        const uint32_t at = r.shapes.offsets[i];
        MV1SHAPE &s = base->shapes[i];
        s.index = i;
        const int frame = r.Ref(r.frames, r.I32(at + 16), 12);
        s.meshCount = r.I32(at + 20);
        const int first = r.Ref(r.shapeMeshes, r.I32(at + 24), 8);
        if (!r.Name(r.I32(at + 8), &s.name) || frame < 0 || s.meshCount < 0 ||
            (s.meshCount > 0 && (first < 0 || first + (int64_t)s.meshCount > r.shapeMeshes.count)))
            return r.Fail("シェイプ");
        s.frame = &base->frames[frame];
        s.meshes = s.meshCount > 0 ? &shapeMeshes[first] : nullptr;
        meshTotal += s.meshCount;
        for (int m = 0; m < s.meshCount; ++m) {
            const uint32_t sm = r.shapeMeshes.offsets[first + m];
            MV1SHAPEMESH &out = s.meshes[m];
            const int mesh = r.Ref(r.meshes, r.I32(sm + 12), 8);
            out.vertexCount = r.I32(sm + 20);
            const uint32_t vertices = r.U32(sm + 24);
            if (mesh < 0 || base->meshes[mesh].frame != s.frame || out.vertexCount < 0 ||
                (out.vertexCount > 0 && !r.Fits(vertices, (uint64_t)out.vertexCount * (uint64_t)stride)))
                return r.Fail("シェイプ");
            out.mesh = &base->meshes[mesh];
            out.mesh->hasShapes = 1;
            out.vertices = TakeArray<MV1SHAPEVERTEX>(r, (uint64_t)out.vertexCount);
            if (!out.vertices) return false;
            for (int v = 0; v < out.vertexCount; ++v) {
                const uint32_t p = vertices + (uint32_t)v * (uint32_t)stride;
                MV1SHAPEVERTEX &x = out.vertices[v];
                x.vertex = r.I32(p);
                if (x.vertex < 0 || x.vertex >= out.mesh->vertexCount) return r.Fail("シェイプ");
                x.position = VEC3{r.F32(p + 4), r.F32(p + 8), r.F32(p + 12)};
                x.normal = VEC3{r.F32(p + 16), r.F32(p + 20), r.F32(p + 24)};
            }
        }
    }
    if (meshTotal != r.shapeMeshes.count) return r.Fail("シェイプ");
    // A frame's shapes: one run from its first, all of that frame.
    int total = 0;
    for (int i = 0; i < base->frameCount; ++i) {
        MV1FRAME &f = base->frames[i];
        const uint32_t list = r.U32(r.frames.offsets[i] + 216);
        if (list == 0) continue;
        if (!r.Fits(list, 8)) return r.Fail("シェイプ");
        const int32_t count = r.I32(list);
        const int first = r.Ref(r.shapes, r.I32(list + 4), 12);
        if (count < 0 || (count > 0 && (first < 0 || first + (int64_t)count > base->shapeCount)))
            return r.Fail("シェイプ");
        for (int s = 0; s < count; ++s)
            if (base->shapes[first + s].frame != &f) return r.Fail("シェイプ");
        f.shapeCount = count;
        f.shapes = count > 0 ? &base->shapes[first] : nullptr;
        total += count;
    }
    return total == base->shapeCount || r.Fail("シェイプ");
}
