// The per-call decisions the kernels share: the refusals, the modes and parameters that
// draw nothing, the flags that pick a loop, and the table rows the pixel rule reads.
#include "library/softrender/copy_pixel.h"

#include "library/graphics/draw_params.h"

namespace softrender {

namespace {

// sb null: a flat colour.
bool Prepare(const MEMIMG *dst, const MEMIMGBASE *sb, const MEMIMG *blend, int transparent, COPYSETUP *out) {
    if (!IsMemImgValid(dst)) return false;
    const MEMIMGBASE *db = dst->base;
    if (db->paletteFlag || db->alphaFlag) return false;
    const int type = db->pixelType;
    if (type != MEMIMG_TYPE_RGB16 && type != MEMIMG_TYPE_RGB32) return false;
    if (sb && (sb->pixelType != type || (sb->paletteFlag && !sb->palette))) return false;

    int mode = g_drawState.blendMode;
    const int p = g_drawState.blendParam < 0 ? 0 : g_drawState.blendParam > 255 ? 255 : g_drawState.blendParam;
    if (mode < 0 || mode > 11 || kCopyModeIndex[mode] < 0) return false;
    if (mode == BLENDMODE_ALPHA && p == 255) mode = BLENDMODE_NONE;
    // Mode 1 at p = 0 leaves every pixel as it was; modes 2 and 3 at p = 0 add or take away
    // nothing, from palette sources too (running the subtract would still move low bits).
    if ((mode == BLENDMODE_ALPHA || mode == BLENDMODE_ADD || mode == BLENDMODE_SUB) && p == 0) return false;

    const bool graph = sb && IsMemImgValid(blend);
    const bool palette = sb && sb->paletteFlag, alpha = sb && sb->alphaFlag && !palette;
    const uint32_t bright = g_drawState.brightness & 0xFFFFFF;
    if (!g_memImgState.built) InitMemImgTables();
    const MEMIMGSTATE &t = g_memImgState;

    COPYRULES &c = out->rules;
    c = COPYRULES{};
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
    c.blend6 = t.blendTable6[p >> 2];
    c.p = p;
    out->type = type;
    out->mode = mode;
    out->modeIndex = kCopyModeIndex[mode];
    out->flags = (graph ? kGraph : 0) | (bright != 0xFFFFFF ? kTint : 0) | (palette ? kPalette : 0) |
                 (alpha ? kAlpha : 0) | (sb && transparent != 0 ? kKey : 0);
    return true;
}

}  // namespace

bool PrepareCopyRules(const MEMIMG *dst, const MEMIMG *src, const MEMIMG *blend, int transparent, COPYSETUP *out) {
    if (!IsMemImgValid(src) || src->width <= 0 || src->height <= 0) return false;
    return Prepare(dst, src->base, blend, transparent, out);
}

bool PrepareFlatRules(const MEMIMG *dst, COPYSETUP *out) { return Prepare(dst, nullptr, nullptr, 0, out); }

}  // namespace softrender
