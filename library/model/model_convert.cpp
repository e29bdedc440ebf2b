// Read data to a model base: keys normalised, meshes planned (triangles, normals, skin classes,
// list palettes), then the base laid out on its block chain: names, animations, textures,
// materials and, frame by frame, positions, normals, skin bones, pieces with their unique
// vertices and triangle lists, and shapes. Failures log one line and release the base.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/graphics/screen.h"
#include "library/model/model.h"
#include "library/model/model_convert.h"
#include "library/model/model_frame.h"
#include "library/model/model_texture.h"
#include "library/model/model_vertices.h"

#include <algorithm>
#include <cstring>

namespace {

struct CONVERT {
    MODELLOADDATA *data;
    MV1BASE *base;
    int handle;
    char folder[PATH_BUFFER_SIZE];
    int skinAt;
    int drawBit;                 // next free bit of the draw-state change array
    uint32_t *drawMasks, *matrixMasks;
};

int Fail(const char *message) {
    WriteLogFmt("Read Model Convert Error : %s", message);
    return -1;
}

bool Used(const MODELLOADMESH *m) { return m->frame && m->positionCount > 0; }
int PieceCount(const MODELLOADMESH *m) { return std::max(m->materialCount, 1); }

template <class T>
T *Chain(MV1BASE *base, size_t count) {
    return static_cast<T *>(AllocChainBlock(sizeof(T) * (count ? count : 1), &base->chain));
}

const char *CopyName(MV1BASE *base, const char *text) {
    if (!text) return nullptr;
    const size_t n = std::strlen(text);
    char *copy = Chain<char>(base, n + 1);
    if (copy) std::memcpy(copy, text, n + 1);
    return copy;
}

bool InRange(int i, int count) { return i >= 0 && i < count; }

// The read data must name only what exists; readers check their files, this catches the rest.
bool CheckReadData(const MODELLOADDATA *data) {
    for (const MODELLOADMESH *m = data->firstMesh; m; m = m->next) {
        if (m->materialCount < 0 || m->materialCount > MODELLOAD_MESH_MATERIALS || m->skinWeightCount < 0 ||
            m->skinWeightCount > MODELLOAD_MESH_SKINWEIGHTS || m->faceCount < 0 || m->positionCount < 0 ||
            (m->positionCount > 0 && !m->positions) || (m->faceCount > 0 && !m->faces))
            return false;
        for (int i = 0; i < m->materialCount; ++i)
            if (!m->materials[i]) return false;
        for (int b = 0; b < m->skinWeightCount; ++b) {
            const MODELLOADSKINWEIGHT *w = m->skinWeights[b];
            if (!w || w->count < 0 || (w->count > 0 && !w->pairs)) return false;
            for (int i = 0; i < w->count; ++i)
                if (!InRange(w->pairs[i].position, m->positionCount)) return false;
        }
        for (int f = 0; f < m->faceCount; ++f) {
            const MODELLOADFACE &face = m->faces[f];
            if (face.vertexCount < 3 || face.vertexCount > MODELLOAD_FACE_CORNERS) return false;
            if (m->materialCount > 0 && !InRange(face.material, m->materialCount)) return false;
            if (!face.corners) return false;
            for (int k = 0; k < face.vertexCount; ++k) {
                if (!InRange(face.corners[k].position, m->positionCount)) return false;
                if (m->normals && !InRange(face.corners[k].normal, m->normalCount)) return false;
            }
        }
    }
    for (const MODELLOADSHAPE *s = data->firstShape; s; s = s->next) {
        if (!s->mesh || !s->frame || s->mesh->frame != s->frame || s->vertexCount < 0 ||
            (s->vertexCount > 0 && !s->vertices))
            return false;
        for (int i = 0; i < s->vertexCount; ++i)
            if (!InRange(s->vertices[i].position, s->mesh->positionCount)) return false;
    }
    for (const MODELLOADMATERIAL *m = data->firstMaterial; m; m = m->next) {
        const int counts[3] = {m->diffuseLayerCount, m->specularLayerCount, m->normalLayerCount};
        const MODELLOADTEXTURE *const *layers[3] = {m->diffuseLayers, m->specularLayers, m->normalLayers};
        for (int g = 0; g < 3; ++g) {
            if (counts[g] < 0 || counts[g] > MODELLOAD_MATERIAL_LAYERS) return false;
            for (int i = 0; i < counts[g]; ++i)
                if (!layers[g][i]) return false;
        }
    }
    for (const MODELLOADANIM *a = data->firstAnim; a; a = a->next)
        if (!a->set) return false;
    for (const MODELLOADKEYSET *k = data->firstKeySet; k; k = k->next)
        if (k->keyCount < 0 || (k->keyCount > 0 && ModelKeyValueSize(k->dataType) > 0 && !k->values) ||
            (k->keyCount > 0 && k->timeType == 1 && !k->times))
            return false;
    return true;
}

// ---- step 2: shape tables ---------------------------------------------------------------

bool BuildShapeTables(MODELLOADDATA *data) {
    for (MODELLOADSHAPE *s = data->firstShape; s; s = s->next) {
        s->mesh->hasShapes = 1;
        s->table = static_cast<int32_t *>(AllocModelLoadBlock(data, sizeof(int32_t) * (size_t)s->mesh->positionCount));
        if (!s->table) return false;
        for (int p = 0; p < s->mesh->positionCount; ++p) s->table[p] = -1;
        for (int t = 0; t < s->vertexCount; ++t) s->table[s->vertices[t].position] = t;
    }
    return true;
}

// ---- names, animations, textures, materials ---------------------------------------------

bool ConvertAnimations(CONVERT &c) {
    MODELLOADDATA *data = c.data;
    MV1BASE *base = c.base;
    base->animSets = Chain<MV1ANIMSET>(base, (size_t)data->animSetCount);
    base->anims = Chain<MV1ANIM>(base, (size_t)data->animCount);
    base->keySets = Chain<MV1KEYSET>(base, (size_t)data->keySetCount);
    base->animTable = Chain<MV1ANIM *>(base, (size_t)data->animSetCount * data->frameCount);
    if (!base->animSets || !base->anims || !base->keySets || !base->animTable) return false;
    int animAt = 0, keyAt = 0, setAt = 0;
    for (const MODELLOADANIMSET *s = data->firstAnimSet; s; s = s->next, ++setAt) {
        MV1ANIMSET &set = base->animSets[setAt];
        set.name = CopyName(base, s->name);
        set.index = setAt;
        set.totalTime = s->totalTime;
        set.word = s->word;
        set.flags = (uint8_t)((s->word0 ? 1 : 0) | (s->splitProtect ? 2 : 0));
        set.anims = &base->anims[animAt];
        for (const MODELLOADANIM *a = s->firstAnim; a; a = a->nextInSet) {
            MV1ANIM &anim = base->anims[animAt];
            anim.set = &set;
            anim.index = animAt++;
            ++set.animCount;
            anim.frame = -1;
            for (const MODELLOADFRAME *f = data->firstFrame; f && a->frameName; f = f->next)
                if (std::strcmp(f->name, a->frameName) == 0) {
                    anim.frame = f->index;
                    break;
                }
            if (anim.frame < 0 && !a->frameName && InRange(a->frameIndex, data->frameCount)) anim.frame = a->frameIndex;
            if (anim.frame >= 0) base->animTable[(size_t)setAt * data->frameCount + anim.frame] = &anim;
            anim.value = a->value;
            anim.word = a->word;
            anim.keySets = &base->keySets[keyAt];
            for (const MODELLOADKEYSET *k = a->firstKeySet; k; k = k->nextInAnim) {
                MV1KEYSET &key = base->keySets[keyAt++];
                ++anim.keySetCount;
                key.valueKind = k->dataType;
                key.target = k->kind;
                key.timing = k->timeType;
                key.shape = k->word;
                key.keyCount = k->keyCount;
                key.start = k->timeType == 0 ? k->start : 0.0f;
                key.step = k->timeType == 0 ? k->step : 0.0f;
                const size_t valueBytes = (size_t)k->keyCount * ModelKeyValueSize(k->dataType);
                float *values = Chain<float>(base, valueBytes / 4);
                float *times = k->timeType == 1 ? Chain<float>(base, (size_t)k->keyCount) : nullptr;
                if (!values || (k->timeType == 1 && !times)) return false;
                if (valueBytes) std::memcpy(values, k->values, valueBytes);
                if (times && k->keyCount) std::memcpy(times, k->times, (size_t)k->keyCount * 4);
                key.values = values;
                key.times = times;
            }
        }
    }
    base->animSetCount = setAt;
    base->animCount = animAt;
    base->keySetCount = keyAt;
    return true;
}

int ConvertTextures(CONVERT &c) {
    MV1BASE *base = c.base;
    base->textures = Chain<MV1TEXTURE>(base, (size_t)c.data->textureCount);
    if (!base->textures) return Fail("モデル基本データ保存用のメモリの確保に失敗しました\n");
    for (const MODELLOADTEXTURE *t = c.data->firstTexture; t; t = t->next) {
        MV1TEXTURE &e = base->textures[base->textureCount++];
        e.graph = -1;
        e.name = CopyName(base, t->name);
        char colour[PATH_BUFFER_SIZE], alpha[PATH_BUFFER_SIZE];
        const bool hasColour = t->colourPath && BuildFullPath(t->colourPath, colour, c.folder) == 0;
        const bool hasAlpha = t->alphaPath && BuildFullPath(t->alphaPath, alpha, c.folder) == 0;
        MV1TEXTUREFILES &f = e.files;
        if (!e.name || LoadModelTexture(&f.colourImage, &f.colourImageSize, &f.alphaImage, &f.alphaImageSize, &e.graph,
                                        &e.usesAlpha, &f.colourPath, &f.alphaPath, hasColour ? colour : nullptr,
                                        hasAlpha ? alpha : nullptr, c.folder, t->bump, t->bumpHeight) != 0) {
            WriteLogFmt("Read Model Convert Error : テクスチャ %s の読み込みに失敗しました\n", t->name);
            return -1;
        }
        e.addressU = t->addressU;
        e.addressV = t->addressV;
        e.filterMode = t->filterMode;
        e.bump = t->bump;
        e.bumpHeight = t->bumpHeight;
        GetGraphExtent(e.graph, &e.width, &e.height);
    }
    return 0;
}

void CopyColour(COLOUR_F &out, const float in[4]) { out = COLOUR_F{in[0], in[1], in[2], in[3]}; }

bool ConvertMaterials(CONVERT &c) {
    MV1BASE *base = c.base;
    base->materials = Chain<MV1MATERIAL>(base, (size_t)c.data->materialCount);
    if (!base->materials) return false;
    for (const MODELLOADMATERIAL *s = c.data->firstMaterial; s; s = s->next) {
        MV1MATERIAL &m = base->materials[base->materialCount];
        m.index = base->materialCount++;
        m.name = CopyName(base, s->name);
        if (!m.name) return false;
        m.kind = s->kind;
        CopyColour(m.diffuse, s->diffuse);
        CopyColour(m.ambient, s->ambient);
        CopyColour(m.specular, s->specular);
        CopyColour(m.emissive, s->emissive);
        m.power = s->power;
        auto layers = [](int count, MODELLOADTEXTURE *const *from, int32_t &outCount, MV1LAYER *out) {
            outCount = std::min(count, MODEL_LAYERS_MAX);
            for (int i = 0; i < outCount; ++i) out[i] = MV1LAYER{from[i]->index, from[i]->word};
        };
        layers(s->diffuseLayerCount, s->diffuseLayers, m.diffuseLayerCount, m.diffuseLayers);
        layers(s->specularLayerCount, s->specularLayers, m.specularLayerCount, m.specularLayers);
        layers(s->normalLayerCount, s->normalLayers, m.normalLayerCount, m.normalLayers);
        m.toonTexture = s->toonTexture ? s->toonTexture->index : -1;
        m.sphereTexture = s->sphereTexture ? s->sphereTexture->index : -1;
        m.toonKind = s->toonKind;
        m.sphereMode = s->sphereMode;
        m.edgeSize = s->edgeSize;
        CopyColour(m.edgeColour, s->edgeColour);
        m.blendMode = s->blendMode;
        m.blendParam = s->blendParam;
    }
    return true;
}

// ---- frames -----------------------------------------------------------------------------

// Pieces of each frame and, summed upward, of each subtree; the bit-range word pools.
void CountFrames(CONVERT &c, size_t *drawWords, size_t *matrixWords) {
    MODELLOADDATA *data = c.data;
    for (MODELLOADFRAME *f = data->firstFrame; f; f = f->next) {
        f->pieces = f->piecesBelow = f->framesBelow = 0;
        for (const MODELLOADMESH *m = f->firstMesh; m; m = m->nextInFrame)
            if (Used(m)) f->pieces += PieceCount(m);
    }
    for (MODELLOADFRAME *f = data->lastFrame; f; f = f->prev)
        if (f->parent) {
            f->parent->piecesBelow += f->piecesBelow + f->pieces;
            f->parent->framesBelow += f->framesBelow + 1;
        }
    *drawWords = *matrixWords = 0;
    int bit = 1;
    for (const MODELLOADFRAME *f = data->firstFrame; f; f = f->next) {
        *drawWords += (size_t)BitRangeWordCount(bit, f->pieces + f->piecesBelow + f->framesBelow + 1);
        *matrixWords += (size_t)BitRangeWordCount(f->index + 1, f->framesBelow + 1);
        bit += 1 + f->pieces;
    }
}

int ConvertFrames(CONVERT &c) {
    MODELLOADDATA *data = c.data;
    MV1BASE *base = c.base;
    const char *noMemory = "モデル基本データ保存用のメモリの確保に失敗しました\n";
    for (MODELLOADFRAME *s = data->firstFrame; s; s = s->next) {
        MV1FRAME &f = base->frames[s->index];
        s->baseFrame = &f;
        f.base = base;
        f.index = s->index;
        f.smoothingAngle = s->smoothingAngle;
        f.name = CopyName(base, s->name);
        if (!f.name) return Fail(noMemory);
        LinkModelFrame(base, f, s->parent ? s->parent->baseFrame : nullptr);
        DecomposeFrameMatrix(s, &f);
        f.drawStateRange = BITRANGE{};
        c.drawMasks = BuildBitRange(&f.drawStateRange, c.drawMasks, c.drawBit,
                                    s->pieces + s->piecesBelow + s->framesBelow + 1);
        c.matrixMasks = BuildBitRange(&f.matrixRange, c.matrixMasks, s->index + 1, s->framesBelow + 1);
        f.meshesBelow = s->piecesBelow;
        f.framesBelow = s->framesBelow;
        f.flags = s->visible ? 1u : 0u;
        f.firstSkinBone = -1;

        // Positions, normals and skin slots of the frame's meshes, one after the other.
        int weights = 0, positions = 0, normals = 0, skins = 0;
        for (MODELLOADMESH *m = s->firstMesh; m; m = m->nextInFrame) {
            if (!Used(m)) continue;
            m->positionBase = positions;
            m->normalBase = normals;
            m->skinBase = skins;
            positions += m->positionCount;
            normals += m->normalCount;
            skins += m->skinWeightCount;
            for (int p = 0; p < PieceCount(m); ++p) weights = std::max(weights, m->plans[p].weightCount);
        }
        s->weightCount = weights;
        f.positionCount = positions;
        f.positionSize = PositionRecordSize(weights);
        f.positions = Chain<uint8_t>(base, (size_t)positions * f.positionSize);
        f.normalCount = normals;
        f.normals = Chain<MV1NORMAL>(base, (size_t)normals);
        f.skinRefCount = skins;
        f.skinRefs = Chain<MV1SKINBONE *>(base, (size_t)skins);
        if (!f.positions || !f.normals || !f.skinRefs) return Fail(noMemory);
        base->skinRefTotal += skins;
        for (MODELLOADMESH *m = s->firstMesh; m; m = m->nextInFrame) {
            if (!Used(m)) continue;
            const int bones = m->skinWeightCount;
            uint16_t list[MODELLOAD_MESH_SKINWEIGHTS];
            for (int p = 0; p < m->positionCount; ++p) {
                MV1POSITION *r = FramePosition(&f, m->positionBase + p);
                r->position = m->positions[p];
                int pairs = bones > 0 ? ListBitSetRowBits(&m->vertexBones, p, list) : 0;
                pairs = std::min(pairs, weights);
                for (int w = 0; w < weights; ++w) {
                    r->weights[w].bone = w < pairs ? m->skinBase + list[w] : -1;
                    r->weights[w].weight = w < pairs ? m->boneWeights[(size_t)p * bones + list[w]] : 0.0f;
                }
            }
            for (int n = 0; n < m->normalCount; ++n) f.normals[m->normalBase + n].normal = m->normals[n];
            for (int b = 0; b < bones; ++b) {
                const MODELLOADSKINWEIGHT *w = m->skinWeights[b];
                if (!InRange(w->boneFrame, data->frameCount)) {
                    WriteLogFmt("Read Model Convert Error : フレーム %s のスキニングメッシュのスキンウエイト情報で一致するノードの無いリンク情報がありました\n",
                                s->name);
                    return -1;
                }
                MV1SKINBONE &e = base->skinBones[c.skinAt++];
                ConvertMatrixTo3x4(&e.matrix, &w->offset);
                const float *o = w->offset.m;
                e.translateOnly = o[0] == 1 && o[1] == 0 && o[2] == 0 && o[4] == 0 && o[5] == 1 && o[6] == 0 &&
                                  o[8] == 0 && o[9] == 0 && o[10] == 1;
                e.boneFrame = w->boneFrame;
                e.useCount = 1;
                e.referenceCount = 1;
                e.references = Chain<int32_t>(base, 2);
                if (!e.references) return Fail(noMemory);
                e.references[0] = f.index;
                e.references[1] = m->skinBase + b;
                f.skinRefs[m->skinBase + b] = &e;
            }
        }
        if (!ConvertFramePieces(base, s, &c.drawBit)) return Fail(noMemory);
        if (!ConvertFrameShapes(base, s)) return Fail(noMemory);
    }
    return 0;
}

// Every skin-bone entry must stand in the lists of the frames that refer to it.
bool SkinReferencesHold(const MV1BASE *base) {
    for (int i = 0; i < base->skinBoneCount; ++i) {
        const MV1SKINBONE &e = base->skinBones[i];
        for (int r = 0; r < e.referenceCount; ++r) {
            const MV1FRAME &f = base->frames[e.references[2 * r]];
            const int slot = e.references[2 * r + 1];
            if (!InRange(slot, f.skinRefCount) || f.skinRefs[slot] != &e) return false;
        }
    }
    return true;
}

}  // namespace

