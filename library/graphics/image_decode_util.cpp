#include "library/graphics/image_decode_util.h"

#include <cstring>

#include "library/base/memory.h"

int StartReaderImage(BASEIMAGE *out, const COLOURFORMAT *format, int width, int height, int64_t pitch,
                     bool zero) {
    COLOURFORMAT f = *format;
    std::memset(out, 0, sizeof(*out));
    if (!ImageSizeAllowed(width, height)) return -1;
    int64_t bytes = ImageBlockBytes(pitch, height);
    if (bytes < 0) return -1;
    uint8_t *block = (uint8_t *)(zero ? MEM_ALLOC_ZERO((size_t)bytes) : MEM_ALLOC((size_t)bytes));
    if (block == nullptr) return -1;
    out->colourFormat = f;
    out->width = width;
    out->height = height;
    out->pitch = (int32_t)pitch;
    out->pixels = block;
    return 0;
}
