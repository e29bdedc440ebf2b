// The rotated blit. The set-up turns the image's corners and the inverse steps in 14.18 fixed
// point from 32-bit floats, once per call; the walk then visits every pixel of the turned
// image's box, maps it back into the source with two additions, and hands the texels that lie
// inside the source to the pixel rule, with the shape kernels' rules. Mirrored drawing goes to the
// quad kernel.
#include "library/softrender/blit_memimg_rotated.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "library/base/strings.h"
#include "library/base/vecmath.h"
#include "library/graphics/draw_area.h"
#include "library/softrender/rasterize_memimg.h"
#include "library/softrender/copy_pixel.h"

namespace {

using namespace softrender;

constexpr int64_t kOne = 0x40000;  // 1.0 in 14.18

struct ROTATECALL {
    COPYRULES rules;
    const uint8_t *src;
    uint8_t *dst;
    const uint8_t *graph;
    int32_t srcPitch, dstPitch, graphPitch;
    int32_t columns, rows;
    int64_t u0, v0;          // source position of the box's top-left pixel
    int64_t du, dv;          // per column
    int64_t duRow, dvRow;    // per row
    uint64_t uLimit, vLimit;  // texels beyond these lie outside the source (or the blend graph)
};

template <int T, int M, unsigned F>
void RotatedLoop(const ROTATECALL &c) {
    constexpr int tb = CopySourceBytes<F>(T), db = PIXELLAYOUT<T>::kBytes;
    constexpr bool graph = (F & kGraph) != 0;
    const int gb = c.rules.graphBytes;
    int64_t ru = c.u0, rv = c.v0;
    for (int y = 0; y < c.rows; ++y, ru += c.duRow, rv += c.dvRow) {
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        int64_t u = ru, v = rv;
        for (int x = 0; x < c.columns; ++x, u += c.du, v += c.dv, d += db) {
            // A negative position compares as a huge one: outside.
            if ((uint64_t)u >= c.uLimit || (uint64_t)v >= c.vLimit) continue;
            const size_t col = (size_t)(u >> 18), row = (size_t)(v >> 18);
            const uint8_t *gp = graph ? c.graph + row * c.graphPitch + col * gb : nullptr;
            CopyPixel<T, M, F, FAST_NONE, 0, RULES_ROTATED>(c.rules, c.src + row * c.srcPitch + col * tb, d, gp);
        }
    }
}

using LOOP = void (*)(const ROTATECALL &);

template <int T, int M, unsigned... Fs>
constexpr std::array<LOOP, sizeof...(Fs)> FlagLoops(std::integer_sequence<unsigned, Fs...>) {
    return {{&RotatedLoop<T, M, Fs>...}};
}
template <int T, size_t... Mi>
constexpr std::array<std::array<LOOP, 32>, 7> ModeLoops(std::index_sequence<Mi...>) {
    return {{FlagLoops<T, kCopyModes[Mi]>(std::make_integer_sequence<unsigned, 32>())...}};
}
template <int T>
constexpr auto kLoops = ModeLoops<T>(std::make_index_sequence<7>());

// f narrowed to a 32-bit float and truncated toward zero; false when that leaves the int range
// or f is not finite.
bool Truncated(double f, int64_t *out) {
    const float n = (float)f;
    if (!std::isfinite(n) || n <= -2147483649.0f || n >= 2147483648.0f) return false;
    *out = FloatToInt(n);
    return true;
}

}  // namespace

