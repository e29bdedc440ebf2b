// The triangle kernel's reference model. Deliberately plain: no tables, no word tricks, no
// stepping; every case a branch.
#include "reference_triangle.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"

namespace softtest {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Channel i (0 blue, 1 green, 2 red) of a pixel value; 16-bit fields keep their widths.
int Max(bool wide, int i) { return wide ? 255 : i == 1 ? 63 : 31; }
int Width(bool wide, int i) { return wide ? 8 : i == 1 ? 6 : 5; }
int64_t Get(bool wide, uint32_t v, int i) {
    if (wide) return v >> (8 * i) & 0xFF;
    return i == 0 ? v & 31 : i == 1 ? v >> 5 & 63 : v >> 11 & 31;
}
uint32_t Put(bool wide, const int64_t c[3]) {
    if (wide) return (uint32_t)(c[0] | c[1] << 8 | c[2] << 16);
    return (uint32_t)(c[0] | c[1] << 5 | c[2] << 11);
}

uint32_t ReadAt(const MEMIMG &m, int x, int y, int bytes) {
    uint32_t v = 0;
    std::memcpy(&v, m.pixels + (size_t)y * m.base->pitch + (size_t)x * bytes, bytes);
    return v;
}

// The packed add, channel by channel: blue saturates exactly; green and red add their upper
// bits, become full when those overflow, and otherwise take as lowest bit the OR of both lowest
// bits and of the carry of the channel below. *redCarry: whether red overflowed.
uint32_t AddChannels(bool wide, const int64_t d[3], const int64_t t[3], int *redCarry) {
    int64_t out[3];
    int carry = d[0] + t[0] > Max(wide, 0);
    out[0] = std::min<int64_t>(d[0] + t[0], Max(wide, 0));
    for (int i = 1; i < 3; ++i) {
        const int64_t halves = (d[i] >> 1) + (t[i] >> 1);
        const int low = (int)((d[i] | t[i]) & 1) | carry;
        const bool over = 2 * halves > Max(wide, i);
        if (!over) out[i] = 2 * halves | low;
        else if (!wide && i == 1) out[i] = 62 | low;  // 16-bit green keeps its lowest bit
        else out[i] = Max(wide, i);
        carry = over;
    }
    *redCarry = carry;
    return Put(wide, out);
}

// The packed subtract: blue stops at 0; green and red subtract their upper bits, become 0 when
// those go below 0, and otherwise take as lowest bit whether the channel below stayed whole
// (16-bit green: always 0).
uint32_t SubChannels(bool wide, const int64_t d[3], const int64_t t[3]) {
    int64_t out[3];
    int under = d[0] < t[0];
    out[0] = under ? 0 : d[0] - t[0];
    for (int i = 1; i < 3; ++i) {
        const int64_t hd = d[i] >> 1, ht = t[i] >> 1;
        const int low = !wide && i == 1 ? 0 : !under;
        under = hd < ht;
        out[i] = under ? 0 : 2 * (hd - ht) + low;
    }
    return Put(wide, out);
}

bool Draws(int mode) { return (mode >= 0 && mode <= 4) || mode == 10 || mode == 11; }

// The mode after mode 1 at p = 255 became a copy; -1 when the call draws nothing.
int EffectiveMode(const TRIANGLESETTINGS &s) {
    if (!Draws(s.mode)) return -1;
    if (s.mode == 1 && s.p == 255) return 0;
    if ((s.mode == 1 || s.mode == 2 || s.mode == 3) && s.p == 0) return -1;
    return s.mode;
}

int64_t Tint(const TRIANGLESETTINGS &s, int64_t v, int i) {
    if (s.bright == 0xFFFFFF) return v;
    return v * (int64_t)(s.bright >> (8 * i) & 0xFF) / 255;
}

// The blend graph's byte at (col, row): its one byte, or a colour image's blue.
int GraphByte(const MEMIMG &g, int col, int row) {
    const MEMIMGBASE *b = g.base;
    if (b->paletteFlag || b->pixelType == MEMIMG_TYPE_CHAN8) return (int)ReadAt(g, col, row, 1);
    if (b->pixelType == MEMIMG_TYPE_CHAN16) return (int)(ReadAt(g, col, row, 2) >> 8);
    if (b->pixelType == MEMIMG_TYPE_RGB32) return (int)(ReadAt(g, col, row, MemImgBytesPerPixel(b)) & 0xFF);
    const int blue = (int)(ReadAt(g, col, row, MemImgBytesPerPixel(b)) & 31);
    return blue << 3 | blue >> 2;
}

}  // namespace

