// The software renderer's lookup tables and the colour formats of the image pixel types.
#include "library/graphics/memimg.h"

MEMIMGSTATE g_memImgState = {};

namespace {

// [type 0..1][alpha][palette], then the two single-channel types.
struct MEMIMGFORMATS {
    bool made[2][2][2];
    COLOURFORMAT colour[2][2][2];
    bool channelMade[2];
    COLOURFORMAT channel[2];
};

MEMIMGFORMATS g_formats;

void MakeColourFormat(COLOURFORMAT *f, int type, int alpha, int palette) {
    if (type == MEMIMG_TYPE_RGB16) {
        MakeColourFormatFromMasks(f, alpha && !palette ? 32 : 16, 0xF800, 0x07E0, 0x001F, alpha ? 0xFF0000u : 0);
    } else {
        MakeColourFormatFromMasks(f, 32, 0xFF0000, 0xFF00, 0xFF, alpha ? 0xFF000000u : 0);
    }
    if (palette) {
        // Indices into a palette of the same channel layout.
        f->bitsPerPixel = 8;
        f->bytesPerPixel = 1;
        f->freeMask = 0;
        f->freeShift = 0;
        f->freeWidth = 0;
    }
}

}  // namespace

const COLOURFORMAT *GetMemImgColourFormat(int pixelType, int alphaFlag, int paletteFlag) {
    if (pixelType == MEMIMG_TYPE_CHAN8 || pixelType == MEMIMG_TYPE_CHAN16) {
        int i = pixelType - MEMIMG_TYPE_CHAN8;
        if (!g_formats.channelMade[i]) {
            uint32_t m = i == 0 ? 0xFFu : 0xFFFFu;
            MakeColourFormatFromMasks(&g_formats.channel[i], i == 0 ? 8 : 16, m, m, m, m);
            g_formats.channelMade[i] = true;
        }
        return &g_formats.channel[i];
    }
    int t = pixelType == MEMIMG_TYPE_RGB32 ? 1 : 0;
    int a = alphaFlag ? 1 : 0;
    int p = paletteFlag ? 1 : 0;
    if (!g_formats.made[t][a][p]) {
        MakeColourFormat(&g_formats.colour[t][a][p], t, a, p);
        g_formats.made[t][a][p] = true;
    }
    return &g_formats.colour[t][a][p];
}

void InitMemImgTables() {
    MEMIMGSTATE &s = g_memImgState;
    if (s.built) return;
    for (int i = 0; i < 256; ++i) {
        // Integer division truncates toward zero, as the kernels expect for negative differences.
        for (int j = 0; j < 511; ++j) s.signedProductTable[i][j] = (j - 255) * i / 255;
        s.signedProductTable[i][511] = 0;
        for (int j = 0; j < 256; ++j) s.productTable[i][j] = i * j / 255;
    }
    for (int n = 0; n < 64; ++n)
        for (int r = 0; r < 64; ++r)
            for (int c = 0; c < 64; ++c) s.blendTable6[n][r][c] = (uint8_t)((r * n + c * (63 - n)) / 63);
    s.built = 1;
}

void SetBlendGraphThreshold(int border, int range) {
    border = border < 0 ? 0 : border > 255 ? 255 : border;
    range = range < 0 ? 0 : range > 255 ? 255 : range;
    int r = range + 1;
    int a = (65536 / r + 256) * border / 256;
    for (int i = 0; i < 256; ++i) {
        int v = 256 * i / r + 256 - a;
        g_memImgState.blendGraphTable[i] = (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}
