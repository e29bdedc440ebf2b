// Software images: making, deriving, releasing, filling and copying views and their bodies.
#include "library/graphics/memimg.h"

#include <cstring>

#include "library/base/memory.h"
#include "library/graphics/pixel_convert.h"

namespace {

constexpr int kPaletteBlockBytes = 2048;

int BytesPerPixel(int type, int paletteFlag, int alphaFlag) {
    if (paletteFlag) return 1;
    switch (type) {
    case MEMIMG_TYPE_RGB16: return alphaFlag ? 4 : 2;
    case MEMIMG_TYPE_RGB32: return 4;
    case MEMIMG_TYPE_CHAN8: return 1;
    default: return 2;
    }
}

void FreeBody(MEMIMGBASE *base) {
    if (!base->borrowed) MEM_FREE(base->pixels);
    MEM_FREE(base->alphaPlane);
    MEM_FREE(base->runTable);
    MEM_FREE(base->palette);
    MEM_FREE(base);
}

// The rectangle cut to 0..width x 0..height; false when nothing is left.
bool ClipRect(RECT *r, int width, int height) {
    if (r->left < 0) r->left = 0;
    if (r->top < 0) r->top = 0;
    if (r->right > width) r->right = width;
    if (r->bottom > height) r->bottom = height;
    return r->left < r->right && r->top < r->bottom;
}

// The body's format with the body's palette in it, for conversions that read colours.
void FormatWithPalette(const MEMIMGBASE *base, COLOURFORMAT *out) {
    *out = *base->colourFormat;
    if (!base->paletteFlag || base->palette == nullptr) return;
    for (int i = 0; i < 256; ++i) {
        uint32_t v;
        PALETTEENTRY_BGRA &e = out->palette[i];
        if (base->pixelType == MEMIMG_TYPE_RGB16) {
            v = LoadPixelValue(base->palette + i * 2, 2);
            e.red = (uint8_t)FitColourField(v >> 11 & 31, 5, 8);
            e.green = (uint8_t)FitColourField(v >> 5 & 63, 6, 8);
            e.blue = (uint8_t)FitColourField(v & 31, 5, 8);
        } else {
            v = LoadPixelValue(base->palette + i * 4, 4);
            e.red = (uint8_t)(v >> 16);
            e.green = (uint8_t)(v >> 8);
            e.blue = (uint8_t)v;
        }
        e.alpha = 0;
    }
}

// Single-channel bodies take the source's red field, widened or narrowed to their own width.
void ConvertToChannel(uint8_t *dst, int dstPitch, int dstBytes, const BASEIMAGE *src, const RECT &r) {
    const COLOURFORMAT &f = src->colourFormat;
    int sb = f.bytesPerPixel;
    int toWidth = dstBytes * 8;
    for (int y = r.top; y < r.bottom; ++y) {
        const uint8_t *s = src->pixels + (size_t)y * src->pitch + (size_t)r.left * sb;
        uint8_t *d = dst + (size_t)(y - r.top) * dstPitch;
        for (int x = r.left; x < r.right; ++x, s += sb, d += dstBytes) {
            uint32_t v;
            if (sb == 1) {
                v = FitColourField(f.palette[*s].red, 8, toWidth);
            } else {
                uint32_t raw = LoadPixelValue(s, sb);
                v = FitColourField((raw & f.redMask) >> f.redShift, f.redWidth, toWidth);
            }
            StorePixelValue(d, dstBytes, v);
        }
    }
}

int RunKind(const MEMIMGBASE *base, const uint8_t *p, int bytes) {
    if (base->paletteFlag) return *p == base->transparentCode ? MEMIMG_RUN_CLEAR : MEMIMG_RUN_OPAQUE;
    uint32_t v = LoadPixelValue(p, bytes);
    if (base->alphaFlag) {
        uint32_t a = (v & base->colourFormat->alphaMask) >> base->colourFormat->alphaShift;
        return a == 0 ? MEMIMG_RUN_CLEAR : a == 255 ? MEMIMG_RUN_OPAQUE : MEMIMG_RUN_PARTIAL;
    }
    return v == base->transparentCode ? MEMIMG_RUN_CLEAR : MEMIMG_RUN_OPAQUE;
}

}  // namespace

int MemImgBytesPerPixel(const MEMIMGBASE *base) {
    return BytesPerPixel(base->pixelType, base->paletteFlag, base->alphaFlag);
}

