// The reference model. Deliberately plain: no tables, no word tricks, every case a branch.
#include "oracle.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "library/base/system_info.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"

namespace softtest {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

struct FORMAT {
    bool wide;  // 32-bit
    int width[3], shift[3];
    int Max(int i) const { return (1 << width[i]) - 1; }
    int Get(uint32_t v, int i) const { return (int)(v >> shift[i]) & Max(i); }
    uint32_t Pack(const int64_t c[3]) const {
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i) v |= (uint32_t)c[i] << shift[i];
        return v;
    }
};
const FORMAT kFormat16{false, {5, 6, 5}, {0, 5, 11}};
const FORMAT kFormat32{true, {8, 8, 8}, {0, 8, 16}};

// The packed add, channel by channel: blue saturates exactly; green and red add their upper
// bits, saturate on a carry out of them, and otherwise take as lowest bit the carry from the
// channel below, or'd (general form) with both lowest bits. *carry: red's carry.
uint32_t AddChannels(const FORMAT &f, const int64_t d[3], const int64_t t[3], bool orLow, int *carry) {
    int64_t out[3];
    const int64_t b = d[0] + t[0];
    int below = b > f.Max(0);
    out[0] = std::min<int64_t>(b, f.Max(0));
    for (int i = 1; i < 3; ++i) {
        const int64_t h = (d[i] & ~1) + (t[i] & ~1);
        const int low = below | (orLow ? (int)((d[i] | t[i]) & 1) : 0);
        const bool over = h > f.Max(i);
        if (over) out[i] = f.wide || i == 2 ? f.Max(i) : (f.Max(i) - 1) | low;  // 16-bit green keeps its low bit
        else out[i] = h | low;
        below = over;
    }
    if (carry) *carry = below;
    return f.Pack(out);
}

// The packed subtract: blue stops at 0; green and red subtract their upper bits, become 0 when
// those go below 0, and otherwise take as lowest bit whether the channel below stayed whole
// (16-bit green's lowest bit is always 0).
uint32_t SubChannels(const FORMAT &f, const int64_t d[3], const int64_t t[3]) {
    int64_t out[3];
    int borrow = d[0] < t[0];
    out[0] = borrow ? 0 : d[0] - t[0];
    for (int i = 1; i < 3; ++i) {
        const int64_t hd = d[i] >> 1, ht = t[i] >> 1;
        const int under = hd < ht;
        const int low = (!f.wide && i == 1) ? 0 : 1 - borrow;
        out[i] = under ? 0 : ((hd - ht) << 1) | low;
        borrow = under;
    }
    return f.Pack(out);
}

bool DrawingMode(int mode) { return (mode >= 0 && mode <= 4) || mode == 10 || mode == 11; }

// The blend graph's byte at (x, y): its one byte, or a colour image's blue widened to 8 bits.
int GraphByte(const MEMIMG &g, int x, int y) {
    const MEMIMGBASE *b = g.base;
    const uint32_t v = ReadPixel(g, x, y);
    if (b->paletteFlag || b->pixelType == MEMIMG_TYPE_CHAN8) return (int)(v & 0xFF);
    if (b->pixelType == MEMIMG_TYPE_CHAN16) return (int)(v >> 8 & 0xFF);
    if (b->pixelType == MEMIMG_TYPE_RGB32) return (int)(v & 0xFF);
    return (int)((v & 31) << 3 | (v & 31) >> 2);
}

