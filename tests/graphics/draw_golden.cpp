#include "tests/graphics/draw_golden.h"

#include <cmath>
#include <cstdio>

GoldenPicture MakeKeyedPicture(int width, int height) {
    GoldenPicture p;
    p.width = width;
    p.height = height;
    p.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t c = (static_cast<uint32_t>(x * 37 + 11) & 0xFF) << 16 | (static_cast<uint32_t>(y * 53 + 7) & 0xFF) << 8 |
                         (static_cast<uint32_t>(x * 5 + y * 9 + 40) & 0xFF);
            if (c == p.key) c ^= 1;
            if ((x * 7 + y * 3) % 11 == 0) c = p.key;
            p.pixels[y * width + x] = c;
        }
    }
    return p;
}

GoldenScreen MakeGoldenScreen(int width, int height, uint32_t background, const GoldenPicture &pic,
                              const InverseMap &inverse, double margin, int x1, int y1, int x2, int y2) {
    GoldenScreen g;
    g.width = width;
    g.height = height;
    g.pixels.assign(static_cast<size_t>(width) * height, background);
    g.ambiguous.assign(g.pixels.size(), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x < x1 || x >= x2 || y < y1 || y >= y2) continue;
            double gx, gy;
            if (!inverse(x, y, &gx, &gy)) continue;
            auto nearBoundary = [margin](double v) { return std::fabs(v - std::round(v)) < margin; };
            const bool edge = nearBoundary(gx) || nearBoundary(gy);
            if (gx < 0 || gy < 0 || gx >= pic.width || gy >= pic.height) {
                if (edge && gx > -1 && gy > -1 && gx < pic.width + 1 && gy < pic.height + 1) g.ambiguous[y * width + x] = 1;
                continue;
            }
            const uint32_t c = pic.At(static_cast<int>(gx), static_cast<int>(gy));
            if (c != pic.key) g.pixels[y * width + x] = c;
            if (edge) g.ambiguous[y * width + x] = 1;
        }
    }
    return g;
}

InverseMap InverseOfStretch(double x1, double y1, double x2, double y2, int w, int h) {
    return [=](double sx, double sy, double *gx, double *gy) {
        const double ex1 = x1 - 0.5, ey1 = y1 - 0.5, ex2 = x2 - 0.5, ey2 = y2 - 0.5;
        // Left and top edges belong to the quad, right and bottom ones do not.
        if (sx < std::min(ex1, ex2) || sx >= std::max(ex1, ex2)) return false;
        if (sy < std::min(ey1, ey2) || sy >= std::max(ey1, ey2)) return false;
        *gx = (sx - ex1) / (ex2 - ex1) * w;
        *gy = (sy - ey1) / (ey2 - ey1) * h;
        return true;
    };
}

InverseMap InverseOfRotation(double px, double py, double cx, double cy, double scaleX, double scaleY,
                             double angle, int w, int h) {
    const double s = std::sin(angle), c = std::cos(angle);
    return [=](double sx, double sy, double *gx, double *gy) {
        const double dx = sx - px, dy = sy - py;
        *gx = cx + (c * dx + s * dy) / scaleX;
        *gy = cy + (-s * dx + c * dy) / scaleY;
        return *gx >= -1 && *gy >= -1 && *gx < w + 1 && *gy < h + 1;
    };
}

int CountMismatches(const GoldenScreen &golden, const std::vector<uint32_t> &actual, std::string *report) {
    int n = 0;
    for (int y = 0; y < golden.height; ++y) {
        for (int x = 0; x < golden.width; ++x) {
            const size_t i = static_cast<size_t>(y) * golden.width + x;
            if (golden.ambiguous[i]) continue;
            const uint32_t a = actual[i] & 0xFFFFFF;
            if (a == golden.pixels[i]) continue;
            if (++n <= 8 && report) {
                char line[96];
                std::snprintf(line, sizeof line, "(%d,%d) got %06X want %06X\n", x, y, a, golden.pixels[i]);
                *report += line;
            }
        }
    }
    return n;
}
