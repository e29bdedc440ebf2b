// VMD motions of a PMD model: every bone's curves baked to one key per frame, the IK chains solved
// at every frame for the bones IK moves, and the morph keys kept as they are. Counts, names and
// frame numbers are checked before use; a motion longer than VMD_FRAMES_MAX frames is refused.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/model/model_load_data.h"
#include "library/model/pmd_reader.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char kMagic[26] = "Vocaloid Motion Data 0002";
constexpr int kHeaderBytes = 50, kBoneKeyBytes = 111, kMorphKeyBytes = 23, kNameBytes = 15;

struct NAMEENTRY {
    int32_t count;
    int64_t last, first;
    char name[kNameBytes + 1];
    int32_t head, tail;  // the key list in frame order
};

struct KEY {
    int64_t frame;
    VEC3 position;
    float rotation[4];
    uint8_t linear[4];
    float control[4][4];  // per channel x1, y1, x2, y2, already times 3
    float weight;         // morph keys
    int32_t next;
};

struct NAMETABLE {
    int32_t count;
    NAMEENTRY *entries;
    KEY *keys;
};

uint32_t U32(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24; }
float F32(const uint8_t *p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

int PmdFail(const char *text) { return WriteLogFmt("PMD Load Error : %s", text); }

// Keys of one kind read into a name table: names in order of first appearance, each with its keys
// in frame order (equal frames in file order). 0, or -1 after a line.
int ReadKeys(const uint8_t *records, int count, int recordBytes, bool bones, NAMETABLE *table, const char *keyFailure) {
    table->entries = static_cast<NAMEENTRY *>(AllocMemBlock(sizeof(NAMEENTRY) * VMD_NAMES_MAX, nullptr, -1));
    if (!table->entries) return WriteLogFmt("VMD Load Error : ノード情報格納用のメモリの確保に失敗しました\n");
    table->keys = static_cast<KEY *>(AllocMemBlock(sizeof(KEY) * (size_t)(count > 0 ? count : 1), nullptr, -1));
    if (!table->keys) return PmdFail(keyFailure);
    for (int i = 0; i < count; ++i) {
        const uint8_t *r = records + (size_t)i * recordBytes;
        char name[kNameBytes + 1];
        std::memcpy(name, r, kNameBytes);
        name[kNameBytes] = '\0';
        const uint32_t frame = U32(r + 15);
        if (frame > VMD_FRAMES_MAX)
            return WriteLogFmt("VMD Load Error : キーのフレーム番号( %u )が上限の %lld を超えています\n", frame,
                               (long long)VMD_FRAMES_MAX);
        int e = 0;
        while (e < table->count && std::memcmp(table->entries[e].name, r, kNameBytes) != 0) ++e;
        if (e == table->count) {
            if (table->count == VMD_NAMES_MAX)
                return WriteLogFmt("VMD Load Error : 名前の数が上限の %d を超えています\n", VMD_NAMES_MAX);
            NAMEENTRY &n = table->entries[table->count++];
            n = NAMEENTRY{};
            std::memcpy(n.name, name, sizeof n.name);
            n.first = INT64_MAX;
            n.head = n.tail = -1;
        }
        KEY &k = table->keys[i];
        k = KEY{};
        k.frame = frame;
        if (bones) {
            k.position = VEC3{F32(r + 19), F32(r + 23), F32(r + 27)};
            for (int c = 0; c < 4; ++c) k.rotation[c] = F32(r + 31 + 4 * c);
            const uint8_t *block = r + 47;
            for (int channel = 0; channel < 4; ++channel) {
                const uint8_t *b = block + 16 * channel;
                for (int c = 0; c < 4; ++c) k.control[channel][c] = (float)(int8_t)b[4 * c] / 127.0f * 3.0f;
                k.linear[channel] = b[0] == b[4] && b[8] == b[12];
            }
        } else {
            k.weight = F32(r + 19);
        }
        // Into the name's list after every key of a frame not above its own.
        NAMEENTRY &n = table->entries[e];
        k.next = -1;
        if (n.head < 0 || table->keys[n.tail].frame <= k.frame) {
            if (n.tail >= 0) table->keys[n.tail].next = i;
            else n.head = i;
            n.tail = i;
        } else if (table->keys[n.head].frame > k.frame) {
            k.next = n.head;
            n.head = i;
        } else {
            int at = n.head;
            while (table->keys[at].next >= 0 && table->keys[table->keys[at].next].frame <= k.frame) at = table->keys[at].next;
            k.next = table->keys[at].next;
            table->keys[at].next = i;
        }
        ++n.count;
        if (k.frame > n.last) n.last = k.frame;
        if (k.frame < n.first) n.first = k.frame;
    }
    return 0;
}

void FreeTable(NAMETABLE *t) {
    FreeMemBlock(t->entries);
    FreeMemBlock(t->keys);
    *t = NAMETABLE{};
}

// The curve's fraction at t for one channel.
float Fraction(const KEY &key, int channel, float t) {
    if (key.linear[channel]) return t;
    const float x1 = key.control[channel][0], y1 = key.control[channel][1];
    const float x2 = key.control[channel][2], y2 = key.control[channel][3];
    float s = t;
    for (int i = 0; i < 32; ++i) {
        const float e = s * s * s + x2 * s * s * (1 - s) + x1 * s * (1 - s) * (1 - s) - t;
        if (std::fabs(e) < 0.0001f) break;
        s -= e / 2;
    }
    return s * s * s + y2 * s * s * (1 - s) + y1 * s * (1 - s) * (1 - s);
}

void StoreKey(PMDBONE *bone, int64_t frame, const VEC3 &position, const float *rotation) {
    const int64_t i = frame - bone->keyStart;
    MODELLOADKEYSET *t = bone->translationKeys, *r = bone->rotationKeys;
    t->times[i] = r->times[i] = (float)frame;
    const VEC3 &rest = bone->frame->translation;
    t->values[i * 3] = position.x + rest.x;
    t->values[i * 3 + 1] = position.y + rest.y;
    t->values[i * 3 + 2] = position.z + rest.z;
    NormalizeQuaternion(rotation, r->values + i * 4);
}

void Bake(PMDBONE *bone, const NAMETABLE &table, const NAMEENTRY &n, int64_t length) {
    const KEY *keys = table.keys;
    const KEY &first = keys[n.head], &last = keys[n.tail];
    if (bone->ik)
        for (int64_t f = 0; f < first.frame; ++f) StoreKey(bone, f, first.position, first.rotation);
    for (int a = n.head; keys[a].next >= 0; a = keys[a].next) {
        const KEY &k0 = keys[a], &k1 = keys[keys[a].next];
        const float span = (float)(k1.frame - k0.frame);
        const float d = k0.rotation[0] * k1.rotation[0] + k0.rotation[1] * k1.rotation[1] + k0.rotation[2] * k1.rotation[2] +
                        k0.rotation[3] * k1.rotation[3];
        for (int64_t f = k0.frame; f < k1.frame; ++f) {
            const float t = (float)(f - k0.frame) / span;
            const float fx = Fraction(k1, 0, t), fy = Fraction(k1, 1, t), fz = Fraction(k1, 2, t), r = Fraction(k1, 3, t);
            const VEC3 p{k0.position.x + (k1.position.x - k0.position.x) * fx, k0.position.y + (k1.position.y - k0.position.y) * fy,
                         k0.position.z + (k1.position.z - k0.position.z) * fz};
            const float sign = d >= 0 ? 1.0f : -1.0f;
            float q[4];
            for (int c = 0; c < 4; ++c) q[c] = (1 - r) * k0.rotation[c] + sign * r * k1.rotation[c];
            StoreKey(bone, f, p, q);
        }
    }
    StoreKey(bone, last.frame, last.position, last.rotation);
    if (bone->ik)
        for (int64_t f = last.frame + 1; f <= length; ++f) StoreKey(bone, f, last.position, last.rotation);
}

// An animation with its translation and rotation key sets of `keys` keys. 0 / -1 after a line.
int AddBoneAnimation(MODELLOADDATA *data, MODELLOADANIMSET *set, PMDBONE *bone, float time, float baseTime, int64_t keys,
                     const char *keySetFailure, const char *rotationFailure) {
    // The key data's size is a 32-bit total.
    if (data->keyDataSize + keys * (16 + 4 + 12 + 4) > INT32_MAX)
        return WriteLogFmt("VMD Load Error : アニメーションキーのデータサイズが大きすぎます\n");
    if (!(bone->anim = AddModelLoadAnim(data, set))) return PmdFail("アニメーションの追加に失敗しました\n");
    bone->anim->frameName = AddModelLoadString(data, bone->frame->name);
    if (!bone->anim->frameName) return PmdFail("アニメーションの追加に失敗しました\n");
    bone->anim->frameIndex = bone->frame->index;
    bone->anim->value = time;
    if (!(bone->translationKeys = AddModelLoadKeySet(data, bone->anim))) return PmdFail(keySetFailure);
    if (!(bone->rotationKeys = AddModelLoadKeySet(data, bone->anim))) return PmdFail(rotationFailure);
    struct {
        MODELLOADKEYSET *set;
        uint8_t kind, type;
        int values;
    } sets[] = {{bone->translationKeys, MODELKEY_TRANSLATE, MODELKEY_VECTOR, 3},
                {bone->rotationKeys, MODELKEY_ROTATE, MODELKEY_QUATERNION_COLUMN, 4}};
    for (auto &s : sets) {
        s.set->kind = s.kind;
        s.set->dataType = s.type;
        s.set->timeType = 1;
        s.set->baseTime = baseTime;
        s.set->keyCount = (int32_t)keys;
        if (!(s.set->times = static_cast<float *>(AllocModelLoadBlock(data, sizeof(float) * (size_t)keys))))
            return PmdFail("アニメーションキータイムを格納するメモリ領域の確保に失敗しました\n");
        if (!(s.set->values = static_cast<float *>(AllocModelLoadBlock(data, sizeof(float) * (size_t)(keys * s.values)))))
            return PmdFail("アニメーションキーを格納するメモリ領域の確保に失敗しました\n");
        data->keyDataSize += (int32_t)(keys * (ModelKeyValueSize(s.type) + 4));
    }
    return 0;
}

// The bone's pose at frame f before IK: its baked key nearest f, or its rest pose.
void PoseAt(PMDBONE *bone, int64_t f) {
    if (!bone->anim || bone->ikOnly) {
        bone->translation = bone->frame->translation;
        bone->quaternion[0] = bone->quaternion[1] = bone->quaternion[2] = 0, bone->quaternion[3] = 1;
        return;
    }
    int64_t i = f - bone->keyStart;
    const int64_t count = bone->translationKeys->keyCount;
    i = i < 0 ? 0 : i >= count ? count - 1 : i;
    const float *t = bone->translationKeys->values + i * 3, *r = bone->rotationKeys->values + i * 4;
    bone->translation = VEC3{t[0], t[1], t[2]};
    std::memcpy(bone->quaternion, r, sizeof bone->quaternion);
}

int Motion(const uint8_t *bytes, int size, MODELLOADDATA *data, const char *setName, PMDBONE *bones, int boneCount,
           const PMDIKCHAIN *firstChain, NAMETABLE *boneTable, NAMETABLE *morphTable) {
    const int64_t boneKeys = U32(bytes + kHeaderBytes);
    int64_t at = kHeaderBytes + 4;
    if (boneKeys * kBoneKeyBytes > size - at) return WriteLogFmt("VMD Load Error : ボーンキーの途中でファイルが終わっています\n");
    if (ReadKeys(bytes + at, (int)boneKeys, kBoneKeyBytes, true, boneTable, "アニメーションキーを格納するメモリの確保に失敗しました\n") != 0)
        return -1;
    at += boneKeys * kBoneKeyBytes;
    int64_t morphKeys = 0;
    if (size - at >= 4) {
        morphKeys = U32(bytes + at);
        at += 4;
        if (morphKeys * kMorphKeyBytes > size - at) return WriteLogFmt("VMD Load Error : 表情キーの途中でファイルが終わっています\n");
    }
    MODELLOADANIMSET *set = AddModelLoadAnimSet(data, setName);
    if (!set) return PmdFail("アニメーションセットの追加に失敗しました\n");
    if (ReadKeys(bytes + at, (int)morphKeys, kMorphKeyBytes, false, morphTable, "表情キーを格納するメモリの確保に失敗しました\n") != 0)
        return -1;

    int64_t length = 0;
    for (const NAMETABLE *t : {boneTable, morphTable})
        for (int e = 0; e < t->count; ++e)
            if (t->entries[e].last > length) length = t->entries[e].last;
    set->totalTime = (float)length;

    for (int b = 0; b < boneCount; ++b) {
        bones[b].anim = nullptr;
        bones[b].ikOnly = 0;
    }
    for (int e = 0; e < boneTable->count; ++e) {
        const NAMEENTRY &n = boneTable->entries[e];
        PMDBONE *bone = nullptr;
        for (int b = 0; b < boneCount && !bone; ++b)
            if (!bones[b].anim && std::strcmp(bones[b].frame->name, n.name) == 0) bone = &bones[b];
        if (!bone) continue;
        bone->keyStart = bone->ik ? 0 : (int32_t)n.first;
        const int64_t keys = bone->ik ? length + 1 : n.last - n.first + 1;
        if (AddBoneAnimation(data, set, bone, (float)(bone->ik ? length : n.last), (float)n.last, keys,
                             "アニメーション座標キーセットの追加に失敗しました\n", "アニメーション回転キーセットの追加に失敗しました\n") != 0)
            return -1;
        Bake(bone, *boneTable, n, length);
    }
    bool anyIk = false;
    for (int b = 0; b < boneCount; ++b) {
        PMDBONE *bone = &bones[b];
        if (!bone->ik) continue;
        anyIk = true;
        if (bone->anim) continue;
        bone->keyStart = 0;
        if (AddBoneAnimation(data, set, bone, (float)length, (float)length, length + 1,
                             "アニメーションキーセットの追加に失敗しました\n", "アニメーションキーセットの追加に失敗しました\n") != 0)
            return -1;
        bone->ikOnly = 1;
    }
    if (anyIk) {
        for (int64_t f = 0; f <= length; ++f) {
            for (int b = 0; b < boneCount; ++b) PoseAt(&bones[b], f);
            UpdatePmdBoneMatrices(boneCount, bones);
            SolvePmdIK(firstChain, bones);
            for (int b = 0; b < boneCount; ++b) {
                PMDBONE *bone = &bones[b];
                if (!bone->ik) continue;
                bone->translationKeys->times[f] = bone->rotationKeys->times[f] = (float)f;
                std::memcpy(bone->translationKeys->values + f * 3, &bone->translation, sizeof(float) * 3);
                std::memcpy(bone->rotationKeys->values + f * 4, bone->quaternion, sizeof bone->quaternion);
            }
        }
    }

    if (morphTable->count > 0) {
        MODELLOADANIM *anim = AddModelLoadAnim(data, set);
        if (!anim || !(anim->frameName = AddModelLoadString(data, "Mesh"))) return PmdFail("アニメーションの追加に失敗しました\n");
        anim->frameIndex = 0;
        anim->value = 0;
        for (int e = 0; e < morphTable->count; ++e) {
            const NAMEENTRY &n = morphTable->entries[e];
            int position = 0;
            const MODELLOADSHAPE *shape = data->firstFrame ? data->firstFrame->firstShape : nullptr;
            for (; shape && std::strcmp(shape->name, n.name) != 0; shape = shape->nextInFrame) ++position;
            if (!shape) continue;
            if ((float)n.last > anim->value) anim->value = (float)n.last;
            MODELLOADKEYSET *keys = AddModelLoadKeySet(data, anim);
            if (!keys) return PmdFail("アニメーション表情キーセットの追加に失敗しました\n");
            keys->kind = MODELKEY_SHAPE;
            keys->dataType = MODELKEY_FLOAT;
            keys->timeType = 1;
            keys->word = position;
            keys->baseTime = (float)n.last;
            keys->keyCount = n.count;
            keys->times = static_cast<float *>(AllocModelLoadBlock(data, sizeof(float) * (size_t)n.count));
            if (!keys->times) return PmdFail("アニメーションキータイムを格納するメモリ領域の確保に失敗しました\n");
            keys->values = static_cast<float *>(AllocModelLoadBlock(data, sizeof(float) * (size_t)n.count));
            if (!keys->values) return PmdFail("アニメーションキーを格納するメモリ領域の確保に失敗しました\n");
            int i = 0;
            for (int k = n.head; k >= 0; k = morphTable->keys[k].next, ++i) {
                keys->times[i] = (float)morphTable->keys[k].frame;
                keys->values[i] = morphTable->keys[k].weight;
            }
            data->keyDataSize += n.count * (ModelKeyValueSize(MODELKEY_FLOAT) + 4);
        }
    }
    return 0;
}

}  // namespace

int ReadVmdMotion(const void *image, int size, MODELLOADDATA *data, const char *setName, PMDBONE *bones, int boneCount,
                  const PMDIKCHAIN *firstChain) {
    const auto *bytes = static_cast<const uint8_t *>(image);
    if (size < (int)sizeof kMagic || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return -1;
    if (size < kHeaderBytes + 4) return WriteLogFmt("VMD Load Error : ヘッダの途中でファイルが終わっています\n");
    NAMETABLE boneTable{}, morphTable{};
    const int result = Motion(bytes, size, data, setName, bones, boneCount, firstChain, &boneTable, &morphTable);
    FreeTable(&boneTable);
    FreeTable(&morphTable);
    return result;
}