// One flat colour c (its channels, tinted; top: a 32-bit colour's fourth byte) onto d.
uint32_t FlatPixel(const FORMAT &f, const int64_t c[3], uint32_t top, int mode, int p, uint32_t d) {
    const bool wide = f.wide;
    const uint32_t fourth = wide ? d & 0xFF000000u : 0;
    int64_t dc[3], out[3];
    for (int i = 0; i < 3; ++i) dc[i] = f.Get(d, i);
    if (mode == 0) return f.Pack(c) | (wide ? top : 0);
    if (mode == 2 || mode == 3) {
        int64_t t[3];
        for (int i = 0; i < 3; ++i) t[i] = c[i] * p / 255;
        int carry = 0;
        return mode == 2 ? AddChannels(f, dc, t, true, &carry) | (wide ? (uint32_t)carry << 24 : 0)
                         : SubChannels(f, dc, t);
    }
    for (int i = 0; i < 3; ++i) {
        int64_t target = c[i];
        if (mode == 4) {
            out[i] = dc[i] * c[i] / (f.Max(i) + 1);
            continue;
        }
        if (mode == 10) target = f.Max(i) - c[i];
        if (mode == 11) target = dc[i] * c[i] / (f.Max(i) + 1);
        out[i] = wide ? FloorDiv(dc[i] * 256 + (target - dc[i]) * p, 256) : dc[i] + (target - dc[i]) * p / 255;
    }
    return f.Pack(out) | fourth;
}

}  // namespace

ORACLESETTINGS OracleSettings(int transparent, const MEMIMG *graph, int border, int range) {
    ORACLESETTINGS s{};
    s.mode = g_drawState.blendMode;
    s.p = std::clamp(g_drawState.blendParam, 0, 255);
    s.bright = g_drawState.brightness & 0xFFFFFF;
    s.mmx = g_systemInfo.mmx;
    s.transparent = transparent;
    s.graph = graph;
    const int q = 65536 / (range + 1), k = (q + 256) * border / 256, base = 256 - k;
    for (int i = 0; i < 256; ++i) s.weights[i] = std::clamp(256 * i / (range + 1) + base, 0, 255);
    return s;
}

uint32_t ReadPixel(const MEMIMG &m, int x, int y) {
    const int bytes = MemImgBytesPerPixel(m.base);
    uint32_t v = 0;
    std::memcpy(&v, m.pixels + (size_t)y * m.base->pitch + (size_t)x * bytes, bytes);
    return v;
}

