// Targa: colour-mapped and true-colour, raw and run-length, all four orientations.
#include <cstring>

#include "library/graphics/image_decode_util.h"
#include "library/base/memory.h"
#include "library/graphics/image_readers.h"

namespace {

constexpr int kTgaMaxSide = 8192;
constexpr size_t kFooterSize = 26;

bool HasFooter(const uint8_t *file, size_t size) {
    if (size < kFooterSize) return false;
    const uint8_t *f = file + size - kFooterSize;
    return GetU32LE(f) == 0 && std::memcmp(f + 8, "TRUEVISION-XFILE", 16) == 0 && f[24] == '.' && f[25] == 0;
}

// Reads `count` values of `bytes` bytes from data[pos..end) into out, raw or run-length.
bool ReadValues(const uint8_t *data, size_t &pos, size_t end, bool rle, int bytes, size_t count, uint8_t *out) {
    if (!rle) {
        if (end - pos < count * bytes) return false;
        std::memcpy(out, data + pos, count * bytes);
        pos += count * bytes;
        return true;
    }
    size_t done = 0;
    while (done < count) {
        if (pos >= end) return false;
        int h = data[pos++];
        size_t n = (size_t)(h & 0x7F) + 1;
        if (n > count - done) n = count - done;  // decoding ends with the image
        if (h >= 0x80) {
            if (end - pos < (size_t)bytes) return false;
            for (size_t i = 0; i < n; ++i) std::memcpy(out + (done + i) * bytes, data + pos, bytes);
            pos += bytes;
        } else {
            if (end - pos < n * bytes) return false;
            std::memcpy(out + done * bytes, data + pos, n * bytes);
            pos += n * bytes;
        }
        done += n;
    }
    return true;
}

}  // namespace

int DecodeTgaImage(const uint8_t *file, size_t size, BASEIMAGE *out) {
    std::memset(out, 0, sizeof(*out));
    if (size < 18) return -1;
    bool footer = HasFooter(file, size);
    int idLength = file[0];
    int mapType = file[1];
    int type = file[2];
    int mapFirst = (int)GetU16LE(file + 3);
    int mapLength = (int)GetU16LE(file + 5);
    int mapEntryBits = file[7];
    int xOrigin = (int)GetU16LE(file + 8), yOrigin = (int)GetU16LE(file + 10);
    int width = (int)GetU16LE(file + 12), height = (int)GetU16LE(file + 14);
    int pixelBits = file[16];
    int descriptor = file[17];

    bool mapped = type == 1 || type == 9;
    bool rle = type == 9 || type == 10;
    if (type != 1 && type != 2 && type != 9 && type != 10) return -1;
    if (xOrigin != 0 || yOrigin != 0) return -1;
    if (width == 0 || height == 0 || width > kTgaMaxSide || height > kTgaMaxSide) return -1;
    int depth = mapped ? mapEntryBits : pixelBits;
    if (depth != 16 && depth != 24 && depth != 32) return -1;
    if (mapped && pixelBits != 8) return -1;  // one-byte indices only

    size_t end = footer ? size - kFooterSize : size;
    size_t pos = 18 + (size_t)idLength;
    int bytes = depth / 8;
    uint8_t map[256 * 4] = {};
    if (mapType == 1 || mapped) {
        size_t entryBytes = (size_t)(mapEntryBits + 7) / 8;
        size_t mapBytes = (size_t)mapLength * entryBytes;
        if (pos > end || end - pos < mapBytes) return -1;
        if (mapped) {
            for (int i = 0; i < mapLength && mapFirst + i < 256; ++i)
                std::memcpy(map + (size_t)(mapFirst + i) * bytes, file + pos + (size_t)i * entryBytes, bytes);
        }
        pos += mapBytes;
    }
    if (pos > end) return -1;

    COLOURFORMAT format{};
    if (depth == 16)
        MakeColourFormatFromMasks(&format, 16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    else if (depth == 24)
        MakeColourFormatRGB24(&format);
    else
        MakeColourFormatARGB8(&format);
    int64_t pitch = (int64_t)width * bytes;
    size_t pixels = (size_t)width * height;
    // A run-length packet of at least two bytes gives at most 128 pixels; without runs every
    // pixel's bytes (an index for mapped images) must be in the file.
    if (rle && pixels > (end - pos) * 64 + 128) return -1;
    if (!rle && pixels * (mapped ? 1 : (size_t)bytes) > end - pos) return -1;
    if (StartReaderImage(out, &format, width, height, pitch, false) != 0) return -1;

    bool ok;
    if (mapped) {
        uint8_t *index = (uint8_t *)MEM_ALLOC(pixels);
        ok = index != nullptr && ReadValues(file, pos, end, rle, 1, pixels, index);
        if (ok) {
            for (size_t i = 0; i < pixels; ++i) std::memcpy(out->pixels + i * bytes, map + (size_t)index[i] * bytes, bytes);
        }
        MEM_FREE(index);
    } else {
        ok = ReadValues(file, pos, end, rle, bytes, pixels, out->pixels);
    }
    if (!ok) {
        FreeBaseImage(out);
        return -1;
    }

    bool bottomUp = (descriptor & 0x20) == 0;
    bool rightToLeft = (descriptor & 0x10) != 0;
    if (bottomUp || rightToLeft) {
        uint8_t *turned = (uint8_t *)MEM_ALLOC(pixels * bytes);
        if (turned == nullptr) {
            FreeBaseImage(out);
            return -1;
        }
        for (int y = 0; y < height; ++y) {
            const uint8_t *src = out->pixels + (size_t)(bottomUp ? height - 1 - y : y) * pitch;
            uint8_t *dst = turned + (size_t)y * pitch;
            if (!rightToLeft) {
                std::memcpy(dst, src, (size_t)pitch);
            } else {
                for (int x = 0; x < width; ++x) std::memcpy(dst + (size_t)x * bytes, src + (size_t)(width - 1 - x) * bytes, bytes);
            }
        }
        MEM_FREE(out->pixels);
        out->pixels = turned;
    }
    return 0;
}
