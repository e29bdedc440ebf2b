// Small helpers the image readers share: little-endian fields and the result block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/base_image.h"

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
