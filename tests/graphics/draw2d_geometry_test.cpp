// Geometry of the 2D draws: corner placement, clamping, rotation rules, corner maps.
#include "library/graphics/draw2d_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One part covering a w x h graph at the top-left of a texW x texH tile.
QUADPART WholePart(int w, int h, int texW, int texH) {
    QUADPART p{};
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const float u = fw / texW, v = fh / texH;
    p.corner[QUAD_TL] = {0, 0, 0, 0};
    p.corner[QUAD_TR] = {fw, 0, u, 0};
    p.corner[QUAD_BL] = {0, fh, 0, v};
    p.corner[QUAD_BR] = {fw, fh, u, v};
    p.textureWidth = static_cast<float>(texW);
    p.textureHeight = static_cast<float>(texH);
    return p;
}

DRAWAREA Area(int l, int t, int r, int b) {
    return DRAWAREA{l, t, r, b, (float)l, (float)t, (float)r, (float)b};
}

TEST(DrawGeometry, PointDrawOffsetsByHalfAPixelAndClampsWithTexture) {
    QUADPART p = WholePart(16, 8, 32, 8);
    SCREENVERTEX v[4];
    PlaceQuadPart(p, 10, 20, true, Area(0, 0, 640, 480), v);
    EXPECT_FLOAT_EQ(v[QUAD_TL].x, 9.5f);
    EXPECT_FLOAT_EQ(v[QUAD_TL].y, 19.5f);
    EXPECT_FLOAT_EQ(v[QUAD_BR].x, 25.5f);
    EXPECT_FLOAT_EQ(v[QUAD_BR].y, 27.5f);

    // Area left edge at 14: the left corners move 4.5 pixels right, u by 4.5 / 32.
    const DRAWAREA area = Area(14, 0, 640, 480);
    ASSERT_FALSE(GraphInsideArea(10, 20, 26, 28, area));
    PlaceQuadPart(p, 10, 20, false, area, v);
    EXPECT_FLOAT_EQ(v[QUAD_TL].x, 14.0f);
    EXPECT_FLOAT_EQ(v[QUAD_TL].u, 4.5f / 32);
    EXPECT_FLOAT_EQ(v[QUAD_BL].u, 4.5f / 32);
    EXPECT_FLOAT_EQ(v[QUAD_TR].u, 0.5f);

    // A part wholly outside still gives a quad, of zero area.
    PlaceQuadPart(p, 700, 20, false, Area(0, 0, 640, 480), v);
    EXPECT_FLOAT_EQ(v[QUAD_TL].x, 640.0f);
    EXPECT_FLOAT_EQ(v[QUAD_TR].x, 640.0f);
}

TEST(DrawGeometry, StretchedMirrorsAndMovesTextureByScaledDistance) {
    QUADPART p = WholePart(8, 8, 8, 8);
    SCREENVERTEX v[4];
    // x2 < x1 mirrors: the graph's left edge lands on the right.
    PlaceStretchedPart(p, 40, 0, 24, 16, 8, 8, true, Area(0, 0, 640, 480), v);
    EXPECT_FLOAT_EQ(v[QUAD_TL].x, 39.5f);
    EXPECT_FLOAT_EQ(v[QUAD_TR].x, 23.5f);
    EXPECT_FLOAT_EQ(v[QUAD_BL].y, 15.5f);
    // Clamped at 30: the right corner (texture u 1) moves 6.5 pixels at scale -2.
    PlaceStretchedPart(p, 40, 0, 24, 16, 8, 8, false, Area(30, 0, 640, 480), v);
    EXPECT_FLOAT_EQ(v[QUAD_TR].x, 30.0f);
    EXPECT_FLOAT_EQ(v[QUAD_TR].u, 1.0f - 6.5f / 16.0f);
}

TEST(DrawGeometry, RotatedByZeroEqualsPointDrawForEvenGraphs) {
    QUADPART p = WholePart(16, 10, 16, 16);
    ROTATEDDRAW d;
    ASSERT_TRUE(SetupRotatedDraw(100, 50, 1.0, 0.0, false, 16, 10, 1, &d));
    SCREENVERTEX r[6], q[4], q6[6];
    PlaceRotatedPart(p, d, r);
    PlaceQuadPart(p, 100 - 8, 50 - 5, true, Area(0, 0, 640, 480), q);
    QuadToTriangles(q, q6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(r[i].x, q6[i].x) << i;
        EXPECT_FLOAT_EQ(r[i].y, q6[i].y) << i;
        EXPECT_FLOAT_EQ(r[i].u, q6[i].u) << i;
    }
    EXPECT_FALSE(SetupRotatedDraw(100, 50, 0.0, 0.0, false, 16, 10, 1, &d));
}

