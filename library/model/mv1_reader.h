// The model file reader's shared state: the unpacked image, every record's offset by its
// number, and the base being filled. Nothing in the image is trusted: every offset, count,
// reference and packed read is checked against the image and the records before it is used.
#pragma once

#include "library/model/model_base.h"
#include "library/model/mv1_format.h"

#include <cstdint>
#include <cstring>

struct MV1RECORDS {
    int32_t count = 0;
    uint32_t *offsets = nullptr;  // by record number
};

struct MV1READER {
    const uint8_t *image;
    uint64_t size;
    MV1BASE *base;
    MV1FILEKEPT *kept;
    uint64_t budget;  // bytes the base may still take
    MV1RECORDS frames, textures, materials, meshes, lists, attachments, sets, shapes, shapeMeshes;
    uint32_t skinsAt, skinDataAt, skinRefsAt, keySetsAt, animsAt, animSize;
    int32_t skins, skinData, skinRefs, keySets, anims;
    uint32_t stringsAt, stringsBytes;
    const char *strings;  // the base's copy
    uint32_t drawMasksAt, drawMaskWords, matrixMasksAt, matrixMaskWords;
    const char *damaged;  // what was found broken, for the log line

    bool Fits(uint64_t at, uint64_t bytes) const { return at <= size && bytes <= size - at; }
    int32_t I32(uint32_t at) const {
        int32_t v;
        std::memcpy(&v, image + at, 4);
        return v;
    }
    uint32_t U32(uint32_t at) const { return (uint32_t)I32(at); }
    uint16_t U16(uint32_t at) const { return (uint16_t)(image[at] | image[at + 1] << 8); }
    float F32(uint32_t at) const {
        float v;
        std::memcpy(&v, image + at, 4);
        return v;
    }
    // False with the reason kept for the log line.
    bool Fail(const char *what) {
        if (!damaged) damaged = what;
        return false;
    }
    // Zeroed bytes on the base's chain, within the budget.
    void *Take(uint64_t bytes);
    // A record number from its offset: -2 for offset 0, -1 for one that names no record of the kind.
    int Ref(const MV1RECORDS &records, int32_t offset, int numberAt) const;
    // A string of the string block (null for offset 0); false for an offset outside it.
    bool Name(int32_t offset, const char **out) const;
};

// Sequential reads from the image that fail (and stay failed) past its end.
struct MV1CURSOR {
    const MV1READER &r;
    uint64_t at;
    bool ok;
    MV1CURSOR(const MV1READER &reader, uint32_t start) : r(reader), at(start), ok(start != 0) {}
    bool Need(uint64_t bytes) {
        if (ok && !r.Fits(at, bytes)) ok = false;
        return ok;
    }
    uint32_t U8() { return Need(1) ? r.image[at++] : 0; }
    uint32_t U16() {
        if (!Need(2)) return 0;
        at += 2;
        return r.U16((uint32_t)at - 2);
    }
    uint32_t U32() {
        if (!Need(4)) return 0;
        at += 4;
        return r.U32((uint32_t)at - 4);
    }
    float F32() {
        if (!Need(4)) return 0.0f;
        at += 4;
        return r.F32((uint32_t)at - 4);
    }
    // An unsigned number of 1, 2 or 4 bytes.
    uint32_t Unsigned(int bytes) { return bytes == 1 ? U8() : bytes == 2 ? U16() : U32(); }
    void Skip(uint64_t bytes) {
        if (Need(bytes)) at += bytes;
    }
};

// The geometry of the records read so far: frames' positions and normals, meshes' vertices,
// triangle lists with the meshes' faces, shapes. False after r.Fail.
bool ReadMV1FrameVertices(MV1READER &r);
bool ReadMV1Meshes(MV1READER &r);
bool ReadMV1Lists(MV1READER &r);
bool ReadMV1Shapes(MV1READER &r);
