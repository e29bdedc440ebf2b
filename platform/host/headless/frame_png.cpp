#include "platform/host/headless/frame_png.h"

#include <png.h>

#include <cstdio>
#include <vector>

bool PlatformWriteFramePng(const char *path, const uint32_t *pixels, int width, int height, int pitchBytes) {
    if (!path || !pixels || width <= 0 || height <= 0 || pitchBytes < width * 4) return false;
    // 0x00RRGGBB words to RGB rows.
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    for (int y = 0; y < height; ++y) {
        const uint32_t *row = reinterpret_cast<const uint32_t *>(reinterpret_cast<const uint8_t *>(pixels) +
                                                                 (size_t)y * pitchBytes);
        uint8_t *out = rgb.data() + (size_t)y * width * 3;
        for (int x = 0; x < width; ++x) {
            out[x * 3 + 0] = (uint8_t)(row[x] >> 16);
            out[x * 3 + 1] = (uint8_t)(row[x] >> 8);
            out[x * 3 + 2] = (uint8_t)row[x];
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32)width;
    image.height = (png_uint_32)height;
    image.format = PNG_FORMAT_RGB;
    bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), width * 3, nullptr) != 0;
    if (!ok) std::fprintf(stderr, "frame %s not written: %s\n", path, image.message);
    png_image_free(&image);
    return ok;
}