TEST(DrawGeometry, NearAxisTestReducesTheAngleFirst) {
    struct Case {
        double angle;
        bool near;
    } cases[] = {
        {0.03, true},
        {-0.03, true},
        {1.5707963 + 0.05, true},
        {3.2, true},
        {1.0, false},
        {6.283185307179586 + 0.02, true},   // one turn on
        {4 * 3.141592653589793 + 1.57, true},
        {-6.283185307179586 + 1.0, false},  // below -4 degrees but reduces to 1 rad
        {10.0, false},                      // above 364 degrees but reduces to 3.72 rad
        {-3.0, false},
    };
    for (const Case &c : cases) EXPECT_EQ(IsNearAxisAngle(c.angle), c.near) << c.angle;
}

TEST(DrawGeometry, RotatedCentresAndSnaps) {
    ROTATEDDRAW d;
    // Odd x even at scale 1: the even side's centre moves by half a pixel, no offset.
    ASSERT_TRUE(SetupRotatedDraw(10, 10, 1.0, 0.0, false, 5, 4, 2, &d));
    EXPECT_FLOAT_EQ(d.cx, 2.5f);
    EXPECT_FLOAT_EQ(d.cy, 1.5f);
    EXPECT_FLOAT_EQ(d.px, 10.0f);
    // Scale 2 at an integer position: centre in the middle, half-pixel offset.
    ASSERT_TRUE(SetupRotatedDraw(10, 10, 2.0, 0.0, true, 5, 4, 1, &d));
    EXPECT_FLOAT_EQ(d.cx, 2.5f);
    EXPECT_FLOAT_EQ(d.px, 9.5f);
    EXPECT_FLOAT_EQ(d.scaleX, -2.0f);

    // Fractional position: an axis-parallel edge on a whole number moves left by half a pixel.
    QUADPART p = WholePart(5, 4, 8, 4);
    ASSERT_TRUE(SetupRotatedDraw(10.5f, 10.25f, 1.0, 0.0, false, 5, 4, 2, &d));
    ASSERT_TRUE(d.fractional);
    SCREENVERTEX v[6];
    PlaceRotatedPart(p, d, v);
    EXPECT_FLOAT_EQ(v[0].x, 7.5f);  // 10.5 - 2.5 = 8, snapped
    EXPECT_FLOAT_EQ(v[0].y, 8.25f);  // not on a whole number: kept
    // Integer position and angle 0: no snap tested even where an edge is whole.
    ASSERT_TRUE(SetupRotatedDraw(10, 10, 3.0, 0.0, false, 3, 3, 2, &d));
    PlaceRotatedPart(WholePart(3, 3, 4, 4), d, v);
    EXPECT_FLOAT_EQ(v[0].x, 5.0f);  // 9.5 - 1.5 x 3
}

TEST(DrawGeometry, NearAxisSnapsOnlyEdgesOnWholeNumbers) {
    ROTATEDDRAW d;
    SCREENVERTEX v[6];
    // 3 x 3 at scale 1 on a quarter turn: edges already on half pixels stay.
    ASSERT_TRUE(SetupRotatedDraw(10, 10, 1.0, 1.5707963267948966, false, 3, 3, 1, &d));
    ASSERT_TRUE(d.nearAxis);
    PlaceRotatedPart(WholePart(3, 3, 4, 4), d, v);
    EXPECT_NEAR(v[0].x, 11.5f, 1e-4);
    EXPECT_NEAR(v[0].y, 8.5f, 1e-4);
    // Scale 3 puts them on whole numbers (9.5 -/+ 4.5): both move by half a pixel.
    ASSERT_TRUE(SetupRotatedDraw(10, 10, 3.0, 1.5707963267948966, false, 3, 3, 1, &d));
    PlaceRotatedPart(WholePart(3, 3, 4, 4), d, v);
    EXPECT_NEAR(v[0].x, 13.5f, 1e-4);
    EXPECT_NEAR(v[0].y, 4.5f, 1e-4);
    // 4 x 3 sideways at scale 3: x runs along the odd height (snapped), y along the even
    // width (the 4 x 3 has no odd width to snap): cx 2, cy 1.5, p 9.5.
    ASSERT_TRUE(SetupRotatedDraw(10, 10, 3.0, 1.5707963267948966, false, 4, 3, 1, &d));
    PlaceRotatedPart(WholePart(4, 3, 4, 4), d, v);
    EXPECT_NEAR(v[0].x, 9.5f + 4.5f - 0.5f, 1e-4);
    EXPECT_NEAR(v[0].y, 9.5f - 6.0f, 1e-4);
}

