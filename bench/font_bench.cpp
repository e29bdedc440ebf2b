// Glyph rendering with the packaged face: a 40-character Japanese line through the glyph
// cache, uncached (every glyph rendered by the GDI stand-in) and cached (code-map hits only).
#include "library/graphics/font.h"
#include "platform/testing.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// 40 characters (37 distinct), Shift-JIS in the binary.
const char kLine[] = "ロード中のデータを読み込んでいます。しばらくお待ちください画面左右上下回転拡大縮";

int MakeFont(int type)
{
    PlatformTestUseSyntheticFonts(false);
    StartFontSystem();
    return CreateFontToHandle(nullptr, 16, 6, type, 1, 1, 0);
}

void Uncached(benchmark::State &state)
{
    int h = MakeFont((int)state.range(0));
    int count = 0;
    for (auto _ : state) {
        ResetFontCache(h);
        CacheTextGlyphs(-1, kLine, h, nullptr, &count);
    }
    state.counters["glyphs/s"] = benchmark::Counter((double)count * state.iterations(), benchmark::Counter::kIsRate);
    StopFontSystem();
}

void Cached(benchmark::State &state)
{
    int h = MakeFont((int)state.range(0));
    FONTREC *font = LookupFontRec(h);
    unsigned char chars[64 * 3];
    int count = 0;
    CacheTextGlyphs(-1, kLine, h, chars, &count);
    int64_t advance = 0;
    for (auto _ : state) {
        CacheTextGlyphs(-1, kLine, h, chars, &count);
        for (int i = 0; i < count; ++i) advance += FetchFontGlyph(font, h, chars + i * 3)->advance;
    }
    benchmark::DoNotOptimize(advance);
    state.counters["glyphs/s"] = benchmark::Counter((double)count * state.iterations(), benchmark::Counter::kIsRate);
    StopFontSystem();
}

}  // namespace

// Argument: font type (0 plain, 1 edge, 2 antialiased, 3 both).
BENCHMARK(Uncached)->Arg(0)->Arg(1)->Arg(2)->Arg(3);
BENCHMARK(Cached)->Arg(0)->Arg(3);
BENCHMARK_MAIN();