void BlitMemImgRotated(MEMIMG *dst, MEMIMG *src, int x, int y, float angle, float scale, int transparent, int turn,
                       MEMIMG *blend) {
    if (!IsMemImgValid(dst) || !IsMemImgValid(src)) return;
    const MEMIMGBASE *sb = src->base, *db = dst->base;
    if (sb->pixelType != db->pixelType || db->paletteFlag || db->alphaFlag) return;
    if (!std::isfinite(angle) || !std::isfinite(scale) || scale == 0.0f) return;

    float sine, cosine;
    SinCosFloat(angle, &sine, &cosine);
    const int64_t c18 = FloatToInt(cosine * 262144.0f), s18 = FloatToInt(sine * 262144.0f);
    const float hw = (float)((double)(uint32_t)src->width * scale * 0.5);
    const float hh = (float)((double)(uint32_t)src->height * scale * 0.5);
    const float A = (float)((double)hw * (double)c18), B = (float)((double)hw * (double)s18);
    const float D = (float)((double)hh * (double)c18), E = (float)((double)hh * (double)s18);
    // Corners top-left, bottom-left, bottom-right, top-right, relative to the centre.
    const double cx[4] = {(double)-A + E, (double)-A - E, (double)A - E, (double)A + E};
    const double cy[4] = {(double)-B - D, (double)D - B, (double)B + D, (double)B - D};
    int64_t X[4], Y[4];
    for (int i = 0; i < 4; ++i) {
        if (!Truncated(cx[i], &X[i]) || !Truncated(cy[i], &Y[i])) return;
        X[i] += (int64_t)x * kOne;
        Y[i] += (int64_t)y * kOne;
    }

    if (turn) {
        // The quad kernel maps its points to the source's top-left, top-right, bottom-left and
        // bottom-right; this order mirrors the image left to right.
        const int order[4] = {3, 0, 2, 1};
        int32_t corners[8];
        for (int i = 0; i < 4; ++i) {
            const int64_t cx = X[order[i]] >> 18, cy = Y[order[i]] >> 18;
            if (cx < INT32_MIN || cx > INT32_MAX || cy < INT32_MIN || cy > INT32_MAX) return;
            corners[2 * i] = (int32_t)cx;
            corners[2 * i + 1] = (int32_t)cy;
        }
        RasterizeMemImgQuad(dst, src, corners, transparent, blend);
        return;
    }

    COPYSETUP setup;
    if (!PrepareCopyRules(dst, src, blend, transparent, &setup)) return;
    int64_t du, dv;
    if (!Truncated((double)c18 / scale, &du) || !Truncated(-(double)s18 / scale, &dv)) return;

    const int64_t minX = *std::min_element(X, X + 4), maxX = *std::max_element(X, X + 4);
    const int64_t minY = *std::min_element(Y, Y + 4), maxY = *std::max_element(Y, Y + 4);
    const int64_t box[4] = {(minX >> 18) - 2, (minY >> 18) - 2, (maxX >> 18) + 4, (maxY >> 18) + 4};
    RECT r{(int32_t)std::clamp<int64_t>(box[0], INT32_MIN, INT32_MAX), (int32_t)std::clamp<int64_t>(box[1], INT32_MIN, INT32_MAX),
           (int32_t)std::clamp<int64_t>(box[2], INT32_MIN, INT32_MAX), (int32_t)std::clamp<int64_t>(box[3], INT32_MIN, INT32_MAX)};
    ClipToDrawArea(&r, dst);
    const int columns = r.right - r.left, rows = r.bottom - r.top;
    if (columns <= 0 || rows <= 0) return;

    // The source position of a destination pixel: the turned offset from the centre divided by
    // the scale, narrowed to a float, truncated, plus the source's centre pixel.
    const int64_t centreU = (int64_t)(src->width >> 1) * kOne, centreV = (int64_t)(src->height >> 1) * kOne;
    auto map = [&](int px, int py, int64_t *u, int64_t *v) {
        const int64_t dx = (int64_t)px - x, dy = (int64_t)py - y;
        if (!Truncated((double)(dx * c18 + dy * s18) / scale, u) || !Truncated((double)(dy * c18 - dx * s18) / scale, v))
            return false;
        *u += centreU;
        *v += centreV;
        return true;
    };
    int64_t uA, vA, uB, vB;
    if (!map(r.left, r.top, &uA, &vA) || !map(r.left, r.bottom, &uB, &vB)) return;

    ROTATECALL c{};
    c.rules = setup.rules;
    c.src = src->pixels;
    c.srcPitch = sb->pitch;
    c.dst = dst->pixels + (size_t)r.top * db->pitch + (size_t)r.left * MemImgBytesPerPixel(db);
    c.dstPitch = db->pitch;
    int32_t texW = src->width, texH = src->height;
    if (setup.flags & kGraph) {
        // Texels past a smaller blend graph are left out like those past the source.
        texW = std::min(texW, blend->width);
        texH = std::min(texH, blend->height);
        c.graph = blend->pixels;
        c.graphPitch = blend->base->pitch;
    }
    c.uLimit = (uint64_t)texW * kOne;
    c.vLimit = (uint64_t)texH * kOne;
    c.columns = columns;
    c.rows = rows;
    c.u0 = uA;
    c.v0 = vA;
    c.du = du;
    c.dv = dv;
    // Integer division truncating toward zero, as the row step is defined.
    c.duRow = (uB - uA) / rows;
    c.dvRow = (vB - vA) / rows;
    MarkMemImgWritten(dst);
    const LOOP loop = setup.type == MEMIMG_TYPE_RGB32 ? kLoops<1>[setup.modeIndex][setup.flags]
                                                      : kLoops<0>[setup.modeIndex][setup.flags];
    loop(c);
}
