// The software renderer's image: a view (position and size) onto a shared, reference-counted
// body that owns the pixels, and the global lookup tables the software kernels read.
#pragma once

#include <cstdint>

#include "library/graphics/base_image.h"
#include "library/graphics/colour_format.h"
#include "platform/windef.h"

constexpr uint32_t kMemImgMarker = 0x12345678u;

enum : int32_t {
    MEMIMG_TYPE_RGB16 = 0,   // 565 colour (4 bytes with alpha: alpha in the third byte)
    MEMIMG_TYPE_RGB32 = 1,   // bytes B, G, R, then alpha or unused
    MEMIMG_TYPE_CHAN8 = 2,   // one 8-bit channel
    MEMIMG_TYPE_CHAN16 = 3,  // one 16-bit channel
};

// The body: one per image, shared by every view of it.
struct MEMIMGBASE {
    int32_t refCount;
    int32_t width, height;
    int32_t pitch;       // bytes per row
    int32_t pitchShift;  // log2 of the pitch when rows can be addressed by shifting, else -1
    const COLOURFORMAT *colourFormat;
    uint32_t transparentCode;  // whole pixel value, or palette index
    int32_t pixelType;
    int32_t paletteFlag;
    int32_t paletteCount;
    int32_t alphaFlag;
    int32_t premultipliedValid;
    int32_t runTableValid;
    int32_t borrowed;        // the pixel memory belongs to the caller
    uint8_t *palette;        // 2,048-byte block: entries in the pixel type's form, a copy at its middle
    uint8_t *secondPalette;  // palette + 1,024
    uint8_t *pixels;         // pitch x height bytes
    uint8_t *alphaPlane;     // premultiplied pixels, pitch x height bytes, or null
    uint8_t *runTable;       // (width + 5) x height bytes, or null
};

// The view, embedded in its owner.
struct MEMIMG {
    uint32_t marker;  // kMemImgMarker while valid
    int32_t width, height;
    uint8_t *pixels;      // first pixel of the view inside the body's pixels
    uint8_t *alphaPlane;  // the same position in the premultiplied plane, or null
    MEMIMGBASE *base;
};

// Run-length codes: kind x 64 + (run length - 1); each row ends with the end code.
enum : uint8_t {
    MEMIMG_RUN_CLEAR = 0,
    MEMIMG_RUN_OPAQUE = 1,
    MEMIMG_RUN_PARTIAL = 2,
    MEMIMG_RUN_END = 192,
};

// The software renderer's global tables, built once by InitMemImgTables.
struct MEMIMGSTATE {
    int32_t built;
    int32_t signedProductTable[256][512];  // [i][j] = (j - 255) x i / 255, toward zero; 511 used
    int32_t productTable[256][256];        // [i][j] = i x j / 255
    uint8_t blendTable6[64][64][64];       // [n][r][c] = (r x n + c x (63 - n)) / 63
    uint8_t blendGraphTable[256];          // weight of each blend-graph byte
    // Colour bits of the screen, set by the display set-up: picks the type of screen images.
    int32_t screenColourBits;
};

extern MEMIMGSTATE g_memImgState;

// pitch -1: width x bytes per pixel padded to 16. pixelMemory null: allocated here. 0 / -1.
int SetupMemImg(MEMIMG *image, int width, int height, int pitch, uint32_t transparentCode, int pixelType,
                int paletteFlag, int alphaFlag, int workBuffersFlag, void *pixelMemory);
// A plain image for a screen or work surface; type -1 follows the screen colour bits.
int MakeScreenMemImg(MEMIMG *image, int width, int height, int pixelType);
// Nothing happens when the rectangle leaves the parent.
void MakeSubMemImg(MEMIMG *image, const MEMIMG *parent, int x, int y, int width, int height);
void ReleaseMemImg(MEMIMG *image);
int IsMemImgValid(const MEMIMG *image);

// Bytes of one pixel of the body's format.
int MemImgBytesPerPixel(const MEMIMGBASE *base);

void FillMemImg(MEMIMG *image, const RECT *rect, uint32_t value);
void CopyMemImg(MEMIMG *dst, const MEMIMG *src, const RECT *srcRect, int x, int y);
// 0, or a negative error of the conversion.
int CopyBaseImageToMemImg(BASEIMAGE *colour, BASEIMAGE *alpha, MEMIMG *image, int x, int y, int width,
                          int height, int srcX, int srcY, int ownAlphaFlag);

const COLOURFORMAT *GetMemImgColourFormat(int pixelType, int alphaFlag, int paletteFlag);

// The run-length table and the premultiplied plane of the whole body, from its pixels.
void BuildMemImgRunTable(MEMIMGBASE *base);
void BuildMemImgPremultiplied(MEMIMGBASE *base);

void InitMemImgTables();
// border and range 0..255.
void SetBlendGraphThreshold(int border, int range);
