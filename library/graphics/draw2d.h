// The public graph draws: at a point, stretched, mirrored, rotated, a part of a graph,
// a part stretched, and on four free corners. 0 on success (also when the draw area
// hides everything), -1 on a bad handle, a failed blend-graph check or a missing device.
#pragma once

int DrawGraphAt(int x, int y, int graph, int transparent);
int DrawGraphStretched(int x1, int y1, int x2, int y2, int graph, int transparent);
int DrawGraphMirrored(int x, int y, int graph, int transparent);
int DrawGraphRotated(float x, float y, double scale, double angle, int graph, int transparent, int turn);
int DrawGraphRotatedAt(int x, int y, double scale, double angle, int graph, int transparent, int turn);
int DrawGraphPart(int x, int y, int sx, int sy, int width, int height, int graph, int transparent, int turn);
int DrawGraphPartStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graph,
                           int transparent);
int DrawGraphCorners(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int graph,
                     int transparent);

struct GRAPHENTRY;

// The software back ends: the copy and shape kernels over the graph's MEMIMG, installed by
// draw2d_software.cpp. Unset, a software graph's draw fails.
struct SOFTDRAWHOOKS {
    int (*blit)(GRAPHENTRY *graph, int x, int y, int transparent);
    int (*stretchBlit)(GRAPHENTRY *graph, int x1, int y1, int x2, int y2, int transparent);
    int (*rotated)(GRAPHENTRY *graph, int x, int y, double angle, double scale, int transparent, int turn);
    // Corners top-left, top-right, bottom-right, bottom-left.
    int (*corners)(GRAPHENTRY *graph, const int x[4], const int y[4], int transparent);
};
extern SOFTDRAWHOOKS g_softDrawHooks;