int SetupMemImg(MEMIMG *image, int width, int height, int pitch, uint32_t transparentCode, int pixelType,
                int paletteFlag, int alphaFlag, int workBuffersFlag, void *pixelMemory) {
    if (image == nullptr || image->marker == kMemImgMarker) return -1;
    if (width <= 0 || height <= 0 || pixelType < MEMIMG_TYPE_RGB16 || pixelType > MEMIMG_TYPE_CHAN16) return -1;
    if (pixelType >= MEMIMG_TYPE_CHAN8) paletteFlag = alphaFlag = 0;
    paletteFlag = paletteFlag ? 1 : 0;
    alphaFlag = alphaFlag && !paletteFlag ? 1 : 0;
    int bpp = BytesPerPixel(pixelType, paletteFlag, alphaFlag);
    int64_t rowBytes = (int64_t)width * bpp;
    int64_t stride = pitch >= 0 ? pitch : (rowBytes + 15) / 16 * 16;
    if (stride < rowBytes || ImageBlockBytes(stride, height) < 0) return -1;

    auto *base = (MEMIMGBASE *)MEM_ALLOC_ZERO(sizeof(MEMIMGBASE));
    if (base == nullptr) return -1;
    base->refCount = 1;
    base->width = width;
    base->height = height;
    base->transparentCode = transparentCode;
    base->pixelType = pixelType;
    base->paletteFlag = paletteFlag;
    base->alphaFlag = alphaFlag;
    base->pitch = (int32_t)stride;
    // The row data size rounded up to a power of two addresses rows by shifting only when the
    // pitch is exactly that power.
    int64_t data = pitch >= 0 ? pitch : rowBytes;
    int k = 0;
    while (((int64_t)1 << k) < data) ++k;
    base->pitchShift = ((int64_t)1 << k) == stride ? k : -1;
    base->colourFormat = GetMemImgColourFormat(pixelType, alphaFlag, paletteFlag);

    bool ok = true;
    if (paletteFlag) {
        base->palette = (uint8_t *)MEM_ALLOC_ZERO(kPaletteBlockBytes);
        base->secondPalette = base->palette ? base->palette + kPaletteBlockBytes / 2 : nullptr;
        ok = base->palette != nullptr;
    }
    if (ok) {
        if (pixelMemory != nullptr) {
            base->pixels = (uint8_t *)pixelMemory;
            base->borrowed = 1;
        } else {
            base->pixels = (uint8_t *)MEM_ALLOC_ZERO((size_t)stride * height);
            ok = base->pixels != nullptr;
        }
    }
    if (ok && workBuffersFlag) {
        if (alphaFlag) {
            base->alphaPlane = (uint8_t *)MEM_ALLOC_ZERO((size_t)stride * height);
            ok = base->alphaPlane != nullptr;
        }
        if (ok && pixelType != MEMIMG_TYPE_CHAN8) {
            int64_t bytes = ImageBlockBytes((int64_t)width + 5, height);
            base->runTable = bytes < 0 ? nullptr : (uint8_t *)MEM_ALLOC_ZERO((size_t)bytes);
            ok = base->runTable != nullptr;
        }
    }
    if (!ok) {
        // Nothing half-made stays behind.
        FreeBody(base);
        return -1;
    }

    image->marker = kMemImgMarker;
    image->width = width;
    image->height = height;
    image->pixels = base->pixels;
    image->alphaPlane = base->alphaPlane;
    image->base = base;
    return 0;
}

int MakeScreenMemImg(MEMIMG *image, int width, int height, int pixelType) {
    if (image == nullptr) return -1;
    std::memset(image, 0, sizeof *image);
    if (pixelType == -1) pixelType = g_memImgState.screenColourBits != 16 ? MEMIMG_TYPE_RGB32 : MEMIMG_TYPE_RGB16;
    return SetupMemImg(image, width, height, -1, 0, pixelType, 0, 0, 0, nullptr);
}

void MakeSubMemImg(MEMIMG *image, const MEMIMG *parent, int x, int y, int width, int height) {
    if (image == nullptr || !IsMemImgValid(parent)) return;
    if (x < 0 || y < 0 || width < 0 || height < 0 || x + width > parent->width || y + height > parent->height)
        return;
    MEMIMGBASE *base = parent->base;
    size_t offset = (size_t)x * MemImgBytesPerPixel(base) + (size_t)y * base->pitch;
    image->marker = kMemImgMarker;
    image->width = width;
    image->height = height;
    image->pixels = parent->pixels + offset;
    image->alphaPlane = parent->alphaPlane ? parent->alphaPlane + offset : nullptr;
    image->base = base;
    base->refCount += 1;
}

void ReleaseMemImg(MEMIMG *image) {
    if (image == nullptr || image->marker != kMemImgMarker || image->base == nullptr) return;
    MEMIMGBASE *base = image->base;
    if (--base->refCount <= 0) FreeBody(base);
    image->base = nullptr;
    image->marker = 0;
}

