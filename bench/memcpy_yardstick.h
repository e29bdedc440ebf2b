// The benchmarks' yardstick: the seconds one memcpy of a 640 x 480 32-bit frame takes.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

inline double MemcpyFrameSeconds() {
    std::vector<uint32_t> a(640 * 480, 0x12345678u), b(640 * 480);
    const int rounds = 200;
    auto now = [] {
        std::timespec t;
        std::timespec_get(&t, TIME_UTC);
        return (double)t.tv_sec + t.tv_nsec * 1e-9;
    };
    const double start = now();
    for (int i = 0; i < rounds; ++i) {
        a[i] = (uint32_t)i;
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    return (now() - start) / rounds;
}
