// Image files built by the tests, byte by byte or with libpng and libjpeg.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/graphics/base_image.h"

typedef std::vector<uint8_t> Bytes;

void PutU16(Bytes &b, uint32_t v);
void PutU32(Bytes &b, uint32_t v);

// The test picture: a distinct colour at every pixel.
struct Rgba {
    uint8_t r, g, b, a;
};
Rgba PatternColour(int x, int y);
// The pattern as 24-bit rows (blue, green, red) of rowBytes each, bottom row first when bottomUp.
Bytes Bgr24Rows(int w, int h, int rowBytes, bool bottomUp);

// BMP with the given info header size (40, 108 or 124); pixel data as the file stores it.
Bytes MakeBmp(int width, int height, int bits, int compression, const std::vector<uint32_t> &palette,
              const std::vector<uint32_t> &masks, const Bytes &data, int infoSize = 40);
// A 24-bit bottom-up BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
template <class F>
Bytes Bmp24(int w, int h, F colour) {
    Bytes data;
    const int row = (w * 3 + 3) & ~3;
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            data.push_back((uint8_t)c);
            data.push_back((uint8_t)(c >> 8));
            data.push_back((uint8_t)(c >> 16));
        }
        for (int p = w * 3; p < row; ++p) data.push_back(0);
    }
    return MakeBmp(w, h, 24, 0, {}, {}, data);
}
// TGA; `data` as the file stores it, after the id field and the colour map.
Bytes MakeTga(int type, int width, int height, int depth, int descriptor, const Bytes &colourMap, int mapEntryBits,
              int mapLength, const Bytes &data, bool footer, int idLength = 0, int mapType = -1);
// DDS header followed by `data`.
Bytes MakeDds(int width, int height, uint32_t flags, uint32_t pitch, uint32_t mips, uint32_t pfFlags,
              uint32_t fourCC, uint32_t bits, const uint32_t masks[4], uint32_t caps, const Bytes &data);
uint32_t FourCCOf(const char *s);

// Every named fixture of every reader, for the damaged-variant corpus.
struct NamedFixture {
    std::string name;
    Bytes bytes;
};
std::vector<NamedFixture> AllImageFixtures();
// Files of a few hundred bytes whose headers name gigantic pictures: an RLE8 BMP of 32005 x 63747
// that ends at once, a PNG header of 65535 x 8192 RGBA, a JPEG of 65500 x 8000 without scan data,
// a TGA of 8192 x 8000 32-bit pixels without them, a DXT1 DDS of 65536 x 65536 without blocks.
std::vector<NamedFixture> HugeHeaderFixtures();

// Loads through the reader chain from memory.
int LoadFromMemory(const Bytes &file, BASEIMAGE *out);
