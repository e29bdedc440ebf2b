#include "library/base/sine_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;

TEST(SineTable, ExactIndices) {
    struct Row {
        float angle;
        int index;
    } rows[] = {
        {0.0f, 0},
        {kPi / 2, 16384},
        {-kPi / 2, 49152},
        {kPi, 32768},
        {kPi / 2 + 2 * kPi, 16384},
        {-kPi / 2 - 2 * kPi, 49152},
        {1.0f / 10430.378f, 1},
        {-1.0f / 10430.378f, 65535},
        // Halves go to the even integer.
        {2.5f / 10430.378f, 2},
        {3.5f / 10430.378f, 4},
        {-2.5f / 10430.378f, 65534},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE("angle " + std::to_string(r.angle));
        EXPECT_EQ(SineTableIndex(r.angle), r.index);
    }
    // Two angles a whole turn apart land on one index.
    for (float a : {0.5f, 1.0f, -2.0f, 3.0f, 10.0f}) {
        SCOPED_TRACE("angle " + std::to_string(a));
        EXPECT_EQ(SineTableIndex(a), SineTableIndex(a + 2 * kPi));
    }
}

TEST(SineTable, LookupValues) {
    // Filled on first use, without any start-up.
    float s, c;
    LookupSinCos(&s, 0.0f, &c);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(c, 1.0f);
    LookupSinCos(&s, kPi / 2, &c);
    EXPECT_EQ(s, 1.0f);
    EXPECT_EQ(c, GetSineTable()[32768]);
    EXPECT_NEAR(c, 0.0f, 1e-6f);
    LookupSinCos(&s, -kPi / 2, &c);
    EXPECT_EQ(s, -1.0f);

    // Entries follow the float formula exactly.
    const float *table = GetSineTable();
    for (int i = 0; i < SINETABLE_SIZE; i += 97) {
        SCOPED_TRACE("entry " + std::to_string(i));
        const float angle = static_cast<float>(i * 2.0 * 3.1415927410125732 / 65536.0);
        EXPECT_EQ(table[i], static_cast<float>(std::sin(static_cast<double>(angle))));
    }
    // A sweep stays within half a step of the true functions.
    const float step = 2 * kPi / 65536;
    for (float a = -20.0f; a < 20.0f; a += 0.013f) {
        SCOPED_TRACE("angle " + std::to_string(a));
        LookupSinCos(&s, a, &c);
        EXPECT_NEAR(s, std::sin(a), step);
        EXPECT_NEAR(c, std::cos(a), step);
    }
}

int g_resets = 0;
int CountReset() { return ++g_resets; }

TEST(SineTable, StartStepRunsTheModelReset) {
    g_resets = 0;
    EXPECT_EQ(InitSineTable(), 0);
    EXPECT_EQ(g_resets, 0);
    SetModelSystemResetFunc(CountReset);
    EXPECT_EQ(InitSineTable(), 0);
    EXPECT_EQ(g_resets, 1);
    SetModelSystemResetFunc(nullptr);
    EXPECT_EQ(InitSineTable(), 0);
    EXPECT_EQ(g_resets, 1);
}

}  // namespace
