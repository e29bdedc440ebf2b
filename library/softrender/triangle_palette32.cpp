// Triangle spans of palette sources with 32-bit entries.
#include "library/softrender/triangle_spans.h"

namespace softrender {

TRIANGLESPAN TriangleSpanPalette32(int modeIndex, unsigned flags) {
    return SPANTABLE<TEXELSPANS<1>::LOOP, kPalette, kGraph | kTint | kKey>::Pick(modeIndex, flags);
}

}  // namespace softrender
