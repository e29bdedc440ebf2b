// The per-call decisions the shape kernels share: the refusals, the modes and parameters that
// draw nothing, the flags that pick a loop, and the table rows the pixel rule reads.
#include "library/softrender/shape_pixel.h"

#include "library/graphics/draw_params.h"

namespace softrender {

bool PrepareShapeRules(const MEMIMG *dst, const MEMIMG *src, const MEMIMG *blend, int transparent, SHAPESETUP *out) {
    if (!IsMemImgValid(dst)) return false;
    const MEMIMGBASE *db = dst->base;
    if (db->paletteFlag || db->alphaFlag) return false;
    const int type = db->pixelType;
    if (type != MEMIMG_TYPE_RGB16 && type != MEMIMG_TYPE_RGB32) return false;
    const MEMIMGBASE *sb = nullptr;
    if (src) {
        if (!IsMemImgValid(src)) return false;
        sb = src->base;
        if (sb->pixelType != type || src->width <= 0 || src->height <= 0) return false;
        if (sb->paletteFlag && !sb->palette) return false;
    }

    int mode = g_drawState.blendMode;
    const int p = g_drawState.blendParam < 0 ? 0 : g_drawState.blendParam > 255 ? 255 : g_drawState.blendParam;
    if (mode < 0 || mode > 11 || kShapeModeIndex[mode] < 0) return false;
    if (mode == BLENDMODE_ALPHA && p == 255) mode = BLENDMODE_NONE;
    if ((mode == BLENDMODE_ALPHA || mode == BLENDMODE_ADD || mode == BLENDMODE_SUB) && p == 0) return false;

    if (!g_memImgState.built) InitMemImgTables();
    const MEMIMGSTATE &t = g_memImgState;
    const uint32_t bright = g_drawState.brightness & 0xFFFFFF;
    const bool graph = src && IsMemImgValid(blend);
    const bool palette = sb && sb->paletteFlag, alpha = sb && sb->alphaFlag && !palette;

    SHAPERULES &c = out->rules;
    c = SHAPERULES{};
    if (graph) {
        c.graphBytes = MemImgBytesPerPixel(blend->base);
        c.graphType = blend->base->paletteFlag ? MEMIMG_TYPE_CHAN8 : blend->base->pixelType;
        c.graphTable = t.blendGraphTable;
    }
    if (sb) {
        c.key = sb->transparentCode;
        c.palette = sb->palette;
    }
    c.tint[0] = t.productTable[bright & 0xFF];
    c.tint[1] = t.productTable[bright >> 8 & 0xFF];
    c.tint[2] = t.productTable[bright >> 16 & 0xFF];
    c.prodP = t.productTable[p];
    c.signedP = &t.signedProductTable[p][255];
    c.p = p;
    out->type = type;
    out->modeIndex = kShapeModeIndex[mode];
    out->flags = (graph ? kShapeGraph : 0) | (bright != 0xFFFFFF ? kShapeTint : 0) | (palette ? kShapePalette : 0) |
                 (alpha ? kShapeAlpha : 0) | (src && transparent != 0 ? kShapeKey : 0);
    return true;
}

}  // namespace softrender
