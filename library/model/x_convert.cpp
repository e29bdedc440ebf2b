// X files, second stage: the object tree walked into the read data, then converted into a model
// base. Five passes over the objects in file order: links and counts, animation sets, materials,
// frames, then meshes and animations. Every index the meshes carry is checked against the table
// it points into before anything reads through it.
#include "library/base/log.h"
#include "library/model/model_load_data.h"
#include "library/model/model_readers.h"
#include "library/model/x_parse.h"
#include "library/model/x_reader.h"

#include <cstring>

namespace {

template <class T>
T *ListArray(XOBJECTLIST *list, int count, const char *failure) {
    auto *block = static_cast<T *>(AllocChainBlock(sizeof(T) * (size_t)(count > 0 ? count : 1), &list->chain));
    if (!block) WriteLogFmt("Load XFile : %s\n", failure);
    return block;
}

template <class T>
T *DataArray(MODELLOADDATA *data, int64_t count, const char *failure) {
    auto *block = static_cast<T *>(AllocModelLoadBlock(data, sizeof(T) * (size_t)(count > 0 ? count : 1)));
    if (!block) WriteLogFmt("Load XFile : %s\n", failure);
    return block;
}

// The objects of a template under an object (children, then resolved references) as an array
// from the tree's chain.
int Collect(XOBJECTLIST *list, const XOBJECT *object, int templateIndex, XOBJECT ***out, const char *failure) {
    const int count = CollectXChildren(nullptr, templateIndex, object);
    *out = ListArray<XOBJECT *>(list, count, failure);
    if (!*out) return -1;
    CollectXChildren(*out, templateIndex, object);
    return count;
}

const XOBJECT *PrecedingSibling(const XOBJECT *object) {
    const XOBJECT *before = nullptr;
    for (const XOBJECT *c = object->parent->firstChild; c && c != object; c = c->nextSibling) before = c;
    return before;
}

int LinkMaterial(const XOBJECTLIST *list, XOBJECT *o, int *number) {
    auto *m = static_cast<XMATERIAL *>(o->data);
    m->texture = static_cast<const XTEXTUREFILENAME *>(FindXChild(XT_TEXTUREFILENAME, o));
    if (!m->texture && o->parent && o->parent != list->first) {
        const XOBJECT *before = PrecedingSibling(o);
        if (before && before->templateIndex == XT_MATERIAL)
            m->texture = static_cast<const XMATERIAL *>(before->data)->texture;
    }
    m->number = (*number)++;
    return 0;
}

int LinkMaterialList(XOBJECTLIST *list, XOBJECT *o) {
    auto *ml = static_cast<XMESHMATERIALLIST *>(o->data);
    XOBJECT **found;
    const int count = Collect(list, o, XT_MATERIAL, &found,
                              "メッシュに関連付けられているマテリアルを格納するメモリ領域の確保に失敗しました");
    if (count < 0) return -1;
    if (count != ml->materialCount)
        return WriteLogFmt("Load XFile : マテリアルリストのマテリアル数( %d )と実際のマテリアルの数( %d )が違いました\n",
                           ml->materialCount, count);
    ml->found = count;
    ml->materials = reinterpret_cast<XMATERIAL **>(found);
    for (int i = 0; i < count; ++i) ml->materials[i] = static_cast<XMATERIAL *>(found[i]->data);
    return 0;
}

int LinkMesh(XOBJECTLIST *list, XOBJECT *o) {
    auto *mesh = static_cast<XMESH *>(o->data);
    mesh->colours = static_cast<const XMESHVERTEXCOLORS *>(FindXChild(XT_MESHVERTEXCOLORS, o));
    mesh->uvs = static_cast<const XMESHTEXTURECOORDS *>(FindXChild(XT_MESHTEXTURECOORDS, o));
    mesh->normals = static_cast<const XMESHNORMALS *>(FindXChild(XT_MESHNORMALS, o));
    mesh->materialList = static_cast<const XMESHMATERIALLIST *>(FindXChild(XT_MESHMATERIALLIST, o));
    if (mesh->uvs && mesh->uvs->count != mesh->vertexCount)
        return WriteLogFmt("Load XFile : テクスチャ座標の数( %d )と頂点座標の数( %d )が違いました\n", mesh->uvs->count,
                           mesh->vertexCount);
    if (const XMESHNORMALS *n = mesh->normals) {
        if (n->faceCount != mesh->faceCount)
            return WriteLogFmt("Load XFile : メッシュリストの面の数( %d )と法線の面の数( %d )が違いました\n",
                               mesh->faceCount, n->faceCount);
        // A normal face of another corner count would be read past its corners.
        for (int f = 0, p = 0, q = 0; f < mesh->faceCount; ++f) {
            if (n->faces[q] != mesh->faces[p])
                return WriteLogFmt("Load XFile : %d 番目の面の頂点数( %d )と法線の面の頂点数( %d )が違いました\n", f,
                                   mesh->faces[p], n->faces[q]);
            p += mesh->faces[p] + 1;
            q += n->faces[q] + 1;
        }
    }
    if (const XMESHVERTEXCOLORS *c = mesh->colours)
        for (int i = 0; i < c->count; ++i)
            if (c->colours[i].vertex < 0 || c->colours[i].vertex >= mesh->vertexCount)
                return WriteLogFmt("Load XFile : 頂点カラーの頂点インデックス( %d )が頂点の数( %d )を超えています\n",
                                   c->colours[i].vertex, mesh->vertexCount);
    const int weights =
        Collect(list, o, XT_SKINWEIGHTS, &mesh->skinWeights, "スキンウエイトデータを格納するメモリの確保に失敗しました");
    if (weights < 0) return -1;
    if (weights > MODELLOAD_MESH_SKINWEIGHTS)
        return WriteLogFmt("Load XFile : メッシュのスキンウエイトの数( %d )が上限の %d を超えています\n", weights,
                           MODELLOAD_MESH_SKINWEIGHTS);
    mesh->skinWeightCount = weights;
    for (int w = 0; w < weights; ++w) {
        const auto *sw = static_cast<const XSKINWEIGHTS *>(mesh->skinWeights[w]->data);
        for (int i = 0; i < sw->count; ++i)
            if (sw->vertices[i] < 0 || sw->vertices[i] >= mesh->vertexCount)
                return WriteLogFmt("Load XFile : スキンウエイトの頂点インデックス( %d )が頂点の数( %d )を超えています\n",
                                   sw->vertices[i], mesh->vertexCount);
    }
    return 0;
}

int LinkFrame(XOBJECTLIST *list, XOBJECT *o, int *number) {
    auto *frame = static_cast<XFRAME *>(o->data);
    frame->matrix = static_cast<const XFRAMETRANSFORMMATRIX *>(FindXChild(XT_FRAMETRANSFORMMATRIX, o));
    for (XOBJECT *c = o->firstChild; c; c = c->nextSibling)
        if (c->templateIndex == XT_MESH) static_cast<XMESH *>(c->data)->owner = frame;
    frame->meshCount =
        Collect(list, o, XT_MESH, &frame->meshes, "メッシュアドレス配列を格納するメモリの確保に失敗しました");
    if (frame->meshCount < 0) return -1;
    frame->number = (*number)++;
    return 0;
}

int LinkAnimation(XOBJECTLIST *list, XOBJECT *o) {
    auto *anim = static_cast<XANIMATION *>(o->data);
    anim->keyCount =
        Collect(list, o, XT_ANIMATIONKEY, &anim->keys, "アニメーションキーアドレス配列を格納するメモリの確保に失敗しました");
    if (anim->keyCount < 0) return -1;
    anim->length = 0;
    for (int k = 0; k < anim->keyCount; ++k) {
        const int end = static_cast<const XANIMATIONKEY *>(anim->keys[k]->data)->endTime;
        if (end > anim->length) anim->length = end;
    }
    anim->target = static_cast<XFRAME *>(FindXChild(XT_FRAME, o));
    if (!anim->target) return WriteLogFmt("Load XFile : アニメーション %s の対象フレームがありません\n", o->name);
    return 0;
}

int LinkSkinWeights(const XOBJECTLIST *list, XOBJECT *o) {
    auto *sw = static_cast<XSKINWEIGHTS *>(o->data);
    sw->bone = static_cast<XFRAME *>(FindXObject(list, XT_FRAME, sw->boneName));
    if (!sw->bone) return WriteLogFmt("Load XFile : スキンウエイトのボーン %s のフレームがありません\n", sw->boneName);
    return 0;
}

int LinkObjects(XOBJECTLIST *list) {
    int materials = 0, frames = 0;
    for (XOBJECT *o = list->first; o; o = o->nextGlobal) {
        int result = 0;
        switch (o->templateIndex) {
        case XT_MATERIAL: result = LinkMaterial(list, o, &materials); break;
        case XT_MESHMATERIALLIST: result = LinkMaterialList(list, o); break;
        case XT_MESH: result = LinkMesh(list, o); break;
        case XT_FRAME: result = LinkFrame(list, o, &frames); break;
        case XT_ANIMATION: result = LinkAnimation(list, o); break;
        case XT_SKINWEIGHTS: result = LinkSkinWeights(list, o); break;
        default: break;
        }
        if (result != 0) return -1;
    }
    for (XOBJECT *o = list->first; o; o = o->nextGlobal) {
        if (o->templateIndex != XT_ANIMATIONSET) continue;
        auto *set = static_cast<XANIMATIONSET *>(o->data);
        set->animationCount =
            Collect(list, o, XT_ANIMATION, &set->animations, "アニメーションアドレス配列を格納するメモリの確保に失敗しました");
        if (set->animationCount < 0) return -1;
        for (int i = 0; i < set->animationCount; ++i) {
            const int length = static_cast<const XANIMATION *>(set->animations[i]->data)->length;
            if (length > set->length) set->length = length;
        }
    }
    return 0;
}

int AddMaterial(MODELLOADDATA *data, XOBJECT *o) {
    auto *m = static_cast<XMATERIAL *>(o->data);
    MODELLOADMATERIAL *loaded = AddModelLoadMaterial(data, o->name);
    if (!loaded) return WriteLogFmt("Load XFile : マテリアルオブジェクトの追加に失敗しました\n");
    if (m->texture) {
        MODELLOADTEXTURE *t = AddModelLoadTexture(data, m->texture->name, m->texture->name, nullptr, 0, 0.1f, 1);
        if (!t) return WriteLogFmt("Load XFile : テクスチャオブジェクトの追加に失敗しました\n");
        loaded->diffuseLayerCount = 1;
        loaded->diffuseLayers[0] = t;
    }
    const float ambient[4] = {0, 0, 0, 0};
    const float diffuse[4] = {m->face[0], m->face[1], m->face[2], 1.0f};
    const float specular[4] = {m->specular[0], m->specular[1], m->specular[2], 0};
    const float emissive[4] = {m->emissive[0], m->emissive[1], m->emissive[2], 0};
    std::memcpy(loaded->ambient, ambient, sizeof ambient);
    std::memcpy(loaded->diffuse, diffuse, sizeof diffuse);
    std::memcpy(loaded->specular, specular, sizeof specular);
    std::memcpy(loaded->emissive, emissive, sizeof emissive);
    loaded->power = m->power;
    m->loaded = loaded;
    return 0;
}

MODELLOADFRAME *AddFrame(MODELLOADDATA *data, const char *name, MODELLOADFRAME *parent) {
    MODELLOADFRAME *frame = AddModelLoadFrame(data, name, parent);
    if (!frame) WriteLogFmt("Load XFile : フレームオブジェクトの追加に失敗しました\n");
    return frame;
}

int AddFrames(MODELLOADDATA *data, const XOBJECTLIST *list, XOBJECT *o) {
    auto *frame = static_cast<XFRAME *>(o->data);
    MODELLOADFRAME *parent = nullptr;
    if (o->parent && o->parent != list->first && o->parent->templateIndex == XT_FRAME)
        parent = static_cast<XFRAME *>(o->parent->data)->loaded;
    if (!(frame->loaded = AddFrame(data, o->name, parent))) return -1;
    if (frame->matrix) std::memcpy(frame->loaded->matrix.m, frame->matrix->m, sizeof frame->matrix->m);
    for (int i = 0; i < frame->meshCount; ++i) {
        XOBJECT *meshObject = frame->meshes[i];
        auto *mesh = static_cast<XMESH *>(meshObject->data);
        if (meshObject->name[0] == '\0' && meshObject->parent != list->first) continue;
        if (!(mesh->ownFrame = AddFrame(data, meshObject->name, frame->loaded))) return -1;
    }
    return 0;
}

int FillMesh(MODELLOADDATA *data, const XMESH *x, MODELLOADMESH *mesh) {
    // Materials.
    if (const XMESHMATERIALLIST *ml = x->materialList) {
        mesh->materialCount = ml->found;
        for (int i = 0; i < ml->found; ++i) mesh->materials[i] = ml->materials[i]->loaded;
    } else {
        MODELLOADMATERIAL *normal = AddModelLoadMaterial(data, "Normal");
        if (!normal) return WriteLogFmt("Load XFile : マテリアルオブジェクトの追加に失敗しました\n");
        mesh->materialCount = 1;
        mesh->materials[0] = normal;
    }

    // Skin weights.
    for (int w = 0; w < x->skinWeightCount; ++w) {
        const auto *sw = static_cast<const XSKINWEIGHTS *>(x->skinWeights[w]->data);
        MODELLOADSKINWEIGHT *loaded = AddModelLoadSkinWeight(data);
        if (!loaded) return WriteLogFmt("Load XFile : スキニングメッシュウエイト情報を格納するメモリ領域の確保に失敗しました\n");
        std::memcpy(loaded->offset.m, sw->matrix, sizeof sw->matrix);
        loaded->boneFrame = sw->bone->loaded ? sw->bone->loaded->index : -1;
        loaded->count = sw->count;
        loaded->pairs = DataArray<MODELLOADSKINWEIGHT::PAIR>(data, sw->count, "スキニングメッシュウエイト値を格納するメモリ領域の確保に失敗しました");
        if (!loaded->pairs) return -1;
        for (int i = 0; i < sw->count; ++i) loaded->pairs[i] = {sw->vertices[i], sw->weights[i]};
        mesh->skinWeights[w] = loaded;
    }
    mesh->skinWeightCount = x->skinWeightCount;

    // Positions, normals and texture coordinates.
    mesh->positions = DataArray<VEC3>(data, x->vertexCount, "頂点座標を格納するメモリの確保に失敗しました");
    if (!mesh->positions) return -1;
    std::memcpy(mesh->positions, x->vertices, sizeof(VEC3) * (size_t)x->vertexCount);
    mesh->positionCount = x->vertexCount;
    if (const XMESHNORMALS *n = x->normals) {
        mesh->normals = DataArray<VEC3>(data, n->count, "法線を格納するメモリの確保に失敗しました");
        if (!mesh->normals) return -1;
        std::memcpy(mesh->normals, n->normals, sizeof(VEC3) * (size_t)n->count);
        mesh->normalCount = n->count;
    }
    if (const XMESHTEXTURECOORDS *t = x->uvs) {
        mesh->uvs[0] = DataArray<VEC3>(data, t->count, "ＵＶ座標を格納するメモリの確保に失敗しました");
        if (!mesh->uvs[0]) return -1;
        for (int i = 0; i < t->count; ++i) mesh->uvs[0][i] = VEC3{t->uv[2 * i], t->uv[2 * i + 1], 0};
        mesh->uvCounts[0] = t->count;
    }

    // Faces, their corners in one pool of the real total.
    size_t cornerTotal = 0;
    for (int f = 0, p = 0; f < x->faceCount; ++f) {
        cornerTotal += (size_t)x->faces[p];
        p += x->faces[p] + 1;
    }
    mesh->faces = AllocModelLoadFaces(data, (size_t)x->faceCount, 0);
    MODELLOADCORNER *pool = mesh->faces ? AllocModelLoadCorners(data, cornerTotal) : nullptr;
    if (!pool) {
        WriteLog("Load XFile : 面情報を格納するメモリ領域の確保に失敗しました\n");
        return -1;
    }
    mesh->faceCount = x->faceCount;
    const XMESHMATERIALLIST *ml = x->materialList;
    const bool perFace = ml && ml->indexCount == x->faceCount;
    const int white = x->colours ? x->colours->count : 0;
    for (int f = 0, p = 0, q = 0; f < x->faceCount; ++f) {
        MODELLOADFACE &face = mesh->faces[f];
        const int corners = x->faces[p];
        face.vertexCount = corners;
        face.corners = pool;
        pool += corners;
        for (int k = 0; k < corners; ++k) {
            MODELLOADCORNER &corner = face.corners[k];
            corner.position = corner.uvs[0] = x->faces[p + 1 + k];
            if (x->normals) corner.normal = x->normals->faces[q + 1 + k];
            corner.colour = white;
        }
        face.material = perFace ? ml->indices[f] : 0;
        p += corners + 1;
        if (x->normals) q += corners + 1;
    }

    // Vertex colours: a white entry last, every corner of a coloured vertex pointed at its colour.
    if (const XMESHVERTEXCOLORS *c = x->colours) {
        mesh->colours = DataArray<float[4]>(data, (int64_t)c->count + 1, "頂点カラーを格納するメモリの確保に失敗しました");
        if (!mesh->colours) return -1;
        mesh->colourCount = c->count + 1;
        for (int j = 0; j < c->count; ++j) std::memcpy(mesh->colours[j], c->colours[j].rgba, sizeof(float) * 4);
        for (int i = 0; i < 4; ++i) mesh->colours[c->count][i] = 1.0f;
        // The last colour of a vertex wins: a table of vertex -> entry, then one walk of the faces.
        auto *entry = DataArray<int32_t>(data, x->vertexCount, "頂点カラーを格納するメモリの確保に失敗しました");
        if (!entry) return -1;
        for (int v = 0; v < x->vertexCount; ++v) entry[v] = white;
        for (int j = 0; j < c->count; ++j) entry[c->colours[j].vertex] = j;
        for (int f = 0; f < mesh->faceCount; ++f)
            for (int k = 0; k < mesh->faces[f].vertexCount; ++k) {
                MODELLOADCORNER &corner = mesh->faces[f].corners[k];
                corner.colour = entry[corner.position];
            }
    }
    return 0;
}

int AddMeshes(MODELLOADDATA *data, XOBJECT *o) {
    auto *frame = static_cast<XFRAME *>(o->data);
    for (int i = 0; i < frame->meshCount; ++i) {
        XOBJECT *meshObject = frame->meshes[i];
        auto *x = static_cast<XMESH *>(meshObject->data);
        MODELLOADFRAME *owner = x->ownFrame ? x->ownFrame : frame->loaded;
        if (!owner && !(owner = AddFrame(data, meshObject->name[0] ? meshObject->name : "Mesh", nullptr))) return -1;
        MODELLOADMESH *mesh = AddModelLoadMesh(data, owner);
        if (!mesh) return WriteLogFmt("Load XFile : メッシュオブジェクトの追加に失敗しました\n");
        if (FillMesh(data, x, mesh) != 0) return -1;
    }
    return 0;
}

// Key type -> (kind, data type, values kept per key).
struct KEYFORM {
    uint8_t kind, dataType;
    int values;
};
KEYFORM KeyForm(int keyType) {
    switch (keyType) {
    case 1: return {MODELKEY_SCALE, MODELKEY_VECTOR, 3};
    case 2: return {MODELKEY_TRANSLATE, MODELKEY_VECTOR, 3};
    case 3:
    case 4: return {MODELKEY_MATRIX, MODELKEY_MATRIX4X3, 12};
    default: return {MODELKEY_ROTATE, MODELKEY_QUATERNION, 4};
    }
}

int BadKeyValues(int count, int wanted) {
    return WriteLogFmt("Load XFile : アニメーションキーの値の数( %d )が足りません( %d 個必要です )\n", count, wanted);
}

int FillKeySet(MODELLOADDATA *data, const XANIMATIONKEY *key, MODELLOADKEYSET *set) {
    const KEYFORM form = KeyForm(key->keyType);
    const int n = key->keyCount;
    set->kind = form.kind;
    set->dataType = form.dataType;
    set->timeType = 1;
    set->baseTime = (float)key->endTime;
    set->keyCount = n;
    const char *failure = "アニメーションキーを格納するメモリ領域の確保に失敗しました";
    set->times = DataArray<float>(data, n, failure);
    set->values = DataArray<float>(data, (int64_t)n * form.values, failure);
    if (!set->times || !set->values) return -1;
    for (int k = 0; k < n; ++k) {
        set->times[k] = (float)key->times[k];
        const float *v = key->values + key->valueStarts[k];
        const int count = key->valueCounts[k];
        float *out = set->values + (size_t)k * form.values;
        if (form.kind == MODELKEY_MATRIX) {
            if (count < 16) return BadKeyValues(count, 16);
            for (int row = 0; row < 4; ++row)
                for (int c = 0; c < 3; ++c) out[row * 3 + c] = v[row * 4 + c];
        } else if (form.kind == MODELKEY_ROTATE) {
            if (count < 4) return BadKeyValues(count, 4);
            out[0] = v[1], out[1] = v[2], out[2] = v[3], out[3] = v[0];
        } else {
            if (count < 3) return BadKeyValues(count, 3);
            std::memcpy(out, v, sizeof(float) * 3);
        }
    }
    data->keyDataSize += n * (ModelKeyValueSize(form.dataType) + 4);
    return 0;
}

int AddAnimationSet(MODELLOADDATA *data, XOBJECT *o) {
    const auto *x = static_cast<const XANIMATIONSET *>(o->data);
    MODELLOADANIMSET *set = AddModelLoadAnimSet(data, o->name);
    if (!set) return WriteLogFmt("Load XFile : アニメーションセットオブジェクトの追加に失敗しました\n");
    set->totalTime = (float)x->length;
    for (int i = 0; i < x->animationCount; ++i) {
        const auto *a = static_cast<const XANIMATION *>(x->animations[i]->data);
        MODELLOADANIM *anim = AddModelLoadAnim(data, set);
        if (!anim) return WriteLogFmt("Load XFile : アニメーションオブジェクトの追加に失敗しました\n");
        anim->frameName = AddModelLoadString(data, a->target->object->name);
        if (!anim->frameName) return WriteLogFmt("Load XFile : アニメーションオブジェクトの追加に失敗しました\n");
        anim->frameIndex = a->target->loaded ? a->target->loaded->index : -1;
        anim->value = (float)a->length;
        for (int k = 0; k < a->keyCount; ++k) {
            MODELLOADKEYSET *keySet = AddModelLoadKeySet(data, anim);
            if (!keySet) return WriteLogFmt("Load XFile : アニメーションキーセットオブジェクトの追加に失敗しました\n");
            if (FillKeySet(data, static_cast<const XANIMATIONKEY *>(a->keys[k]->data), keySet) != 0) return -1;
        }
    }
    return 0;
}

}  // namespace

