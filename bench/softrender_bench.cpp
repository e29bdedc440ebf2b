// The software renderer's stretched kernel on the game's frame scale, 320 x 240 -> 640 x 480,
// on 16- and 32-bit images, copied and keyed, with pixman's nearest-scaled SRC and OVER
// composites of the same pictures as the yardstick; and the frame stretch in milliseconds.
#include "rate_pairs.h"
#include "soft_picture.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <vector>

#include "library/softrender/stretch_blit_memimg.h"

namespace {

constexpr int kW = 320, kH = 240, kBigW = 640, kBigH = 480;

void Stretch(benchmark::State &state, int type, int transparent) {
    PICTUREIMAGES images(type, kW, kH, kBigW, kBigH);
    const RECT r{0, 0, kBigW, kBigH};
    for (auto _ : state) {
        StretchBlitMemImg(&images.dst, &images.src, &r, transparent, nullptr);
        benchmark::ClobberMemory();
    }
    ReportPixels(state, (double)kBigW * kBigH);
}
void BM_Stretch32Copy(benchmark::State &state) { Stretch(state, 1, 0); }
void BM_Stretch32Keyed(benchmark::State &state) { Stretch(state, 1, 1); }
void BM_Stretch16Copy(benchmark::State &state) { Stretch(state, 0, 0); }
void BM_Stretch16Keyed(benchmark::State &state) { Stretch(state, 0, 1); }
BENCHMARK(BM_Stretch32Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stretch32Keyed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stretch16Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stretch16Keyed)->Unit(benchmark::kMillisecond);

// pixman: SRC for the copy; OVER of the key colour made alpha 0 for the keyed draw.
void PixmanStretch(benchmark::State &state, pixman_format_code_t dstFormat, bool keyed) {
    std::vector<uint32_t> small = PixmanPicture(kW, kH, keyed);
    const int bytes = PIXMAN_FORMAT_BPP(dstFormat) / 8;
    std::vector<uint8_t> big((size_t)kBigW * kBigH * bytes);
    pixman_image_t *src = pixman_image_create_bits(keyed ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, kW, kH, small.data(), kW * 4);
    pixman_image_t *dst = pixman_image_create_bits(dstFormat, kBigW, kBigH, (uint32_t *)big.data(), kBigW * bytes);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(src, &scale);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    const pixman_op_t op = keyed ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
    for (auto _ : state) {
        pixman_image_composite32(op, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kBigW, kBigH);
        benchmark::ClobberMemory();
    }
    ReportPixels(state, (double)kBigW * kBigH);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
void BM_PixmanStretch32Src(benchmark::State &state) { PixmanStretch(state, PIXMAN_x8r8g8b8, false); }
void BM_PixmanStretch32Over(benchmark::State &state) { PixmanStretch(state, PIXMAN_x8r8g8b8, true); }
void BM_PixmanStretch16Src(benchmark::State &state) { PixmanStretch(state, PIXMAN_r5g6b5, false); }
void BM_PixmanStretch16Over(benchmark::State &state) { PixmanStretch(state, PIXMAN_r5g6b5, true); }
BENCHMARK(BM_PixmanStretch32Src)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanStretch32Over)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanStretch16Src)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanStretch16Over)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    return RunWithRatios(argc, argv,
                         {{"BM_Stretch32Copy", "BM_PixmanStretch32Src"},
                          {"BM_Stretch32Keyed", "BM_PixmanStretch32Over"},
                          {"BM_Stretch16Copy", "BM_PixmanStretch16Src"},
                          {"BM_Stretch16Keyed", "BM_PixmanStretch16Over"}});
}