TRIANGLESETTINGS TriangleSettings(int transparent, const MEMIMG *graph, int border, int range) {
    TRIANGLESETTINGS s{};
    s.mode = g_drawState.blendMode;
    s.p = std::clamp(g_drawState.blendParam, 0, 255);
    s.bright = g_drawState.brightness & 0xFFFFFF;
    s.transparent = transparent;
    s.graph = graph;
    const int q = 65536 / (range + 1), k = (q + 256) * border / 256, base = 256 - k;
    for (int i = 0; i < 256; ++i) s.weights[i] = std::clamp(256 * i / (range + 1) + base, 0, 255);
    return s;
}

uint32_t ReferenceTexel(const TRIANGLESETTINGS &s, const MEMIMG &src, int col, int row, uint32_t d) {
    const int mode = EffectiveMode(s);
    if (mode < 0) return d;
    const MEMIMGBASE *b = src.base;
    const bool wide = b->pixelType == MEMIMG_TYPE_RGB32;
    const bool palette = b->paletteFlag != 0, alphaSource = !palette && b->alphaFlag != 0;
    const int64_t P = s.p;

    // The texel, the skip test, and the alpha weight (-1: the plain form).
    uint32_t colour;
    int64_t a = -1;
    if (palette) {
        const uint32_t index = ReadAt(src, col, row, 1);
        if (s.transparent && index == b->transparentCode) return d;
        colour = 0;
        std::memcpy(&colour, b->palette + index * (wide ? 4 : 2), wide ? 4 : 2);
    } else if (alphaSource) {
        const uint32_t raw = ReadAt(src, col, row, 4);
        const int alpha = wide ? (int)(raw >> 24) : (int)(raw >> 16 & 0xFF);
        colour = wide ? raw : raw & 0xFFFF;
        if (s.transparent) {
            if (alpha == 0) return d;
            if (alpha != 255) a = alpha;
        } else {
            a = alpha;
        }
    } else {
        colour = ReadAt(src, col, row, wide ? 4 : 2);
        if (s.transparent && colour == b->transparentCode) return d;
    }
    // The weights: the blend graph's, then the alpha; F their product over S = 256 per weight.
    const bool graph = s.graph != nullptr;
    int64_t F = 1, S = 1, n = 0;
    if (graph) {
        if (col >= s.graph->width || row >= s.graph->height) return d;
        F *= s.weights[GraphByte(*s.graph, col, row)];
        S *= 256;
        ++n;
    }
    if (a >= 0) {
        F *= a;
        S *= 256;
        ++n;
    }
    const bool full = s.bright == 0xFFFFFF;
    const uint32_t fourth = wide ? d & 0xFF000000u : 0;
    int64_t sc[3], dc[3], out[3];
    for (int i = 0; i < 3; ++i) {
        sc[i] = Get(wide, colour, i);
        dc[i] = Get(wide, d, i);
    }

    switch (mode) {
    case 0:
        if (n == 0) {
            if (full) return wide ? colour : colour & 0xFFFF;
            for (int i = 0; i < 3; ++i) out[i] = Tint(s, sc[i], i);
            return Put(wide, out) | fourth;
        }
        for (int i = 0; i < 3; ++i) out[i] = FloorDiv(F * Tint(s, sc[i], i) + (S - F) * dc[i], S);
        return Put(wide, out) | fourth;
    case 1:
        for (int i = 0; i < 3; ++i) {
            const int64_t p = Tint(s, sc[i], i);
            if (!wide && n == 0) out[i] = dc[i] + (p - dc[i]) * P / 255;  // truncates toward zero
            else out[i] = FloorDiv(dc[i] * S * 256 + (p - dc[i]) * F * P, S * 256);
        }
        return Put(wide, out) | fourth;
    case 2:
    case 3: {
        int64_t t[3];
        for (int i = 0; i < 3; ++i) {
            if (n == 0) t[i] = Tint(s, sc[i], i) * P / 255;
            else if (wide) t[i] = Tint(s, sc[i], i) * F * P / (S * 256);
            else if (!graph) t[i] = Tint(s, sc[i] * a / 256, i) * P / 255;  // 16-bit alpha alone: before the tint
            else t[i] = Tint(s, sc[i], i) * F / S * P / 255;
        }
        if (mode == 3) return SubChannels(wide, dc, t);
        int carry = 0;
        const uint32_t r = AddChannels(wide, dc, t, &carry);
        return wide ? r | (uint32_t)carry << 24 : r;
    }
    case 4:
        for (int i = 0; i < 3; ++i) out[i] = Tint(s, sc[i], i) * dc[i] * F / ((int64_t)(Max(wide, i) + 1) * S);
        return Put(wide, out) | fourth;
    default: {  // 10, 11
        for (int i = 0; i < 3; ++i) {
            const int64_t target =
                mode == 10 ? Tint(s, Max(wide, i) - sc[i], i) : Tint(s, sc[i], i) * dc[i] / (Max(wide, i) + 1);
            if (!wide && n == 0) out[i] = dc[i] + (target - dc[i]) * P / 255;
            else out[i] = FloorDiv(dc[i] * S * 256 + (target - dc[i]) * F * P, S * 256);
        }
        // 16-bit mode 11 with the alpha as only weight at full brightness: green's product keeps
        // five fraction bits.
        if (!wide && mode == 11 && !graph && full && a >= 0) {
            const int64_t product32 = dc[1] * sc[1] / 2;
            out[1] = FloorDiv(dc[1] * 2097152 + (product32 - 32 * dc[1]) * a * P, 2097152);
        }
        return Put(wide, out) | fourth;
    }
    }
}

