// Span kernels. Every version rounds x / 255 the same way, (x + 127) / 255: the scalar one with
// two channels per 32-bit word, the vector ones in 16-bit lanes as ((x + 128) * 257) >> 16,
// which is equal for x up to 255 * 255. Pixels whose test fails, and blended pixels of alpha
// 0, are left as they are.
#include "platform/d3d9/span_kernels.h"

#include <type_traits>

#if defined(__SSE2__)
#include <immintrin.h>
#define D3D9_SPANS_X86 1
#endif

namespace d3d9 {

namespace {

template <SpanBlend B, SpanTest T, bool M>
inline void ScalarPixel(const SpanOps &o, uint32_t c, uint32_t *dst) {
    c |= o.force;
    if constexpr (M) {
        uint32_t out = 0;
        for (int k = 0; k < 4; ++k) out |= (((c >> (8 * k)) & 255u) * o.mul[k] + 127u) / 255u << (8 * k);
        c = out;
    }
    const uint32_t a = c >> 24;
    if constexpr (T == SpanTest::GreaterEqual) {
        if ((int)a < o.low) return;
    } else if constexpr (T == SpanTest::Range) {
        if (((int)a >= o.low && (int)a <= o.high) == o.invert) return;
    }
    if constexpr (B == SpanBlend::AlphaInvAlpha) {
        if (a == 0) return;
        const uint32_t d = *dst, ia = 255u - a;
        uint32_t rb = (c & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * ia + 0x00800080u;
        uint32_t ag = ((c >> 8) & 0x00FF00FFu) * a + ((d >> 8) & 0x00FF00FFu) * ia + 0x00800080u;
        rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
        c = rb | ag;
    } else if constexpr (B == SpanBlend::Additive) {
        const uint32_t d = *dst;
        uint32_t out = 0;
        for (int k = 0; k < 32; k += 8) {
            uint32_t v = ((c >> k) & 255u) + ((d >> k) & 255u);
            out |= (v > 255u ? 255u : v) << k;
        }
        c = out;
    }
    *dst = c | o.keep;
}

template <SpanBlend B, SpanTest T, bool M>
void RowScalar(const SpanOps &o, const SpanRows &r) {
    const uint32_t *src = r.src;
    uint32_t *dst = r.dst;
    for (int row = 0; row < r.rows; ++row, src += r.srcStride, dst += r.dstStride)
        for (int i = 0; i < r.count; ++i) ScalarPixel<B, T, M>(o, src[i], dst + i);
}

#if D3D9_SPANS_X86

// Four pixels at a time. Groups where nothing is written are skipped, opaque blended groups
// are stored as they are.
template <SpanBlend B, SpanTest T, bool M>
void RowSse2(const SpanOps &o, const SpanRows &r) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi32(-1);
    const __m128i force = _mm_set1_epi32((int)o.force), keep = _mm_set1_epi32((int)o.keep);
    const __m128i mul = _mm_setr_epi16((short)o.mul[0], (short)o.mul[1], (short)o.mul[2], (short)o.mul[3],
                                       (short)o.mul[0], (short)o.mul[1], (short)o.mul[2], (short)o.mul[3]);
    const __m128i half = _mm_set1_epi16(128), m257 = _mm_set1_epi16(257), full = _mm_set1_epi16(255);
    const __m128i low = _mm_set1_epi32(o.low - 1), high = _mm_set1_epi32(o.high + 1);
    const __m128i invert = o.invert ? ones : zero, opaque = _mm_set1_epi32(255);
    auto div255 = [&](__m128i x) { return _mm_mulhi_epu16(_mm_add_epi16(x, half), m257); };
    auto blend = [&](__m128i s, __m128i d) {
        __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        return div255(_mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(full, a))));
    };
    const int count = r.count;
    const uint32_t *src = r.src;
    uint32_t *dst = r.dst;
    for (int row = 0; row < r.rows; ++row, src += r.srcStride, dst += r.dstStride) {
        int i = 0;
        for (; i + 4 <= count; i += 4) {
            __m128i c = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)), force);
            if constexpr (M) {
                __m128i lo = div255(_mm_mullo_epi16(_mm_unpacklo_epi8(c, zero), mul));
                __m128i hi = div255(_mm_mullo_epi16(_mm_unpackhi_epi8(c, zero), mul));
                c = _mm_packus_epi16(lo, hi);
            }
            const __m128i a = _mm_srli_epi32(c, 24);
            __m128i pass = ones;
            if constexpr (T == SpanTest::GreaterEqual) pass = _mm_cmpgt_epi32(a, low);
            if constexpr (T == SpanTest::Range)
                pass = _mm_xor_si128(_mm_and_si128(_mm_cmpgt_epi32(a, low), _mm_cmpgt_epi32(high, a)), invert);
            if constexpr (B == SpanBlend::AlphaInvAlpha) pass = _mm_andnot_si128(_mm_cmpeq_epi32(a, zero), pass);
            int written = 0xFFFF;
            if constexpr (T != SpanTest::None || B == SpanBlend::AlphaInvAlpha) {
                written = _mm_movemask_epi8(pass);
                if (written == 0) continue;
            }
            __m128i *at = reinterpret_cast<__m128i *>(dst + i);
            __m128i out = c;
            if constexpr (B == SpanBlend::Additive) {
                out = _mm_adds_epu8(c, _mm_loadu_si128(at));
            } else if constexpr (B == SpanBlend::AlphaInvAlpha) {
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, opaque)) != 0xFFFF) {
                    __m128i d = _mm_loadu_si128(at);
                    out = _mm_packus_epi16(blend(_mm_unpacklo_epi8(c, zero), _mm_unpacklo_epi8(d, zero)),
                                           blend(_mm_unpackhi_epi8(c, zero), _mm_unpackhi_epi8(d, zero)));
                }
            }
            out = _mm_or_si128(out, keep);
            if (written != 0xFFFF)
                out = _mm_or_si128(_mm_and_si128(pass, out), _mm_andnot_si128(pass, _mm_loadu_si128(at)));
            _mm_storeu_si128(at, out);
        }
        for (; i < count; ++i) ScalarPixel<B, T, M>(o, src[i], dst + i);
    }
}

