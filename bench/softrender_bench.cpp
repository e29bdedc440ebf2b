// The software renderer's stretched kernel on the game's frame scale, 320 x 240 -> 640 x 480,
// on 16- and 32-bit images, copied and keyed, with pixman's nearest-scaled SRC and OVER
// composites of the same pictures as the yardstick (the frame stretch's time is the 16-bit
// copy's); and the rotated kernel turning a 128 x 128 picture by 30 degrees at scale 1.5 against
// pixman's nearest affine composite over the same box.
#include "rate_pairs.h"
#include "soft_picture.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "library/softrender/blit_memimg_rotated.h"
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

// The turned picture: 128 x 128 at (160, 160) on a 320 x 320 image, 30 degrees, scale 1.5. Rates
// count the pixels of its box (the kernel's: the corners' extent, 2 more before, 4 after).
constexpr int kTurnSize = 128, kTurnTarget = 320, kTurnCentre = 160;
constexpr float kTurnAngle = 0.52359878f, kTurnScale = 1.5f;
RECT TurnBox() {
    const double c = std::cos(kTurnAngle), s = std::sin(kTurnAngle), half = kTurnSize * kTurnScale / 2;
    const double reach = half * (std::fabs(c) + std::fabs(s));
    const int low = (int)std::floor(kTurnCentre - reach) - 2, high = (int)std::floor(kTurnCentre + reach) + 4;
    return RECT{low, low, high, high};
}
double TurnBoxPixels() {
    const RECT b = TurnBox();
    return (double)(b.right - b.left) * (b.bottom - b.top);
}

void BM_Rotate32(benchmark::State &state) {
    PICTUREIMAGES images(1, kTurnSize, kTurnSize, kTurnTarget, kTurnTarget);
    for (auto _ : state) {
        BlitMemImgRotated(&images.dst, &images.src, kTurnCentre, kTurnCentre, kTurnAngle, kTurnScale, 0, 0, nullptr);
        benchmark::ClobberMemory();
    }
    ReportPixels(state, TurnBoxPixels());
}
BENCHMARK(BM_Rotate32)->Unit(benchmark::kMicrosecond);

// pixman: OVER of the opaque picture, which leaves the box outside the turned picture alone.
void BM_PixmanRotate32(benchmark::State &state) {
    std::vector<uint32_t> small = PixmanPicture(kTurnSize, kTurnSize, false);
    std::vector<uint32_t> big((size_t)kTurnTarget * kTurnTarget);
    pixman_image_t *src = pixman_image_create_bits(PIXMAN_x8r8g8b8, kTurnSize, kTurnSize, small.data(), kTurnSize * 4);
    pixman_image_t *dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kTurnTarget, kTurnTarget, big.data(), kTurnTarget * 4);
    // Destination to source: turned back by the angle, divided by the scale, about the centres.
    const double c = std::cos(kTurnAngle) / kTurnScale, s = std::sin(kTurnAngle) / kTurnScale, half = kTurnSize / 2;
    pixman_f_transform_t f{};
    f.m[0][0] = c;
    f.m[0][1] = s;
    f.m[0][2] = half - (kTurnCentre * c + kTurnCentre * s);
    f.m[1][0] = -s;
    f.m[1][1] = c;
    f.m[1][2] = half - (kTurnCentre * c - kTurnCentre * s);
    f.m[2][2] = 1;
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &f);
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    const RECT b = TurnBox();
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, b.left, b.top, 0, 0, b.left, b.top,
                                 b.right - b.left, b.bottom - b.top);
        benchmark::ClobberMemory();
    }
    ReportPixels(state, TurnBoxPixels());
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK(BM_PixmanRotate32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    return RunWithRatios(argc, argv,
                         {{"BM_Stretch32Copy", "BM_PixmanStretch32Src"},
                          {"BM_Stretch32Keyed", "BM_PixmanStretch32Over"},
                          {"BM_Stretch16Copy", "BM_PixmanStretch16Src"},
                          {"BM_Stretch16Keyed", "BM_PixmanStretch16Over"},
                          {"BM_Rotate32", "BM_PixmanRotate32"}});
}
