// The text link filled with the entries that exist: cache-graph draws through the public
// graph draws, with transparency.
#include "library/graphics/text_link.h"

#include "library/graphics/draw2d.h"

namespace {

int DrawCachePart(int x, int y, int srcX, int srcY, int width, int height, int graph) {
    return DrawGraphPart(x, y, srcX, srcY, width, height, graph, 1, 0);
}

int DrawCacheCorners(const float x[4], const float y[4], int graph) {
    return DrawGraphCorners(x[0], y[0], x[1], y[1], x[2], y[2], x[3], y[3], graph, 1);
}

}  // namespace

TEXTLINK g_textLink = {
    .fontInfo = nullptr,
    .cacheGlyphs = nullptr,
    .glyph = nullptr,
    .prepareTextureCache = nullptr,
    .defaultFont = nullptr,
    .createFont = nullptr,
    .attachDeleteFlag = nullptr,
    .freeFont = nullptr,
    .isLeadByte = nullptr,
    .drawGraphPart = DrawCachePart,
    .drawGraphCorners = DrawCacheCorners,
    .setBlendGraph = nullptr,
    .screenImage = nullptr,
    .blendImage = nullptr,
    .blitMemImg = nullptr,
};