// Eight pixels at a time, the last group through masked loads and stores. Built for AVX2
// whatever the build's target; PickSpanKernel takes it only where the processor has it.
#pragma GCC push_options
#pragma GCC target("avx2")
template <SpanBlend B, SpanTest T, bool M>
void RowAvx2(const SpanOps &o, const SpanRows &r) {
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi32(-1);
    const __m256i force = _mm256_set1_epi32((int)o.force), keep = _mm256_set1_epi32((int)o.keep);
    const __m256i mul = _mm256_set1_epi64x((long long)((uint64_t)o.mul[0] | (uint64_t)o.mul[1] << 16 |
                                                       (uint64_t)o.mul[2] << 32 | (uint64_t)o.mul[3] << 48));
    const __m256i half = _mm256_set1_epi16(128), m257 = _mm256_set1_epi16(257), full = _mm256_set1_epi16(255);
    const __m256i low = _mm256_set1_epi32(o.low - 1), high = _mm256_set1_epi32(o.high + 1);
    const __m256i invert = o.invert ? ones : zero, opaque = _mm256_set1_epi32(255);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    auto div255 = [&](__m256i x) { return _mm256_mulhi_epu16(_mm256_add_epi16(x, half), m257); };
    auto blend = [&](__m256i s, __m256i d) {
        __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
        return div255(_mm256_add_epi16(_mm256_mullo_epi16(s, a), _mm256_mullo_epi16(d, _mm256_sub_epi16(full, a))));
    };
    // One group: the colour after modulation, and the lanes to write.
    auto colour = [&](__m256i c, __m256i &pass) {
        c = _mm256_or_si256(c, force);
        if constexpr (M) {
            __m256i lo = div255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(c, zero), mul));
            __m256i hi = div255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(c, zero), mul));
            c = _mm256_packus_epi16(lo, hi);
        }
        const __m256i a = _mm256_srli_epi32(c, 24);
        if constexpr (T == SpanTest::GreaterEqual) pass = _mm256_and_si256(pass, _mm256_cmpgt_epi32(a, low));
        if constexpr (T == SpanTest::Range)
            pass = _mm256_and_si256(
                pass,
                _mm256_xor_si256(_mm256_and_si256(_mm256_cmpgt_epi32(a, low), _mm256_cmpgt_epi32(high, a)), invert));
        if constexpr (B == SpanBlend::AlphaInvAlpha) pass = _mm256_andnot_si256(_mm256_cmpeq_epi32(a, zero), pass);
        return c;
    };
    auto combine = [&](__m256i c, __m256i d) {
        if constexpr (B == SpanBlend::Additive) c = _mm256_adds_epu8(c, d);
        if constexpr (B == SpanBlend::AlphaInvAlpha)
            c = _mm256_packus_epi16(blend(_mm256_unpacklo_epi8(c, zero), _mm256_unpacklo_epi8(d, zero)),
                                    blend(_mm256_unpackhi_epi8(c, zero), _mm256_unpackhi_epi8(d, zero)));
        return _mm256_or_si256(c, keep);
    };
    const int count = r.count;
    const uint32_t *src = r.src;
    uint32_t *dst = r.dst;
    const __m256i tail = _mm256_cmpgt_epi32(_mm256_set1_epi32(count & 7), lanes);
    for (int row = 0; row < r.rows; ++row, src += r.srcStride, dst += r.dstStride) {
        int i = 0;
        for (; i + 8 <= count; i += 8) {
            __m256i pass = ones;
            __m256i c = colour(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + i)), pass);
            int written = -1;
            if constexpr (T != SpanTest::None || B == SpanBlend::AlphaInvAlpha) {
                written = _mm256_movemask_epi8(pass);
                if (written == 0) continue;
            }
            __m256i *at = reinterpret_cast<__m256i *>(dst + i);
            __m256i out;
            if constexpr (B == SpanBlend::None) {
                out = _mm256_or_si256(c, keep);
            } else if constexpr (B == SpanBlend::AlphaInvAlpha) {
                if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_srli_epi32(c, 24), opaque)) == -1)
                    out = _mm256_or_si256(c, keep);
                else
                    out = combine(c, _mm256_loadu_si256(at));
            } else {
                out = combine(c, _mm256_loadu_si256(at));
            }
            if (written != -1) out = _mm256_blendv_epi8(_mm256_loadu_si256(at), out, pass);
            _mm256_storeu_si256(at, out);
        }
        if (i < count) {
            __m256i pass = tail;
            __m256i c = colour(_mm256_maskload_epi32(reinterpret_cast<const int *>(src + i), tail), pass);
            __m256i d =
                B == SpanBlend::None ? zero : _mm256_maskload_epi32(reinterpret_cast<const int *>(dst + i), tail);
            _mm256_maskstore_epi32(reinterpret_cast<int *>(dst + i), pass, combine(c, d));
        }
    }
}
#pragma GCC pop_options

