// The triangle kernel's reference walk. Deliberately plain: no stepping, every case a branch.
#include "reference_triangle.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"

namespace softtest {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

std::vector<uint8_t> ReferenceTriangle(const MEMIMG &dst, const MEMIMG *src, const int32_t v[12],
                                       const ORACLESETTINGS &s, uint32_t colour) {
    const MEMIMGBASE *db = dst.base;
    std::vector<uint8_t> body(db->pixels, db->pixels + (size_t)db->pitch * db->height);
    const int type = db->pixelType;
    if (db->paletteFlag || db->alphaFlag || (type != MEMIMG_TYPE_RGB16 && type != MEMIMG_TYPE_RGB32)) return body;
    if (src && (src->base->pixelType != type || src->width <= 0 || src->height <= 0)) return body;
    const bool wide = type == MEMIMG_TYPE_RGB32;
    const int bytes = wide ? 4 : 2;

    // Every coordinate, and every extent, below 8,192 in magnitude.
    for (int k = 0; k < 4; ++k) {
        int lo = v[k], hi = v[k];
        for (int i = 0; i < 3; ++i) {
            if (std::abs(v[4 * i + k]) >= 8192) return body;
            lo = std::min(lo, v[4 * i + k]);
            hi = std::max(hi, v[4 * i + k]);
        }
        if (hi - lo >= 8192) return body;
    }

    const int64_t one = 262144;
    int64_t X[3], Y[3];
    for (int i = 0; i < 3; ++i) {
        X[i] = v[4 * i] * one + one / 2;
        Y[i] = v[4 * i + 1] * one + one / 2;
    }
    int ox[3] = {0, 1, 2}, oy[3] = {0, 1, 2};
    for (int i = 0; i < 2; ++i)
        for (int j = i + 1; j < 3; ++j) {
            if (X[ox[i]] > X[ox[j]]) std::swap(ox[i], ox[j]);
            if (Y[oy[i]] > Y[oy[j]]) std::swap(oy[i], oy[j]);
        }
    const int a1 = ox[0], a2 = ox[1], a3 = ox[2];
    auto diff = [&](int to, int k) { return (int64_t)v[4 * to + k] - v[4 * a1 + k]; };
    const int64_t det = diff(a3, 0) * diff(a2, 1) - diff(a2, 0) * diff(a3, 1);
    if (det == 0) return body;
    const int64_t dUdx = (diff(a2, 1) * diff(a3, 2) - diff(a3, 1) * diff(a2, 2)) * one / det;
    const int64_t dUdy = (diff(a2, 2) * diff(a3, 0) - diff(a2, 0) * diff(a3, 2)) * one / det;
    const int64_t dVdx = (diff(a2, 1) * diff(a3, 3) - diff(a3, 1) * diff(a2, 3)) * one / det;
    const int64_t dVdy = (diff(a2, 3) * diff(a3, 0) - diff(a3, 3) * diff(a2, 0)) * one / det;
    const int64_t xref = FloorDiv(X[a1], one), yref = FloorDiv(Y[a1], one);
    const int64_t uref = v[4 * a1 + 2] * one, vref = v[4 * a1 + 3] * one;

    // Each side as a list of segments (start X, step, rows); X at row k of the walk.
    struct SEG {
        int64_t x, step, rows;
    };
    const int t = oy[0], m = oy[1], b = oy[2];
    auto seg = [](int64_t from, int64_t to, int64_t rows) { return SEG{from, (to - from) / rows, rows}; };
    std::vector<SEG> left, right;
    const int64_t rowsTM = (Y[m] - Y[t]) / one, rowsMB = (Y[b] - Y[m]) / one, rowsTB = (Y[b] - Y[t]) / one;
    if (rowsTM == 0) {
        const int r = X[t] > X[m] ? t : m, l = r == t ? m : t;
        left = {seg(X[l], X[b], rowsTB)};
        right = {seg(X[r], X[b], rowsTB)};
    } else if (rowsMB == 0) {
        const int r = X[m] > X[b] ? m : b, l = r == m ? b : m;
        left = {seg(X[t], X[l], rowsTM)};
        right = {seg(X[t], X[r], rowsTM)};
    } else if ((double)(X[m] - X[t]) / (double)rowsTM < (double)(X[b] - X[t]) / (double)rowsTB) {
        left = {seg(X[t], X[m], rowsTM), seg(X[m], X[b], rowsMB)};
        right = {seg(X[t], X[b], rowsTB)};
    } else {
        left = {seg(X[t], X[b], rowsTB)};
        right = {seg(X[t], X[m], rowsTM), seg(X[m] + 1, X[b], rowsMB)};
    }
    auto xAt = [](const std::vector<SEG> &side, int64_t k) {
        for (const SEG &s : side) {
            if (k < s.rows) return s.x + k * s.step;
            k -= s.rows;
        }
        return (int64_t)0;
    };

    const int64_t top = std::max(g_drawArea.top, 0), bottom = std::min(g_drawArea.bottom, dst.height);
    const int64_t areaLeft = std::max(g_drawArea.left, 0), areaRight = std::min(g_drawArea.right, dst.width);
    const size_t origin = (size_t)(dst.pixels - db->pixels);
    const int64_t firstRow = FloorDiv(Y[t], one);
    for (int64_t k = 0; k < rowsTB; ++k) {
        const int64_t row = firstRow + k;
        if (row < top || row >= bottom) continue;
        const int64_t L = std::max(FloorDiv(xAt(left, k), one), areaLeft);
        const int64_t R = std::min(FloorDiv(xAt(right, k), one), areaRight);
        for (int64_t x = L; x < R; ++x) {
            const size_t at = origin + (size_t)row * db->pitch + (size_t)x * bytes;
            uint32_t d = 0;
            std::memcpy(&d, body.data() + at, bytes);
            if (src) {
                const int64_t U = uref + (x - xref) * dUdx + (row - yref) * dUdy;
                const int64_t V = vref + (x - xref) * dVdx + (row - yref) * dVdy;
                if ((uint64_t)U >= (uint64_t)src->width * one || (uint64_t)V >= (uint64_t)src->height * one) continue;
                const int col = (int)(U / one), texelRow = (int)(V / one);
                // A texel past a smaller blend graph leaves its pixel alone.
                if (s.graph && (col >= s.graph->width || texelRow >= s.graph->height)) continue;
                d = OracleCopyPixel(POLICY_TRIANGLE, s, *src, col, texelRow, d);
            } else {
                d = OracleFlatPixel(s, wide, colour, d);
            }
            std::memcpy(body.data() + at, &d, bytes);
        }
    }
    return body;
}

}  // namespace softtest
