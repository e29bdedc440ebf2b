// Drawing a 40-character Japanese line per frame into a 640 x 480 software screen with the
// packaged face: every glyph rendered anew (uncached) or taken from the glyph cache (cached).
#include "library/graphics/device.h"
#include "library/graphics/draw_area.h"
#include "library/graphics/draw_params.h"
#include "library/graphics/font.h"
#include "library/graphics/text_draw.h"
#include "library/graphics/text_link.h"
#include "platform/testing.h"

#include <benchmark/benchmark.h>

namespace {

// 40 characters, Shift-JIS in the binary.
const char kLine[] = "ロード中のデータを読み込んでいます。しばらくお待ちください画面左右上下回転拡大縮";
constexpr int kLineChars = 40;

MEMIMG g_screen;
MEMIMG *Screen() { return &g_screen; }

int Setup(int type, int pixelType) {
    PlatformTestUseSyntheticFonts(false);
    StartFontSystem();
    SetupMemImg(&g_screen, 640, 480, -1, 0, pixelType, 0, 0, 0, nullptr);
    // Antialiased text goes through the screen's alpha work image and the copy kernel.
    SetupMemImg(&g_softScreen.work, 640, 480, -1, 0, pixelType, 0, 0, 0, nullptr);
    SetupMemImg(&g_softScreen.workAlpha, 640, 480, -1, 0, pixelType, 0, 1, 0, nullptr);
    g_textLink.screenImage = Screen;
    g_drawArea = MakeDrawArea(0, 0, 640, 480);
    g_drawState.brightness = 0xFFFFFF;
    g_drawState.blendMode = BLENDMODE_NONE;
    return CreateFontToHandle(nullptr, 16, 6, type, 1, 1, 0);
}

void Teardown() {
    g_textLink.screenImage = nullptr;
    ReleaseMemImg(&g_screen);
    ReleaseMemImg(&g_softScreen.work);
    ReleaseMemImg(&g_softScreen.workAlpha);
    StopFontSystem();
}

void DrawLine(benchmark::State &state, bool cached) {
    int font = Setup((int)state.range(0), (int)state.range(1));
    DrawTextWithFont(0, 440, kLine, 0xFFFFFFFF, font, 0, 0);
    for (auto _ : state) {
        if (!cached) ResetFontCache(font);
        DrawTextWithFont(0, 440, kLine, 0xFFFFFFFF, font, 0, 0);
    }
    state.counters["glyphs/s"] =
        benchmark::Counter((double)kLineChars * state.iterations(), benchmark::Counter::kIsRate);
    Teardown();
}

void Uncached(benchmark::State &state) { DrawLine(state, false); }
void Cached(benchmark::State &state) { DrawLine(state, true); }

}  // namespace

// Arguments: font type (0 plain, 1 edged, 2 antialiased, 3 both) and the screen's pixel type
// (0 16-bit, 1 32-bit).
BENCHMARK(Uncached)->Args({0, 0})->Args({0, 1})->Args({1, 1})->Args({2, 0})->Args({3, 1});
BENCHMARK(Cached)->Args({0, 0})->Args({0, 1})->Args({1, 1})->Args({2, 0})->Args({3, 1});
BENCHMARK_MAIN();
