#include "tools/mv1write/mv1_writer.h"

#include "library/model/model.h"
#include "library/model/model_base.h"
#include "library/model/model_load_data.h"
#include "library/model/model_vertices.h"
#include "library/model/mv1_format.h"
#include "tools/lz/lz_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// ---- bytes ------------------------------------------------------------------------------

struct BYTES {
    std::vector<uint8_t> b;
    void U8(uint32_t v) { b.push_back((uint8_t)v); }
    void U16(uint32_t v) { U8(v), U8(v >> 8); }
    void U32(uint32_t v) { U16(v), U16(v >> 16); }
    void F32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        U32(u);
    }
    void Unsigned(uint32_t v, int bytes) { bytes == 1 ? U8(v) : bytes == 2 ? U16(v) : U32(v); }
};

struct IMAGE {
    std::vector<uint8_t> b;
    // Room for `bytes` zeroed bytes on a 4-byte boundary; its offset.
    uint32_t Place(size_t bytes) {
        b.resize((b.size() + 3) & ~(size_t)3);
        const uint32_t at = (uint32_t)b.size();
        b.resize(b.size() + bytes);
        return at;
    }
    uint32_t Put(const BYTES &data) {
        if (data.b.empty()) return 0;
        const uint32_t at = Place(data.b.size());
        std::memcpy(b.data() + at, data.b.data(), data.b.size());
        return at;
    }
    void I32(uint32_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }
    // Record i of `count` contiguous ones from `first`: its offset, its next link (+4) written.
    uint32_t Chained(uint32_t first, int i, int count, uint32_t bytes) {
        const uint32_t at = first + (uint32_t)i * bytes;
        I32(at + 4, i + 1 < count ? (int32_t)(at + bytes) : 0);
        return at;
    }
    void U32(uint32_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
    void U16(uint32_t at, uint32_t v) { b[at] = (uint8_t)v, b[at + 1] = (uint8_t)(v >> 8); }
    void U8(uint32_t at, uint32_t v) { b[at] = (uint8_t)v; }
    void F32(uint32_t at, float v) { std::memcpy(b.data() + at, &v, 4); }
};

// The u16 whose decoded value lies nearest x, taking the smallest of those that decode alike,
// so that writing a decoded value again gives the same number. `decode` must not fall.
template <class D>
unsigned Canonical(float x, D decode) {
    unsigned lo = 0, hi = 65535;
    while (lo < hi) {
        const unsigned mid = (lo + hi) / 2;
        if (decode(mid) >= x) hi = mid;
        else lo = mid + 1;
    }
    float chosen = decode(lo);
    if (lo > 0 && std::fabs(decode(lo - 1) - x) <= std::fabs(chosen - x)) chosen = decode(lo - 1);
    lo = 0, hi = 65535;
    while (lo < hi) {
        const unsigned mid = (lo + hi) / 2;
        if (decode(mid) >= chosen) hi = mid;
        else lo = mid + 1;
    }
    return lo;
}

unsigned RoundClamp(float v, float scale, int low, int high) {
    const long r = std::lround(v * scale);
    return (unsigned)std::clamp<long>(r, low, high);
}

// A packed-float header that holds lo..hi in 65,536 steps: the smallest power of ten at or
// below lo (0 when lo is not negative), the finest step that reaches hi.
bool ChooseHeader(float lo, float hi, uint8_t header[2]) {
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi)) return false;
    uint8_t first = 0x80;
    if (lo < 0) {
        bool found = false;
        for (int e = -31; e <= 31 && !found; ++e) {
            const uint8_t code = (uint8_t)(0x40 | (e < 0 ? 0x20 : 0) | std::abs(e));
            if (-PackedFloatMinimum(code) >= -lo) first = code, found = true;
        }
        if (!found) return false;
    }
    const float minimum = PackedFloatMinimum(first);
    bool found = false;
    float best = 0;
    for (int h = 0; h < 16; ++h)
        for (int l = 1; l < 16; ++l) {
            const uint8_t code = (uint8_t)(h << 4 | l);
            const float step = PackedFloatStep(code);
            if (PackedFloatValue(minimum, step, 65535) >= hi && (!found || step < best)) {
                best = step, header[1] = code, found = true;
            }
        }
    header[0] = first;
    return found;
}

bool IsWhole(float v) { return v >= 0 && v <= 65535 && std::floor(v) == v; }

int SmallestWidth(uint32_t largest) { return largest < 256 ? 1 : largest < 65536 ? 2 : 4; }
int WidthCode(int bytes) { return bytes == 1 ? 0 : bytes == 2 ? 1 : 2; }

// ---- the writer --------------------------------------------------------------------------

struct WRITER {
    const MV1BASE *base;
    const MV1FILEKEPT *kept;
    MV1WRITEOPTIONS o;
    IMAGE img;
    std::vector<uint8_t> strings;
    std::map<const char *, uint32_t> stringAt;  // offset in the string block + 1
    uint32_t stringsAt = 0;

    void AddString(const char *s) {
        if (!s || stringAt.count(s)) return;
        stringAt[s] = (uint32_t)strings.size() + 1;
        strings.insert(strings.end(), s, s + std::strlen(s) + 1);
        while (strings.size() % 4) strings.push_back(0);
    }
    int32_t Name(const char *s) const {
        if (!s) return 0;
        return (int32_t)(stringsAt + stringAt.at(s) - 1);
    }
};

// ---- packed data of each record --------------------------------------------------------------

