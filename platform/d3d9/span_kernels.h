// Span kernels of the rasteriser's fast path: one row of texels (or of one colour) combined
// into a 32-bit target, with the few state combinations sprites use, in scalar, SSE2 and
// AVX2 versions that give the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d3d9 {

enum class SpanBlend { None, AlphaInvAlpha, Additive };
enum class SpanTest { None, GreaterEqual, Range };

struct SpanOps {
    SpanBlend blend = SpanBlend::None;
    SpanTest test = SpanTest::None;
    // Bits set in every texel first: the channels that come from the diffuse colour.
    uint32_t force = 0;
    // Then each channel is multiplied by the flat diffuse (blue, green, red, alpha), rounded
    // as x / 255; all 255 skips the multiply.
    uint16_t mul[4] = {255, 255, 255, 255};
    // Alpha test: the pixel is kept when low <= alpha <= high, or outside that with `invert`.
    int low = 0, high = 255;
    bool invert = false;
    // Bits set in every written pixel (the alpha of targets that have none).
    uint32_t keep = 0;
};

// `rows` rows of `count` pixels; strides in pixels (a source stride of 0 repeats one row).
struct SpanRows {
    const uint32_t *src;
    ptrdiff_t srcStride;
    uint32_t *dst;
    ptrdiff_t dstStride;
    int count, rows;
};

typedef void (*SpanKernel)(const SpanOps &ops, const SpanRows &rows);

// What the fast path may use: the limit comes from the test face.
enum RasterPath { kRasterGeneral = 0, kRasterScalar = 1, kRasterSse2 = 2, kRasterAvx2 = 3 };

// The kernel for these operations, at most at `limit` and at what this processor has.
SpanKernel PickSpanKernel(const SpanOps &ops, int limit);

}  // namespace d3d9
