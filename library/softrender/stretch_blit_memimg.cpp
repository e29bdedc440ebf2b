// The stretched copy kernel. Two 16.16 coverage counters walk the source, one for columns and
// one for rows, so no coordinate is multiplied or divided inside the loops; the pixel rule is
// the copy kernels' one, without the 1:1 kernel's fast paths except the subtract at p = 255.
#include "library/softrender/stretch_blit_memimg.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "library/base/system_info.h"
#include "library/base/vecmath.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/softrender/blit_memimg.h"
#include "library/softrender/copy_pixel.h"

namespace {

using namespace softrender;

struct STRETCHCALL {
    COPYRULES rules;
    const uint8_t *src;    // source pixel of the first drawn destination pixel
    uint8_t *dst;
    const uint8_t *graph;  // its blend-graph byte
    ptrdiff_t srcStep, srcRowStep, graphStep, graphRowStep;  // negative along a mirrored axis
    int32_t dstPitch;
    int32_t w, h;
    int32_t xr, yr;              // one source column (row) in 1/65,536 destination pixels
    int32_t xCounter, yCounter;  // what of the first column (row) lies ahead, same unit
};

template <int T, int M, unsigned F, int FP>
void StretchLoop(const STRETCHCALL &c) {
    constexpr int db = PIXELLAYOUT<T>::kBytes;
    constexpr bool graph = (F & kGraph) != 0;
    // A plain copy's row depends on its source row alone: a row that shows the same source row
    // as the one above is that row again.
    constexpr bool rowsRepeat = M == 0 && (F & (kGraph | kTint | kAlpha | kKey)) == 0;
    const uint8_t *srow = c.src, *grow = c.graph;
    int32_t yc = c.yCounter;
    bool sameRow = false;
    for (int y = 0;;) {
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        if (rowsRepeat && sameRow) {
            std::memcpy(d, d - c.dstPitch, (size_t)c.w * db);
        } else {
            const uint8_t *s = srow, *g = grow;
            int32_t xc = c.xCounter;
            for (int x = 0;;) {
                CopyPixel<T, M, F, FP>(c.rules, s, d, g);
                // No step past the row's last pixel: it could leave the source.
                if (++x == c.w) break;
                d += db;
                for (xc -= 65536; xc <= 0; xc += c.xr) {
                    s += c.srcStep;
                    if constexpr (graph) g += c.graphStep;
                }
            }
        }
        if (++y == c.h) break;
        sameRow = true;
        for (yc -= 65536; yc <= 0; yc += c.yr) {
            srow += c.srcRowStep;
            if constexpr (graph) grow += c.graphRowStep;
            sameRow = false;
        }
    }
}

using LOOP = void (*)(const STRETCHCALL &);

template <int T, int M, unsigned... Fs>
constexpr std::array<LOOP, sizeof...(Fs)> FlagLoops(std::integer_sequence<unsigned, Fs...>) {
    return {{&StretchLoop<T, M, Fs, FAST_NONE>...}};
}

template <int T, size_t... Mi>
constexpr std::array<std::array<LOOP, 32>, 7> ModeLoops(std::index_sequence<Mi...>) {
    return {{FlagLoops<T, kCopyModes[Mi]>(std::make_integer_sequence<unsigned, 32>())...}};
}

// The subtract at p = 255 without blend graph, tint or alpha, for the flag sets (palette, key).
template <int T, int FP>
constexpr std::array<LOOP, 4> SubtractLoops() {
    return {{&StretchLoop<T, 3, 0, FP>, &StretchLoop<T, 3, kPalette, FP>, &StretchLoop<T, 3, kKey, FP>,
             &StretchLoop<T, 3, kPalette | kKey, FP>}};
}

template <int T>
struct LOOPTABLES {
    static constexpr auto pixel = ModeLoops<T>(std::make_index_sequence<7>());
    static constexpr auto sub255 = SubtractLoops<T, FAST_SUB255>();
};
constexpr auto kSubSaturated = SubtractLoops<1, FAST_SUBSAT>();

template <int T>
LOOP ChooseLoop(const COPYSETUP &s) {
    if (s.mode == BLENDMODE_SUB && s.rules.p == 255 && !(s.flags & (kGraph | kTint | kAlpha))) {
        const int f = (s.flags & kPalette ? 1 : 0) | (s.flags & kKey ? 2 : 0);
        if constexpr (T == 1)
            if (IsMmxAvailable()) return kSubSaturated[f];
        return LOOPTABLES<T>::sub255[f];
    }
    return LOOPTABLES<T>::pixel[s.modeIndex][s.flags];
}

// The destination columns [*lo, *hi) of a rectangle starting at `start`, size W, narrowed to
// those whose source column lies inside a blend graph `graphSize` wide (rows alike).
void NarrowToGraph(int32_t *lo, int32_t *hi, int32_t start, int32_t size, int32_t srcSize, int32_t graphSize,
                   uint32_t coverage, int dir) {
    if (graphSize >= srcSize) return;
    // Column m shows source floor(m x 65,536 / coverage), mirrored srcSize - 1 minus that.
    auto firstShowing = [&](int64_t column) { return (column * coverage + 65535) / 65536; };
    if (dir > 0) *hi = (int32_t)std::min<int64_t>(*hi, start + std::min<int64_t>(size, firstShowing(graphSize)));
    else *lo = (int32_t)std::max<int64_t>(*lo, start + std::min<int64_t>(size, firstShowing(srcSize - graphSize)));
}

}  // namespace