int IsMemImgValid(const MEMIMG *image) {
    return image != nullptr && image->marker == kMemImgMarker && image->base != nullptr ? 1 : 0;
}

void FillMemImg(MEMIMG *image, const RECT *rect, uint32_t value) {
    if (!IsMemImgValid(image)) return;
    RECT r = rect ? *rect : RECT{0, 0, image->width, image->height};
    if (!ClipRect(&r, image->width, image->height)) return;
    MEMIMGBASE *base = image->base;
    int bpp = MemImgBytesPerPixel(base);
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t *p = image->pixels + (size_t)y * base->pitch + (size_t)r.left * bpp;
        switch (bpp) {
        case 1: std::memset(p, (int)(value & 0xFF), (size_t)(r.right - r.left)); break;
        case 2:
            for (int x = r.left; x < r.right; ++x, p += 2) {
                uint16_t v = (uint16_t)value;
                std::memcpy(p, &v, 2);
            }
            break;
        default:
            for (int x = r.left; x < r.right; ++x, p += 4) std::memcpy(p, &value, 4);
            break;
        }
    }
    // The derived buffers no longer describe the pixels.
    base->runTableValid = 0;
    base->premultipliedValid = 0;
}

void CopyMemImg(MEMIMG *dst, const MEMIMG *src, const RECT *srcRect, int x, int y) {
    if (!IsMemImgValid(dst) || !IsMemImgValid(src)) return;
    RECT r = srcRect ? *srcRect : RECT{0, 0, src->width, src->height};
    // Source rectangle inside the source, then moved with the destination start.
    if (r.left < 0) { x -= r.left; r.left = 0; }
    if (r.top < 0) { y -= r.top; r.top = 0; }
    if (x < 0) { r.left -= x; x = 0; }
    if (y < 0) { r.top -= y; y = 0; }
    if (r.right > src->width) r.right = src->width;
    if (r.bottom > src->height) r.bottom = src->height;
    if (r.right - r.left > dst->width - x) r.right = r.left + dst->width - x;
    if (r.bottom - r.top > dst->height - y) r.bottom = r.top + dst->height - y;
    if (r.right <= r.left || r.bottom <= r.top) return;
    COLOURFORMAT srcFormat, dstFormat;
    FormatWithPalette(src->base, &srcFormat);
    FormatWithPalette(dst->base, &dstFormat);
    ConvertPixelBlock(dst->pixels, dst->base->pitch, &dstFormat, src->pixels, src->base->pitch, &srcFormat,
                      nullptr, 0, nullptr, x, y, &r, 0, 0, 0, DITHER_NONE, 0, 0, 0, 0);
    dst->base->runTableValid = 0;
    dst->base->premultipliedValid = 0;
}

