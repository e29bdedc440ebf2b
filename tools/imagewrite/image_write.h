// PNG and JPEG files written into memory with libpng and libjpeg: fixtures for the tests, input
// for the benchmarks, and the output of imgconv.
#pragma once

#include <cstdint>
#include <vector>

struct PngSpec {
    int width = 0, height = 0;
    int colourType = 2;  // libpng colour type: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> palette;  // red, green, blue triples
    std::vector<uint8_t> trns;     // palette alphas, or the 16-bit grey / RGB key as big-endian bytes
    // Rows packed as PNG stores them (16-bit samples big-endian), top to bottom.
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> EncodePng(const PngSpec &spec);

// components 1 (grey) or 3 (RGB, red first); rows packed top to bottom.
std::vector<uint8_t> EncodeJpeg(int width, int height, int components, const uint8_t *pixels, int quality);
