// Screen geometry of the 2D graph draws.
#include "library/graphics/draw2d_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

const double kTwoPi = 6.283185307179586;
// Four degrees either side of each quarter turn.
const double kAxisWindow = 0.0698131700797732;
const double kAxisCentres[5] = {0.0, 1.5707963267948966, 3.141592653589793, 4.71238898038469,
                                6.283185307179586};

// Moves a corner into the area; its texture coordinates move with it by d / (scale x size).
void ClampCorner(SCREENVERTEX &v, const DRAWAREA &area, float uPerPixel, float vPerPixel) {
    float cx = std::clamp(v.x, area.fleft, area.fright);
    float cy = std::clamp(v.y, area.ftop, area.fbottom);
    v.u += (cx - v.x) * uPerPixel;
    v.v += (cy - v.y) * vPerPixel;
    v.x = cx;
    v.y = cy;
}

bool Near(float a, float b) { return std::fabs(a - b) <= 0.01f; }

bool OnWholeNumber(float a) {
    float f = a - std::floor(a);
    return f < 0.001f || f > 0.999f;
}

}  // namespace

void QuadToTriangles(const SCREENVERTEX corner[4], SCREENVERTEX out[6]) {
    out[0] = corner[QUAD_TL];
    out[1] = corner[QUAD_TR];
    out[2] = corner[QUAD_BL];
    out[3] = corner[QUAD_BR];
    out[4] = corner[QUAD_BL];
    out[5] = corner[QUAD_TR];
}

bool GraphInsideArea(int x1, int y1, int x2, int y2, const DRAWAREA &area) {
    return x1 >= area.left && y1 >= area.top && x2 <= area.right && y2 <= area.bottom;
}

void PlaceQuadPart(const QUADPART &part, int x, int y, bool inside, const DRAWAREA &area, SCREENVERTEX out[4]) {
    const float ox = static_cast<float>(x) - 0.5f, oy = static_cast<float>(y) - 0.5f;
    for (int i = 0; i < 4; ++i) {
        const QUADCORNER &c = part.corner[i];
        out[i] = SCREENVERTEX{ox + c.x, oy + c.y, c.u, c.v};
        if (!inside) ClampCorner(out[i], area, 1.0f / part.textureWidth, 1.0f / part.textureHeight);
    }
}

void PlaceStretchedPart(const QUADPART &part, int x1, int y1, int x2, int y2, int w, int h, bool inside,
                        const DRAWAREA &area, SCREENVERTEX out[4]) {
    const float sx = static_cast<float>(x2 - x1) / static_cast<float>(w);
    const float sy = static_cast<float>(y2 - y1) / static_cast<float>(h);
    const float ox = static_cast<float>(x1) - 0.5f, oy = static_cast<float>(y1) - 0.5f;
    for (int i = 0; i < 4; ++i) {
        const QUADCORNER &c = part.corner[i];
        out[i] = SCREENVERTEX{ox + c.x * sx, oy + c.y * sy, c.u, c.v};
        if (!inside) ClampCorner(out[i], area, 1.0f / (sx * part.textureWidth), 1.0f / (sy * part.textureHeight));
    }
}

bool IsNearAxisAngle(double angle) {
    // Reduced first, so that every whole number of turns tests alike.
    double a = std::fmod(angle, kTwoPi);
    if (a < 0) a += kTwoPi;
    for (double centre : kAxisCentres) {
        if (a > centre - kAxisWindow && a < centre + kAxisWindow) return true;
    }
    return false;
}

bool IsQuarterTurnAngle(double angle) {
    double a = std::fmod(angle, kTwoPi);
    if (a < 0) a += kTwoPi;
    return std::fabs(a - kAxisCentres[1]) < kAxisWindow || std::fabs(a - kAxisCentres[3]) < kAxisWindow;
}

