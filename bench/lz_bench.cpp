// LZ block decoding against zlib's inflate on the same content; prints how many times as fast
// the block decoder is.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/base/lz.h"
#include "tools/lz/lz_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// About 4 MB of game-like data: Shift-JIS/ASCII script text, 16-bit image rows with runs and
// gradients, and little-endian tables of small numbers.
const Bytes &Content() {
    static const Bytes content = [] {
        std::mt19937 rng(1234);
        Bytes b;
        const char *words[] = {"ソフト", "表示", "の", "を", "しました", "attack ", "defense ", "\r\n",
                               "ITEM_", "0012", "map", "enemy ", "。", "、", "「", "」"};
        while (b.size() < (1u << 20)) {
            std::string w = words[rng() % 16];
            b.insert(b.end(), w.begin(), w.end());
        }
        for (int y = 0; y < 512; y++) {
            uint16_t colour = static_cast<uint16_t>(rng());
            for (int x = 0; x < 1024; x++) {
                if (rng() % 16 == 0) colour = static_cast<uint16_t>(colour + (rng() % 5));
                b.push_back(static_cast<uint8_t>(colour));
                b.push_back(static_cast<uint8_t>(colour >> 8));
            }
        }
        while (b.size() < (4u << 20)) {
            uint32_t v = rng() % 1000;
            for (int i = 0; i < 4; i++) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
        return b;
    }();
    return content;
}

const Bytes &LzPacked() {
    static const Bytes packed = EncodeLzBlock(Content().data(), Content().size());
    return packed;
}

const Bytes &ZlibPacked() {
    static const Bytes packed = [] {
        uLongf size = compressBound(Content().size());
        Bytes out(size);
        if (compress2(out.data(), &size, Content().data(), Content().size(), Z_DEFAULT_COMPRESSION) != Z_OK)
            throw std::runtime_error("compress2 failed");
        out.resize(size);
        return out;
    }();
    return packed;
}

void BM_DecodeLzBlock(benchmark::State &state) {
    const Bytes &in = LzPacked();
    Bytes out(Content().size());
    for (auto _ : state) {
        int32_t n = DecodeLzBlock(in.data(), in.size(), out.data(), out.size());
        if (n != static_cast<int32_t>(out.size())) state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (out != Content()) state.SkipWithError("decoded data differs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
    state.counters["packed_percent"] = 100.0 * static_cast<double>(in.size()) / static_cast<double>(out.size());
}
BENCHMARK(BM_DecodeLzBlock)->Unit(benchmark::kMillisecond);

void BM_ZlibInflate(benchmark::State &state) {
    const Bytes &in = ZlibPacked();
    Bytes out(Content().size());
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        state.SkipWithError("inflateInit failed");
        return;
    }
    for (auto _ : state) {
        inflateReset(&zs);
        zs.next_in = const_cast<Bytef *>(in.data());
        zs.avail_in = static_cast<uInt>(in.size());
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        if (inflate(&zs, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    inflateEnd(&zs);
    if (out != Content()) state.SkipWithError("inflated data differs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
    state.counters["packed_percent"] = 100.0 * static_cast<double>(in.size()) / static_cast<double>(out.size());
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);

// Keeps the console output and remembers the time per iteration of each run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                seconds[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto lz = reporter.seconds.find("BM_DecodeLzBlock");
    auto zlib = reporter.seconds.find("BM_ZlibInflate");
    if (lz != reporter.seconds.end() && zlib != reporter.seconds.end() && lz->second > 0) {
        printf("content %zu bytes; LZ block %zu bytes, zlib %zu bytes\n", Content().size(), LzPacked().size(),
               ZlibPacked().size());
        printf("LZ block decoding is %.2f times as fast as zlib inflate\n", zlib->second / lz->second);
    }
    benchmark::Shutdown();
    return 0;
}
