// Triangle spans of 16-bit direct sources, with or without alpha.
#include "library/softrender/triangle_spans.h"

namespace softrender {

TRIANGLESPAN TriangleSpanRgb16(int modeIndex, unsigned flags) {
    return SPANTABLE<TEXELSPANS<0>::LOOP, 0, kGraph | kTint | kAlpha | kKey>::Pick(modeIndex, flags);
}

}  // namespace softrender
