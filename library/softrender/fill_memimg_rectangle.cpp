// The rectangle fill kernel: the colour is bright-modulated once per call ((c x b) >> 8, not
// the /255 of the other kernels), then one loop per blend mode and pixel type paints the rows.
#include "library/softrender/fill_memimg_rectangle.h"

#include <algorithm>
#include <cstddef>

#include "library/base/vecmath.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/softrender/copy_pixel.h"

namespace {

using namespace softrender;

struct FILLCALL {
    uint8_t *dst;
    int32_t pitch, w, h;
    uint32_t colour;     // bright-modulated; for modes 2 and 3 the amount scaled by p
    int c[3];            // its channels
    const int32_t *signedP;
    int32_t p;
};

template <int T, int M>
inline uint32_t FillPixel(const FILLCALL &f, uint32_t d) {
    using PX = PIXELLAYOUT<T>;
    const uint32_t keep = T == 1 ? d & 0xFF000000u : 0;
    if constexpr (M == 0) return f.colour;
    if constexpr (M == 2) return T == 1 ? AddMasked32(d, f.colour) : AddMasked16(d, f.colour);
    if constexpr (M == 3) return T == 1 ? SubMasked32(d, f.colour) : SubMasked16(d, f.colour);
    int out[3];
    for (int i = 0; i < 3; ++i) {
        const int dc = Channel<T>(d, i);
        int s = f.c[i];
        if constexpr (M == 4) {
            out[i] = (dc * s) >> PX::kWidth[i];
            continue;
        }
        if constexpr (M == 10) s = ((1 << PX::kWidth[i]) - 1) - s;
        if constexpr (M == 11) s = (dc * s) >> PX::kWidth[i];
        out[i] = T == 1 ? MixChannel(dc, s, f.p, 1) : dc + f.signedP[s - dc];
    }
    return PackChannels<T>(out) | keep;
}

template <int T, int M>
void FillLoop(const FILLCALL &f) {
    constexpr int bytes = PIXELLAYOUT<T>::kBytes;
    for (int y = 0; y < f.h; ++y) {
        uint8_t *row = f.dst + (size_t)y * f.pitch;
        for (int x = 0; x < f.w; ++x) {
            uint8_t *p = row + (size_t)x * bytes;
            if constexpr (M == 0) StoreBytes<bytes>(p, f.colour);
            else StoreBytes<bytes>(p, FillPixel<T, M>(f, LoadBytes<bytes>(p)));
        }
    }
}

using LOOP = void (*)(const FILLCALL &);
template <int T>
constexpr LOOP kLoops[7] = {FillLoop<T, 0>, FillLoop<T, 1>, FillLoop<T, 2>,  FillLoop<T, 3>,
                            FillLoop<T, 4>, FillLoop<T, 10>, FillLoop<T, 11>};

}  // namespace

void FillMemImgRectangle(MEMIMG *dst, const RECT *rect, uint32_t colour) {
    if (!IsMemImgValid(dst)) return;
    MEMIMGBASE *base = dst->base;
    if (base->paletteFlag || base->alphaFlag) return;
    RECT r = rect ? RECT{std::min(rect->left, rect->right), std::min(rect->top, rect->bottom),
                         std::max(rect->left, rect->right), std::max(rect->top, rect->bottom)}
                  : RECT{0, 0, dst->width, dst->height};
    ClipToDrawArea(&r, dst);
    if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return;
    const int type = base->pixelType;
    if (type != MEMIMG_TYPE_RGB16 && type != MEMIMG_TYPE_RGB32) return;

    int mode = g_drawState.blendMode;
    const int p = std::clamp(g_drawState.blendParam, 0, 255);
    if (mode < 0 || mode > 11 || kCopyModeIndex[mode] < 0) return;
    if (mode == BLENDMODE_ALPHA && p == 255) mode = BLENDMODE_NONE;
    if ((mode == BLENDMODE_ALPHA || mode == BLENDMODE_ADD || mode == BLENDMODE_SUB) && p == 0) return;
    if (!g_memImgState.built) InitMemImgTables();

    FILLCALL f{};
    f.colour = type == MEMIMG_TYPE_RGB32 ? colour : colour & 0xFFFF;
    const uint32_t bright = g_drawState.brightness;
    for (int i = 0; i < 3; ++i) {
        f.c[i] = type == MEMIMG_TYPE_RGB32 ? Channel<1>(f.colour, i) : Channel<0>(f.colour, i);
        if ((bright & 0xFFFFFF) != 0xFFFFFF) f.c[i] = f.c[i] * (int)(bright >> 8 * i & 0xFF) >> 8;
    }
    if (type == MEMIMG_TYPE_RGB32) f.colour = PackChannels<1>(f.c) | (f.colour & 0xFF000000u);
    else f.colour = PackChannels<0>(f.c);
    if (mode == BLENDMODE_ADD || mode == BLENDMODE_SUB) {
        const int32_t *row = g_memImgState.productTable[p];
        const int scaled[3] = {row[f.c[0]], row[f.c[1]], row[f.c[2]]};
        f.colour = type == MEMIMG_TYPE_RGB32 ? PackChannels<1>(scaled) : PackChannels<0>(scaled);
    }
    f.signedP = &g_memImgState.signedProductTable[p][255];
    f.p = p;
    f.dst = dst->pixels + (size_t)r.top * base->pitch + (size_t)r.left * MemImgBytesPerPixel(base);
    f.pitch = base->pitch;
    f.w = r.right - r.left;
    f.h = r.bottom - r.top;
    MarkMemImgWritten(dst);
    const int m = kCopyModeIndex[mode];
    (type == MEMIMG_TYPE_RGB32 ? kLoops<1>[m] : kLoops<0>[m])(f);
}
