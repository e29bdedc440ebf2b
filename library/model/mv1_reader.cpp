// The library's own model file: the body unpacked behind the magic, the record chains walked
// within their header counts, every offset turned into a record of the new base. A damaged
// file gives -1 with one "MV1 LoadModel Error : " line and leaves nothing behind.
#include "library/model/mv1_reader.h"

#include "library/base/log.h"
#include "library/base/lz.h"
#include "library/base/memory.h"
#include "library/base/path.h"
#include "library/graphics/screen.h"
#include "library/model/model.h"
#include "library/model/model_fan.h"
#include "library/model/model_frame.h"
#include "library/model/model_readers.h"
#include "library/model/model_texture.h"
#include "library/model/model_vertices.h"

#include <algorithm>

namespace {

constexpr uint64_t kBaseBudget = 1ull << 30;  // no model file describes a base beyond this
constexpr int kHeaderReach = 244;

template <class T>
T *TakeArray(MV1READER &r, uint64_t count) {
    return static_cast<T *>(r.Take(sizeof(T) * count));
}

// ---- chains -------------------------------------------------------------------------------

bool Distinct(const uint32_t *offsets, int count) {
    uint32_t *sorted = static_cast<uint32_t *>(AllocMemBlock(sizeof(uint32_t) * (size_t)count + 4, nullptr, -1));
    if (!sorted) return false;
    std::memcpy(sorted, offsets, sizeof(uint32_t) * (size_t)count);
    std::sort(sorted, sorted + count);
    const bool distinct = std::adjacent_find(sorted, sorted + count) == sorted + count;
    FreeMemBlock(sorted);
    return distinct;
}

// The records of a chain by number: `count` records of at least `bytes` each from the header's
// first offset, each inside the image; with a number field, each must carry its place (so no
// record comes twice and a loop is refused), else the offsets must differ.
bool WalkChain(MV1READER &r, MV1RECORDS &out, int countAt, int firstAt, int bytes, int numberAt, const char *what) {
    const int32_t count = r.I32((uint32_t)countAt);
    if (count < 0 || (uint64_t)count * (uint64_t)bytes > r.size) return r.Fail(what);
    out.count = count;
    out.offsets = static_cast<uint32_t *>(AllocMemBlock(sizeof(uint32_t) * (size_t)count + 4, nullptr, -1));
    if (!out.offsets) return r.Fail(what);
    uint32_t at = r.U32((uint32_t)firstAt);
    for (int i = 0; i < count; ++i) {
        if (at == 0 || !r.Fits(at, (uint64_t)bytes)) return r.Fail(what);
        if (numberAt >= 0 && r.I32(at + (uint32_t)numberAt) != i) return r.Fail(what);
        out.offsets[i] = at;
        at = r.U32(at + 4);
    }
    return numberAt >= 0 || Distinct(out.offsets, count) || r.Fail(what);
}

// Records stored one after another: their count, first offset and size.
bool Contiguous(MV1READER &r, int32_t count, uint32_t first, uint64_t bytes, const char *what) {
    if (count < 0 || bytes == 0) return r.Fail(what);
    return count == 0 || (first != 0 && r.Fits(first, (uint64_t)count * bytes)) || r.Fail(what);
}

// The number of a record stored one after another from `first`, -1 when `offset` is none of them.
int Slot(uint32_t first, uint64_t bytes, int32_t count, int32_t offset) {
    if (offset <= 0 || (uint32_t)offset < first) return -1;
    const uint64_t d = (uint32_t)offset - first;
    if (d % bytes != 0 || d / bytes >= (uint64_t)count) return -1;
    return (int)(d / bytes);
}

// ---- frames -----------------------------------------------------------------------------

// A bit range from the file, within the change array of `bits` bits and the mask block.
bool ReadRange(MV1READER &r, uint32_t at, uint32_t *masks, uint32_t masksAt, uint32_t maskWords, int bits,
               BITRANGE *out) {
    const int32_t word = r.I32(at), maskAt = r.I32(at + 4), count = r.I32(at + 12);
    const uint32_t first = r.U32(at + 8);
    const int words = (bits + 31) / 32;
    if (word < 0 || count < 1 || (int64_t)word + count > words) return false;
    if (first == 0 || (first & (first - 1)) != 0) return false;
    if ((uint32_t)maskAt < masksAt || ((uint32_t)maskAt - masksAt) % 4 != 0 ||
        ((uint32_t)maskAt - masksAt) / 4 + (uint64_t)count > maskWords)
        return false;
    out->wordIndex = word;
    out->maskWords = masks + ((uint32_t)maskAt - masksAt) / 4;
    out->wordCount = count;
    out->firstBitMask = first;
    return true;
}

bool ReadFrames(MV1READER &r) {
    MV1BASE *base = r.base;
    const int F = r.frames.count, M = r.meshes.count;
    base->frameCount = F;
    base->frames = TakeArray<MV1FRAME>(r, (uint64_t)F);
    r.kept->frames = TakeArray<MV1FILEKEPT::FRAME>(r, (uint64_t)F);
    if (!base->frames || !r.kept->frames) return false;
    uint32_t *draw = base->drawStateMasks, *matrix = base->matrixMasks;
    int meshTotal = 0;
    for (int i = 0; i < F; ++i) {
        const uint32_t at = r.frames.offsets[i];
        MV1FRAME &f = base->frames[i];
        MV1FILEKEPT::FRAME &k = r.kept->frames[i];
        f.base = base;
        f.index = i;
        if (!r.Name(r.I32(at + 8), &f.name)) return r.Fail("フレーム");
        // The drawing's change arrays: bit 0 and a bit per frame and mesh, bit 0 and a bit per frame.
        if (!ReadRange(r, at + 16, draw, r.drawMasksAt, r.drawMaskWords, 1 + F + M, &f.drawStateRange) ||
            !ReadRange(r, at + 32, matrix, r.matrixMasksAt, r.matrixMaskWords, 1 + F, &f.matrixRange))
            return r.Fail("フレームのビット範囲");
        f.meshesBelow = r.I32(at + 48);
        f.framesBelow = r.I32(at + 52);
        const int parent = r.Ref(r.frames, r.I32(at + 56), 12);
        // Parents come first and a subtree is one run: the parent holds the frame before.
        if (parent == -1 || parent >= i) return r.Fail("フレームの親子関係");
        if (parent >= 0) {
            int a = i - 1;
            while (a >= 0 && a != parent) a = base->frames[a].parent ? base->frames[a].parent->index : -1;
            if (a != parent) return r.Fail("フレームの親子関係");
        }
        LinkModelFrame(base, f, parent >= 0 ? &base->frames[parent] : nullptr);
        f.translation = VEC3{r.F32(at + 76), r.F32(at + 80), r.F32(at + 84)};
        f.scale = VEC3{r.F32(at + 88), r.F32(at + 92), r.F32(at + 96)};
        f.rotation = VEC3{r.F32(at + 100), r.F32(at + 104), r.F32(at + 108)};
        f.rotationOrder = r.I32(at + 112);
        for (int q = 0; q < 4; ++q) f.quaternion[q] = r.F32(at + 116 + 4 * (uint32_t)q);
        f.flags = r.U32(at + 132);
        f.noCull = r.I32(at + 136);
        k.words[0] = r.I32(at + 140);
        k.words[1] = r.I32(at + 144);
        f.smoothingAngle = r.F32(at + 180);
        k.words[2] = r.I32(at + 184);
        const int32_t meshCount = r.I32(at + 148);
        const int firstMesh = r.Ref(r.meshes, r.I32(at + 152), 8);
        if (meshCount < 0 || (meshCount > 0 && (firstMesh < 0 || firstMesh + (int64_t)meshCount > M)))
            return r.Fail("フレームのメッシュ");
        f.meshCount = meshCount;
        f.meshes = meshCount > 0 ? &base->meshes[firstMesh] : nullptr;
        meshTotal += meshCount;
        f.firstSkinBone = -1;
    }
    // The file's own tree links must say what the parents say.
    for (int i = 0; i < F; ++i) {
        const uint32_t at = r.frames.offsets[i];
        const MV1FRAME &f = base->frames[i];
        auto index = [](const MV1FRAME *p) { return p ? p->index : -2; };
        if (r.Ref(r.frames, r.I32(at + 60), 12) != index(f.firstChild) ||
            r.Ref(r.frames, r.I32(at + 64), 12) != index(f.lastChild) ||
            r.Ref(r.frames, r.I32(at + 68), 12) != index(f.next) ||
            r.Ref(r.frames, r.I32(at + 72), 12) != index(f.prev))
            return r.Fail("フレームの親子関係");
    }
    return meshTotal == M || r.Fail("フレームのメッシュ");
}

// The skin matrices, each frame's run of them as a bone and its references to them.
bool ReadSkins(MV1READER &r) {
    MV1BASE *base = r.base;
    base->skinBoneCount = r.skins;
    base->skinBones = TakeArray<MV1SKINBONE>(r, (uint64_t)r.skins);
    if (!base->skinBones) return false;
    for (int i = 0; i < r.skins; ++i) {
        const uint32_t at = r.skinsAt + (uint32_t)i * MV1_SKIN_BYTES;
        MV1SKINBONE &e = base->skinBones[i];
        if (r.I32(at + 12) != i) return r.Fail("スキニング行列");
        for (int k = 0; k < 12; ++k) e.matrix.m[k] = r.F32(at + 16 + 4 * (uint32_t)k);
        const float *m = e.matrix.m;
        e.translateOnly = m[0] == 1 && m[1] == 0 && m[2] == 0 && m[4] == 0 && m[5] == 1 && m[6] == 0 && m[8] == 0 &&
                          m[9] == 0 && m[10] == 1;
        e.boneFrame = -1;
        e.useCount = r.I32(at + 64);
        e.referenceCount = r.I32(at + 68);
        const int32_t data = r.I32(at + 72);
        const int first = Slot(r.skinDataAt, 8, r.skinData, data);
        if (e.referenceCount < 0 || (e.referenceCount > 0 && (first < 0 || first + (int64_t)e.referenceCount > r.skinData)))
            return r.Fail("スキニング行列");
        e.references = TakeArray<int32_t>(r, 2 * (uint64_t)e.referenceCount);
        if (!e.references) return false;
        for (int k = 0; k < 2 * e.referenceCount; ++k) e.references[k] = r.I32(r.skinDataAt + 8 * (uint32_t)first + 4 * (uint32_t)k);
    }
    for (int i = 0; i < base->frameCount; ++i) {
        const uint32_t at = r.frames.offsets[i];
        MV1FRAME &f = base->frames[i];
        const int32_t runCount = r.I32(at + 156);
        const int run = Slot(r.skinsAt, MV1_SKIN_BYTES, r.skins, r.I32(at + 160));
        if (runCount < 0 || (runCount > 0 && (run < 0 || run + (int64_t)runCount > r.skins)))
            return r.Fail("フレームのスキニング行列");
        for (int k = 0; k < runCount; ++k) {
            MV1SKINBONE &e = base->skinBones[run + k];
            if (e.boneFrame != -1) return r.Fail("フレームのスキニング行列");
            e.boneFrame = i;
        }
        f.firstSkinBone = runCount > 0 ? run : -1;
        f.skinBoneCount = runCount;
        const int32_t refCount = r.I32(at + 164);
        const int refs = Slot(r.skinRefsAt, 4, r.skinRefs, r.I32(at + 168));
        if (refCount < 0 || (refCount > 0 && (refs < 0 || refs + (int64_t)refCount > r.skinRefs)))
            return r.Fail("フレームのスキニング行列");
        f.skinRefCount = refCount;
        f.skinRefs = TakeArray<MV1SKINBONE *>(r, (uint64_t)refCount);
        if (!f.skinRefs) return false;
        for (int k = 0; k < refCount; ++k) {
            const int e = Slot(r.skinsAt, MV1_SKIN_BYTES, r.skins, r.I32(r.skinRefsAt + 4 * (uint32_t)(refs + k)));
            if (e < 0) return r.Fail("フレームのスキニング行列");
            f.skinRefs[k] = &base->skinBones[e];
        }
        base->skinRefTotal += refCount;
    }
    for (int i = 0; i < r.skins; ++i) {
        const MV1SKINBONE &e = base->skinBones[i];
        if (e.boneFrame < 0) return r.Fail("スキニング行列");
        for (int k = 0; k < e.referenceCount; ++k) {
            const int frame = e.references[2 * k], slot = e.references[2 * k + 1];
            if (frame < 0 || frame >= base->frameCount || slot < 0 || slot >= base->frames[frame].skinRefCount)
                return r.Fail("スキニング行列");
        }
    }
    return true;
}

// ---- textures and materials ----------------------------------------------------------------

int ReadTextures(MV1READER &r, const char *folder) {
    MV1BASE *base = r.base;
    base->textures = TakeArray<MV1TEXTURE>(r, (uint64_t)r.textures.count);
    if (!base->textures) return -1;
    for (int i = 0; i < r.textures.count; ++i) {
        const uint32_t at = r.textures.offsets[i];
        MV1TEXTURE &e = base->textures[base->textureCount++];
        e.graph = -1;
        const char *colour = nullptr, *alpha = nullptr;
        if (!r.Name(r.I32(at + 8), &e.name) || !r.Name(r.I32(at + 16), &colour) || !r.Name(r.I32(at + 20), &alpha))
            return r.Fail("テクスチャ"), -1;
        e.bump = r.I32(at + 24);
        e.bumpHeight = r.F32(at + 28);
        e.addressU = r.I32(at + 32);
        e.addressV = r.I32(at + 36);
        e.filterMode = r.I32(at + 40);
        if (e.addressU < 1 || e.addressU > 5 || e.addressV < 1 || e.addressV > 5 || e.filterMode < 0 || e.filterMode > 2)
            return r.Fail("テクスチャ"), -1;
        char colourFull[PATH_BUFFER_SIZE], alphaFull[PATH_BUFFER_SIZE];
        const bool hasColour = colour && BuildFullPath(colour, colourFull, folder) == 0;
        const bool hasAlpha = alpha && BuildFullPath(alpha, alphaFull, folder) == 0;
        MV1TEXTUREFILES &f = e.files;
        if (LoadModelTexture(&f.colourImage, &f.colourImageSize, &f.alphaImage, &f.alphaImageSize, &e.graph,
                             &e.usesAlpha, &f.colourPath, &f.alphaPath, hasColour ? colourFull : nullptr,
                             hasAlpha ? alphaFull : nullptr, folder, e.bump, e.bumpHeight) != 0) {
            WriteLogFmt("MV1 LoadModel Error : テクスチャ %s の読み込みに失敗しました", e.name ? e.name : "");
            return 1;
        }
        GetGraphExtent(e.graph, &e.width, &e.height);
    }
    return 0;
}

bool ReadMaterials(MV1READER &r) {
    MV1BASE *base = r.base;
    base->materialCount = r.materials.count;
    base->materials = TakeArray<MV1MATERIAL>(r, (uint64_t)r.materials.count);
    r.kept->materials = TakeArray<int32_t>(r, 3 * (uint64_t)r.materials.count);
    if (!base->materials || !r.kept->materials) return false;
    for (int i = 0; i < r.materials.count; ++i) {
        const uint32_t at = r.materials.offsets[i];
        MV1MATERIAL &m = base->materials[i];
        m.index = i;
        if (!r.Name(r.I32(at + 8), &m.name)) return r.Fail("マテリアル");
        COLOUR_F *colours[4] = {&m.diffuse, &m.ambient, &m.specular, &m.emissive};
        for (int c = 0; c < 4; ++c) {
            const uint32_t p = at + 16 + 16 * (uint32_t)c;
            *colours[c] = COLOUR_F{r.F32(p), r.F32(p + 4), r.F32(p + 8), r.F32(p + 12)};
        }
        m.power = r.F32(at + 80);
        int32_t *counts[3] = {&m.diffuseLayerCount, &m.specularLayerCount, &m.normalLayerCount};
        MV1LAYER *layers[3] = {m.diffuseLayers, m.specularLayers, m.normalLayers};
        const uint32_t groups[3] = {88, 284, 480};
        for (int g = 0; g < 3; ++g) {
            const int32_t count = r.I32(at + groups[g]);
            if (count < 0 || count > MODEL_LAYERS_MAX) return r.Fail("マテリアル");
            *counts[g] = count;
            for (int l = 0; l < count; ++l) {
                const uint32_t slot = at + groups[g] + 4 + 24 * (uint32_t)l;
                layers[g][l] = MV1LAYER{r.I32(slot), r.I32(slot + 4)};
                if (layers[g][l].texture < 0 || layers[g][l].texture >= r.textures.count) return r.Fail("マテリアル");
            }
        }
        for (int k = 0; k < 3; ++k) r.kept->materials[3 * i + k] = r.I32(at + 676 + 4 * (uint32_t)k);
        m.blendMode = r.I32(at + 688);
        m.blendParam = r.I32(at + 692);
        // Not stored: no toon, the read data's defaults.
        m.toonTexture = m.sphereTexture = -1;
        m.toonKind = 2;
        m.sphereMode = 1;
    }
    return true;
}

bool ReadAttachments(MV1READER &r) {
    MV1BASE *base = r.base;
    base->attachmentCount = r.attachments.count;
    base->attachments = TakeArray<MV1ATTACHMENT>(r, (uint64_t)r.attachments.count);
    if (!base->attachments) return false;
    for (int i = 0; i < r.attachments.count; ++i) {
        const uint32_t at = r.attachments.offsets[i];
        MV1ATTACHMENT &a = base->attachments[i];
        if (!r.Name(r.I32(at + 8), &a.name)) return r.Fail("アタッチ情報");
        for (int k = 0; k < 15; ++k) a.values[k] = r.I32(at + 12 + 4 * (uint32_t)k);
        for (int k = 0; k < 7; ++k) a.floats[k] = r.F32(at + 72 + 4 * (uint32_t)k);
    }
    for (int i = 0; i < base->frameCount; ++i) {
        const int a = r.Ref(r.attachments, r.I32(r.frames.offsets[i] + 172), 12);
        if (a == -1) return r.Fail("アタッチ情報");
        base->frames[i].attachment = a >= 0 ? &base->attachments[a] : nullptr;
    }
    return true;
}

// ---- animations ---------------------------------------------------------------------------

bool ReadKeyData(MV1READER &r, MV1KEYSET &k, MV1FILEKEPT::KEYSET &kept, uint32_t data) {
    const int components = k.valueKind == 0 || k.valueKind == 7 ? 4 : k.valueKind == 1 ? 3 : k.valueKind == 5 ? 1 : 0;
    if (components == 0) return true;  // a kind sampling does not know: kept without keys
    MV1CURSOR c(r, data);
    const uint16_t flags = kept.flags;
    if (k.target == 18) k.shape = (int32_t)c.U16();
    uint32_t count = 1;
    k.timing = 0;
    k.start = 0.0f;
    k.step = 1.0f;
    if (!(flags & MV1K_ONE_KEY)) {
        count = (flags & MV1K_COUNT_U8) ? c.U8() : (flags & MV1K_COUNT_U16) ? c.U16() : c.U32();
        // Every key takes at least one byte a component, so the image bounds the count.
        if (!c.ok || count > r.size) return r.Fail("アニメーションキー");
        if (flags & MV1K_EVEN) {
            k.start = (flags & MV1K_START_U16) ? (float)c.U16() : (flags & MV1K_NO_START) ? 0.0f : c.F32();
            k.step = (flags & MV1K_STEP_U16) ? (float)c.U16() : c.F32();
        } else {
            k.timing = 1;
            float *times = TakeArray<float>(r, count);
            if (!times) return false;
            if (flags & MV1K_TIMES_PACKED) {
                kept.timeHeader[0] = (uint8_t)c.U8();
                kept.timeHeader[1] = (uint8_t)c.U8();
                const float minimum = PackedFloatMinimum(kept.timeHeader[0]), step = PackedFloatStep(kept.timeHeader[1]);
                for (uint32_t i = 0; i < count && c.ok; ++i) times[i] = PackedFloatValue(minimum, step, c.U16());
            } else {
                for (uint32_t i = 0; i < count && c.ok; ++i) times[i] = c.F32();
            }
            k.times = times;
        }
    }
    k.keyCount = (int32_t)count;
    float *values = TakeArray<float>(r, (uint64_t)count * components);
    if (!values) return false;
    const uint64_t n = (uint64_t)count * components;
    if (!(flags & MV1K_VALUES_PACKED)) {
        for (uint64_t i = 0; i < n && c.ok; ++i) values[i] = c.F32();
    } else if (flags & (MV1K_ANGLE_SIGNED | MV1K_ANGLE)) {
        for (uint64_t i = 0; i < n && c.ok; ++i) values[i] = PackedAngle(c.U16(), (flags & MV1K_ANGLE_SIGNED) != 0);
    } else {
        kept.valueHeader[0] = (uint8_t)c.U8();
        kept.valueHeader[1] = (uint8_t)c.U8();
        const float minimum = PackedFloatMinimum(kept.valueHeader[0]), step = PackedFloatStep(kept.valueHeader[1]);
        for (uint64_t i = 0; i < n && c.ok; ++i) values[i] = PackedFloatValue(minimum, step, c.U16());
    }
    k.values = values;
    return c.ok || r.Fail("アニメーションキー");
}

bool ReadAnimations(MV1READER &r) {
    MV1BASE *base = r.base;
    base->keySetCount = r.keySets;
    base->keySets = TakeArray<MV1KEYSET>(r, (uint64_t)r.keySets);
    r.kept->keySets = TakeArray<MV1FILEKEPT::KEYSET>(r, (uint64_t)r.keySets);
    if (!base->keySets || !r.kept->keySets) return false;
    for (int i = 0; i < r.keySets; ++i) {
        const uint32_t at = r.keySetsAt + (uint32_t)i * MV1_KEY_SET_BYTES;
        MV1KEYSET &k = base->keySets[i];
        k.valueKind = r.image[at];
        k.target = r.image[at + 1];
        r.kept->keySets[i].flags = r.U16(at + 2);
        if (!ReadKeyData(r, k, r.kept->keySets[i], r.U32(at + 4))) return false;
    }
    base->animSetCount = r.sets.count;
    base->animSets = TakeArray<MV1ANIMSET>(r, (uint64_t)r.sets.count);
    base->animCount = r.anims;
    base->anims = TakeArray<MV1ANIM>(r, (uint64_t)r.anims);
    base->animTable = TakeArray<MV1ANIM *>(r, (uint64_t)r.sets.count * (uint64_t)base->frameCount);
    if (!base->animSets || !base->anims || !base->animTable) return false;
    for (int i = 0; i < r.anims; ++i) {
        const uint32_t at = r.animsAt + (uint32_t)i * r.animSize;
        MV1ANIM &a = base->anims[i];
        a.index = i;
        const int set = r.Ref(r.sets, r.I32(at + 4), 12);
        a.frame = r.I32(at + 8);
        a.value = r.F32(at + 12);
        a.word = r.I32(at + 16);
        a.keySetCount = r.I32(at + 20);
        const int first = Slot(r.keySetsAt, MV1_KEY_SET_BYTES, r.keySets, r.I32(at + 24));
        if (r.I32(at) != i || set < 0 || a.frame < -1 || a.frame >= base->frameCount || a.keySetCount < 0 ||
            (a.keySetCount > 0 && (first < 0 || first + (int64_t)a.keySetCount > r.keySets)))
            return r.Fail("アニメーション");
        a.set = &base->animSets[set];
        a.keySets = a.keySetCount > 0 ? &base->keySets[first] : nullptr;
    }
    int animTotal = 0;
    for (int i = 0; i < r.sets.count; ++i) {
        const uint32_t at = r.sets.offsets[i];
        MV1ANIMSET &s = base->animSets[i];
        s.index = i;
        if (!r.Name(r.I32(at + 8), &s.name)) return r.Fail("アニメーションセット");
        s.totalTime = r.F32(at + 16);
        s.word = r.I32(at + 20);
        s.flags = r.image[at + 44] & 3;
        const int first = Slot(r.animsAt, r.animSize, r.anims, r.I32(at + 24));
        if (first < 0 && r.I32(at + 24) != 0) return r.Fail("アニメーションセット");
        // The set's animations: those naming it, one after another from its first.
        if (first >= 0) {
            s.anims = &base->anims[first];
            while (first + s.animCount < r.anims && base->anims[first + s.animCount].set == &s) ++s.animCount;
        }
        animTotal += s.animCount;
        for (int k = 0; k < s.animCount; ++k) {
            if (s.anims[k].frame < 0) continue;  // its frame was not found when it was made
            MV1ANIM *&slot = base->animTable[(size_t)i * base->frameCount + s.anims[k].frame];
            if (!slot) slot = &s.anims[k];
        }
    }
    return animTotal == r.anims || r.Fail("アニメーション");
}

// ---- the body -------------------------------------------------------------------------------

// The chains and blocks the header names, checked before anything is allocated for the base.
bool ReadLayout(MV1READER &r) {
    if (r.size < kHeaderReach) return r.Fail("ヘッダ");
    r.stringsBytes = r.U32(MV1H_STRING_BYTES);
    r.stringsAt = r.U32(MV1H_STRINGS);
    if (r.stringsBytes > 0 && (r.stringsAt == 0 || !r.Fits(r.stringsAt, r.stringsBytes))) return r.Fail("文字列");
    const uint32_t drawBytes = r.U32(MV1H_DRAW_MASK_BYTES), matrixBytes = r.U32(MV1H_MATRIX_MASK_BYTES);
    r.drawMasksAt = r.U32(MV1H_DRAW_MASKS);
    r.matrixMasksAt = r.U32(MV1H_MATRIX_MASKS);
    if (drawBytes % 4 || matrixBytes % 4 || (drawBytes && !r.Fits(r.drawMasksAt, drawBytes)) ||
        (matrixBytes && !r.Fits(r.matrixMasksAt, matrixBytes)))
        return r.Fail("ビットマスク");
    r.drawMaskWords = drawBytes / 4;
    r.matrixMaskWords = matrixBytes / 4;
    if (!WalkChain(r, r.frames, MV1H_FRAME_COUNT, MV1H_FRAMES, MV1_FRAME_BYTES, 12, "フレーム") ||
        !WalkChain(r, r.textures, MV1H_TEXTURE_COUNT, MV1H_TEXTURES, MV1_TEXTURE_BYTES, -1, "テクスチャ") ||
        !WalkChain(r, r.materials, MV1H_MATERIAL_COUNT, MV1H_MATERIALS, MV1_MATERIAL_BYTES, 12, "マテリアル") ||
        !WalkChain(r, r.attachments, MV1H_ATTACHMENT_COUNT, MV1H_ATTACHMENTS, MV1_ATTACHMENT_BYTES, 12, "アタッチ情報") ||
        !WalkChain(r, r.meshes, MV1H_MESH_COUNT, MV1H_MESHES, MV1_MESH_BYTES, 8, "メッシュ") ||
        !WalkChain(r, r.lists, MV1H_LIST_COUNT, MV1H_LISTS, MV1_LIST_BYTES, 8, "トライアングルリスト") ||
        !WalkChain(r, r.sets, MV1H_ANIM_SET_COUNT, MV1H_ANIM_SETS, MV1_ANIM_SET_BYTES, 12, "アニメーションセット"))
        return false;
    r.skins = r.I32(MV1H_SKIN_COUNT);
    r.skinsAt = r.U32(MV1H_SKINS);
    r.skinData = r.I32(MV1H_SKIN_DATA_COUNT);
    r.skinDataAt = r.U32(MV1H_SKIN_DATA);
    r.skinRefs = r.I32(MV1H_SKIN_REF_COUNT);
    r.skinRefsAt = r.U32(MV1H_SKIN_REFS);
    r.keySets = r.I32(MV1H_KEY_SET_COUNT);
    r.keySetsAt = r.U32(MV1H_KEY_SETS);
    r.anims = r.I32(MV1H_ANIM_COUNT);
    r.animSize = r.U32(MV1H_ANIM_SIZE);
    r.animsAt = r.U32(MV1H_ANIMS);
    if (!Contiguous(r, r.skins, r.skinsAt, MV1_SKIN_BYTES, "スキニング行列") ||
        !Contiguous(r, r.skinData, r.skinDataAt, 8, "スキニング行列") ||
        !Contiguous(r, r.skinRefs, r.skinRefsAt, 4, "スキニング行列") ||
        !Contiguous(r, r.keySets, r.keySetsAt, MV1_KEY_SET_BYTES, "アニメーションキー") ||
        !Contiguous(r, r.anims, r.animsAt, r.animSize, "アニメーション"))
        return false;
    if (r.keySets > 0 && r.I32(MV1H_KEY_SET_SIZE) != MV1_KEY_SET_BYTES) return r.Fail("アニメーションキー");
    if (r.anims > 0 && r.animSize < MV1_ANIM_BYTES) return r.Fail("アニメーション");
    return true;
}

bool CopyBlocks(MV1READER &r) {
    MV1BASE *base = r.base;
    char *strings = TakeArray<char>(r, (uint64_t)r.stringsBytes + 1);
    base->drawStateMasks = TakeArray<uint32_t>(r, r.drawMaskWords);
    base->matrixMasks = TakeArray<uint32_t>(r, r.matrixMaskWords);
    if (!strings || !base->drawStateMasks || !base->matrixMasks) return false;
    if (r.stringsBytes) std::memcpy(strings, r.image + r.stringsAt, r.stringsBytes);
    if (r.drawMaskWords) std::memcpy(base->drawStateMasks, r.image + r.drawMasksAt, 4 * (size_t)r.drawMaskWords);
    if (r.matrixMaskWords) std::memcpy(base->matrixMasks, r.image + r.matrixMasksAt, 4 * (size_t)r.matrixMaskWords);
    r.strings = strings;
    return true;
}

int ReadBody(MV1READER &r, const char *path, const char *name, const char *folder) {
    MV1BASE *base = r.base;
    r.kept = TakeArray<MV1FILEKEPT>(r, 1);
    if (!r.kept || !CopyBlocks(r)) return -1;
    base->kept = r.kept;
    r.kept->header[0] = r.I32(MV1H_KEPT_8);
    r.kept->header[1] = r.I32(MV1H_KEPT_40);
    r.kept->header[2] = r.I32(MV1H_KEPT_164);
    r.kept->header[3] = r.I32(MV1H_KEPT_168);
    auto copy = [&](const char *text) {
        const size_t n = std::strlen(text);
        char *out = TakeArray<char>(r, n + 1);
        if (out) std::memcpy(out, text, n + 1);
        return out;
    };
    base->filePath = copy(path);
    base->name = copy(name);
    base->folder = copy(folder);
    base->meshCount = r.meshes.count;
    base->meshes = TakeArray<MV1MESH>(r, (uint64_t)r.meshes.count);
    base->triangleListCount = r.lists.count;
    base->triangleLists = TakeArray<MV1TRIANGLELIST>(r, (uint64_t)r.lists.count);
    if (!base->filePath || !base->name || !base->folder || !base->meshes || !base->triangleLists) return -1;
    for (int i = 0; i < 2; ++i) {
        const int ref = r.Ref(r.frames, r.I32(MV1H_FRAME_REF_A + 4 * i), 12);
        if (ref == -1) return r.Fail("ヘッダ"), -1;
        r.kept->frameRefs[i] = ref < 0 ? -1 : ref;
    }
    if (!ReadFrames(r) || !ReadSkins(r)) return -1;
    const int textures = ReadTextures(r, folder);
    if (textures != 0) return textures;
    if (!ReadMaterials(r) || !ReadAttachments(r) || !ReadMV1FrameVertices(r) || !ReadMV1Meshes(r) ||
        !ReadMV1Lists(r) || !ReadMV1Shapes(r) || !ReadAnimations(r))
        return -1;
    return 0;
}

}  // namespace