uint16_t FramePacking(const WRITER &w, int i, float quantise[6]) {
    const MV1FRAME &f = w.base->frames[i];
    if (w.kept) {
        std::memcpy(quantise, w.kept->frames[i].quantise, sizeof(float) * 6);
        return w.kept->frames[i].packing;
    }
    uint16_t flags = (uint16_t)(w.o.normals & MV1F_NORMALS_MASK);
    if (FramePositionPairs(&f) == 0) flags |= MV1F_NO_WEIGHTS;
    if (w.o.boneU16 || f.skinRefCount > 254) flags |= MV1F_BONE_U16;
    if (w.o.weightU16) flags |= MV1F_WEIGHT_U16;
    if (w.o.quantisePositions) {
        flags |= MV1F_QUANTISED;
        for (int a = 0; a < 3; ++a) {
            float lo = 0, hi = 0;
            for (int p = 0; p < f.positionCount; ++p) {
                const float v = (&FramePosition(&f, p)->position.x)[a];
                if (p == 0 || v < lo) lo = v;
                if (p == 0 || v > hi) hi = v;
            }
            quantise[2 * a] = lo;
            quantise[2 * a + 1] = hi - lo;
        }
    }
    return flags;
}

BYTES FrameData(const WRITER &w, int i, uint16_t flags, const float q[6]) {
    const MV1FRAME &f = w.base->frames[i];
    BYTES d;
    if (flags & MV1F_QUANTISED)
        for (int k = 0; k < 6; ++k) d.F32(q[k]);
    for (int p = 0; p < f.positionCount; ++p) {
        const VEC3 &v = FramePosition(&f, p)->position;
        if (flags & MV1F_QUANTISED) {
            const float c[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a)
                d.U16(Canonical(c[a], [&](unsigned u) { return QuantisedValue(q[2 * a], q[2 * a + 1], u); }));
        } else {
            d.F32(v.x), d.F32(v.y), d.F32(v.z);
        }
    }
    const int pairs = FramePositionPairs(&f);
    if (!(flags & MV1F_NO_WEIGHTS))
        for (int p = 0; p < f.positionCount; ++p) {
            const MV1POSITION *pos = FramePosition(&f, p);
            for (int j = 0; j < pairs; ++j) {
                const int bone = pos->weights[j].bone;
                if (bone < 0) {
                    d.Unsigned((flags & MV1F_BONE_U16) ? 0xFFFF : 0xFF, (flags & MV1F_BONE_U16) ? 2 : 1);
                    break;
                }
                d.Unsigned((uint32_t)bone, (flags & MV1F_BONE_U16) ? 2 : 1);
                const float weight = pos->weights[j].weight;
                if (flags & MV1F_WEIGHT_U16) d.U16(RoundClamp(weight, 65535.0f, 0, 65535));
                else d.U8(RoundClamp(weight, 255.0f, 0, 255));
            }
        }
    for (int n = 0; n < f.normalCount; ++n) {
        const VEC3 &v = f.normals[n].normal;
        const float c[3] = {v.x, v.y, v.z};
        for (float x : c) switch (flags & MV1F_NORMALS_MASK) {
            case 1: d.U8(RoundClamp(x, 127.0f, -127, 127) & 0xFF); break;
            case 2: d.U16(RoundClamp(x, 32767.0f, -32767, 32767) & 0xFFFF); break;
            case 3: d.F32(x); break;
            default: break;
            }
    }
    return d;
}

BYTES MeshData(const WRITER &w, int i, uint8_t *packingOut, uint8_t *componentsOut) {
    const MV1MESH &m = w.base->meshes[i];
    uint8_t packing, components = 2;
    if (w.kept) {
        packing = w.kept->meshes[i].packing;
        components = w.kept->meshes[i].uvComponents;
    } else {
        bool ownPosition = true, ownNormal = true, sameColours = true, unitUv = true;
        uint32_t largestPosition = 0, largestNormal = 0;
        for (int v = 0; v < m.vertexCount; ++v) {
            const MV1MESHVERTEX *x = MeshVertex(&m, v);
            ownPosition = ownPosition && x->position == v;
            ownNormal = ownNormal && x->normal == v;
            largestPosition = std::max(largestPosition, (uint32_t)x->position);
            largestNormal = std::max(largestNormal, (uint32_t)x->normal);
            sameColours = sameColours && x->diffuse == MeshVertex(&m, 0)->diffuse &&
                          x->specular == MeshVertex(&m, 0)->specular;
            for (int s = 0; s < m.uvSetCount; ++s)
                for (int k = 0; k < 2; ++k) unitUv = unitUv && x->uv[s][k] >= 0.0f && x->uv[s][k] <= 1.0f;
        }
        auto code = [&](bool own, uint32_t largest) {
            if (own && w.o.meshIndexBytes == 0) return 0;
            const int bytes = std::max(w.o.meshIndexBytes, SmallestWidth(largest));
            return bytes == 1 ? 1 : bytes == 2 ? 2 : 3;
        };
        packing = (uint8_t)(code(ownPosition, largestPosition) | code(ownNormal, largestNormal) << MV1M_NORMAL_SHIFT);
        if (w.o.uvU16 && unitUv) packing |= MV1M_UV_U16;
        if (w.o.shareColours && sameColours && m.vertexCount > 0) packing |= MV1M_SHARED_COLOURS;
    }
    *packingOut = packing;
    *componentsOut = components;
    static const int kBytes[4] = {0, 1, 2, 4};
    BYTES d;
    if (m.vertexCount == 0) return d;
    if (packing & MV1M_SHARED_COLOURS) d.U32(MeshVertex(&m, 0)->diffuse), d.U32(MeshVertex(&m, 0)->specular);
    if (const int b = kBytes[packing & MV1M_POSITION_MASK])
        for (int v = 0; v < m.vertexCount; ++v) d.Unsigned((uint32_t)MeshVertex(&m, v)->position, b);
    if (const int b = kBytes[(packing >> MV1M_NORMAL_SHIFT) & 3])
        for (int v = 0; v < m.vertexCount; ++v) d.Unsigned((uint32_t)MeshVertex(&m, v)->normal, b);
    if (!(packing & MV1M_SHARED_COLOURS))
        for (int v = 0; v < m.vertexCount; ++v) d.U32(MeshVertex(&m, v)->diffuse), d.U32(MeshVertex(&m, v)->specular);
    for (int v = 0; v < m.vertexCount; ++v)
        for (int s = 0; s < m.uvSetCount; ++s)
            for (int k = 0; k < components; ++k) {
                const float x = k < 2 ? MeshVertex(&m, v)->uv[s][k] : 0.0f;
                if (packing & MV1M_UV_U16) d.U16(RoundClamp(x, 65535.0f, 0, 65535));
                else d.F32(x);
            }
    return d;
}