uint32_t OracleCopyPixel(ORACLEPOLICY policy, const ORACLESETTINGS &s, const MEMIMG &src, int sx, int sy, uint32_t d) {
    const MEMIMGBASE *b = src.base;
    const bool wide = b->pixelType == MEMIMG_TYPE_RGB32;
    const FORMAT &f = wide ? kFormat32 : kFormat16;
    int mode = s.mode;
    if (!DrawingMode(mode)) return d;
    if (mode == 1 && s.p == 255) mode = 0;
    if ((mode == 1 || mode == 2 || mode == 3) && s.p == 0) return d;
    const int p = s.p;

    // The source pixel: skip test, palette fetch, alpha factor (-1: none).
    const bool palette = b->paletteFlag != 0, alphaSource = b->alphaFlag != 0 && !palette;
    const uint32_t raw = ReadPixel(src, sx, sy);
    uint32_t colour;
    int a = -1;
    if (palette) {
        if (s.transparent && raw == b->transparentCode) return d;
        colour = 0;
        std::memcpy(&colour, b->palette + raw * (wide ? 4 : 2), wide ? 4 : 2);
    } else if (alphaSource) {
        const int alpha = wide ? (int)(raw >> 24) : (int)(raw >> 16 & 0xFF);
        colour = wide ? raw : raw & 0xFFFF;
        if (s.transparent) {
            if (alpha == 0) return d;
            if (alpha != 255) a = alpha;
        } else {
            a = alpha;
        }
    } else {
        colour = raw;
        if (s.transparent && colour == b->transparentCode) return d;
    }
    const bool tint = s.bright != 0xFFFFFF;
    const bool graph = s.graph != nullptr;
    const bool noFactors = !graph && !tint && !alphaSource;
    // The 1:1 kernel's plain copy ignores an alpha source's alpha when the flag is off.
    if ((policy == POLICY_BLIT || policy == POLICY_BLIT_RUNS) && mode == 0 && alphaSource && !s.transparent &&
        !graph && !tint)
        return wide ? raw : raw & 0xFFFF;

    std::vector<int64_t> factors;
    if (graph) factors.push_back(s.weights[GraphByte(*s.graph, sx, sy)]);
    if (a >= 0) factors.push_back(a);
    const int k = (int)factors.size();
    int64_t W = 1;
    for (int64_t x : factors) W *= x;
    int64_t unit = 1;  // 256^k
    for (int i = 0; i < k; ++i) unit *= 256;

    int64_t sc[3], dc[3], out[3];
    for (int i = 0; i < 3; ++i) {
        sc[i] = f.Get(colour, i);
        dc[i] = f.Get(d, i);
        if (mode == 10) sc[i] = f.Max(i) - sc[i];
        if (tint) sc[i] = sc[i] * (int64_t)(s.bright >> 8 * i & 0xFF) / 255;
    }
    const uint32_t fourth = wide ? d & 0xFF000000u : 0;
    const bool fastPaths = policy == POLICY_BLIT && noFactors;
    const bool shape = policy == POLICY_ROTATED || policy == POLICY_TRIANGLE;
    switch (mode) {
    case 0:
        if (k == 0 && !tint) return wide ? colour : colour & 0xFFFF;
        for (int i = 0; i < 3; ++i) out[i] = k == 0 ? sc[i] : FloorDiv(dc[i] * unit + (sc[i] - dc[i]) * W, unit);
        return f.Pack(out) | fourth;
    case 1:
    case 10:
    case 11:
        for (int i = 0; i < 3; ++i) {
            int64_t target = sc[i];
            if (mode == 11) target = sc[i] * dc[i] / (f.Max(i) + 1);
            if (mode == 1 && fastPaths && p == 128) out[i] = target / 2 + dc[i] / 2;
            else if (mode == 1 && fastPaths && !wide) out[i] = (target * (p / 4) + dc[i] * (63 - p / 4)) / 63;
            else if (!wide && k == 0) out[i] = dc[i] + (target - dc[i]) * p / 255;  // C++ division truncates
            else out[i] = FloorDiv(dc[i] * unit * 256 + (target - dc[i]) * W * p, unit * 256);
        }
        // The triangle kernel's 16-bit mode 11 with the alpha as only weight at full brightness:
        // green's product keeps five fraction bits.
        if (policy == POLICY_TRIANGLE && !wide && mode == 11 && !graph && !tint && a >= 0) {
            const int64_t product32 = dc[1] * f.Get(colour, 1) / 2;
            out[1] = FloorDiv(dc[1] * 2097152 + (product32 - 32 * dc[1]) * a * p, 2097152);
        }
        return f.Pack(out) | fourth;
    case 2:
    case 3: {
        const bool p255Path = p == 255 && noFactors &&
                              ((policy == POLICY_BLIT) || (policy == POLICY_STRETCH && mode == 3));
        if (p255Path && wide && s.mmx) {
            for (int i = 0; i < 3; ++i) out[i] = std::clamp<int64_t>(mode == 2 ? dc[i] + sc[i] : dc[i] - sc[i], 0, 255);
            return f.Pack(out) | fourth;
        }
        int64_t t[3];
        for (int i = 0; i < 3; ++i) {
            const int64_t bright = s.bright >> 8 * i & 0xFF;
            if (p255Path) t[i] = sc[i];
            else if (wide) t[i] = k == 0 ? sc[i] * p / 255 : sc[i] * W * p / (unit * 256);
            // The shape kernels weigh a 16-bit texel by its alpha alone before the tint.
            else if (shape && !graph && a >= 0 && tint)
                t[i] = (f.Get(colour, i) * a / 256) * bright / 255 * p / 255;
            else t[i] = sc[i] * W / unit * p / 255;
        }
        int carry = 0;
        const uint32_t r = mode == 2 ? AddChannels(f, dc, t, !p255Path, &carry) : SubChannels(f, dc, t);
        // The shape kernels write the whole word: red's carry, or 0, in the fourth byte.
        if (shape) return wide && mode == 2 ? r | (uint32_t)carry << 24 : r;
        return r | fourth;
    }
    default:  // 4
        for (int i = 0; i < 3; ++i) out[i] = dc[i] * sc[i] * W / ((f.Max(i) + 1) * unit);
        return f.Pack(out) | fourth;
    }
}

