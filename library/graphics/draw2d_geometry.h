// Screen geometry of the 2D graph draws: where each texture part's corners land for a
// draw at a point, stretched, rotated or on four free corners, and the texture
// coordinates that go with them. Pure arithmetic; the draw entries feed the batch with it.
#pragma once

#include "library/graphics/draw_area.h"

// One corner of a texture part: graph-space position and texture coordinates.
struct QUADCORNER {
    float x, y, u, v;
};

// A texture part as the geometry sees it: corners top-left, top-right, bottom-left,
// bottom-right, the size of the part's texture, and the corners' diagonal flags
// (1 when on or above the graph's falling diagonal).
struct QUADPART {
    QUADCORNER corner[4];
    float textureWidth, textureHeight;
    unsigned char diagonal[4];
};

// A screen vertex: position and texture coordinates.
struct SCREENVERTEX {
    float x, y, u, v;
};


enum { QUAD_TL = 0, QUAD_TR = 1, QUAD_BL = 2, QUAD_BR = 3 };

// The six vertices of a quad (two triangles): top-left, top-right, bottom-left,
// bottom-right, bottom-left, top-right.
void QuadToTriangles(const SCREENVERTEX corner[4], SCREENVERTEX out[6]);

// 1:1 draw of a w x h graph at (x, y). `inside` is the result of GraphInsideArea.
void PlaceQuadPart(const QUADPART &part, int x, int y, bool inside, const DRAWAREA &area, SCREENVERTEX out[4]);
bool GraphInsideArea(int x1, int y1, int x2, int y2, const DRAWAREA &area);

// Stretched draw of a w x h graph into (x1, y1)-(x2, y2); x2 < x1 or y2 < y1 mirror.
// The caller refuses x1 = x2 or y1 = y2.
void PlaceStretchedPart(const QUADPART &part, int x1, int y1, int x2, int y2, int w, int h, bool inside,
                        const DRAWAREA &area, SCREENVERTEX out[4]);

// Rotated and scaled draw about the graph's centre.
struct ROTATEDDRAW {
    float px, py;        // the position the centre goes to
    float cx, cy;        // the centre in graph space
    float sine, cosine;
    float scaleX, scaleY;  // scaleX negative with the turn flag
    bool fractional;     // the position has a fraction
    bool nearAxis;       // integer position within 4 degrees of a quarter turn
    bool singlePartRule; // one part at an integer position, scale != 1 or both sides odd
    bool quarterTurn;    // near a quarter or three-quarter turn
    int width, height;
};
// Fills `draw`; false when the scale is 0. `parts` is the graph's part count.
bool SetupRotatedDraw(float x, float y, double scale, double angle, bool turn, int w, int h, int parts,
                      ROTATEDDRAW *draw);
// The near-axis flag for an angle (reduced mod 2 pi first).
bool IsNearAxisAngle(double angle);
bool IsQuarterTurnAngle(double angle);
// Six vertices of one part, snapped to the pixel grid where the rules say so.
void PlaceRotatedPart(const QUADPART &part, const ROTATEDDRAW &draw, SCREENVERTEX out[6]);
// The screen box a rotated draw can touch, widened by 5 pixels (for the subtractive passes).
void RotatedDrawBounds(float x, float y, double scale, double angle, int w, int h, int *x1, int *y1, int *x2,
                       int *y2);

// Four free corners: top-left, top-right, bottom-right, bottom-left in screen space.
struct FREECORNERS {
    float x[4], y[4];  // TL, TR, BR, BL
};
// Where a graph-space point lands, bilinearly between the four corners.
void MapBilinear(const FREECORNERS &c, float gx, float gy, int w, int h, float *sx, float *sy);
// A quad whose opposite edges are equal vectors within a pixel draws as one quad;
// any other needs the vertex grid.
bool CornersFormParallelogram(const float x[4], const float y[4]);  // order TL, TR, BL, BR
// The grid of kCornerGridSide x kCornerGridSide vertices between four corners (TL, TR, BL, BR)
// with the part's texture coordinates interpolated alike; rows top to bottom.
enum { kCornerGridSide = 8 };
void BuildCornerGrid(const float x[4], const float y[4], const QUADPART &part,
                     SCREENVERTEX out[kCornerGridSide * kCornerGridSide]);
// With a blend graph: the affine map of a graph-space corner, chosen by its diagonal flag.
void MapCornerAffine(const FREECORNERS &c, float gx, float gy, int w, int h, bool onUpperTriangle, float *sx,
                     float *sy);
// The four corners form an axis-aligned rectangle (int corners).
bool CornersAxisAligned(const int x[4], const int y[4]);  // TL, TR, BR, BL

// DrawGraphPart: the area (x, y, x + w, y + h) within `area`, and the whole graph's
// place (1:1, or the mirrored draw's left edge with turn).
void PartDrawPlacement(int x, int y, int sx, int sy, int w, int h, int graphWidth, bool turn, int *drawX,
                       int *drawY);
// DrawGraphPartStretched: the stretched rectangle of the whole graph that puts source
// (sx, sy, sw, sh) on destination (x1, y1)-(x2, y2).
void PartStretchedPlacement(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graphWidth,
                            int graphHeight, int *outX1, int *outY1, int *outX2, int *outY2);
// Intersection of two rectangles as a clip area (empty when they do not meet).
DRAWAREA IntersectDrawArea(const DRAWAREA &area, int x1, int y1, int x2, int y2);
