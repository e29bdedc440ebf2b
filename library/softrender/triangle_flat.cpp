// Triangle spans of one flat colour, tinted once per call, on either pixel type.
#include "library/softrender/triangle_spans.h"

namespace softrender {

namespace {

template <int T>
struct FLATSPANS {
    template <int M, unsigned F>
    struct LOOP {
        static void Run(const TRIANGLECALL &c, uint8_t *d, int n, int64_t, int64_t) {
            for (int i = 0; i < n; ++i, d += PIXELLAYOUT<T>::kBytes) BlendCopyPixel<T, M, 0, FAST_NONE, RULES_TRIANGLE>(c.rules, d, c.colour, -1, 0);
        }
    };
};

}  // namespace

TRIANGLESPAN TriangleSpanFlat(int type, int modeIndex) {
    return type == MEMIMG_TYPE_RGB32 ? SPANTABLE<FLATSPANS<1>::LOOP, 0, 0>::Pick(modeIndex, 0)
                                     : SPANTABLE<FLATSPANS<0>::LOOP, 0, 0>::Pick(modeIndex, 0);
}

}  // namespace softrender