namespace {

std::vector<uint8_t> BodyBytes(const MEMIMG &m) {
    return std::vector<uint8_t>(m.base->pixels, m.base->pixels + (size_t)m.base->pitch * m.base->height);
}

void WritePixel(std::vector<uint8_t> &body, const MEMIMG &m, int x, int y, uint32_t v) {
    const int bytes = MemImgBytesPerPixel(m.base);
    const size_t at = (size_t)(m.pixels - m.base->pixels) + (size_t)y * m.base->pitch + (size_t)x * bytes;
    std::memcpy(body.data() + at, &v, bytes);
}

bool Refused(const MEMIMG &dst, const MEMIMG &src) {
    const MEMIMGBASE *d = dst.base, *s = src.base;
    return s->pixelType != d->pixelType || d->paletteFlag || d->alphaFlag ||
           (d->pixelType != MEMIMG_TYPE_RGB16 && d->pixelType != MEMIMG_TYPE_RGB32);
}

// The draw area within the destination view.
RECT Area(const MEMIMG &dst) {
    return RECT{std::max(0, g_drawArea.left), std::max(0, g_drawArea.top), std::min(dst.width, g_drawArea.right),
                std::min(dst.height, g_drawArea.bottom)};
}

}  // namespace

std::vector<uint8_t> OracleBlit(const MEMIMG &dst, const MEMIMG &src, int x, int y, const ORACLESETTINGS &s) {
    std::vector<uint8_t> body = BodyBytes(dst);
    if (Refused(dst, src)) return body;
    const RECT area = Area(dst);
    const int left = std::max<int>(x, area.left), right = std::min<int>(x + src.width, area.right);
    const int top = std::max<int>(y, area.top), bottom = std::min<int>(y + src.height, area.bottom);
    const MEMIMGBASE *b = src.base;
    const bool runs = s.transparent == 1 && b->runTableValid && b->runTable && left == x && top == y &&
                      right - left == src.width && bottom - top == src.height && src.width == b->width &&
                      src.height == b->height;
    for (int py = top; py < bottom; ++py)
        for (int px = left; px < right; ++px) {
            const int sx = px - x, sy = py - y;
            if (s.graph && (sx >= s.graph->width || sy >= s.graph->height)) continue;
            const uint32_t d = ReadPixel(dst, px, py);
            WritePixel(body, dst, px, py,
                       OracleCopyPixel(runs ? POLICY_BLIT_RUNS : POLICY_BLIT, s, src, sx, sy, d));
        }
    return body;
}

int StretchSourceColumn(int m, int dstSize, int srcSize, bool mirrored) {
    const int64_t coverage = (int64_t)dstSize * 65536 / srcSize;
    const int c = (int)((int64_t)m * 65536 / coverage);
    return mirrored ? srcSize - 1 - c : c;
}

std::vector<uint8_t> OracleStretch(const MEMIMG &dst, const MEMIMG &src, const RECT &rect, const ORACLESETTINGS &s) {
    const int left = std::min(rect.left, rect.right), right = std::max(rect.left, rect.right);
    const int top = std::min(rect.top, rect.bottom), bottom = std::max(rect.top, rect.bottom);
    const bool mx = rect.left > rect.right, my = rect.top > rect.bottom;
    if (right - left == src.width && bottom - top == src.height && !mx && !my) return OracleBlit(dst, src, left, top, s);
    std::vector<uint8_t> body = BodyBytes(dst);
    if (Refused(dst, src) || left == right || top == bottom) return body;
    const RECT area = Area(dst);
    for (int py = std::max(top, (int)area.top); py < std::min(bottom, (int)area.bottom); ++py)
        for (int px = std::max(left, (int)area.left); px < std::min(right, (int)area.right); ++px) {
            const int sx = StretchSourceColumn(px - left, right - left, src.width, mx);
            const int sy = StretchSourceColumn(py - top, bottom - top, src.height, my);
            if (s.graph && (sx >= s.graph->width || sy >= s.graph->height)) continue;
            WritePixel(body, dst, px, py, OracleCopyPixel(POLICY_STRETCH, s, src, sx, sy, ReadPixel(dst, px, py)));
        }
    return body;
}

