// Pixel formats: sizes, ARGB8888 conversion and DXT block decoding. Narrow fields
// widen by bit replication and narrow with rounding to nearest.
#include "platform/d3d9/internal.h"

namespace d3d9 {

namespace {

inline uint32_t Widen(uint32_t v, int bits) {
    switch (bits) {
    case 1: return v ? 255u : 0u;
    case 2: return v * 85u;
    case 3: return (v << 5) | (v << 2) | (v >> 1);
    case 4: return v * 17u;
    case 5: return (v << 3) | (v >> 2);
    case 6: return (v << 2) | (v >> 4);
    case 10: return v >> 2;
    default: return v;
    }
}

inline uint32_t Narrow(uint32_t v, int bits) {
    uint32_t max = (1u << bits) - 1;
    return (v * max + 127) / 255;
}

inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

inline uint16_t Load16(const uint8_t *p) { return (uint16_t)(p[0] | (p[1] << 8)); }
inline uint32_t Load32(const uint8_t *p) { return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24); }
inline void Store16(uint8_t *p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
inline void Store32(uint8_t *p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

// A 16-bit colour of a DXT block as 8-bit channels.
void Colour565(uint16_t c, int out[3]) {
    out[0] = (int)Widen((c >> 11) & 31, 5);
    out[1] = (int)Widen((c >> 5) & 63, 6);
    out[2] = (int)Widen(c & 31, 5);
}

}  // namespace

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

bool GetFormatInfo(D3DFORMAT format, FormatInfo *info) {
    FormatInfo f{0, 0, false, false};
    switch (format) {
    case D3DFMT_A8R8G8B8: case D3DFMT_A8B8G8R8: case D3DFMT_A2R10G10B10: case D3DFMT_A2B10G10R10:
        f.bytes = 4; f.alpha = true; break;
    case D3DFMT_X8R8G8B8: case D3DFMT_X8B8G8R8:
        f.bytes = 4; break;
    case D3DFMT_R8G8B8:
        f.bytes = 3; break;
    case D3DFMT_R5G6B5: case D3DFMT_X1R5G5B5: case D3DFMT_X4R4G4B4:
        f.bytes = 2; break;
    case D3DFMT_A1R5G5B5: case D3DFMT_A4R4G4B4: case D3DFMT_A8R3G3B2:
        f.bytes = 2; f.alpha = true; break;
    case D3DFMT_R3G3B2:
        f.bytes = 1; break;
    case D3DFMT_A8:
        f.bytes = 1; f.alpha = true; break;
    case D3DFMT_DXT1:
        f.blockBytes = 8; f.alpha = true; break;
    case D3DFMT_DXT2: case D3DFMT_DXT3: case D3DFMT_DXT4: case D3DFMT_DXT5:
        f.blockBytes = 16; f.alpha = true; break;
    case D3DFMT_D16: case D3DFMT_D16_LOCKABLE: case D3DFMT_D24X8: case D3DFMT_D24S8: case D3DFMT_D32:
    case D3DFMT_D15S1:
        f.bytes = 4; f.depth = true; break;
    default:
        return false;
    }
    if (info) *info = f;
    return true;
}

uint32_t DecodePixel(D3DFORMAT format, const uint8_t *p) {
    switch (format) {
    case D3DFMT_A8R8G8B8: return Load32(p);
    case D3DFMT_X8R8G8B8: return Load32(p) | 0xFF000000u;
    case D3DFMT_A8B8G8R8: {
        uint32_t v = Load32(p);
        return (v & 0xFF00FF00u) | ((v >> 16) & 0xFF) | ((v & 0xFF) << 16);
    }
    case D3DFMT_X8B8G8R8: {
        uint32_t v = Load32(p);
        return 0xFF000000u | (v & 0x0000FF00u) | ((v >> 16) & 0xFF) | ((v & 0xFF) << 16);
    }
    case D3DFMT_A2R10G10B10: {
        uint32_t v = Load32(p);
        return Pack(Widen(v >> 30, 2), Widen((v >> 20) & 1023, 10), Widen((v >> 10) & 1023, 10), Widen(v & 1023, 10));
    }
    case D3DFMT_A2B10G10R10: {
        uint32_t v = Load32(p);
        return Pack(Widen(v >> 30, 2), Widen(v & 1023, 10), Widen((v >> 10) & 1023, 10), Widen((v >> 20) & 1023, 10));
    }
    case D3DFMT_R8G8B8: return Pack(255, p[2], p[1], p[0]);
    case D3DFMT_R5G6B5: {
        uint32_t v = Load16(p);
        return Pack(255, Widen(v >> 11, 5), Widen((v >> 5) & 63, 6), Widen(v & 31, 5));
    }
    case D3DFMT_X1R5G5B5: case D3DFMT_A1R5G5B5: {
        uint32_t v = Load16(p);
        uint32_t a = format == D3DFMT_A1R5G5B5 ? Widen(v >> 15, 1) : 255u;
        return Pack(a, Widen((v >> 10) & 31, 5), Widen((v >> 5) & 31, 5), Widen(v & 31, 5));
    }
    case D3DFMT_A4R4G4B4: case D3DFMT_X4R4G4B4: {
        uint32_t v = Load16(p);
        uint32_t a = format == D3DFMT_A4R4G4B4 ? Widen(v >> 12, 4) : 255u;
        return Pack(a, Widen((v >> 8) & 15, 4), Widen((v >> 4) & 15, 4), Widen(v & 15, 4));
    }
    case D3DFMT_A8R3G3B2: {
        uint32_t v = Load16(p);
        return Pack(v >> 8, Widen((v >> 5) & 7, 3), Widen((v >> 2) & 7, 3), Widen(v & 3, 2));
    }
    case D3DFMT_R3G3B2: {
        uint32_t v = p[0];
        return Pack(255, Widen((v >> 5) & 7, 3), Widen((v >> 2) & 7, 3), Widen(v & 3, 2));
    }
    case D3DFMT_A8: return (uint32_t)p[0] << 24;
    default: return 0;
    }
}

void EncodePixel(D3DFORMAT format, uint8_t *p, uint32_t argb) {
    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format) {
    case D3DFMT_A8R8G8B8: Store32(p, argb); break;
    case D3DFMT_X8R8G8B8: Store32(p, argb | 0xFF000000u); break;
    case D3DFMT_A8B8G8R8: Store32(p, (a << 24) | (b << 16) | (g << 8) | r); break;
    case D3DFMT_X8B8G8R8: Store32(p, 0xFF000000u | (b << 16) | (g << 8) | r); break;
    case D3DFMT_A2R10G10B10:
        Store32(p, (Narrow(a, 2) << 30) | (Narrow(r, 10) << 20) | (Narrow(g, 10) << 10) | Narrow(b, 10));
        break;
    case D3DFMT_A2B10G10R10:
        Store32(p, (Narrow(a, 2) << 30) | (Narrow(b, 10) << 20) | (Narrow(g, 10) << 10) | Narrow(r, 10));
        break;
    case D3DFMT_R8G8B8: p[0] = (uint8_t)b; p[1] = (uint8_t)g; p[2] = (uint8_t)r; break;
    case D3DFMT_R5G6B5: Store16(p, (Narrow(r, 5) << 11) | (Narrow(g, 6) << 5) | Narrow(b, 5)); break;
    case D3DFMT_X1R5G5B5: Store16(p, 0x8000u | (Narrow(r, 5) << 10) | (Narrow(g, 5) << 5) | Narrow(b, 5)); break;
    case D3DFMT_A1R5G5B5:
        Store16(p, (Narrow(a, 1) << 15) | (Narrow(r, 5) << 10) | (Narrow(g, 5) << 5) | Narrow(b, 5));
        break;
    case D3DFMT_A4R4G4B4:
        Store16(p, (Narrow(a, 4) << 12) | (Narrow(r, 4) << 8) | (Narrow(g, 4) << 4) | Narrow(b, 4));
        break;
    case D3DFMT_X4R4G4B4: Store16(p, 0xF000u | (Narrow(r, 4) << 8) | (Narrow(g, 4) << 4) | Narrow(b, 4)); break;
    case D3DFMT_A8R3G3B2: Store16(p, (a << 8) | (Narrow(r, 3) << 5) | (Narrow(g, 3) << 2) | Narrow(b, 2)); break;
    case D3DFMT_R3G3B2: p[0] = (uint8_t)((Narrow(r, 3) << 5) | (Narrow(g, 3) << 2) | Narrow(b, 2)); break;
    case D3DFMT_A8: p[0] = (uint8_t)a; break;
    default: break;
    }
}

void DecodeDxtBlock(D3DFORMAT format, const uint8_t *block, uint32_t out[16]) {
    const uint8_t *colourBlock = format == D3DFMT_DXT1 ? block : block + 8;
    uint16_t c0 = Load16(colourBlock), c1 = Load16(colourBlock + 2);
    int p[4][4];
    Colour565(c0, p[0]);
    Colour565(c1, p[1]);
    p[0][3] = p[1][3] = 255;
    bool fourColour = format != D3DFMT_DXT1 || c0 > c1;
    for (int k = 0; k < 3; ++k) {
        if (fourColour) {
            p[2][k] = (2 * p[0][k] + p[1][k]) / 3;
            p[3][k] = (p[0][k] + 2 * p[1][k]) / 3;
        } else {
            p[2][k] = (p[0][k] + p[1][k]) / 2;
            p[3][k] = 0;
        }
    }
    p[2][3] = 255;
    p[3][3] = fourColour ? 255 : 0;
    uint32_t indices = Load32(colourBlock + 4);
    for (int i = 0; i < 16; ++i) {
        const int *c = p[(indices >> (2 * i)) & 3];
        out[i] = Pack((uint32_t)c[3], (uint32_t)c[0], (uint32_t)c[1], (uint32_t)c[2]);
    }
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        for (int i = 0; i < 16; ++i) {
            uint32_t a = (block[i / 2] >> ((i & 1) * 4)) & 15;
            out[i] = (out[i] & 0x00FFFFFFu) | (a * 17u) << 24;
        }
    } else if (format == D3DFMT_DXT4 || format == D3DFMT_DXT5) {
        uint32_t a[8];
        a[0] = block[0];
        a[1] = block[1];
        if (a[0] > a[1]) {
            for (int i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
        } else {
            for (int i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
            a[6] = 0;
            a[7] = 255;
        }
        uint64_t bits = 0;
        for (int i = 0; i < 6; ++i) bits |= (uint64_t)block[2 + i] << (8 * i);
        for (int i = 0; i < 16; ++i) out[i] = (out[i] & 0x00FFFFFFu) | a[(bits >> (3 * i)) & 7] << 24;
    }
}

bool IsVideoFormat(D3DFORMAT format) {
    return format == D3DFMT_YV12 || format == D3DFMT_YUY2 || format == D3DFMT_UYVY;
}

bool Image::Allocate(D3DFORMAT fmt, int w, int h) {
    FormatInfo info;
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384) return false;
    if (IsVideoFormat(fmt)) return AllocateVideo(fmt, w, h);
    if (!GetFormatInfo(fmt, &info)) return false;
    format = fmt;
    width = w;
    height = h;
    bytes = info.bytes;
    blockBytes = info.blockBytes;
    depth = info.depth;
    int rows;
    if (blockBytes) {
        // Block rows, padded like pixel rows so that callers must honour the pitch.
        pitch = ((w + 3) / 4) * blockBytes + 32;
        rows = (h + 3) / 4;
    } else if (depth) {
        pitch = w * 4;
        rows = h;
    } else {
        pitch = ((w * bytes + 15) & ~15) + 32;
        rows = h;
    }
    bits.assign((size_t)pitch * rows, 0);
    depthFillPending = false;
    if (depth) {
        for (int y = 0; y < h; ++y) {
            float *row = DepthRow(y);
            for (int x = 0; x < w; ++x) row[x] = 1.0f;
        }
    }
    ++version;
    return true;
}

// Packed 4:2:2 (YUY2, UYVY): two bytes a pixel. YV12: one byte of luma a pixel, then the V and
// the U plane, each at half the pitch and half the rows.
bool Image::AllocateVideo(D3DFORMAT fmt, int w, int h) {
    format = fmt;
    width = w;
    height = h;
    blockBytes = 0;
    depth = false;
    bytes = fmt == D3DFMT_YV12 ? 1 : 2;
    pitch = ((w * bytes + 15) & ~15) + 32;
    const size_t chroma = fmt == D3DFMT_YV12 ? 2 * (size_t)(pitch / 2) * (size_t)((h + 1) / 2) : 0;
    bits.assign((size_t)pitch * h + chroma, 0);
    ++version;
    return true;
}

namespace {

uint8_t Clamp8(int v) { return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v); }

uint32_t VideoToArgb(int y, int u, int v) {
    const int c = 298 * (y - 16), d = u - 128, e = v - 128;
    return 0xFF000000u | (uint32_t)Clamp8((c + 409 * e + 128) >> 8) << 16 |
           (uint32_t)Clamp8((c - 100 * d - 208 * e + 128) >> 8) << 8 | Clamp8((c + 516 * d + 128) >> 8);
}

}  // namespace

