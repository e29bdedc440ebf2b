// The triangle kernel: the entry checks, the vertices in 14.18 fixed point (positions with a
// half-pixel bias), the texture plane through the leftmost vertex, the two edge walkers and the
// row walk; the span loop of the call's source family, mode and settings is picked once.
// Positions convert to pixels by flooring, so a triangle reaching above row 0 or left of column
// 0 keeps its shape. Spans are half-open: two triangles sharing an edge draw its pixels once.
#include "library/softrender/rasterize_memimg.h"

#include <algorithm>
#include <utility>

#include "library/graphics/draw_area.h"
#include "library/softrender/triangle_spans.h"

namespace {

using softrender::TRIANGLECALL;
using softrender::TRIANGLESPAN;

constexpr int32_t kOne = 0x40000, kHalf = 0x20000;
// Coordinates and extents stay below this, so every 14.18 value and difference fits 32 bits.
constexpr int32_t kLimit = 8192;

int Pixel(int32_t v) { return v >> 18; }

// One side of the triangle: its X and step per row, the rows left in its segment, and when it
// has two segments the second one's start, step and rows.
struct EDGE {
    int32_t x, step;
    int rows;
    bool last;
    int32_t nextX, nextStep;
    int nextRows;
};

EDGE OneSegment(int32_t from, int32_t to, int rows) { return EDGE{from, (to - from) / rows, rows, true, 0, 0, 0}; }

EDGE TwoSegments(int32_t from, int32_t to, int rows, int32_t nextFrom, int32_t nextTo, int nextRows) {
    return EDGE{from, (to - from) / rows, rows, false, nextFrom, (nextTo - nextFrom) / nextRows, nextRows};
}

bool WithinLimits(const int32_t *v) {
    for (int k = 0; k < 4; ++k) {
        int32_t lo = v[k], hi = v[k];
        for (int i = 0; i < 3; ++i) {
            const int32_t c = v[4 * i + k];
            if (c <= -kLimit || c >= kLimit) return false;
            lo = std::min(lo, c);
            hi = std::max(hi, c);
        }
        if (hi - lo >= kLimit) return false;
    }
    return true;
}

// The flat colour after the bright colour, channel by channel through the product rows; the
// fourth byte of a 32-bit colour stays.
template <int T>
uint32_t TintedColour(const softrender::COPYRULES &r, uint32_t colour, bool tint) {
    colour &= T == 1 ? 0xFFFFFFFFu : 0xFFFFu;
    if (!tint) return colour;
    int c[3];
    for (int i = 0; i < 3; ++i) c[i] = r.tint[i][softrender::Channel<T>(colour, i)];
    return softrender::PackChannels<T>(c) | (T == 1 ? colour & 0xFF000000u : 0);
}

}  // namespace

