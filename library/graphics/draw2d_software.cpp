// The software back ends of the graph draws: the graph's MEMIMG onto the draw target's, with
// the blend graph's image when one is selected. The copy kernel reads the blend mode, the
// bright colour and the draw area itself.
#include "library/graphics/draw2d.h"

#include "library/graphics/device.h"
#include "library/graphics/graph.h"
#include "library/softrender/blit_memimg.h"
#include "library/softrender/blit_memimg_rotated.h"
#include "library/softrender/rasterize_memimg.h"
#include "library/softrender/stretch_blit_memimg.h"

namespace {

int SoftBlit(GRAPHENTRY *graph, int x, int y, int transparent) {
    BlitMemImg(g_softScreen.drawTarget, GraphMemImg(graph), x, y, transparent, g_graphs.softBlendImage);
    return 0;
}

int SoftStretchBlit(GRAPHENTRY *graph, int x1, int y1, int x2, int y2, int transparent) {
    const RECT rect{x1, y1, x2, y2};
    StretchBlitMemImg(g_softScreen.drawTarget, GraphMemImg(graph), &rect, transparent, g_graphs.softBlendImage);
    return 0;
}

int SoftRotated(GRAPHENTRY *graph, int x, int y, double angle, double scale, int transparent, int turn) {
    BlitMemImgRotated(g_softScreen.drawTarget, GraphMemImg(graph), x, y, (float)angle, (float)scale, transparent, turn,
                      g_graphs.softBlendImage);
    return 0;
}

// The graph's image on four corners as two triangles: (top-left, top-right, bottom-left) and
// (top-right, bottom-left, bottom-right), with the image's corners as texels.
int SoftCorners(GRAPHENTRY *graph, const int x[4], const int y[4], int transparent) {
    MEMIMG *image = GraphMemImg(graph);
    const int32_t w = image->width, h = image->height;
    const int32_t first[12] = {x[0], y[0], 0, 0, x[1], y[1], w, 0, x[3], y[3], 0, h};
    const int32_t second[12] = {x[1], y[1], w, 0, x[3], y[3], 0, h, x[2], y[2], w, h};
    RasterizeMemImgTriangle(g_softScreen.drawTarget, image, first, transparent, g_graphs.softBlendImage, 0);
    RasterizeMemImgTriangle(g_softScreen.drawTarget, image, second, transparent, g_graphs.softBlendImage, 0);
    return 0;
}

}  // namespace

SOFTDRAWHOOKS g_softDrawHooks = {
    .blit = SoftBlit,
    .stretchBlit = SoftStretchBlit,
    .rotated = SoftRotated,
    .corners = SoftCorners,
};
