// Block-compressed (DXT1..DXT5) pixels turned into ARGB8 on first use.
#include <cstring>

#include "library/graphics/base_image.h"
#include "library/base/memory.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb Widen565(uint32_t c) {
    return {(int)((c >> 11) & 31) * 255 / 31, (int)((c >> 5) & 63) * 255 / 63, (int)(c & 31) * 255 / 31};
}

// The 16 colours of a colour block, with DXT1's alpha when `dxt1` is set (else alpha 255).
void DecodeColourBlock(const uint8_t *p, bool dxt1, uint32_t out[16]) {
    uint32_t c0 = p[0] | (uint32_t)p[1] << 8;
    uint32_t c1 = p[2] | (uint32_t)p[3] << 8;
    Rgb a = Widen565(c0), b = Widen565(c1);
    uint32_t colour[4];
    auto pack = [](int r, int g, int bl, uint32_t alpha) {
        return alpha << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)bl;
    };
    colour[0] = pack(a.r, a.g, a.b, 255);
    colour[1] = pack(b.r, b.g, b.b, 255);
    if (c0 > c1 || !dxt1) {
        colour[2] = pack((2 * a.r + b.r) / 3, (2 * a.g + b.g) / 3, (2 * a.b + b.b) / 3, 255);
        colour[3] = pack((a.r + 2 * b.r) / 3, (a.g + 2 * b.g) / 3, (a.b + 2 * b.b) / 3, 255);
    } else {
        colour[2] = pack((a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2, 255);
        colour[3] = colour[2] & 0x00FFFFFFu;
    }
    uint32_t indices = p[4] | (uint32_t)p[5] << 8 | (uint32_t)p[6] << 16 | (uint32_t)p[7] << 24;
    for (int i = 0; i < 16; ++i) out[i] = colour[(indices >> (2 * i)) & 3];
}

void ExplicitAlpha(const uint8_t *p, uint8_t alpha[16]) {
    for (int i = 0; i < 16; ++i) {
        int v = (p[i / 2] >> ((i & 1) * 4)) & 15;
        alpha[i] = (uint8_t)(v * 17);
    }
}

void InterpolatedAlpha(const uint8_t *p, uint8_t alpha[16]) {
    int a0 = p[0], a1 = p[1];
    int table[8];
    table[0] = a0;
    table[1] = a1;
    if (a0 > a1) {
        for (int i = 2; i < 8; ++i) table[i] = ((8 - i) * a0 + (i - 1) * a1) / 7;
    } else {
        for (int i = 2; i < 6; ++i) table[i] = ((6 - i) * a0 + (i - 1) * a1) / 5;
        table[6] = 0;
        table[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= (uint64_t)p[2 + i] << (8 * i);
    for (int i = 0; i < 16; ++i) alpha[i] = (uint8_t)table[(bits >> (3 * i)) & 7];
}

// Premultiplied colour divided back by its alpha; alpha 0 keeps what is stored.
uint32_t Unpremultiply(uint32_t c) {
    uint32_t a = c >> 24;
    if (a == 0 || a == 255) return c;
    auto ch = [a](uint32_t v) {
        uint32_t u = v * 255 / a;
        return u > 255 ? 255u : u;
    };
    return a << 24 | ch((c >> 16) & 255) << 16 | ch((c >> 8) & 255) << 8 | ch(c & 255);
}

}  // namespace

int ExpandCompressedImage(BASEIMAGE *image) {
    int code = image->colourFormat.formatCode;
    if (code < COLOURCODE_DXT1 || code > COLOURCODE_DXT5) return 0;
    int w = image->width, h = image->height;
    int64_t bytes = ImageBlockBytes(w, h, 4);
    if (bytes < 0 || image->pixels == nullptr) return -1;
    uint8_t *out = (uint8_t *)MEM_ALLOC_ZERO((size_t)bytes);
    if (out == nullptr) return -1;

    int blockBytes = code == COLOURCODE_DXT1 ? 8 : 16;
    int blocksX = (w + 3) / 4, blocksY = (h + 3) / 4;
    const uint8_t *src = image->pixels;
    for (int by = 0; by < blocksY; ++by) {
        for (int bx = 0; bx < blocksX; ++bx, src += blockBytes) {
            uint32_t texel[16];
            uint8_t alpha[16];
            if (code == COLOURCODE_DXT1) {
                DecodeColourBlock(src, true, texel);
            } else {
                DecodeColourBlock(src + 8, false, texel);
                if (code <= COLOURCODE_DXT3)
                    ExplicitAlpha(src, alpha);
                else
                    InterpolatedAlpha(src, alpha);
                for (int i = 0; i < 16; ++i) {
                    texel[i] = (texel[i] & 0x00FFFFFFu) | (uint32_t)alpha[i] << 24;
                    if (code == COLOURCODE_DXT2 || code == COLOURCODE_DXT4) texel[i] = Unpremultiply(texel[i]);
                }
            }
            // Edge blocks are cut to the image.
            for (int py = 0; py < 4 && by * 4 + py < h; ++py) {
                uint8_t *row = out + ((size_t)(by * 4 + py) * w + (size_t)bx * 4) * 4;
                for (int px = 0; px < 4 && bx * 4 + px < w; ++px) {
                    uint32_t c = texel[py * 4 + px];
                    StorePixelValue(row + px * 4, 4, c);
                }
            }
        }
    }

    MEM_FREE(image->pixels);
    MakeColourFormatARGB8(&image->colourFormat);
    image->pixels = out;
    image->pitch = w * 4;
    image->mipCount = 0;  // only the first level is kept
    return 0;
}
