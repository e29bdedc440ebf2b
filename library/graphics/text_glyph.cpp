// The memory path's glyph writer: the cache encodings of each font type become pixels.
#include "library/graphics/text_glyph.h"

namespace {

constexpr int kEdgeBit = 1;
constexpr int kAntialiasBit = 2;

int Channel(uint32_t rgb, int shift) { return (int)(rgb >> shift & 0xFF); }

uint32_t StoredValue(const GLYPHBITS &g, int x, int y) {
    const uint8_t *row = g.rows + (size_t)y * g.pitch;
    if (g.bits == 1) return row[x >> 3] >> (7 - (x & 7)) & 1;
    return row[x];
}

}  // namespace

GLYPHPIXEL GlyphPixelColour(int fontType, uint32_t stored, uint32_t textRGB, uint32_t edgeRGB) {
    if (stored == 0) return {0, 0};
    if (!(fontType & kAntialiasBit)) {
        // One bit, or 1 body and 2 edge.
        if (fontType & kEdgeBit) return {stored == 2 ? edgeRGB : textRGB, 255};
        return {textRGB, 255};
    }
    if (!(fontType & kEdgeBit)) return {textRGB, (int)(stored & 15) * 16};
    int body = (int)(stored & 15), edge = (int)(stored >> 4 & 15);
    if (body == 15) return {textRGB, 255};
    if (body == 0) return {edgeRGB, edge * 16};
    int alpha = body * 16 + edge * (15 - body);
    // From the edge colour toward the text colour by the body's share of the alpha.
    uint32_t rgb = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int e = Channel(edgeRGB, shift), t = Channel(textRGB, shift);
        int c = e + (t - e) * body * 16 / alpha;
        rgb |= (uint32_t)c << shift;
    }
    return {rgb, alpha};
}

void WriteGlyphToMemImg(MEMIMG *image, const RECT &area, int left, int top, int vertical, const GLYPHBITS &glyph,
                        int fontType, uint32_t textRGB, uint32_t edgeRGB) {
    if (!IsMemImgValid(image) || glyph.rows == nullptr || glyph.width <= 0 || glyph.height <= 0) return;
    MEMIMGBASE *base = image->base;
    if (base->paletteFlag || base->pixelType > MEMIMG_TYPE_RGB32) return;
    const COLOURFORMAT *f = base->colourFormat;
    int bpp = f->bytesPerPixel;
    bool hasAlpha = f->alphaWidth != 0;
    int clipL = area.left > 0 ? area.left : 0, clipT = area.top > 0 ? area.top : 0;
    int clipR = area.right < image->width ? area.right : image->width;
    int clipB = area.bottom < image->height ? area.bottom : image->height;
    uint32_t text = MakeColourCode(f, Channel(textRGB, 16), Channel(textRGB, 8), Channel(textRGB, 0), 255);
    uint32_t edge = MakeColourCode(f, Channel(edgeRGB, 16), Channel(edgeRGB, 8), Channel(edgeRGB, 0), 255);

    for (int gy = 0; gy < glyph.height; ++gy) {
        for (int gx = 0; gx < glyph.width; ++gx) {
            int x = vertical ? left + glyph.height - 1 - gy : left + gx;
            int y = vertical ? top + gx : top + gy;
            if (x < clipL || x >= clipR || y < clipT || y >= clipB) continue;
            uint32_t stored = StoredValue(glyph, gx, gy);
            GLYPHPIXEL px = GlyphPixelColour(fontType, stored, textRGB, edgeRGB);
            if (px.alpha <= 0) continue;
            uint8_t *p = image->pixels + (size_t)y * base->pitch + (size_t)x * bpp;
            uint32_t value;
            if (px.alpha >= 255 && !(fontType & kAntialiasBit)) {
                value = px.rgb == textRGB ? text : edge;
            } else if (hasAlpha) {
                value = MakeColourCode(f, Channel(px.rgb, 16), Channel(px.rgb, 8), Channel(px.rgb, 0), px.alpha);
            } else {
                int r, g, b;
                SplitColourCode(f, LoadPixelValue(p, bpp), &r, &g, &b, nullptr);
                int a = px.alpha;
                value = MakeColourCode(f, (Channel(px.rgb, 16) * a + r * (255 - a)) / 255,
                                       (Channel(px.rgb, 8) * a + g * (255 - a)) / 255,
                                       (Channel(px.rgb, 0) * a + b * (255 - a)) / 255, 255);
            }
            StorePixelValue(p, bpp, value);
        }
    }
}