uint32_t Image::ReadVideoArgb(int x, int y) const {
    if (format == D3DFMT_YV12) {
        const int chromaPitch = pitch / 2, chromaRows = (height + 1) / 2;
        const uint8_t *vPlane = bits.data() + (size_t)pitch * height;
        const uint8_t *uPlane = vPlane + (size_t)chromaPitch * chromaRows;
        const size_t at = (size_t)(y / 2) * chromaPitch + (size_t)(x / 2);
        return VideoToArgb(Row(y)[x], uPlane[at], vPlane[at]);
    }
    const uint8_t *pair = Row(y) + (size_t)(x & ~1) * 2;
    if (format == D3DFMT_YUY2) return VideoToArgb(pair[(x & 1) * 2], pair[1], pair[3]);
    return VideoToArgb(pair[1 + (x & 1) * 2], pair[0], pair[2]);
}

void Image::SettleDepth() const {
    if (!depthFillPending) return;
    depthFillPending = false;
    const RECT &r = depthFillRect;
    for (int y = r.top; y < r.bottom; ++y) {
        float *row = reinterpret_cast<float *>(const_cast<uint8_t *>(bits.data()) + (size_t)y * pitch);
        std::fill(row + r.left, row + r.right, depthFill);
    }
}

void Image::FillDepthLater(const RECT &r, float z) {
    // A pending clear inside the new one is overwritten by it; any other is done first.
    const RECT &p = depthFillRect;
    if (depthFillPending && !(r.left <= p.left && r.top <= p.top && r.right >= p.right && r.bottom >= p.bottom))
        SettleDepth();
    depthFillPending = true;
    depthFillRect = r;
    depthFill = z;
}

