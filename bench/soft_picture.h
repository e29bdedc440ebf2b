// The picture of the software renderer's benchmarks: a pattern with one pixel in eight of the
// key colour (0), as the pixels of a MEMIMG of either type and as pixman's ARGB words (the key
// colour with alpha 0 when keyed), and the plain draw settings the kernels run under.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/memimg.h"

inline uint32_t PicturePixel(int x, int y) {
    if ((x * 7 + y * 3) % 8 == 0) return 0;
    return (uint32_t)((x * 3) & 0xFF) << 16 | (uint32_t)((y * 5) & 0xFF) << 8 | (uint32_t)((x + y) & 0xFF) | 0x010101;
}
inline uint32_t To565(uint32_t c) { return (c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F); }

// A w x h picture and a dstW x dstH destination of the pixel type; the draw area covers the
// destination, mode 0 at full brightness.
struct PICTUREIMAGES {
    MEMIMG src{}, dst{};
    PICTUREIMAGES(int type, int w, int h, int dstW, int dstH) {
        InitMemImgTables();
        SetupMemImg(&src, w, h, -1, 0, type, 0, 0, 0, nullptr);
        SetupMemImg(&dst, dstW, dstH, -1, 0, type, 0, 0, 0, nullptr);
        const int bytes = type == 1 ? 4 : 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t v = type == 1 ? PicturePixel(x, y) : To565(PicturePixel(x, y));
                std::memcpy(src.pixels + (size_t)y * src.base->pitch + (size_t)x * bytes, &v, bytes);
            }
        g_drawArea = MakeDrawArea(0, 0, dstW, dstH);
        g_drawState.blendMode = BLENDMODE_NONE;
        g_drawState.blendParam = 255;
        g_drawState.brightness = 0xFFFFFF;
    }
    ~PICTUREIMAGES() {
        ReleaseMemImg(&src);
        ReleaseMemImg(&dst);
    }
    PICTUREIMAGES(const PICTUREIMAGES &) = delete;
    PICTUREIMAGES &operator=(const PICTUREIMAGES &) = delete;
};

inline std::vector<uint32_t> PixmanPicture(int w, int h, bool keyed) {
    std::vector<uint32_t> words((size_t)w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = PicturePixel(x, y);
            words[(size_t)y * w + x] = keyed && c == 0 ? 0 : c | 0xFF000000u;
        }
    return words;
}