TEST(DrawGeometry, CornerMapsAndShapeTests) {
    FREECORNERS c{{10, 50, 60, 0}, {0, 10, 40, 30}};  // TL, TR, BR, BL
    float x, y;
    MapBilinear(c, 0, 0, 8, 4, &x, &y);
    EXPECT_FLOAT_EQ(x, 10);
    EXPECT_FLOAT_EQ(y, 0);
    MapBilinear(c, 8, 4, 8, 4, &x, &y);
    EXPECT_FLOAT_EQ(x, 60);
    EXPECT_FLOAT_EQ(y, 40);
    MapBilinear(c, 4, 2, 8, 4, &x, &y);  // the mean of the four
    EXPECT_FLOAT_EQ(x, 30);
    EXPECT_FLOAT_EQ(y, 20);

    // The affine maps agree with the corners they are built on (minus the half pixel).
    MapCornerAffine(c, 8, 0, 8, 4, true, &x, &y);
    EXPECT_FLOAT_EQ(x, 49.5f);
    EXPECT_FLOAT_EQ(y, 9.5f);
    MapCornerAffine(c, 8, 4, 8, 4, false, &x, &y);
    EXPECT_FLOAT_EQ(x, 59.5f);
    EXPECT_FLOAT_EQ(y, 39.5f);

    const float px[4] = {0, 10, 3, 13.5f}, py[4] = {0, 2, 8, 10.5f};  // TL, TR, BL, BR
    EXPECT_TRUE(CornersFormParallelogram(px, py));
    const float kx[4] = {0, 10, 0, 20}, ky[4] = {0, 0, 10, 10};
    EXPECT_FALSE(CornersFormParallelogram(kx, ky));
    const int ax[4] = {1, 9, 9, 1}, ay[4] = {2, 2, 7, 7};
    EXPECT_TRUE(CornersAxisAligned(ax, ay));
    const int bx[4] = {1, 9, 9, 2};
    EXPECT_FALSE(CornersAxisAligned(bx, ay));

    // The grid meets the corners and interpolates texture coordinates with them.
    QUADPART p = WholePart(8, 8, 8, 8);
    SCREENVERTEX g[kCornerGridSide * kCornerGridSide];
    BuildCornerGrid(kx, ky, p, g);
    EXPECT_FLOAT_EQ(g[0].x, 0);
    EXPECT_FLOAT_EQ(g[kCornerGridSide - 1].x, 10);
    EXPECT_FLOAT_EQ(g[kCornerGridSide * kCornerGridSide - 1].x, 20);
    EXPECT_FLOAT_EQ(g[kCornerGridSide * kCornerGridSide - 1].u, 1);
    EXPECT_FLOAT_EQ(g[kCornerGridSide * (kCornerGridSide - 1)].v, 1);
}

TEST(DrawGeometry, PartPlacements) {
    int dx, dy;
    PartDrawPlacement(100, 50, 16, 8, 16, 16, 64, false, &dx, &dy);
    EXPECT_EQ(dx, 84);
    EXPECT_EQ(dy, 42);
    // Mirrored: the same cell lands in the same rectangle, read from the other side.
    PartDrawPlacement(100, 50, 16, 8, 16, 16, 64, true, &dx, &dy);
    EXPECT_EQ(dx, 100 + 16 + 16 - 64);

    // Destination 10 wide for a source 4 wide: factor 2.5, not 2.
    int x1, y1, x2, y2;
    PartStretchedPlacement(20, 30, 30, 40, 2, 1, 4, 4, 8, 8, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 15);
    EXPECT_EQ(x2, 35);
    EXPECT_EQ(y1, 28);  // 30 - int(2.5)
    EXPECT_EQ(y2, 47);  // 30 + int(17.5)
    // Shrinking (factor 0.5) would be 0 with integer division.
    PartStretchedPlacement(0, 0, 2, 2, 0, 0, 4, 4, 8, 8, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x2, 4);
    // Mirrored in x.
    PartStretchedPlacement(30, 30, 20, 40, 2, 1, 4, 4, 8, 8, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1, 35);
    EXPECT_EQ(x2, 15);

    DRAWAREA a = IntersectDrawArea(Area(0, 0, 320, 240), 300, -5, 400, 10);
    EXPECT_EQ(a.left, 300);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.right, 320);
    EXPECT_EQ(a.bottom, 10);
    a = IntersectDrawArea(Area(0, 0, 320, 240), 400, 0, 500, 10);
    EXPECT_EQ(a.left, a.right);
}

}  // namespace