int CopyBaseImageToMemImg(BASEIMAGE *colour, BASEIMAGE *alpha, MEMIMG *image, int x, int y, int width,
                          int height, int srcX, int srcY, int ownAlphaFlag) {
    if (colour == nullptr || colour->pixels == nullptr || !IsMemImgValid(image)) return -1;
    if (colour->colourFormat.formatCode != COLOURCODE_PLAIN && ExpandCompressedImage(colour) != 0) return -1;
    if (alpha != nullptr && (alpha->pixels == nullptr ||
                             (alpha->colourFormat.formatCode != COLOURCODE_PLAIN && ExpandCompressedImage(alpha) != 0)))
        alpha = nullptr;
    MEMIMGBASE *base = image->base;
    int bpp = MemImgBytesPerPixel(base);
    base->runTableValid = 0;
    base->premultipliedValid = 0;

    // Destination rectangle, cut to the view and the source (and the alpha image).
    RECT dst{x, y, x + width, y + height};
    if (dst.left < 0) { srcX -= dst.left; dst.left = 0; }
    if (dst.top < 0) { srcY -= dst.top; dst.top = 0; }
    if (srcX < 0) { dst.left -= srcX; srcX = 0; }
    if (srcY < 0) { dst.top -= srcY; srcY = 0; }
    int w = (int)(dst.right < image->width ? dst.right : image->width) - dst.left;
    int h = (int)(dst.bottom < image->height ? dst.bottom : image->height) - dst.top;
    if (w > colour->width - srcX) w = colour->width - srcX;
    if (h > colour->height - srcY) h = colour->height - srcY;
    if (alpha != nullptr) {
        if (w > alpha->width - srcX) w = alpha->width - srcX;
        if (h > alpha->height - srcY) h = alpha->height - srcY;
    }
    RECT src{srcX, srcY, srcX + w, srcY + h};
    int result;
    if (w <= 0 || h <= 0) {
        result = -1;
    } else if (base->pixelType >= MEMIMG_TYPE_CHAN8) {
        ConvertToChannel(image->pixels + (size_t)dst.top * base->pitch + (size_t)dst.left * bpp, base->pitch, bpp,
                         colour, src);
        result = 0;
    } else {
        COLOURFORMAT dstFormat = *base->colourFormat;
        // A palette body keeps the source's indices, matched against the source's palette.
        if (base->paletteFlag) std::memcpy(dstFormat.palette, colour->colourFormat.palette, sizeof dstFormat.palette);
        if (alpha != nullptr)
            result = ConvertPixelBlock(image->pixels, base->pitch, &dstFormat, colour->pixels, colour->pitch,
                                       &colour->colourFormat, alpha->pixels, alpha->pitch, &alpha->colourFormat,
                                       dst.left, dst.top, &src, 0, 0, 0, DITHER_NONE, 0, 0, 0, 0);
        else
            result = ConvertPixelBlock(image->pixels, base->pitch, &dstFormat, colour->pixels, colour->pitch,
                                       &colour->colourFormat, nullptr, 0, nullptr, dst.left, dst.top, &src, 0,
                                       ownAlphaFlag ? 1 : 0, base->transparentCode, DITHER_NONE, 0, 0, 0, 0);
        // Every entry of the palette block is filled below, so all 256 are in use.
        if (base->paletteFlag && alpha == nullptr && result >= 0) base->paletteCount = 256;
    }

    if (base->paletteFlag && base->palette != nullptr) {
        for (int i = 0; i < 256; ++i) {
            const PALETTEENTRY_BGRA &e = colour->colourFormat.palette[i];
            if (base->pixelType == MEMIMG_TYPE_RGB32) {
                StorePixelValue(base->palette + i * 4, 4, (uint32_t)e.red << 16 | (uint32_t)e.green << 8 | e.blue);
            } else {
                StorePixelValue(base->palette + i * 2, 2,
                                (uint32_t)(e.red >> 3) << 11 | (uint32_t)(e.green >> 2) << 5 | (e.blue >> 3));
            }
        }
        std::memcpy(base->secondPalette, base->palette, kPaletteBlockBytes / 2);
    }
    if (result < 0) return result;

    bool whole = image->pixels == base->pixels && dst.left == 0 && dst.top == 0 && w == base->width &&
                 h == base->height;
    if (!whole || base->pixelType > MEMIMG_TYPE_RGB32 || base->runTable == nullptr) return 0;
    base->runTableValid = 1;
    if (base->alphaFlag && base->alphaPlane != nullptr) {
        BuildMemImgPremultiplied(base);
        base->premultipliedValid = 1;
    }
    BuildMemImgRunTable(base);
    return 0;
}

void BuildMemImgRunTable(MEMIMGBASE *base) {
    if (base->runTable == nullptr) return;
    int bpp = MemImgBytesPerPixel(base);
    uint8_t *out = base->runTable;
    for (int y = 0; y < base->height; ++y) {
        const uint8_t *p = base->pixels + (size_t)y * base->pitch;
        int x = 0;
        while (x < base->width) {
            int kind = RunKind(base, p + (size_t)x * bpp, bpp);
            int n = 1;
            while (n < 64 && x + n < base->width && RunKind(base, p + (size_t)(x + n) * bpp, bpp) == kind) ++n;
            *out++ = (uint8_t)(kind * 64 + n - 1);
            x += n;
        }
        *out++ = MEMIMG_RUN_END;
    }
}

void BuildMemImgPremultiplied(MEMIMGBASE *base) {
    if (base->alphaPlane == nullptr || !base->alphaFlag) return;
    for (int y = 0; y < base->height; ++y) {
        const uint8_t *s = base->pixels + (size_t)y * base->pitch;
        uint8_t *d = base->alphaPlane + (size_t)y * base->pitch;
        for (int x = 0; x < base->width; ++x, s += 4, d += 4) {
            uint32_t v = LoadPixelValue(s, 4);
            uint32_t out;
            if (base->pixelType == MEMIMG_TYPE_RGB32) {
                uint32_t a = v >> 24;
                out = ((v & 0xFF) * a >> 8) | (((v >> 8) & 0xFF) * a >> 8) << 8 |
                      (((v >> 16) & 0xFF) * a >> 8) << 16 | a << 24;
            } else {
                uint32_t a = (v >> 16) & 0xFF;
                out = (((v & 0xF800) * a >> 8) & 0xF800) | (((v & 0x07E0) * a >> 8) & 0x07E0) |
                      (((v & 0x001F) * a >> 8) & 0x001F) | (v & 0xFF0000);
            }
            StorePixelValue(d, 4, out);
        }
    }
}