BYTES ListData(const WRITER &w, int i, uint8_t *flagsOut) {
    const MV1TRIANGLELIST &l = w.base->triangleLists[i];
    uint8_t flags;
    if (w.kept) {
        flags = w.kept->lists[i];
    } else {
        uint32_t largest = 0;
        for (int v = 0; v < l.vertexCount; ++v) largest = std::max(largest, (uint32_t)l.vertexMap[v]);
        const int vertexBytes = std::max(w.o.listVertexBytes, SmallestWidth(largest));
        const int indexBytes = std::max(w.o.listIndexBytes, l.vertexCount <= 256 ? 1 : 2);
        flags = (uint8_t)(WidthCode(vertexBytes) | WidthCode(indexBytes) << MV1L_INDEX_SHIFT);
    }
    *flagsOut = flags;
    static const int kBytes[4] = {1, 2, 4, 4};
    BYTES d;
    if (l.kind == 1 || l.kind == 2) {
        d.U16((uint32_t)l.boneCount);
        for (int b = 0; b < l.boneCount; ++b) d.U16((uint32_t)l.bones[b]);
    } else if (l.kind == 3) {
        d.U16((uint32_t)l.maxWeights);
    }
    for (int v = 0; v < l.vertexCount; ++v) d.Unsigned((uint32_t)l.vertexMap[v], kBytes[flags & MV1L_VERTEX_MASK]);
    for (int t = 0; t < l.indexCount; ++t) d.Unsigned(l.indices[t], kBytes[(flags >> MV1L_INDEX_SHIFT) & 3]);
    return d;
}

int KeyComponents(int valueKind) {
    return valueKind == 0 || valueKind == 7 ? 4 : valueKind == 1 ? 3 : valueKind == 5 ? 1 : 0;
}

BYTES KeyData(const WRITER &w, int i, uint16_t *flagsOut) {
    const MV1KEYSET &k = w.base->keySets[i];
    const int components = KeyComponents(k.valueKind);
    MV1FILEKEPT::KEYSET packing{};
    const int n = k.keyCount * components;
    if (w.kept) {
        packing = w.kept->keySets[i];
    } else if (components > 0) {
        uint16_t f = 0;
        const bool oneKey = k.keyCount == 1 && k.timing == 0 && k.start == 0.0f && k.step == 1.0f;
        if (w.o.packKeys && oneKey) f |= MV1K_ONE_KEY;
        else if (w.o.packKeys && k.keyCount <= 255) f |= MV1K_COUNT_U8;
        else if (w.o.packKeys && k.keyCount <= 65535) f |= MV1K_COUNT_U16;
        if (!oneKey || !w.o.packKeys) {
            if (k.timing == 0) {
                f |= MV1K_EVEN;
                if (w.o.packKeys && k.start == 0.0f) f |= MV1K_NO_START;
                else if (w.o.packKeys && IsWhole(k.start)) f |= MV1K_START_U16;
                if (w.o.packKeys && IsWhole(k.step)) f |= MV1K_STEP_U16;
            } else if (w.o.packKeys && k.keyCount > 0 &&
                       ChooseHeader(*std::min_element(k.times, k.times + k.keyCount),
                                    *std::max_element(k.times, k.times + k.keyCount), packing.timeHeader)) {
                f |= MV1K_TIMES_PACKED;
            }
        }
        if (w.o.packKeys && n > 0) {
            const float lo = *std::min_element(k.values, k.values + n), hi = *std::max_element(k.values, k.values + n);
            const float pi = 3.14159265358979f;
            const bool axisAngle = k.valueKind == 5 && k.target >= 1 && k.target <= 3;
            if (axisAngle && lo >= -pi && hi <= pi) f |= MV1K_VALUES_PACKED | MV1K_ANGLE_SIGNED;
            else if (axisAngle && lo >= 0 && hi <= 2 * pi) f |= MV1K_VALUES_PACKED | MV1K_ANGLE;
            else if (ChooseHeader(lo, hi, packing.valueHeader)) f |= MV1K_VALUES_PACKED;
        }
        packing.flags = f;
    }
    *flagsOut = packing.flags;
    BYTES d;
    if (components == 0) return d;
    const uint16_t f = packing.flags;
    if (k.target == 18) d.U16((uint32_t)k.shape);
    if (!(f & MV1K_ONE_KEY)) {
        if (f & MV1K_COUNT_U8) d.U8((uint32_t)k.keyCount);
        else if (f & MV1K_COUNT_U16) d.U16((uint32_t)k.keyCount);
        else d.U32((uint32_t)k.keyCount);
        if (f & MV1K_EVEN) {
            if (f & MV1K_START_U16) d.U16((uint32_t)k.start);
            else if (!(f & MV1K_NO_START)) d.F32(k.start);
            if (f & MV1K_STEP_U16) d.U16((uint32_t)k.step);
            else d.F32(k.step);
        } else if (f & MV1K_TIMES_PACKED) {
            d.U8(packing.timeHeader[0]), d.U8(packing.timeHeader[1]);
            const float minimum = PackedFloatMinimum(packing.timeHeader[0]), step = PackedFloatStep(packing.timeHeader[1]);
            for (int t = 0; t < k.keyCount; ++t)
                d.U16(Canonical(k.times[t], [&](unsigned u) { return PackedFloatValue(minimum, step, u); }));
        } else {
            for (int t = 0; t < k.keyCount; ++t) d.F32(k.times ? k.times[t] : 0.0f);
        }
    }
    if (!(f & MV1K_VALUES_PACKED)) {
        for (int v = 0; v < n; ++v) d.F32(k.values[v]);
    } else if (f & (MV1K_ANGLE_SIGNED | MV1K_ANGLE)) {
        const bool isSigned = (f & MV1K_ANGLE_SIGNED) != 0;
        for (int v = 0; v < n; ++v) d.U16(Canonical(k.values[v], [&](unsigned u) { return PackedAngle(u, isSigned); }));
    } else {
        d.U8(packing.valueHeader[0]), d.U8(packing.valueHeader[1]);
        const float minimum = PackedFloatMinimum(packing.valueHeader[0]), step = PackedFloatStep(packing.valueHeader[1]);
        for (int v = 0; v < n; ++v)
            d.U16(Canonical(k.values[v], [&](unsigned u) { return PackedFloatValue(minimum, step, u); }));
    }
    return d;
}

