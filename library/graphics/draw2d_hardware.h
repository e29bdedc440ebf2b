// The hardware back ends of the graph draws: two triangles per texture part into the 2D
// vertex batch.
#pragma once

#include "library/graphics/draw2d_geometry.h"

struct GRAPHENTRY;

int DrawQuadParts(GRAPHENTRY *graph, int x, int y, int transparent);
int DrawStretchedParts(GRAPHENTRY *graph, int x1, int y1, int x2, int y2, int transparent);
int DrawRotatedParts(GRAPHENTRY *graph, float x, float y, double scale, double angle, int turn, int transparent);
int DrawCornerParts(GRAPHENTRY *graph, const FREECORNERS &corners, int transparent);
