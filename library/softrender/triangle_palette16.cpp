// Triangle spans of palette sources with 16-bit entries.
#include "library/softrender/triangle_spans.h"

namespace softrender {

TRIANGLESPAN TriangleSpanPalette16(int modeIndex, unsigned flags) {
    return SPANTABLE<TEXELSPANS<0>::LOOP, kPalette, kGraph | kTint | kKey>::Pick(modeIndex, flags);
}

}  // namespace softrender
