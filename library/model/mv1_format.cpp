#include "library/model/mv1_format.h"

namespace {

double PowerOfTen(int e) {
    double v = 1.0;
    for (int i = 0; i < e; ++i) v *= 10.0;
    return v;
}

}  // namespace

float PackedFloatMinimum(uint8_t byte) {
    if (byte & 0x80) return 0.0f;
    const int e = byte & 0x1F;
    const double v = (byte & 0x20) ? 1.0 / PowerOfTen(e) : PowerOfTen(e);
    return (float)((byte & 0x40) ? -v : v);
}

float PackedFloatStep(uint8_t byte) {
    const int h = byte >> 4, l = byte & 15;
    return (float)(h < 8 ? l * PowerOfTen(h) : l / PowerOfTen(h - 8));
}