void *MV1READER::Take(uint64_t bytes) {
    if (bytes > budget) {
        Fail("サイズ");
        return nullptr;
    }
    budget -= bytes;
    void *p = AllocChainBlock((size_t)(bytes ? bytes : 1), &base->chain);
    if (!p) Fail(nullptr);
    return p;
}

int MV1READER::Ref(const MV1RECORDS &records, int32_t offset, int numberAt) const {
    if (offset == 0) return -2;
    if (offset < 0 || !Fits((uint32_t)offset, (uint64_t)numberAt + 4)) return -1;
    const int32_t n = I32((uint32_t)offset + (uint32_t)numberAt);
    return n >= 0 && n < records.count && records.offsets[n] == (uint32_t)offset ? n : -1;
}

bool MV1READER::Name(int32_t offset, const char **out) const {
    *out = nullptr;
    if (offset == 0) return true;
    if (offset < 0 || (uint32_t)offset < stringsAt || (uint32_t)offset - stringsAt >= stringsBytes) return false;
    const uint32_t at = (uint32_t)offset - stringsAt;
    if (!std::memchr(strings + at, 0, stringsBytes - at)) return false;
    *out = strings + at;
    return true;
}

int ReadMV1File(const void *file, int fileSize, const char *path, const char *name, const char *folder) {
    const auto *bytes = static_cast<const uint8_t *>(file);
    if (!file || fileSize < 4 || std::memcmp(bytes, MV1_MAGIC, 4) != 0) return -1;
    if (!g_modelSystem.started) return -1;
    const int32_t decoded = DecodeLzBlock(bytes + 4, (size_t)fileSize - 4, nullptr, 0);
    if (decoded < 0) {
        WriteLog("MV1 LoadModel Error : 圧縮データが壊れています");
        return -1;
    }
    auto *image = static_cast<uint8_t *>(AllocMemBlock((size_t)decoded + 4, nullptr, -1));
    if (!image) {
        WriteLog("MV1 LoadModel Error : 圧縮データを解凍するためのメモリ領域の確保に失敗しました");
        return -1;
    }
    std::memcpy(image, MV1_MAGIC, 4);
    if (DecodeLzBlock(bytes + 4, (size_t)fileSize - 4, image + 4, (size_t)decoded) != decoded) {
        FreeMemBlock(image);
        WriteLog("MV1 LoadModel Error : 圧縮データが壊れています");
        return -1;
    }

    char folderSlash[PATH_BUFFER_SIZE];
    const size_t folderLength = folder ? std::strlen(folder) : 0;
    if (folderLength + 2 > sizeof folderSlash) {
        FreeMemBlock(image);
        return WriteLog("MV1 LoadModel Error : フォルダパスが長すぎます");
    }
    std::memcpy(folderSlash, folder ? folder : "", folderLength + 1);
    if (folderLength == 0 || (folderSlash[folderLength - 1] != '\\' && folderSlash[folderLength - 1] != '/'))
        std::strcat(folderSlash, "/");

    MV1READER r{};
    r.image = image;
    r.size = (uint64_t)decoded + 4;
    r.budget = kBaseBudget;
    int handle = -1;
    int result = ReadLayout(r) ? 0 : -1;
    if (result == 0) {
        handle = AddModelBaseSlot();
        r.base = static_cast<MV1BASE *>(AllocMemBlockZero(sizeof(MV1BASE), nullptr, -1));
        if (handle == -1 || !r.base || StoreModelBase(handle, r.base) != 0) {
            FreeMemBlock(r.base);
            r.base = nullptr;
            if (handle != -1) ReleaseModelBase(handle);
            handle = -1;
            result = -1;
        } else {
            result = ReadBody(r, path ? path : "", name ? name : "", folderSlash);
        }
    }
    for (MV1RECORDS *c : {&r.frames, &r.textures, &r.materials, &r.meshes, &r.lists, &r.attachments, &r.sets,
                          &r.shapes, &r.shapeMeshes})
        FreeMemBlock(c->offsets);
    FreeMemBlock(image);
    if (result != 0) {
        // A texture failure has logged its own line.
        if (result < 0)
            WriteLogFmt("MV1 LoadModel Error : モデルファイル %s の%sのデータが不正です", path ? path : "",
                        r.damaged ? r.damaged : "メモリ確保");
        if (handle != -1) ReleaseModelBase(handle);
        return -1;
    }

    // Normals where the file stores none, tangents, bind matrices, list vertices, totals.
    MV1BASE *base = r.base;
    for (int i = 0; i < base->frameCount; ++i) {
        MV1FRAME &f = base->frames[i];
        if ((r.kept->frames[i].packing & MV1F_NORMALS_MASK) != 0) continue;
        for (int m = 0; m < f.meshCount; ++m) {
            const MV1MESH &mesh = f.meshes[m];
            for (int t = 0; t < mesh.faceCount; ++t) {
                const MV1MESHVERTEX *v[3];
                for (int k = 0; k < 3; ++k) v[k] = MeshVertex(&mesh, mesh.faces[t].vertex[k]);
                const VEC3 n = TriangleNormal(FramePosition(&f, v[0]->position)->position,
                                              FramePosition(&f, v[1]->position)->position,
                                              FramePosition(&f, v[2]->position)->position);
                for (int k = 0; k < 3; ++k) AddVector(&f.normals[v[k]->normal].normal, &f.normals[v[k]->normal].normal, &n);
            }
        }
        for (int n = 0; n < f.normalCount; ++n) NormalizeVector(&f.normals[n].normal, &f.normals[n].normal);
    }
    for (int i = 0; i < base->meshCount; ++i)
        if (BuildMeshTangents(&base->meshes[i]) != 0) {
            ReleaseModelBase(handle);
            return -1;
        }
    SetupFrameBindMatrices(base);
    for (int i = 0; i < base->triangleListCount; ++i) FillTriangleListVertices(&base->triangleLists[i]);
    RefreshModelBaseTotals(base);
    return handle;
}
