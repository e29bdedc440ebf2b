// Triangle spans of 32-bit direct sources, with or without alpha.
#include "library/softrender/triangle_spans.h"

namespace softrender {

TRIANGLESPAN TriangleSpanRgb32(int modeIndex, unsigned flags) {
    return SPANTABLE<TEXELSPANS<1>::LOOP, 0, kGraph | kTint | kAlpha | kKey>::Pick(modeIndex, flags);
}

}  // namespace softrender
