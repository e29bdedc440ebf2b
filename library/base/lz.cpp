// LZBLOCK decoding, bounds-checked: the head and the tokens come from files.
#include "library/base/lz.h"

#include <cstring>

namespace {

constexpr uint64_t kLongestMatch = 8195;

uint32_t ReadU32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint64_t Load64(const uint8_t *p) {
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}

void Store64(uint8_t *p, uint64_t v) { memcpy(p, &v, 8); }

// Copies length bytes from distance back; an overlapping match repeats its last distance bytes.
// slack is the room behind the match in the output, which 8-byte steps may overwrite (later
// tokens write it again).
inline void CopyMatch(uint8_t *out, size_t distance, size_t length, size_t slack) {
    const uint8_t *from = out - distance;
    if (distance >= 8 && slack >= 8 && length <= 64) {
        // Each step reads bytes at least 8 behind the write position, so they are final.
        uint8_t *const end = out + length;
        do {
            Store64(out, Load64(from));
            out += 8;
            from += 8;
        } while (out < end);
        return;
    }
    if (distance >= length) {
        memcpy(out, from, length);
        return;
    }
    if (distance == 1) {
        memset(out, *from, length);
        return;
    }
    // Chunks doubling in size, each a plain non-overlapping copy.
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
    // The densest tokens are four-byte matches of 8,195 bytes: a head that claims more than its
    // tokens can give is refused before any caller allocates for it.
    if ((uint64_t)decodedSize * 4 > (uint64_t)(storedSize - LZBLOCK_HEAD_BYTES) * kLongestMatch) return -1;
    if (destination == nullptr) return static_cast<int32_t>(decodedSize);
    if (destinationBytes < decodedSize) return -1;

    const uint8_t escape = head[8];
    const uint8_t *in = head + LZBLOCK_HEAD_BYTES;
    const uint8_t *const inEnd = head + storedSize;
    uint8_t *const outStart = static_cast<uint8_t *>(destination);
    uint8_t *out = outStart;
    uint8_t *const outEnd = outStart + decodedSize;

    const uint64_t escapes = 0x0101010101010101ull * escape;
    while (in < inEnd) {
        if (*in != escape) {
            // Literals, eight at a time while both sides have the room.
            if (inEnd - in >= 8 && outEnd - out >= 8) {
                uint64_t v = Load64(in);
                uint64_t x = v ^ escapes;
                uint64_t found = (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
                size_t n = found == 0 ? 8 : static_cast<size_t>(__builtin_ctzll(found) >> 3);
                Store64(out, v);
                in += n;
                out += n;
                continue;
            }
            if (out == outEnd) return -1;
            *out++ = *in++;
            continue;
        }

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
        size_t room = static_cast<size_t>(outEnd - out);
        if (distance > static_cast<size_t>(out - outStart) || length > room) return -1;
        CopyMatch(out, distance, length, room - length);
        out += length;
    }
    if (out != outEnd) return -1;
    return static_cast<int32_t>(decodedSize);
}
