#include "library/graphics/base_image.h"

#include <cstring>

#include "library/base/memory.h"

int64_t ImageBlockBytes(int64_t a, int64_t b, int64_t c) {
    if (a <= 0 || b <= 0 || c <= 0) return -1;
    if (a > kMaxImageBlockBytes || b > kMaxImageBlockBytes || c > kMaxImageBlockBytes) return -1;
    int64_t ab = a * b;  // both below 2^31: no overflow
    if (ab > kMaxImageBlockBytes) return -1;
    int64_t abc = ab * c;
    if (abc > kMaxImageBlockBytes) return -1;
    return abc;
}

int AllocBaseImage(int width, int height, const COLOURFORMAT *format, BASEIMAGE *out) {
    COLOURFORMAT f = *format;  // the caller may hand in out's own format
    std::memset(out, 0, sizeof(*out));
    out->colourFormat = f;
    if (!ImageSizeAllowed(width, height) || f.bytesPerPixel == 0) return -1;
    int64_t row = ImageBlockBytes(width, f.bytesPerPixel);
    if (row < 0) return -1;
    row = (row + 3) & ~(int64_t)3;
    int64_t bytes = ImageBlockBytes(row, height);
    if (bytes < 0) return -1;
    out->pixels = (uint8_t *)MEM_ALLOC_ZERO((size_t)bytes);
    if (out->pixels == nullptr) return -1;
    out->width = width;
    out->height = height;
    out->pitch = (int32_t)row;
    return 0;
}

int AllocBaseImageARGB8(int width, int height, BASEIMAGE *out) {
    COLOURFORMAT f{};
    MakeColourFormatARGB8(&f);
    return AllocBaseImage(width, height, &f, out);
}

int AllocBaseImageXRGB8(int width, int height, BASEIMAGE *out) {
    COLOURFORMAT f{};
    MakeColourFormatXRGB8(&f);
    return AllocBaseImage(width, height, &f, out);
}

void FreeBaseImage(BASEIMAGE *image) {
    if (image->pixels) MEM_FREE(image->pixels);
    std::memset(image, 0, sizeof(*image));
}

namespace {

uint8_t *PixelAt(BASEIMAGE *image, int x, int y) {
    return image->pixels + (size_t)y * (size_t)image->pitch + (size_t)x * image->colourFormat.bytesPerPixel;
}

// Expands when needed, then checks that (x, y) is a pixel of the image.
bool ReadyPixel(BASEIMAGE *image, int x, int y) {
    if (ExpandCompressedImage(image) != 0) return false;
    if (image->pixels == nullptr) return false;
    return (unsigned)x < (unsigned)image->width && (unsigned)y < (unsigned)image->height;
}

// A field moved so that its top bit lands on bit 7.
uint32_t TopAligned(uint32_t value, uint32_t mask, int shift, int width) {
    if (width == 0) return 0;
    uint32_t field = (value & mask) >> shift;
    return width <= 8 ? (field << (8 - width)) & 0xFF : (field >> (width - 8)) & 0xFF;
}

}  // namespace

int WriteBaseImagePixel(BASEIMAGE *image, int x, int y, int r, int g, int b, int a) {
    if (!ReadyPixel(image, x, y)) return -1;
    const COLOURFORMAT &f = image->colourFormat;
    StorePixelValue(PixelAt(image, x, y), f.bytesPerPixel, MakeColourCode(&f, r, g, b, a));
    return 0;
}

int ReadBaseImagePixel(BASEIMAGE *image, int x, int y, int *r, int *g, int *b, int *a) {
    if (!ReadyPixel(image, x, y)) return -1;
    const COLOURFORMAT &f = image->colourFormat;
    uint32_t v = LoadPixelValue(PixelAt(image, x, y), f.bytesPerPixel);
    if (f.bytesPerPixel == 1) {
        const PALETTEENTRY_BGRA &e = f.palette[v];
        if (r) *r = e.red;
        if (g) *g = e.green;
        if (b) *b = e.blue;
        if (a) *a = e.alpha;
        return 0;
    }
    return SplitColourCode(&f, v, r, g, b, a);
}

uint32_t ReadPixelARGB(BASEIMAGE *image, int x, int y) {
    if (image->pixels == nullptr || !ReadyPixel(image, x, y)) return 0;
    const COLOURFORMAT &f = image->colourFormat;
    uint32_t v = LoadPixelValue(PixelAt(image, x, y), f.bytesPerPixel);
    if (f.bytesPerPixel == 1) {
        const PALETTEENTRY_BGRA &e = f.palette[v];
        return (uint32_t)e.red << 16 | (uint32_t)e.green << 8 | e.blue;
    }
    return TopAligned(v, f.alphaMask, f.alphaShift, f.alphaWidth) << 24 |
           TopAligned(v, f.redMask, f.redShift, f.redWidth) << 16 |
           TopAligned(v, f.greenMask, f.greenShift, f.greenWidth) << 8 |
           TopAligned(v, f.blueMask, f.blueShift, f.blueWidth);
}

int MirrorBaseImage(BASEIMAGE *image) {
    if (image->width <= 0 || image->height <= 0) return -1;
    if (ExpandCompressedImage(image) != 0) return -1;
    int bytes = image->colourFormat.bytesPerPixel;
    if (bytes < 1 || bytes > 4) return -1;
    for (int y = 0; y < image->height; ++y) {
        uint8_t *row = image->pixels + (size_t)y * image->pitch;
        for (int i = 0; i < image->width / 2; ++i) {
            uint8_t *a = row + (size_t)i * bytes;
            uint8_t *b = row + (size_t)(image->width - 1 - i) * bytes;
            for (int k = 0; k < bytes; ++k) {
                uint8_t t = a[k];
                a[k] = b[k];
                b[k] = t;
            }
        }
    }
    return 0;
}

int ClearBaseImageRect(BASEIMAGE *image, int x, int y, int w, int h) {
    if (ExpandCompressedImage(image) != 0 || image->pixels == nullptr) return 0;
    int64_t x1 = x < 0 ? 0 : x, y1 = y < 0 ? 0 : y;
    int64_t x2 = (int64_t)x + w, y2 = (int64_t)y + h;
    if (x2 > image->width) x2 = image->width;
    if (y2 > image->height) y2 = image->height;
    if (x1 >= x2 || y1 >= y2) return 0;
    int bytes = image->colourFormat.bytesPerPixel;
    for (int64_t row = y1; row < y2; ++row)
        std::memset(image->pixels + row * image->pitch + x1 * bytes, 0, (size_t)((x2 - x1) * bytes));
    return 0;
}
