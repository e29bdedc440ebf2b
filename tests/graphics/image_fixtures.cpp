#include "graphics/image_fixtures.h"

#include <cstring>

#include "library/graphics/image_load.h"
#include "tools/imagewrite/image_write.h"

#include <zlib.h>

void PutU16(Bytes &b, uint32_t v) {
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}

void PutU32(Bytes &b, uint32_t v) {
    PutU16(b, v & 0xFFFF);
    PutU16(b, v >> 16);
}

Rgba PatternColour(int x, int y) {
    return {(uint8_t)(x * 40 + 10), (uint8_t)(y * 70 + 5), (uint8_t)(x * 16 + y * 32 + 3), (uint8_t)(255 - x * 20 - y)};
}

Bytes MakeBmp(int width, int height, int bits, int compression, const std::vector<uint32_t> &palette,
              const std::vector<uint32_t> &masks, const Bytes &data, int infoSize) {
    size_t maskBytes = (infoSize == 40 && compression == 3) ? 12 : 0;
    uint32_t off = (uint32_t)(14 + infoSize + maskBytes + palette.size() * 4);
    Bytes b = {'B', 'M'};
    PutU32(b, off + (uint32_t)data.size());
    PutU32(b, 0);
    PutU32(b, off);
    PutU32(b, (uint32_t)infoSize);
    PutU32(b, (uint32_t)width);
    PutU32(b, (uint32_t)height);
    PutU16(b, 1);
    PutU16(b, (uint32_t)bits);
    PutU32(b, (uint32_t)compression);
    PutU32(b, (uint32_t)data.size());
    PutU32(b, 2835);
    PutU32(b, 2835);
    PutU32(b, (uint32_t)palette.size());
    PutU32(b, 0);
    // Masks live at the same place in every header of 40 bytes or more.
    for (int i = 0; i < 3; ++i) {
        if (maskBytes || infoSize > 40) PutU32(b, i < (int)masks.size() ? masks[(size_t)i] : 0);
    }
    while (b.size() < (size_t)(14 + infoSize + maskBytes)) b.push_back(0);
    for (uint32_t p : palette) PutU32(b, p);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes MakeTga(int type, int width, int height, int depth, int descriptor, const Bytes &colourMap, int mapEntryBits,
              int mapLength, const Bytes &data, bool footer, int idLength, int mapType) {
    Bytes b;
    b.push_back((uint8_t)idLength);
    b.push_back((uint8_t)(mapType >= 0 ? mapType : (colourMap.empty() ? 0 : 1)));
    b.push_back((uint8_t)type);
    PutU16(b, 0);
    PutU16(b, (uint32_t)mapLength);
    b.push_back((uint8_t)mapEntryBits);
    PutU16(b, 0);
    PutU16(b, 0);
    PutU16(b, (uint32_t)width);
    PutU16(b, (uint32_t)height);
    b.push_back((uint8_t)depth);
    b.push_back((uint8_t)descriptor);
    for (int i = 0; i < idLength; ++i) b.push_back((uint8_t)('a' + i));
    b.insert(b.end(), colourMap.begin(), colourMap.end());
    b.insert(b.end(), data.begin(), data.end());
    if (footer) {
        PutU32(b, 0);
        PutU32(b, 0);
        const char *sig = "TRUEVISION-XFILE.";
        b.insert(b.end(), sig, sig + 17);
        b.push_back(0);
    }
    return b;
}

uint32_t FourCCOf(const char *s) {
    return (uint32_t)(uint8_t)s[0] | (uint32_t)(uint8_t)s[1] << 8 | (uint32_t)(uint8_t)s[2] << 16 |
           (uint32_t)(uint8_t)s[3] << 24;
}

Bytes MakeDds(int width, int height, uint32_t flags, uint32_t pitch, uint32_t mips, uint32_t pfFlags,
              uint32_t fourCC, uint32_t bits, const uint32_t masks[4], uint32_t caps, const Bytes &data) {
    Bytes b = {'D', 'D', 'S', ' '};
    PutU32(b, 124);
    PutU32(b, flags);
    PutU32(b, (uint32_t)height);
    PutU32(b, (uint32_t)width);
    PutU32(b, pitch);
    PutU32(b, 0);
    PutU32(b, mips);
    for (int i = 0; i < 11; ++i) PutU32(b, 0);
    PutU32(b, 32);
    PutU32(b, pfFlags);
    PutU32(b, fourCC);
    PutU32(b, bits);
    for (int i = 0; i < 4; ++i) PutU32(b, masks ? masks[i] : 0);
    PutU32(b, caps);
    for (int i = 0; i < 4; ++i) PutU32(b, 0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

int LoadFromMemory(const Bytes &file, BASEIMAGE *out) {
    return LoadImageToBaseImage(nullptr, file.data(), (int)file.size(), 1, out, 0);
}

Bytes Bgr24Rows(int w, int h, int rowBytes, bool bottomUp) {
    Bytes d((size_t)rowBytes * h, 0);
    for (int r = 0; r < h; ++r) {
        int y = bottomUp ? h - 1 - r : r;
        for (int x = 0; x < w; ++x) {
            Rgba c = PatternColour(x, y);
            uint8_t *p = &d[(size_t)r * rowBytes + (size_t)x * 3];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return d;
}

std::vector<NamedFixture> AllImageFixtures() {
    std::vector<NamedFixture> all;
    const int w = 5, h = 3;
    all.push_back({"bmp24", MakeBmp(w, h, 24, 0, {}, {}, Bgr24Rows(w, h, 16, true))});
    {
        std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
        Bytes d8(8 * h, 0), d4(4 * h, 0x12), d1(4 * h, 0xA5);
        for (int i = 0; i < 8 * h; ++i) d8[(size_t)i] = (uint8_t)(i % 4);
        all.push_back({"bmp8", MakeBmp(w, h, 8, 0, pal, {}, d8)});
        all.push_back({"bmp4", MakeBmp(w, h, 4, 0, pal, {}, d4)});
        all.push_back({"bmp1", MakeBmp(w, h, 1, 0, {0x102030, 0xF0E0D0}, {}, d1)});
        Bytes rle8 = {3, 1, 0, 2, 1, 1, 1, 2, 0, 0, 0, 3, 2, 3, 1, 0, 0, 1};
        all.push_back({"bmprle8", MakeBmp(w, h, 8, 1, pal, {}, rle8)});
        Bytes rle4 = {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 0, 0, 2, 1, 0, 2, 0x33, 0, 1};
        all.push_back({"bmprle4", MakeBmp(w, h, 4, 2, pal, {}, rle4)});
    }
    {
        Bytes d16(12 * h, 0x5A), d32(20 * h, 0x3C);
        all.push_back({"bmp16", MakeBmp(w, h, 16, 0, {}, {}, d16)});
        all.push_back({"bmp565", MakeBmp(w, h, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, d16)});
        all.push_back({"bmp32", MakeBmp(w, -h, 32, 0, {}, {}, d32)});
        all.push_back({"bmpv5", MakeBmp(w, h, 32, 3, {}, {0xFF0000, 0xFF00, 0xFF}, d32, 124)});
    }
    {
        Bytes px((size_t)w * h * 3);
        for (size_t i = 0; i < px.size(); ++i) px[i] = (uint8_t)(i * 7);
        all.push_back({"tga24", MakeTga(2, w, h, 24, 0x20, {}, 0, 0, px, true)});
        Bytes rle = {0x82, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9, 0x8A, 10, 11, 12};
        all.push_back({"tgarle", MakeTga(10, w, h, 24, 0, {}, 0, 0, rle, false, 3)});
        Bytes map = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        Bytes idx((size_t)w * h, 1);
        all.push_back({"tgamap", MakeTga(1, w, h, 8, 0x10, map, 24, 3, idx, true)});
        Bytes rleIdx = {0x8E, 2};
        all.push_back({"tgamaprle", MakeTga(9, w, h, 8, 0x30, map, 24, 3, rleIdx, false)});
        Bytes px16((size_t)w * h * 2, 0x81);
        all.push_back({"tga16", MakeTga(2, w, h, 16, 0, {}, 0, 0, px16, false)});
    }
    {
        Bytes blocks(4 * 8);  // 6x6 DXT1: 2x2 blocks
        for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = (uint8_t)(i * 37 + 1);
        all.push_back({"dxt1", MakeDds(6, 6, 0x1007, 0, 0, 4, FourCCOf("DXT1"), 0, nullptr, 0x1000, blocks)});
        Bytes b16(16 * 2 + 16 + 16);  // 8x4 DXT5 with 3 levels: 2 + 1 + 1 blocks
        for (size_t i = 0; i < b16.size(); ++i) b16[i] = (uint8_t)(i * 53 + 7);
        all.push_back({"dxt5", MakeDds(8, 4, 0x21007, 0, 3, 4, FourCCOf("DXT5"), 0, nullptr, 0x401008, b16)});
        all.push_back({"dxt3", MakeDds(4, 4, 0x1007, 0, 0, 4, FourCCOf("DXT3"), 0, nullptr, 0x1000, Bytes(b16.begin(), b16.begin() + 16))});
        uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
        all.push_back({"ddsargb", MakeDds(3, 2, 0x100F, 12, 0, 0x41, 0, 32, masks, 0x1000, Bytes(24, 0x77))});
    }
    {
        Bytes b = {'B', 'G', 'R', 'A'};
        PutU32(b, 0x10101010);
        PutU32(b, 2);
        PutU32(b, 2);
        for (int i = 0; i < 16; ++i) PutU16(b, (uint32_t)(0x1234 + i * 0x1111));
        all.push_back({"bgra16", b});
    }
    {
        PngSpec s;
        s.width = w;
        s.height = h;
        s.colourType = 3;
        s.bitDepth = 4;
        s.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0};
        s.trns = {255, 128, 0};
        s.pixels.assign(3 * h, 0x12);
        all.push_back({"pngpalette", EncodePng(s)});
        PngSpec g;
        g.width = 9;
        g.height = 9;
        g.colourType = 2;
        g.bitDepth = 16;
        g.interlaced = true;
        g.pixels.resize((size_t)9 * 9 * 6);
        for (size_t i = 0; i < g.pixels.size(); ++i) g.pixels[i] = (uint8_t)(i * 13);
        all.push_back({"png16interlaced", EncodePng(g)});
    }
    {
        Bytes rgb((size_t)16 * 8 * 3);
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = (uint8_t)(i * 5);
        all.push_back({"jpeg", EncodeJpeg(16, 8, 3, rgb.data(), 90)});
    }
    return all;
}

namespace {

// A PNG chunk with its length and CRC.
void PutChunk(Bytes &b, const char *type, const Bytes &data) {
    for (int i = 3; i >= 0; --i) b.push_back((uint8_t)(data.size() >> (8 * i)));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    b.insert(b.end(), body.begin(), body.end());
    const uint32_t crc = (uint32_t)crc32(0, body.data(), (uInt)body.size());
    for (int i = 3; i >= 0; --i) b.push_back((uint8_t)(crc >> (8 * i)));
}

// A PNG whose header names width x height 8-bit RGBA and whose one data chunk holds a few
// deflated bytes.
Bytes PngHeaderOnly(uint32_t width, uint32_t height) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (uint32_t v : {width, height})
        for (int i = 3; i >= 0; --i) ihdr.push_back((uint8_t)(v >> (8 * i)));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    PutChunk(b, "IHDR", ihdr);
    Bytes raw(64, 0);
    Bytes packed(128);
    uLongf n = packed.size();
    compress(packed.data(), &n, raw.data(), raw.size());
    packed.resize(n);
    PutChunk(b, "IDAT", packed);
    PutChunk(b, "IEND", {});
    return b;
}

// A small JPEG whose frame header is made to say width x height, cut right after its scan
// header: no scan data at all.
Bytes JpegWithoutScan(uint16_t width, uint16_t height) {
    Bytes rgb(16 * 8 * 3, 0x80);
    Bytes b = EncodeJpeg(16, 8, 3, rgb.data(), 90);
    for (size_t i = 2; i + 9 < b.size(); ++i) {
        if (b[i] == 0xFF && b[i + 1] == 0xC0) {
            b[i + 5] = (uint8_t)(height >> 8);
            b[i + 6] = (uint8_t)height;
            b[i + 7] = (uint8_t)(width >> 8);
            b[i + 8] = (uint8_t)width;
        }
        if (b[i] == 0xFF && b[i + 1] == 0xDA) {
            b.resize(i + 2 + ((size_t)b[i + 2] << 8 | b[i + 3]));
            break;
        }
    }
    return b;
}

}  // namespace

std::vector<NamedFixture> HugeHeaderFixtures() {
    const uint32_t noMasks[4] = {0, 0, 0, 0};
    return {
        {"bmprle8huge", MakeBmp(32005, 63747, 8, 1, {0x000000}, {}, {0, 1})},
        {"pnghuge", PngHeaderOnly(65535, 8192)},
        {"jpeghuge", JpegWithoutScan(65500, 8000)},
        {"tgahuge", MakeTga(2, 8192, 8000, 32, 0x20, {}, 0, 0, {}, false)},
        {"ddshuge", MakeDds(65536, 65536, 0x1007, 0, 0, 0x4, FourCCOf("DXT1"), 0, noMasks, 0x1000, {})},
    };
}
