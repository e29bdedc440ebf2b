// The software kernels' pixel rule: one source pixel, or one flat colour, onto one destination
// pixel under the blend mode, with the skip test, the palette fetch, the tint, the blend-graph
// and alpha weights and the fast paths the calling kernel has. Shared by the 1:1 and the
// stretched copy kernels and the triangle and rotated shape kernels, which differ in how they
// walk, which fast paths they take and the few rules of PIXELRULES.
#pragma once

#include <cstdint>

#include "library/graphics/memimg.h"
#include "library/softrender/pixel_ops.h"

namespace softrender {

// Settings that select a loop, as flag bits.
constexpr unsigned kGraph = 1, kTint = 2, kPalette = 4, kAlpha = 8, kKey = 16;
// The drawing modes, in the order of the loop tables.
constexpr int kCopyModes[] = {0, 1, 2, 3, 4, 10, 11};
constexpr int kCopyModeIndex[12] = {0, 1, 2, 3, 4, -1, -1, -1, -1, -1, 5, 6};

// Fast paths of pixels without blend graph, tint or alpha, each a loop of its own: halving at
// p = 128, the 6-bit blend table (16-bit mode 1), the p = 255 masked add and subtract, and the
// exact saturation of the vector units (32-bit, p = 255).
enum COPYFAST { FAST_NONE, FAST_HALF, FAST_TABLE6, FAST_ADD255, FAST_SUB255, FAST_ADDSAT, FAST_SUBSAT };

// Whose rules. The copy kernels keep a 32-bit destination's fourth byte through the packed add
// and subtract, and tint a 16-bit texel before its alpha scales the amount. The shape kernels
// write the whole packed word, and scale a 16-bit texel by its alpha before the tint when the
// alpha is the only weight. The triangle kernel also keeps five fraction bits of the green
// product in 16-bit mode 11 when the alpha is the only weight at full brightness.
enum PIXELRULES { RULES_COPY, RULES_ROTATED, RULES_TRIANGLE };

// Per-call values the rule reads, prepared once by PrepareCopyRules.
struct COPYRULES {
    uint32_t key;
    const uint8_t *palette;
    const int32_t *tint[3];       // product rows of the bright blue, green and red
    const int32_t *prodP;         // product row of the parameter
    const int32_t *signedP;       // signed product row of the parameter, at its zero entry
    const uint8_t (*blend6)[64];  // 6-bit blend block of the parameter
    const uint8_t *graphTable;
    int32_t graphBytes, graphType;
    int32_t p;
};

// What a copy call draws, decided once: the pixel type, the mode's table index, the parameter
// and the flags. False when the call draws nothing (refused images, a mode or parameter that
// draws nothing).
struct COPYSETUP {
    COPYRULES rules;
    int type;
    int mode;       // blend mode after mode 1 at p = 255 became mode 0
    int modeIndex;  // into kCopyModes
    unsigned flags;
};
bool PrepareCopyRules(const MEMIMG *dst, const MEMIMG *src, const MEMIMG *blend, int transparent, COPYSETUP *out);
// The same for a flat colour: no source, no blend graph, no key.
bool PrepareFlatRules(const MEMIMG *dst, COPYSETUP *out);

// The blend graph's weight of the pixel at gp.
inline int GraphWeight(const COPYRULES &c, const uint8_t *gp) {
    return c.graphTable[BlendGraphByte(gp, c.graphBytes, c.graphType)];
}

// One source colour onto the destination pixel. a: the alpha factor, or -1 when the pixel
// carries none; g: the blend-graph weight (read only with kGraph). The fourth byte of a 32-bit
// destination keeps its value except in whole-word copies and the shape kernels' add and
// subtract.
template <int T, int M, unsigned F, int FP, int R = RULES_COPY>
inline void BlendCopyPixel(const COPYRULES &c, uint8_t *dp, uint32_t s, int a, int g) {
    using PX = PIXELLAYOUT<T>;
    const uint32_t d = LoadBytes<PX::kBytes>(dp);
    const uint32_t keep = T == 1 ? d & 0xFF000000u : 0;
    if constexpr (FP == FAST_HALF) {
        const uint32_t r = T == 1 ? (((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F)) | keep
                                  : ((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF);
        StoreBytes<PX::kBytes>(dp, r);
        return;
    } else if constexpr (FP == FAST_ADD255 || FP == FAST_SUB255 || FP == FAST_ADDSAT || FP == FAST_SUBSAT) {
        uint32_t r;
        if constexpr (T == 1) {
            if constexpr (FP == FAST_ADD255) r = AddMasked32Fast(d, s);
            else if constexpr (FP == FAST_SUB255) r = SubMasked32(d, s, 0xFEFEFF);
            else if constexpr (FP == FAST_ADDSAT) r = AddSaturated32(d, s);
            else r = SubSaturated32(d, s);
            r = (r & 0xFFFFFF) | keep;
        } else {
            r = FP == FAST_ADD255 ? AddMasked16Fast(d, s) : SubMasked16(d, s);
        }
        StoreBytes<PX::kBytes>(dp, r);
        return;
    }
    int k = 0;
    int64_t w = 1;
    if constexpr ((F & kGraph) != 0) {
        w *= g;
        ++k;
    }
    if (a >= 0) {
        w *= a;
        ++k;
    }
    if constexpr (M == 0 && (F & kTint) == 0) {
        if (k == 0) {
            StoreBytes<PX::kBytes>(dp, s);
            return;
        }
    }
    int raw[3], sc[3], dc[3], out[3];
    for (int i = 0; i < 3; ++i) {
        raw[i] = sc[i] = Channel<T>(s, i);
        dc[i] = Channel<T>(d, i);
        if constexpr (M == 10) sc[i] = ((1 << PX::kWidth[i]) - 1) - sc[i];
        if constexpr ((F & kTint) != 0) sc[i] = c.tint[i][sc[i]];
    }
    uint32_t result;
    if constexpr (M == 0) {
        if (k == 0) {
            result = PackChannels<T>(sc) | keep;
        } else {
            for (int i = 0; i < 3; ++i) out[i] = MixChannel(dc[i], sc[i], w, k);
            result = PackChannels<T>(out) | keep;
        }
    } else if constexpr (M == 1 || M == 10 || M == 11) {
        if constexpr (M == 11)
            for (int i = 0; i < 3; ++i) sc[i] = (sc[i] * dc[i]) >> PX::kWidth[i];
        if constexpr (FP == FAST_TABLE6) {
            for (int i = 0; i < 3; ++i) out[i] = c.blend6[sc[i]][dc[i]];
        } else if (T == 0 && k == 0) {
            for (int i = 0; i < 3; ++i) out[i] = dc[i] + c.signedP[sc[i] - dc[i]];
        } else {
            for (int i = 0; i < 3; ++i) out[i] = MixChannel(dc[i], sc[i], w * c.p, k + 1);
            if constexpr (R == RULES_TRIANGLE && T == 0 && M == 11 && (F & (kGraph | kTint)) == 0) {
                if (a >= 0) {
                    const int64_t product32 = (raw[1] * dc[1]) >> 1;
                    out[1] = (int)(((int64_t)dc[1] * 2097152 + (product32 - 32 * dc[1]) * a * c.p) >> 21);
                }
            }
        }
        result = PackChannels<T>(out) | keep;
    } else if constexpr (M == 2 || M == 3) {
        for (int i = 0; i < 3; ++i) {
            if constexpr (T == 1) {
                out[i] = k == 0 ? c.prodP[sc[i]] : (int)(((int64_t)sc[i] * w * c.p) >> (8 * (k + 1)));
            } else if constexpr (R != RULES_COPY && (F & kGraph) == 0) {
                const int v = a >= 0 ? (raw[i] * a) >> 8 : raw[i];
                out[i] = c.prodP[(F & kTint) != 0 ? c.tint[i][v] : v];
            } else {
                out[i] = c.prodP[(int)(((int64_t)sc[i] * w) >> (8 * k))];
            }
        }
        const uint32_t scaled = PackChannels<T>(out);
        if constexpr (T == 1) {
            result = M == 2 ? AddMasked32(d, scaled) : SubMasked32(d, scaled);
            if constexpr (R == RULES_COPY) result = (result & 0xFFFFFF) | keep;
        } else
            result = M == 2 ? AddMasked16(d, scaled) : SubMasked16(d, scaled);
    } else {  // M == 4
        for (int i = 0; i < 3; ++i) out[i] = (int)(((int64_t)dc[i] * sc[i] * w) >> (PX::kWidth[i] + 8 * k));
        result = PackChannels<T>(out) | keep;
    }
    StoreBytes<PX::kBytes>(dp, result);
}

// How the source pixel is taken. Run 0: per pixel with the skip test; 1: a pixel of an opaque
// run (no test, no alpha factor); 2: a pixel of a translucent run (its alpha as factor).
template <int T, int M, unsigned F, int FP, int Run = 0, int R = RULES_COPY>
inline void CopyPixel(const COPYRULES &c, const uint8_t *sp, uint8_t *dp, const uint8_t *gp) {
    uint32_t colour;
    int a = -1;
    if constexpr ((F & kPalette) != 0) {
        const uint32_t index = *sp;
        if (Run == 0 && (F & kKey) && index == c.key) return;
        colour = T == 1 ? LoadBytes<4>(c.palette + index * 4) : LoadBytes<2>(c.palette + index * 2);
    } else if constexpr ((F & kAlpha) != 0) {
        const uint32_t raw = LoadBytes<4>(sp);
        const int alpha = T == 1 ? (int)(raw >> 24) : (int)(raw >> 16 & 0xFF);
        colour = T == 1 ? raw : raw & 0xFFFF;
        if constexpr (Run == 2) {
            a = alpha;
        } else if constexpr (Run == 0) {
            if constexpr ((F & kKey) != 0) {
                if (alpha == 0) return;
                a = alpha == 255 ? -1 : alpha;
            } else {
                a = alpha;
            }
        }
    } else {
        colour = LoadBytes<PIXELLAYOUT<T>::kBytes>(sp);
        if (Run == 0 && (F & kKey) && colour == c.key) return;
    }
    int g = 0;
    if constexpr ((F & kGraph) != 0) g = GraphWeight(c, gp);
    BlendCopyPixel<T, M, F, FP, R>(c, dp, colour, a, g);
}

// Bytes of one source pixel: 1 for an index, 4 for 32-bit or alpha-carrying pixels, else 2.
template <unsigned F>
constexpr int CopySourceBytes(int type) {
    return (F & kPalette) ? 1 : (type == 1 || (F & kAlpha)) ? 4 : 2;
}

}  // namespace softrender
