// The triangle kernel's span loops: what every span reads, the loop of one source family, and
// the tables from which the kernel picks one loop per call. Each source family instantiates its
// loops in a file of its own.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "library/softrender/copy_pixel.h"

namespace softrender {

// Per-call values of the spans. Texture positions are 14.18 fixed point.
struct TRIANGLECALL {
    COPYRULES rules;
    const uint8_t *src;
    int32_t srcPitch;
    // Texels at or past these (in 14.18) are skipped: the source's size, or with a blend graph
    // the part of the source the graph covers.
    uint64_t limitU, limitV;
    const uint8_t *graph;
    int32_t graphPitch;
    int64_t dUdx, dVdx;
    uint32_t colour;  // flat colour, tinted
};

// n pixels from d on, the first at texture position (u, v).
using TRIANGLESPAN = void (*)(const TRIANGLECALL &c, uint8_t *d, int n, int64_t u, int64_t v);

// The loops of each source family, for a mode index and the call's flags; null when none.
TRIANGLESPAN TriangleSpanRgb32(int modeIndex, unsigned flags);
TRIANGLESPAN TriangleSpanRgb16(int modeIndex, unsigned flags);
TRIANGLESPAN TriangleSpanPalette32(int modeIndex, unsigned flags);
TRIANGLESPAN TriangleSpanPalette16(int modeIndex, unsigned flags);
TRIANGLESPAN TriangleSpanFlat(int type, int modeIndex);

// The steps i in [0, n) at which 0 <= p + i x step < limit, an interval: [*lo, *hi).
inline void StepsInside(int64_t p, int64_t step, uint64_t limit, int n, int *lo, int *hi) {
    const int64_t lim = (int64_t)limit;
    int64_t first = 0, last = n;  // last exclusive
    auto ceilDiv = [](int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); };
    auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    if (step == 0) {
        if (p < 0 || p >= lim) last = 0;
    } else if (step > 0) {
        if (p < 0) first = ceilDiv(-p, step);
        last = std::min<int64_t>(last, ceilDiv(lim - p, step));
    } else {
        const int64_t e = -step;
        last = std::min<int64_t>(last, floorDiv(p, e) + 1);
        if (p >= lim) first = floorDiv(p - lim, e) + 1;
    }
    if (first < 0) first = 0;
    if (last > n) last = n;
    if (last < first) last = first;
    *lo = (int)first;
    *hi = (int)last;
}

// A span of textured pixels: the texel bounds are worked out for the whole span first, so the
// pixels in between test nothing but their own skip rule.
template <int T, int M, unsigned F>
void TriangleTexelSpan(const TRIANGLECALL &c, uint8_t *d, int n, int64_t u, int64_t v) {
    constexpr int sb = CopySourceBytes<F>(T), db = PIXELLAYOUT<T>::kBytes;
    int lo, hi, vlo, vhi;
    StepsInside(u, c.dUdx, c.limitU, n, &lo, &hi);
    StepsInside(v, c.dVdx, c.limitV, n, &vlo, &vhi);
    if (vlo > lo) lo = vlo;
    if (vhi < hi) hi = vhi;
    u += lo * c.dUdx;
    v += lo * c.dVdx;
    d += (ptrdiff_t)lo * db;
    for (int i = lo; i < hi; ++i, d += db, u += c.dUdx, v += c.dVdx) {
        const size_t col = (size_t)(u >> 18), row = (size_t)(v >> 18);
        const uint8_t *gp = nullptr;
        if constexpr ((F & kGraph) != 0) gp = c.graph + row * c.graphPitch + col * c.rules.graphBytes;
        CopyPixel<T, M, F, FAST_NONE, 0, RULES_TRIANGLE>(c.rules, c.src + row * c.srcPitch + col * sb, d, gp);
    }
}

template <int T>
struct TEXELSPANS {
    template <int M, unsigned F>
    struct LOOP {
        static void Run(const TRIANGLECALL &c, uint8_t *d, int n, int64_t u, int64_t v) {
            TriangleTexelSpan<T, M, F>(c, d, n, u, v);
        }
    };
};

// A table [mode index][flags] of a family's loops: one per drawn mode and per combination of
// the flag bits in Free, each with the family's Fixed bits; other entries stay null.
template <template <int M, unsigned F> class LOOP, unsigned Fixed, unsigned Free>
struct SPANTABLE {
    template <int M, unsigned F>
    static constexpr TRIANGLESPAN Entry() {
        if constexpr ((F & ~Free) == 0) return &LOOP<M, F | Fixed>::Run;
        else return nullptr;
    }
    template <int M, unsigned... Fs>
    static constexpr std::array<TRIANGLESPAN, 32> Row(std::integer_sequence<unsigned, Fs...>) {
        return {{Entry<M, Fs>()...}};
    }
    template <size_t... Mi>
    static constexpr std::array<std::array<TRIANGLESPAN, 32>, 7> Make(std::index_sequence<Mi...>) {
        return {{Row<kCopyModes[Mi]>(std::make_integer_sequence<unsigned, 32>())...}};
    }
    static constexpr std::array<std::array<TRIANGLESPAN, 32>, 7> kLoops = Make(std::make_index_sequence<7>());

    static TRIANGLESPAN Pick(int modeIndex, unsigned flags) {
        if (modeIndex < 0 || modeIndex >= 7) return nullptr;
        return kLoops[modeIndex][flags & Free];
    }
};

}  // namespace softrender
