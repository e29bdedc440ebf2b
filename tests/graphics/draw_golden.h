// Golden screens for the graph draws, computed from the picture alone: every pixel centre
// is mapped back into the graph and takes the texel it lands on (nearest), or keeps the
// background where it lands outside or on a key-coloured texel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The picture drawn: 0x00RRGGBB per pixel, top row first.
struct GoldenPicture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t key = 0x7BFA03;  // (123, 250, 3)
    uint32_t At(int x, int y) const { return pixels[y * width + x]; }
};
// A picture with a distinct colour at every pixel and the key colour in a scatter of spots.
GoldenPicture MakeKeyedPicture(int width, int height);

// Screen point (pixel centre) -> graph point; false where the draw does not cover it.
typedef std::function<bool(double sx, double sy, double *gx, double *gy)> InverseMap;

struct GoldenScreen {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    // Pixels whose centre maps within `margin` of a texel boundary: either answer is right.
    std::vector<uint8_t> ambiguous;
};
// The area (x1, y1)-(x2, y2) limits what is drawn (the clip rectangle).
GoldenScreen MakeGoldenScreen(int width, int height, uint32_t background, const GoldenPicture &pic,
                              const InverseMap &inverse, double margin, int x1 = 0, int y1 = 0, int x2 = 1 << 30,
                              int y2 = 1 << 30);

// Inverse maps of the draws, in the device's conventions (pixel centres at integers, quads
// at -0.5).
InverseMap InverseOfStretch(double x1, double y1, double x2, double y2, int w, int h);
InverseMap InverseOfRotation(double px, double py, double cx, double cy, double scaleX, double scaleY,
                             double angle, int w, int h);

// Pixels (0x00RRGGBB) that differ where the golden screen is not ambiguous; a short
// description of the first few in `report`.
int CountMismatches(const GoldenScreen &golden, const std::vector<uint32_t> &actual, std::string *report);