bool SetupRotatedDraw(float x, float y, double scale, double angle, bool turn, int w, int h, int parts,
                      ROTATEDDRAW *d) {
    if (static_cast<float>(scale) == 0.0f) return false;
    *d = ROTATEDDRAW{};
    d->width = w;
    d->height = h;
    if (angle == 0.0) {
        d->sine = 0.0f;
        d->cosine = 1.0f;
    } else {
        d->sine = static_cast<float>(std::sin(angle));
        d->cosine = static_cast<float>(std::cos(angle));
    }
    const float fx = std::fabs(x - std::trunc(x)), fy = std::fabs(y - std::trunc(y));
    d->fractional = fx >= 0.00001f || fy >= 0.00001f;
    const bool wEven = w % 2 == 0, hEven = h % 2 == 0;
    const float halfW = static_cast<float>(w) * 0.5f, halfH = static_cast<float>(h) * 0.5f;
    if (d->fractional) {
        d->cx = halfW;
        d->cy = halfH;
        d->px = x;
        d->py = y;
    } else if (static_cast<float>(scale) == 1.0f) {
        if (wEven && hEven) {
            d->cx = static_cast<float>(w / 2);
            d->cy = static_cast<float>(h / 2);
            d->px = x - 0.5f;
            d->py = y - 0.5f;
        } else {
            // One even side keeps its edges on pixel boundaries by moving its centre.
            d->cx = halfW - (wEven ? 0.5f : 0.0f);
            d->cy = halfH - (hEven ? 0.5f : 0.0f);
            d->px = x;
            d->py = y;
        }
    } else {
        d->cx = halfW;
        d->cy = halfH;
        d->px = x - 0.5f;
        d->py = y - 0.5f;
    }
    d->nearAxis = !d->fractional && angle != 0.0 && !(wEven && hEven) && IsNearAxisAngle(angle);
    d->scaleX = static_cast<float>(turn ? -scale : scale);
    d->scaleY = static_cast<float>(scale);
    d->singlePartRule =
        parts == 1 && !d->fractional && (static_cast<float>(scale) != 1.0f || (!wEven && !hEven));
    d->quarterTurn = IsQuarterTurnAngle(angle);
    return true;
}

void PlaceRotatedPart(const QUADPART &part, const ROTATEDDRAW &d, SCREENVERTEX out[6]) {
    SCREENVERTEX c[4];
    for (int i = 0; i < 4; ++i) {
        const QUADCORNER &q = part.corner[i];
        const float dx = (q.x - d.cx) * d.scaleX, dy = (q.y - d.cy) * d.scaleY;
        c[i] = SCREENVERTEX{d.px + d.cosine * dx - d.sine * dy, d.py + d.sine * dx + d.cosine * dy, q.u, q.v};
    }
    QuadToTriangles(c, out);

    bool testX, testY;
    if (d.fractional) {
        testX = testY = true;
    } else {
        // Near a quarter or three-quarter turn the graph's height runs along x.
        const bool sideways = d.quarterTurn;
        testX = d.nearAxis && (sideways ? d.height : d.width) % 2 != 0;
        testY = d.nearAxis && (sideways ? d.width : d.height) % 2 != 0;
    }
    // The first vertex shares a coordinate with the third or the second: that edge is
    // axis-parallel. Only an edge on a whole number moves: there it would run through
    // pixel centres, while an edge already on a half pixel is where it belongs.
    const bool snapX = testX && (Near(out[0].x, out[2].x) || Near(out[0].x, out[1].x)) && OnWholeNumber(out[0].x);
    const bool snapY = testY && (Near(out[0].y, out[2].y) || Near(out[0].y, out[1].y)) && OnWholeNumber(out[0].y);
    for (int i = 0; i < 6; ++i) {
        if (snapX) out[i].x -= 0.5f;
        if (snapY) out[i].y -= 0.5f;
    }
}

void RotatedDrawBounds(float x, float y, double scale, double angle, int w, int h, int *x1, int *y1, int *x2,
                       int *y2) {
    const double a = -w / 2, b = -h / 2;
    const double gx[4] = {a, w + a, a, w + a}, gy[4] = {b, b, h + b, h + b};
    const double s = std::sin(angle), c = std::cos(angle);
    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    for (int i = 0; i < 4; ++i) {
        const double sx = x + (c * gx[i] - s * gy[i]) * scale, sy = y + (s * gx[i] + c * gy[i]) * scale;
        minX = std::min(minX, sx);
        maxX = std::max(maxX, sx);
        minY = std::min(minY, sy);
        maxY = std::max(maxY, sy);
    }
    *x1 = static_cast<int>(minX - 5);
    *y1 = static_cast<int>(minY - 5);
    *x2 = static_cast<int>(maxX + 5);
    *y2 = static_cast<int>(maxY + 5);
}

void MapBilinear(const FREECORNERS &c, float gx, float gy, int w, int h, float *sx, float *sy) {
    const float s = gx / static_cast<float>(w), t = gy / static_cast<float>(h);
    // TL 0, TR 1, BR 2, BL 3.
    const float lx = c.x[0] + t * (c.x[3] - c.x[0]), ly = c.y[0] + t * (c.y[3] - c.y[0]);
    const float rx = c.x[1] + t * (c.x[2] - c.x[1]), ry = c.y[1] + t * (c.y[2] - c.y[1]);
    *sx = lx + s * (rx - lx);
    *sy = ly + s * (ry - ly);
}

