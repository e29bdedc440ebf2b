// The shape kernels' pixel rule: one texel, or one flat colour, onto one destination pixel under
// the blend mode, with the skip test, the palette fetch, the tint, the blend-graph and alpha
// weights. The triangle and the rotated kernels share it; they differ only in how they walk and
// in the triangle's extra green precision of 16-bit mode 11.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"
#include "library/softrender/pixel_ops.h"

namespace softrender {

// Settings that select a loop, as flag bits.
constexpr unsigned kShapeGraph = 1, kShapeTint = 2, kShapePalette = 4, kShapeAlpha = 8, kShapeKey = 16;
// The drawing modes, in the order of the loop tables.
constexpr int kShapeModes[] = {0, 1, 2, 3, 4, 10, 11};
constexpr int kShapeModeIndex[12] = {0, 1, 2, 3, 4, -1, -1, -1, -1, -1, 5, 6};

// Per-call values the rule reads.
struct SHAPERULES {
    uint32_t key;
    const uint8_t *palette;
    const int32_t *tint[3];  // product rows of the bright blue, green and red
    const int32_t *prodP;    // product row of the parameter
    const int32_t *signedP;  // signed product row of the parameter, at its zero entry
    const uint8_t *graphTable;
    int32_t graphBytes, graphType;
    int32_t p;
};

// What a shape call draws, decided once. False when it draws nothing: refused images, a mode or
// a parameter that draws nothing. src null: a flat colour.
struct SHAPESETUP {
    SHAPERULES rules;
    int type;
    int modeIndex;  // into kShapeModes; mode 1 at p = 255 is mode 0
    unsigned flags;
};
bool PrepareShapeRules(const MEMIMG *dst, const MEMIMG *src, const MEMIMG *blend, int transparent, SHAPESETUP *out);

// The blend graph's weight byte; a colour image as blend graph gives its blue channel.
inline int ShapeGraphWeight(const SHAPERULES &c, const uint8_t *gp) {
    uint32_t v = LoadBytes(gp, c.graphBytes);
    if (c.graphType == MEMIMG_TYPE_RGB16) v = (v & 0x1F) << 3 | (v & 0x1F) >> 2;
    else if (c.graphType == MEMIMG_TYPE_RGB32) v &= 0xFF;
    else if (c.graphType == MEMIMG_TYPE_CHAN16) v >>= 8;
    return c.graphTable[v & 0xFF];
}

// One colour s onto the destination pixel. a: the alpha weight, or -1 when none applies; g: the
// blend-graph weight (read only with kShapeGraph). Green11: 16-bit mode 11 keeps five fraction
// bits of the green product when the alpha is the only weight at full brightness. The fourth
// byte of a 32-bit destination keeps its value except in whole-word copies and in the packed
// add and subtract, which write all four bytes.
template <int T, int M, unsigned F, bool Green11>
inline void BlendShapePixel(const SHAPERULES &c, uint8_t *dp, uint32_t s, int a, int g) {
    using PX = PIXELLAYOUT<T>;
    const uint32_t d = LoadBytes<PX::kBytes>(dp);
    const uint32_t keep = T == 1 ? d & 0xFF000000u : 0;
    int k = 0;
    int64_t w = 1;
    if constexpr ((F & kShapeGraph) != 0) {
        w *= g;
        ++k;
    }
    if (a >= 0) {
        w *= a;
        ++k;
    }
    if constexpr (M == 0 && (F & kShapeTint) == 0) {
        if (k == 0) {
            StoreBytes<PX::kBytes>(dp, s);
            return;
        }
    }
    int raw[3], sc[3], dc[3], out[3];
    for (int i = 0; i < 3; ++i) {
        raw[i] = sc[i] = Channel<T>(s, i);
        dc[i] = Channel<T>(d, i);
        // Mode 10 aims at the inverted texel, tinted after the inversion.
        if constexpr (M == 10) sc[i] = ((1 << PX::kWidth[i]) - 1) - sc[i];
        if constexpr ((F & kShapeTint) != 0) sc[i] = c.tint[i][sc[i]];
    }
    uint32_t result;
    if constexpr (M == 0) {
        for (int i = 0; i < 3; ++i) out[i] = k == 0 ? sc[i] : MixChannel(dc[i], sc[i], w, k);
        result = PackChannels<T>(out) | keep;
    } else if constexpr (M == 1 || M == 10 || M == 11) {
        if constexpr (M == 11)
            for (int i = 0; i < 3; ++i) sc[i] = (sc[i] * dc[i]) >> PX::kWidth[i];
        if (T == 0 && k == 0) {
            for (int i = 0; i < 3; ++i) out[i] = dc[i] + c.signedP[sc[i] - dc[i]];
        } else {
            for (int i = 0; i < 3; ++i) out[i] = MixChannel(dc[i], sc[i], w * c.p, k + 1);
            if constexpr (Green11 && T == 0 && M == 11 && (F & (kShapeGraph | kShapeTint)) == 0) {
                if (a >= 0) {
                    const int64_t product32 = (raw[1] * dc[1]) >> 1, d32 = 32 * dc[1];
                    out[1] = (int)(((int64_t)dc[1] * 2097152 + (product32 - d32) * a * c.p) >> 21);
                }
            }
        }
        result = PackChannels<T>(out) | keep;
    } else if constexpr (M == 2 || M == 3) {
        for (int i = 0; i < 3; ++i) {
            if constexpr (T == 1) {
                out[i] = k == 0 ? c.prodP[sc[i]] : (int)(((int64_t)sc[i] * w * c.p) >> (8 * (k + 1)));
            } else if constexpr ((F & kShapeGraph) == 0) {
                // 16-bit with the alpha alone: the alpha scales the texel before the tint.
                const int v = a >= 0 ? (raw[i] * a) >> 8 : raw[i];
                out[i] = c.prodP[(F & kShapeTint) != 0 ? c.tint[i][v] : v];
            } else {
                out[i] = c.prodP[(int)(((int64_t)sc[i] * w) >> (8 * k))];
            }
        }
        const uint32_t amount = PackChannels<T>(out);
        if constexpr (T == 1) result = M == 2 ? AddMasked32(d, amount) : SubMasked32(d, amount);
        else result = M == 2 ? AddMasked16(d, amount) : SubMasked16(d, amount);
    } else {  // M == 4
        for (int i = 0; i < 3; ++i) out[i] = (int)(((int64_t)dc[i] * sc[i] * w) >> (PX::kWidth[i] + 8 * k));
        result = PackChannels<T>(out) | keep;
    }
    StoreBytes<PX::kBytes>(dp, result);
}

// One texel at sp (and its blend-graph byte at gp) onto the destination pixel: the skip test,
// the palette fetch and the alpha weight, then the blend.
template <int T, int M, unsigned F, bool Green11>
inline void ShapeTexel(const SHAPERULES &c, const uint8_t *sp, uint8_t *dp, const uint8_t *gp) {
    uint32_t colour;
    int a = -1;
    if constexpr ((F & kShapePalette) != 0) {
        const uint32_t index = *sp;
        if ((F & kShapeKey) && index == c.key) return;
        colour = T == 1 ? LoadBytes<4>(c.palette + index * 4) : LoadBytes<2>(c.palette + index * 2);
    } else if constexpr ((F & kShapeAlpha) != 0) {
        const uint32_t raw = LoadBytes<4>(sp);
        const int alpha = T == 1 ? (int)(raw >> 24) : (int)(raw >> 16 & 0xFF);
        colour = T == 1 ? raw : raw & 0xFFFF;
        if constexpr ((F & kShapeKey) != 0) {
            // Under the transparency flag alpha 0 is skipped in every mode and alpha 255 is opaque.
            if (alpha == 0) return;
            a = alpha == 255 ? -1 : alpha;
        } else {
            a = alpha;
        }
    } else {
        colour = LoadBytes<PIXELLAYOUT<T>::kBytes>(sp);
        if ((F & kShapeKey) && colour == c.key) return;
    }
    int g = 0;
    if constexpr ((F & kShapeGraph) != 0) g = ShapeGraphWeight(c, gp);
    BlendShapePixel<T, M, F, Green11>(c, dp, colour, a, g);
}

// The destination's derived buffers no longer describe its pixels once a kernel writes them.
inline void MarkMemImgWritten(MEMIMG *dst) {
    dst->base->runTableValid = 0;
    dst->base->premultipliedValid = 0;
}

// Bytes of one texel: 1 for an index, 4 for 32-bit or alpha-carrying pixels, else 2.
template <int T, unsigned F>
constexpr int ShapeTexelBytes() {
    return (F & kShapePalette) ? 1 : (T == 1 || (F & kShapeAlpha)) ? 4 : 2;
}

}  // namespace softrender
