// Pixel building blocks of every software kernel: the channel layout of the two drawable pixel
// types, word loads and stores, the weighted mix, the packed add and subtract that treat the
// three channels of a pixel in one word (the low bits of green and red as carry guards), the
// blend graph's byte, the clip to the draw area, and the mark a written image gets.
#pragma once

#include <cstdint>
#include <cstring>

#include "library/base/vecmath.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/memimg.h"

namespace softrender {

// Channel layout of pixel type 0 (RGB 565) and 1 (bytes B, G, R, then the fourth byte);
// channel index 0 is blue, 1 green, 2 red.
template <int T>
struct PIXELLAYOUT;
template <>
struct PIXELLAYOUT<0> {
    static constexpr int kBytes = 2;
    static constexpr int kWidth[3] = {5, 6, 5};
    static constexpr int kShift[3] = {0, 5, 11};
    static constexpr uint32_t kColour = 0xFFFF;
};
template <>
struct PIXELLAYOUT<1> {
    static constexpr int kBytes = 4;
    static constexpr int kWidth[3] = {8, 8, 8};
    static constexpr int kShift[3] = {0, 8, 16};
    static constexpr uint32_t kColour = 0xFFFFFF;
};

template <int T>
inline int Channel(uint32_t v, int i) {
    return (int)(v >> PIXELLAYOUT<T>::kShift[i]) & ((1 << PIXELLAYOUT<T>::kWidth[i]) - 1);
}

template <int T>
inline uint32_t PackChannels(const int c[3]) {
    return (uint32_t)c[0] << PIXELLAYOUT<T>::kShift[0] | (uint32_t)c[1] << PIXELLAYOUT<T>::kShift[1] |
           (uint32_t)c[2] << PIXELLAYOUT<T>::kShift[2];
}

// Little-endian loads and stores of 1, 2 or 4 bytes, at any alignment.
template <int Bytes>
inline uint32_t LoadBytes(const uint8_t *p) {
    if constexpr (Bytes == 1) {
        return p[0];
    } else if constexpr (Bytes == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    } else {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
}
inline uint32_t LoadBytes(const uint8_t *p, int bytes) {
    return bytes == 1 ? LoadBytes<1>(p) : bytes == 2 ? LoadBytes<2>(p) : LoadBytes<4>(p);
}
template <int Bytes>
inline void StoreBytes(uint8_t *p, uint32_t v) {
    if constexpr (Bytes == 2) {
        const uint16_t h = (uint16_t)v;
        std::memcpy(p, &h, 2);
    } else {
        std::memcpy(p, &v, 4);
    }
}

// d moved toward s by W / 256^k, floored: (d x 256^k + (s - d) x W) >> 8k.
inline int MixChannel(int d, int s, int64_t w, int k) {
    return (int)((((int64_t)d << (8 * k)) + (int64_t)(s - d) * w) >> (8 * k));
}

// 32-bit packed add of an amount s to d. The general form keeps the low bits of green and red
// as the OR of both; the p = 255 fast path of the 1:1 copy leaves that term out. Byte 3 of the
// result is the carry out of red.
inline uint32_t AddMasked32(uint32_t d, uint32_t s) {
    const uint32_t t = (d & 0xFEFEFF) + (s & 0xFEFEFF), c = t & 0x1010100;
    return (c - (c >> 8)) | ((d | s) & 0x010100) | t;
}
inline uint32_t AddMasked32Fast(uint32_t d, uint32_t s) {
    const uint32_t t = (d & 0xFEFEFF) + (s & 0xFEFEFF), c = t & 0x1010100;
    return (c - (c >> 8)) | t;
}
// 32-bit packed subtract of s from d; byte 3 of the result is 0. The p = 255 fast path masks
// s with 0xFEFEFF (its fourth byte left out), the general form with 0xFEFEFEFF.
inline uint32_t SubMasked32(uint32_t d, uint32_t s, uint32_t mask = 0xFEFEFEFFu) {
    const uint32_t e = (d | 0x1010100) - (s & mask), c = e & 0x1010100;
    return (c - (c >> 8)) & e;
}
// 16-bit packed add and subtract on 565 words; the result is 16 bits.
inline uint32_t AddMasked16(uint32_t d, uint32_t s) {
    const uint32_t t = (d & 0xF7DF) + (s & 0xF7DF), c = t & 0x10820;
    return ((c - (c >> 5)) | ((d | s) & 0x0820) | t) & 0xFFFF;
}
inline uint32_t AddMasked16Fast(uint32_t d, uint32_t s) {
    const uint32_t t = (d & 0xF7DF) + (s & 0xF7DF), c = t & 0x10820;
    return ((c - (c >> 5)) | t) & 0xFFFF;
}
inline uint32_t SubMasked16(uint32_t d, uint32_t s) {
    const uint32_t e = (d | 0x10820) - (s & 0xF7DF), c = e & 0x10820;
    return ((c - (c >> 5)) & e) & 0xFFFF;
}

// Exact per-byte saturation of bytes 0-2, as the processor's vector units give it; byte 3 is 0.
inline uint32_t AddSaturated32(uint32_t d, uint32_t s) {
    uint32_t r = 0;
    for (int i = 0; i < 24; i += 8) {
        const uint32_t v = (d >> i & 0xFF) + (s >> i & 0xFF);
        r |= (v > 255 ? 255 : v) << i;
    }
    return r;
}
inline uint32_t SubSaturated32(uint32_t d, uint32_t s) {
    uint32_t r = 0;
    for (int i = 0; i < 24; i += 8) {
        const uint32_t a = d >> i & 0xFF, b = s >> i & 0xFF;
        r |= (a > b ? a - b : 0) << i;
    }
    return r;
}

// The blend graph's byte at gp (bytes per pixel and pixel type of its image); a colour image as
// blend graph gives its blue channel.
inline uint32_t BlendGraphByte(const uint8_t *gp, int bytes, int type) {
    uint32_t v = LoadBytes(gp, bytes);
    if (type == MEMIMG_TYPE_RGB16) v = (v & 0x1F) << 3 | (v & 0x1F) >> 2;
    else if (type == MEMIMG_TYPE_RGB32) v &= 0xFF;
    else if (type == MEMIMG_TYPE_CHAN16) v >>= 8;
    return v & 0xFF;
}

// r clipped to the draw area and, should that reach past it, to the destination's extent.
inline void ClipToDrawArea(RECT *r, const MEMIMG *dst) {
    const RECT area{g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom};
    ClipRect(r, &area);
    const RECT inside{0, 0, dst->width, dst->height};
    ClipRect(r, &inside);
}

// The destination's derived buffers no longer describe its pixels once a kernel writes them.
inline void MarkMemImgWritten(MEMIMG *dst) {
    dst->base->runTableValid = 0;
    dst->base->premultipliedValid = 0;
}

}  // namespace softrender
