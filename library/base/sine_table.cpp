#include "library/base/sine_table.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

SINETABLESTATE g_sineTable;

constexpr double kPiAsFloat = 3.1415927410125732;  // the float value of pi, widened
constexpr float kIndexPerRadian = 10430.378f;       // 65,536 / 2 pi
constexpr float kRoundingBias = 12582912.0f;        // 1.5 x 2^23: the sum's low bits are the integer

inline const float *Table() {
    if (!g_sineTable.filled) FillSineTable();
    return g_sineTable.table;
}

}  // namespace

int FillSineTable() {
    if (g_sineTable.filled) return 0;
    for (int i = 0; i < SINETABLE_SIZE; ++i) {
        const float angle = static_cast<float>(i * 2.0 * kPiAsFloat / SINETABLE_SIZE);
        g_sineTable.table[i] = static_cast<float>(std::sin(static_cast<double>(angle)));
    }
    g_sineTable.filled = 1;
    return 0;
}

int InitSineTable() {
    FillSineTable();
    if (g_sineTable.modelSystemReset != nullptr) g_sineTable.modelSystemReset();
    return 0;
}

void SetModelSystemResetFunc(MODELSYSTEMRESETFUNC reset) { g_sineTable.modelSystemReset = reset; }

int SineTableIndex(float angle) {
    // The sum is rounded to a float (no contraction, no wider evaluation on this target):
    // that rounding gives the nearest integer, halves to even, negatives wrapped.
    const float sum = angle * kIndexPerRadian + kRoundingBias;
    uint32_t bits;
    std::memcpy(&bits, &sum, sizeof bits);
    return static_cast<int>(bits & 0xFFFFu);
}

const float *GetSineTable() { return Table(); }

void LookupSinCos(float *sine, float angle, float *cosine) {
    const float *table = Table();
    const int index = SineTableIndex(angle);
    *sine = table[index];
    *cosine = table[(index + SINETABLE_SIZE / 4) & (SINETABLE_SIZE - 1)];
}