void StretchBlitMemImg(MEMIMG *dst, MEMIMG *src, const RECT *rect, int transparent, MEMIMG *blend) {
    if (!rect || !IsMemImgValid(dst) || !IsMemImgValid(src)) return;
    const int32_t left = std::min(rect->left, rect->right), right = std::max(rect->left, rect->right);
    const int32_t top = std::min(rect->top, rect->bottom), bottom = std::max(rect->top, rect->bottom);
    const int dirX = rect->left > rect->right ? -1 : 1, dirY = rect->top > rect->bottom ? -1 : 1;
    const int64_t W = (int64_t)right - left, H = (int64_t)bottom - top;
    if (W == 0 || H == 0) return;
    if (W == src->width && H == src->height && dirX > 0 && dirY > 0) {
        BlitMemImg(dst, src, left, top, transparent, blend);
        return;
    }
    // Beyond these the 16.16 counters overflow or never reach the next column.
    if (W >= 32768 || H >= 32768 || src->width >= 65536 || src->height >= 65536) return;
    COPYSETUP setup;
    if (!PrepareCopyRules(dst, src, blend, transparent, &setup)) return;
    const uint32_t xr = (uint32_t)(W * 65536) / (uint32_t)src->width;
    const uint32_t yr = (uint32_t)(H * 65536) / (uint32_t)src->height;
    if (xr == 0 || yr == 0) return;

    RECT r{left, top, right, bottom};
    const bool graph = (setup.flags & kGraph) != 0;
    if (graph) {
        // Pixels whose source lies past a smaller blend graph are not drawn.
        NarrowToGraph(&r.left, &r.right, left, (int32_t)W, src->width, blend->width, xr, dirX);
        NarrowToGraph(&r.top, &r.bottom, top, (int32_t)H, src->height, blend->height, yr, dirY);
    }
    ClipToDrawArea(&r, dst);
    const int cw = r.right - r.left, ch = r.bottom - r.top;
    if (cw <= 0 || ch <= 0) return;

    // The source column and row under the first visible pixel, and how much of them lies ahead:
    // the visible part shows what the whole drawing shows there.
    const int64_t ex = (int64_t)(r.left - left) * 65536, ey = (int64_t)(r.top - top) * 65536;
    const int32_t sx0 = (int32_t)(ex / xr), rx = (int32_t)(ex % xr);
    const int32_t sy0 = (int32_t)(ey / yr), ry = (int32_t)(ey % yr);
    const int32_t col = dirX > 0 ? sx0 : src->width - sx0 - 1;
    const int32_t row = dirY > 0 ? sy0 : src->height - sy0 - 1;

    const MEMIMGBASE *sb = src->base, *db = dst->base;
    const int srcBytes = MemImgBytesPerPixel(sb), dstBytes = MemImgBytesPerPixel(db);
    STRETCHCALL c{};
    c.rules = setup.rules;
    c.src = src->pixels + (size_t)row * sb->pitch + (size_t)col * srcBytes;
    c.dst = dst->pixels + (size_t)r.top * db->pitch + (size_t)r.left * dstBytes;
    c.srcStep = (ptrdiff_t)dirX * srcBytes;
    c.srcRowStep = (ptrdiff_t)dirY * sb->pitch;
    if (graph) {
        const int gb = c.rules.graphBytes;
        c.graph = blend->pixels + (size_t)row * blend->base->pitch + (size_t)col * gb;
        c.graphStep = (ptrdiff_t)dirX * gb;
        c.graphRowStep = (ptrdiff_t)dirY * blend->base->pitch;
    }
    c.dstPitch = db->pitch;
    c.w = cw;
    c.h = ch;
    c.xr = (int32_t)xr;
    c.yr = (int32_t)yr;
    c.xCounter = (int32_t)xr - rx;
    c.yCounter = (int32_t)yr - ry;
    MarkMemImgWritten(dst);
    const LOOP loop = setup.type == MEMIMG_TYPE_RGB32 ? ChooseLoop<1>(setup) : ChooseLoop<0>(setup);
    loop(c);
}
