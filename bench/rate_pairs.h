// Benchmarks that report Mpix/s, and a console reporter that ends with each case's rate against
// its yardstick's (names shown without the "BM_" prefix).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

inline void ReportPixels(benchmark::State &state, double pixelsPerFrame) {
    state.counters["frames/s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    state.counters["Mpix/s"] =
        benchmark::Counter((double)state.iterations() * pixelsPerFrame / 1e6, benchmark::Counter::kIsRate);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs) : pairs_(std::move(pairs)) {}
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            auto it = r.counters.find("Mpix/s");
            if (it != r.counters.end()) rates_[r.benchmark_name()] = (double)it->second;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto &[mine, yardstick] : pairs_) {
            auto a = rates_.find(mine), b = rates_.find(yardstick);
            if (a == rates_.end() || b == rates_.end() || b->second <= 0) continue;
            std::printf("%-24s %9.1f Mpix/s   %-24s %9.1f Mpix/s   ratio %.2f\n", mine.c_str() + 3, a->second,
                        yardstick.c_str() + 3, b->second, a->second / b->second);
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> rates_;
};

// Runs the benchmarks with the reporter; main's body.
inline int RunWithRatios(int argc, char **argv, std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
