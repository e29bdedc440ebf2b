// The table lookup against computing sine and cosine, over the angles a model frame walk sees.
#include <benchmark/benchmark.h>

#include <vector>

#include "library/base/sine_table.h"
#include "library/base/strings.h"
#include "library/base/vecmath.h"

namespace {

std::vector<float> Angles() {
    std::vector<float> angles(4096);
    for (size_t i = 0; i < angles.size(); ++i) angles[i] = -6.0f + 12.0f * static_cast<float>(i) / angles.size();
    return angles;
}

void BM_LookupSinCos(benchmark::State &state) {
    const std::vector<float> angles = Angles();
    FillSineTable();
    for (auto _ : state) {
        for (float a : angles) {
            float s, c;
            LookupSinCos(&s, a, &c);
            benchmark::DoNotOptimize(s);
            benchmark::DoNotOptimize(c);
        }
    }
    state.SetItemsProcessed(state.iterations() * angles.size());
}
BENCHMARK(BM_LookupSinCos);

void BM_SinCosFloat(benchmark::State &state) {
    const std::vector<float> angles = Angles();
    for (auto _ : state) {
        for (float a : angles) {
            float s, c;
            SinCosFloat(a, &s, &c);
            benchmark::DoNotOptimize(s);
            benchmark::DoNotOptimize(c);
        }
    }
    state.SetItemsProcessed(state.iterations() * angles.size());
}
BENCHMARK(BM_SinCosFloat);

void BM_MakeRotMatrix3x4XYZ(benchmark::State &state) {
    const std::vector<float> angles = Angles();
    for (auto _ : state) {
        for (size_t i = 0; i + 2 < angles.size(); i += 3) {
            MAT34 m;
            MakeRotMatrix3x4XYZ(&m, angles[i], angles[i + 1], angles[i + 2]);
            benchmark::DoNotOptimize(m);
        }
    }
    state.SetItemsProcessed(state.iterations() * (angles.size() / 3));
}
BENCHMARK(BM_MakeRotMatrix3x4XYZ);

}  // namespace

BENCHMARK_MAIN();
