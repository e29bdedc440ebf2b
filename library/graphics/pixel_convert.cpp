// The conversion blit: one general rule per pixel, and table-driven loops that give its results
// faster for the common pairs.
#include "library/graphics/pixel_convert.h"

#include <cstring>

namespace {

struct Field {
    uint32_t mask;
    int shift, width;
};

struct Channel {
    Field src, dst;
};

const int kDitherMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

enum AlphaSource { ALPHA_NONE, ALPHA_FULL, ALPHA_SOURCE, ALPHA_IMAGE, ALPHA_KEY, ALPHA_RED };

struct Plan {
    int srcBytes, dstBytes;
    const COLOURFORMAT *srcFormat;
    const COLOURFORMAT *dstFormat;
    bool srcPalette;
    Channel red, green, blue;
    Field srcAlpha, dstAlpha;
    AlphaSource alphaFrom;
    const COLOURFORMAT *alphaFormat;
    int alphaBytes;
    Field alphaRed;  // the alpha image's red field
    uint32_t keyFields;  // the transparent colour's red, green and blue in source format
    uint32_t srcRgbMask;
    uint32_t dstFree;
    int dither;
    bool colourOff;
};

inline uint32_t Extract(uint32_t v, const Field &f) {
    if (f.width == 0) return 0;
    uint32_t x = (v & f.mask) >> f.shift;
    return f.width >= 32 ? x : x & ((1u << f.width) - 1);
}

inline uint32_t FieldMaxOf(int width) {
    return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
}

Field FieldOfFormat(uint32_t mask, int shift, int width) {
    return {mask, shift, width};
}

// Source fields of one pixel: palette colour for one-byte sources.
struct Fields {
    uint32_t r, g, b, a;
};

inline Fields SourceFields(const Plan &p, uint32_t v) {
    if (p.srcPalette) {
        const PALETTEENTRY_BGRA &e = p.srcFormat->palette[v & 0xFF];
        return {e.red, e.green, e.blue, e.alpha};
    }
    return {Extract(v, p.red.src), Extract(v, p.green.src), Extract(v, p.blue.src), Extract(v, p.srcAlpha)};
}

inline uint32_t AlphaImageField(const Plan &p, const uint8_t *pixel) {
    uint32_t v = LoadPixelValue(pixel, p.alphaBytes);
    if (p.alphaBytes == 1) return p.alphaFormat->palette[v & 0xFF].red;
    return Extract(v, p.alphaRed);
}

// A field narrowed by dithering, never past its maximum.
inline uint32_t Narrow(const Plan &p, uint32_t v, int from, int to, int x, int y, uint32_t *sum) {
    int d = from - to;
    uint32_t kept = v >> d;
    if (p.dither == DITHER_NONE || d <= 0) return kept;
    uint32_t dropped = v & ((1u << d) - 1);
    bool raise;
    if (p.dither == DITHER_ORDERED) {
        uint32_t threshold = ((1u << d) * (uint32_t)kDitherMatrix[y & 3][x & 3]) >> 4;
        raise = dropped > threshold;
    } else {
        *sum += dropped;
        raise = *sum >= (1u << d);
        if (raise) *sum -= 1u << d;
    }
    if (raise && kept < FieldMaxOf(to)) ++kept;
    return kept;
}

inline uint32_t Fit(const Plan &p, uint32_t v, int from, int to, int x, int y, uint32_t *sum) {
    if (from == 0 || to == 0) return 0;
    if (to < from) return Narrow(p, v, from, to, x, y, sum);
    return FitColourField(v, from, to);
}

int SourceWidth(const Plan &p, const Channel &c) {
    return p.srcPalette ? 8 : c.src.width;
}

// The general rule for one pixel. `alphaPixel` is the alpha image's pixel or null.
uint32_t ConvertOne(const Plan &p, uint32_t v, const uint8_t *alphaPixel, int x, int y, uint32_t sums[3]) {
    Fields s = SourceFields(p, v);
    uint32_t out = p.dstFree;
    if (!p.colourOff) {
        out |= (Fit(p, s.r, SourceWidth(p, p.red), p.red.dst.width, x, y, &sums[0]) << p.red.dst.shift) & p.red.dst.mask;
        out |= (Fit(p, s.g, SourceWidth(p, p.green), p.green.dst.width, x, y, &sums[1]) << p.green.dst.shift) &
               p.green.dst.mask;
        out |= (Fit(p, s.b, SourceWidth(p, p.blue), p.blue.dst.width, x, y, &sums[2]) << p.blue.dst.shift) &
               p.blue.dst.mask;
    }
    uint32_t a = 0;
    int aw = p.dstAlpha.width;
    switch (p.alphaFrom) {
    case ALPHA_NONE: return out;
    case ALPHA_FULL: a = FieldMaxOf(aw); break;
    case ALPHA_SOURCE: a = FitColourField(s.a, p.srcPalette ? 8 : p.srcAlpha.width, aw); break;
    case ALPHA_IMAGE:
        a = FitColourField(AlphaImageField(p, alphaPixel), p.alphaBytes == 1 ? 8 : p.alphaRed.width, aw);
        break;
    case ALPHA_KEY: {
        uint32_t rgb = p.srcPalette ? (s.r << 16 | s.g << 8 | s.b) : (v & p.srcRgbMask);
        a = rgb == p.keyFields ? 0 : FieldMaxOf(aw);
        break;
    }
    case ALPHA_RED: a = FitColourField(s.r, SourceWidth(p, p.red), aw); break;
    }
    return out | ((a << p.dstAlpha.shift) & p.dstAlpha.mask);
}

struct Walk {
    uint8_t *dst;
    int dstPitch;
    const uint8_t *src;
    int srcPitch;
    const uint8_t *alpha;
    int alphaPitch;
    int dstX, dstY;
    int left, top, width, height;
    bool mirror, skip;
    uint32_t skipValue;
};

inline uint8_t *DstPixel(const Walk &w, const Plan &p, int i, int row) {
    int x = w.mirror ? w.dstX + (w.width - 1 - i) : w.dstX + i;
    return w.dst + (size_t)(w.dstY + row) * w.dstPitch + (size_t)x * p.dstBytes;
}

void GeneralLoop(const Plan &p, const Walk &w) {
    for (int row = 0; row < w.height; ++row) {
        uint32_t sums[3] = {0, 0, 0};  // carry dithering starts again on every row
        const uint8_t *s = w.src + (size_t)(w.top + row) * w.srcPitch + (size_t)w.left * p.srcBytes;
        const uint8_t *a =
            w.alpha ? w.alpha + (size_t)(w.top + row) * w.alphaPitch + (size_t)w.left * p.alphaBytes : nullptr;
        for (int i = 0; i < w.width; ++i) {
            uint32_t v = LoadPixelValue(s + (size_t)i * p.srcBytes, p.srcBytes);
            if (w.skip && v == w.skipValue) continue;
            int x = w.mirror ? w.dstX + (w.width - 1 - i) : w.dstX + i;
            uint32_t out = ConvertOne(p, v, a ? a + (size_t)i * p.alphaBytes : nullptr, x, w.dstY + row, sums);
            if (p.dstBytes == 1) out = MakeColourCode(p.dstFormat, (int)((out >> 16) & 255), (int)((out >> 8) & 255),
                                                      (int)(out & 255), 0);
            StorePixelValue(DstPixel(w, p, i, row), p.dstBytes, out);
        }
    }
}

// Pixels copied as they are (same layout, or indices), with mirror and skip.
void RawLoop(int bytes, const Walk &w, const uint8_t *remap) {
    for (int row = 0; row < w.height; ++row) {
        const uint8_t *s = w.src + (size_t)(w.top + row) * w.srcPitch + (size_t)w.left * bytes;
        uint8_t *d = w.dst + (size_t)(w.dstY + row) * w.dstPitch + (size_t)w.dstX * bytes;
        if (!w.mirror && !w.skip && remap == nullptr) {
            std::memcpy(d, s, (size_t)w.width * bytes);
            continue;
        }
        for (int i = 0; i < w.width; ++i) {
            uint32_t v = LoadPixelValue(s + (size_t)i * bytes, bytes);
            if (w.skip && v == w.skipValue) continue;
            if (remap) v = remap[v & 0xFF];
            int x = w.mirror ? w.width - 1 - i : i;
            StorePixelValue(d + (size_t)x * bytes, bytes, v);
        }
    }
}

template <int B>
inline uint32_t LoadPixel(const uint8_t *p) {
    if constexpr (B == 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else if constexpr (B == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    } else {
        return LoadPixelValue(p, B);
    }
}

template <int B>
inline void StorePixel(uint8_t *p, uint32_t v) {
    if constexpr (B == 4) {
        std::memcpy(p, &v, 4);
    } else if constexpr (B == 2) {
        uint16_t h = (uint16_t)v;
        std::memcpy(p, &h, 2);
    } else {
        StorePixelValue(p, B, v);
    }
}

// One plain row. A function of its own: inlined into the rectangle walk, GCC gives up on the
// loop (or versions it on aliasing it cannot rule out) and leaves it scalar.
template <int SB, int DB, typename F>
[[gnu::noinline]] void TightRow(const uint8_t *__restrict s, uint8_t *__restrict d, size_t n, F pixel) {
    for (size_t i = 0; i < n; ++i) StorePixel<DB>(d + i * DB, pixel(LoadPixel<SB>(s + i * SB)));
}

// Runs `pixel` (source value -> destination value) over the rectangle: a tight loop for plain rows,
// the careful one for mirrored rows and skipped pixels.
template <int SB, int DB, typename F>
void EachPixel(const Walk &w, F pixel) {
    // Locals: stores through byte pointers could otherwise alias the walk record.
    const int width = w.width, height = w.height;
    const bool careful = w.mirror || w.skip, mirror = w.mirror, skip = w.skip;
    const uint32_t skipValue = w.skipValue;
    const uint8_t *srcRow = w.src + (size_t)w.top * w.srcPitch + (size_t)w.left * SB;
    uint8_t *dstRow = w.dst + (size_t)w.dstY * w.dstPitch + (size_t)w.dstX * DB;
    const size_t srcPitch = (size_t)w.srcPitch, dstPitch = (size_t)w.dstPitch;
    for (int row = 0; row < height; ++row, srcRow += srcPitch, dstRow += dstPitch) {
        const uint8_t *s = srcRow;
        uint8_t *d = dstRow;
        if (!careful) {
            TightRow<SB, DB>(s, d, (size_t)width, pixel);
            continue;
        }
        for (int i = 0; i < width; ++i) {
            uint32_t v = LoadPixel<SB>(s + (size_t)i * SB);
            if (skip && v == skipValue) continue;
            int x = mirror ? width - 1 - i : i;
            StorePixel<DB>(d + (size_t)x * DB, pixel(v));
        }
    }
}

// The common narrowing pairs with their shifts known to the compiler: 8-bit red, green and blue
// at 16, 8 and 0 into 5-6-5 or 5-5-5 with the top bit free.
template <int SB, bool G6>
void Narrow888Loop(const Walk &w, uint32_t constant) {
    EachPixel<SB, 2>(w, [constant](uint32_t v) {
        if constexpr (G6)
            return constant | (v >> 8 & 0xF800) | (v >> 5 & 0x07E0) | (v >> 3 & 0x001F);
        else
            return constant | (v >> 9 & 0x7C00) | (v >> 6 & 0x03E0) | (v >> 3 & 0x001F);
    });
}

// Table-driven loop: the colour part of each destination value is the OR of one table entry per
// source field (or one entry per palette index), which the general rule filled.
template <int SB, int DB>
void TableLoop(const Plan &p, const Walk &w, const uint32_t *tr, const uint32_t *tg, const uint32_t *tb,
               const uint32_t *alphaTable, uint32_t constant) {
    const Field rf = p.red.src, gf = p.green.src, bf = p.blue.src, af = p.srcAlpha;
    const uint32_t rm = FieldMaxOf(rf.width), gm = FieldMaxOf(gf.width), bm = FieldMaxOf(bf.width),
                   am = FieldMaxOf(af.width);
    const uint32_t fullAlpha = (FieldMaxOf(p.dstAlpha.width) << p.dstAlpha.shift) & p.dstAlpha.mask;
    if (w.alpha != nullptr) {
        // Alpha from the alpha image, pixel by pixel beside the source.
        for (int row = 0; row < w.height; ++row) {
            const uint8_t *s = w.src + (size_t)(w.top + row) * w.srcPitch + (size_t)w.left * SB;
            const uint8_t *a = w.alpha + (size_t)(w.top + row) * w.alphaPitch + (size_t)w.left * p.alphaBytes;
            uint8_t *d = w.dst + (size_t)(w.dstY + row) * w.dstPitch + (size_t)w.dstX * DB;
            for (int i = 0; i < w.width; ++i) {
                uint32_t v = LoadPixel<SB>(s + (size_t)i * SB);
                uint32_t out = SB == 1 ? tr[v]
                                       : tr[(v >> rf.shift) & rm] | tg[(v >> gf.shift) & gm] |
                                             tb[(v >> bf.shift) & bm] | constant;
                out |= alphaTable[AlphaImageField(p, a + (size_t)i * p.alphaBytes)];
                int x = w.mirror ? w.width - 1 - i : i;
                StorePixel<DB>(d + (size_t)x * DB, out);
            }
        }
        return;
    }
    if (SB == 1) {
        EachPixel<SB, DB>(w, [tr](uint32_t v) { return tr[v & 0xFF]; });
        return;
    }
    auto colour = [=](uint32_t v) {
        return tr[(v >> rf.shift) & rm] | tg[(v >> gf.shift) & gm] | tb[(v >> bf.shift) & bm] | constant;
    };
    switch (p.alphaFrom) {
    case ALPHA_SOURCE:
        EachPixel<SB, DB>(w, [=](uint32_t v) { return colour(v) | alphaTable[(v >> af.shift) & am]; });
        break;
    case ALPHA_KEY: {
        const uint32_t rgbMask = p.srcRgbMask, key = p.keyFields;
        EachPixel<SB, DB>(w, [=](uint32_t v) { return colour(v) | ((v & rgbMask) == key ? 0 : fullAlpha); });
        break;
    }
    case ALPHA_RED:
        EachPixel<SB, DB>(w, [=](uint32_t v) { return colour(v) | alphaTable[(v >> rf.shift) & rm]; });
        break;
    default: EachPixel<SB, DB>(w, colour); break;
    }
}

// Every channel kept or narrowed: each field is one shift and mask, no table.
template <int SB, int DB>
void ShiftLoop(const Plan &p, const Walk &w, uint32_t constant) {
    auto place = [](const Field &from, const Field &to, int *down, uint32_t *mask, int *up) {
        *down = to.width == 0 ? 0 : from.shift + (from.width - to.width);
        *mask = to.width == 0 ? 0 : FieldMaxOf(to.width);
        *up = to.shift;
    };
    int rd, gd, bd, ad, ru, gu, bu, au;
    uint32_t rm, gm, bm, am;
    place(p.red.src, p.red.dst, &rd, &rm, &ru);
    place(p.green.src, p.green.dst, &gd, &gm, &gu);
    place(p.blue.src, p.blue.dst, &bd, &bm, &bu);
    ad = 0, am = 0, au = 0;
    if (p.alphaFrom == ALPHA_SOURCE) place(p.srcAlpha, p.dstAlpha, &ad, &am, &au);
    EachPixel<SB, DB>(w, [=](uint32_t v) {
        return constant | ((v >> rd) & rm) << ru | ((v >> gd) & gm) << gu | ((v >> bd) & bm) << bu |
               ((v >> ad) & am) << au;
    });
}

// RGB fields equal on both sides: only the constant bits and the alpha change.
template <int SB, int DB>
void SameFieldsLoop(const Plan &p, const Walk &w, uint32_t constant) {
    const uint32_t keep = p.red.dst.mask | p.green.dst.mask | p.blue.dst.mask;
    EachPixel<SB, DB>(w, [=](uint32_t v) { return (v & keep) | constant; });
}

template <int SB>
bool DispatchTable(int db, const Plan &p, const Walk &w, const uint32_t *tr, const uint32_t *tg, const uint32_t *tb,
                   const uint32_t *ta, uint32_t constant) {
    switch (db) {
    case 2: TableLoop<SB, 2>(p, w, tr, tg, tb, ta, constant); return true;
    case 3: TableLoop<SB, 3>(p, w, tr, tg, tb, ta, constant); return true;
    case 4: TableLoop<SB, 4>(p, w, tr, tg, tb, ta, constant); return true;
    default: return false;
    }
}

template <int SB>
bool DispatchShift(int db, const Plan &p, const Walk &w, uint32_t constant) {
    switch (db) {
    case 2: ShiftLoop<SB, 2>(p, w, constant); return true;
    case 3: ShiftLoop<SB, 3>(p, w, constant); return true;
    case 4: ShiftLoop<SB, 4>(p, w, constant); return true;
    default: return false;
    }
}

template <int SB>
bool DispatchSame(int db, const Plan &p, const Walk &w, uint32_t constant) {
    switch (db) {
    case 2: SameFieldsLoop<SB, 2>(p, w, constant); return true;
    case 3: SameFieldsLoop<SB, 3>(p, w, constant); return true;
    case 4: SameFieldsLoop<SB, 4>(p, w, constant); return true;
    default: return false;
    }
}

bool SameField(const Field &a, const Field &b) {
    return a.mask == b.mask && a.shift == b.shift && a.width == b.width;
}

constexpr int kTableFieldLimit = 12;

// Fills the tables from the general rule and runs the fitting loop; false when it does not apply.
bool TryFastPath(const Plan &p, const Walk &w) {
    if (p.dstBytes < 2 || p.dither != DITHER_NONE) return false;
    if (p.alphaFrom == ALPHA_IMAGE && p.alphaBytes != 1 && p.alphaRed.width > 8) return false;
    uint32_t sums[3] = {0, 0, 0};  // unused without dithering
    // Alpha-image table: alpha field (8 bits at most) to destination alpha bits.
    static thread_local uint32_t alphaImageTable[256];
    if (p.alphaFrom == ALPHA_IMAGE) {
        int from = p.alphaBytes == 1 ? 8 : p.alphaRed.width;
        for (uint32_t i = 0; i < (1u << from); ++i)
            alphaImageTable[i] = (FitColourField(i, from, p.dstAlpha.width) << p.dstAlpha.shift) & p.dstAlpha.mask;
    }
    // Bits every destination value carries: the free bits, and the alpha when it is always full.
    const uint32_t fullAlpha = (FieldMaxOf(p.dstAlpha.width) << p.dstAlpha.shift) & p.dstAlpha.mask;
    uint32_t constant = p.dstFree | (p.alphaFrom == ALPHA_FULL ? fullAlpha : 0);

    if (p.srcBytes == 1) {
        static thread_local uint32_t table[256];
        Plan t = p;
        if (t.alphaFrom == ALPHA_IMAGE) t.alphaFrom = ALPHA_NONE;
        for (uint32_t i = 0; i < 256; ++i) table[i] = ConvertOne(t, i, nullptr, 0, 0, sums);
        return DispatchTable<1>(p.dstBytes, p, w, table, table, table, alphaImageTable, 0);
    }

    bool sameFields = SameField(p.red.src, p.red.dst) && SameField(p.green.src, p.green.dst) &&
                      SameField(p.blue.src, p.blue.dst) && !p.colourOff &&
                      (p.alphaFrom == ALPHA_NONE || p.alphaFrom == ALPHA_FULL);
    if (sameFields) {
        switch (p.srcBytes) {
        case 2: return DispatchSame<2>(p.dstBytes, p, w, constant);
        case 3: return DispatchSame<3>(p.dstBytes, p, w, constant);
        case 4: return DispatchSame<4>(p.dstBytes, p, w, constant);
        default: return false;
        }
    }

    auto narrowed = [](const Field &from, const Field &to) { return to.width <= from.width && from.width < 32; };
    bool shifts = narrowed(p.red.src, p.red.dst) && narrowed(p.green.src, p.green.dst) &&
                  narrowed(p.blue.src, p.blue.dst) && !p.colourOff &&
                  (p.alphaFrom == ALPHA_NONE || p.alphaFrom == ALPHA_FULL ||
                   (p.alphaFrom == ALPHA_SOURCE && narrowed(p.srcAlpha, p.dstAlpha)));
    if (shifts && (p.srcBytes == 3 || p.srcBytes == 4) && p.dstBytes == 2 && p.alphaFrom != ALPHA_SOURCE &&
        p.red.src.mask == 0xFF0000 && p.green.src.mask == 0xFF00 && p.blue.src.mask == 0xFF &&
        p.blue.dst.mask == 0x001F && ((p.red.dst.mask == 0xF800 && p.green.dst.mask == 0x07E0) ||
                                      (p.red.dst.mask == 0x7C00 && p.green.dst.mask == 0x03E0))) {
        bool g6 = p.green.dst.mask == 0x07E0;
        if (p.srcBytes == 3) g6 ? Narrow888Loop<3, true>(w, constant) : Narrow888Loop<3, false>(w, constant);
        else g6 ? Narrow888Loop<4, true>(w, constant) : Narrow888Loop<4, false>(w, constant);
        return true;
    }
    if (shifts) {
        switch (p.srcBytes) {
        case 2: return DispatchShift<2>(p.dstBytes, p, w, constant);
        case 3: return DispatchShift<3>(p.dstBytes, p, w, constant);
        case 4: return DispatchShift<4>(p.dstBytes, p, w, constant);
        default: return false;
        }
    }

    if (p.red.src.width > kTableFieldLimit || p.green.src.width > kTableFieldLimit ||
        p.blue.src.width > kTableFieldLimit || p.srcAlpha.width > kTableFieldLimit)
        return false;
    static thread_local uint32_t tr[1 << kTableFieldLimit], tg[1 << kTableFieldLimit], tb[1 << kTableFieldLimit],
        ta[1 << kTableFieldLimit];
    auto fill = [&](uint32_t *table, const Channel &c) {
        for (uint32_t i = 0; i <= FieldMaxOf(c.src.width); ++i)
            table[i] = p.colourOff ? 0 : (FitColourField(i, c.src.width, c.dst.width) << c.dst.shift) & c.dst.mask;
    };
    fill(tr, p.red);
    fill(tg, p.green);
    fill(tb, p.blue);
    const uint32_t *alphaTable = ta;
    if (p.alphaFrom == ALPHA_SOURCE || p.alphaFrom == ALPHA_RED) {
        const Field &from = p.alphaFrom == ALPHA_SOURCE ? p.srcAlpha : p.red.src;
        for (uint32_t i = 0; i <= FieldMaxOf(from.width); ++i)
            ta[i] = (FitColourField(i, from.width, p.dstAlpha.width) << p.dstAlpha.shift) & p.dstAlpha.mask;
    } else if (p.alphaFrom == ALPHA_IMAGE) {
        alphaTable = alphaImageTable;
    }
    switch (p.srcBytes) {
    case 2: return DispatchTable<2>(p.dstBytes, p, w, tr, tg, tb, alphaTable, constant);
    case 3: return DispatchTable<3>(p.dstBytes, p, w, tr, tg, tb, alphaTable, constant);
    case 4: return DispatchTable<4>(p.dstBytes, p, w, tr, tg, tb, alphaTable, constant);
    default: return false;
    }
}

}  // namespace

int ConvertPixelBlock(void *dst, int dstPitch, const COLOURFORMAT *dstFormat,
                      const void *src, int srcPitch, const COLOURFORMAT *srcFormat,
                      const void *alpha, int alphaPitch, const COLOURFORMAT *alphaFormat,
                      int dstX, int dstY, const RECT *srcRect,
                      int mirror, int transparentFlag, uint32_t transparentColour, int ditherMode,
                      int colourOff, int redAsAlpha, int skipFlag, int paletteRemap) {
    if (srcRect == nullptr || srcRect->right <= srcRect->left || srcRect->bottom <= srcRect->top) return -1;
    if (dst == nullptr || src == nullptr || dstFormat == nullptr || srcFormat == nullptr) return -1;
    int sb = srcFormat->bytesPerPixel, db = dstFormat->bytesPerPixel;
    if (sb < 1 || sb > 4 || db < 1 || db > 4) return -1;
    if (alphaFormat != nullptr && (alpha == nullptr || alphaFormat->bytesPerPixel < 1 || alphaFormat->bytesPerPixel > 4))
        alphaFormat = nullptr;

    Walk w{};
    w.dst = (uint8_t *)dst;
    w.dstPitch = dstPitch;
    w.src = (const uint8_t *)src;
    w.srcPitch = srcPitch;
    w.alpha = alphaFormat ? (const uint8_t *)alpha : nullptr;
    w.alphaPitch = alphaPitch;
    w.dstX = dstX;
    w.dstY = dstY;
    w.left = srcRect->left;
    w.top = srcRect->top;
    w.width = srcRect->right - srcRect->left;
    w.height = srcRect->bottom - srcRect->top;
    w.mirror = mirror == 1;
    w.skipValue = transparentColour;

    bool dstAlpha = dstFormat->alphaWidth != 0;
    bool srcAlpha = srcFormat->alphaWidth != 0;
    bool alphaWritten = dstAlpha && (alphaFormat != nullptr || srcAlpha);
    bool redAlpha = redAsAlpha == 1 && dstAlpha;
    bool key = transparentFlag == 1 && !alphaWritten && dstAlpha && redAsAlpha != 1;
    w.skip = skipFlag == 1 && !alphaWritten && !w.mirror;

    // Index to index.
    if (sb == 1 && db == 1) {
        if (paletteRemap == 1 && std::memcmp(srcFormat->palette, dstFormat->palette, sizeof(srcFormat->palette)) != 0) {
            uint8_t remap[256];
            for (int i = 0; i < 256; ++i) {
                const PALETTEENTRY_BGRA &e = srcFormat->palette[i];
                remap[i] = (uint8_t)MakeColourCode(dstFormat, e.red, e.green, e.blue, 0);
            }
            RawLoop(1, w, remap);
        } else {
            RawLoop(1, w, nullptr);
        }
        return 0;
    }

    // Same layout of red, green and blue: rows move byte for byte.
    if (sb > 1 && srcFormat->bitsPerPixel == dstFormat->bitsPerPixel && srcFormat->redMask == dstFormat->redMask &&
        srcFormat->greenMask == dstFormat->greenMask && srcFormat->blueMask == dstFormat->blueMask &&
        alphaFormat == nullptr && !key && ditherMode == DITHER_NONE && colourOff != 1 && redAsAlpha != 1) {
        RawLoop(sb, w, nullptr);
        return 0;
    }

    Plan p{};
    p.srcBytes = sb;
    p.dstBytes = db;
    p.srcFormat = srcFormat;
    p.dstFormat = dstFormat;
    p.srcPalette = sb == 1;
    p.red = {FieldOfFormat(srcFormat->redMask, srcFormat->redShift, srcFormat->redWidth),
             FieldOfFormat(dstFormat->redMask, dstFormat->redShift, dstFormat->redWidth)};
    p.green = {FieldOfFormat(srcFormat->greenMask, srcFormat->greenShift, srcFormat->greenWidth),
               FieldOfFormat(dstFormat->greenMask, dstFormat->greenShift, dstFormat->greenWidth)};
    p.blue = {FieldOfFormat(srcFormat->blueMask, srcFormat->blueShift, srcFormat->blueWidth),
              FieldOfFormat(dstFormat->blueMask, dstFormat->blueShift, dstFormat->blueWidth)};
    p.srcAlpha = FieldOfFormat(srcFormat->alphaMask, srcFormat->alphaShift, srcFormat->alphaWidth);
    p.dstAlpha = FieldOfFormat(dstFormat->alphaMask, dstFormat->alphaShift, dstFormat->alphaWidth);
    p.alphaFormat = alphaFormat;
    p.alphaBytes = alphaFormat ? alphaFormat->bytesPerPixel : 0;
    if (alphaFormat) p.alphaRed = FieldOfFormat(alphaFormat->redMask, alphaFormat->redShift, alphaFormat->redWidth);
    p.dstFree = db == 1 ? 0 : dstFormat->freeMask;
    p.dither = ditherMode == DITHER_ORDERED || ditherMode == DITHER_CARRY ? ditherMode : DITHER_NONE;
    p.colourOff = colourOff == 1;
    if (db == 1) {
        // Nearest palette entry of the colour widened to 8 bits per channel.
        p.dstFree = 0;
        p.red.dst = {0xFF0000, 16, 8};
        p.green.dst = {0xFF00, 8, 8};
        p.blue.dst = {0xFF, 0, 8};
        p.dither = DITHER_NONE;
        p.colourOff = false;
        p.alphaFrom = ALPHA_NONE;
    } else if (!dstAlpha) {
        p.alphaFrom = ALPHA_NONE;
    } else if (redAlpha) {
        p.alphaFrom = ALPHA_RED;
    } else if (alphaFormat) {
        p.alphaFrom = ALPHA_IMAGE;
    } else if (srcAlpha) {
        p.alphaFrom = ALPHA_SOURCE;
    } else if (key) {
        p.alphaFrom = ALPHA_KEY;
    } else {
        p.alphaFrom = ALPHA_FULL;
    }
    if (p.alphaFrom != ALPHA_IMAGE) w.alpha = nullptr;
    if (p.alphaFrom == ALPHA_KEY) {
        int kr = (int)((transparentColour >> 16) & 255), kg = (int)((transparentColour >> 8) & 255),
            kb = (int)(transparentColour & 255);
        if (p.srcPalette) {
            p.keyFields = (uint32_t)kr << 16 | (uint32_t)kg << 8 | (uint32_t)kb;
        } else {
            auto place = [](int v, const Field &f) {
                return f.width == 0 ? 0u : ((FitColourField((uint32_t)v, 8, f.width) << f.shift) & f.mask);
            };
            p.keyFields = place(kr, p.red.src) | place(kg, p.green.src) | place(kb, p.blue.src);
        }
        p.srcRgbMask = srcFormat->redMask | srcFormat->greenMask | srcFormat->blueMask;
    }

    if (!TryFastPath(p, w)) GeneralLoop(p, w);
    return 0;
}
