// Windows bitmaps: every kind decoded here, none trusted.
#include <cstring>

#include "library/graphics/image_decode_util.h"
#include "library/graphics/image_readers.h"

namespace {

enum { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

struct BmpFile {
    const uint8_t *data;  // from the pixel offset to the end of the file
    size_t size;
    int width, height;
    bool bottomUp;
    int bits;
    int64_t fileRow;
    PALETTEENTRY_BGRA palette[256];
};

// Memory row of the file's row-th row.
inline int MemRow(const BmpFile &f, int row) {
    return f.bottomUp ? f.height - 1 - row : row;
}

// RLE8 and RLE4 into one byte per pixel; false for broken or truncated data.
bool DecodeRle(const BmpFile &f, bool four, BASEIMAGE *out) {
    const uint8_t *d = f.data;
    size_t n = f.size, pos = 0;
    int64_t x = 0, row = 0;
    const int64_t limit = out->pitch;
    for (;;) {
        if (pos + 2 > n) return false;
        int count = d[pos], value = d[pos + 1];
        pos += 2;
        if (count > 0) {
            if (row >= f.height || x + count > limit) return false;
            uint8_t *dst = out->pixels + (size_t)MemRow(f, (int)row) * out->pitch + x;
            if (four) {
                for (int i = 0; i < count; ++i) dst[i] = (uint8_t)((i & 1) ? (value & 15) : (value >> 4));
            } else {
                std::memset(dst, value, (size_t)count);
            }
            x += count;
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta
            if (pos + 2 > n) return false;
            x += d[pos];
            row += d[pos + 1];
            pos += 2;
            if (x > limit || row > f.height) return false;
        } else {  // literal run
            size_t bytes = four ? (size_t)(value + 1) / 2 : (size_t)value;
            size_t padded = (bytes + 1) & ~(size_t)1;
            if (pos + padded > n && pos + bytes > n) return false;
            if (row >= f.height || x + value > limit) return false;
            uint8_t *dst = out->pixels + (size_t)MemRow(f, (int)row) * out->pitch + x;
            for (int i = 0; i < value; ++i)
                dst[i] = four ? (uint8_t)((i & 1) ? (d[pos + i / 2] & 15) : (d[pos + i / 2] >> 4)) : d[pos + i];
            x += value;
            pos += padded;
            if (pos > n) pos = n;
        }
    }
}

// 1, 16 and 32 bits and bit fields, into RGB24 top-down.
void DecodeToRgb24(const BmpFile &f, uint32_t redMask, uint32_t greenMask, uint32_t blueMask, BASEIMAGE *out) {
    MaskField r = FieldOf(redMask), g = FieldOf(greenMask), b = FieldOf(blueMask);
    for (int row = 0; row < f.height; ++row) {
        const uint8_t *src = f.data + (size_t)row * f.fileRow;
        uint8_t *dst = out->pixels + (size_t)MemRow(f, row) * out->pitch;
        for (int x = 0; x < f.width; ++x, dst += 3) {
            if (f.bits == 1) {
                const PALETTEENTRY_BGRA &e = f.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                dst[0] = e.blue;
                dst[1] = e.green;
                dst[2] = e.red;
                continue;
            }
            uint32_t v = f.bits == 16 ? GetU16LE(src + (size_t)x * 2) : GetU32LE(src + (size_t)x * 4);
            dst[0] = MaskChannel(v, b);
            dst[1] = MaskChannel(v, g);
            dst[2] = MaskChannel(v, r);
        }
    }
}

}  // namespace

int DecodeBmpImage(const uint8_t *file, size_t fileSize, BASEIMAGE *out) {
    std::memset(out, 0, sizeof(*out));
    if (fileSize < 54 || file[0] != 'B' || file[1] != 'M') return -1;
    uint32_t offBits = GetU32LE(file + 10);
    uint32_t infoSize = GetU32LE(file + 14);
    // Core headers (12 bytes) are not read; the palette follows the header whatever its size.
    if (infoSize < 40 || infoSize > fileSize - 14) return -1;
    int32_t width = (int32_t)GetU32LE(file + 18);
    int32_t height = (int32_t)GetU32LE(file + 22);
    int bits = (int)GetU16LE(file + 28);
    uint32_t compression = GetU32LE(file + 30);
    uint32_t colourUsed = GetU32LE(file + 46);
    if (!ImageSizeAllowed(width, height < 0 ? -(int64_t)height : height)) return -1;
    if (offBits < 14 + infoSize || offBits > fileSize) return -1;

    BmpFile bmp{};
    bmp.data = file + offBits;
    bmp.size = fileSize - offBits;
    bmp.width = width;
    bmp.bottomUp = height > 0;
    bmp.height = height > 0 ? height : -height;
    bmp.bits = bits;
    bmp.fileRow = (((int64_t)width * bits + 7) / 8 + 3) & ~(int64_t)3;

    int paletteEntries = 0;
    if (bits <= 8 && bits > 0) {
        paletteEntries = 1 << bits;
        if (colourUsed > 0 && colourUsed < (uint32_t)paletteEntries) paletteEntries = (int)colourUsed;
        size_t at = 14 + (size_t)infoSize;
        for (int i = 0; i < paletteEntries && at + 4 <= fileSize; ++i, at += 4)
            bmp.palette[i] = {file[at], file[at + 1], file[at + 2], 0};
    }

    COLOURFORMAT format{};
    int h = bmp.height;
    bool ok = false;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        bool four = compression == BI_RLE4;
        if (bits != (four ? 4 : 8)) return -1;
        MakeColourFormatPalette8(&format);
        std::memcpy(format.palette, bmp.palette, sizeof(format.palette));
        int64_t pitch = four ? ((int64_t)width + 3) & ~(int64_t)3 : bmp.fileRow;
        if (StartReaderImage(out, &format, width, h, pitch, true) != 0) return -1;
        ok = DecodeRle(bmp, four, out);
    } else if (compression == BI_RGB || compression == BI_BITFIELDS) {
        bool fields = compression == BI_BITFIELDS;
        if (fields && bits != 16 && bits != 32) return -1;
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
        // The last row may go without its padding.
        int64_t need = bmp.fileRow * (h - 1) + ((int64_t)width * bits + 7) / 8;
        if (need > (int64_t)bmp.size) return -1;
        if (bits == 4) {
            MakeColourFormatPalette8(&format);
            std::memcpy(format.palette, bmp.palette, sizeof(format.palette));
            if (StartReaderImage(out, &format, width, h, ((int64_t)width + 3) & ~(int64_t)3, true) != 0) return -1;
            for (int row = 0; row < h; ++row) {
                const uint8_t *src = bmp.data + (size_t)row * bmp.fileRow;
                uint8_t *dst = out->pixels + (size_t)MemRow(bmp, row) * out->pitch;
                for (int x = 0; x < width; ++x) dst[x] = (uint8_t)((x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4));
            }
            ok = true;
        } else if (bits == 8 || bits == 24) {
            if (bits == 8) {
                MakeColourFormatPalette8(&format);
                std::memcpy(format.palette, bmp.palette, sizeof(format.palette));
            } else {
                MakeColourFormatRGB24(&format);
            }
            if (StartReaderImage(out, &format, width, h, bmp.fileRow, false) != 0) return -1;
            size_t rowBytes = (size_t)width * (bits / 8);
            for (int row = 0; row < h; ++row) {
                uint8_t *dst = out->pixels + (size_t)MemRow(bmp, row) * out->pitch;
                std::memcpy(dst, bmp.data + (size_t)row * bmp.fileRow, rowBytes);
                std::memset(dst + rowBytes, 0, (size_t)out->pitch - rowBytes);
            }
            ok = true;
        } else {
            uint32_t r = 0, g = 0, b = 0;
            if (fields) {
                if (fileSize < 66) return -1;
                r = GetU32LE(file + 54);
                g = GetU32LE(file + 58);
                b = GetU32LE(file + 62);
            } else if (bits == 16) {
                r = 0x7C00, g = 0x03E0, b = 0x001F;
            } else if (bits == 32) {
                r = 0xFF0000, g = 0xFF00, b = 0xFF;
            }
            MakeColourFormatRGB24(&format);
            if (StartReaderImage(out, &format, width, h, ((int64_t)width * 3 + 3) & ~(int64_t)3, true) != 0)
                return -1;
            DecodeToRgb24(bmp, r, g, b, out);
            ok = true;
        }
    }
    if (!ok) {
        FreeBaseImage(out);
        return -1;
    }
    return 0;
}