uint32_t Image::ReadArgb(int x, int y) const {
    if (IsVideoFormat(format)) return ReadVideoArgb(x, y);
    if (depth) {
        SettleDepth();
        float z = reinterpret_cast<const float *>(Row(y))[x];
        uint32_t v = (uint32_t)(z < 0 ? 0 : z > 1 ? 255 : (int)(z * 255.0f + 0.5f));
        return 0xFF000000u | v * 0x010101u;
    }
    if (blockBytes) {
        uint32_t block[16];
        DecodeDxtBlock(format, Row(y / 4) + (size_t)(x / 4) * blockBytes, block);
        return block[(y & 3) * 4 + (x & 3)];
    }
    return DecodePixel(format, Row(y) + (size_t)x * bytes);
}

void Image::WriteArgb(int x, int y, uint32_t argb) {
    if (!blockBytes && !depth) EncodePixel(format, Row(y) + (size_t)x * bytes, argb);
}

void Image::ToArgb(std::vector<uint32_t> &out) const {
    out.resize((size_t)width * height);
    if (blockBytes) {
        uint32_t block[16];
        for (int by = 0; by < (height + 3) / 4; ++by) {
            for (int bx = 0; bx < (width + 3) / 4; ++bx) {
                DecodeDxtBlock(format, Row(by) + (size_t)bx * blockBytes, block);
                for (int j = 0; j < 4; ++j) {
                    int y = by * 4 + j;
                    if (y >= height) break;
                    for (int i = 0; i < 4; ++i) {
                        int x = bx * 4 + i;
                        if (x < width) out[(size_t)y * width + x] = block[j * 4 + i];
                    }
                }
            }
        }
        return;
    }
    for (int y = 0; y < height; ++y) {
        uint32_t *dst = out.data() + (size_t)y * width;
        if (format == D3DFMT_A8R8G8B8) {
            memcpy(dst, Row(y), (size_t)width * 4);
        } else if (format == D3DFMT_X8R8G8B8) {
            memcpy(dst, Row(y), (size_t)width * 4);
            SetTopBytes(dst, (size_t)width);
        } else {
            for (int x = 0; x < width; ++x) dst[x] = ReadArgb(x, y);
        }
    }
}

}  // namespace d3d9
