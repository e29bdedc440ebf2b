// The software renderer's quad kernel: a 256 x 256 image on a quad turned 30 degrees (two
// triangles) on a 512 x 512 image, 16- and 32-bit, copied and keyed, in Mpix/s of covered
// pixels; the Direct3D stand-in drawing the same quad (pre-transformed vertices, point
// sampling, the same picture as texture, alpha test for the key) and pixman's
// pixman_composite_triangles over the same picture with a nearest affine transform as the
// yardsticks.
#include "fixtures/standin_device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/testing/d3d9.h"
#include "rate_pairs.h"
#include "soft_picture.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "library/softrender/rasterize_memimg.h"

namespace {

constexpr int kImage = 256, kTarget = 512;
constexpr double kAngle = 30.0 * 3.14159265358979323846 / 180.0;

// The image's corners, top-left, top-right, bottom-left, bottom-right, turned about the
// target's centre.
void Corners(double x[4], double y[4]) {
    const double c = std::cos(kAngle), s = std::sin(kAngle), h = kImage / 2.0;
    const double gx[4] = {-h, h, -h, h}, gy[4] = {-h, -h, h, h};
    for (int i = 0; i < 4; ++i) {
        x[i] = kTarget / 2.0 + c * gx[i] - s * gy[i];
        y[i] = kTarget / 2.0 + s * gx[i] + c * gy[i];
    }
}

// The picture and the target, with the picture's corners turned to whole pixels.
struct QUADIMAGES : PICTUREIMAGES {
    int32_t corners[8];
    explicit QUADIMAGES(int type) : PICTUREIMAGES(type, kImage, kImage, kTarget, kTarget) {
        double x[4], y[4];
        Corners(x, y);
        for (int i = 0; i < 4; ++i) {
            corners[2 * i] = (int32_t)std::lround(x[i]);
            corners[2 * i + 1] = (int32_t)std::lround(y[i]);
        }
    }
};

// Pixels the quad covers: those a copy changes on a 32-bit image of a value no texel has.
double Covered() {
    static double count = 0;
    if (count > 0) return count;
    QUADIMAGES images(1);
    FillMemImg(&images.dst, nullptr, 0xFFFFFFFFu);
    RasterizeMemImgQuad(&images.dst, &images.src, images.corners, 0, nullptr);
    for (int y = 0; y < kTarget; ++y)
        for (int x = 0; x < kTarget; ++x) {
            uint32_t v;
            std::memcpy(&v, images.dst.pixels + (size_t)y * images.dst.base->pitch + (size_t)x * 4, 4);
            count += v != 0xFFFFFFFFu;
        }
    return count;
}

void BM_Quad(benchmark::State &state, int type, int transparent) {
    QUADIMAGES images(type);
    for (auto _ : state) {
        RasterizeMemImgQuad(&images.dst, &images.src, images.corners, transparent, nullptr);
        benchmark::ClobberMemory();
    }
    ReportPixels(state, Covered());
}
BENCHMARK_CAPTURE(BM_Quad, 32Copy, 1, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Quad, 32Keyed, 1, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Quad, 16Copy, 0, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Quad, 16Keyed, 0, 1)->Unit(benchmark::kMicrosecond);

// The stand-in: a render target of the pixel type, the picture as a texture (the key colour
// with alpha 0 under an alpha test for the keyed draw), two pre-transformed triangles.
struct Vertex {
    float x, y, z, rhw, u, v;
};

void BM_StandInQuad(benchmark::State &state, int type, bool keyed) {
    D3D9TestReset();
    D3D9TestSetPacing(false);
    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *dev = nullptr;
    OpenStandInDevice(kTarget, kTarget, 0, &d3d, &dev);
    IDirect3DSurface9 *target = nullptr;
    dev->CreateRenderTarget(kTarget, kTarget, type == 1 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0,
                            FALSE, &target, nullptr);
    dev->SetRenderTarget(0, target);
    const D3DFORMAT format = type == 1 ? (keyed ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8)
                                       : (keyed ? D3DFMT_A1R5G5B5 : D3DFMT_R5G6B5);
    IDirect3DTexture9 *texture = nullptr;
    dev->CreateTexture(kImage, kImage, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT lr;
    texture->LockRect(0, &lr, nullptr, 0);
    for (int y = 0; y < kImage; ++y)
        for (int x = 0; x < kImage; ++x) {
            const uint32_t c = PicturePixel(x, y);
            uint8_t *row = static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch;
            if (type == 1) {
                const uint32_t v = c | (keyed && c == 0 ? 0 : 0xFF000000u);
                std::memcpy(row + x * 4, &v, 4);
            } else {
                const uint16_t v = keyed ? (uint16_t)((c == 0 ? 0 : 0x8000) | (c >> 19 & 0x1F) << 10 |
                                                      (c >> 11 & 0x1F) << 5 | (c >> 3 & 0x1F))
                                         : (uint16_t)To565(c);
                std::memcpy(row + x * 2, &v, 2);
            }
        }
    texture->UnlockRect(0);
    dev->SetTexture(0, texture);
    dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    dev->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    dev->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    dev->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    dev->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    if (keyed) {
        dev->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        dev->SetRenderState(D3DRS_ALPHAREF, 1);
        dev->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    }
    double x[4], y[4];
    Corners(x, y);
    auto corner = [&](int i, float u, float v) {
        return Vertex{(float)x[i] - 0.5f, (float)y[i] - 0.5f, 0.0f, 1.0f, u, v};
    };
    const Vertex quad[6] = {corner(0, 0, 0), corner(1, 1, 0), corner(2, 0, 1),
                            corner(1, 1, 0), corner(2, 0, 1), corner(3, 1, 1)};
    for (auto _ : state) {
        dev->BeginScene();
        dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(Vertex));
        dev->EndScene();
    }
    ReportPixels(state, Covered());
    texture->Release();
    target->Release();
    dev->Release();
    d3d->Release();
}
BENCHMARK_CAPTURE(BM_StandInQuad, 32Copy, 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StandInQuad, 32Keyed, 1, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StandInQuad, 16Copy, 0, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StandInQuad, 16Keyed, 0, true)->Unit(benchmark::kMicrosecond);

// pixman: the picture with a nearest affine transform from the target back into it, composited
// through the quad's two triangles; SRC for the copy, OVER of the key colour made alpha 0 for
// the keyed draw.
void BM_PixmanQuad(benchmark::State &state, int type, bool keyed) {
    std::vector<uint32_t> picture = PixmanPicture(kImage, kImage, keyed);
    const pixman_format_code_t dstFormat = type == 1 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
    const int bytes = type == 1 ? 4 : 2;
    std::vector<uint8_t> target((size_t)kTarget * kTarget * bytes);
    pixman_image_t *src = pixman_image_create_bits(keyed ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, kImage, kImage,
                                                   picture.data(), kImage * 4);
    pixman_image_t *dst =
        pixman_image_create_bits(dstFormat, kTarget, kTarget, (uint32_t *)target.data(), kTarget * bytes);
    // Target point p to picture point R(-angle) (p - centre) + image centre.
    const double c = std::cos(kAngle), s = std::sin(kAngle), h = kImage / 2.0, t = kTarget / 2.0;
    pixman_transform_t m;
    pixman_transform_init_identity(&m);
    m.matrix[0][0] = pixman_double_to_fixed(c);
    m.matrix[0][1] = pixman_double_to_fixed(s);
    m.matrix[0][2] = pixman_double_to_fixed(h - c * t - s * t);
    m.matrix[1][0] = pixman_double_to_fixed(-s);
    m.matrix[1][1] = pixman_double_to_fixed(c);
    m.matrix[1][2] = pixman_double_to_fixed(h + s * t - c * t);
    pixman_image_set_transform(src, &m);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    double x[4], y[4];
    Corners(x, y);
    auto point = [&](int i) { return pixman_point_fixed_t{pixman_double_to_fixed(x[i]), pixman_double_to_fixed(y[i])}; };
    const pixman_triangle_t tris[2] = {{point(0), point(1), point(2)}, {point(1), point(2), point(3)}};
    const pixman_op_t op = keyed ? PIXMAN_OP_OVER : PIXMAN_OP_SRC;
    for (auto _ : state) {
        pixman_composite_triangles(op, src, dst, PIXMAN_a8, 0, 0, 0, 0, 2, tris);
        benchmark::ClobberMemory();
    }
    ReportPixels(state, Covered());
    pixman_image_unref(src);
    pixman_image_unref(dst);
}
BENCHMARK_CAPTURE(BM_PixmanQuad, 32Src, 1, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PixmanQuad, 32Over, 1, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PixmanQuad, 16Src, 0, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PixmanQuad, 16Over, 0, true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    return RunWithRatios(argc, argv,
                         {{"BM_Quad/32Copy", "BM_StandInQuad/32Copy"},
                          {"BM_Quad/32Keyed", "BM_StandInQuad/32Keyed"},
                          {"BM_Quad/16Copy", "BM_StandInQuad/16Copy"},
                          {"BM_Quad/16Keyed", "BM_StandInQuad/16Keyed"},
                          {"BM_Quad/32Copy", "BM_PixmanQuad/32Src"},
                          {"BM_Quad/32Keyed", "BM_PixmanQuad/32Over"},
                          {"BM_Quad/16Copy", "BM_PixmanQuad/16Src"},
                          {"BM_Quad/16Keyed", "BM_PixmanQuad/16Over"}});
}
