// The quad kernel: the whole source on four free corners as two triangles, after a test of the
// corners' box, widened by 2 pixels before and 4 after, against the draw area.
#include "library/softrender/rasterize_memimg.h"

#include <algorithm>
#include <cstdint>

#include "library/base/vecmath.h"
#include "library/graphics/draw_area.h"

namespace {

int32_t ClampToInt(int64_t v) { return (int32_t)std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

}  // namespace

void RasterizeMemImgQuad(MEMIMG *dst, MEMIMG *src, const int32_t corners[8], int transparent, MEMIMG *blend) {
    if (!IsMemImgValid(dst) || !IsMemImgValid(src) || !corners) return;
    const int32_t *c = corners;
    const int64_t minX = std::min({c[0], c[2], c[4], c[6]}), maxX = std::max({c[0], c[2], c[4], c[6]});
    const int64_t minY = std::min({c[1], c[3], c[5], c[7]}), maxY = std::max({c[1], c[3], c[5], c[7]});
    RECT box{ClampToInt(minX - 2), ClampToInt(minY - 2), ClampToInt(maxX + 4), ClampToInt(maxY + 4)};
    const RECT area{g_drawArea.left, g_drawArea.top, g_drawArea.right, g_drawArea.bottom};
    ClipRect(&box, &area);
    if (box.left == box.right || box.top == box.bottom) return;

    const int32_t w = src->width, h = src->height;
    const int32_t first[12] = {c[0], c[1], 0, 0, c[2], c[3], w, 0, c[4], c[5], 0, h};
    const int32_t second[12] = {c[2], c[3], w, 0, c[4], c[5], 0, h, c[6], c[7], w, h};
    RasterizeMemImgTriangle(dst, src, first, transparent, blend, 0);
    RasterizeMemImgTriangle(dst, src, second, transparent, blend, 0);
}
