#include "library/graphics/colour_format.h"

namespace {

// Lowest set bit and the run of set bits from there; 0, 0 for an empty mask.
void MaskPlace(uint32_t mask, uint8_t *shift, uint8_t *width) {
    if (mask == 0) {
        *shift = 0;
        *width = 0;
        return;
    }
    int s = __builtin_ctz(mask);
    uint32_t run = mask >> s;
    int w = (run == 0xFFFFFFFFu) ? 32 : __builtin_ctz(~run);
    *shift = (uint8_t)s;
    *width = (uint8_t)w;
}

uint32_t DepthMask(int bits) {
    return bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
}

// Fills the descriptive part; the palette stays as it is.
void FillFormat(COLOURFORMAT *f, int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint32_t freeMask) {
    f->bitsPerPixel = (uint16_t)bits;
    f->bytesPerPixel = (uint16_t)(bits / 8);
    f->redMask = r;
    f->greenMask = g;
    f->blueMask = b;
    f->alphaMask = a;
    MaskPlace(r, &f->redShift, &f->redWidth);
    MaskPlace(g, &f->greenShift, &f->greenWidth);
    MaskPlace(b, &f->blueShift, &f->blueWidth);
    MaskPlace(a, &f->alphaShift, &f->alphaWidth);
    f->freeMask = freeMask;
    MaskPlace(freeMask, &f->freeShift, &f->freeWidth);
    f->formatCode = COLOURCODE_PLAIN;
}

uint32_t FieldMax(int width) {
    return width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1);
}

// An 8-bit channel value placed into a field of the given width.
uint32_t ChannelToField(int v, int width) {
    uint32_t u = (uint32_t)(v < 0 ? 0 : v > 255 ? 255 : v);
    if (width <= 8) return u >> (8 - width);
    // Wider fields (10-bit formats): move the value up and repeat its high bits below.
    uint32_t out = u << (width - 8);
    for (int filled = width - 8; filled > 0; filled -= 8)
        out |= filled >= 8 ? u << (filled - 8) : u >> (8 - filled);
    return out & FieldMax(width);
}

int SplitField(uint32_t value, uint32_t mask, int shift, int width) {
    if (width == 0) return 0;
    uint64_t field = (value & mask) >> shift;
    return (int)(field * 255 / FieldMax(width));
}

}  // namespace

int MakeColourFormatPalette8(COLOURFORMAT *format) {
    FillFormat(format, 8, 0xFF0000, 0xFF00, 0xFF, 0, 0xFF000000u);
    return 0;
}

int MakeColourFormatGray8(COLOURFORMAT *format) {
    MakeColourFormatPalette8(format);
    for (int i = 0; i < 256; ++i) format->palette[i] = {(uint8_t)i, (uint8_t)i, (uint8_t)i, 0};
    return 0;
}

int MakeColourFormatRGB24(COLOURFORMAT *format) {
    FillFormat(format, 24, 0xFF0000, 0xFF00, 0xFF, 0, 0);
    return 0;
}

int MakeColourFormatXRGB8(COLOURFORMAT *format) {
    FillFormat(format, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0xFF000000u);
    return 0;
}

int MakeColourFormatARGB8(COLOURFORMAT *format) {
    FillFormat(format, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u, 0);
    return 0;
}

int MakeColourFormatFromMasks(COLOURFORMAT *format, int bits, uint32_t redMask, uint32_t greenMask,
                              uint32_t blueMask, uint32_t alphaMask) {
    uint32_t freeMask = DepthMask(bits) & ~(redMask | greenMask | blueMask | alphaMask);
    FillFormat(format, bits, redMask, greenMask, blueMask, alphaMask, freeMask);
    return 0;
}

COLOURFORMAT *UpdateColourFormatFreeMask(COLOURFORMAT *format) {
    int used = format->redWidth + format->greenWidth + format->blueWidth + format->alphaWidth;
    if (used == format->bitsPerPixel)
        format->freeMask = 0;
    else
        format->freeMask = DepthMask(format->bitsPerPixel) &
                           ~(format->redMask | format->greenMask | format->blueMask | format->alphaMask);
    return format;
}

uint32_t MakeColourCode(const COLOURFORMAT *format, int r, int g, int b, int a) {
    if (format->bytesPerPixel <= 1) {
        // Nearest palette entry; the first of equal distances wins.
        int best = 0;
        int bestDistance = 0x7FFFFFFF;
        for (int i = 0; i < 256; ++i) {
            const PALETTEENTRY_BGRA &e = format->palette[i];
            int dr = e.red - r, dg = e.green - g, db = e.blue - b;
            int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
                if (d == 0) break;
            }
        }
        return (uint32_t)best;
    }
    uint32_t v = format->freeMask;
    v |= (ChannelToField(r, format->redWidth) << format->redShift) & format->redMask;
    v |= (ChannelToField(g, format->greenWidth) << format->greenShift) & format->greenMask;
    v |= (ChannelToField(b, format->blueWidth) << format->blueShift) & format->blueMask;
    if (format->alphaWidth != 0)
        v |= (ChannelToField(a, format->alphaWidth) << format->alphaShift) & format->alphaMask;
    return v;
}

int SplitColourCode(const COLOURFORMAT *format, uint32_t value, int *r, int *g, int *b, int *a) {
    if (r) *r = SplitField(value, format->redMask, format->redShift, format->redWidth);
    if (g) *g = SplitField(value, format->greenMask, format->greenShift, format->greenWidth);
    if (b) *b = SplitField(value, format->blueMask, format->blueShift, format->blueWidth);
    if (a) *a = SplitField(value, format->alphaMask, format->alphaShift, format->alphaWidth);
    return 0;
}

uint32_t FitColourField(uint32_t value, int width, int toWidth) {
    if (width == 0 || toWidth == 0) return 0;
    if (toWidth <= width) return (uint32_t)(value >> (width - toWidth));
    int d = toWidth - width;
    uint64_t v = value;
    uint64_t out = (v << d) + v * ((1ull << d) - 1) / ((1ull << width) - 1);
    return (uint32_t)out;
}
