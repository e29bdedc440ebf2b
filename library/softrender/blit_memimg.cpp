// The 1:1 copy kernel. The entry checks and clips, then picks one loop for the call from the
// pixel type, the blend mode and which of blend graph, tint, palette, source alpha and key
// test apply, so the inner loops test nothing but each pixel's skip and alpha.
#include "library/softrender/blit_memimg.h"

#include <array>
#include <cstdint>
#include <utility>

#include "library/base/system_info.h"
#include "library/base/vecmath.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/softrender/copy_pixel.h"

namespace {

using namespace softrender;

struct BLITCALL {
    COPYRULES rules;
    const uint8_t *src;
    uint8_t *dst;
    const uint8_t *graph;
    int32_t srcPitch, dstPitch, graphPitch;
    int32_t w, h;
    const uint8_t *runs;
};

template <int T, int M, unsigned F, int FP>
void PixelLoop(const BLITCALL &c) {
    constexpr int sb = CopySourceBytes<F>(T), db = PIXELLAYOUT<T>::kBytes;
    const int gb = c.rules.graphBytes;
    for (int y = 0; y < c.h; ++y) {
        const uint8_t *s = c.src + (size_t)y * c.srcPitch;
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        const uint8_t *g = (F & kGraph) ? c.graph + (size_t)y * c.graphPitch : nullptr;
        for (int x = 0; x < c.w; ++x)
            CopyPixel<T, M, F, FP>(c.rules, s + x * sb, d + x * db, (F & kGraph) ? g + x * gb : nullptr);
    }
}

template <int T, int M, unsigned F>
void RunLoop(const BLITCALL &c) {
    constexpr int sb = CopySourceBytes<F>(T), db = PIXELLAYOUT<T>::kBytes;
    const int gb = c.rules.graphBytes;
    const uint8_t *code = c.runs;
    for (int y = 0; y < c.h; ++y) {
        const uint8_t *s = c.src + (size_t)y * c.srcPitch;
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        const uint8_t *g = (F & kGraph) ? c.graph + (size_t)y * c.graphPitch : nullptr;
        for (int x = 0;;) {
            const unsigned b = *code++;
            if (b >= MEMIMG_RUN_END) break;
            int n = (int)(b & 63) + 1;
            if (n > c.w - x) n = c.w - x;  // a damaged table never leaves the row
            const unsigned kind = b >> 6;
            for (int i = x; i < x + n; ++i) {
                const uint8_t *gi = (F & kGraph) ? g + i * gb : nullptr;
                if (kind == MEMIMG_RUN_OPAQUE) CopyPixel<T, M, F, FAST_NONE, 1>(c.rules, s + i * sb, d + i * db, gi);
                else if (kind == MEMIMG_RUN_PARTIAL)
                    CopyPixel<T, M, F, FAST_NONE, 2>(c.rules, s + i * sb, d + i * db, gi);
            }
            x += n;
        }
    }
}

// An alpha source in a plain copy: the colour goes over whole, its alpha unused.
template <int T>
void CopyIgnoringAlpha(const BLITCALL &c) {
    for (int y = 0; y < c.h; ++y) {
        const uint8_t *s = c.src + (size_t)y * c.srcPitch;
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        for (int x = 0; x < c.w; ++x) StoreBytes<PIXELLAYOUT<T>::kBytes>(d + x * PIXELLAYOUT<T>::kBytes, LoadBytes<4>(s + x * 4));
    }
}

using LOOP = void (*)(const BLITCALL &);

template <int T, int M, bool Runs, unsigned... Fs>
constexpr std::array<LOOP, sizeof...(Fs)> FlagLoops(std::integer_sequence<unsigned, Fs...>) {
    if constexpr (Runs) return {{&RunLoop<T, M, Fs | kKey>...}};
    else return {{&PixelLoop<T, M, Fs, FAST_NONE>...}};
}

template <int T, bool Runs, int N, size_t... Mi>
constexpr std::array<std::array<LOOP, N>, 7> ModeLoops(std::index_sequence<Mi...>) {
    return {{FlagLoops<T, kCopyModes[Mi], Runs>(std::make_integer_sequence<unsigned, N>())...}};
}

// The fast paths' loops, for the four flag sets they serve (palette, key).
template <int T, int M, int FP>
constexpr std::array<LOOP, 4> FastLoops() {
    return {{&PixelLoop<T, M, 0, FP>, &PixelLoop<T, M, kPalette, FP>, &PixelLoop<T, M, kKey, FP>,
             &PixelLoop<T, M, kPalette | kKey, FP>}};
}

template <int T>
struct LOOPTABLES {
    static constexpr auto pixel = ModeLoops<T, false, 32>(std::make_index_sequence<7>());
    static constexpr auto runs = ModeLoops<T, true, 16>(std::make_index_sequence<7>());
    static constexpr auto half = FastLoops<T, 1, FAST_HALF>();
    static constexpr auto add255 = FastLoops<T, 2, FAST_ADD255>();
    static constexpr auto sub255 = FastLoops<T, 3, FAST_SUB255>();
};
struct LOOPTABLES16 {
    static constexpr auto table6 = FastLoops<0, 1, FAST_TABLE6>();
};
struct LOOPTABLES32 {
    static constexpr auto addSat = FastLoops<1, 2, FAST_ADDSAT>();
    static constexpr auto subSat = FastLoops<1, 3, FAST_SUBSAT>();
};

// The fast-path loop of the call's settings, or null.
template <int T>
LOOP FastLoop(const COPYSETUP &s, bool mmx) {
    if (s.flags & (kGraph | kTint | kAlpha)) return nullptr;
    const int f = (s.flags & kPalette ? 1 : 0) | (s.flags & kKey ? 2 : 0);
    const int p = s.rules.p;
    if (s.mode == BLENDMODE_ALPHA) {
        if (p == 128) return LOOPTABLES<T>::half[f];
        if constexpr (T == 0) return LOOPTABLES16::table6[f];
    } else if (s.mode == BLENDMODE_ADD && p == 255) {
        if constexpr (T == 1)
            if (mmx) return LOOPTABLES32::addSat[f];
        return LOOPTABLES<T>::add255[f];
    } else if (s.mode == BLENDMODE_SUB && p == 255) {
        if constexpr (T == 1)
            if (mmx) return LOOPTABLES32::subSat[f];
        return LOOPTABLES<T>::sub255[f];
    }
    return nullptr;
}

}  // namespace

