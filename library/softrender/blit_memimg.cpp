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

namespace {

constexpr unsigned kGraph = 1, kTint = 2, kPalette = 4, kAlpha = 8, kKey = 16;
constexpr int kModes[] = {0, 1, 2, 3, 4, 10, 11};
constexpr int kModeIndex[12] = {0, 1, 2, 3, 4, -1, -1, -1, -1, -1, 5, 6};

struct BLITCALL {
    const uint8_t *src;
    uint8_t *dst;
    const uint8_t *graph;
    int32_t srcPitch, dstPitch, graphPitch, graphBytes, graphType;
    int32_t w, h;
    uint32_t key;
    const uint8_t *palette;
    const int32_t *tint[3];      // product rows of the bright blue, green and red
    const int32_t *prodP;        // product row of the parameter
    const int32_t *signedP;      // signed product row of the parameter, at its zero entry
    const uint8_t (*blend6)[64]; // 6-bit blend block of the parameter
    const uint8_t *graphTable;
    int32_t p;
    bool mmx;
    const uint8_t *runs;
};

// Channel layout of the two drawable pixel types: index 0 blue, 1 green, 2 red.
template <int T>
struct PX;
template <>
struct PX<0> {
    static constexpr int kBytes = 2;
    static constexpr int kWidth[3] = {5, 6, 5};
    static constexpr int kShift[3] = {0, 5, 11};
};
template <>
struct PX<1> {
    static constexpr int kBytes = 4;
    static constexpr int kWidth[3] = {8, 8, 8};
    static constexpr int kShift[3] = {0, 8, 16};
};

template <int T>
inline int Field(uint32_t v, int i) {
    return (int)(v >> PX<T>::kShift[i]) & ((1 << PX<T>::kWidth[i]) - 1);
}

template <int T>
inline uint32_t Pack(const int c[3]) {
    return (uint32_t)c[0] << PX<T>::kShift[0] | (uint32_t)c[1] << PX<T>::kShift[1] | (uint32_t)c[2] << PX<T>::kShift[2];
}

inline uint32_t Load(const uint8_t *p, int bytes) {
    switch (bytes) {
    case 1: return p[0];
    case 2: return p[0] | (uint32_t)p[1] << 8;
    default: return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    }
}

template <int T>
inline void Store(uint8_t *p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    if constexpr (T == 1) {
        p[2] = (uint8_t)(v >> 16);
        p[3] = (uint8_t)(v >> 24);
    }
}

// d moved toward s by W / 256^k.
inline int Mix(int d, int s, int64_t w, int k) {
    return (int)((((int64_t)d << (8 * k)) + (int64_t)(s - d) * w) >> (8 * k));
}

// Word-wide add and subtract with the low bits of green and red as carry guards.
inline uint32_t Add32(uint32_t s, uint32_t d, bool fast) {
    uint32_t t = (d & 0xFEFEFF) + (s & 0xFEFEFF), c = t & 0x1010100;
    return (c - (c >> 8)) | (fast ? 0 : (d | s) & 0x010100) | t;
}
inline uint32_t Sub32(uint32_t s, uint32_t d, bool fast) {
    uint32_t e = (d | 0x1010100) - (s & (fast ? 0xFEFEFFu : 0xFEFEFEFFu)), c = e & 0x1010100;
    return (c - (c >> 8)) & e;
}
inline uint32_t Add16(uint32_t s, uint32_t d, bool fast) {
    uint32_t t = (d & 0xF7DF) + (s & 0xF7DF), c = t & 0x10820;
    return ((c - (c >> 5)) | (fast ? 0 : (d | s) & 0x0820) | t) & 0xFFFF;
}
inline uint32_t Sub16(uint32_t s, uint32_t d) {
    uint32_t e = (d | 0x10820) - (s & 0xF7DF), c = e & 0x10820;
    return ((c - (c >> 5)) & e) & 0xFFFF;
}
// Exact per-channel saturation, as the vector units do it.
inline uint32_t Saturated32(uint32_t s, uint32_t d, bool add) {
    uint32_t r = 0;
    for (int i = 0; i < 3; ++i) {
        int a = (int)(s >> 8 * i & 0xFF), b = (int)(d >> 8 * i & 0xFF);
        int v = add ? a + b : b - a;
        r |= (uint32_t)(v < 0 ? 0 : v > 255 ? 255 : v) << 8 * i;
    }
    return r;
}

// One source colour onto the destination pixel. a: the alpha factor, or -1 when the pixel
// carries none; g: the blend-graph weight (read only with kGraph).
template <int T, int M, unsigned F, bool Fast>
inline void Blend(const BLITCALL &c, uint8_t *dp, uint32_t s, int a, int g) {
    const uint32_t d = Load(dp, PX<T>::kBytes);
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
    int sc[3], dc[3], out[3];
    for (int i = 0; i < 3; ++i) {
        sc[i] = Field<T>(s, i);
        dc[i] = Field<T>(d, i);
        if constexpr (M == 10) sc[i] = ((1 << PX<T>::kWidth[i]) - 1) - sc[i];
        if constexpr ((F & kTint) != 0) sc[i] = c.tint[i][sc[i]];
    }
    // The fourth byte of a 32-bit destination keeps its value except in word copies.
    const uint32_t keep = T == 1 ? d & 0xFF000000u : 0;
    uint32_t result;
    if constexpr (M == 0) {
        if (k == 0) {
            if constexpr ((F & kTint) == 0) {
                Store<T>(dp, s);
                return;
            }
            result = Pack<T>(sc) | keep;
        } else {
            for (int i = 0; i < 3; ++i) out[i] = Mix(dc[i], sc[i], w, k);
            result = Pack<T>(out) | keep;
        }
    } else if constexpr (M == 1 || M == 10 || M == 11) {
        if constexpr (M == 11)
            for (int i = 0; i < 3; ++i) sc[i] = (sc[i] * dc[i]) >> PX<T>::kWidth[i];
        if constexpr (M == 1 && Fast) {
            if (c.p == 128) {
                result = T == 1 ? (((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F)) | keep
                                : ((s >> 1) & 0x7BEF) + ((d >> 1) & 0x7BEF);
                Store<T>(dp, result);
                return;
            }
            if constexpr (T == 0) {
                for (int i = 0; i < 3; ++i) out[i] = c.blend6[sc[i]][dc[i]];
                Store<T>(dp, Pack<T>(out));
                return;
            }
        }
        if (T == 0 && k == 0) {
            for (int i = 0; i < 3; ++i) out[i] = dc[i] + c.signedP[sc[i] - dc[i]];
        } else {
            for (int i = 0; i < 3; ++i) out[i] = Mix(dc[i], sc[i], w * c.p, k + 1);
        }
        result = Pack<T>(out) | keep;
    } else if constexpr (M == 2 || M == 3) {
        if constexpr (Fast) {
            if (c.p == 255) {
                if constexpr (T == 1)
                    result = (c.mmx ? Saturated32(s, d, M == 2) : M == 2 ? Add32(s, d, true) : Sub32(s, d, true));
                else
                    result = M == 2 ? Add16(s, d, true) : Sub16(s, d);
                Store<T>(dp, (result & (T == 1 ? 0xFFFFFFu : 0xFFFFu)) | keep);
                return;
            }
        }
        for (int i = 0; i < 3; ++i) {
            if constexpr (T == 1)
                out[i] = k == 0 ? c.prodP[sc[i]] : (int)(((int64_t)sc[i] * w * c.p) >> (8 * (k + 1)));
            else
                out[i] = c.prodP[(int)(((int64_t)sc[i] * w) >> (8 * k))];
        }
        uint32_t scaled = Pack<T>(out);
        if constexpr (T == 1)
            result = ((M == 2 ? Add32(scaled, d, false) : Sub32(scaled, d, false)) & 0xFFFFFF) | keep;
        else
            result = M == 2 ? Add16(scaled, d, false) : Sub16(scaled, d);
    } else {  // M == 4
        for (int i = 0; i < 3; ++i)
            out[i] = (int)(((int64_t)dc[i] * sc[i] * w) >> (PX<T>::kWidth[i] + 8 * k));
        result = Pack<T>(out) | keep;
    }
    Store<T>(dp, result);
}

// Run: 0 per pixel with the skip test, 1 an opaque run, 2 a partly transparent run.
template <int T, int M, unsigned F, int Run, bool Fast>
inline void Pixel(const BLITCALL &c, const uint8_t *sp, uint8_t *dp, const uint8_t *gp) {
    uint32_t colour;
    int a = -1;
    if constexpr ((F & kPalette) != 0) {
        const uint32_t index = *sp;
        if (Run == 0 && (F & kKey) && index == c.key) return;
        colour = T == 1 ? Load(c.palette + index * 4, 4) : Load(c.palette + index * 2, 2);
    } else if constexpr ((F & kAlpha) != 0) {
        const uint32_t raw = Load(sp, 4);
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
        colour = Load(sp, PX<T>::kBytes);
        if (Run == 0 && (F & kKey) && colour == c.key) return;
    }
    int g = 0;
    if constexpr ((F & kGraph) != 0) {
        uint32_t v = Load(gp, c.graphBytes);
        // A colour image as blend graph gives its blue channel.
        if (c.graphType == 0) v = (v & 0x1F) << 3 | (v & 0x1F) >> 2;
        else if (c.graphType == 1) v &= 0xFF;
        else if (c.graphType == 3) v >>= 8;
        g = c.graphTable[v & 0xFF];
    }
    Blend<T, M, F, Fast>(c, dp, colour, a, g);
}

template <unsigned F>
constexpr int SourceBytes(int t) {
    return (F & kPalette) ? 1 : (t == 1 || (F & kAlpha)) ? 4 : 2;
}

template <int T, int M, unsigned F>
void PixelLoop(const BLITCALL &c) {
    constexpr int sb = SourceBytes<F>(T), db = PX<T>::kBytes;
    constexpr bool fast = (F & (kGraph | kTint | kAlpha)) == 0;
    for (int y = 0; y < c.h; ++y) {
        const uint8_t *s = c.src + (size_t)y * c.srcPitch;
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        const uint8_t *g = c.graph ? c.graph + (size_t)y * c.graphPitch : nullptr;
        for (int x = 0; x < c.w; ++x)
            Pixel<T, M, F, 0, fast>(c, s + x * sb, d + x * db, g ? g + x * c.graphBytes : nullptr);
    }
}

template <int T, int M, unsigned F>
void RunLoop(const BLITCALL &c) {
    constexpr int sb = SourceBytes<F>(T), db = PX<T>::kBytes;
    const uint8_t *code = c.runs;
    for (int y = 0; y < c.h; ++y) {
        const uint8_t *s = c.src + (size_t)y * c.srcPitch;
        uint8_t *d = c.dst + (size_t)y * c.dstPitch;
        const uint8_t *g = c.graph ? c.graph + (size_t)y * c.graphPitch : nullptr;
        for (int x = 0;;) {
            const unsigned b = *code++;
            if (b >= MEMIMG_RUN_END) break;
            int n = (int)(b & 63) + 1;
            if (n > c.w - x) n = c.w - x;  // a damaged table never leaves the row
            const unsigned kind = b >> 6;
            for (int i = x; i < x + n; ++i) {
                const uint8_t *gi = g ? g + i * c.graphBytes : nullptr;
                if (kind == MEMIMG_RUN_OPAQUE) Pixel<T, M, F, 1, false>(c, s + i * sb, d + i * db, gi);
                else if (kind == MEMIMG_RUN_PARTIAL) Pixel<T, M, F, 2, false>(c, s + i * sb, d + i * db, gi);
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
        for (int x = 0; x < c.w; ++x) Store<T>(d + x * PX<T>::kBytes, Load(s + x * 4, 4));
    }
}

using LOOP = void (*)(const BLITCALL &);

template <int T, int M, bool Runs, unsigned... Fs>
constexpr std::array<LOOP, sizeof...(Fs)> FlagLoops(std::integer_sequence<unsigned, Fs...>) {
    if constexpr (Runs) return {{&RunLoop<T, M, Fs | kKey>...}};
    else return {{&PixelLoop<T, M, Fs>...}};
}

template <int T, bool Runs, int N, size_t... Mi>
constexpr std::array<std::array<LOOP, N>, 7> ModeLoops(std::index_sequence<Mi...>) {
    return {{FlagLoops<T, kModes[Mi], Runs>(std::make_integer_sequence<unsigned, N>())...}};
}

template <int T>
struct LOOPTABLES {
    static constexpr auto pixel = ModeLoops<T, false, 32>(std::make_index_sequence<7>());
    static constexpr auto runs = ModeLoops<T, true, 16>(std::make_index_sequence<7>());
};

}  // namespace

void BlitMemImg(MEMIMG *dst, MEMIMG *src, int x, int y, int transparent, MEMIMG *blend) {
    if (!IsMemImgValid(dst) || !IsMemImgValid(src)) return;
    const MEMIMGBASE *sb = src->base, *db = dst->base;
    if (sb->pixelType != db->pixelType || db->paletteFlag || db->alphaFlag) return;
    const int type = db->pixelType;
    if (type != MEMIMG_TYPE_RGB16 && type != MEMIMG_TYPE_RGB32) return;

    RECT r{x, y, x + src->width, y + src->height};
    const RECT area{g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom};
    ClipRect(&r, &area);
    // The draw area should lie inside the destination; never write past it when it does not.
    const RECT inside{0, 0, dst->width, dst->height};
    ClipRect(&r, &inside);
    int w = r.right - r.left, h = r.bottom - r.top;
    const int ox = r.left - x, oy = r.top - y;
    if (w <= 0 || h <= 0) return;
    const bool graph = IsMemImgValid(blend) != 0;
    if (graph) {
        // Pixels past a smaller blend graph are not drawn.
        if (ox + w > blend->width) w = blend->width - ox;
        if (oy + h > blend->height) h = blend->height - oy;
        if (w <= 0 || h <= 0) return;
    }

    int mode = g_drawState.blendMode;
    const int p = g_drawState.blendParam < 0 ? 0 : g_drawState.blendParam > 255 ? 255 : g_drawState.blendParam;
    if (mode == BLENDMODE_ALPHA && p == 255) mode = BLENDMODE_NONE;
    if (mode < 0 || mode > 11 || kModeIndex[mode] < 0) return;
    const bool palette = sb->paletteFlag != 0, alpha = sb->alphaFlag != 0 && !palette;
    if ((mode == BLENDMODE_ADD || mode == BLENDMODE_SUB) && p == 0 && !(mode == BLENDMODE_SUB && palette)) return;
    const uint32_t bright = g_drawState.brightness & 0xFFFFFF;
    const bool tint = bright != 0xFFFFFF, key = transparent != 0;

    if (!g_memImgState.built) InitMemImgTables();
    const MEMIMGSTATE &t = g_memImgState;
    const int srcBytes = MemImgBytesPerPixel(sb), dstBytes = MemImgBytesPerPixel(db);
    BLITCALL c{};
    c.src = src->pixels + (size_t)oy * sb->pitch + (size_t)ox * srcBytes;
    c.dst = dst->pixels + (size_t)r.top * db->pitch + (size_t)r.left * dstBytes;
    c.srcPitch = sb->pitch;
    c.dstPitch = db->pitch;
    if (graph) {
        c.graphBytes = MemImgBytesPerPixel(blend->base);
        c.graphType = blend->base->paletteFlag ? MEMIMG_TYPE_CHAN8 : blend->base->pixelType;
        c.graph = blend->pixels + (size_t)oy * blend->base->pitch + (size_t)ox * c.graphBytes;
        c.graphPitch = blend->base->pitch;
        c.graphTable = t.blendGraphTable;
    }
    c.w = w;
    c.h = h;
    c.key = sb->transparentCode;
    c.palette = sb->palette;
    c.tint[0] = t.productTable[bright & 0xFF];
    c.tint[1] = t.productTable[bright >> 8 & 0xFF];
    c.tint[2] = t.productTable[bright >> 16 & 0xFF];
    c.prodP = t.productTable[p];
    c.signedP = &t.signedProductTable[p][255];
    c.blend6 = t.blendTable6[p >> 2];
    c.p = p;
    c.mmx = IsMmxAvailable() != 0;

    if (mode == BLENDMODE_NONE && !graph && !tint && alpha && !key) {
        if (type == MEMIMG_TYPE_RGB32) CopyIgnoringAlpha<1>(c);
        else CopyIgnoringAlpha<0>(c);
        return;
    }
    const unsigned flags = (graph ? kGraph : 0) | (tint ? kTint : 0) | (palette ? kPalette : 0) |
                           (alpha ? kAlpha : 0) | (key ? kKey : 0);
    const bool runs = transparent == 1 && sb->runTableValid && sb->runTable != nullptr && w == src->width &&
                      h == src->height && src->width == sb->width && src->height == sb->height;
    const int m = kModeIndex[mode];
    LOOP loop;
    if (runs) {
        c.runs = sb->runTable;
        loop = type == MEMIMG_TYPE_RGB32 ? LOOPTABLES<1>::runs[m][flags & 15] : LOOPTABLES<0>::runs[m][flags & 15];
    } else {
        loop = type == MEMIMG_TYPE_RGB32 ? LOOPTABLES<1>::pixel[m][flags] : LOOPTABLES<0>::pixel[m][flags];
    }
    loop(c);
}