void RasterizeMemImgTriangle(MEMIMG *dst, MEMIMG *src, const int32_t vertices[12], int transparent, MEMIMG *blend,
                             uint32_t colour) {
    using namespace softrender;
    COPYSETUP setup;
    if (!vertices) return;
    if (src ? !PrepareCopyRules(dst, src, blend, transparent, &setup) : !PrepareFlatRules(dst, &setup)) return;
    if (!WithinLimits(vertices)) return;

    int32_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = vertices[4 * i] * kOne + kHalf;
        Y[i] = vertices[4 * i + 1] * kOne + kHalf;
    }
    // Two exchange sorts: by X for the plane's reference vertex, by Y for the edges.
    int ox[3] = {0, 1, 2}, oy[3] = {0, 1, 2};
    for (int i = 0; i < 2; ++i)
        for (int j = i + 1; j < 3; ++j) {
            if (X[ox[i]] > X[ox[j]]) std::swap(ox[i], ox[j]);
            if (Y[oy[i]] > Y[oy[j]]) std::swap(oy[i], oy[j]);
        }

    // The texture plane: exact 14.18 gradients from the differences to the leftmost vertex.
    const int32_t *a1 = vertices + 4 * ox[0], *a2 = vertices + 4 * ox[1], *a3 = vertices + 4 * ox[2];
    const int64_t dx2 = a2[0] - a1[0], dy2 = a2[1] - a1[1], du2 = a2[2] - a1[2], dv2 = a2[3] - a1[3];
    const int64_t dx3 = a3[0] - a1[0], dy3 = a3[1] - a1[1], du3 = a3[2] - a1[2], dv3 = a3[3] - a1[3];
    const int64_t det = dx3 * dy2 - dx2 * dy3;
    if (det == 0) return;
    const int64_t dUdx = (dy2 * du3 - dy3 * du2) * kOne / det, dUdy = (du2 * dx3 - dx2 * du3) * kOne / det;
    const int64_t dVdx = (dy2 * dv3 - dy3 * dv2) * kOne / det, dVdy = (dv2 * dx3 - dv3 * dx2) * kOne / det;
    const int xref = Pixel(X[ox[0]]), yref = Pixel(Y[ox[0]]);
    const int64_t uref = (int64_t)a1[2] * kOne, vref = (int64_t)a1[3] * kOne;

    const int type = setup.type;
    TRIANGLECALL c{};
    c.rules = setup.rules;
    TRIANGLESPAN span;
    if (src) {
        const bool palette = (setup.flags & kPalette) != 0;
        span = type == MEMIMG_TYPE_RGB32 ? (palette ? TriangleSpanPalette32 : TriangleSpanRgb32)(setup.modeIndex, setup.flags)
                                         : (palette ? TriangleSpanPalette16 : TriangleSpanRgb16)(setup.modeIndex, setup.flags);
        c.src = src->pixels;
        c.srcPitch = src->base->pitch;
        int64_t w = src->width, h = src->height;
        if (setup.flags & kGraph) {
            // Texels past a smaller blend graph are left out like texels past the source.
            w = std::min<int64_t>(w, blend->width);
            h = std::min<int64_t>(h, blend->height);
            c.graph = blend->pixels;
            c.graphPitch = blend->base->pitch;
        }
        c.limitU = (uint64_t)std::max<int64_t>(w, 0) << 18;
        c.limitV = (uint64_t)std::max<int64_t>(h, 0) << 18;
        c.dUdx = dUdx;
        c.dVdx = dVdx;
    } else {
        span = TriangleSpanFlat(type, setup.modeIndex);
        const bool tint = (setup.flags & kTint) != 0;
        c.colour = type == MEMIMG_TYPE_RGB32 ? TintedColour<1>(c.rules, colour, tint) : TintedColour<0>(c.rules, colour, tint);
    }
    if (!span) return;

    // The edges, by the order in Y: a flat top, a flat bottom, or the middle vertex on the side
    // of two segments.
    const int t = oy[0], m = oy[1], b = oy[2];
    EDGE left, right;
    if (Y[t] == Y[m]) {
        const int rows = (Y[b] - Y[t]) / kOne;
        const bool tRight = X[t] > X[m];
        right = OneSegment(X[tRight ? t : m], X[b], rows);
        left = OneSegment(X[tRight ? m : t], X[b], rows);
    } else if (Y[m] == Y[b]) {
        const int rows = (Y[m] - Y[t]) / kOne;
        const bool mRight = X[m] > X[b];
        right = OneSegment(X[t], X[mRight ? m : b], rows);
        left = OneSegment(X[t], X[mRight ? b : m], rows);
    } else {
        const int rows1 = (Y[m] - Y[t]) / kOne, rows2 = (Y[b] - Y[m]) / kOne;
        const double s1 = (double)(X[m] - X[t]) / (double)(Y[m] - Y[t]);
        const double s2 = (double)(X[b] - X[t]) / (double)(Y[b] - Y[t]);
        if (s1 < s2) {
            left = TwoSegments(X[t], X[m], rows1, X[m], X[b], rows2);
            right = OneSegment(X[t], X[b], rows1 + rows2);
        } else {
            right = TwoSegments(X[t], X[m], rows1, X[m] + 1, X[b], rows2);
            left = OneSegment(X[t], X[b], rows1 + rows2);
        }
    }

    // The draw area, and never past the destination itself.
    const int top = std::max(g_drawArea.top, 0), bottom = std::min(g_drawArea.bottom, dst->height);
    const int areaLeft = std::max(g_drawArea.left, 0), areaRight = std::min(g_drawArea.right, dst->width);
    const int pitch = dst->base->pitch, bytes = type == MEMIMG_TYPE_RGB32 ? 4 : 2;
    MarkMemImgWritten(dst);

    int row = Pixel(Y[t]);
    const int middleRow = Pixel(Y[m]);
    for (;;) {
        if (row >= top && row < bottom) {
            const int L = std::max(Pixel(left.x), areaLeft), R = std::min(Pixel(right.x), areaRight);
            if (L < R) {
                const int64_t u = uref + (L - xref) * dUdx + (row - yref) * dUdy;
                const int64_t v = vref + (L - xref) * dVdx + (row - yref) * dVdy;
                span(c, dst->pixels + (ptrdiff_t)row * pitch + (ptrdiff_t)L * bytes, R - L, u, v);
            }
        }
        left.x += left.step;
        right.x += right.step;
        --left.rows;
        --right.rows;
        ++row;
        if (left.rows == 0) {
            if (left.last) return;
            left = EDGE{left.nextX, left.nextStep, left.nextRows, true, 0, 0, 0};
            row = middleRow;
        }
        if (right.rows == 0) {
            if (right.last) return;
            right = EDGE{right.nextX, right.nextStep, right.nextRows, true, 0, 0, 0};
        }
    }
}