void BlitMemImg(MEMIMG *dst, MEMIMG *src, int x, int y, int transparent, MEMIMG *blend) {
    COPYSETUP setup;
    if (!PrepareCopyRules(dst, src, blend, transparent, &setup)) return;
    const MEMIMGBASE *sb = src->base, *db = dst->base;

    RECT r{x, y, x + src->width, y + src->height};
    ClipToDrawArea(&r, dst);
    int w = r.right - r.left, h = r.bottom - r.top;
    const int ox = r.left - x, oy = r.top - y;
    if (w <= 0 || h <= 0) return;
    const bool graph = (setup.flags & kGraph) != 0;
    if (graph) {
        // Pixels past a smaller blend graph are not drawn.
        if (ox + w > blend->width) w = blend->width - ox;
        if (oy + h > blend->height) h = blend->height - oy;
        if (w <= 0 || h <= 0) return;
    }

    const int type = setup.type;
    const int srcBytes = MemImgBytesPerPixel(sb), dstBytes = MemImgBytesPerPixel(db);
    BLITCALL c{};
    c.rules = setup.rules;
    c.src = src->pixels + (size_t)oy * sb->pitch + (size_t)ox * srcBytes;
    c.dst = dst->pixels + (size_t)r.top * db->pitch + (size_t)r.left * dstBytes;
    c.srcPitch = sb->pitch;
    c.dstPitch = db->pitch;
    if (graph) {
        c.graph = blend->pixels + (size_t)oy * blend->base->pitch + (size_t)ox * c.rules.graphBytes;
        c.graphPitch = blend->base->pitch;
    }
    c.w = w;
    c.h = h;
    MarkMemImgWritten(dst);

    const unsigned flags = setup.flags;
    const int m = setup.modeIndex;
    if (setup.mode == BLENDMODE_NONE && flags == kAlpha) {
        if (type == MEMIMG_TYPE_RGB32) CopyIgnoringAlpha<1>(c);
        else CopyIgnoringAlpha<0>(c);
        return;
    }
    const bool runs = transparent == 1 && sb->runTableValid && sb->runTable != nullptr && w == src->width &&
                      h == src->height && src->width == sb->width && src->height == sb->height;
    LOOP loop;
    if (runs) {
        c.runs = sb->runTable;
        loop = type == MEMIMG_TYPE_RGB32 ? LOOPTABLES<1>::runs[m][flags & 15] : LOOPTABLES<0>::runs[m][flags & 15];
    } else {
        const bool mmx = IsMmxAvailable() != 0;
        loop = type == MEMIMG_TYPE_RGB32 ? FastLoop<1>(setup, mmx) : FastLoop<0>(setup, mmx);
        if (!loop) loop = type == MEMIMG_TYPE_RGB32 ? LOOPTABLES<1>::pixel[m][flags] : LOOPTABLES<0>::pixel[m][flags];
    }
    loop(c);
}
