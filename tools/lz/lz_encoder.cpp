#include "tools/lz/lz_encoder.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kMinMatch = 4;
constexpr size_t kMaxMatch = 8195;
constexpr size_t kMaxDistance = size_t{1} << 24;
constexpr int kHashBits = 16;

uint32_t Hash4(const uint8_t *p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return (v * 2654435761u) >> (32 - kHashBits);
}

void PutU32(std::vector<uint8_t> &out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

size_t FormBytes(size_t distance) { return distance <= 0x100 ? 1 : distance <= 0x10000 ? 2 : 3; }

size_t MatchCost(size_t length, size_t distance) { return 2 + (length > 35 ? 1 : 0) + FormBytes(distance); }

}  // namespace

std::vector<uint8_t> EncodeLzBlock(const void *data, size_t size, int escape) {
    if (size > 0x7FFFFFFFu) throw std::length_error("LZBLOCK input above 2 GiB");
    const uint8_t *src = static_cast<const uint8_t *>(data);
    if (escape < 0 || escape > 255) {
        size_t counts[256] = {};
        for (size_t i = 0; i < size; i++) counts[src[i]]++;
        escape = 0;
        for (int b = 1; b < 256; b++)
            if (counts[b] < counts[escape]) escape = b;
    }
    const uint8_t esc = static_cast<uint8_t>(escape);

    std::vector<uint8_t> out;
    out.reserve(size / 2 + 16);
    PutU32(out, static_cast<uint32_t>(size));
    PutU32(out, 0);
    out.push_back(esc);

    std::vector<int64_t> table(size_t{1} << kHashBits, -1);
    size_t pos = 0;
    while (pos < size) {
        size_t length = 0, distance = 0;
        if (pos + kMinMatch <= size) {
            uint32_t h = Hash4(src + pos);
            int64_t candidate = table[h];
            table[h] = static_cast<int64_t>(pos);
            if (candidate >= 0 && pos - static_cast<size_t>(candidate) <= kMaxDistance) {
                const size_t from = static_cast<size_t>(candidate);
                size_t limit = size - pos < kMaxMatch ? size - pos : kMaxMatch;
                size_t n = 0;
                while (n < limit && src[from + n] == src[pos + n]) n++;
                if (n >= kMinMatch && n > MatchCost(n, pos - from)) {
                    length = n;
                    distance = pos - from;
                }
            }
        }
        if (length == 0) {
            out.push_back(src[pos]);
            if (src[pos] == esc) out.push_back(esc);
            pos++;
            continue;
        }
        const size_t bits = length - 4;
        const size_t form = FormBytes(distance) - 1;
        const bool extended = bits > 31;
        const unsigned k = static_cast<unsigned>(((bits & 31) << 3) | (extended ? 4u : 0u) | form);
        out.push_back(esc);
        out.push_back(static_cast<uint8_t>(k >= esc ? k + 1 : k));
        if (extended) out.push_back(static_cast<uint8_t>(bits >> 5));
        const size_t v = distance - 1;
        for (size_t i = 0; i <= form; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        // Seed the hash inside the match sparsely; a long run needs no more.
        for (size_t i = pos + 1; i < pos + length && i + kMinMatch <= size && i < pos + 64; i++)
            table[Hash4(src + i)] = static_cast<int64_t>(i);
        pos += length;
    }
    if (out.size() > 0xFFFFFFFFu) throw std::length_error("LZBLOCK above 4 GiB");
    const uint32_t stored = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; i++) out[4 + i] = static_cast<uint8_t>(stored >> (8 * i));
    return out;
}