int ConvertModelLoadData(MODELLOADDATA *data, const char *folder) {
    if (!g_modelSystem.started || !data) return -1;
    CONVERT c{};
    c.data = data;
    const size_t length = folder ? std::strlen(folder) : 0;
    if (length + 2 > sizeof c.folder) return Fail("モデル基本データ保存用のメモリの確保に失敗しました\n");
    std::memcpy(c.folder, folder ? folder : "", length + 1);
    if (length == 0 || (c.folder[length - 1] != '\\' && c.folder[length - 1] != '/')) std::strcat(c.folder, "/");
    if (!CheckReadData(data)) return Fail("読み込みデータに範囲外の番号がありました\n");

    // 1-5: keys, shape tables, mesh plans, totals.
    NormaliseModelLoadKeySets(data);
    if (!BuildShapeTables(data)) return Fail("シェイプ対象頂点テーブル用メモリの確保に失敗しました\n");
    int64_t pieces = 0, lists = 0, skins = 0;
    for (MODELLOADMESH *m = data->firstMesh; m; m = m->next) {
        if (!Used(m)) continue;
        if (!PlanModelLoadMesh(data, m)) return -1;
        pieces += PieceCount(m);
        skins += m->skinWeightCount;
        for (int p = 0; p < PieceCount(m); ++p)
            for (int cls = 0; cls < 4; ++cls) lists += PlanListCount(&m->plans[p], cls);
    }
    int64_t shapes = 0;
    for (const MODELLOADSHAPE *s = data->firstShape; s; s = s->next) shapes += Used(s->mesh);
    size_t drawWords, matrixWords;
    CountFrames(c, &drawWords, &matrixWords);
    data->drawStateWords = (int32_t)drawWords;
    data->matrixWords = (int32_t)matrixWords;
    if (pieces > INT32_MAX / 4 || lists > INT32_MAX / 4) return Fail("モデル基本データ保存用のメモリの確保に失敗しました\n");

    // 6: the base in its slot; from here a failure releases it.
    c.handle = AddModelBaseSlot();
    if (c.handle == -1) return Fail("モデル基本データハンドルの取得に失敗しました\n");
    MV1BASE *base = static_cast<MV1BASE *>(AllocMemBlockZero(sizeof(MV1BASE), nullptr, -1));
    if (!base || StoreModelBase(c.handle, base) != 0) {
        FreeMemBlock(base);
        ReleaseModelBase(c.handle);
        return Fail("モデル基本データ保存用のメモリの確保に失敗しました\n");
    }
    c.base = base;
    auto fail = [&](int) {
        ReleaseModelBase(c.handle);
        return -1;
    };
    const char *noMemory = "モデル基本データ保存用のメモリの確保に失敗しました\n";
    base->frameCount = data->frameCount;
    base->frames = Chain<MV1FRAME>(base, (size_t)data->frameCount);
    base->meshes = Chain<MV1MESH>(base, (size_t)pieces);
    base->triangleLists = Chain<MV1TRIANGLELIST>(base, (size_t)lists);
    base->skinBones = Chain<MV1SKINBONE>(base, (size_t)skins);
    base->shapes = Chain<MV1SHAPE>(base, (size_t)shapes);
    c.drawMasks = base->drawStateMasks = Chain<uint32_t>(base, drawWords);
    c.matrixMasks = base->matrixMasks = Chain<uint32_t>(base, matrixWords);
    if (!base->frames || !base->meshes || !base->triangleLists || !base->skinBones || !base->shapes ||
        !base->drawStateMasks || !base->matrixMasks)
        return fail(Fail(noMemory));
    base->skinBoneCount = (int32_t)skins;

    // 8-11: names, animations, textures, materials.
    base->filePath = CopyName(base, data->filePath ? data->filePath : "");
    base->name = CopyName(base, data->fileName ? data->fileName : "");
    base->folder = CopyName(base, c.folder);
    if (!base->filePath || !base->name || !base->folder || !ConvertAnimations(c)) return fail(Fail(noMemory));
    if (ConvertTextures(c) != 0) return fail(-1);
    if (!ConvertMaterials(c)) return fail(Fail(noMemory));

    // 12: frames with their positions, skin bones, pieces, lists and shapes.
    c.drawBit = 1;
    if (ConvertFrames(c) != 0) return fail(-1);

    // 14-15: skin bones made unique and checked, bind matrices, tangents, list vertices.
    if (!OptimizeModelSkinBones(base)) return fail(-1);
    if (!SkinReferencesHold(base)) {
        WriteLog("エラー０");
        return fail(-1);
    }
    SetupFrameBindMatrices(base);
    for (int i = 0; i < base->meshCount; ++i)
        if (BuildMeshTangents(&base->meshes[i]) != 0) return fail(-1);
    for (int i = 0; i < base->triangleListCount; ++i) FillTriangleListVertices(&base->triangleLists[i]);
    RefreshModelBaseTotals(base);
    return c.handle;
}