std::vector<uint8_t> OracleRotated(const MEMIMG &dst, const MEMIMG &src, int x, int y, int cosine, int sine,
                                   double scale, const ORACLESETTINGS &s) {
    std::vector<uint8_t> body = BodyBytes(dst);
    if (Refused(dst, src)) return body;
    const RECT area = Area(dst);
    // Texels past the source, or past a smaller blend graph, are left out.
    const int w = s.graph ? std::min(src.width, s.graph->width) : src.width;
    const int h = s.graph ? std::min(src.height, s.graph->height) : src.height;
    for (int py = area.top; py < area.bottom; ++py)
        for (int px = area.left; px < area.right; ++px) {
            const int dx = px - x, dy = py - y;
            const int u = (int)std::floor((dx * cosine + dy * sine) / scale) + (src.width >> 1);
            const int v = (int)std::floor((dy * cosine - dx * sine) / scale) + (src.height >> 1);
            if (u < 0 || u >= w || v < 0 || v >= h) continue;
            WritePixel(body, dst, px, py, OracleCopyPixel(POLICY_ROTATED, s, src, u, v, ReadPixel(dst, px, py)));
        }
    return body;
}

std::vector<uint8_t> OracleFill(const MEMIMG &dst, const RECT *rect, uint32_t colour) {
    std::vector<uint8_t> body = BodyBytes(dst);
    const MEMIMGBASE *b = dst.base;
    if (b->paletteFlag || b->alphaFlag) return body;
    if (b->pixelType != MEMIMG_TYPE_RGB16 && b->pixelType != MEMIMG_TYPE_RGB32) return body;
    const bool wide = b->pixelType == MEMIMG_TYPE_RGB32;
    const FORMAT &f = wide ? kFormat32 : kFormat16;
    int mode = g_drawState.blendMode;
    const int p = std::clamp(g_drawState.blendParam, 0, 255);
    if (!DrawingMode(mode)) return body;
    if (mode == 1 && p == 255) mode = 0;
    if ((mode == 1 || mode == 2 || mode == 3) && p == 0) return body;
    RECT r = rect ? RECT{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom),
                         std::max(rect->left, rect->right), std::max(rect->top, rect->bottom)}
                  : RECT{0, 0, dst.width, dst.height};
    const RECT area = Area(dst);
    r = RECT{std::max(r.left, area.left), std::max(r.top, area.top), std::min(r.right, area.right),
             std::min(r.bottom, area.bottom)};
    // The colour's channels after the bright colour: (c x b) >> 8, the fill's own rule.
    const uint32_t bright = g_drawState.brightness & 0xFFFFFF;
    int64_t c[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = f.Get(colour, i);
        if (bright != 0xFFFFFF) c[i] = c[i] * (int64_t)(bright >> 8 * i & 0xFF) / 256;
    }
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const uint32_t v = FlatPixel(f, c, colour & 0xFF000000u, mode, p, ReadPixel(dst, x, y));
            WritePixel(body, dst, x, y, v);
        }
    return body;
}

uint32_t OracleFlatPixel(const ORACLESETTINGS &s, bool wide, uint32_t colour, uint32_t d) {
    int mode = s.mode;
    if (!DrawingMode(mode)) return d;
    if (mode == 1 && s.p == 255) mode = 0;
    if ((mode == 1 || mode == 2 || mode == 3) && s.p == 0) return d;
    const FORMAT &f = wide ? kFormat32 : kFormat16;
    if (!wide) colour &= 0xFFFF;
    int64_t c[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = f.Get(colour, i);
        if (s.bright != 0xFFFFFF) c[i] = c[i] * (int64_t)(s.bright >> 8 * i & 0xFF) / 255;
    }
    return FlatPixel(f, c, colour & 0xFF000000u, mode, s.p, d);
}

}  // namespace softtest
