// Reading a set of files through the archive-aware file layer, from a stored and from a packed
// KLA archive, against reading the same files plainly (plain paths through the same layer, and
// the bare disk set); prints the time ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "library/base/arcfile.h"
#include "library/base/diskfile.h"
#include "library/base/lz.h"
#include "library/base/stream.h"
#include "platform/kernel32/kernel32.h"
#include "platform/kernel32/paths.h"
#include "tools/kla/kla_writer.h"
#include "tools/lz/lz_encoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kFiles = 48;

// 48 files of 16-160 KB: image-like rows, script text and tables, about 4 MB in all.
std::vector<KlaNode> MakeFiles()
{
    std::mt19937 rng(77);
    std::vector<KlaNode> files;
    const char *words[] = {"attack ", "defense ", "\r\n", "ITEM_", "0012", "map ", "enemy ", "\x81\x42"};
    for (int i = 0; i < kFiles; i++) {
        size_t size = 16384 + (rng() % 9) * 18432;
        Bytes b;
        while (b.size() < size) {
            if (i % 3 == 0) {
                std::string w = words[rng() % 8];
                b.insert(b.end(), w.begin(), w.end());
            } else {
                uint16_t colour = (uint16_t)rng();
                for (int x = 0; x < 256 && b.size() < size; x++) {
                    if (rng() % 16 == 0) colour = (uint16_t)(colour + rng() % 5);
                    b.push_back((uint8_t)colour);
                    b.push_back((uint8_t)(colour >> 8));
                }
            }
        }
        b.resize(size);
        files.push_back(KlaFile("f" + std::to_string(i) + ".bin", b));
    }
    return files;
}

struct Setup {
    std::filesystem::path host;
    size_t totalBytes = 0;
    std::vector<Bytes> blocks;  // every file as the LZ block the packed archive holds
    Setup()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelmor-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) abort();
        host = pattern;
        std::vector<KlaNode> files = MakeFiles();
        for (const KlaNode &f : files) {
            totalBytes += f.data.size();
            blocks.push_back(EncodeLzBlock(f.data.data(), f.data.size()));
        }
        KlaNode sub = KlaFolder("sub", files);
        WriteKlaFile(host / "stored.kla", KlaFolder("", {sub}), {KlaOptions{2, KlaPack::None, "", false}});
        WriteKlaFile(host / "packed.kla", KlaFolder("", {sub}), {KlaOptions{2, KlaPack::Always, "", false}});
        std::filesystem::create_directories(host / "plain" / "sub");
        for (const KlaNode &f : files) {
            FILE *out = fopen((host / "plain" / "sub" / f.name).c_str(), "wb");
            fwrite(f.data.data(), 1, f.data.size(), out);
            fclose(out);
        }
        std::string win;
        if (!PlatformHostToWindowsPath(host.string(), &win) || !SetCurrentDirectoryA(win.c_str())) abort();
        InitArchiveManager();
        SelectFileFunctions(nullptr);
    }
    ~Setup()
    {
        InitArchiveManager();
        std::error_code error;
        std::filesystem::remove_all(host, error);
    }
};

Setup &TheSetup()
{
    static Setup setup;
    return setup;
}

// Opens, sizes, reads and closes every file of one folder through a file-function set.
size_t ReadAll(const FILEFUNCS *set, const char *folder, Bytes &buffer, int async)
{
    size_t total = 0;
    for (int i = 0; i < kFiles; i++) {
        std::string path = std::string(folder) + "\\sub\\f" + std::to_string(i) + ".bin";
        uintptr_t h = set->Open(path.c_str(), 0, 0, async);
        if (h == 0) return 0;
        set->Seek(h, 0, 2);
        int size = set->Tell(h);
        set->Seek(h, 0, 0);
        int n = set->Read(buffer.data(), 1, (size_t)size, h);
        // Waited for as the library's own readers wait for a file thread, giving it the processor.
        while (set->IsIdle(h) != 1) Sleep(0);
        total += (size_t)n;
        set->Close(h);
    }
    return total;
}