// ---- the image ---------------------------------------------------------------------------

template <class T>
int IndexIn(const T *array, const T *item) {
    return item ? (int)(item - array) : -1;
}

}  // namespace

std::vector<uint8_t> BuildMV1Image(const MV1BASE *base, const MV1WRITEOPTIONS &options) {
    WRITER w{base, base->kept, options, {}, {}, {}, 0};
    IMAGE &img = w.img;
    img.Place(MV1_HEADER_BYTES);
    std::memcpy(img.b.data(), MV1_MAGIC, 4);
    const int F = base->frameCount, M = base->meshCount, L = base->triangleListCount;

    // Names, in record order.
    for (int i = 0; i < F; ++i) w.AddString(base->frames[i].name);
    for (int i = 0; i < base->textureCount; ++i) {
        w.AddString(base->textures[i].name);
        w.AddString(base->textures[i].files.colourPath);
        w.AddString(base->textures[i].files.alphaPath);
    }
    for (int i = 0; i < base->materialCount; ++i) w.AddString(base->materials[i].name);
    for (int i = 0; i < base->attachmentCount; ++i) w.AddString(base->attachments[i].name);
    for (int i = 0; i < base->shapeCount; ++i) w.AddString(base->shapes[i].name);
    for (int i = 0; i < base->animSetCount; ++i) w.AddString(base->animSets[i].name);
    w.stringsAt = w.strings.empty() ? 0 : img.Place(w.strings.size());
    if (!w.strings.empty()) std::memcpy(img.b.data() + w.stringsAt, w.strings.data(), w.strings.size());

    // Mask blocks: each frame's words in frame order.
    std::vector<uint32_t> drawMaskAt(F), matrixMaskAt(F);
    size_t drawWords = 0, matrixWords = 0;
    for (int i = 0; i < F; ++i) {
        drawWords += (size_t)base->frames[i].drawStateRange.wordCount;
        matrixWords += (size_t)base->frames[i].matrixRange.wordCount;
    }
    const uint32_t drawAt = img.Place(drawWords * 4), matrixAt = img.Place(matrixWords * 4);
    for (uint32_t i = 0, d = drawAt, m = matrixAt; i < (uint32_t)F; ++i) {
        const MV1FRAME &f = base->frames[i];
        drawMaskAt[i] = d;
        matrixMaskAt[i] = m;
        for (int k = 0; k < f.drawStateRange.wordCount; ++k, d += 4)
            img.U32(d, f.drawStateRange.maskWords ? f.drawStateRange.maskWords[k] : 0);
        for (int k = 0; k < f.matrixRange.wordCount; ++k, m += 4)
            img.U32(m, f.matrixRange.maskWords ? f.matrixRange.maskWords[k] : 0);
    }

    // Records, then their data.
    const uint32_t framesAt = img.Place((size_t)F * MV1_FRAME_BYTES);
    const uint32_t texturesAt = img.Place((size_t)base->textureCount * MV1_TEXTURE_BYTES);
    const uint32_t materialsAt = img.Place((size_t)base->materialCount * MV1_MATERIAL_BYTES);
    const uint32_t attachmentsAt = img.Place((size_t)base->attachmentCount * MV1_ATTACHMENT_BYTES);
    const uint32_t meshesAt = img.Place((size_t)M * MV1_MESH_BYTES);
    const uint32_t listsAt = img.Place((size_t)L * MV1_LIST_BYTES);
    const uint32_t skinsAt = img.Place((size_t)base->skinBoneCount * MV1_SKIN_BYTES);
    auto frameAt = [&](const MV1FRAME *f) { return f ? framesAt + (uint32_t)f->index * MV1_FRAME_BYTES : 0u; };
    auto meshAt = [&](const MV1MESH *m) { return m ? meshesAt + (uint32_t)IndexIn(base->meshes, m) * MV1_MESH_BYTES : 0u; };
    auto skinAt = [&](int e) { return e >= 0 ? skinsAt + (uint32_t)e * MV1_SKIN_BYTES : 0u; };

    // Skin references of every frame and the skin data array.
    int skinRefTotal = 0, skinDataTotal = 0;
    for (int i = 0; i < F; ++i) skinRefTotal += base->frames[i].skinRefCount;
    for (int i = 0; i < base->skinBoneCount; ++i) skinDataTotal += base->skinBones[i].referenceCount;
    const uint32_t skinRefsAt = img.Place((size_t)skinRefTotal * 4);
    const uint32_t skinDataAt = img.Place((size_t)skinDataTotal * 8);

    int64_t keyBytes = 0;
    for (int i = 0, ref = 0; i < F; ++i) {
        const MV1FRAME &f = base->frames[i];
        const uint32_t at = img.Chained(framesAt, i, F, MV1_FRAME_BYTES);
        float quantise[6] = {};
        const uint16_t packing = FramePacking(w, i, quantise);
        const uint32_t data = img.Put(FrameData(w, i, packing, quantise));
        img.I32(at + 8, w.Name(f.name));
        img.I32(at + 12, i);
        const BITRANGE *ranges[2] = {&f.drawStateRange, &f.matrixRange};
        const uint32_t masks[2] = {drawMaskAt[i], matrixMaskAt[i]};
        for (int k = 0; k < 2; ++k) {
            img.I32(at + 16 + 16 * (uint32_t)k, ranges[k]->wordIndex);
            img.U32(at + 20 + 16 * (uint32_t)k, masks[k]);
            img.U32(at + 24 + 16 * (uint32_t)k, ranges[k]->firstBitMask);
            img.I32(at + 28 + 16 * (uint32_t)k, ranges[k]->wordCount);
        }
        img.I32(at + 48, f.meshesBelow);
        img.I32(at + 52, f.framesBelow);
        const MV1FRAME *links[5] = {f.parent, f.firstChild, f.lastChild, f.next, f.prev};
        for (int k = 0; k < 5; ++k) img.U32(at + 56 + 4 * (uint32_t)k, frameAt(links[k]));
        const float parts[9] = {f.translation.x, f.translation.y, f.translation.z, f.scale.x,   f.scale.y,
                                f.scale.z,       f.rotation.x,    f.rotation.y,    f.rotation.z};
        for (int k = 0; k < 9; ++k) img.F32(at + 76 + 4 * (uint32_t)k, parts[k]);
        img.I32(at + 112, f.rotationOrder);
        for (int k = 0; k < 4; ++k) img.F32(at + 116 + 4 * (uint32_t)k, f.quaternion[k]);
        img.U32(at + 132, f.flags);
        img.I32(at + 136, f.noCull);
        const MV1FILEKEPT::FRAME *k = w.kept ? &w.kept->frames[i] : nullptr;
        img.I32(at + 140, k ? k->words[0] : 0);
        img.I32(at + 144, k ? k->words[1] : 0);
        img.I32(at + 148, f.meshCount);
        img.U32(at + 152, f.meshCount > 0 ? meshAt(f.meshes) : 0);
        img.I32(at + 156, f.skinBoneCount);
        img.U32(at + 160, f.skinBoneCount > 0 ? skinAt(f.firstSkinBone) : 0);
        img.I32(at + 164, f.skinRefCount);
        img.U32(at + 168, f.skinRefCount > 0 ? skinRefsAt + 4 * (uint32_t)ref : 0);
        for (int r = 0; r < f.skinRefCount; ++r, ++ref)
            img.U32(skinRefsAt + 4 * (uint32_t)ref, skinAt(IndexIn(base->skinBones, f.skinRefs[r])));
        img.U32(at + 172, f.attachment ? attachmentsAt + (uint32_t)IndexIn(base->attachments, f.attachment) *
                                                             MV1_ATTACHMENT_BYTES
                                       : 0);
        img.U16(at + 176, packing);
        img.U16(at + 178, (uint32_t)FramePositionPairs(&f));
        img.F32(at + 180, f.smoothingAngle);
        img.I32(at + 184, k ? k->words[2] : 0);
        img.I32(at + 188, f.positionCount);
        img.I32(at + 192, f.normalCount);
        img.U32(at + 196, data);
    }
    for (int i = 0; i < base->textureCount; ++i) {
        const MV1TEXTURE &t = base->textures[i];
        const uint32_t at = img.Chained(texturesAt, i, base->textureCount, MV1_TEXTURE_BYTES);
        img.I32(at + 8, w.Name(t.name));
        img.I32(at + 16, w.Name(t.files.colourPath));
        img.I32(at + 20, w.Name(t.files.alphaPath));
        img.I32(at + 24, t.bump);
        img.F32(at + 28, t.bumpHeight);
        img.I32(at + 32, t.addressU);
        img.I32(at + 36, t.addressV);
        img.I32(at + 40, t.filterMode);
    }
    for (int i = 0; i < base->materialCount; ++i) {
        const MV1MATERIAL &m = base->materials[i];
        const uint32_t at = img.Chained(materialsAt, i, base->materialCount, MV1_MATERIAL_BYTES);
        img.I32(at + 8, w.Name(m.name));
        img.I32(at + 12, i);
        const COLOUR_F colours[4] = {m.diffuse, m.ambient, m.specular, m.emissive};
        for (int c = 0; c < 4; ++c) {
            const float v[4] = {colours[c].r, colours[c].g, colours[c].b, colours[c].a};
            for (int k = 0; k < 4; ++k) img.F32(at + 16 + 16 * (uint32_t)c + 4 * (uint32_t)k, v[k]);
        }
        img.F32(at + 80, m.power);
        const int32_t counts[3] = {m.diffuseLayerCount, m.specularLayerCount, m.normalLayerCount};
        const MV1LAYER *layers[3] = {m.diffuseLayers, m.specularLayers, m.normalLayers};
        const uint32_t groups[3] = {88, 284, 480};
        for (int g = 0; g < 3; ++g) {
            img.I32(at + groups[g], counts[g]);
            for (int l = 0; l < counts[g]; ++l) {
                img.I32(at + groups[g] + 4 + 24 * (uint32_t)l, layers[g][l].texture);
                img.I32(at + groups[g] + 8 + 24 * (uint32_t)l, layers[g][l].blend);
            }
        }
        for (int k = 0; k < 3; ++k) img.I32(at + 676 + 4 * (uint32_t)k, w.kept ? w.kept->materials[3 * i + k] : 0);
        img.I32(at + 688, m.blendMode);
        img.I32(at + 692, m.blendParam);
    }
    for (int i = 0; i < base->attachmentCount; ++i) {
        const MV1ATTACHMENT &a = base->attachments[i];
        const uint32_t at = img.Chained(attachmentsAt, i, base->attachmentCount, MV1_ATTACHMENT_BYTES);
        img.I32(at + 8, w.Name(a.name));
        for (int k = 0; k < 15; ++k) img.I32(at + 12 + 4 * (uint32_t)k, k == 0 ? i : a.values[k]);
        for (int k = 0; k < 7; ++k) img.F32(at + 72 + 4 * (uint32_t)k, a.floats[k]);
    }
    int64_t faceTotal = 0, indexTotal = 0;
    for (int i = 0; i < M; ++i) {
        const MV1MESH &m = base->meshes[i];
        const uint32_t at = img.Chained(meshesAt, i, M, MV1_MESH_BYTES);
        uint8_t packing, components;
        const uint32_t data = img.Put(MeshData(w, i, &packing, &components));
        faceTotal += m.faceCount;
        img.I32(at + 8, i);
        img.U32(at + 12, frameAt(m.frame));
        img.U32(at + 16, m.material ? materialsAt + (uint32_t)IndexIn(base->materials, m.material) * MV1_MATERIAL_BYTES
                                    : 0);
        img.I32(at + 20, m.needsAlpha);
        const MV1FILEKEPT::MESH *k = w.kept ? &w.kept->meshes[i] : nullptr;
        for (int j = 0; j < 4; ++j) img.I32(at + 28 + 4 * (uint32_t)j, k ? k->words[j] : 0);
        img.U8(at + 44, m.vertexDiffuse);
        img.U8(at + 45, m.vertexSpecular);
        img.I32(at + 48, k ? k->words[4] : 0);
        img.U32(at + 52, m.triangleListCount > 0
                             ? listsAt + (uint32_t)IndexIn(base->triangleLists, m.triangleLists) * MV1_LIST_BYTES
                             : 0);
        img.U8(at + 56, m.visible);
        img.U8(at + 57, m.cullMode);
        img.U8(at + 58, m.uvSetCount);
        img.U8(at + 59, components);
        img.U8(at + 60, packing);
        img.I32(at + 64, m.vertexCount);
        img.I32(at + 68, m.faceCount);
        img.U32(at + 72, data);
    }
    for (int i = 0; i < L; ++i) {
        const MV1TRIANGLELIST &l = base->triangleLists[i];
        const uint32_t at = img.Chained(listsAt, i, L, MV1_LIST_BYTES);
        uint8_t flags;
        const uint32_t data = img.Put(ListData(w, i, &flags));
        indexTotal += l.indexCount;
        img.I32(at + 8, i);
        img.U32(at + 12, meshAt(l.mesh));
        img.U16(at + 16, l.kind);
        img.U8(at + 18, flags);
        img.U16(at + 20, (uint32_t)l.vertexCount);
        img.U16(at + 22, (uint32_t)l.indexCount);
        img.U32(at + 24, data);
    }
    for (int i = 0, d = 0; i < base->skinBoneCount; ++i) {
        const MV1SKINBONE &e = base->skinBones[i];
        const uint32_t at = img.Chained(skinsAt, i, base->skinBoneCount, MV1_SKIN_BYTES);
        img.I32(at + 12, i);
        for (int k = 0; k < 12; ++k) img.F32(at + 16 + 4 * (uint32_t)k, e.matrix.m[k]);
        img.I32(at + 64, e.useCount);
        img.I32(at + 68, e.referenceCount);
        img.U32(at + 72, e.referenceCount > 0 ? skinDataAt + 8 * (uint32_t)d : 0);
        for (int r = 0; r < 2 * e.referenceCount; ++r) img.I32(skinDataAt + 8 * (uint32_t)d + 4 * (uint32_t)r, e.references[r]);
        d += e.referenceCount;
    }

    // Shapes: the header, the shapes, their meshes and vertices, each frame's list.
    uint32_t shapeHeader = 0;
    if (base->shapeCount > 0) {
        int shapeMeshes = 0;
        int64_t shapeVertices = 0;
        for (int i = 0; i < base->shapeCount; ++i) {
            shapeMeshes += base->shapes[i].meshCount;
            for (int m = 0; m < base->shapes[i].meshCount; ++m) shapeVertices += base->shapes[i].meshes[m].vertexCount;
        }
        shapeHeader = img.Place(MV1_SHAPE_HEADER_BYTES);
        const uint32_t shapesAt = img.Place((size_t)base->shapeCount * MV1_SHAPE_BYTES);
        const uint32_t shapeMeshesAt = img.Place((size_t)shapeMeshes * MV1_SHAPE_MESH_BYTES);
        img.I32(shapeHeader + 8, base->shapeCount);
        img.U32(shapeHeader + 12, shapesAt);
        img.I32(shapeHeader + 16, shapeMeshes);
        img.U32(shapeHeader + 20, shapeMeshes > 0 ? shapeMeshesAt : 0);
        img.I32(shapeHeader + 24, (int32_t)shapeVertices);
        img.I32(shapeHeader + 40, w.kept ? w.kept->shapeHeader[0] : 0);
        img.I32(shapeHeader + 44, MV1_SHAPE_VERTEX_BYTES);
        for (int k = 0; k < 4; ++k) img.I32(shapeHeader + 48 + 4 * (uint32_t)k, w.kept ? w.kept->shapeHeader[1 + k] : 0);
        for (int i = 0, sm = 0; i < base->shapeCount; ++i) {
            const MV1SHAPE &s = base->shapes[i];
            const uint32_t at = img.Chained(shapesAt, i, base->shapeCount, MV1_SHAPE_BYTES);
            img.I32(at + 8, w.Name(s.name));
            img.I32(at + 12, i);
            img.U32(at + 16, frameAt(s.frame));
            img.I32(at + 20, s.meshCount);
            img.U32(at + 24, s.meshCount > 0 ? shapeMeshesAt + (uint32_t)sm * MV1_SHAPE_MESH_BYTES : 0);
            for (int m = 0; m < s.meshCount; ++m, ++sm) {
                const MV1SHAPEMESH &x = s.meshes[m];
                const uint32_t mat = shapeMeshesAt + (uint32_t)sm * MV1_SHAPE_MESH_BYTES;
                BYTES v;
                for (int k = 0; k < x.vertexCount; ++k) {
                    const MV1SHAPEVERTEX &sv = x.vertices[k];
                    v.U32((uint32_t)sv.vertex);
                    v.F32(sv.position.x), v.F32(sv.position.y), v.F32(sv.position.z);
                    v.F32(sv.normal.x), v.F32(sv.normal.y), v.F32(sv.normal.z);
                }
                const uint32_t vertices = img.Put(v);
                img.I32(mat + 4, sm + 1 < shapeMeshes ? (int32_t)(mat + MV1_SHAPE_MESH_BYTES) : 0);
                img.I32(mat + 8, sm);
                img.U32(mat + 12, meshAt(x.mesh));
                img.I32(mat + 20, x.vertexCount);
                img.U32(mat + 24, vertices);
            }
        }
        for (int i = 0; i < F; ++i) {
            const MV1FRAME &f = base->frames[i];
            if (f.shapeCount == 0) continue;
            const uint32_t list = img.Place(8);
            img.I32(list, f.shapeCount);
            img.U32(list + 4, shapesAt + (uint32_t)IndexIn(base->shapes, f.shapes) * MV1_SHAPE_BYTES);
            img.U32(framesAt + (uint32_t)i * MV1_FRAME_BYTES + 216, list);
        }
    }

    // Animations: key sets one after another, then the animations, then the sets.
    const uint32_t keySetsAt = img.Place((size_t)base->keySetCount * MV1_KEY_SET_BYTES);
    const uint32_t animsAt = img.Place((size_t)base->animCount * MV1_ANIM_BYTES);
    const uint32_t setsAt = img.Place((size_t)base->animSetCount * MV1_ANIM_SET_BYTES);
    for (int i = 0; i < base->keySetCount; ++i) {
        const MV1KEYSET &k = base->keySets[i];
        const uint32_t at = keySetsAt + (uint32_t)i * MV1_KEY_SET_BYTES;
        uint16_t flags;
        const uint32_t data = img.Put(KeyData(w, i, &flags));
        keyBytes += (int64_t)k.keyCount * KeyComponents(k.valueKind) * 4 + (k.timing == 1 ? 4 * k.keyCount : 0);
        img.U8(at, k.valueKind);
        img.U8(at + 1, k.target);
        img.U16(at + 2, flags);
        img.U32(at + 4, data);
    }
    for (int i = 0; i < base->animCount; ++i) {
        const MV1ANIM &a = base->anims[i];
        const uint32_t at = animsAt + (uint32_t)i * MV1_ANIM_BYTES;
        img.I32(at, i);
        img.U32(at + 4, setsAt + (uint32_t)IndexIn(base->animSets, (const MV1ANIMSET *)a.set) * MV1_ANIM_SET_BYTES);
        img.I32(at + 8, a.frame);
        img.F32(at + 12, a.value);
        img.I32(at + 16, a.word);
        img.I32(at + 20, a.keySetCount);
        img.U32(at + 24, a.keySetCount > 0
                             ? keySetsAt + (uint32_t)IndexIn(base->keySets, (const MV1KEYSET *)a.keySets) * MV1_KEY_SET_BYTES
                             : 0);
    }
    for (int i = 0; i < base->animSetCount; ++i) {
        const MV1ANIMSET &s = base->animSets[i];
        const uint32_t at = img.Chained(setsAt, i, base->animSetCount, MV1_ANIM_SET_BYTES);
        img.I32(at + 8, w.Name(s.name));
        img.I32(at + 12, i);
        img.F32(at + 16, s.totalTime);
        img.I32(at + 20, s.word);
        img.U32(at + 24, s.animCount > 0
                             ? animsAt + (uint32_t)IndexIn(base->anims, (const MV1ANIM *)s.anims) * MV1_ANIM_BYTES
                             : 0);
        img.U8(at + 44, s.flags);
    }

    // The header.
    const int32_t kept[4] = {w.kept ? w.kept->header[0] : 0, w.kept ? w.kept->header[1] : 0,
                             w.kept ? w.kept->header[2] : 0, w.kept ? w.kept->header[3] : 0};
    img.I32(MV1H_KEPT_8, kept[0]);
    img.I32(MV1H_DRAW_MASK_BYTES, (int32_t)drawWords * 4);
    img.I32(MV1H_MATRIX_MASK_BYTES, (int32_t)matrixWords * 4);
    img.U32(MV1H_DRAW_MASKS, drawWords ? drawAt : 0);
    img.U32(MV1H_MATRIX_MASKS, matrixWords ? matrixAt : 0);
    img.I32(MV1H_FRAME_COUNT, F);
    img.U32(MV1H_FRAMES, F ? framesAt : 0);
    img.I32(MV1H_KEPT_40, kept[1]);
    for (int k = 0; k < 2; ++k) {
        const int ref = w.kept ? w.kept->frameRefs[k] : -1;
        img.U32(MV1H_FRAME_REF_A + 4 * (uint32_t)k, ref >= 0 ? framesAt + (uint32_t)ref * MV1_FRAME_BYTES : 0);
    }
    img.I32(MV1H_SKIN_REF_COUNT, skinRefTotal);
    img.U32(MV1H_SKIN_REFS, skinRefTotal ? skinRefsAt : 0);
    img.I32(MV1H_MATERIAL_COUNT, base->materialCount);
    img.U32(MV1H_MATERIALS, base->materialCount ? materialsAt : 0);
    img.I32(MV1H_TEXTURE_COUNT, base->textureCount);
    img.U32(MV1H_TEXTURES, base->textureCount ? texturesAt : 0);
    img.I32(MV1H_MESH_COUNT, M);
    img.U32(MV1H_MESHES, M ? meshesAt : 0);
    img.I32(MV1H_ATTACHMENT_COUNT, base->attachmentCount);
    img.U32(MV1H_ATTACHMENTS, base->attachmentCount ? attachmentsAt : 0);
    img.I32(MV1H_SKIN_COUNT, base->skinBoneCount);
    img.U32(MV1H_SKINS, base->skinBoneCount ? skinsAt : 0);
    img.I32(MV1H_SKIN_DATA_COUNT, skinDataTotal);
    img.U32(MV1H_SKIN_DATA, skinDataTotal ? skinDataAt : 0);
    img.I32(MV1H_LIST_COUNT, L);
    img.U32(MV1H_LISTS, L ? listsAt : 0);
    img.I32(MV1H_RIGID_VERTICES, base->kindVertices[0]);
    img.I32(MV1H_FOUR_VERTICES, base->kindVertices[1]);
    img.I32(MV1H_EIGHT_VERTICES, base->kindVertices[2]);
    img.I32(MV1H_FREE_BYTES, base->kindVertices[3]);
    img.I32(MV1H_POSITION_BYTES, (int32_t)base->totals.positionBytes);
    img.I32(MV1H_NORMAL_COUNT, (int32_t)base->totals.normalCount);
    img.I32(MV1H_MESH_VERTEX_BYTES, (int32_t)base->totals.meshVertexBytes);
    img.I32(MV1H_FACE_COUNT, (int32_t)faceTotal);
    img.I32(MV1H_LIST_VERTEX_COUNT, (int32_t)base->totals.listVertices);
    img.I32(MV1H_INDEX_COUNT, (int32_t)indexTotal);
    img.I32(MV1H_KEPT_164, kept[2]);
    img.I32(MV1H_KEPT_168, kept[3]);
    img.I32(MV1H_STRING_BYTES, (int32_t)w.strings.size());
    img.U32(MV1H_STRINGS, w.stringsAt);
    img.I32(MV1H_KEY_DATA_BYTES, (int32_t)keyBytes);
    img.I32(MV1H_KEY_SET_COUNT, base->keySetCount);
    img.I32(MV1H_KEY_SET_SIZE, MV1_KEY_SET_BYTES);
    img.U32(MV1H_KEY_SETS, base->keySetCount ? keySetsAt : 0);
    img.I32(MV1H_ANIM_COUNT, base->animCount);
    img.I32(MV1H_ANIM_SIZE, MV1_ANIM_BYTES);
    img.U32(MV1H_ANIMS, base->animCount ? animsAt : 0);
    img.I32(MV1H_ANIM_SET_COUNT, base->animSetCount);
    img.U32(MV1H_ANIM_SETS, base->animSetCount ? setsAt : 0);
    img.U32(MV1H_SHAPE_HEADER, shapeHeader);
    return img.b;
}

std::vector<uint8_t> PackMV1Image(const std::vector<uint8_t> &image, int escape) {
    std::vector<uint8_t> file(MV1_MAGIC, MV1_MAGIC + 4);
    const std::vector<uint8_t> block = EncodeLzBlock(image.data() + 4, image.size() - 4, escape);
    file.insert(file.end(), block.begin(), block.end());
    return file;
}

std::vector<uint8_t> WriteMV1File(int baseHandle, const MV1WRITEOPTIONS &options) {
    const MV1BASE *base = GetModelBase(baseHandle);
    if (!base) return {};
    return PackMV1Image(BuildMV1Image(base, options), options.escape);
}

std::vector<uint8_t> WriteMV1FromReadData(MODELLOADDATA *data, const char *folder, const MV1WRITEOPTIONS &options) {
    const int base = ConvertModelLoadData(data, folder);
    if (base == -1) return {};
    std::vector<uint8_t> file = WriteMV1File(base, options);
    ReleaseModelBase(base);
    return file;
}