bool CornersFormParallelogram(const float x[4], const float y[4]) {
    const float topX = x[QUAD_TR] - x[QUAD_TL], topY = y[QUAD_TR] - y[QUAD_TL];
    const float bottomX = x[QUAD_BR] - x[QUAD_BL], bottomY = y[QUAD_BR] - y[QUAD_BL];
    const float leftX = x[QUAD_BL] - x[QUAD_TL], leftY = y[QUAD_BL] - y[QUAD_TL];
    const float rightX = x[QUAD_BR] - x[QUAD_TR], rightY = y[QUAD_BR] - y[QUAD_TR];
    return std::fabs(topX - bottomX) < 1.0f && std::fabs(topY - bottomY) < 1.0f &&
           std::fabs(leftX - rightX) < 1.0f && std::fabs(leftY - rightY) < 1.0f;
}

void BuildCornerGrid(const float x[4], const float y[4], const QUADPART &part,
                     SCREENVERTEX out[kCornerGridSide * kCornerGridSide]) {
    const QUADCORNER *q = part.corner;
    for (int row = 0; row < kCornerGridSide; ++row) {
        const float t = static_cast<float>(row) / (kCornerGridSide - 1);
        for (int col = 0; col < kCornerGridSide; ++col) {
            const float s = static_cast<float>(col) / (kCornerGridSide - 1);
            auto lerp2 = [s, t](float tl, float tr, float bl, float br) {
                const float l = tl + t * (bl - tl), r = tr + t * (br - tr);
                return l + s * (r - l);
            };
            out[row * kCornerGridSide + col] = SCREENVERTEX{
                lerp2(x[QUAD_TL], x[QUAD_TR], x[QUAD_BL], x[QUAD_BR]),
                lerp2(y[QUAD_TL], y[QUAD_TR], y[QUAD_BL], y[QUAD_BR]),
                lerp2(q[QUAD_TL].u, q[QUAD_TR].u, q[QUAD_BL].u, q[QUAD_BR].u),
                lerp2(q[QUAD_TL].v, q[QUAD_TR].v, q[QUAD_BL].v, q[QUAD_BR].v)};
        }
    }
}

void MapCornerAffine(const FREECORNERS &c, float gx, float gy, int w, int h, bool onUpperTriangle, float *sx,
                     float *sy) {
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    // TL 0, TR 1, BR 2, BL 3.
    if (onUpperTriangle) {
        *sx = c.x[0] + gx * (c.x[1] - c.x[0]) / fw + gy * (c.x[3] - c.x[0]) / fh;
        *sy = c.y[0] + gx * (c.y[1] - c.y[0]) / fw + gy * (c.y[3] - c.y[0]) / fh;
    } else {
        *sx = c.x[2] + (gx - fw) * (c.x[3] - c.x[2]) / -fw + (gy - fh) * (c.x[1] - c.x[2]) / -fh;
        *sy = c.y[2] + (gx - fw) * (c.y[3] - c.y[2]) / -fw + (gy - fh) * (c.y[1] - c.y[2]) / -fh;
    }
    *sx -= 0.5f;
    *sy -= 0.5f;
}

bool CornersAxisAligned(const int x[4], const int y[4]) {
    return x[0] == x[3] && x[1] == x[2] && y[0] == y[1] && y[3] == y[2];
}

void PartDrawPlacement(int x, int y, int sx, int sy, int w, int, int graphWidth, bool turn, int *drawX,
                       int *drawY) {
    *drawX = turn ? x + sx + w - graphWidth : x - sx;
    *drawY = y - sy;
}

void PartStretchedPlacement(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh, int graphWidth,
                            int graphHeight, int *outX1, int *outY1, int *outX2, int *outY2) {
    const int minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const int minY = std::min(y1, y2), maxY = std::max(y1, y2);
    // Real division: a destination smaller than the source must still scale.
    const double kx = static_cast<double>(maxX - minX) / sw, ky = static_cast<double>(maxY - minY) / sh;
    if (x2 >= x1) {
        *outX1 = minX - static_cast<int>(kx * sx);
        *outX2 = minX + static_cast<int>(kx * (graphWidth - sx));
    } else {
        *outX1 = maxX + static_cast<int>(kx * sx);
        *outX2 = maxX - static_cast<int>(kx * (graphWidth - sx));
    }
    if (y2 >= y1) {
        *outY1 = minY - static_cast<int>(ky * sy);
        *outY2 = minY + static_cast<int>(ky * (graphHeight - sy));
    } else {
        *outY1 = maxY + static_cast<int>(ky * sy);
        *outY2 = maxY - static_cast<int>(ky * (graphHeight - sy));
    }
}

DRAWAREA IntersectDrawArea(const DRAWAREA &area, int x1, int y1, int x2, int y2) {
    DRAWAREA r{};
    r.left = std::max(area.left, x1);
    r.top = std::max(area.top, y1);
    r.right = std::min(area.right, x2);
    r.bottom = std::min(area.bottom, y2);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    r.fleft = static_cast<float>(r.left);
    r.ftop = static_cast<float>(r.top);
    r.fright = static_cast<float>(r.right);
    r.fbottom = static_cast<float>(r.bottom);
    return r;
}
