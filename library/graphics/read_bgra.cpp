// The library's own raw "BGRA" format: 16-byte header, then 8- or 16-bit channels top-down.
#include <cstring>

#include "library/graphics/image_decode_util.h"
#include "library/graphics/image_readers.h"

int DecodeBgraImage(const uint8_t *file, size_t size, BASEIMAGE *out) {
    std::memset(out, 0, sizeof(*out));
    if (size < 16 || std::memcmp(file, "BGRA", 4) != 0) return -1;
    uint32_t channelBits = GetU32LE(file + 4);
    if (channelBits != 0x08080808u && channelBits != 0x10101010u) return -1;
    bool wide = channelBits == 0x10101010u;
    uint32_t width = GetU32LE(file + 8), height = GetU32LE(file + 12);
    if (!ImageSizeAllowed(width, height)) return -1;
    int64_t need = ImageBlockBytes(width, height, wide ? 8 : 4);
    if (need < 0 || (int64_t)(size - 16) < need) return -1;
    COLOURFORMAT format{};
    MakeColourFormatARGB8(&format);
    if (StartReaderImage(out, &format, (int)width, (int)height, (int64_t)width * 4, false) != 0) return -1;
    const uint8_t *src = file + 16;
    if (!wide) {
        std::memcpy(out->pixels, src, (size_t)need);
    } else {
        // Little-endian 16-bit channels: the high byte is kept.
        size_t n = (size_t)width * height * 4;
        for (size_t i = 0; i < n; ++i) out->pixels[i] = src[i * 2 + 1];
    }
    return 0;
}