uint32_t ReferenceFlat(const TRIANGLESETTINGS &s, bool wide, uint32_t colour, uint32_t d) {
    const int mode = EffectiveMode(s);
    if (mode < 0) return d;
    if (!wide) colour &= 0xFFFF;
    const int64_t P = s.p;
    const uint32_t fourth = wide ? d & 0xFF000000u : 0;
    int64_t c[3], dc[3], out[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = Tint(s, Get(wide, colour, i), i);
        dc[i] = Get(wide, d, i);
    }
    // Blend toward a target: by p / 256, floored, on 32-bit pixels; through p / 255, truncated
    // toward zero, on 16-bit ones.
    auto toward = [&](int64_t target, int i) {
        return wide ? FloorDiv(dc[i] * (256 - P) + target * P, 256) : dc[i] + (target - dc[i]) * P / 255;
    };
    switch (mode) {
    case 0: return Put(wide, c) | (wide ? colour & 0xFF000000u : 0);
    case 1:
        for (int i = 0; i < 3; ++i) out[i] = toward(c[i], i);
        return Put(wide, out) | fourth;
    case 2:
    case 3: {
        int64_t t[3];
        for (int i = 0; i < 3; ++i) t[i] = c[i] * P / 255;
        if (mode == 3) return SubChannels(wide, dc, t);
        int carry = 0;
        const uint32_t r = AddChannels(wide, dc, t, &carry);
        return wide ? r | (uint32_t)carry << 24 : r;
    }
    case 4:
        for (int i = 0; i < 3; ++i) out[i] = c[i] * dc[i] >> Width(wide, i);
        return Put(wide, out) | fourth;
    case 10:
        for (int i = 0; i < 3; ++i) out[i] = toward(Max(wide, i) - c[i], i);
        return Put(wide, out) | fourth;
    default:  // 11
        for (int i = 0; i < 3; ++i) out[i] = toward(c[i] * dc[i] >> Width(wide, i), i);
        return Put(wide, out) | fourth;
    }
}

std::vector<uint8_t> ReferenceTriangle(const MEMIMG &dst, const MEMIMG *src, const int32_t v[12],
                                       const TRIANGLESETTINGS &s, uint32_t colour) {
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
                d = ReferenceTexel(s, *src, (int)(U / one), (int)(V / one), d);
            } else {
                d = ReferenceFlat(s, wide, colour, d);
            }
            std::memcpy(body.data() + at, &d, bytes);
        }
    }
    return body;
}

}  // namespace softtest