int ConvertXObjectTree(XOBJECTLIST *list, MODELLOADDATA *data) {
    if (LinkObjects(list) != 0) return -1;
    for (XOBJECT *o = list->first; o; o = o->nextGlobal)
        if (o->templateIndex == XT_MATERIAL && AddMaterial(data, o) != 0) return -1;
    for (XOBJECT *o = list->first; o; o = o->nextGlobal)
        if (o->templateIndex == XT_FRAME && o != list->first && AddFrames(data, list, o) != 0) return -1;
    for (XOBJECT *o = list->first; o; o = o->nextGlobal) {
        if (o->templateIndex == XT_FRAME && AddMeshes(data, o) != 0) return -1;
        if (o->templateIndex == XT_ANIMATIONSET && AddAnimationSet(data, o) != 0) return -1;
    }
    return 0;
}

int FillXLoadData(const void *image, int size, const char *path, const char *name, MODELLOADDATA *data) {
    InitModelLoadData(data);
    XOBJECTLIST list{};
    int result = -1;
    if (!(data->filePath = AddModelLoadString(data, path)) || !(data->fileName = AddModelLoadString(data, name))) {
        // The chain has logged it.
    } else if (!AddXObject(&list, XT_FRAME, "XTopFrame", 9, nullptr)) {
        // AddXObject has logged it.
    } else if (ParseXObjectTree(image, size, &list) == 0 && ConvertXObjectTree(&list, data) == 0) {
        result = 0;
    }
    FreeXObjectTree(&list);
    if (result != 0) TermModelLoadData(data);
    return result;
}

int ReadXModel(const void *image, int size, const char *path, const char *name, const char *folder) {
    MODELLOADDATA data;
    if (FillXLoadData(image, size, path, name, &data) != 0) return -1;
    const int base = ConvertModelLoadData(&data, folder);
    TermModelLoadData(&data);
    return base;
}