#endif

template <template <SpanBlend, SpanTest, bool> class Row>
SpanKernel PickRow(const SpanOps &o) {
    const bool m = o.mul[0] != 255 || o.mul[1] != 255 || o.mul[2] != 255 || o.mul[3] != 255;
    auto pickTest = [&](auto blend) -> SpanKernel {
        constexpr SpanBlend B = decltype(blend)::value;
        switch (o.test) {
        case SpanTest::GreaterEqual:
            return m ? Row<B, SpanTest::GreaterEqual, true>::run : Row<B, SpanTest::GreaterEqual, false>::run;
        case SpanTest::Range: return m ? Row<B, SpanTest::Range, true>::run : Row<B, SpanTest::Range, false>::run;
        default: return m ? Row<B, SpanTest::None, true>::run : Row<B, SpanTest::None, false>::run;
        }
    };
    switch (o.blend) {
    case SpanBlend::AlphaInvAlpha: return pickTest(std::integral_constant<SpanBlend, SpanBlend::AlphaInvAlpha>{});
    case SpanBlend::Additive: return pickTest(std::integral_constant<SpanBlend, SpanBlend::Additive>{});
    default: return pickTest(std::integral_constant<SpanBlend, SpanBlend::None>{});
    }
}

template <SpanBlend B, SpanTest T, bool M>
struct Scalar {
    static constexpr SpanKernel run = &RowScalar<B, T, M>;
};
#if D3D9_SPANS_X86
template <SpanBlend B, SpanTest T, bool M>
struct Sse2 {
    static constexpr SpanKernel run = &RowSse2<B, T, M>;
};
template <SpanBlend B, SpanTest T, bool M>
struct Avx2 {
    static constexpr SpanKernel run = &RowAvx2<B, T, M>;
};
#endif

}  // namespace

SpanKernel PickSpanKernel(const SpanOps &ops, int limit) {
#if D3D9_SPANS_X86
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (limit >= kRasterAvx2 && avx2) return PickRow<Avx2>(ops);
    if (limit >= kRasterSse2) return PickRow<Sse2>(ops);
#endif
    (void)limit;
    return PickRow<Scalar>(ops);
}

}  // namespace d3d9