void Run(benchmark::State &state, const FILEFUNCS *set, const char *folder, int async)
{
    Setup &setup = TheSetup();
    Bytes buffer(1 << 20);
    for (auto _ : state) {
        size_t n = ReadAll(set, folder, buffer, async);
        if (n != setup.totalBytes) state.SkipWithError("a file did not read whole");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * setup.totalBytes));
}

// The decoder alone over the packed archive's blocks, already in memory: the rate a packed read
// could reach if the file layer added nothing.
void BM_LzDecodeAlone(benchmark::State &state)
{
    Setup &setup = TheSetup();
    Bytes buffer(1 << 20);
    for (auto _ : state) {
        size_t n = 0;
        for (const Bytes &block : setup.blocks) {
            int32_t got = DecodeLzBlock(block.data(), block.size(), buffer.data(), buffer.size());
            if (got < 0) state.SkipWithError("a block did not decode");
            n += (size_t)got;
        }
        if (n != setup.totalBytes) state.SkipWithError("the blocks do not hold the files");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * setup.totalBytes));
}

void BM_PlainDiskSet(benchmark::State &state) { Run(state, GetDiskFileFuncs(), "plain", 0); }
void BM_PlainThroughLayer(benchmark::State &state) { Run(state, GetArchiveFileFuncs(), "plain", 0); }
void BM_StoredArchive(benchmark::State &state) { Run(state, GetArchiveFileFuncs(), "stored", 0); }
void BM_PackedArchive(benchmark::State &state) { Run(state, GetArchiveFileFuncs(), "packed", 0); }
void BM_StoredArchiveAsync(benchmark::State &state) { Run(state, GetArchiveFileFuncs(), "stored", 1); }
void BM_PlainThroughLayerAsync(benchmark::State &state) { Run(state, GetArchiveFileFuncs(), "plain", 1); }
BENCHMARK(BM_PlainDiskSet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzDecodeAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainThroughLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoredArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackedArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainThroughLayerAsync)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoredArchiveAsync)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                seconds[r.benchmark_name()] = r.real_accumulated_time / (double)r.iterations;
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto &s = reporter.seconds;
    auto ratio = [&](const char *a, const char *b) {
        if (s.count(a) && s.count(b) && s[b] > 0)
            printf("%-26s / %-24s = %.2f\n", a + 3, b + 3, s[a] / s[b]);
    };
    printf("%d files, %zu bytes; time ratios (below 1: faster than the plain read)\n", kFiles, TheSetup().totalBytes);
    ratio("BM_StoredArchive", "BM_PlainThroughLayer");
    ratio("BM_PackedArchive", "BM_PlainThroughLayer");
    ratio("BM_StoredArchive", "BM_PlainDiskSet");
    ratio("BM_PackedArchive", "BM_PlainDiskSet");
    ratio("BM_PlainThroughLayer", "BM_PlainDiskSet");
    ratio("BM_StoredArchiveAsync", "BM_PlainThroughLayerAsync");
    // The three goals: the layer's plain reads against the bare reads (at most 1.5), the file
    // thread against the synchronous read (at most 1.5), and the packed read's rate against the
    // decoder's own (at least 0.7).
    printf("goals:\n");
    ratio("BM_PlainThroughLayer", "BM_PlainDiskSet");
    ratio("BM_PlainThroughLayerAsync", "BM_PlainThroughLayer");
    if (s.count("BM_PackedArchive") && s.count("BM_LzDecodeAlone") && s["BM_PackedArchive"] > 0)
        printf("%-26s / %-24s = %.2f (rate)\n", "PackedArchive", "LzDecodeAlone", s["BM_LzDecodeAlone"] / s["BM_PackedArchive"]);
    benchmark::Shutdown();
    return 0;
}
