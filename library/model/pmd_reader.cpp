// PMD models of version 1.0: one frame per bone, one mesh skinned by the bones, materials and
// textures, the morphs as shapes of a second mesh, and the VMD motions numbered beside the file.
// Every count, index and name is checked against the file and the tables before use.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/base/stream.h"
#include "library/model/model_load_data.h"
#include "library/model/model_readers.h"
#include "library/model/pmd_reader.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kVertexBytes = 38, kMaterialBytes = 70, kBoneBytes = 39, kNameBytes = 20;

// The reader's log line: its prefix, then what is wrong.
#define Fail(format, ...) WriteLogFmt("PMD Load Error : " format, ##__VA_ARGS__)

// A bounded cursor over the file.
struct CURSOR {
    const uint8_t *bytes;
    int64_t size, position;
    const uint8_t *Take(int64_t n) {
        if (n < 0 || n > size - position) return nullptr;
        const uint8_t *p = bytes + position;
        position += n;
        return p;
    }
};

uint16_t U16(const uint8_t *p) { return (uint16_t)(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
float F32(const uint8_t *p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}
VEC3 V3(const uint8_t *p) { return VEC3{F32(p), F32(p + 4), F32(p + 8)}; }

// A fixed-size name field as a terminated string.
void Name(const uint8_t *field, int bytes, char *out) {
    std::memcpy(out, field, (size_t)bytes);
    out[bytes] = '\0';
}

int Truncated(const char *what) { return Fail("%s の途中でファイルが終わっています\n", what); }

struct PMDREAD {
    MODELLOADDATA *data;
    CURSOR in;
    MODELLOADFRAME *meshFrame;
    MODELLOADMESH *mesh;
    int vertexCount;
    const uint8_t *vertices;
    int boneCount;
    PMDBONE *bones;
    int chainCount;
    PMDIKCHAIN *chains, *firstChain;
};

int ReadVertices(PMDREAD *r) {
    const uint8_t *p = r->in.Take(4);
    if (!p) return Truncated("頂点数");
    const uint32_t count = U32(p);
    if (count > (uint32_t)INT32_MAX || !(r->vertices = r->in.Take((int64_t)count * kVertexBytes))) return Truncated("頂点データ");
    r->vertexCount = (int)count;
    return 0;
}

int ReadFaces(PMDREAD *r) {
    const uint8_t *p = r->in.Take(4);
    if (!p) return Truncated("頂点インデックス数");
    const uint32_t count = U32(p);
    const uint8_t *indices = count <= (uint32_t)INT32_MAX ? r->in.Take((int64_t)count * 2) : nullptr;
    if (!indices) return Truncated("頂点インデックス");
    MODELLOADDATA *data = r->data;
    MODELLOADMESH *mesh = r->mesh;
    const int faces = (int)(count / 3), v = r->vertexCount;
    mesh->faces = AllocModelLoadFaces(data, (size_t)faces, 3);
    if (!mesh->faces) return Fail("面情報を保存するメモリ領域の確保に失敗しました\n");
    const size_t n = (size_t)(v > 0 ? v : 1);
    mesh->positions = static_cast<VEC3 *>(AllocModelLoadBlock(data, sizeof(VEC3) * n));
    if (!mesh->positions) return Fail("頂点座標を保存するメモリ領域の確保に失敗しました\n");
    mesh->normals = static_cast<VEC3 *>(AllocModelLoadBlock(data, sizeof(VEC3) * n));
    if (!mesh->normals) return Fail("頂点法線を保存するメモリ領域の確保に失敗しました\n");
    mesh->uvs[0] = static_cast<VEC3 *>(AllocModelLoadBlock(data, sizeof(VEC3) * n));
    if (!mesh->uvs[0]) return Fail("頂点テクスチャ座標を保存するメモリ領域の確保に失敗しました\n");
    for (int i = 0; i < v; ++i) {
        const uint8_t *vertex = r->vertices + (size_t)i * kVertexBytes;
        mesh->positions[i] = V3(vertex);
        mesh->normals[i] = V3(vertex + 12);
        mesh->uvs[0][i] = VEC3{F32(vertex + 24), F32(vertex + 28), 0};
    }
    mesh->positionCount = mesh->normalCount = mesh->uvCounts[0] = v;
    for (int f = 0; f < faces; ++f) {
        MODELLOADFACE &face = mesh->faces[f];
        face.vertexCount = 3;
        for (int k = 0; k < 3; ++k) {
            const int index = U16(indices + (f * 3 + k) * 2);
            if (index >= v) return Fail("面の頂点インデックス( %d )が頂点の数( %d )を超えています\n", index, v);
            MODELLOADCORNER &corner = face.corners[k];
            corner.position = corner.normal = corner.uvs[0] = index;
        }
    }
    mesh->faceCount = faces;
    return 0;
}

int ReadMaterials(PMDREAD *r) {
    const uint8_t *p = r->in.Take(4);
    if (!p) return Truncated("マテリアル数");
    const uint32_t count = U32(p);
    const uint8_t *records = count <= (uint32_t)INT32_MAX ? r->in.Take((int64_t)count * kMaterialBytes) : nullptr;
    if (!records) return Truncated("マテリアルデータ");
    MODELLOADMESH *mesh = r->mesh;
    int64_t face = 0;
    for (int k = 0; k < (int)count; ++k) {
        const uint8_t *m = records + (size_t)k * kMaterialBytes;
        char name[32];
        std::snprintf(name, sizeof name, "Mat_%d", k);
        MODELLOADMATERIAL *material = AddModelLoadMaterial(r->data, name);
        if (!material) return Fail("No.%d の Material オブジェクトの追加に失敗しました\n", k);
        const float specularity = F32(m + 16);
        for (int c = 0; c < 3; ++c) {
            material->diffuse[c] = F32(m + 4 * c);
            material->specular[c] = F32(m + 20 + 4 * c) * specularity;
            material->ambient[c] = F32(m + 32 + 4 * c);
        }
        material->diffuse[3] = F32(m + 12);
        material->specular[3] = material->ambient[3] = 0;
        material->power = 16.0f;
        const uint32_t corners = U32(m + 46);
        if (corners > 0) {
            if (mesh->materialCount >= MODELLOAD_MESH_MATERIALS)
                return Fail("マテリアルの数が上限の %d を超えています\n", MODELLOAD_MESH_MATERIALS);
            const int64_t faces = ((int64_t)corners + 2) / 3;
            if (faces > mesh->faceCount - face) return Fail("No.%d の Material の面の数( %lld )が残りの面の数を超えています\n", k, (long long)faces);
            for (int64_t f = 0; f < faces; ++f) mesh->faces[face + f].material = mesh->materialCount;
            face += faces;
            mesh->materials[mesh->materialCount++] = material;
        }
        char texture[kNameBytes + 1];
        Name(m + 50, kNameBytes, texture);
        if (texture[0] != '\0') {
            MODELLOADTEXTURE *t = AddModelLoadTexture(r->data, texture, texture, nullptr, 0, 0.1f, 1);
            if (!t) return Fail("No.%d の テクスチャオブジェクトの作成に失敗しました\n", k);
            material->diffuseLayers[0] = t;
            material->diffuseLayerCount = 1;
        }
    }
    return 0;
}

int ReadBones(PMDREAD *r) {
    const uint8_t *p = r->in.Take(2);
    if (!p) return Truncated("ボーン数");
    const int count = U16(p);
    if (count > PMD_BONES_MAX) return Fail("ボーンの数( %d )が上限の %d を超えています\n", count, PMD_BONES_MAX);
    const uint8_t *records = r->in.Take((int64_t)count * kBoneBytes);
    if (!records) return Truncated("ボーンデータ");
    r->bones = static_cast<PMDBONE *>(AllocMemBlockZero(sizeof(PMDBONE) * (size_t)(count > 0 ? count : 1), nullptr, -1));
    if (!r->bones) return Fail("読み込み処理用ボーン情報を格納するメモリ領域の確保に失敗しました\n");
    r->boneCount = count;
    for (int k = 0; k < count; ++k) {
        const uint8_t *b = records + (size_t)k * kBoneBytes;
        PMDBONE &bone = r->bones[k];
        char name[kNameBytes + 1];
        Name(b, kNameBytes, name);
        const int parent = U16(b + 20);
        if (parent != 0xFFFF && parent >= count) return Fail("ボーン %s の親ボーン( %d )がありません\n", name, parent);
        bone.record = b;
        bone.type = b[24];
        bone.head = V3(b + 27);
        bone.parent = parent != 0xFFFF && parent < k ? parent : -1;
        if (!(bone.frame = AddModelLoadFrame(r->data, name, bone.parent >= 0 ? r->bones[bone.parent].frame : nullptr)))
            return Fail("フレームオブジェクトの追加に失敗しました\n");
        bone.translation = bone.head;
        if (bone.parent >= 0) SubtractVector(&bone.translation, &bone.head, &r->bones[bone.parent].head);
        bone.frame->translation = bone.translation;
        bone.knee = std::strstr(name, "ひざ") != nullptr;
        bone.quaternion[3] = 1.0f;
        bone.cursor = -1;
    }
    UpdatePmdBoneMatrices(count, r->bones);
    return 0;
}

int ReadSkinWeights(PMDREAD *r) {
    MODELLOADMESH *mesh = r->mesh;
    const int bones = r->boneCount;
    auto *counts = static_cast<int32_t *>(AllocModelLoadBlock(r->data, sizeof(int32_t) * (size_t)(bones + 1)));
    if (!counts) return Fail("スキニングメッシュウエイト値を格納するメモリ領域の確保に失敗しました\n");
    for (int i = 0; i < r->vertexCount; ++i) {
        const uint8_t *v = r->vertices + (size_t)i * kVertexBytes;
        const int b0 = U16(v + 32), b1 = U16(v + 34);
        if (b0 >= bones || b1 >= bones) return Fail("頂点 %d のボーン( %d, %d )がありません\n", i, b0, b1);
        ++counts[b0];
        if (b1 != b0) ++counts[b1];
    }
    for (int k = 0; k < bones; ++k) {
        if (counts[k] == 0) continue;
        MODELLOADSKINWEIGHT *w = AddModelLoadSkinWeight(r->data);
        if (w) w->pairs = static_cast<MODELLOADSKINWEIGHT::PAIR *>(AllocModelLoadBlock(r->data, sizeof(MODELLOADSKINWEIGHT::PAIR) * (size_t)counts[k]));
        if (!w || !w->pairs) return Fail("スキニングメッシュウエイト値を格納するメモリ領域の確保に失敗しました\n");
        const PMDBONE &bone = r->bones[k];
        w->boneFrame = bone.frame->index;
        MakeTranslateMatrix(&w->offset, -bone.head.x, -bone.head.y, -bone.head.z);
        for (int i = 0; i < r->vertexCount; ++i) {
            const uint8_t *v = r->vertices + (size_t)i * kVertexBytes;
            const int b0 = U16(v + 32), b1 = U16(v + 34);
            const float percent = v[36];
            float weight;
            if (b0 == k && b1 == k) weight = 1.0f;
            else if (b0 == k) weight = percent / 100.0f;
            else if (b1 == k) weight = (100.0f - percent) / 100.0f;
            else continue;
            w->pairs[w->count++] = {i, weight};
        }
        mesh->skinWeights[mesh->skinWeightCount++] = w;
    }
    return 0;
}

int ReadChains(PMDREAD *r) {
    const uint8_t *p = r->in.Take(2);
    if (!p) return Truncated("ＩＫ数");
    const int count = U16(p);
    r->chains = static_cast<PMDIKCHAIN *>(AllocMemBlockZero(sizeof(PMDIKCHAIN) * (size_t)(count > 0 ? count : 1), nullptr, -1));
    if (!r->chains) return Fail("読み込み処理用ＩＫ情報を格納するメモリ領域の確保に失敗しました\n");
    r->chainCount = count;
    for (int k = 0; k < count; ++k) {
        const uint8_t *c = r->in.Take(11);
        if (!c) return Truncated("ＩＫデータ");
        PMDIKCHAIN &chain = r->chains[k];
        chain.record = c;
        const int goal = U16(c), effector = U16(c + 2);
        chain.linkCount = c[4];
        chain.iterations = U16(c + 5);
        chain.limit = F32(c + 7) * 3.1415927f;
        const uint8_t *links = r->in.Take((int64_t)chain.linkCount * 2);
        if (!links) return Truncated("ＩＫデータ");
        if (goal >= r->boneCount || effector >= r->boneCount) return Fail("No.%d の ＩＫ のボーンがありません\n", k);
        chain.goal = &r->bones[goal];
        chain.effector = &r->bones[effector];
        chain.effector->ik = 1;
        for (int i = 0; i < chain.linkCount; ++i) {
            chain.links[i] = U16(links + 2 * i);
            if (chain.links[i] >= r->boneCount) return Fail("No.%d の ＩＫ のボーンがありません\n", k);
            r->bones[chain.links[i]].ik = 1;
        }
        // Ascending by the first link; a chain goes before the ones of an equal first link.
        const int key = chain.linkCount > 0 ? chain.links[0] : -1;
        PMDIKCHAIN *before = r->firstChain, *after = nullptr;
        while (before && (before->linkCount > 0 ? before->links[0] : -1) < key) {
            after = before;
            before = before->next;
        }
        chain.prev = after;
        chain.next = before;
        if (after) after->next = &chain;
        else r->firstChain = &chain;
        if (before) before->prev = &chain;
    }
    return 0;
}

// Morphs past the base become shapes of a second mesh that takes every face touching a base vertex.
int ReadMorphs(PMDREAD *r) {
    const uint8_t *p = r->in.Take(2);
    if (!p) return Truncated("表情数");
    const int count = U16(p);
    const uint8_t *base = nullptr;
    int baseCount = 0;
    // Check every record first.
    const int64_t start = r->in.position;
    for (int s = 0; s < count; ++s) {
        const uint8_t *head = r->in.Take(25);
        if (!head) return Truncated("表情データ");
        const uint32_t c = U32(head + 20);
        const uint8_t *entries = c <= (uint32_t)INT32_MAX ? r->in.Take((int64_t)c * 16) : nullptr;
        if (!entries) return Truncated("表情データ");
        for (uint32_t i = 0; i < c; ++i) {
            const uint32_t index = U32(entries + 16 * i);
            const uint32_t limit = s == 0 ? (uint32_t)r->vertexCount : (uint32_t)baseCount;
            if (index >= limit) return Fail("No.%d の表情の頂点インデックス( %u )が不正です\n", s, index);
        }
        if (s == 0) base = entries, baseCount = (int)c;
    }
    if (count < 2) return 0;

    MODELLOADDATA *data = r->data;
    MODELLOADMESH *main = r->mesh;
    const int v = r->vertexCount, faces = main->faceCount, materials = main->materialCount;
    auto *vertexMap = static_cast<int32_t *>(AllocMemBlock(sizeof(int32_t) * ((size_t)v + (size_t)faces + (size_t)materials + 1) + sizeof(int32_t) * (size_t)(v + 1), nullptr, -1));
    if (!vertexMap) return Fail("一時保存用の頂点データを格納するメモリ領域の確保に失敗しました\n");
    int32_t *faceMap = vertexMap + v, *materialMap = faceMap + faces, *mapped = materialMap + materials + 1;
    std::memset(vertexMap, 0xFF, sizeof(int32_t) * ((size_t)v + (size_t)faces + (size_t)materials + 1));
    int result = -1;
    int used = 0, moved = 0;
    MODELLOADMESH *morph = nullptr;
    for (int i = 0; i < baseCount; ++i) {
        const int index = (int)U32(base + 16 * i);
        vertexMap[index] = i;
        mapped[i] = index;
    }
    used = baseCount;
    morph = AddModelLoadMesh(data, r->meshFrame);
    if (!morph) {
        Fail("スキンメッシュオブジェクトの追加に失敗しました\n");
        goto done;
    }
    for (int f = 0; f < faces; ++f) {
        const MODELLOADFACE &face = main->faces[f];
        bool touches = false;
        for (int k = 0; k < 3; ++k) touches |= vertexMap[face.corners[k].position] >= 0 && vertexMap[face.corners[k].position] < baseCount;
        if (!touches) continue;
        faceMap[f] = moved++;
        for (int k = 0; k < 3; ++k)
            if (vertexMap[face.corners[k].position] < 0) {
                vertexMap[face.corners[k].position] = used;
                mapped[used++] = face.corners[k].position;
            }
    }
    {
        const size_t n = (size_t)(used > 0 ? used : 1);
        // A moved face takes its corners with it.
        morph->faces = AllocModelLoadFaces(data, (size_t)moved, 0);
        if (!morph->faces) {
            Fail("表情データの面情報を保存するメモリ領域の確保に失敗しました\n");
            goto done;
        }
        morph->positions = static_cast<VEC3 *>(AllocModelLoadBlock(data, sizeof(VEC3) * n));
        if (!morph->positions) {
            Fail("表情データの頂点座標を保存するメモリ領域の確保に失敗しました\n");
            goto done;
        }
        morph->normals = static_cast<VEC3 *>(AllocModelLoadBlock(data, sizeof(VEC3) * n));
        if (!morph->normals) {
            Fail("表情データの頂点法線を保存するメモリ領域の確保に失敗しました\n");
            goto done;
        }
        morph->uvs[0] = static_cast<VEC3 *>(AllocModelLoadBlock(data, sizeof(VEC3) * n));
        if (!morph->uvs[0]) {
            Fail("表情データの頂点テクスチャ座標を保存するメモリ領域の確保に失敗しました\n");
            goto done;
        }
    }
    for (int i = 0; i < used; ++i) {
        morph->positions[i] = main->positions[mapped[i]];
        morph->normals[i] = main->normals[mapped[i]];
        morph->uvs[0][i] = main->uvs[0][mapped[i]];
    }
    morph->positionCount = morph->normalCount = morph->uvCounts[0] = used;

    // Faces: the moved ones to the morph mesh (materials entered at first use), the rest kept in order.
    {
        int kept = 0;
        for (int f = 0; f < faces; ++f) {
            MODELLOADFACE face = main->faces[f];
            if (faceMap[f] < 0) {
                main->faces[kept++] = face;
                continue;
            }
            if (materials > 0) {
                int &slot = materialMap[face.material];
                if (slot < 0) {
                    slot = morph->materialCount;
                    morph->materials[morph->materialCount++] = main->materials[face.material];
                }
                face.material = slot;
            }
            for (int k = 0; k < 3; ++k) {
                MODELLOADCORNER &corner = face.corners[k];
                corner.position = corner.normal = corner.uvs[0] = vertexMap[corner.position];
            }
            morph->faces[faceMap[f]] = face;
        }
        main->faceCount = kept;
        morph->faceCount = moved;
    }

    // Skin weights: the morph mesh's copies, then the base vertices dropped from the main records.
    for (int w = 0; w < main->skinWeightCount; ++w) {
        MODELLOADSKINWEIGHT *from = main->skinWeights[w];
        int n = 0;
        for (int i = 0; i < from->count; ++i) n += vertexMap[from->pairs[i].position] >= 0;
        if (n == 0) continue;
        MODELLOADSKINWEIGHT *copy = AddModelLoadSkinWeight(data);
        if (copy) copy->pairs = static_cast<MODELLOADSKINWEIGHT::PAIR *>(AllocModelLoadBlock(data, sizeof(MODELLOADSKINWEIGHT::PAIR) * (size_t)n));
        if (!copy || !copy->pairs) {
            Fail("表情データ用スキニングメッシュウエイト値を格納するメモリ領域の確保に失敗しました\n");
            goto done;
        }
        copy->boneFrame = from->boneFrame;
        copy->offset = from->offset;
        for (int i = 0; i < from->count; ++i)
            if (vertexMap[from->pairs[i].position] >= 0) copy->pairs[copy->count++] = {vertexMap[from->pairs[i].position], from->pairs[i].weight};
        morph->skinWeights[morph->skinWeightCount++] = copy;
    }
    for (int w = 0; w < main->skinWeightCount; ++w) {
        MODELLOADSKINWEIGHT *sw = main->skinWeights[w];
        if (sw->count <= 1) continue;
        int kept = 0;
        for (int i = 0; i < sw->count; ++i) {
            const int m = vertexMap[sw->pairs[i].position];
            if (m >= 0 && m < baseCount) continue;
            sw->pairs[kept++] = sw->pairs[i];
        }
        if (kept == 0) sw->pairs[kept++] = sw->pairs[sw->count - 1];
        sw->count = kept;
    }

    // Shapes.
    r->in.position = start;
    for (int s = 0; s < count; ++s) {
        const uint8_t *head = r->in.Take(25);
        const int c = (int)U32(head + 20);
        const uint8_t *entries = r->in.Take((int64_t)c * 16);
        if (s == 0) continue;
        char name[kNameBytes + 1];
        Name(head, kNameBytes, name);
        MODELLOADSHAPE *shape = AddModelLoadShape(data, name, r->meshFrame);
        if (!shape) {
            Fail("シェイプオブジェクトの追加に失敗しました\n");
            goto done;
        }
        shape->mesh = morph;
        shape->vertices = static_cast<MODELLOADSHAPE::VERTEX *>(AllocModelLoadBlock(data, sizeof(MODELLOADSHAPE::VERTEX) * (size_t)(c > 0 ? c : 1)));
        if (!shape->vertices) {
            Fail("シェイプ頂点データを格納するメモリ領域の確保に失敗しました\n");
            goto done;
        }
        for (int i = 0; i < c; ++i) {
            const int entry = (int)U32(entries + 16 * i);
            const VEC3 basePosition = V3(base + 16 * entry + 4), offset = V3(entries + 16 * i + 4);
            const VEC3 &vertex = morph->positions[entry];
            shape->vertices[i].position = entry;
            shape->vertices[i].offset = VEC3{basePosition.x - vertex.x + offset.x, basePosition.y - vertex.y + offset.y,
                                             basePosition.z - vertex.z + offset.z};
        }
        shape->vertexCount = c;
    }
    result = 0;
done:
    FreeMemBlock(vertexMap);
    return result;
}

// The motions numbered beside the model, from 000 up to the first number missing.
void ReadMotions(PMDREAD *r, const char *folder, const char *name) {
    for (int i = 0;; ++i) {
        char path[PATH_BUFFER_SIZE * 2 + 16], setName[16];
        std::snprintf(path, sizeof path, "%s\\%s%03d.vmd", folder, name, i);
        const uintptr_t file = OpenDataFile(path, 0, 0, 0);
        if (!file) return;
        SeekDataFile(file, 0, 2);
        const int size = TellDataFile(file);
        SeekDataFile(file, 0, 0);
        void *image = size >= 0 ? AllocMemBlock((size_t)size + 1, nullptr, -1) : nullptr;
        const bool read = image && (size == 0 || ReadDataFile(image, (size_t)size, 1, file) == 1);
        CloseDataFile(file);
        std::snprintf(setName, sizeof setName, "Anim%03d", i);
        const bool ok = read && ReadVmdMotion(image, size, r->data, setName, r->bones, r->boneCount, r->firstChain) == 0;
        FreeMemBlock(image);
        if (!ok) return;
    }
}

int FillPmd(PMDREAD *r, const char *folder, const char *name) {
    if (!(r->meshFrame = AddModelLoadFrame(r->data, "Mesh", nullptr))) return Fail("フレームオブジェクトの追加に失敗しました\n");
    // The vertices and faces come first in the file; the bones are needed for the weights.
    if (ReadVertices(r) != 0) return -1;
    if (!(r->mesh = AddModelLoadMesh(r->data, r->meshFrame))) return Fail("メッシュオブジェクトの追加に失敗しました\n");
    if (ReadFaces(r) != 0 || ReadMaterials(r) != 0 || ReadBones(r) != 0 || ReadSkinWeights(r) != 0 ||
        ReadChains(r) != 0 || ReadMorphs(r) != 0)
        return -1;
    if (folder) ReadMotions(r, folder, name);
    return 0;
}

}  // namespace

int FillPmdLoadData(const void *image, int size, const char *path, const char *name, const char *folder,
                    MODELLOADDATA *data) {
    const auto *bytes = static_cast<const uint8_t *>(image);
    if (size < 3 || std::memcmp(bytes, "Pmd", 3) != 0) return -1;
    if (size < 7) return Truncated("ヘッダ");
    if (F32(bytes + 3) != 1.0f) return Fail("バージョン１．０以外は読み込めません\n");
    if (size < 283) return Truncated("ヘッダ");
    InitModelLoadData(data);
    PMDREAD r{};
    r.data = data;
    r.in = CURSOR{bytes, size, 283};
    int result = -1;
    if ((data->filePath = AddModelLoadString(data, path)) && (data->fileName = AddModelLoadString(data, name)))
        result = FillPmd(&r, folder, name);
    FreeMemBlock(r.bones);
    FreeMemBlock(r.chains);
    if (result != 0) TermModelLoadData(data);
    return result;
}

int ReadPmdModel(const void *image, int size, const char *path, const char *name, const char *folder) {
    MODELLOADDATA data;
    if (FillPmdLoadData(image, size, path, name, folder, &data) != 0) return -1;
    const int base = ConvertModelLoadData(&data, folder);
    TermModelLoadData(&data);
    return base;
}
