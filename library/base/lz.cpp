// LZBLOCK decoding, bounds-checked: the head and the tokens come from files.
#include "library/base/lz.h"

#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Copies length bytes from distance back; an overlapping match repeats its last distance bytes.
// Chunks double so that each one is a plain non-overlapping copy.
inline void CopyMatch(uint8_t *out, size_t distance, size_t length) {
    const uint8_t *from = out - distance;
    if (distance >= length) {
        memcpy(out, from, length);
        return;
    }
    if (distance == 1) {
        memset(out, *from, length);
        return;
    }
    size_t chunk = distance;
    while (length > 0) {
        size_t n = chunk < length ? chunk : length;
        memcpy(out, from, n);
        out += n;
        length -= n;
        chunk += chunk;
    }
}

}  // namespace

int32_t DecodeLzBlock(const void *block, size_t blockBytes, void *destination, size_t destinationBytes) {
    if (block == nullptr || blockBytes < LZBLOCK_HEAD_BYTES) return -1;
    const uint8_t *head = static_cast<const uint8_t *>(block);
    uint32_t decodedSize = ReadU32(head);
    uint32_t storedSize = ReadU32(head + 4);
    if (decodedSize > INT32_MAX || storedSize < LZBLOCK_HEAD_BYTES || storedSize > blockBytes) return -1;
    if (destination == nullptr) return static_cast<int32_t>(decodedSize);
    if (destinationBytes < decodedSize) return -1;

    const uint8_t escape = head[8];
    const uint8_t *in = head + LZBLOCK_HEAD_BYTES;
    const uint8_t *const inEnd = head + storedSize;
    uint8_t *const outStart = static_cast<uint8_t *>(destination);
    uint8_t *out = outStart;
    uint8_t *const outEnd = outStart + decodedSize;

    while (in < inEnd) {
        // A run of literals up to the next escape byte.
        const uint8_t *mark = static_cast<const uint8_t *>(memchr(in, escape, static_cast<size_t>(inEnd - in)));
        const uint8_t *runEnd = mark != nullptr ? mark : inEnd;
        size_t run = static_cast<size_t>(runEnd - in);
        if (run > static_cast<size_t>(outEnd - out)) return -1;
        memcpy(out, in, run);
        out += run;
        in = runEnd;
        if (in == inEnd) break;

        // in points at an escape byte.
        if (inEnd - in < 2) return -1;
        uint8_t q = in[1];
        in += 2;
        if (q == escape) {
            if (out == outEnd) return -1;
            *out++ = escape;
            continue;
        }
        unsigned k = q > escape ? q - 1u : q;
        size_t lengthBits = k >> 3;
        if (k & 4) {
            if (in == inEnd) return -1;
            lengthBits |= static_cast<size_t>(*in++) << 5;
        }
        size_t form = k & 3;
        if (form == 3 || static_cast<size_t>(inEnd - in) < form + 1) return -1;
        size_t value = in[0];
        if (form >= 1) value |= static_cast<size_t>(in[1]) << 8;
        if (form == 2) value |= static_cast<size_t>(in[2]) << 16;
        in += form + 1;
        size_t distance = value + 1;
        size_t length = lengthBits + 4;
        if (distance > static_cast<size_t>(out - outStart) || length > static_cast<size_t>(outEnd - out)) return -1;
        CopyMatch(out, distance, length);
        out += length;
    }
    if (out != outEnd) return -1;
    return static_cast<int32_t>(decodedSize);
}
