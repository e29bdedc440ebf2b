// DirectDraw surface files: DXT1..DXT5 blocks and plain pixels, with their mip levels.
#include <algorithm>
#include <cstring>

#include "library/graphics/image_decode_util.h"
#include "library/graphics/image_readers.h"

namespace {

enum : uint32_t {
    DDSD_PITCH = 0x8,
    DDSD_MIPMAPCOUNT = 0x20000,
    DDPF_ALPHAPIXELS = 0x1,
    DDPF_ALPHA = 0x2,
    DDPF_FOURCC = 0x4,
    DDPF_RGB = 0x40,
    DDPF_LUMINANCE = 0x20000,
    DDSCAPS_COMPLEX = 0x8,
    DDSCAPS_MIPMAP = 0x400000,
};

struct NumericFourCC {
    uint32_t value;
    int bits;
    uint32_t red, green, blue, alpha;
};

// FourCC values that are format numbers.
constexpr NumericFourCC kNumericFourCC[] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {23, 16, 0xF800, 0x07E0, 0x001F, 0},
    {24, 16, 0x7C00, 0x03E0, 0x001F, 0},
    {25, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {26, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
    {27, 8, 0xE0, 0x1C, 0x03, 0},
    {29, 16, 0xE0, 0x1C, 0x03, 0xFF00},
    {30, 16, 0x0F00, 0x00F0, 0x000F, 0},
    {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
};

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return (uint32_t)(uint8_t)a | (uint32_t)(uint8_t)b << 8 | (uint32_t)(uint8_t)c << 16 | (uint32_t)(uint8_t)d << 24;
}

// Pixels of masks the colour formats cannot hold as they are (eight-bit fields, luminance,
// alpha only), as 32-bit ARGB.
struct MaskedPixels {
    int bytes;  // per stored pixel, 1 to 4
    MaskField red, green, blue, alpha;
};

void ExpandMaskedRow(const MaskedPixels &m, const uint8_t *src, int64_t width, uint8_t *dst) {
    for (int64_t x = 0; x < width; ++x, src += m.bytes, dst += 4) {
        uint32_t v = 0;
        for (int i = 0; i < m.bytes; ++i) v |= (uint32_t)src[i] << (8 * i);
        dst[0] = MaskChannel(v, m.blue);
        dst[1] = MaskChannel(v, m.green);
        dst[2] = MaskChannel(v, m.red);
        dst[3] = m.alpha.width ? MaskChannel(v, m.alpha) : 0xFF;
    }
}

int LevelCount(int width, int height) {
    int side = width > height ? width : height, n = 1;
    while (side > 1) {
        side >>= 1;
        ++n;
    }
    return n;
}

}  // namespace

int DecodeDdsImage(const uint8_t *file, size_t size, BASEIMAGE *out) {
    std::memset(out, 0, sizeof(*out));
    if (size < 128 || file[0] != 'D' || file[1] != 'D' || file[2] != 'S') return -1;
    const uint8_t *h = file + 4;
    uint32_t flags = GetU32LE(h + 4);
    uint32_t height = GetU32LE(h + 8), width = GetU32LE(h + 12);
    uint32_t pitchField = GetU32LE(h + 16);
    uint32_t mipField = GetU32LE(h + 24);
    uint32_t pfFlags = GetU32LE(h + 76);
    uint32_t fourCC = GetU32LE(h + 80);
    uint32_t rgbBits = GetU32LE(h + 84);
    uint32_t masks[4] = {GetU32LE(h + 88), GetU32LE(h + 92), GetU32LE(h + 96), GetU32LE(h + 100)};
    uint32_t caps = GetU32LE(h + 104);
    if (!ImageSizeAllowed(width, height)) return -1;
    int w = (int)width, ht = (int)height;

    COLOURFORMAT format{};
    int code = 0;
    bool haveFormat = false;
    if (pfFlags == DDPF_FOURCC) {
        for (const NumericFourCC &e : kNumericFourCC) {
            if (e.value == fourCC) {
                MakeColourFormatFromMasks(&format, e.bits, e.red, e.green, e.blue, e.alpha);
                haveFormat = true;
            }
        }
    }
    if (pfFlags & DDPF_FOURCC) {
        const uint32_t dxt[5] = {FourCC('D', 'X', 'T', '1'), FourCC('D', 'X', 'T', '2'), FourCC('D', 'X', 'T', '3'),
                                 FourCC('D', 'X', 'T', '4'), FourCC('D', 'X', 'T', '5')};
        for (int i = 0; i < 5; ++i)
            if (fourCC == dxt[i]) code = i + 1;
        if (code == 0 && !haveFormat) return -1;
    } else {
        // The flags say which masks hold: colour (RGB) or one grey (LUMINANCE) field, and an
        // alpha field only with ALPHAPIXELS, or alone with ALPHA. Without any of them nothing
        // says what the bits are.
        const bool rgb = pfFlags & DDPF_RGB, grey = pfFlags & DDPF_LUMINANCE, alphaOnly = pfFlags & DDPF_ALPHA;
        if (!rgb && !grey && !alphaOnly) return -1;
        if (rgbBits != 8 && rgbBits != 16 && rgbBits != 24 && rgbBits != 32) return -1;
        const uint32_t alpha = (pfFlags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) ? masks[3] : 0;
        uint32_t red = masks[0], green = masks[1], blue = masks[2];
        if (grey) green = blue = red;
        if (!rgb && !grey) red = green = blue = 0;
        MakeColourFormatFromMasks(&format, (int)rgbBits, red, green, blue, alpha);
    }
    // Eight-bit pixels are read elsewhere as palette indices, and grey or alpha-only fields
    // have no colour format: such pixels are expanded to ARGB.
    const bool expand = code == 0 && (format.bitsPerPixel == 8 || (pfFlags & (DDPF_LUMINANCE | DDPF_ALPHA)));
    MaskedPixels masked{format.bytesPerPixel, FieldOf(format.redMask), FieldOf(format.greenMask),
                        FieldOf(format.blueMask), FieldOf(format.alphaMask)};

    int levels = 0;
    if ((flags & DDSD_MIPMAPCOUNT) && (caps & DDSCAPS_COMPLEX) && (caps & DDSCAPS_MIPMAP)) {
        if (mipField > (uint32_t)LevelCount(w, ht)) return -1;
        levels = (int)mipField;
    }

    // Every level's own size; level 0's row may be padded by the header's pitch.
    int64_t total = 0, pitch = 0;
    int bytes = format.bytesPerPixel;
    if (code == 0) {
        int64_t tight = (int64_t)w * bytes;
        pitch = (flags & DDSD_PITCH) ? (int64_t)pitchField : tight;
        if (pitch < tight || pitch > kMaxImageBlockBytes) return -1;
    }
    int count = levels > 1 ? levels : 1;
    for (int i = 0; i < count; ++i) {
        int64_t lw = w >> i, lh = ht >> i;
        if (lw < 1) lw = 1;
        if (lh < 1) lh = 1;
        int64_t level;
        if (code != 0)
            level = ImageBlockBytes((lw + 3) / 4, (lh + 3) / 4, code == 1 ? 8 : 16);
        else
            level = ImageBlockBytes(i == 0 ? pitch : lw * bytes, lh);
        if (level < 0) return -1;
        total += level;
        if (total > kMaxImageBlockBytes) return -1;
    }
    if ((int64_t)(size - 128) < total) return -1;

    if (code != 0) {
        MakeColourFormatARGB8(&format);
        format.bitsPerPixel = code == 1 ? 4 : 8;
        format.formatCode = code;
    }
    if (expand) {
        int64_t expanded = 0;
        for (int i = 0; i < count; ++i) expanded += (int64_t)std::max(1, w >> i) * std::max(1, ht >> i) * 4;
        if (expanded > kMaxImageBlockBytes) return -1;
        MakeColourFormatARGB8(&format);
        if (StartReaderImage(out, &format, w, 1, expanded, false) != 0) return -1;
        const uint8_t *src = file + 128;
        uint8_t *dst = out->pixels;
        for (int i = 0; i < count; ++i) {
            const int64_t lw = std::max(1, w >> i), lh = std::max(1, ht >> i);
            const int64_t srcRow = i == 0 ? pitch : lw * bytes;
            for (int64_t y = 0; y < lh; ++y, src += srcRow, dst += lw * 4) ExpandMaskedRow(masked, src, lw, dst);
        }
        out->height = ht;
        out->pitch = w * 4;
        out->mipCount = levels;
        return 0;
    }
    // One block of all levels: taken as a single row, then the record gets its real height.
    if (StartReaderImage(out, &format, w, 1, total, false) != 0) return -1;
    out->height = ht;
    out->pitch = code != 0 ? 0 : (int32_t)pitch;
    out->mipCount = levels;
    std::memcpy(out->pixels, file + 128, (size_t)total);
    return 0;
}
