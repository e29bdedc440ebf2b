// Copies between BASEIMAGEs: clipped rectangle copy, scaling copy and 2:1 reduction.
#include <cstring>
#include <initializer_list>

#include "library/graphics/pixel_convert.h"

int CopyBaseImageRect(int srcX, int srcY, int width, int height, int dstX, int dstY, BASEIMAGE *src,
                      BASEIMAGE *dst) {
    if (ExpandCompressedImage(src) != 0 || ExpandCompressedImage(dst) != 0) return -1;
    int64_t sx = srcX, sy = srcY, w = width, h = height, dx = dstX, dy = dstY;
    if (sx < 0) { dx -= sx; w += sx; sx = 0; }
    if (sy < 0) { dy -= sy; h += sy; sy = 0; }
    if (dx < 0) { sx -= dx; w += dx; dx = 0; }
    if (dy < 0) { sy -= dy; h += dy; dy = 0; }
    if (dx + w > dst->width) w = dst->width - dx;
    if (dy + h > dst->height) h = dst->height - dy;
    if (sx + w > src->width) w = src->width - sx;
    if (sy + h > src->height) h = src->height - sy;
    if (w <= 0 || h <= 0 || src->pixels == nullptr || dst->pixels == nullptr) return 0;
    RECT r{(LONG)sx, (LONG)sy, (LONG)(sx + w), (LONG)(sy + h)};
    ConvertPixelBlock(dst->pixels, dst->pitch, &dst->colourFormat, src->pixels, src->pitch, &src->colourFormat,
                      nullptr, 0, nullptr, (int)dx, (int)dy, &r, 0, 0, 0, DITHER_NONE, 0, 0, 0, 1);
    return 0;
}

namespace {

bool InsideImage(const BASEIMAGE *image, int x1, int y1, int x2, int y2) {
    return x1 >= 0 && y1 >= 0 && x1 < x2 && y1 < y2 && x2 <= image->width && y2 <= image->height;
}

bool SameLayout(const COLOURFORMAT &a, const COLOURFORMAT &b) {
    if (a.bytesPerPixel != b.bytesPerPixel) return false;
    if (a.bytesPerPixel == 1) return std::memcmp(a.palette, b.palette, sizeof(a.palette)) == 0;
    return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask &&
           a.alphaMask == b.alphaMask && a.freeMask == b.freeMask;
}

}  // namespace

int StretchBaseImage(int sx1, int sy1, int sx2, int sy2, BASEIMAGE *src, int dx1, int dy1, int dx2, int dy2,
                     BASEIMAGE *dst, int bilinear) {
    if (ExpandCompressedImage(src) != 0 || ExpandCompressedImage(dst) != 0) return -1;
    if (!InsideImage(src, sx1, sy1, sx2, sy2) || !InsideImage(dst, dx1, dy1, dx2, dy2)) return -1;
    int sw = sx2 - sx1, sh = sy2 - sy1, dw = dx2 - dx1, dh = dy2 - dy1;
    if (sw == dw && sh == dh) return CopyBaseImageRect(sx1, sy1, sw, sh, dx1, dy1, src, dst);

    int64_t stepX = ((int64_t)sw << 16) / dw, stepY = ((int64_t)sh << 16) / dh;
    bool raw = !bilinear && SameLayout(src->colourFormat, dst->colourFormat);
    int bytes = src->colourFormat.bytesPerPixel;
    int64_t py = (int64_t)sy1 << 16;
    for (int y = dy1; y < dy2; ++y, py += stepY) {
        int64_t px = (int64_t)sx1 << 16;
        int iy = (int)(py >> 16);
        for (int x = dx1; x < dx2; ++x, px += stepX) {
            int ix = (int)(px >> 16);
            if (raw) {
                std::memcpy(dst->pixels + (size_t)y * dst->pitch + (size_t)x * bytes,
                            src->pixels + (size_t)iy * src->pitch + (size_t)ix * bytes, (size_t)bytes);
                continue;
            }
            int c[4][4] = {};
            if (!bilinear) {
                ReadBaseImagePixel(src, ix, iy, &c[0][0], &c[0][1], &c[0][2], &c[0][3]);
                WriteBaseImagePixel(dst, x, y, c[0][0], c[0][1], c[0][2], c[0][3]);
                continue;
            }
            // Neighbours past the right or bottom edge reuse the edge pixel.
            int ix1 = ix + 1 < src->width ? ix + 1 : ix, iy1 = iy + 1 < src->height ? iy + 1 : iy;
            ReadBaseImagePixel(src, ix, iy, &c[0][0], &c[0][1], &c[0][2], &c[0][3]);
            ReadBaseImagePixel(src, ix1, iy, &c[1][0], &c[1][1], &c[1][2], &c[1][3]);
            ReadBaseImagePixel(src, ix, iy1, &c[2][0], &c[2][1], &c[2][2], &c[2][3]);
            ReadBaseImagePixel(src, ix1, iy1, &c[3][0], &c[3][1], &c[3][2], &c[3][3]);
            uint64_t fx = (uint64_t)(px & 0xFFFF), fy = (uint64_t)(py & 0xFFFF);
            uint64_t weight[4] = {((0xFFFF - fx) * (0xFFFF - fy)) >> 16, (fx * (0xFFFF - fy)) >> 16,
                                  ((0xFFFF - fx) * fy) >> 16, (fx * fy) >> 16};
            int out[4];
            for (int k = 0; k < 4; ++k) {
                uint64_t sum = 0;
                for (int n = 0; n < 4; ++n) sum += (uint64_t)c[n][k] * weight[n];
                out[k] = (int)(sum >> 16);
            }
            WriteBaseImagePixel(dst, x, y, out[0], out[1], out[2], out[3]);
        }
    }
    return 0;
}

namespace {

// Channel-wise mean of n pixels (2 or 4) within each mask; the free bits are set.
uint32_t MeanPixel(const COLOURFORMAT &f, const uint32_t *p, int n) {
    int shift = n == 4 ? 2 : 1;
    uint32_t out = f.freeMask;
    for (uint32_t mask : {f.redMask, f.greenMask, f.blueMask, f.alphaMask}) {
        if (mask == 0) continue;
        uint64_t sum = 0;
        for (int i = 0; i < n; ++i) sum += p[i] & mask;
        out |= (uint32_t)(sum >> shift) & mask;
    }
    return out;
}

}  // namespace

int HalveBaseImageBlt(const COLOURFORMAT *format, void *dst, int dstPitch, const void *src, int srcPitch,
                      int width, int height) {
    if (width <= 0 || height <= 0) return -1;
    if ((width & 1 && width != 1) || (height & 1 && height != 1)) return -1;
    int bytes = format->bytesPerPixel;
    if (bytes != 2 && bytes != 4) return 0;
    const uint8_t *s = (const uint8_t *)src;
    uint8_t *d = (uint8_t *)dst;
    int stepX = width == 1 ? 1 : 2, stepY = height == 1 ? 1 : 2;
    int outW = width == 1 ? 1 : width / 2, outH = height == 1 ? 1 : height / 2;
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            uint32_t p[4];
            int n = 0;
            for (int j = 0; j < stepY; ++j)
                for (int i = 0; i < stepX; ++i)
                    p[n++] = LoadPixelValue(s + (size_t)(y * stepY + j) * srcPitch + (size_t)(x * stepX + i) * bytes, bytes);
            uint32_t v = n == 1 ? p[0] : MeanPixel(*format, p, n);
            StorePixelValue(d + (size_t)y * dstPitch + (size_t)x * bytes, bytes, v);
        }
    }
    return 0;
}
