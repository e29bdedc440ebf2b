// One frame of the game's road through the whole library: 2,000 keyed 32x32 sprites on the
// 320 x 240 work screen, the work screen copied into a graph and stretched to 640 x 480, the
// frame shown. Reported as frames per second and as a multiple of the time one memcpy of the
// 640 x 480 frame takes.
#include "bench/memcpy_yardstick.h"
#include "bench/standin_graphics.h"
#include "library/base/library.h"
#include "library/base/window.h"
#include "library/graphics/device.h"
#include "library/graphics/draw2d.h"
#include "library/graphics/graph.h"
#include "library/graphics/screen.h"
#include "platform/testing/d3d9.h"
#include "platform/testing.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr int kSprites = 2000, kSize = 32;

// A 24-bit BMP of a disc on the key colour (123, 250, 3).
void WriteSprite(const char *path) {
    const int row = kSize * 3;
    std::vector<uint8_t> file(54 + row * kSize);
    auto put32 = [&](int at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, (uint32_t)file.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, kSize);
    put32(22, kSize);
    file[26] = 1;
    file[28] = 24;
    put32(34, (uint32_t)(row * kSize));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const int dx = x - 16, dy = y - 16;
            const bool inside = dx * dx + dy * dy < 196;
            uint8_t *p = &file[54 + (kSize - 1 - y) * row + x * 3];
            p[0] = inside ? (uint8_t)(x * 8) : 3;
            p[1] = inside ? (uint8_t)(y * 8) : 250;
            p[2] = inside ? 0x40 : 123;
        }
    std::ofstream(path, std::ios::binary).write((const char *)file.data(), (std::streamsize)file.size());
}

void BM_GameFrameRoad(benchmark::State &state) {
    const auto dir = std::filesystem::temp_directory_path() / "kelmor-screen-bench";
    std::filesystem::create_directories(dir);
    const std::string spritePath = (dir / "sprite.bmp").string();
    WriteSprite(spritePath.c_str());

    if (!StartStandInGraphics()) {
        state.SkipWithError("graphics did not start");
        return;
    }
    SetTransparentKey(123, 250, 3);
    const int sprite = LoadGraphFile(spritePath.c_str(), 0, 0, 0);
    const int work = CreateBlankGraph(320, 240);
    std::vector<std::pair<int, int>> at(kSprites);
    unsigned seed = 12345;
    for (auto &p : at) {
        seed = seed * 1103515245u + 12345u;
        p.first = (int)(seed >> 8) % (320 - kSize);
        seed = seed * 1103515245u + 12345u;
        p.second = (int)(seed >> 8) % (240 - kSize);
    }

    for (auto _ : state) {
        ClearScreen();
        SetDrawClipRect(0, 0, 320, 240);
        for (const auto &p : at) DrawGraphAt(p.first, p.second, sprite, 1);
        SetDrawClipRect(0, 0, 640, 480);
        GetDrawScreenGraph(0, 0, 320, 240, work);
        DrawGraphStretched(0, 0, 640, 480, work, 0);
        ShowFrame();
    }
    const double memcpySeconds = MemcpyFrameSeconds();
    state.counters["fps"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    state.counters["memcpy_us"] = memcpySeconds * 1e6;
    state.counters["frame_per_memcpy"] =
        benchmark::Counter((double)state.iterations() * memcpySeconds, benchmark::Counter::kIsRate |
                                                                           benchmark::Counter::kInvert);

    EndStandInGraphics();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_GameFrameRoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
