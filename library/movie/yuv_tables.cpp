// The YCbCr to RGB colour tables, built once at library start, and the row conversions over them.
#include "library/movie/theora_internal.h"

YUVTABLES g_yuvTables;

int BuildYuvToRgbTables() {
    YUVTABLES &t = g_yuvTables;
    for (int i = 0; i < 256; i++) {
        t.y[i] = kYuvY * (i - 16);
        t.rv[i] = kYuvRv * (i - 128);
        t.gu[i] = kYuvGu * (i - 128);
        t.gv[i] = kYuvGv * (i - 128);
        t.bu[i] = kYuvBu * (i - 128);
    }
    for (int i = -512; i < 768; i++) t.clamp[i + 512] = (uint8_t)(i < 0 ? 0 : i > 255 ? 255 : i);
    t.built = 1;
    return 0;
}

namespace {

// The unused top byte set, as made pixels have it.
inline uint32_t TablePixel(const uint8_t *clamp, int32_t luma, int32_t r, int32_t g, int32_t b) {
    return 0xFF000000u | (uint32_t)clamp[(luma + r) >> 14] << 16 | (uint32_t)clamp[(luma + g) >> 14] << 8 |
           clamp[(luma + b) >> 14];
}

inline uint32_t Channel(int32_t sum) {
    sum >>= 14;
    return (uint32_t)(sum < 0 ? 0 : sum > 255 ? 255 : sum);
}

}  // namespace

void ConvertYuvRow(uint32_t *dst, const uint8_t *y, const uint8_t *u, const uint8_t *v, int width, int shift,
                   int phase) {
    const YUVTABLES &t = g_yuvTables;
    const uint8_t *clamp = t.clamp + 512;
    for (int x = 0; x < width; x++) {
        const int c = (x + phase) >> shift;
        dst[x] = TablePixel(clamp, t.y[y[x]], t.rv[v[c]], t.gu[u[c]] + t.gv[v[c]], t.bu[u[c]]);
    }
}

// The tables' own products, formed in the loop so that it runs on vector instructions: the same
// sums, shifts and limits give the same pixels (a test compares the two over every input).
void ConvertYuvRowPairs(uint32_t *dst, const uint8_t *y, const uint8_t *u, const uint8_t *v, int pairs) {
    for (int i = 0; i < pairs; i++) {
        const int32_t cu = u[i] - 128, cv = v[i] - 128;
        const int32_t r = kYuvRv * cv, g = kYuvGu * cu + kYuvGv * cv, b = kYuvBu * cu;
        const int32_t l0 = kYuvY * (y[2 * i] - 16), l1 = kYuvY * (y[2 * i + 1] - 16);
        dst[2 * i] = 0xFF000000u | Channel(l0 + r) << 16 | Channel(l0 + g) << 8 | Channel(l0 + b);
        dst[2 * i + 1] = 0xFF000000u | Channel(l1 + r) << 16 | Channel(l1 + g) << 8 | Channel(l1 + b);
    }
}
