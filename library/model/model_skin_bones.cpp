// The skin-bone entries of a new base made unique (one per bone frame and bind matrix) and
// sorted by bone frame, so that a bone frame's entries lie in one run its matrix update walks.
#include "library/base/log.h"
#include "library/base/memory.h"
#include "library/model/model_convert.h"

#include <cstring>

int OptimizeModelSkinBones(MV1BASE *base) {
    const int n = base->skinBoneCount;
    for (int i = 0; i < base->frameCount; ++i) {
        base->frames[i].firstSkinBone = -1;
        base->frames[i].skinBoneCount = 0;
    }
    if (n <= 0) return 1;
    auto *kept = static_cast<MV1SKINBONE *>(AllocMemBlock(sizeof(MV1SKINBONE) * (size_t)n, nullptr, -1));
    auto *keptOf = static_cast<int32_t *>(AllocMemBlock(sizeof(int32_t) * (size_t)n * 3, nullptr, -1));
    if (!kept || !keptOf) {
        FreeMemBlock(kept);
        FreeMemBlock(keptOf);
        WriteLog("Model Optimize Error : スキニングメッシュ情報最適化処理で使用するテンポラリバッファの確保に失敗しました\n");
        return 0;
    }
    int32_t *order = keptOf + n, *position = keptOf + 2 * n;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const MV1SKINBONE &e = base->skinBones[i];
        int j = 0;
        while (j < count && !(kept[j].boneFrame == e.boneFrame &&
                              std::memcmp(&kept[j].matrix, &e.matrix, sizeof(MAT34)) == 0))
            ++j;
        if (j == count) {
            kept[count] = e;
            kept[count].useCount = 0;
            kept[count].referenceCount = 0;
            ++count;
        }
        kept[j].useCount += e.useCount;
        kept[j].referenceCount += e.referenceCount;
        keptOf[i] = j;
    }
    // Exchange sort by bone frame: every later entry with a smaller frame is swapped in.
    for (int i = 0; i < count; ++i) order[i] = i;
    for (int a = 0; a < count; ++a)
        for (int b = a + 1; b < count; ++b)
            if (kept[order[b]].boneFrame < kept[order[a]].boneFrame) {
                const int t = order[a];
                order[a] = order[b];
                order[b] = t;
            }
    bool changed = count != n;
    for (int i = 0; i < count; ++i) {
        position[order[i]] = i;
        changed = changed || order[i] != i;
    }
    int result = 1;
    if (changed) {
        // The references in their former order, each pointing its frame's slot at the new entry.
        auto **refs = static_cast<int32_t **>(AllocMemBlock(sizeof(int32_t *) * (size_t)count, nullptr, -1));
        if (refs) {
            for (int i = 0; i < count && result; ++i) {
                MV1SKINBONE &k = kept[order[i]];
                refs[i] = static_cast<int32_t *>(AllocChainBlock(sizeof(int32_t) * 2 * (size_t)k.referenceCount + 4,
                                                                 &base->chain));
                if (!refs[i]) result = 0;
                k.referenceCount = 0;
            }
        }
        if (!refs || !result) {
            WriteLog("Model Optimize Error : スキニングメッシュ情報最適化処理で使用するテンポラリバッファの確保に失敗しました\n");
            FreeMemBlock(refs);
            FreeMemBlock(kept);
            FreeMemBlock(keptOf);
            return 0;
        }
        for (int i = 0; i < n; ++i) {
            const MV1SKINBONE &e = base->skinBones[i];
            MV1SKINBONE &k = kept[keptOf[i]];
            const int at = position[keptOf[i]];
            std::memcpy(refs[at] + 2 * k.referenceCount, e.references, sizeof(int32_t) * 2 * (size_t)e.referenceCount);
            k.referenceCount += e.referenceCount;
        }
        for (int i = 0; i < count; ++i) {
            base->skinBones[i] = kept[order[i]];
            base->skinBones[i].references = refs[i];
        }
        base->skinBoneCount = count;
        for (int i = 0; i < count; ++i) {
            const MV1SKINBONE &e = base->skinBones[i];
            for (int r = 0; r < e.referenceCount; ++r)
                base->frames[e.references[2 * r]].skinRefs[e.references[2 * r + 1]] = &base->skinBones[i];
        }
        FreeMemBlock(refs);
    }
    for (int i = 0; i < base->skinBoneCount; ++i) {
        MV1FRAME &bone = base->frames[base->skinBones[i].boneFrame];
        if (bone.firstSkinBone < 0) bone.firstSkinBone = i;
        ++bone.skinBoneCount;
    }
    FreeMemBlock(kept);
    FreeMemBlock(keptOf);
    return result;
}
