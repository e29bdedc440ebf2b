// Small helpers the image readers share: little-endian fields and the result block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/base_image.h"
#include "library/graphics/colour_format.h"

inline uint32_t GetU16LE(const uint8_t *p) {
    return p[0] | (uint32_t)p[1] << 8;
}
inline uint32_t GetU32LE(const uint8_t *p) {
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// Fills `out` with the format and size and a pixel block of pitch x height bytes (zeroed when
// asked). 0, or -1 when the sizes are out of range or memory is short (out stays zeroed).
int StartReaderImage(BASEIMAGE *out, const COLOURFORMAT *format, int width, int height, int64_t pitch,
                     bool zero);

// One colour field of a pixel word given by its mask: shift and width, and the field scaled to
// 8 bits (0 for an empty mask).
struct MaskField {
    uint32_t mask;
    int shift, width;
};

inline MaskField FieldOf(uint32_t mask) {
    MaskField m{mask, 0, 0};
    if (mask != 0) {
        m.shift = __builtin_ctz(mask);
        uint32_t run = mask >> m.shift;
        m.width = run == 0xFFFFFFFFu ? 32 : __builtin_ctz(~run);
    }
    return m;
}

inline uint8_t MaskChannel(uint32_t v, const MaskField &m) {
    if (m.width == 0) return 0;
    uint32_t field = (v & m.mask) >> m.shift;
    if (m.width < 32) field &= (1u << m.width) - 1;
    return (uint8_t)FitColourField(field, m.width, 8);
}
